// PNG files loaded as one-frame layered images. Byte 0 bit 0: convert after loading.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/stream.h"
#include "graphics/pelk_frame_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vorn::TPelkFrameList list;
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  try {
    list.LoadPngFromStream(stream);
    if (list.Count() > 0) list.GetFrame(0).MakeAlphaFromKey();
  } catch (const vorn::Exception&) {
  }
  return 0;
}
