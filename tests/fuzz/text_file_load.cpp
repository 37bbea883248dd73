// A text file a script loads: the bytes go through the player's own line splitter into an array
// variable of each type. Script errors are fine; anything else is a fault.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/custom_param.h"
#include "engine/param_collection.h"
#include "engine/script_files.h"
#include "engine/script_text.h"
#include "engine/sys_func_man.h"
#include "engine/typed_params.h"
#include "foundation/errors.h"
#include "foundation/vocabulary_codes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorn;
  static TParamCollection params;
  static TSysFuncMan functions;
  static TParamCollectionItem& result = [] () -> TParamCollectionItem& {
    auto& item = params.AddParam(PT_INT);
    item.SetName("loaded");
    return item;
  }();

  const std::vector<std::uint8_t> bytes(data, data + size);
  // The splitter on its own: every byte but the line ends comes back, in order.
  std::size_t kept = 0;
  for (const std::string& line : script_text::SplitLines(bytes)) kept += line.size();
  std::size_t breaks = 0;
  for (std::uint8_t b : bytes) breaks += (b == '\r' || b == '\n') ? 1 : 0;
  if (kept + breaks != bytes.size()) __builtin_trap();

  TMemoryScriptFiles files;
  files.files["text.txt"] = bytes;
  TScriptFiles* previous = SetScriptFiles(&files);
  for (std::uint8_t type : {PT_INT, PT_FLOAT, PT_STR, PT_BOOL}) {
    std::unique_ptr<TCustomParam> target = CreateParamByType(type);
    auto name = std::make_unique<TParamStr>();
    name->SetAsString("text.txt");
    TCustomParam* args[] = {target.get(), name.get()};
    try {
      functions.Execute(result, static_cast<std::uint8_t>(TSysFunc::LoadTextFile), args);
    } catch (const Exception&) {
    }
  }
  SetScriptFiles(previous);
  return 0;
}
