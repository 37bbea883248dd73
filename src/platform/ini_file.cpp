#include "platform/ini_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <iterator>
#include <sstream>

#include "platform/file_replace.h"
#include "platform/file_sync.h"

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

// Section and key in one map key; no name holds a line feed, so the pair stays unambiguous.
std::string EntryKey(std::string_view section, std::string_view key) {
  std::string joined;
  joined.reserve(section.size() + 1 + key.size());
  joined.append(section).append(1, '\n').append(key);
  return joined;
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
    const std::string key = Upper(Trim(line.substr(0, equals)));
    if (key.empty()) continue;
    // The first occurrence wins: a later one finds its place taken.
    ini.entries_.try_emplace(EntryKey(section, key), Trim(line.substr(equals + 1)));
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
  const auto found = entries_.find(EntryKey(Upper(Trim(section)), Upper(Trim(key))));
  return found == entries_.end() ? nullptr : &found->second;
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

namespace vorn::platform {
namespace {

struct IniLine {
  std::size_t begin = 0;    // offset of the line
  std::size_t content = 0;  // its length without the line ending
  std::size_t end = 0;      // offset after its line ending
};

std::vector<IniLine> SplitLines(std::string_view bytes) {
  std::vector<IniLine> lines;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t newline = bytes.find('\n', at);
    IniLine line;
    line.begin = at;
    line.end = newline == std::string_view::npos ? bytes.size() : newline + 1;
    std::size_t stop = newline == std::string_view::npos ? bytes.size() : newline;
    if (stop > at && bytes[stop - 1] == '\r') --stop;
    line.content = stop - at;
    lines.push_back(line);
    at = line.end;
  }
  return lines;
}

// The section name of a "[...]" line, upper-cased; nothing for other lines.
std::optional<std::string> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const auto close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Upper(Trim(line.substr(1, close - 1)));
}

}  // namespace

std::string SetIniValues(std::string_view bytes, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& values) {
  const std::vector<IniLine> lines = SplitLines(bytes);
  const std::string newline = bytes.find("\r\n") != std::string_view::npos || bytes.find('\n') == std::string_view::npos
                                  ? "\r\n"
                                  : "\n";
  const std::string wanted = Upper(Trim(section));
  // The first section of that name: from its header line to the next header.
  std::size_t header = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionOf(bytes.substr(lines[i].begin, lines[i].content));
    if (name && *name == wanted) {
      header = i;
      break;
    }
  }
  std::string result;
  if (header == lines.size()) {
    result.assign(bytes);
    if (!result.empty() && result.back() != '\n') result += newline;
    result += "[" + std::string(section) + "]" + newline;
    for (const auto& [key, value] : values) result += key + "=" + value + newline;
    return result;
  }
  std::size_t stop = header + 1;
  while (stop < lines.size() && !SectionOf(bytes.substr(lines[stop].begin, lines[stop].content))) ++stop;

  std::vector<std::optional<std::size_t>> found(values.size());
  for (std::size_t i = header + 1; i < stop; ++i) {
    const std::string_view line = Trim(bytes.substr(lines[i].begin, lines[i].content));
    if (line.empty() || line.front() == ';') continue;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string key = Upper(Trim(line.substr(0, equals)));
    for (std::size_t k = 0; k < values.size(); ++k) {
      if (!found[k] && Upper(values[k].first) == key) found[k] = i;
    }
  }
  // Missing keys go after the section's last line that is not blank.
  std::size_t last = header;
  for (std::size_t i = header + 1; i < stop; ++i) {
    if (!Trim(bytes.substr(lines[i].begin, lines[i].content)).empty()) last = i;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const IniLine& line = lines[i];
    std::size_t k = 0;
    for (; k < values.size(); ++k) {
      if (found[k] && *found[k] == i) break;
    }
    if (k < values.size()) {
      const std::string_view text = bytes.substr(line.begin, line.content);
      const std::size_t equals = text.find('=');
      result.append(text.substr(0, equals + 1));
      result += values[k].second;
      result.append(bytes.substr(line.begin + line.content, line.end - line.begin - line.content));
    } else {
      result.append(bytes.substr(line.begin, line.end - line.begin));
    }
    if (i == last) {
      if (!result.empty() && result.back() != '\n') result += newline;
      for (std::size_t m = 0; m < values.size(); ++m) {
        if (!found[m]) result += values[m].first + "=" + values[m].second + newline;
      }
    }
  }
  return result;
}

bool SaveIniBytes(const std::string& path, std::string_view bytes, std::string& reason) {
  const ReplaceResult replaced = ReplaceFileBytes(path, bytes.data(), bytes.size());
  if (replaced) {
    reason.clear();
    return true;
  }
  reason = replaced.reason;
  if (replaced.failure != ReplaceFailure::kCreate) return false;
  // The folder refused the temporary file: an existing file the user may write is written in
  // place (a file the user may not write was refused before the folder was asked, and stays so).
  const std::string& target = replaced.target;
  std::error_code error;
  if (!std::filesystem::is_regular_file(target, error) || ::access(target.c_str(), W_OK) != 0) return false;
  errno = 0;
  std::fstream in_place(target, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
  if (!in_place) {
    reason = std::strerror(errno != 0 ? errno : EACCES);
    return false;
  }
  in_place.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  in_place.close();
  if (!in_place) {
    reason = std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  SyncFile(target);
  reason.clear();
  return true;
}

}  // namespace vorn::platform
