#include "app/form_view.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/data_mount.h"
#include "engine/engine_values.h"
#include "engine/run_time_random.h"
#include "engine/script_scene.h"
#include "engine/url_opening.h"
#include "components/component_scene_parts.h"
#include "components/scene_globals.h"
#include "components/vorn_base_list.h"
#include "foundation/debug_trace.h"
#include "foundation/desktop.h"
#include "foundation/host_names.h"
#include "foundation/log_line.h"
#include "net/net_pump.h"
#include "foundation/system_texts.h"
#include "graphics/colour_tables.h"
#include "graphics/screen_manager.h"
#include "media/media_managers.h"
#include "platform/ini_file.h"
#include "platform/text_converter.h"

namespace vorn {
namespace {

constexpr std::uint32_t kMaxFrameGapMs = 3000;
constexpr std::int64_t kMinFrameSleepMs = 2;
constexpr int kButtonWidth = 67;
constexpr int kButtonHeight = 18;
constexpr int kFirstNonKey = 256;

// Window messages of the media library.
constexpr std::uint32_t kWmpEventFirst = 0x680;
constexpr std::uint32_t kWmpEventSecond = 0x681;
constexpr std::uint32_t kVideoEvent = 0x682;
constexpr std::uint32_t kWmpEventThird = 0x683;
constexpr std::uint32_t kRunFrameMessage = 0x6B0;
constexpr std::uint32_t kDisplayChangeMessage = 0x007E;  // WM_DISPLAYCHANGE

constexpr int kPrimarySamplesPerSecond = 44100;
constexpr int kPrimaryBits = 16;
constexpr int kPrimaryChannels = 2;

// The title goes in as an argument, never as a format of its own ("%" in a title stays "%").
std::string FormatWithTitle(std::string_view format, const std::string& title) {
  std::string text(format);
  const auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, title);
  return text;
}

}  // namespace

TFormView::TFormView(FormViewContext context)
    : context_(std::move(context)),
      window_(context_.window),
      panel_(context_.window),
      strip_form_(context_.window, context_.platform.clock, context_.strip_font),
      dx_sound_(context_.platform.audio, true) {
  // Nothing of the strip is drawn before the window has its size.
  strip_form_.SetPaintingEnabled(false);
  dx_sound_.OnInitialize = [this](TCustomDXSound&) { DXSoundInitialize(); };
  dx_sound_.OnRestore = [this](TCustomDXSound&) { DXSoundRestore(); };
}

TFormView::~TFormView() {
  ReleaseEngine();
  host_seam_.Remove();
  files_seam_.Remove();
  url_opener_seam_.Remove();
}

platform::MessageAnswer TFormView::ScriptHost::ShowMessage(platform::MessageBoxRequest request) {
  // Boxes of the start-up belong to no window yet; later ones to the main window.
  request.owner = form_.window_created_ ? &form_.window_ : nullptr;
  return form_.context_.platform.boxes.Show(request);
}

void TFormView::ScriptHost::CloseMainWindow() {
  if (form_.window_created_) form_.window_.PostClose();
}

void TFormView::SetProjectTitle(const std::string& title) {
  context_.platform.application.SetTitle(title);
  window_.SetCaption(title);
}

