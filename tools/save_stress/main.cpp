// Saved games from the command line, for the tests that cannot run inside one process:
//   save_stress write <folder> <first> <count>
//     saves games first .. first+count-1 into <folder>/save.dat, one after the other. Before each
//     save.dat is replaced, the bytes it is about to get are written (completely) to
//     <folder>/expect.<n>, so a test that kills this process at any moment can check that save.dat
//     is exactly one of them. Prints "saved <n>" after each save.
//   save_stress seeds <corpus folder>
//     writes the seed entries of the save.dat fuzz targets.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "engine/call_man.h"
#include "engine/db_table.h"
#include "engine/param_collection.h"
#include "engine/save_data.h"
#include "engine/save_scene.h"
#include "foundation/replace_file.h"

namespace {

using namespace vorn;

class StepCommand : public TCommand {
 public:
  explicit StepCommand(TPage* page) : TCommand(page) { run_flag_ = 1; }
};

struct State {
  TParamCollection params;
  TDBManager tables;
  TCallMan callman;
  TTaggedSceneParts parts;
  TSaveData save;

  explicit State(const std::string& path) : save(path) {
    auto page = std::make_unique<TPage>();
    page->SetName("main.vsb");
    for (int i = 0; i < 3; ++i) page->AddCommand(std::make_unique<StepCommand>(page.get()));
    callman.AddPage(std::move(page));
    callman.Call("main.vsb");
    save.SetInterpreter(&callman);
    save.SetVariables(&params);
    save.SetTables(&tables);
    save.SetSceneParts(&parts);
    TParamCollectionItem& round = params.AddParam(PT_INT);
    round.SetName("round");
    TParamCollectionItem& seen = params.AddParam(PT_STR);
    seen.SetName("seen");
    seen.SetStatusFlag(1);
    seen.SetAsString("status");
  }

  // A game table large enough (about 1 MiB) that a save takes a while to write.
  void FillTable(int round) {
    tables.DeleteTable("log");
    tables.CreateTable("log", 0);
    TDBTable& table = *tables.CurrentTable();
    table.Fields().AddField("n", kDBFieldInt, 4);
    table.Fields().AddField("text", kDBFieldStr, 40);
    std::uint32_t x = 2463534242u + static_cast<std::uint32_t>(round);
    for (int r = 0; r < 20000; ++r) {
      table.Append();
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      table.SetIntAt(r, 0, static_cast<std::int32_t>(x));
      table.SetStrAt(r, 1, std::to_string(x) + std::to_string(x * 2654435761u));
    }
  }
};

void WriteFile(const std::filesystem::path& path, const TMemoryStream& bytes) {
  ReplaceFileContent(path.string(), bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
}

int Write(const std::filesystem::path& folder, int first, int count) {
  State state((folder / "save.dat").string());
  int current = first;
  state.save.SetWriter([&folder, &current](const std::string& path, const void* data, std::size_t size) {
    ReplaceFileContent((folder / ("expect." + std::to_string(current))).string(), data, size);
    ReplaceFileContent(path, data, size);
  });
  for (; current < first + count; ++current) {
    state.params.FindParam("round")->SetAsInt(current);
    state.FillTable(current);
    state.save.SaveGame(current % 3, "round " + std::to_string(current), "", 0);
    std::cout << "saved " << current << std::endl;
    std::error_code ignored;
    std::filesystem::remove(folder / ("expect." + std::to_string(current - 4)), ignored);
  }
  return 0;
}

int Seeds(const std::filesystem::path& corpus) {
  State state("save.dat");
  state.tables.CreateTable("items", 0);
  state.tables.CurrentTable()->Fields().AddField("n", kDBFieldInt, 4);
  state.tables.CurrentTable()->Append();
  state.tables.CreateTable("config", 1);
  state.tables.CurrentTable()->Fields().AddField("s", kDBFieldStr, 8);
  state.tables.CurrentTable()->Append();
  const auto game = corpus / "save_game_entry";
  const auto status = corpus / "save_status_entry";
  std::filesystem::create_directories(game);
  std::filesystem::create_directories(status);
  TMemoryStream entry;
  state.save.WriteGameEntry(entry, "caption", "", 0);
  WriteFile(game / "v134.bin", entry);
  TMemoryStream resume;
  state.save.WriteGameEntry(resume, "caption", "main.vsb", 2);
  WriteFile(game / "v134_resume.bin", resume);
  TMemoryStream status_entry;
  state.save.WriteStatusEntry(status_entry);
  WriteFile(status / "status103.bin", status_entry);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  try {
    if (mode == "write" && argc == 5) return Write(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (mode == "seeds" && argc == 3) return Seeds(argv[2]);
  } catch (const std::exception& error) {
    std::cerr << "save_stress: " << error.what() << "\n";
    return 1;
  }
  std::cerr << "usage: save_stress write <folder> <first> <count> | seeds <corpus folder>\n";
  return 2;
}
