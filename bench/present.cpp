// The stand-in screen manager's Present of a 640 x 480 32-bit frame into the headless panel,
// against a plain memcpy of the same bytes in the same run (target: at most 1.5 times the copy).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "graphics/screen_manager_standin.h"
#include "platform/headless_application.h"
#include "platform/panel.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kStrip = 22;

void BM_MemcpyReference(benchmark::State& state) {
  std::vector<std::uint32_t> source(kWidth * kHeight, 0x123456);
  std::vector<std::uint32_t> target(kWidth * (kHeight + kStrip));
  for (auto _ : state) {
    std::memcpy(target.data() + kWidth * kStrip, source.data(), source.size() * sizeof(std::uint32_t));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}
BENCHMARK(BM_MemcpyReference);

void BM_StandInPresent(benchmark::State& state) {
  vorn::platform::HeadlessApplication application;
  auto window = application.CreateMainWindow(vorn::platform::Size{kWidth, kHeight + kStrip}, "VornPlayer");
  vorn::platform::Panel panel(*window);
  panel.SetBounds(vorn::platform::Rect{0, kStrip, kWidth, kHeight});
  vorn::TScreenManagerStandIn screen(panel, kWidth, kHeight);
  screen.Surface().pixels().FillRect(vorn::platform::Rect{0, 0, kWidth, kHeight}, 0x123456);
  for (auto _ : state) {
    screen.Present();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}
BENCHMARK(BM_StandInPresent);

}  // namespace
