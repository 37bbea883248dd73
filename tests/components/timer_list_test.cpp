#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "components/timer_list.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "foundation/array_string.h"
#include "foundation/errors.h"
#include "foundation/stream.h"

namespace vorn {
namespace {

class TimerListTest : public ::testing::Test {
 protected:
  TTimerList& queue() { return scene.Events(); }
  TVornControl* NewControl(const std::string& name) {
    auto* control = CreateObject<TVornControl>(scene);
    control->SetName(name);
    control->SetParent(scene.ActiveLayer());
    return control;
  }
  std::vector<std::string> Labels() {
    std::vector<std::string> labels;
    for (int i = 0; i < queue().Count(); ++i) labels.push_back(queue().Item(i)->GetLabel());
    return labels;
  }

  TVornBaseList scene;
};

TEST_F(TimerListTest, PostAppendsWaitingEventsWithCopiedArguments) {
  TVornControl* button = NewControl("btn");
  TArrayString arguments;
  arguments.Add("12");
  arguments.Add("34");
  queue().PostEvent(button, "page.vsb:click", &arguments, 36);
  arguments.Clear();
  queue().PostEvent(button, "page.vsb:click", nullptr, 36);  // no check: a second one goes in
  ASSERT_EQ(queue().Count(), 2);
  TTimerData* first = queue().Item(0);
  EXPECT_EQ(first->GetDone(), 0);
  EXPECT_EQ(first->GetCode(), 36);
  EXPECT_EQ(first->GetSender().Get(), button);
  ASSERT_EQ(first->GetArguments().Count(), 2);
  EXPECT_EQ(first->GetArguments()[1], "34");
  EXPECT_EQ(queue().Item(1)->GetArguments().Count(), 0);
}

TEST_F(TimerListTest, FindEventSeesWaitingAndRunningEventsOfThatObjectAndCode) {
  TVornControl* a = NewControl("a");
  TVornControl* b = NewControl("b");
  queue().PostEvent(a, "m", nullptr, 34);
  queue().PostEvent(b, "m", nullptr, 36);
  EXPECT_EQ(queue().FindEvent(a, 34), 0);
  EXPECT_EQ(queue().FindEvent(b, 36), 1);
  EXPECT_EQ(queue().FindEvent(a, 36), -1);
  queue().Item(0)->SetDone(1);
  EXPECT_EQ(queue().FindEvent(a, 34), 0);
}

TEST_F(TimerListTest, NextEventIsTheFirstWaitingOne) {
  TVornControl* a = NewControl("a");
  EXPECT_EQ(queue().NextEvent(), nullptr);
  queue().PostEvent(a, "one", nullptr, 33);
  queue().PostEvent(a, "two", nullptr, 33);
  queue().Item(0)->SetDone(1);
  EXPECT_EQ(queue().NextEvent()->GetLabel(), "two");
}

TEST_F(TimerListTest, RemovalsTouchOnlyWhatTheyName) {
  TVornControl* a = NewControl("a");
  TVornControl* b = NewControl("b");
  queue().PostEvent(a, "wait-a", nullptr, 33);
  queue().PostEvent(a, "level1", nullptr, 33)->SetDone(1);
  queue().PostEvent(b, "level2", nullptr, 33)->SetDone(2);
  queue().PostEvent(b, "wait-b", nullptr, 33);
  queue().PostEvent(a, "level2b", nullptr, 33)->SetDone(2);

  queue().RemoveByFlag(2);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"wait-a", "level1", "wait-b"}));
  queue().RemovePendingOf(a);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"level1", "wait-b"}));
  queue().RemoveDone();
  EXPECT_EQ(Labels(), (std::vector<std::string>{"wait-b"}));
  queue().RemoveEvent(queue().Item(0));
  EXPECT_EQ(queue().Count(), 0);
  queue().PostEvent(a, "x", nullptr, 33);
  queue().Clear();
  EXPECT_EQ(queue().Count(), 0);
}

