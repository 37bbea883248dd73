#include <gtest/gtest.h>

#include <vector>

#include "graphics/memory_dibx.h"
#include "graphics/vector_unit.h"
#include "surface_test_util.h"

namespace vorn {
namespace {

using test::Row;
using U = std::vector<std::uint32_t>;

// Every table runs with the vector loops forced on and off: the pixels must not differ.
class FillTest : public ::testing::TestWithParam<bool> {
 protected:
  ScopedVectorUnitOverride vector_{GetParam()};
};

TEST_P(FillTest, FillRectWritesTheDepthsPartOfTheValue) {
  struct Case {
    int bits;
    std::uint32_t value;
    std::uint32_t want;
  } cases[] = {{8, 0x12345678, 0x78}, {15, 0x12345678, 0x5678}, {16, 0x12345678, 0x5678},
               {24, 0x12345678, 0x345678}, {32, 0x12345678, 0x12345678}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    TMemoryDIBX s(4, 2, c.bits);
    s.FillRect(TRect{-2, 1, 2, 9}, c.value);
    EXPECT_EQ(Row(s, 0), (U{0, 0, 0, 0}));
    EXPECT_EQ(Row(s, 1), (U{c.want, c.want, 0, 0}));
  }
  TMemoryDIBX s24(2, 1, 24);
  s24.FillRect(s24.GetBoundsRect(), 0x00332211);
  EXPECT_EQ(s24.Bits()[0], 0x11);
  EXPECT_EQ(s24.Bits()[1], 0x22);
  EXPECT_EQ(s24.Bits()[2], 0x33);
}

TEST_P(FillTest, FillRectHonoursTheDirtyRectAndSkipsPackedDepths) {
  TMemoryDIBX s(4, 1, 32);
  s.SetDirtyRect(TRect{1, 0, 3, 1});
  s.FillRect(s.GetBoundsRect(), 7);
  EXPECT_EQ(Row(s, 0), (U{0, 7, 7, 0}));
  s.ResetDirtyRect();
  s.Fill(9);
  EXPECT_EQ(Row(s, 0), (U{9, 9, 9, 9}));
  TMemoryDIBX packed(8, 1, 4);
  packed.FillRect(packed.GetBoundsRect(), 5);
  EXPECT_EQ(Row(packed, 0), (U(8, 0)));
}

TEST_P(FillTest, FillRectOpacity) {
  TMemoryDIBX s(2, 1, 32);
  s.SetPixel(1, 0, 0x00FFFFFF);
  s.FillRectOpacity(s.GetBoundsRect(), 0x00FFFFFF, 255);
  EXPECT_EQ(Row(s, 0), (U{0x00FEFEFE, 0x00FFFFFF}));
  TMemoryDIBX s15(1, 1, 15);
  s15.FillRectOpacity(s15.GetBoundsRect(), 0x7C00, 128);
  EXPECT_EQ(s15.GetPixel(0, 0), 0x3C00u);
  s15.FillRectOpacity(s15.GetBoundsRect(), 0x7C00, 0);
  EXPECT_EQ(s15.GetPixel(0, 0), 0x3C00u);
  // 32 bits blend the top byte too.
  TMemoryDIBX t(1, 1, 32);
  t.FillRectOpacity(t.GetBoundsRect(), 0xFF000000, 128);
  EXPECT_EQ(t.GetPixel(0, 0), 0x7F000000u);
  // 24 bits: the channels only.
  TMemoryDIBX s24(1, 1, 24);
  s24.FillRectOpacity(s24.GetBoundsRect(), 0x00FF8000, 128);
  EXPECT_EQ(s24.GetPixel(0, 0), 0x007F4000u);
}

TEST_P(FillTest, AddAndSubtractColourSaturate) {
  TMemoryDIBX s(1, 1, 32);
  s.SetPixel(0, 0, 0x000000F8);
  s.AddColorRect(s.GetBoundsRect(), 0x10);
  EXPECT_EQ(s.GetPixel(0, 0), 0xFFu);
  s.SetPixel(0, 0, 0x08);
  s.SubColorRect(s.GetBoundsRect(), 0x10);
  EXPECT_EQ(s.GetPixel(0, 0), 0u);
  TMemoryDIBX s16(1, 1, 16);
  s16.SetPixel(0, 0, 0xF000 | 0x07C0 | 0x1E);  // r 30, g 62, b 30
  s16.AddColorRect(s16.GetBoundsRect(), 0x0800 | 0x0040 | 0x01);
  EXPECT_EQ(s16.GetPixel(0, 0), 0xF800u | 0x07E0u | 0x1Fu);
  s16.AddColorRect(s16.GetBoundsRect(), 0x0800);
  EXPECT_EQ(s16.GetPixel(0, 0), 0xFFFFu);
  s16.SubColorRect(s16.GetBoundsRect(), 0x0041);
  EXPECT_EQ(s16.GetPixel(0, 0), 0xFFFFu - 0x41u);
}

TEST_P(FillTest, FrameBands) {
  TMemoryDIBX s(10, 10, 8);
  s.FrameRect(TRect{0, 0, 10, 10}, 2, 1);
  int set = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) set += s.GetPixel(x, y) == 1;
  EXPECT_EQ(set, 64);
  EXPECT_EQ(s.GetPixel(2, 2), 0u);
  // Additive frame touches each pixel once; a low rectangle gets only overlapping bands.
  TMemoryDIBX a(4, 3, 32);
  a.FrameRectAdd(TRect{0, 0, 4, 3}, 1, 1);
  EXPECT_EQ(Row(a, 1), (U{1, 0, 0, 1}));
  EXPECT_EQ(Row(a, 0), (U{1, 1, 1, 1}));
  TMemoryDIBX low(3, 3, 32);
  low.FrameRectAdd(TRect{0, 0, 3, 3}, 2, 1);
  EXPECT_EQ(Row(low, 0), (U{1, 1, 1}));
  EXPECT_EQ(Row(low, 1), (U{2, 2, 2}));
  EXPECT_EQ(Row(low, 2), (U{1, 1, 1}));
  TMemoryDIBX none(3, 3, 32);
  none.FrameRectOpacity(TRect{0, 0, 3, 3}, 1, 0xFF, 0);
  EXPECT_EQ(Row(none, 0), (U{0, 0, 0}));
}

TEST_P(FillTest, DrawColorMask) {
  TMemoryDIBX mask(4, 1, 8);
  test::SetRow(mask, 0, {0, 128, 255, 64});
  struct Case {
    int bits;
    std::uint32_t color;
    std::uint32_t opacity;
    U want;
  } cases[] = {
      // 32 bits: v = 255 weighs the opacity itself.
      {32, 0xFF, 255, {0x11, 0x87, 0xFE, 0x4C}},
      {32, 0xFF, 128, {0x11, 0x4C, 0x87, 0x2E}},
      // 16 bits: opacity 255 or more weighs v.
      {16, 0x1F, 255, {0x11, 0x17, 0x1E, 0x14}},
      {16, 0x1F, 128, {0x11, 0x14, 0x17, 0x12}},
      // 24 bits, generic: (opacity x v) shr 8.
      {24, 0xFF, 255, {0x11, 0x87, 0xFD, 0x4B}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits * 1000 + static_cast<int>(c.opacity));
    TMemoryDIBX s(4, 1, c.bits);
    s.Fill(0x11);
    s.DrawColorMask(0, 0, &mask, TRect{0, 0, 4, 1}, false, false, c.color, c.opacity);
    EXPECT_EQ(Row(s, 0), c.want);
  }
  // Flipped, and a destination already equal to the colour is left at 15/16/32 bits.
  TMemoryDIBX s(4, 1, 32);
  s.Fill(0xFF);
  s.DrawColorMask(0, 0, &mask, TRect{0, 0, 4, 1}, true, false, 0xFF, 200);
  EXPECT_EQ(Row(s, 0), (U{0xFF, 0xFF, 0xFF, 0xFF}));
  TMemoryDIBX f(4, 1, 32);
  f.DrawColorMask(0, 0, &mask, TRect{0, 0, 4, 1}, true, false, 0xFF, 255);
  EXPECT_EQ(Row(f, 0), (U{0x3F, 0xFE, 0x7F, 0}));
  // A mask smaller than the rectangle, or not 8-bit: nothing.
  TMemoryDIBX g(6, 1, 32);
  g.DrawColorMask(0, 0, &mask, TRect{0, 0, 5, 1}, false, false, 0xFF, 255);
  TMemoryDIBX wide(4, 1, 32);
  wide.Fill(0xFF);
  g.DrawColorMask(0, 0, &wide, TRect{0, 0, 4, 1}, false, false, 0xFF, 255);
  EXPECT_EQ(Row(g, 0), (U(6, 0)));
}

INSTANTIATE_TEST_SUITE_P(VectorFlag, FillTest, ::testing::Bool());

}  // namespace
}  // namespace vorn
