#pragma once

#include <cstdint>
#include <memory>

#include "graphics/screen_manager_standin.h"
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
};

// Stand-in for the media managers until media playback lands. Its one real rule: a screen
// manager exists only when the screen width and height are both above 0.
struct MediaManagersStandIn {
  std::unique_ptr<TScreenManagerStandIn> screen_manager;
};

std::unique_ptr<MediaManagersStandIn> MediaInit(const MediaInitParams& params);
// Frees the screen manager, then the other managers, then finalises the media library.
void MediaFinal(std::unique_ptr<MediaManagersStandIn>& managers);

// Stand-in for the main window's DirectSound component.
class TDXSoundStandIn {
 public:
  // Tests make it fail to check that a failure is swallowed.
  static void SetFailInitialize(bool fail);
  void Initialize();
};

}  // namespace vorn
