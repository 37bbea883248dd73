// A message document's settings record from a saved game (any bytes); the first byte picks the
// save version 109, 110 or 111.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/errors.h"
#include "foundation/stream.h"
#include "text/zk_word.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::int32_t version = 109 + data[0] % 3;
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data + 1, data + size));
  vorn::TZkWord doc;
  try {
    doc.LoadSettings(stream, version);
  } catch (const vorn::Exception&) {
    return 0;
  }
  vorn::TMemoryStream out;
  doc.SaveSettings(out);
  return 0;
}
