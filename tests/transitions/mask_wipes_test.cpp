// The mask effects checked by their masks: expected values are worked by hand from the formulas
// (comments give the steps), or come from small independent models written out here.
#include "transitions/mask_wipes.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/run_time_random.h"
#include "graphics/dibx.h"
#include "graphics/vector_unit.h"
#include "transitions/create_wipe.h"
#include "transitions/wipe_test_util.h"

namespace vorn {
namespace {

using test::WipePages;
using Row = std::vector<int>;

// Reaches the mask of any mask effect.
template <class Wipe>
class Exposed : public Wipe {
 public:
  using Wipe::Wipe;
  TDIBX& Mask() { return this->MaskSurface(); }
  bool IsTwoLevel() const { return this->TwoLevel == 1; }
};

Row MaskRow(TDIBX& mask, int y) {
  Row out;
  for (int x = 0; x < mask.GetWidth(); ++x) out.push_back(static_cast<int>(mask.GetPixel(x, y)));
  return out;
}

Row MaskColumn(TDIBX& mask, int x) {
  Row out;
  for (int y = 0; y < mask.GetHeight(); ++y) out.push_back(static_cast<int>(mask.GetPixel(x, y)));
  return out;
}

// The mask of a prepared effect after UpdateMask at time t of total.
template <class Wipe>
std::unique_ptr<Exposed<Wipe>> MaskAt(WipePages& pages, std::int32_t p0, std::int32_t p1,
                                      std::uint8_t direction, std::int32_t t, std::int32_t total) {
  auto wipe = std::make_unique<Exposed<Wipe>>(pages.target, pages.from, pages.to);
  wipe->SetParam(0, p0);
  wipe->SetParam(1, p1);
  wipe->SetDirection(direction);
  wipe->Total = total;
  wipe->Prepare();
  wipe->Current = t;
  wipe->UpdateMask();
  return wipe;
}

// --- blinds and curtains ---

struct BandCase {
  const char* name;
  std::uint8_t direction;
  std::int32_t p1;
  Row row;
  bool twoLevel;
};

// W = 10, p0 = 4, T = 100, t = 50. p1 = 1: b = 7 × 50 / 100 = 3; e = 0, 2, 4, 6 in each band,
// ramp(3 − e, 1) = 255, 255, 0, 0. p1 = 20: b = 26 × 50 / 100 = 13; ramp(13, 20) = 165,
// ramp(11, 20) = 140, ramp(9, 20) = 114, ramp(7, 20) = 89.
const BandCase kBlindCases[] = {
    {"hard", 0, 1, {255, 255, 0, 0, 255, 255, 0, 0, 255, 255}, true},
    {"hard reversed", 1, 1, {0, 0, 255, 255, 0, 0, 255, 255, 0, 0}, true},
    {"direction 2 as 0", 2, 1, {255, 255, 0, 0, 255, 255, 0, 0, 255, 255}, true},
    {"soft", 0, 20, {165, 140, 114, 89, 165, 140, 114, 89, 165, 140}, false},
    {"soft reversed", 1, 20, {89, 114, 140, 165, 89, 114, 140, 165, 89, 114}, false},
};

TEST(MaskBlinds, HorizontalGoldenRows) {
  for (const BandCase& c : kBlindCases) {
    SCOPED_TRACE(c.name);
    WipePages pages(10, 6, 32);
    auto wipe = MaskAt<TWipeBlindH>(pages, 4, c.p1, c.direction, 50, 100);
    ASSERT_EQ(wipe->Mask().GetHeight(), 1);
    EXPECT_EQ(MaskRow(wipe->Mask(), 0), c.row);
    EXPECT_EQ(wipe->IsTwoLevel(), c.twoLevel);
  }
}

TEST(MaskBlinds, VerticalGivesEachMaskRowItsRampValue) {
  for (const BandCase& c : kBlindCases) {
    SCOPED_TRACE(c.name);
    WipePages pages(3, 10, 32);
    auto wipe = MaskAt<TWipeBlindV>(pages, 4, c.p1, c.direction, 50, 100);
    ASSERT_EQ(wipe->Mask().GetHeight(), 4);
    const Row firstBand(c.row.begin(), c.row.begin() + 4);
    EXPECT_EQ(MaskColumn(wipe->Mask(), 0), firstBand);
    EXPECT_EQ(MaskColumn(wipe->Mask(), 2), firstBand);
  }
}

TEST(MaskBlinds, MaskHeights) {
  WipePages pages(5, 30, 32);
  struct Case {
    std::int32_t p0;
    int height;
  } cases[] = {{2, 2}, {7, 7}, {30, 30}, {31, 30}, {INT_MAX, 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.p0);
    Exposed<TWipeBlindV> blindV(pages.target, pages.from, pages.to);
    blindV.SetParam(0, c.p0);
    blindV.Prepare();
    EXPECT_EQ(blindV.Mask().GetHeight(), c.height);
    Exposed<TWipeGridH> gridH(pages.target, pages.from, pages.to);
    gridH.SetParam(0, c.p0);
    gridH.Prepare();
    EXPECT_EQ(gridH.Mask().GetHeight(), c.height);
  }
  Exposed<TWipeBlindH> blindH(pages.target, pages.from, pages.to);
  blindH.Prepare();
  EXPECT_EQ(blindH.Mask().GetHeight(), 1);
  Exposed<TWipeCurtainV> curtainV(pages.target, pages.from, pages.to);
  curtainV.Prepare();
  EXPECT_EQ(curtainV.Mask().GetHeight(), 30);
}

// A band width far beyond the target: the rows the target shows keep their values.
TEST(MaskBlinds, HugeBandWidthKeepsTheShownRows) {
  WipePages pages(2, 6, 32);
  auto wipe = MaskAt<TWipeBlindV>(pages, INT_MAX, 1, 0, 1, 2);
  // b = (1 + 2 × (2^31 − 1) − 2) × 1 / 2 = 2^31 − 2; rows g < 6 have e = 2g, all far below b.
  EXPECT_EQ(MaskColumn(wipe->Mask(), 0), (Row{255, 255, 255, 255, 255, 255}));
  auto reversed = MaskAt<TWipeBlindV>(pages, INT_MAX, 1, 1, 1, 2);
  // Reversed: e = 2 × (2^31 − 1 − g − 1) > b for every shown row.
  EXPECT_EQ(MaskColumn(reversed->Mask(), 0), (Row{0, 0, 0, 0, 0, 0}));
}

// W = 10, p0 = 4, p1 = 1, T = 100, t = 50: bands = 3, b = ((3 + 2) × 16 + 1) × 50 / 100 = 40;
// g = 16 × (f div 4 + f mod 4) = 0 16 32 48 | 16 32 48 64 | 32 48; ramp(40 − g, 1).
TEST(MaskCurtains, GoldenRowsIncludingTheNarrowLastBand) {
  const Row forward{255, 255, 255, 0, 255, 255, 0, 0, 255, 0};
  const Row backward(forward.rbegin(), forward.rend());
  WipePages wide(10, 3, 32);
  EXPECT_EQ(MaskRow(MaskAt<TWipeCurtainH>(wide, 4, 1, 0, 50, 100)->Mask(), 0), forward);
  EXPECT_EQ(MaskRow(MaskAt<TWipeCurtainH>(wide, 4, 1, 1, 50, 100)->Mask(), 0), backward);
  EXPECT_EQ(MaskRow(MaskAt<TWipeCurtainH>(wide, 4, 1, 7, 50, 100)->Mask(), 0), forward);
  WipePages tall(3, 10, 32);
  EXPECT_EQ(MaskColumn(MaskAt<TWipeCurtainV>(tall, 4, 1, 0, 50, 100)->Mask(), 1), forward);
  EXPECT_EQ(MaskColumn(MaskAt<TWipeCurtainV>(tall, 4, 1, 1, 50, 100)->Mask(), 1), backward);
}

// --- grids ---

struct GridCase {
  const char* name;
  int kind;  // 0 Grid, 1 GridH, 2 GridV
  std::uint8_t direction;
  std::vector<Row> mask;
};

// 8 × 8, p0 = 4, p1 = 30, T = 100, t = 50; 2 × 2 cells.
// Grid: d = 4 × round(√2) = 4, e = 30 × 50 / 100 = 15. Cell (0, 0): h = 0, v = 15 × 255 / 30 =
// 127, side 4 × 15 / 30 = 2, margin 1. The others: h = 4, v = 11 × 255 / 30 = 93, side 1,
// margin 1.
// GridH: one band of cells (mask height 4), d = 8, e = 34 × 50 / 100 = 17: v = 144 (side 2) and
// 13 × 255 / 30 = 110 (side 1). GridV: the same down the rows.
const GridCase kGridCases[] = {
    {"grid", 0, 0,
     {{0, 0, 0, 0, 0, 0, 0, 0},
      {0, 127, 127, 0, 0, 93, 0, 0},
      {0, 127, 127, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 93, 0, 0, 0, 93, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0}}},
    {"grid reversed", 0, 1,
     {{0, 0, 0, 0, 0, 0, 0, 0},
      {0, 93, 0, 0, 0, 93, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 93, 0, 0, 0, 127, 127, 0},
      {0, 0, 0, 0, 0, 127, 127, 0},
      {0, 0, 0, 0, 0, 0, 0, 0}}},
    {"columns", 1, 0,
     {{0, 0, 0, 0, 0, 0, 0, 0},
      {0, 144, 144, 0, 0, 110, 0, 0},
      {0, 144, 144, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0}}},
    {"columns reversed", 1, 1,
     {{0, 0, 0, 0, 0, 0, 0, 0},
      {0, 110, 0, 0, 0, 144, 144, 0},
      {0, 0, 0, 0, 0, 144, 144, 0},
      {0, 0, 0, 0, 0, 0, 0, 0}}},
    {"rows", 2, 0,
     {{0, 0, 0, 0, 0, 0, 0, 0},
      {0, 144, 144, 0, 0, 144, 144, 0},
      {0, 144, 144, 0, 0, 144, 144, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 110, 0, 0, 0, 110, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0}}},
    {"rows reversed", 2, 1,
     {{0, 0, 0, 0, 0, 0, 0, 0},
      {0, 110, 0, 0, 0, 110, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 144, 144, 0, 0, 144, 144, 0},
      {0, 144, 144, 0, 0, 144, 144, 0},
      {0, 0, 0, 0, 0, 0, 0, 0}}},
};

TEST(MaskGrids, GoldenMasks) {
  for (const GridCase& c : kGridCases) {
    SCOPED_TRACE(c.name);
    WipePages pages(8, 8, 32);
    std::unique_ptr<TWipeMask> keep;
    TDIBX* mask = nullptr;
    bool twoLevel = true;
    if (c.kind == 0) {
      auto w = MaskAt<TWipeGrid>(pages, 4, 30, c.direction, 50, 100);
      mask = &w->Mask();
      twoLevel = w->IsTwoLevel();
      keep = std::move(w);
    } else if (c.kind == 1) {
      auto w = MaskAt<TWipeGridH>(pages, 4, 30, c.direction, 50, 100);
      mask = &w->Mask();
      twoLevel = w->IsTwoLevel();
      keep = std::move(w);
    } else {
      auto w = MaskAt<TWipeGridV>(pages, 4, 30, c.direction, 50, 100);
      mask = &w->Mask();
      twoLevel = w->IsTwoLevel();
      keep = std::move(w);
    }
    ASSERT_EQ(mask->GetHeight(), static_cast<int>(c.mask.size()));
    for (int y = 0; y < mask->GetHeight(); ++y) EXPECT_EQ(MaskRow(*mask, y), c.mask[static_cast<std::size_t>(y)]) << "row " << y;
    EXPECT_FALSE(twoLevel);
  }
}

// p1 = 1 makes the cells hard-edged; a huge cell size covers the target with one cell.
TEST(MaskGrids, HardEdgesAndOneHugeCell) {
  WipePages pages(6, 4, 32);
  // One cell: d = 0, e = (1 + 0 − 4) × t / T ≤ 0, so nothing shows before the end.
  auto huge = MaskAt<TWipeGrid>(pages, INT_MAX, 1, 0, 99, 100);
  EXPECT_TRUE(test::AllEqual(huge->Mask(), 0));
  EXPECT_TRUE(huge->IsTwoLevel());
  // p0 = 2 gives 3 × 2 cells, d = 4 × round(√5) = 8, e = 5 × 99 / 100 = 4 at t = 99: cell
  // (0, 0) (h = 0) is a full 255 square; the cells with h = 4 are at ramp(0) = 0.
  auto hard = MaskAt<TWipeGrid>(pages, 2, 1, 0, 99, 100);
  EXPECT_EQ(MaskRow(hard->Mask(), 0), (Row{255, 255, 0, 0, 0, 0}));
  EXPECT_EQ(MaskRow(hard->Mask(), 1), (Row{255, 255, 0, 0, 0, 0}));
  EXPECT_EQ(MaskRow(hard->Mask(), 3), (Row{0, 0, 0, 0, 0, 0}));
}

// --- dither ---

// The shuffle bag written out from its definition: state := state × 5 + increment, then the
// entry state mod (numbers left) leaves the bag.
std::vector<int> ReferenceDitherOrder() {
  std::uint32_t state = 0;
  std::vector<int> bag;
  for (int i = 0; i < 4096; ++i) bag.push_back(i);
  std::vector<int> order;
  while (!bag.empty()) {
    state = state * 5u + 12341u;
    const std::size_t i = state % bag.size();
    order.push_back(bag[i]);
    bag.erase(bag.begin() + static_cast<std::ptrdiff_t>(i));
  }
  return order;
}

TEST(MaskDither, OrderAndFirstCells) {
  WipePages pages(64, 64, 32);
  auto wipe = MaskAt<TWipeDither>(pages, 0, 0, 0, 1, 4096);
  const std::vector<int> reference = ReferenceDitherOrder();
  ASSERT_EQ(wipe->CellOrder().size(), 4096u);
  EXPECT_EQ(std::vector<int>(wipe->CellOrder().begin(), wipe->CellOrder().begin() + 4),
            (std::vector<int>{53, 337, 1831, 1488}));
  EXPECT_TRUE(std::equal(reference.begin(), reference.end(), wipe->CellOrder().begin()));
  EXPECT_TRUE(wipe->IsTwoLevel());
  // t = 1 of 4096: n = 1, only cell 53 = (53, 0).
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      ASSERT_EQ(wipe->Mask().GetPixel(x, y), (x == 53 && y == 0) ? 255u : 0u) << x << "," << y;
  wipe->Current = 4;
  EXPECT_TRUE(wipe->UpdateMask());
  int set = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) set += wipe->Mask().GetPixel(x, y) == 255 ? 1 : 0;
  EXPECT_EQ(set, 4);
  for (auto [x, y] : {std::pair{53, 0}, {17, 5}, {39, 28}, {16, 23}}) EXPECT_EQ(wipe->Mask().GetPixel(x, y), 255u);
}

// Either branch gives the tile of "the first n cells in order are 255"; the tile repeats
// across a wider mask, clipped at the right edge.
TEST(MaskDither, BothBranchesGiveTheSameTile) {
  const std::vector<int> order = ReferenceDitherOrder();
  WipePages pages(150, 70, 32);
  auto wipe = MaskAt<TWipeDither>(pages, 0, 0, 0, 0, 4096);
  ASSERT_EQ(wipe->Mask().GetHeight(), 64);
  for (int n : {0, 1, 2046, 2047, 2048, 2049, 4000, 4095}) {
    SCOPED_TRACE(n);
    wipe->Current = n;
    wipe->UpdateMask();
    std::vector<int> tile(4096, 0);
    for (int i = 0; i < n; ++i) tile[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = 255;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 150; ++x)
        ASSERT_EQ(static_cast<int>(wipe->Mask().GetPixel(x, y)), tile[static_cast<std::size_t>(y * 64 + x % 64)])
            << x << "," << y;
  }
}

// --- WP_MASKFADE without a picture ---

TEST(MaskShadow, NoPictureFadesEvenly) {
  WipePages pages(5, 3, 32);
  for (auto [t, level] : {std::pair{0, 0}, {1, 0}, {2, 1}, {100, 99}, {256, 255}, {511, 255}}) {
    SCOPED_TRACE(t);
    // index = t × 512 / 512 + 255; ramp(index) = index − 256 between 256 and 511.
    auto wipe = MaskAt<TWipeShadow>(pages, 0, 0, 0, t, 512);
    EXPECT_TRUE(test::AllEqual(wipe->Mask(), static_cast<std::uint32_t>(level)));
    EXPECT_FALSE(wipe->IsTwoLevel());
  }
}

// --- sectors ---

// Quadrants of an 8 × 8 mask about (4, 4).
enum Quadrant { TL = 1, TR = 2, BL = 4, BR = 8 };

int QuadrantsOf(TDIBX& mask) {
  int all = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const int q = y < 4 ? (x < 4 ? TL : TR) : (x < 4 ? BL : BR);
      if (mask.GetPixel(x, y) == 255) all |= q;
    }
  // Every quadrant is either wholly set or wholly clear.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const int q = y < 4 ? (x < 4 ? TL : TR) : (x < 4 ? BL : BR);
      if ((mask.GetPixel(x, y) == 255) != ((all & q) != 0)) return -1;
    }
  return all;
}

