#include <gtest/gtest.h>

#include <filesystem>

#include <string>
#include <vector>

#include "engine/command.h"
#include "engine/commands/component_command.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/script_error.h"
#include "engine/script_files.h"
#include "engine/script_host.h"
#include "engine/script_page.h"
#include "fixture/page_writer.h"
#include "foundation/system_texts.h"
#include "foundation/vr_file_manager.h"
#include "support/temp_folder.h"

namespace vorn {
namespace {

using fixture::OpOperand;
using fixture::OpRecord;
using fixture::PageCommand;
using fixture::PageWriter;

// A version 110 page spelled out from the layout table: result type 4, a 9 x 2 mask table with
// properties 0 and 2 in the BoxNew row, then Label "L1", BoxNew (code byte with the high bit) and
// Wait with its three expressions.
const std::vector<std::uint8_t> kGoldenPage = {
    0x6E, 0x00, 0x00, 0x00,  // version 110
    0x04,                    // result type: text
    0x09, 0x00, 0x00, 0x00,  // 9 mask rows
    0x02, 0x00, 0x00, 0x00,  // of 2 bytes
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // rows 0..3
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // rows 4..7
    0x05, 0x00,                                      // row 8: properties 0 and 2
    0x03, 0x00, 0x00, 0x00,  // 3 commands
    // Label: indent 0, skip 0, run 1, line 1, "L1"
    0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 'L', '1',
    // BoxNew (0x88): indent 1, skip 0, run 0, line 2
    0x88, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
    // property 0: one operation "x" := 7
    0x01, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 'x', 0x01, 0x00, 0x00, 0x00, 0x01, 0x07, 0x00, 0x00, 0x00,
    // property 2: no operations
    0x00, 0x00, 0x00, 0x00,
    // Wait: indent 0, skip 1, run 1, line 3; hold, time and (version above 106) event block
    0x07, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x03, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};

// The property indices a component command stores expressions for.
std::vector<int> StoredSlots(const TCommand* command) {
  std::vector<int> out;
  const auto* component = dynamic_cast<const TComComponent*>(command);
  if (component == nullptr) return {-1};
  for (int i = 0; i < kPropertyCount; ++i) {
    if (component->HasSlot(i)) out.push_back(i);
  }
  return out;
}

PageWriter GoldenWriter() {
  PageWriter writer(110, 4);
  writer.MaskTable(9, 2).MaskBit(8, 0).MaskBit(8, 2);
  writer.Add(PageWriter::Label("L1").Header(0, 0, 1, 1));
  writer.Add(PageCommand(8).HighBit().Header(1, 0, 0, 2).Ops({OpRecord{1, "x", {OpOperand::Int(7)}, 0}}).Ops({}));
  writer.Add(PageCommand(7).Header(0, 1, 1, 3).Ops({}).Ops({}).Ops({}));
  return writer;
}

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = SetScriptFiles(&files_);
    StopFlag = false;
  }
  void TearDown() override {
    SetScriptFiles(previous_);
    StopFlag = false;
  }

  std::unique_ptr<TPage> Load(const std::string& name, std::vector<std::uint8_t> bytes) {
    files_.files[name] = std::move(bytes);
    auto page = std::make_unique<TPage>();
    page->LoadPage(name);
    return page;
  }

  TMemoryScriptFiles files_;
  TScriptFiles* previous_ = nullptr;
};

