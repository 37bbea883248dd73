#include "engine/script_text.h"

#include <algorithm>
#include <limits>

#include "engine/number_text.h"
#include "engine/script_error.h"
#include "foundation/sjis.h"

namespace vorn::script_text {
namespace {

// A byte count or position clamped into 0..length+1 of a string.
std::size_t Clamp(std::int64_t value, std::size_t length) {
  if (value < 0) return 0;
  return static_cast<std::uint64_t>(value) > length ? length + 1 : static_cast<std::size_t>(value);
}

bool IsTrail(std::string_view s, std::size_t i) { return i > 0 && IsTrailByteAt(s, i); }

std::string DigitsOf(std::uint64_t magnitude, int base) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.push_back(kDigits[magnitude % static_cast<std::uint64_t>(base)]);
    magnitude /= static_cast<std::uint64_t>(base);
  } while (magnitude != 0);
  std::reverse(text.begin(), text.end());
  return text;
}

// Positions where a character starts, testing sub against the bytes there.
std::size_t FindAtCharStart(std::string_view s, std::string_view sub, std::size_t from) {
  for (std::size_t i = from; i < s.size(); i += CharLengthAt(s, i)) {
    if (s.size() - i >= sub.size() && s.compare(i, sub.size(), sub) == 0) return i;
  }
  return std::string_view::npos;
}

}  // namespace

void CheckTextSize(std::int64_t bytes) {
  if (bytes < 0 || bytes > kMaxScriptTextBytes) throw EScriptError("Out of memory");
}

std::string IntToStrDigits(std::int32_t n, std::string_view digits) {
  std::int64_t precision = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') {
      std::string text = "Format '%.";
      text += digits;
      text += "d' invalid or incompatible with argument";
      throw EScriptError(text);
    }
    precision = std::min<std::int64_t>(precision * 10 + (c - '0'), kMaxScriptTextBytes + 1);
  }
  CheckTextSize(precision + 1);
  const std::int64_t value = n;
  std::string body = DigitsOf(static_cast<std::uint64_t>(value < 0 ? -value : value), 10);
  std::string text = n < 0 ? "-" : "";
  if (static_cast<std::int64_t>(body.size()) < precision) {
    text.append(static_cast<std::size_t>(precision) - body.size(), '0');
  }
  return text + body;
}

std::string IntToHex(std::int32_t n, std::int32_t digits) {
  if (digits > 0) CheckTextSize(std::int64_t{digits});
  std::string body = DigitsOf(static_cast<std::uint32_t>(n), 16);
  if (digits > 0 && body.size() < static_cast<std::size_t>(digits)) {
    body.insert(0, static_cast<std::size_t>(digits) - body.size(), '0');
  }
  return body;
}

std::string Copy(std::string_view s, std::int64_t index, std::int64_t count) {
  if (count < 1) return {};
  const std::size_t start = index < 1 ? 0 : Clamp(index - 1, s.size());
  if (start >= s.size()) return {};
  return std::string(s.substr(start, Clamp(count, s.size())));
}

std::string Delete(std::string_view s, std::int64_t index, std::int64_t count) {
  std::string result(s);
  if (index < 1 || index > static_cast<std::int64_t>(s.size()) || count < 1) return result;
  result.erase(static_cast<std::size_t>(index - 1), Clamp(count, s.size()));
  return result;
}

std::string Insert(std::string_view source, std::string_view s, std::int64_t index) {
  std::string result(s);
  const std::size_t at = index < 1 ? 0 : std::min(Clamp(index - 1, s.size()), s.size());
  result.insert(at, source);
  return result;
}

