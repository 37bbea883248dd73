#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/form_view.h"
#include "components/scene_globals.h"
#include "components/vorn_base_list.h"
#include "engine/engine_seams.h"
#include "engine/engine_values.h"
#include "graphics/screen_manager.h"
#include "media/media_managers.h"
#include "platform/face_colors.h"
#include "platform/headless_display.h"
#include "player_harness.h"
#include "support/recording_media_item.h"

namespace vorn {
namespace {

using platform::Event;
using platform::EventType;
using platform::MouseButton;
using testing::HeadlessForm;
using testing::Recording;
using testing::TempDir;

// Whether the layers' own pictures are there when the media library hears of a screen switch:
// released before it suspends the videos, restored before it resumes them.
const std::vector<std::string>& WatchLayerSurfaces(Recording& recording) {
  static std::vector<std::string> states;
  states.clear();
  recording.on_call = [](std::string_view call) {
    if (call != "vornVidmanSuspend" && call != "vornVidmanResume") return;
    states.push_back(std::string(call) + (Bases->GetBase(1)->LayerSurface() != nullptr ? " restored" : " released"));
  };
  return states;
}

// A started main window, active, on the headless display.
struct Started {
  explicit Started(const std::string& name, const fixture::ProjectWriter& project = testing::DefaultProject())
      : dir(name), form((testing::WriteProject(dir.str(), project), dir.str())) {}
  void Start() {
    form.form->FormCreate();
    form.Activate();
    // Layer 0 blue (0x00BBGGRR), so that every presented frame shows the scene's picture.
    if (Bases != nullptr) Bases->GetBase(0)->SetColor(0xFF0000);
  }
  void Send(const Event& event) { form.form->HandleEvent(event); }
  platform::HeadlessWindow& window() { return static_cast<platform::HeadlessWindow&>(*form.window); }
  TFormView& view() { return *form.form; }

  TempDir dir;
  HeadlessForm form;
};

TEST(WindowKeys, OneClickPerPressAndOnlyWhileActive) {
  Started s("keys");
  s.Start();
  s.Send(Event{.type = EventType::kKeyDown, .key = 0x41});
  EXPECT_TRUE(Bases->GetKeyDown(0x41));
  Bases->ProcessInput();
  EXPECT_TRUE(Bases->GetKeyClick(0x41));
  s.Send(Event{.type = EventType::kKeyDown, .key = 0x41, .repeat = true});
  Bases->ProcessInput();
  EXPECT_FALSE(Bases->GetKeyClick(0x41));  // the window's own repeats are no clicks
  s.Send(Event{.type = EventType::kKeyUp, .key = 0x41});
  EXPECT_FALSE(Bases->GetKeyDown(0x41));

  s.Send(Event{.type = EventType::kKeyDown, .key = 256});
  s.Send(Event{.type = EventType::kKeyDown, .key = 300});
  EXPECT_FALSE(Bases->GetKeyDown(0));  // nothing wrapped into the table

  s.Send(Event{.type = EventType::kKeyDown, .key = 0x42});
  s.Send(Event{.type = EventType::kDeactivate});
  EXPECT_FALSE(s.view().active());
  EXPECT_FALSE(Bases->GetKeyDown(0x42));  // cleared on deactivation
  Bases->ProcessInput();
  EXPECT_FALSE(Bases->GetKeyClick(0x42));
  s.Send(Event{.type = EventType::kKeyDown, .key = 0x43});
  EXPECT_FALSE(Bases->GetKeyDown(0x43));
  Bases->ProcessInput();
  EXPECT_FALSE(Bases->GetKeyClick(0x43));
}

TEST(WindowMouse, ButtonsMovesAndWheel) {
  Started s("mouse");
  s.Start();
  const int kDock = s.view().dock().Height();
  Bases->SetActiveLayerIndex(1);
  auto mouse = [](int layer) -> TLayerMouse& { return Bases->GetBase(layer)->Mouse(); };
  s.Send(Event{.type = EventType::kMouseDown, .button = MouseButton::kRight, .x = 100, .y = kDock + 50});
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(mouse(i).left_held, 0);
    EXPECT_EQ(mouse(i).right_held, 1);
  }
  EXPECT_EQ(mouse(1).right_press_request, 1);
  EXPECT_EQ(mouse(1).left_press_request, 0);
  EXPECT_EQ(mouse(0).right_press_request, 0);
  EXPECT_TRUE(s.window().captured());

