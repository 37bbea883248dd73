// Exact pixels of a cached glyph drawn into a colour and an alpha surface, on scripted glyphs.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "graphics/memory_dibx.h"
#include "support/scripted_rasteriser.h"
#include "text/font_pixel.h"

namespace vorn {
namespace {

using test::ScriptedGlyph;
using test::ScriptedRasteriser;

// Not in any catalogue, so the cache falls back to the fixed face; the scripted rasteriser does
// not care which face it is asked for.
const std::string kFace = "Face";

ScriptedGlyph Glyph(std::uint32_t width, std::uint32_t height, std::vector<std::uint8_t> coverage,
                    std::int16_t advance) {
  ScriptedGlyph glyph;
  glyph.metrics.gmBlackBoxX = width;
  glyph.metrics.gmBlackBoxY = height;
  glyph.metrics.originX = 1;
  glyph.metrics.originY = 7;  // ascent 9 at size 12: two rows below the cell top
  glyph.metrics.gmCellIncX = advance;
  // Handed over as 65-level rows (the cache's default quality) whose table entries are exactly
  // these coverages: level 64 is 255, 27 is 128, 11 is 64.
  const std::size_t stride = (width + 3) / 4 * 4;
  glyph.raw.assign(stride * height, 0);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint8_t c = coverage[y * width + x];
      glyph.raw[y * stride + x] = c == 255 ? 64 : c == 128 ? 27 : c == 64 ? 11 : 0;
    }
  }
  return glyph;
}

class DrawToTest : public ::testing::Test {
 protected:
  DrawToTest() {
    // The 4 × 3 block: 255, 255, 128, 64 on top, then two rows of 255. Advance 8: not centred
    // in a cell 8 wide.
    raster.glyphs['B'] = Glyph(4, 3, {255, 255, 128, 64, 255, 255, 255, 255, 255, 255, 255, 255}, 8);
    raster.glyphs['1'] = Glyph(1, 1, {255}, 3);
    raster.glyphs['h'] = Glyph(1, 1, {128}, 3);
  }

  TFontPixel* Get(std::uint16_t code, std::uint8_t flags = 0) { return cache.GetGlyph(code, kFace, flags, 12); }

  ScriptedRasteriser raster;
  TFontPixelManager cache;
  TMemoryDIBX color{10, 16, 32};
  TMemoryDIBX alpha{10, 16, 8};
  TRect drawn{};
};

constexpr std::uint32_t kText = 0xFF0000, kBorder = 0x0000FF, kShadow = 0x00FF00;

TEST_F(DrawToTest, WithoutBorderOrShadowClearFirstCopiesTheBitmap) {
  alpha.SetPixel(0, 0, 77);
  Get('B')->DrawTo(color, alpha, true, drawn, kShadow, kBorder, kText, false, false, 0, 0, 0, 0, 8, 12);
  EXPECT_EQ(drawn, (TRect{1, 2, 5, 5}));
  const std::uint8_t expected[3][4] = {{255, 255, 128, 64}, {255, 255, 255, 255}, {255, 255, 255, 255}};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(alpha.GetPixel(1 + x, 2 + y), expected[y][x]) << x << "," << y;
      EXPECT_EQ(color.GetPixel(1 + x, 2 + y), kText);
    }
  }
  EXPECT_EQ(alpha.GetPixel(0, 0), 77u);
  EXPECT_EQ(color.GetPixel(0, 2), 0u);
}

TEST_F(DrawToTest, WithoutClearFirstTheAlphaKeepsTheLargerValue) {
  alpha.SetPixel(3, 2, 200);  // above the 128 of the glyph
  alpha.SetPixel(4, 2, 10);   // below its 64
  Get('B')->DrawTo(color, alpha, false, drawn, kShadow, kBorder, kText, false, false, 0, 0, 0, 0, 8, 12);
  EXPECT_EQ(alpha.GetPixel(3, 2), 200u);
  EXPECT_EQ(alpha.GetPixel(4, 2), 64u);
  EXPECT_EQ(color.GetPixel(4, 2), kText);
}

