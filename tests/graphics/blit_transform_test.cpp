#include <gtest/gtest.h>

#include <vector>

#include "graphics/memory_dibx.h"
#include "graphics/vector_unit.h"
#include "surface_test_util.h"

namespace vorn {
namespace {

using test::Row;
using test::SetRow;
using U = std::vector<std::uint32_t>;

class TransformTest : public ::testing::TestWithParam<bool> {
 protected:
  ScopedVectorUnitOverride vector_{GetParam()};
};

TEST_P(TransformTest, StretchSamplesNearestFromTheLeftEdge) {
  TMemoryDIBX two(2, 1, 32);
  SetRow(two, 0, {1, 2});
  TMemoryDIBX d(4, 1, 32);
  d.StretchDraw(TRect{0, 0, 4, 1}, two, two.GetBoundsRect(), false, false, false, 255);
  EXPECT_EQ(Row(d, 0), (U{1, 1, 2, 2}));
  d.StretchDraw(TRect{0, 0, 4, 1}, two, two.GetBoundsRect(), false, true, false, 255);
  EXPECT_EQ(Row(d, 0), (U{2, 2, 1, 1}));
  TMemoryDIBX four(4, 1, 32);
  SetRow(four, 0, {1, 2, 3, 4});
  TMemoryDIBX h(2, 1, 32);
  h.StretchDraw(TRect{0, 0, 2, 1}, four, four.GetBoundsRect(), false, false, false, 255);
  EXPECT_EQ(Row(h, 0), (U{1, 3}));
  h.StretchDraw(TRect{0, 0, 2, 1}, four, four.GetBoundsRect(), false, true, false, 300);
  EXPECT_EQ(Row(h, 0), (U{4, 2}));
}

TEST_P(TransformTest, StretchCutByTheClipKeepsTheHalfPixel) {
  TMemoryDIBX two(2, 1, 32);
  SetRow(two, 0, {1, 2});
  TMemoryDIBX d(4, 1, 32);
  d.StretchDraw(TRect{-1, 0, 3, 1}, two, two.GetBoundsRect(), false, false, false, 255);
  EXPECT_EQ(Row(d, 0), (U{1, 2, 2, 0}));
}

TEST_P(TransformTest, StretchKeyBlendAndAdd) {
  TMemoryDIBX src(2, 1, 32);
  SetRow(src, 0, {0xFF, 7});
  src.ColorKey = 7;
  TMemoryDIBX d(4, 1, 32);
  d.Fill(5);
  d.StretchDraw(TRect{0, 0, 4, 1}, src, src.GetBoundsRect(), true, false, false, 255);
  EXPECT_EQ(Row(d, 0), (U{0xFF, 0xFF, 5, 5}));
  d.StretchDraw(TRect{0, 0, 4, 1}, src, src.GetBoundsRect(), true, false, false, 128);
  // Equal pixels stay at 32 bits; key pixels are skipped.
  EXPECT_EQ(Row(d, 0), (U{0xFF, 0xFF, 5, 5}));
  d.StretchDraw(TRect{0, 0, 4, 1}, src, src.GetBoundsRect(), false, false, false, 128);
  EXPECT_EQ(Row(d, 0), (U{0xFF, 0xFF, (127 * 5 + 128 * 7) >> 8, (127 * 5 + 128 * 7) >> 8}));
  TMemoryDIBX a(2, 1, 32);
  a.Fill(0x10);
  a.StretchDrawAdd(TRect{0, 0, 2, 1}, src, src.GetBoundsRect(), false, false, false, 128);
  EXPECT_EQ(Row(a, 0), (U{0x10 + 0x7F, 0x10 + 3}));
}

TEST_P(TransformTest, StretchSampleOutsideTheSourceLeavesTheDestination) {
  TMemoryDIBX src(2, 2, 32);
  SetRow(src, 0, {1, 2});
  SetRow(src, 1, {3, 4});
  TMemoryDIBX d(4, 1, 32);
  d.Fill(9);
  d.StretchDraw(TRect{0, 0, 4, 1}, src, TRect{-2, 0, 2, 1}, false, false, false, 255);
  EXPECT_EQ(Row(d, 0), (U{9, 9, 1, 2}));
}

TEST_P(TransformTest, StretchMask) {
  TMemoryDIBX src(2, 1, 32);
  SetRow(src, 0, {0xFF, 0xFF});
  TMemoryDIBX mask(2, 1, 8);
  SetRow(mask, 0, {0, 255});
  TMemoryDIBX d(4, 1, 32);
  d.StretchDrawMask(TRect{0, 0, 4, 1}, src, src.GetBoundsRect(), false, false, &mask, 255);
  EXPECT_EQ(Row(d, 0), (U{0, 0, 0xFD, 0xFD}));
  TMemoryDIBX small(1, 1, 8);
  TMemoryDIBX e(4, 1, 32);
  e.StretchDrawMask(TRect{0, 0, 4, 1}, src, src.GetBoundsRect(), false, false, &small, 255);
  EXPECT_EQ(Row(e, 0), (U(4, 0)));
}

TEST_P(TransformTest, ShrinkMono) {
  // A 4 x 4 block: row 0 and 1 ink (0 bits), rows 2 and 3 background.
  TMemoryDIBX mono(8, 4, 1);
  for (int y = 2; y < 4; ++y)
    for (int x = 0; x < 8; ++x) mono.SetPixel(x, y, 1);
  for (int y = 0; y < 2; ++y)
    for (int x = 4; x < 8; ++x) mono.SetPixel(x, y, 1);  // second block: no ink
  TMemoryDIBX d(2, 1, 32);
  d.Fill(0x00102030);
  d.DrawShrinkMono(0, 0, mono, mono.GetBoundsRect(), 0x00FFFFFF, false, false, 255, 4);
  EXPECT_EQ(Row(d, 0), (U{0x00878F97, 0x00102030}));
  d.DrawShrinkMono(0, 0, mono, mono.GetBoundsRect(), 0x00FFFFFF, true, false, 255, 4);
  EXPECT_EQ(Row(d, 0), (U{0x00878F97, 0x00878F97}));
  TMemoryDIBX full(4, 4, 1);
  TMemoryDIBX c(1, 1, 16);
  c.DrawShrinkMono(0, 0, full, full.GetBoundsRect(), 0xF81F, false, false, 255, 4);
  EXPECT_EQ(c.GetPixel(0, 0), 0xF81Fu);
  // Factor 2 divides by 4, not 16.
  TMemoryDIBX two(2, 2, 1);
  TMemoryDIBX e(1, 1, 32);
  e.DrawShrinkMono(0, 0, two, two.GetBoundsRect(), 0x000000FF, false, false, 255, 2);
  EXPECT_EQ(e.GetPixel(0, 0), 0xFFu);
  TMemoryDIBX none(1, 1, 32);
  none.DrawShrinkMono(0, 0, two, two.GetBoundsRect(), 0xFF, false, false, 255, 0);
  TMemoryDIBX d8(1, 1, 8);
  d8.DrawShrinkMono(0, 0, two, two.GetBoundsRect(), 0xFF, false, false, 255, 2);
  EXPECT_EQ(none.GetPixel(0, 0) + d8.GetPixel(0, 0), 0u);
}

TEST_P(TransformTest, ShrinkQuad) {
  TMemoryDIBX quad(4, 2, 4);
  // Block 0 (2 x 2): values 1 1 / 1 1; block 1: 0 0 / 0 0.
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) quad.SetPixel(x, y, 1);
  TShrinkColors colors{0x00FF0000, 0x0000FF00, 0x000000FF};
  TMemoryDIBX d(2, 1, 32);
  d.Fill(0x00123456);
  d.DrawShrinkQuad(0, 0, quad, quad.GetBoundsRect(), colors, 0, false, false, 255, 2);
  EXPECT_EQ(Row(d, 0), (U{0x00FF0000, 0x00123456}));
  // Half value 3, half background at opacity 255: mean of the two.
  TMemoryDIBX q2(2, 2, 4);
  q2.SetPixel(0, 0, 3);
  q2.SetPixel(1, 0, 0x7);  // the low two bits count: 3
  TMemoryDIBX e(1, 1, 16);
  e.SetPixel(0, 0, 0);
  e.DrawShrinkQuad(0, 0, q2, q2.GetBoundsRect(), TShrinkColors{0, 0, 0x001F}, 0, false, false,
                   255, 2);
  EXPECT_EQ(e.GetPixel(0, 0), 15u);
  // Factor 3 (not a power of two) divides by 256 x 9.
  TMemoryDIBX q3(3, 3, 4);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) q3.SetPixel(x, y, 3);
  TMemoryDIBX f(1, 1, 32);
  f.DrawShrinkQuad(0, 0, q3, q3.GetBoundsRect(), TShrinkColors{0, 0, 0xFF}, 0, false, false, 255,
                   3);
  EXPECT_EQ(f.GetPixel(0, 0), 0xFFu);
}

