#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/geometry.h"

namespace vorn::platform {

// A block of 32-bit XRGB8888 pixels (blue in the low byte), rows top to bottom without padding.
// It is what a window's client area holds, in the real back end as a shadow of the screen.
class Framebuffer {
 public:
  Framebuffer() = default;
  Framebuffer(int width, int height, std::uint32_t fill = 0);

  int width() const { return width_; }
  int height() const { return height_; }
  Rect bounds() const { return Rect{0, 0, width_, height_}; }
  std::uint32_t* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  std::uint32_t* data() { return pixels_.data(); }
  const std::uint32_t* data() const { return pixels_.data(); }
  std::uint32_t Pixel(int x, int y) const { return row(y)[x]; }

  // Keeps the pixels that still fit; new area takes the fill value.
  void Resize(int width, int height, std::uint32_t fill = 0);
  void FillRect(const Rect& rect, std::uint32_t xrgb);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// A view of 32-bit pixels owned elsewhere (a drawing surface); stride counts pixels.
struct PixelView {
  const std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
};

// Pixels of a drawing surface as the screen takes them: 15-bit 5-5-5, 16-bit 5-6-5 or 32-bit
// XRGB words. top is row 0 and pitch the signed byte distance to row 1 (negative bottom-up).
enum class SourceFormat { kRgb555, kRgb565, kXrgb8888 };

struct SourcePixels {
  const std::uint8_t* top = nullptr;
  std::ptrdiff_t pitch = 0;
  int width = 0;
  int height = 0;
  SourceFormat format = SourceFormat::kXrgb8888;
};

// XRGB of a 5- or 6-bit channel layout, the top bits repeated below ((v << 3) | (v >> 2)).
std::uint32_t Widen555(std::uint16_t pixel);
std::uint32_t Widen565(std::uint16_t pixel);

// Draws the source rectangle onto dest (nearest pixel) into 32-bit target rows, clipped to clip
// and to the target; source pixels outside the source are never read. Returns the rectangle
// actually touched.
Rect BlitSourcePixels(std::uint32_t* target, std::ptrdiff_t target_stride, int target_width, int target_height,
                      const SourcePixels& src, const Rect& src_rect, const Rect& dest, const Rect& clip);

// Draws the source rectangle of src stretched onto dest (nearest pixel), clipped to clip and to
// the framebuffer. Equal sizes copy rows as they are. Returns the rectangle actually touched.
Rect StretchBlit(Framebuffer& target, const PixelView& src, const Rect& src_rect, const Rect& dest,
                 const Rect& clip);

}  // namespace vorn::platform
