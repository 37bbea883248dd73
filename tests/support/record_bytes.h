#pragma once

// Little-endian record bytes spelled out field by field, for fixtures written by hand from a
// record's table (a comment per field at the call).

#include <cstdint>
#include <string>
#include <vector>

namespace vorn::test {

struct RecordBytes {
  std::vector<std::uint8_t> bytes;
  RecordBytes& I32(std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(u >> shift));
    return *this;
  }
  RecordBytes& U8(std::uint8_t value) {
    bytes.push_back(value);
    return *this;
  }
  RecordBytes& Str(const std::string& text) {
    I32(static_cast<std::int32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
};

}  // namespace vorn::test
