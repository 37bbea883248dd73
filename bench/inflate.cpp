// Whole-member inflation (DecompressStream, what the member loader runs on a compressed member)
// next to zlib's uncompress and libdeflate inflating the same bytes into a buffer of the known
// size, in the same run. Every side starts from its own copy of the packed bytes (as the loader
// reads them from the archive) and ends with the inflated bytes in memory of its own, both made
// in the timed loop (fresh pages cost real time on some hosts); ours also guesses the size,
// which the stored format does not give. Members of 1 KiB to 64 MiB of three kinds (argument 1): 0 text,
// 1 smooth picture, 2 noisy picture. Ratios to read: BM_Ours against BM_Zlib of the same
// arguments (target: at least 2.5x the throughput from 16 KiB up, never below 1x); BM_Libdeflate
// shows the ceiling.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "foundation/stream.h"
#include "foundation/zlib_stream.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Make(std::size_t size, int kind) {
  Bytes out(size);
  std::uint32_t seed = 99;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  if (kind == 0) {
    static const char* const kWords[] = {"the ", "scene ", "button ", "opens ", "a ", "window ", "with ",
                                         "text ", "and ", "plays ", "sound ", "when ", "clicked.\r\n",
                                         "score ", "= ", "42 ", "if ", "then ", "end\r\n", "picture "};
    std::size_t i = 0;
    while (i < size) {
      for (const char* w = kWords[next() % 20]; *w != 0 && i < size; ++w) out[i++] = static_cast<std::uint8_t>(*w);
    }
  } else if (kind == 1) {
    for (std::size_t i = 0; i < size; ++i) {
      const std::size_t x = i % 2400, y = i / 2400;
      out[i] = static_cast<std::uint8_t>((x / 12 + y / 6) + ((next() >> 20) & 3));
    }
  } else {
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(next() >> 4);
  }
  return out;
}

struct Member {
  std::size_t size = 0;
  Bytes packed;
};

// Made on first use, so that a run of one benchmark builds only its own member.
const Member& MemberOf(std::size_t size, int kind) {
  static std::map<std::pair<std::size_t, int>, Member> members;
  auto [it, fresh] = members.try_emplace({size, kind});
  if (fresh) {
    const Bytes data = Make(size, kind);
    uLongf packedSize = compressBound(static_cast<uLong>(size));
    it->second.packed.resize(packedSize);
    compress2(it->second.packed.data(), &packedSize, data.data(), static_cast<uLong>(size), 1);
    it->second.packed.resize(packedSize);
    it->second.size = size;
  }
  return it->second;
}

void SetRate(benchmark::State& state, const Member& m) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(m.size));
  state.counters["ratio"] = static_cast<double>(m.size) / static_cast<double>(m.packed.size());
}

// Each side inflates once before it is timed, so that no side pays for its first buffers.
void BM_Ours(benchmark::State& state) {
  const Member& m = MemberOf(static_cast<std::size_t>(state.range(0)), static_cast<int>(state.range(1)));
  {
    vorn::TMemoryStream warm(m.packed);
    vorn::DecompressStream(warm);
  }
  for (auto _ : state) {
    vorn::TMemoryStream stream(m.packed);
    vorn::DecompressStream(stream);
    benchmark::DoNotOptimize(stream.Memory());
  }
  SetRate(state, m);
}

void BM_Zlib(benchmark::State& state) {
  const Member& m = MemberOf(static_cast<std::size_t>(state.range(0)), static_cast<int>(state.range(1)));
  {
    std::unique_ptr<std::uint8_t[]> warm(new std::uint8_t[m.size]);
    uLongf size = static_cast<uLongf>(m.size);
    uncompress(warm.get(), &size, m.packed.data(), static_cast<uLong>(m.packed.size()));
  }
  for (auto _ : state) {
    const Bytes in = m.packed;
    std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[m.size]);
    uLongf size = static_cast<uLongf>(m.size);
    uncompress(out.get(), &size, in.data(), static_cast<uLong>(in.size()));
    benchmark::DoNotOptimize(out.get());
  }
  SetRate(state, m);
}

void BM_Libdeflate(benchmark::State& state) {
  const Member& m = MemberOf(static_cast<std::size_t>(state.range(0)), static_cast<int>(state.range(1)));
  libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  {
    std::unique_ptr<std::uint8_t[]> warm(new std::uint8_t[m.size]);
    std::size_t got = 0;
    libdeflate_zlib_decompress(d, m.packed.data(), m.packed.size(), warm.get(), m.size, &got);
  }
  for (auto _ : state) {
    const Bytes in = m.packed;
    std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[m.size]);
    std::size_t got = 0;
    libdeflate_zlib_decompress(d, in.data(), in.size(), out.get(), m.size, &got);
    benchmark::DoNotOptimize(out.get());
  }
  libdeflate_free_decompressor(d);
  SetRate(state, m);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (std::int64_t size : {1 << 10, 16 << 10, 256 << 10, 4 << 20, 64 << 20})
    for (std::int64_t kind : {0, 1, 2}) b->Args({size, kind});
}

BENCHMARK(BM_Ours)->Apply(Sizes);
BENCHMARK(BM_Zlib)->Apply(Sizes);
BENCHMARK(BM_Libdeflate)->Apply(Sizes);

}  // namespace
