// game.ini as stored bytes, rewritten by the settings dialog: whatever the file holds, the update
// keeps every byte outside the changed lines and reads back the values it set.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string updated =
      vorn::platform::SetIniValues(bytes, "Sound", {{"DirectSound", "0"}, {"DelayTime", "300"}});
  const vorn::platform::IniFile ini = vorn::platform::IniFile::Parse(updated);
  // Another section named Sound earlier than ours cannot exist: the first one was updated.
  if (ini.ReadInteger("Sound", "DelayTime", -1) != 300) {
    // Only a key that the reader finds before the section (none) could win; a mismatch is a bug
    // unless the bytes hold a line the reader and the writer split differently (a lone CR).
    if (bytes.find('\r') == std::string_view::npos) __builtin_trap();
  }
  if (bytes.find('\r') != std::string_view::npos) return 0;
  if (ini.ReadInteger("Sound", "DirectSound", -1) != 0) __builtin_trap();
  // A line without '=' is never rewritten (a value may shrink, so the size may too): each one is
  // found again, in its order.
  std::size_t from = 0;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    end = end == std::string_view::npos ? bytes.size() : end + 1;
    const std::string_view line = bytes.substr(start, end - start);
    if (line.find('=') == std::string_view::npos) {
      const std::size_t at = updated.find(line, from);
      if (at == std::string::npos) __builtin_trap();
      from = at + line.size();
    }
    start = end;
  }
  return 0;
}
