#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/call_man.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/script_error.h"
#include "engine/script_files.h"
#include "engine/script_host.h"
#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "support/log_recorder.h"

namespace vorn {
namespace {

using fixture::PageCommand;
using fixture::PageWriter;

// --- test commands ---

class TestCommand : public TCommand {
 public:
  TestCommand(TPage* page, std::int32_t line, bool run) : TCommand(page) {
    line_ = line;
    run_flag_ = run ? 1 : 0;
  }
};

// Holds the script for n steps, then moves on; its state is the steps left.
class WaitCommand : public TestCommand {
 public:
  WaitCommand(TPage* page, std::int32_t line, int steps) : TestCommand(page, line, true), steps_(steps), left_(steps) {}
  void Enter(TCallMan&) override { left_ = steps_; }
  bool IsWaiting() const override { return true; }
  // Like the real waits it ends the frame's script step while it holds.
  void Execute(TCallMan& callman, TPage*&, std::int32_t& index) override {
    if (left_ > 0) {
      --left_;
      callman.SetRunFlag(false);
      return;
    }
    ++index;
  }
  void SaveState(std::unique_ptr<TMemoryStream>& stream) override {
    if (!stream) stream = std::make_unique<TMemoryStream>();
    WriteStateHeader(*stream);
    WriteIntToStream(*stream, left_);
  }
  void LoadState(TStream& stream) override {
    ReadStateHeader(stream);
    left_ = ReadIntFromStream(stream);
  }
  int left() const { return left_; }

 private:
  int steps_;
  int left_;
};

// Raises on its first `failures` executions.
class RaiseCommand : public TestCommand {
 public:
  RaiseCommand(TPage* page, std::int32_t line, int failures) : TestCommand(page, line, true), failures_(failures) {}
  void Enter(TCallMan&) override { ++enters; }
  void Execute(TCallMan&, TPage*&, std::int32_t& index) override {
    if (failures_ > 0) {
      --failures_;
      throw EScriptError("fails");
    }
    ++index;
  }
  int enters = 0;

 private:
  int failures_;
};

class BlockCommand : public WaitCommand {
 public:
  using WaitCommand::WaitCommand;
  bool BlocksEvents() const override { return true; }
};

// Calls another page, handing a value back into a variable.
class CallCommand : public TestCommand {
 public:
  CallCommand(TPage* page, std::int32_t line, std::string target, std::string return_name = {})
      : TestCommand(page, line, true), target_(std::move(target)), return_name_(std::move(return_name)) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override {
    TPage* called = callman.GetPage(target_, true);
    TStack& frame = callman.Stack().Push();
    frame.page_name = page->GetName();
    frame.index = index + 1;
    frame.run_flag = callman.RunFlag();
    frame.arguments.Assign(callman.Arguments());
    frame.sender = callman.Sender();
    frame.return_name = return_name_;
    if (!return_name_.empty()) {
      frame.return_value = CreateParamByType(PT_STR);
      frame.return_value->SetAsString("42");
    }
    page = called;
    index = 0;
  }

 private:
  std::string target_;
  std::string return_name_;
};

// --- scene and objects ---

class TestObject : public TScriptObject {
 public:
  explicit TestObject(std::string name) : name_(std::move(name)) {}
  const std::string& GetName() const override { return name_; }
  void SetName(const std::string& name) override { name_ = name; }
  const std::string& GetTag() const override { return tag_; }
  void SetTag(const std::string& tag) override { tag_ = tag; }
  std::int32_t GetPriority() const override { return 0; }
  void SetPriority(std::int32_t) override {}

