// The screen manager's Present of a whole-surface dirty rectangle of a 640 x 480 frame at 15, 16
// and 32 bits, on the headless panel and through the SDL back end under the offscreen video
// driver, against a plain memcpy of the 32-bit frame's bytes in the same run (targets through
// SDL: at most 2 times the copy at 32 bits, 6 times at 15 and 16 bits).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "graphics/screen_manager.h"
#include "platform/headless_application.h"
#include "platform/headless_display.h"
#include "platform/panel.h"
#include "platform/sdl/sdl_platform.h"

namespace {

using namespace vorn;

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

// A desktop of the depth the surface should get.
platform::DisplayMode DesktopFor(int bits) {
  return platform::MakeDisplayMode(1280, 1024, bits == 15 ? 16 : bits, 60, bits == 15 ? 555 : 565);
}

void PresentFrames(benchmark::State& state, platform::Window& window, platform::DisplayService& display) {
  platform::Panel panel(window);
  panel.SetBounds(platform::Rect{0, kStrip, kWidth, kHeight});
  TScreenManager screen(window, panel, TScreenSizes{kWidth, kHeight, kWidth, kHeight}, &display);
  TDIBX* surface = screen.GetSurface();
  if (surface == nullptr) {
    state.SkipWithError("no screen surface");
    return;
  }
  surface->FillRect(surface->GetBoundsRect(), static_cast<std::uint32_t>(surface->ColorToPixel(0x563412)));
  TClipList layer0, layer1;
  TScenePresentation frame;
  frame.Surface = surface;
  frame.LayerDirty[0] = &layer0;
  frame.LayerDirty[1] = &layer1;
  for (auto _ : state) {
    layer0.AddRect(TRect{0, 0, kWidth, kHeight});
    screen.Present(&frame);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
  state.counters["bits"] = surface->GetBitCount();
}

void BM_HeadlessPresent(benchmark::State& state) {
  platform::HeadlessApplication application;
  auto window = application.CreateMainWindow(platform::Size{kWidth, kHeight + kStrip}, "VornPlayer");
  platform::HeadlessDisplayService display;
  display.desktop = DesktopFor(static_cast<int>(state.range(0)));
  PresentFrames(state, *window, display);
}
BENCHMARK(BM_HeadlessPresent)->Arg(15)->Arg(16)->Arg(32);

// The SDL desktop cannot be chosen; a display service that reports the wanted desktop depth over
// the real window gives the surface its depth, and the pixels go through SDL as they would.
class FixedDepthDisplay final : public platform::DisplayService {
 public:
  explicit FixedDepthDisplay(int bits) : bits_(bits) {}
  std::unique_ptr<platform::DisplayConnection> Open(platform::Window&) override {
    class Connection final : public platform::DisplayConnection {
     public:
      explicit Connection(int bits) : bits_(bits) {}
      bool CurrentMode(platform::DisplayMode& mode) override {
        mode = DesktopFor(bits_);
        return true;
      }
      bool EnumerateModes(std::vector<platform::DisplayMode>&) override { return false; }
      bool EnterFullScreen(const platform::DisplayMode&) override { return false; }
      void LeaveFullScreen() override {}

     private:
      int bits_;
    };
    return std::make_unique<Connection>(bits_);
  }

 private:
  int bits_;
};

void BM_SdlOffscreenPresent(benchmark::State& state) {
  platform::sdl::SdlApplication application("offscreen");
  std::string reason;
  if (!application.Initialize(reason)) {
    state.SkipWithError("offscreen video driver unavailable");
    return;
  }
  auto window = application.CreateMainWindow(platform::Size{kWidth, kHeight + kStrip}, "VornPlayer");
  FixedDepthDisplay display(static_cast<int>(state.range(0)));
  PresentFrames(state, *window, display);
}
BENCHMARK(BM_SdlOffscreenPresent)->Arg(15)->Arg(16)->Arg(32);

}  // namespace
