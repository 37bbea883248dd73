#include "app/sound_options.h"

#include <algorithm>

namespace vorn {

std::int32_t ClampDelayTime(std::int32_t milliseconds) {
  return std::min(std::max((milliseconds / 100) * 100, 100), 500);
}

SoundOptions ReadSoundOptions(const platform::IniFile& ini) {
  SoundOptions options;
  options.direct_sound = ini.ReadBool("Sound", "DirectSound", options.direct_sound);
  options.delay_time = ClampDelayTime(ini.ReadInteger("Sound", "DelayTime", options.delay_time));
  return options;
}

}  // namespace vorn
