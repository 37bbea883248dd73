#include "platform/wallpaper.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace vorn::platform {
namespace {

// Runs the program with the arguments (no shell, output discarded); true when it exits with 0.
bool Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  pid_t waited = 0;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool NonEmpty(const char* value) { return value != nullptr && value[0] != '\0'; }

const char kSchema[] = "org.gnome.desktop.background";

}  // namespace

std::string Wallpaper::PicturePath() const { return DefaultWallpaperPath(); }

std::string DefaultWallpaperPath() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  // Relative values are to be ignored: the data directory is always absolute.
  if (NonEmpty(data_home) && data_home[0] == '/') return std::string(data_home) + "/vornwall.bmp";
  const char* home = std::getenv("HOME");
  if (NonEmpty(home)) return std::string(home) + "/.local/share/vornwall.bmp";
  return std::string();
}

std::string FileUri(const std::string& host_path) {
  std::string uri = "file://";
  for (const unsigned char c : host_path) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      uri.push_back(static_cast<char>(c));
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    }
  }
  return uri;
}

bool GsettingsWallpaper::Available() { return Run({"gsettings", "list-keys", kSchema}); }

bool GsettingsWallpaper::Set(const std::string& host_path, int style) {
  if (host_path.empty() || host_path[0] != '/') return false;
  const std::string uri = FileUri(host_path);
  const char* option = style == 0 ? "centered" : style == 1 ? "wallpaper" : "stretched";
  if (!Run({"gsettings", "set", kSchema, "picture-uri", uri})) return false;
  // Newer GNOME shows a second picture in dark mode; set it too where the key exists.
  Run({"gsettings", "set", kSchema, "picture-uri-dark", uri});
  return Run({"gsettings", "set", kSchema, "picture-options", option});
}

bool FehWallpaper::Set(const std::string& host_path, int style) {
  if (host_path.empty() || host_path[0] != '/') return false;
  const char* option = style == 0 ? "--bg-center" : style == 1 ? "--bg-tile" : "--bg-scale";
  return Run({"feh", option, host_path});
}

bool DesktopWallpaper::Set(const std::string& host_path, int style) {
  if (!NonEmpty(std::getenv("DISPLAY")) && !NonEmpty(std::getenv("WAYLAND_DISPLAY"))) return false;
  if (GsettingsWallpaper::Available()) return GsettingsWallpaper().Set(host_path, style);
  return FehWallpaper().Set(host_path, style);
}

}  // namespace vorn::platform
