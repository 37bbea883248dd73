// game.ini as stored bytes: any content must read as values or defaults, never crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/sound_options.h"
#include "platform/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const vorn::platform::IniFile ini =
      vorn::platform::IniFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  const vorn::SoundOptions options = vorn::ReadSoundOptions(ini);
  if (options.delay_time < 100 || options.delay_time > 500 || options.delay_time % 100 != 0) __builtin_trap();
  ini.ReadString("Sound", "", "");
  ini.ReadInteger("", "", 0);
  return 0;
}
