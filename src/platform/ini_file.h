#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::platform {

// Read-only view of an ini file. Section and key names ignore ASCII case, blanks around names and
// values are trimmed, the first occurrence of a key wins (also across repeated sections), lines
// starting with ";" are comments, and CRLF or LF end lines. Anything unreadable reads as the
// default, so a damaged file never stops the player.
class IniFile {
 public:
  IniFile() = default;
  static IniFile Parse(std::string_view bytes);
  // An absent or unreadable file is an empty one.
  static IniFile Load(const std::string& path);

  // Nothing when the key is absent.
  const std::string* Find(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key, const std::string& fallback) const;
  // Optional sign, then decimal digits or "$"/"0x" and hex digits; anything else or a value
  // outside int32 gives the default.
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t fallback) const;
  // An integer that is not 0; words such as "true" are not integers and give the default.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

 private:
  struct Entry {
    std::string section;  // upper-cased
    std::string key;      // upper-cased
    std::string value;
  };
  std::vector<Entry> entries_;
};

// The integer rule of IniFile::ReadInteger; false when text is not such an integer.
bool ParseIniInteger(std::string_view text, std::int32_t& value);

}  // namespace vorn::platform
