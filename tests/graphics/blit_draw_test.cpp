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

class DrawTest : public ::testing::TestWithParam<bool> {
 protected:
  ScopedVectorUnitOverride vector_{GetParam()};
};

TEST_P(DrawTest, DrawRectFlipsAndClips) {
  for (int bits : {8, 15, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    TMemoryDIBX src(4, 1, bits);
    SetRow(src, 0, {1, 2, 3, 4});
    TMemoryDIBX d(4, 1, bits);
    d.DrawRect(0, 0, src, src.GetBoundsRect(), false, true, false);
    EXPECT_EQ(Row(d, 0), (U{4, 3, 2, 1}));
    TMemoryDIBX c(4, 1, bits);
    c.SetDirtyRect(TRect{1, 0, 4, 1});
    c.DrawRect(1, 0, src, src.GetBoundsRect(), false, true, false);
    EXPECT_EQ(Row(c, 0), (U{0, 4, 3, 2}));
    TMemoryDIBX e(4, 1, bits);
    e.SetDirtyRect(TRect{1, 0, 4, 1});
    e.DrawRect(0, 0, src, src.GetBoundsRect(), false, true, false);
    EXPECT_EQ(Row(e, 0), (U{0, 3, 2, 1}));
  }
}

TEST_P(DrawTest, DrawRectFlipsVertically) {
  TMemoryDIBX src(2, 3, 32);
  SetRow(src, 0, {1, 2});
  SetRow(src, 1, {3, 4});
  SetRow(src, 2, {5, 6});
  TMemoryDIBX d(2, 3, 32);
  d.DrawRect(0, -1, src, src.GetBoundsRect(), false, false, true);
  EXPECT_EQ(Row(d, 0), (U{3, 4}));
  EXPECT_EQ(Row(d, 1), (U{1, 2}));
  EXPECT_EQ(Row(d, 2), (U{0, 0}));
}

TEST_P(DrawTest, DrawRectKey) {
  for (int bits : {8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    TMemoryDIBX src(6, 1, bits);
    SetRow(src, 0, {5, 7, 7, 1, 7, 2});
    src.ColorKey = 7;
    TMemoryDIBX d(6, 1, bits);
    d.Fill(9);
    d.DrawRect(0, 0, src, src.GetBoundsRect(), true, false, false);
    EXPECT_EQ(Row(d, 0), (U{5, 9, 9, 1, 9, 2}));
    src.ColorKey = -1;
    d.DrawRect(0, 0, src, src.GetBoundsRect(), true, false, false);
    EXPECT_EQ(Row(d, 0), (U{5, 7, 7, 1, 7, 2}));
  }
  // At 24 bits a key pixel leaves all three destination bytes.
  TMemoryDIBX src(2, 1, 24);
  SetRow(src, 0, {0x00FF0000, 0x00123456});
  src.ColorKey = 0x00FF0000;
  TMemoryDIBX d(2, 1, 24);
  d.Fill(0x00ABCDEF);
  d.DrawRect(0, 0, src, src.GetBoundsRect(), true, false, false);
  EXPECT_EQ(Row(d, 0), (U{0x00ABCDEF, 0x00123456}));
}

TEST_P(DrawTest, SourceRectOutsideTheSourceIsClippedToIt) {
  TMemoryDIBX src(3, 1, 32);
  SetRow(src, 0, {1, 2, 3});
  TMemoryDIBX d(6, 1, 32);
  d.DrawRect(0, 0, src, TRect{-2, 0, 5, 1}, false, false, false);
  EXPECT_EQ(Row(d, 0), (U{0, 0, 1, 2, 3, 0}));
  TMemoryDIBX f(6, 1, 32);
  f.DrawRect(0, 0, src, TRect{-2, 0, 5, 1}, false, true, false);
  EXPECT_EQ(Row(f, 0), (U{0, 0, 3, 2, 1, 0}));
  TMemoryDIBX inverted(6, 1, 32);
  inverted.DrawRect(0, 0, src, TRect{3, 0, 1, 1}, false, false, false);
  EXPECT_EQ(Row(inverted, 0), (U(6, 0)));
}

TEST_P(DrawTest, DrawRectOntoItselfMovesWithinRows) {
  TMemoryDIBX s(5, 1, 16);
  SetRow(s, 0, {1, 2, 3, 4, 5});
  s.DrawRect(1, 0, s, TRect{0, 0, 4, 1}, false, false, false);
  EXPECT_EQ(Row(s, 0), (U{1, 1, 2, 3, 4}));
}

TEST_P(DrawTest, DrawMask) {
  TMemoryDIBX mask(4, 1, 8);
  SetRow(mask, 0, {0, 128, 255, 127});
  for (int bits : {8, 24, 32}) {
    SCOPED_TRACE(bits);
    TMemoryDIBX src(4, 1, bits);
    SetRow(src, 0, {200, 200, 200, 0x11});
    TMemoryDIBX d(4, 1, bits);
    d.Fill(0x11);
    d.DrawMask(0, 0, src, src.GetBoundsRect(), false, false, &mask);
    // Equal pixels: 8 and 24 bits blend them (lowering), 32 bits leave them.
    const std::uint32_t equal = bits == 32 ? 0x11 : (255 * 0x11) >> 8;
    EXPECT_EQ(Row(d, 0), (U{0x11, (127 * 0x11 + 128 * 200) >> 8, 200, equal}));
  }
  TMemoryDIBX src(4, 1, 32);
  TMemoryDIBX small(3, 1, 8);
  TMemoryDIBX d(4, 1, 32);
  d.Fill(3);
  d.DrawMask(0, 0, src, src.GetBoundsRect(), false, false, &small);
  d.DrawMask(0, 0, src, src.GetBoundsRect(), false, false, nullptr);
  EXPECT_EQ(Row(d, 0), (U{3, 3, 3, 3}));
}

TEST_P(DrawTest, DrawOpacity) {
  TMemoryDIBX src(3, 1, 15);
  SetRow(src, 0, {0x7C00, 0x1234, 0x0001});
  TMemoryDIBX d(3, 1, 15);
  SetRow(d, 0, {0, 0x1234, 0x0010});
  d.DrawOpacity(0, 0, src, src.GetBoundsRect(), false, false, false, 128);
  EXPECT_EQ(Row(d, 0), (U{0x3C00, 0x1234, (127 * 0x10 + 128 * 1) >> 8}));
  // The 15/16/24-bit rule tests the key whenever there is one; 32 bits only on request.
  src.ColorKey = 0x7C00;
  TMemoryDIBX k(1, 1, 15);
  k.DrawOpacity(0, 0, src, TRect{0, 0, 1, 1}, false, false, false, 128);
  EXPECT_EQ(k.GetPixel(0, 0), 0u);
  TMemoryDIBX s32(1, 1, 32);
  s32.SetPixel(0, 0, 0xFF0000FF);
  s32.ColorKey = static_cast<std::int32_t>(0xFF0000FF);
  TMemoryDIBX d32(1, 1, 32);
  d32.DrawOpacity(0, 0, s32, s32.GetBoundsRect(), false, false, false, 128);
  EXPECT_EQ(d32.GetPixel(0, 0), 0x7F00007Fu);  // all four bytes blended
  TMemoryDIBX e32(1, 1, 32);
  e32.DrawOpacity(0, 0, s32, s32.GetBoundsRect(), true, false, false, 128);
  EXPECT_EQ(e32.GetPixel(0, 0), 0u);
}

TEST_P(DrawTest, DrawMaskOpacityAndMaskAdd) {
  TMemoryDIBX mask(3, 1, 8);
  SetRow(mask, 0, {0, 255, 128});
  TMemoryDIBX src(3, 1, 32);
  SetRow(src, 0, {0xFF, 0xFF, 0xFF});
  TMemoryDIBX d(3, 1, 32);
  d.DrawMaskOpacity(0, 0, src, src.GetBoundsRect(), false, false, &mask, 200);
  EXPECT_EQ(Row(d, 0), (U{0, (200 * 255) >> 8, ((200 * 128 >> 8) * 255) >> 8}));
  TMemoryDIBX d16(3, 1, 16);
  TMemoryDIBX s16(3, 1, 16);
  SetRow(s16, 0, {0x1F, 0x1F, 0x1F});
  d16.DrawMaskOpacity(0, 0, s16, s16.GetBoundsRect(), false, false, &mask, 200);
  const std::uint32_t w255 = (200 * 255) >> 8;
  EXPECT_EQ(Row(d16, 0), (U{0, (w255 * 31) >> 8, (((200 * 128) >> 8) * 31) >> 8}));
  TMemoryDIBX a(3, 1, 32);
  a.Fill(0x10);
  a.DrawMaskAdd(0, 0, src, src.GetBoundsRect(), false, false, &mask, 100);
  EXPECT_EQ(Row(a, 0), (U{0x10, 0x10 + ((100 * 255) >> 8), 0x10 + ((((100 * 128) >> 8) * 255) >> 8)}));
}

TEST_P(DrawTest, DrawAdd) {
  TMemoryDIBX src(1, 1, 32);
  src.SetPixel(0, 0, 200);
  TMemoryDIBX d(1, 1, 32);
  d.SetPixel(0, 0, 100);
  d.DrawAdd(0, 0, src, src.GetBoundsRect(), false, false, false, 255);
  EXPECT_EQ(d.GetPixel(0, 0), 255u);
  TMemoryDIBX s8(2, 1, 8);
  SetRow(s8, 0, {200, 20});
  for (std::uint32_t opacity : {1u, 128u, 255u}) {
    TMemoryDIBX d8(2, 1, 8);
    SetRow(d8, 0, {100, 30});
    d8.DrawAdd(0, 0, s8, s8.GetBoundsRect(), false, false, false, opacity);
    EXPECT_EQ(Row(d8, 0), (U{255, 50}));
  }
  // The key always applies; useKey is not consulted.
  s8.ColorKey = 20;
  TMemoryDIBX k8(2, 1, 8);
  k8.DrawAdd(0, 0, s8, s8.GetBoundsRect(), false, false, false, 10);
  EXPECT_EQ(Row(k8, 0), (U{200, 0}));
  // Packed depths saturate at their largest index instead of wrapping.
  TMemoryDIBX s4(2, 1, 4);
  SetRow(s4, 0, {9, 3});
  TMemoryDIBX d4(2, 1, 4);
  SetRow(d4, 0, {9, 3});
  d4.DrawAdd(0, 0, s4, s4.GetBoundsRect(), false, false, false, 255);
  EXPECT_EQ(Row(d4, 0), (U{15, 6}));
  TMemoryDIBX s1(1, 1, 1);
  s1.SetPixel(0, 0, 1);
  TMemoryDIBX d1(1, 1, 1);
  d1.SetPixel(0, 0, 1);
  d1.DrawAdd(0, 0, s1, s1.GetBoundsRect(), false, false, false, 255);
  EXPECT_EQ(d1.GetPixel(0, 0), 1u);
  TMemoryDIBX none(1, 1, 32);
  none.DrawAdd(0, 0, src, src.GetBoundsRect(), false, false, false, 0);
  EXPECT_EQ(none.GetPixel(0, 0), 0u);
}

TEST_P(DrawTest, FormatsThatDifferNeverReadPastTheSource) {
  TMemoryDIBX src(4, 1, 16);
  TMemoryDIBX d(4, 1, 32);
  d.DrawRect(0, 0, src, src.GetBoundsRect(), false, false, false);
  d.DrawOpacity(0, 0, src, src.GetBoundsRect(), false, false, false, 100);
  EXPECT_EQ(Row(d, 0), (U{0, 0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(VectorFlag, DrawTest, ::testing::Bool());

}  // namespace
}  // namespace vorn
