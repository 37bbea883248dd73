#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/errors.h"

namespace vorn {

// Raised by JIsTrailByte for a position outside the string.
class EStringIndexError : public Exception {
 public:
  using Exception::Exception;
};

// The one lead-byte test of the system: a byte that starts a two-byte CP932 character.
constexpr bool IsLeadByte(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool IsLeadByte(char c) { return IsLeadByte(static_cast<std::uint8_t>(c)); }

// Whether s[i] (0-based) is the second byte of a two-byte character: the run of lead bytes
// directly before it has odd length. This agrees with a forward scan from the start, and needs
// only the bytes just before i. No range check.
bool IsTrailByteAt(std::string_view s, std::size_t i);
// Byte length of the character starting at s[i] (0-based): 2 for a lead byte with a byte after it.
inline std::size_t CharLengthAt(std::string_view s, std::size_t i) {
  return IsLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1;
}

// Character positions below are 1-based and count a two-byte character once.
// The 1-based byte position where character n starts (stops early at the end of s: length + 1).
int JCharToByteIndex(std::string_view s, int n);
// 1-based byte position i; raises "Illegal Index" outside 1..length.
bool JIsTrailByte(std::string_view s, int i);
int JLength(std::string_view s);
int JPos(std::string_view sub, std::string_view s);
std::string JCopy(std::string_view s, int index, int count);
void JInsert(std::string_view sub, std::string& s, int index);
void JDelete(std::string& s, int index, int count);
// Cuts the text before the first delimiter character off s and returns it; s keeps what follows
// the delimiter. Without a delimiter all of s is the token and s becomes empty.
std::string JFetchToken(std::string& s, std::string_view delimiters);
void JFetchToken(std::string& s, std::string_view delimiters, std::string& head);
// Leading / trailing ASCII spaces and full-width spaces (81 40).
std::string JTrimLeft(std::string_view s);
std::string JTrimRight(std::string_view s);
std::string JTrim(std::string_view s);
// lead * 256 + trail for a two-byte character, else the byte; 0 when n is not a character of s.
int JCharCodeAt(std::string_view s, int n);
std::string HanToZen(std::string_view s);
std::string ZenToHan(std::string_view s);

// The CP932 case fold: a character changes only when its Unicode lower (upper) case is a CP932
// character of the same byte length, so the byte length never changes. Static tables; the
// process locale plays no part.
std::uint16_t FoldLowerCode(std::uint16_t code);
std::uint16_t FoldUpperCode(std::uint16_t code);
std::string Cp932LowerCase(std::string_view s);
std::string Cp932UpperCase(std::string_view s);
// Compares the lower-case folds byte by byte: <0, 0, >0. Allocates nothing.
int Cp932CompareText(std::string_view a, std::string_view b);
bool Cp932SameText(std::string_view a, std::string_view b);
// A 32-bit hash (FNV-1a) of the lower-case fold of s: names equal ignoring case hash alike.
// Allocates nothing.
std::uint32_t Cp932FoldedHash(std::string_view s);
// The byte at s[i] (0-based) of the lower-case fold of s. Allocates nothing.
std::uint8_t LowerFoldedByteAt(std::string_view s, std::size_t i);

}  // namespace vorn
