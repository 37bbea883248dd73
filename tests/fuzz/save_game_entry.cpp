// Bytes as a game entry of save.dat: restore it (with the tagged scene double) into an interpreter
// that knows one small page, variables and tables; a load that succeeds is saved and read again.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "engine/call_man.h"
#include "engine/db_table.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/save_data.h"
#include "engine/save_scene.h"
#include "engine/script_files.h"
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
    TParamCollection params;
    TDBManager tables;
    tables.CreateTable("status", 1);
    tables.CreateTable("game", 0);
    TCallMan callman;
    TTaggedSceneParts parts;
    TSaveData save("save.dat");
    save.SetInterpreter(&callman);
    save.SetVariables(&params);
    save.SetTables(&tables);
    save.SetSceneParts(&parts);
    TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
      save.ReadGameEntry(stream);
      callman.Run();
      TMemoryStream saved;
      save.WriteGameEntry(saved, "again", "", 0);
      saved.SetPosition(0);
      save.ReadGameEntry(saved);
    } catch (const std::exception&) {
    }
  }
  SetScriptFiles(previous);
  StopFlag = false;
  return 0;
}
