#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <fstream>

#include "app/form_view.h"
#include "components/scene_globals.h"
#include "components/vorn_base_list.h"
#include "app/player.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/param_var.h"
#include "engine/script_host.h"
#include "engine/sys_func_man.h"
#include "fixture/archive_fixture.h"
#include "fixture/flow_page_commands.h"
#include "text/font_pixel.h"
#include "foundation/system_texts.h"
#include "platform/face_colors.h"
#include "platform/font_catalog.h"
#include "player_harness.h"

namespace vorn {
namespace {

using testing::HeadlessForm;
using testing::WriteProject;
using testing::Recording;
using testing::TempDir;

const std::vector<std::string> kStartSteps = {"FormCreate", "TBasePanel.Create", "DXSound.Initialize", "VornInitialize",
                                              "TProject.Create", "MediaInit", "VornInitColor"};
const std::vector<std::string> kShutdownSteps = {"Project.Free", "SysFuncMan.Free", "ParamMan.Free",  "VornFinalize",
                                                 "Bases.Free",   "SelRectDIB.Free", "TransBGDIB.Free", "ClipMan.Free",
                                                 "MediaFinal"};
const std::vector<std::string> kFreeCalls = {"ScreenMan.Free", "VideoMan.Free", "WaveMan.Free", "WmpMan.Free",
                                             "OggMan.Free",    "CddaMan.Free",  "MidiMan.Free", "vornFinal"};

enum class CloseBy { kCloseBox, kQuitYes };

std::vector<std::string> Mounted(const TVrFileManager& files) {
  std::vector<std::string> names;
  for (int i = 0; i < files.ArchiveCount(); ++i) names.push_back(files.GetArchive(i).FileName());
  return names;
}

// Runs a whole player that closes after its second frame, the close box or the quit button.
Recording* RunAndClose(Recording& recording, const std::string& exe_dir, CloseBy how, std::string* deleted_file) {
  platform::HeadlessPlatform headless;
  headless.executable.set_path(exe_dir + "vornplayer");
  bool closing = false;
  headless.application.set_after_idle([&](platform::Window&) {
    if (FrameCount < 2 || closing) return;
    closing = true;
    if (deleted_file != nullptr && DeleteAtExit != nullptr) DeleteAtExit->Add(*deleted_file);
    if (how == CloseBy::kCloseBox) {
      headless.application.Post(platform::Event{.type = platform::EventType::kClose});
    } else {
      headless.boxes.Script(platform::MessageAnswer::kYes);
      headless.application.Post(platform::Event{.type = platform::EventType::kMouseDown, .x = 10, .y = 10});
      headless.application.Post(platform::Event{.type = platform::EventType::kMouseUp, .x = 10, .y = 10});
    }
  });
  platform::Platform services = headless.services();
  EXPECT_EQ(RunPlayer(services, {}, PlayerOptions{3}), 0);
  EXPECT_TRUE(closing);
  EXPECT_EQ(headless.boxes.unscripted(), 0);
  return &recording;
}

// What of the engine is still in place: the system functions and the variable collection.
std::string LiveEngineParts() {
  TSysFuncDispatcher* dispatcher = SetSysFuncDispatcher(nullptr);
  SetSysFuncDispatcher(dispatcher);
  std::string parts;
  if (dynamic_cast<TSysFuncMan*>(dispatcher) != nullptr) parts += "functions ";
  if (dynamic_cast<TParamCollection*>(CurrentReferenceResolver()) != nullptr) parts += "variables";
  return parts;
}

TEST(MainWindow, StartAndShutdownOrderForCloseBoxAndQuitButton) {
  for (CloseBy how : {CloseBy::kCloseBox, CloseBy::kQuitYes}) {
    TempDir dir("order");
    const std::string doomed = dir.str() + "doomed.tmp";
    std::ofstream(doomed) << "x";
    Recording recording;
    // Each free happens under its own step: the functions go before the variables they read.
    std::vector<std::string> alive;
    bool glyph_cache_at_form_create = false;
    recording.on_trace = [&](std::string_view step) {
      if (step == "SysFuncMan.Free" || step == "ParamMan.Free" || step == "VornFinalize")
        alive.push_back(std::string(step) + ": " + LiveEngineParts());
      if (step == "FormCreate") glyph_cache_at_form_create = FontPixelManager() != nullptr;
    };
    std::string doomed_copy = doomed;
    RunAndClose(recording, dir.str(), how, &doomed_copy);
    EXPECT_EQ(Recording::Only(recording.trace, kStartSteps), kStartSteps);
    EXPECT_EQ(Recording::Only(recording.trace, kShutdownSteps), kShutdownSteps);
    EXPECT_EQ(std::count(recording.trace.begin(), recording.trace.end(), "FormClose"), 1);
    EXPECT_EQ(Recording::Only(recording.trace, kFreeCalls), kFreeCalls);
    EXPECT_EQ(alive, (std::vector<std::string>{"SysFuncMan.Free: functions variables",
                                               "ParamMan.Free: variables", "VornFinalize: "}));
    EXPECT_FALSE(std::filesystem::exists(doomed));
    // The glyph cache lives from before the window until after it.
    EXPECT_EQ(Recording::Only(recording.trace, {"TFontPixelManager.Create", "FormCreate"}),
              (std::vector<std::string>{"TFontPixelManager.Create", "FormCreate"}));
    EXPECT_TRUE(glyph_cache_at_form_create);
    EXPECT_EQ(FontPixelManager(), nullptr);
  }
}

TEST(MainWindow, ExceptionInEngineStartShowsItAndShutsDown) {
  TempDir dir("throw");
  Recording recording;
  // A global variable whose name the project file cannot declare ends the start with its message.
  fixture::ProjectWriter project = testing::DefaultProject();
  project.globals = {fixture::ProjectGlobal::Int("1x", 0)};
  WriteProject(dir.str(), project);
  platform::HeadlessPlatform headless;
  headless.executable.set_path(dir.str() + "vornplayer");
  headless.boxes.Script(platform::MessageAnswer::kOk);
  platform::Platform services = headless.services();
  EXPECT_EQ(RunPlayer(services, {}), 0);
  ASSERT_EQ(headless.boxes.shown().size(), 1u);
  EXPECT_EQ(headless.boxes.shown()[0].text, "\"1x\"\x81\x46\x95\xcf\x90\x94\x96\xbc\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7");
  EXPECT_EQ(headless.boxes.shown()[0].icon, platform::MessageIcon::kWarning);
  EXPECT_EQ(headless.boxes.shown()[0].buttons, platform::MessageButtons::kOk);
  EXPECT_EQ(Recording::Only(recording.trace, kShutdownSteps), kShutdownSteps);
  EXPECT_EQ(std::count(recording.trace.begin(), recording.trace.end(), "FormClose"), 1);
  // No project was made, so nothing of it is freed; the rest goes in order, exactly once.
  EXPECT_EQ(Recording::Only(recording.trace, kFreeCalls), std::vector<std::string>{});
  EXPECT_EQ(std::count(recording.trace.begin(), recording.trace.end(), "MediaInit"), 0);
  EXPECT_EQ(headless.application.windows_created(), 1);
}

TEST(MainWindow, StopAtStartFreesEverythingWithoutTheLoopOrExitPage) {
  TempDir dir("stop");
  // No start page: the project says so and sets the stop flag; its exit page must not run.
  fixture::ProjectWriter project = testing::DefaultProject();
  project.start_page = "missing.vsb";
  project.exit_page = "exit.vsb";
  project.WriteTo(dir.str());
  fixture::PageWriter exit_page;
  exit_page.Add(fixture::flow::Calc("1", 0, 1));
  exit_page.WriteTo(dir.str(), "exit.vsb");
  Recording recording;
  platform::HeadlessPlatform headless;
  headless.executable.set_path(dir.str() + "vornplayer");
  headless.boxes.Script(platform::MessageAnswer::kOk);
  platform::Platform services = headless.services();
  EXPECT_EQ(RunPlayer(services, {}), 0);  // would throw a stall if it entered the loop
  EXPECT_EQ(Recording::Only(recording.trace, kShutdownSteps), kShutdownSteps);
  EXPECT_EQ(std::count(recording.trace.begin(), recording.trace.end(), "FormClose"), 0);
  EXPECT_EQ(Recording::Only(recording.trace, kFreeCalls), kFreeCalls);
  ASSERT_EQ(headless.boxes.shown().size(), 1u);
  EXPECT_EQ(headless.boxes.shown()[0].text, texts::kStartPageMissing);
  EXPECT_EQ(headless.boxes.shown()[0].owner, nullptr);
  EXPECT_EQ(FrameCount, 0);
}

TEST(MainWindow, SystemFunctionsAreInstalledBeforeTheProjectAndRemovedAtClose) {
  TempDir dir("sysfunc");
  // The project's reading of its file is the first use: a trace line of the start page shows the
  // dispatcher that was in place while the project ran; the start page is missing, so it stops.
  bool installed = false;
  fixture::ProjectWriter project = testing::DefaultProject();
  fixture::PageWriter start;
  start.Add(fixture::flow::Label("l", 0, 1));
  WriteProject(dir.str(), project, start);
  TTraceCallback previous = SetTraceCallback([&](const char*) {
    TSysFuncDispatcher* current = SetSysFuncDispatcher(nullptr);
    installed = dynamic_cast<TSysFuncMan*>(current) != nullptr;
    SetSysFuncDispatcher(current);
    StopFlag = true;
  });
  platform::HeadlessPlatform headless;
  headless.executable.set_path(dir.str() + "vornplayer");
  platform::Platform services = headless.services();
  headless.application.set_after_idle([](platform::Window& window) { window.PostClose(); });
  EXPECT_EQ(RunPlayer(services, {}), 0);
  SetTraceCallback(std::move(previous));
  EXPECT_TRUE(installed);
  EXPECT_EQ(SetSysFuncDispatcher(nullptr), nullptr);
}

TEST(MainWindow, DirectSoundFailureIsSwallowedAndOptionOffSkipsIt) {
  TempDir dir("dxsound");
  {
    Recording recording;
    HeadlessForm form(dir.str());
    form.headless.audio.set_fail_open(true);
    form.form->FormCreate();
    EXPECT_FALSE(form.form->dx_sound().Initialized());
    EXPECT_TRUE(form.form->idle_installed());
    EXPECT_TRUE(form.headless.boxes.shown().empty());
    EXPECT_EQ(Recording::Only(recording.trace, kStartSteps), kStartSteps);
  }
  std::ofstream(dir.path() / "GAME.INI") << "[Sound]\r\nDirectSound=0\r\nDelayTime=250\r\n";
  Recording recording;
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  EXPECT_FALSE(form.form->sound_options().direct_sound);
  EXPECT_EQ(DelayTimeOption, 200);
  EXPECT_EQ(std::count(recording.trace.begin(), recording.trace.end(), "DXSound.Initialize"), 0);
  EXPECT_FALSE(form.form->dx_sound().Initialized());
}

TEST(MainWindow, DeletesTheLogAndSizesAndCentresTheWindow) {
  TempDir dir("layout");
  std::ofstream(dir.path() / "VornPlay.LOG") << "old";
  HeadlessForm form(dir.str());
  form.headless.application.set_work_area(platform::Rect{10, 20, 1001, 700});
  form.form->FormCreate();
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "VornPlay.LOG"));
  const int dock = form.form->dock().Height();
  EXPECT_GT(dock, 0);
  EXPECT_EQ(form.window->ClientSize(), (platform::Size{640, 480 + dock}));
  auto* window = static_cast<platform::HeadlessWindow*>(form.window.get());
  const platform::Size outer = window->OuterSize();
  EXPECT_EQ(window->left(), 10 + (1001 - outer.width) / 2);
  EXPECT_EQ(window->top(), 20 + (700 - outer.height) / 2);
  EXPECT_EQ(form.form->panel().bounds(), (platform::Rect{0, dock, 640, 480}));
  EXPECT_EQ(Bases->GetWidth(), 640);
  EXPECT_EQ(Bases->GetHeight(), 480);
  EXPECT_EQ(window->Canvas().Pixel(300, 5), platform::FaceXrgb(platform::kFaceColors.face));
}

