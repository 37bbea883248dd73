#include "graphics/fast_dib.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "graphics/fast_dib_convert.h"
#include "platform/display_format.h"

namespace vorn {
namespace {

// Restores the display answer a test changed.
class DisplayFormatScope {
 public:
  explicit DisplayFormatScope(platform::DisplayFormat format)
      : saved_(platform::CurrentDisplayFormat()) {
    platform::SetDisplayFormat(format);
  }
  ~DisplayFormatScope() { platform::SetDisplayFormat(saved_); }

 private:
  platform::DisplayFormat saved_;
};

void Put24(TFastDIB& dib, int x, int y, int r, int g, int b) {
  std::uint8_t* p = dib.Rows[y] + 3 * x;
  p[0] = static_cast<std::uint8_t>(b);
  p[1] = static_cast<std::uint8_t>(g);
  p[2] = static_cast<std::uint8_t>(r);
}

std::uint16_t Word(const TFastDIB& dib, int x, int y) {
  return static_cast<std::uint16_t>(dib.Rows[y][2 * x] | (dib.Rows[y][2 * x + 1] << 8));
}

TEST(TFastDIB, RowBytesGapAndInfo) {
  TFastDIB dib;
  EXPECT_EQ(dib.Info.biSize, 40u);
  EXPECT_EQ(dib.Info.biPlanes, 1);
  EXPECT_EQ(dib.Info.biBitCount, 0);
  dib.SetSize(10, 1, 0, 1);
  EXPECT_EQ(dib.RowBytes, 4);
  EXPECT_EQ(dib.Gap, 3);
  EXPECT_EQ(dib.Info.biCompression, kBiRgb);
  struct Case {
    int width, bits, rowBytes, gap;
  };
  for (const Case c : {Case{10, 4, 8, 3}, Case{10, 8, 12, 2}, Case{10, 16, 20, 0},
                       Case{10, 24, 32, 2}, Case{3, 32, 12, 0}}) {
    TFastDIB d;
    d.SetSize(c.width, 5, 0, c.bits);
    EXPECT_EQ(d.RowBytes, c.rowBytes) << c.bits;
    EXPECT_EQ(d.Gap, c.gap) << c.bits;
    EXPECT_EQ(d.Info.biHeight, -5);
    EXPECT_EQ(d.Info.biSizeImage, static_cast<std::uint32_t>(c.rowBytes * 5));
    EXPECT_EQ(d.Rows[1] - d.Rows[0], c.rowBytes);
    EXPECT_EQ(d.Rows[0], d.Bits);
  }
}

TEST(TFastDIB, FormatZeroAsksTheDisplay) {
  {
    DisplayFormatScope display({32, 565});
    TFastDIB dib;
    dib.SetSize(4, 4, 0, 16);
    EXPECT_EQ(dib.Format, 565);
    EXPECT_EQ(dib.Info.biCompression, kBiBitfields);
    EXPECT_EQ(dib.Info.colors[0], 0xF800u);
    EXPECT_EQ(dib.Info.colors[1], 0x07E0u);
    EXPECT_EQ(dib.Info.colors[2], 0x001Fu);
    EXPECT_EQ(dib.RShl, 11);
    EXPECT_EQ(dib.GShr, 2);
  }
  {
    DisplayFormatScope display({16, 555});
    TFastDIB dib;
    dib.SetSize(4, 4, 0, 16);
    EXPECT_EQ(dib.Format, 555);
    EXPECT_EQ(dib.Info.colors[0], 0x7C00u);
    EXPECT_EQ(dib.Info.colors[1], 0x03E0u);
    EXPECT_EQ(dib.Info.colors[2], 0x001Fu);
    TFastDIB screen;
    screen.SetSize(2, 2, 0, 0);
    EXPECT_EQ(screen.BitCount(), 16);
  }
  TFastDIB wide;
  wide.SetSize(2, 2, 0, 32);
  EXPECT_EQ(wide.Format, 888);
  EXPECT_EQ(wide.Info.colors[0], 0xFF0000u);
  EXPECT_EQ(wide.Info.colors[2], 0xFFu);
  EXPECT_EQ(platform::Display16FormatFor(15), 555);
  EXPECT_EQ(platform::Display16FormatFor(24), 565);
}

TEST(TFastDIB, RepeatedSetSizeKeepsPixelsFormatZeroAgainRebuilds) {
  TFastDIB dib;
  dib.SetSize(3, 2, 0, 16);
  dib.Rows[1][3] = 0xAB;
  const std::uint8_t* before = dib.Bits;
  dib.SetSize(3, 2, dib.Format, 16);
  EXPECT_EQ(dib.Bits, before);
  EXPECT_EQ(dib.Rows[1][3], 0xAB);
  dib.SetSize(3, 2, 0, 16);
  EXPECT_EQ(dib.Rows[1][3], 0);
}

TEST(TFastDIB, PixelIndicesAtPaletteDepths) {
  for (int bits : {1, 4, 8}) {
    TFastDIB dib;
    dib.SetSize(11, 2, 0, bits);
    const int top = (1 << bits) - 1;
    for (int x = 0; x < 11; ++x) dib.SetPixelIndex(1, x, (x * 5) & top);
    for (int x = 0; x < 11; ++x) EXPECT_EQ(dib.GetPixelIndex(1, x), (x * 5) & top) << bits;
    for (int x = 0; x < 11; ++x) EXPECT_EQ(dib.GetPixelIndex(0, x), 0);
  }
  TFastDIB one;
  one.SetSize(8, 1, 0, 1);
  one.SetPixelIndex(0, 0, 1);
  one.SetPixelIndex(0, 6, 1);
  EXPECT_EQ(one.Rows[0][0], 0x82);
  TFastDIB four;
  four.SetSize(2, 1, 0, 4);
  four.SetPixelIndex(0, 0, 0xA);
  four.SetPixelIndex(0, 1, 0x5);
  EXPECT_EQ(four.Rows[0][0], 0xA5);
}

TEST(TFastDIB, CountColorsPerDepth) {
  TFastDIB flat;
  flat.SetSize(5, 3, 0, 24);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) Put24(flat, x, y, 10, 20, 30);
  }
  EXPECT_EQ(flat.CountColors(), 1);
  Put24(flat, 4, 2, 255, 255, 255);
  Put24(flat, 0, 0, 0, 0, 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) Put24(flat, x, y, (x + y) % 2 ? 255 : 0, (x + y) % 2 ? 255 : 0, (x + y) % 2 ? 255 : 0);
  }
  EXPECT_EQ(flat.CountColors(), 2);
  TFastDIB wide;
  wide.SetSize(3, 1, 888, 32);
  wide.Rows[0][3] = 7;  // the fourth byte is not a colour
  EXPECT_EQ(wide.CountColors(), 1);
  TFastDIB one;
  one.SetSize(4, 1, 0, 1);
  EXPECT_EQ(one.CountColors(), 1);
  one.SetColor(1, 255, 255, 255);
  EXPECT_EQ(one.CountColors(), 2);
  TFastDIB eight;
  eight.SetSize(7, 1, 0, 8);
  for (int x = 0; x < 7; ++x) eight.Rows[0][x] = static_cast<std::uint8_t>(x % 3);
  EXPECT_EQ(eight.CountColors(), 3);
  TFastDIB sixteen;
  sixteen.SetSize(3, 1, 565, 16);
  sixteen.Rows[0][0] = 1;
  EXPECT_EQ(sixteen.CountColors(), 2);
}

