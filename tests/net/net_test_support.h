#pragma once

#include <chrono>
#include <functional>

#include "net/net_pump.h"

namespace vorn::test {

// Pumps the net library on this (the main) thread until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 3000) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  NetPump& pump = NetPump::Instance();
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    if (!pump.ProcessMessages()) pump.Wait(std::chrono::milliseconds(5));
  }
  return true;
}

// Drains what is left (late close notifications, finished tasks) for a short while.
inline void PumpFor(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

}  // namespace vorn::test
