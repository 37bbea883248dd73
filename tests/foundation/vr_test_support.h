#pragma once

// A scratch folder per test, removed afterwards, and small file helpers for the virtual-file tests.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vorn::testing {

class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string leaf = "vorn-vr-";
    if (info) leaf += std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : leaf) {
      if (c == '/') c = '_';
    }
    leaf += "-" + std::to_string(getpid_stand_in()) + "-" + std::to_string(counter++);
    path_ = std::filesystem::temp_directory_path() / leaf;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string Path(const std::string& leaf = "") const { return (path_ / leaf).string(); }
  // The folder with a trailing "/".
  std::string Dir() const { return path_.string() + "/"; }

 private:
  static long getpid_stand_in();
  std::filesystem::path path_;
};

inline long ScratchDir::getpid_stand_in() {
  // Distinct per process without a POSIX header: the address of a static differs under ASLR and
  // the time stamp separates runs.
  static const long value = static_cast<long>(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007);
  return value;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteFile(const std::string& path, const std::string& text) {
  WriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::vector<std::uint8_t> Bytes(const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); }

}  // namespace vorn::testing
