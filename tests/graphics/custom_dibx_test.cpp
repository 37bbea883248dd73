#include "graphics/custom_dibx.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/debug_trace.h"
#include "graphics/memory_dibx.h"
#include "graphics/vector_unit.h"

namespace vorn {
namespace {

std::string Str(const TRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// A surface with a size but no pixel memory, like a back end that failed to get any.
class SizedOnly : public TCustomDIBX {};

TEST(CustomDIBX, NewSurfaceIsEmptyWithoutKeyOrDirtyRect) {
  TCustomDIBX s;
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.ColorKey, -1);
  EXPECT_EQ(Str(s.GetDirtyRect()), "0,0,0,0");
  EXPECT_EQ(s.GetBitCount(), 0);
  EXPECT_EQ(s.GetRawBitCount(), 0);
  EXPECT_EQ(s.GetInnerSurface(), &s);
  EXPECT_EQ(s.Lock(0, 0), nullptr);
  EXPECT_EQ(s.ColorToPixel(0x123456), 0x123456);
}

TEST(CustomDIBX, SizeIsRecordedAndClearEmpties) {
  TCustomDIBX s;
  s.SetSize(100, 50, 32);
  EXPECT_FALSE(s.IsEmpty());
  EXPECT_EQ(Str(s.GetBoundsRect()), "0,0,100,50");
  s.Clear();
  EXPECT_TRUE(s.IsEmpty());
  s.SetSize(0, 5, 32);
  EXPECT_TRUE(s.IsEmpty());
}

TEST(CustomDIBX, AddDirtyRectClipsAndUnites) {
  TCustomDIBX s;
  s.SetSize(100, 100, 32);
  s.AddDirtyRect(TRect{-10, -10, 5, 5});
  EXPECT_EQ(Str(s.DirtyRect), "0,0,5,5");
  s.AddDirtyRect(TRect{50, 60, 200, 70});
  EXPECT_EQ(Str(s.DirtyRect), "0,0,100,70");
  s.AddDirtyRect(TRect{150, 150, 160, 160});  // wholly outside
  EXPECT_EQ(Str(s.DirtyRect), "0,0,100,70");
  s.AddDirtyRect(TRect{20, 20, 10, 30});  // inverted: empty
  EXPECT_EQ(Str(s.DirtyRect), "0,0,100,70");
}

TEST(CustomDIBX, ResetDirtyRectClearsOnlyRight) {
  TCustomDIBX s;
  s.SetSize(40, 30, 32);
  s.SetDirtyRect(TRect{5, 6, 7, 8});
  EXPECT_EQ(Str(s.GetDirtyRect()), "5,6,7,8");
  s.ResetDirtyRect();
  EXPECT_EQ(Str(s.DirtyRect), "5,6,0,8");
  EXPECT_EQ(Str(s.GetDirtyRect()), "0,0,40,30");
  s.AddDirtyRect(TRect{1, 1, 2, 2});
  EXPECT_EQ(Str(s.DirtyRect), "1,1,2,2");
}

TEST(CustomDIBX, SetDirtyRectStoresUnclipped) {
  TCustomDIBX s;
  s.SetSize(10, 10, 32);
  s.SetDirtyRect(TRect{-5, -5, 50, 50});
  EXPECT_EQ(Str(s.GetDirtyRect()), "-5,-5,50,50");
}

TEST(CustomDIBX, SurfaceWithoutMemoryDrawsNothing) {
  SizedOnly dest;
  dest.SetSize(8, 8, 32);
  TMemoryDIBX source(4, 4, 32);
  source.Fill(0x00FF00FF);
  dest.FillRect(TRect{0, 0, 8, 8}, 5);
  dest.DrawRect(0, 0, source, source.GetBoundsRect(), false, false, false);
  dest.DrawOpacity(0, 0, source, source.GetBoundsRect(), false, false, false, 128);
  EXPECT_EQ(dest.GetPixel(0, 0), 0u);
  // And as a source: nothing is read from it.
  TMemoryDIBX target(4, 4, 32);
  target.DrawRect(0, 0, dest, dest.GetBoundsRect(), false, false, false);
  EXPECT_EQ(target.GetPixel(1, 1), 0u);
}

TEST(VectorUnit, ProbeAgreesWithTheProcessorAndOverrideWorks) {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  EXPECT_EQ(VectorUnitDetected(), static_cast<bool>(__builtin_cpu_supports("sse2")));
#endif
  const bool detected = VectorUnitDetected();
  EXPECT_EQ(VectorUnitAvailable(), detected);
  {
    ScopedVectorUnitOverride off(false);
    EXPECT_FALSE(VectorUnitAvailable());
    EXPECT_FALSE(VectorUnitWideAvailable());
    {
      ScopedVectorUnitOverride on(true);
      EXPECT_EQ(VectorUnitAvailable(), detected);
    }
    EXPECT_FALSE(VectorUnitAvailable());
  }
  EXPECT_EQ(VectorUnitAvailable(), detected);
}

TEST(VectorUnit, ProbeRunsOnceAndNamesItself) {
  // The probe may already have run in this process; either way it never runs again.
  int traced = 0;
  auto previous = SetDebugTraceRecorder([&](std::string_view step) {
    if (step == "DIBX") ++traced;
  });
  InitSurfaceUnit();
  InitSurfaceUnit();
  (void)VectorUnitAvailable();
  SetDebugTraceRecorder(previous);
  EXPECT_LE(traced, 1);
}

}  // namespace
}  // namespace vorn
