#include "graphics/region.h"

#include <algorithm>
#include <cmath>

namespace vorn {

namespace {

using Int128 = __int128;

std::int64_t Clamp(std::int64_t v) { return std::clamp(v, -TRegion::kCoordinateLimit, TRegion::kCoordinateLimit); }

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  // b > 0
  const std::int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

TRect BoxOf(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
  return TRect{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(right),
               static_cast<std::int32_t>(bottom)};
}

}  // namespace

TRegion TRegion::Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  TRegion region;
  region.shape_ = TShape::kRectangle;
  const std::int64_t l = left;
  const std::int64_t r = std::int64_t{right} + 1;
  const std::int64_t t = top;
  const std::int64_t b = std::int64_t{bottom} + 1;
  region.left_ = Clamp(std::min(l, r));
  region.right_ = Clamp(std::max(l, r));
  region.top_ = Clamp(std::min(t, b));
  region.bottom_ = Clamp(std::max(t, b));
  region.box_ = BoxOf(region.left_, region.top_, region.right_, region.bottom_);
  return region;
}

TRegion TRegion::Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  TRegion region;
  region.shape_ = TShape::kEllipse;
  region.left_ = Clamp(std::min(left, right));
  region.right_ = Clamp(std::max(left, right));
  region.top_ = Clamp(std::min(top, bottom));
  region.bottom_ = Clamp(std::max(top, bottom));
  if (region.left_ < region.right_ && region.top_ < region.bottom_) {
    region.box_ = BoxOf(region.left_, region.top_, region.right_, region.bottom_);
  }
  return region;
}

TRegion TRegion::Polygon(const std::vector<TPoint>& points) {
  TRegion region;
  region.shape_ = TShape::kPolygon;
  if (points.size() < 3) return region;
  std::int64_t min_x = kCoordinateLimit, max_x = -kCoordinateLimit;
  std::int64_t min_y = kCoordinateLimit, max_y = -kCoordinateLimit;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const TPoint& a = points[i];
    const TPoint& b = points[(i + 1) % points.size()];
    const std::int64_t ax = Clamp(a.x), ay = Clamp(a.y), bx = Clamp(b.x), by = Clamp(b.y);
    min_x = std::min(min_x, ax);
    max_x = std::max(max_x, ax);
    if (ay == by) continue;  // a horizontal edge crosses no row centre
    min_y = std::min({min_y, ay, by});
    max_y = std::max({max_y, ay, by});
    region.edges_.push_back(TEdge{2 * ax, 2 * ay, 2 * bx, 2 * by, std::min(ay, by), std::max(ay, by)});
  }
  if (region.edges_.empty() || min_x >= max_x) {
    region.edges_.clear();
    return region;
  }
  std::sort(region.edges_.begin(), region.edges_.end(),
            [](const TEdge& a, const TEdge& b) { return a.row_top < b.row_top; });
  region.box_ = BoxOf(min_x, min_y, max_x, max_y);
  return region;
}

TRegion::TCrossing TRegion::CrossingOf(const TEdge& edge, std::int64_t y) {
  const std::int64_t centre = 2 * y + 1;
  std::int64_t d = edge.y1 - edge.y0;
  std::int64_t n = edge.x0 * d + (centre - edge.y0) * (edge.x1 - edge.x0);
  if (d < 0) {
    n = -n;
    d = -d;
  }
  // The crossing lies at n / d; column x has its centre at 2x + 1.
  return TCrossing{FloorDiv(n - d, 2 * d) + 1, edge.y1 > edge.y0 ? 1 : -1};
}

void TRegion::EllipseRow(std::int64_t y, std::int64_t& x0, std::int64_t& x1) const {
  x0 = x1 = 0;
  const std::int64_t a = right_ - left_;  // both axes at doubled coordinates
  const std::int64_t b = bottom_ - top_;
  const std::int64_t dy = 2 * y + 1 - (top_ + bottom_);
  const Int128 b2 = Int128{b} * b;
  const Int128 room = b2 - Int128{dy} * dy;
  if (room < 0) return;
  const Int128 limit = Int128{a} * a * room;  // dx^2 * b^2 <= limit
  auto fits = [&](std::int64_t d) { return Int128{d} * d * b2 <= limit; };
  auto d = static_cast<std::int64_t>(std::sqrt(static_cast<long double>(limit)) / static_cast<long double>(b));
  while (d > 0 && !fits(d)) --d;
  while (fits(d + 1)) ++d;
  const std::int64_t centre = left_ + right_;
  // Centres 2x + 1 within [centre - d, centre + d].
  x0 = FloorDiv(centre - d, 2);
  x1 = FloorDiv(centre + d - 1, 2) + 1;
}