void TFormView::FormCreate() {
  DebugTrace("FormCreate");
  platform::Platform& platform = context_.platform;

  std::error_code ignored;
  std::filesystem::remove(platform::FindInDirectory(context_.executable_dir, "vornplay.log"), ignored);

  if (context_.random_seed) {
    Randomize(*context_.random_seed);
  } else {
    const platform::LocalTime now = platform.clock.Now();
    Randomize((static_cast<std::uint64_t>(platform.clock.TimeGetTime()) << 32) ^
              static_cast<std::uint64_t>(((now.hour * 60 + now.minute) * 60 + now.second) * 1000 + now.millisecond));
  }

  sound_options_ = ReadSoundOptions(platform::IniFile::Load(platform::FindInDirectory(context_.executable_dir, "game.ini")));
  DirectSoundOption = sound_options_.direct_sound;
  DelayTimeOption = sound_options_.delay_time;

  // Archive 0 is an empty archive with an empty name; it holds no members.
  context_.file_manager.AddCollection(std::make_unique<TVrFileCollection>());
  script_files_ = std::make_unique<TVrScriptFiles>(context_.file_manager);
  files_seam_.Install(script_files_.get());
  host_seam_.Install(&script_host_);
  url_opener_seam_.Install(platform.url_opener);

  dock_.SetAllowDrag(false);
  dock_.SetBoundLines(blBottom);
  dock_.SetParent(&strip_form_);
  toolbar_.SetParent(&dock_);
  toolbar_.SetBorderStyle(TBorderStyle::bsNone);
  quit_button_.SetCaption(std::string(texts::kQuitButtonCaption));
  quit_button_.SetBounds(platform::Rect{0, 0, kButtonWidth, kButtonHeight});
  quit_button_.OnClick = [this] { QuitButtonClick(); };
  quit_button_.SetParent(&toolbar_);
  switch_button_.SetCaption(std::string(texts::kScreenSwitchButtonCaption));
  switch_button_.SetBounds(platform::Rect{0, 0, kButtonWidth, kButtonHeight});
  switch_button_.OnClick = [this] { ScreenSwitchButtonClick(); };
  switch_button_.SetParent(&toolbar_);

  if (!MountData()) return;

  DebugTrace("TBasePanel.Create");
  base_panel_ = std::make_unique<TBasePanel>(panel_, context_.platform.cursors, &context_.platform.clock,
                                             context_.platform.clipboard);
  base_panel_->OnMouseDown = [this](platform::MouseButton b, unsigned s, int x, int y) { PanelMouseDown(b, s, x, y); };
  base_panel_->OnMouseMove = [this](unsigned s, int x, int y) { PanelMouseMove(s, x, y); };
  base_panel_->OnMouseUp = [this](platform::MouseButton b, unsigned s, int x, int y) { PanelMouseUp(b, s, x, y); };
  base_panel_->OnKeyDown = [this](int key) { PanelKeyDown(key); };
  base_panel_->OnKeyUp = [this](int key) { PanelKeyUp(key); };

  params_ = std::make_unique<TParamCollection>();
  sys_funcs_ = std::make_unique<TSysFuncMan>();

  try {
    StartEngine();
  } catch (const std::exception& error) {
    platform::MessageBoxRequest box;
    box.text = error.what();
    box.icon = platform::MessageIcon::kWarning;
    box.buttons = platform::MessageButtons::kOk;
    box.owner = &window_;
    platform.boxes.Show(box);
    FormClose();
  }

  window_created_ = true;
  if (StopFlag) {
    window_.PostClose();
  } else {
    idle_installed_ = true;
  }
}

bool TFormView::MountData() {
  std::optional<platform::MessageBoxRequest> refusal =
      MountStartData(context_.file_manager, context_.arguments, context_.executable_path, context_.executable_dir);
  if (!refusal) return true;
  // Told like a failed engine start; then the player ends without a window.
  refusal->owner = &window_;
  context_.platform.boxes.Show(*refusal);
  start_refused_ = true;
  StopFlag = true;
  return false;
}

