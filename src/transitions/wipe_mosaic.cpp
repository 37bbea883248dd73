#include <algorithm>
#include <exception>
#include <string>

#include "foundation/log_line.h"
#include "transitions/whole_page_wipes.h"

namespace vorn {

namespace {

// The cell factor in 1/256: about 4 pixels a cell at 263, about 43 at 24.
std::int64_t GrowingFactor(std::int64_t b) { return 263 - ((b / 2) * 15) / 16; }
std::int64_t ShrinkingFactor(std::int64_t b) { return (((b - 512) / 2) * 15) / 16 + 24; }

std::int32_t CellsAcross(int length, std::int64_t factor) {
  return static_cast<std::int32_t>(std::max<std::int64_t>(1, ((length / 4) * factor) / 256));
}

}  // namespace

TWipeMosaic::TWipeMosaic(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to)
    : TCustomWipe(target, from, to) {
  try {
    work_.SetSize(target.GetWidth(), target.GetHeight(), target.GetBitCount());
  } catch (const std::exception& e) {
    // Without its work surface the effect shows only the final enlarging step's empty picture;
    // the transition still runs to its end.
    LogLine(std::string("mosaic transition: no work surface: ") + e.what());
  }
}

bool TWipeMosaic::Draw() {
  if (!BeginFrame()) return true;
  const std::int64_t b = ScaledProgress(1023);
  std::int64_t factor = 0;
  TCustomDIBX* shrunk = &From();
  std::int64_t toOpacity = -1;
  if (b < 256) {
    factor = GrowingFactor(b);
  } else if (b < 512) {
    factor = GrowingFactor(b);
    toOpacity = (b - 256) / 4;
  } else if (b < 768) {
    factor = ShrinkingFactor(b);
    // Half way the new page's opacity steps from 63 to 128.
    toOpacity = (b - 256) / 2;
  } else {
    factor = ShrinkingFactor(b);
    shrunk = &To();
  }
  TCustomDIBX& target = Target();
  const TRect cells{0, 0, CellsAcross(target.GetWidth(), factor),
                    CellsAcross(target.GetHeight(), factor)};
  work_.StretchDraw(cells, *shrunk, shrunk->GetBoundsRect(), false, false, false, 255);
  if (toOpacity >= 0)
    work_.StretchDraw(cells, To(), To().GetBoundsRect(), false, false, false,
                      static_cast<std::uint32_t>(toOpacity));
  target.StretchDraw(target.GetBoundsRect(), work_, cells, false, false, false, 255);
  return false;
}

}  // namespace vorn
