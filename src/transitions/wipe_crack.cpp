#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/run_time_random.h"
#include "graphics/custom_dibx.h"
#include "transitions/moving_wipes.h"
#include "transitions/wipe_math.h"

namespace vorn {

namespace {

constexpr std::int32_t kSmallestTile = 16;

// How far a tile has moved down a time units after it started: up first, lowest at a = 150,
// back at its place at a = 300, then falling faster and faster.
std::int64_t Drop(std::int64_t a) { return (5 * a * a - 1500 * a) / 1000; }

// The first time at which a tile has dropped by the whole height.
std::int32_t FallTimeFor(std::int64_t height) {
  std::int64_t a = 0;
  while (Drop(a) < height) ++a;
  return SaturateToInt32(a);
}

}  // namespace

void TWipeCrack::SetParam(int number, std::int32_t value) {
  if (number == 0) {
    StoreParam(0, value <= kSmallestTile ? kSmallestTile : value);
    BuildTiles();
  } else if (number == 1) {
    StoreParam(1, std::max(value, 0));
    SetStartTimes();
  }
}

void TWipeCrack::BuildTiles() {
  tiles_.clear();
  const std::int64_t width = Target().GetWidth(), height = Target().GetHeight();
  fallTime_ = FallTimeFor(height);
  if (width > 0 && height > 0) {
    const std::int64_t size = Param(0);
    const std::int64_t cols = (width + size - 1) / size, rows = (height + size - 1) / size;
    std::vector<std::int64_t> cells(static_cast<std::size_t>(cols * rows));
    for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = static_cast<std::int64_t>(i);
    tiles_.reserve(cells.size());
    while (!cells.empty()) {
      const auto pick = static_cast<std::size_t>(Random(static_cast<std::int32_t>(cells.size())));
      const std::int64_t cell = cells[pick];
      // A uniform pick does not care which cell fills the gap; large grids stay linear.
      cells[pick] = cells.back();
      cells.pop_back();
      auto tile = std::make_unique<TWipeCrackDraw>();
      tile->Col = static_cast<std::int32_t>(cell % cols);
      tile->Row = static_cast<std::int32_t>(cell / cols);
      tile->Speed = Random(200) - 100;
      tiles_.push_back(std::move(tile));
    }
  }
  SetStartTimes();
}

void TWipeCrack::SetStartTimes() {
  const std::int64_t delay = Param(1);
  for (std::size_t j = 0; j < tiles_.size(); ++j)
    if (tiles_[j]) tiles_[j]->Start = static_cast<std::int64_t>(j) * delay;
  lastStart_ = tiles_.empty() ? 0 : static_cast<std::int64_t>(tiles_.size() - 1) * delay;
}

bool TWipeCrack::Draw() {
  if (!BeginFrame()) return true;
  TCustomDIBX& target = Target();
  const std::int64_t height = target.GetHeight();
  const std::int64_t size = Param(0);
  const std::int64_t b = ScaledProgress(fallTime_ + lastStart_);
  target.Draw(To());
  const auto cell = [&](const TWipeCrackDraw& tile) {
    const std::int64_t left = tile.Col * size, top = tile.Row * size;
    return TRect{SaturateToInt32(left), SaturateToInt32(top), SaturateToInt32(left + size),
                 SaturateToInt32(top + size)};
  };
  for (const auto& tile : tiles_) {
    if (!tile || b >= tile->Start) continue;
    const TRect r = cell(*tile);
    target.DrawRect(r.left, r.top, From(), r, false, false, false);
  }
  for (std::size_t j = tiles_.size(); j-- > 0;) {
    std::unique_ptr<TWipeCrackDraw>& tile = tiles_[j];
    if (!tile || b < tile->Start) continue;
    const std::int64_t a = b - tile->Start;
    // From the fall time on every tile is below the page; the test keeps a² small as well.
    const std::int64_t y = a >= fallTime_ ? height : tile->Row * size + Drop(a);
    if (y >= height) {
      tile.reset();
      continue;
    }
    const std::int64_t x = tile->Col * size + a * tile->Speed / 100;
    target.DrawRect(SaturateToInt32(x), SaturateToInt32(y), From(), cell(*tile), false, false, false);
  }
  return false;
}

}  // namespace vorn
