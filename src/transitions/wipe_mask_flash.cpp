#include <array>
#include <cstdint>

#include "graphics/custom_dibx.h"
#include "transitions/locked_rows.h"
#include "transitions/mask_image.h"
#include "transitions/moving_wipes.h"
#include "transitions/pixel_ops.h"
#include "transitions/wash_level.h"

namespace vorn {

namespace {

// ramp[k]: 0 up to 255, then rising by one a step to 511 at 767, then 511. Above 255 the pixel
// is on the to page, at level 511 − k.
constexpr std::array<std::uint16_t, 1024> MakeFlashRamp() {
  std::array<std::uint16_t, 1024> ramp{};
  for (int k = 0; k < 1024; ++k)
    ramp[static_cast<std::size_t>(k)] = static_cast<std::uint16_t>(k <= 255 ? 0 : k <= 767 ? k - 256 : 511);
  return ramp;
}

constexpr std::array<std::uint16_t, 1024> kFlashRamp = MakeFlashRamp();

}  // namespace

void TWipeShadowWhite::Prepare() {
  offsets_ = MaskImageOffsets(MaskName(), Reversed(), Target().GetWidth(), Target().GetHeight());
}

bool TWipeShadowWhite::Draw() {
  if (!BeginFrame()) return true;
  TCustomDIBX& target = Target();
  const int bits = target.GetBitCount();
  const int width = target.GetWidth(), height = target.GetHeight();
  if (!DrawnPerPixel(bits) || width <= 0 || height <= 0) return false;
  if (offsets_.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) return false;
  if (!CoversTarget(From(), bits, width, height) || !CoversTarget(To(), bits, width, height)) return false;
  const std::int64_t index = ScaledProgress(768) + 255;
  if (bits == 32)
    DrawPixels<std::uint32_t>(index);
  else
    DrawPixels<std::uint16_t>(index);
  return false;
}

template <typename Pixel>
void TWipeShadowWhite::DrawPixels(std::int64_t index) {
  TCustomDIBX& target = Target();
  const int width = target.GetWidth(), height = target.GetHeight();
  std::array<std::uint32_t, 256> greys;
  for (int level = 0; level < 256; ++level) greys[static_cast<std::size_t>(level)] = GreyPixel(target, level);
  const blit::Channels channels = blit::Channels::Of(target);
  const bool darken = Darkens();
  LockedRows dest(target);
  if (!dest.Valid()) return;
  LockedRows fromRows(From());
  if (!fromRows.Valid()) return;
  LockedRows toRows(To());
  if (!toRows.Valid()) return;
  // index + offset stays inside the ramp: index is 255..1022, offsets are -255..0.
  const std::uint16_t* ramp = kFlashRamp.data() + index;
  const std::int16_t* offset = offsets_.data();
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = dest.Row(y);
    const std::uint8_t* f = fromRows.Row(y);
    const std::uint8_t* t = toRows.Row(y);
    for (int x = 0; x < width; ++x) {
      const int k = ramp[*offset++];
      const bool onTo = k > 255;
      const std::uint32_t base = onTo ? LoadPixel<Pixel>(t, x) : LoadPixel<Pixel>(f, x);
      const std::uint32_t grey = greys[static_cast<std::size_t>(onTo ? 511 - k : k)];
      StorePixel<Pixel>(out, x, WashPixel<Pixel>(base, grey, darken, channels));
    }
  }
}

}  // namespace vorn
