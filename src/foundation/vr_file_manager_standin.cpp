#include "foundation/vr_file_manager_standin.h"

#include "foundation/standin_trace.h"

namespace vorn {
namespace {

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

TVrFileManagerStandIn::TVrFileManagerStandIn() { StandInCall("TVrFileManager.Create"); }

TVrFileManagerStandIn::~TVrFileManagerStandIn() { StandInCall("TVrFileManager.Free"); }

int TVrFileManagerStandIn::AddArchive(const std::string& file_name) {
  // Compared with the archives' directories, as the real manager does: in practice this refuses
  // only a second archive with an empty name.
  for (const std::string& mounted : archives_) {
    const auto slash = mounted.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : mounted.substr(0, slash + 1);
    if (SameIgnoringAsciiCase(directory, file_name)) return -1;
  }
  StandInCall("TVrFileManager.AddArchive " + file_name);
  archives_.push_back(file_name);
  return static_cast<int>(archives_.size()) - 1;
}

void TVrFileManagerStandIn::SetBaseDir(const std::string& dir) {
  base_dir_ = dir;
  if (!base_dir_.empty() && base_dir_.back() != '/') base_dir_ += '/';
  StandInCall("TVrFileManager.SetBaseDir " + base_dir_);
}

void TVrFileManagerStandIn::TickLockList(std::int32_t) { StandInCall("TVrFileManager.TickLockList"); }

void TVrFileManagerStandIn::DeleteReleasedTempFiles() { StandInCall("TVrFileManager.DeleteReleasedTempFiles"); }

}  // namespace vorn
