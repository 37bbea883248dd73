#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "graphics/dib.h"

namespace vorn {
namespace {

std::uint32_t Rgb(int r, int g, int b) { return static_cast<std::uint32_t>(r << 16 | g << 8 | b); }

// A deterministic busy picture.
void Paint(TDIB& dib, int width, int height) {
  dib.SetSize(width, height, 24);
  std::uint32_t seed = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      seed = seed * 1103515245 + 12345;
      dib.SetPixel(x, y, (seed >> 8) & 0xFFFFFF);
    }
}

TEST(DIBConvert, TablesAndNearestColours) {
  TDIB dib;
  Paint(dib, 9, 5);
  TDIB original;
  original.Assign(&dib);
  dib.SetBitCount(8);
  EXPECT_EQ(dib.BitCount(), 8);
  EXPECT_EQ(dib.ColorTable[0], 0u);
  EXPECT_EQ(dib.ColorTable[255], 0xFFFFFFu);
  EXPECT_EQ(dib.ColorTable[0xE0 | 0x1C | 0x01], Rgb(255, 255, 85));
  // Every pixel is the nearest 3-3-2 entry, by a plain linear search.
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x) {
      const std::uint32_t c = original.GetPixel(x, y);
      int best = 0;
      long bestDistance = 1L << 40;
      for (int i = 0; i < 256; ++i) {
        const std::uint32_t e = dib.ColorTable[i];
        const long dr = static_cast<long>(e >> 16 & 255) - (c >> 16 & 255);
        const long dg = static_cast<long>(e >> 8 & 255) - (c >> 8 & 255);
        const long db = static_cast<long>(e & 255) - (c & 255);
        const long d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
          bestDistance = d;
          best = i;
        }
      }
      EXPECT_EQ(dib.GetPixel(x, y), static_cast<std::uint32_t>(best)) << x << "," << y;
    }

  TDIB four;
  Paint(four, 3, 3);
  four.SetBitCount(4);
  EXPECT_EQ(four.ColorTable[15], 0xFFFFFFu);
  EXPECT_EQ(four.ColorTable[0b1010], Rgb(255, 85, 0));  // 1-2-1: red 1, green 01, blue 0
  TDIB one;
  Paint(one, 3, 3);
  one.SetBitCount(1);
  EXPECT_EQ(one.ColorTable[0], 0u);
  EXPECT_EQ(one.ColorTable[1], 0xFFFFFFu);
}

TEST(DIBConvert, IndicesCarryOverToDeeperPaletteDepths) {
  TDIB dib;
  dib.SetSize(5, 2, 4);
  for (int x = 0; x < 5; ++x) dib.SetPixel(x, 1, static_cast<std::uint32_t>(x + 10));
  dib.ColorTable[12] = Rgb(1, 2, 3);
  dib.UpdatePalette();
  dib.SetBitCount(8);
  EXPECT_EQ(dib.BitCount(), 8);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(dib.GetPixel(x, 1), static_cast<std::uint32_t>(x + 10));
  EXPECT_EQ(dib.ColorTable[12], Rgb(1, 2, 3));  // the old table stays

  const auto* store = dib.Image().get();
  dib.SetBitCount(8);  // unchanged: nothing
  EXPECT_EQ(dib.Image().get(), store);
}

TEST(DIBConvert, DeeperFormatsTakeEachPixelsColour) {
  TDIB dib;
  dib.SetSize(2, 1, 8);
  dib.SetPixel(1, 0, 200);
  dib.SetBitCount(24);
  EXPECT_EQ(dib.GetPixel(1, 0), Rgb(200, 200, 200));
  dib.PixelFormat = PixelFormat565();
  dib.SetBitCount(16);
  EXPECT_EQ(dib.GetPixel(1, 0), PackPixel(PixelFormat565(), 200, 200, 200));
  dib.PixelFormat = PixelFormat888();
  dib.SetBitCount(32);
  std::uint8_t r, g, b;
  UnpackPixel(PixelFormat565(), PackPixel(PixelFormat565(), 200, 200, 200), r, g, b);
  EXPECT_EQ(dib.GetPixel(1, 0), Rgb(r, g, b));
}

