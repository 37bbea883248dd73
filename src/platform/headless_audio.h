#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio_output.h"
#include "platform/clock.h"

namespace vorn::platform {

// The sound device of headless runs: whenever virtual time moves it pulls the span's frames from
// the voices into a capture buffer (silence while closed), so a run's sound is one long recording.
// Switches make each step of the device fail the way a host's can.
class HeadlessAudioOutput final : public AudioOutput {
 public:
  explicit HeadlessAudioOutput(VirtualClock& clock);
  ~HeadlessAudioOutput() override;

  bool CreatePrimaryBuffer() override;
  bool SetPrimaryFormat(int samples_per_second, int bits, int channels) override;
  bool PrepareBlock() override { return !fail_prepare_; }
  bool PullMayWait() const override { return true; }

  void set_fail_open(bool fail) { fail_open_ = fail; }
  void set_fail_primary(bool fail) { fail_primary_ = fail; }
  void set_refuse_format(bool refuse) { refuse_format_ = refuse; }
  void set_fail_prepare(bool fail) { fail_prepare_ = fail; }
  void SimulateDeviceLoss() { HandleDeviceLoss(); }

  // Interleaved stereo samples of everything pulled so far.
  std::vector<std::int16_t> Captured() const;
  std::size_t CapturedFrames() const;
  void ClearCapture();
  int device_opens() const { return device_opens_; }

 protected:
  bool OpenDevice() override;
  void CloseDevice() override;

 private:
  void Render(std::uint32_t milliseconds);

  VirtualClock& clock_;
  int listener_ = 0;
  std::atomic<bool> fail_open_{false};
  std::atomic<bool> fail_primary_{false};
  std::atomic<bool> refuse_format_{false};
  std::atomic<bool> fail_prepare_{false};
  std::atomic<bool> device_open_{false};
  std::atomic<int> device_opens_{0};

  mutable std::mutex capture_mutex_;
  std::uint64_t elapsed_ms_ = 0;
  std::uint64_t frames_rendered_ = 0;
  std::vector<std::int16_t> capture_;
  std::vector<std::int16_t> block_;
};

}  // namespace vorn::platform
