#include "app/form_view.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/engine_values.h"
#include "engine/run_time_random.h"
#include "foundation/debug_trace.h"
#include "foundation/desktop.h"
#include "foundation/host_names.h"
#include "foundation/system_texts.h"
#include "graphics/screen_manager_standin.h"
#include "platform/ini_file.h"

namespace vorn {
namespace {

constexpr std::uint32_t kMaxFrameGapMs = 3000;
constexpr std::int64_t kMinFrameSleepMs = 2;
constexpr int kToolbarHeight = 18;
constexpr int kButtonWidth = 67;
constexpr int kButtonHeight = 18;

// The title goes in as an argument, never as a format of its own ("%" in a title stays "%").
std::string FormatWithTitle(std::string_view format, const std::string& title) {
  std::string text(format);
  const auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, title);
  return text;
}

// The system's name of a host path; none when the path has no CP932 form (the system could not
// have named it, so it is passed over).
std::string SystemNameOr(const std::string& host_path, const std::string& fallback) {
  try {
    return SystemNameOfHostPath(host_path);
  } catch (const Exception&) {
    return fallback;
  }
}

bool EndsWithVo(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 2) return false;
  in.seekg(size - 2);
  char tail[2] = {};
  in.read(tail, 2);
  return in.gcount() == 2 && tail[0] == 'v' && tail[1] == 'o';
}

}  // namespace

TFormView::TFormView(FormViewContext context)
    : context_(std::move(context)), window_(context_.window), panel_(context_.window) {}

