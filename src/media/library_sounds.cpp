#include "media/library_sounds.h"

#include <algorithm>
#include <cmath>

#include "foundation/log_line.h"

namespace vorn {
namespace {

constexpr std::int32_t kSilentAttenuation = -10000;
constexpr double kMaxGain = 1 << 30;

std::int16_t Clamp16(std::int64_t value) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, -32768, 32767));
}

std::int32_t ClampToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

std::int32_t GainOfAttenuation(std::int32_t attenuation) {
  if (attenuation <= kSilentAttenuation) return 0;
  const double gain = std::floor(65536.0 * std::pow(10.0, attenuation / 2000.0) + 0.5);
  return static_cast<std::int32_t>(std::min(gain, kMaxGain));
}

LibrarySound::LibrarySound(std::unique_ptr<SoundDecoder> decoder)
    : rate_(static_cast<int>(decoder->Format().samples_per_second)),
      factor_(decoder->Format().samples_per_second == 22050 ? 2 : 1),
      source_frame_bytes_(decoder->Format().block_align),
      conversion_(ConversionFor(decoder->Format().channels, rate_, decoder->Format().bits_per_sample)),
      decoder_(std::move(decoder)) {
  total_frames_ = decoder_->Size() / static_cast<std::int64_t>(source_frame_bytes_);
}

LibrarySoundPlayer::LibrarySoundPlayer(platform::Clock& clock) : clock_(clock) {
  thread_ = std::thread([this] { DecodeLoop(); });
}

LibrarySoundPlayer::~LibrarySoundPlayer() {
  {
    std::lock_guard lock(work_mutex_);
    stop_ = true;
  }
  work_.notify_all();
  thread_.join();
  if (output_ != nullptr) output_->RemoveVoice(*this);
}

void LibrarySoundPlayer::Wake() {
  {
    std::lock_guard lock(work_mutex_);
    wake_ = true;
  }
  work_.notify_all();
}

void LibrarySoundPlayer::DecodeLoop() {
  std::vector<std::uint8_t> buffer;
  while (true) {
    {
      std::unique_lock lock(work_mutex_);
      work_.wait(lock, [this] { return stop_ || wake_; });
      if (stop_) return;
      wake_ = false;
    }
    std::vector<std::shared_ptr<LibrarySound>> sounds;
    {
      std::lock_guard lock(sounds_mutex_);
      sounds = sounds_;
    }
    bool more = false;
    for (const auto& sound : sounds) more = DecodeSome(*sound, buffer) || more;
    if (more) {
      std::lock_guard lock(work_mutex_);
      wake_ = true;
    }
  }
}

bool LibrarySoundPlayer::DecodeSome(LibrarySound& sound, std::vector<std::uint8_t>& buffer) {
  std::lock_guard decode(sound.decode_mutex_);
  if (!sound.decoder_ || sound.conversion_ == WaveConversion::kUnsupported) return false;
  std::uint64_t generation = 0;
  std::int64_t frame = 0;
  {
    std::lock_guard lock(sound.mutex_);
    if (Silent() || !sound.playing_ || sound.paused_ || sound.ended_ || sound.decode_done_) return false;
    if (sound.ring_.size() / 2 >= std::max(kAheadFrames, sound.wanted_frames_)) return false;
    generation = sound.generation_;
    frame = sound.decode_frame_;
  }
  const std::size_t frame_bytes = sound.source_frame_bytes_;
  buffer.resize(kChunkFrames * platform::kAudioBytesPerFrame * static_cast<std::size_t>(sound.factor_));
  std::size_t frames = 0;
  std::int64_t total = frame;
  try {
    sound.decoder_->SetPosition(frame * static_cast<std::int64_t>(frame_bytes));
    frames = sound.decoder_->Read(buffer.data(), kChunkFrames * frame_bytes) / frame_bytes;
    total = sound.decoder_->Size() / static_cast<std::int64_t>(frame_bytes);
  } catch (const std::exception& error) {
    LogLine(std::string("media library: a sound stopped decoding: ") + error.what());
    frames = 0;
  }
  const std::size_t samples = ConvertInPlace(sound.conversion_, buffer.data(), frames * frame_bytes);
  {
    std::lock_guard lock(sound.mutex_);
    sound.total_frames_ = total;
    if (generation != sound.generation_) return true;
    const auto* pcm = reinterpret_cast<const std::int16_t*>(buffer.data());
    sound.ring_.insert(sound.ring_.end(), pcm, pcm + samples);
    sound.decode_frame_ = frame + static_cast<std::int64_t>(frames);
    if (frames == 0 || sound.decode_frame_ >= total) {
      // A sound that gives nothing from its start ends even when it repeats.
      const bool empty = frames == 0 && frame == 0;
      if (sound.repeat_ && total > 0 && !empty) {
        sound.decode_frame_ = 0;
      } else {
        sound.decode_done_ = true;
      }
    }
  }
  sound.data_ready_.notify_all();
  return true;
}

