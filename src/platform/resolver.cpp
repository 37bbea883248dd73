#include "platform/resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

#include "platform/net_sockets.h"

namespace vorn::platform {

namespace {

ResolveResult LookUpName(const std::string& name) {
  ResolveResult result;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int status = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (status != 0) {
    result.error = SocketErrorFromResolver(status);
    return result;
  }
  for (addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
    sockaddr_in address{};
    std::memcpy(&address, entry->ai_addr, sizeof address);
    std::uint32_t value = ntohl(address.sin_addr.s_addr);
    if (std::find(result.addresses.begin(), result.addresses.end(), value) == result.addresses.end())
      result.addresses.push_back(value);
  }
  ::freeaddrinfo(found);
  if (result.addresses.empty()) result.error = 11004;
  return result;
}

ResolveResult LookUpAddress(std::uint32_t value) {
  ResolveResult result;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(value);
  char host[NI_MAXHOST] = {};
  int status = ::getnameinfo(reinterpret_cast<const sockaddr*>(&address), sizeof address, host, sizeof host,
                             nullptr, 0, NI_NAMEREQD);
  if (status != 0) {
    result.error = SocketErrorFromResolver(status);
    return result;
  }
  result.host_name = host;
  return result;
}

}  // namespace

ThreadResolver::~ThreadResolver() {
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    threads.swap(threads_);
  }
  for (std::thread& thread : threads) thread.join();
}

void ThreadResolver::JoinFinished() {
  std::vector<std::thread> done;
  {
    std::lock_guard lock(mutex_);
    for (auto it = threads_.begin(); it != threads_.end();) {
      if (std::find(finished_.begin(), finished_.end(), it->get_id()) != finished_.end()) {
        finished_.erase(std::find(finished_.begin(), finished_.end(), it->get_id()));
        done.push_back(std::move(*it));
        it = threads_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (std::thread& thread : done) thread.join();
}

void ThreadResolver::Launch(std::function<ResolveResult()> work, Done done) {
  JoinFinished();
  std::lock_guard lock(mutex_);
  ++running_;
  threads_.emplace_back([this, work = std::move(work), done = std::move(done)]() mutable {
    ResolveResult result = work();
    tasks_.Post([done = std::move(done), result = std::move(result)] { done(result); });
    std::lock_guard inner(mutex_);
    --running_;
    finished_.push_back(std::this_thread::get_id());
  });
}

bool ThreadResolver::StartForward(const std::string& name, Done done, int& error) {
  error = 0;
  Launch([name] { return LookUpName(name); }, std::move(done));
  return true;
}

bool ThreadResolver::StartReverse(std::uint32_t address, Done done, int& error) {
  error = 0;
  Launch([address] { return LookUpAddress(address); }, std::move(done));
  return true;
}

bool ThreadResolver::Busy() const {
  std::lock_guard lock(mutex_);
  return running_ > 0;
}

bool TableResolver::StartForward(const std::string& name, Done done, int& error) {
  ++starts_;
  error = start_failure_;
  if (start_failure_ != 0) return false;
  ResolveResult result;
  if (auto it = hosts_.find(name); it != hosts_.end()) {
    result.addresses = it->second;
  } else {
    result.error = 11001;
  }
  tasks_.Post([done = std::move(done), result] { done(result); });
  return true;
}

bool TableResolver::StartReverse(std::uint32_t address, Done done, int& error) {
  ++starts_;
  error = start_failure_;
  if (start_failure_ != 0) return false;
  ResolveResult result;
  if (auto it = reverse_.find(address); it != reverse_.end()) {
    result.host_name = it->second;
  } else {
    result.error = 11001;
  }
  tasks_.Post([done = std::move(done), result] { done(result); });
  return true;
}

Resolver& HostResolver() {
  static ThreadResolver resolver(MainTasks());
  return resolver;
}

}  // namespace vorn::platform
