// A character glyph drawn into its document's surfaces and from there onto the target, on
// scripted glyphs: exact pixels.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/scoped_seam.h"
#include "foundation/system_texts.h"
#include "graphics/memory_dibx.h"
#include "support/scripted_rasteriser.h"
#include "text/font_pixel.h"
#include "text/wd_char.h"
#include "text/wd_row.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

using test::ScriptedRasteriser;

// Colours as 0x00BBGGRR values and as the pixels of a 32-bit surface.
constexpr std::int32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;
constexpr std::uint32_t kRedPixel = 0xFF0000, kGreenPixel = 0x00FF00, kBluePixel = 0x0000FF;
// Red written through a mask of 255 onto white by the colour-mask blit: 255 / 256 of the colour.
constexpr std::uint32_t kMaskedRed = 0xFE0000;

// The scripted rasteriser's glyphs at size 12 (ascent 9): a one-byte character is a full 4 × 6
// block at origin x 1 with advance 6, a two-byte one 10 × 6 with advance 12; both start at the
// cell's top. At size 6 (ascent 4) a two-byte character is 4 × 3 with advance 6.
class WdCharRenderTest : public ::testing::Test {
 protected:
  WdCharRenderTest() {
    installed.Install(&cache);
    doc.ColorSurface.SetSize(40, 24, 32);
    doc.AlphaSurface.SetSize(40, 24, 8);
  }

  TWdChar& AddChar(std::uint16_t code, std::int32_t x = 0) {
    auto& ch = static_cast<TWdChar&>(*doc.AddGlyph(std::make_unique<TWdChar>(&doc)));
    ch.SetCode(code);
    ch.Measure();
    ch.x = x;
    return ch;
  }

  // Whether the cache holds the entry already (asking again made no rasteriser request).
  bool Cached(std::uint16_t code, const std::string& face, std::uint8_t flags, std::int32_t size) {
    const int before = raster.requests;
    cache.GetGlyph(code, face, flags, size);
    return raster.requests == before;
  }

  std::uint8_t Alpha(int x, int y) { return static_cast<std::uint8_t>(doc.AlphaSurface.GetPixel(x, y)); }
  std::uint32_t Color(int x, int y) { return doc.ColorSurface.GetPixel(x, y); }
  // The columns of a row of the alpha surface that are 255, as "from-to" runs.
  std::string OpaqueRuns(int y) {
    std::string runs;
    for (int x = 0; x < doc.AlphaSurface.GetWidth();) {
      if (Alpha(x, y) != 255) {
        ++x;
        continue;
      }
      const int from = x;
      while (x < doc.AlphaSurface.GetWidth() && Alpha(x, y) == 255) ++x;
      runs += (runs.empty() ? "" : " ") + std::to_string(from) + "-" + std::to_string(x - 1);
    }
    return runs;
  }

  ScriptedRasteriser raster;
  TFontPixelManager cache;
  ScopedSeam<TFontPixelManager> installed{ExchangeFontPixelManager};
  TZkWord doc;
};

TEST_F(WdCharRenderTest, AGlyphNarrowerThanItsCellIsCentredByItsAbcWidths) {
  auto& ch = AddChar('a', 2);
  ch.Render(false);
  // Cell 12: free 8, A 1, B 4, C 1: round(8 × 3 / 6) = 4, less origin x 1 = 3 past the origin.
  EXPECT_EQ(ch.DrawnRect, (TRect{6, 0, 10, 6}));
  EXPECT_EQ(OpaqueRuns(0), "6-9");
  EXPECT_EQ(OpaqueRuns(5), "6-9");
  EXPECT_EQ(OpaqueRuns(6), "");
  EXPECT_EQ(Color(6, 0), 0u);  // the document's text colour, black
  EXPECT_EQ(ch.GetOpacity(), 255);
  ch.Render(true);
  EXPECT_EQ(ch.GetOpacity(), 0);
}