 private:
  std::string name_;
  std::string tag_;
};

class TestScene : public TScriptScene {
 public:
  TScriptObject* FindComponent(std::string_view name) override {
    for (auto& object : objects) {
      if (object->GetName() == name) return object.get();
    }
    return nullptr;
  }
  TScriptObject* FindControl(std::string_view name) override { return FindComponent(name); }
  int IndexOfObject(const TScriptObject* object) const override {
    for (std::size_t i = 0; i < objects.size(); ++i) {
      if (objects[i].get() == object) return static_cast<int>(i);
    }
    return -1;
  }
  TScriptEventQueue& GetEventQueue() override { return queue; }
  TestObject& Add(const std::string& name) {
    objects.push_back(std::make_unique<TestObject>(name));
    return *objects.back();
  }

  std::vector<std::unique_ptr<TestObject>> objects;
  TPlainEventQueue queue;
};

// --- harness ---

class CallManTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_files_ = SetScriptFiles(&files_);
    previous_trace_ = SetTraceCallback([this](const char* line) { trace_.emplace_back(line); });
    StopFlag = false;
    GameClock = 0x1234;
    callman_.SetScene(&scene_);
  }
  void TearDown() override {
    SetTraceCallback(previous_trace_);
    SetScriptFiles(previous_files_);
    GameClock = 0;
    StopFlag = false;
  }

  // A page of test commands: builders get the page and the line number (1-based position).
  using Maker = std::function<std::unique_ptr<TCommand>(TPage*, std::int32_t)>;
  TPage* MakePage(const std::string& name, const std::vector<Maker>& makers) {
    auto page = std::make_unique<TPage>();
    page->SetName(name);
    std::int32_t line = 1;
    for (const Maker& make : makers) page->AddCommand(make(page.get(), line++));
    files_.files[name] = {};  // the event file check finds it
    return callman_.AddPage(std::move(page));
  }
  static Maker Plain(bool run = true) {
    return [run](TPage* page, std::int32_t line) { return std::make_unique<TestCommand>(page, line, run); };
  }
  static Maker Wait(int steps) {
    return [steps](TPage* page, std::int32_t line) { return std::make_unique<WaitCommand>(page, line, steps); };
  }
  static Maker Block(int steps) {
    return [steps](TPage* page, std::int32_t line) { return std::make_unique<BlockCommand>(page, line, steps); };
  }
  static Maker Raise(int failures) {
    return [failures](TPage* page, std::int32_t line) { return std::make_unique<RaiseCommand>(page, line, failures); };
  }
  static Maker Calls(std::string target, std::string return_name = {}) {
    return [target, return_name](TPage* page, std::int32_t line) {
      return std::make_unique<CallCommand>(page, line, target, return_name);
    };
  }
  static Maker LabelAt(std::string name) {
    return [name](TPage* page, std::int32_t line) {
      auto label = std::make_unique<TComLabel>(page);
      PageCommand command = PageWriter::Label(name).Header(0, 0, 1, line);
      std::vector<std::uint8_t> bytes{0, 0, 0, 0, 0, 1};
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(line >> (8 * i)));
      bytes.insert(bytes.end(), command.record.begin(), command.record.end());
      TMemoryStream stream(bytes);
      label->LoadFromStream(stream);
      return label;
    };
  }

  std::vector<std::string> Frame() {
    trace_.clear();
    callman_.Run();
    return trace_;
  }
  static std::string Line(const std::string& page, int line) { return "00001234 : " + page + "(" + std::to_string(line) + ")"; }
  static std::string EventLine(const std::string& page, int line) {
    return "00001234 : <Event>" + page + "(" + std::to_string(line) + ")";
  }

  TMemoryScriptFiles files_;
  TScriptFiles* previous_files_ = nullptr;
  TTraceCallback previous_trace_;
  std::vector<std::string> trace_;
  TestScene scene_;
  TCallMan callman_;
};

using Lines = std::vector<std::string>;

TEST_F(CallManTest, RunFlagsDecideHowMuchOneFrameRuns) {
  MakePage("main.vsb", {Plain(true), Plain(false), Plain(true), Plain(true)});
  callman_.Call("main.vsb");
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 1), Line("main.vsb", 2)}));
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 3), Line("main.vsb", 4)}));
  EXPECT_FALSE(callman_.RunFlag());
  EXPECT_EQ(Frame(), Lines{});
  EXPECT_FALSE(callman_.RunFlag());
}

