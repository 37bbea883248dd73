#pragma once

// Animated cursor files: a RIFF "ACON" form holding a header, optional step rates and a step
// sequence, and one whole icon or cursor file per frame.

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/rect.h"
#include "foundation/stream.h"
#include "graphics/dib_surface.h"

namespace vorn {

// Durations in the file count jiffies of 1/60 s.
inline constexpr std::uint32_t kAniJiffiesPerSecond = 60;

struct TAniFrame {
  // The frame's first image, with its alpha plane.
  std::unique_ptr<TDIBSurface> picture;
  // From the frame's directory; (0, 0) for an icon frame.
  TPoint hot_spot;
};

struct TAniStep {
  std::uint32_t frame = 0;
  std::uint32_t jiffies = 1;  // never 0
};

struct TAniCursor {
  std::vector<TAniFrame> frames;
  std::vector<TAniStep> steps;  // shown in order, looping
};

// Reads the whole stream. Raises EInvalidGraphic for anything that is not a complete animated
// cursor whose frames are icon or cursor files, EReadError when a frame's bytes run short.
TAniCursor ReadAniCursor(TStream& stream);

}  // namespace vorn
