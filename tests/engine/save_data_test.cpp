#include "engine/save_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/call_man.h"
#include "engine/db_table.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/save_requests.h"
#include "engine/save_scene.h"
#include "foundation/archive.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "platform/file_replace.h"
#include "platform/message_box.h"
#include "platform/mode_check_user.h"
#include "support/temp_folder.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class StepCommand : public TCommand {
 public:
  explicit StepCommand(TPage* page) : TCommand(page) { run_flag_ = 1; }
};

void PutFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void PutFile(const fs::path& path, const std::string& text) { PutFile(path, Bytes(text.begin(), text.end())); }

// An archive file with the given members, written by the archive writer from memory.
void WriteArchive(const fs::path& path, const std::vector<std::pair<std::string, Bytes>>& members) {
  TVrFileCollection archive;
  for (const auto& [name, data] : members) {
    TVrFile& member = archive.AddMemoryFile(name);
    member.own_data->WriteBuffer(data.data(), data.size());
  }
  TMemoryStream out;
  archive.SaveToStream(out);
  PutFile(path, out.Bytes());
}

Bytes EntryOf(const fs::path& archive_path, const std::string& name) {
  TVrFileCollection archive;
  archive.Open(archive_path.string());
  TMemoryStream out;
  archive.LoadToStream(out, name);
  return out.Bytes();
}

Bytes Int32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
          static_cast<std::uint8_t>(u >> 24)};
}
Bytes Str(const std::string& s) {
  Bytes b = Int32(static_cast<std::int32_t>(s.size()));
  b.insert(b.end(), s.begin(), s.end());
  return b;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}
Bytes Tag(const char* tag) { return Cat({Bytes(tag, tag + 4), Int32(TTaggedSceneParts::kRecordVersion)}); }

class SaveDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::make_unique<testing::TempFolder>();
    dir_ = folder_->path();
    StopFlag = false;
    for (const char* name : {"main.vsb", "other.vsb"}) {
      auto page = std::make_unique<TPage>();
      page->SetName(name);
      for (int i = 0; i < 4; ++i) page->AddCommand(std::make_unique<StepCommand>(page.get()));
      callman_.AddPage(std::move(page));
    }
    callman_.Call("main.vsb");
    callman_.SetIndex(2);
    save_ = std::make_unique<TSaveData>(SaveFilePathIn(dir_.string()));
    save_->SetInterpreter(&callman_);
    save_->SetVariables(&params_);
    save_->SetTables(&tables_);
    save_->SetSceneParts(&parts_);
    save_->SetMessageBoxes(&boxes_);
  }
  void TearDown() override {
    StopFlag = false;
    folder_.reset();
  }

  TParamCollectionItem& Var(const std::string& name, std::int32_t value, bool status = false) {
    TParamCollectionItem* item = params_.FindParam(name);
    if (!item) {
      item = &params_.AddParam(PT_INT);
      item->SetName(name);
    }
    item->SetAsInt(value);
    item->SetStatusFlag(status ? 1 : 0);
    return *item;
  }
  std::int32_t VarValue(const std::string& name) {
    TParamCollectionItem* item = params_.FindParam(name);
    return item ? item->GetAsInt() : -999;
  }
  void Table(const std::string& name, std::uint8_t status, std::int32_t value) {
    tables_.DeleteTable(name);
    tables_.CreateTable(name, status);
    TDBTable& t = *tables_.CurrentTable();
    t.Fields().AddField("n", kDBFieldInt, 4);
    t.Append();
    t.SetInt("n", value);
  }
  std::int32_t TableValue(const std::string& name) {
    const int i = tables_.IndexOfTable(name);
    if (i < 0) return -999;
    std::int32_t v = -1;
    tables_.Table(i).GetIntAt(0, 0, v);
    return v;
  }
  fs::path SavePath() const { return dir_ / "save.dat"; }
  bool LoadMessageShown() const {
    return !boxes_.shown().empty() && boxes_.shown().back().text == texts::kSaveDataUnusable;
  }
  // A game entry of the version in that version's layout, from a state with no call frames, no
  // waiting command and empty variable extras, and optionally game tables.
  Bytes GameEntry(std::int32_t version, bool with_tables) {
    TMemoryStream interpreter, variables, tables;
    callman_.SaveToStream(interpreter);
    params_.SaveGame(variables);
    tables_.SaveToStream(tables, 0);
    Bytes state = interpreter.Bytes();
    if (version < kLevelSaveVersion) state.resize(state.size() - 4);  // the event level ends it
    // The variables end with: selected text and index (> 102), six history values (> 112) and the
    // "@Temp" name (> 120), each empty or 0 here.
    Bytes vars = variables.Bytes();
    std::size_t extra = 0;
    if (version > 102) extra += 8;
    if (version > 112) extra += 24;
    if (version > 120) extra += 4;
    vars.resize(vars.size() - 36 + extra);
    Bytes entry = Cat({Int32(version), Str("caption"), Str(""), Int32(0), Tag("SCNE"), Tag("HIST"), state, vars});
    if (with_tables) entry = Cat({entry, tables.Bytes()});
    return entry;
  }

  std::unique_ptr<testing::TempFolder> folder_;
  fs::path dir_;
  TParamCollection params_;
  TDBManager tables_;
  TCallMan callman_;
  TTaggedSceneParts parts_;
  platform::HeadlessMessageBoxes boxes_;
  std::unique_ptr<TSaveData> save_;
};

