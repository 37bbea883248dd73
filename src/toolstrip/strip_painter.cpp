#include "toolstrip/strip_painter.h"

#include "platform/face_colors.h"

namespace vorn {

TStripPainter TStripPainter::Child(int dx, int dy, int width, int height) const {
  TStripPainter child = *this;
  child.origin_x_ = origin_x_ + dx;
  child.origin_y_ = origin_y_ + dy;
  child.clip_ = platform::Intersect(clip_, platform::Rect{child.origin_x_, child.origin_y_, width, height});
  return child;
}

void TStripPainter::Fill(const platform::Rect& rect, std::uint32_t bgr) {
  const platform::Rect area = platform::Intersect(ToWindow(rect), clip_);
  if (area.empty()) return;
  target_.FillRect(area, platform::FaceXrgb(bgr));
}

void TStripPainter::Pixel(int x, int y, std::uint32_t bgr) { Fill(platform::Rect{x, y, 1, 1}, bgr); }

void TStripPainter::Ring(const platform::Rect& rect, std::uint32_t top_left, std::uint32_t bottom_right) {
  if (rect.empty()) return;
  Fill(platform::Rect{rect.left, rect.top, rect.width, 1}, top_left);
  Fill(platform::Rect{rect.left, rect.top, 1, rect.height}, top_left);
  Fill(platform::Rect{rect.left, rect.bottom() - 1, rect.width, 1}, bottom_right);
  Fill(platform::Rect{rect.right() - 1, rect.top, 1, rect.height}, bottom_right);
}

void TStripPainter::Checker(const platform::Rect& rect, std::uint32_t even_bgr, std::uint32_t odd_bgr) {
  const platform::Rect area = platform::Intersect(ToWindow(rect), clip_);
  const std::uint32_t even = platform::FaceXrgb(even_bgr);
  const std::uint32_t odd = platform::FaceXrgb(odd_bgr);
  for (int y = area.top; y < area.bottom(); ++y) {
    std::uint32_t* row = target_.row(y);
    for (int x = area.left; x < area.right(); ++x) row[x] = ((x - origin_x_ + y - origin_y_) & 1) == 0 ? even : odd;
  }
}

void TStripPainter::Text(int x, int y, std::string_view cp932, std::uint32_t bgr, const platform::Rect& clip) {
  if (!text_ || cp932.empty()) return;
  const platform::Rect area = platform::Intersect(ToWindow(clip), clip_);
  if (area.empty()) return;
  text_->DrawText(target_, x + origin_x_, y + origin_y_, cp932, platform::FaceXrgb(bgr), area);
}

}  // namespace vorn
