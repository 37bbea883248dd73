#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace vorn::platform {

// A first-in first-out queue of work for the main thread. Any thread may post; only the main
// thread runs tasks. A post wakes a main thread that waits on the queue and calls the waker, which
// the windowed loop uses to wake its own event wait.
class MainThreadTasks {
 public:
  void Post(std::function<void()> task);
  // Runs the oldest task; false when none was waiting.
  bool RunOne();
  bool Pending() const;
  // Waits until a task is posted or the time passes.
  void WaitFor(std::chrono::milliseconds timeout);
  void SetWaker(std::function<void()> waker);

 private:
  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> tasks_;
  std::function<void()> waker_;
};

// The process's queue.
MainThreadTasks& MainTasks();

}  // namespace vorn::platform
