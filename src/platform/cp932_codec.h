#pragma once

// Conversion between the system's CP932 names and the host's UTF-8 names. CP932 is the Windows
// code page (not SHIFT_JIS, which differs at 0x5C, 0x7E and several symbols).

#include <optional>
#include <string>
#include <string_view>

namespace vorn::platform {

// Unlike text_converter.h nothing is replaced, because a file name must match exactly: nullopt
// when the text holds a sequence the other side has no form for (for CP932 input that includes
// the single bytes 0x80, 0xA0 and 0xFD-0xFF, which iconv refuses).
std::optional<std::string> StrictCp932ToUtf8(std::string_view cp932);
std::optional<std::string> StrictUtf8ToCp932(std::string_view utf8);

}  // namespace vorn::platform
