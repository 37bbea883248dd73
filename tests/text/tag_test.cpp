#include "text/tag.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/text/glyph_listing.h"
#include "text/text_values.h"

namespace vorn {
namespace {

struct ParseCase {
  const char* item;
  int id;
  const char* text;
  std::vector<std::string> lines;
};

TEST(TTag, ParsesNamesAndAttributes) {
  const std::vector<ParseCase> cases = {
      {"<font size='3' COLOR=\"#00ff00\">", kTagFont, "<font>", {"size\r3", "COLOR\r#00ff00"}},
      {"<BR CLEAR>", kTagBr, "<BR>", {"CLEAR\r"}},
      {"<FONT SIZE=>", kTagFont, "<FONT>", {"SIZE\r"}},
      {"<FONT SIZE= COLOR=#fff>", kTagFont, "<FONT>", {"SIZE\r", "COLOR\r#fff"}},
      {"<IMG SRC=a.png ALIGN=top>", kTagImg, "<IMG>", {"SRC\ra.png", "ALIGN\rtop"}},
      {"<A HREF=\"a b\">", kTagA, "<A>", {"HREF\ra b"}},
      {"<A HREF=\"open end>", kTagA, "<A>", {"HREF\ropen", "end\r"}},
      {"<XYZ>", kTagUnknown, "<XYZ>", {}},
      {"<>", kTagNone, "<>", {}},
      {"</wait>", kTagEndWait, "</wait>", {}},
      {"<!-- x -->", kTagUnknown, "<!-- x -->", {}},
      {"<B", kTagNone, "<B", {}},
      {"<B =>", kTagB, "<B>", {}},
      {"<B = >", kTagB, "<B>", {}},
      {"<B =\">", kTagB, "<B>", {}},
      {"<B ==x>", kTagB, "<B>", {"\r=x"}},
  };
  for (const ParseCase& c : cases) {
    TTag tag;
    tag.Parse(c.item);
    EXPECT_EQ(tag.TagId(), c.id) << c.item;
    EXPECT_EQ(tag.Text(), c.text) << c.item;
    EXPECT_EQ(tag.Lines(), c.lines) << c.item;
  }
}

TEST(TTag, EveryTableNameHasItsIdentifierInAnyCase) {
  const std::vector<std::pair<const char*, int>> names = {
      {"a", 2}, {"/A", 3}, {"b", 4}, {"/b", 5}, {"Font", 6}, {"/FONT", 7}, {"i", 8}, {"/I", 9}, {"s", 10},
      {"/S", 11}, {"u", 12}, {"/U", 13}, {"nobr", 14}, {"/NOBR", 15}, {"ruby", 16}, {"/RUBY", 17},
      {"div", 18}, {"/DIV", 19}, {"indent", 20}, {"UNDENT", 21}, {"br", 22}, {"CLEAR", 23},
      {"event", 24}, {"WAIT", 25}, {"/wait", 26}, {"var", 27}, {"IMG", 28}};
  for (const auto& [name, id] : names) {
    TTag tag;
    tag.Parse(std::string("<") + name + ">");
    EXPECT_EQ(tag.TagId(), id) << name;
  }
}

TEST(TTag, AttributeLookupIgnoresCaseAndTakesTheFirst) {
  TTag tag;
  tag.Parse("<X a=1 A=2 b>");
  EXPECT_EQ(tag.IndexOfAttr("A"), 0);
  EXPECT_EQ(tag.IndexOfAttr("B"), 2);
  EXPECT_EQ(tag.IndexOfAttr("c"), -1);
  EXPECT_EQ(tag.AttrValue("a", "d"), "1");
  EXPECT_EQ(tag.AttrValue("b", "d"), "");
  EXPECT_EQ(tag.AttrValue("c", "d"), "d");
}

TEST(TTag, AttrColorReadsHashRrggbb) {
  const std::vector<std::pair<const char*, std::int32_t>> cases = {
      {"#ff0000", 255},  {"#FF0000", 255},     {"#00FF00", 0xFF00}, {"#0000ff", 0xFF0000},
      {"#12", 0x120000}, {"#1234567", 0x563412}, {"red", 77},        {"#gg", 77},
      {"#", 77},         {"", 77},             {"#\x82\xA0", 77},
  };
  for (const auto& [value, expected] : cases) {
    TTag tag;
    tag.Parse(std::string("<FONT COLOR=\"") + value + "\">");
    EXPECT_EQ(tag.AttrColor("COLOR", 77), expected) << value;
  }
  TTag absent;
  absent.Parse("<FONT>");
  EXPECT_EQ(absent.AttrColor("COLOR", -1), -1);
}

TEST(TTag, AttrAlignKeepsToTheAllowedWords) {
  struct Case {
    const char* item;
    std::uint8_t div;
    std::uint8_t img;
  };
  const std::vector<Case> cases = {
      {"<X ALIGN=TOP>", kAlignLeft, kAlignTop},        {"<X ALIGN=left>", kAlignLeft, kAlignBottom},
      {"<X align=Right>", kAlignRight, kAlignBottom},  {"<X ALIGN=center>", kAlignCenter, kAlignCenter},
      {"<X ALIGN=bottom>", kAlignLeft, kAlignBottom},  {"<X ALIGN=middle>", kAlignLeft, kAlignBottom},
      {"<X>", kAlignLeft, kAlignBottom},
  };
  for (const Case& c : cases) {
    TTag tag;
    tag.Parse(c.item);
    EXPECT_EQ(tag.AttrAlign({kAlignLeft, kAlignRight, kAlignCenter}, kAlignLeft), c.div) << c.item;
    EXPECT_EQ(tag.AttrAlign({kAlignCenter, kAlignTop, kAlignBottom}, kAlignBottom), c.img) << c.item;
  }
}

// However the text inside a tag is written, each fetch eats something, so parsing ends.
TEST(FetchAttribute, AlwaysConsumesOrEnds) {
  const std::vector<std::string> texts = {"=", " = ", "=\"", "==", "= = =", "'", "\"", "a=", "a='", "\x82", "\x01=\x01"};
  for (const std::string& text : texts) {
    std::string_view rest = text;
    int rounds = 0;
    while (!rest.empty() && rounds < 100) {
      std::size_t before = rest.size();
      FetchAttribute(rest);
      EXPECT_LT(rest.size(), before) << test::Printable(text);
      ++rounds;
    }
    EXPECT_TRUE(rest.empty()) << test::Printable(text);
  }
}

}  // namespace
}  // namespace vorn
