// The project file, the project's creation and end, the data location and the disc checks.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/call_man.h"
#include "engine/engine_seams.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/project.h"
#include "engine/script_error.h"
#include "fixture/archive_fixture.h"
#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"
#include "foundation/host_names.h"
#include "foundation/install_set.h"
#include "foundation/system_texts.h"
#include "foundation/wipe_defaults.h"
#include "support/engine_fixture.h"

namespace vorn {
namespace {

namespace flow = fixture::flow;
using fixture::PageWriter;
using fixture::ProjectGlobal;
using fixture::ProjectWriter;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

std::vector<std::uint8_t> Le(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
          static_cast<std::uint8_t>(u >> 24)};
}

// Bytes spelled from the field table, not by the writer.
std::vector<std::uint8_t> HandSpelled105() {
  std::vector<std::uint8_t> out;
  auto add = [&out](std::vector<std::uint8_t> bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); };
  add(Le(105));
  add(Le(1)), add({'T'});                        // title
  add(Le(320)), add(Le(240)), add(Le(0)), add(Le(0));
  add(Le(5)), add({'a', '.', 'v', 's', 'b'});    // start page; no exit page before 110
  add(Le(0));                                    // registry key
  add(Le(9));                                    // identification code
  add({0});                                      // status-save flag (from 104)
  add(Le(1)), add({'p'});                        // disc prompt; no fixed wait, no extensions
  add(Le(1)), add({'q'});                        // quit text
  add(Le(1)), add({1}), add(Le(1)), add({'n'}), add(Le(-3));  // one integer global
  add(Le(1)), add(Le(3)), add({'m', 'o', 'v'}), add(Le(2));    // one disk entry
  return out;
}

struct Read {
  TProjectSettings settings = TProjectSettings::Defaults();
  TFolderDiskList disks;
  std::int32_t version = 0;
};

Read ReadAll(const std::vector<std::uint8_t>& bytes, TParamCollection* params) {
  Read read;
  TMemoryStream stream(bytes);
  read.version = ReadProjectSettings(stream, read.settings);
  if (read.version > ProjectVersion) return read;
  ReadProjectGlobals(stream, params);
  ReadProjectDiskList(stream, read.disks);
  return read;
}

TEST(ProjectFile, DefaultsBeforeReading) {
  const TProjectSettings d = TProjectSettings::Defaults();
  EXPECT_EQ(d.title, texts::kApplicationTitleInformation);
  EXPECT_EQ(d.screen_width, 0);
  EXPECT_EQ(d.screen_height, 0);
  EXPECT_TRUE(d.status_save);
  EXPECT_TRUE(d.fixed_wait);
  EXPECT_EQ(d.media_extensions, "wav.wma.ogg");
  EXPECT_EQ(d.disc_prompt, "\x83\x66\x83\x42\x83\x58\x83\x4e%d\x82\xf0\x93\xfc\x82\xea\x82\xc4\x82\xa9\x82\xe7[OK]"
                           "\x82\xf0\x83\x4e\x83\x8a\x83\x62\x83\x4e\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2");
  EXPECT_EQ(d.quit_text, "\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb7");  // 終了します
}