TEST_F(WdCharRenderTest, FaceFlagsSizeAndQualityOfTheEntry) {
  const std::string gothic(texts::kDefaultTextFace);
  struct Case {
    const char* what;
    std::string glyph_face;
    std::string document_face;
    std::uint8_t style;
    bool linked;
    std::int32_t glyph_size;
    std::string face;
    std::uint8_t flags;
    std::int32_t size;
  };
  const Case cases[] = {
      {"the glyph's face and size", "Own", "Doc", 1, false, 14, "Own", 1, 14},
      {"the document's face and size", "", "Doc", 2, false, 0, "Doc", 2, 12},
      {"the fixed face when neither has one", "", "", 0, false, 0, gothic, 0, 12},
      {"a link is underlined", "", "Doc", 8, true, 0, "Doc", 8 | 4, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFontPixelManager fresh;
    ScopedSeam<TFontPixelManager> seam{ExchangeFontPixelManager};
    seam.Install(&fresh);
    doc.FontName = c.document_face;
    doc.Quality = 1;
    auto& ch = AddChar('a');
    ch.SetFontName(c.glyph_face);
    ch.SetStyle(c.style);
    ch.SetFontSize(c.glyph_size);
    if (c.linked) ch.SetLink("go");
    ch.Measure();
    ch.Render(false);
    EXPECT_EQ(fresh.Quality(), 1);
    const int before = raster.requests;
    fresh.GetGlyph('a', c.face, c.flags, c.size);
    EXPECT_EQ(raster.requests, before);
  }
}

TEST_F(WdCharRenderTest, TheTextColourFollowsHoverOwnColourLinkAndDocument) {
  doc.TextColor = kRed;
  doc.LinkColor = kGreen;
  doc.LinkHoverColor = kBlue;
  struct Case {
    const char* what;
    std::int32_t own;
    bool linked;
    bool hovered;
    std::uint32_t pixel;
  };
  const Case cases[] = {
      {"the document's", -1, false, false, kRedPixel},
      {"the link's", -1, true, false, kGreenPixel},
      {"its own before the link's", kBlue, true, false, kBluePixel},
      {"the hover colour before its own", kRed, true, true, kBluePixel},
      {"its own, black", 0, false, false, 0x000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto& ch = AddChar('a');
    ch.SetColor(c.own);
    if (c.linked) ch.SetLink("go");
    ch.SetHover(c.hovered);
    ch.Render(false);
    EXPECT_EQ(Color(4, 0), c.pixel);
    doc.DeleteGlyph(doc.GlyphCount() - 1);
  }
}

TEST_F(WdCharRenderTest, AfterAFailedRequestEveryRenderMakesMonochromeEntries) {
  raster.failFormats = {gdi::GGO_GRAY8_BITMAP};
  doc.Quality = 3;
  AddChar('a').Render(false);
  EXPECT_TRUE(cache.Failed());
  raster.failFormats.clear();
  raster.formats.clear();
  auto& later = AddChar('b', 12);
  later.Render(false);  // sets the document's quality 3 again
  EXPECT_EQ(cache.Quality(), 0);
  EXPECT_EQ(raster.formats, std::vector<unsigned>{gdi::GGO_BITMAP});
  EXPECT_TRUE(Cached('b', doc.FontName, 0, 12));  // keyed at quality 0
  EXPECT_EQ(OpaqueRuns(0), "4-7 16-19");
}

TEST_F(WdCharRenderTest, TheFirstGlyphOfARubyGroupDrawsTheRubyOverTheGroup) {
  auto& first = AddChar(0x82A0, 0);  // あ
  auto& second = AddChar(0x82A2, 12);
  for (TWdChar* ch : {&first, &second}) {
    ch->SetRuby("\x82\xA0\x82\xA2");  // two ruby characters
    ch->SetStyle(kFontBold | kFontUnderline);
    ch->Measure();
  }
  EXPECT_EQ(first.height, 18);  // the cell 12 and the ruby band 6
  first.Render(false);
  // r = 6; W = 24: ruby cells at round(24 / 4) − 3 = 3 and round(72 / 4) − 3 = 15, each 4 wide
  // from its origin x 1, three rows high; the main glyph six rows lower.
  EXPECT_EQ(OpaqueRuns(0), "4-7 16-19");
  EXPECT_EQ(OpaqueRuns(2), "4-7 16-19");
  EXPECT_EQ(OpaqueRuns(3), "");
  EXPECT_EQ(OpaqueRuns(6), "1-10");
  EXPECT_EQ(first.DrawnRect, (TRect{0, 0, 20, 18}));  // with the underline across the cell
  EXPECT_TRUE(Cached(0x82A0, doc.FontName, kFontBold, 6));  // ruby: bold and italic only
  doc.AlphaSurface.Fill(0);
  second.Render(false);
  EXPECT_EQ(OpaqueRuns(0), "");
  EXPECT_EQ(OpaqueRuns(6), "13-22");
}

TEST_F(WdCharRenderTest, NeighboursOfOneFrameJoinTheirShadowAndUnderlineLines) {
  doc.ColorSurface.SetSize(48, 24, 32);
  doc.AlphaSurface.SetSize(48, 24, 8);
  doc.ShadowColor = kGreen;
  TWdChar* chars[3];
  for (int i = 0; i < 3; ++i) {
    chars[i] = &AddChar('a', 14 * i);
    chars[i]->SetStyle(kFontUnderline);
    chars[i]->SetShadow(2);
    chars[i]->Measure();  // 14 × 14 with the shadow
  }
  chars[2]->SetShadowColor(kBlue);  // another frame: the second is the last of its run
  for (TWdChar* ch : chars) ch->Render(false);
  // Shadow underline (row 13): moved right by 2 only for the first of a run.
  EXPECT_EQ(OpaqueRuns(13), "2-27 30-43");
  EXPECT_EQ(Color(2, 13), kGreenPixel);
  EXPECT_EQ(Color(27, 13), kGreenPixel);
  EXPECT_EQ(Color(30, 13), kBluePixel);
  // Text underline (row 11): shortened by 2 for the last of a run.
  EXPECT_EQ(OpaqueRuns(11), "0-25 28-39");
}

class WdCharDrawTest : public WdCharRenderTest {
 protected:
  WdCharDrawTest() {
    doc.Left = 5;
    doc.Top = 4;
    doc.VisibleWidth = 40;
    doc.VisibleHeight = 24;
    doc.Target = &target;
    doc.TextColor = kRed;
    doc.BorderColor = kBlue;
    target.Fill(0x00FFFFFF);
    row = page.AddRow(std::make_unique<TWdRow>(&doc));
  }

  TWdChar& Placed(std::uint16_t code, std::int32_t x) {
    auto& ch = AddChar(code, x);
    row->AddChild(&ch);
    return ch;
  }

  TMemoryDIBX target{60, 40, 32};
  TWdPage page{&doc};
  TWdRow* row = nullptr;
};

TEST_F(WdCharDrawTest, TheTextColourGoesThroughTheAlphaSurfaceAtTheScreenPosition) {
  auto& ch = Placed('a', 2);
  ch.Render(false);
  ch.Draw();
  // Drawn at (6, 0)-(10, 6) of the surfaces; the page is at the text area's (5, 4).
  EXPECT_EQ(target.GetPixel(11, 4), kMaskedRed);
  EXPECT_EQ(target.GetPixel(14, 9), kMaskedRed);
  EXPECT_EQ(target.GetPixel(10, 4), 0xFFFFFFu);
  EXPECT_EQ(target.GetPixel(15, 4), 0xFFFFFFu);
  EXPECT_EQ(target.GetPixel(11, 10), 0xFFFFFFu);
}

TEST_F(WdCharDrawTest, OpacityBlendsAndZeroDrawsNothing) {
  auto& ch = Placed('a', 2);
  ch.Render(false);
  ch.SetOpacity(0);
  ch.Draw();
  EXPECT_EQ(target.GetPixel(11, 4), 0xFFFFFFu);
  ch.SetOpacity(128);
  ch.Draw();
  const std::uint32_t blended = target.GetPixel(11, 4);
  EXPECT_GE(blended >> 16 & 0xFF, 0xFEu);
  EXPECT_GT(blended & 0xFF, 0x70u);
  EXPECT_LT(blended & 0xFF, 0x90u);
}

TEST_F(WdCharDrawTest, TheDrawIsClippedToTheTextArea) {
  doc.VisibleWidth = 8;  // the text area ends at x 13
  doc.VisibleHeight = 3;
  auto& ch = Placed('a', 2);
  ch.Render(false);
  ch.Draw();
  EXPECT_EQ(target.GetPixel(12, 6), kMaskedRed);
  EXPECT_EQ(target.GetPixel(13, 6), 0xFFFFFFu);
  EXPECT_EQ(target.GetPixel(12, 7), 0xFFFFFFu);
}

TEST_F(WdCharDrawTest, WithABorderTheColourSurfaceIsDrawnThroughTheAlphaSurface) {
  auto& ch = Placed('a', 2);
  ch.SetBorder(1);
  ch.Measure();
  ch.Render(false);
  ch.Draw();
  // Cell 14 with the border: free 8 as before, the glyph one pixel in, its ring around it.
  EXPECT_EQ(ch.DrawnRect, (TRect{6, 0, 12, 8}));
  EXPECT_EQ(target.GetPixel(11, 4), kBluePixel);  // ring
  EXPECT_EQ(target.GetPixel(12, 5), kRedPixel);   // glyph
  EXPECT_EQ(target.GetPixel(16, 11), kBluePixel);
  EXPECT_EQ(target.GetPixel(17, 12), 0xFFFFFFu);
}

TEST_F(WdCharDrawTest, AnEmptyDrawnRectangleDrawsNothing) {
  auto& space = Placed(' ', 2);
  space.Render(false);
  EXPECT_EQ(space.DrawnRect, TRect{});
  space.Draw();
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) ASSERT_EQ(target.GetPixel(x, y), 0xFFFFFFu);
  }
}

}  // namespace
}  // namespace vorn
