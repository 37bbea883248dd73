#include "motion/vorn_motion.h"

#include <cmath>

#include "components/vorn_control.h"
#include "engine/engine_values.h"

namespace vorn {
namespace {

std::int32_t NearestTick(double value) {
  if (std::isnan(value)) return 0;
  const double rounded = std::nearbyint(value);
  if (rounded >= 2147483647.0) return INT32_MAX;
  if (rounded <= -2147483648.0) return INT32_MIN;
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

TVornMotion::TVornMotion(TVornControl& control) : control_(control) {
  film_.SetDirect(true);
  film_.SetTarget(&control);
}

TVornMotion::~TVornMotion() {
  film_.Clear();
  control_.SetMotionLeft(0);
  control_.SetMotionTop(0);
  control_.SetSubPriority(0);
}

void TVornMotion::LoadMotion(const std::string& file_name) {
  film_.LoadFromFile(file_name);
  Rewind();
}

void TVornMotion::RestartMotion() { Rewind(); }

void TVornMotion::Rewind() {
  elapsed_ = 0;
  countdown_ = kStartCountdown;
  ended_ = false;
}

void TVornMotion::Reapply() {
  if (tick_ >= 0 && tick_ < film_.GetLength()) film_.SetTime(tick_);
}

std::int32_t TVornMotion::BasePriority() const {
  const std::int32_t priority = control_.GetPriority();
  // A restart would otherwise add the track's priority once more on top of the last run's.
  if (film_.WrotePriority() && priority == film_.WrittenPriority()) {
    return Wrap32(std::int64_t{priority} - film_.AddedPriority());
  }
  return priority;
}

bool TVornMotion::Tick() {
  const std::int32_t left = control_.GetLeft();
  const std::int32_t top = control_.GetTop();
  bool redraw = false;
  if (countdown_ == 0 && (left != last_left_ || top != last_top_) && film_.GetRelative()) {
    // Moved by the script: the film goes on from the new place.
    film_.SetBasePoint(TPoint{left, top});
    ended_ = false;
    redraw = true;
  }
  if (ended_) return false;
  if (countdown_ == kStartCountdown) {
    film_.SetBasePoint(film_.GetRelative() ? TPoint{left, top} : TPoint{});
    film_.SetBasePriority(BasePriority());
    last_left_ = left;
    last_top_ = top;
  }
  if (countdown_ == 0 && !control_.GetAniPaused()) elapsed_ = Wrap32(std::int64_t{elapsed_} + FrameDelta);
  tick_ = NearestTick(static_cast<double>(elapsed_) / kFilmTickMs);

  bool ended_now = false;
  const std::int64_t length = film_.GetLength();
  if (tick_ >= length) {
    if (control_.GetRepeat()) {
      const std::int64_t wrapped = length != 0 ? tick_ % length + film_.GetLoopStart() : 0;
      tick_ = static_cast<std::int32_t>(std::max<std::int64_t>(std::min(wrapped, length - 1), INT32_MIN));
      elapsed_ = NearestTick(static_cast<double>(tick_) * kFilmTickMs);
    } else {
      tick_ = static_cast<std::int32_t>(std::max<std::int64_t>(length - 1, INT32_MIN));
      ended_ = true;
      ended_now = true;
    }
  }
  if (countdown_ == kStartCountdown || film_.GetCurrentTime() != tick_ || redraw) film_.SetTime(tick_);
  if (countdown_ > 0) --countdown_;
  last_left_ = control_.GetLeft();
  last_top_ = control_.GetTop();
  return ended_now;
}

std::unique_ptr<TControlFilm> TMotionFilmMaker::CreateFilm(TVornControl& holder) {
  return std::make_unique<TVornMotion>(holder);
}

}  // namespace vorn
