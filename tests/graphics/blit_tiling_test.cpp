#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "graphics/memory_dibx.h"
#include "graphics/vector_unit.h"
#include "surface_test_util.h"

namespace vorn {
namespace {

using test::Row;
using test::SetRow;
using U = std::vector<std::uint32_t>;

class TilingTest : public ::testing::TestWithParam<bool> {
 protected:
  ScopedVectorUnitOverride vector_{GetParam()};
};

TEST_P(TilingTest, FillPatternOffsetsAndFlip) {
  TMemoryDIBX abc(3, 1, 32);
  SetRow(abc, 0, {'A', 'B', 'C'});
  struct Case {
    int offset;
    bool flip;
    const char* want;
  } cases[] = {{1, false, "BCABCABC"}, {-1, false, "CABCABCA"}, {0, true, "CBACBACB"},
               {3, false, "ABCABCAB"}, {-2147483647 - 1, false, "BCABCABC"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    TMemoryDIBX d(8, 1, 32);
    d.FillPattern(TRect{0, 0, 8, 1}, abc, c.offset, 0, c.flip, false);
    std::string got;
    for (auto v : Row(d, 0)) got += static_cast<char>(v);
    EXPECT_EQ(got, c.want);
  }
  // Starting left of the clip gives the same picture inside it.
  TMemoryDIBX a(8, 1, 32), b(8, 1, 32);
  a.FillPattern(TRect{-5, 0, 8, 1}, abc, 0, 0, false, false);
  b.FillPattern(TRect{0, 0, 8, 1}, abc, 5, 0, false, false);
  EXPECT_EQ(Row(a, 0), Row(b, 0));
  TMemoryDIBX empty;
  a.FillPattern(TRect{0, 0, 8, 1}, empty, 3, 0, false, false);
  EXPECT_EQ(Row(a, 0), Row(b, 0));
}

TEST_P(TilingTest, FillPatternRowsFlipVertically) {
  TMemoryDIBX p(1, 2, 16);
  SetRow(p, 0, {1});
  SetRow(p, 1, {2});
  TMemoryDIBX d(1, 3, 16);
  d.FillPattern(d.GetBoundsRect(), p, 0, 0, false, true);
  EXPECT_EQ(test::All(d), (U{2, 1, 2}));
}

TEST_P(TilingTest, DrawScaledTiled) {
  TMemoryDIBX p(2, 1, 32);
  SetRow(p, 0, {1, 2});
  TMemoryDIBX d(8, 2, 32);
  d.DrawScaledTiled(d.GetBoundsRect(), 512, 512, p, 0, 0, false, false, false, 255);
  EXPECT_EQ(Row(d, 0), (U{1, 1, 2, 2, 1, 1, 2, 2}));
  EXPECT_EQ(Row(d, 1), Row(d, 0));
  TMemoryDIBX e(8, 1, 32);
  e.DrawScaledTiled(e.GetBoundsRect(), 512, 256, p, 4, 0, false, false, false, 255);
  EXPECT_EQ(Row(e, 0), (U{1, 1, 2, 2, 1, 1, 2, 2}));
  e.DrawScaledTiled(e.GetBoundsRect(), 512, 256, p, -1, 0, false, false, false, 255);
  EXPECT_EQ(Row(e, 0), (U{2, 1, 1, 2, 2, 1, 1, 2}));
  TMemoryDIBX white(1, 1, 32);
  white.SetPixel(0, 0, 0x00FFFFFF);
  TMemoryDIBX a(2, 1, 32);
  a.Fill(0x00010101);
  a.DrawScaledTiled(a.GetBoundsRect(), 256, 256, white, 0, 0, false, false, false, 256);
  EXPECT_EQ(Row(a, 0), (U{0x00010101, 0x00010101}));
  a.DrawScaledTiled(a.GetBoundsRect(), 256, 256, white, 0, 0, false, false, false, 600);
  EXPECT_EQ(Row(a, 0), (U{0x00FFFFFF, 0x00FFFFFF}));
  TMemoryDIBX z(2, 1, 32);
  z.DrawScaledTiled(z.GetBoundsRect(), 0, 256, white, 0, 0, false, false, false, 255);
  EXPECT_EQ(Row(z, 0), (U{0, 0}));
}

TEST_P(TilingTest, DrawScaledTiledMask) {
  TMemoryDIBX p(2, 1, 32);
  SetRow(p, 0, {0xFF, 0xFF});
  TMemoryDIBX m(2, 1, 8);
  SetRow(m, 0, {0, 255});
  TMemoryDIBX d(4, 1, 32);
  d.DrawScaledTiledMask(d.GetBoundsRect(), 256, 256, p, 0, 0, false, false, &m, 255);
  EXPECT_EQ(Row(d, 0), (U{0, 0xFD, 0, 0xFD}));
}

TEST_P(TilingTest, DrawRectTiledTilesGapsAndOffsets) {
  TMemoryDIBX src(10, 1, 32);
  for (int x = 0; x < 10; ++x) src.SetPixel(x, 0, 100 + x);
  TMemoryDIBX d(25, 1, 32);
  d.DrawRectTiled(TRect{0, 0, 25, 1}, 0, 0, src, src.GetBoundsRect(), false, 0, 0);
  EXPECT_EQ(d.GetPixel(0, 0), 100u);
  EXPECT_EQ(d.GetPixel(10, 0), 100u);
  EXPECT_EQ(d.GetPixel(24, 0), 104u);
  struct Case {
    int offset;
    std::uint32_t first;
    std::uint32_t at3;
  } cases[] = {{3, 103, 106}, {-3, 107, 100}, {-10, 100, 103}, {13, 103, 106}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offset);
    TMemoryDIBX t(25, 1, 32);
    t.DrawRectTiled(TRect{0, 0, 25, 1}, 0, 0, src, src.GetBoundsRect(), false, c.offset, 0);
    EXPECT_EQ(t.GetPixel(0, 0), c.first);
    EXPECT_EQ(t.GetPixel(3, 0), c.at3);
  }
  TMemoryDIBX g(25, 1, 32);
  g.DrawRectTiled(TRect{0, 0, 25, 1}, 2, 0, src, src.GetBoundsRect(), false, 0, 0);
  EXPECT_EQ(g.GetPixel(9, 0), 109u);
  EXPECT_EQ(g.GetPixel(10, 0), 0u);
  EXPECT_EQ(g.GetPixel(11, 0), 0u);
  EXPECT_EQ(g.GetPixel(12, 0), 100u);
}

TEST_P(TilingTest, TiledOperationsRestoreTheDirtyRect) {
  TMemoryDIBX src(3, 3, 32);
  src.Fill(5);
  TMemoryDIBX d(10, 10, 32);
  d.SetDirtyRect(TRect{2, 2, 6, 6});
  d.DrawOpacityTiled(TRect{0, 0, 10, 10}, 1, 1, src, src.GetBoundsRect(), false, 255, 0, 0);
  EXPECT_EQ(test::RectStr(d.DirtyRect), "2,2,6,6");
  EXPECT_EQ(d.GetPixel(1, 1), 0u);
  EXPECT_NE(d.GetPixel(2, 2), 0u);
  d.ResetDirtyRect();
  d.DrawAddTiled(TRect{0, 0, 4, 4}, 0, 0, src, src.GetBoundsRect(), false, 255, 0, 0);
  EXPECT_EQ(d.DirtyRect.right, 0);
  EXPECT_EQ(d.GetPixel(7, 7), 0u);
  EXPECT_EQ(d.GetPixel(0, 0), 4u);  // (255 x 5) shr 8
}

TEST_P(TilingTest, HugeTiledAreasFinish) {
  TMemoryDIBX src(1, 1, 32);
  src.Fill(1);
  TMemoryDIBX d(4, 4, 32);
  d.DrawRectTiled(TRect{-2147483647, -2147483647, 2147483647, 2147483647}, 0, 0, src,
                  src.GetBoundsRect(), false, 0, 0);
  EXPECT_EQ(d.GetPixel(3, 3), 1u);
  d.DrawRectTiled(TRect{0, 0, 4, 4}, -5, -5, src, src.GetBoundsRect(), false, 0, 0);
  d.StretchDrawTiled(TRect{-2147483647, 0, 2147483647, 4}, 1, 1, 256, 256, src,
                     src.GetBoundsRect(), false, false, false, 255, 7, 7);
}

TEST_P(TilingTest, StretchDrawTiled) {
  TMemoryDIBX src(2, 1, 32);
  SetRow(src, 0, {1, 2});
  TMemoryDIBX d(8, 1, 32);
  // Tiles 4 apart, zoomed 1:1: 1 2 . . 1 2 . .
  d.StretchDrawTiled(d.GetBoundsRect(), 4, 1, 256, 256, src, src.GetBoundsRect(), false, false,
                     false, 255, 0, 0);
  EXPECT_EQ(Row(d, 0), (U{1, 2, 0, 0, 1, 2, 0, 0}));
  TMemoryDIBX z(8, 1, 32);
  z.StretchDrawTiled(z.GetBoundsRect(), 2, 1, 512, 256, src, src.GetBoundsRect(), false, false,
                     false, 255, 1, 0);
  EXPECT_EQ(Row(z, 0), (U{1, 2, 2, 1, 1, 2, 2, 1}));
  TMemoryDIBX mask(2, 1, 8);
  SetRow(mask, 0, {255, 0});
  TMemoryDIBX m(8, 1, 32);
  m.StretchDrawMaskTiled(m.GetBoundsRect(), 4, 1, 256, 256, src, src.GetBoundsRect(), &mask,
                         false, false, 255, 0, 0);
  EXPECT_EQ(Row(m, 0), (U{0, 0, 0, 0, 0, 0, 0, 0}));  // (255 x 255) shr 8 of 1 is 0
  TMemoryDIBX below(8, 1, 32);
  below.StretchDrawMaskTiled(below.GetBoundsRect(), 1, 1, 100, 256, src, src.GetBoundsRect(),
                             &mask, false, false, 255, 0, 0);
  EXPECT_EQ(Row(below, 0), (U(8, 0)));
}

TEST_P(TilingTest, DrawBorder) {
  TMemoryDIBX p(1, 1, 32);
  p.Fill(1);
  TMemoryDIBX d(5, 5, 32);
  d.DrawBorder(TRect{0, 0, 5, 5}, 1, p, 0, 0);
  int set = 0;
  for (auto v : test::All(d)) set += v;
  EXPECT_EQ(set, 16);
  TMemoryDIBX z(5, 5, 32);
  z.DrawBorder(TRect{0, 0, 5, 5}, 0, p, 0, 0);
  for (auto v : test::All(z)) EXPECT_EQ(v, 0u);
}

TEST_P(TilingTest, DrawTable4) {
  TMemoryDIBX src(4, 1, 4);
  SetRow(src, 0, {1, 2, 3, 0});
  src.ColorKey = 0;
  std::vector<std::uint32_t> table(256, 0);
  table[1] = 0x001F;
  table[2] = 0x07E0;
  table[3] = 0;
  TMemoryDIBX d(4, 1, 16);
  d.Fill(0x0001);
  d.DrawTable4(0, 0, src, src.GetBoundsRect(), false, false, 255, table.data());
  EXPECT_EQ(Row(d, 0), (U{0x001F, 0x07E0, 0, 1}));
  TMemoryDIBX a(4, 1, 16);
  a.Fill(0x0001);
  a.DrawTable4(0, 0, src, src.GetBoundsRect(), true, false, 256, table.data());
  EXPECT_EQ(Row(a, 0), (U{1, 1, 1, 1}));
  a.DrawTable4(0, 0, src, src.GetBoundsRect(), false, false, 256 + 128, table.data());
  EXPECT_EQ(Row(a, 0), (U{0x0001 + 15, 0x0001 + 0x03E0, 1, 1}));
  std::vector<std::uint32_t> t32(256, 0);
  t32[1] = 0x00FF0000;
  TMemoryDIBX w(2, 1, 32);
  TMemoryDIBX s2(2, 1, 4);
  SetRow(s2, 0, {1, 1});
  w.DrawTable4(0, 0, s2, s2.GetBoundsRect(), false, false, 128, t32.data());
  EXPECT_EQ(Row(w, 0), (U{0x007F0000, 0x007F0000}));
  TMemoryDIBX e(2, 1, 24);
  e.DrawTable4(0, 0, s2, s2.GetBoundsRect(), false, false, 255, t32.data());
  EXPECT_EQ(Row(e, 0), (U{0, 0}));
}

TEST_P(TilingTest, DrawTableAddThresholdAndKey) {
  TMemoryDIBX src(3, 1, 8);
  SetRow(src, 0, {4, 5, 6});
  src.ColorKey = 4;
  std::vector<std::uint32_t> table(256, 0);
  table[4] = table[5] = table[6] = 0x00000010;
  TMemoryDIBX d32(3, 1, 32);
  d32.DrawTableAdd(0, 0, src, src.GetBoundsRect(), 5, false, false, 255, table.data());
  EXPECT_EQ(Row(d32, 0), (U{0, 0x0F, 0x0F}));
  // 24 bits: the generic rule draws indices above the key.
  TMemoryDIBX d24(3, 1, 24);
  d24.DrawTableAdd(0, 0, src, src.GetBoundsRect(), 6, false, false, 255, table.data());
  EXPECT_EQ(Row(d24, 0), (U{0, 0x0F, 0x0F}));
  TMemoryDIBX s(4, 1, 32);
  s.StretchDrawTableAdd(TRect{0, 0, 4, 1}, src, TRect{1, 0, 3, 1}, 6, true, false, 256,
                        table.data());
  EXPECT_EQ(Row(s, 0), (U{0x10, 0x10, 0, 0}));
  TMemoryDIBX s24(4, 1, 24);
  s24.StretchDrawTableAdd(TRect{0, 0, 4, 1}, src, TRect{1, 0, 3, 1}, 0, false, false, 255,
                          table.data());
  EXPECT_EQ(Row(s24, 0), (U(4, 0)));
}

INSTANTIATE_TEST_SUITE_P(VectorFlag, TilingTest, ::testing::Bool());

}  // namespace
}  // namespace vorn