TEST(ProjectFile, Version105ReadsItsOwnFields) {
  ProjectWriter writer(105);
  writer.title = "T";
  writer.screen_width = 320;
  writer.screen_height = 240;
  writer.full_screen_width = writer.full_screen_height = 0;
  writer.start_page = "a.vsb";
  writer.exit_page = "never.vsb";
  writer.identification_code = 9;
  writer.status_save = false;
  writer.disc_prompt = "p";
  writer.quit_text = "q";
  writer.globals = {ProjectGlobal::Int("n", -3)};
  writer.disks = {{"mov", 2}};
  ASSERT_EQ(writer.Bytes(), HandSpelled105());

  TParamCollection params;
  const Read read = ReadAll(HandSpelled105(), &params);
  EXPECT_EQ(read.version, 105);
  EXPECT_EQ(read.settings.title, "T");
  EXPECT_EQ(read.settings.start_page, "a.vsb");
  EXPECT_EQ(read.settings.exit_page, "");
  EXPECT_EQ(read.settings.identification_code, 9);
  EXPECT_FALSE(read.settings.status_save);
  EXPECT_FALSE(read.settings.fixed_wait);
  EXPECT_EQ(read.settings.media_extensions, ".wav.wma.ogg.mid");
  EXPECT_EQ(read.settings.disc_prompt, "p");
  EXPECT_EQ(read.settings.quit_text, "q");
  ASSERT_NE(params.FindParam("n"), nullptr);
  EXPECT_EQ(params.FindParam("n")->GetAsInt(), -3);
  ASSERT_EQ(read.disks.Count(), 1);
  EXPECT_EQ(read.disks.Item(0).name, "mov");
  EXPECT_EQ(read.disks.Item(0).disc, 2);
}

TEST(ProjectFile, FieldGatesOfEveryVersion) {
  for (std::int32_t version = 100; version <= 110; ++version) {
    SCOPED_TRACE(version);
    ProjectWriter writer(version);
    writer.exit_page = "exit.vsb";
    writer.status_save = false;
    writer.fixed_wait = true;
    writer.media_extensions = ".ogg";
    writer.disks = {{"x", 1}};
    const Read read = ReadAll(writer.Bytes(), nullptr);
    EXPECT_EQ(read.settings.exit_page, version >= 110 ? "exit.vsb" : "");
    EXPECT_EQ(read.settings.status_save, version < 104);
    EXPECT_EQ(read.settings.fixed_wait, version >= 106);
    EXPECT_EQ(read.settings.media_extensions, version >= 109 ? ".ogg" : ".wav.wma.ogg.mid");
    EXPECT_EQ(read.disks.Count(), 1);
  }
  // Newer than the player: nothing past the version is read.
  ProjectWriter newer(111);
  TMemoryStream stream(newer.Bytes());
  TProjectSettings settings = TProjectSettings::Defaults();
  EXPECT_EQ(ReadProjectSettings(stream, settings), 111);
  EXPECT_EQ(stream.Position(), 4);
}

TEST(ProjectFile, GlobalsOfEveryTypeCode) {
  TParamCollection params;
  auto& restored = params.AddParam(PT_INT);
  restored.SetName("Kept");
  restored.SetAsInt(77);
  ProjectWriter writer;
  writer.globals = {ProjectGlobal::Int("i", 12),           ProjectGlobal::Float("f", 2.5L),
                    ProjectGlobal::Bool("b", true),        ProjectGlobal::Str("s", "\x95\x5c"),
                    ProjectGlobal::Int("kept", 1),         ProjectGlobal::Typed(0x81, "typed"),
                    ProjectGlobal::Typed(0x84, "typedStr"), ProjectGlobal::Typed(5, "nothing"),
                    ProjectGlobal::Typed(0x7F, "nothing2"), ProjectGlobal::Typed(0, "ref"),
                    ProjectGlobal::Int("last", 3)};
  ReadAll(writer.Bytes(), &params);
  ASSERT_NE(params.FindParam("i"), nullptr);
  EXPECT_EQ(params.FindParam("i")->GetAsInt(), 12);
  EXPECT_EQ(params.FindParam("f")->GetAsFloat(), 2.5L);
  EXPECT_EQ(params.FindParam("f")->ParamType(), PT_FLOAT);
  EXPECT_TRUE(params.FindParam("b")->GetAsBool());
  EXPECT_EQ(params.FindParam("s")->GetAsString(), "\x95\x5c");
  EXPECT_EQ(params.FindParam("kept")->GetAsInt(), 77);
  EXPECT_FALSE(params.FindParam("kept")->IsStatus());
  EXPECT_EQ(params.FindParam("typed")->ParamType(), PT_INT);
  EXPECT_EQ(params.FindParam("typedStr")->ParamType(), PT_STR);
  EXPECT_EQ(params.FindParam("nothing"), nullptr);
  EXPECT_EQ(params.FindParam("nothing2"), nullptr);
  ASSERT_NE(params.FindParam("ref"), nullptr);
  EXPECT_NE(params.FindParam("ref")->Value().AsReference(), nullptr);
  EXPECT_EQ(params.FindParam("last")->GetAsInt(), 3);
  for (const char* name : {"i", "f", "b", "s", "typed", "last"}) EXPECT_TRUE(params.FindParam(name)->IsStatus()) << name;
}

