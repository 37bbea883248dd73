#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/text/glyph_listing.h"
#include "text/wd_char.h"
#include "text/wd_img.h"
#include "text/wd_operators.h"
#include "text/wd_row.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

template <class G>
G& Add(TZkWord& doc) {
  return static_cast<G&>(*doc.AddGlyph(std::make_unique<G>(&doc)));
}

TWdChar& AddChar(TZkWord& doc, std::uint16_t code) {
  auto& ch = Add<TWdChar>(doc);
  ch.SetCode(code);
  return ch;
}

TEST(TZkWord, StartsWithItsDefaults) {
  TZkWord doc;
  EXPECT_EQ(doc.FontSize, 12);
  EXPECT_EQ(doc.FontName, "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E");  // ＭＳ ゴシック
  EXPECT_EQ(doc.TextColor, 0);
  EXPECT_EQ(doc.VisibleWidth, 0);
  EXPECT_EQ(doc.VisibleHeight, 0);
  EXPECT_EQ(doc.Paging, 1);
  EXPECT_EQ(doc.LinkColor, 0xFF0000);
  EXPECT_EQ(doc.LinkHoverColor, 0x8000);
  EXPECT_EQ(doc.FadeTime, 1);
  EXPECT_EQ(doc.BorderColor, 0x808080);
  EXPECT_EQ(doc.Opacity, 255);
  EXPECT_EQ(doc.Quality, 3);
  EXPECT_EQ(doc.ShadowColor, 0);
  EXPECT_EQ(doc.BorderWidth, 0);
  EXPECT_EQ(doc.ShadowOffset, 0);
  EXPECT_EQ(doc.LineSpace, 0);
}

TEST(TWdChar, NegativeBorderAndShadowFollowTheDocument) {
  TZkWord doc;
  auto& ch = AddChar(doc, 'a');
  ch.SetBorder(-1);
  ch.SetShadow(-1);
  doc.BorderWidth = 2;
  doc.ShadowOffset = 3;
  EXPECT_EQ(ch.GetBorder(), 2);
  EXPECT_EQ(ch.GetShadow(), 3);
  doc.BorderWidth = 5;
  doc.ShadowOffset = 7;
  EXPECT_EQ(ch.GetBorder(), 5);
  EXPECT_EQ(ch.GetShadow(), 7);
  ch.SetBorder(1);
  EXPECT_EQ(ch.GetBorder(), 1);
}

TEST(TWdOpeReturn, AloneInItsRowIsAsHighAsTheFont) {
  TZkWord doc;
  doc.FontSize = 17;
  auto& br = Add<TWdOpeReturn>(doc);
  EXPECT_EQ(br.GetHeight(), 0);
  TWdRow alone(&doc);
  alone.AddChild(&br);
  EXPECT_EQ(br.GetHeight(), 17);
  EXPECT_EQ(alone.GetHeight(), 17);
  alone.ClearChildren();

  auto& ch = AddChar(doc, 'a');
  TWdRow shared(&doc);
  shared.AddChild(&ch);
  shared.AddChild(&br);
  EXPECT_EQ(br.GetHeight(), 0);
}

TEST(TWdGlyph, TextOfEveryKind) {
  TZkWord doc;
  struct Case {
    std::string name;
    std::unique_ptr<TWdGlyph> glyph;
    std::string text;
  };
  auto ch = [&](std::uint16_t code) {
    auto g = std::make_unique<TWdChar>(&doc);
    g->SetCode(code);
    return g;
  };
  std::vector<Case> cases;
  cases.push_back({"ascii", ch('a'), "a"});
  cases.push_back({"single byte 255", ch(0xFF), "\xFF"});
  cases.push_back({"double byte", ch(0x82A0), "\x82\xA0"});
  cases.push_back({"byte 0", ch(0), std::string(1, '\0')});
  cases.push_back({"return", std::make_unique<TWdOpeReturn>(&doc), std::string(1, '\0')});
  cases.push_back({"align", std::make_unique<TWdOpeAlign>(&doc), std::string(1, '\0')});
  cases.push_back({"event", std::make_unique<TWdOpeEvent>(&doc), std::string(1, '\0')});
  cases.push_back({"var", std::make_unique<TWdOpeVar>(&doc), std::string(1, '\0')});
  cases.push_back({"image", std::make_unique<TWdImg>(&doc), std::string(1, '\0')});
  for (const Case& c : cases) EXPECT_EQ(c.glyph->GetText(), c.text) << c.name;
}

TEST(TWdComposite, TextConcatenatesAndShownTextStopsAtTheFirstHiddenChild) {
  TZkWord doc;
  auto& a = AddChar(doc, 'a');
  auto& op = Add<TWdOpeIndent>(doc);
  auto& br = Add<TWdOpeReturn>(doc);
  auto& kana = AddChar(doc, 0x82A0);
  auto& hidden = AddChar(doc, 'z');
  auto& after = AddChar(doc, 'q');
  TWdRow row(&doc);
  for (TWdGlyph* g : std::initializer_list<TWdGlyph*>{&a, &op, &br, &kana, &hidden, &after}) row.AddChild(g);
  hidden.SetOpacity(0);
  EXPECT_EQ(row.GetText(), std::string("a\0\0\x82\xA0zq", 7));
  EXPECT_EQ(row.GetShownText(), "a\r\n\x82\xA0");
}

