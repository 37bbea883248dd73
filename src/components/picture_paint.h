#pragma once

// How a picture is put on a layer: the opacity mode (1..254 blend, 255 copy, 256..511 addition
// of mode - 256; anything else draws nothing) picks the surface operation, masked when the
// picture has a mask and keyed by the picture's colour key otherwise. Every picture component
// and the image lists draw through these.

#include <cstdint>
#include <vector>

#include "foundation/rect.h"

namespace vorn {

class TCustomDIBX;

inline constexpr std::int32_t kMaxOpacityMode = 511;
inline bool DrawsAtOpacity(std::int64_t alpha) { return alpha >= 1 && alpha <= kMaxOpacityMode; }

// One unscaled draw of the source part at (x, y).
void DrawPictureAt(TCustomDIBX& target, int x, int y, TCustomDIBX& picture, const TRect& source, TCustomDIBX* mask,
                   std::int32_t alpha, bool flip_h, bool flip_v);
// One stretched draw of the whole picture into the rectangle.
void StretchPicture(TCustomDIBX& target, const TRect& rect, TCustomDIBX& picture, TCustomDIBX* mask,
                    std::int32_t alpha, bool flip_h, bool flip_v);

// A whole picture as a control shows it.
struct TPicturePlacement {
  std::int32_t alpha = 255;
  // Only the low byte turns the picture (1/256 turns).
  std::int32_t angle = 0;
  std::int32_t zoom_x = 256;
  std::int32_t zoom_y = 256;
  bool flip_h = false;
  bool flip_v = false;
  // Rotated draws: where the pivot lands and the pivot in picture pixels (already mirrored).
  TPoint position{};
  TPoint pivot{};
  // The control's screen rectangle: unscaled draws at its corner, stretched ones fill it.
  TRect screen{};
  // Unscaled draws go piece by piece through the picture's content rectangles.
  bool use_content_rects = false;
};
void PaintPicture(TCustomDIBX& target, TCustomDIBX& picture, TCustomDIBX* mask, const TPicturePlacement& placement);

// A screen point turned back by the angle's low byte (1/256 turns) about the anchor, to be tested
// against an unturned rectangle.
TPoint TurnPointBack(TPoint point, TPoint anchor, std::int32_t angle);

// Which of a layered-image frame's two rectangle lists holds the content rectangles. The files
// the player writes leave both empty, so the choice stays in this one place until pictures made
// by the authoring tool settle it.
enum class TContentRectList { kRects1, kRects2 };
TContentRectList ContentRectChoice();
void SetContentRectChoice(TContentRectList choice);
const std::vector<TRect>& ContentRects(const TCustomDIBX& picture);

}  // namespace vorn
