#include "platform/cd_roots.h"

#include <sys/vfs.h>

#include <fstream>
#include <sstream>

namespace vorn::platform {
namespace {

constexpr long kIso9660Magic = 0x9660;
constexpr long kUdfMagic = 0x15013346;

std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

class HostCdRootSource : public CdRootSource {
 public:
  std::vector<std::string> Roots() override {
    std::ifstream in("/proc/self/mounts");
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> roots;
    for (const auto& point : CdMountPointsOf(text.str())) {
      struct statfs info {};
      if (::statfs(point.c_str(), &info) != 0) continue;
      const long type = static_cast<long>(info.f_type);
      if ((type != kIso9660Magic && type != kUdfMagic) || info.f_blocks == 0) continue;
      roots.push_back(point.back() == '/' ? point : point + "/");
    }
    return roots;
  }
};

}  // namespace

std::vector<std::string> CdMountPointsOf(const std::string& mount_table) {
  std::vector<std::string> points;
  std::istringstream lines(mount_table);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, point, type;
    if (!(fields >> device >> point >> type)) continue;
    if (type == "iso9660" || type == "udf") points.push_back(Unescape(point));
  }
  return points;
}

std::unique_ptr<CdRootSource> MakeHostCdRootSource() { return std::make_unique<HostCdRootSource>(); }

}  // namespace vorn::platform
