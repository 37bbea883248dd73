#include "foundation/sjis.h"

#include <algorithm>
#include <array>

#include "foundation/sjis_tables.h"

namespace vorn {
namespace {

using sjis_tables::CodePair;

std::uint8_t Byte(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

// Flat tables over every code: 256 single bytes, then 256 per lead byte.
constexpr std::size_t LeadSlot(std::uint8_t lead) { return lead <= 0x9F ? lead - 0x81u : lead - 0xE0u + 31u; }
constexpr std::size_t kLeadCount = 31 + 29;

struct FoldTable {
  std::array<std::uint16_t, 256 + kLeadCount * 256> codes{};

  FoldTable(const CodePair* pairs, std::size_t count) {
    for (std::size_t i = 0; i < 256; ++i) codes[i] = static_cast<std::uint16_t>(i);
    for (std::uint8_t lead = 0x81; lead != 0xFD; ++lead) {
      if (!IsLeadByte(lead)) continue;
      for (std::size_t trail = 0; trail < 256; ++trail) {
        codes[256 + LeadSlot(lead) * 256 + trail] = static_cast<std::uint16_t>(lead << 8 | trail);
      }
    }
    for (std::size_t i = 0; i < count; ++i) codes[Slot(pairs[i].from)] = pairs[i].to;
  }

  static std::size_t Slot(std::uint16_t code) {
    return code < 0x100 ? code : 256 + LeadSlot(static_cast<std::uint8_t>(code >> 8)) * 256 + (code & 0xFF);
  }
  std::uint16_t operator()(std::uint16_t code) const {
    if (code >= 0x100 && !IsLeadByte(static_cast<std::uint8_t>(code >> 8))) return code;
    return codes[Slot(code)];
  }
};

constexpr std::uint8_t AsciiLower(std::uint8_t b) { return b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b; }

const FoldTable& LowerTable() {
  static const FoldTable table(sjis_tables::kLowerPairs, sjis_tables::kLowerPairCount);
  return table;
}
const FoldTable& UpperTable() {
  static const FoldTable table(sjis_tables::kUpperPairs, sjis_tables::kUpperPairCount);
  return table;
}

std::string Fold(std::string_view s, const FoldTable& table) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size();) {
    if (CharLengthAt(out, i) == 2) {
      const std::uint16_t code = table(static_cast<std::uint16_t>(Byte(out, i) << 8 | Byte(out, i + 1)));
      out[i] = static_cast<char>(code >> 8);
      out[i + 1] = static_cast<char>(code & 0xFF);
      i += 2;
    } else {
      out[i] = static_cast<char>(table(Byte(out, i)));
      i += 1;
    }
  }
  return out;
}

// Byte index (0-based) where character n (1-based) starts, clamped to the size.
std::size_t CharStart(std::string_view s, int n) {
  std::size_t i = 0;
  for (int c = 1; c < n && i < s.size(); ++c) i += CharLengthAt(s, i);
  return std::min(i, s.size());
}

// Byte index after count characters from byte index start, clamped to the size.
std::size_t AdvanceChars(std::string_view s, std::size_t start, int count) {
  std::size_t i = start;
  for (int c = 0; c < count && i < s.size(); ++c) i += CharLengthAt(s, i);
  return std::min(i, s.size());
}

bool IsFullWidthSpaceAt(std::string_view s, std::size_t i) {
  return i + 1 < s.size() && Byte(s, i) == 0x81 && Byte(s, i + 1) == 0x40;
}

void AppendCode(std::string& out, std::uint16_t code) {
  if (code >= 0x100) out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

}  // namespace

bool IsTrailByteAt(std::string_view s, std::size_t i) {
  std::size_t leads = 0;
  while (i > 0 && IsLeadByte(s[i - 1])) {
    ++leads;
    --i;
  }
  return (leads & 1) != 0;
}

int JCharToByteIndex(std::string_view s, int n) { return static_cast<int>(CharStart(s, n)) + 1; }

bool JIsTrailByte(std::string_view s, int i) {
  if (i < 1 || static_cast<std::size_t>(i) > s.size()) throw EStringIndexError("Illegal Index");
  return i > 1 && IsTrailByteAt(s, static_cast<std::size_t>(i - 1));
}

int JLength(std::string_view s) {
  int n = 0;
  for (std::size_t i = 0; i < s.size(); i += CharLengthAt(s, i)) ++n;
  return n;
}

int JPos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  int n = 1;
  for (std::size_t i = 0; i < s.size(); i += CharLengthAt(s, i), ++n) {
    if (s.size() - i >= sub.size() && s.compare(i, sub.size(), sub) == 0) return n;
  }
  return 0;
}

