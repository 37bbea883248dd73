#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

#include "graphics/dib_surface.h"

namespace vorn {
namespace {

void Fill(TDIBSurface& s, std::uint32_t value) { s.FillRectPixel(s.GetBoundsRect(), value); }

// A source whose pixel x, y is distinct at depths of 8 bits and more.
void Ramp(TDIBSurface& s, int width, int height, int depth) {
  s.SetSize(width, height, depth);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) s.SetPixel(x, y, static_cast<std::uint32_t>(1 + x + 16 * y));
}

TEST(DIBBlits, ClippingAtEveryDepth) {
  for (int depth : {1, 4, 8, 15, 16, 24, 32}) {
    SCOPED_TRACE(depth);
    TDIBSurface source;
    Ramp(source, 20, 3, depth);
    TDIBSurface target;
    target.SetSize(12, 4, depth);
    target.DrawRect(-10, 1, source, MakeRect(0, 0, 20, 3));
    const std::uint32_t mask = depth == 1 ? 1 : depth == 4 ? 15 : 0xFFFFFFFF;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 12; ++x) {
        const std::uint32_t expected = (y >= 1 && x < 10) ? source.GetPixel(x + 10, y - 1) : 0;
        EXPECT_EQ(target.GetPixel(x, y), expected & mask) << x << "," << y;
      }
  }
}

// Positions near the int32 limits clip away instead of wrapping back into the picture; a source
// rectangle reaching far outside the source moves the position by as much and lands where it
// should.
TEST(DIBBlits, ExtremePositionsClipIn64Bits) {
  constexpr int kMin = std::numeric_limits<int>::min();
  constexpr int kMax = std::numeric_limits<int>::max();
  const struct {
    int x, y;
    TRect rect;
    bool draws;
    int landsX, landsY;  // where source pixel 0, 0 ends up when it draws
  } cases[] = {
      {kMin, 0, MakeRect(0, 0, 8, 4), false, 0, 0},
      {0, kMin, MakeRect(0, 0, 8, 4), false, 0, 0},
      {kMax, 0, MakeRect(0, 0, 8, 4), false, 0, 0},
      {0, kMax, MakeRect(0, 0, 8, 4), false, 0, 0},
      {kMax - 2, kMax - 2, MakeRect(0, 0, 8, 4), false, 0, 0},
      {-8, 0, MakeRect(0, 0, 8, 4), false, 0, 0},
      {kMin, kMin, MakeRect(kMin, kMin, kMax, kMax), true, 0, 0},
      {kMin + 1, 2, MakeRect(kMin, 0, kMax, 4), true, 1, 2},
      {kMax, 0, MakeRect(kMax, 0, kMax, 4), false, 0, 0},
  };
  for (int depth : {1, 4, 8, 16, 24, 32}) {
    TDIBSurface source;
    Ramp(source, 8, 4, depth);
    source.EnsureAlphaPlane();
    source.ClearAlphaPlane();
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << depth << " bits at " << c.x << ", " << c.y);
      TDIBSurface expected;
      expected.SetSize(8, 4, depth);
      if (c.draws) expected.DrawRect(c.landsX, c.landsY, source, source.GetBoundsRect());
      TDIBSurface target;
      target.SetSize(8, 4, depth);
      target.DrawRect(c.x, c.y, source, c.rect);
      TDIBSurface keyed;
      keyed.SetSize(8, 4, depth);
      keyed.DrawKeyed(c.x, c.y, source, c.rect, -1);
      TDIBSurface translucent;
      translucent.SetSize(8, 4, depth);
      translucent.DrawTranslucent(c.x, c.y, source, c.rect, -1, 255);
      TDIBSurface alpha;
      alpha.SetSize(8, 4, depth);
      alpha.DrawAlpha(c.x, c.y, source, c.rect, 255);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
          const std::uint32_t want = expected.GetPixel(x, y);
          ASSERT_EQ(target.GetPixel(x, y), want) << x << ", " << y;
          ASSERT_EQ(keyed.GetPixel(x, y), depth == 1 ? 0u : want) << x << ", " << y;
          ASSERT_EQ(translucent.GetPixel(x, y), depth == 1 ? 0u : want) << x << ", " << y;
          ASSERT_EQ(alpha.GetPixel(x, y), want) << x << ", " << y;
        }
      // Partly translucent, for the blending loops.
      target.DrawTranslucent(c.x, c.y, source, c.rect, 3, 100);
    }
  }
}