// --- the entries, spelled out ---

TEST_F(SaveDataTest, GameEntryFieldsInOrder) {
  Var("score", 7);
  Table("items", 0, 5);
  TMemoryStream interpreter, variables, tables;
  callman_.SaveToStream(interpreter);
  params_.SaveGame(variables);
  tables_.SaveToStream(tables, 0);
  TMemoryStream entry;
  save_->WriteGameEntry(entry, "Chapter 1", "other.vsb", 3);
  const Bytes expected = Cat({{0x86, 0x00, 0x00, 0x00},  // version 134
                              Str("Chapter 1"), Str("other.vsb"), Int32(3), Tag("SCNE"), Tag("HIST"),
                              interpreter.Bytes(), variables.Bytes(), tables.Bytes()});
  EXPECT_EQ(entry.Bytes(), expected);
}

TEST_F(SaveDataTest, StatusEntryStartsWithNineHeaderBytes) {
  Var("seen", 1, true);
  Table("config", 1, 9);
  TMemoryStream variables, tables;
  params_.SaveStatus(variables);
  tables_.SaveToStream(tables, 1);
  TMemoryStream entry;
  save_->WriteStatusEntry(entry);
  const Bytes expected = Cat({{'S', 't', 'a', 't', 'u', 's', '1', '0', '3'}, variables.Bytes(), Tag("READ"),
                              Tag("PELK"), tables.Bytes()});
  EXPECT_EQ(entry.Bytes(), expected);
}

// --- saving and loading through save.dat ---

