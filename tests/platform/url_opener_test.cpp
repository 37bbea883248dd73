// The xdg-open back end against a stand-in xdg-open placed first on PATH, which records the
// arguments it was started with and then stays until the test lets it go.

#include "platform/url_opener.h"
#include "support/whole_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace vorn::platform {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Waits for a condition the child process brings about; gives up after a generous while so a
// broken build fails instead of hanging.
template <typename Condition>
bool Eventually(Condition condition) {
  for (int i = 0; i < 2000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return condition();
}

class FakeXdgOpen : public ::testing::Test {
 protected:
  FakeXdgOpen()
      : dir_(folder_.path()), path_("PATH", (dir_.string() + ":" + OldPath()).c_str()) {
    // Each argument NUL-terminated, written under another name and renamed, so the test never
    // reads half a file. Then it waits for "release" (or gives up on its own after a while).
    std::ofstream script(dir_ / "xdg-open");
    script << "#!/bin/sh\n"
           << "cd '" << dir_.string() << "' || exit 1\n"
           << "printf '%s\\0' \"$@\" > partial$$ && mv partial$$ args$$\n"
           << "i=0\n"
           << "while [ ! -e release ] && [ $i -lt 2000 ]; do sleep 0.01; i=$((i+1)); done\n";
    script.close();
    fs::permissions(dir_ / "xdg-open", fs::perms::owner_all);
  }
  ~FakeXdgOpen() override {
    std::ofstream(dir_ / "release");
    Eventually([this] { return opener_.Reap() == 0; });
  }

  static std::string OldPath() {
    const char* path = std::getenv("PATH");
    return path != nullptr ? path : "/usr/bin:/bin";
  }

  // The argument lists of every start that has recorded them, in no particular order.
  std::vector<std::vector<std::string>> AllArgs() const {
    std::vector<std::vector<std::string>> all;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      if (entry.path().filename().string().rfind("args", 0) != 0) continue;
      const std::string bytes = vorn::testing::ReadWholeText(entry.path());
      std::vector<std::string> args;
      std::string arg;
      for (char c : bytes) {
        if (c == '\0') {
          args.push_back(arg);
          arg.clear();
        } else {
          arg.push_back(c);
        }
      }
      all.push_back(args);
    }
    return all;
  }
  int Starts() const { return static_cast<int>(AllArgs().size()); }

  vorn::testing::TempFolder folder_;
  fs::path dir_;
  ScopedEnv path_;
  XdgUrlOpener opener_;
};

TEST_F(FakeXdgOpen, TheAddressArrivesAsOneArgumentWithoutAShell) {
  const ScopedEnv display("DISPLAY", ":0");
  const std::vector<std::string> urls = {
      "http://example.com/?a=1;b='2'&c=\"3\"",
      "ftp://host/a file; touch pwned",
      "http://x/$(touch pwned)`touch pwned`|touch pwned",
      "http://\xE3\x81\x82/",
  };
  for (std::size_t i = 0; i < urls.size(); ++i) {
    SCOPED_TRACE(urls[i]);
    opener_.Open(urls[i]);
    ASSERT_TRUE(Eventually([&] { return Starts() == static_cast<int>(i + 1); }));
    const auto all = AllArgs();
    EXPECT_NE(std::find(all.begin(), all.end(), std::vector<std::string>{urls[i]}), all.end());
  }
  EXPECT_FALSE(fs::exists(dir_ / "pwned"));
}

TEST_F(FakeXdgOpen, NotWaitedForAndCollectedOnceEnded) {
  const ScopedEnv display("DISPLAY", ":0");
  // The stand-in stays until released, so returning at all shows nobody waits for it.
  opener_.Open("http://a/");
  opener_.Open("http://b/");
  ASSERT_TRUE(Eventually([this] { return Starts() == 2; }));
  EXPECT_EQ(opener_.Reap(), 2u);
  std::ofstream(dir_ / "release");
  EXPECT_TRUE(Eventually([this] { return opener_.Reap() == 0; }));
}

TEST_F(FakeXdgOpen, NothingStartsWithoutADisplay) {
  struct Case {
    const char* display;
    const char* wayland;
    bool starts;
  };
  const Case cases[] = {
      {nullptr, nullptr, false},
      {"", "", false},
      {":1", nullptr, true},
      {nullptr, "wayland-0", true},
  };
  int expected = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.display ? c.display : "(unset)") + " / " + (c.wayland ? c.wayland : "(unset)"));
    const ScopedEnv display("DISPLAY", c.display);
    const ScopedEnv wayland("WAYLAND_DISPLAY", c.wayland);
    opener_.Open("http://x/");
    if (c.starts) ++expected;
    ASSERT_TRUE(Eventually([&] { return Starts() == expected; }));
    EXPECT_EQ(opener_.Reap(), static_cast<std::size_t>(expected));
  }
}

TEST(XdgUrlOpener, AMissingProgramStartsNothing) {
  const ScopedEnv display("DISPLAY", ":0");
  const ScopedEnv path("PATH", "/nonexistent-vorn-dir");
  XdgUrlOpener opener;
  opener.Open("http://x/");
  EXPECT_EQ(opener.Reap(), 0u);
}

}  // namespace
}  // namespace vorn::platform
