#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorn::test {

// One step of what the scripted server does on a connection after reading the request header.
struct ServerStep {
  enum Kind { kSend, kSleep, kHold } kind = kSend;
  std::string bytes;
  int milliseconds = 0;
};
using ServerScript = std::vector<ServerStep>;

inline ServerStep Send(std::string bytes) { return {ServerStep::kSend, std::move(bytes), 0}; }
inline ServerStep Sleep(int ms) { return {ServerStep::kSleep, {}, ms}; }
// Keeps the connection open, silent, until the server stops.
inline ServerStep Hold() { return {ServerStep::kHold, {}, 0}; }

// A misbehaving HTTP server on 127.0.0.1: each accepted connection plays the next script (the last
// one repeats), on its own thread, and the requests it read (header, and a body its
// Content-Length announces) are kept in order.
class ScriptServer {
 public:
  explicit ScriptServer(std::vector<ServerScript> scripts);
  ~ScriptServer();
  ScriptServer(const ScriptServer&) = delete;
  ScriptServer& operator=(const ScriptServer&) = delete;

  int port() const { return port_; }
  std::string port_text() const { return std::to_string(port_); }
  std::vector<std::string> requests() const;
  int connections() const { return connections_.load(); }

 private:
  void AcceptLoop();
  void Serve(int connection, const ServerScript& script);

  std::vector<ServerScript> scripts_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<std::thread> workers_;
  std::thread acceptor_;
};

// A port on 127.0.0.1 where nothing listens (bound once, then closed).
int UnusedLoopbackPort();

}  // namespace vorn::test
