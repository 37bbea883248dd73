#include <SDL.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/background_work.h"
#include "platform/display_format.h"
#include "platform/main_thread_tasks.h"
#include "platform/sdl/sdl_key_codes.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_surfaces.h"
#include "platform/text_converter.h"

namespace vorn::platform::sdl {
namespace {

// The user-event code that stands for a posted close (WM_CLOSE's number).
constexpr Sint32 kPostedClose = 0x0010;
// Work was posted to the main thread (from any thread).
constexpr Sint32 kTasksPosted = 0x0011;

unsigned ShiftState() {
  unsigned shift = 0;
  const SDL_Keymod mod = SDL_GetModState();
  if (mod & KMOD_SHIFT) shift |= kShiftKey;
  if (mod & KMOD_ALT) shift |= kAltKey;
  if (mod & KMOD_CTRL) shift |= kCtrlKey;
  const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
  if (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) shift |= kLeftButtonHeld;
  if (buttons & SDL_BUTTON(SDL_BUTTON_RIGHT)) shift |= kRightButtonHeld;
  if (buttons & SDL_BUTTON(SDL_BUTTON_MIDDLE)) shift |= kMiddleButtonHeld;
  return shift;
}

MouseButton ButtonOf(Uint8 button) {
  if (button == SDL_BUTTON_RIGHT) return MouseButton::kRight;
  if (button == SDL_BUTTON_MIDDLE) return MouseButton::kMiddle;
  return MouseButton::kLeft;
}

class SdlWindow final : public Window {
 public:
  SdlWindow(SDL_Window* window, Size client, std::uint32_t user_event_type)
      : window_(window), canvas_(client.width, client.height), user_event_type_(user_event_type) {}
  ~SdlWindow() override { SDL_DestroyWindow(window_); }

  void SetCaption(std::string_view cp932) override {
    SDL_SetWindowTitle(window_, Cp932ToUtf8(cp932).c_str());
  }
  void SetClientSize(Size size) override {
    SDL_SetWindowSize(window_, size.width, size.height);
    canvas_.Resize(size.width, size.height);
  }
  Size ClientSize() const override { return Size{canvas_.width(), canvas_.height()}; }
  Size OuterSize() const override {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
    return Size{canvas_.width() + left + right, canvas_.height() + top + bottom};
  }
  void SetPosition(int left, int top) override {
    int border_top = 0, border_left = 0;
    if (SDL_GetWindowBordersSize(window_, &border_top, &border_left, nullptr, nullptr) != 0) {
      border_top = border_left = 0;
    }
    SDL_SetWindowPosition(window_, left + border_left, top + border_top);
  }
  void Show() override {
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    SDL_SetWindowInputFocus(window_);
    FlushAll();
  }
  void PostClose() override { Push(kPostedClose, 0, 0); }
  void PostUserMessage(std::uint32_t message, std::intptr_t wparam, std::intptr_t lparam) override {
    Push(static_cast<Sint32>(message), wparam, lparam);
  }
  Framebuffer& Canvas() override { return canvas_; }
  void StartTextInput(const Rect& caret) override {
    SDL_Rect rect{caret.left, caret.top, caret.width, caret.height};
    SDL_SetTextInputRect(&rect);
    if (SDL_IsTextInputActive() == SDL_FALSE) SDL_StartTextInput();
  }
  void StopTextInput() override {
    if (SDL_IsTextInputActive() != SDL_FALSE) SDL_StopTextInput();
  }
  void Flush(std::span<const Rect> rects) override {
    // The window surface is fetched anew each time: a size change invalidates the old one.
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (target == nullptr || canvas_.width() == 0 || canvas_.height() == 0) return;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(canvas_.data(), canvas_.width(), canvas_.height(), 32,
                                                             canvas_.width() * 4, SDL_PIXELFORMAT_RGB888);
    if (source == nullptr) return;
    std::vector<SDL_Rect> updated;
    for (const Rect& rect : rects) {
      const Rect area = Intersect(rect, canvas_.bounds());
      if (area.empty()) continue;
      SDL_Rect from{area.left, area.top, area.width, area.height};
      SDL_Rect to = from;
      SDL_BlitSurface(source, &from, target, &to);
      updated.push_back(from);
    }
    SDL_FreeSurface(source);
    if (!updated.empty()) SDL_UpdateWindowSurfaceRects(window_, updated.data(), static_cast<int>(updated.size()));
  }
  bool Closed() const override { return closed_; }
  void* NativeHandle() const override { return window_; }

