#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/text_converter.h"
#include "foundation/scoped_seam.h"
#include "support/text/fake_image_source.h"
#include "support/text/glyph_listing.h"
#include "text/wd_char.h"
#include "text/wd_img.h"
#include "text/wd_operators.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

struct Area {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint8_t paging = 0;
};

class Layout : public ::testing::Test {
 protected:
  Layout() {
    pictures_.Add("p20", {20, 20});
    pictures_.Add("float", {20, 30});
    installed_.Install(&pictures_);
  }

  TWdPageList Run(const std::string& utf8_markup, Area area) {
    doc_.SetText({platform::Utf8ToCp932(utf8_markup)});
    return RunGlyphs(area);
  }
  TWdPageList RunGlyphs(Area area) {
    doc_.VisibleWidth = area.width;
    doc_.VisibleHeight = area.height;
    doc_.Paging = area.paging;
    TWdPageList pages;
    doc_.Layout(pages, 0, -1);
    return pages;
  }
  static std::string Rows(const TWdPageList& pages) { return platform::Cp932ToUtf8(test::RowTexts(pages)); }

  TZkWord doc_;
  test::FakeImageSource pictures_;
  ScopedSeam<TWdImageSource> installed_{SetWdImageSource};
};

struct BreakCase {
  const char* name;
  const char* markup;
  std::int32_t width;
  const char* rows;
};

TEST_F(Layout, BreaksLinesByTheJapaneseAndLatinRules) {
  const std::vector<BreakCase> cases = {
      {"stop never starts a line", "あいう。", 36, "あい / う。"},
      {"bracket pair moves down", "あい「う」", 36, "あい / 「う」"},
      {"opening bracket at a row end moves with the next word", "あい「うえ", 36, "あい / 「うえ"},
      {"space ends the first row", "ab cd", 48, "ab  / cd"},
      {"a word starting with A may start a line", "x A", 24, "x  / A"},
      {"u may end a line", "x u", 24, "x  / u"},
      {"ruby group stays whole", "a<RUBY VALUE=r>あいう</RUBY>", 36, "a / あいう"},
      {"link under NOBR stays whole", "a<NOBR><A HREF=x>あいう</A></NOBR>", 36, "a / あいう"},
      {"link alone may split", "a<A HREF=x>あいう</A>", 36, "aあい / う"},
      {"group wider than the area overflows its own row", "あ<NOBR>いうえお</NOBR>か", 36, "あ / いうえお / か"},
      {"line break closes the row", "ab<BR>c", 100, "ab_ / c"},
      {"no wrapping at width 0", "abcdefgh<BR>ij", 0, "abcdefgh_ / ij"},
  };
  for (const BreakCase& c : cases) EXPECT_EQ(Rows(Run(c.markup, {c.width, 1000})), c.rows) << c.name;
}

// The stop set and the bracket set are whole CP932 characters, checked with the host's codec.
TEST_F(Layout, LineRuleSetsAreTheListedCharacters) {
  EXPECT_EQ(platform::Utf8ToCp932("。、｣」』)）､｡!?！？】").size(), 22u);
  EXPECT_EQ(platform::Utf8ToCp932("｢「『（([<【").size(), 12u);
  for (const char* stop : {"。", "、", "｣", "」", "』", ")", "）", "､", "｡", "!", "?", "！", "？", "】"}) {
    EXPECT_EQ(Rows(Run(std::string("あい") + stop, {24, 1000})), std::string("あ / い") + stop) << stop;
  }
  for (const char* opener : {"｢", "「", "『", "（", "(", "[", "<", "【"}) {
    std::string markup = std::string("あ") + (std::string(opener) == "<" ? "\\<" : opener) + "い";
    EXPECT_EQ(Rows(Run(markup, {24, 1000})), std::string("あ / ") + opener + "い") << opener;
  }
  // Trail bytes of the listed characters (A, B, H, I, j, v, x, z, i, u, w, y) are ordinary letters.
  EXPECT_EQ(Rows(Run("a. B", {36, 1000})), "a.  / B");
}

