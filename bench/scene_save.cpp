// A saved scene written and read back: N auto-named boxes on a layer plus N timers. Loading gives
// every new object an automatic name before its record renames it, so the automatic-name search
// must not start again from object0 each time. The time per object at 5,000 should stay within
// twice the time per object at 500.
#include <benchmark/benchmark.h>

#include "components/box.h"
#include "components/timer.h"
#include "components/vorn_base_list.h"
#include "foundation/stream.h"

namespace {

void SaveAndLoad(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  vorn::TVornBaseList saved_scene;
  for (int i = 0; i < count; ++i) {
    auto* box = vorn::CreateObject<vorn::TVornBox>(saved_scene);
    box->SetParent(saved_scene.ActiveLayer());
    box->SetBounds(i % 600, i % 400, 20, 20);
    vorn::CreateObject<vorn::TVornTimer>(saved_scene)->SetDelay(100 + i);
  }
  vorn::TVornBaseList loaded;
  for (auto _ : state) {
    vorn::TMemoryStream stream;
    saved_scene.SaveToStream(stream);
    stream.SetPosition(0);
    loaded.LoadFromStream(stream, 134);
    benchmark::DoNotOptimize(loaded.GetObjectCount());
  }
  state.SetItemsProcessed(state.iterations() * 2 * count);
}

// The reference is the 500-object run; compare the per-item times of the two lines.
BENCHMARK(SaveAndLoad)->Arg(500)->Arg(5000);

}  // namespace
