#include <algorithm>
#include <cstdint>

#include "transitions/mask_rows.h"
#include "transitions/mask_wipes.h"

namespace vorn {

namespace {

// Blinds and curtains share their progress: a value that changes only every few steps, so that
// unchanged steps skip the composition.
bool TakeProgress(std::int64_t value, std::int64_t& last) {
  if (value == last) return false;
  last = value;
  return true;
}

}  // namespace

// --- Blinds: p0 = band width, p1 = softness ---

int TWipeBlindH::MaskHeight() { return 1; }

bool TWipeBlindH::UpdateMask() {
  const std::int64_t p0 = Param(0), p1 = Param(1);
  const std::int64_t b = ScaledProgress(p1 + 2 * p0 - 2);
  if (!TakeProgress(b, LastValue)) return false;
  TwoLevel = p1 < 2 ? 1 : 0;
  MaskRows mask(MaskSurface());
  if (!mask.Valid()) return true;
  std::uint8_t* row = mask.Row(0);
  const bool reversed = Reversed();
  for (int x = 0; x < mask.Width(); ++x) {
    const std::int64_t inBand = x % p0;
    const std::int64_t e = reversed ? 2 * (p0 - inBand - 1) : 2 * inBand;
    row[x] = MaskRamp(b - e, p1);
  }
  mask.RepeatFirstRow();
  return true;
}

// One row per row of a band, but never more rows than the target has: the rows below it would
// never be shown, and a huge band width must not allocate them.
int TWipeBlindV::MaskHeight() {
  return std::max(1, std::min(std::max(Param(0), 2), Target().GetHeight()));
}

bool TWipeBlindV::UpdateMask() {
  const std::int64_t p0 = Param(0), p1 = Param(1);
  const std::int64_t b = ScaledProgress(p1 + 2 * p0 - 2);
  if (!TakeProgress(b, LastValue)) return false;
  TwoLevel = p1 < 2 ? 1 : 0;
  MaskRows mask(MaskSurface());
  if (!mask.Valid()) return true;
  const bool reversed = Reversed();
  for (int g = 0; g < mask.Height(); ++g) {
    const std::int64_t e = reversed ? 2 * (p0 - g - 1) : 2 * std::int64_t{g};
    mask.FillRect(0, g, mask.Width(), g + 1, MaskRamp(b - e, p1));
  }
  return true;
}

// --- Curtains: p0 = band width, p1 = softness; each band starts 16 units after the last ---

namespace {

// Progress b of a curtain over `length` columns or rows.
std::int64_t CurtainSpan(std::int64_t length, std::int64_t p0, std::int64_t p1) {
  const std::int64_t bands = (length + p0 - 1) / p0;
  return std::max<std::int64_t>(0, (bands + p0 - 2) * 16 + p1);
}

std::uint8_t CurtainValue(std::int64_t f, std::int64_t b, std::int64_t p0, std::int64_t p1) {
  return MaskRamp(b - 16 * (f / p0 + f % p0), p1);
}

}  // namespace

int TWipeCurtainH::MaskHeight() { return 1; }

bool TWipeCurtainH::UpdateMask() {
  const std::int64_t p0 = Param(0), p1 = Param(1);
  MaskRows mask(MaskSurface());
  const std::int64_t width = MaskSurface().GetWidth();
  const std::int64_t b = ScaledProgress(CurtainSpan(width, p0, p1));
  if (!TakeProgress(b, LastValue)) return false;
  TwoLevel = p1 < 2 ? 1 : 0;
  if (!mask.Valid()) return true;
  std::uint8_t* row = mask.Row(0);
  const bool reversed = Reversed();
  for (int x = 0; x < mask.Width(); ++x)
    row[x] = CurtainValue(reversed ? width - x - 1 : x, b, p0, p1);
  mask.RepeatFirstRow();
  return true;
}

bool TWipeCurtainV::UpdateMask() {
  const std::int64_t p0 = Param(0), p1 = Param(1);
  MaskRows mask(MaskSurface());
  const std::int64_t height = MaskSurface().GetHeight();
  const std::int64_t b = ScaledProgress(CurtainSpan(height, p0, p1));
  if (!TakeProgress(b, LastValue)) return false;
  TwoLevel = p1 < 2 ? 1 : 0;
  if (!mask.Valid()) return true;
  const bool reversed = Reversed();
  for (int y = 0; y < mask.Height(); ++y)
    mask.FillRect(0, y, mask.Width(), y + 1, CurtainValue(reversed ? height - y - 1 : y, b, p0, p1));
  return true;
}

}  // namespace vorn