TEST_F(SaveDataTest, SaveThenLoadRestoresGameStateAndKeepsStatus) {
  Var("score", 7);
  Var("seen", 1, true);
  Table("items", 0, 5);
  Table("config", 1, 9);
  save_->SaveGame(3, "Chapter 1", "", 0);
  ASSERT_TRUE(fs::exists(SavePath()));
  EXPECT_EQ(save_->GetSlotCaption(3), "Chapter 1");
  EXPECT_EQ(save_->GetSlotCaption(4), "");

  Var("score", 100);
  Var("seen", 2, true);
  Table("items", 0, 50);
  Table("config", 1, 90);
  callman_.SetIndex(0);
  EXPECT_TRUE(save_->LoadGame(3));
  EXPECT_FALSE(StopFlag);
  EXPECT_TRUE(boxes_.shown().empty());
  EXPECT_EQ(VarValue("score"), 7);
  EXPECT_EQ(VarValue("seen"), 2);  // status variables are not part of a game
  EXPECT_EQ(TableValue("items"), 5);
  EXPECT_EQ(TableValue("config"), 90);
  EXPECT_EQ(callman_.Index(), 2);
  EXPECT_EQ(parts_.reads, "SCNE 134,HIST 134");
  EXPECT_EQ(parts_.restored, 1);

  // The status entry was written with the game and holds the status values of that moment.
  TSaveData fresh(SavePath().string());
  TParamCollection other_params;
  TDBManager other_tables;
  TTaggedSceneParts other_parts;
  fresh.SetVariables(&other_params);
  fresh.SetTables(&other_tables);
  fresh.SetSceneParts(&other_parts);
  fresh.ReadStatus();
  ASSERT_NE(other_params.FindParam("seen"), nullptr);
  EXPECT_EQ(other_params.FindParam("seen")->GetAsInt(), 1);
  EXPECT_EQ(other_tables.IndexOfTable("items"), -1);
  ASSERT_EQ(other_tables.IndexOfTable("config"), 0);
  EXPECT_EQ(other_parts.reads, "READ 103,PELK 103");
  fresh.ReadSlotCaptions();
  ASSERT_EQ(fresh.SlotCaptions().size(), 1u);
  EXPECT_EQ(fresh.SlotCaptions()[0].slot, 3);
  EXPECT_EQ(fresh.SlotCaptions()[0].caption, "Chapter 1");
}

TEST_F(SaveDataTest, EmptyCaptionKeepsTheOldSlot) {
  save_->SaveGame(1, "first", "", 0);
  const Bytes before = testing::ReadWholeFile(SavePath());
  Var("score", 3);
  save_->SaveGame(1, "", "", 0);
  EXPECT_EQ(testing::ReadWholeFile(SavePath()), before);
  EXPECT_EQ(save_->GetSlotCaption(1), "first");
}

TEST_F(SaveDataTest, SavingOneSlotKeepsTheOthersByteForByte) {
  save_->SaveGame(1, "one", "", 0);
  const Bytes slot1 = EntryOf(SavePath(), "GAMESAVEDATA1");
  Var("score", 3);
  save_->SaveGame(2, "two", "", 0);
  EXPECT_EQ(EntryOf(SavePath(), "GAMESAVEDATA1"), slot1);
  EXPECT_NE(EntryOf(SavePath(), "GAMESAVEDATA2"), slot1);
}

