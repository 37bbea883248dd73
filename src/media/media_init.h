#pragma once

// Media start-up and shutdown: the library's initialisation, the screen manager and the managers,
// and what the main window tells the library around full-screen switches.

#include <cstdint>

#include "foundation/vr_file_manager.h"
#include "media/dx_sound.h"
#include "platform/audio_output.h"
#include "platform/clock.h"
#include "platform/display_service.h"
#include "platform/panel.h"
#include "platform/window.h"

namespace vorn {

// The screen values travel named: the two places that list them disagree on their order.
struct MediaInitParams {
  platform::Window* view = nullptr;
  platform::Panel* panel = nullptr;
  std::int32_t screen_width = 0;
  std::int32_t screen_height = 0;
  std::int32_t full_screen_width = 0;
  std::int32_t full_screen_height = 0;
  platform::DisplayService* display = nullptr;
  TVrFileManager* files = nullptr;
  platform::AudioOutput* audio = nullptr;
  platform::Clock* clock = nullptr;
  // The main window's DirectSound component.
  TDXSound* dx_sound = nullptr;
};

// Needs the bound media library. The screen manager exists only when the screen width and height
// are both above 0.
void MediaInit(const MediaInitParams& params);
// Frees the screen manager, then the managers, then finalises the library.
void MediaFinal();

// New window and panel handles for the library after a full-screen switch.
void MediaSetHandles(platform::Window& window, platform::Panel& panel);
// Videos give up and regain their display resources around a switch.
void MediaSuspendVideos();
void MediaResumeVideos();

// Window messages the library posted to the main window (or a paint of the drawing panel), handed
// back to it: media-player messages and video messages. Nothing while no library is bound.
void ForwardWmpEvent(platform::Window& window, std::uint32_t message, std::intptr_t wparam, std::intptr_t lparam);
void ForwardVideoEvent(platform::Window& window, std::uint32_t message, std::intptr_t wparam, std::intptr_t lparam);

}  // namespace vorn
