// BMP files and packed DIBs: load, force RLE decoding, save, and read the same bytes packed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/errors.h"
#include "graphics/dib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  try {
    vorn::TDIB dib;
    vorn::TMemoryStream stream(bytes);
    dib.LoadFromStream(stream);
    dib.GetPixel(0, 0);
    vorn::TMemoryStream saved;
    dib.SaveToStream(saved);
  } catch (const vorn::Exception&) {
  }
  try {
    vorn::TDIB packed;
    vorn::TMemoryStream stream(bytes);
    packed.ReadData(stream);
    packed.GetPixel(0, 0);
  } catch (const vorn::Exception&) {
  }
  return 0;
}
