#include "platform/headless_audio.h"

namespace vorn::platform {

HeadlessAudioOutput::HeadlessAudioOutput(VirtualClock& clock) : clock_(clock) {
  listener_ = clock_.AddAdvanceListener([this](std::uint32_t, std::uint32_t milliseconds) { Render(milliseconds); });
}

HeadlessAudioOutput::~HeadlessAudioOutput() { clock_.RemoveAdvanceListener(listener_); }

bool HeadlessAudioOutput::OpenDevice() {
  if (fail_open_) return false;
  device_open_ = true;
  ++device_opens_;
  return true;
}

void HeadlessAudioOutput::CloseDevice() { device_open_ = false; }

bool HeadlessAudioOutput::CreatePrimaryBuffer() { return !fail_primary_ && AudioOutput::CreatePrimaryBuffer(); }

bool HeadlessAudioOutput::SetPrimaryFormat(int samples_per_second, int bits, int channels) {
  return !refuse_format_ && AudioOutput::SetPrimaryFormat(samples_per_second, bits, channels);
}

void HeadlessAudioOutput::Render(std::uint32_t milliseconds) {
  std::lock_guard lock(capture_mutex_);
  elapsed_ms_ += milliseconds;
  const std::uint64_t target = elapsed_ms_ * kAudioRate / 1000;
  const std::size_t frames = static_cast<std::size_t>(target - frames_rendered_);
  frames_rendered_ = target;
  if (frames == 0) return;
  block_.assign(frames * kAudioChannels, 0);
  if (device_open_) MixVoices(block_.data(), frames);
  capture_.insert(capture_.end(), block_.begin(), block_.end());
}

std::vector<std::int16_t> HeadlessAudioOutput::Captured() const {
  std::lock_guard lock(capture_mutex_);
  return capture_;
}

std::size_t HeadlessAudioOutput::CapturedFrames() const {
  std::lock_guard lock(capture_mutex_);
  return capture_.size() / kAudioChannels;
}

void HeadlessAudioOutput::ClearCapture() {
  std::lock_guard lock(capture_mutex_);
  capture_.clear();
}

}  // namespace vorn::platform
