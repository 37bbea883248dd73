#pragma once

// What the component records of a saved scene share: the saved-game versions at which fields
// appeared, and the error a damaged scene record raises.

#include <cstdint>
#include <string>

#include "foundation/errors.h"

namespace vorn {

// The first saved-game version that holds each group of fields.
// Control: the on-mouse-in label.
inline constexpr std::int32_t kFirstVersionWithMouseIn = 102;
// Object: sub-priority. Control: clip rectangle and anim paused. Box and timer: their later fields.
inline constexpr std::int32_t kFirstVersionWithSubPriority = 104;
// Control: handle key and the key and focus labels.
inline constexpr std::int32_t kFirstVersionWithKeyLabels = 118;
// Scene: the focused control's name.
inline constexpr std::int32_t kFirstVersionWithFocusName = 119;
// Object: tag.
inline constexpr std::int32_t kFirstVersionWithTag = 120;
// Control: motion position and plus x/y.
inline constexpr std::int32_t kFirstVersionWithMotionPosition = 130;

// Largest scene (width x height) a saved game may hold: above any display or project screen.
// A bound against hostile saves only; the writer refuses what the reader would.
inline constexpr std::int64_t kMaxSavedScenePixels = std::int64_t{1} << 26;

// A saved scene record that cannot be loaded: it ends early or holds what no writer writes.
class ESavedSceneError : public EReadError {
 public:
  explicit ESavedSceneError(const std::string& detail) : EReadError("saved scene: " + detail) {}
};

}  // namespace vorn