TEST_F(Layout, WidthZeroTakesTheWidestRow) {
  auto pages = Run("abc<BR>de", {0, 1000});
  EXPECT_EQ(doc_.VisibleWidth, 36);
  EXPECT_EQ(test::ListPages(pages), "page 0 h 24\n  row 0 h 12: 0 12 24 36\n  row 12 h 12: 0 12\n");

  pages = Run("<DIV ALIGN=CENTER>ab", {0, 1000});
  EXPECT_EQ(test::ListPages(pages), "page 0 h 12\n  row 0 h 12: -12 0\n");
  EXPECT_EQ(doc_.VisibleWidth, 12);

  pages = Run("<DIV ALIGN=RIGHT>ab", {0, 1000});
  EXPECT_EQ(test::ListPages(pages), "page 0 h 12\n  row 0 h 12: -24 -12\n");
  EXPECT_EQ(doc_.VisibleWidth, 0);
}

TEST_F(Layout, PagingCutsAtTheVisibleHeight) {
  const std::vector<BreakCase> cases = {
      {"third row starts page 2", "a<BR>b<BR>c", 30, "a_ / b_ | c"},
      {"first row taller than the page stays", "a<BR>b", 5, "a_ | b"},
      {"CLEAR starts a page", "a<CLEAR>b", 1000, "a_ | b"},
      {"BR CLEAR starts a page", "a<BR CLEAR>b", 1000, "a_ | b"},
      {"wrapped rows page too", "あいうえおか", 30, "あい / うえ | おか"},
  };
  for (const BreakCase& c : cases) EXPECT_EQ(Rows(Run(c.markup, {24, c.width, 1})), c.rows) << c.name;
  // Without paging one page grows.
  EXPECT_EQ(Rows(Run("a<BR>b<BR CLEAR>c", {24, 5, 0})), "a_ / b_ | c");
}

TEST_F(Layout, LineBreakOfAVariableValueNeverEndsAPage) {
  doc_.Clear();
  auto& a = static_cast<TWdChar&>(*doc_.AddGlyph(std::make_unique<TWdChar>(&doc_)));
  a.SetCode('a');
  auto& br = *doc_.AddGlyph(std::make_unique<TWdVarReturn>(&doc_));
  br.SetPageBreak(true);
  auto& b = static_cast<TWdChar&>(*doc_.AddGlyph(std::make_unique<TWdChar>(&doc_)));
  b.SetCode('b');
  EXPECT_EQ(Rows(RunGlyphs({100, 1000, 1})), "a_ / b");
}

// Characters of 12 beside a picture of 20: the row is 20 high whichever way the picture hangs.
TEST_F(Layout, ImagesAlignOnTheTextBand) {
  struct Case {
    const char* align;
    const char* listing;
    std::int32_t image_y;
    std::int32_t char_y;
  };
  const std::vector<Case> cases = {
      {"TOP", "page 0 h 20\n  row 0 h 20: 0 12 32\n", 0, 0},
      {"BOTTOM", "page 0 h 20\n  row 0 h 20: 0 12 32\n", 0, 8},
      {"CENTER", "page 0 h 20\n  row 0 h 20: 0 12 32\n", 0, 4},
  };
  for (const Case& c : cases) {
    auto pages = Run(std::string("a<IMG SRC=p20 ALIGN=") + c.align + ">b", {100, 1000});
    EXPECT_EQ(test::ListPages(pages), c.listing) << c.align;
    const TWdGlyph& row = *pages[0]->GetChild(0);
    EXPECT_EQ(row.GetChild(1)->y, c.image_y) << c.align;
    EXPECT_EQ(row.GetChild(0)->y, c.char_y) << c.align;
    EXPECT_EQ(row.GetChild(2)->y, c.char_y) << c.align;
  }
}

