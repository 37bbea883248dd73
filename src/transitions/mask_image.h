#pragma once

// The mask picture of WP_MASKFADE, WP_MASKWHITE and WP_MASKBLACK: a layered image from the
// project's files whose grey levels decide when each pixel of the screen changes.

#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

// The grey of one colour: white 255, black 0, in proportion to how bright the eye finds it.
inline int MaskGrey(int red, int green, int blue) { return (red * 77 + green * 151 + blue * 28) >> 8; }

// grey − 255 (−255..0) for each pixel of a width × height screen, row by row, with the named
// picture's first frame repeated from the top-left corner (its negative when invert is set). A
// name that gives no usable picture leaves every offset 0, as a white picture would, with a log
// line naming the file; this never throws.
std::vector<std::int16_t> MaskImageOffsets(const std::string& name, bool invert, int width,
                                           int height);

}  // namespace vorn
