#pragma once

#include <string>
#include <string_view>

namespace vorn::platform {

// The system's own texts are CP932; the host speaks UTF-8. CP932 differs from plain Shift-JIS at
// 0x5C, 0x7E and several symbols, so the conversion is always CP932. A byte sequence that does
// not convert becomes "?" (towards CP932) or U+FFFD (towards UTF-8) and conversion goes on.
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);

}  // namespace vorn::platform
