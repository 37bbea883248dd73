// Opening a game.dat of 100,000 members and finding members by name, next to the plain work the
// same bytes need, in the same run: reading the whole directory in one read and filling an
// std::unordered_map with the unscrambled names (open), and std::unordered_map::find of the
// same names (lookup; target: under 100 ns a hit, within a few times the map).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/archive.h"
#include "foundation/shuffle_bag.h"

namespace {

using namespace vorn;

constexpr int kMembers = 100000;

std::string MemberName(int i) { return "data\\pic" + std::to_string(i) + ".bmp"; }

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

// A version-102 archive spelled out field by field: scrambled names and offsets, one stored
// byte per member.
struct ArchiveFile {
  std::string path;
  std::vector<std::uint8_t> bytes;
  std::size_t directory_bytes = 0;

  ArchiveFile() {
    path = (std::filesystem::temp_directory_path() /
            ("vorn-bench-directory-" + std::to_string(std::random_device{}()) + ".dat"))
               .string();
    bytes = {'v', 'f'};
    PutU32(bytes, 102);
    PutU32(bytes, kMembers);
    TZkRandom names(kArchiveKey);
    for (int i = 0; i < kMembers; ++i) {
      const std::string name = MemberName(i);
      PutU32(bytes, static_cast<std::uint32_t>(name.size()));
      for (char c : name)
        bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^ (static_cast<std::uint32_t>(names.NextRaw()) & 0xFF)));
    }
    const std::uint64_t data_start = bytes.size() + (kMembers + 1) * 8ull + kMembers * 10ull;
    TZkRandom offsets(kArchiveKey);
    for (int i = 0; i <= kMembers; ++i) {
      const std::uint64_t offset = data_start + static_cast<std::uint64_t>(i);
      const std::int32_t key = offsets.NextRaw();
      PutU32(bytes, static_cast<std::uint32_t>(offset) ^ static_cast<std::uint32_t>(key));
      PutU32(bytes, static_cast<std::uint32_t>(offset >> 32) ^ (key < 0 ? 0xFFFFFFFFu : 0u));
    }
    bytes.insert(bytes.end(), kMembers, 1);               // stored flags
    bytes.insert(bytes.end(), kMembers * 4, 0);           // file times
    bytes.insert(bytes.end(), kMembers * 4, 0);           // CRCs
    bytes.insert(bytes.end(), kMembers, 0);               // CRC-over-data flags
    directory_bytes = bytes.size();
    bytes.insert(bytes.end(), kMembers, 0x41);            // member data
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  }
  ~ArchiveFile() { std::filesystem::remove(path); }
};

ArchiveFile& File() {
  static ArchiveFile file;
  return file;
}

void BM_OpenArchive(benchmark::State& state) {
  ArchiveFile& file = File();
  for (auto _ : state) {
    TVrFileCollection archive;
    archive.Open(file.path);
    benchmark::DoNotOptimize(archive.Count());
  }
}
BENCHMARK(BM_OpenArchive)->Unit(benchmark::kMillisecond);

void BM_ReadDirectoryIntoMapReference(benchmark::State& state) {
  ArchiveFile& file = File();
  for (auto _ : state) {
    std::ifstream in(file.path, std::ios::binary);
    std::vector<std::uint8_t> directory(file.directory_bytes);
    in.read(reinterpret_cast<char*>(directory.data()), static_cast<std::streamsize>(directory.size()));
    std::unordered_map<std::string, int> map;
    map.reserve(kMembers);
    TZkRandom names(kArchiveKey);
    std::size_t at = 10;
    for (int i = 0; i < kMembers; ++i) {
      const std::uint32_t length = directory[at] | directory[at + 1] << 8 | directory[at + 2] << 16 |
                                   static_cast<std::uint32_t>(directory[at + 3]) << 24;
      at += 4;
      std::string name(length, '\0');
      for (std::uint32_t k = 0; k < length; ++k)
        name[k] = static_cast<char>(directory[at + k] ^ (static_cast<std::uint32_t>(names.NextRaw()) & 0xFF));
      at += length;
      map.emplace(std::move(name), i);
    }
    benchmark::DoNotOptimize(map.size());
  }
}
BENCHMARK(BM_ReadDirectoryIntoMapReference)->Unit(benchmark::kMillisecond);

std::vector<std::string> Probes() {
  std::vector<std::string> probes;
  std::mt19937 gen(3);
  for (int i = 0; i < 1024; ++i) probes.push_back(MemberName(static_cast<int>(gen() % kMembers)));
  return probes;
}

void BM_FindMember(benchmark::State& state) {
  TVrFileCollection archive;
  archive.Open(File().path);
  const auto probes = Probes();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(archive.FindFile(probes[i++ & 1023]));
}
BENCHMARK(BM_FindMember);

void BM_FindInMapReference(benchmark::State& state) {
  std::unordered_map<std::string, int> map;
  for (int i = 0; i < kMembers; ++i) map.emplace(MemberName(i), i);
  const auto probes = Probes();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(map.find(probes[i++ & 1023]));
}
BENCHMARK(BM_FindInMapReference);

}  // namespace
