#pragma once

// A private folder for one test's files under the system's temporary folder, removed with all it
// holds when the object goes. Test processes run side by side, from several build folders at
// once: the name joins the running test's name, a label, a random number drawn once per process
// and a counter, so no two folders meet.

#include <filesystem>
#include <string>
#include <string_view>

namespace vorn::testing {

class TempFolder {
 public:
  explicit TempFolder(std::string_view label = "");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The host path of a file inside (the folder itself for an empty name).
  std::string Path(std::string_view leaf = "") const;
  std::string operator/(std::string_view leaf) const { return Path(leaf); }
  // The folder with a trailing "/", as the player's folder settings take it.
  std::string Dir() const { return path_.string() + "/"; }

 private:
  std::filesystem::path path_;
};

}  // namespace vorn::testing
