#include "platform/main_thread_tasks.h"

#include <utility>

namespace vorn::platform {

void MainThreadTasks::Post(std::function<void()> task) {
  std::function<void()> waker;
  {
    std::lock_guard lock(mutex_);
    // One wake-up per batch: the loop runs every queued task once it is awake.
    if (tasks_.empty()) waker = waker_;
    tasks_.push_back(std::move(task));
  }
  posted_.notify_all();
  if (waker) waker();
}

bool MainThreadTasks::RunOne() {
  std::function<void()> task;
  {
    std::lock_guard lock(mutex_);
    if (tasks_.empty()) return false;
    task = std::move(tasks_.front());
    tasks_.pop_front();
  }
  task();
  return true;
}

bool MainThreadTasks::Pending() const {
  std::lock_guard lock(mutex_);
  return !tasks_.empty();
}

void MainThreadTasks::WaitFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  posted_.wait_for(lock, timeout, [this] { return !tasks_.empty(); });
}

void MainThreadTasks::SetWaker(std::function<void()> waker) {
  std::lock_guard lock(mutex_);
  waker_ = std::move(waker);
}

MainThreadTasks& MainTasks() {
  static MainThreadTasks tasks;
  return tasks;
}

}  // namespace vorn::platform
