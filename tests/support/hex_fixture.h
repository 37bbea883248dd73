#pragma once

// Fixtures spelled out by hand: text files of hexadecimal bytes with a comment per field.
//
//   01 00 00 00     # 1 style record
//   5A 6B 57 6F 72 64 31 30 32   # "ZkWord102"
//
// Everything from '#' to the end of a line is a comment; the rest is pairs of hex digits,
// separated by white space or not.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace vorn::testing {

// The bytes of hex text; a stray character or an odd digit fails the running test.
std::vector<std::uint8_t> ParseHexFixture(std::string_view text);
std::vector<std::uint8_t> ReadHexFixture(const std::filesystem::path& path);

}  // namespace vorn::testing
