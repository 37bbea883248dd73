#include "platform/sdl/sdl_audio_output.h"

#include <SDL.h>

#include "platform/main_thread_tasks.h"

namespace vorn::platform::sdl {

namespace {

int WatchAudioEvents(void* self, SDL_Event* event) {
  if (event->type == SDL_AUDIODEVICEREMOVED && event->adevice.iscapture == 0) {
    static_cast<SdlAudioOutput*>(self)->NoticeRemoved(event->adevice.which);
  }
  return 1;
}

}  // namespace

SdlAudioOutput::SdlAudioOutput() = default;

SdlAudioOutput::~SdlAudioOutput() {
  CloseDevice();
  if (watching_) SDL_DelEventWatch(&WatchAudioEvents, this);
  if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioOutput::OpenDevice() {
  if (!subsystem_) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    subsystem_ = true;
  }
  if (!watching_) {
    SDL_AddEventWatch(&WatchAudioEvents, this);
    watching_ = true;
  }
  SDL_AudioSpec want{};
  want.freq = kAudioRate;
  want.format = AUDIO_S16SYS;
  want.channels = kAudioChannels;
  want.samples = 1024;
  want.callback = &SdlAudioOutput::Callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) return false;
  device_ = device;
  SDL_PauseAudioDevice(device, 0);
  return true;
}

void SdlAudioOutput::CloseDevice() {
  const SDL_AudioDeviceID device = device_.exchange(0);
  if (device != 0) SDL_CloseAudioDevice(device);
}

void SdlAudioOutput::Callback(void* self, std::uint8_t* stream, int bytes) {
  auto* output = static_cast<SdlAudioOutput*>(self);
  output->MixVoices(reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(bytes) / kAudioBytesPerFrame);
}

// The reopening waits for the main thread.
void SdlAudioOutput::NoticeRemoved(std::uint32_t device) {
  if (device == 0 || device != device_.load()) return;
  MainTasks().Post([this] { HandleDeviceLoss(); });
}

}  // namespace vorn::platform::sdl