TEST_F(PageTest, GoldenPageLoadsFieldByField) {
  auto page = Load("golden.vsb", kGoldenPage);
  EXPECT_EQ(page->GetName(), "golden.vsb");
  EXPECT_EQ(page->Version(), 110);
  EXPECT_EQ(page->ResultType(), 4);
  EXPECT_TRUE(page->MaskHas(8, 0));
  EXPECT_FALSE(page->MaskHas(8, 1));
  EXPECT_TRUE(page->MaskHas(8, 2));
  EXPECT_FALSE(page->MaskHas(0, 0));
  ASSERT_EQ(page->Count(), 3);

  const TCommand* label = page->GetCommand(0);
  EXPECT_EQ(label->GetCode(), 3);
  EXPECT_TRUE(label->GetRunFlag());
  EXPECT_EQ(label->Line(), 1);
  EXPECT_TRUE(label->IsLabel("L1"));
  EXPECT_FALSE(label->IsLabel("l1"));
  EXPECT_EQ(page->IndexOfLabel("L1"), 0);
  EXPECT_EQ(page->IndexOfLabel("L2"), -1);

  const auto* box = dynamic_cast<const TComComponent*>(page->GetCommand(1));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetCode(), 8);
  EXPECT_EQ(box->Indent(), 1);
  EXPECT_FALSE(box->GetRunFlag());
  EXPECT_EQ(box->Line(), 2);
  EXPECT_EQ(StoredSlots(box), (std::vector<int>{0, 2}));
  ASSERT_EQ(box->Slot(0)->Operations().size(), 1u);
  EXPECT_EQ(box->Slot(0)->Operations()[0]->target, "x");
  EXPECT_TRUE(box->Slot(2)->Empty());

  const auto* wait = dynamic_cast<const TComRecord*>(page->GetCommand(2));
  ASSERT_NE(wait, nullptr);
  EXPECT_TRUE(wait->GetSkip());
  EXPECT_EQ(wait->Expressions().size(), 3u);
  EXPECT_EQ(wait->Record().size(), 12u);
  EXPECT_EQ(page->IndexOf(wait), 2);
}

TEST_F(PageTest, WriterReproducesTheGoldenPage) { EXPECT_EQ(GoldenWriter().Bytes(), kGoldenPage); }

TEST_F(PageTest, EveryTruncationFailsNamingThePage) {
  for (std::size_t length = 0; length < kGoldenPage.size(); ++length) {
    std::vector<std::uint8_t> cut(kGoldenPage.begin(), kGoldenPage.begin() + static_cast<std::ptrdiff_t>(length));
    try {
      Load("cut.vsb", cut);
      ADD_FAILURE() << "length " << length << " loaded";
    } catch (const EPageError& error) {
      EXPECT_EQ(std::string(error.what()).rfind("cut.vsb:", 0), 0u) << error.what();
    }
  }
}

TEST_F(PageTest, WideAndLongMaskTablesStillFindTheCommands) {
  PageWriter writer(110);
  writer.MaskTable(70, 30).MaskBit(8, 1).MaskBit(8, 200).MaskBit(65, 0);
  writer.Add(PageCommand(8).Ops({}));  // only property 1: bits past 167 are not kept
  writer.Add(PageWriter::Label("end"));
  auto page = Load("wide.vsb", writer.Bytes());
  ASSERT_EQ(page->Count(), 2);
  EXPECT_EQ(StoredSlots(page->GetCommand(0)), (std::vector<int>{1}));
  EXPECT_EQ(page->IndexOfLabel("end"), 1);
}

TEST_F(PageTest, PropertiesAbove161NeverSelectAnExpression) {
  PageWriter writer(110);
  for (int p = 160; p < 168; ++p) writer.MaskBit(9, p);
  writer.Add(PageCommand(9).Ops({}).Ops({}));
  auto page = Load("high.vsb", writer.Bytes());
  EXPECT_EQ(StoredSlots(page->GetCommand(0)), (std::vector<int>{160, 161}));
}

class RecordingHost : public TScriptHost {
 public:
  platform::MessageAnswer ShowMessage(platform::MessageBoxRequest request) override {
    shown.push_back(std::move(request));
    return platform::MessageAnswer::kOk;
  }
  void CloseMainWindow() override { ++closed; }
  std::vector<platform::MessageBoxRequest> shown;
  int closed = 0;
};