TEST(ProjectFile, BadGlobalNameRaisesItsMessage) {
  for (const char* name : {"", "1abc", "a b"}) {
    TParamCollection params;
    const int before = params.Count();
    ProjectWriter writer;
    writer.globals = {ProjectGlobal::Int(name, 1)};
    try {
      ReadAll(writer.Bytes(), &params);
      ADD_FAILURE() << name;
    } catch (const EScriptError& error) {
      EXPECT_NE(std::string(error.what()).find("\x95\xcf\x90\x94\x96\xbc\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7"),
                std::string::npos);  // 変数名が不正です
    }
    EXPECT_EQ(params.Count(), before) << name;
  }
}

TEST(ProjectFile, EveryTruncationIsAnErrorNamingTheFile) {
  ProjectWriter writer;
  writer.exit_page = "exit.vsb";
  writer.globals = {ProjectGlobal::Int("i", 1), ProjectGlobal::Float("f", 1.0L), ProjectGlobal::Bool("b", true),
                    ProjectGlobal::Str("s", "abc")};
  writer.disks = {{"d", 1}};
  const std::vector<std::uint8_t> whole = writer.Bytes();
  for (std::size_t length = 0; length < whole.size(); ++length) {
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    TParamCollection params;
    try {
      ReadAll(cut, &params);
      ADD_FAILURE() << "length " << length << " was read";
    } catch (const EProjectFileError& error) {
      EXPECT_EQ(std::string(error.what()).rfind("vorn.vpb", 0), 0u) << error.what();
    }
  }
  TParamCollection params;
  EXPECT_NO_THROW(ReadAll(whole, &params));
}

TEST(ProjectFile, OversizedAndNegativeCountsAndLengths) {
  auto patched = [](std::vector<std::uint8_t> bytes, std::size_t at, std::int32_t value) {
    const auto le = Le(value);
    std::copy(le.begin(), le.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
  };
  ProjectWriter writer;
  writer.title = "t";
  writer.globals = {ProjectGlobal::Int("i", 1)};
  const std::vector<std::uint8_t> good = writer.Bytes();
  const std::size_t title_length = 4;
  std::vector<std::vector<std::uint8_t>> broken = {patched(good, title_length, 0x7FFFFFF0)};
  for (std::int32_t count : {-1, 0x7FFFFFFF, 1000}) {
    ProjectWriter lying = writer;
    lying.global_count = count;
    broken.push_back(lying.Bytes());
    ProjectWriter lying_disks = writer;
    lying_disks.disk_count = count;
    broken.push_back(lying_disks.Bytes());
  }
  for (std::size_t i = 0; i < broken.size(); ++i) {
    TParamCollection params;
    EXPECT_THROW(ReadAll(broken[i], &params), EProjectFileError) << i;
  }
  // A length of zero or below is the empty string, and the file reads on.
  ProjectWriter empty_exit;
  empty_exit.exit_page = "x";
  std::vector<std::uint8_t> bytes = empty_exit.Bytes();
  const std::size_t exit_at = 4 + 4 + empty_exit.title.size() + 16 + 4 + empty_exit.start_page.size();
  bytes = patched(bytes, exit_at, -1);
  bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(exit_at + 4));  // the "x"
  const Read read = ReadAll(bytes, nullptr);
  EXPECT_EQ(read.settings.exit_page, "");
  EXPECT_EQ(read.settings.start_page, "start.vsb");
}

