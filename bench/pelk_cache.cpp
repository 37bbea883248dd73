// Acquire and release cycles of the layered-image cache over 1,000 and 10,000 distinct 64 x 64
// pictures, each cycle a new picture, so the idle list is trimmed at every release once it holds
// its 5,760,000 bytes. Both sizes decode the same picture per cycle: the time per cycle at 10,000
// should stay within twice the time per cycle at 1,000 (the idle bookkeeping must not grow with
// the number of pictures).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "components/pelk_collection.h"
#include "foundation/stream.h"
#include "graphics/pelk_frame_list.h"

namespace {

constexpr int kSide = 64;

std::vector<std::uint8_t> PictureBytes() {
  vorn::TPelkFrameList list;
  vorn::TPelkFrame& frame = list.AddFrame();
  frame.Composite().SetSize(kSide, kSide, 24);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) frame.Composite().SetPixel(x, y, static_cast<std::uint32_t>(x * 4 + y * 1024));
  }
  vorn::TMemoryStream stream;
  list.SaveToStream(stream, vorn::kPelkZlib, 70);
  return stream.TakeBytes();
}

// Every name is a picture: the same bytes under each.
class TMemoryPictures final : public vorn::TPelkCollection {
 public:
  TMemoryPictures() : bytes_(PictureBytes()) {}

 protected:
  bool ReadPicture(const std::string& /*name*/, vorn::TStream& stream, std::uint32_t& code) const override {
    stream.WriteBuffer(bytes_.data(), bytes_.size());
    code = 0;
    return true;
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

void BM_AcquireReleaseCycle(benchmark::State& state) {
  const int distinct = static_cast<int>(state.range(0));
  std::vector<std::string> names;
  for (int i = 0; i < distinct; ++i) names.push_back("picture" + std::to_string(i) + ".pel");
  TMemoryPictures cache;
  const int user = 0;
  // One round first, so the idle list is full and trimming from the start.
  for (const std::string& name : names) cache.Acquire(&user, name, false, false).Release(&user);
  std::size_t next = 0;
  for (auto _ : state) {
    vorn::TPelkItem& item = cache.Acquire(&user, names[next], false, false);
    item.Release(&user);
    next = (next + 1) % names.size();
  }
  state.counters["idle"] = cache.IdleCount();
}
BENCHMARK(BM_AcquireReleaseCycle)->Arg(1000)->Arg(10000);

}  // namespace
