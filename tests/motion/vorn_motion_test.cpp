#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "components/box.h"
#include "components/vorn_base_list.h"
#include "engine/engine_values.h"
#include "engine/script_files.h"
#include "fixture/motion_fixture.h"
#include "foundation/errors.h"
#include "foundation/scoped_seam.h"
#include "motion/vorn_motion.h"
#include "support/motion/test_tracks.h"

namespace vorn {
namespace {

using testing::BoxFixtureTrack;

// One box track moving x from 0 to length - 1 over the film's length (x = tick), priority 4.
fixture::MotionFixture Walk(std::int32_t length, bool relative = false, std::int32_t loop_start = 0) {
  fixture::MotionFixture file;
  file.relative = relative ? 1 : 0;
  file.originX = 3;
  file.originY = 4;
  file.loopStart = loop_start;
  if (length > 0) {
    file.tracks = {BoxFixtureTrack(length, -1, TPoint{0, 0}, TPoint{length - 1, 0})};
    file.tracks[0].priority = 4;
  }
  return file;
}

class MotionDriver : public ::testing::Test {
 protected:
  MotionDriver() : previous_files_(SetScriptFiles(&files_)), previous_delta_(FrameDelta) {
    seam_.Install(&maker_);
    box = CreateObject<TVornBox>(scene);
    box->SetName("b");
    box->SetParent(scene.GetBase(0));
    box->SetOnPlayEnd("*end");
  }
  ~MotionDriver() override {
    FrameDelta = previous_delta_;
    SetScriptFiles(previous_files_);
  }

  void Play(const fixture::MotionFixture& file) {
    files_.files["walk.vmn"] = fixture::WriteMotionFixture(file);
    box->SetSource("walk.vmn");
  }
  TVornMotion& Motion() { return *static_cast<TVornMotion*>(box->GetMotion()); }
  int PlayEnds() { return scene.Events().Count(); }

