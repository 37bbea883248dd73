#include "platform/net_sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vorn::platform {

int SocketErrorFromErrno(int error) {
  switch (error) {
    case 0: return 0;
    case EWOULDBLOCK:
#if EAGAIN != EWOULDBLOCK
    case EAGAIN:
#endif
    case EINPROGRESS: return 10035;
    case ECONNREFUSED: return 10061;
    case ECONNRESET:
    case EPIPE: return 10054;
    case ENOTCONN: return 10057;
    case ETIMEDOUT: return 10060;
    case ENETUNREACH: return 10051;
    case EHOSTUNREACH: return 10065;
    case ECONNABORTED: return 10053;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case EMFILE: return 10024;
    case EINVAL: return 10022;
    case EBADF:
    case ENOTSOCK: return 10038;
    default: return error;
  }
}

int SocketErrorFromResolver(int eai_error) {
  switch (eai_error) {
    case 0: return 0;
    case EAI_NONAME: return 11001;
    case EAI_AGAIN: return 11002;
    case EAI_FAIL: return 11003;
#ifdef EAI_NODATA
    case EAI_NODATA: return 11004;
#endif
    default: return 11003;
  }
}

namespace {

sockaddr_in ToSockaddr(SocketAddress address) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_port = htons(address.port);
  result.sin_addr.s_addr = htonl(address.address);
  return result;
}

SocketAddress FromSockaddr(const sockaddr_in& address) {
  return SocketAddress{ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

// Stores the mapped errno and answers -1 for a failed call, 0 otherwise.
int Outcome(int result, int& error) {
  error = result < 0 ? SocketErrorFromErrno(errno) : 0;
  return result < 0 ? -1 : result;
}

long Outcome(long result, int& error) {
  error = result < 0 ? SocketErrorFromErrno(errno) : 0;
  return result < 0 ? -1 : result;
}

}  // namespace

SocketHandle PosixSocketApi::Open(int type, int protocol, int& error) {
  int kind = (type == 2 ? SOCK_DGRAM : SOCK_STREAM) | SOCK_NONBLOCK | SOCK_CLOEXEC;
  return Outcome(::socket(AF_INET, kind, protocol), error);
}

int PosixSocketApi::SetOption(SocketHandle handle, SocketOption option, int value, int value2, int& error) {
  switch (option) {
    case SocketOption::kReuseAddr:
      return Outcome(::setsockopt(handle, SOL_SOCKET, SO_REUSEADDR, &value, sizeof value), error);
    case SocketOption::kTcpNoDelay:
      return Outcome(::setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &value, sizeof value), error);
    case SocketOption::kKeepAlive:
      return Outcome(::setsockopt(handle, SOL_SOCKET, SO_KEEPALIVE, &value, sizeof value), error);
    case SocketOption::kBroadcast:
      return Outcome(::setsockopt(handle, SOL_SOCKET, SO_BROADCAST, &value, sizeof value), error);
    case SocketOption::kLinger: {
      linger record{value, value2};
      return Outcome(::setsockopt(handle, SOL_SOCKET, SO_LINGER, &record, sizeof record), error);
    }
    case SocketOption::kMulticastTtl: {
      unsigned char ttl = static_cast<unsigned char>(value);
      return Outcome(::setsockopt(handle, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl), error);
    }
    case SocketOption::kAddMembership: {
      ip_mreq request{};
      request.imr_multiaddr.s_addr = htonl(static_cast<std::uint32_t>(value));
      request.imr_interface.s_addr = htonl(INADDR_ANY);
      return Outcome(::setsockopt(handle, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request), error);
    }
  }
  error = kSockInvalidArgument;
  return -1;
}

int PosixSocketApi::Bind(SocketHandle handle, SocketAddress local, int& error) {
  sockaddr_in address = ToSockaddr(local);
  return Outcome(::bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address), error);
}

int PosixSocketApi::Connect(SocketHandle handle, SocketAddress remote, int& error) {
  sockaddr_in address = ToSockaddr(remote);
  return Outcome(::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address), error);
}

int PosixSocketApi::Listen(SocketHandle handle, int backlog, int& error) {
  return Outcome(::listen(handle, backlog), error);
}

SocketHandle PosixSocketApi::Accept(SocketHandle handle, SocketAddress& peer, int& error) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  int accepted = ::accept4(handle, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (accepted >= 0) peer = FromSockaddr(address);
  return Outcome(accepted, error);
}

long PosixSocketApi::Send(SocketHandle handle, const void* data, std::size_t length, int flags, int& error) {
  int host_flags = MSG_NOSIGNAL | (flags == 1 ? MSG_OOB : 0);
  return Outcome(static_cast<long>(::send(handle, data, length, host_flags)), error);
}

