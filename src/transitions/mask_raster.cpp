#include "transitions/mask_raster.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorn {

namespace {

// Sign of the angle from ray a to the point (x, y) relative to the apex: the cross product, so
// that no angle is computed per pixel.
inline double Cross(double ax, double ay, double x, double y) { return ax * y - ay * x; }

}  // namespace

void FillMaskSector(const MaskRows& mask, int cx, int cy, double first, double sweep,
                    std::uint8_t value) {
  if (!mask.Valid() || !(sweep > 0)) return;
  if (sweep >= 2 * std::numbers::pi) {
    mask.Clear(value);
    return;
  }
  const double ax = std::cos(first), ay = std::sin(first);
  const double bx = std::cos(first + sweep), by = std::sin(first + sweep);
  // Up to a half turn the sector is the meeting of two closed half planes; beyond it, the
  // complement of the open sector from the last ray round to the first.
  const bool narrow = sweep <= std::numbers::pi;
  for (int y = 0; y < mask.Height(); ++y) {
    std::uint8_t* row = mask.Row(y);
    const double dy = y + 0.5 - cy;
    for (int x = 0; x < mask.Width(); ++x) {
      const double dx = x + 0.5 - cx;
      const bool in = narrow ? Cross(ax, ay, dx, dy) >= 0 && Cross(dx, dy, bx, by) >= 0
                             : !(Cross(bx, by, dx, dy) > 0 && Cross(dx, dy, ax, ay) > 0);
      if (in) row[x] = value;
    }
  }
}

void FillMaskDisc(const MaskRows& mask, int cx, int cy, std::int64_t r, std::uint8_t value) {
  if (!mask.Valid() || r <= 0) return;
  const std::int64_t r2 = r * r;
  for (int y = 0; y < mask.Height(); ++y) {
    // The square's corner farthest from the centre decides.
    const std::int64_t dy = std::max(std::abs(std::int64_t{y} - cy), std::abs(std::int64_t{y} + 1 - cy));
    const std::int64_t rest = r2 - dy * dy;
    if (rest <= 0) continue;
    std::uint8_t* row = mask.Row(y);
    for (int x = 0; x < mask.Width(); ++x) {
      const std::int64_t dx = std::max(std::abs(std::int64_t{x} - cx), std::abs(std::int64_t{x} + 1 - cx));
      if (dx * dx < rest) row[x] = value;
    }
  }
}

}  // namespace vorn