std::string JCopy(std::string_view s, int index, int count) {
  if (count <= 0) return {};
  const std::size_t start = CharStart(s, std::max(index, 1));
  const std::size_t end = AdvanceChars(s, start, count);
  return std::string(s.substr(start, end - start));
}

void JInsert(std::string_view sub, std::string& s, int index) {
  const std::size_t at = CharStart(s, std::max(index, 1));
  s.insert(at, sub);
}

void JDelete(std::string& s, int index, int count) {
  if (count <= 0) return;
  const std::size_t start = CharStart(s, std::max(index, 1));
  if (start >= s.size()) return;
  const std::size_t end = AdvanceChars(s, start, count);
  s.erase(start, end - start);
}

void JFetchToken(std::string& s, std::string_view delimiters, std::string& head) {
  if (!delimiters.empty()) {
    for (std::size_t i = 0; i < s.size(); i += CharLengthAt(s, i)) {
      if (delimiters.find(s[i]) != std::string_view::npos) {
        std::string token = s.substr(0, i);
        s.erase(0, i + 1);
        head = std::move(token);
        return;
      }
    }
  }
  head = std::move(s);
  s.clear();
}

std::string JFetchToken(std::string& s, std::string_view delimiters) {
  std::string head;
  JFetchToken(s, delimiters, head);
  return head;
}

std::string JTrimLeft(std::string_view s) {
  std::size_t i = 0;
  for (;;) {
    if (i < s.size() && s[i] == ' ') {
      i += 1;
    } else if (IsFullWidthSpaceAt(s, i)) {
      i += 2;
    } else {
      break;
    }
  }
  return std::string(s.substr(i));
}

std::string JTrimRight(std::string_view s) {
  std::size_t end = s.size();
  for (;;) {
    if (end > 0 && s[end - 1] == ' ') {
      end -= 1;
    } else if (end > 1 && Byte(s, end - 1) == 0x40 && Byte(s, end - 2) == 0x81 &&
               IsTrailByteAt(s.substr(0, end), end - 1)) {
      end -= 2;
    } else {
      break;
    }
  }
  return std::string(s.substr(0, end));
}

std::string JTrim(std::string_view s) { return JTrimRight(JTrimLeft(s)); }

int JCharCodeAt(std::string_view s, int n) {
  if (n < 1) return 0;
  const std::size_t i = CharStart(s, n);
  if (i >= s.size()) return 0;
  if (CharLengthAt(s, i) == 2) return Byte(s, i) * 256 + Byte(s, i + 1);
  return Byte(s, i);
}

std::string HanToZen(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (std::size_t i = 0; i < s.size();) {
    if (CharLengthAt(s, i) == 2) {
      out.append(s.substr(i, 2));
      i += 2;
      continue;
    }
    const std::uint8_t b = Byte(s, i);
    const std::uint8_t next = i + 1 < s.size() ? Byte(s, i + 1) : 0;
    if (next == 0xDE && sjis_tables::kVoiced[b] != 0) {
      AppendCode(out, sjis_tables::kVoiced[b]);
      i += 2;
    } else if (next == 0xDF && sjis_tables::kSemiVoiced[b] != 0) {
      AppendCode(out, sjis_tables::kSemiVoiced[b]);
      i += 2;
    } else {
      if (sjis_tables::kHanToZen[b] != 0) AppendCode(out, sjis_tables::kHanToZen[b]);
      i += 1;
    }
  }
  return out;
}