// --- creation ---

fixture::PageWriter SimpleStart(const char* calc = "started = 1") {
  PageWriter page;
  page.Add(flow::Calc(calc, 0, 1));
  return page;
}

ProjectWriter StartedProject() {
  ProjectWriter writer;
  writer.globals = {ProjectGlobal::Int("started", 0), ProjectGlobal::Int("ended", 0)};
  return writer;
}

TEST(ProjectCreate, ReadsTheProjectAndCallsTheStartPage) {
  testing::EngineFixture engine("create");
  ProjectWriter writer = StartedProject();
  writer.title = "\x83\x65\x83\x58\x83\x67";  // テスト
  writer.screen_width = 641;
  writer.screen_height = 481;
  engine.AddProject(writer);
  engine.AddPage("start.vsb", SimpleStart());
  engine.Start();
  EXPECT_FALSE(StopFlag);
  EXPECT_EQ(engine.title_shown, writer.title);
  EXPECT_EQ(engine.project()->settings.screen_width, 641);
  EXPECT_EQ(WipeDefaults()[kWipeZoomIn].param0, 320);
  EXPECT_EQ(WipeDefaults()[kWipeZoomIn].param1, 240);
  EXPECT_EQ(WipeDefaults()[29].param0, 64);  // the other rows keep the factory values
  ASSERT_NE(GetProjectFacts(), nullptr);
  EXPECT_EQ(GetProjectFacts()->GetTitle(), writer.title);
  EXPECT_EQ(GetProjectFacts()->GetScreenHeight(), 481);
  TSaveData& saves = engine.project()->SaveData();
  EXPECT_EQ(CurrentSaveData(), &saves);
  EXPECT_EQ(saves.PendingLoadSlot(), -1);
  EXPECT_EQ(saves.PendingSaveSlot(), -1);
  ASSERT_NE(GetScriptGame(), nullptr);
  GetScriptGame()->RequestSave(3, "cap", "resume.vsb", 4);
  GetScriptGame()->RequestLoad(2);
  EXPECT_EQ(saves.PendingSaveSlot(), 3);
  EXPECT_EQ(saves.PendingSaveCaption(), "cap");
  EXPECT_EQ(saves.PendingSavePage(), "resume.vsb");
  EXPECT_EQ(saves.PendingSaveIndex(), 4);
  EXPECT_EQ(saves.PendingLoadSlot(), 2);
  saves.RequestLoad(-1);
  saves.RequestSave(-1, "", "", 0);
  engine.RunFrames(1);
  EXPECT_EQ(engine.Int("started"), 1);
  EXPECT_TRUE(engine.host.boxes.shown().empty());
}

TEST(ProjectCreate, ZoomInCentreTruncatesTowardZero) {
  testing::EngineFixture engine("zoom");
  ProjectWriter writer = StartedProject();
  writer.screen_width = -5;
  writer.screen_height = 7;
  engine.AddProject(writer);
  engine.AddPage("start.vsb", SimpleStart());
  engine.Start();
  EXPECT_EQ(WipeDefaults()[kWipeZoomIn].param0, -2);
  EXPECT_EQ(WipeDefaults()[kWipeZoomIn].param1, 3);
}