TEST(TFastDIB, BitBltThroughItsDC) {
  TFastDIB src;
  src.SetSize(2, 2, 0, 24);
  Put24(src, 1, 0, 200, 100, 50);
  TFastDIB dst;
  dst.SetSize(2, 2, 888, 32);
  ASSERT_TRUE(gdi::BitBlt(dst.DC(), 0, 0, 2, 2, src.DC(), 0, 0, gdi::SRCCOPY));
  EXPECT_EQ(dst.Rows[0][4], 50);
  EXPECT_EQ(dst.Rows[0][6], 200);
  EXPECT_EQ(dst.Rows[1][4], 0);
}

// --- conversion ---

TEST(ConvertFastDIB, TwoColourPictureTo1BitKeepsBothColours) {
  TFastDIB src;
  src.SetSize(5, 2, 0, 24);
  for (int x = 0; x < 5; ++x) {
    Put24(src, x, 0, 12, 34, 56);
    Put24(src, x, 1, x % 2 ? 200 : 12, x % 2 ? 150 : 34, x % 2 ? 100 : 56);
  }
  TFastDIB dst;
  dst.SetSize(5, 2, 0, 1);
  ConvertFastDIB(dst, src, 0, true);
  EXPECT_EQ(dst.Colors[0], 0x0C2238u);
  EXPECT_EQ(dst.Colors[1], 0xC89664u);
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(dst.GetPixelIndex(0, x), 0);
    EXPECT_EQ(dst.GetPixelIndex(1, x), x % 2);
  }
}

