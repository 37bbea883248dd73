#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/param_var.h"
#include "engine/vorn_parser.h"
#include "foundation/errors.h"
#include "foundation/stream.h"
#include "support/hex_fixture.h"
#include "support/text/glyph_listing.h"
#include "text/wd_char.h"
#include "text/wd_img.h"
#include "text/wd_operators.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

using testing::ParseHexFixture;

std::vector<std::uint8_t> Fixture(const std::string& name) {
  return testing::ReadHexFixture(std::string(VORN_SOURCE_DIR) + "/tests/text/data/" + name);
}

void Load(TZkWord& doc, const std::vector<std::uint8_t>& bytes) {
  TMemoryStream stream(bytes);
  doc.LoadGlyphs(stream);
}

std::vector<std::int32_t> RecordCounts(const TZkWord& doc) {
  std::vector<std::int32_t> counts;
  for (const TDecorate& record : doc.Decorations) counts.push_back(record.count);
  return counts;
}

// The one operation of a compiled "____arg = name" and its operand's name.
std::string AssignedName(const TVornParser& parser) {
  if (parser.Operations().size() != 1) return "?";
  const TOpeData& op = *parser.Operations()[0];
  if (op.target != "____arg" || op.operands.size() != 1) return "?";
  const TParamVar* reference = op.operands[0]->AsReference();
  return reference != nullptr ? reference->Name() : "?";
}

TEST(GlyphStream, WithoutHeaderReadsOneByteBordersAndCompiledExpressions) {
  TZkWord doc;
  Load(doc, Fixture("glyphs-v0-no-header.hex"));
  EXPECT_EQ(test::ListGlyphs(doc),
            "C 'A' <255,8421504,0,24,1,'',0,'',1,0> w0 ''\n"
            "VAR '' <255,8421504,0,24,1,'',0,'',1,0> w0 ''\n");
  const auto& var = dynamic_cast<const TWdOpeVar&>(*doc.GetGlyph(1));
  EXPECT_EQ(AssignedName(var.Expression()), "x");
  EXPECT_EQ(RecordCounts(doc), std::vector<std::int32_t>{2});
}

TEST(GlyphStream, Version100CountsTheGlyphsOfEachRecordAndDropsUnusedOnes) {
  TZkWord doc;
  Load(doc, Fixture("glyphs-v100.hex"));
  EXPECT_EQ(test::ListGlyphs(doc),
            "C '\\x82\\xA0' <1,2,-1,0,0,'',0,'',-1,-1> w0 ''\n"
            "C 'b' <-1,16711680,3351057,16,6,'\\x83e\\x83X',1,'\\x82\\xA0',3,2> w0 ''\n"
            "VAR '' <-1,16711680,3351057,16,6,'\\x83e\\x83X',1,'\\x82\\xA0',3,2> w0 ''\n");
  EXPECT_TRUE(dynamic_cast<const TWdOpeVar&>(*doc.GetGlyph(2)).Expression().Empty());
  // Records 1 and 2 in table order; the stored counts 0 and -2 would have freed them in use.
  EXPECT_EQ(RecordCounts(doc), (std::vector<std::int32_t>{2, 1}));
  doc.DeleteGlyph(1);
  EXPECT_EQ(RecordCounts(doc), (std::vector<std::int32_t>{1, 1}));
  doc.GetGlyph(0)->SetColor(7);  // the only holder of its record changes it in place
  EXPECT_EQ(doc.GetGlyph(0)->GetColor(), 7);
  while (doc.GlyphCount() > 0) doc.DeleteGlyph(0);
  EXPECT_EQ(doc.Decorations.Count(), 0);
}

TEST(GlyphStream, Version101GivesVariablesWaitAndLinkButStillCompiledExpressions) {
  TZkWord doc;
  Load(doc, Fixture("glyphs-v101-variable-wait-link.hex"));
  ASSERT_EQ(doc.GlyphCount(), 1);
  const auto& var = dynamic_cast<const TWdOpeVar&>(*doc.GetGlyph(0));
  EXPECT_EQ(var.GetWait(), 40);
  EXPECT_EQ(var.GetLink(), "link");
  EXPECT_EQ(var.ExpressionText(), "");
  EXPECT_EQ(AssignedName(var.Expression()), "y");
}