TEST_F(CallManTest, EventHandlerRunsAndTheMainScriptResumesAtItsCommand) {
  MakePage("main.vsb", {Plain(false), Plain(false), Plain(false)});
  MakePage("h.vsb", {Plain(true), LabelAt("L"), Plain(true)});
  TestObject& button = scene_.Add("btn");
  callman_.Call("main.vsb");
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 1)}));
  TArrayString args;
  args.Add("x");
  scene_.queue.Post("h.txt:L", button.Handle(), args);
  EXPECT_EQ(Frame(), (Lines{EventLine("h.vsb", 2), Line("h.vsb", 2), Line("h.vsb", 3), Line("main.vsb", 2)}));
  EXPECT_EQ(scene_.queue.Count(), 0);
  EXPECT_EQ(callman_.Mode(), 0);
  EXPECT_EQ(callman_.ArgCount(), 0);
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 3)}));
}

TEST_F(CallManTest, HandlerSeesItsArgumentsAndSender) {
  MakePage("main.vsb", {Plain(false), Plain(false)});
  MakePage("h.vsb", {Wait(5)});
  TestObject& button = scene_.Add("btn");
  callman_.Call("main.vsb");
  TArrayString args;
  args.Add("one");
  args.Add("two");
  scene_.queue.Post("h.vsb", button.Handle(), args);
  Frame();
  EXPECT_EQ(callman_.Mode(), 2);
  EXPECT_EQ(callman_.ArgCount(), 2);
  EXPECT_EQ(callman_.GetArg(1), "two");
  EXPECT_EQ(callman_.GetArg(2), "");
  EXPECT_EQ(callman_.GetSenderName(), "btn");
  scene_.objects.clear();
  EXPECT_EQ(callman_.GetSenderName(), "");
}

TEST_F(CallManTest, UnknownLabelStartsAtTheFirstCommand) {
  MakePage("main.vsb", {Plain(false), Plain(false)});
  MakePage("h.vsb", {Plain(true), Plain(true)});
  callman_.Call("main.vsb");
  scene_.queue.Post("h.vsb:nolabel", scene_.Add("o").Handle());
  EXPECT_EQ(Frame(), (Lines{EventLine("h.vsb", 1), Line("h.vsb", 1), Line("h.vsb", 2), Line("main.vsb", 1)}));
}

TEST_F(CallManTest, BlockedEventStaysQueuedUntilTheCommandIsDone) {
  MakePage("main.vsb", {Block(2), Plain(false)});
  MakePage("h.vsb", {Plain(true)});
  callman_.Call("main.vsb");
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 1)}));  // entered: now it blocks
  scene_.queue.Post("h.vsb", scene_.Add("o").Handle());
  EXPECT_EQ(Frame(), Lines{});
  EXPECT_EQ(scene_.queue.Count(), 1);
  EXPECT_EQ(scene_.queue.Get(0).GetDone(), 0);
  // The block ends within the frame, and the event runs before the next command.
  EXPECT_EQ(Frame(), (Lines{EventLine("h.vsb", 1), Line("h.vsb", 1), Line("main.vsb", 2)}));
}

TEST_F(CallManTest, EventWhoseDiscWasNotGivenStaysQueued) {
  MakePage("main.vsb", {Plain(false), Plain(false)});
  MakePage("h.vsb", {Plain(true)});
  callman_.SetFileCheck([](const std::string& name) {
    return name == "later.vsb" ? TPageCheck::kNotNow : TPageCheck::kAvailable;
  });
  callman_.Call("main.vsb");
  scene_.queue.Post("later.vsb:a", scene_.Add("o").Handle());
  scene_.queue.Post("h.vsb", scene_.Add("p").Handle());
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 1)}));
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 2)}));
  // A later prompt may still bring the disc: the event keeps its place at the head.
  EXPECT_EQ(scene_.queue.Count(), 2);
  EXPECT_EQ(scene_.queue.Get(0).GetLabel(), "later.vsb:a");
}