void TFormView::StartEngine() {
  if (sound_options_.direct_sound) {
    DebugTrace("DXSound.Initialize");
    try {
      dx_sound_.Initialize();
    } catch (const std::exception& error) {
      // The player runs on without DirectSound.
      LogLine("DirectSound did not start, the player goes on without it: " + platform::Cp932ToUtf8(error.what()));
    } catch (...) {
      LogLine("DirectSound did not start, the player goes on without it");
    }
  }

  DebugTrace("VornInitialize");
  base_panel_->CreateScene();
  saved_scene_parts_ = std::make_unique<TComponentSceneParts>(*Bases);
  saved_scene_parts_seam_.Install(saved_scene_parts_.get());

  DebugTrace("TProject.Create");
  TProjectEnvironment environment;
  environment.files = &context_.file_manager;
  environment.params = params_.get();
  environment.data_directory_given = !context_.arguments.empty();
  environment.executable_dir = StartSystemName(context_.executable_dir);
  if (context_.arguments.empty()) {
    environment.save_dir = environment.executable_dir;
  } else {
    std::string first = context_.arguments.front();
    if (!first.empty() && first.back() != '/') first += '/';
    environment.save_dir = StartSystemName(first);
  }
  environment.set_title = [this](const std::string& title) { SetProjectTitle(title); };
  project_ = std::make_unique<TProject>(std::move(environment));
  const TProjectSettings& settings = project_->settings;

  DebugTrace("MediaInit");
  MediaInitParams media;
  media.view = &window_;
  media.panel = &panel_;
  media.screen_width = settings.screen_width;
  media.screen_height = settings.screen_height;
  media.full_screen_width = settings.full_screen_width;
  media.full_screen_height = settings.full_screen_height;
  media.display = context_.platform.display;
  media.files = &context_.file_manager;
  media.audio = context_.platform.audio;
  media.clock = &context_.platform.clock;
  media.dx_sound = &dx_sound_;
  media_started_ = true;
  MediaInit(media);

  if (ScreenManager != nullptr) screen_control_seam_.Install(&screen_control_);
  InstallSceneSeams();

  DebugTrace("VornInitColor");
  BuildGreyTables(Bases != nullptr ? Bases->GetScreenBitCount() : 32);

  const int width = settings.screen_width;
  const int height = settings.screen_height;
  window_.SetClientSize(platform::Size{width, height + dock_.Height()});
  const platform::Size outer = window_.OuterSize();
  const TRect work = GetDesktopWorkArea(context_.platform.application);
  window_.SetPosition(work.left + (work.Width() - outer.width) / 2, work.top + (work.Height() - outer.height) / 2);

  Bases->SetWidth(width);
  Bases->SetHeight(height);

  PlacePanel();
  PaintToolStrip();
}

void TFormView::InstallSceneSeams() {
  if (Bases != nullptr && !script_scene_seam_.installed()) {
    script_scene_seam_.Install(Bases);
    scene_state_ = std::make_unique<TVornSceneState>(*Bases);
    scene_state_seam_.Install(scene_state_.get());
    wd_image_source_ = std::make_unique<TVornWdImageSource>(Bases);
    wd_image_source_seam_.Install(wd_image_source_.get());
  }
  if (MidiManager != nullptr && !midi_control_seam_.installed()) midi_control_seam_.Install(&midi_control_);
}

void TFormView::RemoveSceneSeams() {
  if (script_scene_seam_.installed()) {
    wd_image_source_seam_.Remove();
    wd_image_source_.reset();
    scene_state_seam_.Remove();
    script_scene_seam_.Remove();
    scene_state_.reset();
  }
  midi_control_seam_.Remove();
}

void TFormView::PlacePanel() {
  const platform::Size client = window_.ClientSize();
  const int width = Bases ? Bases->GetWidth() : 0;
  const int height = Bases ? Bases->GetHeight() : 0;
  const int left = (client.width - width) / 2;
  const int top = IsFullScreen() ? (client.height - height) / 2 : dock_.Height();
  panel_.SetBounds(platform::Rect{left, top, width, height});
  strip_form_.SetBounds(platform::Rect{0, 0, client.width, client.height});
  panel_.SetCoveredAbove(dock_.Height());
}

void TFormView::PaintToolStrip() {
  strip_form_.SetPaintingEnabled(true);
  if (!StripShown()) return;
  strip_form_.Repaint(dock_.WindowRect());
}

bool TFormView::StripTakesPointer(int x, int y) {
  if (strip_form_.Captured()) return true;
  return StripShown() && dock_.WindowRect().Contains(x, y);
}

void TFormView::FormClose() {
  DebugTrace("FormClose");
  StopFlag = true;
  FreeEngine(true);
}

void TFormView::ReleaseEngine() { FreeEngine(false); }

