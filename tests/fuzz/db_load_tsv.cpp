// Bytes as a tab-separated table file: cut into lines by the player's own splitter (as the table
// functions do), loaded into a table, then every cell read and the table sorted by its first field.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/db_table.h"
#include "engine/script_text.h"
#include "engine/typed_params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorn;
  const std::vector<std::string> lines = script_text::SplitLines(std::vector<std::uint8_t>(data, data + size));
  TDBTable table("t", 0);
  if (!table.LoadTsv(lines)) return 0;
  std::string text;
  for (int r = 0; r < table.RecordCount(); ++r) {
    for (int f = 0; f < table.Fields().Count(); ++f) (void)table.GetStrAt(r, f, text);
  }
  if (table.Fields().Count() > 0) {
    TParamStr names;
    names.SetCount(1);
    names.SetStrAt(0, table.Fields().Field(0).name);
    TParamFlag flags;
    flags.SetCount(1);
    flags.SetBoolAt(0, true);
    table.Sort(&names, &flags);
  }
  return 0;
}
