#include "net/custom_wsocket.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "net/net_pump.h"

namespace vorn {

namespace {

std::string Trim(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

bool ClosesOnSendError(int code) {
  return code == 10022 || code == 10038 || code == 10053 || code == 10054 || code == 10057;
}

}  // namespace

TCustomWSocket::TCustomWSocket(std::function<void(TCustomWSocket*)> release)
    : release_(std::move(release)), token_(std::make_shared<TCustomWSocket*>(this)) {
  TCustomWSocket::ResetSocket();
  NetPump::Instance().Register(this);
}

TCustomWSocket::~TCustomWSocket() {
  destroying_ = true;
  try {
    CancelDnsLookup();
  } catch (...) {
  }
  try {
    if (state_ != TSocketState::wsClosed || handle_ != platform::kNoSocket) InternalClose(true, 0);
  } catch (...) {
  }
  if (handle_ != platform::kNoSocket) {
    int error = 0;
    Net().sockets->Close(handle_, error);
  }
  NetPump::Instance().Unregister(this);
  *token_ = nullptr;
}

void TCustomWSocket::ResetSocket() {
  remote_ = platform::SocketAddress{};
  addr_.clear();
  port_.clear();
  addr_assigned_ = false;
  port_assigned_ = false;
  addr_resolved_ = false;
  port_resolved_ = false;
  proto_ = "tcp";
  proto_assigned_ = true;
  proto_resolved_ = true;
  protocol_ = 6;
  socket_type_ = 1;
  local_port_ = "0";
  local_port_resolved_ = false;
  local_port_number_ = 0;
  local_addr_ = "0.0.0.0";
  LingerOnOff = TSocketLingerOnOff::wsLingerOn;
  LingerTimeout = 0;
  handle_ = platform::kNoSocket;
  mask_ = 0;
  saved_mask_ = 0;
  state_ = TSocketState::wsClosed;
  line_send_mode_ = false;
  line_send_limit_ = 24;
  all_sent_ = true;
  write_pending_ = false;
  paused_ = false;
  read_count_ = 0;
  close_reported_ = false;
  FlushTimeout = 60;
}

// ---- properties ----

void TCustomWSocket::SetAddr(const std::string& value) {
  std::string text = Trim(value);
  if (text == addr_ && addr_assigned_ == !text.empty()) return;
  if (state_ != TSocketState::wsClosed) throw ESocketException("Cannot change Addr if not closed");
  addr_ = text;
  addr_assigned_ = !text.empty();
  addr_resolved_ = false;
}

void TCustomWSocket::AssignRemote(const std::string& addr, const std::string& port) {
  addr_ = addr;
  addr_assigned_ = !addr.empty();
  addr_resolved_ = false;
  port_ = port;
  port_assigned_ = !port.empty();
  port_resolved_ = false;
}

void TCustomWSocket::SetPort(const std::string& value) {
  std::string text = Trim(value);
  if (text == port_ && port_assigned_ == !text.empty()) return;
  if (state_ != TSocketState::wsClosed) throw ESocketException("Cannot change Port if not closed");
  port_ = text;
  port_assigned_ = !text.empty();
  port_resolved_ = false;
}

void TCustomWSocket::SetProto(const std::string& value) {
  std::string text = Trim(value);
  if (text == proto_ && proto_assigned_ == !text.empty()) return;
  if (state_ != TSocketState::wsClosed) throw ESocketException("Cannot change Proto if not closed");
  proto_ = text;
  proto_assigned_ = !text.empty();
  proto_resolved_ = false;
}

void TCustomWSocket::SetLocalAddr(const std::string& value) {
  std::string text = Trim(value);
  if (text.empty()) text = "0.0.0.0";
  std::uint32_t address = 0;
  if (!platform::ParseInetAddress(text, address)) throw ESocketException("SetLocalAddr(): Invalid IP address");
  text = platform::DottedAddress(address);
  if (text == local_addr_) return;
  if (state_ != TSocketState::wsClosed) throw ESocketException("Cannot change LocalAddr if not closed");
  local_addr_ = text;
}

void TCustomWSocket::SetLocalPort(const std::string& value) {
  std::string text = Trim(value);
  if (text == local_port_) return;
  if (state_ != TSocketState::wsClosed) throw ESocketException("Cannot change LocalPort if not closed");
  local_port_ = text;
  local_port_resolved_ = false;
}

int TCustomWSocket::SendFlags() const {
  if (send_flags_ != 0 && send_flags_ != 1) {
    // Reading is const, so the report goes through a copy of the error step's rule.
    if (OnError) {
      OnError(const_cast<TCustomWSocket&>(*this));
      return send_flags_;
    }
    throw ESocketException("Invalid internal SendFlags");
  }
  return send_flags_;
}

void TCustomWSocket::SetSendFlags(int flags) {
  if (flags != 0 && flags != 1) throw ESocketException("Invalid SendFlags");
  send_flags_ = flags;
}

std::string TCustomWSocket::PeerAddr() {
  if (state_ != TSocketState::wsConnected) return "error";
  platform::SocketAddress peer;
  int error = 0;
  if (Net().sockets->PeerName(handle_, peer, error) < 0) {
    SocketError("GetPeerName", error);
    return "error";
  }
  return platform::DottedAddress(peer.address);
}

std::string TCustomWSocket::PeerPort() {
  if (state_ != TSocketState::wsConnected) return "error";
  platform::SocketAddress peer;
  int error = 0;
  if (Net().sockets->PeerName(handle_, peer, error) < 0) {
    SocketError("GetPeerPort", error);
    return "error";
  }
  return std::to_string(peer.port);
}

namespace {
bool BoundState(TSocketState state) {
  return state == TSocketState::wsConnected || state == TSocketState::wsBound || state == TSocketState::wsListening;
}
}  // namespace

std::string TCustomWSocket::GetXAddr() {
  if (!BoundState(state_)) return "error";
  platform::SocketAddress local;
  int error = 0;
  if (Net().sockets->LocalName(handle_, local, error) < 0) return "error";
  return platform::DottedAddress(local.address);
}

std::string TCustomWSocket::GetXPort() {
  if (!BoundState(state_)) return "error";
  platform::SocketAddress local;
  int error = 0;
  if (Net().sockets->LocalName(handle_, local, error) < 0) return "error";
  return std::to_string(local.port);
}

long TCustomWSocket::RcvdCount() {
  int error = 0;
  long count = Net().sockets->Available(handle_, error);
  if (count < 0) {
    SocketError("ioctlSocket", error);
    return -1;
  }
  return count;
}

// ---- error steps ----

void TCustomWSocket::RaiseException(const std::string& message) {
  if (OnError) {
    OnError(*this);
    return;
  }
  throw ESocketException(message);
}

void TCustomWSocket::SocketError(const std::string& function, int code) {
  std::string text = "Error " + std::to_string(code) + " in function " + function + "\r\n" + SocketErrorText(code);
  if (code == 10054 || code == 10057) {
    if (handle_ != platform::kNoSocket) {
      int ignored = 0;
      Net().sockets->Close(handle_, ignored);
      handle_ = platform::kNoSocket;
    }
    if (state_ != TSocketState::wsClosed) {
      if (!close_reported_ && OnSessionClosed) {
        close_reported_ = true;
        OnSessionClosed(*this, code);
      }
      close_reported_ = true;
      ChangeState(TSocketState::wsClosed);
    }
  }
  last_error_ = code;
  RaiseException(text);
}

void TCustomWSocket::ChangeState(TSocketState new_state) {
  TSocketState old_state = state_;
  state_ = new_state;
  if (OnChangeState) OnChangeState(*this, old_state, new_state);
}

void TCustomWSocket::HandleBackgroundException(const std::exception& error) {
  bool can_close = true;
  if (OnBgException) {
    try {
      OnBgException(*this, error, can_close);
    } catch (...) {
    }
  }
  if (can_close) {
    try {
      Abort();
    } catch (...) {
    }
  }
}

void TCustomWSocket::PostTask(std::function<void(TCustomWSocket&)> task) {
  std::weak_ptr<TCustomWSocket*> alive = token_;
  Net().tasks->Post([alive, task = std::move(task)] {
    std::shared_ptr<TCustomWSocket*> socket = alive.lock();
    if (!socket || *socket == nullptr) return;
    try {
      task(**socket);
    } catch (const std::exception& error) {
      if (!alive.expired()) (*socket)->HandleBackgroundException(error);
    }
  });
}

// ---- lookups ----

void TCustomWSocket::DnsLookup(const std::string& host_name) {
  if (host_name.empty()) {
    RaiseException("DNS lookup: invalid host name.");
    if (OnDnsLookupDone) OnDnsLookupDone(*this, 10022);
    return;
  }
  CancelDnsLookup();
  dns_result_.clear();
  dns_result_list_.clear();
  std::uint32_t address = 0;
  if (platform::ParseInetAddress(host_name, address)) {
    dns_result_ = platform::DottedAddress(address);
    if (OnDnsLookupDone) OnDnsLookupDone(*this, 0);
    return;
  }
  std::uint64_t id = ++lookup_id_;
  std::weak_ptr<TCustomWSocket*> alive = token_;
  int error = 0;
  lookup_pending_ = true;
  bool started = Net().resolver->StartForward(
      host_name,
      [alive, id](const platform::ResolveResult& result) {
        if (auto socket = alive.lock(); socket && *socket != nullptr) (*socket)->FinishLookup(id, result, false);
      },
      error);
  if (!started) {
    lookup_pending_ = false;
    char message[400];
    std::snprintf(message, sizeof message, "%s: can't start DNS lookup, error #%d", host_name.c_str(), error);
    RaiseException(message);
  }
}

void TCustomWSocket::ReverseDnsLookup(const std::string& address_text) {
  if (address_text.empty() || address_text.size() > 256) {
    RaiseException("ReverseDnsLookup: Invalid host name.");
    if (OnDnsLookupDone) OnDnsLookupDone(*this, 10022);
    return;
  }
  CancelDnsLookup();
  dns_result_.clear();
  dns_result_list_.clear();
  std::uint32_t address = 0;
  if (!platform::ParseInetAddress(address_text, address)) {
    RaiseException("ReverseDnsLookup: Invalid host name.");
    if (OnDnsLookupDone) OnDnsLookupDone(*this, 10022);
    return;
  }
  std::uint64_t id = ++lookup_id_;
  std::weak_ptr<TCustomWSocket*> alive = token_;
  int error = 0;
  lookup_pending_ = true;
  bool started = Net().resolver->StartReverse(
      address,
      [alive, id](const platform::ResolveResult& result) {
        if (auto socket = alive.lock(); socket && *socket != nullptr) (*socket)->FinishLookup(id, result, true);
      },
      error);
  if (!started) {
    lookup_pending_ = false;
    char message[400];
    std::snprintf(message, sizeof message, "%s: can't start DNS lookup, error #%d", address_text.c_str(), error);
    RaiseException(message);
  }
}

void TCustomWSocket::FinishLookup(std::uint64_t id, const platform::ResolveResult& result, bool reverse) {
  // A cancelled or superseded lookup's answer is dropped.
  if (!lookup_pending_ || id != lookup_id_) return;
  lookup_pending_ = false;
  if (result.error == 0) {
    if (reverse) {
      dns_result_ = result.host_name;
      dns_result_list_ = {result.host_name};
    } else {
      for (std::uint32_t address : result.addresses) dns_result_list_.push_back(platform::DottedAddress(address));
      if (!dns_result_list_.empty()) dns_result_ = dns_result_list_.front();
    }
  }
  if (OnDnsLookupDone) OnDnsLookupDone(*this, result.error);
}

void TCustomWSocket::CancelDnsLookup() {
  if (!lookup_pending_) return;
  lookup_pending_ = false;
  ++lookup_id_;
  if (!destroying_ && OnDnsLookupDone) OnDnsLookupDone(*this, 10004);
}

// ---- connect ----

void TCustomWSocket::BindSocket() {
  platform::SocketAddress local{WSocketResolveHost(local_addr_), static_cast<std::uint16_t>(local_port_number_)};
  int error = 0;
  char message[100];
  if (Net().sockets->Bind(handle_, local, error) < 0) {
    std::snprintf(message, sizeof message, "winsock.bind failed, error #%d", error);
    throw ESocketException(message);
  }
  platform::SocketAddress bound;
  if (Net().sockets->LocalName(handle_, bound, error) < 0) {
    std::snprintf(message, sizeof message, "winsock.getsockname failed, error #%d", error);
    throw ESocketException(message);
  }
  local_port_ = std::to_string(bound.port);
  local_port_number_ = bound.port;
}

void TCustomWSocket::ApplyLinger() {
  if (LingerOnOff == TSocketLingerOnOff::wsLingerNoSet) return;
  if (handle_ == platform::kNoSocket) {
    RaiseException("Cannot set linger option at this time");
    return;
  }
  int error = 0;
  int on = LingerOnOff == TSocketLingerOnOff::wsLingerOn ? 1 : 0;
  if (Net().sockets->SetOption(handle_, platform::SocketOption::kLinger, on, LingerTimeout, error) < 0)
    SocketError("setsockopt(SO_LINGER)", error);
}

void TCustomWSocket::DeleteBufferedData() {
  queue_.clear();
  all_sent_ = true;
}

// Resolves what is not resolved yet, once per setting; a failure is raised with the caller's
// prefix and answers false.
bool TCustomWSocket::ResolveTarget(const char* prefix, bool with_local_port) {
  try {
    if (!proto_resolved_) {
      protocol_ = WSocketResolveProto(proto_);
      socket_type_ = protocol_ == 17 ? 2 : 1;
      proto_resolved_ = true;
    }
    if (!port_resolved_) {
      remote_.port = static_cast<std::uint16_t>(WSocketResolvePort(port_, proto_));
      port_resolved_ = true;
    }
    if (with_local_port && !local_port_resolved_) {
      local_port_number_ = WSocketResolvePort(local_port_, proto_);
      local_port_resolved_ = true;
    }
    if (!addr_resolved_) {
      remote_.address = WSocketResolveHost(addr_);
      addr_resolved_ = true;
    }
  } catch (const ESocketException& error) {
    RaiseException(std::string(prefix) + error.what());
    return false;
  }
  return true;
}

void TCustomWSocket::Connect() {
  if (handle_ != platform::kNoSocket && state_ != TSocketState::wsClosed) {
    RaiseException("Connect: Socket already in use");
    return;
  }
  if (!port_assigned_) {
    RaiseException("Connect: No Port Specified");
    return;
  }
  if (!addr_assigned_) {
    RaiseException("Connect: No IP Address Specified");
    return;
  }
  if (!proto_assigned_) {
    RaiseException("Connect: No Protocol Specified");
    return;
  }
  if (!ResolveTarget("connect: ", true)) return;
  DeleteBufferedData();
  int error = 0;
  platform::SocketApi& sockets = *Net().sockets;
  handle_ = sockets.Open(socket_type_, protocol_, error);
  if (handle_ == platform::kNoSocket) {
    SocketError("Connect (socket)", error);
    return;
  }
  ChangeState(TSocketState::wsOpened);
  if (socket_type_ == 1) {
    if (sockets.SetOption(handle_, platform::SocketOption::kReuseAddr, 1, 0, error) < 0) {
      SocketError("setsockopt(SO_REUSEADDR)", error);
      return;
    }
    if ((ComponentOptions & kWsoTcpNoDelay) != 0 &&
        sockets.SetOption(handle_, platform::SocketOption::kTcpNoDelay, 1, 0, error) < 0) {
      SocketError("setsockopt(IPPROTO_TCP, TCP_NODELAY)", error);
      return;
    }
    ApplyLinger();
    if (sockets.SetOption(handle_, platform::SocketOption::kKeepAlive, 1, 0, error) < 0) {
      SocketError("setsockopt(SO_KEEPALIVE)", error);
      return;
    }
    if (local_port_number_ != 0 || local_addr_ != "0.0.0.0") BindSocket();
  } else {
    BindSocket();
    if (MultiCast && MultiCastIpTTL != 1 &&
        sockets.SetOption(handle_, platform::SocketOption::kMulticastTtl, MultiCastIpTTL, 0, error) < 0) {
      SocketError("setsockopt(IP_MULTICAST_TTL)", error);
      return;
    }
    if (remote_.address == 0xFFFFFFFFu &&
        sockets.SetOption(handle_, platform::SocketOption::kBroadcast, 1, 0, error) < 0) {
      SocketError("setsockopt(SO_BROADCAST)", error);
      return;
    }
  }
  mask_ = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
  if (socket_type_ == 2) {
    ChangeState(TSocketState::wsConnected);
    TriggerSessionConnected(0);
    return;
  }
  if (sockets.Connect(handle_, remote_, error) == 0 || error == platform::kSockWouldBlock) {
    ChangeState(TSocketState::wsConnecting);
    return;
  }
  last_error_ = error;
  SocketError("Connect", error);
}

// ---- server side ----

void TCustomWSocket::Listen() {
  if (!port_assigned_) {
    RaiseException("listen: port not assigned");
    return;
  }
  if (!proto_assigned_) {
    RaiseException("listen: protocol not assigned");
    return;
  }
  if (!addr_assigned_) {
    RaiseException("listen: address not assigned");
    return;
  }
  if (!ResolveTarget("listen: ", false)) return;
  platform::SocketApi& sockets = *Net().sockets;
  int error = 0;
  handle_ = sockets.Open(socket_type_, protocol_, error);
  if (handle_ == platform::kNoSocket) {
    SocketError("socket", error);
    return;
  }
  if (socket_type_ == 2 && ReuseAddr &&
      sockets.SetOption(handle_, platform::SocketOption::kReuseAddr, 1, 0, error) < 0) {
    SocketError("setsockopt(SO_REUSEADDR)", error);
    return;
  }
  if (sockets.Bind(handle_, remote_, error) < 0) {
    SocketError("Bind", error);
    return;
  }
  ChangeState(TSocketState::wsBound);
  if (socket_type_ == 2) {
    if (MultiCast) {
      std::uint32_t group = 0;
      platform::ParseInetAddress(MultiCastAddrStr, group);
      if (sockets.SetOption(handle_, platform::SocketOption::kAddMembership, static_cast<int>(group), 0, error) < 0) {
        SocketError("setsockopt(IP MULTICAST)", error);
        return;
      }
    }
    ChangeState(TSocketState::wsListening);
    ChangeState(TSocketState::wsConnected);
  } else {
    if (sockets.Listen(handle_, 5, error) < 0) {
      SocketError("Listen", error);
      return;
    }
    ChangeState(TSocketState::wsListening);
  }
  mask_ = FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE;
}

platform::SocketHandle TCustomWSocket::Accept() {
  if (state_ != TSocketState::wsListening) {
    SocketError("not a listening socket", 10022);
    return platform::kNoSocket;
  }
  platform::SocketAddress peer;
  int error = 0;
  platform::SocketHandle accepted = Net().sockets->Accept(handle_, peer, error);
  if (accepted == platform::kNoSocket) SocketError("Accept", error);
  return accepted;
}

void TCustomWSocket::Dup(platform::SocketHandle handle) {
  if (handle == 0 || handle == platform::kNoSocket) {
    SocketError("Dup", 10022);
    return;
  }
  if (handle_ != platform::kNoSocket) {
    int error = 0;
    if (Net().sockets->Close(handle_, error) < 0) {
      SocketError("Dup (closesocket)", error);
      return;
    }
    handle_ = platform::kNoSocket;
  }
  handle_ = handle;
  ApplyLinger();
  mask_ = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;
  write_pending_ = true;
  ChangeState(TSocketState::wsConnected);
}

// ---- sending ----

int TCustomWSocket::Send(const void* data, int length) {
  if (state_ != TSocketState::wsConnected) {
    SocketError("Send", platform::kSockNotConnected);
    return -1;
  }
  if (length <= 0) return 0;
  const char* bytes = static_cast<const char*>(data);
  int left = length;
  while (left > 0) {
    if (queue_.empty() || queue_.back().BufSize() - 0 <= 0) queue_.emplace_back(buf_size_);
    int taken = queue_.back().Write(bytes, left);
    if (taken == 0) {
      queue_.emplace_back(buf_size_);
      continue;
    }
    bytes += taken;
    left -= taken;
  }
  all_sent_ = false;
  TryToSend();
  if (all_sent_ && handle_ != platform::kNoSocket) {
    platform::SocketHandle handle = handle_;
    PostTask([handle](TCustomWSocket& socket) {
      if (socket.handle_ == handle && !socket.paused_) socket.DoFdEvent(FD_WRITE, 0);
    });
  }
  return length;
}

int TCustomWSocket::SendStr(const std::string& text) {
  if (text.empty()) return 0;
  return Send(text.data(), static_cast<int>(text.size()));
}

void TCustomWSocket::TryToSend() {
  if (handle_ == platform::kNoSocket || queue_.empty()) return;
  platform::SocketApi& sockets = *Net().sockets;
  std::weak_ptr<TCustomWSocket*> alive = token_;
  int lines = 0;
  while (!queue_.empty()) {
    int length = 0;
    const char* data = queue_.front().Peek(length);
    if (length > 0) {
      int run = length;
      if (line_send_mode_) {
        const void* end = std::memchr(data, '\n', static_cast<std::size_t>(length));
        if (end != nullptr) run = static_cast<int>(static_cast<const char*>(end) - data) + 1;
      }
      int error = 0;
      long count = socket_type_ == 2 ? sockets.SendTo(handle_, data, static_cast<std::size_t>(run), remote_, error)
                                     : sockets.Send(handle_, data, static_cast<std::size_t>(run), send_flags_, error);
      if (count < 0) {
        if (ClosesOnSendError(error)) {
          close_reported_ = true;
          InternalClose(false, error);
          if (OnSessionClosed) OnSessionClosed(*this, error);
          return;
        }
        if (error == platform::kSockWouldBlock) return;
        SocketError("TryToSend failed", error);
        return;
      }
      if (count == 0) return;
      queue_.front().Remove(static_cast<int>(count));
      if (OnSendData) {
        OnSendData(*this, static_cast<int>(count));
        if (alive.expired() || handle_ == platform::kNoSocket || queue_.empty()) return;
      }
      if (count < run) return;
      if (line_send_mode_ && ++lines >= line_send_limit_) return;
    }
    if (queue_.front().Unread() == 0) {
      if (queue_.size() > 1) {
        queue_.pop_front();
      } else {
        all_sent_ = true;
        return;
      }
    }
  }
}

void TCustomWSocket::Flush() {
  NetPump& pump = NetPump::Instance();
  while (handle_ != platform::kNoSocket && !all_sent_) {
    TryToSend();
    if (handle_ == platform::kNoSocket || all_sent_) break;
    if (!pump.ProcessMessages()) pump.Wait(std::chrono::milliseconds(10));
  }
}

// ---- receiving ----

int TCustomWSocket::Receive(void* buffer, int size) {
  int error = 0;
  long count;
  if (socket_type_ == 2) {
    platform::SocketAddress from;
    count = Net().sockets->ReceiveFrom(handle_, buffer, static_cast<std::size_t>(std::max(size, 0)), from, error);
  } else {
    count = Net().sockets->Receive(handle_, buffer, static_cast<std::size_t>(std::max(size, 0)), error);
  }
  if (count < 0) {
    last_error_ = error;
    return -1;
  }
  read_count_ += count;
  return static_cast<int>(count);
}

std::string TCustomWSocket::ReceiveStr() {
  long waiting = RcvdCount();
  if (waiting < 0) return {};
  std::string text(static_cast<std::size_t>(waiting == 0 ? 255 : waiting), '\0');
  int count = Receive(text.data(), static_cast<int>(text.size()));
  text.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
  return text;
}

void TCustomWSocket::ReceiveLoop(unsigned options) {
  std::weak_ptr<TCustomWSocket*> alive = token_;
  for (;;) {
    last_error_ = 0;
    long before = read_count_;
    bool taken = false;
    try {
      taken = TriggerDataAvailable(0);
    } catch (...) {
      // The data handler's failures end this loop and go no further.
      return;
    }
    if (alive.expired()) return;
    if (!taken) {
      char drain[1024];
      int count = Receive(drain, sizeof drain);
      if (count < 0 && last_error_ == platform::kSockWouldBlock) {
        last_error_ = 0;
        return;
      }
      if (count == 0) return;
    }
    if ((options & kWsoNoReceiveLoop) != 0) return;
    if (last_error_ != 0 || handle_ == platform::kNoSocket) return;
    // A reader that takes nothing would keep this loop going for ever.
    if (read_count_ == before) return;
    int error = 0;
    long waiting = Net().sockets->Available(handle_, error);
    if (waiting < 0) {
      last_error_ = error;
      return;
    }
    if (waiting == 0) return;
  }
}

// ---- notifications ----

void TCustomWSocket::TriggerSessionConnected(int error) {
  if (OnSessionConnected) OnSessionConnected(*this, error);
}

bool TCustomWSocket::TriggerDataAvailable(int error) {
  if (!OnDataAvailable) return false;
  OnDataAvailable(*this, error);
  return true;
}

void TCustomWSocket::TriggerSessionClosed(int error) {
  if (OnSessionClosed) OnSessionClosed(*this, error);
}

bool TCustomWSocket::WantsPoll(PollWish& wish) const {
  if (handle_ == platform::kNoSocket || paused_ || mask_ == 0) return false;
  wish.read = state_ != TSocketState::wsConnecting;
  wish.write = state_ == TSocketState::wsConnecting || (state_ == TSocketState::wsConnected && (write_pending_ || !all_sent_));
  return wish.read || wish.write;
}

void TCustomWSocket::HandlePoll(const platform::PollEntry& entry) {
  std::weak_ptr<TCustomWSocket*> alive = token_;
  platform::SocketHandle handle = handle_;
  platform::SocketApi& sockets = *Net().sockets;
  // Each notification may close, pause or free the socket; the rest of the pass is then dropped.
  auto still = [&] { return !alive.expired() && handle_ == handle && !paused_; };
  if (state_ == TSocketState::wsConnecting) {
    if (entry.writable || entry.error || entry.hang_up) DoFdEvent(FD_CONNECT, sockets.PendingError(handle));
    return;
  }
  if (state_ == TSocketState::wsListening && socket_type_ == 1) {
    if (entry.readable) DoFdEvent(FD_ACCEPT, 0);
    return;
  }
  if (socket_type_ == 2) {
    if (entry.readable) DoFdEvent(FD_READ, 0);
    if (still() && entry.writable && !all_sent_) DoFdEvent(FD_WRITE, 0);
    return;
  }
  bool closing = false;
  int close_error = 0;
  if (entry.readable) {
    int error = 0;
    long waiting = sockets.Available(handle, error);
    if (waiting > 0) {
      DoFdEvent(FD_READ, 0);
      if (!still()) return;
    } else {
      closing = true;
      close_error = waiting < 0 ? error : 0;
    }
  }
  if (entry.error || entry.hang_up) {
    closing = true;
    if (close_error == 0) close_error = sockets.PendingError(handle);
  }
  if (entry.writable && (write_pending_ || !all_sent_)) {
    DoFdEvent(FD_WRITE, 0);
    if (!still()) return;
  }
  if (closing) DoFdEvent(FD_CLOSE, close_error);
}

void TCustomWSocket::DoFdEvent(int event, int error) {
  std::weak_ptr<TCustomWSocket*> alive = token_;
  switch (event) {
    case FD_CONNECT:
      if (state_ != TSocketState::wsConnected) {
        ChangeState(TSocketState::wsConnected);
        if (error == 0) write_pending_ = true;
        TriggerSessionConnected(error);
        if (alive.expired()) return;
        if (error != 0 && state_ != TSocketState::wsClosed) Close();
      }
      break;
    case FD_READ:
      if (state_ != TSocketState::wsConnected) {
        ChangeState(TSocketState::wsConnected);
        TriggerSessionConnected(error);
        if (alive.expired()) return;
      }
      ReceiveLoop(ComponentOptions);
      break;
    case FD_WRITE:
      write_pending_ = false;
      TryToSend();
      if (alive.expired()) return;
      if (all_sent_ && OnDataSent) OnDataSent(*this, error);
      break;
    case FD_ACCEPT:
      if (OnSessionAvailable) OnSessionAvailable(*this, error);
      break;
    case FD_CLOSE:
      if (state_ == TSocketState::wsConnecting) return;
      ReceiveLoop(ComponentOptions & ~kWsoNoReceiveLoop);
      if (alive.expired()) return;
      if (!close_reported_) {
        close_reported_ = true;
        TriggerSessionClosed(error);
        if (alive.expired()) return;
      }
      if (state_ != TSocketState::wsClosed) Close();
      break;
    default:
      break;
  }
}

// ---- closing ----

void TCustomWSocket::InternalClose(bool graceful, int error) {
  platform::SocketApi& sockets = *Net().sockets;
  if (handle_ != platform::kNoSocket) {
    int ignored = 0;
    if (graceful && state_ != TSocketState::wsClosed) sockets.Shutdown(handle_, 1, ignored);
    int close_error = 0;
    platform::SocketHandle handle = handle_;
    handle_ = platform::kNoSocket;
    if (sockets.Close(handle, close_error) < 0 && close_error != 10093) {
      SocketError("Disconnect (closesocket)", close_error);
      return;
    }
  }
  if (state_ != TSocketState::wsClosed) {
    ChangeState(TSocketState::wsClosed);
    if (!destroying_ && !close_reported_) {
      close_reported_ = true;
      std::weak_ptr<TCustomWSocket*> alive = token_;
      if (OnSessionClosed) OnSessionClosed(*this, error);
      if (alive.expired()) return;
    }
  }
  try {
    // A handler may have connected again already; its new connection keeps its settings.
    if (handle_ == platform::kNoSocket) ResetSocket();
  } catch (...) {
  }
}

void TCustomWSocket::Close() { InternalClose(true, 0); }

void TCustomWSocket::Abort() {
  CancelDnsLookup();
  DeleteBufferedData();
  if (state_ == TSocketState::wsConnected && socket_type_ == 1 && handle_ != platform::kNoSocket) {
    // Linger on with no time: the close resets the connection at once.
    int error = 0;
    Net().sockets->SetOption(handle_, platform::SocketOption::kLinger, 1, 0, error);
  }
  InternalClose(false, 0);
}

void TCustomWSocket::CloseDelayed() {
  PostTask([](TCustomWSocket& socket) { socket.Close(); });
}

void TCustomWSocket::Release() {
  PostTask([](TCustomWSocket& socket) {
    if (socket.release_) socket.release_(&socket);
  });
}

void TCustomWSocket::PostTestException() {
  PostTask([](TCustomWSocket&) { throw ESocketException("Test exception in WSocket"); });
}

void TCustomWSocket::Pause() {
  if (!paused_) saved_mask_ = mask_;
  paused_ = true;
  mask_ = 0;
}

void TCustomWSocket::Resume() {
  if (paused_) mask_ = saved_mask_;
  paused_ = false;
}

void TCustomWSocket::Shutdown(int how) {
  if (handle_ == platform::kNoSocket) return;
  int error = 0;
  Net().sockets->Shutdown(handle_, how, error);
}

}  // namespace vorn