  // Straight into the window surface when it holds 8-8-8 words: one conversion, no shadow copy.
  // The panel's pixels are then not in the canvas; an exposure has the owner present again.
  Rect PresentPixels(const SourcePixels& src, const Rect& src_rect, const Rect& dest, const Rect& clip) override {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (target == nullptr || target->format == nullptr || target->format->BytesPerPixel != 4 ||
        target->format->Rmask != 0xFF0000u || target->format->Gmask != 0xFF00u || target->format->Bmask != 0xFFu) {
      return Window::PresentPixels(src, src_rect, dest, clip);
    }
    if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return Rect{};
    const Rect touched = BlitSourcePixels(static_cast<std::uint32_t*>(target->pixels), target->pitch / 4, target->w,
                                          target->h, src, src_rect, dest, clip);
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    if (!touched.empty()) {
      const SDL_Rect area{touched.left, touched.top, touched.width, touched.height};
      SDL_UpdateWindowSurfaceRects(window_, &area, 1);
    }
    return touched;
  }

  void SetBordered(bool bordered) override {
    SDL_SetWindowBordered(window_, bordered ? SDL_TRUE : SDL_FALSE);
    bordered_ = bordered;
  }
  bool Bordered() const override { return bordered_; }
  WindowPlacement GetPlacement() const override {
    int x = 0, y = 0, border_top = 0, border_left = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    if (SDL_GetWindowBordersSize(window_, &border_top, &border_left, nullptr, nullptr) != 0) {
      border_top = border_left = 0;
    }
    return WindowPlacement{x - border_left, y - border_top, ClientSize()};
  }
  void SetPlacement(const WindowPlacement& placement) override {
    SetClientSize(placement.client);
    SetPosition(placement.left, placement.top);
  }
  bool SetFullScreenMode(const DisplayMode* mode) override {
    if (mode == nullptr) {
      if (!full_screen_) return true;
      SDL_SetWindowFullscreen(window_, 0);
      full_screen_ = false;
      SyncCanvasSize();
      return true;
    }
    SDL_DisplayMode wanted{};
    wanted.w = mode->width;
    wanted.h = mode->height;
    wanted.refresh_rate = mode->refreshRate;
    const int bits = mode->bitsPerPixel == 16 && Is555(*mode) ? 15 : mode->bitsPerPixel;
    wanted.format = SDL_MasksToPixelFormatEnum(bits, mode->redMask, mode->greenMask, mode->blueMask, 0);
    if (SDL_SetWindowDisplayMode(window_, &wanted) != 0) return false;
    if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) != 0) return false;
    SDL_DisplayMode got{};
    if (SDL_GetWindowDisplayMode(window_, &got) != 0 || got.w != mode->width || got.h != mode->height) {
      SDL_SetWindowFullscreen(window_, 0);
      return false;
    }
    full_screen_ = true;
    canvas_.Resize(got.w, got.h);
    return true;
  }
  void WarpPointer(int x, int y) override { SDL_WarpMouseInWindow(window_, x, y); }
  void CaptureMouse(bool captured) override { SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE); }
  void HoldScreenSaver(bool held) override {
    if (held) {
      SDL_DisableScreenSaver();
    } else {
      SDL_EnableScreenSaver();
    }
  }

  void FlushAll() {
    const Rect all = canvas_.bounds();
    Flush(std::span<const Rect>(&all, 1));
  }
  void MarkClosed() {
    closed_ = true;
    SDL_HideWindow(window_);
  }
  Uint32 id() const { return SDL_GetWindowID(window_); }
  bool full_screen() const { return full_screen_; }
  SDL_Window* sdl_window() const { return window_; }

 private:
  void SyncCanvasSize() {
    int width = 0, height = 0;
    SDL_GetWindowSize(window_, &width, &height);
    canvas_.Resize(width, height);
  }

  void Push(Sint32 code, std::intptr_t wparam, std::intptr_t lparam) {
    SDL_Event event{};
    event.type = user_event_type_;
    event.user.windowID = id();
    event.user.code = code;
    event.user.data1 = reinterpret_cast<void*>(wparam);
    event.user.data2 = reinterpret_cast<void*>(lparam);
    SDL_PushEvent(&event);
  }

  SDL_Window* window_;
  Framebuffer canvas_;
  std::uint32_t user_event_type_;
  bool closed_ = false;
  bool bordered_ = true;
  bool full_screen_ = false;
};

