#include <array>
#include <cstdint>
#include <cstring>

#include "foundation/shuffle_bag.h"
#include "transitions/mask_rows.h"
#include "transitions/mask_wipes.h"

namespace vorn {

namespace {

// The shuffle bag's increment that gives the dither its fixed order on every machine.
constexpr std::uint32_t kDitherIncrement = 12341;

}  // namespace

int TWipeDither::MaskHeight() { return kTileSide; }

void TWipeDither::Prepare() {
  TWipeMask::Prepare();
  TZkRandom bag(kDitherIncrement);
  bag.Reset(kTileCells);
  order_.resize(kTileCells);
  for (std::int32_t& cell : order_) cell = bag.Next();
}

bool TWipeDither::UpdateMask() {
  if (order_.size() != static_cast<std::size_t>(kTileCells)) return false;
  const std::int64_t n = ScaledProgress(kTileCells);
  if (n == LastValue) return false;
  LastValue = n;
  TwoLevel = 1;
  // Fewer cells to set from whichever side is nearer; both give the same tile.
  std::array<std::uint8_t, kTileCells> tile;
  if (n > kTileCells / 2 - 1) {
    tile.fill(255);
    for (std::int64_t i = n; i < kTileCells; ++i) tile[static_cast<std::size_t>(order_[static_cast<std::size_t>(i)])] = 0;
  } else {
    tile.fill(0);
    for (std::int64_t i = 0; i < n; ++i) tile[static_cast<std::size_t>(order_[static_cast<std::size_t>(i)])] = 255;
  }
  MaskRows mask(MaskSurface());
  if (!mask.Valid()) return true;
  for (int y = 0; y < mask.Height() && y < kTileSide; ++y) {
    std::uint8_t* row = mask.Row(y);
    const std::uint8_t* source = tile.data() + y * kTileSide;
    for (int x = 0; x < mask.Width(); x += kTileSide) {
      const int count = mask.Width() - x < kTileSide ? mask.Width() - x : kTileSide;
      std::memcpy(row + x, source, static_cast<std::size_t>(count));
    }
  }
  return true;
}

}  // namespace vorn
