#include "support/hex_fixture.h"

#include <gtest/gtest.h>

#include "support/whole_file.h"

namespace vorn::testing {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::vector<std::uint8_t> ParseHexFixture(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  int high = -1;
  bool comment = false;
  for (char c : text) {
    if (c == '\n') comment = false;
    if (comment) continue;
    if (c == '#') {
      comment = true;
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    const int digit = HexDigit(c);
    if (digit < 0) {
      ADD_FAILURE() << "hex fixture: stray character '" << c << "'";
      return {};
    }
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
      high = -1;
    }
  }
  if (high >= 0) ADD_FAILURE() << "hex fixture: odd number of digits";
  return bytes;
}

std::vector<std::uint8_t> ReadHexFixture(const std::filesystem::path& path) {
  return ParseHexFixture(ReadWholeText(path));
}

}  // namespace vorn::testing
