// Saved games and script tables against the plain operations they are built from, measured in
// the same run:
//   SaveGame into a save.dat of 50 slots of 256 KiB       <= 1.5x inflating and re-deflating the
//                                                            same members (zlib level 1) and
//                                                            writing one synced file
//   Find with one integer criterion over 100,000 records  <= 5x a loop over a std::vector
//   Sort of 100,000 records on a string key                <= 3x std::sort of the same strings
//   LoadTsv of 50,000 lines                                <= 3x splitting the bytes on tabs and
//                                                            line breaks with std::string_view
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/call_man.h"
#include "engine/db_table.h"
#include "engine/param_collection.h"
#include "engine/save_data.h"
#include "engine/save_scene.h"
#include "engine/typed_params.h"
#include "foundation/archive.h"
#include "foundation/int_list.h"
#include "platform/file_sync.h"

namespace {

using namespace vorn;

constexpr int kSlots = 50;
constexpr std::size_t kSlotBytes = 256 << 10;
constexpr int kRecords = 100000;
constexpr int kTsvLines = 50000;

std::vector<std::uint8_t> SlotLike(int slot) {
  std::vector<std::uint8_t> bytes(kSlotBytes);
  std::uint32_t seed = 7u + static_cast<std::uint32_t>(slot);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes[i] = static_cast<std::uint8_t>((i / 64) + ((seed >> 27) & 7));
  }
  return bytes;
}

struct SaveSetup {
  std::filesystem::path dir;
  TParamCollection params;
  TDBManager tables;
  TCallMan callman;
  TTaggedSceneParts parts;
  std::unique_ptr<TSaveData> save;
  std::vector<std::vector<std::uint8_t>> packed;  // the members as stored

