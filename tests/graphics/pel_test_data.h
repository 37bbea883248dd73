#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/whole_file.h"

namespace vorn::testing {

// Bytes of a committed reference file under tests/graphics/data/pel.
inline std::vector<std::uint8_t> PelReference(const std::string& name) {
  return ReadWholeFile(std::string(VORN_SOURCE_DIR) + "/tests/graphics/data/pel/" + name);
}

}  // namespace vorn::testing