TEST(ProjectCreate, FailuresStopWithTheirMessages) {
  struct Case {
    const char* name;
    std::function<void(testing::EngineFixture&)> lay_out;
    std::string text;  // empty: no box
    std::string caption;
  };
  const Case cases[] = {
      {"missing", [](testing::EngineFixture&) {}, "", ""},
      {"empty", [](testing::EngineFixture& e) { e.AddFile("vorn.vpb", {}); }, std::string(texts::kProjectMissing),
       std::string(texts::kWarningCaption)},
      {"newer",
       [](testing::EngineFixture& e) {
         e.AddProject(ProjectWriter(111));
         e.AddPage("start.vsb", SimpleStart());
       },
       "", ""},
      {"no_start", [](testing::EngineFixture& e) { e.AddProject(StartedProject()); },
       std::string(texts::kStartPageMissing), std::string(texts::kWarningCaption)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::EngineFixture engine(c.name);
    c.lay_out(engine);
    engine.Start();
    EXPECT_TRUE(StopFlag);
    const auto& shown = engine.host.boxes.shown();
    if (c.text.empty()) {
      EXPECT_TRUE(shown.empty());
    } else {
      ASSERT_EQ(shown.size(), 1u);
      EXPECT_EQ(shown[0].text, c.text);
      EXPECT_EQ(shown[0].caption, c.caption);
      EXPECT_EQ(shown[0].icon, MessageIcon::kWarning);
      EXPECT_EQ(shown[0].buttons, MessageButtons::kOk);
    }
  }
}

TEST(ProjectCreate, BrokenProjectFileRaisesNamingIt) {
  testing::EngineFixture engine("broken");
  std::vector<std::uint8_t> bytes = StartedProject().Bytes();
  bytes.pop_back();
  bytes.pop_back();
  engine.AddFile("vorn.vpb", bytes);
  engine.AddPage("start.vsb", SimpleStart());
  try {
    engine.Start();
    ADD_FAILURE() << "started";
  } catch (const EProjectFileError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("vorn.vpb", 0), 0u);
  }
  EXPECT_TRUE(StopFlag);
  EXPECT_EQ(CurrentProject(), nullptr);
}

TEST(ProjectCreate, RunsFromGameDat) {
  testing::EngineFixture engine("packed");
  engine.PackIntoGameDat();
  engine.AddProject(StartedProject());
  engine.AddPage("start.vsb", SimpleStart());
  engine.Start();
  ASSERT_FALSE(StopFlag);
  engine.RunFrames(1);
  EXPECT_EQ(engine.Int("started"), 1);
}

TEST(ProjectCreate, OriginalProjectFileReplacesTheDiskList) {
  for (std::int32_t original_version : {110, 111}) {
    testing::EngineFixture engine("original" + std::to_string(original_version));
    ProjectWriter writer = StartedProject();
    writer.disks = {{"a", 1}};
    engine.AddProject(writer);
    ProjectWriter original(original_version);
    original.globals = {ProjectGlobal::Int("fromOriginal", 1)};
    original.disks = {{"b", 2}, {"c", 3}};
    engine.AddFile("original_vorn.vpb", original.Bytes());
    engine.AddPage("start.vsb", SimpleStart());
    engine.Start();
    ASSERT_FALSE(StopFlag);
    const TFolderDiskList& disks = engine.project()->disk_list;
    if (original_version == 110) {
      ASSERT_EQ(disks.Count(), 2);
      EXPECT_EQ(disks.Item(0).name, "b");
    } else {
      EXPECT_EQ(disks.Count(), 0);
    }
    EXPECT_FALSE(engine.Has("fromOriginal"));
  }
}

// --- the end ---

TEST(ProjectDestroy, RunsTheExitPageOnce) {
  testing::EngineFixture engine("exit");
  ProjectWriter writer = StartedProject();
  writer.exit_page = "exit.vsb";
  engine.AddProject(writer);
  engine.AddPage("start.vsb", SimpleStart());
  engine.AddPage("exit.vsb", SimpleStart("ended = ended + 1"));
  engine.Start();
  engine.RunFrames(2);
  EXPECT_EQ(engine.Int("ended"), 0);
  StopFlag = true;
  engine.project()->Destroy();
  EXPECT_EQ(engine.Int("ended"), 1);
  EXPECT_TRUE(StopFlag);
}

TEST(ProjectDestroy, MissingExitPageStillStops) {
  testing::EngineFixture engine("exit_missing");
  ProjectWriter writer = StartedProject();
  writer.exit_page = "gone.vsb";
  engine.AddProject(writer);
  engine.AddPage("start.vsb", SimpleStart());
  engine.Start();
  StopFlag = true;
  EXPECT_NO_THROW(engine.project()->Destroy());
  EXPECT_TRUE(StopFlag);
}