TEST(GlyphStream, Version102ReadsEveryKind) {
  TZkWord doc;
  Load(doc, Fixture("glyphs-v102-every-kind.hex"));
  EXPECT_EQ(test::ListGlyphs(doc),
            "C 'A' <-1,-1,-1,0,0,'',0,'',-1,-1> w5 'go'\n"
            "C '\\x82\\xA0' <-1,-1,-1,0,0,'',0,'',-1,-1> w-1 ''\n"
            "ALIGN 3\n"
            "BR CLEAR\n"
            "INDENT\n"
            "UNDENT\n"
            "EVENT 'go' end\n"
            "EVENT 'hi'\n"
            "VAR 'name' <-1,-1,-1,0,0,'',0,'',-1,-1> w3 'L'\n"
            "IMG 'a.png' a4 nobr0 '' w7 'img'\n"
            "BR\n");
  EXPECT_EQ(doc.GetGlyph(6)->GetWait(), 1);  // the end marker stops the reveal step after it
  EXPECT_EQ(doc.GetGlyph(7)->GetWait(), 0);
  EXPECT_EQ(RecordCounts(doc), std::vector<std::int32_t>{3});
}

TEST(GlyphStream, AnUnknownKindCountsAsAGlyphAndTheNextByteIsAKind) {
  TZkWord doc;
  Load(doc, ParseHexFixture("00 00 00 00"  // no style record
                            "02 00 00 00"  // 2 glyphs
                            "08"           // kind 8: nothing
                            "04"));        // kind 4: indent
  EXPECT_EQ(test::ListGlyphs(doc), "INDENT\n");
  for (std::uint8_t kind : {0x00, 0x0A, 0x7F, 0x80, 0x88}) {
    TZkWord other;
    Load(other, {0, 0, 0, 0, 1, 0, 0, 0, kind});
    EXPECT_EQ(other.GlyphCount(), 0) << int{kind};
  }
}

TEST(GlyphStream, EightBytesWithoutHeaderAreAnEmptyVersion0Document) {
  TZkWord doc;
  Load(doc, ParseHexFixture("00 00 00 00  00 00 00 00"));
  EXPECT_EQ(doc.GlyphCount(), 0);
  EXPECT_EQ(doc.Decorations.Count(), 0);
}

TEST(GlyphStream, ReadsFromTheStreamsPosition) {
  std::vector<std::uint8_t> bytes = {0xEE, 0xEE};
  const std::vector<std::uint8_t> body = Fixture("glyphs-v101-variable-wait-link.hex");
  bytes.insert(bytes.end(), body.begin(), body.end());
  TMemoryStream stream(bytes);
  stream.SetPosition(2);
  TZkWord doc;
  doc.LoadGlyphs(stream);
  EXPECT_EQ(doc.GlyphCount(), 1);
  EXPECT_EQ(stream.Position(), stream.Size());
}

struct BadStream {
  const char* what;
  const char* hex;
};

TEST(GlyphStream, BrokenStreamsRaiseAndAddNothing) {
  const BadStream cases[] = {
      {"version above 102", "5A 6B 57 6F 72 64 31 30 33  00 00 00 00  00 00 00 00"},
      {"header without three digits", "5A 6B 57 6F 72 64 31 30 58  00 00 00 00  00 00 00 00"},
      {"header with a sign", "5A 6B 57 6F 72 64 2D 30 31  00 00 00 00  00 00 00 00"},
      {"negative style count", "FF FF FF FF  00 00 00 00"},
      {"style count beyond the bytes", "02 00 00 00" "00000000 00000000 00000000 00000000 00 00 00 00000000 00000000"},
      {"huge style count", "FF FF FF 7F  00 00 00 00"},
      {"negative glyph count", "00 00 00 00  FF FF FF FF"},
      {"glyph count beyond the bytes", "00 00 00 00  03 00 00 00  04 04"},
      {"string longer than the stream", "00 00 00 00  01 00 00 00  06  10 00 00 00 41 42"},
      {"style index past the table", "00 00 00 00  01 00 00 00  01  00000000 00000000 4100 00000000"},
      {"negative style index",
       "01 00 00 00  00000000 00000000 00000000 00000000 00 00 00 00000000 00000000"
       "01 00 00 00  01  00000000 00000000 4100 FFFFFFFF"},
      {"variable style index past the table", "00 00 00 00  01 00 00 00  07  00000000 00000000"},
      {"bad compiled expression",
       "01 00 00 00  00000000 00000000 00000000 00000000 00 00 00 00000000 00000000"
       "01 00 00 00  07  00000000  FFFFFFFF"},
      {"eight bytes beginning with the header word", "5A 6B 57 6F 72 64 01 02"},
  };
  for (const BadStream& c : cases) {
    SCOPED_TRACE(c.what);
    TZkWord doc;
    EXPECT_THROW(Load(doc, ParseHexFixture(c.hex)), EReadError);
    EXPECT_EQ(doc.GlyphCount(), 0);
    EXPECT_EQ(doc.Decorations.Count(), 0);
  }
}

