#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "foundation/stream.h"
#include "graphics/region.h"
#include "graphics/region_file.h"

namespace vorn {
namespace {

// ---- brute-force reference: one pixel at a time, exact integers at doubled coordinates ----

struct RefShape {
  int kind = 0;  // 0 rectangle, 1 ellipse, 2 polygon
  std::int64_t l = 0, t = 0, r = 0, b = 0;
  std::vector<std::pair<std::int64_t, std::int64_t>> points;
};

bool RefContains(const RefShape& s, std::int64_t x, std::int64_t y) {
  const std::int64_t px = 2 * x + 1;
  const std::int64_t py = 2 * y + 1;
  if (s.kind == 0) {
    const std::int64_t x_lo = std::min(s.l, s.r + 1), x_hi = std::max(s.l, s.r + 1);
    const std::int64_t y_lo = std::min(s.t, s.b + 1), y_hi = std::max(s.t, s.b + 1);
    return x >= x_lo && x < x_hi && y >= y_lo && y < y_hi;
  }
  if (s.kind == 1) {
    const std::int64_t x_lo = std::min(s.l, s.r), x_hi = std::max(s.l, s.r);
    const std::int64_t y_lo = std::min(s.t, s.b), y_hi = std::max(s.t, s.b);
    const std::int64_t a = x_hi - x_lo, bb = y_hi - y_lo;
    if (a == 0 || bb == 0) return false;
    const std::int64_t dx = px - (x_lo + x_hi), dy = py - (y_lo + y_hi);
    return dx * dx * bb * bb + dy * dy * a * a <= a * a * bb * bb;
  }
  if (s.points.size() < 3) return false;
  int winding = 0;
  for (std::size_t i = 0; i < s.points.size(); ++i) {
    const std::int64_t x0 = 2 * s.points[i].first, y0 = 2 * s.points[i].second;
    const std::int64_t x1 = 2 * s.points[(i + 1) % s.points.size()].first;
    const std::int64_t y1 = 2 * s.points[(i + 1) % s.points.size()].second;
    if (!((y0 < py && py < y1) || (y1 < py && py < y0))) continue;
    // The edge meets the row's centre line at x0 + (py - y0) (x1 - x0) / (y1 - y0); it counts when
    // that lies strictly left of the pixel's centre.
    const std::int64_t num = x0 * (y1 - y0) + (py - y0) * (x1 - x0);
    const std::int64_t den = y1 - y0;
    const bool left = den > 0 ? num < px * den : num > px * den;
    if (left) winding += y1 > y0 ? 1 : -1;
  }
  return winding != 0;
}

TRegion Build(const RefShape& s) {
  auto c = [](std::int64_t v) { return static_cast<std::int32_t>(v); };
  if (s.kind == 0) return TRegion::Rectangle(c(s.l), c(s.t), c(s.r), c(s.b));
  if (s.kind == 1) return TRegion::Ellipse(c(s.l), c(s.t), c(s.r), c(s.b));
  std::vector<TPoint> points;
  for (const auto& [x, y] : s.points) points.push_back({c(x), c(y)});
  return TRegion::Polygon(points);
}

constexpr int kLo = -6, kHi = 46;

// The region answers as the reference at every pixel, span by span and point by point, and its box
// holds every pixel.
void ExpectLikeReference(const RefShape& shape, const std::string& what) {
  const TRegion region = Build(shape);
  std::vector<std::vector<bool>> spans(kHi - kLo, std::vector<bool>(kHi, false));
  region.ForEachSpan(kLo, kHi, kHi, [&](std::int32_t y, std::int32_t x0, std::int32_t x1) {
    ASSERT_LT(x0, x1);
    for (std::int32_t x = x0; x < x1; ++x) {
      ASSERT_FALSE(spans[y - kLo][x]) << what << " span overlap at " << x << "," << y;
      spans[y - kLo][x] = true;
    }
  });
  const TRect box = region.Box();
  for (int y = kLo; y < kHi; ++y) {
    for (int x = kLo; x < kHi; ++x) {
      const bool expected = RefContains(shape, x, y);
      ASSERT_EQ(region.Contains(x, y), expected) << what << " at " << x << "," << y;
      if (x >= 0) {
        ASSERT_EQ(spans[y - kLo][x], expected) << what << " span at " << x << "," << y;
      }
      if (expected) {
        ASSERT_TRUE(x >= box.left && x < box.right && y >= box.top && y < box.bottom) << what;
      }
    }
  }
}

TEST(Region, RandomShapesMatchABruteForceReference) {
  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> coordinate(-8, 44);
  std::uniform_int_distribution<int> vertices(0, 9);
  for (int round = 0; round < 300; ++round) {
    RefShape shape;
    shape.kind = round % 3;
    if (shape.kind < 2) {
      shape.l = coordinate(random);
      shape.t = coordinate(random);
      shape.r = coordinate(random);
      shape.b = coordinate(random);
    } else {
      const int n = vertices(random);
      for (int i = 0; i < n; ++i) shape.points.emplace_back(coordinate(random), coordinate(random));
    }
    ExpectLikeReference(shape, "round " + std::to_string(round));
  }
}

TEST(Region, EdgePixelsOfEachShape) {
  struct Case {
    const char* what;
    TRegion region;
    TPoint point;
    bool inside;
  };
  const TRegion square = TRegion::Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  // A five-pointed star in one stroke: its centre is wound twice.
  const TRegion star = TRegion::Polygon({{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}});
  const Case cases[] = {
      {"rectangle 0..9 holds 0", TRegion::Rectangle(0, 0, 9, 9), {0, 0}, true},
      {"rectangle 0..9 holds 9", TRegion::Rectangle(0, 0, 9, 9), {9, 9}, true},
      {"rectangle 0..9 misses 10", TRegion::Rectangle(0, 0, 9, 9), {10, 5}, false},
      {"rectangle 0..9 misses row 10", TRegion::Rectangle(0, 0, 9, 9), {5, 10}, false},
      {"reversed rectangle misses column 0", TRegion::Rectangle(9, 0, 0, 9), {0, 5}, false},
      {"reversed rectangle holds column 1", TRegion::Rectangle(9, 0, 0, 9), {1, 5}, true},
      {"reversed rectangle holds column 8", TRegion::Rectangle(9, 0, 0, 9), {8, 5}, true},
      {"reversed rectangle misses column 9", TRegion::Rectangle(9, 0, 0, 9), {9, 5}, false},
      {"ellipse 0..9 holds column 8", TRegion::Ellipse(0, 0, 9, 9), {8, 4}, true},
      {"ellipse 0..9 misses column 9", TRegion::Ellipse(0, 0, 9, 9), {9, 4}, false},
      {"ellipse misses its box corner", TRegion::Ellipse(0, 0, 9, 9), {0, 0}, false},
      {"square polygon holds 0", square, {0, 0}, true},
      {"square polygon holds 9", square, {9, 9}, true},
      {"square polygon misses 10", square, {10, 9}, false},
      {"star holds its centre", star, {10, 10}, true},
      {"star holds a point", star, {10, 2}, true},
      {"two points are empty", TRegion::Polygon({{0, 0}, {9, 9}}), {4, 4}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.region.Contains(c.point.x, c.point.y), c.inside) << c.what;
  EXPECT_TRUE(TRegion::Polygon({{0, 0}, {9, 9}}).IsEmpty());
  EXPECT_TRUE(TRegion::Ellipse(3, 0, 3, 9).IsEmpty());
  EXPECT_TRUE(TRegion().IsEmpty());
  EXPECT_EQ(TRegion::Rectangle(9, 0, 0, 9).Box(), (TRect{1, 0, 9, 10}));
}

TEST(Region, ExtremeCoordinatesStayExactAndCheap) {
  const std::int32_t lo = INT32_MIN, hi = INT32_MAX;
  const TRegion everything = TRegion::Rectangle(lo, lo, hi, hi);
  EXPECT_TRUE(everything.Contains(0, 0));
  EXPECT_TRUE(everything.Contains(-1000000, 1000000));
  const TRegion huge_ellipse = TRegion::Ellipse(lo, lo, hi, hi);
  EXPECT_TRUE(huge_ellipse.Contains(0, 0));
  const TRegion sliver = TRegion::Polygon({{lo, lo}, {hi, hi}, {hi, hi - 1}});
  EXPECT_FALSE(sliver.Contains(0, 100));
  // Filling a small mask of a huge region visits only the mask's rows.
  int rows = 0;
  huge_ellipse.ForEachSpan(0, 8, 8, [&](std::int32_t, std::int32_t x0, std::int32_t x1) {
    ++rows;
    EXPECT_EQ(x0, 0);
    EXPECT_EQ(x1, 8);
  });
  EXPECT_EQ(rows, 8);
}

// ---- region file ----

using Bytes = std::vector<std::uint8_t>;

void Int(Bytes& out, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int s = 0; s < 32; s += 8) out.push_back(static_cast<std::uint8_t>(u >> s));
}

// Two regions spelled out field by field: "door" rectangle 0,0,9,9, then "ア" (83 41) polygon of
// three points.
Bytes TwoRegions() {
  Bytes out;
  Int(out, 2);                                 // count
  Int(out, 4);                                 // text length
  out.insert(out.end(), {'d', 'o', 'o', 'r'});
  out.push_back(0);                            // rectangle
  for (std::int32_t v : {0, 0, 9, 9}) Int(out, v);
  Int(out, 2);
  out.insert(out.end(), {0x83, 0x41});
  out.push_back(7);                            // any other shape: polygon
  Int(out, 3);                                 // points
  for (std::int32_t v : {20, 0, 30, 10, 20, 10}) Int(out, v);
  return out;
}

TEST(RegionFile, ReadsRegionsInFileOrder) {
  Bytes bytes = TwoRegions();
  bytes.insert(bytes.end(), {0xDE, 0xAD});  // trailing bytes are ignored
  TMemoryStream stream(bytes);
  const std::vector<TMapRegion> regions = ReadRegionFile(stream, "map.dat");
  ASSERT_EQ(regions.size(), 2u);
  EXPECT_EQ(regions[0].text, "door");
  EXPECT_EQ(regions[0].region.Shape(), TRegion::TShape::kRectangle);
  EXPECT_EQ(regions[0].region.Box(), (TRect{0, 0, 10, 10}));
  EXPECT_EQ(regions[1].text, "\x83\x41");
  EXPECT_EQ(regions[1].region.Shape(), TRegion::TShape::kPolygon);
  EXPECT_TRUE(regions[1].region.Contains(28, 9));
  EXPECT_FALSE(regions[1].region.Contains(25, 1));
}

TEST(RegionFile, EveryTruncationRaisesAnErrorNamingTheFile) {
  const Bytes full = TwoRegions();
  for (std::size_t size = 0; size < full.size(); ++size) {
    TMemoryStream stream(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size)));
    try {
      ReadRegionFile(stream, "cut.dat");
      ADD_FAILURE() << "no error at " << size;
    } catch (const ERegionFileError& error) {
      EXPECT_NE(std::string(error.what()).find("cut.dat"), std::string::npos) << error.what();
    }
  }
}

TEST(RegionFile, CountsBeyondTheFileAreRefusedBeforeAllocating) {
  struct Case {
    const char* what;
    std::size_t offset;  // of the int32 replaced
    std::int32_t value;
  };
  const Case cases[] = {
      {"negative region count", 0, -1},
      {"huge region count", 0, 0x7FFFFFFF},
      {"negative text length", 4, -2},
      {"huge text length", 4, 0x7FFFFFF0},
      {"negative point count", 4 + 4 + 4 + 1 + 16 + 4 + 2 + 1, -1},
      {"huge point count", 4 + 4 + 4 + 1 + 16 + 4 + 2 + 1, 0x20000000},
  };
  for (const Case& c : cases) {
    Bytes bytes = TwoRegions();
    const auto u = static_cast<std::uint32_t>(c.value);
    for (int i = 0; i < 4; ++i) bytes[c.offset + i] = static_cast<std::uint8_t>(u >> (8 * i));
    TMemoryStream stream(bytes);
    EXPECT_THROW(ReadRegionFile(stream, "bad.dat"), ERegionFileError) << c.what;
  }
}

}  // namespace
}  // namespace vorn
