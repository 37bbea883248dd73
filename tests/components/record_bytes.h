#pragma once

// Saved-scene record bytes spelled out by hand, for the record tests of the components.

#include <cstdint>
#include <string>
#include <vector>

#include "support/record_bytes.h"

namespace vorn {

using test::RecordBytes;

// A control record of the newest layout with the given name, bounds and colour, every label empty
// but the left-down one, and child_count children to follow.
inline void ControlRecord(RecordBytes& r, const std::string& name, std::int32_t priority, std::int32_t left,
                   std::int32_t width, std::int32_t color, std::int32_t child_count) {
  r.Str(name).I32(priority).I32(0).Str("tag-" + name);  // name, priority, sub-priority, tag
  r.I32(left).I32(2).I32(width).I32(10).I32(0).I32(0);  // left, top, width, height, offset x, y
  r.U8(0);                                               // pos zoomed
  r.I32(0).I32(0).I32(0).I32(0);                         // motion left, top, plus x, y
  r.I32(0).I32(0).I32(0).I32(0);                         // clip left, top, width, height
  r.U8(0);                                               // anim paused
  r.U8(1);                                               // visible
  r.I32(color);                                          // colour
  r.I32(0).I32(0).I32(1).I32(1);                         // spare rectangle l, t, r, b
  r.U8(0);                                               // ignore mouse
  r.Str("");                                             // cursor
  r.Str("").Str("");                                     // on mouse move, in
  r.Str("").Str("p.vsb:down");                           // on mouse out, left down
  for (int i = 0; i < 5; ++i) r.Str("");                 // left up .. wheel up
  r.U8(0);                                               // handle key
  for (int i = 0; i < 5; ++i) r.Str("");                 // key down .. focus out
  r.I32(child_count);
}

}  // namespace vorn
