#pragma once

#include <chrono>

namespace vorn::platform {

// Work that goes on between window events (downloads). While it is live, a message loop whose
// idle hook answers done waits a short while for it instead of sleeping until the next window
// event, so the work neither stalls nor makes the loop spin.
class BackgroundWork {
 public:
  virtual ~BackgroundWork() = default;
  virtual bool Live() = 0;
  // Waits at most `limit` for the work to have something to do.
  virtual void Wait(std::chrono::milliseconds limit) = 0;
};

// The longest an idle loop sleeps while background work is live.
inline constexpr std::chrono::milliseconds kBackgroundWaitLimit{10};

// Seam slot: answers what it replaced.
BackgroundWork* ExchangeBackgroundWork(BackgroundWork* work);
BackgroundWork* CurrentBackgroundWork();

}  // namespace vorn::platform