void LibrarySoundPlayer::Pull(std::int16_t* out, std::size_t frames) {
  std::lock_guard voice(voice_mutex_);
  const std::size_t samples = frames * platform::kAudioChannels;
  sum_.assign(samples, 0);
  bool need_more = false;
  for (const auto& shared : voice_sounds_) {
    LibrarySound& sound = *shared;
    std::unique_lock lock(sound.mutex_);
    std::size_t done = 0;
    while (done < frames && sound.playing_ && !sound.paused_ && !sound.ended_) {
      const std::size_t available = sound.ring_.size() / 2;
      if (available > 0) {
        const std::size_t take = std::min(available, frames - done);
        const std::int64_t left_gain = sound.gain_left_.load();
        const std::int64_t right_gain = sound.gain_right_.load();
        std::int32_t* target = sum_.data() + done * 2;
        for (std::size_t i = 0; i < take; ++i) {
          target[2 * i] += Clamp16((sound.ring_[2 * i] * left_gain) >> 16);
          target[2 * i + 1] += Clamp16((sound.ring_[2 * i + 1] * right_gain) >> 16);
        }
        sound.ring_.erase(sound.ring_.begin(), sound.ring_.begin() + static_cast<std::ptrdiff_t>(take * 2));
        done += take;
        sound.position_ += static_cast<std::int64_t>(take);
        const std::int64_t total = TotalDeviceFramesLocked(sound);
        // Frames past the end were decoded from the start again: the position wraps with them.
        if (total > 0 && (sound.position_ > total || (sound.position_ == total && sound.repeat_))) {
          sound.position_ %= total;
        }
        continue;
      }
      if (sound.decode_done_) {
        sound.ended_ = true;
        sound.playing_ = false;
        break;
      }
      need_more = true;
      if (!pull_may_wait_.load()) break;
      sound.wanted_frames_ = frames - done;
      Wake();
      sound.data_ready_.wait(lock);
    }
    sound.wanted_frames_ = 0;
    if (sound.ring_.size() / 2 < kAheadFrames && !sound.decode_done_) need_more = true;
  }
  if (need_more) Wake();
  for (std::size_t i = 0; i < samples; ++i) out[i] = Clamp16(static_cast<std::int64_t>(out[i]) + sum_[i]);
}

void LibrarySoundPlayer::AnchorLocked(LibrarySound& sound) {
  sound.anchor_ms_ = clock_.TimeGetTime();
  sound.anchor_position_ = sound.position_;
}

void LibrarySoundPlayer::AdvanceSilentLocked(LibrarySound& sound) {
  if (!Silent() || !sound.playing_ || sound.paused_ || sound.ended_) return;
  const std::uint32_t elapsed = clock_.TimeGetTime() - sound.anchor_ms_;
  std::int64_t position = sound.anchor_position_ + static_cast<std::int64_t>(elapsed) * platform::kAudioRate / 1000;
  const std::int64_t total = TotalDeviceFramesLocked(sound);
  if (position >= total) {
    if (sound.repeat_ && total > 0) {
      position %= total;
    } else {
      position = total;
      sound.ended_ = true;
      sound.playing_ = false;
    }
  }
  sound.position_ = position;
}

void LibrarySoundPlayer::ResyncLocked(LibrarySound& sound) {
  sound.ring_.clear();
  sound.decode_frame_ = sound.position_ / sound.factor_;
  sound.decode_done_ = false;
  ++sound.generation_;
  AnchorLocked(sound);
}

void LibrarySoundPlayer::Attach(platform::AudioOutput* output) {
  if (output_ != nullptr) output_->RemoveVoice(*this);
  std::vector<std::shared_ptr<LibrarySound>> sounds;
  {
    std::lock_guard lock(sounds_mutex_);
    sounds = sounds_;
  }
  for (const auto& sound : sounds) {
    std::lock_guard lock(sound->mutex_);
    AdvanceSilentLocked(*sound);
  }
  output_ = output;
  silent_.store(output == nullptr);
  pull_may_wait_.store(output != nullptr && output->PullMayWait());
  for (const auto& sound : sounds) {
    std::lock_guard lock(sound->mutex_);
    ResyncLocked(*sound);
  }
  if (output_ != nullptr) output_->AddVoice(*this);
  Wake();
}

