#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/system_vars.h"
#include "foundation/errors.h"
#include "platform/text_converter.h"
#include "support/text/glyph_listing.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

// Every case runs with a text delay of 30, the default wait of characters.
class MarkupInterpretation : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_delay_ = TextDelayValue();
    SetTextDelayValue(30);
  }
  void TearDown() override { SetTextDelayValue(saved_delay_); }

  std::string Glyphs(const std::vector<std::string>& lines) {
    TZkWord doc;
    doc.SetText(lines);
    return test::ListGlyphs(doc);
  }

 private:
  std::int32_t saved_delay_ = 0;
};

constexpr const char* kPlain = "<-1,-1,-1,0,0,'',0,'',-1,-1> w30 ''";

std::string Plain(const std::string& ch) { return "C '" + ch + "' " + kPlain + "\n"; }

struct InterpretCase {
  const char* name;
  std::string markup;
  std::string glyphs;
};

TEST_F(MarkupInterpretation, TurnsTagsIntoGlyphsAndStyles) {
  const std::vector<InterpretCase> cases = {
      {"plain", "a", Plain("a")},
      {"double byte", "\x82\xA0", Plain("\\x82\\xA0")},
      {"font sets all seven",
       "<FONT SIZE=20 COLOR=#ff0000 BCOLOR=#00ff00 SCOLOR=#0000ff NAME=f BORDER=2 SHADOW=3>a</FONT>b",
       "C 'a' <255,65280,16711680,20,0,'f',0,'',2,3> w30 ''\n" + Plain("b")},
      {"font edges without value, negative, invalid",
       "<FONT BORDER SHADOW=-4>a<FONT BORDER=x SHADOW=99999999999>b",
       "C 'a' <-1,-1,-1,0,0,'',0,'',1,0> w30 ''\nC 'b' <-1,-1,-1,0,0,'',0,'',1,1> w30 ''\n"},
      {"font size invalid or outside int32 keeps the top",
       "<FONT SIZE=20><FONT SIZE=x>a<FONT SIZE=2147483648>b<FONT SIZE=-2147483648>c",
       "C 'a' <-1,-1,-1,20,0,'',0,'',-1,-1> w30 ''\nC 'b' <-1,-1,-1,20,0,'',0,'',-1,-1> w30 ''\n"
       "C 'c' <-1,-1,-1,-2147483648,0,'',0,'',-1,-1> w30 ''\n"},
      {"nested fonts pop together", "<FONT SIZE=20 BORDER=1><FONT COLOR=#ff0000>a</FONT>b</FONT>c",
       "C 'a' <255,-1,-1,20,0,'',0,'',1,-1> w30 ''\nC 'b' <-1,-1,-1,20,0,'',0,'',1,-1> w30 ''\n" + Plain("c")},
      {"red keeps the colour", "<FONT COLOR=#0000ff><FONT COLOR=red>a", "C 'a' <16711680,-1,-1,0,0,'',0,'',-1,-1> w30 ''\n"},
      {"stray /font", "</FONT>a", Plain("a")},
      {"style flags", "<B><I><U><S>a</B>b</I></U></S>c",
       "C 'a' <-1,-1,-1,0,15,'',0,'',-1,-1> w30 ''\nC 'b' <-1,-1,-1,0,14,'',0,'',-1,-1> w30 ''\n" + Plain("c")},
      {"nobr", "<NOBR>a</NOBR>b", "C 'a' <-1,-1,-1,0,0,'',1,'',-1,-1> w30 ''\n" + Plain("b")},
      {"ruby", "<RUBY VALUE=r>a</RUBY>b", "C 'a' <-1,-1,-1,0,0,'',0,'r',-1,-1> w30 ''\n" + Plain("b")},
      {"link is unescaped", "<A HREF=\"p\\nq\">a</A>b",
       "C 'a' <-1,-1,-1,0,0,'',0,'',-1,-1> w30 'p\\x0D\\x0Aq'\n" + Plain("b")},
      {"div pushes and pops", "<DIV ALIGN=RIGHT><DIV ALIGN=CENTER>a</DIV></DIV></DIV>",
       "ALIGN 2\nALIGN 3\n" + Plain("a") + "ALIGN 2\nALIGN 1\nALIGN 1\n"},
      {"div with a word it does not allow", "<DIV ALIGN=TOP>", "ALIGN 1\n"},
      {"operators", "<INDENT><UNDENT><BR><BR CLEAR><CLEAR>", "INDENT\nUNDENT\nBR\nBR CLEAR\nBR CLEAR\n"},
      {"event", "<EVENT VALUE=\"a\\nb\"><EVENT VALUE=x END><EVENT>",
       "EVENT 'a\\x0D\\x0Ab'\nEVENT '\\x01x'\nEVENT ''\n"},
      {"wait", "<WAIT VALUE=5>a<WAIT VALUE=x>b</WAIT>c</WAIT>d</WAIT>e",
       "C 'a' " + std::string("<-1,-1,-1,0,0,'',0,'',-1,-1> w5 ''\n") +
           "C 'b' <-1,-1,-1,0,0,'',0,'',-1,-1> w5 ''\nC 'c' <-1,-1,-1,0,0,'',0,'',-1,-1> w5 ''\n" + Plain("d") +
           Plain("e")},
      {"var takes the style", "<B><A HREF=l><WAIT VALUE=4><VAR NAME=v><VAR>",
       "VAR 'v' <-1,-1,-1,0,1,'',0,'',-1,-1> w4 'l'\n"},
      {"img takes source, align and four values", "<NOBR><RUBY VALUE=r><A HREF=l><WAIT VALUE=9><IMG SRC=p.png ALIGN=TOP><IMG>",
       "IMG 'p.png' a4 nobr1 'r' w9 'l'\n"},
      {"img never floats", "<IMG SRC=p ALIGN=LEFT>", "IMG 'p' a5 nobr0 '' w30 ''\n"},
      {"empty brackets are text", "<>", Plain("<") + Plain(">")},
      {"unknown tags and comments vanish", "<XYZ><!-- c -->a<SCRIPT>b</SCRIPT>", Plain("a")},
      {"escaped tag is text", "\\<B\\>", Plain("<") + Plain("B") + Plain(">")},
  };
  for (const InterpretCase& c : cases) EXPECT_EQ(Glyphs({c.markup}), c.glyphs) << c.name;
}