struct SectorCase {
  const char* name;
  int kind;  // 0 hand, 1 fan, 2 double fan
  std::int32_t degrees;
  std::uint8_t direction;
  std::int32_t t;  // of 400
  int quadrants;
};

const SectorCase kSectorCases[] = {
    {"hand quarter", 0, 0, 0, 100, TR},
    {"hand quarter back", 0, 0, 1, 100, TL},
    {"hand direction 2", 0, 0, 2, 100, TR},
    {"hand three quarters", 0, 0, 0, 300, TR | BR | BL},
    {"hand from the right", 0, 90, 0, 100, BR},
    {"fan half", 1, 0, 0, 200, TL | TR},
    {"fan half from the right", 1, 90, 0, 200, TR | BR},
    {"fan ignores direction", 1, 0, 1, 200, TL | TR},
    {"double fan 45", 2, 45, 0, 200, TR | BL},
    {"double fan 135", 2, 135, 0, 200, BR | TL},
};

TEST(MaskSectors, GoldenQuadrants) {
  for (const SectorCase& c : kSectorCases) {
    SCOPED_TRACE(c.name);
    WipePages pages(8, 8, 32);
    int got = 0;
    if (c.kind == 0) got = QuadrantsOf(MaskAt<TWipeClockhand>(pages, c.degrees, 0, c.direction, c.t, 400)->Mask());
    if (c.kind == 1) got = QuadrantsOf(MaskAt<TWipeFan>(pages, c.degrees, 0, c.direction, c.t, 400)->Mask());
    if (c.kind == 2) got = QuadrantsOf(MaskAt<TWipeWFan>(pages, c.degrees, 0, c.direction, c.t, 400)->Mask());
    EXPECT_EQ(got, c.quadrants);
  }
}

