// Bytes as the status entry of save.dat, read into variables and tables that already hold some
// (with the tagged scene double); a read that succeeds is written and read again.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "engine/db_table.h"
#include "engine/param_collection.h"
#include "engine/save_data.h"
#include "engine/save_scene.h"
#include "foundation/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorn;
  TParamCollection params;
  TDBManager tables;
  tables.CreateTable("status", 1);
  tables.CreateTable("game", 0);
  TTaggedSceneParts parts;
  TSaveData save("save.dat");
  save.SetVariables(&params);
  save.SetTables(&tables);
  save.SetSceneParts(&parts);
  TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  try {
    save.ReadStatusEntry(stream);
    TMemoryStream saved;
    save.WriteStatusEntry(saved);
    saved.SetPosition(0);
    save.ReadStatusEntry(saved);
  } catch (const std::exception&) {
  }
  return 0;
}