TEST_F(PageTest, VersionsOutsideTheKnownRange) {
  RecordingHost host;
  TScriptHost* previous = SetScriptHost(&host);
  PageWriter newer(111);
  newer.Add(PageWriter::Label("a"));
  auto page = Load("new.vsb", newer.Bytes());
  EXPECT_EQ(page->Count(), 0);
  EXPECT_TRUE(host.shown.empty());
  EXPECT_FALSE(StopFlag);

  PageWriter older(102);
  older.Add(PageWriter::Label("a"));
  page = Load("old.vsb", older.Bytes());
  EXPECT_EQ(page->Count(), 0);
  EXPECT_TRUE(StopFlag);
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(host.shown[0].text, std::string(texts::kRebuildPage) + "\r\nold.vsb");
  EXPECT_EQ(host.shown[0].caption, std::string(texts::kWarningCaption));
  EXPECT_EQ(host.shown[0].icon, platform::MessageIcon::kWarning);
  EXPECT_EQ(host.closed, 1);

  StopFlag = false;
  PageWriter oldest_known(103);
  oldest_known.Add(PageWriter::Label("a"));
  EXPECT_EQ(Load("103.vsb", oldest_known.Bytes())->Count(), 1);
  EXPECT_FALSE(StopFlag);
  SetScriptHost(previous);
}

TEST_F(PageTest, CodeByteHighBitIsIgnoredAndUnknownCodesFail) {
  PageWriter call(110);
  call.Add(PageCommand(0x85).Str("sub.vsb").Int(0).Str("").Ops({}).Int(1).Ops({}));
  auto page = Load("call.vsb", call.Bytes());
  EXPECT_EQ(page->GetCommand(0)->GetCode(), 5);

  for (std::uint8_t code : {std::uint8_t{61}, std::uint8_t{0x7F}, std::uint8_t{0xBD}}) {
    PageWriter bad(110);
    bad.Add(PageCommand(code));
    try {
      Load("bad.vsb", bad.Bytes());
      ADD_FAILURE() << int(code);
    } catch (const EBadCommand& error) {
      EXPECT_EQ(std::string(error.what()), std::string(texts::kBadCommand));
    }
  }
}

// Fields that exist only from some page version on: the command after them must still be found.
TEST_F(PageTest, VersionDependentFields) {
  struct Case {
    std::int32_t version;
    std::uint8_t code;
    int expressions;
    int ints;
  };
  const Case cases[] = {
      {106, 7, 2, 0}, {107, 7, 3, 0},    // Wait: event-block flag
      {103, 13, 9, 1}, {107, 13, 10, 1},  // Flip: transition text, event-block flag
      {104, 38, 2, 0}, {105, 38, 2, 1},  // GameSave: resume index
      {107, 57, 6, 0}, {108, 57, 7, 0},  // PropMotion: paused flag
      {106, 21, 3, 0}, {107, 21, 4, 0},  // MovieStop
  };
  for (const Case& c : cases) {
    PageCommand command(c.code);
    int ints = c.ints;
    // Spell the record by the expected counts: GameSave is E S [I] E, Flip has its count in the middle.
    if (c.code == 38) {
      command.Ops({}).Str("resume.vsb");
      if (ints) command.Int(4);
      command.Ops({});
    } else if (c.code == 13) {
      command.Ops({}).Ops({}).Ops({}).Ops({}).Int(1).Ops({});
      for (int i = 5; i < c.expressions; ++i) command.Ops({});
    } else {
      for (int i = 0; i < c.expressions; ++i) command.Ops({});
    }
    PageWriter writer(c.version);
    writer.Add(std::move(command)).Add(PageWriter::Label("after"));
    auto page = Load("v.vsb", writer.Bytes());
    ASSERT_EQ(page->Count(), 2) << c.version << " " << int(c.code);
    const auto* record = dynamic_cast<const TComRecord*>(page->GetCommand(0));
    EXPECT_EQ(static_cast<int>(record->Expressions().size()), c.expressions) << c.version << " " << int(c.code);
    EXPECT_EQ(static_cast<int>(record->Ints().size()), ints) << c.version << " " << int(c.code);
    EXPECT_EQ(page->IndexOfLabel("after"), 1);
  }
}