TEST(MaskSectors, TheFirstStepDrawsNothing) {
  WipePages pages(8, 8, 32, 0x111111, 0x222222);
  pages.target.Fill(0x333333);
  for (int kind = 0; kind < 3; ++kind) {
    SCOPED_TRACE(kind);
    std::unique_ptr<TCustomWipe> wipe = CreateWipe(static_cast<std::uint8_t>(kind == 0 ? 31 : kind == 1 ? 34 : 35), pages.target, pages.from, pages.to);
    wipe->Total = 100;
    wipe->Prepare();
    wipe->Current = 0;
    EXPECT_FALSE(wipe->Draw());
    EXPECT_TRUE(test::AllEqual(pages.target, 0x333333));
  }
}

// Two wedges about the vertical, a quarter turn each; pixels on the diagonal rays are left out
// since their side depends on the last bit of the ray's sine and cosine.
TEST(MaskSectors, DoubleFanCoversTheVerticalWedges) {
  WipePages pages(16, 12, 32);
  auto wipe = MaskAt<TWipeWFan>(pages, 0, 0, 0, 50, 100);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) {
      const double dx = x + 0.5 - 8, dy = y + 0.5 - 6;
      if (std::fabs(dx) == std::fabs(dy)) continue;
      EXPECT_EQ(wipe->Mask().GetPixel(x, y), std::fabs(dy) > std::fabs(dx) ? 255u : 0u) << x << "," << y;
    }
}

