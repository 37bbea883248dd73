#include "app/sound_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vorn {
namespace {

TEST(SoundOptions, DelayTimeTable) {
  const struct {
    const char* value;
    std::int32_t delay;
  } cases[] = {
      {"250", 200}, {"50", 100}, {"900", 500}, {"-30", 100}, {"abc", 500}, {"500", 500},
      {"199", 100}, {"2147483647", 500}, {"-2147483648", 100}, {"99999999999", 500}, {"$12C", 300},
  };
  for (const auto& c : cases) {
    const platform::IniFile ini = platform::IniFile::Parse(std::string("[Sound]\nDelayTime=") + c.value + "\n");
    EXPECT_EQ(ReadSoundOptions(ini).delay_time, c.delay) << c.value;
  }
}

TEST(SoundOptions, DefaultsWithoutFileOrWhenUnreadable) {
  const SoundOptions absent = ReadSoundOptions(platform::IniFile::Load("/nonexistent/game.ini"));
  EXPECT_TRUE(absent.direct_sound);
  EXPECT_EQ(absent.delay_time, 500);
  const SoundOptions binary = ReadSoundOptions(platform::IniFile::Parse(std::string("\0\xff[Sound]\0=\n", 11)));
  EXPECT_TRUE(binary.direct_sound);
  EXPECT_EQ(binary.delay_time, 500);
  EXPECT_FALSE(ReadSoundOptions(platform::IniFile::Parse("[sound]\ndirectsound = 0\n")).direct_sound);
  EXPECT_TRUE(ReadSoundOptions(platform::IniFile::Parse("[Sound]\nDirectSound=false\n")).direct_sound);
}

}  // namespace
}  // namespace vorn
