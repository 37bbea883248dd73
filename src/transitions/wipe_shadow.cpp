#include <array>
#include <cstdint>

#include "transitions/mask_image.h"
#include "transitions/mask_rows.h"
#include "transitions/mask_wipes.h"

namespace vorn {

namespace {

// ramp[k]: 0 up to 255, then rising by one a step to 255 at 511, then 255.
constexpr std::array<std::uint8_t, 768> MakeFadeRamp() {
  std::array<std::uint8_t, 768> ramp{};
  for (int k = 0; k < 768; ++k) ramp[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k <= 255 ? 0 : k <= 511 ? k - 256 : 255);
  return ramp;
}

constexpr std::array<std::uint8_t, 768> kFadeRamp = MakeFadeRamp();

}  // namespace

void TWipeShadow::Prepare() {
  TWipeMask::Prepare();
  offsets_ = MaskImageOffsets(MaskName(), Reversed(), MaskSurface().GetWidth(), MaskSurface().GetHeight());
}

bool TWipeShadow::UpdateMask() {
  const std::int64_t index = ScaledProgress(512) + 255;
  if (index == LastValue) return false;
  LastValue = index;
  TwoLevel = 0;
  MaskRows mask(MaskSurface());
  const std::size_t needed = static_cast<std::size_t>(mask.Width()) * static_cast<std::size_t>(mask.Height());
  if (!mask.Valid() || offsets_.size() != needed) return true;
  // index + offset stays inside the ramp: index is 255..766, offsets are -255..0.
  const std::uint8_t* ramp = kFadeRamp.data() + index;
  const std::int16_t* offset = offsets_.data();
  for (int y = 0; y < mask.Height(); ++y) {
    std::uint8_t* row = mask.Row(y);
    for (int x = 0; x < mask.Width(); ++x) row[x] = ramp[*offset++];
  }
  return true;
}

}  // namespace vorn