TEST_F(CallManTest, EventWhosePageIsOnNoDiscIsDroppedAndLaterEventsRun) {
  MakePage("main.vsb", {Plain(false), Plain(false)});
  MakePage("h.vsb", {Plain(true)});
  callman_.SetFileCheck([](const std::string& name) {
    return name == "gone.vsb" ? TPageCheck::kNoDisc : TPageCheck::kAvailable;
  });
  callman_.Call("main.vsb");
  test::LogRecorder log;
  scene_.queue.Post("gone.vsb:a", scene_.Add("o").Handle());
  scene_.queue.Post("h.vsb", scene_.Add("p").Handle());
  EXPECT_EQ(Frame(), (Lines{EventLine("h.vsb", 1), Line("h.vsb", 1), Line("main.vsb", 1)}));
  EXPECT_EQ(scene_.queue.Count(), 0);
  EXPECT_TRUE(log.Contains("gone.vsb:a")) << ::testing::PrintToString(log.Lines());
}

TEST_F(CallManTest, WithoutAProjectAMissingEventPageIsOnNoDisc) {
  MakePage("main.vsb", {Plain(false), Plain(false)});
  callman_.Call("main.vsb");
  test::LogRecorder log;
  scene_.queue.Post("gone.vsb", scene_.Add("o").Handle());
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 1)}));
  EXPECT_EQ(scene_.queue.Count(), 0);
}

// The main page ends with Exit; an event afterwards runs its handler, whose return finds no page
// to go back to: the script stays ended and nothing escapes.
TEST_F(CallManTest, EventAfterExitOfTheMainPageRunsAndTheScriptStaysEnded) {
  TParamCollection params;  // the conditions read it
  files_.files["main.vsb"] = PageWriter(110).Add(fixture::flow::Exit("1", 0, 1)).Bytes();
  files_.files["h.vsb"] = PageWriter(110).Add(fixture::flow::Label("h", 0, 1)).Bytes();
  callman_.Call("main.vsb");
  EXPECT_NO_THROW(callman_.Run());
  EXPECT_EQ(callman_.CurrentPage(), nullptr);
  scene_.queue.Post("h.vsb", scene_.Add("o").Handle());
  std::vector<std::string> first;
  EXPECT_NO_THROW(first = Frame());
  EXPECT_EQ(first, (Lines{EventLine("h.vsb", 1), Line("h.vsb", 1)}));
  EXPECT_NO_THROW(Frame());
  EXPECT_EQ(callman_.CurrentPage(), nullptr);
  EXPECT_EQ(callman_.Mode(), 0);
  EXPECT_TRUE(callman_.Stack().Empty());
  EXPECT_FALSE(callman_.RunFlag());
  EXPECT_EQ(scene_.queue.Count(), 0);
  // And again: every later event runs its handler the same way (its command was traced last).
  scene_.queue.Post("h.vsb", scene_.Add("p").Handle());
  EXPECT_EQ(Frame(), (Lines{EventLine("h.vsb", 1)}));
  EXPECT_EQ(scene_.queue.Count(), 0);
  EXPECT_EQ(callman_.CurrentPage(), nullptr);
  EXPECT_EQ(callman_.Mode(), 0);
}

