#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/drive_type.h"
#include "platform/headless_audio.h"
#include "platform/headless_display.h"
#include "platform/instance_lock.h"
#include "platform/message_box.h"
#include "platform/wallpaper.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace vorn::platform {

// The message loop would block with nothing left that could wake it: a headless run ends instead
// of hanging.
class HeadlessStall : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class HeadlessWindow;

// Windows are framebuffers, events come from a queue the test fills, and showing a window
// synthesises its first activation.
class HeadlessApplication final : public Application {
 public:
  bool Initialize(std::string& reason) override;
  void SetTitle(std::string_view cp932) override { title_ = std::string(cp932); }
  std::unique_ptr<Window> CreateMainWindow(Size client, std::string_view caption_cp932) override;
  std::unique_ptr<Window> CreateDialogWindow(Size client, std::string_view caption_cp932) override;
  Rect WorkArea() override { return work_area_; }
  bool Terminating() const override { return terminating_; }
  void Run(Window& main, EventSink& sink) override;
  void ProcessMessages(EventSink& sink) override;

  void Post(const Event& event) { queue_.push_back(event); }
  void set_work_area(const Rect& area) { work_area_ = area; }
  void set_initialize_failure(std::string reason) { initialize_failure_ = std::move(reason); }
  // Called after every idle call of Run, with the main window (tests post events from here).
  void set_after_idle(std::function<void(Window&)> hook) { after_idle_ = std::move(hook); }
  // Called at the top of every round of Run, before the pending events go out, with the main
  // window and whether the loop would now block (the last idle call answered done and nothing is
  // queued). Posting from here wakes the loop; without a post it ends in HeadlessStall as before.
  void set_before_dispatch(std::function<void(Window&, bool waiting)> hook) { before_dispatch_ = std::move(hook); }
  const std::string& title() const { return title_; }
  bool initialized() const { return initialized_; }
  int windows_created() const { return windows_created_; }
  int dialogs_created() const { return dialogs_created_; }
  // The client area of the last main window as it was when that window went away.
  const Framebuffer& last_canvas() const { return last_canvas_; }
  // Extra size the frame adds around the client area.
  Size frame_extra() const { return frame_extra_; }

 private:
  friend class HeadlessWindow;
  bool DispatchPending(Window* main, EventSink& sink);

  std::deque<Event> queue_;
  Rect work_area_{0, 0, 1280, 1000};
  Size frame_extra_{8, 31};
  std::string title_ = "unset";
  std::string initialize_failure_;
  std::function<void(Window&)> after_idle_;
  std::function<void(Window&, bool)> before_dispatch_;
  Framebuffer last_canvas_;
  bool initialized_ = false;
  bool terminating_ = false;
  int windows_created_ = 0;
  int dialogs_created_ = 0;
};

class HeadlessWindow final : public Window {
 public:
  HeadlessWindow(HeadlessApplication& application, Size client, std::string_view caption);
  ~HeadlessWindow() override;

  void SetCaption(std::string_view cp932) override { caption_ = std::string(cp932); }
  void SetClientSize(Size size) override { canvas_.Resize(size.width, size.height); }
  Size ClientSize() const override { return Size{canvas_.width(), canvas_.height()}; }
  Size OuterSize() const override;
  void SetPosition(int left, int top) override {
    left_ = left;
    top_ = top;
  }
  void Show() override;
  void PostClose() override;
  void PostUserMessage(std::uint32_t message, std::intptr_t wparam, std::intptr_t lparam) override;
  Framebuffer& Canvas() override { return canvas_; }
  void Flush(std::span<const Rect> rects) override {
    flushes_ += static_cast<int>(rects.size());
    flushed_rects_.insert(flushed_rects_.end(), rects.begin(), rects.end());
  }
  bool Closed() const override { return closed_; }
  void SetBordered(bool bordered) override { bordered_ = bordered; }
  bool Bordered() const override { return bordered_; }
  WindowPlacement GetPlacement() const override { return WindowPlacement{left_, top_, ClientSize()}; }
  void SetPlacement(const WindowPlacement& placement) override;
  bool SetFullScreenMode(const DisplayMode* mode) override;
  void WarpPointer(int x, int y) override {
    pointer_x_ = x;
    pointer_y_ = y;
  }
  void CaptureMouse(bool captured) override { captured_ = captured; }
  void HoldScreenSaver(bool held) override { screen_saver_held_ = held; }
  void StartTextInput(const Rect& caret) override {
    text_input_ = true;
    text_input_rect_ = caret;
  }
  void StopTextInput() override { text_input_ = false; }

  const std::string& caption() const { return caption_; }
  int left() const { return left_; }
  int top() const { return top_; }
  bool shown() const { return shown_; }
  int flushes() const { return flushes_; }
  // Every rectangle flushed so far, oldest first; tests clear it to look at what one step flushed.
  std::vector<Rect>& flushed_rects() { return flushed_rects_; }
  void MarkClosed() { closed_ = true; }
  bool full_screen() const { return full_screen_; }
  int pointer_x() const { return pointer_x_; }
  int pointer_y() const { return pointer_y_; }
  bool captured() const { return captured_; }
  bool screen_saver_held() const { return screen_saver_held_; }
  // Text input and the caret rectangle it was last given.
  bool text_input() const { return text_input_; }
  const Rect& text_input_rect() const { return text_input_rect_; }

 private:
  HeadlessApplication& application_;
  std::string caption_;
  Framebuffer canvas_;
  int left_ = 0;
  int top_ = 0;
  int flushes_ = 0;
  std::vector<Rect> flushed_rects_;
  int pointer_x_ = 0;
  int pointer_y_ = 0;
  bool shown_ = false;
  bool closed_ = false;
  bool bordered_ = true;
  bool full_screen_ = false;
  bool captured_ = false;
  bool screen_saver_held_ = false;
  bool text_input_ = false;
  Rect text_input_rect_;
  WindowPlacement before_full_screen_;
};

// Every headless service in one place, for tests and headless-run.
struct HeadlessPlatform {
  FixedExecutableLocation executable{std::string("/headless/vornplayer")};
  TableDriveTypes drives;
  HeadlessInstanceLocks locks;
  VirtualClock clock;
  HeadlessAudioOutput audio{clock};
  HeadlessMessageBoxes boxes;
  HeadlessApplication application;
  HeadlessDisplayService display;
  RecordingWallpaper wallpaper;
  RecordingUrlOpener url_opener;
  RecordingCursors cursors{&clock};
  InProcessClipboard clipboard;

  Platform services() {
    return Platform{executable, drives, locks, clock, boxes, application, &display, &wallpaper, &url_opener, nullptr,
                    &cursors, &audio, &clipboard};
  }
};

}  // namespace vorn::platform