TEST_F(DrawToTest, UnderlineAndStrikeOutSetAlphaOnly) {
  raster.underscoreSize = 2;
  raster.strikeoutSize = 1;
  Get('B', kFontUnderline | kFontStrikeOut)
      ->DrawTo(color, alpha, true, drawn, kShadow, kBorder, kText, false, false, 0, 0, 0, 0, 8, 12);
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(alpha.GetPixel(x, 10), 255u);  // underline (0, 12 − 2, 8, 2)
    EXPECT_EQ(alpha.GetPixel(x, 11), 255u);
    EXPECT_EQ(alpha.GetPixel(x, 6), 255u);  // strike-out at ascent 9 − position 3
    EXPECT_EQ(color.GetPixel(x, 10), 0u);
  }
  EXPECT_EQ(alpha.GetPixel(8, 10), 0u);
  EXPECT_EQ(alpha.GetPixel(0, 7), 0u);
  EXPECT_EQ(drawn, (TRect{0, 2, 8, 12}));
}

// Coverage c over-composited onto alpha a and colour old in colour new: the text glyph of a
// shadowed draw (the shadow lands one pixel lower right and leaves the pixel alone).
TEST_F(DrawToTest, OverCompositingUsesIntegerArithmeticOnTheChannelBits) {
  struct Case {
    int bits;
    std::uint8_t coverage;
    std::uint8_t a;
    std::uint32_t oldColor;
    std::uint32_t newColor;
    std::uint32_t color;
    std::uint8_t alpha;
  };
  const Case cases[] = {
      // c = 255 writes the new colour and alpha 255.
      {32, 255, 0, 0x000000, 0xFFFFFF, 0xFFFFFF, 255},
      // a' = 128, f = 255: each channel × 255 / 256 (255 → 254, 128 → 127, 64 → 63).
      {32, 128, 0, 0x000000, 0xFF8040, 0xFE7F3F, 128},
      // a' = 128 + 128 × 127 / 255 = 191, f = 128 × 255 / 191 = 170:
      // red (170 × 255) / 256 = 169, blue (85 × 255) / 256 = 84.
      {32, 128, 128, 0x0000FF, 0xFF0000, 0xA90054, 191},
      // a = 255 stays; f = 64: (191 × 255) / 256 = 190.
      {32, 64, 255, 0xFFFFFF, 0x000000, 0xBEBEBE, 255},
      // 5-6-5: red 31 → 255 × 31 / 256 = 30, green 63 → 62, blue 31 → 30.
      {16, 128, 0, 0x0000, 0xFFFF, (30u << 11) | (62u << 5) | 30u, 128},
      // 5-5-5 likewise.
      {15, 128, 0, 0x0000, 0x7FFF, (30u << 10) | (30u << 5) | 30u, 128},
  };
  for (const Case& c : cases) {
    raster.glyphs['c'] = Glyph(1, 1, {c.coverage}, 3);
    TFontPixelManager fresh;
    TMemoryDIBX surface(10, 16, c.bits);
    TMemoryDIBX mask(10, 16, 8);
    surface.SetPixel(1, 2, c.oldColor);
    mask.SetPixel(1, 2, c.a);
    fresh.GetGlyph('c', kFace, 0, 12)
        ->DrawTo(surface, mask, false, drawn, kShadow, kBorder, c.newColor, false, false, 1, 0, 0, 0, 3, 12);
    EXPECT_EQ(surface.GetPixel(1, 2), c.color) << c.bits << " bits, c " << int(c.coverage) << ", a " << int(c.a);
    EXPECT_EQ(mask.GetPixel(1, 2), c.alpha);
  }
}

