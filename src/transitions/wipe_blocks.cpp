#include <algorithm>
#include <cstdint>

#include "engine/run_time_random.h"
#include "transitions/mask_rows.h"
#include "transitions/mask_wipes.h"

namespace vorn {

namespace {

constexpr std::int32_t kSmallestBlock = 10;

TRect Square(std::int32_t x, std::int32_t y, std::int32_t side) { return TRect{x, y, x + side, y + side}; }

}  // namespace

void TWipeBlockMask::Prepare() {
  TWipeUnclampedMask::Prepare();
  const int width = MaskSurface().GetWidth(), height = MaskSurface().GetHeight();
  const std::int32_t side = std::min(height, std::min(width, std::max(kSmallestBlock, Param(0))));
  StoreParam(0, side);
  blocks_.clear();
  // A side of 0 (an empty target) would never leave the grid or the spiral.
  if (side > 0) BuildBlocks(width, height, side, blocks_);
  LastValue = Backwards() ? static_cast<std::int64_t>(blocks_.size()) : -1;
}

bool TWipeBlockMask::UpdateMask() {
  if (blocks_.empty()) return false;
  const std::int64_t last = static_cast<std::int64_t>(blocks_.size()) - 1;
  const std::int64_t elapsed = std::min<std::int64_t>(Elapsed(), Total);
  const std::int64_t n =
      Total > 0 ? last * (Backwards() ? Total - elapsed : elapsed) / Total : (Backwards() ? 0 : last);
  if (n == LastValue) return false;
  MaskRows mask(MaskSurface());
  if (mask.Valid()) {
    if (Backwards()) {
      for (std::int64_t i = LastValue - 1; i >= n; --i)
        mask.FillRect(blocks_[static_cast<std::size_t>(i)], 255);
    } else {
      for (std::int64_t i = LastValue + 1; i <= n; ++i)
        mask.FillRect(blocks_[static_cast<std::size_t>(i)], 255);
    }
  }
  LastValue = n;
  return true;
}

// Every pass of the walk appends the block, turns included: the repeated blocks pace the spiral.
void TWipeBlockCoil::BuildBlocks(int width, int height, int side, std::vector<TRect>& blocks) {
  enum class Heading { Right, Down, Left, Up };
  TRect area{0, 0, width, height};
  TRect block = Square(0, 0, side);
  Heading heading = Heading::Right;
  // Each side of the area shrinks by a block at every turn, so this bound is never reached; it
  // only guards the walk.
  const std::int64_t limit = 4 * (std::int64_t{width / side} + 2) * (std::int64_t{height / side} + 2);
  for (std::int64_t pass = 0; pass < limit; ++pass) {
    blocks.push_back(block);
    switch (heading) {
      case Heading::Right:
        if (block.right < area.right) {
          block = Square(block.left + side, block.top, side);
        } else {
          area.top = block.bottom;
          heading = Heading::Down;
        }
        break;
      case Heading::Down:
        if (block.bottom < area.bottom) {
          block = Square(block.left, block.top + side, side);
        } else {
          area.right = block.left;
          heading = Heading::Left;
        }
        break;
      case Heading::Left:
        if (area.left < block.left) {
          block = Square(block.left - side, block.top, side);
        } else {
          area.bottom = block.top;
          heading = Heading::Up;
        }
        break;
      case Heading::Up:
        if (area.top < block.top) {
          block = Square(block.left, block.top - side, side);
        } else {
          area.left = block.right;
          heading = Heading::Right;
        }
        break;
    }
    if (RectIsEmpty(area)) break;
  }
}

void TWipeBlockRandom::BuildBlocks(int width, int height, int side, std::vector<TRect>& blocks) {
  std::vector<TRect> grid;
  for (int y = 0; y < height; y += side)
    for (int x = 0; x < width; x += side) grid.push_back(Square(x, y, side));
  blocks.reserve(grid.size());
  while (!grid.empty()) {
    const auto pick = static_cast<std::size_t>(Random(static_cast<std::int32_t>(grid.size())));
    blocks.push_back(grid[pick]);
    // Which block fills the gap does not matter to a uniform pick, and large grids stay linear.
    grid[pick] = grid.back();
    grid.pop_back();
  }
}

}  // namespace vorn
