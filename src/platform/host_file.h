#pragma once

// Host file services for the virtual file system: positional reads and writes on a descriptor of
// its own, exclusive creation, and the private temporary directory. Paths here are host paths
// (bytes as the file system stores them); system names are resolved by name_resolver.h first.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vorn::platform {

enum class HostFileMode {
  kRead,             // existing file, read only
  kReadWrite,        // existing file, read and write
  kCreate,           // created or truncated, read and write
  kCreateExclusive,  // must not exist yet; never follows a symbolic link
};

// One open descriptor. Reads and writes take an explicit position (pread/pwrite), so several
// readers of one file never disturb each other.
class HostFile {
 public:
  ~HostFile();
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;

  // nullptr when the file cannot be opened; *error then holds the host's reason.
  static std::unique_ptr<HostFile> Open(const std::string& path, HostFileMode mode, std::string* error = nullptr);

  std::int64_t Size() const;
  // Bytes actually read (0 at or past the end). Interrupted calls are retried.
  std::size_t ReadAt(void* buffer, std::size_t count, std::int64_t position);
  // Bytes actually written; fewer only when the host refuses more (disc full).
  std::size_t WriteAt(const void* buffer, std::size_t count, std::int64_t position);
  bool Truncate(std::int64_t size);
  bool Sync();

 private:
  explicit HostFile(int descriptor) : descriptor_(descriptor) {}
  int descriptor_;
};

// Device and inode of a file, which tell two names of one file apart from two files.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The running program's file (from /proc/self/exe) and its identity.
std::string SelfExecutablePath();
std::optional<FileIdentity> SelfExecutableIdentity();

// Clears the read-only state the way the player needs it: the owner may write.
bool MakeOwnerWritable(const std::string& path);

// A directory of our own (mode 0700) under TMPDIR, else /tmp; with a trailing "/". Empty when none
// could be made; *error then holds the reason.
std::string MakePrivateTempDir(std::string* error = nullptr);
// Removes a directory made by MakePrivateTempDir together with whatever is still inside.
void RemoveTree(const std::string& path);

}  // namespace vorn::platform