void LibrarySoundPlayer::Add(const std::shared_ptr<LibrarySound>& sound) {
  {
    std::lock_guard lock(sound->mutex_);
    AnchorLocked(*sound);
  }
  {
    std::lock_guard lock(sounds_mutex_);
    sounds_.push_back(sound);
  }
  std::lock_guard voice(voice_mutex_);
  voice_sounds_.push_back(sound);
}

void LibrarySoundPlayer::Remove(const std::shared_ptr<LibrarySound>& sound) {
  {
    std::lock_guard voice(voice_mutex_);
    std::erase(voice_sounds_, sound);
  }
  {
    std::lock_guard lock(sounds_mutex_);
    std::erase(sounds_, sound);
  }
  std::lock_guard decode(sound->decode_mutex_);
  sound->decoder_.reset();
}

void LibrarySoundPlayer::Play(LibrarySound& sound) {
  {
    std::lock_guard lock(sound.mutex_);
    AdvanceSilentLocked(sound);
    if (sound.ended_) return;
    if (sound.playing_ && !sound.paused_) return;
    sound.playing_ = true;
    sound.paused_ = false;
    AnchorLocked(sound);
  }
  Wake();
}

void LibrarySoundPlayer::Pause(LibrarySound& sound) {
  std::lock_guard lock(sound.mutex_);
  AdvanceSilentLocked(sound);
  if (!sound.playing_ || sound.ended_) return;
  sound.paused_ = true;
  AnchorLocked(sound);
}

bool LibrarySoundPlayer::IsPlaying(LibrarySound& sound) {
  std::lock_guard lock(sound.mutex_);
  AdvanceSilentLocked(sound);
  return sound.playing_ && !sound.ended_;
}

bool LibrarySoundPlayer::IsPaused(LibrarySound& sound) {
  std::lock_guard lock(sound.mutex_);
  AdvanceSilentLocked(sound);
  return sound.paused_;
}

bool LibrarySoundPlayer::IsEnd(LibrarySound& sound) {
  std::lock_guard lock(sound.mutex_);
  AdvanceSilentLocked(sound);
  return sound.ended_;
}

bool LibrarySoundPlayer::GetRepeat(LibrarySound& sound) {
  std::lock_guard lock(sound.mutex_);
  return sound.repeat_;
}

void LibrarySoundPlayer::SetRepeat(LibrarySound& sound, bool repeat) {
  {
    std::lock_guard lock(sound.mutex_);
    AdvanceSilentLocked(sound);
    sound.repeat_ = repeat;
    if (repeat && sound.decode_done_ && !sound.ended_) {
      sound.decode_done_ = false;
      sound.decode_frame_ = 0;
    }
    AnchorLocked(sound);
  }
  Wake();
}

std::int64_t LibrarySoundPlayer::LengthMs(LibrarySound& sound) {
  std::lock_guard lock(sound.mutex_);
  return sound.total_frames_ * 1000 / sound.rate_;
}

std::int64_t LibrarySoundPlayer::PositionMs(LibrarySound& sound) {
  std::lock_guard lock(sound.mutex_);
  AdvanceSilentLocked(sound);
  return sound.position_ * 1000 / platform::kAudioRate;
}

void LibrarySoundPlayer::SetPositionMs(LibrarySound& sound, std::int64_t milliseconds) {
  {
    std::lock_guard lock(sound.mutex_);
    const std::int64_t frame = std::clamp<std::int64_t>(std::max<std::int64_t>(milliseconds, 0) * sound.rate_ / 1000, 0,
                                                        sound.total_frames_);
    sound.position_ = frame * sound.factor_;
    sound.ended_ = false;
    ResyncLocked(sound);
  }
  Wake();
}

void LibrarySoundPlayer::SetVolume(LibrarySound& sound, std::int32_t volume) {
  sound.volume_ = volume;
  SetPan(sound, sound.pan_);
}

void LibrarySoundPlayer::SetPan(LibrarySound& sound, std::int32_t pan) {
  sound.pan_ = pan;
  const std::int64_t volume = sound.volume_;
  sound.gain_left_.store(GainOfAttenuation(ClampToInt32(volume - std::max<std::int64_t>(0, pan))));
  sound.gain_right_.store(GainOfAttenuation(ClampToInt32(volume - std::max<std::int64_t>(0, -static_cast<std::int64_t>(pan)))));
}

}  // namespace vorn