// --- circle ---

Row Flatten(TDIBX& mask) {
  Row out;
  for (int y = 0; y < mask.GetHeight(); ++y)
    for (int x = 0; x < mask.GetWidth(); ++x) out.push_back(mask.GetPixel(x, y) == 255 ? 1 : 0);
  return out;
}

Row FromText(const std::vector<std::string>& rows) {
  Row out;
  for (const std::string& r : rows)
    for (char ch : r) out.push_back(ch == '#' ? 1 : 0);
  return out;
}

struct CircleCase {
  const char* name;
  int width, height;
  std::uint8_t direction;
  std::int32_t t;  // of 1000
  std::vector<std::string> mask;
};

// R = hypot(4, 4) = 5.657 on 8 × 8: t = 354 gives r = round(2.003) = 2, t = 530 gives 3,
// t = 707 gives 4. A pixel is in when its far corner is strictly inside: (3, 3) at r = 2 has
// 1² + 1² < 4, (2, 3) has 2² + 1² = 5. On 8 × 6, R = 5 and direction 1 at t = 0 gives r = 5.
const CircleCase kCircleCases[] = {
    {"r 2", 8, 8, 0, 354, {"........", "........", "........", "...##...", "...##...", "........", "........", "........"}},
    {"r 3", 8, 8, 0, 530, {"........", "........", "..####..", "..####..", "..####..", "..####..", "........", "........"}},
    {"r 4", 8, 8, 0, 707, {"........", "..####..", ".######.", ".######.", ".######.", ".######.", "..####..", "........"}},
    {"closing, start", 8, 6, 1, 0, {"#......#", "........", "........", "........", "........", "#......#"}},
    {"direction 2 as 0", 8, 8, 2, 354, {"........", "........", "........", "...##...", "...##...", "........", "........", "........"}},
};