void TFormView::FreeEngine(bool closing) {
  if (engine_freed_) return;
  engine_freed_ = true;
  idle_installed_ = false;

  DebugTrace("Project.Free");
  if (project_ && closing) project_->Destroy();
  project_.reset();
  DebugTrace("SysFuncMan.Free");
  sys_funcs_.reset();
  DebugTrace("ParamMan.Free");
  params_.reset();
  DebugTrace("VornFinalize");
  RemoveSceneSeams();
  FreeSceneGlobals();
  saved_scene_parts_seam_.Remove();
  saved_scene_parts_.reset();
  DebugTrace("MediaFinal");
  screen_control_seam_.Remove();
  if (media_started_) MediaFinal();
  media_started_ = false;
}

bool TFormView::OfferToTextFields(const platform::Event& event) {
  using platform::EventType;
  if (!base_panel_) return false;
  switch (event.type) {
    case EventType::kMouseDown:
    case EventType::kMouseUp:
    case EventType::kMouseMove:
    case EventType::kMouseWheel:
      // A press the scene or the strip took keeps its pointer events.
      if (mouse_on_panel_ || StripTakesPointer(event.x, event.y)) {
        if (event.type == EventType::kMouseMove) base_panel_->TextFields().HandleEvent(platform::Event{.type = EventType::kMouseLeave});
        return false;
      }
      break;
    default:
      break;
  }
  return base_panel_->TextFields().HandleEvent(event);
}

void TFormView::HandleEvent(const platform::Event& event) {
  using platform::EventType;
  const platform::Rect panel = panel_.bounds();
  if (OfferToTextFields(event)) {
    if (event.type == EventType::kMouseDown || event.type == EventType::kMouseUp || event.type == EventType::kMouseMove) {
      pointer_x_ = event.x;
      pointer_y_ = event.y;
      if (event.type == EventType::kMouseMove && context_.platform.cursors != nullptr) {
        context_.platform.cursors->SetPointerOverPanel(true);
      }
    }
    return;
  }
  switch (event.type) {
    case EventType::kClose:
      FormClose();
      break;
    case EventType::kActivate:
      Activate();
      break;
    case EventType::kDeactivate:
      Deactivate();
      break;
    case EventType::kMouseDown:
      pointer_x_ = event.x;
      pointer_y_ = event.y;
      if (StripTakesPointer(event.x, event.y)) {
        strip_form_.WindowMouseDown(event.button, event.shift, event.x, event.y, event.double_click);
      } else if (base_panel_ && panel.Contains(event.x, event.y)) {
        mouse_on_panel_ = true;
        window_.CaptureMouse(true);
        base_panel_->OnMouseDown(event.button, event.shift, event.x - panel.left, event.y - panel.top);
      }
      break;
    case EventType::kMouseUp:
      pointer_x_ = event.x;
      pointer_y_ = event.y;
      if (!mouse_on_panel_ && StripTakesPointer(event.x, event.y)) {
        strip_form_.WindowMouseUp(event.button, event.shift, event.x, event.y);
      } else if (base_panel_ && (mouse_on_panel_ || panel.Contains(event.x, event.y))) {
        if (mouse_on_panel_) window_.CaptureMouse(false);
        mouse_on_panel_ = false;
        base_panel_->OnMouseUp(event.button, event.shift, event.x - panel.left, event.y - panel.top);
      }
      break;
    case EventType::kMouseMove:
      pointer_x_ = event.x;
      pointer_y_ = event.y;
      if (!mouse_on_panel_ && StripTakesPointer(event.x, event.y)) {
        if (context_.platform.cursors != nullptr) context_.platform.cursors->SetPointerOverPanel(false);
        strip_form_.WindowMouseMove(event.shift, event.x, event.y);
        break;
      }
      if (context_.platform.cursors != nullptr) context_.platform.cursors->SetPointerOverPanel(true);
      // Off the strip: a hot strip button goes cold at once.
      strip_form_.WindowMouseMove(event.shift, event.x, event.y);
      if (base_panel_ && (mouse_on_panel_ || panel.Contains(event.x, event.y))) {
        base_panel_->OnMouseMove(event.shift, event.x - panel.left, event.y - panel.top);
      } else {
        WindowMouseMove(event.x, event.y);
      }
      break;
    case EventType::kMouseLeave:
      strip_form_.WindowMouseLeave();
      break;
    case EventType::kKeyDown:
      WindowKeyDown(event.key, event.repeat);
      break;
    case EventType::kKeyUp:
      WindowKeyUp(event.key);
      break;
    case EventType::kMouseWheel:
      WindowMouseWheel(event.wheel);
      break;
    case EventType::kUserMessage:
      UserMessage(event);
      break;
    case EventType::kEnterMenuLoop:
    case EventType::kEnterSizeMove:
      PauseAllMedia(false);
      break;
    case EventType::kExitMenuLoop:
    case EventType::kExitSizeMove:
      last_tick_ = context_.platform.clock.TimeGetTime();
      ResumeAllMedia(false);
      break;
    case EventType::kDisplayChange:
      ForwardVideoEvent(window_, kDisplayChangeMessage, event.wparam, event.lparam);
      break;
    case EventType::kExpose:
      if (base_panel_) base_panel_->Paint();
      break;
    case EventType::kTextInput:
    case EventType::kTextEditing:
      // No field holds the keyboard: the scene has no use for text.
      break;
  }
}

