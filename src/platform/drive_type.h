#pragma once

#include <map>
#include <string>

namespace vorn::platform {

enum class DriveType { kUnknown, kFixed, kCdRom };

// What kind of medium holds a path (the player refuses to run from an optical disc).
class DriveTypes {
 public:
  virtual ~DriveTypes() = default;
  virtual DriveType TypeOf(const std::string& path) = 0;
};

// statfs: iso9660 and udf file systems count as CD-ROM.
class StatfsDriveTypes final : public DriveTypes {
 public:
  DriveType TypeOf(const std::string& path) override;
};

// Headless: a table of paths; anything not listed is a fixed disk.
class TableDriveTypes final : public DriveTypes {
 public:
  void Set(const std::string& path, DriveType type) { table_[path] = type; }
  DriveType TypeOf(const std::string& path) override {
    const auto it = table_.find(path);
    return it == table_.end() ? DriveType::kFixed : it->second;
  }

 private:
  std::map<std::string, DriveType> table_;
};

}  // namespace vorn::platform
