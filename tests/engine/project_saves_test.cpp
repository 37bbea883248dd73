// Saved games through the project: what scripts request reaches save.dat at the end of the
// frame, the captions and the status entry are read when the project starts, and a save.dat that
// cannot be read stops the start without being touched.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/db_manager_global.h"
#include "engine/engine_values.h"
#include "engine/project.h"
#include "engine/save_data.h"
#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"
#include "foundation/archive.h"
#include "foundation/system_texts.h"
#include "support/engine_fixture.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

namespace flow = fixture::flow;
using Bytes = std::vector<std::uint8_t>;
using fixture::PageCommand;
using fixture::PageWriter;
using fixture::ProjectGlobal;
using fixture::ProjectWriter;

std::vector<std::string> MemberNames(const std::filesystem::path& path) {
  TVrFileCollection archive;
  archive.Open(path.string());
  std::vector<std::string> names;
  for (int i = 0; i < archive.Count(); ++i) {
    const std::string name = archive.GetItem(i).Name();
    if (name != "\\EOF\\") names.push_back(name);  // the archive's own end mark
  }
  return names;
}

Bytes Member(const std::filesystem::path& path, const std::string& name) {
  TVrFileCollection archive;
  archive.Open(path.string());
  TMemoryStream out;
  archive.LoadToStream(out, name);
  return out.Bytes();
}

PageCommand GameSave(std::string_view slot, std::string_view caption, std::string_view resume_page,
                     std::int32_t resume_index) {
  return std::move(PageCommand(38).Expr(slot).Str(resume_page).Int(resume_index).Expr(caption));
}

PageCommand GameLoad(std::string_view slot) { return std::move(PageCommand(39).Expr(slot)); }

// "visits" is a status variable (declared by the project), "score" a game variable the page makes.
ProjectWriter SavingProject() {
  ProjectWriter writer;
  writer.globals = {ProjectGlobal::Int("visits", 0), ProjectGlobal::Int("resumed", 0)};
  return writer;
}

PageWriter Page(std::vector<PageCommand> commands) {
  PageWriter page;
  for (PageCommand& command : commands) page.Add(std::move(command));
  return page;
}

// The game state a run leaves behind: "score" 7 saved in slot 1 (the frame ends at the save),
// then changed to 99; a game table "inventory"; one more visit.
void PlayAndSave(testing::EngineFixture& engine) {
  engine.AddProject(SavingProject());
  engine.AddPage("start.vsb", Page({flow::Calc("visits = visits + 1", 0, 1), flow::VarNew("score", 1, "7", 0, 0, 2),
                                    GameSave("1", "\"Chapter 1\"", "resume.vsb", 0), flow::Calc("score = 99", 0, 4)}));
  engine.AddPage("resume.vsb", Page({flow::Calc("resumed = score", 0, 1)}));
  engine.Start();
  ASSERT_FALSE(StopFlag);
  ASSERT_TRUE(engine.project()->SlotCaptions().empty());
  ASSERT_GE(GlobalDBManager().CreateTable("inventory", 0), 0);
  engine.RunFrames(1);
  ASSERT_EQ(engine.project()->SlotCaptions().size(), 1u);
  EXPECT_EQ(engine.project()->SlotCaptions()[0].slot, 1);
  EXPECT_EQ(engine.project()->SlotCaptions()[0].caption, "Chapter 1");
  engine.RunFrames(1);
  EXPECT_EQ(engine.Int("score"), 99);
  EXPECT_TRUE(engine.host.boxes.shown().empty());
  engine.Stop();
}

TEST(ProjectSaves, ScriptSaveIsListedAndALaterRunLoadsIt) {
  testing::EngineFixture first("saves_first");
  PlayAndSave(first);
  const Bytes saved = testing::ReadWholeFile(first.Root() / "save.dat");
  ASSERT_FALSE(saved.empty());
  EXPECT_EQ(MemberNames(first.Root() / "save.dat"), (std::vector<std::string>{"GAMESAVEDATA1", "STATUSSAVEDATA"}));

  testing::EngineFixture second("saves_second");
  second.AddFile("save.dat", saved);
  second.AddProject(SavingProject());
  second.AddPage("start.vsb", Page({GameLoad("1")}));
  second.AddPage("resume.vsb", Page({flow::Calc("resumed = score", 0, 1)}));
  second.Start();
  ASSERT_FALSE(StopFlag);
  // Read before the project file: the status variable keeps the value the status entry gave it.
  ASSERT_EQ(second.project()->SlotCaptions().size(), 1u);
  EXPECT_EQ(second.project()->SlotCaptions()[0].caption, "Chapter 1");
  EXPECT_EQ(second.Int("visits"), 1);
  EXPECT_EQ(GlobalDBManager().IndexOfTable("inventory"), -1);
  second.RunFrames(1);  // the load
  EXPECT_EQ(second.Int("score"), 7);
  EXPECT_EQ(GlobalDBManager().IndexOfTable("inventory"), 0);
  EXPECT_EQ(second.Int("resumed"), 0);
  second.RunFrames(1);  // the resume page
  EXPECT_EQ(second.Int("resumed"), 7);
  EXPECT_TRUE(second.host.boxes.shown().empty());
  EXPECT_FALSE(StopFlag);

  // A plain file named like slot 1 beside save.dat must not become slot 1 at the next save.
  const Bytes slot1 = Member(second.Root() / "save.dat", "GAMESAVEDATA1");
  second.AddFile("GAMESAVEDATA1", Bytes{'s', 't', 'r', 'a', 'y'});
  second.project()->RequestSave(2, "two", "", 0);
  second.RunFrames(1);
  ASSERT_EQ(second.project()->SlotCaptions().size(), 2u);
  EXPECT_EQ(Member(second.Root() / "save.dat", "GAMESAVEDATA1"), slot1);
}

