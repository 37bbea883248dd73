#include "media/media_standin.h"

#include <stdexcept>

#include "foundation/standin_trace.h"

namespace vorn {
namespace {

bool fail_initialize = false;
MediaManagersStandIn* current_managers = nullptr;

}  // namespace

void MediaManagerStandIn::PauseAll() { Call("PauseAll"); }
void MediaManagerStandIn::ResumeAll() { Call("ResumeAll"); }
void MediaManagerStandIn::Restore() { Call("Restore"); }
void MediaManagerStandIn::SetActive(bool active) { Call(active ? "SoundOn" : "SoundOff"); }
void MediaManagerStandIn::Call(std::string_view what) { StandInCall(name_ + "." + std::string(what)); }

std::unique_ptr<MediaManagersStandIn> MediaInit(const MediaInitParams& params) {
  StandInCall("MediaInit");
  auto managers = std::make_unique<MediaManagersStandIn>();
  if (params.screen_width > 0 && params.screen_height > 0 && params.panel != nullptr && params.view != nullptr) {
    StandInCall("TScreenManager.Create");
    managers->screen_manager = std::make_unique<TScreenManager>(
        *params.view, *params.panel,
        TScreenSizes{params.screen_width, params.screen_height, params.full_screen_width, params.full_screen_height},
        params.display);
    ScreenManager = managers->screen_manager.get();
  }
  current_managers = managers.get();
  return managers;
}

void MediaFinal(std::unique_ptr<MediaManagersStandIn>& managers) {
  if (!managers) return;
  StandInCall("MediaFinal");
  if (current_managers == managers.get()) current_managers = nullptr;
  ScreenManager = nullptr;
  if (managers->screen_manager) StandInCall("TScreenManager.Free");
  managers->screen_manager.reset();
  managers.reset();
  StandInCall("MediaLibraryFinal");
}

MediaManagersStandIn* CurrentMediaManagers() { return current_managers; }

void MediaSetHandles(platform::Window&, platform::Panel&) { StandInCall("MediaSetHandles"); }
void MediaSuspendVideos() { StandInCall("SuspendVideos"); }
void MediaResumeVideos() { StandInCall("ResumeVideos"); }

void vornWmpmanProcessEvent(platform::Window&, std::uint32_t message, std::intptr_t, std::intptr_t) {
  StandInCall("vornWmpmanProcessEvent " + std::to_string(message));
}

void vornVidmanProcessEvent(platform::Window&, std::uint32_t message, std::intptr_t, std::intptr_t) {
  StandInCall("vornVidmanProcessEvent " + std::to_string(message));
}

void TDXSoundStandIn::SetFailInitialize(bool fail) { fail_initialize = fail; }

void TDXSoundStandIn::Initialize() {
  StandInCall("TDXSound.Initialize");
  if (fail_initialize) throw std::runtime_error("DirectSound unavailable");
}

void TDXSoundStandIn::SetPrimaryFormat(int samples, int bits_per_sample, int channel_count) {
  samples_per_second = samples;
  bits = bits_per_sample;
  channels = channel_count;
  StandInCall("TDXSound.SetPrimaryFormat");
}

}  // namespace vorn
