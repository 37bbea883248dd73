// The running player's scene: its layers get surfaces sized to the project's screen at the
// screen's depth, keep a picture across full-screen switches by drawing it again, and the input
// the window records reaches scripts through the system variables.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/form_view.h"
#include "components/pelk_collection.h"
#include "components/scene_globals.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "engine/engine_seams.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/script_scene.h"
#include "fixture/flow_page_commands.h"
#include "graphics/dibx.h"
#include "graphics/dx_dibx.h"
#include "graphics/screen_manager.h"
#include "graphics/surface_service.h"
#include "platform/headless_display.h"
#include "player_harness.h"
#include "media/media_managers.h"
#include "support/recording_media_item.h"

namespace vorn {
namespace {

namespace flow = fixture::flow;
using platform::Event;
using platform::EventType;
using platform::MakeDisplayMode;
using platform::MouseButton;
using testing::HeadlessForm;
using testing::TempDir;

TVornBaseList& Scene() { return *Bases; }
TCustomDIBX* OwnSurface(int layer) { return Bases->GetBase(layer)->LayerSurface(); }
TCustomDIBX* SecondSurface(int layer) { return Bases->GetBase(layer)->SecondSurface(); }

TEST(RunningScene, LayersGetSurfacesOfTheSceneAtTheScreensDepth) {
  struct Case {
    const char* name;
    bool display;
    int desktop_bits;
    int desktop_format16;
    int bits;
    // The second surface's key: the pixel of 0x800080 in that format, by hand.
    std::int32_t key;
  };
  const Case cases[] = {
      {"32-bit desktop", true, 32, 565, 32, 0x800080},
      {"5-6-5 desktop", true, 16, 565, 16, (0x80 >> 3) << 11 | (0x80 >> 3)},
      {"5-5-5 desktop", true, 16, 555, 15, (0x80 >> 3) << 10 | (0x80 >> 3)},
      {"no display service", false, 32, 565, 16, (0x80 >> 3) << 11 | (0x80 >> 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir("layers");
    fixture::ProjectWriter project = testing::DefaultProject();
    project.screen_width = 320;
    project.screen_height = 200;
    testing::WriteProject(dir.str(), project);
    HeadlessForm form(dir.str());
    form.headless.display.desktop = MakeDisplayMode(1280, 1024, c.desktop_bits, 60, c.desktop_format16);
    if (!c.display) form.services->display = nullptr;
    form.form->FormCreate();
    ASSERT_NE(ScreenManager, nullptr);
    ASSERT_EQ(ScreenManager->GetSurface()->GetBitCount(), c.bits);

    EXPECT_EQ(Scene().GetWidth(), 320);
    EXPECT_EQ(Scene().GetHeight(), 200);
    // The active layer draws on the screen surface, the other on its own.
    EXPECT_EQ(Scene().GetBase(0)->GetSurface(), ScreenManager->GetSurface());
    EXPECT_EQ(Scene().GetBase(1)->GetSurface(), OwnSurface(1));
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(i);
      TCustomDIBX* own = OwnSurface(i);
      ASSERT_NE(own, nullptr);
      EXPECT_NE(dynamic_cast<TDIBX*>(own), nullptr);  // a window draws through GDI surfaces
      EXPECT_EQ(own->GetWidth(), 320);
      EXPECT_EQ(own->GetHeight(), 200);
      EXPECT_EQ(own->GetBitCount(), c.bits);
      auto* second = dynamic_cast<TDIBX*>(SecondSurface(i));
      ASSERT_NE(second, nullptr);
      EXPECT_EQ(second->GetWidth(), 320);
      EXPECT_EQ(second->GetHeight(), 200);
      EXPECT_EQ(second->GetBitCount(), c.bits);
      EXPECT_EQ(second->ColorKey, c.key);
    }
  }
}

TEST(RunningScene, LayerColoursArePaintedAndPresented) {
  TempDir dir("paint");
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  form.Activate();
  // Layer 1 is not shown: its picture is kept on its own surface.
  Scene().GetBase(1)->SetColor(0x0000FF);  // red, as 0x00BBGGRR
  form.form->RunFrame();
  EXPECT_EQ(OwnSurface(1)->GetPixel(5, 5), 0xFF0000u);
  EXPECT_EQ(OwnSurface(1)->GetPixel(639, 479), 0xFF0000u);
  EXPECT_EQ(Scene().GetBase(1)->DirtyRects().Count(), 0);

  // A change on the active layer repaints it on the screen surface and reaches the window.
  Scene().GetBase(0)->SetColor(0x00FF00);
  Scene().GetBase(0)->SetColor(-1);  // a negative colour keeps the old picture
  Scene().GetBase(0)->SetColor(0x00FF00);
  Bases->SetActiveLayerIndex(1);
  form.form->RunFrame();
  EXPECT_EQ(Scene().GetBase(1)->GetSurface(), ScreenManager->GetSurface());
  EXPECT_EQ(Scene().GetBase(0)->GetSurface(), OwnSurface(0));
  EXPECT_EQ(OwnSurface(0)->GetPixel(5, 5), 0x00FF00u);
}

// The headless display offers 800 x 600 x 16 as the preferred full-screen mode here.
fixture::ProjectWriter Prefer800() {
  fixture::ProjectWriter project = testing::DefaultProject();
  project.full_screen_width = 800;
  project.full_screen_height = 600;
  return project;
}

TEST(RunningScene, FullScreenSwitchRedrawsTheLayersAtTheNewDepth) {
  TempDir dir("switch");
  testing::WriteProject(dir.str(), Prefer800());
  HeadlessForm form(dir.str());
  form.headless.display.modes = {MakeDisplayMode(800, 600, 16, 60)};
  form.form->FormCreate();
  form.Activate();
  Scene().GetBase(1)->SetColor(0x0000FF);
  form.form->RunFrame();
  ASSERT_EQ(OwnSurface(1)->GetPixel(100, 100), 0xFF0000u);

  form.form->SetFullScreen(true);
  ASSERT_TRUE(form.form->IsFullScreen());
  ASSERT_EQ(ScreenManager->GetSurface()->GetBitCount(), 16);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    // Full screen: the layers' own pictures lie in display memory of the mode's format.
    auto* own = dynamic_cast<TDxDIBX*>(OwnSurface(i));
    ASSERT_NE(own, nullptr);
    EXPECT_FALSE(own->IsEmpty());
    EXPECT_EQ(own->GetBitCount(), 16);
    EXPECT_EQ(own->GetGreenMask(), 0x07E0u);
    EXPECT_EQ(own->GetWidth(), 640);
    EXPECT_EQ(SecondSurface(i)->GetBitCount(), 16);
    // Everything is drawn again on the next painted frame.
    EXPECT_EQ(Scene().GetBase(i)->DirtyRects().Rects(), (std::vector<TRect>{{0, 0, 640, 480}}));
  }
  EXPECT_EQ(Scene().GetBase(0)->GetSurface(), ScreenManager->GetSurface());
  form.form->RunFrame();
  EXPECT_EQ(OwnSurface(1)->GetPixel(100, 100), 0xF800u);

  form.form->SetFullScreen(false);
  ASSERT_FALSE(form.form->IsFullScreen());
  EXPECT_NE(dynamic_cast<TDIBX*>(OwnSurface(1)), nullptr);
  EXPECT_EQ(OwnSurface(1)->GetBitCount(), 32);
  form.form->RunFrame();
  EXPECT_EQ(OwnSurface(1)->GetPixel(100, 100), 0xFF0000u);
  EXPECT_EQ(Scene().GetBase(0)->GetSurface(), ScreenManager->GetSurface());
}

TEST(RunningScene, SeamsLiveFromTheEngineStartToTheClose) {
  TempDir dir("seams");
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  EXPECT_EQ(GetScriptScene(), static_cast<TScriptScene*>(Bases));
  ASSERT_NE(GetSceneSystemState(), nullptr);
  EXPECT_EQ(GetSceneSystemState(), form.form->scene_state());
  TMidiControl* midi = GetMidiControl();
  ASSERT_NE(midi, nullptr);
  // A host without MIDI devices: the mapper alone, whatever is chosen.
  EXPECT_EQ(midi->GetDeviceCount(), 1);
  EXPECT_EQ(midi->GetDeviceNames(0), "MIDI\x83\x7D\x83\x62\x83\x70\x81\x5B");
  midi->SetDeviceName("other");
  EXPECT_EQ(midi->GetDeviceName(), "MIDI\x83\x7D\x83\x62\x83\x70\x81\x5B");
  // Scripts find the layers by their names.
  EXPECT_EQ(GetScriptScene()->FindControl(""), Scene().GetBase(0));
  EXPECT_EQ(GetScriptScene()->FindControl("\x01"), Scene().GetBase(1));

  form.form->FormClose();
  EXPECT_EQ(GetScriptScene(), nullptr);
  EXPECT_EQ(GetSceneSystemState(), nullptr);
  EXPECT_EQ(GetMidiControl(), nullptr);
  EXPECT_EQ(GetScreenSurfaceService(), nullptr);
}

// Each frame the start page copies what scripts see of the input into globals.
fixture::ProjectWriter InputProject() {
  fixture::ProjectWriter project = testing::DefaultProject();
  for (const char* name : {"mx", "my", "lclick", "rclick", "lpush", "kclick", "kpush", "krepeat", "wheel"}) {
    project.globals.push_back(fixture::ProjectGlobal::Int(name, -1));
  }
  project.globals.push_back(fixture::ProjectGlobal::Int("frames", 0));
  return project;
}

fixture::PageWriter InputPage() {
  fixture::PageWriter page;
  int line = 0;
  page.Add(flow::Label("top", 0, ++line));
  for (const char* calc : {"mx = @MouseX", "my = @MouseY", "lclick = @LClick", "rclick = @RClick", "lpush = @LPush",
                           "kclick = @KeyClick[65]", "kpush = @KeyPush[65]", "krepeat = @KeyRepeat[65]",
                           "wheel = @WheelUp", "frames = frames + 1"}) {
    page.Add(flow::Calc(calc, 0, ++line));
  }
  ++line;
  page.Add(flow::Calc("", 0, line).Header(0, 0, 0, line));  // ends the frame's step
  page.Add(flow::Jump("start.vsb", 0, "1", 0, ++line));
  return page;
}

std::int32_t Global(const char* name) {
  TParamCollection* params = CurrentParams();
  if (params == nullptr || params->FindParam(name) == nullptr) return -100;
  return params->FindParam(name)->GetAsInt();
}

TEST(RunningScene, InputReachesTheSystemVariables) {
  TempDir dir("input");
  testing::WriteProject(dir.str(), InputProject(), InputPage());
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  const int kDock = form.form->dock().Height();
  form.Activate();
  form.form->RunFrame();
  ASSERT_EQ(Global("frames"), 1);
  EXPECT_EQ(Global("lclick"), 0);
  EXPECT_EQ(Global("kpush"), 0);

  // Window coordinates; the panel sits under the tool strip.
  form.form->HandleEvent(Event{.type = EventType::kMouseMove, .x = 37, .y = kDock + 45});
  form.form->HandleEvent(Event{.type = EventType::kMouseDown, .button = MouseButton::kLeft, .x = 37, .y = kDock + 45});
  form.form->HandleEvent(Event{.type = EventType::kKeyDown, .key = 65});
  form.form->HandleEvent(Event{.type = EventType::kMouseWheel, .wheel = 1});
  FrameDelta = 16;
  form.form->RunFrame();
  ASSERT_EQ(Global("frames"), 2);
  EXPECT_EQ(Global("mx"), 37);
  EXPECT_EQ(Global("my"), 45);
  EXPECT_EQ(Global("lclick"), 1);
  EXPECT_EQ(Global("rclick"), 0);
  EXPECT_EQ(Global("lpush"), 1);
  EXPECT_EQ(Global("kclick"), 1);
  EXPECT_EQ(Global("kpush"), 1);
  EXPECT_EQ(Global("krepeat"), 1);
  EXPECT_EQ(Global("wheel"), 1);

  // The latches last one input step; what is held stays.
  form.form->RunFrame();
  EXPECT_EQ(Global("lclick"), 0);
  EXPECT_EQ(Global("kclick"), 0);
  EXPECT_EQ(Global("krepeat"), 0);
  EXPECT_EQ(Global("wheel"), 0);
  EXPECT_EQ(Global("kpush"), 1);
  EXPECT_EQ(Global("lpush"), 1);

  form.form->HandleEvent(Event{.type = EventType::kMouseUp, .button = MouseButton::kLeft, .x = 37, .y = kDock + 45});
  form.form->HandleEvent(Event{.type = EventType::kKeyUp, .key = 65});
  form.form->RunFrame();
  EXPECT_EQ(Global("kpush"), 0);
  EXPECT_EQ(Global("lpush"), 0);
}

TEST(RunningScene, ScriptsMayClearAndSetTheClickLatches) {
  TempDir dir("latch");
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  const int kDock = form.form->dock().Height();
  form.Activate();
  TSceneSystemState& state = *GetSceneSystemState();
  form.form->HandleEvent(Event{.type = EventType::kMouseDown, .button = MouseButton::kRight, .x = 10, .y = kDock + 10});
  form.form->RunFrame();
  EXPECT_TRUE(state.GetRightClick());
  state.SetRightClick(false);
  EXPECT_FALSE(state.GetRightClick());
  state.SetLeftClick(true);
  EXPECT_TRUE(state.GetLeftClick());
  EXPECT_TRUE(state.IsRightHeldFree());
  EXPECT_FALSE(state.IsLeftHeldFree());
}

// A held key repeats 300 ms after going down, then every 50 ms; a click is one step per press.
TEST(RunningScene, HeldKeyRepeats) {
  TVornBaseList bases;
  FrameDelta = 25;
  bases.SetKeyDown(65, true);
  bases.SetKeyClick(65, true);
  std::vector<int> pushed;
  std::vector<int> clicked;
  for (int step = 1; step <= 18; ++step) {
    bases.ProcessInput();
    if (bases.GetKeyPush(65)) pushed.push_back(step);
    if (bases.GetKeyClick(65)) clicked.push_back(step);
  }
  EXPECT_EQ(pushed, (std::vector<int>{1, 13, 15, 17}));
  EXPECT_EQ(clicked, (std::vector<int>{1}));
  // Going down again after a release starts the wait anew; the release itself is no push.
  bases.SetKeyDown(65, false);
  bases.ProcessInput();
  EXPECT_FALSE(bases.GetKeyPush(65));
  bases.SetKeyDown(65, true);
  bases.ProcessInput();
  EXPECT_TRUE(bases.GetKeyPush(65));
  bases.ProcessInput();
  EXPECT_FALSE(bases.GetKeyPush(65));
  // A stall longer than any int32 timer can hold does not wrap round to silence.
  FrameDelta = INT32_MAX;
  bases.ProcessInput();
  bases.ProcessInput();
  EXPECT_TRUE(bases.GetKeyPush(65));
  bases.ClearKeys();
  bases.ProcessInput();
  bases.ProcessInput();
  EXPECT_FALSE(bases.GetKeyPush(65));
  FrameDelta = 0;
}

// The input step gives the focus to a control that asked for it and sends it its key events:
// down and repeat at once, the next repeat 300 ms later, up on release.
TEST(RunningScene, FocusedControlHearsItsKeys) {
  TempDir dir("keys");
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  form.Activate();
  auto* control = CreateObject<TVornControl>(Scene());
  control->SetName("edit");
  control->SetParent(Scene().ActiveLayer());
  control->SetHandleKey(true);
  control->SetOnKeyDown("p:down");
  control->SetOnKeyRepeat("p:repeat");
  control->SetOnKeyUp("p:up");
  auto posted = [] {
    std::vector<std::string> events;
    for (int i = 0; i < Scene().Events().Count(); ++i) {
      const TTimerData& event = *Scene().Events().Item(i);
      events.push_back(event.GetLabel() + " " + std::to_string(event.GetCode()));
    }
    Scene().Events().Clear();
    return events;
  };
  posted();
  FrameDelta = 100;
  form.form->HandleEvent(Event{.type = EventType::kKeyDown, .key = 65});
  Bases->ProcessInput();
  EXPECT_EQ(GetSceneSystemState()->GetFocusedControl(), control);
  EXPECT_EQ(posted(), (std::vector<std::string>{"p:down 144", "p:repeat 146"}));
  std::vector<int> repeats;
  for (int step = 1; step <= 4; ++step) {
    Bases->ProcessInput();
    if (!posted().empty()) repeats.push_back(step);
  }
  EXPECT_EQ(repeats, (std::vector<int>{3, 4}));
  form.form->HandleEvent(Event{.type = EventType::kKeyUp, .key = 65});
  Bases->ProcessInput();
  // The repeat that came due in the last step goes first.
  EXPECT_EQ(posted(), (std::vector<std::string>{"p:repeat 146", "p:up 145"}));

  // Without the key flag the control hears nothing.
  control->SetHandleKey(false);
  form.form->HandleEvent(Event{.type = EventType::kKeyDown, .key = 66});
  Bases->ProcessInput();
  EXPECT_TRUE(posted().empty());
  FrameDelta = 0;
}

TEST(RunningScene, SoundSwitchAndImageCacheMode) {
  TempDir dir("switches");
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  TSceneSystemState& state = *GetSceneSystemState();
  EXPECT_TRUE(state.GetSoundOn());
  // An item in every manager shows which ones the switch reaches, and in which order.
  std::vector<std::string> log;
  for (const auto& [manager, name] : std::vector<std::pair<TMediaManager*, std::string>>{
           {VideoManager, "Video"}, {WmpManager, "Wmp"}, {OggManager, "Ogg"}, {CddaManager, "Cdda"}, {MidiManager, "Midi"}}) {
    ASSERT_NE(manager, nullptr) << name;
    manager->Append(std::make_unique<testing::RecordingMediaItem>(manager, name, log));
  }
  state.SetSoundOn(false);
  state.SetSoundOn(false);  // no change: nobody is told again
  EXPECT_FALSE(state.GetSoundOn());
  EXPECT_EQ(log, (std::vector<std::string>{"Wmp.Pause", "Ogg.Pause", "Cdda.Pause", "Midi.Pause"}));
  EXPECT_FALSE(OggManager->active());
  log.clear();
  state.SetSoundOn(true);
  EXPECT_EQ(log, (std::vector<std::string>{"Wmp.Play", "Ogg.Play", "Cdda.Play", "Midi.Play"}));
  EXPECT_TRUE(OggManager->active());

  form.form->RunFrame();
  ASSERT_EQ(Scene().GetBase(1)->DirtyRects().Count(), 0);
  state.SetImageCacheMode(1);
  EXPECT_EQ(state.GetImageCacheMode(), 1);
  ASSERT_NE(PelkMan, nullptr);
  EXPECT_TRUE(PelkMan->GetCGDither());
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Scene().GetBase(i)->DirtyRects().Rects(), (std::vector<TRect>{{0, 0, 640, 480}}));
  }
}

}  // namespace
}  // namespace vorn
