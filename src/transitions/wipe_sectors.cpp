#include <cmath>
#include <numbers>

#include "transitions/mask_raster.h"
#include "transitions/mask_wipes.h"
#include "transitions/wipe_math.h"

namespace vorn {

namespace {

constexpr double kPi = std::numbers::pi;

// Degrees clockwise from straight up, as radians of the screen's angle (0 = right, y down).
double StartAngleOf(std::int32_t degrees) { return static_cast<double>(degrees) * 2 * kPi / 360 - kPi / 2; }

}  // namespace

void TWipeUnclampedMask::SetParam(int number, std::int32_t value) { StoreParam(number, value); }

TWipeSectorMask::TWipeSectorMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to)
    : TWipeUnclampedMask(target, from, to), StartAngle(StartAngleOf(0)), LastAngle(StartAngle) {}

// The first step (t = 0) then finds its angle unchanged and draws nothing.
void TWipeSectorMask::SetParam(int number, std::int32_t value) {
  TWipeUnclampedMask::SetParam(number, value);
  if (number != 0) return;
  StartAngle = StartAngleOf(value);
  LastAngle = StartAngle;
}

bool TWipeSectorMask::UpdateMask() {
  const double fraction = Total > 0 ? static_cast<double>(Elapsed()) / Total : 1.0;
  const double angle = NewAngle(fraction);
  if (angle == LastAngle) return false;
  LastAngle = angle;
  MaskRows mask(MaskSurface());
  if (!mask.Valid()) return true;
  mask.Clear(0);
  DrawSectors(fraction);
  return true;
}

void TWipeSectorMask::FillSector(double first, double last) {
  MaskRows mask(MaskSurface());
  FillMaskSector(mask, mask.Width() / 2, mask.Height() / 2, first, last - first, 255);
}

double TWipeClockhand::NewAngle(double fraction) const {
  return Reversed() ? StartAngle - 2 * kPi * fraction : StartAngle + 2 * kPi * fraction;
}

void TWipeClockhand::DrawSectors(double fraction) {
  const double hand = NewAngle(fraction);
  if (Reversed())
    FillSector(hand, StartAngle);
  else
    FillSector(StartAngle, hand);
}

double TWipeFan::NewAngle(double fraction) const { return StartAngle + kPi * fraction; }

void TWipeFan::DrawSectors(double fraction) {
  FillSector(StartAngle - kPi * fraction, StartAngle + kPi * fraction);
}

double TWipeWFan::NewAngle(double fraction) const { return StartAngle + kPi / 2 * fraction; }

void TWipeWFan::DrawSectors(double fraction) {
  const double half = kPi / 2 * fraction;
  FillSector(StartAngle - half, StartAngle + half);
  FillSector(StartAngle + kPi - half, StartAngle + kPi + half);
}

// --- circle ---

bool TWipeCircle::UpdateMask() {
  MaskRows mask(MaskSurface());
  const int cx = MaskSurface().GetWidth() / 2, cy = MaskSurface().GetHeight() / 2;
  const double reach = std::hypot(static_cast<double>(cx), static_cast<double>(cy));
  const std::int64_t elapsed = Total > 0 ? Elapsed() : 0;
  const std::int64_t shown = Reversed() ? Total - elapsed : elapsed;
  const std::int64_t r = Total > 0 ? RoundToInt32(reach * static_cast<double>(shown) / Total) : 0;
  if (r == LastValue) return false;
  LastValue = r;
  if (!mask.Valid()) return true;
  const std::uint8_t background = Reversed() ? 255 : 0;
  mask.Clear(background);
  FillMaskDisc(mask, cx, cy, r, static_cast<std::uint8_t>(255 - background));
  return true;
}

}  // namespace vorn
