#pragma once

#include <cstdint>
#include <string_view>

#include "platform/dialog.h"

namespace vorn::test {

// A font of solid blocks, so tests can find text by its ink: every byte is kAdvance pixels wide
// and draws a kInkWidth × kInkHeight block kInkTop below the line's top; a line is kLineHeight.
class BlockTextRenderer final : public platform::TextRenderer {
 public:
  static constexpr int kAdvance = 6;
  static constexpr int kInkWidth = 5;
  static constexpr int kInkTop = 2;
  static constexpr int kInkHeight = 8;
  static constexpr int kLineHeight = 12;

  int TextWidth(std::string_view text) override { return static_cast<int>(text.size()) * kAdvance; }
  int LineHeight() override { return kLineHeight; }
  void DrawText(platform::Framebuffer& target, int x, int y, std::string_view text, std::uint32_t xrgb,
                const platform::Rect& clip) override {
    for (std::size_t i = 0; i < text.size(); ++i) {
      const platform::Rect block{x + static_cast<int>(i) * kAdvance, y + kInkTop, kInkWidth, kInkHeight};
      const platform::Rect area = platform::Intersect(platform::Intersect(block, clip), target.bounds());
      if (!area.empty()) target.FillRect(area, xrgb);
    }
  }
};

}  // namespace vorn::test
