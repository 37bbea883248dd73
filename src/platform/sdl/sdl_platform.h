#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/cursors.h"
#include "platform/drive_type.h"
#include "platform/font_catalog.h"
#include "platform/instance_lock.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_audio_output.h"
#include "platform/sdl/sdl_clipboard.h"
#include "platform/sdl/sdl_cursors.h"
#include "platform/window.h"

namespace vorn::platform::sdl {

struct SdlPlatformOptions {
  std::string video_driver;  // empty: SDL's choice; "offscreen" for tests
  std::string lock_dir;      // empty: the per-user default
};

class SdlApplication final : public Application {
 public:
  explicit SdlApplication(std::string video_driver);
  ~SdlApplication() override;

  bool Initialize(std::string& reason) override;
  void SetTitle(std::string_view cp932) override { title_ = std::string(cp932); }
  std::unique_ptr<Window> CreateMainWindow(Size client, std::string_view caption_cp932) override;
  std::unique_ptr<Window> CreateDialogWindow(Size client, std::string_view caption_cp932) override;
  Rect WorkArea() override;
  bool Terminating() const override { return terminating_; }
  void Run(Window& main, EventSink& sink) override;
  void ProcessMessages(EventSink& sink) override;

  // Called after every idle call of Run (the smoke test posts its close from here).
  void set_after_idle(std::function<void(Window&)> hook) { after_idle_ = std::move(hook); }
  std::uint32_t user_event_type() const { return user_event_type_; }
  // Our own message boxes take the focus for a moment; that is no deactivation.
  void DropFocusEvents();
  // Animated cursors step while the loop waits for events (null: nothing to step).
  void set_cursors(SdlCursors* cursors) { cursors_ = cursors; }

 private:
  bool Dispatch(const void* sdl_event, Window* main, EventSink& sink);
  // Blocks for the next event, stepping the cursor animation meanwhile; false when SDL fails.
  bool WaitEvent(void* sdl_event);

  std::string video_driver_;
  std::string title_;
  std::function<void(Window&)> after_idle_;
  std::uint32_t user_event_type_ = 0;
  bool initialized_ = false;
  bool terminating_ = false;
  SdlCursors* cursors_ = nullptr;
};

// Display modes through SDL's video subsystem (started by the application).
class SdlDisplayService final : public DisplayService {
 public:
  std::unique_ptr<DisplayConnection> Open(Window& window) override;
};

class SdlMessageBoxes final : public MessageBoxes {
 public:
  explicit SdlMessageBoxes(SdlApplication& application) : application_(application) {}
  MessageAnswer Show(const MessageBoxRequest& request) override;

 private:
  SdlApplication& application_;
};

// The real host: SDL2 for windows, events and boxes, POSIX for the rest.
class SdlPlatform {
 public:
  explicit SdlPlatform(SdlPlatformOptions options = {});
  Platform services() {
    return Platform{executable_, drives_,     locks_, clock_, boxes_, application_, &display_, &wallpaper_,
                    &url_opener_, &fonts_, &cursors_, &audio_, &clipboard_};
  }
  SdlApplication& application() { return application_; }

 private:
  ProcExecutableLocation executable_;
  StatfsDriveTypes drives_;
  FileInstanceLocks locks_;
  SystemClock clock_;
  SdlApplication application_;
  SdlMessageBoxes boxes_;
  SdlDisplayService display_;
  DesktopWallpaper wallpaper_;
  XdgUrlOpener url_opener_;
  FontconfigCatalog fonts_;
  // After the application: its cursors go before SDL quits.
  SdlCursors cursors_;
  SdlAudioOutput audio_;
  SdlClipboard clipboard_;
};

}  // namespace vorn::platform::sdl
