// Member loading through the virtual file manager against the plain host operations it is built
// from, measured in the same run:
//   LoadToStream of a 4 MiB level-1 member (cache dropped each time)  <= 1.3x pread + uncompress
//   a cache hit                                                       <= 2x memcpy of the bytes
//   64 KiB sequential reads through OpenRange on a 64 MiB member      <= 1.2x a pread loop
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/archive.h"
#include "foundation/vr_file_manager.h"
#include "platform/cd_roots.h"
#include "platform/host_file.h"

namespace {

constexpr std::size_t kImageBytes = 4 << 20;
constexpr std::size_t kMovieBytes = 64 << 20;
constexpr std::size_t kChunkBytes = 64 << 10;

// Rows of smooth gradients with a little noise, as a decoded picture would look.
std::vector<std::uint8_t> ImageLike() {
  std::vector<std::uint8_t> bytes(kImageBytes);
  std::uint32_t seed = 7;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    const std::size_t x = i % 4096, y = i / 4096;
    bytes[i] = static_cast<std::uint8_t>((x / 16 + y / 8) + ((seed >> 28) & 3));
  }
  return bytes;
}

struct Setup {
  std::string dir;
  std::string archive_path;
  std::uint64_t image_offset = 0, image_stored = 0, movie_offset = 0;
  vorn::platform::HeadlessCdRootSource roots;
  std::unique_ptr<vorn::TVrFileManager> manager;

  Setup() {
    // A folder of this run's own: a test run and a sanitizer run may measure at the same time.
    dir = (std::filesystem::temp_directory_path() /
           ("vorn-bench-archive-" + std::to_string(std::random_device{}())))
              .string() +
          "/";
    std::filesystem::create_directories(dir);
    archive_path = dir + "game.dat";
    {
      vorn::TVrFileCollection writer;
      const auto image = ImageLike();
      writer.AddMemoryFile("image.bmp").own_data->WriteBuffer(image.data(), image.size());
      std::vector<std::uint8_t> movie(kMovieBytes, 0x5A);
      writer.AddMemoryFile("movie.mpg").own_data->WriteBuffer(movie.data(), movie.size());
      vorn::TZkBigMemoryStream out;
      writer.SaveToStream(out);
      out.SaveToFile(archive_path);
    }
    manager = std::make_unique<vorn::TVrFileManager>(&roots);
    manager->AddArchive(archive_path);
    const auto& archive = manager->GetArchive(0);
    image_offset = archive.FindFile("image.bmp")->offset;
    image_stored = archive.FindFile("image.bmp")->size;
    movie_offset = archive.FindFile("movie.mpg")->offset;
  }
  ~Setup() {
    manager.reset();
    std::error_code error;
    std::filesystem::remove_all(dir, error);
  }
};

Setup& Shared() {
  static Setup setup;
  return setup;
}

void PreadUncompress(benchmark::State& state) {
  auto& s = Shared();
  auto file = vorn::platform::HostFile::Open(s.archive_path, vorn::platform::HostFileMode::kRead);
  std::vector<std::uint8_t> stored(s.image_stored), out(kImageBytes);
  for (auto _ : state) {
    file->ReadAt(stored.data(), stored.size(), static_cast<std::int64_t>(s.image_offset));
    uLongf size = static_cast<uLongf>(out.size());
    uncompress(out.data(), &size, stored.data(), static_cast<uLong>(stored.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageBytes);
}
BENCHMARK(PreadUncompress)->Unit(benchmark::kMillisecond);

void LoadToStreamUncached(benchmark::State& state) {
  auto& s = Shared();
  vorn::TMemoryStream out;
  for (auto _ : state) {
    s.manager->Cache().Remove("image.bmp");
    s.manager->LoadToStream(out, "image.bmp");
    benchmark::DoNotOptimize(out.Memory());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageBytes);
}
BENCHMARK(LoadToStreamUncached)->Unit(benchmark::kMillisecond);

void MemcpyImage(benchmark::State& state) {
  std::vector<std::uint8_t> from(kImageBytes, 1), to(kImageBytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageBytes);
}
BENCHMARK(MemcpyImage)->Unit(benchmark::kMicrosecond);

void LoadToStreamCacheHit(benchmark::State& state) {
  auto& s = Shared();
  vorn::TMemoryStream out;
  s.manager->LoadToStream(out, "image.bmp");
  for (auto _ : state) {
    s.manager->LoadToStream(out, "image.bmp");
    benchmark::DoNotOptimize(out.Memory());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageBytes);
}
BENCHMARK(LoadToStreamCacheHit)->Unit(benchmark::kMicrosecond);

void PreadLoop(benchmark::State& state) {
  auto& s = Shared();
  auto file = vorn::platform::HostFile::Open(s.archive_path, vorn::platform::HostFileMode::kRead);
  std::vector<std::uint8_t> chunk(kChunkBytes);
  for (auto _ : state) {
    for (std::size_t at = 0; at < kMovieBytes; at += kChunkBytes) {
      file->ReadAt(chunk.data(), chunk.size(), static_cast<std::int64_t>(s.movie_offset + at));
    }
    benchmark::DoNotOptimize(chunk.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kMovieBytes);
}
BENCHMARK(PreadLoop)->Unit(benchmark::kMillisecond);

void OpenRangeSequential(benchmark::State& state) {
  auto& s = Shared();
  auto range = s.manager->OpenRange("movie.mpg");
  std::vector<std::uint8_t> chunk(kChunkBytes);
  for (auto _ : state) {
    range->Seek(0, vorn::SeekOrigin::kBegin);
    while (range->Read(chunk.data(), chunk.size()) > 0) {
    }
    benchmark::DoNotOptimize(chunk.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kMovieBytes);
}
BENCHMARK(OpenRangeSequential)->Unit(benchmark::kMillisecond);

}  // namespace