// --- where the data lies ---

void WriteInstall(const std::string& host_dir, const std::string& id, bool all_installed) {
  TVornInstallSet record;
  record.Id = id;
  record.AllInstalled = all_installed ? 1 : 0;
  record.SaveToFile(SystemNameOfHostPath(host_dir) + "install.dat");
}

void WriteGameDat(const std::string& host_dir, const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& files) {
  fixture::ArchivePlan plan;
  for (const auto& [name, bytes] : files) plan.members.push_back(fixture::MakeMember(name, bytes));
  const auto archive = fixture::BuildArchive(plan);
  std::ofstream out(host_dir + "game.dat", std::ios::binary);
  out.write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
}

std::vector<std::pair<std::string, std::vector<std::uint8_t>>> GameFiles() {
  return {{"vorn.vpb", StartedProject().Bytes()}, {"start.vsb", SimpleStart().Bytes()}};
}

TEST(DataLocation, NoInstallRecordAsksForReinstall) {
  testing::EngineFixture engine("noinstall");
  engine.Start(false);
  EXPECT_TRUE(StopFlag);
  const auto& shown = engine.host.boxes.shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, texts::kReinstall);
  EXPECT_EQ(shown[0].caption, texts::kApplicationTitleInformation);
  EXPECT_EQ(shown[0].icon, MessageIcon::kInformation);
}

