#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "net/wsocket.h"

namespace vorn {

class TStream;

// A failed request: the message and a code (1 busy, 2 nothing to post, 4 line too long, or the
// response status).
class EHttpException : public std::runtime_error {
 public:
  EHttpException(const std::string& message, int code) : std::runtime_error(message), ErrorCode(code) {}
  int ErrorCode;
};

enum class THttpState : std::uint8_t {
  httpReady,
  httpNotConnected,
  httpConnected,
  httpDnsLookup,
  httpDnsLookupDone,
  httpWaitingHeader,
  httpWaitingBody,
  httpAborting,
};

enum class THttpRequest : std::uint8_t { httpABORT, httpGET, httpPOST, httpHEAD };

// Relocations one request follows; a further "location" is kept as a plain header line.
inline constexpr int kMaxRelocations = 20;
// Bytes held without a line end before the request fails.
inline constexpr int kHttpLineLimit = 8192;
// Guards against a server that never stops sending.
inline constexpr std::int64_t kHttpHeaderLimit = std::int64_t{1} << 20;
inline constexpr std::int64_t kHttpBodyLimit = std::int64_t{256} << 20;

// One HTTP/1.0 request at a time over one owned socket. Every step runs on the main thread; Get
// may be called from a worker thread, which then only waits.
class THttpCli {
 public:
  THttpCli();
  ~THttpCli();
  THttpCli(const THttpCli&) = delete;
  THttpCli& operator=(const THttpCli&) = delete;

  std::string URL;
  std::string LocalAddr = "0.0.0.0";
  std::string Proxy;
  std::string ProxyPort = "80";
  std::string Sender;
  std::string Agent = "Mozilla/3.0 (compatible)";
  std::string Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
  std::string Reference;
  std::string Username, Password;
  std::string ProxyUsername, ProxyPassword;
  bool NoCache = false;
  double ModifiedSince = 0;
  std::string Cookie;
  std::string ContentTypePost = "application/x-www-form-urlencoded";
  std::string ContentRangeBegin, ContentRangeEnd;
  const std::string& AcceptRanges() const { return accept_ranges_; }
  bool MultiThreaded() const { return multi_threaded_; }
  void SetMultiThreaded(bool value);

  TStream* ReceiveStream = nullptr;
  TStream* PostStream = nullptr;
  int ResponseStatus = 0;
  std::string ResponseText;
  std::int64_t ResponseLength = -1;
  std::string ResponseType;
  std::vector<std::string> ResponseHeader;
  std::string DocumentName;
  std::string CurrentLocation;
  int RequestError = 0;
  std::vector<std::string> AuthenticateValues;
  std::int64_t RcvdCount = 0;
  std::int64_t SentCount = 0;
  THttpState State() const { return state_; }
  TWSocket& Socket() { return *socket_; }
  const std::string& RequestPath() const { return path_; }

  using Notify = std::function<void(THttpCli&)>;
  Notify OnTrace, OnSessionConnected, OnHeaderData, OnHeaderBegin, OnHeaderEnd, OnRequestHeaderBegin,
      OnRequestHeaderEnd, OnDocBegin, OnDocEnd, OnSendBegin, OnSendEnd, OnStateChange, OnLocationChange;
  std::function<void(THttpCli&, std::string& line)> OnCommand;
  std::function<void(THttpCli&, const char* data, int length)> OnDocData, OnSendData;
  std::function<void(THttpCli&, THttpRequest kind, int error)> OnRequestDone;
  std::function<void(THttpCli&, const std::string& cookie, bool& accept)> OnCookie;
  // Lines received outside the header and body states.
  std::function<void(THttpCli&, const std::string& line)> OnDataLine;

  // Synchronous GET; raises EHttpException for a status of 400 and more.
  void Get();
  void StartRequest(THttpRequest kind);
  // Ends the running request at once (the owner is going away): the connection is reset, the
  // state is Ready before this returns and a worker waiting in Get wakes up.
  void AbortForShutdown();
  // Called on the main thread before a worker calls Get: forgets an earlier cancellation.
  void RearmForWorker();
  // Test hook: lower bounds for the header and the body.
  void SetLimitsForTest(std::int64_t header, std::int64_t body) {
    header_limit_ = header;
    body_limit_ = body;
  }

 private:
  using LineStep = void (THttpCli::*)(const char* data, int length);
  void SetState(THttpState state);
  void DoLookup();
  void LookupDone(int error);
  void SocketConnected(int error);
  void SocketClosed(int error);
  void SocketDataAvailable();
  void SocketDataSent();
  void RelocationStep(int error);
  void ClosedStep();
  void FinishStep();
  void SendRequest(const std::string& method);
  void SendPostBlock();
  void HeaderLine(const char* data, int length);
  void BodyPiece(const char* data, int length);
  void HeaderBegin();
  void HeaderEnd();
  void HandleHeaderField(const std::string& line);
  void ComputeRelocation(const std::string& location);
  void FailBound(const std::string& text);
  void PostTask(std::function<void(THttpCli&)> task);
  void AttachClosedStep();
  void WaitOnMainThread();
  void WaitFromWorker();

  std::unique_ptr<TWSocket> socket_;
  std::shared_ptr<THttpCli*> token_;
  bool multi_threaded_ = false;
  THttpState state_ = THttpState::httpReady;
  std::string hostname_, target_host_, port_;
  bool connected_ = false;
  std::string dns_address_;
  THttpRequest request_ = THttpRequest::httpABORT;
  std::vector<char> receive_buffer_;
  int fill_ = 0;
  int header_lines_ = 0;
  int body_pieces_ = 0;
  bool allowed_to_send_ = false;
  std::string path_;
  bool relocation_ = false;
  bool header_in_progress_ = false;
  LineStep next_step_ = nullptr;
  std::string accept_ranges_;
  std::uint64_t request_id_ = 0;
  bool finished_ = false;
  int relocations_ = 0;
  std::int64_t stream_start_ = 0;
  std::int64_t header_bytes_ = 0;
  std::int64_t header_limit_ = kHttpHeaderLimit;
  std::int64_t body_limit_ = kHttpBodyLimit;

  // What a worker in Get shares with the main thread.
  enum class HandOff { kIdle, kWaiting, kStarted, kFailed, kCancelled };
  std::mutex sync_mutex_;
  std::condition_variable sync_changed_;
  HandOff hand_off_ = HandOff::kIdle;
  std::exception_ptr start_error_;
  bool ready_ = true;
  bool cancelled_ = false;
  int ready_status_ = 0;
  std::string ready_text_;
};

// "Www, dd Mmm yyyy hh:mm:ss" of a day count since 30 December 1899 (fraction = time of day).
std::string HttpDate(double date_time);

}  // namespace vorn