// A handler that ran while a command waited returns to a page that can no longer be read.
TEST_F(CallManTest, ReturnToAPageThatCannotBeReadEndsTheScriptWithALogLine) {
  TParamCollection params;
  MakePage("h.vsb", {Plain(true)});
  files_.files["main.vsb"] =
      PageWriter(110).Add(fixture::flow::Calc("1", 0, 1)).Add(fixture::flow::Calc("1", 0, 2)).Bytes();
  callman_.Call("main.vsb");
  // The main page leaves the cache and its file turns bad before the handler returns.
  TPage* main = callman_.CurrentPage();
  ASSERT_NE(main, nullptr);
  scene_.queue.Post("h.vsb", scene_.Add("o").Handle());
  ASSERT_TRUE(callman_.DispatchEvent(1));
  for (int i = 0; i < kMaxCachedPages + 1; ++i) {
    const std::string name = "fill" + std::to_string(i) + ".vsb";
    files_.files[name] = PageWriter(110).Add(fixture::flow::Calc("1", 0, 1)).Bytes();
    callman_.GetPage(name, true);
  }
  files_.files["main.vsb"] = PageWriter(110).Add(PageCommand(99)).Bytes();
  test::LogRecorder log;
  EXPECT_NO_THROW(Frame());
  EXPECT_EQ(callman_.CurrentPage(), nullptr);
  EXPECT_EQ(callman_.Mode(), 0);
  EXPECT_TRUE(callman_.Stack().Empty());
  EXPECT_EQ(scene_.queue.Count(), 0);
  EXPECT_TRUE(log.Contains("main.vsb")) << ::testing::PrintToString(log.Lines());
}

TEST_F(CallManTest, EventWhosePageCannotBeLoadedIsDroppedAndTheScriptGoesOn) {
  MakePage("main.vsb", {Plain(false), Wait(5), Plain(false)});
  MakePage("h.vsb", {Plain(true)});
  files_.files["bad.vsb"] = PageWriter(110).Add(PageCommand(99)).Bytes();
  callman_.Call("main.vsb");
  Frame();
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 2)}));  // waiting
  scene_.queue.Post("bad.vsb", scene_.Add("o").Handle());
  scene_.queue.Post("h.vsb", scene_.Add("p").Handle());
  const Lines lines = Frame();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("00001234 : <EventError>bad.vsb:", 0), 0u) << lines[0];
  EXPECT_EQ(scene_.queue.Count(), 1);
  EXPECT_TRUE(callman_.Stack().Empty());
  EXPECT_EQ(callman_.Index(), 1);
  EXPECT_TRUE(callman_.Entered());
  // The next event runs and the interrupted wait goes on where it was.
  EXPECT_EQ(Frame(), (Lines{EventLine("h.vsb", 1), Line("h.vsb", 1), Line("main.vsb", 2)}));
  EXPECT_EQ(callman_.Index(), 1);
  EXPECT_EQ(dynamic_cast<WaitCommand*>(callman_.CurrentPage()->GetCommand(1))->left(), 2);
}

TEST_F(CallManTest, RaisingCommandIsRetriedOncePerFrameWithEventsInBetween) {
  MakePage("main.vsb", {Raise(2), Plain(false)});
  MakePage("h.vsb", {Plain(true)});
  auto* raiser = dynamic_cast<RaiseCommand*>(callman_.GetPageByIndex(0)->GetCommand(0));
  callman_.Call("main.vsb");
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 1)}));
  EXPECT_EQ(callman_.Index(), 0);
  scene_.queue.Post("h.vsb", scene_.Add("o").Handle());
  EXPECT_EQ(Frame(), (Lines{EventLine("h.vsb", 1), Line("h.vsb", 1), Line("main.vsb", 1)}));
  EXPECT_EQ(callman_.Index(), 0);
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 2)}));
  EXPECT_EQ(raiser->enters, 1);
}

