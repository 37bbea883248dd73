#pragma once

#include <optional>
#include <string>

namespace vorn::platform {

// Where the running executable lives. Paths are host (UTF-8) byte strings.
class ExecutableLocation {
 public:
  virtual ~ExecutableLocation() = default;
  // The executable's full path, or nothing when the system cannot tell.
  virtual std::optional<std::string> ExecutablePath() = 0;
};

// The directory part of a path, with a trailing "/" ("" when the path has no "/").
std::string DirectoryOf(const std::string& path);

// dir + name when that exists; otherwise the first entry of dir whose name equals name ignoring
// ASCII case; otherwise dir + name. Data copied from case-insensitive systems keeps its old
// spelling, so "Game.ini" must still be found as "game.ini".
std::string FindInDirectory(const std::string& dir, const std::string& name);

// /proc/self/exe.
class ProcExecutableLocation final : public ExecutableLocation {
 public:
  std::optional<std::string> ExecutablePath() override;
};

// Headless: the test says where the executable is.
class FixedExecutableLocation final : public ExecutableLocation {
 public:
  explicit FixedExecutableLocation(std::optional<std::string> path) : path_(std::move(path)) {}
  std::optional<std::string> ExecutablePath() override { return path_; }
  void set_path(std::optional<std::string> path) { path_ = std::move(path); }

 private:
  std::optional<std::string> path_;
};

}  // namespace vorn::platform
