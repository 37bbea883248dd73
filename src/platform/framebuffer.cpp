#include "platform/framebuffer.h"

#include <cstring>

namespace vorn::platform {

Framebuffer::Framebuffer(int width, int height, std::uint32_t fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

void Framebuffer::Resize(int width, int height, std::uint32_t fill) {
  Framebuffer resized(width, height, fill);
  int rows = std::min(height_, resized.height_);
  const int columns = std::min(width_, resized.width_);
  if (columns <= 0) rows = 0;  // memcpy must not see the null data of an empty buffer
  for (int y = 0; y < rows; ++y) {
    std::memcpy(resized.row(y), row(y), static_cast<std::size_t>(columns) * sizeof(std::uint32_t));
  }
  *this = std::move(resized);
}

void Framebuffer::FillRect(const Rect& rect, std::uint32_t xrgb) {
  const Rect area = Intersect(rect, bounds());
  if (area.empty()) return;
  for (int y = area.top; y < area.bottom(); ++y) {
    std::fill_n(row(y) + area.left, area.width, xrgb);
  }
}

Rect StretchBlit(Framebuffer& target, const PixelView& src, const Rect& src_rect, const Rect& dest,
                 const Rect& clip) {
  // Source pixels outside the view are skipped, never read.
  if (src_rect.empty() || dest.empty() || src.pixels == nullptr) return Rect{};
  const Rect area = Intersect(Intersect(dest, clip), target.bounds());
  if (area.empty()) return Rect{};

  if (src_rect.width == dest.width && src_rect.height == dest.height) {
    for (int y = area.top; y < area.bottom(); ++y) {
      const int sy = src_rect.top + (y - dest.top);
      if (sy < 0 || sy >= src.height) continue;
      int x0 = area.left;
      int x1 = area.right();
      int sx0 = src_rect.left + (x0 - dest.left);
      if (sx0 < 0) { x0 -= sx0; sx0 = 0; }
      x1 = std::min(x1, x0 + (src.width - sx0));
      if (x1 <= x0) continue;
      std::memcpy(target.row(y) + x0, src.pixels + static_cast<std::ptrdiff_t>(sy) * src.stride + sx0,
                  static_cast<std::size_t>(x1 - x0) * sizeof(std::uint32_t));
    }
    return area;
  }

  for (int y = area.top; y < area.bottom(); ++y) {
    const long long sy = src_rect.top + static_cast<long long>(y - dest.top) * src_rect.height / dest.height;
    if (sy < 0 || sy >= src.height) continue;
    const std::uint32_t* src_row = src.pixels + sy * src.stride;
    std::uint32_t* out = target.row(y);
    for (int x = area.left; x < area.right(); ++x) {
      const long long sx = src_rect.left + static_cast<long long>(x - dest.left) * src_rect.width / dest.width;
      if (sx < 0 || sx >= src.width) continue;
      out[x] = src_row[sx];
    }
  }
  return area;
}

}  // namespace vorn::platform
