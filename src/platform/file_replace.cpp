#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/file_sync.h"

namespace vorn::platform {
namespace {

// Links followed before a chain counts as a loop (the host's own limit).
constexpr int kMaxLinkHops = 40;
// Names tried when a temporary name is taken (a file left by a killed process of the same id).
constexpr int kTemporaryAttempts = 100;

std::mutex g_hook_lock;
ReplaceStepHook g_hook;
std::atomic<unsigned> g_temporary_counter{0};

bool StepAllowed(ReplaceStep step, const std::string& target) {
  ReplaceStepHook hook;
  {
    std::lock_guard<std::mutex> guard(g_hook_lock);
    hook = g_hook;
  }
  return !hook || hook(step, target);
}

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

}  // namespace

ReplaceStepHook SetReplaceStepHook(ReplaceStepHook hook) {
  std::lock_guard<std::mutex> guard(g_hook_lock);
  std::swap(hook, g_hook);
  return hook;
}

std::string ResolveWriteTarget(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path target(path);
  std::error_code error;
  for (int hops = 0; hops < kMaxLinkHops && fs::is_symlink(target, error); ++hops) {
    const fs::path link = fs::read_symlink(target, error);
    if (error) break;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  return target.string();
}

ReplaceResult ReplaceFileBytes(const std::string& path, const void* data, std::size_t size) {
  ReplaceResult result;
  result.target = ResolveWriteTarget(path);
  const std::string& target = result.target;
  std::string temporary;
  int fd = -1;
  auto fail = [&](ReplaceFailure failure, int error) {
    if (fd >= 0) ::close(fd);
    if (!temporary.empty()) ::unlink(temporary.c_str());
    result.failure = failure;
    result.reason = std::strerror(error);
    return result;
  };

  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) return fail(ReplaceFailure::kCreate, EISDIR);
  // The rename would replace a file whatever its mode: a file the user may not write is refused
  // here, as its folder would refuse the new file.
  if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    return fail(ReplaceFailure::kCreate, errno);
  }

  if (!StepAllowed(ReplaceStep::kCreate, target)) return fail(ReplaceFailure::kCreate, EIO);
  const std::string stem = target + "." + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    const std::string name = stem + std::to_string(g_temporary_counter.fetch_add(1)) + ".~new";
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, exists ? 0600 : 0666);
    if (fd >= 0) {
      temporary = name;
      break;
    }
    if (errno != EEXIST) break;
  }
  if (fd < 0) return fail(ReplaceFailure::kCreate, errno);
  if (exists) {
    // The owner goes first: giving a file away clears its set-id bits, which the mode puts back.
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
      if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only the group may be ours to give; the owner then is the writer, as with any new file.
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
      }
    }
    if (::fchmod(fd, old.st_mode & 07777) != 0) return fail(ReplaceFailure::kCreate, errno);
  }

  const char* bytes = static_cast<const char*>(data);
  std::size_t left = size;
  while (left > 0) {
    if (!StepAllowed(ReplaceStep::kWrite, target)) return fail(ReplaceFailure::kWrite, EIO);
    const ssize_t written = ::write(fd, bytes, std::min(left, kReplaceWriteChunk));
    if (written < 0) {
      if (errno == EINTR) continue;
      return fail(ReplaceFailure::kWrite, errno);
    }
    if (written == 0) return fail(ReplaceFailure::kWrite, ENOSPC);
    bytes += written;
    left -= static_cast<std::size_t>(written);
  }
  if (!StepAllowed(ReplaceStep::kSync, target)) return fail(ReplaceFailure::kWrite, EIO);
  if (::fsync(fd) != 0) return fail(ReplaceFailure::kWrite, errno);
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0) return fail(ReplaceFailure::kWrite, errno);

  if (!StepAllowed(ReplaceStep::kRename, target)) return fail(ReplaceFailure::kRename, EIO);
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(ReplaceFailure::kRename, errno);
  temporary.clear();
  // The rename reaches the disk only with its folder; without this a power cut can bring back the
  // old name (or neither). The new content is in place either way.
  if (StepAllowed(ReplaceStep::kSyncFolder, target)) SyncDirectory(FolderOf(target));
  return result;
}

}  // namespace vorn::platform
