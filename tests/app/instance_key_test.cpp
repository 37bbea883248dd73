#include "app/instance_key.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "player_harness.h"

namespace vorn {
namespace {

TEST(InstanceKey, Table) {
  const struct {
    std::vector<std::string> arguments;
    const char* exe_dir;
    const char* key;
  } cases[] = {
      {{"/games/story/"}, "/opt/", "-GAMES-STORY-"},
      {{"/games/Story"}, "/opt/", "-GAMES-STORY-"},
      {{"/GAMES/STORY"}, "/opt/", "-GAMES-STORY-"},
      {{}, "/games/story/", "-GAMES-STORY-"},
      {{"/config"}, "/opt/", "/CONFIG-"},
      {{"/CONFIG"}, "/opt/", "/CONFIG-"},
      {{"/Config", "/x"}, "/opt/", "/CONFIG-"},
      {{"/config/"}, "/opt/", "-CONFIG-"},
      {{"-config"}, "/opt/", "-CONFIG-"},
      {{"/games/\xE8\xA1\xA8"}, "/opt/", "-GAMES-\xE8\xA1\xA8-"},  // 表 keeps its UTF-8 bytes
      {{"/g/\x95\x5C"}, "/opt/", "-G-\x95\x5C-"},
      {{"/d\xE4/\xFF"}, "/opt/", "-D\xE4-\xFF-"},
      {{""}, "/opt/", "-"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildInstanceKey(c.arguments, c.exe_dir), c.key) << (c.arguments.empty() ? "" : c.arguments[0]);
  }
}

TEST(InstanceKey, ConfigArgumentIgnoresAsciiCaseOnly) {
  EXPECT_TRUE(IsConfigArgument("/config"));
  EXPECT_TRUE(IsConfigArgument("/CoNfIg"));
  EXPECT_FALSE(IsConfigArgument("-config"));
  EXPECT_FALSE(IsConfigArgument("/config/"));
  EXPECT_FALSE(IsConfigArgument("config"));
  EXPECT_FALSE(IsConfigArgument(""));
}

// One folder written in several ways takes one lock; the typed forms would give several keys.
TEST(InstanceKey, TheLockIsKeyedOnTheFolderResolvedThroughLinks) {
  testing::TempDir dir("lockkey");
  namespace fs = std::filesystem;
  fs::create_directories(dir.path() / "data");
  fs::create_symlink(dir.path() / "data", dir.path() / "link");
  const std::string data = (dir.path() / "data").string();
  const std::string relative = "./" + fs::relative(dir.path() / "data", fs::current_path()).string();
  const std::string wanted = InstanceLockKey({data}, "/opt/");
  EXPECT_NE(wanted, BuildInstanceKey({data + "/./"}, "/opt/"));
  for (const std::string& typed : {data + "/", data + "/./", (dir.path() / "link").string(),
                                   (dir.path() / "link" / "..").string() + "/data", relative}) {
    EXPECT_EQ(InstanceLockKey({typed}, "/opt/"), wanted) << typed;
  }
  // No arguments: the executable's folder, resolved the same way.
  EXPECT_EQ(InstanceLockKey({}, (dir.path() / "link").string() + "/"), wanted);
  // A folder that does not exist, and the settings dialog, keep their keys as typed.
  EXPECT_EQ(InstanceLockKey({data + "/missing/./x"}, "/opt/"), BuildInstanceKey({data + "/missing/./x"}, "/opt/"));
  EXPECT_EQ(InstanceLockKey({"/config"}, "/opt/"), "/CONFIG-");
}

}  // namespace
}  // namespace vorn