TEST_F(PageTest, OversizedAndNegativeCountsFailBeforeAllocating) {
  auto put = [](std::vector<std::uint8_t> bytes, std::size_t at, std::int32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
    return bytes;
  };
  const std::size_t kRows = 5, kRowSize = 9, kCount = 13 + 18;
  const std::vector<std::vector<std::uint8_t>> broken = {
      put(kGoldenPage, kRows, 0x7FFFFFFF),      put(kGoldenPage, kRows, -1),
      put(kGoldenPage, kRowSize, 0x7FFFFFFF),   put(kGoldenPage, kRowSize, -5),
      put(put(kGoldenPage, kRows, 0x10000), kRowSize, 0x10000),  // product far past the file
      put(kGoldenPage, kCount, 0x7FFFFFFF),     put(kGoldenPage, kCount, -1),
      put(kGoldenPage, kCount + 4 + 1 + 10, 0x7FFFFFF0),  // label length
  };
  for (std::size_t i = 0; i < broken.size(); ++i) {
    EXPECT_THROW(Load("broken.vsb", broken[i]), EPageError) << i;
  }

  for (std::int32_t count : {-1, 0x7FFFFFFF, 0x40000000}) {
    PageWriter call(110);
    call.Add(PageCommand(5).Str("sub.vsb").Int(0).Str("").Ops({}).Int(count));
    EXPECT_THROW(Load("call.vsb", call.Bytes()), EPageError) << count;
    PageWriter text(110);
    text.Add(PageCommand(20).Int(count).Ops({}).Ops({}).Ops({}).Ops({}));
    EXPECT_THROW(Load("text.vsb", text.Bytes()), EPageError) << count;
    PageWriter cabinet(110);
    cabinet.Add(PageCommand(59).Ops({}).Int(count));
    EXPECT_THROW(Load("cabinet.vsb", cabinet.Bytes()), EPageError) << count;
  }
}

// Rows past the codes this player knows are skipped whole, however many the table claims.
TEST_F(PageTest, MaskRowsPastTheKnownCodesAreSkipped) {
  PageWriter wide(110);
  wide.MaskTable(kMaskRows + 3, 30).MaskBit(kMaskRows - 1, 7).MaskBit(kMaskRows + 2, 0).MaskBit(kMaskRows + 2, 239);
  wide.Add(PageWriter::Label("after"));
  auto page = Load("wide.vsb", wide.Bytes());
  EXPECT_TRUE(page->MaskHas(kMaskRows - 1, 7));
  EXPECT_FALSE(page->MaskHas(kMaskRows + 2, 0));
  ASSERT_EQ(page->Count(), 1);
  EXPECT_EQ(page->IndexOfLabel("after"), 0);

  PageWriter empty_rows(110);
  empty_rows.MaskTable(0x7FFFFFFF, 0).Add(PageWriter::Label("after"));
  page = Load("empty_rows.vsb", empty_rows.Bytes());
  ASSERT_EQ(page->Count(), 1);
  EXPECT_EQ(page->IndexOfLabel("after"), 0);
}

TEST_F(PageTest, StringLengthZeroOrNegativeIsEmpty) {
  PageWriter writer(110);
  writer.Add(PageCommand(3).Int(-7)).Add(PageCommand(3).Int(0)).Add(PageWriter::Label("x"));
  auto page = Load("empty.vsb", writer.Bytes());
  ASSERT_EQ(page->Count(), 3);
  EXPECT_TRUE(page->GetCommand(0)->IsLabel(""));
  EXPECT_EQ(page->IndexOfLabel("x"), 2);
}

