#pragma once

// Cursor files as the platform installs them: an animated cursor (RIFF) with its frames and
// steps, or the first image of an icon or cursor file as a still cursor.

#include <vector>

#include "foundation/stream.h"
#include "platform/cursors.h"

namespace vorn {

// Larger pictures are refused: no desktop shows cursors beyond this, and a file must not make
// the host build one.
inline constexpr int kMaxCursorSide = 256;

struct TCursorPictures {
  std::vector<platform::CursorImage> frames;
  std::vector<platform::CursorStep> steps;  // empty for a still cursor
};

// Raises (vorn::Exception) for anything that is not a cursor this player shows.
TCursorPictures ReadCursorPictures(TStream& stream);

}  // namespace vorn
