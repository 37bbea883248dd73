#pragma once

// The main window's DirectSound component over the shared sound device: initialising it opens
// the device and makes the primary buffer; its interface is what the media library plays through.

#include <functional>
#include <memory>
#include <vector>

#include "foundation/errors.h"
#include "media/pcm_format.h"
#include "platform/audio_output.h"

namespace vorn {

class EDXSoundError : public Exception {
 public:
  using Exception::Exception;
};

class EDirectSoundError : public Exception {
 public:
  using Exception::Exception;
};

// Format tag 1; block align = channels × (bits div 8); bytes per second = block align × rate.
PcmFormat MakePCMWaveFormat(int samples_per_second, int bits, int channels);

// Result codes the wrappers record.
inline constexpr int kDSOk = 0;
inline constexpr int kDSErrFormatRefused = 1;

class TDirectSoundBuffer {
 public:
  explicit TDirectSoundBuffer(platform::AudioOutput& output) : output_(output) {}
  // A refused format only records the result code.
  void SetFormat(const PcmFormat& format);
  const PcmFormat& format() const { return format_; }
  int last_result() const { return last_result_; }

 private:
  platform::AudioOutput& output_;
  PcmFormat format_;
  int last_result_ = kDSOk;
};

// Listener codes.
inline constexpr int kDXSoundInitializing = 1;
inline constexpr int kDXSoundInitialized = 2;
inline constexpr int kDXSoundFinalizing = 3;
inline constexpr int kDXSoundRestoring = 4;

class TCustomDXSound {
 public:
  // audio: the platform's device (null: none); has_form: an owning window exists.
  TCustomDXSound(platform::AudioOutput* audio, bool has_form) : audio_(audio), has_form_(has_form) {}
  virtual ~TCustomDXSound();
  TCustomDXSound(const TCustomDXSound&) = delete;
  TCustomDXSound& operator=(const TCustomDXSound&) = delete;

  void Initialize();
  void Finalize();
  void Restore();
  bool Initialized() const { return initialized_; }
  // The DirectSound object: the open device while initialised, else null.
  platform::AudioOutput* DSound() const { return initialized_ ? audio_ : nullptr; }
  TDirectSoundBuffer* Primary() { return primary_.get(); }

  void AddListener(std::function<void(TCustomDXSound&, int)> listener) { listeners_.push_back(std::move(listener)); }

  std::function<void(TCustomDXSound&)> OnInitializing;
  std::function<void(TCustomDXSound&)> OnInitialize;
  std::function<void(TCustomDXSound&)> OnRestore;
  std::function<void(TCustomDXSound&)> OnFinalize;

 private:
  void Notify(int code);
  void ReleaseDevice();

  platform::AudioOutput* audio_;
  bool has_form_;
  bool device_open_ = false;
  bool initialized_ = false;
  bool initialize_event_ran_ = false;
  bool restoring_ = false;
  std::unique_ptr<TDirectSoundBuffer> primary_;
  std::vector<std::function<void(TCustomDXSound&, int)>> listeners_;
};

class TDXSound : public TCustomDXSound {
 public:
  using TCustomDXSound::TCustomDXSound;
};

}  // namespace vorn
