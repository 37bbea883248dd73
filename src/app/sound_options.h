#pragma once

#include <cstdint>

#include "platform/ini_file.h"

namespace vorn {

struct SoundOptions {
  bool direct_sound = true;
  std::int32_t delay_time = 500;  // ms
};

// Truncated to a multiple of 100 (toward zero), then clamped to 100..500.
std::int32_t ClampDelayTime(std::int32_t milliseconds);

// Section "Sound" of game.ini: DirectSound and DelayTime, defaults for what cannot be read.
SoundOptions ReadSoundOptions(const platform::IniFile& ini);

}  // namespace vorn
