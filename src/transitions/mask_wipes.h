#pragma once

// The effects that draw through a mask: each rewrites the 8-bit mask in UpdateMask (0 keeps the
// from page, 255 shows the to page) and answers false when its progress value has not changed.

#include <cstdint>
#include <vector>

#include "foundation/rect.h"
#include "transitions/wipe_mask.h"

namespace vorn {

// Vertical slats opening across each band of parameter-0 columns; parameter 1 softens their edges.
class TWipeBlindH : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  bool UpdateMask() override;
  int MaskHeight() override;
};

// Horizontal slats: one mask row per row of a band.
class TWipeBlindV : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  bool UpdateMask() override;
  int MaskHeight() override;
};

// Each band of parameter-0 columns opens column by column, each band a little after the last.
class TWipeCurtainH : public TWipeOrderHMask {
 public:
  using TWipeOrderHMask::TWipeOrderHMask;
  bool UpdateMask() override;
  int MaskHeight() override;
};

class TWipeCurtainV : public TWipeOrderVMask {
 public:
  using TWipeOrderVMask::TWipeOrderVMask;
  bool UpdateMask() override;
};

// Squares of parameter-0 cells grow from their centres, running diagonally from the top left.
class TWipeGrid : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  bool UpdateMask() override;

 protected:
  // The cells' order runs over 0..Span(cols, rows) / 4.
  virtual std::int64_t Span(std::int64_t cols, std::int64_t rows) const;
  virtual std::int64_t Order(std::int64_t col, std::int64_t row, std::int64_t cols,
                             std::int64_t rows) const;
};

// Columns of cells from the left; the mask holds one band of cells.
class TWipeGridH : public TWipeGrid {
 public:
  using TWipeGrid::TWipeGrid;
  int MaskHeight() override;

 protected:
  std::int64_t Span(std::int64_t cols, std::int64_t rows) const override;
  std::int64_t Order(std::int64_t col, std::int64_t row, std::int64_t cols,
                     std::int64_t rows) const override;
};

// Rows of cells from the top.
class TWipeGridV : public TWipeGrid {
 public:
  using TWipeGrid::TWipeGrid;

 protected:
  std::int64_t Span(std::int64_t cols, std::int64_t rows) const override;
  std::int64_t Order(std::int64_t col, std::int64_t row, std::int64_t cols,
                     std::int64_t rows) const override;
};

// The cells of a 64 x 64 tile switch one by one in a fixed shuffled order.
class TWipeDither : public TWipeMask {
 public:
  static constexpr int kTileSide = 64;
  static constexpr int kTileCells = kTileSide * kTileSide;

  using TWipeMask::TWipeMask;
  void Prepare() override;
  bool UpdateMask() override;
  int MaskHeight() override;

  // Cell numbers (column = n mod 64, row = n div 64) in switching order; empty before Prepare.
  const std::vector<std::int32_t>& CellOrder() const { return order_; }

 private:
  std::vector<std::int32_t> order_;
};

// WP_MASKFADE: the mask picture's levels decide when each pixel changes; light parts first.
class TWipeShadow : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  void Prepare() override;
  bool UpdateMask() override;

 private:
  std::vector<std::int16_t> offsets_;
};

// The to page grows out of the centre as a disc (closes in from the edges with direction 1).
class TWipeCircle : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  bool UpdateMask() override;
};

// The mask effects below keep their parameters as given: 0 is a meaningful start angle or tile
// count for them.
class TWipeUnclampedMask : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  void SetParam(int number, std::int32_t value) override;
};

// The sector effects: parameter 0 is the start direction in degrees, 0 straight up, clockwise.
class TWipeSectorMask : public TWipeUnclampedMask {
 public:
  TWipeSectorMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to);
  void SetParam(int number, std::int32_t value) override;
  bool UpdateMask() override;

 protected:
  // The angle that identifies the step (unchanged angle, unchanged mask).
  virtual double NewAngle(double fraction) const = 0;
  // Fills the sectors of the step into the cleared mask.
  virtual void DrawSectors(double fraction) = 0;
  void FillSector(double first, double last);

  double StartAngle = 0;
  double LastAngle = 0;
};

// A hand sweeps round from the start direction (anticlockwise with direction 1).
class TWipeClockhand : public TWipeSectorMask {
 public:
  using TWipeSectorMask::TWipeSectorMask;

 protected:
  double NewAngle(double fraction) const override;
  void DrawSectors(double fraction) override;
};

// A fan opening symmetrically about the start direction.
class TWipeFan : public TWipeSectorMask {
 public:
  using TWipeSectorMask::TWipeSectorMask;

 protected:
  double NewAngle(double fraction) const override;
  void DrawSectors(double fraction) override;
};

// Two opposite fans, each reaching a half circle.
class TWipeWFan : public TWipeSectorMask {
 public:
  using TWipeSectorMask::TWipeSectorMask;

 protected:
  double NewAngle(double fraction) const override;
  void DrawSectors(double fraction) override;
};

// The block effects fill square blocks of parameter-0 pixels one after another.
class TWipeBlockMask : public TWipeUnclampedMask {
 public:
  using TWipeUnclampedMask::TWipeUnclampedMask;
  void Prepare() override;
  bool UpdateMask() override;

  // The blocks in filling order; built by Prepare.
  const std::vector<TRect>& Blocks() const { return blocks_; }

 protected:
  virtual void BuildBlocks(int width, int height, int side, std::vector<TRect>& blocks) = 0;
  // Whether the blocks are filled from the last one back to the first.
  virtual bool Backwards() const { return false; }

 private:
  std::vector<TRect> blocks_;
};

// A clockwise spiral from the top-left corner inwards (outwards from the centre with direction 1).
class TWipeBlockCoil : public TWipeBlockMask {
 public:
  using TWipeBlockMask::TWipeBlockMask;

 protected:
  void BuildBlocks(int width, int height, int side, std::vector<TRect>& blocks) override;
  bool Backwards() const override { return Reversed(); }
};

// The grid's blocks in a random order.
class TWipeBlockRandom : public TWipeBlockMask {
 public:
  using TWipeBlockMask::TWipeBlockMask;

 protected:
  void BuildBlocks(int width, int height, int side, std::vector<TRect>& blocks) override;
};

}  // namespace vorn
