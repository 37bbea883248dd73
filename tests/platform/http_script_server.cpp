#include "platform/http_script_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace vorn::test {

namespace {

int ListenOnLoopback(int& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(fd, 64);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

int UnusedLoopbackPort() {
  int port = 0;
  int fd = ListenOnLoopback(port);
  ::close(fd);
  return port;
}

ScriptServer::ScriptServer(std::vector<ServerScript> scripts) : scripts_(std::move(scripts)) {
  listener_ = ListenOnLoopback(port_);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

ScriptServer::~ScriptServer() {
  stop_ = true;
  acceptor_.join();
  for (std::thread& worker : workers_) worker.join();
  ::close(listener_);
}

std::vector<std::string> ScriptServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void ScriptServer::AcceptLoop() {
  while (!stop_) {
    pollfd entry{listener_, POLLIN, 0};
    if (::poll(&entry, 1, 20) <= 0) continue;
    int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    int index = connections_++;
    const ServerScript& script = scripts_[std::min<std::size_t>(static_cast<std::size_t>(index), scripts_.size() - 1)];
    workers_.emplace_back([this, connection, &script] { Serve(connection, script); });
  }
}

void ScriptServer::Serve(int connection, const ServerScript& script) {
  std::string request;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (request.find("\r\n\r\n") == std::string::npos && !stop_ && std::chrono::steady_clock::now() < deadline) {
    pollfd entry{connection, POLLIN, 0};
    if (::poll(&entry, 1, 20) <= 0) continue;
    char buffer[4096];
    long count = ::recv(connection, buffer, sizeof buffer, 0);
    if (count <= 0) break;
    request.append(buffer, static_cast<std::size_t>(count));
  }
  // A request with a body (POST) is read whole before the script plays.
  const std::size_t header_end = request.find("\r\n\r\n");
  const std::size_t length_at = request.find("\r\nContent-Length: ");
  if (header_end != std::string::npos && length_at != std::string::npos && length_at < header_end) {
    const std::size_t body = std::strtoul(request.c_str() + length_at + 18, nullptr, 10);
    while (request.size() < header_end + 4 + body && !stop_ && std::chrono::steady_clock::now() < deadline) {
      pollfd entry{connection, POLLIN, 0};
      if (::poll(&entry, 1, 20) <= 0) continue;
      char buffer[4096];
      long count = ::recv(connection, buffer, sizeof buffer, 0);
      if (count <= 0) break;
      request.append(buffer, static_cast<std::size_t>(count));
    }
  }
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
  }
  for (const ServerStep& step : script) {
    if (stop_) break;
    if (step.kind == ServerStep::kSend) {
      std::size_t sent = 0;
      while (sent < step.bytes.size() && !stop_) {
        long count = ::send(connection, step.bytes.data() + sent, step.bytes.size() - sent, MSG_NOSIGNAL);
        if (count < 0) break;
        sent += static_cast<std::size_t>(count);
      }
    } else if (step.kind == ServerStep::kSleep) {
      std::this_thread::sleep_for(std::chrono::milliseconds(step.milliseconds));
    } else {
      while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  ::close(connection);
}

}  // namespace vorn::test
