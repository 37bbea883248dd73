#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/text/glyph_listing.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

// Items written "T:text", "<:tag" and "!:comment", joined by "|".
std::string Items(const std::vector<std::string>& lines) {
  std::string out;
  for (const TMarkupItem& item : TZkWord::PrepareMarkup(lines)) {
    if (!out.empty()) out += "|";
    out += item.kind == TMarkupItemKind::Tag ? "<:" : item.kind == TMarkupItemKind::Comment ? "!:" : "T:";
    out += test::Printable(item.text);
  }
  return out;
}

struct PrepareCase {
  const char* name;
  std::vector<std::string> lines;
  const char* items;
};

TEST(PrepareMarkup, CutsLinesIntoItems) {
  const std::vector<PrepareCase> cases = {
      {"spaces collapse", {"a  b"}, "T:a b"},
      {"line break is a space", {"a", "b"}, "T:a b"},
      {"line break after a space adds none", {"a ", "b"}, "T:a b"},
      {"line break after a tag adds none", {"<B>", "b"}, "<:<B>|T:b"},
      {"line break at the start adds none", {"", "b"}, "T:b"},
      {"tags split text", {"x<B>y</B>z"}, "T:x|<:<B>|T:y|<:</B>|T:z"},
      {"pre keeps lines", {"<PRE>a", "b</PRE>"}, "<:<PRE>|T:a|<:<BR>|T:b|<:</PRE>"},
      {"pre drops the last break", {"<PRE>a", "</PRE>"}, "<:<PRE>|T:a|<:</PRE>"},
      {"pre skips the break after its tag", {"<pre>", "a</pre>"}, "<:<pre>|T:a|<:</pre>"},
      {"tab inside pre", {"<PRE>a\tb</PRE>"}, "<:<PRE>|T:a        b|<:</PRE>"},
      {"tab elsewhere", {"a\tb"}, "T:ab"},
      {"spaces collapse inside pre", {"<PRE>a   b</PRE>"}, "<:<PRE>|T:a b|<:</PRE>"},
      {"textarea keeps lines without breaks", {"<TEXTAREA>a", "b</TEXTAREA>"},
       "<:<TEXTAREA>|T:a|T:b|<:</TEXTAREA>"},
      {"escaped brackets are text", {"\\<B\\>"}, "T:<B>"},
      {"escape of other bytes drops the backslash", {"\\n"}, "T:n"},
      {"escapes of the six", {"\\%\\{\\}\\\\"}, "T:%{}\\x5C"},
      {"backslash at the end stays", {"a\\"}, "T:a\\x5C"},
      {"trail byte 5C is no escape", {"\x95\x5C<B>"}, "T:\\x95\\x5C|<:<B>"},
      {"quotes hold tags", {"say \"hi <B>\" ok"}, "T:say \"hi <B>\" ok"},
      {"quotes drop line breaks and tabs", {"\"a", "b\tc\""}, "T:\"abc\""},
      {"nested comment", {"<!-- a <!-- b --> c -->d"}, "!:<!-- a <!-- b --> c -->|T:d"},
      {"comment keeps its line breaks", {"<!-- a", "b -->"}, "!:<!-- a\\x0D\\x0Ab -->"},
      {"script block", {"x<script>if (a<b) c;</SCRIPT>y"}, "T:x|!:<script>if (a<b) c;</SCRIPT>|T:y"},
      {"style block", {"<Style>p{}</style>"}, "!:<Style>p{}</style>"},
      {"stray end marker", {"x-->y"}, "T:x-->|T:y"},
      {"open comment at the end", {"<!-- open"}, "T:<!-- open"},
      {"open tag at the end", {"a<B"}, "T:a|T:<B"},
      {"inner closing bracket is dropped", {"<A <B>>c"}, "<:<A <B>|T:c"},
      {"lone closing bracket", {"a>b"}, "T:a>b"},
      {"0x14 at the start", {"\x14" "a"}, "T: a"},
      {"0x14 after a space", {"a \x14" "b"}, "T:a b"},
      {"0x14 after a letter", {"a\x14" "b"}, "T:a b"},
      {"0x14 after a space inside pre", {"<PRE>a \x14</PRE>"}, "<:<PRE>|T:a  |<:</PRE>"},
      {"lone lead byte at the end", {"a\x82"}, "T:a\\x82"},
      {"nul and 0x01 pass", {std::string("a\0\x01", 3)}, "T:a\\x00\\x01"},
      {"empty", {}, ""},
  };
  for (const PrepareCase& c : cases) EXPECT_EQ(Items(c.lines), c.items) << c.name;
}

// Only a bracket that closes the tag depth makes a tag; an escaped one never does, even at the
// start of a text item.
TEST(PrepareMarkup, EscapedTagIsTextEvenAtTheStartOfAnItem) {
  auto items = TZkWord::PrepareMarkup({"<I>\\<B\\>"});
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1], (TMarkupItem{TMarkupItemKind::Text, "<B>"}));
}

}  // namespace
}  // namespace vorn
