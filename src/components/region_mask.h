#pragma once

// The masks an image map draws its frames with: the frame's own mask with a region cut out of it
// (the picture) or with only the region left (the hover picture).

#include "graphics/region.h"

namespace vorn {

class TCustomDIBX;
class TDIBX;

enum class TRegionMaskMode {
  kHole,      // the source mask outside the region, 0 inside
  kOnlyThis,  // the source mask inside the region, 0 outside
};

// Sizes `out` as 8 bits of the source's size (width x height when there is no source, which then
// counts as fully opaque) and fills it. Without a region the source is copied as it is. Rows are
// walked once; the region is asked only for the spans of those rows.
void BuildRegionMask(TCustomDIBX* source, int width, int height, const TRegion* region, TRegionMaskMode mode,
                     TDIBX& out);

}  // namespace vorn
