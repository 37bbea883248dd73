#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/display_service.h"
#include "platform/framebuffer.h"
#include "platform/geometry.h"

namespace vorn::platform {

enum class EventType {
  kClose,       // close box, or a posted close
  kActivate,    // the window gained the input focus
  kDeactivate,  // it lost it (not counting our own message boxes)
  kKeyDown,
  kKeyUp,
  kMouseDown,
  kMouseUp,
  kMouseMove,
  kMouseWheel,
  kMouseLeave,  // the pointer left the client area
  kExpose,
  kUserMessage,
  // Modal loops of the window manager (menus, moving or sizing the window) and display changes.
  // SDL raises none of them on Linux; the headless back end posts them.
  kEnterMenuLoop,
  kExitMenuLoop,
  kEnterSizeMove,
  kExitSizeMove,
  kDisplayChange,
  // Text from the keyboard layout or the input method: committed text, and the text being
  // composed (empty when the composition ends) with its cursor.
  kTextInput,
  kTextEditing,
};

enum class MouseButton { kLeft, kRight, kMiddle };

// Shift-state bits, as the panel's mouse events carry them.
inline constexpr unsigned kShiftKey = 1u << 0;
inline constexpr unsigned kAltKey = 1u << 1;
inline constexpr unsigned kCtrlKey = 1u << 2;
inline constexpr unsigned kLeftButtonHeld = 1u << 3;
inline constexpr unsigned kRightButtonHeld = 1u << 4;
inline constexpr unsigned kMiddleButtonHeld = 1u << 5;

struct Event {
  EventType type = EventType::kExpose;
  int key = 0;          // virtual-key code for key events
  bool repeat = false;  // key auto-repeat
  MouseButton button = MouseButton::kLeft;
  bool double_click = false;  // a press that is the second click of a pair
  int x = 0;  // client coordinates
  int y = 0;
  int wheel = 0;  // positive: away from the user
  unsigned shift = 0;
  std::uint32_t message = 0;  // user messages
  std::intptr_t wparam = 0;
  std::intptr_t lparam = 0;
  std::string text{};   // text events: UTF-8
  int text_cursor = 0;  // composition: the cursor, in characters
};

// Receives a window's events and the idle calls of the message loop.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void HandleEvent(const Event& event) = 0;
  // Called whenever the queue is empty; true ("done") lets the loop block until the next event.
  virtual bool Idle() = 0;
};

// Where a window sits: the frame's left and top (as SetPosition takes them) and the client size.
struct WindowPlacement {
  int left = 0;
  int top = 0;
  Size client;
  bool operator==(const WindowPlacement&) const = default;
};

// A top-level window: single border with minimise, black background. Its client area is a
// Framebuffer that drawing code fills and then flushes to the screen.
class Window {
 public:
  virtual ~Window() = default;
  virtual void SetCaption(std::string_view cp932) = 0;
  virtual void SetClientSize(Size size) = 0;
  virtual Size ClientSize() const = 0;
  // The size including the frame the window manager adds.
  virtual Size OuterSize() const = 0;
  virtual void SetPosition(int left, int top) = 0;
  // Shown raised and with the input focus (without focus no frame ever runs).
  virtual void Show() = 0;
  virtual void PostClose() = 0;
  virtual void PostUserMessage(std::uint32_t message, std::intptr_t wparam, std::intptr_t lparam) = 0;
  virtual Framebuffer& Canvas() = 0;
  // Puts the given rectangles of the canvas on the screen.
  virtual void Flush(std::span<const Rect> rects) = 0;
  virtual bool Closed() const = 0;
  // The back end's own handle (SDL_Window*), for owning message boxes; null when there is none.
  virtual void* NativeHandle() const { return nullptr; }

  // Frame, placement and full screen.
  virtual void SetBordered(bool bordered) = 0;
  virtual bool Bordered() const = 0;
  virtual WindowPlacement GetPlacement() const = 0;
  virtual void SetPlacement(const WindowPlacement& placement) = 0;
  // Exclusive full screen in the mode, the client area taking the mode's size; null leaves it.
  // False when the display refuses (the window stays as it was).
  virtual bool SetFullScreenMode(const DisplayMode* mode) = 0;

  // Pointer and screen saver.
  virtual void WarpPointer(int x, int y) = 0;  // client coordinates
  // While captured, the pointer's moves and releases outside the window still arrive.
  virtual void CaptureMouse(bool captured) = 0;
  // Held off while the player is the active window.
  virtual void HoldScreenSaver(bool held) = 0;

  // Draws the source rectangle of a drawing surface onto dest (client coordinates, nearest
  // pixel), clipped to clip, and puts it on the screen. Returns the rectangle touched. The default
  // goes through the canvas.
  virtual Rect PresentPixels(const SourcePixels& src, const Rect& src_rect, const Rect& dest, const Rect& clip);

  // Text input (typed text and the input method's compositions) runs only between these; the
  // rectangle (client coordinates) is the caret's, where the candidate window opens. Called again
  // when the caret moves.
  virtual void StartTextInput(const Rect& /*caret*/) {}
  virtual void StopTextInput() {}
};

class Application {
 public:
  virtual ~Application() = default;
  // Starts the window system; false with a reason when it cannot.
  virtual bool Initialize(std::string& reason) = 0;
  virtual void SetTitle(std::string_view cp932) = 0;
  // A hidden window with the given client size and caption.
  virtual std::unique_ptr<Window> CreateMainWindow(Size client, std::string_view caption_cp932) = 0;
  // A hidden top-level window for a dialog: fixed size, dialog border.
  virtual std::unique_ptr<Window> CreateDialogWindow(Size client, std::string_view caption_cp932) = 0;
  // The desktop minus task bars and docks.
  virtual Rect WorkArea() = 0;
  virtual bool Terminating() const = 0;
  // Dispatches every pending event, calls the idle hook, and blocks when it answers done; ends
  // once the main window has closed (after its close event was handled).
  virtual void Run(Window& main, EventSink& sink) = 0;
  // Dispatches what is pending without calling the idle hook, blocking for one event when
  // nothing is pending (the settings dialog waits this way).
  virtual void ProcessMessages(EventSink& sink) = 0;
};

}  // namespace vorn::platform
