#pragma once

// Small helpers of the virtual-file tests; their folders and files come from tests/support.

#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "support/whole_file.h"

namespace vorn::testing {

inline std::vector<std::uint8_t> Bytes(const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); }

}  // namespace vorn::testing