// Bits as the display reports them: 32 for every four-byte format, 16 for 5-5-5 and 5-6-5.
DisplayMode ModeFromSdl(const SDL_DisplayMode& sdl) {
  DisplayMode mode;
  mode.width = sdl.w;
  mode.height = sdl.h;
  mode.refreshRate = sdl.refresh_rate;
  const int bytes = SDL_BYTESPERPIXEL(sdl.format);
  mode.bitsPerPixel = bytes == 4 ? 32 : bytes == 3 ? 24 : bytes == 2 ? 16 : static_cast<int>(SDL_BITSPERPIXEL(sdl.format));
  int bpp = 0;
  Uint32 red = 0, green = 0, blue = 0, alpha = 0;
  if (SDL_PixelFormatEnumToMasks(sdl.format, &bpp, &red, &green, &blue, &alpha) == SDL_TRUE) {
    mode.redMask = red;
    mode.greenMask = green;
    mode.blueMask = blue;
  }
  return mode;
}

class SdlDisplayConnection final : public DisplayConnection {
 public:
  explicit SdlDisplayConnection(SdlWindow& window) : window_(window) {}
  ~SdlDisplayConnection() override { LeaveFullScreen(); }

  bool CurrentMode(DisplayMode& mode) override {
    SDL_DisplayMode sdl{};
    const int result = window_.full_screen() ? SDL_GetWindowDisplayMode(window_.sdl_window(), &sdl)
                                             : SDL_GetCurrentDisplayMode(DisplayIndex(), &sdl);
    if (result != 0 || sdl.format == 0) return false;
    mode = ModeFromSdl(sdl);
    return true;
  }
  bool EnumerateModes(std::vector<DisplayMode>& modes) override {
    const int count = SDL_GetNumDisplayModes(DisplayIndex());
    if (count < 0) return false;
    modes.clear();
    for (int i = 0; i < count; ++i) {
      SDL_DisplayMode sdl{};
      if (SDL_GetDisplayMode(DisplayIndex(), i, &sdl) == 0) modes.push_back(ModeFromSdl(sdl));
    }
    return true;
  }
  bool EnterFullScreen(const DisplayMode& mode) override { return window_.SetFullScreenMode(&mode); }
  void LeaveFullScreen() override { window_.SetFullScreenMode(nullptr); }
  std::unique_ptr<SurfaceService> CreateSurfaceService() override {
    return CreateWindowSurfaceService(window_.sdl_window());
  }

 private:
  int DisplayIndex() const {
    const int index = SDL_GetWindowDisplayIndex(window_.sdl_window());
    return index < 0 ? 0 : index;
  }

  SdlWindow& window_;
};

}  // namespace

std::unique_ptr<DisplayConnection> SdlDisplayService::Open(Window& window) {
  auto* sdl_window = dynamic_cast<SdlWindow*>(&window);
  if (sdl_window == nullptr || SDL_WasInit(SDL_INIT_VIDEO) == 0) return nullptr;
  return std::make_unique<SdlDisplayConnection>(*sdl_window);
}

SdlApplication::SdlApplication(std::string video_driver) : video_driver_(std::move(video_driver)) {}

SdlApplication::~SdlApplication() {
  if (initialized_) {
    MainTasks().SetWaker(nullptr);
    SDL_Quit();
  }
}