TFormView::~TFormView() {
  ReleaseEngine();
  if (services_installed_) {
    SetScriptHost(previous_host_);
    SetScriptFiles(previous_files_);
  }
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
  previous_files_ = SetScriptFiles(script_files_.get());
  previous_host_ = SetScriptHost(&script_host_);
  services_installed_ = true;

  toolbar_.border = false;
  toolbar_.height = kToolbarHeight;
  dock_.Insert(&toolbar_);
  quit_button_.caption = std::string(texts::kQuitButtonCaption);
  quit_button_.width = kButtonWidth;
  quit_button_.height = kButtonHeight;
  quit_button_.on_click = [this] { QuitButtonClick(); };
  toolbar_.AddButton(&quit_button_);
  switch_button_.caption = std::string(texts::kScreenSwitchButtonCaption);
  switch_button_.width = kButtonWidth;
  switch_button_.height = kButtonHeight;
  switch_button_.on_click = [this] { ScreenSwitchButtonClick(); };
  toolbar_.AddButton(&switch_button_);
  dock_.SetHeight(quit_button_.height + 4);

  MountData();

  DebugTrace("TBasePanel.Create");
  base_panel_ = std::make_unique<TBasePanelStandIn>(panel_);
  base_panel_->OnMouseDown = [this](platform::MouseButton b, unsigned s, int x, int y) { PanelMouseDown(b, s, x, y); };
  base_panel_->OnMouseMove = [this](unsigned s, int x, int y) { PanelMouseMove(s, x, y); };
  base_panel_->OnMouseUp = [this](platform::MouseButton b, unsigned s, int x, int y) { PanelMouseUp(b, s, x, y); };
  base_panel_->OnKeyDown = [this](int key) { PanelKeyDown(key); };
  base_panel_->OnKeyUp = [this](int key) { PanelKeyUp(key); };

  params_ = std::make_unique<TParamCollection>();
  sys_funcs_ = std::make_unique<TSysFuncManStandIn>();

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

void TFormView::MountData() {
  TVrFileManager& files = context_.file_manager;
  const std::vector<std::string>& arguments = context_.arguments;
  if (arguments.empty()) {
    files.SetBaseDir(SystemNameOr(context_.executable_dir, std::string()));
    // No executable resources here: an archive appended to the executable serves the same use.
    const std::string self = SystemNameOr(context_.executable_path, std::string());
    if (!self.empty() && EndsWithVo(context_.executable_path)) files.AddArchive(self);
    return;
  }
  std::string base = arguments.front();
  if (!base.empty() && base.back() != '/') base += '/';
  files.SetBaseDir(SystemNameOr(base, std::string()));
  for (const std::string& argument : arguments) {
    std::string dir = argument;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    const std::string archive = platform::FindInDirectory(dir, "game.dat");
    std::error_code error;
    const std::string name = SystemNameOr(archive, std::string());
    if (!name.empty() && std::filesystem::is_regular_file(archive, error)) files.AddArchive(name);
  }
}

void TFormView::StartEngine() {
  if (sound_options_.direct_sound) {
    DebugTrace("DXSound.Initialize");
    try {
      dx_sound_.Initialize();
    } catch (...) {
      // The player runs on without DirectSound.
    }
  }

  DebugTrace("VornInitialize");
  scene_ = base_panel_->CreateScene();

  DebugTrace("TProject.Create");
  TProjectEnvironment environment;
  environment.files = &context_.file_manager;
  environment.params = params_.get();
  environment.data_directory_given = !context_.arguments.empty();
  environment.executable_dir = SystemNameOr(context_.executable_dir, std::string());
  if (context_.arguments.empty()) {
    environment.save_dir = environment.executable_dir;
  } else {
    std::string first = context_.arguments.front();
    if (!first.empty() && first.back() != '/') first += '/';
    environment.save_dir = SystemNameOr(first, std::string());
  }
  environment.set_title = [this](const std::string& title) { SetProjectTitle(title); };
  project_ = std::make_unique<TProject>(std::move(environment));
  const TProjectSettings& settings = project_->settings;

  DebugTrace("MediaInit");
  media_ = MediaInit(MediaInitParams{&window_, &panel_, settings.screen_width, settings.screen_height,
                                     settings.full_screen_width, settings.full_screen_height});

  DebugTrace("VornInitColor");
  BuildGreyTables();

  const int width = settings.screen_width;
  const int height = settings.screen_height;
  window_.SetClientSize(platform::Size{width, height + dock_.Height()});
  const platform::Size outer = window_.OuterSize();
  const TRect work = GetDesktopWorkArea(context_.platform.application);
  window_.SetPosition(work.left + (work.Width() - outer.width) / 2, work.top + (work.Height() - outer.height) / 2);

  Bases->SetWidth(width);
  Bases->SetHeight(height);

  const platform::Size client = window_.ClientSize();
  const bool full_screen = media_->screen_manager && media_->screen_manager->FullScreen();
  const int panel_left = (client.width - Bases->GetWidth()) / 2;
  const int panel_top = full_screen ? (client.height - Bases->GetHeight()) / 2 : dock_.Height();
  panel_.SetBounds(platform::Rect{panel_left, panel_top, Bases->GetWidth(), Bases->GetHeight()});

  dock_.SetWidth(client.width);
  PaintToolStrip();
}

void TFormView::PaintToolStrip() {
  dock_.Paint(window_.Canvas());
  const platform::Rect strip = dock_.bounds();
  window_.Flush(std::span<const platform::Rect>(&strip, 1));
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
  FreeSceneGlobals(scene_);
  DebugTrace("MediaFinal");
  MediaFinal(media_);
}

void TFormView::HandleEvent(const platform::Event& event) {
  using platform::EventType;
  const platform::Rect panel = panel_.bounds();
  switch (event.type) {
    case EventType::kClose:
      FormClose();
      break;
    case EventType::kActivate:
      active_ = true;
      last_tick_ = context_.platform.clock.TimeGetTime();
      break;
    case EventType::kDeactivate:
      active_ = false;
      break;
    case EventType::kMouseDown:
      if (dock_.MouseDown(event.x, event.y)) {
        mouse_on_dock_ = true;
      } else if (base_panel_ && panel.Contains(event.x, event.y)) {
        base_panel_->OnMouseDown(event.button, event.shift, event.x - panel.left, event.y - panel.top);
      }
      break;
    case EventType::kMouseUp:
      if (mouse_on_dock_) {
        mouse_on_dock_ = false;
        dock_.MouseUp(event.x, event.y);
      } else if (base_panel_) {
        base_panel_->OnMouseUp(event.button, event.shift, event.x - panel.left, event.y - panel.top);
      }
      break;
    case EventType::kMouseMove:
      if (base_panel_) base_panel_->OnMouseMove(event.shift, event.x - panel.left, event.y - panel.top);
      break;
    case EventType::kKeyDown:
      if (base_panel_) base_panel_->OnKeyDown(event.key);
      break;
    case EventType::kKeyUp:
      if (base_panel_) base_panel_->OnKeyUp(event.key);
      break;
    case EventType::kExpose:
    case EventType::kMouseWheel:
    case EventType::kUserMessage:
      break;
  }
}

bool TFormView::ApplicationEventsIdle() {
  if (!idle_installed_) return true;
  const bool has_screen_manager = media_ && media_->screen_manager;
  if (StopFlag || !active_ || context_.platform.application.Terminating() || !has_screen_manager) return true;

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
  context_.file_manager.TickLockList(FrameDelta);
  context_.file_manager.DeleteReleasedTempFiles();
  if (Bases) Bases->ProcessInput();
  project_->Step();
  if (StopFlag) return;
  if (Bases) Bases->Tick();
  IncrementFrameCount();
  const bool loaded = project_->RunPendingLoad();
  project_->RunPendingSave();
  if (loaded) draw_skip_ = 1;
  if (draw_skip_ > 0) {
    --draw_skip_;
    return;
  }
  if (Bases) Bases->Paint();
  if (media_ && media_->screen_manager) media_->screen_manager->Present();
  if (Bases) {
    Bases->GetBase(0).ClearDirty();
    Bases->GetBase(1).ClearDirty();
  }
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

void TFormView::ScreenSwitchButtonClick() {
  // Switching to full screen comes with the screen manager.
}

}  // namespace vorn