// The plain O(r^2) box filter over the picture, each pixel counted once, clipped to the image.
std::vector<std::uint32_t> ReferenceBlur(TDIB& source, int radius) {
  const int w = source.Width(), h = source.Height();
  std::vector<std::uint32_t> out;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      long r = 0, g = 0, b = 0, n = 0;
      for (int yy = std::max(0, y - radius); yy <= std::min(h - 1, y + radius); ++yy)
        for (int xx = std::max(0, x - radius); xx <= std::min(w - 1, x + radius); ++xx) {
          const std::uint32_t c = source.GetPixel(xx, yy);
          r += c >> 16 & 255;
          g += c >> 8 & 255;
          b += c & 255;
          ++n;
        }
      out.push_back(Rgb(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n)));
    }
  return out;
}

TEST(DIBBlur, SmallCases) {
  TDIB one;
  one.SetSize(1, 1, 24);
  one.SetPixel(0, 0, Rgb(10, 20, 30));
  one.Blur(24, 1);
  EXPECT_EQ(one.GetPixel(0, 0), Rgb(10, 20, 30));

  TDIB row;
  row.SetSize(3, 1, 24);
  row.SetPixel(0, 0, Rgb(0, 0, 0));
  row.SetPixel(1, 0, Rgb(90, 0, 0));
  row.SetPixel(2, 0, Rgb(180, 0, 0));
  row.Blur(24, -1);  // the radius counts by its size
  EXPECT_EQ(row.GetPixel(0, 0) >> 16, 45u);
  EXPECT_EQ(row.GetPixel(1, 0) >> 16, 90u);
  EXPECT_EQ(row.GetPixel(2, 0) >> 16, 135u);
}

TEST(DIBBlur, MatchesThePlainBoxFilter) {
  for (int radius : {1, 2, 5, 40}) {
    SCOPED_TRACE(radius);
    TDIB dib;
    Paint(dib, 17, 11);
    TDIB source;
    source.Assign(&dib);
    const auto expected = ReferenceBlur(source, radius);
    dib.Blur(24, radius);  // same depth: the store the source shares must split, not be read back
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 17; ++x) ASSERT_EQ(dib.GetPixel(x, y), expected[y * 17 + x]) << x << "," << y;
  }
}

TEST(DIBBlur, OutputDepthsAndGreyRamps) {
  TDIB dib;
  dib.SetSize(2, 1, 24);
  dib.SetPixel(0, 0, Rgb(255, 255, 255));
  dib.SetPixel(1, 0, Rgb(255, 255, 255));
  TDIB copy;
  copy.Assign(&dib);
  copy.Blur(8, 1);
  EXPECT_EQ(copy.GetPixel(0, 0), 255u);
  EXPECT_EQ(copy.ColorTable[17], Rgb(17, 17, 17));
  copy.Assign(&dib);
  copy.Blur(4, 1);
  EXPECT_EQ(copy.GetPixel(0, 0), 15u);
  EXPECT_EQ(copy.ColorTable[1], Rgb(17, 17, 17));
  EXPECT_EQ(copy.ColorTable[16], 0u);
  copy.Assign(&dib);
  copy.Blur(1, 1);
  EXPECT_EQ(copy.GetPixel(0, 0), 1u);
  EXPECT_EQ(copy.ColorTable[1], Rgb(192, 192, 192));
  copy.Assign(&dib);
  copy.PixelFormat = PixelFormat555();
  copy.Blur(16, 1);
  EXPECT_EQ(copy.GetPixel(0, 0), 0x7FFFu);
  TDIB empty;
  empty.Blur(24, 3);
  EXPECT_TRUE(empty.GetEmpty());
}

