#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cctype>
#include <limits>
#include <string>
#include <vector>

#include "components/component_factory.h"
#include "components/timer.h"
#include "components/vorn_base_list.h"
#include "engine/engine_values.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {
namespace {

class TimerTest : public ::testing::Test {
 protected:
  TimerTest() { GameClock = 0; }
  ~TimerTest() override { GameClock = 0; }

  TVornTimer* NewTimer(std::int32_t delay, const std::string& label = "p.vsb:tick") {
    auto* timer = CreateObject<TVornTimer>(scene);
    timer->SetName("t");
    timer->SetOnNotify(label);
    timer->SetDelay(delay);
    return timer;
  }
  int Notifications() {
    int count = 0;
    for (int i = 0; i < scene.Events().Count(); ++i) count += scene.Events().Item(i)->GetCode() == PR_ONNOTIFY;
    return count;
  }
  // What the interpreter does with a waiting event: runs its handler to the end and removes it.
  void RunHandlers() {
    while (TScriptEvent* event = scene.Events().NextEvent()) event->SetDone(1);
    scene.Events().RemoveDone();
  }

  TVornBaseList scene;
};

TEST_F(TimerTest, MadeByTheFactoryAsAPlainComponent) {
  TVornObject* made = CreateComponentByType(scene, LT_TIMER);
  ASSERT_NE(dynamic_cast<TVornTimer*>(made), nullptr);
  EXPECT_EQ(made->GetName(), "object0");
  EXPECT_EQ(made->AsControl(), nullptr);
  EXPECT_EQ(made->GetParent(), nullptr);
  EXPECT_FALSE(scene.IsFocusChoiceRequested());
  auto* timer = static_cast<TVornTimer*>(made);
  EXPECT_EQ(timer->GetDelay(), 0);
  EXPECT_EQ(timer->GetOnNotify(), "");
  EXPECT_FALSE(timer->GetPaused());
  EXPECT_FALSE(timer->GetAutoScrap());
}

struct ScheduleCase {
  const char* what;
  std::int32_t start;
  std::int32_t delay;
  std::vector<std::int32_t> frames;
  // Whether each frame notifies.
  std::vector<bool> notifies;
  bool handlers_run = true;
};

class TimerSchedule : public TimerTest, public ::testing::WithParamInterface<ScheduleCase> {};

TEST_P(TimerSchedule, NotifiesOnItsSchedule) {
  const ScheduleCase& c = GetParam();
  GameClock = c.start;
  TVornTimer* timer = NewTimer(c.delay);
  std::vector<bool> notified;
  for (const std::int32_t clock : c.frames) {
    GameClock = clock;
    const int before = Notifications();
    scene.Tick();
    notified.push_back(Notifications() > before);
    if (c.handlers_run) RunHandlers();
  }
  EXPECT_EQ(notified, c.notifies);
  EXPECT_EQ(timer->HasFired(), std::find(c.notifies.begin(), c.notifies.end(), true) != c.notifies.end());
}

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Cases, TimerSchedule,
    ::testing::Values(
        ScheduleCase{"late frames keep the schedule", 0, 1000, {999, 1010, 2030, 2990, 3000}, {false, true, true, false, true}},
        ScheduleCase{"delay zero notifies every frame", 0, 0, {0, 16, 33}, {true, true, true}},
        ScheduleCase{"once the previous one is gone", 0, 0, {0, 16, 33}, {true, false, false}, false},
        ScheduleCase{"a negative delay never", 0, -1, {0, 1000, 100000}, {false, false, false}},
        ScheduleCase{"a period due while one waits passes", 0, 100, {100, 200, 300}, {true, false, false}, false},
        ScheduleCase{"across the clock's wrap", kMax - 99, 1000, {kMax, -0x7FFFFFFF - 1 + 899, -0x7FFFFFFF - 1 + 900},
                     {false, false, true}}),
    [](const auto& info) {
      std::string name;
      for (const char ch : std::string(info.param.what)) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

TEST_F(TimerTest, AutoScrapNotifiesOnceAndGoesWhenTheHandlerHasEnded) {
  TVornTimer* timer = NewTimer(100);
  timer->SetAutoScrap(true);
  GameClock = 100;
  scene.Tick();
  EXPECT_EQ(Notifications(), 1);
  GameClock = 1000;
  scene.Tick();  // the handler still runs
  EXPECT_EQ(scene.FindComponent("t"), timer);
  EXPECT_EQ(Notifications(), 1);
  RunHandlers();
  scene.Tick();
  EXPECT_EQ(scene.FindComponent("t"), nullptr);
  EXPECT_EQ(scene.GetObjectCount(), 0);
}

TEST_F(TimerTest, AnEmptyLabelPostsNothingAndAnAutoScrapTimerStays) {
  TVornTimer* timer = NewTimer(0, "");
  timer->SetAutoScrap(true);
  for (int frame = 0; frame < 3; ++frame) scene.Tick();
  EXPECT_EQ(scene.Events().Count(), 0);
  EXPECT_FALSE(timer->HasFired());
  EXPECT_EQ(scene.FindComponent("t"), timer);
}

TEST_F(TimerTest, LabelAndDelayRestartAlwaysPausedOnlyOnAChange) {
  TVornTimer* timer = NewTimer(100);
  GameClock = 100;
  scene.Tick();
  ASSERT_EQ(Notifications(), 1);
  GameClock = 150;
  timer->SetDelay(100);  // same delay: still a restart
  EXPECT_EQ(Notifications(), 0);
  EXPECT_EQ(timer->LastTime(), 150);

  scene.Tick();  // 0 ms into the new period
  GameClock = 250;
  scene.Tick();
  ASSERT_EQ(Notifications(), 1);
  GameClock = 260;
  timer->SetPaused(false);  // no change: the notification waits on
  EXPECT_EQ(Notifications(), 1);
  EXPECT_EQ(timer->LastTime(), 250);
  timer->SetOnNotify("p.vsb:tick");
  EXPECT_EQ(Notifications(), 0);
  EXPECT_EQ(timer->LastTime(), 260);

  GameClock = 360;
  scene.Tick();
  ASSERT_EQ(Notifications(), 1);
  timer->SetPaused(true);
  EXPECT_EQ(Notifications(), 0);
  GameClock = 1000;
  scene.Tick();  // paused: nothing
  EXPECT_EQ(Notifications(), 0);
}

// Bytes of a timer's record: the object record, then label, delay, paused, auto scrap, fired.
TEST_F(TimerTest, RecordFollowsTheObjectRecord) {
  TVornTimer* timer = NewTimer(250, "p.vsb:n");
  timer->SetPriority(3);
  timer->SetTag("g");
  timer->SetAutoScrap(true);
  TMemoryStream saved;
  timer->SaveToStream(saved);
  const std::vector<std::uint8_t> expected = {
      1, 0, 0, 0, 't',                              // name
      3, 0, 0, 0,                                   // priority
      0, 0, 0, 0,                                   // sub-priority
      1, 0, 0, 0, 'g',                              // tag
      7, 0, 0, 0, 'p', '.', 'v', 's', 'b', ':', 'n',  // on-notify label
      0xFA, 0, 0, 0,                                // delay 250
      0,                                            // paused
      1,                                            // auto scrap
      0,                                            // fired
  };
  EXPECT_EQ(saved.Bytes(), expected);

  // Loading starts the period at the current clock and withdraws nothing.
  scene.Events().PostEvent(timer, "p.vsb:n", nullptr, PR_ONNOTIFY);
  GameClock = 777;
  auto* loaded = CreateObject<TVornTimer>(scene);
  saved.SetPosition(0);
  loaded->LoadFromStream(saved, 134);
  EXPECT_EQ(loaded->GetDelay(), 250);
  EXPECT_TRUE(loaded->GetAutoScrap());
  EXPECT_EQ(loaded->LastTime(), 777);
  EXPECT_EQ(Notifications(), 1);
  EXPECT_EQ(saved.Position(), saved.Size());

  // Version 103: no sub-priority, tag, auto scrap or fired.
  const std::vector<std::uint8_t> old = {1, 0, 0, 0, 'o', 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 1};
  TMemoryStream old_stream(old);
  auto* oldest = CreateObject<TVornTimer>(scene);
  oldest->LoadFromStream(old_stream, 103);
  EXPECT_EQ(oldest->GetName(), "o");
  EXPECT_EQ(oldest->GetDelay(), 16);
  EXPECT_TRUE(oldest->GetPaused());
  EXPECT_FALSE(oldest->GetAutoScrap());
  EXPECT_EQ(old_stream.Position(), old_stream.Size());
}

}  // namespace
}  // namespace vorn
