// Bytes as the interpreter's part of a saved game: restore it against one small page and run a
// few frames.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/call_man.h"
#include "engine/engine_values.h"
#include "engine/script_files.h"
#include "foundation/errors.h"
#include "foundation/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorn;
  // Version 110, result type 1, no mask rows, two labels.
  static const std::vector<std::uint8_t> kPage = {
      0x6E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0,
      3, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 'a',
      3, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 'b',
  };
  TMemoryScriptFiles files;
  files.files["main.vsb"] = kPage;
  TScriptFiles* previous = SetScriptFiles(&files);
  {
    TCallMan callman;
    TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
      callman.LoadFromStream(stream, 116);
      for (int frame = 0; frame < 4; ++frame) callman.Run();
      TMemoryStream saved;
      callman.SaveToStream(saved);
    } catch (const Exception&) {
    }
  }
  SetScriptFiles(previous);
  StopFlag = false;
  return 0;
}