void TFormView::UserMessage(const platform::Event& event) {
  switch (event.message) {
    case kWmpEventFirst:
    case kWmpEventSecond:
    case kWmpEventThird:
      ForwardWmpEvent(window_, event.message, event.wparam, event.lparam);
      break;
    case kVideoEvent:
      ForwardVideoEvent(window_, event.message, event.wparam, event.lparam);
      break;
    case kRunFrameMessage:
      RunFrame();
      break;
    default:
      break;
  }
}

void TFormView::Activate() {
  window_.HoldScreenSaver(true);
  strip_form_.SetActive(true);
  if (!Bases) return;
  active_ = true;
  last_tick_ = context_.platform.clock.TimeGetTime();
  ResumeAllMedia(true);
}

void TFormView::Deactivate() {
  window_.HoldScreenSaver(false);
  strip_form_.SetActive(false);
  if (!Bases) return;
  active_ = false;
  PauseAllMedia(true);
  Bases->ClearKeys();
}

void TFormView::PauseAllMedia(bool deactivation) {
  // Deactivation leaves sound managers without items alone; the wave list is never made.
  auto sound = [deactivation](TMediaManager* manager) {
    return manager != nullptr && (!deactivation || !manager->items().empty());
  };
  if (VideoManager != nullptr) VideoManager->PauseAll();
  if (sound(WmpManager)) WmpManager->PauseAll();
  if (sound(OggManager)) OggManager->PauseAll();
  if (sound(CddaManager)) CddaManager->PauseAll();
  if (deactivation && CddaManager != nullptr) CddaManager->ApplyVolume();
  if (sound(MidiManager)) MidiManager->PauseAll();
}

void TFormView::ResumeAllMedia(bool activation) {
  auto sound = [activation](TMediaManager* manager) {
    return manager != nullptr && (!activation || !manager->items().empty());
  };
  if (VideoManager != nullptr) VideoManager->ResumeAll();
  if (sound(WmpManager)) WmpManager->ResumeAll();
  if (sound(OggManager)) OggManager->ResumeAll();
  if (activation && CddaManager != nullptr) CddaManager->ReadVolume();
  if (sound(CddaManager)) CddaManager->ResumeAll();
  if (sound(MidiManager)) MidiManager->ResumeAll();
}

void TFormView::PanelMouseDown(platform::MouseButton button, unsigned, int, int) {
  if (!active_ || !Bases) return;
  const bool left = button == platform::MouseButton::kLeft;
  const bool right = button == platform::MouseButton::kRight;
  for (int i = 0; i < 2; ++i) {
    Bases->GetBase(i)->Mouse().left_held = left ? 1 : 0;
    Bases->GetBase(i)->Mouse().right_held = right ? 1 : 0;
  }
  Bases->ActiveLayer()->Mouse().left_press_request = left ? 1 : 0;
  Bases->ActiveLayer()->Mouse().right_press_request = right ? 1 : 0;
}

void TFormView::PanelMouseUp(platform::MouseButton, unsigned, int, int) {
  if (!Bases) return;
  for (int i = 0; i < 2; ++i) {
    Bases->GetBase(i)->Mouse().left_held = 0;
    Bases->GetBase(i)->Mouse().right_held = 0;
  }
}