  // The capture keeps the moves coming, outside the panel too.
  s.Send(Event{.type = EventType::kMouseMove, .x = 5, .y = 3});
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(mouse(i).x, 5);
    EXPECT_EQ(mouse(i).y, 3 - kDock);
    EXPECT_EQ(mouse(i).moved, 1);
  }
  s.Send(Event{.type = EventType::kMouseUp, .button = MouseButton::kRight, .x = 5, .y = 3});
  EXPECT_EQ(mouse(0).right_held, 0);
  EXPECT_EQ(mouse(1).right_held, 0);
  EXPECT_FALSE(s.window().captured());

  s.Send(Event{.type = EventType::kMouseWheel, .wheel = -1});
  EXPECT_EQ(mouse(1).wheel_down_request, 1);
  EXPECT_EQ(mouse(1).wheel_up_request, 0);
  s.Send(Event{.type = EventType::kMouseWheel, .wheel = 2});
  EXPECT_EQ(mouse(1).wheel_up_request, 1);
  EXPECT_EQ(mouse(0).wheel_up_request, 0);

  // Inactive: a press does not reach the scene, a release still clears.
  s.Send(Event{.type = EventType::kMouseDown, .button = MouseButton::kLeft, .x = 100, .y = kDock + 50});
  s.Send(Event{.type = EventType::kDeactivate});
  mouse(1).left_press_request = 0;
  s.Send(Event{.type = EventType::kMouseUp, .button = MouseButton::kLeft, .x = 100, .y = kDock + 50});
  s.Send(Event{.type = EventType::kMouseDown, .button = MouseButton::kLeft, .x = 100, .y = kDock + 50});
  EXPECT_EQ(mouse(0).left_held, 0);
  EXPECT_EQ(mouse(1).left_press_request, 0);
}

TEST(WindowActivation, PausesAndResumesEveryManagerInOrder) {
  Started s("activation");
  s.Start();
  std::vector<std::string> log;
  const std::vector<std::pair<TMediaManager*, std::string>> managers = {
      {VideoManager, "Video"}, {WmpManager, "Wmp"}, {OggManager, "Ogg"}, {CddaManager, "Cdda"}, {MidiManager, "Midi"}};
  std::vector<TDMediaItem*> items;
  for (const auto& [manager, name] : managers) {
    ASSERT_NE(manager, nullptr) << name;
    items.push_back(manager->Append(std::make_unique<testing::RecordingMediaItem>(manager, name, log)));
  }
  s.Send(Event{.type = EventType::kDeactivate});
  s.form.headless.clock.Set(5000);
  s.Send(Event{.type = EventType::kActivate});
  EXPECT_EQ(log, (std::vector<std::string>{"Video.Pause", "Wmp.Pause", "Ogg.Pause", "Cdda.Pause", "Midi.Pause",
                                           "Video.Play", "Wmp.Play", "Ogg.Play", "Cdda.Play", "Midi.Play"}));
  EXPECT_TRUE(s.view().active());
  EXPECT_EQ(s.view().last_tick(), 5000u);
  EXPECT_TRUE(s.window().screen_saver_held());
  {
    SCOPED_TRACE("sound managers without items are left alone on deactivation");
    OggManager->Remove(items[2]);
    MidiManager->Remove(items[4]);
    log.clear();
    s.Send(Event{.type = EventType::kDeactivate});
    EXPECT_FALSE(s.window().screen_saver_held());
    EXPECT_EQ(log, (std::vector<std::string>{"Video.Pause", "Wmp.Pause", "Cdda.Pause"}));
    EXPECT_FALSE(OggManager->paused_all());
    EXPECT_FALSE(MidiManager->paused_all());
    EXPECT_TRUE(CddaManager->paused_all());
  }
  {
    SCOPED_TRACE("modal loops pause and resume whatever exists");
    s.Send(Event{.type = EventType::kActivate});
    log.clear();
    s.Send(Event{.type = EventType::kEnterSizeMove});
    EXPECT_TRUE(OggManager->paused_all());
    EXPECT_TRUE(MidiManager->paused_all());
    s.form.headless.clock.Set(9000);
    s.Send(Event{.type = EventType::kExitSizeMove});
    EXPECT_FALSE(OggManager->paused_all());
    s.Send(Event{.type = EventType::kEnterMenuLoop});
    s.Send(Event{.type = EventType::kExitMenuLoop});
    const std::vector<std::string> once = {"Video.Pause", "Wmp.Pause", "Cdda.Pause", "Video.Play", "Wmp.Play",
                                           "Cdda.Play"};
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(log, twice);
    EXPECT_EQ(s.view().last_tick(), 9000u);
  }
  {
    Recording recording;
    s.view().DXSoundRestore();
    EXPECT_EQ(Recording::Only(recording.calls, {"vornWmpmanRestore", "vornOggmanRestore"}),
              (std::vector<std::string>{"vornWmpmanRestore", "vornOggmanRestore"}));
  }
  // The initialise event gave the primary buffer the device's format.
  ASSERT_NE(s.view().dx_sound().Primary(), nullptr);
  EXPECT_EQ(s.view().dx_sound().Primary()->format(), MakePCMWaveFormat(44100, 16, 2));
  EXPECT_EQ(s.view().dx_sound().Primary()->format().block_align, 4);
  EXPECT_EQ(s.view().dx_sound().Primary()->format().bytes_per_second, 176400u);
}