TEST_F(CallManTest, WaitThenEndOfTheMainPageEndsTheFrameAndEventsAreStillOffered) {
  // A handler that waited leaves the main script running in mode 1 once it returns from mode 3.
  MakePage("main.vsb", {Wait(2)});
  MakePage("h1.vsb", {Wait(1)});
  MakePage("h2.vsb", {Plain(true)});
  MakePage("h3.vsb", {Plain(true)});
  callman_.Call("main.vsb");
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 1)}));
  scene_.queue.Post("h1.vsb", scene_.Add("a").Handle());
  Frame();  // h1 waits: mode 2
  scene_.queue.Post("h2.vsb", scene_.Add("b").Handle());
  Frame();  // h2 runs at level 2 and returns; h1 goes on waiting
  for (int i = 0; i < 4; ++i) Frame();  // h1 ends, then the main page's wait ends and it runs out
  EXPECT_EQ(callman_.CurrentPage()->GetName(), "main.vsb");
  EXPECT_FALSE(callman_.CurrentPage()->Contains(callman_.Index()));
  EXPECT_EQ(Frame(), Lines{});
  EXPECT_EQ(callman_.Mode(), 0);
  EXPECT_FALSE(callman_.RunFlag());
  scene_.queue.Post("h3.vsb", scene_.Add("o").Handle());
  EXPECT_EQ(Frame(), (Lines{EventLine("h3.vsb", 1), Line("h3.vsb", 1)}));
  EXPECT_EQ(callman_.Mode(), 0);
  EXPECT_EQ(scene_.queue.Count(), 0);
}

TEST_F(CallManTest, EndedScriptInAWaitingModeDoesNotSpin) {
  MakePage("main.vsb", {Plain(false)});
  callman_.Call("main.vsb");
  for (std::int32_t mode : {1, 2, 3}) {
    callman_.SetMode(mode);
    Frame();
    EXPECT_EQ(callman_.Mode(), 0) << mode;
  }
  // A saved game without a current page, restored with the run flag set.
  TCallMan empty;
  empty.SetRunFlag(true);
  empty.SetMode(2);
  empty.Run();
  EXPECT_EQ(empty.Mode(), 0);
  EXPECT_FALSE(empty.RunFlag());
}

TEST_F(CallManTest, NestedHandlersDuringAWaitRaiseAndLowerTheLevel) {
  MakePage("main.vsb", {Wait(100), Plain(false)});
  MakePage("h1.vsb", {Wait(100), Plain(true)});
  MakePage("h2.vsb", {Plain(true)});
  callman_.Call("main.vsb");
  Frame();
  scene_.queue.Post("h1.vsb", scene_.Add("a").Handle());
  Frame();
  EXPECT_EQ(callman_.Level(), 2);  // a handler from mode 0 runs at level 1 and waits at 2
  EXPECT_EQ(callman_.Mode(), 2);
  scene_.queue.Post("h2.vsb", scene_.Add("b").Handle());
  EXPECT_EQ(Frame(), (Lines{EventLine("h2.vsb", 1), Line("h2.vsb", 1), Line("h1.vsb", 1)}));
  EXPECT_EQ(callman_.Level(), 2);
  EXPECT_EQ(scene_.queue.Count(), 1);  // h1's event stays until its handler returns
  EXPECT_EQ(callman_.Stack().Count(), 1);
}

