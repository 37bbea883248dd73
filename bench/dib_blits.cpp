// The surface blits against a memcpy of the same rows, and the blur at two radii: the blits
// should stay within 1.5x (plain) and 6x (translucent, alpha) of the copy, and the blur's cost
// should not grow with the radius (radius 32 within 1.5x of radius 2).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "graphics/dib_surface.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

void Paint(vorn::TDIBSurface& s, int width, int height, int depth) {
  s.SetSize(width, height, depth);
  std::uint32_t seed = 1;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = s.GetScanLine(y);
    for (int i = 0; i < s.WidthBytes(); ++i) {
      seed = seed * 1103515245 + 12345;
      row[i] = static_cast<std::uint8_t>(seed >> 16);
    }
  }
}

// The library's memcpy through a pointer the compiler cannot see through, with the row length
// known only at run time: a constant length would be expanded inline into another copy loop.
void* (*volatile g_copy)(void*, const void*, std::size_t) = std::memcpy;

void MemcpyRows(benchmark::State& state) {
  vorn::TDIBSurface source, target;
  Paint(source, kWidth, kHeight, 32);
  Paint(target, kWidth, kHeight, 32);
  const auto rowBytes = static_cast<std::size_t>(source.WidthBytes());
  std::vector<std::uint8_t*> to;
  std::vector<const std::uint8_t*> from;
  for (int y = 0; y < kHeight; ++y) {
    to.push_back(target.GetScanLine(y));
    from.push_back(source.GetScanLine(y));
  }
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y) g_copy(to[static_cast<std::size_t>(y)], from[static_cast<std::size_t>(y)], rowBytes);
    benchmark::DoNotOptimize(to[0]);
  }
}
BENCHMARK(MemcpyRows);

void DrawRect32(benchmark::State& state) {
  vorn::TDIBSurface source, target;
  Paint(source, kWidth, kHeight, 32);
  Paint(target, kWidth, kHeight, 32);
  for (auto _ : state) target.DrawRect(0, 0, source, source.GetBoundsRect());
}
BENCHMARK(DrawRect32);

void DrawTranslucent32(benchmark::State& state) {
  vorn::TDIBSurface source, target;
  Paint(source, kWidth, kHeight, 32);
  Paint(target, kWidth, kHeight, 32);
  for (auto _ : state) target.DrawTranslucent(0, 0, source, source.GetBoundsRect(), -1, 100);
}
BENCHMARK(DrawTranslucent32);

void DrawAlpha32(benchmark::State& state) {
  vorn::TDIBSurface source, target;
  Paint(source, kWidth, kHeight, 32);
  Paint(target, kWidth, kHeight, 32);
  source.EnsureAlphaPlane();
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = source.Alpha()->GetScanLine(y);
    for (int x = 0; x < kWidth; ++x) row[x] = static_cast<std::uint8_t>(x + y);
  }
  for (auto _ : state) target.DrawAlpha(0, 0, source, source.GetBoundsRect(), 255);
}
BENCHMARK(DrawAlpha32);

void Blur24(benchmark::State& state) {
  vorn::TDIBSurface picture;
  Paint(picture, 640, 480, 24);
  for (auto _ : state) {
    vorn::TDIB work;
    work.Assign(&picture);
    work.Blur(24, static_cast<int>(state.range(0)));
  }
}
BENCHMARK(Blur24)->Arg(2)->Arg(32);

}  // namespace