TEST_P(TransformTest, RotateIdentityEqualsDrawRect) {
  for (int bits : {15, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    TMemoryDIBX src(3, 2, bits);
    SetRow(src, 0, {1, 2, 3});
    SetRow(src, 1, {4, 5, 6});
    TMemoryDIBX a(6, 5, bits), b(6, 5, bits);
    a.DrawRotate(2, 1, 256, 256, src, src.GetBoundsRect(), 0, 0, 0, false, false, false, 255);
    b.DrawRect(2, 1, src, src.GetBoundsRect(), false, false, false);
    EXPECT_EQ(test::All(a), test::All(b));
  }
}

TEST_P(TransformTest, RotateZoomFlipAndModes) {
  TMemoryDIBX src(2, 1, 32);
  SetRow(src, 0, {1, 2});
  TMemoryDIBX d(4, 1, 32);
  d.DrawRotate(0, 0, 512, 256, src, src.GetBoundsRect(), 0, 0, 0, false, false, false, 255);
  EXPECT_EQ(Row(d, 0), (U{1, 1, 2, 2}));
  TMemoryDIBX f(4, 1, 32);
  f.DrawRotate(0, 0, 256, 256, src, src.GetBoundsRect(), 0, 0, 0, false, true, false, 255);
  EXPECT_EQ(Row(f, 0), (U{2, 1, 0, 0}));
  TMemoryDIBX half(4, 1, 32);
  TMemoryDIBX wide(4, 1, 32);
  SetRow(wide, 0, {1, 2, 3, 4});
  half.DrawRotate(0, 0, 128, 256, wide, wide.GetBoundsRect(), 0, 0, 0, false, false, false, 255);
  EXPECT_EQ(Row(half, 0), (U{1, 3, 0, 0}));
  TMemoryDIBX add(1, 1, 32);
  TMemoryDIBX white(1, 1, 32);
  white.SetPixel(0, 0, 0x00FFFFFF);
  add.SetPixel(0, 0, 0x00100000);
  add.DrawRotate(0, 0, 256, 256, white, white.GetBoundsRect(), 0, 0, 0, false, false, false, 384);
  EXPECT_EQ(add.GetPixel(0, 0), 0x008F7F7Fu);
  TMemoryDIBX zero(1, 1, 32);
  zero.DrawRotate(0, 0, 0, 256, white, white.GetBoundsRect(), 0, 0, 0, false, false, false, 255);
  zero.DrawRotate(0, 0, 256, -5, white, white.GetBoundsRect(), 0, 0, 0, false, false, false, 255);
  EXPECT_EQ(zero.GetPixel(0, 0), 0u);
  TMemoryDIBX eight(2, 1, 8);
  eight.DrawRotate(0, 0, 256, 256, white, white.GetBoundsRect(), 0, 0, 0, false, false, false, 255);
  EXPECT_EQ(Row(eight, 0), (U{0, 0}));
}

TEST_P(TransformTest, RotateQuarterTurnBounds) {
  TRect r;
  RotatedBlitSetup(100, 100, 0, 0, 64, TRect{0, 0, 10, 20}, 256, 256, 10, 20, false, false, r);
  EXPECT_EQ(r.right - r.left, 20);
  EXPECT_EQ(r.bottom - r.top, 10);
  // A quarter turn of a column of distinct pixels lays them along a row.
  TMemoryDIBX src(1, 3, 32);
  src.SetPixel(0, 0, 1);
  src.SetPixel(0, 1, 2);
  src.SetPixel(0, 2, 3);
  TMemoryDIBX d(7, 7, 32);
  d.DrawRotate(3, 3, 256, 256, src, src.GetBoundsRect(), 0, 0, 64, false, false, false, 255);
  int drawn = 0;
  for (auto v : test::All(d)) drawn += v != 0;
  EXPECT_EQ(drawn, 3);
  EXPECT_EQ(d.GetPixel(3, 3), 1u);
}

TEST_P(TransformTest, RotateMask) {
  TMemoryDIBX src(3, 1, 32);
  SetRow(src, 0, {0xFF, 0xFF, 0xFF});
  TMemoryDIBX mask(3, 1, 8);
  SetRow(mask, 0, {0, 128, 255});
  TMemoryDIBX d(3, 1, 32);
  d.DrawRotateMask(0, 0, 256, 256, src, src.GetBoundsRect(), 0, 0, 0, false, false, &mask, 255);
  EXPECT_EQ(Row(d, 0), (U{0, 0x7F, 0xFE}));
  TMemoryDIBX e(3, 1, 32);
  e.DrawRotateMask(0, 0, 256, 256, src, src.GetBoundsRect(), 0, 0, 0, false, false, &mask, 128);
  EXPECT_EQ(Row(e, 0), (U{0, 0x3F, 0x7E}));
}

INSTANTIATE_TEST_SUITE_P(VectorFlag, TransformTest, ::testing::Bool());

}  // namespace
}  // namespace vorn
