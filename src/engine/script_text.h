#pragma once

// The text operations behind the script's text functions, on CP932 byte strings. Positions and
// counts come from scripts, so every operation clamps them instead of reading outside a string, and
// anything a script can make grow without bound is checked against kMaxScriptTextBytes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/custom_param.h"
#include "engine/extended_float.h"

namespace vorn::script_text {

// The engine-wide size limit, shared by text bytes and array elements.
inline constexpr std::int64_t kMaxScriptTextBytes = kMaxParamElements;

// Raises the script error for a text that would grow beyond the limit.
void CheckTextSize(std::int64_t bytes);

// Decimal of n with at least `digits` digits (zero padded; the sign does not count). `digits` is
// script text: decimal digits only, empty for no padding; anything else raises the conversion
// error of the format routine.
std::string IntToStrDigits(std::int32_t n, std::string_view digits);
// Upper-case hexadecimal of n's 32-bit pattern with at least `digits` digits.
std::string IntToHex(std::int32_t n, std::int32_t digits);

// 1-based byte operations. Copy: index < 1 starts at the first byte, count < 1 gives "".
std::string Copy(std::string_view s, std::int64_t index, std::int64_t count);
// Removes nothing for an index outside 1..length or a count < 1.
std::string Delete(std::string_view s, std::int64_t index, std::int64_t count);
// Index < 1 inserts at the start, past the end appends.
std::string Insert(std::string_view source, std::string_view s, std::int64_t index);
// First differing byte (unsigned) or the length difference.
std::int32_t CompareStr(std::string_view a, std::string_view b);
// 1-based byte position of sub in s, 0 when absent or sub is empty.
std::int32_t Pos(std::string_view sub, std::string_view s);
// Strips bytes 0..32 at both ends.
std::string Trim(std::string_view s);
// Drops a lone lead byte at the end.
std::string FixStr(std::string_view s);

// The lines of a text as a string list splits it: CR LF, CR or LF end a line, and a last line
// without an ending still counts (a break at the very end opens no further line).
std::vector<std::string> SplitLines(std::string_view text);
// The same over the bytes of a file.
std::vector<std::string> SplitLines(const std::vector<std::uint8_t>& bytes);

// 1-based position of the last byte of s that is in delimiters and is not the trail byte of a
// double-byte character; 0 when none is.
std::size_t LastDelimiter(std::string_view delimiters, std::string_view s);
std::string ExtractFilePath(std::string_view s);
std::string ExtractFileName(std::string_view s);
std::string ExtractFileExt(std::string_view s);
std::string ChangeFileExt(std::string_view name, std::string_view ext);
// Byte `index` (1-based) is "\" and no trail byte; false out of range.
bool IsPathDelimiter(std::string_view s, std::int64_t index);
std::string AddBackSlash(std::string_view s);
// Byte `index` of s is one of the bytes of delimiters and no trail byte; false out of range.
bool IsDelimiter(std::string_view delimiters, std::string_view s, std::int64_t index);

// s repeated n times; "" for n < 1. Raises beyond the size limit.
std::string StringOfChar(std::string_view s, std::int32_t n);
// Replaces the first (or every) occurrence of old_pattern, found only at character starts;
// ignore_case compares the CP932 case folds. An empty pattern replaces nothing.
std::string StringReplace(std::string_view s, std::string_view old_pattern, std::string_view new_pattern, bool all,
                          bool ignore_case);

// Leading spaces, an optional sign, then decimal digits or "$" and hexadecimal digits (up to
// 32 bits, taken as their two's-complement value). False when that is not the whole text.
bool TryStrToInt(std::string_view s, std::int32_t& value);
// Decimal text with "." as separator whatever the process locale; spaces around it allowed.
bool TryStrToFloat(std::string_view s, TExtended& value);

}  // namespace vorn::script_text
