#pragma once

#include <cstdint>
#include <vector>

#include "graphics/memory_dibx.h"
#include "support/recording_dibx.h"

namespace vorn::test {

// The three surfaces of a transition: target, from and to page, each filled with one pixel.
struct WipePages {
  RecordingDIBX target;
  TMemoryDIBX from;
  TMemoryDIBX to;

  WipePages(int width, int height, int bitCount, std::uint32_t fromPixel = 0,
            std::uint32_t toPixel = 0)
      : target(width, height, bitCount), from(width, height, bitCount), to(width, height, bitCount) {
    if (width > 0 && height > 0) {
      from.Fill(fromPixel);
      to.Fill(toPixel);
    }
  }
};

inline std::vector<std::uint32_t> AllPixels(TCustomDIBX& s) {
  std::vector<std::uint32_t> out;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) out.push_back(s.GetPixel(x, y));
  return out;
}

// Every pixel of the surface equals value.
inline bool AllEqual(TCustomDIBX& s, std::uint32_t value) {
  for (std::uint32_t p : AllPixels(s))
    if (p != value) return false;
  return true;
}

}  // namespace vorn::test