void TFormView::PanelMouseMove(unsigned, int x, int y) {
  if (Bases) {
    Bases->GetBase(0)->SetMousePos(x, y);
    Bases->GetBase(1)->SetMousePos(x, y);
  }
  const TScreenManager* screen = screen_manager();
  if (screen != nullptr && screen->IsFullScreen() && panel_.bounds().height >= window_.ClientSize().height) {
    ShowToolStrip(y == 0);
  }
}

void TFormView::WindowMouseMove(int, int y) {
  const TScreenManager* screen = screen_manager();
  if (screen != nullptr && screen->IsFullScreen() && panel_.bounds().height < window_.ClientSize().height) {
    ShowToolStrip(y == 0);
  }
}

void TFormView::PanelKeyDown(int key) {
  if (!active_ || !Bases || key < 0 || key >= kFirstNonKey) return;
  Bases->SetKeyDown(key, true);
  Bases->SetKeyClick(key, true);
}

void TFormView::PanelKeyUp(int key) {
  if (!Bases || key < 0 || key >= kFirstNonKey) return;
  Bases->SetKeyDown(key, false);
}

void TFormView::WindowKeyDown(int key, bool repeat) {
  // A repeat means the key was already down: holding a key latches one click.
  if (repeat || !active_) return;
  PanelKeyDown(key);
}

void TFormView::WindowKeyUp(int key) { PanelKeyUp(key); }

void TFormView::WindowMouseWheel(int wheel) {
  if (!Bases || wheel == 0) return;
  if (wheel < 0) {
    Bases->ActiveLayer()->Mouse().wheel_down_request = 1;
  } else {
    Bases->ActiveLayer()->Mouse().wheel_up_request = 1;
  }
}

void TFormView::DXSoundInitialize() {
  if (TDirectSoundBuffer* primary = dx_sound_.Primary()) {
    primary->SetFormat(MakePCMWaveFormat(kPrimarySamplesPerSecond, kPrimaryBits, kPrimaryChannels));
  }
}

void TFormView::DXSoundRestore() {
  if (WmpManager != nullptr) WmpManager->Restore();
  if (OggManager != nullptr) OggManager->Restore();
}

std::int32_t TFormView::ScreenControl::GetDisplayModeCount() const {
  const TScreenManager* screen = form_.screen_manager();
  return screen != nullptr ? screen->GetModeCount() : 0;
}

bool TFormView::ScreenControl::GetDisplayMode(std::int32_t index, TDisplayModeInfo& mode) const {
  const TScreenManager* screen = form_.screen_manager();
  if (screen == nullptr || index < 0 || index >= screen->GetModeCount()) return false;
  const TDisplayModeRecord record = screen->GetMode(index);
  mode = TDisplayModeInfo{record.Width, record.Height, record.BitsPerPixel, record.RefreshRate};
  return true;
}

std::int32_t TFormView::ScreenControl::GetChosenMode() const {
  const TScreenManager* screen = form_.screen_manager();
  return screen != nullptr ? screen->ChosenMode() : -1;
}

void TFormView::ScreenControl::SetChosenMode(std::int32_t index) {
  if (TScreenManager* screen = form_.screen_manager()) screen->SetChosenMode(index);
}

std::int32_t TFormView::ScreenControl::GetCurrentMode() const {
  const TScreenManager* screen = form_.screen_manager();
  return screen != nullptr ? screen->CurrentMode() : -1;
}

TScreenManager* TFormView::screen_manager() const { return media_started_ ? ScreenManager : nullptr; }

bool TFormView::IsFullScreen() const {
  const TScreenManager* screen = screen_manager();
  return screen != nullptr && screen->IsFullScreen();
}

platform::Size TFormView::WindowedClientSize() const {
  return platform::Size{Bases->GetWidth(), Bases->GetHeight() + dock_.Height()};
}

