#include "platform/mode_check_user.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>

namespace vorn::platform {
namespace {

constexpr uid_t kNobodyUid = 65534;
constexpr gid_t kNobodyGid = 65534;
// The child's exit code when it could not become "nobody".
constexpr int kCouldNotDropRoot = 125;

}  // namespace

bool ModeCheckUserIsSeparate() { return ::geteuid() == 0; }

bool GiveToModeCheckUser(const std::string& path) {
  if (!ModeCheckUserIsSeparate()) return true;
  return ::chown(path.c_str(), kNobodyUid, kNobodyGid) == 0;
}

int RunAsModeCheckUser(const std::function<int()>& body) {
  if (!ModeCheckUserIsSeparate()) return body();
  // Output still buffered would be written twice, once by each process.
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobodyGid) != 0 || ::setuid(kNobodyUid) != 0) {
      ::_exit(kCouldNotDropRoot);
    }
    int result = -1;
    try {
      result = body();
    } catch (...) {
      result = -1;
    }
    std::fflush(nullptr);
    // No destructors or exit handlers of the parent's objects run in the child.
    ::_exit(result & 0xFF);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (!WIFEXITED(status)) return -1;
  const int code = WEXITSTATUS(status);
  return code == kCouldNotDropRoot ? -1 : code;
}

}  // namespace vorn::platform
