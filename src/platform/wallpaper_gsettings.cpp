#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/wallpaper.h"

extern char** environ;

namespace vorn::platform {
namespace {

// Runs the program with the arguments (no shell); true when it exits with 0.
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
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

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

bool GsettingsWallpaper::Set(const std::string& host_path, int style) {
  if (host_path.empty() || host_path[0] != '/') return false;
  const std::string schema = "org.gnome.desktop.background";
  const std::string uri = FileUri(host_path);
  const char* option = style == 0 ? "centered" : style == 1 ? "wallpaper" : "stretched";
  if (!Run({"gsettings", "set", schema, "picture-uri", uri})) return false;
  // Newer GNOME shows a second picture in dark mode; set it too where the key exists.
  Run({"gsettings", "set", schema, "picture-uri-dark", uri});
  return Run({"gsettings", "set", schema, "picture-options", option});
}

}  // namespace vorn::platform