bool SdlApplication::Initialize(std::string& reason) {
  if (!video_driver_.empty()) SDL_SetHint(SDL_HINT_VIDEODRIVER, video_driver_.c_str());
  // The window surface is filled by our own code and copied as is; a GPU texture in between only
  // loads the GL stack (which keeps allocations past its unloading).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // Compositions of any length arrive whole, and the input method shows its candidate window.
  SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
  SDL_SetHint(SDL_HINT_IME_SHOW_UI, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    reason = SDL_GetError();
    return false;
  }
  initialized_ = true;
  // On by default, text input would let an input method eat the scene's keys: it runs only while
  // a writable text field holds the keyboard.
  SDL_StopTextInput();
  user_event_type_ = SDL_RegisterEvents(1);
  // SDL_PushEvent is safe from any thread, so a post from a worker wakes a loop asleep in SDL.
  MainTasks().SetWaker([type = user_event_type_] {
    SDL_Event wake{};
    wake.type = type;
    wake.user.code = kTasksPosted;
    SDL_PushEvent(&wake);
  });
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.format != 0) {
    // A 15-bit desktop still stores 16 bits a pixel; only its 16-bit layout differs.
    SetDisplayFormat(DisplayFormat{static_cast<int>(SDL_BYTESPERPIXEL(desktop.format)) * 8,
                                   Display16FormatFor(SDL_BITSPERPIXEL(desktop.format))});
  }
  return true;
}

std::unique_ptr<Window> SdlApplication::CreateMainWindow(Size client, std::string_view caption_cp932) {
  SDL_Window* window = SDL_CreateWindow(Cp932ToUtf8(caption_cp932).c_str(), SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, client.width, client.height, SDL_WINDOW_HIDDEN);
  if (window == nullptr) throw std::runtime_error(std::string("cannot create the window: ") + SDL_GetError());
  terminating_ = false;
  return std::make_unique<SdlWindow>(window, client, user_event_type_);
}

std::unique_ptr<Window> SdlApplication::CreateDialogWindow(Size client, std::string_view caption_cp932) {
  SDL_Window* window = SDL_CreateWindow(Cp932ToUtf8(caption_cp932).c_str(), SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, client.width, client.height, SDL_WINDOW_HIDDEN);
  if (window == nullptr) throw std::runtime_error(std::string("cannot create the window: ") + SDL_GetError());
  return std::make_unique<SdlWindow>(window, client, user_event_type_);
}

Rect SdlApplication::WorkArea() {
  SDL_Rect area{};
  if (SDL_GetDisplayUsableBounds(0, &area) != 0 && SDL_GetDisplayBounds(0, &area) != 0) {
    return Rect{0, 0, 640, 480};
  }
  return Rect{area.x, area.y, area.w, area.h};
}

void SdlApplication::DropFocusEvents() {
  SDL_PumpEvents();
  std::vector<SDL_Event> kept;
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT) > 0) {
    if (event.window.event != SDL_WINDOWEVENT_FOCUS_GAINED && event.window.event != SDL_WINDOWEVENT_FOCUS_LOST) {
      kept.push_back(event);
    }
  }
  for (SDL_Event& again : kept) SDL_PushEvent(&again);
}

