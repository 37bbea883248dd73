#pragma once

// Byte fixtures spelled out in hex, one field a line, "#" starting a comment.

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace vorn::testing {

inline std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string word;
    while (words >> word) bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
  }
  return bytes;
}

}  // namespace vorn::testing