TEST(MaskCircle, GoldenDiscs) {
  for (const CircleCase& c : kCircleCases) {
    SCOPED_TRACE(c.name);
    WipePages pages(c.width, c.height, 32);
    auto wipe = MaskAt<TWipeCircle>(pages, 0, 0, c.direction, c.t, 1000);
    EXPECT_EQ(Flatten(wipe->Mask()), FromText(c.mask));
  }
}

TEST(MaskCircle, NoDiscAtRadiusZeroAndUnchangedRadiusSkips) {
  WipePages pages(8, 8, 32);
  auto wipe = MaskAt<TWipeCircle>(pages, 0, 0, 0, 0, 1000);
  EXPECT_TRUE(test::AllEqual(wipe->Mask(), 0));
  wipe->Current = 80;  // r = round(0.45) = 0 still
  EXPECT_FALSE(wipe->UpdateMask());
  wipe->Current = 100;  // r = round(0.566) = 1: (3..4, 3..4) have far corners at 1² + 1² ≥ 1
  EXPECT_TRUE(wipe->UpdateMask());
  EXPECT_TRUE(test::AllEqual(wipe->Mask(), 0));
  auto closing = MaskAt<TWipeCircle>(pages, 0, 0, 1, 999, 1000);  // r = round(0.0057) = 0
  EXPECT_TRUE(test::AllEqual(closing->Mask(), 255));
}

