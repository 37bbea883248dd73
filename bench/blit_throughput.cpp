// Blit throughput on 800 x 600 TDIBX surfaces, in Mpixel/s, next to memcpy of the same bytes
// (the physical limit) measured in the same run. Each blit runs with the vector loops allowed and
// forced off.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "graphics/dibx.h"
#include "graphics/vector_unit.h"

namespace {

using namespace vorn;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

void Fill(TDIBX& s, int bits, bool withKeys, std::uint32_t seed) {
  s.SetSize(kWidth, kHeight, bits);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1103515245u + 12345u;
      s.SetPixel(x, y, (seed >> 8) & 0x00FFFFFF);
    }
  if (!withKeys) return;
  // About a quarter key pixels, in runs and single pixels.
  s.ColorKey = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; x += 16) {
      for (int k = 0; k < 3 && x + k < kWidth; ++k) s.SetPixel(x + k, y, 0);
      if (x + 9 < kWidth) s.SetPixel(x + 9, y, 0);
    }
  }
}

void SetRate(benchmark::State& state) {
  state.counters["Mpixel/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kWidth * kHeight / 1e6, benchmark::Counter::kIsRate);
}

void BM_Memcpy(benchmark::State& state) {
  std::vector<std::uint8_t> a(kWidth * kHeight * 4), b(kWidth * kHeight * 4, 1);
  for (auto _ : state) {
    std::memcpy(a.data(), b.data(), a.size());
    benchmark::DoNotOptimize(a.data());
  }
  SetRate(state);
}
BENCHMARK(BM_Memcpy);

template <class Op>
void Run(benchmark::State& state, int bits, bool keys, Op op) {
  ScopedVectorUnitOverride flag(state.range(0) != 0);
  TDIBX src, dst;
  // Different seeds: a destination equal to its source would let the opacity loops skip every pixel.
  Fill(src, bits, keys, 12345);
  Fill(dst, bits, false, 54321);
  for (auto _ : state) op(dst, src);
  SetRate(state);
}

void BM_DrawRect(benchmark::State& state) {
  Run(state, 32, false, [](TDIBX& d, TDIBX& s) {
    d.DrawRect(0, 0, s, s.GetBoundsRect(), false, false, false);
  });
}
void BM_DrawRectKeyed(benchmark::State& state) {
  Run(state, 32, true, [](TDIBX& d, TDIBX& s) {
    d.DrawRect(0, 0, s, s.GetBoundsRect(), true, false, false);
  });
}
void BM_DrawOpacity(benchmark::State& state) {
  Run(state, 32, false, [](TDIBX& d, TDIBX& s) {
    d.DrawOpacity(0, 0, s, s.GetBoundsRect(), false, false, false, 128);
  });
}
void BM_DrawAdd(benchmark::State& state) {
  Run(state, 32, false, [](TDIBX& d, TDIBX& s) {
    d.DrawAdd(0, 0, s, s.GetBoundsRect(), false, false, false, 200);
  });
}
void BM_DrawOpacity565(benchmark::State& state) {
  Run(state, 16, false, [](TDIBX& d, TDIBX& s) {
    d.DrawOpacity(0, 0, s, s.GetBoundsRect(), false, false, false, 128);
  });
}
void BM_DrawAdd565(benchmark::State& state) {
  Run(state, 16, false, [](TDIBX& d, TDIBX& s) {
    d.DrawAdd(0, 0, s, s.GetBoundsRect(), false, false, false, 200);
  });
}
void BM_StretchDraw(benchmark::State& state) {
  ScopedVectorUnitOverride flag(state.range(0) != 0);
  TDIBX src, dst;
  src.SetSize(kWidth / 2, kHeight / 2, 32);
  Fill(dst, 32, false, 54321);
  for (auto _ : state)
    dst.StretchDraw(dst.GetBoundsRect(), src, src.GetBoundsRect(), false, false, false, 255);
  SetRate(state);
}

BENCHMARK(BM_DrawRect)->Arg(1)->Arg(0);
BENCHMARK(BM_DrawRectKeyed)->Arg(1)->Arg(0);
BENCHMARK(BM_DrawOpacity)->Arg(1)->Arg(0);
BENCHMARK(BM_DrawAdd)->Arg(1)->Arg(0);
BENCHMARK(BM_DrawOpacity565)->Arg(1)->Arg(0);
BENCHMARK(BM_DrawAdd565)->Arg(1)->Arg(0);
BENCHMARK(BM_StretchDraw)->Arg(1)->Arg(0);

}  // namespace
