#include <gtest/gtest.h>

#include "graphics/dibx.h"
#include "graphics/pelk_frame_list.h"

namespace vorn {
namespace {

TEST(TPelkFrameAssign, WidensTo32BitsWithTheTopByteClear) {
  TPelkFrameList list;
  TPelkFrame& frame = list.AddFrame();
  frame.Composite().SetSize(2, 2, 24);
  frame.Composite().FillRectPixel(MakeRect(1, 0, 2, 1), 0x112233);
  TDIBX surface;
  surface.SetSize(1, 1, 32);
  frame.AssignTo(surface);
  EXPECT_EQ(surface.GetWidth(), 2);
  EXPECT_EQ(surface.GetHeight(), 2);
  EXPECT_EQ(surface.GetBitCount(), 32);
  EXPECT_EQ(surface.GetPixel(1, 0), 0x00112233u);
  EXPECT_EQ(surface.GetPixel(0, 1), 0u);

  TPelkFrame& wide = list.AddFrame();
  wide.Composite().SetSize(1, 1, 32);
  wide.Composite().SetPixel(0, 0, 0xFF445566u);
  wide.AssignTo(surface);
  EXPECT_EQ(surface.GetPixel(0, 0), 0x00445566u);
}

TEST(TPelkFrameAssign, OtherDepthsGoThroughColours) {
  TPelkFrameList list;
  TPelkFrame& frame = list.AddFrame();
  frame.Composite().SetSize(2, 1, 24);
  frame.Composite().FillRectPixel(MakeRect(0, 0, 1, 1), 0xFF0000);
  TDIBX surface;
  surface.SetSize(1, 1, 16);
  frame.AssignTo(surface);
  EXPECT_EQ(surface.GetBitCount(), 16);
  EXPECT_EQ(surface.GetPixel(0, 0), static_cast<std::uint32_t>(surface.ColorToPixel(0x0000FF)));
  EXPECT_EQ(surface.GetPixel(1, 0), 0u);
}

TEST(TPelkFrameAssign, AlphaPlaneToAnEightBitSurface) {
  TPelkFrameList list;
  TPelkFrame& frame = list.AddFrame();
  frame.Composite().SetSize(3, 2, 24);
  TDIBX target;
  frame.AssignAlphaTo(target);
  EXPECT_TRUE(target.IsEmpty());
  frame.Composite().EnsureAlphaPlane();
  frame.Composite().Alpha()->FillRectPixel(MakeRect(2, 1, 3, 2), 150);
  frame.AssignAlphaTo(target);
  EXPECT_EQ(target.GetBitCount(), 8);
  EXPECT_EQ(target.GetWidth(), 3);
  EXPECT_EQ(target.GetPixel(2, 1), 150u);
  EXPECT_EQ(target.GetPixel(0, 0), 0u);
}

}  // namespace
}  // namespace vorn