TEST_F(DrawToTest, BorderStampsAroundAndBlendsTheGlyphFromBorderToText) {
  // Coverage 128 at (1, 2), border 1: the text pixel is at (2, 3), the eight stamps around it.
  Get('h')->DrawTo(color, alpha, true, drawn, kShadow, kBorder, kText, false, false, 0, 1, 0, 0, 3, 12);
  EXPECT_EQ(drawn, (TRect{1, 2, 4, 5}));
  for (int y = 2; y <= 4; ++y) {
    for (int x = 1; x <= 3; ++x) {
      if (x == 2 && y == 3) continue;
      // a' = 128, f = 255: blue 255 × 255 / 256 = 254.
      EXPECT_EQ(color.GetPixel(x, y), 0x0000FEu) << x << "," << y;
      EXPECT_EQ(alpha.GetPixel(x, y), 128u);
    }
  }
  // (128 × text + 127 × border) / 256 per channel: red 127, blue 126.
  EXPECT_EQ(color.GetPixel(2, 3), 0x7F007Eu);
  EXPECT_EQ(alpha.GetPixel(2, 3), 255u);
}

TEST_F(DrawToTest, ShadowWithoutBorderCopiesTheShapeThenOverCompositesTheText) {
  Get('1')->DrawTo(color, alpha, true, drawn, kShadow, kBorder, kText, false, false, 2, 0, 0, 0, 3, 12);
  EXPECT_EQ(drawn, (TRect{1, 2, 4, 5}));
  EXPECT_EQ(color.GetPixel(3, 4), kShadow);
  EXPECT_EQ(alpha.GetPixel(3, 4), 255u);
  EXPECT_EQ(color.GetPixel(1, 2), kText);
  EXPECT_EQ(alpha.GetPixel(1, 2), 255u);
  EXPECT_EQ(alpha.GetPixel(2, 3), 0u);
}

TEST_F(DrawToTest, ShadowUnderlineMovesRightWhenFirstAndTheTextUnderlineShortensWhenLast) {
  struct Case {
    bool first;
    bool last;
    int shadowFrom, shadowTo;  // columns of row 11 in the shadow colour
    int textTo;                // last column of row 9 in the text colour
  };
  const Case cases[] = {{true, true, 2, 9, 5}, {false, false, 0, 7, 7}, {true, false, 2, 9, 7}};
  for (const Case& c : cases) {
    TMemoryDIBX surface(12, 16, 32);
    TMemoryDIBX mask(12, 16, 8);
    Get('B', kFontUnderline)
        ->DrawTo(surface, mask, true, drawn, kShadow, kBorder, kText, c.last, c.first, 2, 0, 0, 0, 8, 12);
    for (int x = 0; x < 12; ++x) {
      const bool shadowed = x >= c.shadowFrom && x <= c.shadowTo;
      EXPECT_EQ(surface.GetPixel(x, 11), shadowed ? kShadow : 0u) << "shadow x " << x << " first " << c.first;
      EXPECT_EQ(mask.GetPixel(x, 11), shadowed ? 255u : 0u);
      EXPECT_EQ(surface.GetPixel(x, 9), x <= c.textTo ? kText : 0u) << "text x " << x << " last " << c.last;
    }
  }
}

TEST_F(DrawToTest, BorderAndShadowTogether) {
  Get('1')->DrawTo(color, alpha, true, drawn, kShadow, kBorder, kText, false, false, 1, 1, 0, 0, 3, 12);
  EXPECT_EQ(drawn, (TRect{1, 2, 5, 6}));
  // Text at (2, 3) with its border ring; the shadow's ring around (3, 4) shows at (4, 5).
  EXPECT_EQ(color.GetPixel(2, 3), kText);
  EXPECT_EQ(color.GetPixel(1, 2), kBorder);
  EXPECT_EQ(color.GetPixel(3, 4), kBorder);
  EXPECT_EQ(color.GetPixel(4, 5), kShadow);
  EXPECT_EQ(alpha.GetPixel(4, 5), 255u);
  EXPECT_EQ(alpha.GetPixel(5, 5), 0u);
}

TEST_F(DrawToTest, OtherColourDepthsGetNoColourWrites) {
  TMemoryDIBX surface(10, 16, 24);
  Get('B')->DrawTo(surface, alpha, true, drawn, kShadow, kBorder, kText, false, false, 0, 0, 0, 0, 8, 12);
  EXPECT_EQ(surface.GetPixel(1, 2), 0u);
  EXPECT_EQ(alpha.GetPixel(1, 2), 255u);
}

