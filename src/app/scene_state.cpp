#include "app/scene_state.h"

#include "foundation/system_texts.h"

namespace vorn {
std::string TAppMidiControl::GetDeviceNames(std::int32_t) const { return std::string(texts::kMidiMapperName); }

std::string TAppMidiControl::GetDeviceName() const { return std::string(texts::kMidiMapperName); }

}  // namespace vorn
