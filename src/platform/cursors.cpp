#include "platform/cursors.h"

#include <algorithm>

namespace vorn::platform {

void CursorAnimation::Start(std::vector<CursorStep> steps, std::uint32_t now_ms) {
  steps_ = std::move(steps);
  cycle_ms_ = 0;
  for (CursorStep& step : steps_) {
    step.duration_ms = std::max<std::uint32_t>(step.duration_ms, 1);
    cycle_ms_ += step.duration_ms;
  }
  start_ms_ = now_ms;
}

std::size_t CursorAnimation::StepAt(std::uint32_t now_ms, std::uint64_t* step_end, std::uint64_t* offset) const {
  // Unsigned subtraction keeps counting across the clock's wrap.
  const std::uint64_t at = static_cast<std::uint32_t>(now_ms - start_ms_) % cycle_ms_;
  std::uint64_t end = 0;
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    end += steps_[i].duration_ms;
    if (at < end) {
      if (step_end != nullptr) *step_end = end;
      if (offset != nullptr) *offset = at;
      return i;
    }
  }
  return 0;
}

std::size_t CursorAnimation::FrameAt(std::uint32_t now_ms) const {
  if (steps_.empty()) return 0;
  return steps_[StepAt(now_ms)].frame;
}

std::optional<std::uint32_t> CursorAnimation::NextChangeIn(std::uint32_t now_ms) const {
  if (!Running()) return std::nullopt;
  std::uint64_t end = 0;
  std::uint64_t at = 0;
  StepAt(now_ms, &end, &at);
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(end - at, 0xFFFFFFFFu));
}

bool RecordingCursors::InstallCustom(std::string_view source, std::vector<CursorImage> frames,
                                     std::vector<CursorStep> steps) {
  ++installs_;
  source_ = std::string(source);
  if (refuse_ || frames.empty()) {
    frames_.clear();
    steps_.clear();
    animation_.Stop();
    return false;
  }
  frames_ = std::move(frames);
  steps_ = std::move(steps);
  animation_.Start(steps_, Now());
  return true;
}

RecordingCursors::Shown RecordingCursors::shown() const {
  if (over_panel_ && over_text_) return Shown{CursorShape::kText, 0};
  if (!over_panel_ || panel_ != CursorShape::kCustom || frames_.empty()) return Shown{};
  return Shown{CursorShape::kCustom, animation_.FrameAt(Now())};
}

}  // namespace vorn::platform
