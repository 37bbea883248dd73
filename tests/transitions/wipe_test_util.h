#pragma once

#include <cstdint>
#include <string>
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

// The drawing calls the target received (without locks and the dirty rectangle), each source
// named "from", "to", or by the order in which other surfaces first appeared: "work1", "work2".
class CallScript {
 public:
  CallScript(const TCustomDIBX& from, const TCustomDIBX& to) : from_(&from), to_(&to) {}

  std::vector<std::string> Take(RecordingDIBX& target) {
    std::vector<std::string> out;
    for (const RecordedCall& c : target.Calls) {
      if (c.name == "Lock" || c.name == "AddDirtyRect") continue;
      std::string text = c.name;
      if (c.source != nullptr) text += " " + Name(c.source);
      if (!c.args.empty()) text += " " + c.args;
      out.push_back(text);
    }
    target.Calls.clear();
    return out;
  }

 private:
  std::string Name(const TCustomDIBX* s) {
    if (s == from_) return "from";
    if (s == to_) return "to";
    for (std::size_t i = 0; i < others_.size(); ++i)
      if (others_[i] == s) return "work" + std::to_string(i + 1);
    others_.push_back(s);
    return "work" + std::to_string(others_.size());
  }

  const TCustomDIBX* from_;
  const TCustomDIBX* to_;
  std::vector<const TCustomDIBX*> others_;
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