void TFormView::ShowToolStrip(bool shown) {
  if (StripShown() == shown) return;
  const platform::Rect strip{0, 0, window_.ClientSize().width, dock_.Height()};
  if (shown) {
    // The toolbar, the dock's new size and the paint go to the screen as one rectangle.
    TStripUpdateHold hold(&strip_form_);
    toolbar_.SetVisible(true);
    panel_.SetCoveredAbove(dock_.Height());
    PaintToolStrip();
    return;
  }
  toolbar_.SetVisible(false);
  panel_.SetCoveredAbove(dock_.Height());
  // The rows the strip covered show what is under them again: black outside the panel, the
  // screen surface inside it.
  window_.Canvas().FillRect(strip, 0);
  window_.Flush(std::span<const platform::Rect>(&strip, 1));
  TScreenManager* screen = screen_manager();
  if (screen == nullptr || screen->GetSurface() == nullptr) return;
  const platform::Rect panel = panel_.bounds();
  const platform::Rect uncovered = platform::Intersect(strip, panel);
  if (uncovered.empty()) return;
  TScenePresentation frame;
  frame.Surface = screen->GetSurface();
  frame.OwnDirty = TRect{uncovered.left - panel.left, uncovered.top - panel.top, uncovered.right() - panel.left,
                         uncovered.bottom() - panel.top};
  screen->Present(&frame);
}

void TFormView::RepaintFrame() {
  platform::Framebuffer& canvas = window_.Canvas();
  canvas.FillRect(canvas.bounds(), 0);
  const platform::Rect all = canvas.bounds();
  window_.Flush(std::span<const platform::Rect>(&all, 1));
  PaintToolStrip();
}

void TFormView::SetFullScreen(bool on) {
  TScreenManager* screen = screen_manager();
  if (screen == nullptr || !Bases) return;
  if (on == screen->IsFullScreen()) return;
  if (on && !screen->FullScreenOffered()) return;
  Bases->ReleaseSurfaces();
  MediaSuspendVideos();
  const platform::Size scene{Bases->GetWidth(), Bases->GetHeight()};
  if (on) {
    ShowToolStrip(false);
    screen->Release();
    saved_placement_ = window_.GetPlacement();
    window_.SetBordered(false);
    window_.SetPosition(0, 0);
    window_.SetClientSize(scene);
    screen->SetMode(screen->ChosenMode());
    if (screen->CurrentMode() != screen->ChosenMode()) {
      window_.SetPlacement(saved_placement_);
      window_.SetBordered(true);
      window_.SetClientSize(WindowedClientSize());
    }
  } else {
    ShowToolStrip(true);
    screen->Release();
    window_.SetPlacement(saved_placement_);
    window_.SetBordered(true);
    window_.SetClientSize(WindowedClientSize());
    screen->SetMode(TScreenManager::kWindowed);
  }
  MediaSetHandles(window_, panel_);
  PlacePanel();
  RepaintFrame();
  Bases->RestoreSurfaces();
  MediaResumeVideos();
}

void TFormView::ReapplyFullScreen() {
  TScreenManager* screen = screen_manager();
  if (screen == nullptr || !Bases || !screen->IsFullScreen()) return;
  const int chosen = screen->ChosenMode();
  if (!screen->FullScreenOffered() || chosen == screen->CurrentMode()) return;
  // The surfaces go and come back around the switch, as for SetFullScreen: a mode of another
  // depth must not leave the layers at the old one.
  Bases->ReleaseSurfaces();
  MediaSuspendVideos();
  const platform::Size scene{Bases->GetWidth(), Bases->GetHeight()};
  screen->Release();
  window_.SetBordered(false);
  window_.SetPosition(0, 0);
  window_.SetClientSize(scene);
  screen->SetMode(chosen);
  if (screen->CurrentMode() != chosen) {
    window_.SetPlacement(saved_placement_);
    window_.SetBordered(true);
    window_.SetClientSize(WindowedClientSize());
  }
  PlacePanel();
  RepaintFrame();
  Bases->RestoreSurfaces();
  MediaResumeVideos();
}

void TFormView::SetCursorX(int x) {
  pointer_x_ = panel_.bounds().left + x;
  window_.WarpPointer(pointer_x_, pointer_y_);
}

void TFormView::SetCursorY(int y) {
  pointer_y_ = panel_.bounds().top + y;
  window_.WarpPointer(pointer_x_, pointer_y_);
}

