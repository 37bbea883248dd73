#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/clock.h"

namespace vorn::platform {
namespace {

// A worker that wakes every `period` ms of virtual time and records when it ran.
class PeriodicWorker {
 public:
  PeriodicWorker(VirtualClock& clock, std::uint32_t period) : clock_(clock), event_(clock.CreateEvent()) {
    thread_ = std::thread([this, period] {
      while (!event_->Wait(period)) {
        std::lock_guard lock(mutex_);
        runs_.push_back(clock_.TimeGetTime());
      }
    });
  }
  ~PeriodicWorker() {
    event_->Signal();
    thread_.join();
  }
  std::vector<std::uint32_t> runs() {
    std::lock_guard lock(mutex_);
    return runs_;
  }

 private:
  VirtualClock& clock_;
  std::unique_ptr<TimedEvent> event_;
  std::mutex mutex_;
  std::vector<std::uint32_t> runs_;
  std::thread thread_;
};

// Advance returns only after every waiter whose limit passed ran, each at its own deadline, so
// what worker threads do on virtual time does not depend on the host's scheduling.
TEST(VirtualClockEvents, AdvanceRunsEveryDueWaiterAtItsDeadline) {
  VirtualClock clock;
  PeriodicWorker worker(clock, 25);
  clock.Advance(100);
  EXPECT_EQ(worker.runs(), (std::vector<std::uint32_t>{25, 50, 75, 100}));
  clock.Sleep(30);
  EXPECT_EQ(worker.runs(), (std::vector<std::uint32_t>{25, 50, 75, 100, 125}));
  EXPECT_EQ(clock.TimeGetTime(), 130u);
  EXPECT_EQ(clock.sleeps(), (std::vector<std::uint32_t>{30}));
}

TEST(VirtualClockEvents, SignalEndsAWaitAndIsConsumed) {
  VirtualClock clock;
  auto event = clock.CreateEvent();
  event->Signal();
  // Advancing waits for the event's first wait, so a signal and a wait come first here.
  EXPECT_TRUE(event->Wait(1000));
  EXPECT_FALSE(event->Wait(0));
  std::atomic<bool> woke{false};
  std::thread waiter([&] { woke = event->Wait(1000000); });
  event->Signal();
  waiter.join();
  EXPECT_TRUE(woke);
  clock.Advance(5);
  EXPECT_EQ(clock.TimeGetTime(), 5u);
}

TEST(VirtualClockEvents, ListenersHearEachSpanAfterTheWaiters) {
  VirtualClock clock;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;
  const int id = clock.AddAdvanceListener([&](std::uint32_t from, std::uint32_t ms) { spans.emplace_back(from, ms); });
  clock.Advance(10);
  clock.Sleep(5);
  clock.RemoveAdvanceListener(id);
  clock.Advance(7);
  EXPECT_EQ(spans, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{0, 10}, {10, 5}}));
}

TEST(SystemClockEvents, WaitTimesOutOrEndsOnSignal) {
  SystemClock clock;
  auto event = clock.CreateEvent();
  EXPECT_FALSE(event->Wait(1));
  std::thread signaller([&] { event->Signal(); });
  EXPECT_TRUE(event->Wait(10000));
  signaller.join();
}

}  // namespace
}  // namespace vorn::platform
