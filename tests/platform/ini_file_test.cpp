#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"

namespace vorn::platform {
namespace {

TEST(IniFile, IntegerRule) {
  struct Case {
    const char* text;
    bool ok;
    std::int32_t value;
  };
  const Case cases[] = {
      {"250", true, 250},         {"-30", true, -30},          {"+7", true, 7},
      {"$1F", true, 31},          {"0x1f", true, 31},          {"-$10", true, -16},
      {"2147483647", true, 2147483647}, {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},   {"99999999999999999999", false, 0}, {"$100000000", false, 0},
      {"abc", false, 0},          {"", false, 0},              {"12a", false, 0},
      {"0x", false, 0},           {"$", false, 0},             {"-", false, 0},
      {"true", false, 0},         {" 42 ", true, 42},          {"1.5", false, 0},
  };
  for (const Case& c : cases) {
    std::int32_t value = 0;
    EXPECT_EQ(ParseIniInteger(c.text, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(IniFile, NamesIgnoreCaseAndFirstOccurrenceWins) {
  const IniFile ini = IniFile::Parse(
      "; comment\r\n"
      "top=ignored\r\n"
      "[ sound ]\r\n"
      "  DelayTime =  300 \r\n"
      "delaytime=400\r\n"
      ";DirectSound=0\r\n"
      "[Other]\n"
      "DirectSound=0\n"
      "[SOUND]\n"
      "DirectSound=0\n"
      "DelayTime=100");
  EXPECT_EQ(ini.ReadInteger("Sound", "DelayTime", 500), 300);
  EXPECT_FALSE(ini.ReadBool("Sound", "DirectSound", true));
  EXPECT_EQ(ini.Find("Sound", "top"), nullptr);
  EXPECT_EQ(ini.ReadString("other", "directsound", "x"), "0");
}

TEST(IniFile, BooleansAreIntegers) {
  const IniFile ini = IniFile::Parse("[Sound]\nA=false\nB=0\nC=2\nD=\n");
  EXPECT_TRUE(ini.ReadBool("Sound", "A", true));  // not an integer: the default
  EXPECT_FALSE(ini.ReadBool("Sound", "A", false));
  EXPECT_FALSE(ini.ReadBool("Sound", "B", true));
  EXPECT_TRUE(ini.ReadBool("Sound", "C", false));
  EXPECT_TRUE(ini.ReadBool("Sound", "D", true));
  EXPECT_TRUE(ini.ReadBool("Sound", "Missing", true));
}

TEST(IniFile, DamagedBytesGiveDefaults) {
  std::string bytes("[Sound]\nDelay\0Time=300\n\xff\xfe[Sound\nDelayTime=2", 42);
  bytes += std::string(1 << 20, 'x');
  bytes += "\nDirectSound=0";
  const IniFile ini = IniFile::Parse(bytes);
  EXPECT_EQ(ini.ReadInteger("Sound", "DelayTime", 500), 500);
  EXPECT_FALSE(ini.ReadBool("Sound", "DirectSound", true));  // no final newline
}

TEST(IniFile, AbsentOrUnreadableFileIsEmpty) {
  EXPECT_EQ(IniFile::Load("/nonexistent/dir/game.ini").ReadInteger("Sound", "DelayTime", 500), 500);
  const vorn::testing::TempFolder dir;
  EXPECT_EQ(IniFile::Load(dir.Path()).ReadInteger("Sound", "DelayTime", 500), 500);
}

}  // namespace
}  // namespace vorn::platform
