#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/url_opener.h"

extern char** environ;

namespace vorn::platform {
namespace {

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

XdgUrlOpener::~XdgUrlOpener() { Reap(); }

void XdgUrlOpener::Open(const std::string& url) {
  Reap();
  if (!HasDisplay()) return;
  std::string program = "xdg-open";
  std::string argument = url;
  char* argv[] = {program.data(), argument.data(), nullptr};
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return;
  // The player's own input is not the opener's; its chatter goes nowhere.
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  // A group of its own, so a terminal's Ctrl+C meant for the player does not reach the browser.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned == 0) running_.push_back(pid);
}

std::size_t XdgUrlOpener::Reap() {
  std::vector<int> still;
  for (const int pid : running_) {
    int status = 0;
    const pid_t got = waitpid(pid, &status, WNOHANG);
    // 0: still running. Anything else: ended, or collected by someone else already.
    if (got == 0 || (got < 0 && errno == EINTR)) still.push_back(pid);
  }
  running_ = std::move(still);
  return running_.size();
}

}  // namespace vorn::platform