TEST_F(MarkupInterpretation, WaitDefaultIsTheDelayWhenTheTextStarts) {
  SetTextDelayValue(77);
  EXPECT_EQ(Glyphs({"a"}), "C 'a' <-1,-1,-1,0,0,'',0,'',-1,-1> w77 ''\n");
}

TEST_F(MarkupInterpretation, LinkWithoutHrefRaisesAndKeepsEarlierGlyphs) {
  const std::string message = platform::Utf8ToCp932("<A>タグにHREF値がありません");
  for (const char* tag : {"<A>", "<A HREF=\"\">", "<A HREF>", "<A HREF=>"}) {
    TZkWord doc;
    try {
      doc.SetText({std::string("ab") + tag + "c"});
      ADD_FAILURE() << tag << " did not raise";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), message) << tag;
    }
    EXPECT_EQ(doc.GlyphCount(), 2) << tag;
  }
  TZkWord doc;
  EXPECT_NO_THROW(doc.SetText({"<A HREF=\"x\">c"}));
  EXPECT_EQ(doc.GlyphCount(), 1);
}

TEST_F(MarkupInterpretation, SetTextReplacesTheDocument) {
  TZkWord doc;
  doc.VariableValues.push_back("a=1");
  doc.SetText({"<FONT COLOR=#ff0000>ab"});
  doc.SetText({"c"});
  EXPECT_EQ(test::ListGlyphs(doc), Plain("c"));
  EXPECT_EQ(doc.Decorations.Count(), 1);
  EXPECT_TRUE(doc.VariableValues.empty());
}

// Deep nesting and long lines from saved games: no recursion, and the work stays linear.
TEST_F(MarkupInterpretation, HugeInputsStayLinear) {
  std::string nested;
  for (int i = 0; i < 100000; ++i) nested += "<FONT SIZE=1>";
  nested += "a";
  for (int i = 0; i < 100001; ++i) nested += "</FONT>";
  TZkWord doc;
  doc.SetText({nested});
  EXPECT_EQ(doc.GlyphCount(), 1);

  std::string line(1 << 20, 'x');
  for (std::size_t i = 0; i < line.size(); i += 7) line[i] = ' ';
  doc.SetText({line});
  EXPECT_GT(doc.GlyphCount(), 1 << 19);

  std::string tag = "<FONT";
  for (int i = 0; i < 200000; ++i) tag += " a=1";
  doc.SetText({tag + ">b"});
  EXPECT_EQ(doc.GlyphCount(), 1);
}

}  // namespace
}  // namespace vorn
