// Rebuilding an image map's prepared mask for a 1280 x 720 frame (copy of the frame's mask with a
// 500-vertex polygon cut out: clear, fill the region, invert and AND in one walk) next to four
// plain passes over the same bytes in the same run (clear, a fill, an invert and an AND, each a
// simple loop over every byte). Ratio to read: BM_RegionHole to BM_FourPasses (target at most 2x).
// The polygon is a jagged ellipse (radius wobbling by a fifth) over most of the frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "components/region_mask.h"
#include "graphics/dibx.h"
#include "graphics/region.h"

namespace {

using namespace vorn;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kVertices = 500;

TRegion JaggedEllipse() {
  std::vector<TPoint> points;
  for (int i = 0; i < kVertices; ++i) {
    const double angle = 2 * 3.14159265358979 * i / kVertices;
    const double wobble = 1.0 + 0.2 * ((i % 2 == 0) ? 1 : -1);
    points.push_back({static_cast<std::int32_t>(640 + 560 * wobble * std::cos(angle)),
                      static_cast<std::int32_t>(360 + 300 * wobble * std::sin(angle))});
  }
  return TRegion::Polygon(points);
}

void FillSource(TDIBX& mask) {
  mask.SetSize(kWidth, kHeight, 8);
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = mask.Lock(0, y);
    for (int x = 0; x < kWidth; ++x) row[x] = static_cast<std::uint8_t>(x * 7 + y);
  }
}

void BM_RegionHole(benchmark::State& state) {
  TDIBX source;
  FillSource(source);
  const TRegion region = JaggedEllipse();
  TDIBX out;
  for (auto _ : state) {
    BuildRegionMask(&source, kWidth, kHeight, &region, TRegionMaskMode::kHole, out);
    benchmark::DoNotOptimize(out.Lock(0, kHeight / 2));
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_RegionHole);

void BM_FourPasses(benchmark::State& state) {
  TDIBX source;
  FillSource(source);
  std::vector<std::uint8_t> mask(static_cast<std::size_t>(kWidth) * kHeight);
  std::vector<std::uint8_t> saved(mask.size());
  for (int y = 0; y < kHeight; ++y) {
    const std::uint8_t* row = source.Lock(0, y);
    for (int x = 0; x < kWidth; ++x) saved[static_cast<std::size_t>(y) * kWidth + x] = row[x];
  }
  for (auto _ : state) {
    for (auto& b : mask) b = 0;
    for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = (i & 1) != 0 ? 255 : mask[i];
    for (auto& b : mask) b = static_cast<std::uint8_t>(~b);
    for (std::size_t i = 0; i < mask.size(); ++i) mask[i] &= saved[i];
    benchmark::DoNotOptimize(mask.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_FourPasses);

}  // namespace
