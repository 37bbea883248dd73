#include "components/picture_paint.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

#include "graphics/custom_dibx.h"
#include "graphics/dibx_wave.h"

namespace vorn {

namespace {

TContentRectList g_content_rects = TContentRectList::kRects1;

bool Intersect(TRect& a, const TRect& b) {
  if (RectIsEmpty(a) || RectIsEmpty(b) || !RectsOverlap(a, b)) return false;
  a = ClipRectTo(a, b);
  return true;
}

}  // namespace

TContentRectList ContentRectChoice() { return g_content_rects; }
void SetContentRectChoice(TContentRectList choice) { g_content_rects = choice; }

const std::vector<TRect>& ContentRects(const TCustomDIBX& picture) {
  return g_content_rects == TContentRectList::kRects1 ? picture.Rects1 : picture.Rects2;
}

void DrawPictureAt(TCustomDIBX& target, int x, int y, TCustomDIBX& picture, const TRect& source, TCustomDIBX* mask,
                   std::int32_t alpha, bool flip_h, bool flip_v) {
  if (!DrawsAtOpacity(alpha)) return;
  const auto opacity = static_cast<std::uint32_t>(alpha);
  if (mask != nullptr) {
    if (alpha <= 254) {
      target.DrawMaskOpacity(x, y, picture, source, flip_h, flip_v, mask, opacity);
    } else if (alpha == 255) {
      target.DrawMask(x, y, picture, source, flip_h, flip_v, mask);
    } else {
      target.DrawMaskAdd(x, y, picture, source, flip_h, flip_v, mask, opacity - 256);
    }
    return;
  }
  const bool use_key = picture.ColorKey != -1;
  if (alpha <= 254) {
    target.DrawOpacity(x, y, picture, source, use_key, flip_h, flip_v, opacity);
  } else if (alpha == 255) {
    target.DrawRect(x, y, picture, source, use_key, flip_h, flip_v);
  } else {
    target.DrawAdd(x, y, picture, source, use_key, flip_h, flip_v, opacity - 256);
  }
}

void StretchPicture(TCustomDIBX& target, const TRect& rect, TCustomDIBX& picture, TCustomDIBX* mask,
                    std::int32_t alpha, bool flip_h, bool flip_v) {
  if (!DrawsAtOpacity(alpha)) return;
  const TRect whole = picture.GetBoundsRect();
  const auto opacity = static_cast<std::uint32_t>(alpha);
  if (mask != nullptr) {
    if (alpha <= 255) {
      target.StretchDrawMask(rect, picture, whole, flip_h, flip_v, mask, opacity);
    } else {
      target.StretchDrawMaskAdd(rect, picture, whole, flip_h, flip_v, mask, opacity - 256);
    }
    return;
  }
  const bool use_key = picture.ColorKey != -1;
  if (alpha <= 255) {
    target.StretchDraw(rect, picture, whole, use_key, flip_h, flip_v, opacity);
  } else {
    target.StretchDrawAdd(rect, picture, whole, use_key, flip_h, flip_v, opacity - 256);
  }
}

void PaintPicture(TCustomDIBX& target, TCustomDIBX& picture, TCustomDIBX* mask, const TPicturePlacement& p) {
  if (!DrawsAtOpacity(p.alpha) || RectIsEmpty(p.screen)) return;
  const TRect whole = picture.GetBoundsRect();
  const int angle = p.angle & 0xFF;
  if (angle != 0) {
    const int zoom_x = std::max<std::int32_t>(1, p.zoom_x);
    const int zoom_y = std::max<std::int32_t>(1, p.zoom_y);
    const auto opacity = static_cast<std::uint32_t>(p.alpha);
    if (mask != nullptr) {
      target.DrawRotateMask(p.position.x, p.position.y, zoom_x, zoom_y, picture, whole, p.pivot.x, p.pivot.y, angle,
                            p.flip_h, p.flip_v, mask, opacity);
    } else {
      target.DrawRotate(p.position.x, p.position.y, zoom_x, zoom_y, picture, whole, p.pivot.x, p.pivot.y, angle,
                        picture.ColorKey != -1, p.flip_h, p.flip_v, opacity);
    }
    return;
  }
  const std::int64_t screen_width = std::int64_t{p.screen.right} - p.screen.left;
  const std::int64_t screen_height = std::int64_t{p.screen.bottom} - p.screen.top;
  if (picture.GetWidth() != screen_width || picture.GetHeight() != screen_height) {
    StretchPicture(target, p.screen, picture, mask, p.alpha, p.flip_h, p.flip_v);
    return;
  }
  const std::vector<TRect>& pieces = ContentRects(picture);
  if (!p.use_content_rects || pieces.empty() || dynamic_cast<TDIBXWave*>(&target) != nullptr) {
    DrawPictureAt(target, p.screen.left, p.screen.top, picture, whole, mask, p.alpha, p.flip_h, p.flip_v);
    return;
  }
  // Only the parts the picture covers are drawn, each clipped to the rectangle being painted.
  const TRect remembered = target.GetDirtyRect();
  const std::int64_t width = picture.GetWidth();
  const std::int64_t height = picture.GetHeight();
  for (const TRect& r : pieces) {
    const std::int64_t x0 = p.flip_h ? p.screen.left + width - r.right : std::int64_t{p.screen.left} + r.left;
    const std::int64_t y0 = p.flip_v ? p.screen.top + height - r.bottom : std::int64_t{p.screen.top} + r.top;
    const std::int64_t x1 = x0 + (std::int64_t{r.right} - r.left);
    const std::int64_t y1 = y0 + (std::int64_t{r.bottom} - r.top);
    const auto clamp = [](std::int64_t v) {
      return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    TRect piece{clamp(x0), clamp(y0), clamp(x1), clamp(y1)};
    if (!Intersect(piece, remembered)) continue;
    target.ResetDirtyRect();
    target.SetDirtyRect(piece);
    DrawPictureAt(target, p.screen.left, p.screen.top, picture, whole, mask, p.alpha, p.flip_h, p.flip_v);
  }
  target.ResetDirtyRect();
  target.SetDirtyRect(remembered);
}

TPoint TurnPointBack(TPoint point, TPoint anchor, std::int32_t angle) {
  const int turn = angle & 0xFF;
  if (turn == 0) return point;
  const double theta = turn * 2.0 * std::numbers::pi / 256.0;
  const double c = std::cos(theta);
  const double s = std::sin(theta);
  const double dx = static_cast<double>(std::int64_t{point.x} - anchor.x);
  const double dy = static_cast<double>(std::int64_t{point.y} - anchor.y);
  const auto clamp = [](long long v) { return static_cast<std::int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); };
  return {clamp(anchor.x + std::llround(dx * c + dy * s)), clamp(anchor.y + std::llround(-dx * s + dy * c))};
}

}  // namespace vorn