// Mapping by colour places each pixel on its own; near the int32 limits nothing lands, and
// nothing wraps back into the picture.
TEST(DIBBlits, MappedAtExtremePositionsDrawsNothing) {
  constexpr int kMin = std::numeric_limits<int>::min();
  constexpr int kMax = std::numeric_limits<int>::max();
  TDIBSurface indexed;
  Ramp(indexed, 3, 2, 8);
  indexed.ColorTable[1] = 0x00FF0000;  // another table than the target's: mapped entry by entry
  indexed.UpdatePalette();
  TDIBSurface rgb;
  Ramp(rgb, 3, 2, 24);
  for (TDIBSurface* source : {&indexed, &rgb}) {
    for (const auto& [x, y] : {std::pair{kMax, kMax}, std::pair{kMin, kMin}, std::pair{kMax - 1, 0}, std::pair{0, kMin + 1}}) {
      SCOPED_TRACE(testing::Message() << source->BitCount() << " bits at " << x << ", " << y);
      TDIBSurface target;
      target.SetSize(4, 4, 8);
      target.DrawMapped(x, y, *source, -1);
      for (int py = 0; py < 4; ++py)
        for (int px = 0; px < 4; ++px) ASSERT_EQ(target.GetPixel(px, py), 0u);
    }
  }
}

// The blits walk rows at the destination's pixel size: a source of another depth is refused
// rather than read past its rows.
TEST(DIBBlits, SourceOfAnotherDepthDrawsNothing) {
  TDIBSurface source;
  Ramp(source, 2, 2, 8);
  source.EnsureAlphaPlane();
  source.ClearAlphaPlane();
  TDIBSurface target;
  target.SetSize(4, 2, 32);
  target.DrawRect(0, 0, source, source.GetBoundsRect());
  target.DrawKeyed(0, 0, source, source.GetBoundsRect(), -1);
  target.DrawTranslucent(0, 0, source, source.GetBoundsRect(), -1, 100);
  target.DrawAlpha(0, 0, source, source.GetBoundsRect(), 255);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(target.GetPixel(x, 0), 0u);
}

TEST(DIBBlits, SourceRectanglesAreCutToTheSource) {
  TDIBSurface source;
  Ramp(source, 4, 4, 8);
  TDIBSurface target;
  target.SetSize(8, 8, 8);
  target.DrawRect(2, 2, source, MakeRect(-2, -1, 100, 100));
  EXPECT_EQ(target.GetPixel(4, 3), source.GetPixel(0, 0));
  EXPECT_EQ(target.GetPixel(7, 6), source.GetPixel(3, 3));
  EXPECT_EQ(target.GetPixel(3, 3), 0u);
  EXPECT_EQ(target.GetPixel(7, 7), 0u);
  target.DrawRect(0, 0, source, MakeRect(5, 5, 9, 9));  // entirely outside: nothing
}

TEST(DIBBlits, KeyedPerDepth) {
  struct Case {
    int depth;
    std::uint32_t a, b;  // two source values; a is the key
  };
  const Case cases[] = {{4, 3, 9}, {8, 7, 200}, {15, 0x1234, 0x7C00}, {16, 0xF800, 0x07E0}, {24, 0x102030, 0xFFFFFF},
                        {32, 0x00A0B0C0, 0x00010203}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.depth);
    TDIBSurface source;
    source.SetSize(2, 1, c.depth);
    source.SetPixel(0, 0, c.a);
    source.SetPixel(1, 0, c.b);
    TDIBSurface target;
    target.SetSize(2, 1, c.depth);
    target.DrawKeyed(0, 0, source, source.GetBoundsRect(), static_cast<std::int32_t>(c.a));
    EXPECT_EQ(target.GetPixel(0, 0), 0u);
    EXPECT_EQ(target.GetPixel(1, 0), c.b);
    target.DrawKeyed(0, 0, source, source.GetBoundsRect(), -1);  // skips nothing
    EXPECT_EQ(target.GetPixel(0, 0), c.a);
  }
}

TEST(DIBBlits, KeyedOneBitWritesBitsThatDifferFromTheKeysTruth) {
  TDIBSurface source;
  source.SetSize(2, 1, 1);
  source.SetPixel(1, 0, 1);  // bits 0, 1
  TDIBSurface target;
  target.SetSize(2, 1, 1);
  Fill(target, 1);
  target.DrawKeyed(0, 0, source, source.GetBoundsRect(), 1);  // writes the clear bit only
  EXPECT_EQ(target.GetPixel(0, 0), 0u);
  EXPECT_EQ(target.GetPixel(1, 0), 1u);
  Fill(target, 0);
  target.DrawKeyed(0, 0, source, source.GetBoundsRect(), -1);  // -1 counts as 1: set bits skipped
  EXPECT_EQ(target.GetPixel(1, 0), 0u);
  target.DrawKeyed(0, 0, source, source.GetBoundsRect(), 0);
  EXPECT_EQ(target.GetPixel(1, 0), 1u);
}

