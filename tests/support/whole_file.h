#pragma once

// Whole files in and out for tests. Reading a file that cannot be opened fails the running test
// and gives nothing.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::testing {

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);
std::string ReadWholeText(const std::filesystem::path& path);
// Creates or replaces the file.
void WriteWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void WriteWholeFile(const std::filesystem::path& path, std::string_view text);

}  // namespace vorn::testing