TEST(WindowActivation, FirstActivationStartsFrames) {
  Started s("firstactivation");
  s.form.form->FormCreate();
  EXPECT_FALSE(s.view().active());
  EXPECT_TRUE(s.view().ApplicationEventsIdle());
  s.form.Activate();
  EXPECT_TRUE(s.view().active());
  EXPECT_FALSE(s.view().ApplicationEventsIdle());
}

TEST(WindowMessages, MediaLibraryMessagesAndTheFrameMessage) {
  Started s("messages");
  s.Start();
  Recording recording;
  for (std::uint32_t message : {0x680u, 0x681u, 0x682u, 0x683u, 0x684u}) {
    s.Send(Event{.type = EventType::kUserMessage, .message = message, .wparam = 1, .lparam = 2});
  }
  s.Send(Event{.type = EventType::kDisplayChange});
  EXPECT_EQ(Recording::Only(recording.calls, {"vornWmpmanProcessEvent 1664", "vornWmpmanProcessEvent 1665",
                                              "vornVidmanProcessEvent 1666", "vornWmpmanProcessEvent 1667",
                                              "vornVidmanProcessEvent 126"}),
            (std::vector<std::string>{"vornWmpmanProcessEvent 1664", "vornWmpmanProcessEvent 1665",
                                      "vornVidmanProcessEvent 1666", "vornWmpmanProcessEvent 1667",
                                      "vornVidmanProcessEvent 126"}));
  const std::int32_t frames = FrameCount;
  s.Send(Event{.type = EventType::kUserMessage, .message = 0x6B0});
  EXPECT_EQ(FrameCount, frames + 1);
}

// The headless display offers 800 x 600 at the desktop's 32 bits as the preferred size.
fixture::ProjectWriter Prefer800() {
  fixture::ProjectWriter project = testing::DefaultProject();
  project.full_screen_width = 800;
  project.full_screen_height = 600;
  return project;
}

TEST(FullScreen, RoundTripRestoresTheWindow) {
  Started s("roundtrip", Prefer800());
  s.Start();
  const int kDock = s.view().dock().Height();
  s.window().SetPosition(100, 70);
  const platform::WindowPlacement before = s.window().GetPlacement();
  const platform::Rect panel_before = s.view().panel().bounds();
  ASSERT_EQ(panel_before, (platform::Rect{0, kDock, 640, 480}));
  s.view().RunFrame();

  Recording recording;
  const std::vector<std::string>& surfaces = WatchLayerSurfaces(recording);
  s.view().ScreenSwitchButtonClick();
  EXPECT_TRUE(s.view().IsFullScreen());
  EXPECT_EQ(ScreenManager->CurrentMode(), ScreenManager->ChosenMode());
  EXPECT_EQ(ScreenManager->GetMode(ScreenManager->CurrentMode()), (TDisplayModeRecord{800, 600, 32, 60}));
  EXPECT_FALSE(s.window().Bordered());
  EXPECT_EQ(s.window().ClientSize(), (platform::Size{800, 600}));
  EXPECT_FALSE(s.view().StripShown());
  EXPECT_EQ(s.view().panel().bounds(), (platform::Rect{80, 60, 640, 480}));
  EXPECT_EQ(surfaces, (std::vector<std::string>{"vornVidmanSuspend released", "vornVidmanResume restored"}));
  // The scene draws on the new surface; the picture sits centred on black.
  s.view().RunFrame();
  const platform::Framebuffer& canvas = s.window().Canvas();
  EXPECT_EQ(canvas.Pixel(79, 300), 0u);
  EXPECT_EQ(canvas.Pixel(80 + 120, 60 + 100), 0x0000FFu);
  EXPECT_EQ(canvas.Pixel(799, 599), 0u);
  EXPECT_EQ(canvas.Pixel(10, 5), 0u);  // no strip left over

  s.view().ScreenSwitchButtonClick();
  EXPECT_FALSE(s.view().IsFullScreen());
  EXPECT_EQ(ScreenManager->CurrentMode(), TScreenManager::kWindowed);
  EXPECT_EQ(s.window().GetPlacement(), (platform::WindowPlacement{before.left, before.top, {640, 480 + kDock}}));
  EXPECT_TRUE(s.window().Bordered());
  EXPECT_TRUE(s.view().StripShown());
  EXPECT_EQ(s.view().panel().bounds(), panel_before);
  s.view().RunFrame();
  EXPECT_EQ(s.window().Canvas().Pixel(120, kDock + 100), 0x0000FFu);
  EXPECT_EQ(s.window().Canvas().Pixel(200, 5), platform::FaceXrgb(platform::kFaceColors.face));  // the strip is back
}