TEST_F(CallManTest, SavedGameInsideTwoNestedHandlersRestoresStackLevelAndWaitingState) {
  MakePage("main.vsb", {Wait(100), Plain(false)});
  MakePage("h1.vsb", {Wait(100), Plain(true)});
  MakePage("h2.vsb", {Wait(100), Plain(true)});
  scene_.Add("a");
  scene_.Add("b");
  callman_.Call("main.vsb");
  Frame();
  scene_.queue.Post("h1.vsb", scene_.objects[0]->Handle());
  Frame();
  Frame();
  scene_.queue.Post("h2.vsb", scene_.objects[1]->Handle());
  Frame();
  Frame();
  ASSERT_EQ(callman_.Stack().Count(), 2);
  ASSERT_EQ(callman_.Level(), 3);
  ASSERT_EQ(callman_.Mode(), 2);
  TMemoryStream saved;
  callman_.SaveToStream(saved);

  TCallMan restored;
  restored.SetScene(&scene_);
  for (const char* name : {"main.vsb", "h1.vsb", "h2.vsb"}) {
    auto page = std::make_unique<TPage>();
    page->SetName(name);
    page->AddCommand(std::make_unique<WaitCommand>(page.get(), 1, 100));
    page->AddCommand(std::make_unique<TestCommand>(page.get(), 2, true));
    restored.AddPage(std::move(page));
  }
  saved.SetPosition(0);
  restored.LoadFromStream(saved, 116);
  EXPECT_EQ(saved.Remaining(), 0);
  EXPECT_EQ(restored.Level(), 3);
  EXPECT_EQ(restored.Mode(), callman_.Mode());
  EXPECT_EQ(restored.Stack().Count(), 2);
  EXPECT_EQ(restored.CurrentPage()->GetName(), "h2.vsb");
  EXPECT_EQ(restored.GetSenderName(), "b");
  EXPECT_EQ(restored.Stack().Get(1).page_name, "h1.vsb");
  EXPECT_EQ(dynamic_cast<WaitCommand*>(restored.CurrentPage()->GetCommand(0))->left(),
            dynamic_cast<WaitCommand*>(callman_.CurrentPage()->GetCommand(0))->left());
  ASSERT_NE(restored.Stack().Get(1).state, nullptr);
  TMemoryStream again;
  restored.SaveToStream(again);
  EXPECT_EQ(again.Bytes(), saved.Bytes());
}

TEST_F(CallManTest, SavedStateBytesSpelledOut) {
  MakePage("main.vsb", {Plain(false), Plain(false)});
  callman_.Call("main.vsb");
  Frame();
  callman_.Arguments().Add("a");
  TMemoryStream saved;
  callman_.SaveToStream(saved);
  const std::vector<std::uint8_t> expected = {
      0x08, 0, 0, 0, 'm', 'a', 'i', 'n', '.', 'v', 's', 'b',  // page
      0x01, 0, 0, 0,                                          // index
      0x00,                                                   // run flag
      0x00,                                                   // entered
      0, 0, 0, 0,                                             // mode
      0, 0, 0, 0,                                             // no sender
      0x01, 0, 0, 0, 0x01, 0, 0, 0, 'a',                      // arguments
      // spare frame: page, index, entered, run, reserved, arguments, sender, state, no value
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 0, 0,  // no frames
      2, 0, 0, 0,  // level
  };
  EXPECT_EQ(saved.Bytes(), expected);

  files_.files["main.vsb"] = PageWriter(110).Add(PageWriter::Label("a")).Add(PageWriter::Label("b")).Bytes();
  TCallMan restored;
  restored.SetScene(&scene_);
  std::vector<std::uint8_t> old(expected.begin(), expected.end() - 4);
  TMemoryStream stream(old);
  restored.LoadFromStream(stream, 115);
  EXPECT_EQ(restored.Level(), 2);
  EXPECT_EQ(restored.Index(), 1);
  EXPECT_EQ(restored.GetArg(0), "a");
}

