#include <time.h>

#include <algorithm>
#include <chrono>
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
