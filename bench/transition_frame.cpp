// One drawn step of a screen transition on 800 x 600 32-bit TDIBX pages, half way through. Each
// kind reports its time per step divided by that of memcpy of the same 1,920,000 bytes, measured
// in the same run, as "x_memcpy". Targets: the cross-fade at most 6 (one copy and one blend);
// the blinds with soft edges (p0 = 20, p1 = 20, so most mask values mix) at most 10. The other
// kinds report the ratio without a target. Steps alternate between two nearby times, so that
// the mask effects, which skip a step whose progress has not changed, draw at every step.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/vocabulary_codes.h"
#include "graphics/dibx.h"
#include "transitions/create_wipe.h"
#include "transitions/wipe_mask.h"

namespace {

using namespace vorn;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr std::int32_t kTotal = 1000;

void Paint(TDIBX& s, std::uint32_t seed) {
  s.SetSize(kWidth, kHeight, 32);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1103515245u + 12345u;
      s.SetPixel(x, y, (seed >> 8) & 0x00FFFFFF);
    }
}

struct Pages {
  TDIBX target, from, to;
  Pages() {
    Paint(target, 1);
    Paint(from, 2);
    Paint(to, 3);
  }
};

// A mask that changes at every step, so that each step composes the whole target.
class BenchMaskWipe : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  bool UpdateMask() override {
    TDIBX& mask = MaskSurface();
    const auto level = static_cast<std::uint8_t>(Current);
    for (int y = 0; y < mask.GetHeight(); ++y) {
      std::uint8_t* row = mask.Lock(0, y);
      if (row == nullptr) return false;
      std::memset(row, level + y, static_cast<std::size_t>(mask.GetWidth()));
      mask.Unlock();
    }
    return true;
  }
};

template <typename F>
double NanosPerCall(F&& f, int calls) {
  const auto start = std::chrono::steady_clock::now();
  for (int k = 0; k < calls; ++k) f();
  const auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(stop - start).count() / calls;
}

void RunStep(benchmark::State& state, TCustomWipe& wipe, TDIBX& target) {
  wipe.Total = kTotal;
  wipe.Prepare();
  const std::int32_t times[2] = {kTotal / 2, kTotal / 2 + 20};
  int turn = 0;
  const auto step = [&] {
    turn ^= 1;
    wipe.Current = times[turn];
    target.ResetDirtyRect();
    wipe.Draw();
    benchmark::DoNotOptimize(target.Lock(0, 0));
    target.Unlock();
  };
  step();  // effects that build work pages do it at their first step
  for (auto _ : state) step();
  std::vector<std::uint8_t> a(static_cast<std::size_t>(kWidth) * kHeight * 4);
  std::vector<std::uint8_t> b(a.size(), 1);
  const int calls = 20;
  const double ours = NanosPerCall(step, calls);
  const double copy = NanosPerCall(
      [&] {
        std::memcpy(a.data(), b.data(), a.size());
        benchmark::DoNotOptimize(a.data());
      },
      calls);
  state.counters["x_memcpy"] = ours / copy;
  state.counters["memcpy_us"] = copy / 1000;
}

void RunKind(benchmark::State& state, std::uint8_t kind) {
  Pages pages;
  std::unique_ptr<TCustomWipe> wipe = CreateWipe(kind, pages.target, pages.from, pages.to);
  if (kind == WP_SMALL) wipe->SetParam(0, 256);
  if (kind == WP_BLINDH) {
    wipe->SetParam(0, 20);
    wipe->SetParam(1, 20);
  }
  RunStep(state, *wipe, pages.target);
}

void BM_Fade(benchmark::State& state) { RunKind(state, WP_FADE); }
void BM_White(benchmark::State& state) { RunKind(state, WP_WHITE); }
void BM_Mosaic(benchmark::State& state) { RunKind(state, WP_MOSAIC); }
void BM_Zoomin(benchmark::State& state) { RunKind(state, WP_ZOOMIN); }
void BM_Small(benchmark::State& state) { RunKind(state, WP_SMALL); }
void BM_BlindH(benchmark::State& state) { RunKind(state, WP_BLINDH); }
void BM_Dither(benchmark::State& state) { RunKind(state, WP_DITHER); }
void BM_Clockhand(benchmark::State& state) { RunKind(state, WP_CLOCKHAND); }
void BM_Spot(benchmark::State& state) { RunKind(state, WP_SPOT); }
void BM_Ripple(benchmark::State& state) { RunKind(state, WP_RIPPLE); }
void BM_MaskWhite(benchmark::State& state) { RunKind(state, WP_MASKWHITE); }
void BM_Crack(benchmark::State& state) { RunKind(state, WP_CRACK); }
void BM_TwistH(benchmark::State& state) { RunKind(state, WP_TWISTH); }
void BM_MaskComposition(benchmark::State& state) {
  Pages pages;
  BenchMaskWipe wipe(pages.target, pages.from, pages.to);
  RunStep(state, wipe, pages.target);
}

void BM_Memcpy(benchmark::State& state) {
  std::vector<std::uint8_t> a(static_cast<std::size_t>(kWidth) * kHeight * 4);
  std::vector<std::uint8_t> b(a.size(), 1);
  for (auto _ : state) {
    std::memcpy(a.data(), b.data(), a.size());
    benchmark::DoNotOptimize(a.data());
  }
}

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_Fade);
BENCHMARK(BM_White);
BENCHMARK(BM_Mosaic);
BENCHMARK(BM_Zoomin);
BENCHMARK(BM_Small);
BENCHMARK(BM_MaskComposition);
BENCHMARK(BM_BlindH);
BENCHMARK(BM_Dither);
BENCHMARK(BM_Clockhand);
BENCHMARK(BM_Spot);
BENCHMARK(BM_Ripple);
BENCHMARK(BM_MaskWhite);
BENCHMARK(BM_Crack);
BENCHMARK(BM_TwistH);

}  // namespace