TEST_F(Layout, CenterRowsTruncateTowardZero) {
  EXPECT_EQ(test::ListPages(Run("<DIV ALIGN=CENTER>a", {37, 1000})), "page 0 h 12\n  row 0 h 12: 12\n");
  // (9 - 12) / 2 is -1, not -2.
  EXPECT_EQ(test::ListPages(Run("<DIV ALIGN=CENTER>a", {9, 1000})), "page 0 h 12\n  row 0 h 12: -1\n");
  EXPECT_EQ(test::ListPages(Run("<DIV ALIGN=RIGHT>a", {30, 1000})), "page 0 h 12\n  row 0 h 12: 18\n");
}

TEST_F(Layout, IndentHangsLaterRowsUnderTheNextGlyph) {
  auto pages = Run("あい<INDENT>うえ", {36, 1000});
  EXPECT_EQ(test::ListPages(pages), "page 0 h 24\n  row 0 h 12: 0 12 24\n  row 12 h 12: 0 24\n");
  EXPECT_EQ(test::ListGlyph(*pages[0]->GetChild(1)->GetChild(0)), "SPACE 24");

  pages = Run("あい<INDENT>うえ<UNDENT>おかきく", {36, 1000});
  EXPECT_EQ(Rows(pages), "あいう / _え / おかき / く");
  // A Latin word moves whole, so the indent starts under its first letter.
  pages = Run("ab<INDENT>cd", {36, 1000});
  EXPECT_EQ(test::ListPages(pages), "page 0 h 24\n  row 0 h 12: 0 12\n  row 12 h 12: 0 24 36\n");
}

TEST_F(Layout, AlignmentOperatorsReachAnOpenRowWithoutVisibleGlyphs) {
  EXPECT_EQ(test::ListPages(Run("<EVENT VALUE=x><DIV ALIGN=RIGHT>ab", {48, 1000})),
            "page 0 h 12\n  row 0 h 12: 24 24 36\n");
  EXPECT_EQ(test::ListPages(Run("a<DIV ALIGN=RIGHT>b<BR>c", {48, 1000})),
            "page 0 h 24\n  row 0 h 12: 0 12 24\n  row 12 h 12: 36\n");
}

TEST_F(Layout, CharacterCellsGrowWithItalicRubyBorderAndShadow) {
  auto pages = Run("<FONT SIZE=20 BORDER=2 SHADOW=3><I><RUBY VALUE=r>a", {0, 1000});
  const TWdGlyph& a = *doc_.GetGlyph(0);
  EXPECT_EQ(a.GetWidth(), 20 + 4 + 4 + 3);
  EXPECT_EQ(a.GetHeight(), 20 + 10 + 4 + 3);
  Run("<FONT SIZE=1><RUBY VALUE=r>a", {0, 1000});
  EXPECT_EQ(doc_.GetGlyph(0)->GetHeight(), 2);
}

// A first row without any glyph of the base band: heights follow the children, however the
// children arrive, and agree with what Arrange finds.
TEST_F(Layout, RowHeightsAgreeBetweenAddingAndArranging) {
  auto pages = Run("<IMG SRC=p20 ALIGN=CENTER><FONT SIZE=30>a", {0, 1000});
  auto& row = static_cast<TWdRow&>(*pages[0]->GetChild(0));
  EXPECT_EQ(row.GetHeight(), 30);
  EXPECT_EQ(row.Above(), 0);
  EXPECT_EQ(row.Below(), 0);
  TWdRow fresh(&doc_);
  fresh.AddChild(doc_.GetGlyph(0));
  EXPECT_EQ(fresh.GetHeight(), 20);
  fresh.AddChild(doc_.GetGlyph(1));
  EXPECT_EQ(fresh.GetHeight(), 30);
  fresh.Arrange();
  EXPECT_EQ(fresh.GetHeight(), 30);
  fresh.ClearChildren();
}

