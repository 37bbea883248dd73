#pragma once

#include <string>
#include <string_view>

namespace vorn {

// Resolves the escapes of script string literals: \" and \\ give the character after the "\",
// \n gives CR LF; any other byte, and a "\" that is the last byte, stays. Two-byte characters
// are taken whole, so a trail byte "\" (ソ is 83 5C) starts no escape.
std::string UnescapeString(std::string_view s);

}  // namespace vorn
