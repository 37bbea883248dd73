#include <time.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/clock.h"

namespace vorn::platform {

// steady_clock is CLOCK_MONOTONIC here, and sleep_for is nanosleep resumed after signals.
std::uint32_t SystemClock::TimeGetTime() {
  const auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(since_boot).count();
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(milliseconds));
}

void SystemClock::Sleep(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace {

class ConditionEvent final : public TimedEvent {
 public:
  void Signal() override {
    std::lock_guard lock(mutex_);
    signalled_ = true;
    changed_.notify_all();
  }
  bool Wait(std::uint32_t milliseconds) override {
    std::unique_lock lock(mutex_);
    const bool signalled =
        changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return signalled_; });
    signalled_ = false;
    return signalled;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace

std::unique_ptr<TimedEvent> SystemClock::CreateEvent() { return std::make_unique<ConditionEvent>(); }

LocalTime SystemClock::Now() {
  const auto now = std::chrono::system_clock::now();
  const time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millisecond =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  tm parts {};
  localtime_r(&seconds, &parts);
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour,         parts.tm_min,     std::min(parts.tm_sec, 59),
                   static_cast<int>(millisecond < 0 ? millisecond + 1000 : millisecond)};
}

}  // namespace vorn::platform