TEST(FullScreen, RefusedSwitchRestoresTheFrameWithTheStripHidden) {
  Started s("refused");
  s.Start();
  s.window().SetPosition(30, 40);
  s.form.headless.display.fail_mode_set = true;
  s.view().SetFullScreen(true);
  EXPECT_FALSE(s.view().IsFullScreen());
  EXPECT_EQ(ScreenManager->CurrentMode(), TScreenManager::kWindowed);
  EXPECT_TRUE(s.window().Bordered());
  EXPECT_FALSE(s.view().StripShown());
  EXPECT_EQ(s.view().dock().Height(), 0);
  EXPECT_EQ(s.window().GetPlacement(), (platform::WindowPlacement{30, 40, {640, 480}}));
  EXPECT_EQ(s.view().panel().bounds(), (platform::Rect{0, 0, 640, 480}));
  ASSERT_NE(ScreenManager->GetSurface(), nullptr);
  s.view().RunFrame();
  EXPECT_EQ(s.window().Canvas().Pixel(120, 100), 0x0000FFu);
}

TEST(FullScreen, ReapplyToAnotherModeThenBackRestoresThePlacement) {
  Started s("reapply", Prefer800());
  s.form.headless.display.modes.push_back(platform::MakeDisplayMode(1024, 768, 16, 60));
  s.Start();
  const int kDock = s.view().dock().Height();
  s.window().SetPosition(120, 90);
  const platform::WindowPlacement before = s.window().GetPlacement();
  s.view().SetFullScreen(true);
  ASSERT_TRUE(s.view().IsFullScreen());
  ASSERT_EQ(ScreenManager->GetSurface()->GetBitCount(), 32);

  TScreenControl* control = GetScreenControl();
  ASSERT_NE(control, nullptr);
  const int deep16 = control->GetDisplayModeCount() - 1;
  control->SetChosenMode(deep16);
  Recording recording;
  const std::vector<std::string>& surfaces = WatchLayerSurfaces(recording);
  control->ReapplyFullScreen();
  EXPECT_EQ(control->GetCurrentMode(), deep16);
  EXPECT_EQ(s.window().ClientSize(), (platform::Size{1024, 768}));
  EXPECT_EQ(s.view().panel().bounds(), (platform::Rect{192, 144, 640, 480}));
  EXPECT_EQ(ScreenManager->GetSurface()->GetBitCount(), 16);
  EXPECT_EQ(surfaces, (std::vector<std::string>{"vornVidmanSuspend released", "vornVidmanResume restored"}));
  s.view().RunFrame();
  EXPECT_EQ(s.window().Canvas().Pixel(192 + 120, 144 + 100), 0x0000FFu);

  control->ReapplyFullScreen();  // already in the chosen mode
  EXPECT_EQ(surfaces.size(), 2u);

  control->SetFullScreen(false);
  EXPECT_EQ(s.window().GetPlacement(), (platform::WindowPlacement{before.left, before.top, {640, 480 + kDock}}));
  EXPECT_TRUE(s.window().Bordered());
  EXPECT_EQ(ScreenManager->GetSurface()->GetBitCount(), 32);
}

