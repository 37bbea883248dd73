// The archive directory reader over arbitrary bytes, in its three file layouts: the first byte
// picks plain (at byte 0), appended to an executable (trailer "vo"), or behind a ".ext" file.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/archive.h"
#include "foundation/errors.h"

namespace {

std::string Scratch() {
  static const std::string dir = [] {
    auto path = std::filesystem::temp_directory_path() /
                ("vorn-fuzz-archive-directory-" + std::to_string(reinterpret_cast<std::uintptr_t>(&dir) & 0xFFFFFF));
    std::filesystem::create_directories(path);
    return path.string() + "/";
  }();
  return dir;
}

void Write(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int layout = data[0] % 3;
  ++data;
  --size;
  const std::string dir = Scratch();
  std::string name;
  std::filesystem::remove(dir + "split.ext");
  if (layout == 0) {
    name = dir + "plain.dat";
    Write(name, data, size);
  } else if (layout == 1) {
    name = dir + "player.exe";
    Write(name, data, size);
  } else {
    // The directory from the input, a data file of the input's own bytes.
    name = dir + "split.bin";
    Write(name, data, size);
    Write(dir + "split.ext", data, size);
  }
  vorn::TVrFileCollection archive;
  try {
    archive.Open(name);
    for (int i = 0; i < archive.Count(); ++i) (void)archive.GetItem(i).size;
  } catch (const vorn::Exception&) {
  }
  return 0;
}
