#include "platform/ini_file.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace vorn::platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return result;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseIniInteger(std::string_view text, std::int32_t& value) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  for (char c : text) {
    const int digit = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0) return false;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return false;
  }
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return true;
}

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile ini;
  std::string section;
  bool in_section = false;
  while (!bytes.empty()) {
    const auto end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const auto close = line.find(']');
      if (close == std::string_view::npos) continue;
      section = Upper(Trim(line.substr(1, close - 1)));
      in_section = true;
      continue;
    }
    const auto equals = line.find('=');
    if (!in_section || equals == std::string_view::npos) continue;
    std::string key = Upper(Trim(line.substr(0, equals)));
    if (key.empty() || ini.Find(section, key) != nullptr) continue;
    ini.entries_.push_back(Entry{section, std::move(key), std::string(Trim(line.substr(equals + 1)))});
  }
  return ini;
}

IniFile IniFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return IniFile();
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return IniFile();
  return Parse(content.str());
}

const std::string* IniFile::Find(std::string_view section, std::string_view key) const {
  const std::string wanted_section = Upper(Trim(section));
  const std::string wanted_key = Upper(Trim(key));
  for (const Entry& entry : entries_) {
    if (entry.section == wanted_section && entry.key == wanted_key) return &entry.value;
  }
  return nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                const std::string& fallback) const {
  const std::string* value = Find(section, key);
  return value ? *value : fallback;
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t fallback) const {
  const std::string* text = Find(section, key);
  std::int32_t value = 0;
  if (text == nullptr || !ParseIniInteger(*text, value)) return fallback;
  return value;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

}  // namespace vorn::platform
