// The glyph bitmap cache on a scripted rasteriser: keys, eviction, quality formats, failures and
// the values an entry carries.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/system_texts.h"
#include "platform/font_catalog.h"
#include "support/log_recorder.h"
#include "support/scripted_rasteriser.h"
#include "text/font_pixel.h"

namespace vorn {
namespace {

using test::ScriptedGlyph;
using test::ScriptedRasteriser;

const std::string kGothic(texts::kDefaultTextFace);
const std::string kFaceA = "FaceA";

// A catalogue with the fixed-pitch face and one other, for the time of a test.
class CatalogForTest {
 public:
  CatalogForTest() : catalog_(Faces()) { platform::SetActiveFontCatalog(&catalog_); }
  ~CatalogForTest() { platform::SetActiveFontCatalog(nullptr); }

 private:
  static std::vector<platform::FontFace> Faces() {
    platform::FontFace gothic;
    gothic.family = kGothic;
    gothic.japanese = true;
    gothic.fixed_pitch = true;
    platform::FontFace a;
    a.family = kFaceA;
    return {gothic, a};
  }
  platform::FixedFontCatalog catalog_;
};

// A 4 × 3 glyph whose first row is 255, 255, 128, 64 and the rest 255, at origin (1, ascent - 2).
ScriptedGlyph Block() {
  ScriptedGlyph glyph;
  glyph.metrics.gmBlackBoxX = 4;
  glyph.metrics.gmBlackBoxY = 3;
  glyph.metrics.originX = 1;
  glyph.metrics.originY = 7;  // ascent of size 12 is 9: the box starts 2 below the cell top
  glyph.metrics.gmCellIncX = 8;
  glyph.coverage = {255, 255, 128, 64, 255, 255, 255, 255, 255, 255, 255, 255};
  return glyph;
}

class FontPixelTest : public ::testing::Test {
 protected:
  CatalogForTest catalog;
  ScriptedRasteriser raster;
  TFontPixelManager cache;
};

TEST_F(FontPixelTest, HitsNeedTheWholeKeyAndMoveToTheFront) {
  TFontPixel* first = cache.GetGlyph('A', kFaceA, 0, 12);
  const int requests = raster.requests;
  struct Case {
    std::uint16_t code;
    std::string face;
    std::uint8_t flags;
    std::int32_t size;
    std::int32_t quality;
    bool hit;
  };
  const Case cases[] = {
      {'A', kFaceA, 0, 12, 3, true},
      {'B', kFaceA, 0, 12, 3, false},
      {'A', "facea", 0, 12, 3, false},  // faces compare by exact bytes
      {'A', kFaceA, 0, 13, 3, false},
      {'A', kFaceA, kFontBold, 12, 3, false},  // bold and plain are two entries
      {'A', kFaceA, 0, 12, 2, false},
  };
  for (const Case& c : cases) {
    cache.SetQuality(c.quality);
    TFontPixel* got = cache.GetGlyph(c.code, c.face, c.flags, c.size);
    EXPECT_EQ(got == first, c.hit) << c.code << " " << c.face << " " << int(c.flags) << " " << c.size;
    EXPECT_EQ(got->Key().quality, c.quality);
  }
  EXPECT_EQ(raster.requests, requests + 5);
}

TEST_F(FontPixelTest, TheEntryAfterTheLastEvictsTheLeastRecentlyUsed) {
  for (int i = 0; i < TFontPixelManager::kMaxEntries; ++i) cache.GetGlyph(static_cast<std::uint16_t>(0x8800 + i), kFaceA, 0, 12);
  EXPECT_EQ(cache.Count(), 256);
  cache.GetGlyph(0x8800, kFaceA, 0, 12);  // now the newest: 0x8801 is the oldest
  const int requests = raster.requests;
  cache.GetGlyph(0x9000, kFaceA, 0, 12);
  EXPECT_EQ(cache.Count(), 256);
  cache.GetGlyph(0x8800, kFaceA, 0, 12);
  EXPECT_EQ(raster.requests, requests + 1) << "0x8800 stayed";
  cache.GetGlyph(0x8801, kFaceA, 0, 12);
  EXPECT_EQ(raster.requests, requests + 2) << "0x8801 was evicted and is made anew";
}

TEST_F(FontPixelTest, ARunOfOneStyleSelectsTheFontOnce) {
  for (std::uint16_t code = 'a'; code <= 'z'; ++code) cache.GetGlyph(code, kFaceA, 0, 12);
  EXPECT_EQ(cache.FontSelections(), 1);
  cache.GetGlyph('a', kFaceA, kFontBold, 12);
  cache.GetGlyph('b', kFaceA, kFontBold, 12);
  EXPECT_EQ(cache.FontSelections(), 2);
}

TEST_F(FontPixelTest, FontRecordFollowsFlagsAndFallsBackToTheFixedFace) {
  cache.GetGlyph('a', kFaceA, kFontBold | kFontItalic | kFontUnderline | kFontStrikeOut, 20);
  cache.GetGlyph('a', "NoSuchFace", 0, 16);
  ASSERT_EQ(raster.records.size(), 2u);
  const gdi::LogFont& styled = raster.records[0];
  EXPECT_EQ(styled.FaceName(), kFaceA);
  EXPECT_EQ(styled.lfHeight, 20);
  EXPECT_EQ(styled.lfWidth, 0);
  EXPECT_EQ(styled.lfWeight, 700);
  EXPECT_EQ(styled.lfItalic, 1);
  EXPECT_EQ(styled.lfUnderline, 1);
  EXPECT_EQ(styled.lfStrikeOut, 1);
  const gdi::LogFont& fallback = raster.records[1];
  EXPECT_EQ(fallback.FaceName(), kGothic);
  EXPECT_EQ(fallback.lfWeight, 400);
  EXPECT_EQ(fallback.lfItalic, 0);
}

TEST_F(FontPixelTest, UnreadableMetricsRaise) {
  raster.failMetrics = true;
  try {
    cache.GetGlyph('a', kFaceA, 0, 12);
    FAIL() << "no error";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "Error:GetOutlineTextMetrics");
  }
}

// Each quality's format and level table, from buffers made by hand: one row of every level.
TEST_F(FontPixelTest, GreyLevelsMapThroughTheTableOfTheirQuality) {
  struct Case {
    std::int32_t quality;
    unsigned format;
    std::vector<std::uint8_t> expected;
  };
  const Case cases[] = {
      {1, gdi::GGO_GRAY2_BITMAP, {0, 79, 127, 207, 255}},
      {2, gdi::GGO_GRAY4_BITMAP, {0, 43, 55, 67, 79, 91, 103, 115, 159, 171, 183, 195, 207, 219, 231, 243, 255}},
      {3, gdi::GGO_GRAY8_BITMAP, {0,   18,  21,  24,  27,  30,  33,  36,  55,  58,  61,  64,  67,  70,  73,  76,  79,
                                  82,  85,  88,  91,  94,  97,  100, 119, 122, 125, 128, 131, 134, 137, 140, 143, 146,
                                  149, 152, 155, 158, 161, 164, 183, 186, 189, 192, 195, 198, 201, 204, 207, 210, 213,
                                  216, 219, 222, 225, 228, 231, 234, 237, 240, 243, 246, 249, 252, 255}},
  };
  std::uint16_t code = 0x8900;
  for (const Case& c : cases) {
    const auto levels = static_cast<std::uint32_t>(c.expected.size());
    ScriptedGlyph glyph;
    glyph.metrics.gmBlackBoxX = levels;
    glyph.metrics.gmBlackBoxY = 1;
    glyph.metrics.gmCellIncX = static_cast<std::int16_t>(levels);
    for (std::uint32_t level = 0; level < levels; ++level) glyph.raw.push_back(static_cast<std::uint8_t>(level));
    glyph.raw.resize((levels + 3) / 4 * 4, 0);  // rows padded to 4 bytes
    raster.glyphs[code] = glyph;
    cache.SetQuality(c.quality);
    raster.formats.clear();
    const TFontPixel* entry = cache.GetGlyph(code, kFaceA, 0, 12);
    ASSERT_EQ(raster.formats, std::vector<unsigned>{c.format});
    ASSERT_EQ(entry->bitmapWidth, static_cast<std::int32_t>(levels));
    EXPECT_EQ(entry->bitmap, c.expected) << "quality " << c.quality;
    ++code;
  }
}

TEST_F(FontPixelTest, MonochromeExpandsMostSignificantBitFirstWithRowsOf32Bits) {
  ScriptedGlyph glyph;
  glyph.metrics.gmBlackBoxX = 10;
  glyph.metrics.gmBlackBoxY = 2;
  glyph.metrics.gmCellIncX = 12;
  glyph.raw = {0xA0, 0x40, 0xFF, 0xFF,   // row 0: 1010 0000 01.. (the rest is padding)
               0x01, 0x80, 0x00, 0x00};  // row 1: 0000 0001 10..
  raster.glyphs['m'] = glyph;
  cache.SetQuality(0);
  const TFontPixel* entry = cache.GetGlyph('m', kFaceA, 0, 12);
  EXPECT_EQ(raster.formats.back(), gdi::GGO_BITMAP);
  const std::vector<std::uint8_t> expected = {255, 0, 255, 0, 0, 0, 0, 0, 0, 255,
                                              0,   0, 0,   0, 0, 0, 0, 255, 255, 0};
  EXPECT_EQ(entry->bitmap, expected);
}

TEST_F(FontPixelTest, ALargerBufferThanTheBoxGivesMoreRows) {
  ScriptedGlyph glyph;
  glyph.metrics.gmBlackBoxX = 2;
  glyph.metrics.gmBlackBoxY = 1;
  glyph.raw = {64, 64, 0, 0, 32, 0, 0, 0, 0, 16, 0, 0};  // three rows of stride 4
  raster.glyphs['h'] = glyph;
  const TFontPixel* entry = cache.GetGlyph('h', kFaceA, 0, 12);
  EXPECT_EQ(entry->bitmapHeight, 3);
  EXPECT_EQ(entry->bitmap, (std::vector<std::uint8_t>{255, 255, 143, 0, 0, 79}));  // levels 64, 32, 16 at quality 3
}

TEST_F(FontPixelTest, EntryValuesComeFromMetricsAndFlags) {
  raster.glyphs['A'] = Block();
  raster.underscoreSize = 2;
  raster.strikeoutSize = 3;
  const TFontPixel* plain = cache.GetGlyph('A', kFaceA, 0, 12);
  EXPECT_EQ(plain->originX, 1);
  EXPECT_EQ(plain->originY, 2);  // ascent 9 − origin y 7
  EXPECT_EQ(plain->underline, 0);
  EXPECT_EQ(plain->strikeThickness, 0);
  EXPECT_EQ(plain->strikeTop, 6);  // ascent 9 − strike-out position 3
  EXPECT_EQ(plain->advanceExtra, 3);  // advance 8 − width 4 − origin 1
  const TFontPixel* lined = cache.GetGlyph('A', kFaceA, kFontUnderline | kFontStrikeOut, 12);
  EXPECT_EQ(lined->underline, 2);
  EXPECT_EQ(lined->strikeThickness, 3);

  ScriptedGlyph negative = Block();
  negative.metrics.originX = -2;
  negative.metrics.originY = 20;
  negative.metrics.gmCellIncX = 3;
  raster.glyphs['N'] = negative;
  const TFontPixel* clamped = cache.GetGlyph('N', kFaceA, 0, 12);
  EXPECT_EQ(clamped->originX, 0);
  EXPECT_EQ(clamped->originY, 0);
  EXPECT_EQ(clamped->advanceExtra, 0);
}

TEST_F(FontPixelTest, ASpaceIsBlankWithItsTextWidthAsAdvance) {
  const TFontPixel* space = cache.GetGlyph(' ', kFaceA, 0, 12);
  EXPECT_FALSE(space->HasBitmap());
  EXPECT_EQ(space->advanceExtra, 6);
  const TFontPixel* wide = cache.GetGlyph(0x8140, kFaceA, 0, 12);
  EXPECT_EQ(wide->advanceExtra, 12);
}

TEST_F(FontPixelTest, SizesOfZeroOrLessAreBlankWithoutAskingTheRasteriser) {
  for (std::int32_t size : {0, -5, INT32_MIN}) {
    const TFontPixel* entry = cache.GetGlyph('A', kFaceA, 0, size);
    EXPECT_FALSE(entry->HasBitmap());
  }
  EXPECT_EQ(raster.requests, 0);
  EXPECT_EQ(cache.Quality(), 3);
}

TEST_F(FontPixelTest, AFailedRequestDropsToMonochromeForTheRestOfTheRun) {
  const TFontPixel* before = cache.GetGlyph('a', kFaceA, 0, 12);
  raster.failFormats = {gdi::GGO_GRAY8_BITMAP};
  raster.formats.clear();
  const TFontPixel* failed = cache.GetGlyph('b', kFaceA, 0, 12);
  EXPECT_EQ(raster.formats, (std::vector<unsigned>{gdi::GGO_GRAY8_BITMAP, gdi::GGO_BITMAP}));
  EXPECT_TRUE(failed->HasBitmap());
  EXPECT_EQ(failed->Key().quality, 0);
  EXPECT_EQ(before->Key().quality, 3);
  EXPECT_TRUE(cache.Failed());
  cache.SetQuality(3);
  EXPECT_EQ(cache.Quality(), 0);
  raster.formats.clear();
  EXPECT_EQ(cache.GetGlyph('c', kFaceA, 0, 12)->Key().quality, 0);
  EXPECT_EQ(raster.formats, std::vector<unsigned>{gdi::GGO_BITMAP});
}

TEST_F(FontPixelTest, ASecondFailureLeavesAnEntryWithoutBitmap) {
  raster.failAll = true;
  TFontPixel* entry = cache.GetGlyph('a', kFaceA, 0, 12);
  EXPECT_FALSE(entry->HasBitmap());
  EXPECT_EQ(raster.requests, 2);
}

TEST_F(FontPixelTest, NoUsableFontLogsOnceAndGivesBlankGlyphs) {
  raster.usable = false;
  test::LogRecorder log;
  const TFontPixel* a = cache.GetGlyph('a', kFaceA, 0, 12);
  const TFontPixel* b = cache.GetGlyph(0x88A0, kFaceA, kFontBold, 12);
  EXPECT_FALSE(a->HasBitmap());
  EXPECT_FALSE(b->HasBitmap());
  EXPECT_EQ(a->advanceExtra, 6);
  EXPECT_EQ(b->advanceExtra, 12);
  EXPECT_EQ(log.Lines().size(), 1u);
  EXPECT_TRUE(log.Contains("FaceA"));
}

TEST(FontPixelEmptyCatalog, BlankGlyphsAndOneLogLineWithoutRaising) {
  platform::FixedFontCatalog empty(std::vector<platform::FontFace>{});
  platform::SetActiveFontCatalog(&empty);
  test::LogRecorder log;
  {
    TFontPixelManager cache;  // the FreeType back end: it finds no face at all
    EXPECT_FALSE(cache.GetGlyph(0x82A0, kGothic, 0, 24)->HasBitmap());
    EXPECT_FALSE(cache.GetGlyph('A', kGothic, 0, 24)->HasBitmap());
  }
  platform::SetActiveFontCatalog(nullptr);
  EXPECT_EQ(log.Lines().size(), 1u);
}

}  // namespace
}  // namespace vorn
