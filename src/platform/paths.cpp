#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace vorn::platform {
namespace {

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash + 1);
}

std::string FindInDirectory(const std::string& dir, const std::string& name) {
  namespace fs = std::filesystem;
  const std::string exact = dir + name;
  std::error_code error;
  if (fs::exists(fs::path(exact), error)) return exact;
  const fs::path folder = dir.empty() ? fs::path(".") : fs::path(dir);
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string entry = it->path().filename().string();
    if (EqualsIgnoringAsciiCase(entry, name)) return dir + entry;
  }
  return exact;
}

}  // namespace vorn::platform
