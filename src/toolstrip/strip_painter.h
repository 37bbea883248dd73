#pragma once

#include <cstdint>
#include <string_view>

#include "platform/dialog.h"
#include "platform/framebuffer.h"
#include "platform/geometry.h"

namespace vorn {

// Draws one strip control into the window's canvas. Coordinates are the control's own, colours
// 0x00BBGGRR; everything is clipped to the painter's clip rectangle (window coordinates).
class TStripPainter {
 public:
  TStripPainter(platform::Framebuffer& target, platform::TextRenderer* text, const platform::Rect& clip)
      : target_(target), text_(text), clip_(platform::Intersect(clip, target.bounds())) {}

  // The painter of a control at (dx, dy) of this one, clipped further to its own rectangle.
  TStripPainter Child(int dx, int dy, int width, int height) const;

  void Fill(const platform::Rect& rect, std::uint32_t bgr);
  void Pixel(int x, int y, std::uint32_t bgr);
  // A 1-pixel ring: the top row and the left column in top_left, then the bottom row and the
  // right column in bottom_right, which therefore take the two corners the sides share.
  void Ring(const platform::Rect& rect, std::uint32_t top_left, std::uint32_t bottom_right);
  // Even cells (x + y even, counted from this painter's origin) in even_bgr, the others in odd_bgr.
  void Checker(const platform::Rect& rect, std::uint32_t even_bgr, std::uint32_t odd_bgr);

  bool HasText() const { return text_ != nullptr; }
  int TextWidth(std::string_view cp932) const { return text_ ? text_->TextWidth(cp932) : 0; }
  int LineHeight() const { return text_ ? text_->LineHeight() : 0; }
  // Text with its top-left corner at (x, y), clipped to clip (own coordinates) as well.
  void Text(int x, int y, std::string_view cp932, std::uint32_t bgr, const platform::Rect& clip);

 private:
  platform::Rect ToWindow(const platform::Rect& own) const {
    return platform::Rect{own.left + origin_x_, own.top + origin_y_, own.width, own.height};
  }

  platform::Framebuffer& target_;
  platform::TextRenderer* text_;
  platform::Rect clip_;
  int origin_x_ = 0;
  int origin_y_ = 0;
};

}  // namespace vorn
