#pragma once

// The host's sound device, shared by every client of the player (the DirectSound stand-in, the
// wave-out stand-in, later MIDI, CD audio and movies). The device always runs at one format; each
// client owns a voice the device pulls for frames, and the voices are summed in 32 bits and
// clamped once.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace vorn::platform {

inline constexpr int kAudioRate = 44100;
inline constexpr int kAudioChannels = 2;
inline constexpr int kAudioBytesPerFrame = 4;

// One client's sound. Pull runs on the device's thread (headless: the thread that moves virtual
// time) and must not take locks a client holds while it waits for the device.
class AudioVoice {
 public:
  virtual ~AudioVoice() = default;
  // Fills `frames` interleaved stereo frames; out arrives zeroed, so silence needs no work.
  virtual void Pull(std::int16_t* out, std::size_t frames) = 0;
};

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  AudioOutput() = default;
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  // The device opens with its first client and closes with its last; every Open that answered
  // true is matched by one Close.
  bool Open();
  void Close();
  bool IsOpen() const;

  void AddVoice(AudioVoice& voice);
  // Once this returns the voice is not being pulled and never will be again.
  void RemoveVoice(AudioVoice& voice);

  // The DirectSound stand-in's primary buffer: made once per initialisation, its format set by
  // the main window. The real device accepts both; the headless twin can refuse them.
  virtual bool CreatePrimaryBuffer() { return IsOpen(); }
  virtual bool SetPrimaryFormat(int samples_per_second, int bits, int channels);
  // A wave-out block header's preparation.
  virtual bool PrepareBlock() { return true; }

  // True where a voice may wait in Pull for its producer instead of playing silence (the headless
  // twin, whose captures must not depend on thread timing).
  virtual bool PullMayWait() const { return false; }

  // Told on the main thread after a lost device was opened again.
  void SetDeviceLostHandler(std::function<void()> handler);
  // Reopens the default device and tells the handler; the back end calls it on the main thread.
  void HandleDeviceLoss();

 protected:
  virtual bool OpenDevice() = 0;
  virtual void CloseDevice() = 0;
  // Sums every voice into out; the back end calls it from its device thread.
  void MixVoices(std::int16_t* out, std::size_t frames);

 private:
  mutable std::mutex open_mutex_;
  int clients_ = 0;
  std::function<void()> lost_handler_;

  // Held for a whole mix, so RemoveVoice waits for a pull in progress.
  std::mutex voices_mutex_;
  std::vector<AudioVoice*> voices_;
  std::vector<std::int32_t> sum_;
  std::vector<std::int16_t> scratch_;
};

// A block the wave-out voice plays: whole output frames. The voice sets done once the device has
// pulled its last byte (or the queue was reset); the writer owns the memory and must keep it until
// done.
struct WaveOutBlock {
  const std::uint8_t* data = nullptr;
  std::size_t bytes = 0;
  std::atomic<bool> done{false};
};

// The wave mapper's stand-in: plays a queue of blocks in the device format, in order.
class WaveOutVoice final : public AudioVoice {
 public:
  void Write(WaveOutBlock& block);
  // Marks every queued block done and empties the queue.
  void Reset();
  std::size_t Queued() const;
  void Pull(std::int16_t* out, std::size_t frames) override;

 private:
  mutable std::mutex mutex_;
  std::deque<WaveOutBlock*> queue_;
  std::size_t played_ = 0;  // bytes of the front block already pulled
};

}  // namespace vorn::platform