TEST_F(CallManTest, HostileSavedStatesFailClearly) {
  MakePage("main.vsb", {Plain(false)});
  auto state = [](std::int32_t mode, std::int32_t count, std::int32_t state_length, std::uint8_t type) {
    TMemoryStream s;
    WriteStrToStream(s, "");
    WriteIntToStream(s, 0);
    WriteByteToStream(s, 0);
    WriteByteToStream(s, 0);
    WriteIntToStream(s, mode);
    WriteStrToStream(s, "");
    WriteIntToStream(s, 0);
    // spare frame
    WriteStrToStream(s, "");
    WriteIntToStream(s, 0);
    WriteByteToStream(s, 0);
    WriteByteToStream(s, 0);
    WriteIntToStream(s, 0);
    WriteIntToStream(s, 0);
    WriteStrToStream(s, "");
    WriteIntToStream(s, state_length);
    WriteByteToStream(s, type);
    WriteIntToStream(s, count);
    WriteIntToStream(s, 2);
    return s.TakeBytes();
  };
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"mode 4", state(4, 0, 0, 0)},         {"mode -1", state(-1, 0, 0, 0)},
      {"count -1", state(0, -1, 0, 0)},      {"count huge", state(0, 0x7FFFFFFF, 0, 0)},
      {"state beyond", state(0, 0, 1000, 0)}, {"state negative", state(0, 0, -3, 0)},
      {"value type 9", state(0, 0, 0, 9)},
  };
  for (const Case& c : cases) {
    TCallMan restored;
    TMemoryStream stream(c.bytes);
    EXPECT_THROW(restored.LoadFromStream(stream, 116), EReadError) << c.what;
  }
  TCallMan fine;
  TMemoryStream stream(state(0, 0, 0, 0));
  EXPECT_NO_THROW(fine.LoadFromStream(stream, 116));
}

TEST_F(CallManTest, CallReturnsAndAssignsTheReturnValueConverted) {
  TParamCollection params;
  params.AddParam(PT_INT).SetName("r");
  MakePage("main.vsb", {Calls("sub.vsb", "r"), Plain(false)});
  MakePage("sub.vsb", {Plain(true)});
  callman_.Call("main.vsb");
  EXPECT_EQ(Frame(), (Lines{Line("main.vsb", 1), Line("sub.vsb", 1), Line("main.vsb", 2)}));
  EXPECT_EQ(params.FindParam("r")->GetAsInt(), 42);
  EXPECT_EQ(params.CurrentFrameId(), 0);
}

TEST_F(CallManTest, CacheKeepsTenPagesAndNeverTheCurrentOne) {
  for (int i = 0; i < 11; ++i) {
    files_.files["p" + std::to_string(i) + ".vsb"] = PageWriter(110).Add(PageWriter::Label("x")).Bytes();
  }
  for (int i = 0; i < 11; ++i) callman_.Call("p" + std::to_string(i) + ".vsb");
  EXPECT_EQ(callman_.PageCount(), 10);
  EXPECT_EQ(callman_.GetPageByIndex(0)->GetName(), "p10.vsb");
  EXPECT_EQ(callman_.CurrentPage()->GetName(), "p10.vsb");
  EXPECT_EQ(callman_.GetPageByIndex(9)->GetName(), "p1.vsb");

  // Exact names: a case variant is another file.
  EXPECT_THROW(callman_.GetPage("P10.vsb", true), EReadError);
  callman_.SetIndex(1);
  EXPECT_THROW(callman_.GetPage("missing.vsb", true), EReadError);
  EXPECT_EQ(callman_.Index(), 1);
  EXPECT_EQ(callman_.PageCount(), 10);
}

TEST_F(CallManTest, PopOfAnEmptyStackAndDepthOfLocals) {
  TParamCollection params;
  TStackList stack;
  try {
    stack.Pop();
    FAIL();
  } catch (const Exception& error) {
    EXPECT_EQ(std::string(error.what()), std::string(texts::kStackError));
  }
  stack.Push().page_name = "a";
  stack.Push().page_name = "b";
  EXPECT_EQ(params.CurrentFrameId(), 2);
  EXPECT_EQ(stack.Pop().page_name, "b");
  EXPECT_EQ(stack.Spare().page_name, "b");
  EXPECT_EQ(params.CurrentFrameId(), 1);
  stack.Clear();
  EXPECT_EQ(params.CurrentFrameId(), 0);
}

TEST(EventPageFileTest, TailBecomesVsb) {
  EXPECT_EQ(EventPageFile("start.txt"), "start.vsb");
  EXPECT_EQ(EventPageFile("ab"), "vsb");
  EXPECT_EQ(EventPageFile(""), "vsb");
  EXPECT_EQ(EventPageFile("abc"), "vsb");
}

}  // namespace
}  // namespace vorn
