// Bytes as the variable part of a saved game and as a status entry.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/param_collection.h"
#include "foundation/errors.h"
#include "foundation/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorn;
  const std::vector<std::uint8_t> bytes(data, data + size);
  {
    TParamCollection params;
    TMemoryStream stream(bytes);
    try {
      params.LoadGame(stream, 121);
    } catch (const Exception&) {
    }
    TMemoryStream saved;
    params.SaveGame(saved);
    // A reference may name an element its target no longer has: reading it is a script error.
    for (int i = 0; i < params.Count(); ++i) {
      try {
        (void)params.GetItem(i).GetAsString();
      } catch (const Exception&) {
      }
    }
  }
  {
    TParamCollection params;
    TMemoryStream stream(bytes);
    try {
      params.LoadStatus(stream, 121);
    } catch (const Exception&) {
    }
    TMemoryStream saved;
    params.SaveStatus(saved);
  }
  return 0;
}
