#pragma once

// The roots of the CD-ROM and DVD discs that are in at the moment of asking. On Linux a mount
// point exists only while its disc is in (and is often named after the volume label), so callers
// ask again at every disc search instead of keeping the list.

#include <memory>
#include <string>
#include <vector>

namespace vorn::platform {

class CdRootSource {
 public:
  virtual ~CdRootSource() = default;
  // Host paths with a trailing "/", in mount-table order.
  virtual std::vector<std::string> Roots() = 0;
};

// iso9660 and udf mounts of /proc/self/mounts, confirmed by statfs.
std::unique_ptr<CdRootSource> MakeHostCdRootSource();

// Headless twin: the roots are directories the test sets.
class HeadlessCdRootSource : public CdRootSource {
 public:
  std::vector<std::string> Roots() override { return roots_; }
  void SetRoots(std::vector<std::string> roots) { roots_ = std::move(roots); }

 private:
  std::vector<std::string> roots_;
};

// Parses mount-table text: the mount points (octal escapes resolved) whose type is iso9660 or udf.
std::vector<std::string> CdMountPointsOf(const std::string& mount_table);

}  // namespace vorn::platform
