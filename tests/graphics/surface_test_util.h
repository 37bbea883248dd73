#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/custom_dibx.h"

namespace vorn::test {

// Row y of a surface as pixel values.
inline std::vector<std::uint32_t> Row(TCustomDIBX& s, int y) {
  std::vector<std::uint32_t> out;
  for (int x = 0; x < s.GetWidth(); ++x) out.push_back(s.GetPixel(x, y));
  return out;
}

inline void SetRow(TCustomDIBX& s, int y, const std::vector<std::uint32_t>& values) {
  for (int x = 0; x < static_cast<int>(values.size()); ++x) s.SetPixel(x, y, values[x]);
}

inline std::vector<std::uint32_t> All(TCustomDIBX& s) {
  std::vector<std::uint32_t> out;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) out.push_back(s.GetPixel(x, y));
  return out;
}

inline std::string RectStr(const TRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

}  // namespace vorn::test