std::string ZenToHan(std::string_view s) {
  const CodePair* begin = sjis_tables::kZenToHan;
  const CodePair* end = begin + sjis_tables::kZenToHanCount;
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (CharLengthAt(s, i) == 1) {
      out.push_back(s[i]);
      i += 1;
      continue;
    }
    const auto code = static_cast<std::uint16_t>(Byte(s, i) << 8 | Byte(s, i + 1));
    const CodePair* found =
        std::lower_bound(begin, end, code, [](const CodePair& p, std::uint16_t c) { return p.from < c; });
    if (found != end && found->from == code) AppendCode(out, found->to);
    i += 2;
  }
  return out;
}

std::uint16_t FoldLowerCode(std::uint16_t code) { return LowerTable()(code); }
std::uint16_t FoldUpperCode(std::uint16_t code) { return UpperTable()(code); }

std::string Cp932LowerCase(std::string_view s) { return Fold(s, LowerTable()); }
std::string Cp932UpperCase(std::string_view s) { return Fold(s, UpperTable()); }

int Cp932CompareText(std::string_view a, std::string_view b) {
  const FoldTable& table = LowerTable();
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    // ASCII against ASCII, the common case of names, needs no table.
    const std::uint8_t a0 = Byte(a, i);
    const std::uint8_t b0 = Byte(b, j);
    if (a0 < 0x80 && b0 < 0x80) {
      const int fa = AsciiLower(a0);
      const int fb = AsciiLower(b0);
      if (fa != fb) return fa - fb;
      ++i;
      ++j;
      continue;
    }
    const std::size_t la = CharLengthAt(a, i);
    const std::size_t lb = CharLengthAt(b, j);
    const std::uint16_t ca = la == 2 ? static_cast<std::uint16_t>(Byte(a, i) << 8 | Byte(a, i + 1)) : Byte(a, i);
    const std::uint16_t cb = lb == 2 ? static_cast<std::uint16_t>(Byte(b, j) << 8 | Byte(b, j + 1)) : Byte(b, j);
    const std::uint16_t fa = table(ca);
    const std::uint16_t fb = table(cb);
    if (fa != fb) {
      // Order as the folded bytes would: compare the first bytes, then the second ones.
      const int a0 = la == 2 ? fa >> 8 : fa;
      const int b0 = lb == 2 ? fb >> 8 : fb;
      if (a0 != b0) return a0 - b0;
      const int a1 = la == 2 ? fa & 0xFF : (i + 1 < a.size() ? table(Byte(a, i + 1)) : -1);
      const int b1 = lb == 2 ? fb & 0xFF : (j + 1 < b.size() ? table(Byte(b, j + 1)) : -1);
      return a1 - b1;
    }
    i += la;
    j += lb;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool Cp932SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Cp932CompareText(a, b) == 0;
}

std::uint32_t Cp932FoldedHash(std::string_view s) {
  std::uint32_t hash = 2166136261u;
  auto feed = [&hash](unsigned byte) { hash = (hash ^ byte) * 16777619u; };
  std::size_t i = 0;
  while (i < s.size() && Byte(s, i) < 0x80) feed(AsciiLower(Byte(s, i++)));
  if (i == s.size()) return hash;
  const FoldTable& table = LowerTable();
  while (i < s.size()) {
    if (CharLengthAt(s, i) == 2) {
      const std::uint16_t folded = table(static_cast<std::uint16_t>(Byte(s, i) << 8 | Byte(s, i + 1)));
      feed(folded >> 8);
      feed(folded & 0xFF);
      i += 2;
    } else {
      feed(table(Byte(s, i)));
      i += 1;
    }
  }
  return hash;
}

std::uint8_t LowerFoldedByteAt(std::string_view s, std::size_t i) {
  if (Byte(s, i) < 0x80 && (i == 0 || !IsLeadByte(s[i - 1]))) return AsciiLower(Byte(s, i));
  const FoldTable& table = LowerTable();
  std::size_t start = i;
  if (IsTrailByteAt(s, i)) start = i - 1;
  if (CharLengthAt(s, start) == 1) return static_cast<std::uint8_t>(table(Byte(s, start)));
  const std::uint16_t folded = table(static_cast<std::uint16_t>(Byte(s, start) << 8 | Byte(s, start + 1)));
  return static_cast<std::uint8_t>(start == i ? folded >> 8 : folded & 0xFF);
}

}  // namespace vorn
