#pragma once

#include <cstdint>
#include <vector>

namespace vorn::platform {

struct LocalTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The multimedia timer, sleeping and the wall clock.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a monotonic clock, wrapping modulo 2^32 like timeGetTime.
  virtual std::uint32_t TimeGetTime() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  virtual LocalTime Now() = 0;
};

// CLOCK_MONOTONIC, nanosleep, localtime_r.
class SystemClock final : public Clock {
 public:
  std::uint32_t TimeGetTime() override;
  void Sleep(std::uint32_t milliseconds) override;
  LocalTime Now() override;
};

// Headless: time moves only by Sleep and Advance; the wall clock is fixed.
class VirtualClock final : public Clock {
 public:
  std::uint32_t TimeGetTime() override { return now_; }
  void Sleep(std::uint32_t milliseconds) override {
    sleeps_.push_back(milliseconds);
    now_ += milliseconds;
  }
  LocalTime Now() override { return local_time_; }

  void Advance(std::uint32_t milliseconds) { now_ += milliseconds; }
  void Set(std::uint32_t now) { now_ = now; }
  void set_local_time(const LocalTime& time) { local_time_ = time; }
  const std::vector<std::uint32_t>& sleeps() const { return sleeps_; }
  void clear_sleeps() { sleeps_.clear(); }

 private:
  std::uint32_t now_ = 0;
  LocalTime local_time_{2001, 2, 3, 4, 5, 6, 0};
  std::vector<std::uint32_t> sleeps_;
};

}  // namespace vorn::platform