TEST(Quantizer, BlackAndWhiteWithLimitOne) {
  TFastDIB src;
  src.SetSize(2, 1, 0, 24);
  Put24(src, 1, 0, 255, 255, 255);
  for (bool dither : {false, true}) {
    TFastDIB dst;
    dst.SetSize(2, 1, 0, 8);
    QuantizeFastDIB(dst, src, 1, dither);
    EXPECT_EQ(dst.Colors[0], 0x000000u);
    EXPECT_EQ(dst.Colors[1], 0xF8FCF8u);
    EXPECT_EQ(dst.Colors[2], 0u);
    EXPECT_EQ(dst.Rows[0][0], 0);
    EXPECT_EQ(dst.Rows[0][1], 1);
  }
}

TEST(Quantizer, ThreeHundredColoursGiveAtMost256BoxCentres) {
  TFastDIB src;
  src.SetSize(300, 1, 0, 24);
  for (int x = 0; x < 300; ++x) Put24(src, x, 0, (x * 37) & 255, (x >> 8) * 128 + (x & 7) * 9, (x * 73) & 255);
  ASSERT_EQ(src.CountColors(), 300);
  TFastDIB dst;
  dst.SetSize(300, 1, 0, 8);
  ConvertFastDIB(dst, src, 255, false);
  std::set<int> used;
  for (int x = 0; x < 300; ++x) used.insert(dst.Rows[0][x]);
  EXPECT_LE(used.size(), 256u);
  EXPECT_GT(used.size(), 200u);
  for (int k : used) {
    // Box centres: red and blue are multiples of 4, green of 2.
    EXPECT_EQ(dst.ColorR(k) % 4, 0);
    EXPECT_EQ(dst.ColorG(k) % 2, 0);
    EXPECT_EQ(dst.ColorB(k) % 4, 0);
  }
  // A limit of 0 means the target's size.
  TFastDIB zero;
  zero.SetSize(300, 1, 0, 8);
  ConvertFastDIB(zero, src, 0, true);
  std::set<int> usedZero;
  for (int x = 0; x < 300; ++x) usedZero.insert(zero.Rows[0][x]);
  EXPECT_GT(usedZero.size(), 100u);
}

TEST(Quantizer, CellsWithinOneStepStopEarly) {
  // Red 0 and 8 (cells 0 and 1), green 0 and 4 (cells 0 and 1): no side longer than one step.
  TFastDIB src;
  src.SetSize(4, 1, 0, 24);
  Put24(src, 0, 0, 0, 0, 0);
  Put24(src, 1, 0, 8, 0, 0);
  Put24(src, 2, 0, 0, 4, 0);
  Put24(src, 3, 0, 8, 4, 8);
  TFastDIB dst;
  dst.SetSize(4, 1, 0, 8);
  QuantizeFastDIB(dst, src, 255, false);
  EXPECT_EQ(dst.Colors[0], (4u << 16) | (2u << 8) | 4u);
  EXPECT_EQ(dst.Colors[1], 0u);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.Rows[0][x], 0);
}

TEST(Quantizer, SplitsTheLongestSideEarliestBoxFirst) {
  // Red spans cells 0..31, green 0..1: red is split at 15.
  TFastDIB src;
  src.SetSize(2, 1, 0, 24);
  Put24(src, 0, 0, 0, 0, 0);
  Put24(src, 1, 0, 255, 4, 0);
  TFastDIB dst;
  dst.SetSize(2, 1, 0, 8);
  QuantizeFastDIB(dst, src, 1, false);
  EXPECT_EQ(dst.Colors[0], 0u);
  EXPECT_EQ(dst.Colors[1], (248u << 16) | (4u << 8));
}

TEST(Quantizer, DitheringSearchesUncoveredCellsAndStaysInsideRows) {
  // A gradient quantised to 4 colours with dithering: every index is a palette index below 4.
  TFastDIB src;
  src.SetSize(17, 9, 0, 32);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 17; ++x) {
      std::uint8_t* p = src.Rows[y] + 4 * x;
      p[0] = static_cast<std::uint8_t>(x * 15);
      p[1] = static_cast<std::uint8_t>(y * 28);
      p[2] = static_cast<std::uint8_t>(255 - x * 15);
    }
  }
  TFastDIB dst;
  dst.SetSize(17, 9, 0, 8);
  QuantizeFastDIB(dst, src, 3, true);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 17; ++x) EXPECT_LT(dst.Rows[y][x], 4);
  }
}

TEST(DitherTo16, FlatGrey128IsExactAndGrey127Diffuses) {
  for (int grey : {128, 127}) {
    TFastDIB src;
    src.SetSize(8, 4, 0, 24);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 8; ++x) Put24(src, x, y, grey, grey, grey);
    }
    TFastDIB dst;
    dst.SetSize(8, 4, 565, 16);
    ConvertFastDIB(dst, src, 0, true);
    EXPECT_EQ(Word(dst, 0, 0), 0x8410) << grey;
    int below = 0;
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 8; ++x) {
        const std::uint16_t w = Word(dst, x, y);
        if (grey == 128) {
          EXPECT_EQ(w, 0x8410);
        }
        if (w != 0x8410) ++below;
      }
    }
    if (grey == 127) {
      EXPECT_GT(below, 0);
    }
  }
}

