#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphics/screen_manager.h"
#include "platform/display_service.h"
#include "platform/panel.h"
#include "platform/window.h"

namespace vorn {

// The screen values of the media start-up, named: the two places that list them disagree on
// their order, so they travel as one record.
struct MediaInitParams {
  platform::Window* view = nullptr;
  platform::Panel* panel = nullptr;
  std::int32_t screen_width = 0;
  std::int32_t screen_height = 0;
  std::int32_t full_screen_width = 0;
  std::int32_t full_screen_height = 0;
  platform::DisplayService* display = nullptr;
};

// Stand-in for one media manager until playback lands: it exists or not, holds some items, and
// reports its pause, resume and restore calls as "<name>.PauseAll" and so on.
class MediaManagerStandIn {
 public:
  explicit MediaManagerStandIn(std::string name) : name_(std::move(name)) {}
  void PauseAll();
  void ResumeAll();
  void Restore();
  // The sound switch: off pauses the manager's items, on resumes them.
  void SetActive(bool active);
  // Another named call (the CD manager's ApplyVolume and ReadVolume).
  void Call(std::string_view what);
  const std::string& name() const { return name_; }

  bool exists = true;
  int items = 0;

 private:
  std::string name_;
};

// Stand-in for the media managers until media playback lands. Its one real rule: a screen
// manager exists only when the screen width and height are both above 0.
struct MediaManagersStandIn {
  std::unique_ptr<TScreenManager> screen_manager;
  MediaManagerStandIn wave_list{"TWaveList"};
  MediaManagerStandIn video{"TVideoManager"};
  MediaManagerStandIn wmp{"TWmpManager"};
  MediaManagerStandIn ogg{"TOggManager"};
  MediaManagerStandIn cdda{"TCddaManager"};
  MediaManagerStandIn midi{"TMidiManager"};
};

std::unique_ptr<MediaManagersStandIn> MediaInit(const MediaInitParams& params);
// Frees the screen manager, then the other managers, then finalises the media library.
void MediaFinal(std::unique_ptr<MediaManagersStandIn>& managers);
// The managers MediaInit made, until MediaFinal; null outside that time.
MediaManagersStandIn* CurrentMediaManagers();

// The media library's side of the main window (recorded): new window and panel handles after a
// full-screen switch, videos suspended around it, and the window messages it takes.
void MediaSetHandles(platform::Window& window, platform::Panel& panel);
void MediaSuspendVideos();
void MediaResumeVideos();
void vornWmpmanProcessEvent(platform::Window& window, std::uint32_t message, std::intptr_t wparam,
                            std::intptr_t lparam);
void vornVidmanProcessEvent(platform::Window& window, std::uint32_t message, std::intptr_t wparam,
                            std::intptr_t lparam);

// Stand-in for the main window's DirectSound component.
class TDXSoundStandIn {
 public:
  // Tests make it fail to check that a failure is swallowed.
  static void SetFailInitialize(bool fail);
  void Initialize();
  // The primary buffer's format, as the initialise event sets it.
  void SetPrimaryFormat(int samples_per_second, int bits, int channels);
  int samples_per_second = 0;
  int bits = 0;
  int channels = 0;
};

}  // namespace vorn
