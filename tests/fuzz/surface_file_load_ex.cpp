// A picture file loaded by name, the reader chosen by its extension. Byte 0: bits 0-1 the
// extension (.bmp, .tga, .ico, .cur), bit 2 take the alpha; the rest is the file. A load either
// raises the format's error or leaves a whole picture, with an alpha plane of its size when one
// was taken.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "foundation/errors.h"
#include "graphics/dib_surface.h"

namespace {

// One scratch file name per run and extension, so parallel runs do not share files.
std::string ScratchFile(const char* extension) {
  static const std::string stem = [] {
    std::random_device random;
    return (std::filesystem::temp_directory_path() / ("vorn-fuzz-picture-" + std::to_string(random()))).string();
  }();
  return stem + extension;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const char* const kExtensions[] = {".bmp", ".tga", ".ico", ".cur"};
  const std::string path = ScratchFile(kExtensions[data[0] & 3]);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  }
  const bool takeAlpha = (data[0] & 4) != 0;
  vorn::TDIBSurface picture;
  std::int32_t key = 0xFF00FF;
  bool icon32 = false;
  vorn::TSurfaceFileInfo info;
  try {
    picture.LoadFromFileEx(path, key, takeAlpha, false, icon32, info);
    if (picture.Alpha() != nullptr &&
        (picture.Alpha()->Width() != picture.Width() || picture.Alpha()->Height() != picture.Height()))
      __builtin_trap();
    for (int y = 0; y < picture.Height(); ++y) (void)picture.ReadScanLine(y);
  } catch (const vorn::Exception&) {
  }
  std::error_code error;
  std::filesystem::remove(path, error);
  return 0;
}
