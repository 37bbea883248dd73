// Bytes as the interpreter's part of a saved game: restore it against one small page and run a
// few frames. The page's waiting commands (Wait, MovieStop, TextIns, Flip at 2..5) take their
// state from the stream or, inside a call frame, when the frame is popped.
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
  // Version 110, result type 1, no mask rows; two labels, then Wait, MovieStop, TextIns and Flip
  // with empty expressions (the TextIns document is the two bytes "Zk").
  static const std::vector<std::uint8_t> kPage = {
      0x6E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0,
      3, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 'a',
      3, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 'b',
      7, 0, 0, 0, 0, 0, 1, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      21, 0, 0, 0, 0, 0, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      20, 0, 0, 0, 0, 0, 1, 5, 0, 0, 0, 2, 0, 0, 0, 'Z', 'k',
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      13, 0, 0, 0, 0, 0, 1, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 0, 0,  // no carry names
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
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
