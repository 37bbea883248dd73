// Loading every member of an archive made of arbitrary bytes: through the collection's loader,
// as a range, and through the virtual file manager with its cache.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/archive.h"
#include "foundation/errors.h"
#include "foundation/vr_file_manager.h"
#include "platform/cd_roots.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    auto dir = std::filesystem::temp_directory_path() / "vorn-fuzz-archive-member";
    std::filesystem::create_directories(dir);
    return (dir / "game.dat").string();
  }();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  vorn::platform::HeadlessCdRootSource roots;
  vorn::TVrFileManager manager(&roots);
  try {
    manager.AddArchive(path);
  } catch (const vorn::Exception&) {
    return 0;
  }
  vorn::TVrFileCollection& archive = manager.GetArchive(0);
  for (int i = 0; i < archive.Count() && i < 64; ++i) {
    const std::string name = archive.GetItem(i).Name();
    try {
      vorn::TMemoryStream out;
      archive.LoadToStream(out, name);
    } catch (const vorn::Exception&) {
    }
    try {
      vorn::TMemoryStream out;
      manager.LoadToStream(out, name);
      manager.LoadToStream(out, name);
    } catch (const vorn::Exception&) {
    }
    try {
      if (auto range = archive.OpenRange(name)) {
        std::uint8_t buffer[256];
        range->Seek(0, vorn::SeekOrigin::kEnd);
        range->Seek(-10, vorn::SeekOrigin::kCurrent);
        while (range->Read(buffer, sizeof buffer) > 0) {
        }
      }
    } catch (const vorn::Exception&) {
    }
  }
  return 0;
}
