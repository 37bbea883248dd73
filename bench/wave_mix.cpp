// The software wave mixer filling one 500 ms block (88200 bytes) from 8 stereo 44100 Hz 16-bit
// sources at volume 128, with the vector and the scalar saturating add, against copying the same
// 8 x 88200 bytes with memcpy. Targets: vector within 4x of memcpy, and at least 2x the scalar.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "foundation/stream.h"
#include "media/wave_mix.h"
#include "media/wave_out.h"
#include "platform/headless_audio.h"

namespace {

constexpr int kSources = 8;
constexpr int kDelayMs = 500;
constexpr std::size_t kBlockBytes = 88200;

struct Mixer {
  vorn::platform::VirtualClock clock;
  vorn::platform::HeadlessAudioOutput audio{clock};
  vorn::TWavOut out{&audio, clock, kDelayMs};
  std::vector<std::unique_ptr<vorn::TMemoryStream>> streams;

  Mixer() {
    out.Open();
    std::uint32_t seed = 7;
    for (int i = 0; i < kSources; ++i) {
      // One block and a frame: the same bytes the reference copies, wrapping inside every block.
      std::vector<std::uint8_t> bytes(kBlockBytes + 4);
      for (auto& b : bytes) {
        seed = seed * 1103515245 + 12345;
        b = static_cast<std::uint8_t>(seed >> 16);
      }
      streams.push_back(std::make_unique<vorn::TMemoryStream>(std::move(bytes)));
      vorn::TWavBuffer* source = out.AddBuffer(vorn::TWavOut::OutputFormat(), *streams.back());
      source->SetVolume(128);
      source->SetRepeat(true);
      sources.push_back(source);
    }
    Replay();
  }
  // A repeating source whose read ends exactly at its end counts as ended until played again.
  void Replay() {
    for (vorn::TWavBuffer* source : sources) source->Play();
  }
  std::vector<vorn::TWavBuffer*> sources;
};

void MixAll(benchmark::State& state, bool vector) {
  Mixer mixer;
  vorn::SetVectorMixing(vector);
  std::vector<std::int16_t> block(kBlockBytes / 2);
  if (!mixer.out.MixAll(block.data())) {
    state.SkipWithError("the sources contributed nothing");
    return;
  }
  for (auto _ : state) {
    mixer.Replay();
    benchmark::DoNotOptimize(mixer.out.MixAll(block.data()));
    benchmark::ClobberMemory();
  }
  vorn::SetVectorMixing(true);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSources * kBlockBytes);
}

void MixAllVector(benchmark::State& state) { MixAll(state, true); }
void MixAllScalar(benchmark::State& state) { MixAll(state, false); }
BENCHMARK(MixAllVector);
BENCHMARK(MixAllScalar);

// The reference: the same bytes copied once each, no conversion, volume or addition.
void MemcpyReference(benchmark::State& state) {
  std::vector<std::vector<std::uint8_t>> sources(kSources, std::vector<std::uint8_t>(kBlockBytes, 3));
  std::vector<std::uint8_t> block(kBlockBytes);
  for (auto _ : state) {
    for (const auto& source : sources) std::memcpy(block.data(), source.data(), kBlockBytes);
    benchmark::DoNotOptimize(block.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSources * kBlockBytes);
}
BENCHMARK(MemcpyReference);

}  // namespace
