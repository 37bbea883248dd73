// Bytes as a page file: load it, walk every command's label test, and feed every command saved
// run-time state: the bytes from the first "vorn" on (a trailer after the page), else all of them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/command.h"
#include "engine/engine_values.h"
#include "engine/script_page.h"
#include "foundation/errors.h"
#include "foundation/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorn;
  TPage page;
  try {
    page.LoadFromBytes("fuzz.vsb", std::vector<std::uint8_t>(data, data + size));
  } catch (const Exception&) {
    StopFlag = false;
    return 0;
  }
  StopFlag = false;
  constexpr std::string_view kStateMark = "vorn";
  const std::uint8_t* state_start = std::search(data, data + size, kStateMark.begin(), kStateMark.end());
  if (state_start == data + size) state_start = data;
  for (int i = 0; i < page.Count(); ++i) {
    TCommand* command = page.GetCommand(i);
    (void)command->GetCode();
    TMemoryStream state(std::vector<std::uint8_t>(state_start, data + size));
    try {
      command->LoadState(state);
    } catch (const Exception&) {
    }
    std::unique_ptr<TMemoryStream> saved;
    command->SaveState(saved);
  }
  (void)page.IndexOfLabel("L1");
  return 0;
}
