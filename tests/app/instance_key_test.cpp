#include "app/instance_key.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vorn