TEST_F(TimerListTest, DestroyingAControlRemovesItsWaitingEventsButNotItsRunningOne) {
  TVornControl* doomed = NewControl("doomed");
  TVornControl* other = NewControl("other");
  queue().PostEvent(doomed, "running", nullptr, 36)->SetDone(1);
  queue().PostEvent(doomed, "waiting", nullptr, 34);
  queue().PostEvent(other, "kept", nullptr, 34);
  doomed->DeleteObject();
  EXPECT_EQ(Labels(), (std::vector<std::string>{"running", "kept"}));
  // The running event keeps its handler but no longer names the freed object.
  EXPECT_EQ(queue().Item(0)->GetSender().Get(), nullptr);
  EXPECT_TRUE(queue().Item(0)->GetSender().IsNone());
}

TEST_F(TimerListTest, ASenderFreedAndReplacedIsNotTakenForTheNewcomer) {
  TVornControl* first = NewControl("a");
  TTimerData* event = queue().PostEvent(first, "x", nullptr, 33);
  event->SetDone(1);
  const TObjectHandle sender = event->GetSender();
  first->DeleteObject();
  TVornControl* newcomer = NewControl("a");
  EXPECT_EQ(sender.Get(), nullptr);
  EXPECT_NE(sender.Get(), newcomer);
}

// Objects whose blocked and paused answers come from the test.
class TProbeControl : public TVornControl {
 public:
  using TVornControl::TVornControl;
  bool IsEventBlocked() const override { return blocked; }
  bool GetPaused() const override { return paused; }
  bool blocked = false;
  bool paused = false;
};

struct PostCase {
  const char* what;
  std::string label;
  bool blocked;
  bool paused;
  bool on_layer_itself;
  bool already_queued;
  bool already_running;
  TPostKind kind;
  bool posts;
};

class PostRule : public ::testing::TestWithParam<PostCase> {};

TEST_P(PostRule, Decides) {
  const PostCase& c = GetParam();
  TVornBaseList scene;
  auto* probe = CreateObject<TProbeControl>(scene);
  probe->SetParent(scene.ActiveLayer());
  probe->blocked = c.blocked;
  probe->paused = c.paused;
  const std::uint8_t code = 36;
  if (c.already_queued) scene.Events().PostEvent(probe, "old", nullptr, code);
  if (c.already_running) scene.Events().PostEvent(probe, "old", nullptr, code)->SetDone(1);
  const TVornObject& poster = c.on_layer_itself ? static_cast<TVornObject&>(*scene.ActiveLayer()) : *probe;
  EXPECT_EQ(CanPostEvent(scene.Events(), poster, c.label, code, c.kind), c.posts) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PostRule,
    ::testing::Values(
        PostCase{"plain", "l", false, false, false, false, false, TPostKind::kPlain, true},
        PostCase{"empty label", "", false, false, false, false, false, TPostKind::kPlain, false},
        PostCase{"blocked", "l", true, false, false, false, false, TPostKind::kPlain, false},
        PostCase{"plain repeats", "l", false, false, false, true, false, TPostKind::kPlain, true},
        PostCase{"paused plain", "l", false, true, false, false, false, TPostKind::kPlain, true},
        PostCase{"dedup waiting", "l", false, false, false, true, false, TPostKind::kDeduplicated, false},
        PostCase{"dedup running", "l", false, false, false, false, true, TPostKind::kDeduplicated, false},
        PostCase{"dedup free", "l", false, false, false, false, false, TPostKind::kDeduplicated, true},
        PostCase{"dedup paused", "l", false, true, false, false, false, TPostKind::kDeduplicated, true},
        PostCase{"input paused", "l", false, true, false, false, false, TPostKind::kInput, false},
        PostCase{"input layer", "l", false, false, true, false, false, TPostKind::kInput, false},
        PostCase{"input queued", "l", false, false, false, true, false, TPostKind::kInput, false},
        PostCase{"input free", "l", false, false, false, false, false, TPostKind::kInput, true}));

// ---- queue record ----

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

