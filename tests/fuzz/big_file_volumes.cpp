// A file kept in volumes (save.dat, then save.001, save.002 ...). Byte 0: the volume size
// (1 to 64); byte 1: bit 7 set cuts the rest at (byte 1 & 0x7F) into save.dat and save.001
// whatever the volume size, else every volume but the last is full. The rest is the content.
// Full volumes read back as the content; any layout reads, seeks and opens as an archive without
// reading past what the volumes hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "foundation/archive.h"
#include "foundation/big_stream.h"
#include "foundation/errors.h"

namespace {

const std::filesystem::path& ScratchDir() {
  static const std::filesystem::path dir = [] {
    std::random_device random;
    auto path = std::filesystem::temp_directory_path() / ("vorn-fuzz-volumes-" + std::to_string(random()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return dir;
}

void WriteVolume(const std::string& name, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(ScratchDir() / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorn;
  if (size < 2) return 0;
  const std::int64_t volume = data[0] % 64 + 1;
  const bool free_cut = (data[1] & 0x80) != 0;
  const std::uint8_t* content = data + 2;
  const std::size_t length = size - 2;

  for (const auto& entry : std::filesystem::directory_iterator(ScratchDir())) std::filesystem::remove(entry.path());
  const std::string name = (ScratchDir() / "save.dat").string();
  std::vector<std::size_t> sizes;
  if (free_cut) {
    const std::size_t cut = std::min<std::size_t>(data[1] & 0x7F, length);
    sizes = {cut, length - cut};
  } else {
    for (std::size_t at = 0; at < length || sizes.empty(); at += static_cast<std::size_t>(volume))
      sizes.push_back(std::min<std::size_t>(static_cast<std::size_t>(volume), length - at));
  }
  if (sizes.size() > 200) return 0;  // a handful of volumes shows every seam
  std::size_t at = 0;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    WriteVolume(std::filesystem::path(TZkBigFileStream::VolumeName(name, static_cast<int>(i))).filename().string(),
                content + at, sizes[i]);
    at += sizes[i];
  }

  try {
    TZkBigFileStream file(name, fmOpenRead | fmShareDenyWrite, volume);
    if (file.Size() < 0 || file.Size() > static_cast<std::int64_t>(length)) __builtin_trap();
    std::vector<std::uint8_t> all(static_cast<std::size_t>(file.Size()) + 16);
    const std::size_t got = file.Read(all.data(), all.size());
    if (got > static_cast<std::size_t>(file.Size())) __builtin_trap();
    if (!free_cut && (got != length || !std::equal(content, content + length, all.begin()))) __builtin_trap();
    // Reads from every position, and seeks far outside.
    for (std::int64_t position = 0; position <= file.Size(); position += 7) {
      file.SetPosition(position);
      std::uint8_t buffer[19];
      const std::size_t n = file.Read(buffer, sizeof buffer);
      if (n > sizeof buffer || file.Position() > file.Size()) __builtin_trap();
      if (!free_cut && !std::equal(buffer, buffer + n, content + position)) __builtin_trap();
    }
    file.Seek(INT64_MAX, SeekOrigin::kCurrent);
    file.Seek(INT64_MIN, SeekOrigin::kCurrent);
    if (file.Position() < 0 || file.Position() > file.Size()) __builtin_trap();
  } catch (const Exception&) {
  }

  // The same volumes as an archive, every member loaded.
  try {
    TVrFileCollection archive;
    archive.Open(name);
    for (int i = 0; i < archive.Count() && i < 64; ++i) {
      try {
        TMemoryStream out;
        archive.LoadToStream(out, archive.GetItem(i).Name());
      } catch (const Exception&) {
      }
    }
  } catch (const Exception&) {
  }
  return 0;
}
