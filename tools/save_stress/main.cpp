// Saved games from the command line, for the tests that cannot run inside one process:
//   save_stress write <folder> <first> <count> [kill=<w>:<step>:<k>] [in-place]
//     saves games first .. first+count-1 into <folder>/save.dat, one after the other; each game
//     save is followed by the status save, so every round writes save.dat twice. Before each write
//     the bytes it is about to put there go (completely) to <folder>/expect.<first>.<w>, w counting
//     the writes of this process from 1, so a test that stops the process at any moment can check
//     that save.dat is exactly one of them. After write w it prints
//     "write <w> create=<n> write=<n> sync=<n> rename=<n> syncdir=<n>": the steps it took.
//     kill=<w>:<step>:<k> kills the process (SIGKILL) just before the k-th call of that step
//     (create, write, sync, rename, syncdir) of write w. in-place writes save.dat the broken way,
//     truncated and rewritten where it is, through the same steps: the test shows it fails.
//   save_stress seeds <corpus folder>
//     writes the seed entries of the save.dat fuzz targets.
#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "engine/call_man.h"
#include "engine/db_table.h"
#include "engine/param_collection.h"
#include "engine/save_data.h"
#include "engine/save_scene.h"
#include "foundation/file_stream.h"
#include "foundation/replace_file.h"
#include "platform/file_replace.h"

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

using platform::ReplaceStep;

constexpr std::array<const char*, 5> kStepNames = {"create", "write", "sync", "rename", "syncdir"};

// Counts the steps of the write in progress and stops the process at the chosen one.
class KillPoint {
 public:
  bool Parse(const std::string& point) {
    const auto first = point.find(':');
    const auto second = point.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) return false;
    write_ = std::atoi(point.substr(0, first).c_str());
    const std::string step = point.substr(first + 1, second - first - 1);
    nth_ = std::atoi(point.substr(second + 1).c_str());
    for (std::size_t i = 0; i < kStepNames.size(); ++i) {
      if (step == kStepNames[i]) step_ = static_cast<int>(i);
    }
    return write_ > 0 && nth_ > 0 && step_ >= 0;
  }
  void BeginWrite() {
    ++current_;
    counts_.fill(0);
  }
  // Before a step of save.dat's write.
  void Before(ReplaceStep step) {
    const int index = static_cast<int>(step);
    ++counts_[static_cast<std::size_t>(index)];
    if (current_ == write_ && index == step_ && counts_[static_cast<std::size_t>(index)] == nth_) std::raise(SIGKILL);
  }
  void Report() const {
    std::cout << "write " << current_;
    for (std::size_t i = 0; i < kStepNames.size(); ++i) std::cout << " " << kStepNames[i] << "=" << counts_[i];
    std::cout << std::endl;
  }
  int current() const { return current_; }

 private:
  int write_ = 0;
  int step_ = -1;
  int nth_ = 0;
  int current_ = 0;
  std::array<int, kStepNames.size()> counts_{};
};

// The broken writer the check must catch: save.dat truncated and rewritten where it is.
void WriteInPlace(const std::string& path, const void* data, std::size_t size, KillPoint& kill) {
  kill.Before(ReplaceStep::kCreate);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw EFCreateError("Cannot create file \"" + path + "\"");
  const char* bytes = static_cast<const char*>(data);
  for (std::size_t done = 0; done < size;) {
    kill.Before(ReplaceStep::kWrite);
    const std::size_t n = std::min(size - done, platform::kReplaceWriteChunk);
    std::fwrite(bytes + done, 1, n, file);
    std::fflush(file);
    done += n;
  }
  kill.Before(ReplaceStep::kSync);
  std::fclose(file);
  kill.Before(ReplaceStep::kRename);
  kill.Before(ReplaceStep::kSyncFolder);
}

int Write(const std::filesystem::path& folder, int first, int count, const std::string& kill_point, bool in_place) {
  KillPoint kill;
  if (!kill_point.empty() && !kill.Parse(kill_point)) {
    std::cerr << "save_stress: bad kill point " << kill_point << "\n";
    return 2;
  }
  const std::string save_path = (folder / "save.dat").string();
  const platform::ReplaceStepHook previous =
      platform::SetReplaceStepHook([&kill, &save_path](ReplaceStep step, const std::string& target) {
        if (target == save_path) kill.Before(step);
        return true;
      });
  State state(save_path);
  state.save.SetWriter([&](const std::string& path, const void* data, std::size_t size) {
    kill.BeginWrite();
    // The expect file is written whole before save.dat is touched, and never through the hook.
    std::ofstream expect(folder / ("expect." + std::to_string(first) + "." + std::to_string(kill.current())),
                         std::ios::binary | std::ios::trunc);
    expect.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    expect.close();
    if (!expect) throw EWriteError("expect file not written");
    if (in_place) {
      WriteInPlace(path, data, size, kill);
    } else {
      ReplaceFileContent(path, data, size);
    }
    kill.Report();
  });
  for (int current = first; current < first + count; ++current) {
    state.params.FindParam("round")->SetAsInt(current);
    state.FillTable(current);
    state.save.SaveGame(current % 3, "round " + std::to_string(current), "", 0);
  }
  platform::SetReplaceStepHook(previous);
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
    if (mode == "write" && argc >= 5) {
      std::string kill_point;
      bool in_place = false;
      for (int i = 5; i < argc; ++i) {
        const std::string option = argv[i];
        if (option.rfind("kill=", 0) == 0) {
          kill_point = option.substr(5);
        } else if (option == "in-place") {
          in_place = true;
        } else {
          std::cerr << "save_stress: unknown option " << option << "\n";
          return 2;
        }
      }
      return Write(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), kill_point, in_place);
    }
    if (mode == "seeds" && argc == 3) return Seeds(argv[2]);
  } catch (const std::exception& error) {
    std::cerr << "save_stress: " << error.what() << "\n";
    return 1;
  }
  std::cerr << "usage: save_stress write <folder> <first> <count> [kill=<w>:<step>:<k>] [in-place] | seeds <corpus folder>\n";
  return 2;
}
