#include "platform/audio_output.h"

#include <algorithm>
#include <cstring>

namespace vorn::platform {

bool AudioOutput::Open() {
  std::lock_guard lock(open_mutex_);
  if (clients_ == 0 && !OpenDevice()) return false;
  ++clients_;
  return true;
}

void AudioOutput::Close() {
  std::lock_guard lock(open_mutex_);
  if (clients_ == 0) return;
  if (--clients_ == 0) CloseDevice();
}

bool AudioOutput::IsOpen() const {
  std::lock_guard lock(open_mutex_);
  return clients_ > 0;
}

bool AudioOutput::SetPrimaryFormat(int samples_per_second, int bits, int channels) {
  return IsOpen() && samples_per_second > 0 && (bits == 8 || bits == 16) && (channels == 1 || channels == 2);
}

void AudioOutput::AddVoice(AudioVoice& voice) {
  std::lock_guard lock(voices_mutex_);
  if (std::find(voices_.begin(), voices_.end(), &voice) == voices_.end()) voices_.push_back(&voice);
}

void AudioOutput::RemoveVoice(AudioVoice& voice) {
  std::lock_guard lock(voices_mutex_);
  std::erase(voices_, &voice);
}

void AudioOutput::SetDeviceLostHandler(std::function<void()> handler) {
  std::lock_guard lock(open_mutex_);
  lost_handler_ = std::move(handler);
}

void AudioOutput::HandleDeviceLoss() {
  std::function<void()> handler;
  {
    std::lock_guard lock(open_mutex_);
    if (clients_ == 0) return;
    CloseDevice();
    // A device that cannot come back leaves the clients silent, as an empty device would.
    OpenDevice();
    handler = lost_handler_;
  }
  if (handler) handler();
}

void AudioOutput::MixVoices(std::int16_t* out, std::size_t frames) {
  const std::size_t samples = frames * kAudioChannels;
  std::lock_guard lock(voices_mutex_);
  if (voices_.empty()) {
    std::memset(out, 0, samples * sizeof(std::int16_t));
    return;
  }
  if (voices_.size() == 1) {
    std::memset(out, 0, samples * sizeof(std::int16_t));
    voices_.front()->Pull(out, frames);
    return;
  }
  sum_.assign(samples, 0);
  scratch_.resize(samples);
  for (AudioVoice* voice : voices_) {
    std::fill(scratch_.begin(), scratch_.end(), std::int16_t{0});
    voice->Pull(scratch_.data(), frames);
    for (std::size_t i = 0; i < samples; ++i) sum_[i] += scratch_[i];
  }
  for (std::size_t i = 0; i < samples; ++i) out[i] = static_cast<std::int16_t>(std::clamp(sum_[i], -32768, 32767));
}

void WaveOutVoice::Write(WaveOutBlock& block) {
  std::lock_guard lock(mutex_);
  block.done.store(false);
  queue_.push_back(&block);
}

void WaveOutVoice::Reset() {
  std::lock_guard lock(mutex_);
  for (WaveOutBlock* block : queue_) block->done.store(true);
  queue_.clear();
  played_ = 0;
}

std::size_t WaveOutVoice::Queued() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

void WaveOutVoice::Pull(std::int16_t* out, std::size_t frames) {
  std::lock_guard lock(mutex_);
  auto* target = reinterpret_cast<std::uint8_t*>(out);
  std::size_t wanted = frames * kAudioBytesPerFrame;
  while (wanted > 0 && !queue_.empty()) {
    WaveOutBlock& block = *queue_.front();
    const std::size_t take = std::min(wanted, block.bytes - played_);
    std::memcpy(target, block.data + played_, take);
    target += take;
    wanted -= take;
    played_ += take;
    if (played_ >= block.bytes) {
      queue_.pop_front();
      played_ = 0;
      block.done.store(true);
    }
  }
}

}  // namespace vorn::platform
