#include "net/socks_wsocket.h"

#include <algorithm>
#include <cctype>

#include "platform/net_sockets.h"

namespace vorn {

namespace {

std::string Trim(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

void PutPort(std::string& out, int port) {
  out += static_cast<char>((port >> 8) & 0xFF);
  out += static_cast<char>(port & 0xFF);
}

void PutAddress(std::string& out, std::uint32_t address) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((address >> shift) & 0xFF);
}

// One-byte length and the text, cut to what the length can say.
void PutShortText(std::string& out, const std::string& text) {
  const std::size_t length = std::min<std::size_t>(text.size(), 255);
  out += static_cast<char>(length);
  out.append(text, 0, length);
}

// The SOCKS 5 reply codes (RFC 1928) as our codes and texts.
void Socks5Failure(int reply, int& code, std::string& text) {
  switch (reply) {
    case 1: code = kSocksGeneralFailure; text = "general SOCKS server failure"; return;
    case 2: code = kSocksConnectionNotAllowed; text = "connection not allowed by ruleset"; return;
    case 3: code = kSocksNetworkUnreachable; text = "network unreachable"; return;
    case 4: code = kSocksHostUnreachable; text = "host unreachable"; return;
    case 5: code = kSocksConnectionRefused; text = "connection refused"; return;
    case 6: code = kSocksTtlExpired; text = "TTL expired"; return;
    case 7: code = kSocksUnknownCommand; text = "command not supported"; return;
    case 8: code = kSocksUnknownAddressType; text = "address type not supported"; return;
    default: code = kSocksUnassignedError; text = "unassigned error #" + std::to_string(reply); return;
  }
}

}  // namespace

TCustomSocksWSocket::TCustomSocksWSocket(std::function<void(TCustomWSocket*)> release)
    : TCustomWSocket(std::move(release)) {}

void TCustomSocksWSocket::SetSocksLevel(const std::string& value) {
  std::string level = value;
  if (level == "4a") level = "4A";
  if (level != "4" && level != "4A" && level != "5") throw ESocketException("Invalid socks level. Must be 4, 4A or 5.");
  if (level == socks_level_) return;
  if (State() != TSocketState::wsClosed) throw ESocketException("Can't change socks level if not closed");
  socks_level_ = level;
}

void TCustomSocksWSocket::SetSocksServer(const std::string& value) {
  std::string text = Trim(value);
  if (text == socks_server_) return;
  if (State() != TSocketState::wsClosed) throw ESocketException("Can't change socks server if not closed");
  socks_server_ = text;
}

void TCustomSocksWSocket::SetSocksPort(const std::string& value) {
  std::string text = Trim(value);
  if (text == socks_port_) return;
  if (State() != TSocketState::wsClosed) throw ESocketException("Can't change socks port if not closed");
  socks_port_ = text;
}

void TCustomSocksWSocket::ResetSocks() {
  phase_ = Phase::kNone;
  reply_.clear();
  socks_server_.clear();
  socks_port_.clear();
  socks_level_ = "5";
}

void TCustomSocksWSocket::ResetSocket() {
  TCustomWSocket::ResetSocket();
  ResetSocks();
}

bool TCustomSocksWSocket::SocksNegotiating() const {
  return phase_ == Phase::kMethodReply || phase_ == Phase::kAuthReply || phase_ == Phase::kConnectReply;
}

// ---- connecting through the server ----

void TCustomSocksWSocket::Connect() {
  if (socks_server_.empty()) {
    TCustomWSocket::Connect();
    return;
  }
  if (Handle() != platform::kNoSocket && State() != TSocketState::wsClosed) {
    TCustomWSocket::Connect();  // refuses: the socket is in use
    return;
  }
  if (Lower(Proto()) != "tcp") {
    RaiseException("tcp is the only protocol supported thru socks server");
    return;
  }
  if (Port().empty()) {
    RaiseException("Connect: No Port Specified");
    return;
  }
  if (Addr().empty()) {
    RaiseException("Connect: No IP Address Specified");
    return;
  }
  const std::string shown_port = Port();
  target_addr_ = Addr();
  target_port_ = Port();
  int port = 0;
  try {
    port = WSocketResolvePort(target_port_, "tcp");
    target_dotted_ = platform::ParseInetAddress(target_addr_, target_address_);
    // SOCKS 4 carries only an address: the name is resolved here, as Connect does without a server.
    if (!target_dotted_ && socks_level_ == "4") target_address_ = WSocketResolveHost(target_addr_);
  } catch (const ESocketException& error) {
    RaiseException(std::string("connect: ") + error.what());
    return;
  }
  target_port_ = std::to_string(port);
  phase_ = Phase::kConnectingServer;
  reply_.clear();
  AssignRemote(socks_server_, socks_port_);
  try {
    TCustomWSocket::Connect();
  } catch (...) {
    if (State() == TSocketState::wsClosed) phase_ = Phase::kNone;
    throw;
  }
  if (State() != TSocketState::wsConnecting) {
    phase_ = Phase::kNone;
    return;
  }
  // The caller's target stays what Addr and Port show.
  AssignRemote(target_addr_, shown_port);
}

void TCustomSocksWSocket::Listen() {
  if (!socks_server_.empty()) {
    RaiseException("Listening is not supported thru socks server");
    return;
  }
  TCustomWSocket::Listen();
}

void TCustomSocksWSocket::TriggerSessionConnected(int error) {
  if (phase_ != Phase::kConnectingServer) {
    TCustomWSocket::TriggerSessionConnected(error);
    return;
  }
  std::weak_ptr<TCustomWSocket*> alive = AliveToken();
  if (OnSocksConnected) {
    OnSocksConnected(*this, error);
    if (alive.expired()) return;
  }
  if (error != 0) {
    phase_ = Phase::kNone;
    TCustomWSocket::TriggerSessionConnected(error);
    return;
  }
  if (socks_level_ == "5") {
    SendMethodRequest();
  } else {
    SendSocks4Request();
  }
}

void TCustomSocksWSocket::SendSocks4Request() {
  const bool by_name = socks_level_ == "4A" && !target_dotted_;
  std::string request;
  request += '\x04';  // version
  request += '\x01';  // connect
  PutPort(request, std::stoi(target_port_));
  // 4A: an address of 0.0.0.x (x not 0) says the name follows the user.
  PutAddress(request, by_name ? 1u : target_address_);
  request += SocksUsercode;
  request += '\0';
  if (by_name) {
    request += target_addr_;
    request += '\0';
  }
  phase_ = Phase::kConnectReply;
  reply_.clear();
  SendStr(request);
}

void TCustomSocksWSocket::SendMethodRequest() {
  const bool with_user = SocksAuthentication == TSocksAuthentication::socksAuthenticateUsercode;
  std::string request;
  request += '\x05';  // version
  request += '\x01';  // one method offered
  request += with_user ? '\x02' : '\x00';
  phase_ = Phase::kMethodReply;
  reply_.clear();
  SendStr(request);
}

void TCustomSocksWSocket::SendAuthRequest() {
  std::weak_ptr<TCustomWSocket*> alive = AliveToken();
  if (OnSocksAuthState) {
    OnSocksAuthState(*this, TSocksAuthState::socksAuthStart);
    if (alive.expired()) return;
  }
  std::string request;
  request += '\x01';  // sub-negotiation version
  PutShortText(request, SocksUsercode);
  PutShortText(request, SocksPassword);
  phase_ = Phase::kAuthReply;
  reply_.clear();
  SendStr(request);
}

void TCustomSocksWSocket::SendSocks5ConnectRequest() {
  std::string request;
  request += '\x05';  // version
  request += '\x01';  // connect
  request += '\x00';  // reserved
  if (target_dotted_) {
    request += '\x01';
    PutAddress(request, target_address_);
  } else {
    request += '\x03';
    PutShortText(request, target_addr_);
  }
  PutPort(request, std::stoi(target_port_));
  phase_ = Phase::kConnectReply;
  reply_.clear();
  SendStr(request);
}

// ---- replies ----

std::size_t TCustomSocksWSocket::ReplyBytesMissing() const {
  std::size_t total = 0;
  switch (phase_) {
    case Phase::kMethodReply:
    case Phase::kAuthReply: total = 2; break;
    case Phase::kConnectReply:
      if (socks_level_ != "5") {
        total = 8;
      } else if (reply_.size() < 5) {
        total = 5;
      } else {
        switch (reply_[3]) {
          case 1: total = 10; break;
          case 3: total = 7 + static_cast<unsigned char>(reply_[4]); break;
          case 4: total = 22; break;
          default: total = reply_.size(); break;
        }
      }
      break;
    default: return 0;
  }
  return total > reply_.size() ? total - reply_.size() : 0;
}

bool TCustomSocksWSocket::TriggerDataAvailable(int error) {
  if (!SocksNegotiating()) return TCustomWSocket::TriggerDataAvailable(error);
  // Only the reply is read: what the target sends after it stays for the caller.
  const std::size_t missing = ReplyBytesMissing();
  char buffer[300];
  const int count = TCustomWSocket::Receive(buffer, static_cast<int>(std::min(missing, sizeof buffer)));
  if (count < 0) {
    if (LastError() == platform::kSockWouldBlock) {
      SetLastError(0);
      return true;
    }
    SocksFailure(LastError(), "data receive error");
    return true;
  }
  if (count == 0) return true;
  reply_.append(buffer, static_cast<std::size_t>(count));
  HandleReply();
  return true;
}

void TCustomSocksWSocket::HandleReply() {
  const auto byte = [this](std::size_t i) { return static_cast<unsigned char>(reply_[i]); };
  switch (phase_) {
    case Phase::kMethodReply: {
      if (reply_.size() < 2) return;
      if (byte(0) != 5) return SocksFailure(kSocksVersionError, "socks version error");
      const bool with_user = SocksAuthentication == TSocksAuthentication::socksAuthenticateUsercode;
      if (byte(1) != (with_user ? 2 : 0))
        return SocksFailure(kSocksAuthMethodError, "authentification method not acceptable");
      if (with_user) return SendAuthRequest();
      return SendSocks5ConnectRequest();
    }
    case Phase::kAuthReply: {
      if (reply_.size() < 2) return;
      std::weak_ptr<TCustomWSocket*> alive = AliveToken();
      const bool accepted = byte(1) == 0;
      if (OnSocksAuthState) {
        OnSocksAuthState(*this, accepted ? TSocksAuthState::socksAuthSuccess : TSocksAuthState::socksAuthFailure);
        if (alive.expired()) return;
      }
      if (!accepted) return SocksFailure(kSocksAuthenticationFailed, "authentification failed");
      return SendSocks5ConnectRequest();
    }
    case Phase::kConnectReply: {
      if (socks_level_ != "5") {
        if (reply_.size() < 8) return;
        if (byte(0) != 0 && byte(0) != 4) return SocksFailure(kSocksVersionError, "socks version error");
        if (byte(1) == 90) return SocksSucceeded();
        // 92 and 93: the server could not confirm the user with the client's ident service.
        if (byte(1) == 92 || byte(1) == 93)
          return SocksFailure(kSocksAuthenticationFailed, "socks authentication failed");
        return SocksFailure(kSocksRejectedOrFailed, "request rejected or failed");
      }
      if (reply_.size() >= 2) {
        if (byte(0) != 5) return SocksFailure(kSocksVersionError, "socks version error");
        if (byte(1) != 0) {
          int code = 0;
          std::string text;
          Socks5Failure(byte(1), code, text);
          return SocksFailure(code, text);
        }
      }
      if (reply_.size() >= 4 && byte(3) != 1 && byte(3) != 3 && byte(3) != 4)
        return SocksFailure(kSocksUnknownAddressType, "address type not supported");
      if (reply_.size() < 5 || ReplyBytesMissing() > 0) return;
      return SocksSucceeded();
    }
    default: return SocksFailure(kSocksProtocolError, "TWSocket logic error");
  }
}

void TCustomSocksWSocket::SocksSucceeded() {
  phase_ = Phase::kDone;
  reply_.clear();
  TCustomWSocket::TriggerSessionConnected(0);
}

void TCustomSocksWSocket::SocksFailure(int code, const std::string& text) {
  phase_ = Phase::kNone;
  reply_.clear();
  std::weak_ptr<TCustomWSocket*> alive = AliveToken();
  if (OnSocksError) {
    OnSocksError(*this, code, text);
    if (alive.expired()) return;
  }
  TCustomWSocket::TriggerSessionConnected(code);
  if (alive.expired()) return;
  // The connection to the server is of no use any more. Inside the peer's close, that close
  // follows by itself.
  if (!close_reported() && State() != TSocketState::wsClosed) Close();
}

void TCustomSocksWSocket::TriggerSessionClosed(int error) {
  if (SocksNegotiating()) {
    std::weak_ptr<TCustomWSocket*> alive = AliveToken();
    SocksFailure(error != 0 ? error : platform::kSockConnReset, "data receive error");
    if (alive.expired()) return;
  }
  TCustomWSocket::TriggerSessionClosed(error);
}

}  // namespace vorn
