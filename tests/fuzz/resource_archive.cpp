// A module file whose ".res.BINTYPE.DUMMY" section holds an archive: the input is the whole
// module. Opening it either raises a clear error or gives members that load or raise one.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "foundation/archive.h"
#include "foundation/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    std::random_device random;
    return (std::filesystem::temp_directory_path() / ("vorn-fuzz-module-" + std::to_string(random()))).string();
  }();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    vorn::TVrFileCollection archive;
    archive.OpenResource(path, "DUMMY", "BINTYPE");
    for (int i = 0; i < archive.Count() && i < 64; ++i) {
      const std::string name = archive.GetItem(i).Name();
      try {
        vorn::TMemoryStream out;
        archive.LoadToStream(out, name);
      } catch (const vorn::Exception&) {
      }
      try {
        if (auto range = archive.OpenRange(name)) {
          std::uint8_t buffer[256];
          while (range->Read(buffer, sizeof buffer) > 0) {
          }
        }
      } catch (const vorn::Exception&) {
      }
    }
  } catch (const vorn::Exception&) {
  }
  std::error_code error;
  std::filesystem::remove(path, error);
  return 0;
}
