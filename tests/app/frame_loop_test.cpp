#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "components/component_factory.h"
#include "components/scene_globals.h"
#include "components/vorn_base_list.h"
#include "engine/engine_seams.h"
#include "graphics/custom_dibx.h"
#include "engine/engine_values.h"
#include "engine/script_host.h"
#include "fixture/archive_fixture.h"
#include "fixture/flow_page_commands.h"
#include "foundation/host_names.h"
#include "foundation/standin_trace.h"
#include "player_harness.h"

namespace vorn {
namespace {

// Runs the callback for every script command traced while it lives.
class OnCommand {
 public:
  explicit OnCommand(std::function<void()> callback)
      : previous_(SetTraceCallback([callback = std::move(callback)](const char*) { callback(); })) {}
  ~OnCommand() { SetTraceCallback(std::move(previous_)); }

 private:
  TTraceCallback previous_;
};

// A start page of one command: the script step runs it in the first frame.
fixture::PageWriter OneCommandPage() {
  fixture::PageWriter page;
  page.Add(fixture::flow::Label("only", 0, 1));
  return page;
}

using testing::HeadlessForm;
using testing::WriteProject;
using testing::Recording;
using testing::TempDir;

TEST(FrameLoop, GapTable) {
  const struct {
    std::uint32_t gap;
    bool frame;
  } cases[] = {{0, true}, {16, true}, {3000, true}, {3001, false}, {0xFFFFFFFFu, false}};
  for (const auto& c : cases) {
    TempDir dir("gap");
    HeadlessForm form(dir.str());
    form.form->FormCreate();
    form.headless.clock.Set(1000);
    form.Activate();
    ASSERT_FALSE(form.form->ApplicationEventsIdle());  // first frame: gap 0
    const std::int32_t clock_before = GameClock;
    const std::uint32_t now = form.form->last_tick() + c.gap;  // the first frame slept 16 ms already
    form.headless.clock.Set(now);
    EXPECT_FALSE(form.form->ApplicationEventsIdle());
    EXPECT_EQ(FrameCount, c.frame ? 2 : 1) << c.gap;
    EXPECT_EQ(GameClock, c.frame ? clock_before + static_cast<std::int32_t>(c.gap) : clock_before) << c.gap;
    if (c.frame) {
      EXPECT_EQ(FrameDelta, static_cast<std::int32_t>(c.gap));
    }
    EXPECT_EQ(form.form->last_tick(), now) << c.gap;
  }
}

TEST(FrameLoop, FirstFrameAfterActivationSeesGapZero) {
  TempDir dir("first");
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  form.headless.clock.Set(123456);
  EXPECT_TRUE(form.form->ApplicationEventsIdle());  // not active yet
  form.Activate();
  EXPECT_FALSE(form.form->ApplicationEventsIdle());
  EXPECT_EQ(FrameDelta, 0);
  EXPECT_EQ(GameClock, 0);
  EXPECT_EQ(FrameCount, 1);
}

TEST(FrameLoop, FixedWaitSleepsTheRestButAtLeastTwo) {
  const struct {
    std::uint32_t work;
    bool fixed_wait;
    std::vector<std::uint32_t> sleeps;
  } cases[] = {{30, true, {2}}, {5, true, {11}}, {0, true, {16}}, {16, true, {2}}, {5, false, {}}};
  for (const auto& c : cases) {
    TempDir dir("wait");
    fixture::ProjectWriter project = testing::DefaultProject();
    project.fixed_wait = c.fixed_wait;
    WriteProject(dir.str(), project, OneCommandPage());
    HeadlessForm form(dir.str());
    form.form->FormCreate();
    OnCommand work([&] { form.headless.clock.Advance(c.work); });
    form.Activate();
    form.headless.clock.clear_sleeps();
    EXPECT_FALSE(form.form->ApplicationEventsIdle());
    EXPECT_EQ(form.headless.clock.sleeps(), c.sleeps) << c.work;
  }
}

TEST(FrameLoop, NoFrameWhenInactiveStoppingOrWithoutScreenManager) {
  TempDir dir("noframe");
  {
    HeadlessForm form(dir.str());
    form.form->FormCreate();
    form.Activate();
    form.form->HandleEvent(platform::Event{.type = platform::EventType::kDeactivate});
    EXPECT_TRUE(form.form->ApplicationEventsIdle());
    form.Activate();
    StopFlag = true;
    EXPECT_TRUE(form.form->ApplicationEventsIdle());
    EXPECT_EQ(FrameCount, 0);
  }
  for (auto size : {std::pair{0, 480}, std::pair{640, 0}, std::pair{-1, -1}}) {
    fixture::ProjectWriter project = testing::DefaultProject();
    project.screen_width = size.first;
    project.screen_height = size.second;
    WriteProject(dir.str(), project);
    HeadlessForm form(dir.str());
    form.form->FormCreate();
    form.Activate();
    EXPECT_TRUE(form.form->ApplicationEventsIdle());
    EXPECT_EQ(ScreenManager, nullptr);
    EXPECT_EQ(FrameCount, 0);
  }
}

TEST(FrameLoop, ClockWrapsModulo2To32) {
  TempDir dir("wrap");
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  form.headless.clock.Set(0xFFFFFFF0u);
  form.Activate();
  GameClock = INT32_MAX - 5;
  EXPECT_FALSE(form.form->ApplicationEventsIdle());
  form.headless.clock.Set(0x10);  // 32 ms after the first frame, across the timer's wrap
  EXPECT_FALSE(form.form->ApplicationEventsIdle());
  EXPECT_EQ(FrameDelta, 32);
  EXPECT_EQ(GameClock, INT32_MIN + 26);
}

// A control on the active layer that names its tick and its paint to the recording and fills its
// rectangle blue. It takes a kind whose factory row a test can fill (ProbeKindSlot), so that a
// saved game holds it and loading makes it again.
class TFrameProbe : public TVornControl {
 public:
  using TVornControl::TVornControl;
  std::uint8_t GetCompoType() const override { return LT_CINEMA; }
  bool Tick() override {
    StandInCall("probe tick");
    return false;
  }
  void Paint() override {
    StandInCall("probe paint");
    if (TCustomDIBX* surface = GetSurface()) surface->FillRect(GetScreenRect(), surface->ColorToPixel(0xFF0000));
  }
};

// While it lives, the factory makes probes for the probe's kind.
class ProbeKindSlot {
 public:
  ProbeKindSlot() : previous_(SetComponentCreator(LT_CINEMA, &CreateProbe)) {}
  ~ProbeKindSlot() { SetComponentCreator(LT_CINEMA, previous_); }
  ProbeKindSlot(const ProbeKindSlot&) = delete;
  ProbeKindSlot& operator=(const ProbeKindSlot&) = delete;

