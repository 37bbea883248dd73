#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/main_thread_tasks.h"

namespace vorn::platform {

// What a lookup found: an error code of the socket numbering (0 on success), the IPv4 addresses
// (host order) in the resolver's order, and for a reverse lookup the host name.
struct ResolveResult {
  int error = 0;
  std::vector<std::uint32_t> addresses;
  std::string host_name;
};

// Asynchronous IPv4 name lookups whose results arrive as tasks on the main thread.
class Resolver {
 public:
  using Done = std::function<void(const ResolveResult&)>;
  virtual ~Resolver() = default;
  // false with an error code when the lookup cannot start.
  virtual bool StartForward(const std::string& name, Done done, int& error) = 0;
  virtual bool StartReverse(std::uint32_t address, Done done, int& error) = 0;
  // Whether a lookup is still on its way (the loop then must not sleep for ever).
  virtual bool Busy() const = 0;
};

// getaddrinfo and getnameinfo, each on a short-lived thread that posts its result.
class ThreadResolver final : public Resolver {
 public:
  explicit ThreadResolver(MainThreadTasks& tasks) : tasks_(tasks) {}
  ~ThreadResolver() override;
  bool StartForward(const std::string& name, Done done, int& error) override;
  bool StartReverse(std::uint32_t address, Done done, int& error) override;
  bool Busy() const override;

 private:
  void Launch(std::function<ResolveResult()> work, Done done);
  void JoinFinished();

  MainThreadTasks& tasks_;
  mutable std::mutex mutex_;
  std::vector<std::thread> threads_;
  std::vector<std::thread::id> finished_;
  int running_ = 0;
};

// Headless: answers from a table through the task queue; unknown names fail with 11001; the
// failure switch makes every start fail.
class TableResolver final : public Resolver {
 public:
  explicit TableResolver(MainThreadTasks& tasks) : tasks_(tasks) {}
  bool StartForward(const std::string& name, Done done, int& error) override;
  bool StartReverse(std::uint32_t address, Done done, int& error) override;
  bool Busy() const override { return false; }

  void AddHost(const std::string& name, std::vector<std::uint32_t> addresses) { hosts_[name] = std::move(addresses); }
  void AddReverse(std::uint32_t address, std::string name) { reverse_[address] = std::move(name); }
  void set_start_failure(int error) { start_failure_ = error; }
  int starts() const { return starts_; }

 private:
  MainThreadTasks& tasks_;
  std::map<std::string, std::vector<std::uint32_t>> hosts_;
  std::map<std::uint32_t, std::string> reverse_;
  int start_failure_ = 0;
  int starts_ = 0;
};

// The process's resolver (a ThreadResolver posting to MainTasks()).
Resolver& HostResolver();

}  // namespace vorn::platform