  SaveSetup() {
    dir = std::filesystem::temp_directory_path() / ("vorn-bench-save-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    TVrFileCollection writer;
    for (int slot = 0; slot < kSlots; ++slot) {
      const auto bytes = SlotLike(slot);
      writer.AddMemoryFile(GameEntryName(slot)).own_data->WriteBuffer(bytes.data(), bytes.size());
    }
    TMemoryStream out;
    writer.SaveToStream(out);
    std::ofstream((dir / "save.dat").string(), std::ios::binary)
        .write(reinterpret_cast<const char*>(out.Memory()), static_cast<std::streamsize>(out.Size()));
    TVrFileCollection reader;
    reader.Open((dir / "save.dat").string());
    for (int slot = 0; slot < kSlots; ++slot) {
      const TVrFile* member = reader.FindFile(GameEntryName(slot));
      std::vector<std::uint8_t> stored(member->size);
      reader.DataStream()->SetPosition(static_cast<std::int64_t>(member->offset));
      reader.DataStream()->ReadBuffer(stored.data(), stored.size());
      packed.push_back(std::move(stored));
    }
    save = std::make_unique<TSaveData>((dir / "save.dat").string());
    save->SetInterpreter(&callman);
    save->SetVariables(&params);
    save->SetTables(&tables);
    save->SetSceneParts(&parts);
    save->SetStatusSave(false);
  }
  ~SaveSetup() {
    save.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
};

SaveSetup& Saves() {
  static SaveSetup setup;
  return setup;
}

void ReinflateAndWriteReference(benchmark::State& state) {
  auto& s = Saves();
  std::vector<std::uint8_t> plain(kSlotBytes), out;
  const std::string path = (s.dir / "reference.dat").string();
  for (auto _ : state) {
    out.clear();
    for (const auto& stored : s.packed) {
      uLongf size = static_cast<uLongf>(plain.size());
      uncompress(plain.data(), &size, stored.data(), static_cast<uLong>(stored.size()));
      std::vector<std::uint8_t> again(compressBound(size));
      uLongf again_size = static_cast<uLongf>(again.size());
      compress2(again.data(), &again_size, plain.data(), size, 1);
      out.insert(out.end(), again.begin(), again.begin() + static_cast<std::ptrdiff_t>(again_size));
    }
    {
      std::ofstream file(path, std::ios::binary | std::ios::trunc);
      file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    }
    platform::SyncFile(path);
  }
}
BENCHMARK(ReinflateAndWriteReference)->Unit(benchmark::kMillisecond);

void SaveGameInto50Slots(benchmark::State& state) {
  auto& s = Saves();
  for (auto _ : state) s.save->SaveGame(kSlots, "caption", "", 0);
}
BENCHMARK(SaveGameInto50Slots)->Unit(benchmark::kMillisecond);

// --- tables ---

struct TableSetup {
  TDBTable table{"t", 0};
  std::vector<std::int32_t> values;
  std::vector<std::string> keys;
  std::vector<std::string> tsv;

  TableSetup() {
    table.Fields().AddField("n", kDBFieldInt, 4);
    table.Fields().AddField("key", kDBFieldStr, 16);
    std::mt19937 random(5);
    for (int r = 0; r < kRecords; ++r) {
      table.Append();
      const auto v = static_cast<std::int32_t>(random() % 1000);
      const std::string key = std::to_string(random());
      table.SetIntAt(r, 0, v);
      table.SetStrAt(r, 1, key);
      values.push_back(v);
      keys.push_back(key);
    }
    tsv.push_back("id int\tname str 30\tx float\tflag bool");
    for (int i = 0; i < kTsvLines; ++i) {
      tsv.push_back(std::to_string(i) + "\tname number " + std::to_string(random()) + "\t" +
                    std::to_string(i % 97) + ".25\tTRUE");
    }
  }
};

TableSetup& Tables() {
  static TableSetup setup;
  return setup;
}

void FindLoopReference(benchmark::State& state) {
  auto& t = Tables();
  std::vector<int> result;
  for (auto _ : state) {
    result.clear();
    for (std::size_t i = 0; i < t.values.size(); ++i) {
      if (t.values[i] == 500) result.push_back(static_cast<int>(i));
    }
    benchmark::DoNotOptimize(result.data());
  }
}
BENCHMARK(FindLoopReference)->Unit(benchmark::kMicrosecond);

void FindOneIntegerCriterion(benchmark::State& state) {
  auto& t = Tables();
  TParamStr names;
  names.SetCount(1);
  names.SetStrAt(0, "n");
  TParamInt values;
  values.SetCount(1);
  values.SetIntAt(0, 500);
  TIntList result;
  for (auto _ : state) {
    result.Clear();
    t.table.Find(result, &names, false, false, &values);
    benchmark::DoNotOptimize(result.Count());
  }
}
BENCHMARK(FindOneIntegerCriterion)->Unit(benchmark::kMicrosecond);

void SortStringsReference(benchmark::State& state) {
  auto& t = Tables();
  std::mt19937 random(11);
  std::vector<std::string> keys = t.keys;
  for (auto _ : state) {
    state.PauseTiming();
    std::shuffle(keys.begin(), keys.end(), random);
    state.ResumeTiming();
    std::sort(keys.begin(), keys.end());
    benchmark::DoNotOptimize(keys.data());
  }
}
BENCHMARK(SortStringsReference)->Unit(benchmark::kMillisecond);

void SortOnStringKey(benchmark::State& state) {
  auto& t = Tables();
  TParamStr names;
  names.SetCount(1);
  names.SetStrAt(0, "key");
  TParamFlag descending;
  descending.SetCount(1);
  std::mt19937 random(11);
  std::vector<std::string> keys = t.keys;
  for (auto _ : state) {
    state.PauseTiming();
    // Every sort starts from a fresh random order, as the reference's copy of the keys does.
    std::shuffle(keys.begin(), keys.end(), random);
    for (int r = 0; r < kRecords; ++r) t.table.SetStrAt(r, 1, keys[static_cast<std::size_t>(r)]);
    state.ResumeTiming();
    t.table.Sort(&names, &descending);
  }
}
BENCHMARK(SortOnStringKey)->Unit(benchmark::kMillisecond);

void SplitTsvReference(benchmark::State& state) {
  auto& t = Tables();
  std::string bytes;
  for (const auto& line : t.tsv) bytes += line + "\r\n";
  for (auto _ : state) {
    std::vector<std::string_view> cells;
    cells.reserve(kTsvLines * 4 + 4);
    std::string_view rest(bytes);
    while (!rest.empty()) {
      const std::size_t end = rest.find_first_of("\t\r\n");
      cells.push_back(rest.substr(0, end));
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
    benchmark::DoNotOptimize(cells.data());
  }
}
BENCHMARK(SplitTsvReference)->Unit(benchmark::kMillisecond);

void LoadTsvLines(benchmark::State& state) {
  auto& t = Tables();
  for (auto _ : state) {
    TDBTable table("tsv", 0);
    benchmark::DoNotOptimize(table.LoadTsv(t.tsv));
  }
}
BENCHMARK(LoadTsvLines)->Unit(benchmark::kMillisecond);

}  // namespace
