#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "graphics/custom_dibx.h"
#include "transitions/locked_rows.h"
#include "transitions/moving_wipes.h"
#include "transitions/pixel_ops.h"
#include "transitions/wash_level.h"
#include "transitions/wipe_math.h"

namespace vorn {

TWipeSpot::TWipeSpot(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to)
    : TCustomWipe(target, from, to) {
  BuildDistances();
}

void TWipeSpot::SetDirection(std::uint8_t direction) {
  TCustomWipe::SetDirection(direction);
  BuildDistances();
}

// Each pixel's distance from the centre, or from the corners with direction 1; a pixel's flash
// starts when the ring reaches that distance.
void TWipeSpot::BuildDistances() {
  TCustomDIBX& target = Target();
  const int width = std::max(target.GetWidth(), 0), height = std::max(target.GetHeight(), 0);
  const int cx = width / 2, cy = height / 2;
  const std::int32_t reach = RoundToInt32(std::hypot(cy, cx));
  const bool reversed = Reversed();
  distances_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  std::size_t at = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::int32_t n = RoundToInt32(std::hypot(std::abs(y - cy), std::abs(x - cx)));
      distances_[at++] = reversed ? reach - n : n;
    }
  span_ = reach + 512;
}

bool TWipeSpot::Draw() {
  if (!BeginFrame()) return true;
  TCustomDIBX& target = Target();
  const int bits = target.GetBitCount();
  const int width = target.GetWidth(), height = target.GetHeight();
  if (!DrawnPerPixel(bits) || width <= 0 || height <= 0) return false;
  if (distances_.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) return false;
  if (!CoversTarget(From(), bits, width, height) || !CoversTarget(To(), bits, width, height)) return false;
  const std::int64_t b = ScaledProgress(span_);
  if (bits == 32)
    DrawPixels<std::uint32_t>(b);
  else
    DrawPixels<std::uint16_t>(b);
  return false;
}

template <typename Pixel>
void TWipeSpot::DrawPixels(std::int64_t b) {
  TCustomDIBX& target = Target();
  const int width = target.GetWidth(), height = target.GetHeight();
  std::array<std::uint32_t, 256> greys;
  for (int level = 0; level < 256; ++level) greys[static_cast<std::size_t>(level)] = GreyPixel(target, level);
  const blit::Channels channels = blit::Channels::Of(target);
  LockedRows dest(target);
  if (!dest.Valid()) return;
  LockedRows fromRows(From());
  if (!fromRows.Valid()) return;
  LockedRows toRows(To());
  if (!toRows.Valid()) return;
  const std::int32_t* n = distances_.data();
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = dest.Row(y);
    const std::uint8_t* f = fromRows.Row(y);
    const std::uint8_t* t = toRows.Row(y);
    for (int x = 0; x < width; ++x, ++n) {
      const std::int64_t into = b - *n;  // how far the ring has passed this pixel
      std::uint32_t pixel = into < 256 ? LoadPixel<Pixel>(f, x) : LoadPixel<Pixel>(t, x);
      if (into >= 0 && into < 512) {
        const std::int64_t level = into < 256 ? into : 511 - into;
        pixel = WashPixel<Pixel>(pixel, greys[static_cast<std::size_t>(level)], false, channels);
      }
      StorePixel<Pixel>(out, x, pixel);
    }
  }
}

}  // namespace vorn
