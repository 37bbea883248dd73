#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/engine_seams.h"

namespace vorn {

// The MIDI output devices of a host without any: the mapper alone, always selected.
class TAppMidiControl final : public TMidiControl {
 public:
  std::int32_t GetDeviceCount() const override { return 1; }
  std::string GetDeviceNames(std::int32_t index) const override;
  std::string GetDeviceName() const override;
  void SetDeviceName(std::string_view) override {}
};

}  // namespace vorn
