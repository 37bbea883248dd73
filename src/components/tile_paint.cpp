#include "components/tile_paint.h"

#include <algorithm>

#include "components/pelk_collection.h"
#include "components/picture_paint.h"
#include "graphics/custom_dibx.h"

namespace vorn {

namespace {

constexpr std::int32_t kOpaqueAlpha = 255;
constexpr std::int32_t kAdditiveAlpha = 256;
constexpr int kMaskInside = 127;

std::int64_t Wrap(std::int64_t value, std::int64_t size) { return ((value % size) + size) % size; }

enum class TInkMode { kNone, kOpaque, kBlended, kAdded };

struct TInk {
  TInkMode mode = TInkMode::kNone;
  std::uint32_t pixel = 0;
  std::uint32_t opacity = 0;
};

TInk MakeInk(TCustomDIBX& surface, std::int32_t color, std::int32_t alpha) {
  if (!DrawsAtOpacity(alpha)) return {};
  if (alpha == kOpaqueAlpha) return {TInkMode::kOpaque, static_cast<std::uint32_t>(surface.ColorToPixel(color)), 0};
  if (alpha < kOpaqueAlpha) {
    return {TInkMode::kBlended, static_cast<std::uint32_t>(surface.ColorToPixel(color)),
            static_cast<std::uint32_t>(alpha)};
  }
  const auto strength = static_cast<std::uint32_t>(alpha - kAdditiveAlpha);
  const auto rgb = static_cast<std::uint32_t>(color);
  std::uint32_t scaled = 0;
  for (int shift = 0; shift < 24; shift += 8) scaled |= ((((rgb >> shift) & 0xFF) * strength) >> 8) << shift;
  return {TInkMode::kAdded, static_cast<std::uint32_t>(surface.ColorToPixel(static_cast<std::int32_t>(scaled))), 0};
}

}  // namespace

bool ClipRect64(const TRect64& rect, const TRect& clip, TRect& result) {
  const std::int64_t left = std::max<std::int64_t>(rect.left, clip.left);
  const std::int64_t top = std::max<std::int64_t>(rect.top, clip.top);
  const std::int64_t right = std::min<std::int64_t>(rect.right, clip.right);
  const std::int64_t bottom = std::min<std::int64_t>(rect.bottom, clip.bottom);
  if (left >= right || top >= bottom) return false;
  result = TRect{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(right),
                 static_cast<std::int32_t>(bottom)};
  return true;
}

void PaintTiled(TCustomDIBX& target, const TPelkItemFrame& frame, const TRect& source, const TRect64& rect,
                std::int32_t alpha, bool flip_h, bool flip_v, std::int64_t start_x, std::int64_t start_y) {
  const std::int64_t width = std::int64_t{source.right} - source.left;
  const std::int64_t height = std::int64_t{source.bottom} - source.top;
  if (width <= 0 || height <= 0 || !DrawsAtOpacity(alpha)) return;
  TRect visible;
  if (!ClipRect64(rect, target.GetDirtyRect(), visible)) return;
  // Keep each visible pixel on the source point it had in the whole rectangle.
  const std::int64_t column = flip_h ? start_x + (rect.right - visible.right) : start_x + (visible.left - rect.left);
  const std::int64_t line = flip_v ? start_y + (rect.bottom - visible.bottom) : start_y + (visible.top - rect.top);
  frame.DrawTiled(target, visible, alpha, flip_v, flip_h, static_cast<std::int32_t>(Wrap(line, height)),
                  static_cast<std::int32_t>(Wrap(column, width)), source);
}

void FillByAlpha(TCustomDIBX& target, const TRect& rect, std::int32_t color, std::int32_t alpha) {
  const TInk ink = MakeInk(target, color, alpha);
  switch (ink.mode) {
    case TInkMode::kNone:
      break;
    case TInkMode::kOpaque:
      target.FillRect(rect, ink.pixel);
      break;
    case TInkMode::kBlended:
      target.FillRectOpacity(rect, ink.pixel, ink.opacity);
      break;
    case TInkMode::kAdded:
      target.AddColorRect(rect, ink.pixel);
      break;
  }
}

void FrameByAlpha(TCustomDIBX& target, const TRect& rect, int width, std::int32_t color, std::int32_t alpha) {
  const TInk ink = MakeInk(target, color, alpha);
  switch (ink.mode) {
    case TInkMode::kNone:
      break;
    case TInkMode::kOpaque:
      target.FrameRect(rect, width, ink.pixel);
      break;
    case TInkMode::kBlended:
      target.FrameRectOpacity(rect, width, ink.pixel, ink.opacity);
      break;
    case TInkMode::kAdded:
      target.FrameRectAdd(rect, width, ink.pixel);
      break;
  }
}

bool MaskCovers(const TPelkItemFrame& frame, std::int64_t x, std::int64_t y) {
  TCustomDIBX* mask = frame.Mask();
  if (mask == nullptr) return true;
  if (x < 0 || y < 0 || x >= mask->GetWidth() || y >= mask->GetHeight()) return false;
  return mask->GetPixel(static_cast<int>(x), static_cast<int>(y)) > kMaskInside;
}

}  // namespace vorn
