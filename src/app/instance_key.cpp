#include "app/instance_key.h"

#include <filesystem>
#include <system_error>

namespace vorn {

bool IsConfigArgument(const std::string& argument) {
  static constexpr char kConfig[] = "/CONFIG";
  if (argument.size() != sizeof kConfig - 1) return false;
  for (std::size_t i = 0; i < argument.size(); ++i) {
    char c = argument[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != kConfig[i]) return false;
  }
  return true;
}

std::string BuildInstanceKey(const std::vector<std::string>& arguments, const std::string& executable_dir) {
  if (!arguments.empty() && IsConfigArgument(arguments.front())) return "/CONFIG-";
  std::string key = arguments.empty() ? executable_dir : arguments.front();
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  if (key.empty() || key.back() != '/') key += '/';
  for (char& c : key) {
    if (c == '/') c = '-';
  }
  return key;
}

namespace {

std::string CanonicalFolder(const std::string& typed) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::canonical(typed, error);
  if (error || resolved.empty()) return typed;
  return resolved.string();
}

}  // namespace

std::string InstanceLockKey(const std::vector<std::string>& arguments, const std::string& executable_dir) {
  if (!arguments.empty() && IsConfigArgument(arguments.front())) return BuildInstanceKey(arguments, executable_dir);
  if (arguments.empty()) return BuildInstanceKey(arguments, CanonicalFolder(executable_dir));
  std::vector<std::string> resolved = arguments;
  resolved.front() = CanonicalFolder(arguments.front());
  return BuildInstanceKey(resolved, executable_dir);
}

}  // namespace vorn
