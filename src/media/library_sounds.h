#pragma once

// The sounds the media library plays itself. One thread decodes ahead into each sound's buffer of
// device frames; one voice on the sound output takes from those buffers, scales them by the
// sound's gains and sums them. The voice never decodes, never reads a stream and never takes the
// stream callback lock; where the output allows it (headless), it waits for the decoder instead
// of playing a gap. Without an output a sound runs silent on the clock: its position advances and
// its end comes.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "media/sound_decoder.h"
#include "media/wave_mix.h"
#include "platform/audio_output.h"
#include "platform/clock.h"

namespace vorn {

// Gain of an attenuation in hundredths of a decibel, 16.16 fixed point: 0 at -10000 and below.
std::int32_t GainOfAttenuation(std::int32_t attenuation);

class LibrarySound {
 public:
  explicit LibrarySound(std::unique_ptr<SoundDecoder> decoder);

 private:
  friend class LibrarySoundPlayer;

  const int rate_;
  // Device frames per source frame: 2 for 22050 Hz, else 1.
  const int factor_;
  const std::size_t source_frame_bytes_;
  const WaveConversion conversion_;

  // The decoder is used under decode_mutex_ only; it goes when the sound is deleted, before the
  // player frees the stream it reads.
  std::mutex decode_mutex_;
  std::unique_ptr<SoundDecoder> decoder_;

  // Everything below is shared with the decoding thread and the voice.
  std::mutex mutex_;
  std::condition_variable data_ready_;
  std::deque<std::int16_t> ring_;  // decoded device frames, interleaved stereo
  std::int64_t decode_frame_ = 0;  // next source frame to decode
  std::int64_t total_frames_ = 0;  // source frames of the whole sound
  std::int64_t position_ = 0;      // device frames the output has taken
  std::size_t wanted_frames_ = 0;  // a waiting pull's need
  std::uint64_t generation_ = 0;   // bumped when buffered frames become stale
  bool playing_ = false;
  bool paused_ = false;
  bool ended_ = false;
  bool repeat_ = false;
  bool decode_done_ = false;
  // Silent running: the clock time and position the current stretch started from.
  std::uint32_t anchor_ms_ = 0;
  std::int64_t anchor_position_ = 0;

  std::atomic<std::int32_t> gain_left_{65536};
  std::atomic<std::int32_t> gain_right_{65536};
  // As the setters received them; main thread only.
  std::int32_t volume_ = 0;
  std::int32_t pan_ = 0;
};

class LibrarySoundPlayer final : public platform::AudioVoice {
 public:
  explicit LibrarySoundPlayer(platform::Clock& clock);
  ~LibrarySoundPlayer() override;
  LibrarySoundPlayer(const LibrarySoundPlayer&) = delete;
  LibrarySoundPlayer& operator=(const LibrarySoundPlayer&) = delete;

  // Sounds from here on play through output (null: silent on the clock). Playing sounds go on
  // from where they are.
  void Attach(platform::AudioOutput* output);
  platform::AudioOutput* output() const { return output_; }

  void Add(const std::shared_ptr<LibrarySound>& sound);
  // Once this returns nothing reads the sound's stream any more.
  void Remove(const std::shared_ptr<LibrarySound>& sound);

  void Play(LibrarySound& sound);
  void Pause(LibrarySound& sound);
  bool IsPlaying(LibrarySound& sound);
  bool IsPaused(LibrarySound& sound);
  bool IsEnd(LibrarySound& sound);
  bool GetRepeat(LibrarySound& sound);
  void SetRepeat(LibrarySound& sound, bool repeat);
  std::int64_t LengthMs(LibrarySound& sound);
  std::int64_t PositionMs(LibrarySound& sound);
  void SetPositionMs(LibrarySound& sound, std::int64_t milliseconds);
  std::int32_t Volume(LibrarySound& sound) const { return sound.volume_; }
  std::int32_t Pan(LibrarySound& sound) const { return sound.pan_; }
  void SetVolume(LibrarySound& sound, std::int32_t volume);
  void SetPan(LibrarySound& sound, std::int32_t pan);

  void Pull(std::int16_t* out, std::size_t frames) override;

 private:
  static constexpr std::size_t kAheadFrames = platform::kAudioRate / 4;
  static constexpr std::size_t kChunkFrames = 4096;

  void DecodeLoop();
  // Decodes one chunk when the sound wants it; true when it may want more.
  bool DecodeSome(LibrarySound& sound, std::vector<std::uint8_t>& buffer);
  void Wake();
  // Under the sound's lock: the silent position brought up to the clock.
  void AdvanceSilentLocked(LibrarySound& sound);
  void AnchorLocked(LibrarySound& sound);
  // Under the sound's lock: buffered frames dropped, decoding restarted at the position.
  void ResyncLocked(LibrarySound& sound);
  std::int64_t TotalDeviceFramesLocked(const LibrarySound& sound) const {
    return sound.total_frames_ * sound.factor_;
  }
  bool Silent() const { return silent_.load(); }

  platform::Clock& clock_;
  // Main thread only.
  platform::AudioOutput* output_ = nullptr;
  std::atomic<bool> silent_{true};
  std::atomic<bool> pull_may_wait_{false};

  // The sounds the decoding thread looks at.
  std::mutex sounds_mutex_;
  std::vector<std::shared_ptr<LibrarySound>> sounds_;
  // The sounds the voice mixes; held for a whole pull.
  std::mutex voice_mutex_;
  std::vector<std::shared_ptr<LibrarySound>> voice_sounds_;
  std::vector<std::int32_t> sum_;

  std::mutex work_mutex_;
  std::condition_variable work_;
  bool wake_ = false;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace vorn
