// A drawn list box given a TEXT of N items: the text set (split, check bytes, both label lists),
// the size computed from them and one paint of a 10-row box, for N = 1,000 and N = 10,000 in the
// same run. The time per item at 10,000 should stay within twice that at 1,000; the paint alone
// (only the visible rows are drawn) should take about the same time at both sizes.
#include <benchmark/benchmark.h>

#include <string>

#include "components/vorn_base_list.h"
#include "components/vorn_list_box.h"
#include "graphics/memory_dibx.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

class TBenchScreen final : public vorn::TSceneScreen {
 public:
  explicit TBenchScreen(vorn::TCustomDIBX& surface) : surface_(surface) {}
  vorn::TCustomDIBX* GetSurface() const override { return &surface_; }
  int GetBitCount() const override { return 32; }
  bool IsFullScreen() const override { return false; }

 private:
  vorn::TCustomDIBX& surface_;
};

std::string ItemsText(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "item " + std::to_string(i) + "\r\n";
  return text;
}

struct TBenchBox {
  TBenchBox() : surface(kWidth, kHeight, 32), screen(surface) {
    scene.SetScreen(&screen);
    scene.SetWidth(kWidth);
    scene.SetHeight(kHeight);
    box = vorn::CreateObject<vorn::TVornCustomListBox>(scene);
    box->SetParent(scene.ActiveLayer());
    box->SetAlpha(255);
    box->SetRowCount(10);
    box->SetColor(0x202020);
  }
  void PaintOnce() {
    scene.ActiveLayer()->InvalidateAll();
    scene.Paint();
    scene.ActiveLayer()->DirtyRects().Clear();
  }

  vorn::TMemoryDIBX surface;
  TBenchScreen screen;
  vorn::TVornBaseList scene;
  vorn::TVornCustomListBox* box = nullptr;
};

void BM_SetTextSizeAndPaint(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string text = ItemsText(count);
  TBenchBox bench;
  for (auto _ : state) {
    bench.box->SetText(text);
    bench.box->UpdateSize();
    bench.PaintOnce();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_SetTextSizeAndPaint)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PaintOnly(benchmark::State& state) {
  TBenchBox bench;
  bench.box->SetText(ItemsText(static_cast<int>(state.range(0))));
  bench.box->UpdateSize();
  bench.PaintOnce();
  for (auto _ : state) bench.PaintOnce();
}
BENCHMARK(BM_PaintOnly)->Arg(1000)->Arg(10000);

}  // namespace
