#include <algorithm>
#include <optional>

#include "platform/clock.h"

namespace vorn::platform {

class VirtualClock::Event final : public TimedEvent {
 public:
  // An event counts as running until its first wait, so an Advance right after a worker starts
  // waits for the worker to reach its loop instead of missing it.
  explicit Event(VirtualClock& clock) : clock_(clock) {
    std::lock_guard lock(clock_.mutex_);
    clock_.events_.push_back(this);
    woken_by_time_ = true;
    ++clock_.running_after_timeout_;
  }
  ~Event() override {
    std::lock_guard lock(clock_.mutex_);
    EndRunLocked();
    std::erase(clock_.events_, this);
    clock_.changed_.notify_all();
  }

  void Signal() override {
    std::lock_guard lock(clock_.mutex_);
    signalled_ = true;
    clock_.changed_.notify_all();
  }

  bool Wait(std::uint32_t milliseconds) override {
    std::unique_lock lock(clock_.mutex_);
    EndRunLocked();
    if (signalled_) {
      signalled_ = false;
      return true;
    }
    if (milliseconds == 0) return false;
    deadline_ = clock_.elapsed_ + milliseconds;
    waiting_ = true;
    clock_.changed_.notify_all();
    clock_.changed_.wait(lock, [&] { return signalled_ || woken_by_time_; });
    waiting_ = false;
    if (signalled_ && !woken_by_time_) {
      signalled_ = false;
      return true;
    }
    // Woken by time: the advancing thread counts this waiter until it waits again.
    return false;
  }

  // Under the clock's mutex: the limit of a waiter not yet signalled.
  std::optional<std::uint64_t> PendingDeadlineLocked() const {
    if (!waiting_ || signalled_ || woken_by_time_) return std::nullopt;
    return deadline_;
  }

  // Under the clock's mutex: wakes this waiter by time when its limit has passed.
  bool WakeIfDueLocked() {
    if (!waiting_ || signalled_ || woken_by_time_ || deadline_ > clock_.elapsed_) return false;
    woken_by_time_ = true;
    ++clock_.running_after_timeout_;
    return true;
  }

 private:
  void EndRunLocked() {
    if (!woken_by_time_) return;
    woken_by_time_ = false;
    --clock_.running_after_timeout_;
    clock_.changed_.notify_all();
  }

  VirtualClock& clock_;
  bool signalled_ = false;
  bool waiting_ = false;
  bool woken_by_time_ = false;
  std::uint64_t deadline_ = 0;
};

VirtualClock::~VirtualClock() = default;

std::unique_ptr<TimedEvent> VirtualClock::CreateEvent() { return std::make_unique<Event>(*this); }

void VirtualClock::Sleep(std::uint32_t milliseconds) {
  sleeps_.push_back(milliseconds);
  Advance(milliseconds);
}

void VirtualClock::Advance(std::uint32_t milliseconds) {
  const std::uint32_t from = now_.load();
  {
    std::unique_lock lock(mutex_);
    // Step through the deadlines in order so that a waiter due early runs before a later one and
    // sees the time of its own deadline, as it would have on a real clock.
    const std::uint64_t start = elapsed_;
    const std::uint64_t end = start + milliseconds;
    while (true) {
      changed_.wait(lock, [&] { return running_after_timeout_ == 0; });
      std::uint64_t next = end;
      for (Event* event : events_) {
        if (const auto deadline = event->PendingDeadlineLocked()) next = std::min(next, std::max(*deadline, elapsed_));
      }
      now_.store(static_cast<std::uint32_t>(from + static_cast<std::uint32_t>(next - start)));
      elapsed_ = next;
      bool woke = false;
      for (Event* event : events_) woke = event->WakeIfDueLocked() || woke;
      if (woke) changed_.notify_all();
      if (next == end) {
        changed_.wait(lock, [&] { return running_after_timeout_ == 0; });
        break;
      }
    }
  }
  std::vector<AdvanceListener> listeners;
  {
    std::lock_guard lock(listeners_mutex_);
    for (auto& [id, listener] : listeners_) listeners.push_back(listener);
  }
  for (auto& listener : listeners) listener(from, milliseconds);
}

int VirtualClock::AddAdvanceListener(AdvanceListener listener) {
  std::lock_guard lock(listeners_mutex_);
  const int id = next_listener_id_++;
  listeners_.emplace_back(id, std::move(listener));
  return id;
}

void VirtualClock::RemoveAdvanceListener(int id) {
  std::lock_guard lock(listeners_mutex_);
  std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

}  // namespace vorn::platform
