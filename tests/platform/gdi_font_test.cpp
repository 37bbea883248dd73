// Fonts of the device-context layer on the FreeType back end, checked against IPA Gothic's own
// tables: OS/2 usWinAscent 1802 and usWinDescent 401 on a 2048 em, full-width advance 2048.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gdi/gdi_font.h"

namespace vorn::gdi {
namespace {

constexpr const char* kIpaGothicFile = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

LogFont Record(const char* face, int height, int weight = 400) {
  LogFont record;
  record.lfHeight = height;
  record.lfWeight = weight;
  record.lfCharSet = 128;
  std::strncpy(record.lfFaceName, face, sizeof record.lfFaceName - 1);
  return record;
}

class IpaGothicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kIpaGothicFile)) GTEST_SKIP() << "IPA Gothic is not installed";
  }
};

TEST_F(IpaGothicTest, CellHeightIsTheSizeAndAscentComesFromTheWindowsMetrics) {
  HFONT dc = CreateFontIndirect(Record("IPAGothic", 24));
  OutlineMetrics metrics;
  ASSERT_TRUE(GetOutlineTextMetrics(*dc, metrics));
  EXPECT_EQ(metrics.height, 24);
  EXPECT_EQ(metrics.ascent, 20);  // round(1802 × 24 / 2203) = round(19.63)
  EXPECT_EQ(metrics.descent, 4);
  EXPECT_TRUE(FontUsable(*dc));
}

TEST_F(IpaGothicTest, GlyphsComeInTheAskedFormatAndSpacesAreBlank) {
  HFONT dc = CreateFontIndirect(Record("IPAGothic", 24));
  GlyphMetrics gm;
  std::vector<std::uint8_t> buffer;
  ASSERT_NE(GetGlyphOutline(*dc, 0x82A0, GGO_GRAY8_BITMAP, gm, buffer), GDI_ERROR);  // あ
  EXPECT_EQ(gm.gmCellIncX, 22);  // 2048 × 24 / 2203 = 22.3
  ASSERT_GT(gm.gmBlackBoxX, 0u);
  const std::size_t stride = (gm.gmBlackBoxX + 3) / 4 * 4;
  EXPECT_EQ(buffer.size(), stride * gm.gmBlackBoxY);
  for (std::uint8_t level : buffer) EXPECT_LE(level, 64);

  ASSERT_NE(GetGlyphOutline(*dc, 0x82A0, GGO_BITMAP, gm, buffer), GDI_ERROR);
  EXPECT_EQ(buffer.size(), (gm.gmBlackBoxX + 31) / 32 * 4 * gm.gmBlackBoxY);

  EXPECT_EQ(GetGlyphOutline(*dc, ' ', GGO_GRAY8_BITMAP, gm, buffer), 0u);
  EXPECT_EQ(gm.gmBlackBoxX, 0u);
  EXPECT_GT(gm.gmCellIncX, 0);

  AbcWidths abc;
  ASSERT_TRUE(GetCharABCWidths(*dc, 0x82A0, abc));
  EXPECT_EQ(abc.abcA + static_cast<std::int32_t>(abc.abcB) + abc.abcC, 22);
}

TEST_F(IpaGothicTest, BoldIsOnePixelWiderAndProportionalFacesDifferInWidth) {
  HFONT plain = CreateFontIndirect(Record("IPAGothic", 24));
  HFONT bold = CreateFontIndirect(Record("IPAGothic", 24, 700));
  HFONT proportional = CreateFontIndirect(Record("IPAPGothic", 24));
  GlyphMetrics a, b;
  std::vector<std::uint8_t> buffer;
  GetGlyphOutline(*plain, 'W', GGO_GRAY8_BITMAP, a, buffer);
  GetGlyphOutline(*bold, 'W', GGO_GRAY8_BITMAP, b, buffer);
  EXPECT_EQ(b.gmCellIncX, a.gmCellIncX + 1);
  TextSize i, w, fixedI, fixedW;
  GetTextExtentPoint(*proportional, "i", i);
  GetTextExtentPoint(*proportional, "W", w);
  GetTextExtentPoint(*plain, "i", fixedI);
  GetTextExtentPoint(*plain, "W", fixedW);
  EXPECT_LT(i.cx, w.cx);
  EXPECT_EQ(fixedI.cx, fixedW.cx);
}

TEST(GdiFont, UnknownFacesHaveNoUsableFont) {
  HFONT dc = CreateFontIndirect(Record("No Such Face", 24));
  EXPECT_FALSE(FontUsable(*dc));
  GlyphMetrics gm;
  std::vector<std::uint8_t> buffer;
  EXPECT_EQ(GetGlyphOutline(*dc, 'A', GGO_GRAY8_BITMAP, gm, buffer), 0u);
}

TEST(GdiFont, Cp932CodesMapToUnicode) {
  struct Case {
    std::uint16_t code;
    char32_t unicode;
  };
  const Case cases[] = {
      {'A', U'A'},      {0x5C, U'\\'},    {0x7E, U'~'},     {0xB1, U'\uFF71'},  // half-width ｱ
      {0x82A0, U'あ'},  {0x8160, U'\uFF5E'},  // the code page's wave dash
      {0x1F, 0},        {0x80, 0},        {0xA0, 0},        {0x8100, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Cp932CodeToUnicode(c.code), c.unicode) << std::hex << c.code;
}

TEST(GdiFont, OutlineTextMetricFieldsSitAtTheirOffsets) {
  std::uint8_t record[kOutlineTextMetricSize] = {};
  OutlineMetrics m{24, 20, 4, 0, 2, 8, 1, -3};
  WriteOutlineTextMetric(m, record);
  EXPECT_EQ(record[0], 212);
  EXPECT_EQ(record[4], 24);
  EXPECT_EQ(record[8], 20);
  EXPECT_EQ(record[12], 4);
  EXPECT_EQ(record[180], 2);
  EXPECT_EQ(record[184], 8);
  EXPECT_EQ(record[188], 1);
  EXPECT_EQ(record[192], 0xFD);
  EXPECT_EQ(record[195], 0xFF);
  const OutlineMetrics back = ReadOutlineTextMetric(record);
  EXPECT_EQ(back.underscorePosition, -3);
  EXPECT_EQ(back.height, 24);
}

}  // namespace
}  // namespace vorn::gdi