TEST_F(DrawToTest, WritesStayInsideTheDirtyRectangle) {
  color.SetDirtyRect(TRect{0, 0, 3, 16});
  alpha.SetDirtyRect(TRect{0, 0, 3, 16});
  Get('B')->DrawTo(color, alpha, true, drawn, kShadow, kBorder, kText, false, false, 0, 1, 0, 0, 8, 12);
  for (int y = 0; y < 16; ++y) {
    for (int x = 3; x < 10; ++x) {
      EXPECT_EQ(color.GetPixel(x, y), 0u);
      EXPECT_EQ(alpha.GetPixel(x, y), 0u);
    }
  }
  EXPECT_EQ(alpha.GetPixel(2, 3), 255u);
}

TEST_F(DrawToTest, AHugeBorderSkipsStampsOutsideTheClip) {
  const std::int32_t k = 1000000;
  const auto start = std::chrono::steady_clock::now();
  // The text pixel lands on (0, 0); every other pixel is within reach of some stamp.
  Get('1')->DrawTo(color, alpha, true, drawn, kShadow, kBorder, kText, false, false, 0, k, -k - 1, -k - 2, 3, 12);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(color.GetPixel(0, 0), kText);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 10; ++x) {
      if (x == 0 && y == 0) continue;
      EXPECT_EQ(color.GetPixel(x, y), kBorder);
      EXPECT_EQ(alpha.GetPixel(x, y), 255u);
    }
  }
}

TEST_F(DrawToTest, ABlankGlyphDrawsNothing) {
  drawn = TRect{1, 1, 2, 2};
  Get(' ')->DrawTo(color, alpha, true, drawn, kShadow, kBorder, kText, false, false, 1, 1, 0, 0, 8, 12);
  EXPECT_EQ(drawn, TRect{});
  raster.failAll = true;
  Get('x')->DrawTo(color, alpha, true, drawn, kShadow, kBorder, kText, false, false, 0, 0, 0, 0, 8, 12);
  EXPECT_EQ(drawn, TRect{});
}

// A glyph 2 wide in a cell 12 wide is placed by its ABC widths: the first column it inks.
TEST_F(DrawToTest, NarrowGlyphsAreCentredByTheirAbcWidths) {
  struct Case {
    std::int32_t originX, a, b, c;
    int column;
  };
  const Case cases[] = {
      {0, 1, 2, 3, 3},   // round(10 × 2 / 6) = 3
      {0, 0, 2, 0, 5},   // A + C = 0: free / 2
      {0, 2, 2, -4, 5},  // A + B + C = 0: free / 2, not a division by zero
      {0, 1, 2, 5, 2},   // 10 × 2 / 8 = 2.5 rounds to even
      {4, 1, 2, 3, 4},   // offset 3 − origin 4 is floored at 0: never left of the origin
  };
  std::uint16_t code = 0x8A00;
  for (const Case& c : cases) {
    ScriptedGlyph glyph = Glyph(2, 1, {255, 255}, static_cast<std::int16_t>(2 + c.originX));
    glyph.metrics.originX = c.originX;
    glyph.abc = gdi::AbcWidths{c.a, static_cast<std::uint32_t>(c.b), c.c};
    glyph.abcSet = true;
    raster.glyphs[code] = glyph;
    TMemoryDIBX surface(16, 16, 32);
    TMemoryDIBX mask(16, 16, 8);
    cache.GetGlyph(code, kFace, 0, 12)
        ->DrawTo(surface, mask, true, drawn, kShadow, kBorder, kText, false, false, 0, 0, 0, 0, 12, 12);
    int first = -1;
    for (int x = 0; x < 16 && first < 0; ++x) {
      if (mask.GetPixel(x, 2) != 0) first = x;
    }
    EXPECT_EQ(first, c.column) << "A " << c.a << " B " << c.b << " C " << c.c;
    ++code;
  }
}

}  // namespace
}  // namespace vorn
