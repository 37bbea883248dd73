// The fixture writer of glyph streams: its bytes spelled out by hand, and markup that comes back
// from the stream as the markup made it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fixture/glyph_stream_writer.h"
#include "foundation/stream.h"
#include "support/hex_fixture.h"
#include "support/text/glyph_listing.h"
#include "text/wd_char.h"
#include "text/wd_operators.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

TEST(GlyphStreamWriter, WritesHeaderStyleRecordsAndTheGlyphsThatHaveAForm) {
  TZkWord doc;
  auto& ch = static_cast<TWdChar&>(*doc.AddGlyph(std::make_unique<TWdChar>(&doc)));
  ch.SetCode('A');
  ch.SetDecoration(TDecorateValues{.color = 5, .size = 12, .face = "F", .ruby = "r", .border = 1, .shadow = 2});
  auto& value = static_cast<TWdChar&>(*doc.AddGlyph(std::make_unique<TWdVarChar>(&doc)));
  value.SetCode('v');
  doc.AddGlyph(std::make_unique<TWdOpeIndent>(&doc));
  EXPECT_EQ(fixture::GlyphStreamOf(doc), testing::ParseHexFixture(R"(
    5A 6B 57 6F 72 64 31 30 32   # "ZkWord102"
    02 00 00 00                  # 2 style records
      01 00 00 00                # count 1 (the character)
      05 00 00 00                # colour 5
      FF FF FF FF                # border colour -1
      0C 00 00 00                # size 12
      00 00                      # style flags, no-break
      01 00 00 00                # border 1
      01 00 00 00 46             # face "F"
      01 00 00 00 72             # ruby "r"
      02 00 00 00                # shadow offset 2
      FF FF FF FF                # shadow colour -1
      01 00 00 00                # count 1 (the variable's value)
      FF FF FF FF FF FF FF FF 00 00 00 00  # colour, border colour -1, size 0
      00 00 00 00 00 00          # style flags, no-break, border 0
      00 00 00 00 00 00 00 00    # face, ruby: empty
      00 00 00 00 FF FF FF FF    # shadow offset 0, shadow colour -1
    02 00 00 00                  # 2 glyphs: the value character writes nothing
      01 00000000 00000000 4100 00000000  # "A", record 0
      04                         # indent
  )"));
}

TEST(GlyphStreamWriter, MarkupComesBackFromItsStream) {
  const std::vector<std::string> lines = {
      "<FONT SIZE=20 COLOR=#FF0000 FACE=\"x\">a<B>b</B></FONT>",
      "<RUBY VALUE=\"\x82\xA0\">\x88\xA2</RUBY><A HREF=\"go\">c</A><EVENT VALUE=e END>",
      "<DIV ALIGN=CENTER><INDENT>d<UNDENT><VAR NAME=\"v\"><IMG SRC=\"p.png\" ALIGN=TOP><CLEAR>"};
  TZkWord made;
  made.SetText(lines);
  const std::vector<std::uint8_t> bytes = fixture::GlyphStreamFromMarkup(lines);
  TMemoryStream stream(bytes);
  TZkWord loaded;
  loaded.LoadGlyphs(stream);
  // Markup keeps the end marker in the event's value; the stream's reader makes it the end flag.
  std::string expected = test::ListGlyphs(made);
  const std::string marked = "EVENT '\\x01e'";
  ASSERT_NE(expected.find(marked), std::string::npos);
  expected.replace(expected.find(marked), marked.size(), "EVENT 'e' end");
  EXPECT_EQ(test::ListGlyphs(loaded), expected);
  EXPECT_EQ(loaded.Decorations.Count(), made.Decorations.Count());
  EXPECT_EQ(fixture::GlyphStreamFromMarkup(lines[0] + "\r\n" + lines[1] + "\n" + lines[2]), bytes);
}

}  // namespace
}  // namespace vorn
