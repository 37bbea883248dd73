#include "text/tag.h"

#include <array>

#include "foundation/sjis.h"
#include "text/text_values.h"

namespace vorn {

namespace {

struct TagName {
  std::string_view name;
  int id;
};

constexpr std::array<TagName, 27> kTagTable{{
    {"A", kTagA},         {"/A", kTagEndA},       {"B", kTagB},           {"/B", kTagEndB},
    {"FONT", kTagFont},   {"/FONT", kTagEndFont}, {"I", kTagI},           {"/I", kTagEndI},
    {"S", kTagS},         {"/S", kTagEndS},       {"U", kTagU},           {"/U", kTagEndU},
    {"NOBR", kTagNoBr},   {"/NOBR", kTagEndNoBr}, {"RUBY", kTagRuby},     {"/RUBY", kTagEndRuby},
    {"DIV", kTagDiv},     {"/DIV", kTagEndDiv},   {"INDENT", kTagIndent}, {"UNDENT", kTagUndent},
    {"BR", kTagBr},       {"CLEAR", kTagClear},   {"EVENT", kTagEvent},   {"WAIT", kTagWait},
    {"/WAIT", kTagEndWait}, {"VAR", kTagVar},     {"IMG", kTagImg},
}};

struct AlignWord {
  std::string_view word;
  std::uint8_t value;
};

constexpr std::array<AlignWord, 5> kAlignWords{{
    {"LEFT", kAlignLeft}, {"RIGHT", kAlignRight}, {"CENTER", kAlignCenter}, {"TOP", kAlignTop}, {"BOTTOM", kAlignBottom},
}};

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Control bytes and spaces at both ends go, as the text inside a tag is trimmed.
std::string_view TrimControls(std::string_view s) {
  std::size_t start = 0;
  while (start < s.size() && static_cast<std::uint8_t>(s[start]) <= 0x20) ++start;
  std::size_t end = s.size();
  while (end > start && static_cast<std::uint8_t>(s[end - 1]) <= 0x20) --end;
  return s.substr(start, end - start);
}

std::string_view NameOf(std::string_view line) { return line.substr(0, line.find('\r')); }

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

std::string FetchAttribute(std::string_view& rest) {
  rest = TrimControls(rest);
  if (rest.empty()) return {};
  std::size_t i = 0;
  while (i < rest.size() && rest[i] != ' ' && rest[i] != '=') i += CharLengthAt(rest, i);
  std::string token(rest.substr(0, i));
  token += '\r';
  rest.remove_prefix(i);
  if (rest.size() > 1 && rest[0] != ' ') {
    rest.remove_prefix(1);
    char quote = rest[0];
    std::size_t space = rest.find(' ');
    if (quote == '"' || quote == '\'') {
      std::size_t close = rest.find(quote, 1);
      if (close != std::string_view::npos) {
        token += rest.substr(1, close - 1);
        rest.remove_prefix(close + 1);
      } else {
        // Without its closing quote the value runs to the next space.
        token += rest.substr(1, space == std::string_view::npos ? std::string_view::npos : space - 1);
        rest.remove_prefix(space == std::string_view::npos ? rest.size() : space);
      }
    } else {
      token += rest.substr(0, space);
      rest.remove_prefix(space == std::string_view::npos ? rest.size() : space);
    }
  } else if (rest == "=") {
    // "SIZE=" at the end: an empty value, and the tag ends.
    rest = {};
  }
  return token;
}

void TTag::Parse(std::string_view item) {
  lines_.clear();
  if (item.size() <= 1 || item.front() != '<' || item.back() != '>' || StartsWith(item, "<!--") ||
      StartsWith(item, "<SCRIPT") || StartsWith(item, "<STYLE")) {
    text_ = std::string(item);
    return;
  }
  std::string_view rest = item.substr(1, item.size() - 2);
  std::string first = FetchAttribute(rest);
  // Appended piece by piece: prepending to a temporary trips GCC's -Wrestrict at -O3.
  text_.assign(1, '<');
  text_.append(NameOf(first));
  text_.push_back('>');
  while (!rest.empty()) {
    std::string token = FetchAttribute(rest);
    if (token.size() > 1) lines_.push_back(std::move(token));
  }
}

int TTag::TagId() const {
  if (text_.size() <= 2 || text_.front() != '<' || text_.back() != '>') return kTagNone;
  std::string_view name = std::string_view(text_).substr(1, text_.size() - 2);
  for (const TagName& entry : kTagTable) {
    if (Cp932SameText(entry.name, name)) return entry.id;
  }
  return kTagUnknown;
}

int TTag::IndexOfAttr(std::string_view name) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (Cp932SameText(NameOf(lines_[i]), name)) return static_cast<int>(i);
  }
  return -1;
}

std::string TTag::AttrValue(std::string_view name, std::string_view fallback) const {
  int index = IndexOfAttr(name);
  if (index < 0) return std::string(fallback);
  const std::string& line = lines_[static_cast<std::size_t>(index)];
  std::size_t cr = line.find('\r');
  return cr == std::string::npos ? std::string() : line.substr(cr + 1);
}

std::int32_t TTag::AttrColor(std::string_view name, std::int32_t fallback) const {
  if (IndexOfAttr(name) < 0) return fallback;
  std::string value = AttrValue(name, "");
  if (value.empty() || value[0] != '#') return fallback;
  std::string digits = JCopy(value, 2, 6);
  if (digits.empty()) return fallback;
  std::uint32_t number = 0;
  for (char c : digits) {
    if (!IsHexDigit(c)) return fallback;
    number = number * 16 + static_cast<std::uint32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  std::uint32_t swapped = ((number & 0xFF) << 16) | (number & 0xFF00) | ((number >> 16) & 0xFF);
  return static_cast<std::int32_t>(swapped);
}

std::uint8_t TTag::AttrAlign(std::initializer_list<std::uint8_t> allowed, std::uint8_t fallback) const {
  std::string value = AttrValue("ALIGN", "");
  for (const AlignWord& word : kAlignWords) {
    bool permitted = false;
    for (std::uint8_t a : allowed) permitted = permitted || a == word.value;
    if (permitted && Cp932SameText(word.word, value)) return word.value;
  }
  return fallback;
}

}  // namespace vorn