TEST_F(PageTest, TextInsKeepsItsDocumentBytes) {
  PageWriter writer(107);
  writer.Add(PageCommand(20).Int(3).Raw({'a', 'b', 'c'}).Ops({}).Ops({}).Ops({}).Ops({}));
  auto page = Load("text.vsb", writer.Bytes());
  const auto* record = dynamic_cast<const TComRecord*>(page->GetCommand(0));
  EXPECT_EQ(record->Bytes(), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
  EXPECT_EQ(record->Expressions().size(), 4u);
}

TEST_F(PageTest, CommentsAreSkippedButAnswerForTheirText) {
  PageWriter writer(110);
  writer.Add(PageWriter::Comment("here").Header(0, 0, 1, 1)).Add(PageWriter::Label("here"));
  auto page = Load("comment.vsb", writer.Bytes());
  const TCommand* comment = page->GetCommand(0);
  EXPECT_EQ(comment->GetCode(), 27);
  EXPECT_TRUE(comment->GetSkip());
  EXPECT_FALSE(comment->GetRunFlag());
  // The comment inherits the label's test, so it is found first.
  EXPECT_EQ(page->IndexOfLabel("here"), 0);
}

TEST_F(PageTest, LabelPresetsItsRunFlagUntilTheHeaderIsRead) {
  TComLabel label(nullptr);
  EXPECT_TRUE(label.GetRunFlag());
  PageWriter writer(110);
  writer.Add(PageWriter::Label("a", 0));
  auto page = Load("label.vsb", writer.Bytes());
  EXPECT_FALSE(page->GetCommand(0)->GetRunFlag());
}

TEST_F(PageTest, MissingFileRaisesTheFileManagersMessage) {
  TPage page;
  try {
    page.LoadPage("none.vsb");
    FAIL();
  } catch (const Exception& error) {
    EXPECT_EQ(std::string(error.what()), FormatText(texts::kFileNotFoundFormat, "none.vsb"));
  }
}

TEST(StateHeaderTest, ReadsTheNumberOrRewinds) {
  struct Case {
    std::string bytes;
    std::int32_t version;
    std::int64_t position;
  };
  const Case cases[] = {
      {"vorn100x", 100, 7}, {"vorn107", 107, 7}, {"vornabcx", 0, 7},
      {"Vorn100x", 0, 0},   {"xyz", 0, 0},       {"vorn10", 0, 0}, {"", 0, 0},
  };
  for (const Case& c : cases) {
    TMemoryStream stream(std::vector<std::uint8_t>(c.bytes.begin(), c.bytes.end()));
    EXPECT_EQ(ReadStateHeader(stream), c.version) << c.bytes;
    EXPECT_EQ(stream.Position(), c.position) << c.bytes;
  }
  TMemoryStream written;
  WriteStateHeader(written);
  written.SetPosition(0);
  EXPECT_EQ(ReadStateHeader(written), 100);
}

TEST_F(PageTest, FreeingAPageFreesOnlyItsBoundVariable) {
  TParamCollection params;
  const int before = params.Count();
  for (const char* name : {"\x01page.vsb", "\x01PAGE.vsb", "\x01other.vsb", "page.vsb"}) {
    params.AddParam(PT_INT).SetName(name);
  }
  {
    PageWriter writer(110);
    auto page = Load("page.vsb", writer.Bytes());
  }
  EXPECT_EQ(params.Count(), before + 3);
  for (int i = 0; i < params.Count(); ++i) EXPECT_NE(params.GetItem(i).Name(), "\x01page.vsb");
}

}  // namespace
}  // namespace vorn

namespace vorn {
namespace {

TEST(VrScriptFilesTest, PagesLoadThroughTheVirtualFileManager) {
  const testing::TempFolder folder;
  const std::filesystem::path& dir = folder.path();
  fixture::PageWriter writer(110);
  writer.Add(fixture::PageWriter::Label("here"));
  writer.WriteTo(dir.string(), "start.vsb");
  {
    TVrFileManager manager;
    manager.SetBaseDir(dir.string());
    TVrScriptFiles files(manager);
    TScriptFiles* previous = SetScriptFiles(&files);
    EXPECT_TRUE(files.FileExists("start.vsb"));
    EXPECT_FALSE(files.FileExists("other.vsb"));
    TPage page;
    page.LoadPage("start.vsb");
    EXPECT_EQ(page.IndexOfLabel("here"), 0);
    EXPECT_THROW(page.LoadPage("other.vsb"), Exception);
    SetScriptFiles(previous);
  }
}

}  // namespace
}  // namespace vorn
