// Drawing through a wave against the same call on its inner surface, an 800 x 600 32-bit picture:
// DrawRect and StretchDraw with an offset that changes on every row should stay at least 0.5x the
// speed of the direct call (forwarding must not dominate), and a still wave about 1x.
#include <benchmark/benchmark.h>

#include <cmath>

#include "graphics/dibx_wave.h"
#include "graphics/memory_dibx.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Scene {
  vorn::TMemoryDIBX inner{kWidth, kHeight, 32};
  vorn::TMemoryDIBX picture{kWidth, kHeight, 32};
  vorn::TDIBXWave wave;

  explicit Scene(bool moving) {
    std::uint32_t seed = 1;
    for (auto& b : picture.Bits()) {
      seed = seed * 1103515245 + 12345;
      b = static_cast<std::uint8_t>(seed >> 16);
    }
    wave.SetSurface(&inner);
    wave.SetSize(kWidth, kHeight, 0);
    for (int y = 0; y < kHeight; ++y)
      wave.Offsets()[static_cast<std::size_t>(y)] =
          moving ? static_cast<std::int32_t>(std::lround(8 * std::sin(y * 0.1))) + (y % 2) : 0;
  }
};

void DrawRectDirect(benchmark::State& state) {
  Scene s(true);
  for (auto _ : state) s.inner.DrawRect(0, 0, s.picture, s.picture.GetBoundsRect(), false, false, false);
}
BENCHMARK(DrawRectDirect);

void DrawRectWave(benchmark::State& state) {
  Scene s(true);
  for (auto _ : state) s.wave.DrawRect(0, 0, s.picture, s.picture.GetBoundsRect(), false, false, false);
}
BENCHMARK(DrawRectWave);

void DrawRectStillWave(benchmark::State& state) {
  Scene s(false);
  for (auto _ : state) s.wave.DrawRect(0, 0, s.picture, s.picture.GetBoundsRect(), false, false, false);
}
BENCHMARK(DrawRectStillWave);

void StretchDrawDirect(benchmark::State& state) {
  Scene s(true);
  for (auto _ : state)
    s.inner.StretchDraw(s.inner.GetBoundsRect(), s.picture, vorn::TRect{0, 0, 400, 300}, false, false, false, 255);
}
BENCHMARK(StretchDrawDirect);

void StretchDrawWave(benchmark::State& state) {
  Scene s(true);
  for (auto _ : state)
    s.wave.StretchDraw(s.inner.GetBoundsRect(), s.picture, vorn::TRect{0, 0, 400, 300}, false, false, false, 255);
}
BENCHMARK(StretchDrawWave);

void StretchDrawStillWave(benchmark::State& state) {
  Scene s(false);
  for (auto _ : state)
    s.wave.StretchDraw(s.inner.GetBoundsRect(), s.picture, vorn::TRect{0, 0, 400, 300}, false, false, false, 255);
}
BENCHMARK(StretchDrawStillWave);

}  // namespace