bool TFormView::ApplicationEventsIdle() {
  // The strip's timers run first, whatever else stops the frames; while one runs the loop must
  // not block, so the wait goes up to its due time instead.
  strip_form_.PollTimers();
  // Downloads go on in every pass, frames or not (an inactive window runs no frames).
  NetPump::Instance().Service();
  const std::optional<std::uint32_t> strip_due = strip_form_.NextTimerDue();
  const auto done = [&]() {
    // With live downloads the message loop waits for them (platform::BackgroundWork).
    if (!strip_due) return true;
    platform::Clock& clock = context_.platform.clock;
    const std::int32_t wait = static_cast<std::int32_t>(*strip_due - clock.TimeGetTime());
    if (wait > 0) clock.Sleep(static_cast<std::uint32_t>(wait));
    return false;
  };
  if (!idle_installed_) return done();
  const bool has_screen_manager = screen_manager() != nullptr;
  if (StopFlag || !active_ || context_.platform.application.Terminating() || !has_screen_manager) return done();

  platform::Clock& clock = context_.platform.clock;
  const std::uint32_t now = clock.TimeGetTime();
  // Unsigned difference: the timer wraps, and a gap that would read as negative counts as a stall.
  const std::uint32_t gap = now - last_tick_;
  if (gap > kMaxFrameGapMs) {
    last_tick_ = now;
    return false;
  }
  AdvanceGameClock(gap);
  FrameDelta = static_cast<std::int32_t>(gap);
  last_tick_ = now;

  RunFrame();

  if (project_ && project_->settings.fixed_wait) {
    const std::uint32_t elapsed = clock.TimeGetTime() - now;
    const std::int64_t rest = static_cast<std::int64_t>(FrameWait) - static_cast<std::int64_t>(elapsed);
    clock.Sleep(static_cast<std::uint32_t>(std::max(kMinFrameSleepMs, rest)));
  }
  return false;
}

void TFormView::RunFrame() {
  if (!project_) return;
  NetPump::Instance().Service();
  context_.file_manager.TickLockList(FrameDelta);
  context_.file_manager.DeleteReleasedTempFiles();
  if (Bases) Bases->ProcessInput();
  project_->Step();
  if (StopFlag) return;
  if (Bases) Bases->Tick();
  IncrementFrameCount();
  const bool loaded = project_->ProcessPending();
  if (loaded) draw_skip_ = 1;
  if (draw_skip_ > 0) {
    --draw_skip_;
    return;
  }
  if (Bases) Bases->Paint();
  if (TScreenManager* screen = screen_manager(); screen != nullptr && Bases) {
    TScenePresentation frame;
    frame.Surface = screen->GetSurface();
    frame.OwnDirty = Bases->TransitionRect();
    frame.LayerDirty[0] = &Bases->GetBase(0)->DirtyRects();
    frame.LayerDirty[1] = &Bases->GetBase(1)->DirtyRects();
    frame.ActiveLayer = Bases->GetActiveLayerIndex();
    frame.Zoom = Bases->GetDisplayScale();
    screen->Present(&frame);
    // The presentation drew over the videos and text fields on the panel.
    if (base_panel_) base_panel_->RepaintVideos();
  }
  if (base_panel_) base_panel_->DrawChangedTextFields();
}

void TFormView::QuitButtonClick() {
  const bool remembered = StopFlag;
  StopFlag = true;  // no frame runs while the question is open
  const std::string title = project_ ? project_->settings.title : std::string();
  platform::MessageBoxRequest box;
  box.text = FormatWithTitle(texts::kQuitConfirmFormat, title);
  box.caption = title;
  box.icon = platform::MessageIcon::kQuestion;
  box.buttons = platform::MessageButtons::kYesNo;
  box.owner = &window_;
  if (context_.platform.boxes.Show(box) == platform::MessageAnswer::kYes) {
    window_.PostClose();
  } else {
    StopFlag = remembered;
  }
}

void TFormView::ScreenSwitchButtonClick() { SetFullScreen(!IsFullScreen()); }

}  // namespace vorn