 private:
  static TVornObject* CreateProbe(TVornBaseList& owner) { return CreateObject<TFrameProbe>(owner); }
  TComponentCreator previous_;
};

TFrameProbe& AddProbe() {
  auto* probe = CreateObject<TFrameProbe>(*Bases);
  probe->SetParent(Bases->ActiveLayer());
  probe->SetBounds(100, 100, 50, 50);
  return *probe;
}

// The script step reads the left click the input step latched from the window's press.
void PressLeft() { Bases->ActiveLayer()->Mouse().left_press_request = 1; }
void RecordScriptStep() {
  StandInCall(GetSceneSystemState()->GetLeftClick() ? "script after input" : "script before input");
}

const std::vector<std::string> kFrameCalls = {"script after input", "probe tick", "probe paint"};

std::vector<std::string> FrameCalls(const Recording& recording, std::size_t from) {
  std::vector<std::string> calls(recording.calls.begin() + static_cast<std::ptrdiff_t>(from), recording.calls.end());
  return Recording::Only(calls, {"script after input", "script before input", "probe tick", "probe paint"});
}

TEST(RunFrame, NormalFrameOrder) {
  TempDir dir("order");
  WriteProject(dir.str(), testing::DefaultProject(), OneCommandPage());
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  AddProbe();
  PressLeft();
  Recording recording;
  OnCommand script(RecordScriptStep);
  form.form->RunFrame();
  EXPECT_EQ(FrameCalls(recording, 0), kFrameCalls);
  EXPECT_EQ(FrameCount, 1);
  // Presented, then both layers' lists cleared.
  EXPECT_EQ(Bases->GetBase(0)->DirtyRects().Count(), 0);
  EXPECT_EQ(form.window->Canvas().Pixel(120, form.form->dock().Height() + 120), 0x0000FFu);
}

// Each frame counts released extractions down by its length and deletes the files whose time ran
// out.
TEST(RunFrame, ReleasedExtractionsRunOutAndTheirFilesGo) {
  TempDir dir("housekeeping");
  WriteProject(dir.str(), testing::DefaultProject(), OneCommandPage());
  fixture::ArchivePlan plan;
  plan.members.push_back(fixture::MakeMember("movie.mpg", fixture::Bytes(64, 7)));
  fixture::WriteWholeFile(dir.str() + "extra.dat", fixture::BuildArchive(plan));
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  ASSERT_GE(form.files.AddArchive(dir.str() + "extra.dat"), 0);
  const std::string extracted = form.files.GetRealFileName("movie.mpg");
  const auto host = FindHostPath(extracted);
  ASSERT_TRUE(host.has_value());
  ASSERT_TRUE(std::filesystem::exists(*host));
  form.files.Locks().Release(form.files.Locks().IndexOfName("movie.mpg"), 100);

  FrameDelta = 60;
  form.form->RunFrame();
  EXPECT_EQ(form.files.Locks().ReleasedCount(), 1);
  EXPECT_TRUE(std::filesystem::exists(*host));
  form.form->RunFrame();  // 120 ms held: run out, and its file deleted in the same frame
  EXPECT_EQ(form.files.Locks().ReleasedCount(), 0);
  EXPECT_FALSE(std::filesystem::exists(*host));
}

TEST(RunFrame, ScriptThatStopsEndsTheFrameAfterThreeSteps) {
  TempDir dir("stopframe");
  WriteProject(dir.str(), testing::DefaultProject(), OneCommandPage());
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  AddProbe();
  PressLeft();
  OnCommand script([] {
    RecordScriptStep();
    StopFlag = true;
  });
  Recording recording;
  form.form->RunFrame();
  EXPECT_EQ(FrameCalls(recording, 0), std::vector<std::string>{"script after input"});
  EXPECT_EQ(FrameCount, 0);
}

// The frame that loads a game is not painted (what it would show is the state before the load);
// the frame after it is. A save requested with the load writes the state just loaded.
TEST(RunFrame, LoadFrameIsNotPaintedTheNextIs) {
  TempDir dir("load");
  WriteProject(dir.str(), testing::DefaultProject(), OneCommandPage());
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  TProject& project = *form.form->project();
  // Saved with the game, so the loaded scene holds a probe again.
  ProbeKindSlot probe_kind;
  AddProbe();
  project.RequestSave(1, "caption", "start.vsb", 0);
  form.form->RunFrame();
  ASSERT_EQ(project.SlotCaptions().size(), 1u);
  ASSERT_TRUE(std::filesystem::is_regular_file(dir.path() / "save.dat"));

  project.RequestLoad(1);
  project.RequestSave(1, "again", "start.vsb", 0);
  Recording recording;
  OnCommand script(RecordScriptStep);
  form.form->RunFrame();
  EXPECT_FALSE(StopFlag);
  // The start page ran its only command in the first frame; nothing is left for this one.
  EXPECT_EQ(FrameCalls(recording, 0), (std::vector<std::string>{"probe tick"}));
  EXPECT_EQ(project.SaveData().GetSlotCaption(1), "again");
  const std::size_t second = recording.calls.size();
  // The loaded game resumes its start page at its first command.
  PressLeft();
  form.form->RunFrame();
  EXPECT_EQ(FrameCalls(recording, second), kFrameCalls);
  EXPECT_EQ(FrameCount, 3);
}

TEST(RunFrame, NothingWithoutAProject) {
  TempDir dir("noproject");
  std::vector<std::uint8_t> cut = testing::DefaultProject().Bytes();
  cut.resize(cut.size() / 2);
  std::ofstream(dir.str() + "vorn.vpb", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(cut.data()), static_cast<std::streamsize>(cut.size()));
  HeadlessForm form(dir.str());
  form.headless.boxes.Script(platform::MessageAnswer::kOk);
  form.form->FormCreate();
  Recording recording;
  form.form->RunFrame();
  EXPECT_TRUE(recording.calls.empty());
}

}  // namespace
}  // namespace vorn
