#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/commands/message_commands.h"
#include "foundation/errors.h"
#include "scene_command_harness.h"

namespace vorn::testing {
namespace {

using fixture::PageCommand;
using fixture::PageWriter;

const std::vector<std::uint8_t> kDocument = {'Z', 'k', 'W', 'o', 'r', 'd', 0x01, 0x02};

class MessageCommandTest : public SceneCommandTest {
 protected:
  // A new page "msgN.vsb" (N counting from 1) with a DoEvent first and the command second.
  template <class T>
  T* Second(PageCommand command) {
    PageWriter writer;
    writer.Add(PageCommand(46)).Add(std::move(command));
    TPage* page = Load("msg" + std::to_string(++pages_) + ".vsb", writer);
    return dynamic_cast<T*>(page->GetCommand(1));
  }

 private:
  int pages_ = 0;
};

TEST_F(MessageCommandTest, TextInsResetsTheWindowToItsMessage) {
  auto& window = scene.Add<TRecordingMessageWindow>("mes");
  window.count_after_next_page = 2;
  auto* text = Second<TComTextIns>(PageWriter::TextIns(kDocument, "\"mes\"", "1", "1", "1"));
  ASSERT_NE(text, nullptr);
  text->Enter(callman);
  EXPECT_EQ(window.log, (std::vector<std::string>{"tracking off", "mode 0", "start 0", "tracking on",
                                                  "source msg1.vsb:1", "clear", "entry msg1.vsb:1", "next page"}));
  EXPECT_EQ(window.PropertyCalls(), (std::vector<TPropCall>{{44, 'I', "0", -1}}));
  EXPECT_TRUE(text->IsWaiting());
  EXPECT_TRUE(text->BlocksEvents());
  EXPECT_EQ(text->Target(), &window);
}

TEST_F(MessageCommandTest, TextInsWithoutTrackingOrPagesAndItsWait) {
  auto& window = scene.Add<TRecordingMessageWindow>("mes");
  auto* text = Second<TComTextIns>(PageWriter::TextIns(kDocument, "\"mes\"", "0", "1"));
  text->Enter(callman);
  EXPECT_EQ(window.log, (std::vector<std::string>{"tracking off", "mode 0", "start 0", "clear", "entry msg1.vsb:1",
                                                  "next page"}));
  // COUNT 0 after laying out: no INDEX, and the wait is over at once.
  EXPECT_TRUE(window.PropertyCalls().empty());
  EXPECT_EQ(Exec(*text, 1), 2);
  window.ints[45] = 3;
  EXPECT_EQ(Exec(*text, 1), 1);
  window.ints[45] = 0;
  EXPECT_EQ(Exec(*text, 1), 2);
}

TEST_F(MessageCommandTest, TextInsWithoutDocumentOrWindowDoesNothing) {
  auto& window = scene.Add<TRecordingMessageWindow>("mes");
  scene.Add("plain");
  auto* empty = Second<TComTextIns>(PageWriter::TextIns({}, "\"mes\"", "1", "1"));
  empty->Enter(callman);
  EXPECT_TRUE(window.log.empty());
  EXPECT_FALSE(empty->IsWaiting());
  EXPECT_EQ(Exec(*empty, 1), 2);
  for (const char* name : {"\"plain\"", "\"none\"", "\"\""}) {
    auto* text = Second<TComTextIns>(PageWriter::TextIns(kDocument, name, "1", "1"));
    text->Enter(callman);
    EXPECT_EQ(text->Target(), nullptr) << name;
    EXPECT_EQ(Exec(*text, 1), 2) << name;
  }
}

TEST_F(MessageCommandTest, AWindowFreedWhileWaitingLeavesNoTarget) {
  auto& window = scene.Add<TRecordingMessageWindow>("mes");
  window.count_after_next_page = 1;
  auto* text = Second<TComTextIns>(PageWriter::TextIns(kDocument, "\"mes\"", "", "1"));
  text->Enter(callman);
  EXPECT_EQ(Exec(*text, 1), 1);
  scene.objects.clear();
  EXPECT_EQ(text->Target(), nullptr);
  EXPECT_EQ(Exec(*text, 1), 2);
}

TEST_F(MessageCommandTest, TextInsStateFindsTheWindowAgain) {
  auto& window = scene.Add<TRecordingMessageWindow>("mes");
  scene.Add("plain");
  window.count_after_next_page = 1;
  auto* text = Second<TComTextIns>(PageWriter::TextIns(kDocument, "\"mes\"", "", "1", "1"));
  text->Enter(callman);
  std::unique_ptr<TMemoryStream> state;
  text->SaveState(state);
  const std::vector<std::uint8_t> expected = {'v', 'o', 'r', 'n', '1', '0', '0', 3, 0, 0, 0, 'm', 'e', 's', 1, 1};
  EXPECT_EQ(std::vector<std::uint8_t>(state->Memory(), state->Memory() + state->Size()), expected);

  PageWriter writer;
  writer.Add(PageWriter::TextIns(kDocument, "", "", ""));
  auto* other = dynamic_cast<TComTextIns*>(Load("other.vsb", writer)->GetCommand(0));
  state->SetPosition(0);
  other->LoadState(*state);
  EXPECT_EQ(other->Target(), &window);
  EXPECT_TRUE(other->IsWaiting());
  EXPECT_TRUE(other->BlocksEvents());
  // A name that is no message window any more gives no target.
  TMemoryStream plain(std::vector<std::uint8_t>{'v', 'o', 'r', 'n', '1', '0', '0', 5, 0, 0, 0, 'p', 'l', 'a', 'i', 'n', 1, 0});
  other->LoadState(plain);
  EXPECT_EQ(other->Target(), nullptr);
  TMemoryStream cut(std::vector<std::uint8_t>{'v', 'o', 'r', 'n', '1', '0', '0', 9, 0, 0, 0, 'm'});
  EXPECT_THROW(other->LoadState(cut), EReadError);
}

TEST_F(MessageCommandTest, TextDocumentLookupChecksIndexAndKind) {
  PageWriter writer;
  writer.Add(PageCommand(46)).Add(PageWriter::TextIns(kDocument, "\"mes\"", "", ""));
  files.files["doc.vsb"] = writer.Bytes();
  auto stream = FindTextDocument(callman, "doc.vsb", 1);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->Position(), 0);
  EXPECT_EQ(std::vector<std::uint8_t>(stream->Memory(), stream->Memory() + stream->Size()), kDocument);
  EXPECT_EQ(FindTextDocument(callman, "doc.vsb", 0), nullptr);
  EXPECT_EQ(FindTextDocument(callman, "doc.vsb", 2), nullptr);
  EXPECT_EQ(FindTextDocument(callman, "doc.vsb", -1), nullptr);
  EXPECT_EQ(FindTextDocument(callman, "missing.vsb", 1), nullptr);
}

TEST_F(MessageCommandTest, DocumentCountIsCheckedBeforeAnythingIsAllocated) {
  for (std::int32_t count : {-1, 0x7FFFFFF0}) {
    PageWriter writer;
    writer.Add(std::move(PageCommand(20).Int(count).Raw({1, 2, 3})));
    files.files["bad.vsb"] = writer.Bytes();
    EXPECT_THROW(callman.GetPage("bad.vsb", false), EReadError) << count;
  }
}

TEST_F(MessageCommandTest, TextClrClearsOnlyMessageWindows) {
  auto& window = scene.Add<TRecordingMessageWindow>("mes");
  TRecordingObject& plain = scene.Add("plain");
  auto* clear = Second<TComTextClr>(std::move(PageCommand(28).Expr("\"mes\"")));
  EXPECT_EQ(Exec(*clear, 1), 2);
  EXPECT_EQ(window.log, (std::vector<std::string>{"tracking off"}));
  EXPECT_EQ(window.PropertyCalls(), (std::vector<TPropCall>{{50, 'S', "", -1}}));
  auto* other = Second<TComTextClr>(std::move(PageCommand(28).Expr("\"plain\"")));
  EXPECT_EQ(Exec(*other, 1), 2);
  EXPECT_TRUE(plain.calls.empty());
}

TEST_F(MessageCommandTest, CallHistCutsTheCountToTheBacklog) {
  auto& window = scene.Add<TRecordingMessageWindow>("mes");
  struct Case {
    const char* first;
    const char* count;
    const char* mode;
    std::int32_t size;
    std::vector<std::string> shown;
  } const cases[] = {
      {"5", "10", "", 8, {"show 5+3 in mes"}},
      {"9", "1", "", 8, {}},
      {"8", "", "", 8, {}},
      {"-4", "", "1", 8, {"show 0+1 in mes"}},
      {"2", "", "", 8, {"show 2+1 in mes"}},
      {"", "3", "", 8, {}},
      {"0", "0", "", 8, {}},
  };
  for (const Case& c : cases) {
    backlog.log.clear();
    backlog.size = c.size;
    window.log.clear();
    auto* hist = Second<TComCallHist>(std::move(PageCommand(29).Expr("\"mes\"").Expr(c.first).Expr(c.count).Expr(c.mode)));
    EXPECT_EQ(Exec(*hist, 1), 2);
    EXPECT_EQ(backlog.log, c.shown) << c.first << " " << c.count;
    if (!c.shown.empty()) {
      EXPECT_EQ(window.log, (std::vector<std::string>{std::string("mode ") + (c.mode[0] ? "1" : "0")}));
    }
  }
}

TEST_F(MessageCommandTest, ClearsAndFormat) {
  auto* clr_hist = Second<TComClrHist>(PageCommand(22));
  EXPECT_EQ(Exec(*clr_hist, 1), 2);
  EXPECT_EQ(backlog.log, (std::vector<std::string>{"clear"}));
  auto* clr_read = Second<TComClrRead>(PageCommand(47));
  EXPECT_EQ(Exec(*clr_read, 1), 2);
  EXPECT_EQ(read_list.clears, 1);

  TRecordingObject& format = scene.Add("fmt");
  format.ints = {{16, 24}, {142, 2}, {143, 3}, {5, 400}, {6, 300}, {18, 6}};
  auto* hist = Second<TComEntryHist>(std::move(PageCommand(58).Expr("\"fmt\"")));
  EXPECT_EQ(Exec(*hist, 1), 2);
  EXPECT_EQ(params.HistoryFormat(), (std::array<std::int32_t, 6>{24, 2, 3, 400, 300, 6}));
}

TEST_F(MessageCommandTest, WindowNamesAreNameExpressions) {
  Declare("n", PT_INT);
  auto& window = scene.Add<TRecordingMessageWindow>("2");
  scene.Add<TRecordingMessageWindow>("1");
  backlog.size = 4;
  std::vector<PageCommand> commands;
  PageCommand text(20);
  text.Int(static_cast<std::int32_t>(kDocument.size())).Raw(kDocument).Ops(CountingName("n")).Expr("").Expr("").Expr("");
  commands.push_back(std::move(text));
  commands.push_back(std::move(PageCommand(28).Ops(CountingName("n"))));
  commands.push_back(std::move(PageCommand(29).Ops(CountingName("n")).Expr("0").Expr("").Expr("")));
  for (PageCommand& command : commands) {
    params.FindParam("n")->SetAsInt(0);
    window.log.clear();
    auto* made = Second<TCommand>(std::move(command));
    made->Enter(callman);
    Exec(*made, 1);
    EXPECT_EQ(IntOf("n"), 2) << static_cast<int>(made->GetCode());
    EXPECT_FALSE(window.log.empty()) << static_cast<int>(made->GetCode());
  }
}

}  // namespace
}  // namespace vorn::testing