  testing::TScopedTestTracks tracks_;
  TMemoryScriptFiles files_;
  TScriptFiles* previous_files_;
  std::int32_t previous_delta_;
  TMotionFilmMaker maker_;
  ScopedSeam<TFilmMaker> seam_{&SetFilmMaker};
  TVornBaseList scene;
  TVornBox* box = nullptr;
};

TEST_F(MotionDriver, TheFirstTwoStepsShowTickZeroThenTimeRuns) {
  Play(Walk(100));
  ASSERT_NE(box->GetMotion(), nullptr);
  FrameDelta = 50;
  std::vector<std::int32_t> ticks;
  for (int i = 0; i < 5; ++i) {
    EXPECT_FALSE(box->Tick());
    ticks.push_back(Motion().GetTick());
  }
  // 50 ms is 3 ticks; 150 ms is exactly 9.
  EXPECT_EQ(ticks, (std::vector<std::int32_t>{0, 0, 3, 6, 9}));
  EXPECT_EQ(box->GetMotionLeft(), 9);
  EXPECT_EQ(Motion().Film().GetCurrentTime(), 9);
  EXPECT_TRUE(box->GetPlaying());
  // The anim-paused flag holds the clock.
  box->SetAniPaused(true);
  box->Tick();
  EXPECT_EQ(Motion().GetTick(), 9);
}

TEST_F(MotionDriver, TheTickIsTheNearestToTheElapsedTime) {
  Play(Walk(100));
  box->Tick();
  box->Tick();
  FrameDelta = 0;
  const std::pair<std::int32_t, std::int32_t> cases[] = {{40, 2}, {45, 3}, {1000, 60}, {-45, -3}};
  for (const auto& [ms, tick] : cases) {
    Motion().SetElapsed(ms);
    box->Tick();
    EXPECT_EQ(Motion().GetTick(), tick) << ms;
  }
}

TEST_F(MotionDriver, WithoutRepeatTheEndIsReportedOnceAndPostsThePlayEnd) {
  Play(Walk(10));
  FrameDelta = 100;
  bool scrap = false;
  for (int i = 0; i < 6; ++i) scrap = scrap || box->Tick();
  EXPECT_FALSE(scrap);
  EXPECT_TRUE(Motion().IsEnded());
  EXPECT_EQ(Motion().GetTick(), 9);
  EXPECT_EQ(box->GetMotionLeft(), 9);
  EXPECT_EQ(PlayEnds(), 1);
  EXPECT_FALSE(box->GetPlaying());
  // Turning repeat on restarts the ended film.
  box->SetRepeat(true);
  EXPECT_FALSE(Motion().IsEnded());
  EXPECT_EQ(Motion().GetElapsed(), 0);
}

TEST_F(MotionDriver, AutoScrapAsksToBeFreedAtTheEnd) {
  Play(Walk(10));
  box->SetAutoScrap(true);
  FrameDelta = 1000;
  EXPECT_FALSE(box->Tick());
  EXPECT_FALSE(box->Tick());
  EXPECT_TRUE(box->Tick());
  EXPECT_EQ(PlayEnds(), 0);
}

TEST_F(MotionDriver, RepeatGoesBackToTheLoopStart) {
  Play(Walk(100, false, 30));
  box->SetRepeat(true);
  box->Tick();
  box->Tick();
  FrameDelta = 0;
  Motion().SetElapsed(1833);  // tick 110
  EXPECT_FALSE(box->Tick());
  EXPECT_EQ(Motion().GetTick(), 40);
  EXPECT_EQ(Motion().GetElapsed(), 667);
  EXPECT_EQ(box->GetMotionLeft(), 40);
  // Never past the last tick.
  Motion().SetElapsed(1650);  // tick 99 + ... 99
  box->Tick();
  EXPECT_EQ(Motion().GetTick(), 99);
  Motion().SetElapsed(3317);  // tick 199 -> 99 + 30 -> 99
  box->Tick();
  EXPECT_EQ(Motion().GetTick(), 99);
  EXPECT_EQ(PlayEnds(), 0);
}

TEST_F(MotionDriver, AFilmOfLengthZeroNeverDivides) {
  Play(Walk(0));
  box->SetRepeat(true);
  FrameDelta = 20;
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(box->Tick());
  box->SetRepeat(false);
  box->Tick();
  EXPECT_TRUE(Motion().IsEnded());
}

TEST_F(MotionDriver, ARelativeFilmFollowsTheControlWithoutRestarting) {
  box->SetLeft(50);
  box->SetTop(60);
  Play(Walk(100, true));
  FrameDelta = 50;
  box->Tick();
  // x = tick + base - origin.
  EXPECT_EQ(box->GetMotionLeft(), 0 + 50 - 3);
  EXPECT_EQ(box->GetMotionTop(), 60 - 4);
  box->Tick();
  box->Tick();
  EXPECT_EQ(box->GetMotionLeft(), 3 + 47);
  box->SetLeft(200);  // moved by a script
  box->Tick();
  EXPECT_EQ(Motion().GetTick(), 6);
  EXPECT_EQ(box->GetMotionLeft(), 6 + 200 - 3);
}

TEST_F(MotionDriver, MovingAControlWhoseRelativeFilmEndedReportsTheEndAgain) {
  Play(Walk(10, true));
  FrameDelta = 1000;
  for (int i = 0; i < 4; ++i) box->Tick();
  EXPECT_EQ(PlayEnds(), 1);
  box->Tick();
  EXPECT_EQ(PlayEnds(), 1);
  box->SetLeft(30);
  box->Tick();
  EXPECT_EQ(PlayEnds(), 2);
  EXPECT_EQ(box->GetMotionLeft(), 9 + 30 - 3);
  box->SetAutoScrap(true);
  box->SetLeft(40);
  EXPECT_TRUE(box->Tick());
}

TEST_F(MotionDriver, ARestartDoesNotAddTheTracksPriorityTwice) {
  box->SetPriority(10);
  Play(Walk(100));
  box->Tick();
  EXPECT_EQ(box->GetPriority(), 14);
  box->RestartMotion();
  box->Tick();
  EXPECT_EQ(box->GetPriority(), 14);
  // A priority the script gave since is the new base.
  box->SetPriority(20);
  box->RestartMotion();
  box->Tick();
  EXPECT_EQ(box->GetPriority(), 24);
}

TEST_F(MotionDriver, ReapplyShowsTheTickAgainInsideTheFilm) {
  Play(Walk(100));
  box->Tick();
  box->SetMotionLeft(77);
  Motion().Reapply();
  EXPECT_EQ(box->GetMotionLeft(), 0);
}

TEST_F(MotionDriver, FreeingTheMotionGivesTheControlItsPlaceBack) {
  Play(Walk(100));
  FrameDelta = 100;
  for (int i = 0; i < 4; ++i) box->Tick();
  EXPECT_NE(box->GetMotionLeft(), 0);
  box->SetSubPriority(3);
  box->SetSource("");
  EXPECT_EQ(box->GetMotion(), nullptr);
  EXPECT_EQ(box->GetMotionLeft(), 0);
  EXPECT_EQ(box->GetMotionTop(), 0);
  EXPECT_EQ(box->GetSubPriority(), 0);
  EXPECT_FALSE(box->HasMotion());
}

TEST_F(MotionDriver, AMissingFileLeavesNoMotion) {
  EXPECT_THROW(box->SetSource("gone.vmn"), Exception);
  EXPECT_EQ(box->GetMotion(), nullptr);
}

}  // namespace
}  // namespace vorn
