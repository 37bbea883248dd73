// Bytes as a page file: load it and walk every command's label test.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/command.h"
#include "engine/engine_values.h"
#include "engine/script_page.h"
#include "foundation/errors.h"

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
  for (int i = 0; i < page.Count(); ++i) {
    (void)page.GetCommand(i)->GetCode();
  }
  (void)page.IndexOfLabel("L1");
  return 0;
}