TEST(MainWindow, SmallProjectScreenSizesTheClientAndPanel) {
  TempDir dir("small");
  fixture::ProjectWriter project = testing::DefaultProject();
  project.screen_width = 320;
  project.screen_height = 200;
  WriteProject(dir.str(), project);
  HeadlessForm form(dir.str());
  form.headless.application.set_work_area(platform::Rect{0, 0, 101, 51});  // smaller than the window
  form.form->FormCreate();
  EXPECT_EQ(form.window->ClientSize(), (platform::Size{320, 200 + form.form->dock().Height()}));
  auto* window = static_cast<platform::HeadlessWindow*>(form.window.get());
  EXPECT_EQ(window->left(), (101 - window->OuterSize().width) / 2);  // toward zero
  EXPECT_EQ(form.form->panel().bounds(), (platform::Rect{0, form.form->dock().Height(), 320, 200}));
}

TEST(MainWindow, MountsArgumentsFirstToLastAndTheOverrideDirectory) {
  TempDir root("mount");
  std::filesystem::create_directories(root.path() / "t" / "a");
  std::filesystem::create_directories(root.path() / "t" / "b");
  std::filesystem::create_directories(root.path() / "t" / "c");
  const fixture::Bytes empty_archive = fixture::BuildArchive(fixture::ArchivePlan{});
  fixture::WriteWholeFile((root.path() / "t" / "a" / "game.dat").string(), empty_archive);
  fixture::WriteWholeFile((root.path() / "t" / "b" / "Game.Dat").string(), empty_archive);
  const std::string a = root.str() + "t/a";
  const std::string b = root.str() + "t/b/";
  const std::string c = root.str() + "t/c";
  Recording recording;
  HeadlessForm form(root.str(), {a, c, b});
  form.form->FormCreate();
  EXPECT_EQ(form.files.BaseDir(), a + "/");
  EXPECT_EQ(Mounted(form.files), (std::vector<std::string>{"", a + "/game.dat", b + "Game.Dat"}));
}