TEST(DataLocation, AllInstalledBesideTheExecutableNeedsNoDisc) {
  for (bool game_dat : {true, false}) {
    testing::EngineFixture engine(game_dat ? "installed_dat" : "installed_plain");
    WriteInstall(engine.ExeDir(), "ID", true);
    if (game_dat) {
      WriteGameDat(engine.ExeDir(), GameFiles());
    } else {
      for (const auto& [name, bytes] : GameFiles()) {
        std::ofstream(engine.ExeDir() + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      }
    }
    engine.Start(false);
    EXPECT_FALSE(StopFlag) << game_dat;
    EXPECT_TRUE(engine.host.boxes.shown().empty());
    EXPECT_EQ(engine.project()->InstallId(), "ID");
    EXPECT_EQ(engine.files().ArchiveCount(), game_dat ? 2 : 1);
  }
}

TEST(DataLocation, DiscSearchMountsTheDiscWithOurIdentification) {
  testing::EngineFixture engine("disc");
  WriteInstall(engine.ExeDir(), "OURS", false);
  const std::string other = (engine.Root() / "other").string() + "/";
  const std::string ours = (engine.Root() / "ours").string() + "/";
  std::filesystem::create_directories(other);
  std::filesystem::create_directories(ours);
  WriteInstall(other, "THEIRS", false);
  WriteGameDat(other, {{"vorn.vpb", {}}});
  WriteInstall(ours, "OURS", false);
  WriteGameDat(ours, GameFiles());
  engine.cd_roots.SetRoots({other, ours});
  engine.Start(false);
  EXPECT_FALSE(StopFlag);
  EXPECT_TRUE(engine.host.boxes.shown().empty());
  engine.RunFrames(1);
  EXPECT_EQ(engine.Int("started"), 1);
}

TEST(DataLocation, NoDiscAsksThenQuits) {
  // OK searches again, Cancel asks whether to quit, Cancel there searches again, then OK quits.
  testing::EngineFixture engine("nodisc");
  WriteInstall(engine.ExeDir(), "OURS", false);
  engine.host.boxes.Script(MessageAnswer::kOk);
  engine.host.boxes.Script(MessageAnswer::kCancel);
  engine.host.boxes.Script(MessageAnswer::kCancel);
  engine.host.boxes.Script(MessageAnswer::kCancel);
  engine.host.boxes.Script(MessageAnswer::kOk);
  engine.Start(false);
  EXPECT_TRUE(StopFlag);
  const auto& shown = engine.host.boxes.shown();
  ASSERT_EQ(shown.size(), 5u);
  for (int i : {0, 1, 3}) {
    EXPECT_EQ(shown[static_cast<std::size_t>(i)].text, texts::kInsertDisc) << i;
    EXPECT_EQ(shown[static_cast<std::size_t>(i)].caption, texts::kApplicationTitleInformation) << i;
    EXPECT_EQ(shown[static_cast<std::size_t>(i)].buttons, MessageButtons::kOkCancel) << i;
  }
  for (int i : {2, 4}) {
    EXPECT_EQ(shown[static_cast<std::size_t>(i)].text, texts::kProjectQuitText) << i;
    EXPECT_EQ(shown[static_cast<std::size_t>(i)].caption, texts::kApplicationTitleInformation) << i;
  }
  EXPECT_EQ(engine.host.boxes.unscripted(), 0);
}

TEST(DataLocation, InsertedDiscIsFoundOnTheNextSearch) {
  testing::EngineFixture engine("later");
  WriteInstall(engine.ExeDir(), "OURS", false);
  const std::string ours = (engine.Root() / "ours").string() + "/";
  std::filesystem::create_directories(ours);
  WriteInstall(ours, "OURS", false);
  WriteGameDat(ours, GameFiles());
  // The first box "inserts" the disc before it is answered with OK.
  engine.host.on_show = [&engine, ours](const platform::MessageBoxRequest&) { engine.cd_roots.SetRoots({ours}); };
  engine.host.boxes.Script(MessageAnswer::kOk);
  engine.Start(false);
  EXPECT_FALSE(StopFlag);
  EXPECT_EQ(engine.host.boxes.shown().size(), 1u);
}

// --- files on other discs ---

TEST(CheckFile, AnswersWithoutAskingWhenItCan) {
  testing::EngineFixture engine("check");
  ProjectWriter writer = StartedProject();
  writer.media_extensions = "wav.wma.ogg";
  writer.disks = {{"bgm", 2}, {"disc2.vsb", 2}, {"movie\\", 3}, {"zero.vsb", 0}};
  engine.AddProject(writer);
  engine.AddPage("start.vsb", SimpleStart());
  engine.Start();
  TProject& project = *engine.project();
  EXPECT_FALSE(project.CheckFile(""));
  EXPECT_TRUE(project.CheckFile("start.vsb"));
  EXPECT_FALSE(project.CheckFile("nowhere.vsb"));  // on no disc
  EXPECT_FALSE(project.CheckFile("zero.vsb"));
  EXPECT_FALSE(project.CheckFile("movie\\A.OGG"));  // a media file is never asked for
  EXPECT_FALSE(project.CheckFile("bgm"));           // no extension: "." is in every list
  EXPECT_TRUE(engine.host.boxes.shown().empty());
}

TEST(CheckFile, AsksForTheDiscOfTheName) {
  testing::EngineFixture engine("ask");
  ProjectWriter writer = StartedProject();
  writer.title = "Game";
  writer.disc_prompt = "insert %d";
  writer.quit_text = "really?";
  writer.disks = {{"movie\\", 3}};
  engine.AddProject(writer);
  engine.AddPage("start.vsb", SimpleStart());
  engine.Start();
  engine.host.boxes.Script(MessageAnswer::kCancel);
  engine.host.boxes.Script(MessageAnswer::kOk);
  EXPECT_FALSE(engine.project()->CheckFile("movie\\op.vsb"));
  const auto& shown = engine.host.boxes.shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "insert 3");
  EXPECT_EQ(shown[0].caption, "Game");
  EXPECT_EQ(shown[1].text, "really?");
  EXPECT_TRUE(StopFlag);
  EXPECT_EQ(engine.host.close_requests, 1);
}

}  // namespace
}  // namespace vorn
