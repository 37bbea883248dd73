#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/file_replace.h"
#include "platform/mode_check_user.h"

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

// 60,000 keys in about 740 KB, many of them repeated in repeated sections: read in time linear
// in the size (a look-up of every key against all earlier ones took seconds), with the first
// occurrence of each key winning as before.
TEST(IniFile, ManyKeysReadInLinearTimeAndTheFirstOccurrenceWins) {
  std::string bytes;
  std::map<std::pair<std::string, std::string>, std::string> first;
  for (int i = 0; i < 60000; ++i) {
    if (i % 1000 == 0) bytes += "[Section" + std::to_string(i / 1000 % 7) + "]\r\n";
    const std::string section = "SECTION" + std::to_string(i / 1000 % 7);
    const std::string key = "Key" + std::to_string(i % 9000);
    const std::string value = "value-" + std::to_string(i);
    std::string upper_key = key;
    for (char& c : upper_key) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    first.try_emplace({section, upper_key}, value);
    bytes += key + "=" + value + "\r\n";
  }
  ASSERT_GT(bytes.size(), 700000u);
  const auto start = std::chrono::steady_clock::now();
  const IniFile ini = IniFile::Parse(bytes);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(3));
  for (const auto& [where, value] : first) {
    const std::string* found = ini.Find(where.first, where.second);
    ASSERT_NE(found, nullptr) << where.first << "/" << where.second;
    EXPECT_EQ(*found, value) << where.first << "/" << where.second;
  }
  EXPECT_EQ(ini.Find("Section7", "Key1"), nullptr);
}

class IniSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() / ("vorn_ini_save_" + std::string(info->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::permissions(dir_, std::filesystem::perms(0755));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms(0755), ignored);
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  static std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    return names;
  }

  std::filesystem::path dir_;
};

TEST_F(IniSaveTest, TheModeIsKeptAndTheFolderSyncedAfterTheRename) {
  const std::string path = Path("game.ini");
  Put(path, "[Sound]\r\nDelayTime=200\r\n");
  std::filesystem::permissions(path, std::filesystem::perms(0600));
  std::vector<ReplaceStep> steps;
  const ReplaceStepHook previous = SetReplaceStepHook([&steps](ReplaceStep step, const std::string&) {
    steps.push_back(step);
    return true;
  });
  std::string reason;
  const bool saved = SaveIniBytes(path, "[Sound]\r\nDelayTime=300\r\n", reason);
  SetReplaceStepHook(previous);
  ASSERT_TRUE(saved) << reason;
  EXPECT_EQ(Get(path), "[Sound]\r\nDelayTime=300\r\n");
  EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::mask, std::filesystem::perms(0600));
  ASSERT_GE(steps.size(), 2u);
  EXPECT_EQ(steps[steps.size() - 2], ReplaceStep::kRename);
  EXPECT_EQ(steps.back(), ReplaceStep::kSyncFolder);
  EXPECT_EQ(Names(), std::vector<std::string>{"game.ini"});
}

// A game.ini the user may not write is refused and stays as it was, also where the folder would
// take a new file; a writable file in a folder that takes none is still written in place. Root
// may write anything, so these run as "nobody" there.
TEST_F(IniSaveTest, AFileTheUserMayNotWriteIsRefusedAndAWritableOneInAReadOnlyFolderIsWrittenInPlace) {
  const std::string path = Path("game.ini");
  Put(path, "[Sound]\r\nDelayTime=200\r\n");
  ASSERT_TRUE(GiveToModeCheckUser(dir_.string()));
  ASSERT_TRUE(GiveToModeCheckUser(path));
  std::filesystem::permissions(path, std::filesystem::perms(0444));
  const int refused = RunAsModeCheckUser([&path]() {
    std::string reason;
    if (SaveIniBytes(path, "[Sound]\r\nDelayTime=300\r\n", reason)) return 1;
    return reason == "Permission denied" ? 0 : 2;
  });
  EXPECT_EQ(refused, 0) << "1: written, 2: another reason";
  EXPECT_EQ(Get(path), "[Sound]\r\nDelayTime=200\r\n");
  EXPECT_EQ(Names(), std::vector<std::string>{"game.ini"});

  std::filesystem::permissions(path, std::filesystem::perms(0644));
  std::filesystem::permissions(dir_, std::filesystem::perms(0555));
  const int in_place = RunAsModeCheckUser([&path]() {
    std::string reason;
    return SaveIniBytes(path, "[Sound]\r\nDelayTime=400\r\n", reason) ? 0 : 1;
  });
  std::filesystem::permissions(dir_, std::filesystem::perms(0755));
  EXPECT_EQ(in_place, 0);
  EXPECT_EQ(Get(path), "[Sound]\r\nDelayTime=400\r\n");
}

}  // namespace
}  // namespace vorn::platform