bool SdlApplication::Dispatch(const void* sdl_event, Window* main, EventSink& sink) {
  const SDL_Event& e = *static_cast<const SDL_Event*>(sdl_event);
  auto* window = static_cast<SdlWindow*>(main);
  Event event;
  bool close = false;
  if (e.type == SDL_QUIT) {
    close = true;
  } else if (e.type == SDL_WINDOWEVENT) {
    switch (e.window.event) {
      case SDL_WINDOWEVENT_CLOSE: close = true; break;
      case SDL_WINDOWEVENT_FOCUS_GAINED: event.type = EventType::kActivate; break;
      case SDL_WINDOWEVENT_FOCUS_LOST: event.type = EventType::kDeactivate; break;
      case SDL_WINDOWEVENT_LEAVE: event.type = EventType::kMouseLeave; break;
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (window != nullptr) window->FlushAll();
        event.type = EventType::kExpose;
        break;
      default: return false;
    }
  } else if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) {
    event.type = e.type == SDL_KEYDOWN ? EventType::kKeyDown : EventType::kKeyUp;
    event.key = VirtualKeyFromScancode(e.key.keysym.scancode, HostKeyLayout());
    event.repeat = e.key.repeat != 0;
    event.shift = ShiftState();
  } else if (e.type == SDL_TEXTINPUT) {
    event.type = EventType::kTextInput;
    event.text = e.text.text;
  } else if (e.type == SDL_TEXTEDITING) {
    event.type = EventType::kTextEditing;
    event.text = e.edit.text;
    event.text_cursor = e.edit.start;
  } else if (e.type == SDL_TEXTEDITING_EXT) {
    event.type = EventType::kTextEditing;
    if (e.editExt.text != nullptr) {
      event.text = e.editExt.text;
      SDL_free(e.editExt.text);
    }
    event.text_cursor = e.editExt.start;
  } else if (e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP) {
    event.type = e.type == SDL_MOUSEBUTTONDOWN ? EventType::kMouseDown : EventType::kMouseUp;
    event.button = ButtonOf(e.button.button);
    event.double_click = e.type == SDL_MOUSEBUTTONDOWN && e.button.clicks == 2;
    event.x = e.button.x;
    event.y = e.button.y;
    event.shift = ShiftState();
  } else if (e.type == SDL_MOUSEMOTION) {
    event.type = EventType::kMouseMove;
    event.x = e.motion.x;
    event.y = e.motion.y;
    event.shift = ShiftState();
  } else if (e.type == SDL_MOUSEWHEEL) {
    event.type = EventType::kMouseWheel;
    event.wheel = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
    SDL_GetMouseState(&event.x, &event.y);
    event.shift = ShiftState();
  } else if (user_event_type_ != 0 && e.type == user_event_type_) {
    if (e.user.code == kPostedClose) {
      close = true;
    } else if (e.user.code == kTasksPosted) {
      // Only wakes the loop; the tasks run in the idle hook.
      return false;
    } else {
      event.type = EventType::kUserMessage;
      event.message = static_cast<std::uint32_t>(e.user.code);
      event.wparam = reinterpret_cast<std::intptr_t>(e.user.data1);
      event.lparam = reinterpret_cast<std::intptr_t>(e.user.data2);
    }
  } else {
    return false;
  }
  if (close) {
    if (window == nullptr) {
      // A dialog's loop (no main window): its sink decides what a close means.
      event.type = EventType::kClose;
      sink.HandleEvent(event);
      return false;
    }
    terminating_ = true;
    event.type = EventType::kClose;
    sink.HandleEvent(event);
    window->MarkClosed();
    return true;
  }
  sink.HandleEvent(event);
  return false;
}

void SdlApplication::Run(Window& main, EventSink& sink) {
  SDL_Event event;
  while (!main.Closed()) {
    while (SDL_PollEvent(&event)) {
      if (Dispatch(&event, &main, sink)) return;
    }
    const bool done = sink.Idle();
    if (after_idle_) after_idle_(main);
    if (main.Closed()) return;
    if (done && WaitEvent(&event)) {
      if (Dispatch(&event, &main, sink)) return;
    }
  }
}

bool SdlApplication::WaitEvent(void* sdl_event) {
  auto* event = static_cast<SDL_Event*>(sdl_event);
  for (;;) {
    const std::optional<std::uint32_t> step = cursors_ != nullptr ? cursors_->Pump() : std::nullopt;
    // Live background work (a download) is serviced by the idle hook: never sleep past its bound.
    BackgroundWork* work = CurrentBackgroundWork();
    if (work != nullptr && work->Live()) {
      const auto limit = static_cast<std::uint32_t>(kBackgroundWaitLimit.count());
      return SDL_WaitEventTimeout(event, static_cast<int>(step ? std::min(*step, limit) : limit)) != 0;
    }
    if (!step) return SDL_WaitEvent(event) != 0;
    const int wait = static_cast<int>(std::min<std::uint32_t>(*step, 0x7FFFFFFF));
    if (SDL_WaitEventTimeout(event, wait) != 0) return true;
  }
}

void SdlApplication::ProcessMessages(EventSink& sink) {
  SDL_Event event;
  if (!SDL_WaitEvent(&event)) return;
  do {
    Dispatch(&event, nullptr, sink);
  } while (SDL_PollEvent(&event));
}

}  // namespace vorn::platform::sdl
