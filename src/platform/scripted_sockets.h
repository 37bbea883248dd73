#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "platform/net_sockets.h"

namespace vorn::platform {

// Headless sockets: nothing reaches a network. A stream connect finishes on the next poll (or
// fails with the configured error); the connection then receives the next queued reply, one piece
// per read, and the peer closes after the last piece. Everything sent is kept and every option
// call is recorded, so tests, fuzz targets and benchmarks can drive the socket and HTTP classes
// without timing.
class ScriptedSocketApi final : public SocketApi {
 public:
  struct OptionCall {
    SocketHandle handle = kNoSocket;
    SocketOption option = SocketOption::kReuseAddr;
    int value = 0;
    int value2 = 0;
  };

  // The reply of the next stream connection, in the pieces its reads hand over; the peer then
  // closes, or stays silent and open when `then_close` is false.
  void QueueReply(std::vector<std::string> pieces, bool then_close = true);
  // Every later connect fails with this code when its outcome is polled (0: connects succeed).
  void set_connect_error(int error) { connect_error_ = error; }
  // At most this many bytes per send call (0: everything), to leave data queued in the socket.
  void set_send_limit(std::size_t bytes) { send_limit_ = bytes; }

  const std::vector<OptionCall>& option_calls() const { return option_calls_; }
  // Bytes sent on stream sockets, in order, over all connections.
  const std::string& sent() const { return sent_; }
  // Datagrams sent, with their destination.
  const std::vector<std::pair<SocketAddress, std::string>>& datagrams() const { return datagrams_; }
  int connects() const { return connects_; }
  // Calls of Poll, the one call a pump pass makes.
  int polls() const { return polls_; }
  int open_count() const { return static_cast<int>(sockets_.size()); }

  SocketHandle Open(int type, int protocol, int& error) override;
  int SetOption(SocketHandle handle, SocketOption option, int value, int value2, int& error) override;
  int Bind(SocketHandle handle, SocketAddress local, int& error) override;
  int Connect(SocketHandle handle, SocketAddress remote, int& error) override;
  int Listen(SocketHandle handle, int backlog, int& error) override;
  SocketHandle Accept(SocketHandle handle, SocketAddress& peer, int& error) override;
  long Send(SocketHandle handle, const void* data, std::size_t length, int flags, int& error) override;
  long SendTo(SocketHandle handle, const void* data, std::size_t length, SocketAddress remote,
              int& error) override;
  long Receive(SocketHandle handle, void* buffer, std::size_t size, int& error) override;
  long ReceiveFrom(SocketHandle handle, void* buffer, std::size_t size, SocketAddress& from,
                   int& error) override;
  int Shutdown(SocketHandle handle, int how, int& error) override;
  int Close(SocketHandle handle, int& error) override;
  long Available(SocketHandle handle, int& error) override;
  int LocalName(SocketHandle handle, SocketAddress& local, int& error) override;
  int PeerName(SocketHandle handle, SocketAddress& peer, int& error) override;
  int PendingError(SocketHandle handle) override;
  // Never waits: the script is always ready.
  int Poll(std::span<PollEntry> entries, int timeout_ms) override;

 private:
  struct Connection {
    int type = 1;
    bool connecting = false;
    bool connected = false;
    int error = 0;
    SocketAddress local;
    SocketAddress peer;
    std::deque<std::string> pieces;
    std::size_t offset = 0;
    bool then_close = true;
  };
  struct Reply {
    std::vector<std::string> pieces;
    bool then_close = true;
  };
  Connection* Find(SocketHandle handle, int& error);

  std::map<SocketHandle, Connection> sockets_;
  std::deque<Reply> replies_;
  std::vector<OptionCall> option_calls_;
  std::vector<std::pair<SocketAddress, std::string>> datagrams_;
  std::string sent_;
  SocketHandle next_handle_ = 1000;
  std::uint16_t next_port_ = 40000;
  int connect_error_ = 0;
  std::size_t send_limit_ = 0;
  int connects_ = 0;
  int polls_ = 0;
};

}  // namespace vorn::platform