TEST_F(SaveDataTest, MissingFileOrSlotLoadsNothing) {
  EXPECT_FALSE(save_->LoadGame(0));
  save_->SaveGame(1, "one", "", 0);
  EXPECT_FALSE(save_->LoadGame(2));
  EXPECT_FALSE(StopFlag);
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(SaveDataTest, ResumePagePushesTheLoadedContext) {
  save_->SaveGame(1, "one", "other.vsb", 3);
  callman_.Stack().Clear();
  ASSERT_TRUE(save_->LoadGame(1));
  ASSERT_NE(callman_.CurrentPage(), nullptr);
  EXPECT_EQ(callman_.CurrentPage()->GetName(), "other.vsb");
  EXPECT_EQ(callman_.Index(), 3);
  EXPECT_FALSE(callman_.Entered());
  ASSERT_EQ(callman_.Stack().Count(), 1);
  EXPECT_EQ(callman_.Stack().Top().page_name, "main.vsb");
  EXPECT_EQ(callman_.Stack().Top().index, 2);

  // A resume index that is not above 0 starts the page at its first command.
  save_->SaveGame(2, "two", "other.vsb", -5);
  callman_.Call("main.vsb");
  ASSERT_TRUE(save_->LoadGame(2));
  EXPECT_EQ(callman_.Index(), 0);
}

TEST_F(SaveDataTest, EntryVersionGates) {
  Table("items", 0, 5);
  struct Case {
    std::int32_t version;
    bool tables_in_entry;
    bool loads;
    std::int32_t items_after;  // 5 = restored from the entry, 77 = left as it was
  };
  const Case cases[] = {
      {106, true, false, 77}, {107, false, true, 77}, {115, false, true, 77}, {122, false, true, 77},
      {123, true, true, 5},   {134, true, true, 5},   {135, true, true, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    Table("items", 0, 5);
    WriteArchive(SavePath(), {{"GAMESAVEDATA1", GameEntry(c.version, c.tables_in_entry)}});
    Table("items", 0, 77);
    StopFlag = false;
    parts_.reads.clear();
    boxes_ = platform::HeadlessMessageBoxes();
    EXPECT_TRUE(save_->LoadGame(1));
    EXPECT_EQ(StopFlag, !c.loads);
    EXPECT_EQ(LoadMessageShown(), !c.loads);
    EXPECT_EQ(TableValue("items"), c.items_after);
    if (c.loads) {
      EXPECT_EQ(parts_.reads, "SCNE " + std::to_string(c.version) + ",HIST " + std::to_string(c.version));
    }
  }
}

TEST_F(SaveDataTest, StatusEntryVersionFromItsHeader) {
  Var("seen", 4, true);
  Table("config", 1, 9);
  TMemoryStream variables, tables;
  params_.SaveStatus(variables);
  tables_.SaveToStream(tables, 1);
  const Bytes body = Cat({variables.Bytes(), Tag("READ"), Tag("PELK")});
  struct Case {
    std::string header;
    bool with_tables;
    std::string reads;
  };
  const Case cases[] = {
      {"", false, "READ 0,PELK 0"},                  // no header: version 0 from the first byte
      {"Status102", false, "READ 102,PELK 102"},     // before status tables
      {"Status103", true, "READ 103,PELK 103"},
      {"Status200", true, "READ 200,PELK 200"},      // newer: read like the newest known
      {"Statusabc", false, "READ 0,PELK 0"},         // not a number: version 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    Bytes entry = Cat({Bytes(c.header.begin(), c.header.end()), body});
    if (c.with_tables) entry = Cat({entry, tables.Bytes()});
    WriteArchive(SavePath(), {{"STATUSSAVEDATA", entry}});
    TParamCollection other_params;
    TDBManager other_tables;
    TTaggedSceneParts other_parts;
    TSaveData reader(SavePath().string());
    reader.SetVariables(&other_params);
    reader.SetTables(&other_tables);
    reader.SetSceneParts(&other_parts);
    ASSERT_NO_THROW(reader.ReadStatus());
    EXPECT_EQ(other_parts.reads, c.reads);
    ASSERT_NE(other_params.FindParam("seen"), nullptr);
    EXPECT_EQ(other_params.FindParam("seen")->GetAsInt(), 4);
    EXPECT_EQ(other_tables.IndexOfTable("config"), c.with_tables ? 0 : -1);
  }
}

TEST_F(SaveDataTest, SlotCaptionsListOnlyNonNegativeNumbers) {
  auto entry = [](const std::string& caption) { return Cat({Int32(134), Str(caption)}); };
  WriteArchive(SavePath(), {{"GAMESAVEDATA1", entry("one")},
                            {"GAMESAVEDATAx", entry("letter")},
                            {"GAMESAVEDATA-1", entry("negative")},
                            {"GAMESAVEDATA", entry("none")},
                            {"GAMESAVEDATA12", entry("twelve")},
                            {"GAMESAVEDATA5", {0x86, 0x00}},  // damaged: left out
                            {"STATUSSAVEDATA", entry("status")}});
  save_->ReadSlotCaptions();
  ASSERT_EQ(save_->SlotCaptions().size(), 2u);
  EXPECT_EQ(save_->SlotCaptions()[0].slot, 1);
  EXPECT_EQ(save_->SlotCaptions()[0].caption, "one");
  EXPECT_EQ(save_->SlotCaptions()[1].slot, 12);
  EXPECT_EQ(save_->GetSlotCaption(12), "twelve");
  save_->SetSlotCaption(12, "again");
  save_->SetSlotCaption(4, "new");
  EXPECT_EQ(save_->GetSlotCaption(12), "again");
  EXPECT_EQ(save_->SlotCaptions().back().slot, 4);
}

// --- requests at the end of the frame ---

TEST_F(SaveDataTest, PendingLoadRunsBeforePendingSave) {
  Var("score", 1);
  save_->SaveGame(1, "one", "", 0);
  Var("score", 2);
  save_->RequestSave(2, "two", "", 0);
  save_->RequestLoad(9);  // replaced by the next request of its kind
  save_->RequestLoad(1);
  EXPECT_TRUE(save_->ProcessPending());
  EXPECT_EQ(save_->PendingLoadSlot(), -1);
  EXPECT_EQ(save_->PendingSaveSlot(), -1);
  EXPECT_EQ(VarValue("score"), 1);
  // The save wrote the state just loaded.
  Var("score", 3);
  ASSERT_TRUE(save_->LoadGame(2));
  EXPECT_EQ(VarValue("score"), 1);
  EXPECT_FALSE(save_->ProcessPending());
}

TEST_F(SaveDataTest, FailedLoadDropsThePendingSave) {
  save_->SaveGame(1, "one", "", 0);
  WriteArchive(SavePath(), {{"GAMESAVEDATA1", EntryOf(SavePath(), "GAMESAVEDATA1")},
                            {"GAMESAVEDATA2", Cat({Int32(134), Str("bad")})}});
  const Bytes before = testing::ReadWholeFile(SavePath());
  save_->RequestLoad(2);
  save_->RequestSave(1, "overwrite", "", 0);
  EXPECT_TRUE(save_->ProcessPending());
  EXPECT_TRUE(StopFlag);
  EXPECT_TRUE(LoadMessageShown());
  EXPECT_EQ(boxes_.shown().back().buttons, platform::MessageButtons::kOk);
  EXPECT_EQ(boxes_.shown().back().icon, platform::MessageIcon::kWarning);
  EXPECT_EQ(testing::ReadWholeFile(SavePath()), before);
  EXPECT_EQ(save_->PendingSaveSlot(), -1);
}

TEST_F(SaveDataTest, FailedSaveShowsErrorOnceAndGameGoesOn) {
  PutFile(SavePath(), std::string("this is no archive at all"));
  const Bytes before = testing::ReadWholeFile(SavePath());
  save_->RequestSave(1, "one", "", 0);
  EXPECT_FALSE(save_->ProcessPending());
  EXPECT_FALSE(StopFlag);
  ASSERT_EQ(boxes_.shown().size(), 1u);
  EXPECT_NE(boxes_.shown()[0].text.find("save.dat"), std::string::npos);
  EXPECT_EQ(save_->PendingSaveSlot(), -1);
  save_->ProcessPending();
  EXPECT_EQ(boxes_.shown().size(), 1u);
  EXPECT_EQ(testing::ReadWholeFile(SavePath()), before);
}

// --- a save.dat that cannot be read is never replaced ---

TEST_F(SaveDataTest, UnreadableSaveFileIsKeptAndNamed) {
  static const char kGarbage[] = "vf\x66\0\0\0\xff\xff\xff\x7f garbage";  // a huge member count
  PutFile(SavePath(), std::string(kGarbage, sizeof kGarbage - 1));
  const Bytes before = testing::ReadWholeFile(SavePath());
  try {
    save_->ReadSlotCaptions();
    FAIL() << "no error";
  } catch (const ESaveFileError& error) {
    EXPECT_NE(std::string(error.what()).find("save.dat"), std::string::npos);
  }
  EXPECT_THROW(save_->ReadStatus(), ESaveFileError);
  EXPECT_THROW(save_->SaveGame(1, "one", "", 0), ESaveFileError);
  save_->SaveStatus();
  EXPECT_EQ(testing::ReadWholeFile(SavePath()), before);
  EXPECT_TRUE(save_->LoadGame(1));
  EXPECT_TRUE(StopFlag);
  EXPECT_TRUE(LoadMessageShown());
  EXPECT_EQ(testing::ReadWholeFile(SavePath()), before);
}

TEST_F(SaveDataTest, DamagedStatusEntryIsAnErrorNamingSaveFile) {
  WriteArchive(SavePath(), {{"STATUSSAVEDATA", {'S', 't', 'a', 't', 'u', 's', '1', '0', '3', 0x05}}});
  try {
    save_->ReadStatus();
    FAIL() << "no error";
  } catch (const ESaveFileError& error) {
    EXPECT_NE(std::string(error.what()).find("save.dat"), std::string::npos);
  }
}

TEST_F(SaveDataTest, StrayPlainFileNeverReplacesASlot) {
  save_->SaveGame(1, "one", "", 0);
  const Bytes slot1 = EntryOf(SavePath(), "GAMESAVEDATA1");
  PutFile(dir_ / "GAMESAVEDATA1", std::string("stray"));
  save_->SaveGame(2, "two", "", 0);
  EXPECT_EQ(EntryOf(SavePath(), "GAMESAVEDATA1"), slot1);
}

TEST_F(SaveDataTest, SaveFileInAnyLetterCaseIsTheOneUsed) {
  save_->SaveGame(1, "one", "", 0);
  fs::rename(SavePath(), dir_ / "SAVE.Dat");
  TSaveData other(SaveFilePathIn(dir_.string()));
  other.SetInterpreter(&callman_);
  other.SetVariables(&params_);
  other.SetTables(&tables_);
  other.SetSceneParts(&parts_);
  other.ReadSlotCaptions();
  EXPECT_EQ(other.GetSlotCaption(1), "one");
  other.SaveGame(2, "two", "", 0);
  EXPECT_FALSE(fs::exists(SavePath()));
  other.ReadSlotCaptions();
  EXPECT_EQ(other.SlotCaptions().size(), 2u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SaveDataTest, StatusSaveFlagAndMissingFolder) {
  save_->SetStatusSave(false);
  save_->SaveStatus();
  EXPECT_FALSE(fs::exists(SavePath()));
  save_->SaveGame(1, "one", "", 0);  // game saves still reach the file
  EXPECT_TRUE(fs::exists(SavePath()));
  EXPECT_THROW(EntryOf(SavePath(), "STATUSSAVEDATA"), Exception);

  TSaveData nowhere((dir_ / "missing" / "save.dat").string());
  nowhere.SetVariables(&params_);
  nowhere.SetTables(&tables_);
  nowhere.SetSceneParts(&parts_);
  nowhere.SaveStatus();
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  parts_.status_parts = false;
  save_->SetStatusSave(true);
  save_->SaveStatus();
  EXPECT_THROW(EntryOf(SavePath(), "STATUSSAVEDATA"), Exception);
}

// A folder that cannot take save.dat (gone, or read-only as an installation folder may be): a game
// save raises an error naming save.dat, a status save is skipped, and nothing is left behind.
TEST_F(SaveDataTest, FolderThatCannotBeWrittenFailsGameSavesAndSkipsStatus) {
  struct Case {
    const char* what;
    bool create;
    fs::perms perms;
  };
  const Case cases[] = {{"missing", false, fs::perms::none},
                        {"read-only", true, fs::perms::owner_read | fs::perms::owner_exec}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path folder = dir_ / c.what;
    if (c.create) {
      fs::create_directories(folder);
      fs::permissions(folder, c.perms);
      // Whoever may write anywhere (root) cannot see this case.
      if (std::ofstream(folder / "probe").good()) {
        fs::remove(folder / "probe");
        fs::permissions(folder, fs::perms::owner_all);
        continue;
      }
    }
    TSaveData save((folder / "save.dat").string());
    save.SetInterpreter(&callman_);
    save.SetVariables(&params_);
    save.SetTables(&tables_);
    save.SetSceneParts(&parts_);
    try {
      save.SaveGame(1, "one", "", 0);
      ADD_FAILURE() << "no error";
    } catch (const ESaveFileError& error) {
      EXPECT_NE(std::string(error.what()).find("save.dat"), std::string::npos) << error.what();
    }
    EXPECT_EQ(save.GetSlotCaption(1), "");
    save.SaveStatus();
    if (c.create) {
      EXPECT_TRUE(fs::is_empty(folder));
      fs::permissions(folder, fs::perms::owner_all);
    } else {
      EXPECT_FALSE(fs::exists(folder));
    }
  }
}

// Files in the folder other than save.dat (a temporary left behind, say).
std::vector<std::string> OtherFiles(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename() != "save.dat") names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST_F(SaveDataTest, WriteFailingAtAnyStepLeavesSaveFileAsItWas) {
  save_->SaveGame(1, "one", "", 0);
  const Bytes before = testing::ReadWholeFile(SavePath());
  Var("score", 12345);
  using platform::ReplaceStep;
  for (const ReplaceStep failing : {ReplaceStep::kCreate, ReplaceStep::kWrite, ReplaceStep::kSync, ReplaceStep::kRename}) {
    SCOPED_TRACE(static_cast<int>(failing));
    const platform::ReplaceStepHook previous = platform::SetReplaceStepHook(
        [failing](ReplaceStep step, const std::string&) { return step != failing; });
    EXPECT_THROW(save_->SaveGame(2, "two", "", 0), ESaveFileError);
    platform::SetReplaceStepHook(previous);
    EXPECT_EQ(testing::ReadWholeFile(SavePath()), before);
    EXPECT_EQ(OtherFiles(dir_), std::vector<std::string>{});
  }
  EXPECT_EQ(save_->GetSlotCaption(2), "");
}

TEST_F(SaveDataTest, ASaveKeepsTheModeOfSaveDat) {
  save_->SaveGame(1, "one", "", 0);
  fs::permissions(SavePath(), fs::perms(0600));
  save_->SaveGame(2, "two", "", 0);
  EXPECT_EQ(fs::status(SavePath()).permissions() & fs::perms::mask, fs::perms(0600));
  EXPECT_EQ(save_->GetSlotCaption(2), "two");
}

TEST_F(SaveDataTest, ALinkedSaveDatStaysALinkAndItsTargetGetsTheNewSlot) {
  fs::create_directories(dir_ / "elsewhere");
  const fs::path target = dir_ / "elsewhere" / "kept.dat";
  save_->SaveGame(1, "one", "", 0);
  fs::rename(SavePath(), target);
  fs::create_symlink("elsewhere/kept.dat", SavePath());
  save_->SaveGame(2, "two", "", 0);
  EXPECT_TRUE(fs::is_symlink(SavePath()));
  TSaveData reader(target.string());
  reader.ReadSlotCaptions();
  EXPECT_EQ(reader.GetSlotCaption(1), "one");
  EXPECT_EQ(reader.GetSlotCaption(2), "two");
  EXPECT_EQ(OtherFiles(dir_), std::vector<std::string>{"elsewhere"});
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "elsewhere"), fs::directory_iterator()), 1);
}