std::int32_t CompareStr(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return static_cast<std::uint8_t>(a[i]) - static_cast<std::uint8_t>(b[i]);
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::int32_t Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  const std::size_t at = s.find(sub);
  return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

std::string Trim(std::string_view s) {
  std::size_t first = 0;
  std::size_t last = s.size();
  while (first < last && static_cast<std::uint8_t>(s[first]) <= ' ') ++first;
  while (last > first && static_cast<std::uint8_t>(s[last - 1]) <= ' ') --last;
  return std::string(s.substr(first, last - first));
}

std::string FixStr(std::string_view s) {
  const std::size_t n = s.size();
  if (n < 2) return std::string(s);
  // The last two bytes form a character when the one before last starts it.
  if (!IsTrail(s, n - 2) && IsLeadByte(s[n - 2])) return std::string(s);
  if (IsLeadByte(s[n - 1])) return std::string(s.substr(0, n - 1));
  return std::string(s);
}

std::size_t LastDelimiter(std::string_view delimiters, std::string_view s) {
  std::size_t i = s.size();
  while (i > 0) {
    const std::size_t at = i - 1;
    if (delimiters.find(s[at]) != std::string_view::npos) {
      if (!IsTrail(s, at)) return i;
      --i;  // the lead byte of that character is no delimiter either
    }
    if (i > 0) --i;
  }
  return 0;
}

std::string ExtractFilePath(std::string_view s) { return std::string(s.substr(0, LastDelimiter("\\:", s))); }

std::string ExtractFileName(std::string_view s) { return std::string(s.substr(LastDelimiter("\\:", s))); }

std::string ExtractFileExt(std::string_view s) {
  const std::size_t i = LastDelimiter(".\\:", s);
  if (i == 0 || s[i - 1] != '.') return {};
  return std::string(s.substr(i - 1));
}

std::string ChangeFileExt(std::string_view name, std::string_view ext) {
  std::size_t i = LastDelimiter(".\\:", name);
  const std::size_t keep = i == 0 || name[i - 1] != '.' ? name.size() : i - 1;
  std::string result(name.substr(0, keep));
  result += ext;
  return result;
}

bool IsPathDelimiter(std::string_view s, std::int64_t index) {
  if (index < 1 || index > static_cast<std::int64_t>(s.size())) return false;
  const auto at = static_cast<std::size_t>(index - 1);
  return s[at] == '\\' && !IsTrail(s, at);
}

std::string AddBackSlash(std::string_view s) {
  std::string result(s);
  if (!IsPathDelimiter(s, static_cast<std::int64_t>(s.size()))) result += '\\';
  return result;
}

bool IsDelimiter(std::string_view delimiters, std::string_view s, std::int64_t index) {
  if (index < 1 || index > static_cast<std::int64_t>(s.size())) return false;
  const auto at = static_cast<std::size_t>(index - 1);
  return delimiters.find(s[at]) != std::string_view::npos && !IsTrail(s, at);
}

std::string StringOfChar(std::string_view s, std::int32_t n) {
  if (n < 1 || s.empty()) return {};
  CheckTextSize(static_cast<std::int64_t>(s.size()) * n);
  std::string result;
  result.reserve(s.size() * static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) result += s;
  return result;
}

std::string StringReplace(std::string_view s, std::string_view old_pattern, std::string_view new_pattern, bool all,
                          bool ignore_case) {
  if (old_pattern.empty()) return std::string(s);
  // The fold keeps every byte length, so positions in the fold are positions in s.
  std::string folded_s;
  std::string folded_pattern;
  std::string_view search = s;
  std::string_view pattern = old_pattern;
  if (ignore_case) {
    folded_s = Cp932LowerCase(s);
    folded_pattern = Cp932LowerCase(old_pattern);
    search = folded_s;
    pattern = folded_pattern;
  }
  std::string result;
  std::size_t from = 0;
  while (from < s.size()) {
    const std::size_t at = FindAtCharStart(search, pattern, from);
    if (at == std::string_view::npos) break;
    CheckTextSize(static_cast<std::int64_t>(result.size()) + static_cast<std::int64_t>(at - from) +
                  static_cast<std::int64_t>(new_pattern.size()));
    result.append(s.substr(from, at - from));
    result.append(new_pattern);
    from = at + pattern.size();
    if (!all) break;
  }
  if (from < s.size()) {
    CheckTextSize(static_cast<std::int64_t>(result.size() + (s.size() - from)));
    result.append(s.substr(from));
  }
  return result;
}

bool TryStrToInt(std::string_view s, std::int32_t& value) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  const std::size_t sign_start = i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i < s.size() && s[i] == '$') {
    ++i;
    if (i == s.size()) return false;
    std::uint64_t magnitude = 0;
    for (; i < s.size(); ++i) {
      const char c = s[i];
      int digit = 0;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else {
        return false;
      }
      magnitude = magnitude * 16 + static_cast<std::uint64_t>(digit);
      if (magnitude > 0xFFFFFFFFull) return false;
    }
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    value = static_cast<std::int32_t>(bits);
    return true;
  }
  return TryTextToInt(s.substr(sign_start), value);
}

bool TryStrToFloat(std::string_view s, TExtended& value) {
  std::size_t first = 0;
  std::size_t last = s.size();
  while (first < last && s[first] == ' ') ++first;
  while (last > first && s[last - 1] == ' ') --last;
  return TryTextToFloat(s.substr(first, last - first), value);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    lines.emplace_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r') ++end;
    if (end < text.size() && text[end] == '\n') ++end;
    start = end;
  }
  return lines;
}

std::vector<std::string> SplitLines(const std::vector<std::uint8_t>& bytes) {
  return SplitLines(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace vorn::script_text
