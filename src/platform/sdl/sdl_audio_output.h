#pragma once

#include <atomic>
#include <cstdint>

#include "platform/audio_output.h"

namespace vorn::platform::sdl {

// The default SDL audio device at the output format; SDL converts to whatever the host wants.
// A removed device is reopened on the main thread.
class SdlAudioOutput final : public AudioOutput {
 public:
  SdlAudioOutput();
  ~SdlAudioOutput() override;
  // From SDL's event watch, on any thread: a playback device went away.
  void NoticeRemoved(std::uint32_t device);

 protected:
  bool OpenDevice() override;
  void CloseDevice() override;

 private:
  static void Callback(void* self, std::uint8_t* stream, int bytes);

  std::atomic<std::uint32_t> device_{0};
  bool subsystem_ = false;
  bool watching_ = false;
};

}  // namespace vorn::platform::sdl
