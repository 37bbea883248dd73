#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <system_error>

namespace vorn::testing {
namespace {

std::string ProcessTag() {
  static const std::string tag = std::to_string(std::random_device{}());
  return tag;
}

}  // namespace

TempFolder::TempFolder(std::string_view label) {
  static std::atomic<unsigned> counter{0};
  std::string leaf = "vorn_";
  if (const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
    leaf += std::string(info->test_suite_name()) + "." + info->name() + "_";
  }
  if (!label.empty()) leaf += std::string(label) + "_";
  leaf += ProcessTag() + "_" + std::to_string(counter++);
  std::replace(leaf.begin(), leaf.end(), '/', '_');  // parameterised test names hold "/"
  path_ = std::filesystem::temp_directory_path() / leaf;
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Path(std::string_view leaf) const {
  return leaf.empty() ? path_.string() : (path_ / leaf).string();
}

}  // namespace vorn::testing