bool TRegion::Contains(std::int32_t x, std::int32_t y) const {
  if (IsEmpty() || x < box_.left || x >= box_.right || y < box_.top || y >= box_.bottom) return false;
  switch (shape_) {
    case TShape::kRectangle:
      return true;
    case TShape::kEllipse: {
      std::int64_t x0 = 0, x1 = 0;
      EllipseRow(y, x0, x1);
      return x >= x0 && x < x1;
    }
    case TShape::kPolygon: {
      int winding = 0;
      for (const TEdge& edge : edges_) {
        if (edge.row_top > y) break;
        if (edge.row_bottom <= y) continue;
        const TCrossing crossing = CrossingOf(edge, y);
        if (crossing.column <= x) winding += crossing.direction;
      }
      return winding != 0;
    }
    case TShape::kEmpty:
      break;
  }
  return false;
}

void TRegion::ForEachSpan(std::int32_t top, std::int32_t bottom, std::int32_t width, const TSpanVisitor& visit) const {
  if (IsEmpty() || width <= 0) return;
  const std::int64_t first = std::max<std::int64_t>(top, box_.top);
  const std::int64_t last = std::min<std::int64_t>(bottom, box_.bottom);
  if (first >= last) return;
  auto emit = [&](std::int64_t y, std::int64_t x0, std::int64_t x1) {
    x0 = std::max<std::int64_t>(x0, 0);
    x1 = std::min<std::int64_t>(x1, width);
    if (x0 < x1) visit(static_cast<std::int32_t>(y), static_cast<std::int32_t>(x0), static_cast<std::int32_t>(x1));
  };
  switch (shape_) {
    case TShape::kRectangle:
      for (std::int64_t y = first; y < last; ++y) emit(y, left_, right_);
      return;
    case TShape::kEllipse:
      for (std::int64_t y = first; y < last; ++y) {
        std::int64_t x0 = 0, x1 = 0;
        EllipseRow(y, x0, x1);
        emit(y, x0, x1);
      }
      return;
    case TShape::kPolygon:
      PolygonSpans(first, last, width, visit);
      return;
    case TShape::kEmpty:
      return;
  }
}

void TRegion::PolygonSpans(std::int64_t top, std::int64_t bottom, std::int64_t width, const TSpanVisitor& visit) const {
  // Active edge list: edges enter when the walk reaches their top row and leave below their last.
  std::vector<const TEdge*> active;
  std::vector<TCrossing> crossings;
  std::size_t next = 0;
  for (std::int64_t y = top; y < bottom; ++y) {
    while (next < edges_.size() && edges_[next].row_top <= y) {
      if (edges_[next].row_bottom > y) active.push_back(&edges_[next]);
      ++next;
    }
    std::erase_if(active, [y](const TEdge* edge) { return edge->row_bottom <= y; });
    crossings.clear();
    for (const TEdge* edge : active) crossings.push_back(CrossingOf(*edge, y));
    std::sort(crossings.begin(), crossings.end(),
              [](const TCrossing& a, const TCrossing& b) { return a.column < b.column; });
    int winding = 0;
    std::int64_t start = 0;
    for (const TCrossing& crossing : crossings) {
      const int before = winding;
      winding += crossing.direction;
      if (before == 0 && winding != 0) {
        start = crossing.column;
      } else if (before != 0 && winding == 0) {
        const std::int64_t x0 = std::max<std::int64_t>(start, 0);
        const std::int64_t x1 = std::min<std::int64_t>(crossing.column, width);
        if (x0 < x1) visit(static_cast<std::int32_t>(y), static_cast<std::int32_t>(x0), static_cast<std::int32_t>(x1));
      }
    }
  }
}

}  // namespace vorn