TEST(MainWindow, WithoutArgumentsMountsTheExecutableOnlyWhenItEndsWithVo) {
  for (const char* tail : {"xxvo", "xxvf", "o"}) {
    TempDir dir("selfmount");
    // A file that ends with "vo" is taken for the player with its archive appended.
    fixture::Bytes player = std::string(tail) == "xxvo" ? fixture::BuildArchive(fixture::ArchivePlan{}) : fixture::Bytes{};
    player.insert(player.end(), tail, tail + std::strlen(tail));
    fixture::WriteWholeFile((dir.path() / "vornplayer").string(), player);
    HeadlessForm form(dir.str());
    form.form->FormCreate();
    EXPECT_EQ(form.files.BaseDir(), dir.str());
    const bool mounted = std::string(tail) == "xxvo";
    std::vector<std::string> expected{""};
    if (mounted) expected.push_back(dir.str() + "vornplayer");
    EXPECT_EQ(Mounted(form.files), expected) << tail;
  }
}

// The executable carries the project in its resource section (an archive ending with "vf"); the
// folder beside it holds only install.dat.
TEST(MainWindow, WithoutArgumentsTheResourceArchiveOfTheExecutableIsMounted) {
  TempDir dir("resource");
  fixture::ProjectWriter project = testing::DefaultProject();
  project.title = "FromResource";
  fixture::PageWriter start;
  start.Add(fixture::flow::Calc("1", 0, 1));
  fixture::Bytes archive = fixture::PackFiles({{"vorn.vpb", project.Bytes()}, {"start.vsb", start.Bytes()}});
  archive.push_back('v');
  archive.push_back('f');
  std::filesystem::remove(dir.path() / "vorn.vpb");
  std::filesystem::remove(dir.path() / "start.vsb");
  fixture::WriteWholeFile((dir.path() / "vornplayer").string(),
                          fixture::MinimalElfWithSection(".res.BINTYPE.DUMMY", archive));
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  EXPECT_FALSE(StopFlag);
  EXPECT_FALSE(form.form->start_refused());
  EXPECT_EQ(Mounted(form.files), (std::vector<std::string>{"", dir.str() + "vornplayer"}));
  EXPECT_EQ(form.files.GetArchive(1).DataKind(), TArchiveDataKind::kResource);
  EXPECT_EQ(static_cast<platform::HeadlessWindow*>(form.window.get())->caption(), "FromResource");

  // A resource that does not end with "vf" is no archive of ours.
  archive.resize(archive.size() - 2);
  fixture::WriteWholeFile((dir.path() / "vornplayer").string(),
                          fixture::MinimalElfWithSection(".res.BINTYPE.DUMMY", archive));
  HeadlessForm plain(dir.str());
  plain.form->FormCreate();
  EXPECT_EQ(Mounted(plain.files), std::vector<std::string>{""});
}

