#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"

namespace vorn::platform {
namespace {

TEST(Paths, FindInDirectoryFallsBackToAnyCase) {
  const vorn::testing::TempFolder folder;
  const std::filesystem::path& dir = folder.path();
  std::ofstream(dir / "Game.INI") << "x";
  const std::string base = dir.string() + "/";
  EXPECT_EQ(FindInDirectory(base, "game.ini"), base + "Game.INI");
  EXPECT_EQ(FindInDirectory(base, "game.dat"), base + "game.dat");
  std::ofstream(dir / "game.ini") << "y";
  EXPECT_EQ(FindInDirectory(base, "game.ini"), base + "game.ini");
}

TEST(Paths, DirectoryOfKeepsTheTrailingSlash) {
  EXPECT_EQ(DirectoryOf("/opt/vorn/vornplayer"), "/opt/vorn/");
  EXPECT_EQ(DirectoryOf("vornplayer"), "");
  EXPECT_TRUE(ProcExecutableLocation().ExecutablePath().has_value());
}

}  // namespace
}  // namespace vorn::platform

#include "platform/clock.h"

namespace vorn::platform {
namespace {

TEST(SystemClock, MonotonicMillisecondsAndSaneLocalTime) {
  SystemClock clock;
  const std::uint32_t before = clock.TimeGetTime();
  clock.Sleep(2);
  EXPECT_GE(static_cast<std::uint32_t>(clock.TimeGetTime() - before), 2u);
  const LocalTime now = clock.Now();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.millisecond >= 0 && now.millisecond < 1000);
}

}  // namespace
}  // namespace vorn::platform