// Two events: "p:l" of btn, code 36, waiting, arguments "3" and "4"; "x" without target, code 113,
// done 2, no arguments.
const std::vector<std::uint8_t> kQueueRecordV114 = Bytes({
    0x02, 0x00, 0x00, 0x00,                    // count
    0x03, 0x00, 0x00, 0x00, 'p', ':', 'l',     // label
    0x03, 0x00, 0x00, 0x00, 'b', 't', 'n',     // target name
    0x24,                                      // code 36
    0x00, 0x00, 0x00, 0x00,                    // done (int32)
    0x02, 0x00, 0x00, 0x00,                    // argument count
    0x01, 0x00, 0x00, 0x00, '3',               //
    0x01, 0x00, 0x00, 0x00, '4',               //
    0x01, 0x00, 0x00, 0x00, 'x',               // label
    0x00, 0x00, 0x00, 0x00,                    // no target
    0x71,                                      // code 113
    0x02, 0x00, 0x00, 0x00,                    // done 2
    0x00, 0x00, 0x00, 0x00,                    // no arguments
});

TEST_F(TimerListTest, RecordIsWrittenAsTheFormatTableSays) {
  TVornControl* button = NewControl("btn");
  TArrayString arguments;
  arguments.Add("3");
  arguments.Add("4");
  queue().PostEvent(button, "p:l", &arguments, 36);
  // A layer is not in the object list: its events save without a target.
  queue().PostEvent(scene.ActiveLayer(), "x", nullptr, 113)->SetDone(2);
  TMemoryStream stream;
  queue().SaveToStream(stream);
  EXPECT_EQ(stream.Bytes(), kQueueRecordV114);
}

TEST_F(TimerListTest, ScrappedTargetSavesWithoutName) {
  TVornControl* gone = NewControl("gone");
  queue().PostEvent(gone, "l", nullptr, 43)->SetDone(1);
  gone->DeleteObject();
  TMemoryStream stream;
  queue().SaveToStream(stream);
  EXPECT_EQ(stream.Bytes(), Bytes({1, 0, 0, 0, 1, 0, 0, 0, 'l', 0, 0, 0, 0, 43, 1, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(TimerListTest, RecordLoadsTargetsByNameAndKeepsDoneValues) {
  TVornControl* button = NewControl("btn");
  queue().PostEvent(button, "stale", nullptr, 1);
  TMemoryStream stream(kQueueRecordV114);
  queue().LoadFromStream(stream, 114);
  ASSERT_EQ(queue().Count(), 2);
  EXPECT_EQ(queue().Item(0)->GetLabel(), "p:l");
  EXPECT_EQ(queue().Item(0)->GetSender().Get(), button);
  EXPECT_EQ(queue().Item(0)->GetCode(), 36);
  EXPECT_EQ(queue().Item(0)->GetArguments().Count(), 2);
  // An empty name is no target, not the active layer.
  EXPECT_TRUE(queue().Item(1)->GetSender().IsNone());
  EXPECT_EQ(queue().Item(1)->GetDone(), 2);
  EXPECT_EQ(stream.Remaining(), 0);
}

TEST_F(TimerListTest, RecordBefore114StoresDoneAsOneByte) {
  const auto bytes = Bytes({1, 0, 0, 0, 1, 0, 0, 0, 'l', 4, 0, 0, 0, 'n', 'o', 'n', 'e', 200, 2, 0, 0, 0, 0});
  TMemoryStream stream(bytes);
  queue().LoadFromStream(stream, 113);
  ASSERT_EQ(queue().Count(), 1);
  EXPECT_EQ(queue().Item(0)->GetDone(), 1);
  EXPECT_EQ(queue().Item(0)->GetCode(), 200);  // unknown codes are kept
  EXPECT_TRUE(queue().Item(0)->GetSender().IsNone());
  EXPECT_EQ(stream.Remaining(), 0);
}

TEST_F(TimerListTest, DamagedRecordsRaiseReadErrors) {
  for (std::size_t cut = 0; cut < kQueueRecordV114.size(); ++cut) {
    TMemoryStream stream(std::vector<std::uint8_t>(kQueueRecordV114.begin(), kQueueRecordV114.begin() + cut));
    EXPECT_THROW(queue().LoadFromStream(stream, 114), EReadError) << "cut at " << cut;
  }
  for (const auto& bytes : {Bytes({0xFF, 0xFF, 0xFF, 0xFF}), Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0})}) {
    TMemoryStream stream(bytes);
    EXPECT_THROW(queue().LoadFromStream(stream, 130), EReadError);
  }
}

}  // namespace
}  // namespace vorn