// A save.dat that is no archive ends the start with an error naming it, and stays as it was: the
// player must never write an empty archive over the user's saved games.
TEST(ProjectSaves, UnreadableSaveFileStopsTheStartAndIsKept) {
  const std::vector<Bytes> damaged = {
      Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'a', 'r', 'c', 'h', 'i', 'v', 'e'},
      Bytes(3, 0xFF),
  };
  for (const Bytes& bytes : damaged) {
    testing::EngineFixture engine("saves_bad");
    engine.AddFile("save.dat", bytes);
    engine.AddProject(SavingProject());
    engine.AddPage("start.vsb", Page({flow::Calc("visits = 5", 0, 1)}));
    try {
      engine.Start();
      ADD_FAILURE() << "the start went on";
    } catch (const ESaveFileError& error) {
      EXPECT_NE(std::string(error.what()).find("save.dat"), std::string::npos) << error.what();
    }
    EXPECT_EQ(engine.project(), nullptr);
    EXPECT_EQ(CurrentProject(), nullptr);
    EXPECT_EQ(CurrentSaveData(), nullptr);
    EXPECT_EQ(testing::ReadWholeFile(engine.Root() / "save.dat"), bytes);
  }
}

// A game save that cannot be written is shown once, save.dat stays as it was, and the game goes
// on with the next command.
TEST(ProjectSaves, FailedGameSaveIsShownOnceAndTheGameGoesOn) {
  testing::EngineFixture engine("saves_fail");
  engine.AddProject(SavingProject());
  engine.AddPage("start.vsb", Page({GameSave("2", "\"two\"", "", 0), flow::Calc("visits = 40", 0, 2)}));
  engine.Start();
  ASSERT_FALSE(StopFlag);
  engine.project()->SaveData().SetWriter([](const std::string& path, const void*, std::size_t) {
    throw EWriteError(path + ": disk full");
  });
  engine.RunFrames(3);
  EXPECT_FALSE(StopFlag);
  EXPECT_EQ(engine.Int("visits"), 40);
  ASSERT_EQ(engine.host.boxes.shown().size(), 1u);
  EXPECT_NE(engine.host.boxes.shown()[0].text.find("save.dat"), std::string::npos);
  EXPECT_EQ(engine.host.boxes.shown()[0].icon, platform::MessageIcon::kWarning);
  EXPECT_EQ(engine.project()->SaveData().PendingSaveSlot(), -1);
  EXPECT_TRUE(engine.project()->SlotCaptions().empty());
  EXPECT_FALSE(std::filesystem::exists(engine.Root() / "save.dat"));
}

// A damaged slot gives the load message and stops the game; the other slot is still listed at the
// next start.
TEST(ProjectSaves, DamagedSlotStopsTheGameWithTheLoadMessage) {
  testing::EngineFixture first("saves_damaged_first");
  PlayAndSave(first);
  // Slot 3: a game entry of a version too old to load.
  TVrFileCollection archive;
  archive.Open((first.Root() / "save.dat").string());
  for (int i = 0; i < archive.Count(); ++i) archive.GetItem(i).copy_stored_bytes = true;
  TVrFile& old = archive.AddMemoryFile("GAMESAVEDATA3");
  const Bytes entry = {106, 0, 0, 0, 3, 0, 0, 0, 'o', 'l', 'd'};
  old.own_data->WriteBuffer(entry.data(), entry.size());
  TMemoryStream out;
  archive.SaveToStream(out);
  const Bytes saved = out.Bytes();

  testing::EngineFixture second("saves_damaged_second");
  second.AddFile("save.dat", saved);
  second.AddProject(SavingProject());
  second.AddPage("start.vsb", Page({GameLoad("3"), flow::Calc("visits = 77", 0, 2)}));
  second.Start();
  ASSERT_FALSE(StopFlag);
  ASSERT_EQ(second.project()->SlotCaptions().size(), 2u);
  second.RunFrames(2);
  EXPECT_TRUE(StopFlag);
  ASSERT_EQ(second.host.boxes.shown().size(), 1u);
  EXPECT_EQ(second.host.boxes.shown()[0].text, texts::kSaveDataUnusable);
  EXPECT_EQ(second.host.boxes.shown()[0].buttons, platform::MessageButtons::kOk);
  EXPECT_EQ(second.Int("visits"), 1);  // no frame ran after the failed load
  second.Stop();
  // The orderly end wrote the status entry; both game entries are carried over untouched.
  EXPECT_EQ(MemberNames(second.Root() / "save.dat"),
            (std::vector<std::string>{"GAMESAVEDATA1", "GAMESAVEDATA3", "STATUSSAVEDATA"}));
}

// With the project's status-save flag off, game saves reach save.dat but the status entry never
// does.
TEST(ProjectSaves, StatusSaveFlagOffWritesGameSavesOnly) {
  testing::EngineFixture engine("saves_flag");
  ProjectWriter writer = SavingProject();
  writer.status_save = false;
  engine.AddProject(writer);
  engine.AddPage("start.vsb", Page({GameSave("1", "\"one\"", "", 0), flow::Calc("visits = 9", 0, 2)}));
  engine.Start();
  engine.RunFrames(2);
  EXPECT_EQ(engine.Int("visits"), 9);
  EXPECT_EQ(MemberNames(engine.Root() / "save.dat"), (std::vector<std::string>{"GAMESAVEDATA1"}));
  const Bytes saved = testing::ReadWholeFile(engine.Root() / "save.dat");
  engine.Stop();
  EXPECT_EQ(testing::ReadWholeFile(engine.Root() / "save.dat"), saved);
}

}  // namespace
}  // namespace vorn
