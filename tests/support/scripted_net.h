#pragma once

#include <functional>

#include "foundation/scoped_seam.h"
#include "net/net_pump.h"
#include "platform/main_thread_tasks.h"
#include "platform/resolver.h"
#include "platform/scripted_sockets.h"

namespace vorn::test {

// The net library on headless twins for as long as it lives: scripted sockets, a resolver table
// and a task queue of its own.
class ScriptedNet {
 public:
  ScriptedNet() : resolver(tasks) {
    services_ = Net();
    services_.sockets = &sockets;
    services_.resolver = &resolver;
    services_.tasks = &tasks;
    seam_.Install(&services_);
  }
  ScriptedNet(const ScriptedNet&) = delete;
  ScriptedNet& operator=(const ScriptedNet&) = delete;

  // Pumps until the condition holds; false when `passes` pump passes did not get there.
  bool PumpUntil(const std::function<bool()>& done, int passes = 100000) {
    NetPump& pump = NetPump::Instance();
    for (int pass = 0; pass < passes; ++pass) {
      if (done()) return true;
      pump.ProcessMessages();
    }
    return done();
  }

  platform::ScriptedSocketApi sockets;
  platform::MainThreadTasks tasks;
  platform::TableResolver resolver;

 private:
  NetServices services_;
  ScopedSeam<NetServices> seam_{ExchangeNetServices};
};

}  // namespace vorn::test
