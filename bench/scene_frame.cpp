// One frame of the scene (input step, tick, paint of a full-layer dirty rectangle) over N controls
// that fill their rectangles and carry idle labels, their idle events still waiting: the time per
// control at 5,000 should stay within twice the time per control at 500. The second pair compares
// the layer's paint of 100 such controls with the same fills issued straight on the surface; the
// paint should stay within 1.3 times the direct fills.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "graphics/memory_dibx.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

class TFilledControl : public vorn::TVornControl {
 public:
  using TVornControl::TVornControl;
  std::string GetOnIdle() const override { return "p:idle"; }
  void Paint() override {
    if (vorn::TCustomDIBX* surface = GetSurface()) surface->FillRect(GetScreenRect(), pixel);
  }
  std::uint32_t pixel = 0;
};

vorn::TRect ControlRect(int i) {
  const int left = (i * 37) % (kWidth - 40);
  const int top = (i * 53) % (kHeight - 30);
  return {left, top, left + 40, top + 30};
}

class TSceneScreen final : public vorn::TSceneScreen {
 public:
  explicit TSceneScreen(vorn::TCustomDIBX& surface) : surface_(surface) {}
  vorn::TCustomDIBX* GetSurface() const override { return &surface_; }
  int GetBitCount() const override { return 32; }
  bool IsFullScreen() const override { return false; }

 private:
  vorn::TCustomDIBX& surface_;
};

struct TBenchScene {
  explicit TBenchScene(int count) : surface(kWidth, kHeight, 32), screen(surface) {
    scene.SetScreen(&screen);
    scene.SetWidth(kWidth);
    scene.SetHeight(kHeight);
    for (int i = 0; i < count; ++i) {
      auto* control = vorn::CreateObject<TFilledControl>(scene);
      control->SetParent(scene.ActiveLayer());
      const vorn::TRect rect = ControlRect(i);
      control->SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
      control->pixel = static_cast<std::uint32_t>(i * 0x010203);
    }
    scene.Tick();  // every idle event now waits
  }
  vorn::TMemoryDIBX surface;
  TSceneScreen screen;
  vorn::TVornBaseList scene;
};

void WholeFrame(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  TBenchScene bench(count);
  vorn::TVornBase& layer = *bench.scene.ActiveLayer();
  for (auto _ : state) {
    bench.scene.ProcessInput();
    bench.scene.Tick();
    layer.InvalidateAll();
    bench.scene.Paint();
    layer.DirtyRects().Clear();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(WholeFrame)->Arg(500)->Arg(5000);

void LayerPaint(benchmark::State& state) {
  TBenchScene bench(100);
  vorn::TVornBase& layer = *bench.scene.ActiveLayer();
  layer.SetColor(-1);
  for (auto _ : state) {
    layer.InvalidateAll();
    layer.Paint();
    layer.DirtyRects().Clear();
  }
}
BENCHMARK(LayerPaint);

// The reference: the same hundred fills, straight on the surface.
void DirectFills(benchmark::State& state) {
  vorn::TMemoryDIBX surface(kWidth, kHeight, 32);
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) surface.FillRect(ControlRect(i), static_cast<std::uint32_t>(i * 0x010203));
    benchmark::DoNotOptimize(surface.GetPixel(0, 0));
  }
}
BENCHMARK(DirectFills);

}  // namespace