// A save.dat the user may not write refuses the save as a read-only folder does, and stays byte
// for byte. Root may write anything, so the save runs as "nobody" there.
TEST_F(SaveDataTest, AReadOnlySaveDatRefusesTheSaveAndStaysAsItWas) {
  save_->SaveGame(1, "one", "", 0);
  const Bytes before = testing::ReadWholeFile(SavePath());
  fs::permissions(dir_, fs::perms(0755));
  ASSERT_TRUE(platform::GiveToModeCheckUser(dir_.string()));
  ASSERT_TRUE(platform::GiveToModeCheckUser(SavePath().string()));
  fs::permissions(SavePath(), fs::perms(0444));
  const int outcome = platform::RunAsModeCheckUser([this]() {
    try {
      save_->SaveGame(2, "two", "", 0);
      return 1;
    } catch (const ESaveFileError& error) {
      const std::string text = error.what();
      if (text.find("save.dat") == std::string::npos || text.find("Permission denied") == std::string::npos) return 2;
      return save_->GetSlotCaption(2).empty() ? 0 : 3;
    } catch (...) {
      return 4;
    }
  });
  EXPECT_EQ(outcome, 0) << "1: saved, 2: another message, 3: the slot took the caption, 4: another error";
  EXPECT_EQ(testing::ReadWholeFile(SavePath()), before);
  EXPECT_EQ(OtherFiles(dir_), std::vector<std::string>{});
  fs::permissions(SavePath(), fs::perms(0644));
}

