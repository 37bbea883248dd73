#include "platform/host_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vorn::platform {

HostFile::~HostFile() { ::close(descriptor_); }

std::unique_ptr<HostFile> HostFile::Open(const std::string& path, HostFileMode mode, std::string* error) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case HostFileMode::kRead: flags |= O_RDONLY; break;
    case HostFileMode::kReadWrite: flags |= O_RDWR; break;
    case HostFileMode::kCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case HostFileMode::kCreateExclusive: flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW; break;
  }
  int descriptor;
  do {
    descriptor = ::open(path.c_str(), flags, 0644);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) {
    if (error) *error = std::strerror(errno);
    return nullptr;
  }
  struct stat info {};
  if (::fstat(descriptor, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(descriptor);
    if (error) *error = std::strerror(EISDIR);
    return nullptr;
  }
  return std::unique_ptr<HostFile>(new HostFile(descriptor));
}

std::int64_t HostFile::Size() const {
  struct stat info {};
  if (::fstat(descriptor_, &info) != 0) return 0;
  return static_cast<std::int64_t>(info.st_size);
}

std::size_t HostFile::ReadAt(void* buffer, std::size_t count, std::int64_t position) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(descriptor_, out + done, count - done, static_cast<off_t>(position) + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::size_t HostFile::WriteAt(const void* buffer, std::size_t count, std::int64_t position) {
  const auto* in = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pwrite(descriptor_, in + done, count - done, static_cast<off_t>(position) + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

bool HostFile::Truncate(std::int64_t size) { return ::ftruncate(descriptor_, static_cast<off_t>(size)) == 0; }

bool HostFile::Sync() { return ::fsync(descriptor_) == 0; }

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::string SelfExecutablePath() {
  std::error_code error;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::optional<FileIdentity> SelfExecutableIdentity() { return IdentityOf("/proc/self/exe"); }

bool MakeOwnerWritable(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  return ::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

std::string MakePrivateTempDir(std::string* error) {
  const char* base = std::getenv("TMPDIR");
  std::string root = (base && *base) ? base : "/tmp";
  if (root.back() != '/') root += '/';
  std::string pattern = root + "vornplayer-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    if (error) *error = std::strerror(errno);
    return {};
  }
  ::chmod(pattern.c_str(), 0700);
  return pattern + "/";
}

void RemoveTree(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
}

}  // namespace vorn::platform