TEST(DIBFilters, GreyscaleWeights) {
  TDIB dib;
  dib.SetSize(1, 1, 24);
  dib.SetPixel(0, 0, Rgb(255, 255, 255));
  TDIB grey;
  grey.Assign(&dib);
  grey.Greyscale(8);
  EXPECT_EQ(grey.GetPixel(0, 0), 253u);
  grey.Assign(&dib);
  grey.Greyscale(24);
  EXPECT_EQ(grey.GetPixel(0, 0), Rgb(253, 253, 253));
  grey.Assign(&dib);
  grey.Greyscale(4);
  EXPECT_EQ(grey.GetPixel(0, 0), 15u);
  grey.Assign(&dib);
  grey.Greyscale(1);
  EXPECT_EQ(grey.GetPixel(0, 0), 1u);
  dib.SetPixel(0, 0, Rgb(100, 0, 0));
  dib.Greyscale(24);  // in place: trunc(100 x 0.3588) = 35
  EXPECT_EQ(dib.GetPixel(0, 0), Rgb(35, 35, 35));
}

TEST(DIBFilters, NegativeTwiceRestores) {
  TDIB dib;
  Paint(dib, 5, 3);
  const std::vector<std::uint8_t> before(dib.GetBits(), dib.GetBits() + dib.Size());
  dib.Negative();
  EXPECT_EQ(dib.GetBits()[3 * 5], static_cast<std::uint8_t>(~before[3 * 5]));  // row padding too
  dib.Negative();
  EXPECT_EQ(std::vector<std::uint8_t>(dib.GetBits(), dib.GetBits() + dib.Size()), before);

  TDIB palette;
  palette.SetSize(2, 2, 8);
  palette.ColorTable[3] = 0xAA102030;
  palette.UpdatePalette();
  palette.Negative();
  EXPECT_EQ(palette.ColorTable[3], 0xAAEFDFCFu);  // the reserved byte stays
  EXPECT_EQ(palette.Image()->ColorTable[3], 0xAAEFDFCFu);
  palette.Negative();
  EXPECT_EQ(palette.ColorTable[3], 0xAA102030u);
}

TEST(DIBFilters, ProgressStagesAndRedrawRule) {
  TDIB dib;
  Paint(dib, 4, 300);
  std::int64_t now = 1000;
  dib.ProgressClock = [&] { return now; };
  struct Note {
    TProgressStage stage;
    int percent;
    bool redraw;
    TRect rect;
    std::string caption;
  };
  std::vector<Note> notes;
  dib.OnProgress = [&](TGraphic&, TProgressStage stage, int percent, bool redraw, const TRect& rect,
                       const std::string& caption) {
    notes.push_back({stage, percent, redraw, rect, caption});
    now += 10;  // each note takes time, so the 200 ms rule comes into play
  };
  dib.Greyscale(24);
  ASSERT_GE(notes.size(), 3u);
  EXPECT_EQ(notes.front().stage, TProgressStage::psStarting);
  EXPECT_EQ(notes.front().caption, "Greyscale");
  EXPECT_EQ(notes.front().rect, MakeRect(0, 0, 4, 300));
  EXPECT_EQ(notes.back().stage, TProgressStage::psEnding);
  EXPECT_EQ(notes.back().percent, 100);
  int redraws = 0;
  for (std::size_t i = 1; i + 1 < notes.size(); ++i) {
    EXPECT_EQ(notes[i].stage, TProgressStage::psRunning);
    if (notes[i].redraw) {
      ++redraws;
      EXPECT_GT(notes[i].rect.bottom - notes[i].rect.top, 32);
    }
  }
  // A note every third row (a percent), 10 ms a note: after 21 notes (row 60) more than 200 ms have
  // passed, so row 61, past 32 rows and within the first third, redraws without a new percentage.
  EXPECT_EQ(notes[1].percent, 1);
  EXPECT_EQ(notes[1].rect, MakeRect(0, 0, 4, 3));
  EXPECT_FALSE(notes[20].redraw);
  EXPECT_TRUE(notes[21].redraw);
  EXPECT_EQ(notes[21].rect, MakeRect(0, 0, 4, 61));
  EXPECT_EQ(notes[22].rect.top, 61);
  EXPECT_GE(redraws, 2);
  EXPECT_EQ(notes.back().rect.bottom, 300);

  notes.clear();
  dib.Blur(24, 2);
  EXPECT_EQ(notes.front().caption, "Blur");

  // A failure still ends the progress run.
  notes.clear();
  EXPECT_ANY_THROW(dib.Blur(7, 1));
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes.back().stage, TProgressStage::psEnding);
}

}  // namespace
}  // namespace vorn
