#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
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
  // Upper-cased section and key, joined by a line feed, to the value; looked up in constant time,
  // so a file of many keys reads in time linear in its size.
  std::unordered_map<std::string, std::string> entries_;
};

// The bytes of an ini file with the values set in the first section of that name, by the
// reader's rules for names: the first occurrence of each key in that section takes the new value,
// missing keys are added at the section's end, a missing section is appended. Every other byte
// stays as it was; new lines use the file's line ending (CR LF for a new file).
std::string SetIniValues(std::string_view bytes, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& values);

// Writes the whole file through the one replacement routine (platform/file_replace.h): through a
// symbolic link to its target, as a temporary file of its own in the target's folder that is
// synced and renamed over it, the folder synced, the old mode kept; a file the user may not write
// is refused. When the folder takes no new file but the file itself is writable, in place. False
// with the system's reason when it cannot be written.
bool SaveIniBytes(const std::string& path, std::string_view bytes, std::string& reason);

// The integer rule of IniFile::ReadInteger; false when text is not such an integer.
bool ParseIniInteger(std::string_view text, std::int32_t& value);

}  // namespace vorn::platform
