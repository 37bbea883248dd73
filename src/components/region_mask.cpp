#include "components/region_mask.h"

#include <cstring>

#include "graphics/dibx.h"

namespace vorn {

namespace {

constexpr std::uint8_t kOpaque = 255;

}  // namespace

void BuildRegionMask(TCustomDIBX* source, int width, int height, const TRegion* region, TRegionMaskMode mode,
                     TDIBX& out) {
  if (source != nullptr) {
    width = source->GetWidth();
    height = source->GetHeight();
  }
  if (out.GetWidth() != width || out.GetHeight() != height || out.GetBitCount() != 8) out.SetSize(width, height, 8);
  const bool only_region = region != nullptr && mode == TRegionMaskMode::kOnlyThis;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = out.Lock(0, y);
    if (row == nullptr) continue;
    if (only_region) {
      std::memset(row, 0, static_cast<std::size_t>(width));
      continue;
    }
    const std::uint8_t* from = source != nullptr ? source->Lock(0, y) : nullptr;
    if (from != nullptr) {
      std::memcpy(row, from, static_cast<std::size_t>(width));
    } else {
      std::memset(row, kOpaque, static_cast<std::size_t>(width));
    }
  }
  if (region == nullptr) return;
  region->ForEachSpan(0, height, width, [&](std::int32_t y, std::int32_t x0, std::int32_t x1) {
    std::uint8_t* to = out.Lock(x0, y);
    const auto count = static_cast<std::size_t>(x1 - x0);
    if (!only_region) {
      std::memset(to, 0, count);
      return;
    }
    const std::uint8_t* from = source != nullptr ? source->Lock(x0, y) : nullptr;
    if (from != nullptr) {
      std::memcpy(to, from, count);
    } else {
      std::memset(to, kOpaque, count);
    }
  });
}

}  // namespace vorn