TEST(TZkWord, UnitPositions) {
  TZkWord doc;
  AddChar(doc, 'a');                  // 0: unit 0
  auto& var = Add<TWdOpeVar>(doc);    // 1: unit 1
  Add<TWdVarChar>(doc).SetCode('1');  // 2: no unit
  Add<TWdVarReturn>(doc);             // 3: no unit
  Add<TWdVarChar>(doc).SetCode('2');  // 4: no unit
  auto& b = AddChar(doc, 'b');        // 5: unit 2

  EXPECT_EQ(doc.GlyphAtUnit(0), 0);
  EXPECT_EQ(doc.GlyphAtUnit(1), 1);
  EXPECT_EQ(doc.GlyphAtUnit(2), 2);
  EXPECT_EQ(doc.GlyphAtUnit(3), -1);
  EXPECT_EQ(doc.CharPosOf(doc.GetGlyph(0)), 0);
  EXPECT_EQ(doc.CharPosOf(&var), 1);
  EXPECT_EQ(doc.CharPosOf(&b), 2);
  TZkWord other;
  TWdChar stranger(&other);
  EXPECT_EQ(doc.CharPosOf(&stranger), -1);
  EXPECT_EQ(TZkWord().GlyphAtUnit(0), -1);
}

TEST(TZkWord, PreviousGlyphIsNullAfterALineBreak) {
  TZkWord doc;
  AddChar(doc, 'a');
  Add<TWdOpeReturn>(doc);
  AddChar(doc, 'b');
  EXPECT_EQ(doc.PreviousGlyph(0), nullptr);
  EXPECT_EQ(doc.PreviousGlyph(1), doc.GetGlyph(0));
  EXPECT_EQ(doc.PreviousGlyph(2), nullptr);
  EXPECT_EQ(doc.NextGlyph(0), doc.GetGlyph(1));
  EXPECT_EQ(doc.NextGlyph(1), nullptr);
  EXPECT_EQ(doc.NextGlyph(2), nullptr);
  EXPECT_EQ(doc.GetGlyph(3), nullptr);
  EXPECT_EQ(doc.GetGlyph(-1), nullptr);
}

TEST(TZkWord, AppendCopiesRecreatesEachGlyphInTheDestination) {
  TZkWord source;
  source.SetText({"a<FONT COLOR=#FF0000>b</FONT><BR CLEAR><EVENT VALUE=x END><DIV ALIGN=RIGHT><VAR NAME=v>"});
  TZkWord dest;
  dest.AppendCopies(source, 0, -1);
  EXPECT_EQ(vorn::test::ListGlyphs(dest), vorn::test::ListGlyphs(source));
  // The copies hold records of their own document.
  EXPECT_EQ(dest.Decorations.Count(), 2);
  source.Clear();
  EXPECT_EQ(vorn::test::ListGlyph(*dest.GetGlyph(1)).substr(0, 10), "C 'b' <255");

  TZkWord part;
  part.AppendCopies(dest, 1, 1);
  EXPECT_EQ(part.GlyphCount(), 1);
  TZkWord tail;
  tail.AppendCopies(dest, 4, 1000);
  EXPECT_EQ(tail.GlyphCount(), dest.GlyphCount() - 4);
}

// A copied variable starts collapsed: its value glyphs stay with the source document.
TEST(TZkWord, AppendCopiesLeavesVariableValuesBehind) {
  TZkWord source;
  auto& var = Add<TWdOpeVar>(source);
  var.SetExpressionText("name");
  var.SetWait(7);
  var.SetLink("l");
  Add<TWdVarChar>(source).SetCode('1');
  Add<TWdVarReturn>(source);
  AddChar(source, 'x');
  TZkWord dest;
  dest.AppendCopies(source, 0, -1);
  ASSERT_EQ(dest.GlyphCount(), 2);
  auto& copy = dynamic_cast<TWdOpeVar&>(*dest.GetGlyph(0));
  EXPECT_EQ(copy.ExpressionText(), "name");
  EXPECT_EQ(copy.GetWait(), 7);
  EXPECT_EQ(copy.GetLink(), "l");
  EXPECT_TRUE(copy.InsertedGlyphs().empty());
}

// Rows only refer to glyphs: freeing the document first, or a glyph alone, leaves no dangling
// child behind.
TEST(TZkWord, GlyphsLeaveTheirRowsWhenFreed) {
  TWdPageList pages;
  {
    TZkWord doc;
    doc.SetText({"abc"});
    doc.Layout(pages, 0, -1);
    ASSERT_EQ(pages.size(), 1u);
    TWdGlyph* row = pages[0]->GetChild(0);
    EXPECT_EQ(row->GetChildCount(), 3);
    doc.DeleteGlyph(1);
    EXPECT_EQ(row->GetText(), "ac");
    doc.Clear();
    EXPECT_EQ(row->GetChildCount(), 0);
    doc.SetText({"xy"});
    doc.Layout(pages, 0, -1);
  }
  pages.clear();
}

}  // namespace
}  // namespace vorn
