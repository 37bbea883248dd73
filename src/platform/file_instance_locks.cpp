#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/instance_lock.h"

namespace vorn::platform {
namespace {

class FileLock final : public InstanceLock {
 public:
  explicit FileLock(int fd) : fd_(fd) {}
  ~FileLock() override { close(fd_); }  // closing drops the flock

 private:
  int fd_;
};

// /tmp/vornplayer-<uid>, made private to this user; nothing when it cannot be made safe.
std::string PrivateTempDir(std::string& diagnostic) {
  const std::string dir = "/tmp/vornplayer-" + std::to_string(getuid());
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    diagnostic = dir + ": " + std::strerror(errno);
    return std::string();
  }
  struct stat info {};
  if (lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) {
    diagnostic = dir + ": not a directory of this user";
    return std::string();
  }
  if ((info.st_mode & 0077) != 0) chmod(dir.c_str(), 0700);
  return dir;
}

}  // namespace

FileInstanceLocks::FileInstanceLocks(std::string dir) : dir_(std::move(dir)) {}

LockResult FileInstanceLocks::Acquire(const std::string& key) {
  LockResult result;
  std::string dir = dir_;
  if (dir.empty()) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
      dir = runtime;
    } else {
      dir = PrivateTempDir(result.diagnostic);
      if (dir.empty()) return result;
    }
  }
  const std::string path = dir + "/" + LockFileName(key);
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    result.diagnostic = path + ": " + std::strerror(errno);
    return result;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    if (error == EWOULDBLOCK) {
      result.outcome = LockOutcome::kHeldElsewhere;
    } else {
      result.diagnostic = path + ": " + std::strerror(error);
    }
    return result;
  }
  result.outcome = LockOutcome::kAcquired;
  result.lock = std::make_unique<FileLock>(fd);
  return result;
}

}  // namespace vorn::platform
