#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vorn::platform {

// Error codes of the network library (the classic socket-library numbering the socket component
// reports and describes); 0 means success.
inline constexpr int kSockWouldBlock = 10035;
inline constexpr int kSockInvalidArgument = 10022;
inline constexpr int kSockNotSocket = 10038;
inline constexpr int kSockNotConnected = 10057;
inline constexpr int kSockConnRefused = 10061;
inline constexpr int kSockConnReset = 10054;

// errno of a failed socket call as one of those codes (unknown values pass through unchanged).
int SocketErrorFromErrno(int error);
// getaddrinfo/getnameinfo failure as one of those codes.
int SocketErrorFromResolver(int eai_error);

using SocketHandle = int;
inline constexpr SocketHandle kNoSocket = -1;

// An IPv4 endpoint, address and port in host order.
struct SocketAddress {
  std::uint32_t address = 0;
  std::uint16_t port = 0;
};

enum class SocketOption {
  kReuseAddr,      // value: 0/1
  kTcpNoDelay,     // value: 0/1
  kLinger,         // value: on/off, value2: seconds
  kKeepAlive,      // value: 0/1
  kBroadcast,      // value: 0/1
  kMulticastTtl,   // value: ttl
  kAddMembership,  // value: group address (host order), joined on any local interface
};

// What a poll found on one socket.
struct PollEntry {
  SocketHandle handle = kNoSocket;
  bool want_read = true;
  bool want_write = false;
  // Results.
  bool readable = false;
  bool writable = false;
  bool error = false;
  bool hang_up = false;
};

// Non-blocking IPv4 sockets. Every call answers -1 (or kNoSocket) on failure and puts the error
// code (see above) into `error`; `error` is 0 after a success.
class SocketApi {
 public:
  virtual ~SocketApi() = default;
  // type 1 stream, 2 datagram; the socket is non-blocking from the start.
  virtual SocketHandle Open(int type, int protocol, int& error) = 0;
  virtual int SetOption(SocketHandle handle, SocketOption option, int value, int value2, int& error) = 0;
  virtual int Bind(SocketHandle handle, SocketAddress local, int& error) = 0;
  // Starts a connect; a connect that cannot finish at once answers -1 with kSockWouldBlock.
  virtual int Connect(SocketHandle handle, SocketAddress remote, int& error) = 0;
  virtual int Listen(SocketHandle handle, int backlog, int& error) = 0;
  virtual SocketHandle Accept(SocketHandle handle, SocketAddress& peer, int& error) = 0;
  // flags: 1 sends out of band. A closed peer never raises a signal.
  virtual long Send(SocketHandle handle, const void* data, std::size_t length, int flags, int& error) = 0;
  virtual long SendTo(SocketHandle handle, const void* data, std::size_t length, SocketAddress remote,
                      int& error) = 0;
  virtual long Receive(SocketHandle handle, void* buffer, std::size_t size, int& error) = 0;
  virtual long ReceiveFrom(SocketHandle handle, void* buffer, std::size_t size, SocketAddress& from,
                           int& error) = 0;
  virtual int Shutdown(SocketHandle handle, int how, int& error) = 0;
  virtual int Close(SocketHandle handle, int& error) = 0;
  // Bytes waiting to be read.
  virtual long Available(SocketHandle handle, int& error) = 0;
  virtual int LocalName(SocketHandle handle, SocketAddress& local, int& error) = 0;
  virtual int PeerName(SocketHandle handle, SocketAddress& peer, int& error) = 0;
  // The error a connect ended with (SO_ERROR), 0 when none.
  virtual int PendingError(SocketHandle handle) = 0;
  // Waits at most timeout_ms (0: just looks) and fills the results; answers how many entries have
  // something to report.
  virtual int Poll(std::span<PollEntry> entries, int timeout_ms) = 0;
};

// The host's sockets.
class PosixSocketApi final : public SocketApi {
 public:
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
  int Poll(std::span<PollEntry> entries, int timeout_ms) override;
};

// The process's host sockets.
PosixSocketApi& HostSockets();

// Blocking host-name lookup (first IPv4 address); false with an error code.
bool ResolveHostNow(const std::string& name, std::uint32_t& address, int& error);
// The services and protocols databases; false with an error code when the name is unknown.
bool ServicePort(const std::string& service, const std::string& proto, int& port, int& error);
bool ProtocolNumber(const std::string& name, int& number, int& error);

// Dotted text of an address in host order ("127.0.0.1").
std::string DottedAddress(std::uint32_t address);
// The parser inet_addr uses (one to four parts, decimal, octal or hex); false when it rejects.
bool ParseInetAddress(const std::string& text, std::uint32_t& address);

}  // namespace vorn::platform
