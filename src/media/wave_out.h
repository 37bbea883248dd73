#pragma once

// The player's own software wave mixer: decoded sounds (one TWavBuffer each) mixed into blocks of
// DelayTime milliseconds and queued on the wave-out voice of the sound device, at most two at a
// time, by a refill thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/stream.h"
#include "media/pcm_format.h"
#include "media/wave_mix.h"
#include "platform/audio_output.h"
#include "platform/clock.h"

namespace vorn {

class TWavOut;

// One source of the mixer. Every field is guarded by its wave output's lock.
class TWavBuffer {
 public:
  TWavBuffer(TWavOut& owner, const PcmFormat& format, TStream& stream, std::size_t block_bytes);

  void Play();
  void Pause();
  void SetPosition(std::int64_t bytes);
  void SetVolume(int volume);
  bool Repeat() const;
  bool Playing() const;
  int Volume() const;
  void SetRepeat(bool repeat);
  bool IsFinished() const;
  // The audible position in bytes of the source.
  std::int64_t GetPosition() const;
  const PcmFormat& format() const { return format_; }

 private:
  friend class TWavOut;
  // Under the owner's lock.
  bool MixLocked(std::int16_t* block);
  std::size_t ReadSourceLocked(std::size_t count);

  TWavOut& owner_;
  PcmFormat format_;
  TStream& stream_;
  WaveConversion conversion_;
  std::int64_t read_position_ = 0;
  std::vector<std::uint8_t> conversion_buffer_;
  int volume_ = 256;
  std::uint32_t last_mix_ = 0;
  bool playing_ = false;
  bool paused_ = false;
  bool ended_ = false;
  bool repeat_ = false;
};

// One queued output block: a wave-out header and B bytes of data, both from the pool.
struct TWavPrimary {
  struct TMemData* memory = nullptr;
  bool prepared = false;
  bool written = false;
};

// A pair of header and data memory, reused while the device is open.
struct TMemData {
  platform::WaveOutBlock header;
  std::vector<std::int16_t> data;
  TWavPrimary* user = nullptr;
};

class TWavOut {
 public:
  static constexpr int kMinPoolPairs = 4;
  static constexpr std::size_t kMaxQueuedBlocks = 2;

  // audio may be null (no device: Open fails). delay_time_ms is the DelayTime option.
  TWavOut(platform::AudioOutput* audio, platform::Clock& clock, int delay_time_ms);
  ~TWavOut();
  TWavOut(const TWavOut&) = delete;
  TWavOut& operator=(const TWavOut&) = delete;

  bool Open();
  void Close();
  bool IsOpen() const { return open_.load(); }

  TWavBuffer* AddBuffer(const PcmFormat& format, TStream& stream);
  void RemoveBuffer(TWavBuffer* source);

  // One refill: the thread's work, also driven by tests.
  void Fill();
  // Mixes every source into block (block_bytes); true when any contributed.
  bool MixAll(std::int16_t* block);

  std::size_t block_bytes() const { return block_bytes_; }
  int delay_time() const { return delay_time_; }
  static PcmFormat OutputFormat() { return PcmFormat::Pcm(44100, 16, 2); }
  std::size_t pool_size() const;
  std::size_t queued_blocks() const;
  std::size_t active_sources() const;

 private:
  friend class TWavBuffer;
  void ThreadLoop();
  TMemData* TakePairLocked();
  void DeleteBlockLocked(std::size_t index);

  platform::AudioOutput* audio_;
  platform::Clock& clock_;
  const int delay_time_;
  const std::size_t block_bytes_;

  // The output lock: sources, active sources, queue, pool and every source field.
  mutable std::mutex lock_;
  std::atomic<bool> open_{false};
  std::unique_ptr<platform::WaveOutVoice> voice_;
  std::vector<std::unique_ptr<TWavBuffer>> sources_;
  std::vector<TWavBuffer*> active_;
  std::vector<std::unique_ptr<TWavPrimary>> queue_;
  std::vector<std::unique_ptr<TMemData>> pool_;

  std::unique_ptr<platform::TimedEvent> wake_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace vorn
