// The argument-list loader, checked and lenient, over arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/array_string.h"
#include "foundation/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  vorn::TMemoryStream stream(bytes);
  vorn::TArrayString array;
  try {
    array.LoadFromStream(stream);
    vorn::TMemoryStream out;
    array.SaveToStream(out);
  } catch (const vorn::EReadError&) {
  }
  stream.SetPosition(0);
  array.TryLoadFromStream(stream);
  return 0;
}
