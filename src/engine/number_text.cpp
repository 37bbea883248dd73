#include "engine/number_text.h"

#include <charconv>
#include <cmath>

namespace vorn {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool TryTextToInt(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > 2147483648LL) return false;
  }
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result > 2147483647LL) return false;
  value = static_cast<std::int32_t>(result);
  return true;
}

bool TryTextToFloat(std::string_view text, TExtended& value) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  int digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    int exponent_digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  if (i != text.size()) return false;
  // from_chars takes no leading '+' and is locale-independent.
  std::string normal(text.substr(text[0] == '+' ? 1 : 0));
  TExtended parsed = 0;
  const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), parsed,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Overflow is no number we can hold; underflow reads as zero.
    const std::size_t e = normal.find_first_of("eE");
    const bool big_exponent = e != std::string::npos && normal.find('-', e) == std::string::npos;
    if (big_exponent) return false;
    value = 0;
    return true;
  }
  if (result.ec != std::errc() || result.ptr != normal.data() + normal.size()) return false;
  value = parsed;
  return true;
}

std::int32_t TextToIntOrZero(std::string_view text) {
  std::int32_t value = 0;
  return TryTextToInt(text, value) ? value : 0;
}

TExtended TextToFloatOrZero(std::string_view text) {
  TExtended value = 0;
  return TryTextToFloat(text, value) ? value : 0;
}

std::string IntToText(std::int32_t value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string FloatToText(TExtended value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  // 15 significant digits, correctly rounded, as d.dddddddddddddde±x.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string_view sci(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const bool negative = sci[0] == '-';
  if (negative) sci.remove_prefix(1);
  const std::size_t e_at = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e_at)) {
    if (c != '.') digits.push_back(c);
  }
  int exponent = 0;
  std::from_chars(sci.data() + e_at + 1 + (sci[e_at + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string text = negative ? "-" : "";
  if (exponent >= -5 && exponent < 15) {
    if (exponent < 0) {
      text += "0.";
      text.append(static_cast<std::size_t>(-exponent - 1), '0');
      text += digits;
    } else {
      const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() <= whole) {
        text += digits;
        text.append(whole - digits.size(), '0');
      } else {
        text += digits.substr(0, whole);
        text += '.';
        text += digits.substr(whole);
      }
    }
    return text;
  }
  text += digits[0];
  if (digits.size() > 1) {
    text += '.';
    text += digits.substr(1);
  }
  text += 'E';
  text += std::to_string(exponent);
  return text;
}

std::int32_t FloatToInt(TExtended value) {
  // [-2^63, 2^63) is what a 64-bit truncation can hold; everything else (NaN included) gives 0.
  constexpr TExtended kLimit = 9223372036854775808.0L;
  if (!(value >= -kLimit && value < kLimit)) return 0;
  const auto truncated = static_cast<std::int64_t>(value);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(truncated)));
}

}  // namespace vorn
