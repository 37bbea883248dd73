// Showing a film at a time over N chained component tracks (each the parent of the next), at
// N = 100 and N = 1,000: the time per track at 1,000 should stay within twice the time per track
// at 100. Walking the parent chain for every start would make it grow with N.
#include <benchmark/benchmark.h>

#include <memory>

#include "components/box.h"
#include "components/vorn_base_list.h"
#include "motion/custom_frame_list.h"
#include "motion/film_manager.h"

namespace {

constexpr std::int32_t kTrackLength = 4;

// A track that places a box and moves it over its window.
class TChainedBoxTrack final : public vorn::TCustomFrameList {
 public:
  explicit TChainedBoxTrack(vorn::TFilmManager& film) : TCustomFrameList(film) {
    AddFrame(std::make_unique<vorn::TCustomFrame>(*this));
  }
  bool DrawAt(std::int32_t t) override { return DrawComponentAt(t); }
  vorn::TVornControl* GetOrCreateComponent() override {
    if (vorn::TVornControl* held = HeldComponent()) return held;
    vorn::TVornBox* box = vorn::CreateObject<vorn::TVornBox>(*Film().GetOwnerList());
    box->SetName(MakeComponentName());
    box->SetParent(ComponentParent());
    HoldComponent(box);
    return box;
  }

 protected:
  void ApplyKeyFrame(std::int32_t t, int /*key*/) override {
    const std::int64_t i = t - GetStart();
    if (vorn::TVornControl* box = HeldComponent()) box->SetLeft(Interpolate(0, 0, 100, i, GetLength()));
  }
};

void BM_FilmSetTime(benchmark::State& state) {
  const auto tracks = static_cast<int>(state.range(0));
  vorn::TVornBaseList scene;
  scene.SetWidth(64);
  scene.SetHeight(48);
  {
    vorn::TFilmManager film;
    film.SetOwnerList(&scene);
    vorn::TCustomFrameList* previous = nullptr;
    for (int i = 0; i < tracks; ++i) {
      vorn::TCustomFrameList* track = film.AddTrack(std::make_unique<TChainedBoxTrack>(film));
      track->SetLength(kTrackLength);
      // Chained in list order: the fix-up a load does, without its cycle walk.
      if (previous != nullptr) track->SetParent(previous);
      previous = track;
    }
    film.UpdateLength();
    std::int32_t t = 0;
    for (auto _ : state) {
      film.SetTime(t);
      t = (t + 1) % film.GetLength();
      scene.FreePendingDeletes();
    }
    state.counters["track"] = benchmark::Counter(static_cast<double>(state.iterations()) * tracks,
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  }
}
BENCHMARK(BM_FilmSetTime)->Arg(100)->Arg(1000);

}  // namespace