// --- blocks ---

std::vector<std::string> Corners(const std::vector<TRect>& blocks) {
  std::vector<std::string> out;
  for (const TRect& r : blocks) out.push_back(std::to_string(r.left) + "," + std::to_string(r.top));
  return out;
}

TEST(MaskBlocks, CoilWalksTheSpiralWithItsTurns) {
  WipePages pages(30, 30, 32);
  auto wipe = MaskAt<TWipeBlockCoil>(pages, 10, 0, 0, 0, 100);
  EXPECT_EQ(Corners(wipe->Blocks()),
            (std::vector<std::string>{"0,0", "10,0", "20,0", "20,0", "20,10", "20,20", "20,20", "10,20",
                                      "0,20", "0,20", "0,10", "0,10", "10,10"}));
  EXPECT_EQ(wipe->GetParam(0), 10);
}

TEST(MaskBlocks, BlockSideIsClampedAndStoredBack) {
  struct Case {
    int width, height;
    std::int32_t p0, side;
  } cases[] = {{30, 30, 0, 10}, {30, 30, -5, 10}, {30, 20, 60, 20}, {15, 40, 60, 15}, {30, 30, 12, 12}};
  for (const Case& c : cases) {
    WipePages pages(c.width, c.height, 32);
    auto wipe = MaskAt<TWipeBlockRandom>(pages, c.p0, 0, 0, 0, 100);
    EXPECT_EQ(wipe->GetParam(0), c.side) << c.width << "x" << c.height << " p0 " << c.p0;
  }
}

