#include <algorithm>
#include <cmath>
#include <cstdint>

#include "transitions/mask_rows.h"
#include "transitions/mask_wipes.h"
#include "transitions/wipe_math.h"

namespace vorn {

namespace {

std::int64_t RoundedHypot(std::int64_t a, std::int64_t b) {
  return RoundToInt32(std::hypot(static_cast<double>(a), static_cast<double>(b)));
}

}  // namespace

std::int64_t TWipeGrid::Span(std::int64_t cols, std::int64_t rows) const {
  return 4 * RoundedHypot(rows - 1, cols - 1);
}

std::int64_t TWipeGrid::Order(std::int64_t col, std::int64_t row, std::int64_t cols,
                              std::int64_t rows) const {
  return Reversed() ? RoundedHypot(rows - 1 - row, cols - 1 - col) : RoundedHypot(row, col);
}

std::int64_t TWipeGridH::Span(std::int64_t cols, std::int64_t) const { return 4 * cols; }

std::int64_t TWipeGridH::Order(std::int64_t col, std::int64_t, std::int64_t cols,
                               std::int64_t) const {
  return Reversed() ? cols - col - 1 : col;
}

// One band of cells: the rows below it repeat it.
int TWipeGridH::MaskHeight() {
  return std::max(1, std::min(std::max(Param(0), 2), Target().GetHeight()));
}

std::int64_t TWipeGridV::Span(std::int64_t, std::int64_t rows) const { return 4 * rows; }

std::int64_t TWipeGridV::Order(std::int64_t, std::int64_t row, std::int64_t,
                               std::int64_t rows) const {
  return Reversed() ? rows - row - 1 : row;
}

bool TWipeGrid::UpdateMask() {
  const std::int64_t p0 = Param(0), p1 = Param(1);
  const std::int64_t width = MaskSurface().GetWidth();
  const std::int64_t height = MaskSurface().GetHeight();
  const std::int64_t cols = (width + p0 - 1) / p0;
  const std::int64_t rows = (height + p0 - 1) / p0;
  const std::int64_t e = ScaledProgress(std::max<std::int64_t>(0, p1 + Span(cols, rows) - 4));
  if (e == LastValue) return false;
  LastValue = e;
  TwoLevel = p1 < 2 ? 1 : 0;
  MaskRows mask(MaskSurface());
  if (!mask.Valid()) return true;
  mask.Clear(0);
  for (std::int64_t r = 0; r < rows; ++r)
    for (std::int64_t c = 0; c < cols; ++c) {
      const std::int64_t h = 4 * Order(c, r, cols, rows);
      const std::uint8_t v = MaskRamp(e - h, p1);
      if (v == 0) continue;
      const std::int64_t side = std::min(p0, p0 * (e - h) / p1);
      if (side <= 0) continue;
      const std::int64_t margin = (p0 - side) / 2;
      const std::int64_t left = c * p0 + margin, top = r * p0 + margin;
      mask.FillRect(left, top, left + side, top + side, v);
    }
  return true;
}

}  // namespace vorn