TEST(DIBBlits, TranslucentBlendsAndItsEdges) {
  TDIBSurface white;
  TDIBSurface target;
  // 24 bits: white over black at 128 gives 128 (128 x 255 div 255).
  white.SetSize(1, 1, 24);
  Fill(white, 0xFFFFFF);
  target.SetSize(1, 1, 24);
  target.DrawTranslucent(0, 0, white, white.GetBoundsRect(), -1, 128);
  EXPECT_EQ(target.GetPixel(0, 0), 0x808080u);
  target.DrawTranslucent(0, 0, white, white.GetBoundsRect(), 0xFFFFFF, 128);  // the key
  EXPECT_EQ(target.GetPixel(0, 0), 0x808080u);
  // 32 bits: white over white at 128 gives 0xFE per channel and a clear top byte.
  white.SetSize(1, 1, 32);
  Fill(white, 0xFFFFFFFF);
  target.SetSize(1, 1, 32);
  Fill(target, 0x00FFFFFF);
  target.DrawTranslucent(0, 0, white, white.GetBoundsRect(), -1, 128);
  EXPECT_EQ(target.GetPixel(0, 0), 0x00FEFEFEu);
  // 16 bits: each field blended by div 255.
  white.SetSize(1, 1, 16);
  Fill(white, 0xFFFF);
  target.SetSize(1, 1, 16);
  target.DrawTranslucent(0, 0, white, white.GetBoundsRect(), -1, 128);
  const std::uint32_t r = (128u * 0xF800 / 255) & 0xF800, g = (128u * 0x07E0 / 255) & 0x07E0, b = 128u * 31 / 255;
  EXPECT_EQ(target.GetPixel(0, 0), r | g | b);
  // Opacity 0 draws nothing; 255 and out-of-range values are the keyed copy.
  target.SetSize(1, 1, 24);
  white.SetSize(1, 1, 24);
  Fill(white, 0xFFFFFF);
  Fill(target, 0);
  target.DrawTranslucent(0, 0, white, white.GetBoundsRect(), -1, 0);
  EXPECT_EQ(target.GetPixel(0, 0), 0u);
  target.DrawTranslucent(0, 0, white, white.GetBoundsRect(), -1, 255);
  EXPECT_EQ(target.GetPixel(0, 0), 0xFFFFFFu);
  Fill(target, 0);
  target.DrawTranslucent(0, 0, white, white.GetBoundsRect(), -1, -5);
  EXPECT_EQ(target.GetPixel(0, 0), 0xFFFFFFu);
}

TEST(DIBBlits, ScreenDoorAtPaletteDepths) {
  for (int depth : {1, 4, 8}) {
    SCOPED_TRACE(depth);
    TDIBSurface source;
    source.SetSize(8, 8, depth);
    Fill(source, 1);
    TDIBSurface target;
    target.SetSize(8, 8, depth);
    target.DrawTranslucent(0, 0, source, source.GetBoundsRect(), -1, 15);  // level 0: matrix cell 0 only
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        EXPECT_EQ(target.GetPixel(x, y), ((x & 3) == 0 && (y & 3) == 0) ? 1u : 0u) << x << "," << y;
    Fill(target, 0);
    target.DrawTranslucent(0, 0, source, source.GetBoundsRect(), -1, 240);  // level 15: keyed copy
    // At 1 bit the keyed copy with key -1 skips set bits.
    EXPECT_EQ(target.GetPixel(3, 3), depth == 1 ? 0u : 1u);
    Fill(target, 0);
    target.DrawTranslucent(0, 0, source, source.GetBoundsRect(), -1, 16 * 14);  // 15 of 16
    int drawn = 0;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) drawn += static_cast<int>(target.GetPixel(x, y));
    EXPECT_EQ(drawn, 15);
    EXPECT_EQ(target.GetPixel(0, 3), 0u);  // the cell holding 15
  }
}

