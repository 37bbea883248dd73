#include "transitions/custom_wipe.h"

#include <algorithm>

#include "graphics/custom_dibx.h"

namespace vorn {

TCustomWipe::TCustomWipe(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to)
    : target_(target), from_(from), to_(to) {}

TCustomWipe::~TCustomWipe() = default;

void TCustomWipe::SetDirection(std::uint8_t direction) { direction_ = direction; }

std::int32_t TCustomWipe::GetParam(int number) {
  if (number != 0 && number != 1) return 0;
  return Param(number);
}

void TCustomWipe::SetParam(int number, std::int32_t value) { StoreParam(number, value); }

void TCustomWipe::StoreParam(int number, std::int32_t value) {
  if (number != 0 && number != 1) return;
  params_[static_cast<std::size_t>(number)] = value;
}

void TCustomWipe::SetMaskName(const std::string& name) { maskName_ = name; }

void TCustomWipe::Prepare() {}

bool TCustomWipe::Draw() { return false; }

void TCustomWipe::Finish() {}

std::int64_t TCustomWipe::Elapsed() const { return std::max<std::int64_t>(Current, 0); }

bool TCustomWipe::Done() const { return Elapsed() >= Total; }

bool TCustomWipe::BeginFrame() {
  const TRect bounds = target_.GetBoundsRect();
  DrawnRect = bounds;
  if (Done()) return false;
  target_.AddDirtyRect(bounds);
  return true;
}

std::int64_t TCustomWipe::ScaledProgress(std::int64_t scale) const {
  if (Total <= 0) return scale;
  // Split so that a scale near the int32 limits times an hour-long time stays inside 64 bits.
  const std::int64_t t = Elapsed();
  return scale / Total * t + scale % Total * t / Total;
}

}  // namespace vorn
