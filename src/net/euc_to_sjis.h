#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorn {

// Downloaded text is taken to be EUC-JP and turned into CP932 byte by byte, by arithmetic alone:
// no table, no validation. A three-byte JIS X 0212 sequence pairs its 0x8F introducer with the
// next byte and converts the third byte on its own.
std::string EucToShiftJis(std::string_view text);

// The Shift-JIS lead and trail bytes of one JIS X 0208 character given as its 7-bit row and cell
// bytes. Bytes outside 0x21..0x7E still give two bytes (8-bit wraparound), never an error.
std::string JisToShiftJisPair(std::uint8_t j1, std::uint8_t j2);

}  // namespace vorn