TEST(FullScreen, NothingHappensWhereNothingCan) {
  {
    SCOPED_TRACE("no screen manager");
    fixture::ProjectWriter project = testing::DefaultProject();
    project.screen_width = 0;
    Started s("noscreen", project);
    s.Start();
    EXPECT_EQ(GetScreenControl(), nullptr);
    s.view().ScreenSwitchButtonClick();
    s.view().ReapplyFullScreen();
    s.view().SetCursorX(3);
    EXPECT_FALSE(s.view().IsFullScreen());
  }
  {
    SCOPED_TRACE("a chosen mode outside the list");
    Started s("badindex");
    s.Start();
    TScreenControl* control = GetScreenControl();
    ASSERT_NE(control, nullptr);
    for (int index : {-1, 99, -7}) {
      control->SetChosenMode(index);
      EXPECT_EQ(control->GetChosenMode(), index);  // stored as given
      Recording recording;
      control->SetFullScreen(true);
      EXPECT_FALSE(control->IsFullScreen());
      EXPECT_TRUE(recording.calls.empty());
    }
  }
  {
    SCOPED_TRACE("no display service");
    Started s("nodisplay");
    s.form.services->display = nullptr;
    s.Start();
    s.view().SetFullScreen(true);
    EXPECT_FALSE(s.view().IsFullScreen());
    EXPECT_EQ(ScreenManager->GetSurface()->GetBitCount(), 16);
  }
  EXPECT_EQ(GetScreenControl(), nullptr);
}

TEST(FullScreen, StripShowsOnTheTopRowWhenThePanelFillsTheScreen) {
  Started s("strip");
  s.Start();
  s.view().SetFullScreen(true);  // 640 x 480: the panel fills the screen
  ASSERT_EQ(s.view().panel().bounds(), (platform::Rect{0, 0, 640, 480}));
  s.view().RunFrame();
  EXPECT_EQ(s.window().Canvas().Pixel(200, 5), 0x0000FFu);  // scene, not strip
  s.window().flushed_rects().clear();
  s.Send(Event{.type = EventType::kMouseMove, .x = 200, .y = 0});
  EXPECT_TRUE(s.view().StripShown());
  EXPECT_EQ(s.window().Canvas().Pixel(200, 5), platform::FaceXrgb(platform::kFaceColors.face));
  // Showing presents the dock's rectangle once, nothing else.
  EXPECT_EQ(s.window().flushed_rects(), std::vector<platform::Rect>{s.view().dock().WindowRect()});
  s.view().RunFrame();  // the frame does not paint over the strip
  EXPECT_EQ(s.window().Canvas().Pixel(200, 5), platform::FaceXrgb(platform::kFaceColors.face));
  // Moves over the shown strip reach the strip and keep it; one onto the panel below hides it.
  s.Send(Event{.type = EventType::kMouseMove, .x = 200, .y = 1});
  EXPECT_TRUE(s.view().StripShown());
  s.Send(Event{.type = EventType::kMouseMove, .x = 200, .y = 30});
  EXPECT_FALSE(s.view().StripShown());
  EXPECT_EQ(s.view().dock().Height(), 0);
  EXPECT_EQ(s.window().Canvas().Pixel(200, 5), 0x0000FFu);  // repainted from the screen surface
}

TEST(FullScreen, AHotStripButtonGoesColdWhenThePointerGoesToThePanel) {
  Started s("strip-hot");
  s.Start();
  s.view().SetFullScreen(true);
  s.Send(Event{.type = EventType::kMouseMove, .x = 200, .y = 0});
  s.Send(Event{.type = EventType::kMouseMove, .x = 30, .y = 10});  // over the quit button
  EXPECT_EQ(TToolbarButton97::HotButton(), &s.view().quit_button());
  s.Send(Event{.type = EventType::kMouseMove, .x = 30, .y = 100});
  EXPECT_FALSE(s.view().StripShown());
  EXPECT_EQ(TToolbarButton97::HotButton(), nullptr);
  EXPECT_EQ(s.view().quit_button().ButtonState(), TToolbarButton97::kUp);
}

TEST(Cursor, SetCursorKeepsTheOtherCoordinate) {
  Started s("cursor");
  s.Start();
  const int kDock = s.view().dock().Height();
  s.Send(Event{.type = EventType::kMouseMove, .x = 50, .y = kDock + 60});
  s.view().SetCursorX(300);
  EXPECT_EQ(s.window().pointer_x(), 300);
  EXPECT_EQ(s.window().pointer_y(), kDock + 60);
  s.view().SetCursorY(7);
  EXPECT_EQ(s.window().pointer_x(), 300);
  EXPECT_EQ(s.window().pointer_y(), kDock + 7);
}

}  // namespace
}  // namespace vorn
