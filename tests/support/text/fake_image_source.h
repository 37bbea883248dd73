#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/memory_dibx.h"
#include "text/wd_image_source.h"

namespace vorn::test {

// Pictures for image glyphs without a project: each name answers fixed 32-bit frames of a given
// size and colour, optionally with an 8-bit mask; Animate steps to the next frame.
class FakeImageSource : public TWdImageSource {
 public:
  struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> frame_colors{0x00FF0000};
    // -1: no mask; else every mask byte.
    int mask_value = -1;
    std::int32_t color_key = -1;
  };

  void Add(const std::string& name, Picture picture) { pictures_[name] = std::move(picture); }
  bool Exists(const std::string& name) override { return pictures_.count(name) != 0; }
  std::unique_ptr<TWdImageFrames> Load(const std::string& name) override;

  int loads = 0;
  int releases = 0;
  int restores = 0;

 private:
  std::map<std::string, Picture> pictures_;
};

}  // namespace vorn::test
