#pragma once

// Solid sectors and discs on the 8-bit mask, drawn row by row.

#include <cstdint>

#include "transitions/mask_rows.h"

namespace vorn {

// Sets every pixel whose centre lies in the closed sector about the corner point (cx, cy),
// swept from angle `first` through `sweep` radians of increasing angle (clockwise on screen,
// y downwards). A sweep of 0 or less sets nothing; 2π or more sets everything.
void FillMaskSector(const MaskRows& mask, int cx, int cy, double first, double sweep,
                    std::uint8_t value);

// Sets every pixel whose whole square lies strictly inside the circle of radius r about the
// corner point (cx, cy).
void FillMaskDisc(const MaskRows& mask, int cx, int cy, std::int64_t r, std::uint8_t value);

}  // namespace vorn
