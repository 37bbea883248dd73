#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "net/custom_wsocket.h"

namespace vorn {

enum class TSocksAuthentication { socksNoAuthentication, socksAuthenticateUsercode };
enum class TSocksAuthState { socksAuthStart, socksAuthSuccess, socksAuthFailure, socksAuthNotRequired };

// Failure codes reported through OnSocksError.
inline constexpr int kSocksProtocolError = 20001;
inline constexpr int kSocksVersionError = 20002;
inline constexpr int kSocksAuthMethodError = 20003;
inline constexpr int kSocksGeneralFailure = 20004;
inline constexpr int kSocksConnectionNotAllowed = 20005;
inline constexpr int kSocksNetworkUnreachable = 20006;
inline constexpr int kSocksHostUnreachable = 20007;
inline constexpr int kSocksConnectionRefused = 20008;
inline constexpr int kSocksTtlExpired = 20009;
inline constexpr int kSocksUnknownCommand = 20010;
inline constexpr int kSocksUnknownAddressType = 20011;
inline constexpr int kSocksUnassignedError = 20012;
inline constexpr int kSocksInternalError = 20013;
inline constexpr int kSocksAuthenticationFailed = 20015;
inline constexpr int kSocksRejectedOrFailed = 20016;

// A stream socket that reaches its target through a SOCKS 4, 4A or 5 server when `SocksServer` is
// set: it connects to the server, negotiates, and only then reports the session as connected.
class TCustomSocksWSocket : public TCustomWSocket {
 public:
  explicit TCustomSocksWSocket(std::function<void(TCustomWSocket*)> release = nullptr);

  const std::string& SocksLevel() const { return socks_level_; }
  void SetSocksLevel(const std::string& value);
  const std::string& SocksServer() const { return socks_server_; }
  void SetSocksServer(const std::string& value);
  const std::string& SocksPort() const { return socks_port_; }
  void SetSocksPort(const std::string& value);
  std::string SocksUsercode;
  std::string SocksPassword;
  TSocksAuthentication SocksAuthentication = TSocksAuthentication::socksNoAuthentication;

  // The connection to the SOCKS server is made (0) or failed.
  Notify OnSocksConnected;
  std::function<void(TCustomWSocket&, int code, const std::string& text)> OnSocksError;
  std::function<void(TCustomWSocket&, TSocksAuthState state)> OnSocksAuthState;

  void Connect() override;
  void Listen() override;

 protected:
  void TriggerSessionConnected(int error) override;
  bool TriggerDataAvailable(int error) override;
  void TriggerSessionClosed(int error) override;
  void ResetSocket() override;
  // The negotiation with the SOCKS server is under way (its replies are not the caller's data).
  bool SocksNegotiating() const;

 private:
  enum class Phase { kNone, kConnectingServer, kMethodReply, kAuthReply, kConnectReply, kDone };
  void ResetSocks();
  void SendSocks4Request();
  void SendMethodRequest();
  void SendAuthRequest();
  void SendSocks5ConnectRequest();
  // Bytes still missing from the reply the phase waits for.
  std::size_t ReplyBytesMissing() const;
  void HandleReply();
  void SocksFailure(int code, const std::string& text);
  void SocksSucceeded();

  std::string socks_level_ = "5";
  std::string socks_server_;
  std::string socks_port_;
  Phase phase_ = Phase::kNone;
  std::string target_addr_;
  std::string target_port_;
  std::uint32_t target_address_ = 0;
  bool target_dotted_ = false;
  std::string reply_;
};

}  // namespace vorn