TEST(DitherTo16, RoundsToNearestLevelWith555) {
  TFastDIB src;
  src.SetSize(1, 1, 0, 24);
  Put24(src, 0, 0, 255, 4, 3);  // red saturates at its maximum; 4 rounds up, 3 stays down
  TFastDIB dst;
  dst.SetSize(1, 1, 555, 16);
  DitherTo16(dst, src);
  EXPECT_EQ(Word(dst, 0, 0), (31 << 10) | (1 << 5) | 0);
}

// The plain packers, source depth by target depth.
TEST(ConvertFastDIB, PlainPackersAcrossDepths) {
  // Source: a 24-bit picture of three colours.
  TFastDIB src;
  src.SetSize(3, 1, 0, 24);
  Put24(src, 0, 0, 255, 0, 0);
  Put24(src, 1, 0, 0, 255, 0);
  Put24(src, 2, 0, 255, 0, 0);
  TFastDIB eight;
  eight.SetSize(3, 1, 0, 8);
  ConvertFastDIB(eight, src, 0, false);
  EXPECT_EQ(eight.Colors[0], 0xFF0000u);
  EXPECT_EQ(eight.Colors[1], 0x00FF00u);
  EXPECT_EQ(eight.Rows[0][2], 0);
  TFastDIB four;
  four.SetSize(3, 1, 0, 4);
  ConvertFastDIB(four, src, 0, false);
  EXPECT_EQ(four.Rows[0][0], 0x01);
  EXPECT_EQ(four.Colors[1], 0x00FF00u);
  TFastDIB w565;
  w565.SetSize(3, 1, 565, 16);
  ConvertFastDIB(w565, eight, 0, false);
  EXPECT_EQ(Word(w565, 0, 0), 0xF800);
  EXPECT_EQ(Word(w565, 1, 0), 0x07E0);
  TFastDIB w555;
  w555.SetSize(3, 1, 555, 16);
  ConvertFastDIB(w555, w565, 0, false);
  EXPECT_EQ(Word(w555, 0, 0), 0x7C00);
  EXPECT_EQ(Word(w555, 1, 0), 0x03E0);
  TFastDIB back;
  back.SetSize(3, 1, 0, 24);
  ConvertFastDIB(back, w555, 0, false);
  EXPECT_EQ(back.Rows[0][2], 248);  // fields shifted up, low bits 0
  TFastDIB wide;
  wide.SetSize(3, 1, 888, 32);
  ConvertFastDIB(wide, src, 0, false);
  EXPECT_EQ(wide.Rows[0][2], 255);
  EXPECT_EQ(wide.Rows[0][3], 0);
  TFastDIB from8;
  from8.SetSize(3, 1, 0, 24);
  ConvertFastDIB(from8, eight, 0, false);
  EXPECT_EQ(from8.Rows[0][4], 255);
  TFastDIB fromFour;
  fromFour.SetSize(3, 1, 0, 8);
  ConvertFastDIB(fromFour, four, 0, false);
  EXPECT_EQ(fromFour.Rows[0][1], 1);
  EXPECT_EQ(fromFour.Colors[1], 0x00FF00u);
  // 16-bit to 8-bit: palette of distinct words, fields shifted up.
  TFastDIB eightFrom16;
  eightFrom16.SetSize(3, 1, 0, 8);
  ConvertFastDIB(eightFrom16, w565, 0, false);
  EXPECT_EQ(eightFrom16.Colors[0], 0xF80000u);
  EXPECT_EQ(eightFrom16.Colors[1], 0x00FC00u);
}

TEST(ConvertFastDIB, OneBitFromManyColoursGoesThroughTheQuantiser) {
  TFastDIB src;
  src.SetSize(4, 1, 0, 24);
  Put24(src, 0, 0, 0, 0, 0);
  Put24(src, 1, 0, 250, 250, 250);
  Put24(src, 2, 0, 10, 10, 10);
  Put24(src, 3, 0, 240, 240, 240);
  TFastDIB dst;
  dst.SetSize(4, 1, 0, 1);
  ConvertFastDIB(dst, src, 0, false);
  EXPECT_EQ(dst.GetPixelIndex(0, 0), dst.GetPixelIndex(0, 2));
  EXPECT_EQ(dst.GetPixelIndex(0, 1), dst.GetPixelIndex(0, 3));
  EXPECT_NE(dst.GetPixelIndex(0, 0), dst.GetPixelIndex(0, 1));
}

}  // namespace
}  // namespace vorn
