#include "components/timer_list.h"

#include <algorithm>

#include "components/vorn_base_list.h"
#include "components/vorn_object.h"
#include "foundation/errors.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"

namespace vorn {

namespace {

// The first saved-game version that stores done as an int32 instead of one byte.
constexpr std::int32_t kFirstVersionWithIntDone = 114;
// Smallest event record: empty label and name, code, one done byte, empty argument list.
constexpr std::int64_t kSmallestEventRecordBytes = 4 + 4 + 1 + 1 + 4;

bool SameTarget(const TTimerData& event, const TVornObject* object) {
  return object != nullptr && event.GetSender().Id() == object->GetId();
}

std::uint64_t CountKey(TObjectId id, std::uint8_t code) { return (static_cast<std::uint64_t>(id) << 8) | code; }

}  // namespace

TTimerData* TTimerList::PostEvent(const TVornObject* object, const std::string& label,
                                  const TArrayString* arguments, std::uint8_t code) {
  auto event = std::make_unique<TTimerData>(this, label, TObjectHandle(object), code);
  if (arguments != nullptr) event->Arguments().Assign(*arguments);
  Counted(*event, 1);
  events_.push_back(std::move(event));
  return events_.back().get();
}

void TTimerList::Counted(const TTimerData& event, int change) {
  const TObjectId id = event.GetSender().Id();
  if (id == 0) return;
  const std::uint64_t key = CountKey(id, event.GetCode());
  if (change > 0) {
    ++counts_[key];
  } else if (const auto found = counts_.find(key); found != counts_.end() && --found->second <= 0) {
    counts_.erase(found);
  }
}

template <typename Predicate>
void TTimerList::EraseIf(Predicate doomed) {
  std::erase_if(events_, [this, &doomed](const auto& event) {
    if (!doomed(*event)) return false;
    Counted(*event, -1);
    return true;
  });
}

bool TTimerList::HasEvent(const TVornObject* object, std::uint8_t code) const {
  return object != nullptr && counts_.contains(CountKey(object->GetId(), code));
}

int TTimerList::FindEvent(const TVornObject* object, std::uint8_t code) const {
  if (!HasEvent(object, code)) return -1;
  for (std::size_t i = 0; i < events_.size(); ++i) {
    if (events_[i]->GetCode() == code && SameTarget(*events_[i], object)) return static_cast<int>(i);
  }
  return -1;
}

TTimerData* TTimerList::NextEvent() {
  for (const auto& event : events_) {
    if (event->GetDone() == 0) return event.get();
  }
  return nullptr;
}

void TTimerList::RemoveByFlag(std::int32_t level) {
  EraseIf([level](const TTimerData& event) { return event.GetDone() == level; });
}

void TTimerList::RemoveDone() {
  EraseIf([](const TTimerData& event) { return event.GetDone() != 0; });
}

void TTimerList::RemoveEvent(const TScriptEvent* event) {
  EraseIf([event](const TTimerData& queued) { return &queued == event; });
}

void TTimerList::RemovePendingOf(const TVornObject* object) {
  EraseIf([object](const TTimerData& event) { return event.GetDone() == 0 && SameTarget(event, object); });
}

void TTimerList::ForgetTarget(const TVornObject* object) {
  for (auto& event : events_) {
    if (!SameTarget(*event, object)) continue;
    Counted(*event, -1);
    event->ForgetTarget();
  }
}

void TTimerList::Clear() {
  events_.clear();
  counts_.clear();
}

void TTimerList::SaveToStream(TStream& stream) const {
  WriteIntToStream(stream, static_cast<std::int32_t>(events_.size()));
  for (const auto& event : events_) {
    WriteStrToStream(stream, event->GetLabel());
    std::string target_name;
    if (auto* target = dynamic_cast<TVornObject*>(event->GetSender().Get());
        target != nullptr && scene_ != nullptr && scene_->IndexOfObject(target) >= 0) {
      target_name = target->GetName();
    }
    WriteStrToStream(stream, target_name);
    WriteByteToStream(stream, event->GetCode());
    WriteIntToStream(stream, event->GetDone());
    event->GetArguments().SaveToStream(stream);
  }
}

void TTimerList::LoadFromStream(TStream& stream, std::int32_t version) {
  Clear();
  const std::int32_t count = ReadIntFromStream(stream);
  if (count < 0 || count > stream.Remaining() / kSmallestEventRecordBytes) {
    throw EReadError("event queue record: bad event count");
  }
  for (std::int32_t i = 0; i < count; ++i) {
    std::string label = ReadStrFromStream(stream);
    const std::string target_name = ReadStrFromStream(stream);
    const std::uint8_t code = ReadByteFromStream(stream);
    std::int32_t done;
    if (version >= kFirstVersionWithIntDone) {
      done = ReadIntFromStream(stream);
    } else {
      done = ReadByteFromStream(stream) != 0 ? 1 : 0;
    }
    // An empty name means no target; asking the scene for "" would answer the active layer.
    TVornObject* target = nullptr;
    if (!target_name.empty() && scene_ != nullptr) target = scene_->FindComponent(target_name);
    auto event = std::make_unique<TTimerData>(this, std::move(label), TObjectHandle(target), code);
    event->SetDone(done);
    event->Arguments().LoadFromStream(stream);
    Counted(*event, 1);
    events_.push_back(std::move(event));
  }
}

bool CanPostEvent(const TTimerList& queue, const TVornObject& object, const std::string& label,
                  std::uint8_t code, TPostKind kind) {
  if (label.empty()) return false;
  if (object.IsEventBlocked()) return false;
  if (kind == TPostKind::kPlain) return true;
  if (queue.HasEvent(&object, code)) return false;
  if (kind == TPostKind::kInput && (object.GetPaused() || object.IsLayer())) return false;
  return true;
}

}  // namespace vorn
