#pragma once

#include <chrono>

#include "foundation/scoped_seam.h"
#include "net/net_pump.h"
#include "platform/background_work.h"
#include "platform/window.h"

namespace vorn {

// Ties the net library to the player's message loop for as long as it lives: the loop waits for
// live sockets and lookups instead of sleeping until the next window event, and waits inside the
// net library end when the application is terminating.
class TNetWiring final : public platform::BackgroundWork {
 public:
  explicit TNetWiring(platform::Application& application);
  ~TNetWiring() override;
  TNetWiring(const TNetWiring&) = delete;
  TNetWiring& operator=(const TNetWiring&) = delete;

  bool Live() override { return NetPump::Instance().Live(); }
  void Wait(std::chrono::milliseconds limit) override { NetPump::Instance().Wait(limit); }

 private:
  NetServices services_;
  ScopedSeam<NetServices> services_seam_{ExchangeNetServices};
  ScopedSeam<platform::BackgroundWork> work_seam_{platform::ExchangeBackgroundWork};
};

}  // namespace vorn
