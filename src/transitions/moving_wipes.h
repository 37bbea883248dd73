#pragma once

// The effects that move, stretch or displace the pages, or light them pixel by pixel.

#include <cstdint>
#include <memory>
#include <vector>

#include "transitions/custom_wipe.h"

namespace vorn {

// Both pages slide left together (right with direction 1).
class TWipeScrollH : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// Both pages slide up together (down with direction 1).
class TWipeScrollV : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// The old page is pulled across by its edge column, then the new one is revealed the same way.
class TWipeSudareH : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

class TWipeSudareV : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// As the sudare, with a strip that narrows to one column at the midpoint and widens again.
class TWipeRubberH : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

class TWipeRubberV : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// Each row turns over like a slat, the top one first.
class TWipeTwistH : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// Each column turns over, the left one first.
class TWipeTwistV : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// One tile of the crack: its cell, when it starts to fall and how fast it drifts sideways.
struct TWipeCrackDraw {
  std::int32_t Col = 0;
  std::int32_t Row = 0;
  std::int64_t Start = 0;
  std::int32_t Speed = 0;  // -100..99, in hundredths of a pixel per time unit
};

// The old page breaks into tiles that jump up and fall off the bottom, one after another.
// Parameter 0 is the tile size (at least 16), parameter 1 the delay between tiles (at least 0).
class TWipeCrack : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  void SetParam(int number, std::int32_t value) override;
  bool Draw() override;

  // The tiles in drawing order; a fallen tile is null.
  const std::vector<std::unique_ptr<TWipeCrackDraw>>& Tiles() const { return tiles_; }
  std::int32_t FallTime() const { return fallTime_; }

 private:
  void BuildTiles();
  void SetStartTimes();

  std::vector<std::unique_ptr<TWipeCrackDraw>> tiles_;
  std::int32_t fallTime_ = 0;
  std::int64_t lastStart_ = 0;
};

// The new page spreads from the centre behind a rippling ring. Parameter 0 is the amplitude.
class TWipeRipple : public TCustomWipe {
 public:
  TWipeRipple(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to);
  void SetParam(int number, std::int32_t value) override;
  bool Draw() override;

  const std::vector<std::int32_t>& Wave() const { return wave_; }

  // One pixel's place relative to the centre: rounded distance and direction (× 65536).
  struct Ray {
    std::uint16_t distance;
    std::int32_t cosine;
    std::int32_t sine;
  };

 private:
  template <typename Pixel>
  void DrawPixels();
  void BuildWave();

  // The target's size when the tables were built; a target of another size is not drawn.
  int width_ = 0;
  int height_ = 0;
  int ringWidth_ = 0;  // L
  std::vector<Ray> quarter_;  // (W div 2) × (H div 2), row by row
  // The middle column and row of odd sizes, which the mirrored quarters do not reach.
  struct LinePixel {
    int x, y;
    Ray ray;
  };
  std::vector<LinePixel> middle_;
  std::vector<std::int32_t> wave_;
};

// A bright ring runs out from the centre (in from the corners with direction 1); each pixel
// turns white, switches page and settles.
class TWipeSpot : public TCustomWipe {
 public:
  TWipeSpot(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to);
  void SetDirection(std::uint8_t direction) override;
  bool Draw() override;

 private:
  void BuildDistances();
  template <typename Pixel>
  void DrawPixels(std::int64_t b);

  std::vector<std::int32_t> distances_;
  std::int32_t span_ = 0;
};

// WP_MASKWHITE: each pixel flashes to white when the mask picture says, switches page and returns.
class TWipeShadowWhite : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  void Prepare() override;
  bool Draw() override;

 protected:
  virtual bool Darkens() const { return false; }

 private:
  template <typename Pixel>
  void DrawPixels(std::int64_t index);

  std::vector<std::int16_t> offsets_;
};

// WP_MASKBLACK: the same through black.
class TWipeShadowBlack : public TWipeShadowWhite {
 public:
  using TWipeShadowWhite::TWipeShadowWhite;

 protected:
  bool Darkens() const override { return true; }
};

}  // namespace vorn
