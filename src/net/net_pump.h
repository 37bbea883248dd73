#pragma once

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/main_thread_tasks.h"
#include "platform/net_sockets.h"
#include "platform/resolver.h"

namespace vorn {

class TCustomWSocket;

// The host services the network classes use, replaceable by tests (headless resolver, scripted
// sockets, virtual clock).
struct NetServices {
  platform::SocketApi* sockets = nullptr;
  platform::Resolver* resolver = nullptr;
  platform::MainThreadTasks* tasks = nullptr;
  platform::Clock* clock = nullptr;
  // Answers whether the player is shutting down (waits then end early); null: never.
  bool (*terminating)() = nullptr;
};

// The installed services (host ones unless a test installed others).
NetServices& Net();
// Seam slot for tests: answers what it replaced.
NetServices* ExchangeNetServices(NetServices* services);

// Services every live socket on the main thread and runs the main-thread tasks: the replacement
// for the hidden windows' messages.
class NetPump {
 public:
  static NetPump& Instance();

  // One pending task, or else one pass over the sockets; true when something was handled.
  bool ProcessMessages();
  // ProcessMessages until nothing is pending.
  void MessageLoop();
  // Everything pending now: all tasks, then one socket pass. Called by the frame loop.
  void Service();
  // Waits at most `limit` for a socket to become ready or a task to arrive.
  void Wait(std::chrono::milliseconds limit);
  // Whether a socket, lookup or task is live (the loop must not sleep without a bound).
  bool Live() const;
  // Set when ProcessMessages met a quit request; the request itself stays queued.
  bool terminated() const { return terminated_; }
  void set_terminated(bool value) { terminated_ = value; }
  bool OnMainThread() const { return std::this_thread::get_id() == main_thread_; }
  // While held the pump counts as live: a download's worker that is about to hand its request to
  // the main thread must not find the loop asleep until the next window event. Main thread only.
  void Hold() { ++holds_; }
  void Unhold() {
    if (holds_ > 0) --holds_;
  }

  void Register(TCustomWSocket* socket);
  void Unregister(TCustomWSocket* socket);
  bool Registered(const TCustomWSocket* socket) const;

 private:
  NetPump() : main_thread_(std::this_thread::get_id()) {}
  // One poll over the sockets (without waiting) and their notifications; true when any fired.
  bool SocketPass(int timeout_ms);

  std::vector<TCustomWSocket*> sockets_;
  std::thread::id main_thread_;
  bool terminated_ = false;
  int holds_ = 0;
};

}  // namespace vorn