// 25 × 25 with s = 10: the edge blocks hang over the mask and are clipped; at the end (t = T)
// every pixel is set.
TEST(MaskBlocks, EdgeBlocksAreClippedAndAllBlocksFillTheMask) {
  WipePages pages(25, 25, 32);
  for (std::uint8_t direction : {0, 1}) {
    auto coil = MaskAt<TWipeBlockCoil>(pages, 10, 0, direction, 100, 100);
    EXPECT_TRUE(test::AllEqual(coil->Mask(), 255)) << int{direction};
  }
  Randomize(7);
  auto random = MaskAt<TWipeBlockRandom>(pages, 10, 0, 0, 100, 100);
  EXPECT_EQ(random->Blocks().size(), 9u);
  EXPECT_TRUE(test::AllEqual(random->Mask(), 255));
}

TEST(MaskBlocks, RandomOrderIsAPermutationOfTheGrid) {
  WipePages pages(50, 30, 32);
  Randomize(12345);
  auto wipe = MaskAt<TWipeBlockRandom>(pages, 10, 0, 0, 0, 100);
  std::vector<std::string> got = Corners(wipe->Blocks());
  std::sort(got.begin(), got.end());
  std::vector<std::string> grid;
  for (int y = 0; y < 30; y += 10)
    for (int x = 0; x < 50; x += 10) grid.push_back(std::to_string(x) + "," + std::to_string(y));
  std::sort(grid.begin(), grid.end());
  EXPECT_EQ(got, grid);
  Randomize(12345);
  auto again = MaskAt<TWipeBlockRandom>(pages, 10, 0, 0, 0, 100);
  EXPECT_EQ(Corners(again->Blocks()), Corners(wipe->Blocks()));
}

