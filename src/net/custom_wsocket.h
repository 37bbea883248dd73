#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/wsocket_errors.h"
#include "platform/net_sockets.h"
#include "platform/resolver.h"

namespace vorn {

// One block of the send queue.
class TBuffer {
 public:
  explicit TBuffer(int size);
  // Appends what fits; answers how many bytes were taken.
  int Write(const char* data, int length);
  // The unread bytes.
  const char* Peek(int& length) const;
  // Forgets up to n unread bytes; an emptied block starts again at its beginning.
  void Remove(int n);
  // Never smaller than what the block holds.
  void SetBufSize(int size);
  int BufSize() const { return static_cast<int>(data_.size()); }
  int Unread() const { return write_count_ - read_count_; }

 private:
  std::vector<char> data_;
  int write_count_ = 0;
  int read_count_ = 0;
};

enum class TSocketState { wsInvalidState, wsOpened, wsBound, wsConnecting, wsConnected, wsAccepting, wsListening, wsClosed };
enum class TSocketLingerOnOff { wsLingerOff, wsLingerOn, wsLingerNoSet };
inline constexpr unsigned kWsoNoReceiveLoop = 1;
inline constexpr unsigned kWsoTcpNoDelay = 2;

// Notification bits.
inline constexpr int FD_READ = 1;
inline constexpr int FD_WRITE = 2;
inline constexpr int FD_ACCEPT = 8;
inline constexpr int FD_CONNECT = 16;
inline constexpr int FD_CLOSE = 32;

// An event-driven TCP/UDP socket serviced on the main thread by the net pump: it never blocks
// the caller (a host name given to Connect itself is the exception) and reports progress through
// its events.
class TCustomWSocket {
 public:
  using Notify = std::function<void(TCustomWSocket&, int error)>;
  // `release` frees the socket when a Release request is handled (none: Release does nothing).
  explicit TCustomWSocket(std::function<void(TCustomWSocket*)> release = nullptr);
  virtual ~TCustomWSocket();
  TCustomWSocket(const TCustomWSocket&) = delete;
  TCustomWSocket& operator=(const TCustomWSocket&) = delete;

  // Properties.
  const std::string& Addr() const { return addr_; }
  void SetAddr(const std::string& value);
  const std::string& Port() const { return port_; }
  void SetPort(const std::string& value);
  const std::string& Proto() const { return proto_; }
  void SetProto(const std::string& value);
  const std::string& LocalAddr() const { return local_addr_; }
  void SetLocalAddr(const std::string& value);
  const std::string& LocalPort() const { return local_port_; }
  void SetLocalPort(const std::string& value);
  std::string PeerAddr();
  std::string PeerPort();
  std::string GetXAddr();
  std::string GetXPort();
  const std::string& DnsResult() const { return dns_result_; }
  const std::vector<std::string>& DnsResultList() const { return dns_result_list_; }
  TSocketState State() const { return state_; }
  long ReadCount() const { return read_count_; }
  // Bytes waiting in the system (the line socket: its pending line).
  virtual long RcvdCount();
  int LastError() const { return last_error_; }
  void SetLastError(int code) { last_error_ = code; }
  bool MultiThreaded = false;
  bool MultiCast = false;
  std::string MultiCastAddrStr;
  int MultiCastIpTTL = 1;
  bool ReuseAddr = false;
  unsigned ComponentOptions = 0;
  int FlushTimeout = 60;
  int SendFlags() const;
  void SetSendFlags(int flags);
  // Test hook: stores a flag value the setter refuses.
  void StoreSendFlagsForTest(int flags) { send_flags_ = flags; }
  TSocketLingerOnOff LingerOnOff = TSocketLingerOnOff::wsLingerOn;
  int LingerTimeout = 0;
  int BufSize() const { return buf_size_; }
  platform::SocketHandle Handle() const { return handle_; }
  // The line-at-a-time send mode (nothing but tests switch it on).
  void SetLineSendMode(bool on) { line_send_mode_ = on; }

  // Events.
  Notify OnDataAvailable;
  Notify OnDataSent;
  std::function<void(TCustomWSocket&, int count)> OnSendData;
  Notify OnSessionClosed;
  Notify OnSessionAvailable;
  Notify OnSessionConnected;
  std::function<void(TCustomWSocket&, TSocketState old_state, TSocketState new_state)> OnChangeState;
  Notify OnDnsLookupDone;
  std::function<void(TCustomWSocket&)> OnError;
  std::function<void(TCustomWSocket&, const std::exception&, bool& can_close)> OnBgException;