TEST_F(Layout, FloatingImagesKeepTheirPlaceBesideTheText) {
  auto build = [this](std::uint8_t side) {
    doc_.Clear();
    auto& img = static_cast<TWdImg&>(*doc_.AddGlyph(std::make_unique<TWdImg>(&doc_)));
    img.SetFileName("float");
    img.SetAlign(side);
    // Kana, so a break may fall between any two.
    for (std::uint16_t code : {0x82A0, 0x82A2, 0x82A4, 0x82A6, 0x82A8}) {
      auto& ch = static_cast<TWdChar&>(*doc_.AddGlyph(std::make_unique<TWdChar>(&doc_)));
      ch.SetCode(code);
    }
    return RunGlyphs({60, 1000, 1});
  };
  EXPECT_EQ(test::ListPages(build(kAlignLeft)), "page 0 h 24\n  row 0 h 12: 0 20 32 44\n  row 12 h 12: 20 32\n");
  EXPECT_EQ(test::ListPages(build(kAlignRight)), "page 0 h 24\n  row 0 h 12: 40 0 12 24\n  row 12 h 12: 0 12\n");
}

TEST_F(Layout, LayoutRangeStopsAtTheUnitPosition) {
  doc_.SetText({"abcdef"});
  doc_.VisibleWidth = 1000;
  TWdPageList pages;
  doc_.Layout(pages, 1, 3);
  EXPECT_EQ(test::RowTexts(pages), "bcd");
  doc_.Layout(pages, 4, 100);
  EXPECT_EQ(test::RowTexts(pages), "bcd | ef");
}

// Whatever the area and the sizes, layout ends and every glyph lands in some row.
TEST_F(Layout, EndsForExtremeAreasAndSizes) {
  const std::vector<std::int32_t> extremes = {0, -1, 1, 13, INT_MIN, INT_MAX};
  const std::vector<std::string> texts = {
      "ab cd<BR>ef<CLEAR>gh", "<FONT SIZE=2147483647 BORDER=2147483647 SHADOW=2147483647><I><RUBY VALUE=r>ab<BR>c",
      "<FONT SIZE=-2147483648 SHADOW=2147483647>ab</FONT><INDENT>cd<IMG SRC=p20>e",
      "<DIV ALIGN=CENTER><IMG SRC=p20 ALIGN=CENTER>x<DIV ALIGN=RIGHT>y"};
  for (const std::string& text : texts) {
    for (std::int32_t w : extremes) {
      for (std::int32_t h : extremes) {
        for (std::uint8_t paging : {0, 1}) {
          doc_.LineSpace = h;
          auto pages = Run(text, {w, h, paging});
          int placed = 0;
          for (const auto& page : pages) {
            for (int r = 0; r < page->GetChildCount(); ++r) placed += page->GetChild(r)->GetChildCount();
          }
          EXPECT_GE(placed, 3) << text << " " << w << " " << h;
        }
      }
    }
  }
  doc_.LineSpace = 0;
}

// A megabyte on one line, as one unbreakable word and as kana that may break anywhere: each glyph
// is looked at a bounded number of times.
TEST_F(Layout, MegabyteLinesLayOutInLinearTime) {
  for (std::int32_t width : {0, 640}) {
    doc_.SetText({std::string(1 << 20, 'x')});
    auto word = RunGlyphs({width, 480, 1});
    EXPECT_EQ(word.size(), 1u);
    std::string kana;
    for (int i = 0; i < (1 << 19); ++i) kana += "\x82\xA0";
    doc_.SetText({kana});
    auto pages = RunGlyphs({width, 480, 1});
    EXPECT_EQ(pages.size(), width == 0 ? 1u : static_cast<std::size_t>((1 << 19) / (53 * 40) + 1));
  }
}

}  // namespace
}  // namespace vorn
