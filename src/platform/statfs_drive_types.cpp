#include <sys/vfs.h>

#include "platform/drive_type.h"

namespace vorn::platform {
namespace {

constexpr unsigned long kIso9660Magic = 0x9660;
constexpr unsigned long kUdfMagic = 0x15013346;

}  // namespace

DriveType StatfsDriveTypes::TypeOf(const std::string& path) {
  struct statfs info {};
  if (statfs(path.empty() ? "." : path.c_str(), &info) != 0) return DriveType::kUnknown;
  const unsigned long type = static_cast<unsigned long>(info.f_type);
  if (type == kIso9660Magic || type == kUdfMagic) return DriveType::kCdRom;
  return DriveType::kFixed;
}

}  // namespace vorn::platform
