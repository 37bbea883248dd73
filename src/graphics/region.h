#pragma once

// Pixel regions of image maps: rectangles, ellipses and polygons filled with the nonzero winding
// rule, tested and filled at pixel centres. Every rule about which pixels a shape covers lives
// here. Coordinates may be any 32-bit values: they are clamped to +-2^24 (beyond any picture)
// and all products are formed in 64 or 128 bits. Nothing is allocated in proportion to a shape's
// area: rows are computed on demand.

#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/rect.h"

namespace vorn {

class TRegion {
 public:
  enum class TShape : std::uint8_t { kEmpty, kRectangle, kEllipse, kPolygon };

  // Farthest coordinate kept; anything beyond lies outside every picture.
  static constexpr std::int64_t kCoordinateLimit = std::int64_t{1} << 24;

  TRegion() = default;
  // Inclusive bounds: columns left..right and rows top..bottom. Reversed bounds are ordered after
  // the right and bottom edges become exclusive (9, 0, 0, 9 covers columns 1..8).
  static TRegion Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
  // The ellipse inscribed in the half-open box [left, right) x [top, bottom) (ordered); a pixel is
  // inside when its centre is.
  static TRegion Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
  // Nonzero winding at pixel centres; fewer than three points make an empty region.
  static TRegion Polygon(const std::vector<TPoint>& points);

  TShape Shape() const { return shape_; }
  bool Contains(std::int32_t x, std::int32_t y) const;
  // Half-open box holding every pixel of the region; empty for an empty region.
  TRect Box() const { return box_; }
  bool IsEmpty() const { return box_.left >= box_.right || box_.top >= box_.bottom; }

  // Calls visit(y, x0, x1) for each run [x0, x1) of region pixels in the rows [top, bottom) and
  // the columns [0, width), row by row, left to right.
  using TSpanVisitor = std::function<void(std::int32_t y, std::int32_t x0, std::int32_t x1)>;
  void ForEachSpan(std::int32_t top, std::int32_t bottom, std::int32_t width, const TSpanVisitor& visit) const;

 private:
  // A polygon edge at doubled coordinates (pixel centres are then odd numbers), covering the
  // rows [row_top, row_bottom).
  struct TEdge {
    std::int64_t x0, y0, x1, y1;
    std::int64_t row_top, row_bottom;
  };
  // Where an edge crosses the centre line of row y: the first column whose centre lies right of
  // the crossing, and the edge's direction.
  struct TCrossing {
    std::int64_t column;
    int direction;
  };

  static TCrossing CrossingOf(const TEdge& edge, std::int64_t y);
  // The inside columns [x0, x1) of row y of an ellipse, empty when x0 >= x1.
  void EllipseRow(std::int64_t y, std::int64_t& x0, std::int64_t& x1) const;
  void PolygonSpans(std::int64_t top, std::int64_t bottom, std::int64_t width, const TSpanVisitor& visit) const;

  TShape shape_ = TShape::kEmpty;
  TRect box_{};
  // Rectangle and ellipse: the ordered half-open box, clamped.
  std::int64_t left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
  // Polygon: its edges by top row.
  std::vector<TEdge> edges_;
};

}  // namespace vorn
