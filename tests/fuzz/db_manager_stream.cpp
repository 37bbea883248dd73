// The table manager stream over arbitrary bytes: the first byte picks a status or a game load into
// a manager that already holds a table of each kind; a load that succeeds is saved and read again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/db_table.h"
#include "foundation/errors.h"
#include "foundation/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t status = data[0] & 1;
  vorn::TDBManager manager;
  manager.CreateTable("status", 1);
  manager.CreateTable("game", 0);
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data + 1, data + size));
  try {
    manager.LoadFromStream(stream, status);
  } catch (const vorn::Exception&) {
    return 0;
  }
  for (int t = 0; t < manager.Count(); ++t) {
    vorn::TDBTable& table = manager.Table(t);
    std::string text;
    for (int r = 0; r < table.RecordCount(); ++r) {
      for (int f = 0; f < table.Fields().Count(); ++f) (void)table.GetStrAt(r, f, text);
    }
  }
  vorn::TMemoryStream saved;
  manager.SaveToStream(saved, status);
  saved.Seek(0, vorn::SeekOrigin::kBegin);
  vorn::TDBManager again;
  again.LoadFromStream(saved, status);
  return 0;
}
