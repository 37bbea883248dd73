#include <algorithm>
#include <cmath>
#include <cstdint>

#include "graphics/custom_dibx.h"
#include "transitions/locked_rows.h"
#include "transitions/moving_wipes.h"
#include "transitions/pixel_ops.h"
#include "transitions/wipe_math.h"

namespace vorn {

namespace {

constexpr double kUnit = 65536;

TWipeRipple::Ray RayOf(int dx, int dy) {
  const double angle = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
  return TWipeRipple::Ray{
      static_cast<std::uint16_t>(std::min(65535, RoundToInt32(std::hypot(std::abs(dx), std::abs(dy))))),
      RoundToInt32(std::cos(angle) * kUnit), RoundToInt32(std::sin(angle) * kUnit)};
}

}  // namespace

TWipeRipple::TWipeRipple(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to)
    : TCustomWipe(target, from, to) {
  const int width = std::max(target.GetWidth(), 0), height = std::max(target.GetHeight(), 0);
  width_ = width;
  height_ = height;
  const int cx = width / 2, cy = height / 2;
  ringWidth_ = 2 * std::min(cx, cy) / 3;
  quarter_.reserve(static_cast<std::size_t>(cx) * static_cast<std::size_t>(cy));
  for (int r = 0; r < cy; ++r)
    for (int c = 0; c < cx; ++c) quarter_.push_back(RayOf(c - cx, r - cy));
  // Odd sizes leave a middle column or row between the mirrored quarters; it follows the same
  // rule, pixel by pixel, so that every pixel is written at every step.
  if (width % 2 == 1)
    for (int y = 0; y < height; ++y) middle_.push_back(LinePixel{cx, y, RayOf(0, y - cy)});
  if (height % 2 == 1)
    for (int x = 0; x < width; ++x)
      if (width % 2 == 0 || x != cx) middle_.push_back(LinePixel{x, cy, RayOf(x - cx, 0)});
  BuildWave();
}

void TWipeRipple::SetParam(int number, std::int32_t value) {
  TCustomWipe::SetParam(number, value);
  if (number == 0) BuildWave();
}

// Four saw teeth over the ring, rising from 0 towards the amplitude; a ring narrower than four
// pixels has no teeth.
void TWipeRipple::BuildWave() {
  const std::int64_t tooth = ringWidth_ / 4;
  const std::int64_t amplitude = Param(0);
  wave_.assign(static_cast<std::size_t>(ringWidth_), 0);
  if (tooth == 0) return;
  for (int i = 0; i < ringWidth_; ++i)
    wave_[static_cast<std::size_t>(i)] = static_cast<std::int32_t>((i % tooth) * amplitude / tooth);
}

bool TWipeRipple::Draw() {
  if (!BeginFrame()) return true;
  TCustomDIBX& target = Target();
  const int bits = target.GetBitCount();
  const int width = target.GetWidth(), height = target.GetHeight();
  if (!DrawnPerPixel(bits) || width <= 0 || height <= 0) return false;
  if (width != width_ || height != height_) return false;
  if (!CoversTarget(From(), bits, width, height) || !CoversTarget(To(), bits, width, height)) return false;
  if (bits == 32)
    DrawPixels<std::uint32_t>();
  else
    DrawPixels<std::uint16_t>();
  return false;
}

template <typename Pixel>
void TWipeRipple::DrawPixels() {
  TCustomDIBX& target = Target();
  const int width = target.GetWidth(), height = target.GetHeight();
  const int cx = width / 2, cy = height / 2;
  LockedRows dest(target);
  if (!dest.Valid()) return;
  LockedRows fromRows(From());
  if (!fromRows.Valid()) return;
  LockedRows toRows(To());
  if (!toRows.Valid()) return;
  const std::int64_t ring = ringWidth_;
  const std::int64_t rho = ScaledProgress(RoundToInt32(std::hypot(cy, cx)) + ring);
  // Where pixel (x, y) at ray `ray` takes its colour: 0 the from page in place, 1 the to page in
  // place, 2 the to page at (sx, sy).
  const auto source = [&](const Ray& ray, std::int64_t& sx, std::int64_t& sy) {
    const std::int64_t o = ray.distance;
    const std::int64_t i = o + (ring - 1) - rho;
    if (i > ring - 1) return 0;
    if (i < 0) return 1;
    const std::int64_t d = o + wave_[static_cast<std::size_t>(i)];
    sx = d * ray.cosine / 65536 + cx;
    sy = d * ray.sine / 65536 + cy;
    return sx < 0 || sx >= width || sy < 0 || sy >= height ? 1 : 2;
  };
  for (int r = 0; r < cy; ++r) {
    const int bottom = height - 1 - r;
    std::uint8_t* top = dest.Row(r);
    std::uint8_t* low = dest.Row(bottom);
    const Ray* rays = quarter_.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(cx);
    for (int c = 0; c < cx; ++c) {
      const int right = width - 1 - c;
      std::int64_t sx = 0, sy = 0;
      const int kind = source(rays[c], sx, sy);
      if (kind != 2) {
        const LockedRows& page = kind == 0 ? fromRows : toRows;
        StorePixel<Pixel>(top, c, LoadPixel<Pixel>(page.Row(r), c));
        StorePixel<Pixel>(top, right, LoadPixel<Pixel>(page.Row(r), right));
        StorePixel<Pixel>(low, c, LoadPixel<Pixel>(page.Row(bottom), c));
        StorePixel<Pixel>(low, right, LoadPixel<Pixel>(page.Row(bottom), right));
      } else {
        const int x = static_cast<int>(sx), y = static_cast<int>(sy);
        StorePixel<Pixel>(top, c, LoadPixel<Pixel>(toRows.Row(y), x));
        StorePixel<Pixel>(top, right, LoadPixel<Pixel>(toRows.Row(y), width - 1 - x));
        StorePixel<Pixel>(low, c, LoadPixel<Pixel>(toRows.Row(height - 1 - y), x));
        StorePixel<Pixel>(low, right, LoadPixel<Pixel>(toRows.Row(height - 1 - y), width - 1 - x));
      }
    }
  }
  for (const LinePixel& p : middle_) {
    std::int64_t sx = 0, sy = 0;
    const int kind = source(p.ray, sx, sy);
    const std::uint32_t value =
        kind == 0   ? LoadPixel<Pixel>(fromRows.Row(p.y), p.x)
        : kind == 1 ? LoadPixel<Pixel>(toRows.Row(p.y), p.x)
                    : LoadPixel<Pixel>(toRows.Row(static_cast<int>(sy)), static_cast<int>(sx));
    StorePixel<Pixel>(dest.Row(p.y), p.x, value);
  }
}

}  // namespace vorn
