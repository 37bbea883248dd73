#include "media/media_standin.h"

#include <stdexcept>

#include "foundation/standin_trace.h"

namespace vorn {
namespace {

bool fail_initialize = false;

}  // namespace

std::unique_ptr<MediaManagersStandIn> MediaInit(const MediaInitParams& params) {
  StandInCall("MediaInit");
  auto managers = std::make_unique<MediaManagersStandIn>();
  if (params.screen_width > 0 && params.screen_height > 0 && params.panel != nullptr) {
    managers->screen_manager =
        std::make_unique<TScreenManagerStandIn>(*params.panel, params.screen_width, params.screen_height);
    ScreenManager = managers->screen_manager.get();
  }
  return managers;
}

void MediaFinal(std::unique_ptr<MediaManagersStandIn>& managers) {
  if (!managers) return;
  StandInCall("MediaFinal");
  ScreenManager = nullptr;
  managers->screen_manager.reset();
  managers.reset();
  StandInCall("MediaLibraryFinal");
}

void TDXSoundStandIn::SetFailInitialize(bool fail) { fail_initialize = fail; }

void TDXSoundStandIn::Initialize() {
  StandInCall("TDXSound.Initialize");
  if (fail_initialize) throw std::runtime_error("DirectSound unavailable");
}

}  // namespace vorn