// m = 12 on the 30 × 30 spiral: n = 12 × t / T blocks in order (backwards from the end with
// direction 1); blocks accumulate and an unchanged n draws nothing.
TEST(MaskBlocks, BlocksAccumulateInOrder) {
  WipePages pages(30, 30, 32);
  auto wipe = MaskAt<TWipeBlockCoil>(pages, 10, 0, 0, 0, 120);
  // n = 0: block 0 only.
  EXPECT_EQ(MaskRow(wipe->Mask(), 0), (Row{255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  wipe->Current = 9;  // n = 0 again
  EXPECT_FALSE(wipe->UpdateMask());
  wipe->Current = 50;  // n = 5: blocks 0..5 = the top row and the right column
  EXPECT_TRUE(wipe->UpdateMask());
  EXPECT_EQ(wipe->Mask().GetPixel(25, 25), 255u);
  EXPECT_EQ(wipe->Mask().GetPixel(5, 25), 0u);
  EXPECT_EQ(wipe->Mask().GetPixel(15, 15), 0u);
  auto back = MaskAt<TWipeBlockCoil>(pages, 10, 0, 1, 0, 120);
  // Backwards, n = 12: only the last block, the centre.
  EXPECT_EQ(back->Mask().GetPixel(15, 15), 255u);
  EXPECT_EQ(back->Mask().GetPixel(5, 5), 0u);
  back->Current = 60;  // n = 6: blocks 12 down to 6 (the centre, left column, bottom row)
  EXPECT_TRUE(back->UpdateMask());
  EXPECT_EQ(back->Mask().GetPixel(5, 15), 255u);
  EXPECT_EQ(back->Mask().GetPixel(25, 25), 255u);
  EXPECT_EQ(back->Mask().GetPixel(25, 15), 0u);
  EXPECT_EQ(back->Mask().GetPixel(15, 5), 0u);
}

TEST(MaskBlocks, DrawNeverFillsTheLastBlock) {
  WipePages pages(20, 10, 32, 0x000000, 0xFFFFFF);
  Randomize(3);
  std::unique_ptr<TCustomWipe> wipe = CreateWipe(38, pages.target, pages.from, pages.to);
  wipe->SetParam(0, 10);
  wipe->Total = 100;
  wipe->Prepare();
  for (int t : {0, 50, 99}) {
    wipe->Current = t;
    EXPECT_FALSE(wipe->Draw());
  }
  int shown = 0;
  for (int x : {5, 15}) shown += pages.target.GetPixel(x, 5) == 0xFFFFFF ? 1 : 0;
  EXPECT_EQ(shown, 1);
  wipe->Current = 100;
  EXPECT_TRUE(wipe->Draw());
}

TEST(MaskBlocks, EmptyTargetsHaveNoBlocks) {
  for (auto [w, h] : {std::pair{0, 0}, {0, 5}, {5, 0}}) {
    WipePages pages(w, h, 32);
    auto coil = MaskAt<TWipeBlockCoil>(pages, 10, 0, 0, 50, 100);
    EXPECT_TRUE(coil->Blocks().empty());
    EXPECT_FALSE(coil->UpdateMask());
    auto random = MaskAt<TWipeBlockRandom>(pages, 10, 0, 1, 50, 100);
    EXPECT_TRUE(random->Blocks().empty());
  }
}

// --- through Draw ---

// Blinds at p0 = 20, p1 = 20 mix most pixels; the vector and the plain loop give the same picture.
TEST(MaskBlinds, VectorAndPlainCompositionAgree) {
  for (int bits : {15, 16, 32}) {
    SCOPED_TRACE(bits);
    std::vector<std::uint32_t> pictures[2];
    for (bool vector : {false, true}) {
      ScopedVectorUnitOverride unit(vector);
      WipePages pages(53, 3, bits);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 53; ++x) {
          pages.from.SetPixel(x, y, static_cast<std::uint32_t>(x * 2654435761u + y));
          pages.to.SetPixel(x, y, static_cast<std::uint32_t>(x * 40503u + y * 977u));
        }
      std::unique_ptr<TCustomWipe> wipe = CreateWipe(2, pages.target, pages.from, pages.to);
      wipe->SetParam(1, 20);
      wipe->Total = 100;
      wipe->Prepare();
      wipe->Current = 50;
      EXPECT_FALSE(wipe->Draw());
      pictures[vector ? 1 : 0] = test::AllPixels(pages.target);
    }
    EXPECT_EQ(pictures[0], pictures[1]);
  }
}

}  // namespace
}  // namespace vorn
