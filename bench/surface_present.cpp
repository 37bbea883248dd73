// Present of a full 800 x 600 TDIBX into a 32-bit target, next to memcpy of the same bytes
// measured in the same run; from 32 bits (a copy) and from 16-bit 5-6-5 (a conversion).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "graphics/dibx.h"

namespace {

using namespace vorn;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

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

void BM_Present(benchmark::State& state) {
  TDIBX source, target;
  source.SetSize(kWidth, kHeight, static_cast<int>(state.range(0)));
  source.Fill(0x1234);
  target.SetSize(kWidth, kHeight, 32);
  gdi::HDC dc = target.GetDC();
  for (auto _ : state) source.Present(dc, 0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight);
  SetRate(state);
}
BENCHMARK(BM_Present)->Arg(32)->Arg(16);

}  // namespace
