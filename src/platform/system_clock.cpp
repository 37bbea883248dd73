#include <time.h>

#include <algorithm>
#include <cerrno>

#include "platform/clock.h"

namespace vorn::platform {

std::uint32_t SystemClock::TimeGetTime() {
  timespec now {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t milliseconds =
      static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(milliseconds);
}

void SystemClock::Sleep(std::uint32_t milliseconds) {
  timespec wait {};
  wait.tv_sec = milliseconds / 1000;
  wait.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

LocalTime SystemClock::Now() {
  timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  tm parts {};
  const time_t seconds = now.tv_sec;
  localtime_r(&seconds, &parts);
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                   parts.tm_min,         std::min(parts.tm_sec, 59), static_cast<int>(now.tv_nsec / 1000000)};
}

}  // namespace vorn::platform
