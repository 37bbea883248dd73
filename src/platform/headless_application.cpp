#include "platform/headless_application.h"

#include "platform/background_work.h"

namespace vorn::platform {

bool HeadlessApplication::Initialize(std::string& reason) {
  if (!initialize_failure_.empty()) {
    reason = initialize_failure_;
    return false;
  }
  initialized_ = true;
  return true;
}

std::unique_ptr<Window> HeadlessApplication::CreateMainWindow(Size client, std::string_view caption_cp932) {
  ++windows_created_;
  terminating_ = false;
  return std::make_unique<HeadlessWindow>(*this, client, caption_cp932);
}

std::unique_ptr<Window> HeadlessApplication::CreateDialogWindow(Size client, std::string_view caption_cp932) {
  ++dialogs_created_;
  return std::make_unique<HeadlessWindow>(*this, client, caption_cp932);
}

bool HeadlessApplication::DispatchPending(Window* main, EventSink& sink) {
  while (!queue_.empty()) {
    const Event event = queue_.front();
    queue_.pop_front();
    if (event.type == EventType::kClose) {
      terminating_ = true;
      sink.HandleEvent(event);
      if (auto* window = dynamic_cast<HeadlessWindow*>(main)) window->MarkClosed();
      return true;
    }
    sink.HandleEvent(event);
  }
  return false;
}

void HeadlessApplication::Run(Window& main, EventSink& sink) {
  bool waiting = false;
  while (!main.Closed()) {
    if (before_dispatch_) before_dispatch_(main, waiting);
    if (waiting && queue_.empty()) {
      BackgroundWork* work = CurrentBackgroundWork();
      if (work == nullptr || !work->Live()) throw HeadlessStall("the message loop would wait with no event left");
      work->Wait(kBackgroundWaitLimit);
    }
    if (DispatchPending(&main, sink)) break;
    const bool done = sink.Idle();
    if (after_idle_) after_idle_(main);
    waiting = done && queue_.empty();
  }
}

void HeadlessApplication::ProcessMessages(EventSink& sink) {
  if (queue_.empty()) throw HeadlessStall("waiting for a message with no event left");
  DispatchPending(nullptr, sink);
}

HeadlessWindow::HeadlessWindow(HeadlessApplication& application, Size client, std::string_view caption)
    : application_(application), caption_(caption), canvas_(client.width, client.height) {}

HeadlessWindow::~HeadlessWindow() { application_.last_canvas_ = canvas_; }

Size HeadlessWindow::OuterSize() const {
  return Size{canvas_.width() + application_.frame_extra_.width, canvas_.height() + application_.frame_extra_.height};
}

void HeadlessWindow::Show() {
  if (shown_) return;
  shown_ = true;
  application_.Post(Event{.type = EventType::kActivate});
}

void HeadlessWindow::SetPlacement(const WindowPlacement& placement) {
  SetClientSize(placement.client);
  SetPosition(placement.left, placement.top);
}

bool HeadlessWindow::SetFullScreenMode(const DisplayMode* mode) {
  if (mode == nullptr) {
    if (full_screen_) {
      full_screen_ = false;
      SetPlacement(before_full_screen_);
    }
    return true;
  }
  if (!full_screen_) before_full_screen_ = GetPlacement();
  full_screen_ = true;
  SetClientSize(Size{mode->width, mode->height});
  SetPosition(0, 0);
  return true;
}

void HeadlessWindow::PostClose() { application_.Post(Event{.type = EventType::kClose}); }

void HeadlessWindow::PostUserMessage(std::uint32_t message, std::intptr_t wparam, std::intptr_t lparam) {
  application_.Post(Event{.type = EventType::kUserMessage, .message = message, .wparam = wparam, .lparam = lparam});
}

}  // namespace vorn::platform
