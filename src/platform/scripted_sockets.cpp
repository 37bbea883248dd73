#include "platform/scripted_sockets.h"

#include <algorithm>
#include <cstring>

namespace vorn::platform {

void ScriptedSocketApi::QueueReply(std::vector<std::string> pieces, bool then_close) {
  replies_.push_back({std::move(pieces), then_close});
}

ScriptedSocketApi::Connection* ScriptedSocketApi::Find(SocketHandle handle, int& error) {
  auto found = sockets_.find(handle);
  if (found == sockets_.end()) {
    error = kSockNotSocket;
    return nullptr;
  }
  error = 0;
  return &found->second;
}

SocketHandle ScriptedSocketApi::Open(int type, int /*protocol*/, int& error) {
  error = 0;
  SocketHandle handle = next_handle_++;
  sockets_[handle].type = type;
  return handle;
}

int ScriptedSocketApi::SetOption(SocketHandle handle, SocketOption option, int value, int value2, int& error) {
  if (Find(handle, error) == nullptr) return -1;
  option_calls_.push_back({handle, option, value, value2});
  return 0;
}

int ScriptedSocketApi::Bind(SocketHandle handle, SocketAddress local, int& error) {
  Connection* connection = Find(handle, error);
  if (connection == nullptr) return -1;
  if (local.port == 0) local.port = next_port_++;
  connection->local = local;
  return 0;
}

int ScriptedSocketApi::Connect(SocketHandle handle, SocketAddress remote, int& error) {
  Connection* connection = Find(handle, error);
  if (connection == nullptr) return -1;
  connection->peer = remote;
  if (connection->local.port == 0) connection->local.port = next_port_++;
  if (connection->type == 2) return 0;
  ++connects_;
  connection->connecting = true;
  error = kSockWouldBlock;
  return -1;
}

int ScriptedSocketApi::Listen(SocketHandle handle, int /*backlog*/, int& error) {
  return Find(handle, error) == nullptr ? -1 : 0;
}

SocketHandle ScriptedSocketApi::Accept(SocketHandle handle, SocketAddress& /*peer*/, int& error) {
  if (Find(handle, error) != nullptr) error = kSockWouldBlock;
  return kNoSocket;
}

long ScriptedSocketApi::Send(SocketHandle handle, const void* data, std::size_t length, int /*flags*/, int& error) {
  Connection* connection = Find(handle, error);
  if (connection == nullptr) return -1;
  if (!connection->connected) {
    error = kSockNotConnected;
    return -1;
  }
  if (send_limit_ != 0) length = std::min(length, send_limit_);
  sent_.append(static_cast<const char*>(data), length);
  return static_cast<long>(length);
}

long ScriptedSocketApi::SendTo(SocketHandle handle, const void* data, std::size_t length, SocketAddress remote,
                               int& error) {
  if (Find(handle, error) == nullptr) return -1;
  datagrams_.emplace_back(remote, std::string(static_cast<const char*>(data), length));
  return static_cast<long>(length);
}

long ScriptedSocketApi::Receive(SocketHandle handle, void* buffer, std::size_t size, int& error) {
  Connection* connection = Find(handle, error);
  if (connection == nullptr) return -1;
  if (connection->pieces.empty()) return 0;
  const std::string& piece = connection->pieces.front();
  std::size_t count = std::min(size, piece.size() - connection->offset);
  if (count > 0) std::memcpy(buffer, piece.data() + connection->offset, count);
  connection->offset += count;
  if (connection->offset == piece.size()) {
    connection->pieces.pop_front();
    connection->offset = 0;
  }
  return static_cast<long>(count);
}

long ScriptedSocketApi::ReceiveFrom(SocketHandle handle, void* /*buffer*/, std::size_t /*size*/,
                                    SocketAddress& /*from*/, int& error) {
  if (Find(handle, error) != nullptr) error = kSockWouldBlock;
  return -1;
}

int ScriptedSocketApi::Shutdown(SocketHandle handle, int /*how*/, int& error) {
  return Find(handle, error) == nullptr ? -1 : 0;
}

int ScriptedSocketApi::Close(SocketHandle handle, int& error) {
  if (Find(handle, error) == nullptr) return -1;
  sockets_.erase(handle);
  return 0;
}

long ScriptedSocketApi::Available(SocketHandle handle, int& error) {
  Connection* connection = Find(handle, error);
  if (connection == nullptr) return -1;
  std::size_t total = 0;
  for (const std::string& piece : connection->pieces) total += piece.size();
  return static_cast<long>(total - connection->offset);
}

int ScriptedSocketApi::LocalName(SocketHandle handle, SocketAddress& local, int& error) {
  Connection* connection = Find(handle, error);
  if (connection == nullptr) return -1;
  local = connection->local;
  return 0;
}

int ScriptedSocketApi::PeerName(SocketHandle handle, SocketAddress& peer, int& error) {
  Connection* connection = Find(handle, error);
  if (connection == nullptr) return -1;
  if (!connection->connected) {
    error = kSockNotConnected;
    return -1;
  }
  peer = connection->peer;
  return 0;
}

int ScriptedSocketApi::PendingError(SocketHandle handle) {
  int error = 0;
  Connection* connection = Find(handle, error);
  return connection == nullptr ? error : connection->error;
}

int ScriptedSocketApi::Poll(std::span<PollEntry> entries, int /*timeout_ms*/) {
  ++polls_;
  int reported = 0;
  for (PollEntry& entry : entries) {
    entry.readable = entry.writable = entry.error = entry.hang_up = false;
    int error = 0;
    Connection* connection = Find(entry.handle, error);
    if (connection == nullptr) {
      entry.error = true;
      ++reported;
      continue;
    }
    if (connection->connecting) {
      connection->connecting = false;
      if (connect_error_ != 0) {
        connection->error = connect_error_;
        entry.error = true;
      } else {
        connection->connected = true;
        if (!replies_.empty()) {
          for (std::string& piece : replies_.front().pieces) {
            if (!piece.empty()) connection->pieces.push_back(std::move(piece));
          }
          connection->then_close = replies_.front().then_close;
          replies_.pop_front();
        }
      }
      entry.writable = true;
      ++reported;
      continue;
    }
    // A connected stream is readable while data waits, and then for the peer's close.
    entry.readable = entry.want_read && connection->type == 1 && connection->connected &&
                     (!connection->pieces.empty() || connection->then_close);
    entry.writable = entry.want_write;
    if (entry.readable || entry.writable) ++reported;
  }
  return reported;
}

}  // namespace vorn::platform
