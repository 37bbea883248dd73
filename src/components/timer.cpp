#include "components/timer.h"

#include "components/saved_records.h"
#include "components/vorn_base_list.h"
#include "engine/engine_values.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {

namespace {

// The game clock wraps at 32 bits: the time since `since`, taken modulo 2^32 as a signed value.
std::int32_t ClockDifference(std::int32_t now, std::int32_t since) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(since));
}

}  // namespace

void TVornTimer::SetOnNotify(const std::string& value) {
  on_notify_ = value;
  Restart();
}

void TVornTimer::SetDelay(std::int32_t value) {
  delay_ = value;
  Restart();
}

void TVornTimer::SetPaused(bool value) {
  if (value == GetPaused()) return;
  paused_ = value ? 1 : 0;
  Restart();
}

void TVornTimer::Restart() {
  if (TVornBaseList* scene = GetOwner()) scene->Events().RemovePendingOf(this);
  last_time_ = GameClock;
}

bool TVornTimer::Tick() {
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr) return false;
  TTimerList& queue = scene->Events();
  // A single notification: once its handler has ended the timer goes.
  if (fired_ != 0 && auto_scrap_ != 0) return !queue.HasEvent(this, PR_ONNOTIFY);
  if (delay_ < 0 || paused_ != 0) return false;
  if (delay_ > 0 && ClockDifference(GameClock, last_time_) < delay_) return false;
  // By exactly one period, so the schedule does not drift with late frames.
  last_time_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(last_time_) + static_cast<std::uint32_t>(delay_));
  // Without a label there is nothing the interpreter could run: nothing is posted and the timer
  // has not fired.
  if (on_notify_.empty() || queue.HasEvent(this, PR_ONNOTIFY)) return false;
  queue.PostEvent(this, on_notify_, nullptr, PR_ONNOTIFY);
  fired_ = 1;
  return false;
}

void TVornTimer::SaveClassFields(TStream& stream) const {
  TVornComponent::SaveClassFields(stream);
  WriteStrToStream(stream, on_notify_);
  WriteIntToStream(stream, delay_);
  WriteByteToStream(stream, paused_);
  WriteByteToStream(stream, auto_scrap_);
  WriteByteToStream(stream, fired_);
}

void TVornTimer::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornComponent::LoadClassFields(stream, version);
  ReadStrFromStream(stream, on_notify_);
  delay_ = ReadIntFromStream(stream);
  paused_ = ReadByteFromStream(stream);
  if (version >= kFirstVersionWithSubPriority) {
    auto_scrap_ = ReadByteFromStream(stream);
    fired_ = ReadByteFromStream(stream);
  }
  // The period starts again now; waiting notifications came back with the event queue.
  last_time_ = GameClock;
}

}  // namespace vorn
