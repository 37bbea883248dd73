#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

// Stand-in for the virtual file manager until the archive reader lands: it keeps the override
// directory and the names mounted, in order, and reports its per-frame housekeeping calls. The
// main window uses only these operations, so the real manager replaces it one for one.
class TVrFileManagerStandIn {
 public:
  TVrFileManagerStandIn();
  ~TVrFileManagerStandIn();  // frees the temporary files
  TVrFileManagerStandIn(const TVrFileManagerStandIn&) = delete;
  TVrFileManagerStandIn& operator=(const TVrFileManagerStandIn&) = delete;

  // -1 without mounting when a mounted archive's directory equals the name (ignoring case).
  int AddArchive(const std::string& file_name);
  // A "/" is appended to a non-empty directory that lacks one.
  void SetBaseDir(const std::string& dir);
  // The lock list counts its delayed deletions down by the frame's duration.
  void TickLockList(std::int32_t delta_ms);
  void DeleteReleasedTempFiles();

  const std::string& base_dir() const { return base_dir_; }
  const std::vector<std::string>& archives() const { return archives_; }

 private:
  std::string base_dir_;
  std::vector<std::string> archives_;
};

}  // namespace vorn
