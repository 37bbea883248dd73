#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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

// An auto-reset event a worker thread waits on with a limit, measured on the clock that made it.
class TimedEvent {
 public:
  virtual ~TimedEvent() = default;
  virtual void Signal() = 0;
  // True when signalled (the signal is consumed), false when the limit passed first.
  virtual bool Wait(std::uint32_t milliseconds) = 0;
};

// The multimedia timer, sleeping and the wall clock.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a monotonic clock, wrapping modulo 2^32 like timeGetTime.
  virtual std::uint32_t TimeGetTime() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  virtual LocalTime Now() = 0;
  virtual std::unique_ptr<TimedEvent> CreateEvent() = 0;
};

// CLOCK_MONOTONIC, nanosleep, localtime_r.
class SystemClock final : public Clock {
 public:
  std::uint32_t TimeGetTime() override;
  void Sleep(std::uint32_t milliseconds) override;
  LocalTime Now() override;
  std::unique_ptr<TimedEvent> CreateEvent() override;
};

// Headless: time moves only by Sleep and Advance; the wall clock is fixed. Worker threads read the
// time and wait on its events; Sleep and Advance return only after every waiter whose limit
// passed has run until it waits again, and then tell the listeners (the headless audio output
// pulls the span's frames), so what a run produces does not depend on thread timing. An event
// counts as running from its creation to its first wait: only a thread that waits on it in a loop
// may own one. Worker threads never call Sleep.
class VirtualClock final : public Clock {
 public:
  VirtualClock() = default;
  ~VirtualClock() override;
  std::uint32_t TimeGetTime() override { return now_.load(); }
  void Sleep(std::uint32_t milliseconds) override;
  LocalTime Now() override { return local_time_; }
  std::unique_ptr<TimedEvent> CreateEvent() override;

  void Advance(std::uint32_t milliseconds);
  void Set(std::uint32_t now) { now_.store(now); }
  void set_local_time(const LocalTime& time) { local_time_ = time; }
  const std::vector<std::uint32_t>& sleeps() const { return sleeps_; }
  void clear_sleeps() { sleeps_.clear(); }

  // Called on the advancing thread with the span's start and length, after the waiters ran.
  using AdvanceListener = std::function<void(std::uint32_t from, std::uint32_t milliseconds)>;
  int AddAdvanceListener(AdvanceListener listener);
  void RemoveAdvanceListener(int id);

 private:
  class Event;
  friend class Event;

  std::atomic<std::uint32_t> now_{0};
  LocalTime local_time_{2001, 2, 3, 4, 5, 6, 0};
  std::vector<std::uint32_t> sleeps_;

  // Guards the events' states and the count of waiters woken by time that have not waited again.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Event*> events_;
  int running_after_timeout_ = 0;
  // Virtual time moves forward from here in 64 bits, so deadlines survive the 32-bit wrap.
  std::uint64_t elapsed_ = 0;

  std::mutex listeners_mutex_;
  std::vector<std::pair<int, AdvanceListener>> listeners_;
  int next_listener_id_ = 1;
};

}  // namespace vorn::platform