TEST(GlyphStream, EveryShorterPrefixOfEachFixtureRaises) {
  for (const char* name : {"glyphs-v0-no-header.hex", "glyphs-v100.hex", "glyphs-v101-variable-wait-link.hex",
                           "glyphs-v102-every-kind.hex"}) {
    const std::vector<std::uint8_t> bytes = Fixture(name);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
      SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(length));
      TZkWord doc;
      EXPECT_THROW(Load(doc, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + length)), EReadError);
      EXPECT_EQ(doc.GlyphCount(), 0);
      EXPECT_EQ(doc.Decorations.Count(), 0);
    }
  }
}

TEST(GlyphStream, AFailureKeepsWhatTheDocumentHeldBefore) {
  TZkWord doc;
  Load(doc, Fixture("glyphs-v102-every-kind.hex"));
  const std::string before = test::ListGlyphs(doc);
  const std::vector<std::uint8_t> bytes = Fixture("glyphs-v100.hex");
  EXPECT_THROW(Load(doc, std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 1)), EReadError);
  EXPECT_EQ(test::ListGlyphs(doc), before);
  EXPECT_EQ(RecordCounts(doc), std::vector<std::int32_t>{3});
}

// --- writing: each glyph's newest form ---

template <class G>
G& Add(TZkWord& doc) {
  return static_cast<G&>(*doc.AddGlyph(std::make_unique<G>(&doc)));
}

std::vector<std::uint8_t> Saved(const TWdGlyph& glyph) {
  TMemoryStream stream;
  glyph.SaveToStream(stream);
  return stream.Bytes();
}

TEST(GlyphStream, EachGlyphWritesItsNewestForm) {
  TZkWord doc;
  auto& plain = Add<TWdChar>(doc);  // record 0 (the default values)
  plain.SetCode(0x82A0);
  auto& linked = Add<TWdChar>(doc);
  linked.SetCode('A');
  linked.SetLink("go");
  linked.SetWait(-2);
  linked.SetColor(5);  // record 1
  auto& align = Add<TWdOpeAlign>(doc);
  align.SetAlign(kAlignRight);
  auto& page = Add<TWdOpeReturn>(doc);
  page.SetPageBreak(true);
  auto& line = Add<TWdOpeReturn>(doc);
  auto& indent = Add<TWdOpeIndent>(doc);
  auto& undent = Add<TWdOpeUndent>(doc);
  auto& end = Add<TWdOpeEvent>(doc);
  end.SetValue("go");
  end.SetEndFlag(true);
  auto& event = Add<TWdOpeEvent>(doc);
  event.SetValue("hi");
  auto& var = Add<TWdOpeVar>(doc);
  var.SetColor(5);  // record 1
  var.SetWait(3);
  var.SetLink("L");
  var.SetExpressionText(" \tname \r\n");
  auto& img = Add<TWdImg>(doc);
  img.SetLink("img");
  img.SetWait(7);
  img.SetFileName("a.png");
  img.SetAlign(kAlignTop);
  auto& value = Add<TWdVarChar>(doc);
  value.SetCode('v');
  auto& value_break = Add<TWdVarReturn>(doc);

  const struct {
    const TWdGlyph* glyph;
    const char* hex;
  } cases[] = {
      {&plain, "01  00000000  00000000  A0 82  00000000"},
      {&linked, "01  02000000 676F  FEFFFFFF  41 00  01000000"},
      {&align, "02  02"},
      {&page, "03  01"},
      {&line, "03  00"},
      {&indent, "04"},
      {&undent, "05"},
      {&end, "06  03000000 01 676F"},
      {&event, "06  02000000 6869"},
      {&var, "07  01000000  03000000  01000000 4C  04000000 6E616D65"},
      {&img, "09  03000000 696D67  07000000  05000000 612E706E67  04"},
      {&value, ""},
      {&value_break, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(test::ListGlyph(*c.glyph));
    EXPECT_EQ(Saved(*c.glyph), ParseHexFixture(c.hex));
  }
}

TEST(GlyphStream, AnEventWithTheEndFlagKeepsItThroughWritingAndLoading) {
  TZkWord source;
  auto& end = Add<TWdOpeEvent>(source);
  end.SetValue("go");
  end.SetEndFlag(true);
  TMemoryStream stream;
  for (std::uint8_t b : ParseHexFixture("00000000 01000000")) stream.WriteBuffer(&b, 1);
  end.SaveToStream(stream);
  stream.SetPosition(0);
  TZkWord loaded;
  loaded.LoadGlyphs(stream);
  EXPECT_EQ(test::ListGlyphs(loaded), "EVENT 'go' end\n");
}

}  // namespace
}  // namespace vorn
