// The desktop wallpaper back ends, run against fake gsettings and feh programs that record their
// argument vectors. PATH holds only the fake programs, so the host's own tools are never run.

#include "platform/wallpaper.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace vorn::platform {
namespace {

namespace fs = std::filesystem;

// Sets or unsets an environment variable for the test's lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class FakeTools {
 public:
  FakeTools() : dir_(folder_.path()) {}

  // A program that appends "name arg1 arg2 ..." (arguments separated by "|") to the log and exits
  // with list_status for "list-keys" and with status otherwise.
  void Add(const std::string& name, int status, int list_status = 0) {
    const fs::path path = dir_ / name;
    std::ofstream out(path);
    out << "#!/bin/sh\n"
        << "line=\"" << name << "\"\n"
        << "for a in \"$@\"; do line=\"$line|$a\"; done\n"
        << "echo \"$line\" >> '" << Log().string() << "'\n"
        << "if [ \"$1\" = list-keys ]; then exit " << list_status << "; fi\n"
        << "exit " << status << "\n";
    out.close();
    fs::permissions(path, fs::perms::owner_all);
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::ifstream in(Log());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string Dir() const { return dir_.string(); }

 private:
  fs::path Log() const { return dir_ / "calls.log"; }
  vorn::testing::TempFolder folder_;
  fs::path dir_;
};

const char kPicture[] = "/pic dir/vornwall.bmp";
const char kUri[] = "file:///pic%20dir/vornwall.bmp";
const std::string kSchema = "org.gnome.desktop.background";

std::vector<std::string> GnomeCalls(const std::string& option) {
  return {"gsettings|list-keys|" + kSchema, "gsettings|set|" + kSchema + "|picture-uri|" + kUri,
          "gsettings|set|" + kSchema + "|picture-uri-dark|" + kUri,
          "gsettings|set|" + kSchema + "|picture-options|" + option};
}

const std::string kNoSchema = "gsettings|list-keys|" + kSchema;

TEST(DesktopWallpaper, ChoosesTheDesktopsToolAndMapsTheStyle) {
  enum Tools { kGnome, kGnomeSetFails, kFehOnly, kFehFails, kNothing, kNoGsettingsFeh };
  struct Case {
    const char* name;
    Tools tools;
    const char* display;  // DISPLAY; null unset
    const char* wayland;  // WAYLAND_DISPLAY; null unset
    int style;
    bool answer;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {"gnome centre", kGnome, ":0", nullptr, 0, true, GnomeCalls("centered")},
      {"gnome tile", kGnome, ":0", nullptr, 1, true, GnomeCalls("wallpaper")},
      {"gnome stretch", kGnome, ":0", nullptr, 2, true, GnomeCalls("stretched")},
      {"gnome negative style stretches", kGnome, ":0", nullptr, -1, true, GnomeCalls("stretched")},
      {"gnome on wayland", kGnome, nullptr, "wayland-0", 1, true, GnomeCalls("wallpaper")},
      {"gnome refuses the picture", kGnomeSetFails, ":0", nullptr, 0, false,
       {kNoSchema, "gsettings|set|" + kSchema + "|picture-uri|" + kUri}},
      {"feh centre", kFehOnly, ":0", nullptr, 0, true, {kNoSchema, std::string("feh|--bg-center|") + kPicture}},
      {"feh tile", kFehOnly, ":0", nullptr, 1, true, {kNoSchema, std::string("feh|--bg-tile|") + kPicture}},
      {"feh stretch", kFehOnly, ":0", nullptr, 7, true, {kNoSchema, std::string("feh|--bg-scale|") + kPicture}},
      {"feh without gsettings", kNoGsettingsFeh, ":0", nullptr, 0, true,
       {std::string("feh|--bg-center|") + kPicture}},
      {"feh fails", kFehFails, ":0", nullptr, 0, false,
       {kNoSchema, std::string("feh|--bg-center|") + kPicture}},
      {"neither tool", kNothing, ":0", nullptr, 0, false, {kNoSchema}},
      {"no display", kGnome, nullptr, nullptr, 0, false, {}},
      {"empty display", kGnome, "", "", 0, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTools tools;
    switch (c.tools) {
      case kGnome:
        tools.Add("gsettings", 0);
        tools.Add("feh", 0);
        break;
      case kGnomeSetFails:
        tools.Add("gsettings", 1);
        tools.Add("feh", 0);
        break;
      case kFehOnly:
        tools.Add("gsettings", 0, 1);
        tools.Add("feh", 0);
        break;
      case kFehFails:
        tools.Add("gsettings", 0, 1);
        tools.Add("feh", 1);
        break;
      case kNothing:
        tools.Add("gsettings", 0, 1);
        break;
      case kNoGsettingsFeh:
        tools.Add("feh", 0);
        break;
    }
    ScopedEnv path("PATH", tools.Dir());
    ScopedEnv display("DISPLAY", c.display ? std::optional<std::string>(c.display) : std::nullopt);
    ScopedEnv wayland("WAYLAND_DISPLAY", c.wayland ? std::optional<std::string>(c.wayland) : std::nullopt);
    DesktopWallpaper wallpaper;
    EXPECT_EQ(wallpaper.Set(kPicture, c.style), c.answer);
    EXPECT_EQ(tools.Lines(), c.calls);
  }
}

TEST(DesktopWallpaper, ARelativePathIsNeverHandedOn) {
  FakeTools tools;
  tools.Add("feh", 0);
  ScopedEnv path("PATH", tools.Dir());
  ScopedEnv display("DISPLAY", ":0");
  EXPECT_FALSE(FehWallpaper().Set("vornwall.bmp", 0));
  EXPECT_FALSE(GsettingsWallpaper().Set("", 0));
  EXPECT_TRUE(tools.Lines().empty());
}

TEST(WallpaperPath, TheUsersDataDirectory) {
  struct Case {
    const char* name;
    const char* data_home;
    const char* home;
    std::string path;
  };
  const std::vector<Case> cases = {
      {"XDG data home", "/x/data", "/h", "/x/data/vornwall.bmp"},
      {"relative XDG data home is ignored", "rel/data", "/h", "/h/.local/share/vornwall.bmp"},
      {"empty XDG data home", "", "/h", "/h/.local/share/vornwall.bmp"},
      {"no XDG data home", nullptr, "/h", "/h/.local/share/vornwall.bmp"},
      {"no home at all", nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedEnv data("XDG_DATA_HOME", c.data_home ? std::optional<std::string>(c.data_home) : std::nullopt);
    ScopedEnv home("HOME", c.home ? std::optional<std::string>(c.home) : std::nullopt);
    EXPECT_EQ(DefaultWallpaperPath(), c.path);
    EXPECT_EQ(DesktopWallpaper().PicturePath(), c.path);
  }
}

}  // namespace
}  // namespace vorn::platform
