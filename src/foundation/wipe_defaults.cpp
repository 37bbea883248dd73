#include "foundation/wipe_defaults.h"

namespace vorn {

const std::array<TWipeDefaultParams, kWipeKindCount>& FactoryWipeDefaults() {
  static constexpr std::array<TWipeDefaultParams, kWipeKindCount> kTable = {{
      {0, 0},    // 0 none
      {0, 0},    // 1 fade
      {20, 1},   // 2 blind h
      {20, 1},   // 3 blind v
      {30, 1},   // 4 curtain h
      {30, 1},   // 5 curtain v
      {0, 0},    // 6 scroll h
      {0, 0},    // 7 scroll v
      {80, 30},  // 8 grid
      {80, 30},  // 9 grid h
      {80, 30},  // 10 grid v
      {0, 0},    // 11 dither
      {0, 0},    // 12 white
      {0, 0},    // 13 black
      {0, 0},    // 14 flash
      {0, 0},    // 15 mosaic
      {0, 0},    // 16 sudare h
      {0, 0},    // 17 sudare v
      {0, 0},    // 18 spot
      {0, 0},    // 19 mask fade
      {0, 0},    // 20 mask white
      {0, 0},    // 21 mask black
      {0, 0},    // 22 small
      {0, 0},    // 23 big
      {5, 0},    // 24 ripple
      {0, 0},    // 25 blur white
      {0, 0},    // 26 blur black
      {0, 0},    // 27 twist h
      {0, 0},    // 28 twist v
      {64, 3},   // 29 crack
      {0, 0},    // 30 zoom in
      {0, 0},    // 31 clock hand
      {0, 0},    // 32 rubber h
      {0, 0},    // 33 rubber v
      {0, 0},    // 34 fan
      {0, 0},    // 35 w fan
      {0, 0},    // 36 circle
      {60, 0},   // 37 block coil
      {60, 0},   // 38 block random
  }};
  return kTable;
}

std::array<TWipeDefaultParams, kWipeKindCount>& WipeDefaults() {
  static std::array<TWipeDefaultParams, kWipeKindCount> table = FactoryWipeDefaults();
  return table;
}

void ResetWipeDefaults() { WipeDefaults() = FactoryWipeDefaults(); }

}  // namespace vorn
