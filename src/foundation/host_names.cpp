#include "foundation/host_names.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "foundation/file_stream.h"
#include "foundation/sjis.h"
#include "platform/cp932_codec.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

std::string FoldName(std::string_view name) { return Cp932UpperCase(name); }

bool IsDelimiter(char c) { return c == '\\' || c == '/'; }

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error)) || fs::exists(path, error);
}

std::string Join(const std::string& folder, const std::string& component) {
  if (folder.empty()) return component;
  if (folder.back() == '/') return folder + component;
  return folder + "/" + component;
}

// The entry of folder that names component, trying raw bytes, the UTF-8 form, then case-folded.
std::optional<std::string> MatchComponent(const std::string& folder, const std::string& component) {
  if (component == "." || component == "..") return Join(folder, component);
  const std::string raw = Join(folder, component);
  if (Exists(raw)) return raw;
  const auto utf8 = platform::StrictCp932ToUtf8(component);
  if (utf8 && *utf8 != component) {
    const std::string converted = Join(folder, *utf8);
    if (Exists(converted)) return converted;
  }
  const std::string wanted = FoldName(component);
  std::error_code error;
  std::vector<std::string> matches;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end; it.increment(error)) {
    const std::string entry = it->path().filename().native();
    const auto as_cp932 = platform::StrictUtf8ToCp932(entry);
    if (FoldName(as_cp932 ? *as_cp932 : entry) == wanted) matches.push_back(entry);
  }
  if (matches.empty()) return std::nullopt;
  return Join(folder, *std::min_element(matches.begin(), matches.end()));
}

std::string ConvertForCreate(const std::string& component) {
  const auto utf8 = platform::StrictCp932ToUtf8(component);
  return utf8 ? *utf8 : component;
}

// Resolves every component; with for_create the missing ones are converted instead of refused.
std::optional<std::string> Resolve(std::string_view system_name, bool for_create) {
  bool absolute = false;
  const auto components = SplitSystemName(system_name, &absolute);
  std::string path = absolute ? "/" : "";
  if (components.empty()) return absolute ? std::optional<std::string>(path) : std::nullopt;
  bool missing = false;
  for (const auto& component : components) {
    std::optional<std::string> next;
    if (!missing) next = MatchComponent(path, component);
    if (!next) {
      if (!for_create) return std::nullopt;
      missing = true;
      next = Join(path, ConvertForCreate(component));
    }
    path = *next;
  }
  return path;
}

}  // namespace

std::vector<std::string> SplitSystemName(std::string_view name, bool* absolute) {
  std::vector<std::string> components;
  if (absolute) *absolute = !name.empty() && IsDelimiter(name.front());
  std::string current;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (IsLeadByte(name[i]) && i + 1 < name.size()) {
      current += name[i];
      current += name[i + 1];
      ++i;
    } else if (IsDelimiter(name[i])) {
      if (!current.empty()) components.push_back(std::move(current));
      current.clear();
    } else {
      current += name[i];
    }
  }
  if (!current.empty()) components.push_back(std::move(current));
  return components;
}

std::optional<std::string> FindHostPath(std::string_view system_name) { return Resolve(system_name, false); }

std::string HostPathForCreate(std::string_view system_name) {
  auto path = Resolve(system_name, true);
  return path ? *path : std::string(system_name);
}

bool SystemFileExists(std::string_view system_name) {
  const auto path = FindHostPath(system_name);
  if (!path) return false;
  std::error_code error;
  return fs::is_regular_file(*path, error);
}

std::string SystemNameOfHostPath(std::string_view host_path) {
  const auto converted = platform::StrictUtf8ToCp932(host_path);
  if (!converted) {
    throw EFOpenError("Cannot use the folder \"" + std::string(host_path) + "\": its name has no CP932 form");
  }
  return *converted;
}

}  // namespace vorn