// What a user who started the player from a desktop must see when it cannot start on its data:
// a box, then exit code 1, and no project read from anywhere else.
TEST(MainWindow, DataThatCannotBeMountedIsShownInABoxAndEndsThePlayer) {
  struct Case {
    const char* what;
    bool argument;        // the data folder is given as argument (else the executable's folder)
    const char* folder;   // leaf of the data folder
    int damage;           // 0 none, 1 a damaged game.dat, 2 a damaged archive appended to the executable
    const char* in_text;  // what the box must say
  };
  const Case cases[] = {
      {"argument folder without a CP932 name", true, "story-\xF0\x9F\x98\x80", 0, "story-\xF0\x9F\x98\x80"},
      {"executable folder without a CP932 name", false, "exe-\xF0\x9F\x98\x80", 0, "exe-\xF0\x9F\x98\x80"},
      {"damaged game.dat", true, "data", 1, "game.dat"},
      {"damaged appended archive", false, "exe", 2, "vornplayer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir root("refused");
    const std::filesystem::path folder = root.path() / c.folder;
    std::filesystem::create_directories(folder);
    // A folder the system has no name for cannot even be given a project.
    if (c.damage != 0) WriteProject(folder.string() + "/");
    if (c.damage == 1) {
      // "vf", version 102, then a member count far beyond the bytes that follow.
      fixture::WriteWholeFile((folder / "game.dat").string(), {'v', 'f', 102, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F});
    }
    if (c.damage == 2) {
      // The trailer's start lies past the end of the file.
      fixture::WriteWholeFile((folder / "vornplayer").string(), {'x', 'x', 0xF0, 0xFF, 0, 0, 'v', 'o'});
    }
    Recording recording;
    platform::HeadlessPlatform headless;
    const std::string exe_dir = c.argument ? root.str() : folder.string() + "/";
    headless.executable.set_path(exe_dir + "vornplayer");
    headless.boxes.Script(platform::MessageAnswer::kOk);
    platform::Platform services = headless.services();
    std::vector<std::string> arguments;
    if (c.argument) arguments.push_back(folder.string());
    EXPECT_EQ(RunPlayer(services, arguments), 1);
    ASSERT_EQ(headless.boxes.shown().size(), 1u);
    const platform::MessageBoxRequest& box = headless.boxes.shown()[0];
    EXPECT_NE(box.text.find(c.in_text), std::string::npos) << box.text;
    EXPECT_EQ(box.text_is_host_text, c.damage == 0);
    EXPECT_EQ(box.icon, platform::MessageIcon::kWarning);
    EXPECT_EQ(box.buttons, platform::MessageButtons::kOk);
    EXPECT_EQ(std::count(recording.trace.begin(), recording.trace.end(), "TProject.Create"), 0);
    EXPECT_EQ(headless.application.windows_created(), 1);
  }
}

// The host's font list answers the scripts while the player runs; the fixed one stays otherwise.
TEST(MainWindow, ThePlatformsFontCatalogueIsInstalledForTheRun) {
  TempDir dir("fonts");
  platform::FixedFontCatalog fonts({{"OnlyFace", true, false, "", 0, ""}});
  platform::HeadlessPlatform headless;
  headless.executable.set_path(dir.str() + "vornplayer");
  std::vector<std::string> seen;
  headless.application.set_after_idle([&](platform::Window&) {
    if (!seen.empty()) return;
    for (const platform::FontFace& face : platform::ActiveFontCatalog().Faces()) seen.push_back(face.family);
    headless.application.Post(platform::Event{.type = platform::EventType::kClose});
  });
  platform::Platform services = headless.services();
  services.fonts = &fonts;
  EXPECT_EQ(RunPlayer(services, {}, PlayerOptions{3}), 0);
  EXPECT_EQ(seen, std::vector<std::string>{"OnlyFace"});
  EXPECT_NE(&platform::ActiveFontCatalog(), &fonts);
}

TEST(MainWindow, QuitButtonAsksWithTheTitleAndNoResumes) {
  TempDir dir("quit");
  fixture::ProjectWriter project = testing::DefaultProject();
  project.title = "100%s\x95\x5C";
  WriteProject(dir.str(), project);
  for (bool stop_before : {false, true}) {
    HeadlessForm form(dir.str());
    form.form->FormCreate();
    StopFlag = stop_before;
    form.headless.boxes.Script(platform::MessageAnswer::kNo);
    form.form->quit_button().Click();
    EXPECT_EQ(StopFlag, stop_before);
    ASSERT_EQ(form.headless.boxes.shown().size(), 1u);
    const platform::MessageBoxRequest& box = form.headless.boxes.shown()[0];
    const std::string format(texts::kQuitConfirmFormat);
    EXPECT_EQ(box.text, format.substr(0, 2) + "100%s\x95\x5C" + format.substr(4));
    EXPECT_EQ(box.caption, "100%s\x95\x5C");
    EXPECT_EQ(box.icon, platform::MessageIcon::kQuestion);
    EXPECT_EQ(box.buttons, platform::MessageButtons::kYesNo);
    EXPECT_EQ(box.owner, form.window.get());
  }
}

TEST(MainWindow, QuitQuestionStopsFramesWhileOpen) {
  TempDir dir("quitopen");
  // Asks the idle handler for a frame while the question is open, then answers No.
  struct AnswerNo final : platform::MessageBoxes {
    platform::MessageAnswer Show(const platform::MessageBoxRequest&) override {
      done_while_open = form->ApplicationEventsIdle();
      return platform::MessageAnswer::kNo;
    }
    TFormView* form = nullptr;
    bool done_while_open = false;
  } boxes;
  HeadlessForm form(dir.str(), {}, &boxes);
  boxes.form = form.form.get();
  form.form->FormCreate();
  form.Activate();
  form.form->quit_button().Click();
  EXPECT_TRUE(boxes.done_while_open);
  EXPECT_EQ(FrameCount, 0);
  EXPECT_FALSE(form.form->ApplicationEventsIdle());
  EXPECT_EQ(FrameCount, 1);
}

TEST(MainWindow, TheQuitButtonIsDrawnUpWhileItsQuestionIsOpen) {
  TempDir dir("quitdrawn");
  struct Look final : platform::MessageBoxes {
    platform::MessageAnswer Show(const platform::MessageBoxRequest&) override {
      top_left = window->Canvas().Pixel(2, 2);
      bottom_right = window->Canvas().Pixel(68, 19);
      return platform::MessageAnswer::kNo;
    }
    platform::Window* window = nullptr;
    std::uint32_t top_left = 0;
    std::uint32_t bottom_right = 0;
  } boxes;
  HeadlessForm form(dir.str(), {}, &boxes);
  boxes.window = form.window.get();
  form.form->FormCreate();
  form.Activate();
  using platform::Event;
  using platform::EventType;
  form.form->HandleEvent(Event{.type = EventType::kMouseMove, .x = 30, .y = 10});
  form.form->HandleEvent(Event{.type = EventType::kMouseDown, .x = 30, .y = 10});
  EXPECT_EQ(form.window->Canvas().Pixel(2, 2), platform::FaceXrgb(platform::kFaceColors.shadow));  // sunken
  form.form->HandleEvent(Event{.type = EventType::kMouseUp, .x = 30, .y = 10});
  EXPECT_EQ(boxes.top_left, platform::FaceXrgb(platform::kFaceColors.face));
  EXPECT_EQ(boxes.bottom_right, platform::FaceXrgb(platform::kFaceColors.face));
  EXPECT_FALSE(StopFlag);
}

}  // namespace
}  // namespace vorn