// --- hostile entries ---

TEST_F(SaveDataTest, EveryTruncationOfAGameEntryFailsCleanly) {
  Var("score", 7);
  Table("items", 0, 5);
  TMemoryStream full;
  save_->WriteGameEntry(full, "caption", "other.vsb", 1);
  const Bytes bytes = full.Bytes();
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    SCOPED_TRACE(n);
    TMemoryStream cut(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_THROW(save_->ReadGameEntry(cut), Exception);
  }
  TMemoryStream whole(bytes);
  EXPECT_NO_THROW(save_->ReadGameEntry(whole));
}

TEST_F(SaveDataTest, HostileGameEntriesGiveTheLoadMessage) {
  const Bytes good = GameEntry(134, true);
  auto with = [&good](std::size_t at, const Bytes& replacement) {
    Bytes b = good;
    std::copy(replacement.begin(), replacement.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    return b;
  };
  const std::vector<std::pair<std::string, Bytes>> cases = {
      {"caption length beyond the entry", with(4, Int32(0x7FFFFFF0))},
      {"broken scene tag", with(4 + 11 + 4 + 4, {'X'})},
      {"version 0", with(0, Int32(0))},
      {"empty", {}},
  };
  for (const auto& [what, entry] : cases) {
    SCOPED_TRACE(what);
    WriteArchive(SavePath(), {{"GAMESAVEDATA1", entry}});
    StopFlag = false;
    EXPECT_TRUE(save_->LoadGame(1));
    EXPECT_TRUE(StopFlag);
    EXPECT_TRUE(LoadMessageShown());
  }
}

TEST_F(SaveDataTest, DamagedMemberBytesGiveTheLoadMessage) {
  WriteArchive(SavePath(), {{"GAMESAVEDATA1", GameEntry(134, true)}});
  Bytes file = testing::ReadWholeFile(SavePath());
  file.back() ^= 0x55;  // the member's compressed data ends the file
  PutFile(SavePath(), file);
  save_->ReadSlotCaptions();
  EXPECT_TRUE(save_->SlotCaptions().empty());
  EXPECT_TRUE(save_->LoadGame(1));
  EXPECT_TRUE(StopFlag);
  EXPECT_TRUE(LoadMessageShown());
}

TEST_F(SaveDataTest, CommandRequestsReachTheSaveData) {
  Table("items", 0, 5);
  Table("config", 1, 9);
  TSaveRequests requests(*save_, tables_);
  requests.RequestSave(4, "four", "other.vsb", 2);
  requests.RequestLoad(6);
  EXPECT_EQ(save_->PendingSaveSlot(), 4);
  EXPECT_EQ(save_->PendingLoadSlot(), 6);
  requests.ClearGameTables();
  EXPECT_EQ(tables_.IndexOfTable("items"), -1);
  EXPECT_EQ(TableValue("config"), 9);
}

}  // namespace
}  // namespace vorn