  // Operations.
  void DnsLookup(const std::string& host_name);
  void ReverseDnsLookup(const std::string& address);
  void CancelDnsLookup();
  virtual void Connect();
  int Send(const void* data, int length);
  int SendStr(const std::string& text);
  virtual int Receive(void* buffer, int size);
  std::string ReceiveStr();
  void Close();
  void Abort();
  void Flush();
  void CloseDelayed();
  void Release();
  void Pause();
  void Resume();
  void Shutdown(int how);
  virtual void Listen();
  platform::SocketHandle Accept();
  void Dup(platform::SocketHandle handle);
  // Posts the diagnostic request that raises "Test exception in WSocket" on the main thread.
  void PostTestException();

  // The net pump's side.
  struct PollWish {
    bool read = false;
    bool write = false;
  };
  bool WantsPoll(PollWish& wish) const;
  // A handle or a lookup is open.
  bool Live() const { return handle_ != platform::kNoSocket || lookup_pending_; }
  // Turns a poll result into notifications; false once the socket went away or changed handle.
  void HandlePoll(const platform::PollEntry& entry);
  // Hands an exception raised while a notification ran to the background-exception step.
  void HandleBackgroundException(const std::exception& error);

 protected:
  void ChangeState(TSocketState new_state);
  // The plain and the socket error steps.
  void RaiseException(const std::string& message);
  void SocketError(const std::string& function, int code);
  // Hooks of the layers above (SOCKS, line mode). The data hook answers whether a reader took the
  // data; without one the receive loop drains it.
  virtual void TriggerSessionConnected(int error);
  virtual bool TriggerDataAvailable(int error);
  // The peer closed (FD_CLOSE), after the last data was passed on; fires OnSessionClosed.
  virtual void TriggerSessionClosed(int error);
  // The reset after every close (and at construction, where only this class's part runs).
  virtual void ResetSocket();
  // The address and port Connect uses, assigned around the setters (the SOCKS layer connects to
  // its server with the caller's target kept aside).
  void AssignRemote(const std::string& addr, const std::string& port);
  bool close_reported() const { return close_reported_; }
  // Resolves to nothing once this socket is gone (a handler may free it).
  std::weak_ptr<TCustomWSocket*> AliveToken() const { return token_; }
  void DoFdEvent(int event, int error);
  void ReceiveLoop(unsigned options);
  void TryToSend();
  void InternalClose(bool graceful, int error);
  void ApplyLinger();
  void BindSocket();
  void DeleteBufferedData();
  void PostTask(std::function<void(TCustomWSocket&)> task);

  bool destroying_ = false;

 private:
  bool ResolveTarget(const char* prefix, bool with_local_port);
  void FinishLookup(std::uint64_t id, const platform::ResolveResult& result, bool reverse);

  std::function<void(TCustomWSocket*)> release_;
  std::shared_ptr<TCustomWSocket*> token_;
  std::string addr_, port_, proto_ = "tcp", local_addr_ = "0.0.0.0", local_port_ = "0";
  bool addr_resolved_ = false, port_resolved_ = false, local_port_resolved_ = false, proto_resolved_ = false;
  bool addr_assigned_ = false, port_assigned_ = false, proto_assigned_ = true;
  platform::SocketAddress remote_;
  int socket_type_ = 1;
  int protocol_ = 6;
  int local_port_number_ = 0;
  std::string dns_result_;
  std::vector<std::string> dns_result_list_;
  std::uint64_t lookup_id_ = 0;
  bool lookup_pending_ = false;
  TSocketState state_ = TSocketState::wsClosed;
  platform::SocketHandle handle_ = platform::kNoSocket;
  int mask_ = 0;
  int saved_mask_ = 0;
  bool paused_ = false;
  bool close_reported_ = false;
  bool all_sent_ = true;
  bool write_pending_ = false;
  bool line_send_mode_ = false;
  int line_send_limit_ = 24;
  std::deque<TBuffer> queue_;
  int buf_size_ = 1460;
  long read_count_ = 0;
  int last_error_ = 0;
  int send_flags_ = 0;
};

}  // namespace vorn