TEST(DIBBlits, AlphaPlane) {
  TDIBSurface source;
  source.SetSize(2, 1, 8);
  Fill(source, 9);
  source.EnsureAlphaPlane();
  source.Alpha()->SetPixel(0, 0, 127);
  source.Alpha()->SetPixel(1, 0, 128);
  TDIBSurface target;
  target.SetSize(2, 1, 8);
  target.DrawAlpha(0, 0, source, source.GetBoundsRect(), 255);
  EXPECT_EQ(target.GetPixel(0, 0), 0u);
  EXPECT_EQ(target.GetPixel(1, 0), 9u);

  // 32 bits: 0 skips, 255 copies the word, between blends by shr 8.
  source.SetSize(3, 1, 32);
  Fill(source, 0xFFFFFFFF);
  source.Alpha()->SetPixel(0, 0, 0);
  source.Alpha()->SetPixel(1, 0, 255);
  source.Alpha()->SetPixel(2, 0, 128);
  target.SetSize(3, 1, 32);
  target.DrawAlpha(0, 0, source, source.GetBoundsRect(), 10);  // the opacity acts only at 24 bits
  EXPECT_EQ(target.GetPixel(0, 0), 0u);
  EXPECT_EQ(target.GetPixel(1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(target.GetPixel(2, 0), 0x007F7F7Fu);

  // 24 bits with and without an opacity.
  source.SetSize(2, 1, 24);
  Fill(source, 0xFFFFFF);
  source.Alpha()->SetPixel(0, 0, 128);
  source.Alpha()->SetPixel(1, 0, 1);
  target.SetSize(2, 1, 24);
  target.DrawAlpha(0, 0, source, source.GetBoundsRect(), 255);
  EXPECT_EQ(target.GetPixel(0, 0), 0x7F7F7Fu);  // 255 x 128 shr 8
  EXPECT_EQ(target.GetPixel(1, 0), 0u);         // 255 x 1 shr 8
  Fill(target, 0);
  target.DrawAlpha(0, 0, source, source.GetBoundsRect(), 200);  // e = 200 x 128 shr 8 = 100
  EXPECT_EQ(target.GetPixel(0, 0), 0x636363u);                   // 100 x 255 shr 8 = 99
  EXPECT_EQ(target.GetPixel(1, 0), 0u);                          // 200 x 1 < 256: skipped

  // No plane: a translucent draw without a key.
  source.FreeAlphaPlane();
  Fill(target, 0);
  target.DrawAlpha(0, 0, source, source.GetBoundsRect(), 128);
  EXPECT_EQ(target.GetPixel(0, 0), 0x808080u);
}

TEST(DIBBlits, MappedByColour) {
  // Deep destination: a plain copy by colour.
  TDIBSurface grey;
  grey.SetSize(2, 1, 8);
  grey.SetPixel(1, 0, 200);
  TDIBSurface rgb;
  rgb.SetSize(3, 1, 24);
  rgb.DrawMapped(1, 0, grey, -1);
  EXPECT_EQ(rgb.GetPixel(2, 0), 0xC8C8C8u);

  // Deep source onto a palette: the nearest entry.
  TDIBSurface deep;
  deep.SetSize(2, 1, 24);
  deep.SetPixel(0, 0, 0x0A0B0C);
  TDIBSurface indexed;
  indexed.SetSize(2, 1, 8);
  indexed.DrawMapped(1, 0, deep, -1);  // the second source pixel falls outside
  EXPECT_EQ(indexed.GetPixel(1, 0), 11u);

  // Same depth and table: plain or keyed copy.
  TDIBSurface same;
  same.SetSize(2, 1, 8);
  same.SetPixel(0, 0, 5);
  same.SetPixel(1, 0, 6);
  indexed.DrawMapped(0, 0, same, 5);
  EXPECT_EQ(indexed.GetPixel(0, 0), 0u);
  EXPECT_EQ(indexed.GetPixel(1, 0), 6u);

  // Other table: each index goes through its colour.
  TDIBSurface four;
  four.SetSize(2, 1, 4);
  four.ColorTable[1] = 0x505050;
  four.ColorTable[2] = 0x0000FF;
  four.UpdatePalette();
  four.SetPixel(0, 0, 1);
  four.SetPixel(1, 0, 2);
  indexed.DrawMapped(-1, 0, four, -1);  // pixels left of the picture are dropped
  EXPECT_EQ(indexed.GetPixel(0, 0), 85u);  // blue 255 alone is nearest to grey 85
  indexed.DrawMapped(0, 0, four, 1);
  EXPECT_EQ(indexed.GetPixel(0, 0), 85u);  // the key is skipped
  EXPECT_EQ(indexed.GetPixel(1, 0), 85u);
}

}  // namespace
}  // namespace vorn