long PosixSocketApi::SendTo(SocketHandle handle, const void* data, std::size_t length, SocketAddress remote,
                            int& error) {
  sockaddr_in address = ToSockaddr(remote);
  return Outcome(static_cast<long>(::sendto(handle, data, length, MSG_NOSIGNAL,
                                            reinterpret_cast<const sockaddr*>(&address), sizeof address)),
                 error);
}

long PosixSocketApi::Receive(SocketHandle handle, void* buffer, std::size_t size, int& error) {
  return Outcome(static_cast<long>(::recv(handle, buffer, size, 0)), error);
}

long PosixSocketApi::ReceiveFrom(SocketHandle handle, void* buffer, std::size_t size, SocketAddress& from,
                                 int& error) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  long count = static_cast<long>(::recvfrom(handle, buffer, size, 0, reinterpret_cast<sockaddr*>(&address), &length));
  if (count >= 0) from = FromSockaddr(address);
  return Outcome(count, error);
}

int PosixSocketApi::Shutdown(SocketHandle handle, int how, int& error) {
  return Outcome(::shutdown(handle, how == 0 ? SHUT_RD : how == 1 ? SHUT_WR : SHUT_RDWR), error);
}

int PosixSocketApi::Close(SocketHandle handle, int& error) { return Outcome(::close(handle), error); }

long PosixSocketApi::Available(SocketHandle handle, int& error) {
  int count = 0;
  if (::ioctl(handle, FIONREAD, &count) < 0) return Outcome(-1L, error);
  error = 0;
  return count;
}

int PosixSocketApi::LocalName(SocketHandle handle, SocketAddress& local, int& error) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  int result = ::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length);
  if (result == 0) local = FromSockaddr(address);
  return Outcome(result, error);
}

int PosixSocketApi::PeerName(SocketHandle handle, SocketAddress& peer, int& error) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  int result = ::getpeername(handle, reinterpret_cast<sockaddr*>(&address), &length);
  if (result == 0) peer = FromSockaddr(address);
  return Outcome(result, error);
}

int PosixSocketApi::PendingError(SocketHandle handle) {
  int value = 0;
  socklen_t length = sizeof value;
  if (::getsockopt(handle, SOL_SOCKET, SO_ERROR, &value, &length) < 0) return SocketErrorFromErrno(errno);
  return SocketErrorFromErrno(value);
}

int PosixSocketApi::Poll(std::span<PollEntry> entries, int timeout_ms) {
  std::vector<pollfd> fds(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    fds[i].fd = entries[i].handle;
    fds[i].events = static_cast<short>((entries[i].want_read ? POLLIN : 0) | (entries[i].want_write ? POLLOUT : 0));
  }
  int ready = ::poll(fds.data(), fds.size(), timeout_ms);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    short revents = ready > 0 ? fds[i].revents : 0;
    entries[i].readable = (revents & POLLIN) != 0;
    entries[i].writable = (revents & POLLOUT) != 0;
    entries[i].error = (revents & (POLLERR | POLLNVAL)) != 0;
    entries[i].hang_up = (revents & POLLHUP) != 0;
  }
  return ready < 0 ? 0 : ready;
}

PosixSocketApi& HostSockets() {
  static PosixSocketApi sockets;
  return sockets;
}

bool ResolveHostNow(const std::string& name, std::uint32_t& address, int& error) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int status = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (status != 0 || found == nullptr) {
    error = status != 0 ? SocketErrorFromResolver(status) : 11004;
    return false;
  }
  sockaddr_in first{};
  std::memcpy(&first, found->ai_addr, sizeof first);
  ::freeaddrinfo(found);
  address = ntohl(first.sin_addr.s_addr);
  error = 0;
  return true;
}

bool ServicePort(const std::string& service, const std::string& proto, int& port, int& error) {
  servent entry{};
  servent* found = nullptr;
  char buffer[1024];
  ::getservbyname_r(service.c_str(), proto.c_str(), &entry, buffer, sizeof buffer, &found);
  if (found == nullptr) {
    error = 11001;
    return false;
  }
  port = ntohs(static_cast<std::uint16_t>(found->s_port));
  error = 0;
  return true;
}

bool ProtocolNumber(const std::string& name, int& number, int& error) {
  protoent entry{};
  protoent* found = nullptr;
  char buffer[1024];
  ::getprotobyname_r(name.c_str(), &entry, buffer, sizeof buffer, &found);
  if (found == nullptr) {
    error = 11001;
    return false;
  }
  number = found->p_proto;
  error = 0;
  return true;
}

std::string DottedAddress(std::uint32_t address) {
  return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 255) + "." +
         std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255);
}

bool ParseInetAddress(const std::string& text, std::uint32_t& address) {
  in_addr parsed{};
  if (::inet_aton(text.c_str(), &parsed) == 0) return false;
  address = ntohl(parsed.s_addr);
  return true;
}

}  // namespace vorn::platform
