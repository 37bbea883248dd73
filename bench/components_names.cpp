// Name handling of the scene as the create commands drive it: every new control gets an automatic
// name, then the script's name, joins a layer, is looked up by name and is finally scrapped. The
// time per object at 5,000 objects should stay within twice the time per object at 500.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"

namespace {

void CreateFindScrap(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back("button" + std::to_string(i));
  // One scene for every round, as in a running game: each round leaves it empty again.
  vorn::TVornBaseList scene;
  for (auto _ : state) {
    for (int i = 0; i < count; ++i) {
      auto* control = vorn::CreateObject<vorn::TVornControl>(scene);
      control->SetName(names[static_cast<std::size_t>(i)]);
      control->SetParent(scene.ActiveLayer());
    }
    for (int i = 0; i < count; ++i) {
      benchmark::DoNotOptimize(scene.FindComponent(names[static_cast<std::size_t>(i)]));
    }
    for (int i = 0; i < count; ++i) {
      scene.FindComponent(names[static_cast<std::size_t>(i)])->MarkDeleted();
    }
    scene.FreePendingDeletes();
    benchmark::DoNotOptimize(scene.GetObjectCount());
  }
  state.SetItemsProcessed(state.iterations() * count);
}

// The reference is the 500-object run; compare the per-item times of the two lines.
BENCHMARK(CreateFindScrap)->Arg(500)->Arg(5000);

}  // namespace
