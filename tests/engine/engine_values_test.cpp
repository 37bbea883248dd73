#include "engine/engine_values.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/run_time_random.h"
#include "platform/clock.h"
#include "support/temp_folder.h"

namespace vorn {
namespace {

TEST(EngineValues, StartValues) {
  ResetEngineValues();
  EXPECT_FALSE(StopFlag);
  EXPECT_EQ(GameClock, 0);
  EXPECT_EQ(FrameDelta, 0);
  EXPECT_EQ(FrameCount, 0);
  EXPECT_EQ(FrameWait, 16);
  GameClock = INT32_MAX;
  AdvanceGameClock(1);
  EXPECT_EQ(GameClock, INT32_MIN);
  FrameCount = INT32_MAX;
  IncrementFrameCount();
  EXPECT_EQ(FrameCount, INT32_MIN);
  ResetEngineValues();
}

TEST(EngineValues, CurrentDateTimeOncePerGameClock) {
  ResetEngineValues();
  platform::VirtualClock clock;
  clock.set_local_time(platform::LocalTime{2001, 2, 3, 4, 5, 6, 0});
  SetEngineClock(&clock);
  EXPECT_DOUBLE_EQ(CurrentDateTime(), 36925.17020833334);  // Python: datetime difference from 1899-12-30
  clock.set_local_time(platform::LocalTime{1899, 12, 30, 12, 0, 0, 0});
  EXPECT_DOUBLE_EQ(CurrentDateTime(), 36925.17020833334);  // same game clock: same moment
  AdvanceGameClock(16);
  EXPECT_DOUBLE_EQ(CurrentDateTime(), 0.5);
  clock.set_local_time(platform::LocalTime{1899, 12, 29, 0, 0, 0, 0});
  AdvanceGameClock(16);
  EXPECT_DOUBLE_EQ(CurrentDateTime(), -1.0);
  SetEngineClock(nullptr);
  ResetEngineValues();
}

TEST(EngineValues, DeleteAtExitIgnoresErrors) {
  const testing::TempFolder folder;
  const auto file = folder.path() / "delete_at_exit.tmp";
  std::ofstream(file) << "x";
  TDeleteAtExitList list;
  list.Add("/nonexistent/dir/file");
  list.Add(file.string());
  list.DeleteAll();
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(list.paths().empty());
}

TEST(RunTimeRandom, RangesAndSeeding) {
  Randomize(42);
  std::vector<std::int32_t> first;
  for (int i = 0; i < 1000; ++i) {
    const std::int32_t value = Random(7);
    ASSERT_GE(value, 0);
    ASSERT_LT(value, 7);
    first.push_back(value);
    const double real = RandomReal();
    ASSERT_GE(real, 0.0);
    ASSERT_LT(real, 1.0);
  }
  Randomize(42);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(Random(7), first[i]);
    RandomReal();
  }
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  EXPECT_EQ(Random(1), 0);
}

}  // namespace
}  // namespace vorn
