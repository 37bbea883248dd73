// In-place zlib and hashed-name lookup against their plain references, measured in the same run.
// Targets: CompressStream / DecompressStream at most 1.15x compress2(level 1) / uncompress into a
// presized buffer; THashCollection.IndexOf at most 3x std::unordered_map with pre-folded keys.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/hash_collection.h"
#include "foundation/sjis.h"
#include "foundation/zlib_stream.h"

namespace {

constexpr std::size_t kDataBytes = 4 * 1024 * 1024;

// Smooth gradients with a little noise, like a decoded picture.
std::vector<std::uint8_t> ImageLike() {
  std::vector<std::uint8_t> data(kDataBytes);
  std::uint32_t noise = 12345;
  for (std::size_t i = 0; i < data.size(); ++i) {
    noise = noise * 1103515245u + 12345u;
    const std::size_t x = (i / 4) % 800;
    const std::size_t y = (i / 4) / 800;
    data[i] = static_cast<std::uint8_t>((x + y * 2 + i % 4 * 40) / 4 + ((noise >> 28) & 3));
  }
  return data;
}

// Script-like CP932 text.
std::vector<std::uint8_t> TextLike() {
  const std::string line =
      "\x96\x7B\x93\xFA\x82\xCD\x90\xB0\x93\x56\x82\xC8\x82\xE8\x81\x42 SetProp(\"label\", PR_CAPTION, "
      "\"\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD\"); Flag0001 = Flag0002 + 1;\r\n";
  std::vector<std::uint8_t> data;
  data.reserve(kDataBytes);
  for (int n = 0; data.size() < kDataBytes; ++n) {
    const std::string numbered = std::to_string(n) + line;
    data.insert(data.end(), numbered.begin(), numbered.end());
  }
  data.resize(kDataBytes);
  return data;
}

const std::vector<std::uint8_t>& Sample(int which) {
  static const std::vector<std::uint8_t> image = ImageLike();
  static const std::vector<std::uint8_t> text = TextLike();
  return which == 0 ? image : text;
}

std::vector<std::uint8_t> Packed(int which) {
  const auto& data = Sample(which);
  uLongf size = compressBound(data.size());
  std::vector<std::uint8_t> packed(size);
  compress2(packed.data(), &size, data.data(), data.size(), 1);
  packed.resize(size);
  return packed;
}

void BM_CompressStream(benchmark::State& state) {
  const auto& data = Sample(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    vorn::TMemoryStream stream(data);
    vorn::CompressStream(stream);
    benchmark::DoNotOptimize(stream.Memory());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_Compress2Reference(benchmark::State& state) {
  const auto& data = Sample(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::vector<std::uint8_t> copy(data);  // the in-place form starts from a stream of its own too
    uLongf size = compressBound(copy.size());
    std::vector<std::uint8_t> out(size);
    compress2(out.data(), &size, copy.data(), copy.size(), 1);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_DecompressStream(benchmark::State& state) {
  const auto packed = Packed(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    vorn::TMemoryStream stream(packed);
    vorn::DecompressStream(stream);
    benchmark::DoNotOptimize(stream.Memory());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDataBytes));
}

void BM_UncompressReference(benchmark::State& state) {
  const auto packed = Packed(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::vector<std::uint8_t> copy(packed);
    std::vector<std::uint8_t> out(kDataBytes);
    uLongf size = out.size();
    uncompress(out.data(), &size, copy.data(), copy.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDataBytes));
}

// 2,000 names as projects use them: numbered series, Japanese names and "@" system names.
std::vector<std::string> Names() {
  std::vector<std::string> names;
  char buffer[32];
  for (int i = 0; i < 1200; ++i) {
    std::snprintf(buffer, sizeof buffer, i % 2 ? "Flag%04d" : "msg_%d", i);
    names.emplace_back(buffer);
  }
  const std::string japanese[] = {"\x8E\xE5\x90\x6C\x8C\xF6", "\x83\x71\x83\x8D\x83\x43\x83\x93",
                                  "\x8D\x44\x8A\xB4\x93\x78", "\x91\x49\x91\xF0\x8E\x88"};
  for (int i = 0; i < 600; ++i) names.push_back(japanese[i % 4] + std::to_string(i));
  for (int i = 0; i < 200; ++i) names.push_back("@SYS_" + std::to_string(i));
  return names;
}

void BM_HashCollectionIndexOf(benchmark::State& state) {
  const auto names = Names();
  vorn::THashCollection collection;
  for (const auto& name : names) vorn::AddNamedItem(collection, name);
  std::vector<std::string> queries;
  for (const auto& name : names) queries.push_back(vorn::Cp932UpperCase(name));
  for (auto _ : state) {
    int sum = 0;
    for (const auto& query : queries) sum += collection.IndexOf(query);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * queries.size()));
}

void BM_UnorderedMapReference(benchmark::State& state) {
  const auto names = Names();
  std::unordered_map<std::string, int> map;
  for (std::size_t i = 0; i < names.size(); ++i) map[vorn::Cp932LowerCase(names[i])] = static_cast<int>(i);
  std::vector<std::string> queries;
  for (const auto& name : names) queries.push_back(vorn::Cp932LowerCase(name));  // pre-folded
  for (auto _ : state) {
    int sum = 0;
    for (const auto& query : queries) sum += map.find(query)->second;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * queries.size()));
}

}  // namespace

// Argument 0: image-like data, 1: text-like data.
BENCHMARK(BM_CompressStream)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compress2Reference)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecompressStream)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UncompressReference)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HashCollectionIndexOf);
BENCHMARK(BM_UnorderedMapReference);
