#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vorn::testing {

// Bytes of a committed reference file under tests/graphics/data/pel.
inline std::vector<std::uint8_t> PelReference(const std::string& name) {
  std::ifstream in(std::string(VORN_SOURCE_DIR) + "/tests/graphics/data/pel/" + name,
                   std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace vorn::testing
