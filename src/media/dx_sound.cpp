#include "media/dx_sound.h"

#include "foundation/system_texts.h"
#include "graphics/graphics_errors.h"

namespace vorn {

PcmFormat MakePCMWaveFormat(int samples_per_second, int bits, int channels) {
  return PcmFormat::Pcm(samples_per_second, bits, channels);
}

void TDirectSoundBuffer::SetFormat(const PcmFormat& format) {
  if (output_.SetPrimaryFormat(static_cast<int>(format.samples_per_second), format.bits_per_sample, format.channels)) {
    last_result_ = kDSOk;
    format_ = format;
  } else {
    last_result_ = kDSErrFormatRefused;
  }
}

TCustomDXSound::~TCustomDXSound() { Finalize(); }

void TCustomDXSound::Notify(int code) {
  for (auto& listener : listeners_) listener(*this, code);
}

void TCustomDXSound::Initialize() {
  Finalize();
  if (!has_form_) throw EDXSoundError(std::string(texts::kDXSoundFormNotFound));
  Notify(kDXSoundInitializing);
  if (OnInitializing) OnInitializing(*this);
  try {
    if (audio_ == nullptr || !audio_->Open()) {
      throw EDirectSoundError(FormatSystemText(texts::kCannotInitializeFormat, std::string("DirectSound")));
    }
    device_open_ = true;
    if (!audio_->CreatePrimaryBuffer()) {
      throw EDXSoundError(FormatSystemText(texts::kCannotCreateFormat, std::string(texts::kPrimaryBufferName)));
    }
    primary_ = std::make_unique<TDirectSoundBuffer>(*audio_);
    // A lost device comes back through the restore, once at a time.
    audio_->SetDeviceLostHandler([this] { Restore(); });
  } catch (...) {
    Finalize();
    throw;
  }
  initialized_ = true;
  Notify(kDXSoundInitialized);
  if (OnInitialize) OnInitialize(*this);
  initialize_event_ran_ = true;
  Restore();
}

void TCustomDXSound::Restore() {
  if (!initialized_ || restoring_) return;
  restoring_ = true;
  try {
    Notify(kDXSoundRestoring);
    if (OnRestore) OnRestore(*this);
  } catch (...) {
    restoring_ = false;
    throw;
  }
  restoring_ = false;
}

void TCustomDXSound::Finalize() {
  if (initialized_) {
    Notify(kDXSoundFinalizing);
    if (initialize_event_ran_ && OnFinalize) OnFinalize(*this);
  }
  ReleaseDevice();
  initialized_ = false;
  initialize_event_ran_ = false;
}

void TCustomDXSound::ReleaseDevice() {
  primary_.reset();
  if (device_open_) {
    audio_->SetDeviceLostHandler(nullptr);
    audio_->Close();
    device_open_ = false;
  }
}

}  // namespace vorn
