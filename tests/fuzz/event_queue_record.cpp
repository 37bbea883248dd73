// Bytes as a saved event-queue record, read into a scene holding one named control.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "components/timer_list.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "foundation/errors.h"
#include "foundation/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the record version: either side of the one-byte done field.
  const std::int32_t version = (data[0] & 1) != 0 ? 113 : 130;
  vorn::TVornBaseList scene;
  auto* control = vorn::CreateObject<vorn::TVornControl>(scene);
  control->SetName("btn");
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data + 1, data + size));
  try {
    scene.Events().LoadFromStream(stream, version);
    vorn::TMemoryStream out;
    scene.Events().SaveToStream(out);
  } catch (const vorn::EReadError&) {
  }
  return 0;
}
