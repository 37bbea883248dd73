#include "net/http_cli.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "foundation/log_line.h"
#include "foundation/stream.h"
#include "net/http_url.h"
#include "net/net_pump.h"

namespace vorn {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

// A whole decimal number (optional sign), or `fallback` when the text is not one.
std::int64_t ToNumber(const std::string& text, std::int64_t fallback) {
  if (text.empty()) return fallback;
  std::size_t i = 0;
  bool negative = false;
  if (text[0] == '-' || text[0] == '+') {
    negative = text[0] == '-';
    i = 1;
  }
  if (i == text.size()) return fallback;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return fallback;
    if (value < (std::int64_t{1} << 53)) value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

// Days since 1970-01-01 to year, month, day (proleptic Gregorian).
void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

std::string HttpDate(double date_time) {
  static const char kDays[] = "MonTueWedThuFriSatSun";
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  std::int64_t whole = static_cast<std::int64_t>(std::trunc(date_time));
  double fraction = std::fabs(date_time - static_cast<double>(whole));
  int year = 0, month = 0, day = 0;
  CivilFromDays(whole - 25569, year, month, day);
  // Dates before 1900 give negative day counts; the index stays within the week.
  std::int64_t weekday = (((whole - 2) % 7) + 7) % 7;
  std::int64_t seconds = std::llround(fraction * 86400.0);
  if (seconds >= 86400) seconds = 86399;
  char text[64];
  std::snprintf(text, sizeof text, "%.3s, %2.2d %.3s %4.4d %2.2d:%2.2d:%2.2d", kDays + weekday * 3, day,
                kMonths + (month - 1) * 3, year, static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

THttpCli::THttpCli()
    : socket_(std::make_unique<TWSocket>()), token_(std::make_shared<THttpCli*>(this)), receive_buffer_(kHttpLineLimit + 1) {
  socket_->OnDataAvailable = [this](TCustomWSocket&, int) { SocketDataAvailable(); };
  socket_->OnSessionConnected = [this](TCustomWSocket&, int error) { SocketConnected(error); };
  socket_->OnDataSent = [this](TCustomWSocket&, int) { SocketDataSent(); };
  socket_->OnDnsLookupDone = [this](TCustomWSocket&, int error) { LookupDone(error); };
  AttachClosedStep();
}

THttpCli::~THttpCli() {
  *token_ = nullptr;
  socket_->OnSessionClosed = nullptr;
  socket_->OnDnsLookupDone = nullptr;
  {
    std::lock_guard lock(sync_mutex_);
    cancelled_ = true;
    if (hand_off_ == HandOff::kWaiting) hand_off_ = HandOff::kCancelled;
  }
  sync_changed_.notify_all();
}

void THttpCli::SetMultiThreaded(bool value) {
  multi_threaded_ = value;
  socket_->MultiThreaded = value;
}

void THttpCli::AttachClosedStep() {
  socket_->OnSessionClosed = [this](TCustomWSocket&, int error) { SocketClosed(error); };
}

void THttpCli::PostTask(std::function<void(THttpCli&)> task) {
  std::weak_ptr<THttpCli*> alive = token_;
  std::uint64_t id = request_id_;
  Net().tasks->Post([alive, id, task = std::move(task)] {
    auto client = alive.lock();
    // A task of an earlier request, or of a client that is gone, does nothing.
    if (!client || *client == nullptr || (*client)->request_id_ != id) return;
    task(**client);
  });
}

void THttpCli::SetState(THttpState state) {
  if (state == state_) return;
  state_ = state;
  if (OnStateChange) OnStateChange(*this);
  if (state == THttpState::httpReady) {
    {
      std::lock_guard lock(sync_mutex_);
      ready_ = true;
      ready_status_ = ResponseStatus;
      ready_text_ = ResponseText;
    }
    sync_changed_.notify_all();
    THttpRequest kind = request_;
    PostTask([kind](THttpCli& client) {
      if (client.OnRequestDone) client.OnRequestDone(client, kind, client.RequestError);
    });
  }
}

// ---- starting ----

void THttpCli::StartRequest(THttpRequest kind) {
  if (state_ != THttpState::httpReady) throw EHttpException("HTTP component is busy", 1);
  if (kind == THttpRequest::httpPOST && PostStream == nullptr)
    throw EHttpException("HTTP component has nothing to post", 2);
  ++request_id_;
  finished_ = false;
  relocations_ = 0;
  // A connection left open by a length-0 answer belongs to the previous request.
  if (socket_->State() != TSocketState::wsClosed || socket_->Handle() != platform::kNoSocket) {
    socket_->OnSessionClosed = nullptr;
    socket_->Abort();
  }
  AttachClosedStep();
  SetState(THttpState::httpNotConnected);
  request_ = kind;
  ResponseHeader.clear();
  RequestError = 0;
  DocumentName.clear();
  ResponseStatus = 0;
  ResponseText.clear();
  RcvdCount = 0;
  SentCount = 0;
  header_lines_ = 0;
  body_pieces_ = 0;
  header_bytes_ = 0;
  fill_ = 0;
  relocation_ = false;
  header_in_progress_ = false;
  next_step_ = nullptr;
  ResponseLength = -1;
  ResponseType.clear();
  allowed_to_send_ = false;
  CurrentLocation = URL;
  stream_start_ = ReceiveStream != nullptr ? ReceiveStream->Size() : 0;

  TUrlParts url = SplitUrl(URL);
  target_host_ = url.host;
  if (!url.user.empty()) Username = url.user;
  if (!url.pass.empty()) Password = url.pass;
  if (Proxy.empty()) {
    path_ = url.path;
    DocumentName = url.path;
    hostname_ = url.host;
    port_ = url.port.empty() ? "80" : url.port;
  } else {
    DocumentName = url.path;
    path_ = (url.proto.empty() ? std::string("http") : url.proto) + "://" + url.host +
            (url.port.empty() ? std::string() : ":" + url.port) + url.path;
    TUrlParts proxy = SplitUrl(Proxy);
    hostname_ = proxy.host;
    port_ = proxy.port.empty() ? ProxyPort : proxy.port;
  }
  if (path_.empty()) path_ = "/";
  DocumentName = DocumentNameOf(DocumentName);
  DoLookup();
}

void THttpCli::DoLookup() {
  dns_address_.clear();
  SetState(THttpState::httpDnsLookup);
  try {
    socket_->SetLocalAddr(LocalAddr);
    socket_->DnsLookup(hostname_);
  } catch (const std::exception& error) {
    ResponseStatus = 404;
    ResponseText = error.what();
    connected_ = false;
    finished_ = true;
    SetState(THttpState::httpReady);
  }
}

void THttpCli::LookupDone(int error) {
  if (error != 0) {
    if (state_ == THttpState::httpAborting || state_ == THttpState::httpReady) return;
    RequestError = error;
    ResponseStatus = 404;
    ResponseText = "can't resolve hostname to IP address";
    ClosedStep();
    return;
  }
  dns_address_ = socket_->DnsResult();
  SetState(THttpState::httpDnsLookupDone);
  try {
    socket_->SetAddr(dns_address_);
    socket_->SetLocalAddr(LocalAddr);
    socket_->SetPort(port_);
    socket_->SetProto("tcp");
    socket_->Connect();
  } catch (const std::exception&) {
    int last = socket_->LastError();
    RequestError = last;
    ResponseStatus = 404;
    ResponseText = "can't connect: " + SocketErrorText(last) + " (Error #" + std::to_string(last) + ")";
    socket_->OnSessionClosed = nullptr;
    socket_->Close();
    AttachClosedStep();
    ClosedStep();
  }
}

void THttpCli::SocketConnected(int error) {
  if (error != 0) {
    RequestError = error;
    ResponseStatus = 404;
    ResponseText = SocketErrorText(error) + " (Error #" + std::to_string(error) + ")";
    ClosedStep();
    return;
  }
  connected_ = true;
  SetState(THttpState::httpConnected);
  if (OnSessionConnected) OnSessionConnected(*this);
  next_step_ = &THttpCli::HeaderLine;
  SetState(THttpState::httpWaitingHeader);
  try {
    switch (request_) {
      case THttpRequest::httpGET: SendRequest("GET"); break;
      case THttpRequest::httpPOST:
        SendRequest("POST");
        if (OnSendBegin) OnSendBegin(*this);
        allowed_to_send_ = true;
        SendPostBlock();
        break;
      case THttpRequest::httpHEAD: SendRequest("HEAD"); break;
      default: break;
    }
  } catch (const std::exception&) {
    connected_ = false;
    socket_->Close();
  }
}

void THttpCli::SendRequest(const std::string& method) {
  std::string header;
  if (OnRequestHeaderBegin) OnRequestHeaderBegin(*this);
  auto line = [&](std::string text) {
    if (OnCommand) OnCommand(*this, text);
    header += text;
    header += "\r\n";
  };
  line(method + " " + path_ + " HTTP/1.0");
  if (!Sender.empty()) line("From: " + Sender);
  if (!Accept.empty()) line("Accept: " + Accept);
  if (!Reference.empty()) line("Referer: " + Reference);
  if (request_ == THttpRequest::httpPOST && !ContentTypePost.empty()) line("Content-Type: " + ContentTypePost);
  if (!Agent.empty()) line("User-Agent: " + Agent);
  line("Host: " + target_host_);
  if (NoCache) line("Pragma: no-cache");
  if (request_ == THttpRequest::httpPOST) line("Content-Length: " + std::to_string(PostStream->Size()));
  if (ModifiedSince != 0) line("If-Modified-Since: " + HttpDate(ModifiedSince) + " GMT");
  if (!Username.empty()) line("Authorization: Basic " + Base64Encode(Username + ":" + Password));
  if (!Proxy.empty() && !ProxyUsername.empty())
    line("Proxy-Authorization: Basic " + Base64Encode(ProxyUsername + ":" + ProxyPassword));
  if (!Cookie.empty()) line("Cookie: " + Cookie);
  if (!ContentRangeBegin.empty() || !ContentRangeEnd.empty()) {
    line("Range: bytes=" + ContentRangeBegin + "-" + ContentRangeEnd);
    ContentRangeBegin.clear();
    ContentRangeEnd.clear();
  }
  accept_ranges_.clear();
  if (OnRequestHeaderEnd) OnRequestHeaderEnd(*this);
  header += "\r\n";
  socket_->Send(header.data(), static_cast<int>(header.size()));
}

void THttpCli::SendPostBlock() {
  if (!allowed_to_send_ || PostStream == nullptr) return;
  char block[8193];
  std::size_t count = PostStream->Read(block, sizeof block);
  if (count > 0) {
    SentCount += static_cast<std::int64_t>(count);
    if (OnSendData) OnSendData(*this, block, static_cast<int>(count));
    socket_->Send(block, static_cast<int>(count));
  } else {
    allowed_to_send_ = false;
    if (OnSendEnd) OnSendEnd(*this);
  }
}

void THttpCli::SocketDataSent() {
  if (allowed_to_send_) SendPostBlock();
}

// ---- receiving ----

void THttpCli::SocketDataAvailable() {
  int free_space = kHttpLineLimit - fill_;
  if (free_space <= 0) {
    FailBound("HTTP line too long");
    throw EHttpException("HTTP line too long", 4);
  }
  char* buffer = receive_buffer_.data();
  int count = socket_->Receive(buffer + fill_, free_space);
  if (request_ == THttpRequest::httpABORT || count <= 0) return;
  fill_ += count;
  buffer[fill_] = 0;
  if (state_ == THttpState::httpWaitingBody) {
    int length = fill_;
    fill_ = 0;
    if (next_step_ != nullptr) {
      (this->*next_step_)(buffer, length);
    } else {
      FinishStep();
    }
    return;
  }
  std::uint64_t request = request_id_;
  while (fill_ > 0 && request == request_id_) {
    if (state_ == THttpState::httpWaitingBody) {
      // The body began inside this buffer (a header-less answer): the rest is body as it came.
      int length = fill_;
      fill_ = 0;
      BodyPiece(buffer, length);
      return;
    }
    void* found = std::memchr(buffer, '\n', static_cast<std::size_t>(fill_));
    if (found == nullptr) break;
    int end = static_cast<int>(static_cast<char*>(found) - buffer);
    int line_length = end > 0 && buffer[end - 1] == '\r' ? end - 1 : end;
    std::string line(buffer, static_cast<std::size_t>(line_length));
    fill_ -= end + 1;
    std::memmove(buffer, buffer + end + 1, static_cast<std::size_t>(fill_));
    buffer[fill_] = 0;
    if (state_ == THttpState::httpWaitingHeader || state_ == THttpState::httpWaitingBody) {
      if (state_ == THttpState::httpWaitingHeader) {
        header_bytes_ += end + 1;
        if (header_bytes_ > header_limit_) {
          FailBound("HTTP header too long");
          return;
        }
      }
      if (next_step_ != nullptr) {
        (this->*next_step_)(line.data(), static_cast<int>(line.size()));
      } else {
        FinishStep();
      }
    } else if (OnDataLine) {
      OnDataLine(*this, line);
    }
  }
}

void THttpCli::HeaderBegin() {
  header_in_progress_ = true;
  if (OnHeaderBegin) OnHeaderBegin(*this);
}

void THttpCli::HeaderEnd() {
  header_in_progress_ = false;
  if (OnHeaderEnd) OnHeaderEnd(*this);
}

void THttpCli::HeaderLine(const char* data, int length) {
  std::string line(data, static_cast<std::size_t>(length));
  if (header_lines_ == 0) HeaderBegin();
  ++header_lines_;
  if (line.size() >= 6 && Lower(line.substr(0, 6)) == "<html>") {
    if (ResponseType.empty()) ResponseType = "text/html";
    SetState(THttpState::httpWaitingBody);
    next_step_ = &THttpCli::BodyPiece;
    HeaderEnd();
    BodyPiece(line.data(), static_cast<int>(line.size()));
    return;
  }
  if (!line.empty()) {
    ResponseHeader.push_back(line);
    HandleHeaderField(line);
    if (OnHeaderData) OnHeaderData(*this);
    return;
  }
  // The empty line ends the header. A relocation goes first: servers send their redirects with
  // "Content-Length: 0", and finishing on the length would never follow them.
  if (ResponseLength == 0 && !relocation_) {
    HeaderEnd();
    FinishStep();
    return;
  }
  if (relocation_) {
    HeaderEnd();
    fill_ = 0;
    header_lines_ = 0;
    body_pieces_ = 0;
    socket_->OnSessionClosed = [this](TCustomWSocket&, int error) { RelocationStep(error); };
    socket_->Close();
    return;
  }
  if (ResponseType == "text/html") {
    std::size_t dot = DocumentName.rfind('.');
    if (dot != std::string::npos && Lower(DocumentName.substr(dot)) == ".exe") {
      DocumentName = DocumentName.substr(0, dot + 1) + "htm";
    }
  }
  SetState(THttpState::httpWaitingBody);
  next_step_ = &THttpCli::BodyPiece;
  HeaderEnd();
  if (fill_ > 0) {
    int held = fill_;
    fill_ = 0;
    std::uint64_t request = request_id_;
    BodyPiece(receive_buffer_.data(), held);
    if (request != request_id_ || finished_) return;
  }
  if (ResponseStatus >= 400) socket_->Close();
}

void THttpCli::HandleHeaderField(const std::string& line) {
  if (line.compare(0, 8, "HTTP/1.0") == 0 || line.compare(0, 8, "HTTP/1.1") == 0) {
    ResponseStatus = static_cast<int>(std::clamp<std::int64_t>(
        ToNumber(line.size() > 9 ? line.substr(9, 3) : std::string(), 0), -99, 999));
    ResponseText = line.size() > 13 ? line.substr(13) : std::string();
    return;
  }
  std::size_t colon = line.find(':');
  if (colon == std::string::npos) return;
  std::string field = Lower(line.substr(0, colon));
  std::size_t start = colon + 1;
  while (start + 1 < line.size() && line[start] == ' ') ++start;
  std::string value = start < line.size() ? line.substr(start) : std::string();
  if (field == "location") {
    // A scheme other than "http://" cannot be fetched here: that answer is the final one.
    if (relocations_ < kMaxRelocations && !HasForeignScheme(value)) {
      relocation_ = true;
      ComputeRelocation(value);
    }
  } else if (field == "content-length") {
    ResponseLength = ToNumber(Trim(value), -1);
    if (ResponseLength < 0) ResponseLength = -1;
  } else if (field == "content-range") {
    std::size_t dash = value.find('-');
    std::size_t slash = value.find('/');
    ContentRangeBegin = dash != std::string::npos && dash > 6 ? value.substr(6, dash - 6) : std::string();
    ContentRangeEnd = dash != std::string::npos && slash != std::string::npos && slash > dash
                          ? value.substr(dash + 1, slash - dash - 1)
                          : std::string();
  } else if (field == "accept-ranges") {
    accept_ranges_ = value;
  } else if (field == "content-type") {
    ResponseType = Lower(value);
  } else if (field == "www-authenticate") {
    AuthenticateValues.push_back(value);
  } else if (field == "set-cookie") {
    bool accept = true;
    if (OnCookie) OnCookie(*this, value, accept);
  }
}

void THttpCli::ComputeRelocation(const std::string& location) {
  bool absolute = location.compare(0, 7, "http://") == 0;
  if (Proxy.empty()) {
    if (!location.empty() && location[0] == '/') {
      path_ = location;
      CurrentLocation = "http://" + hostname_ + location;
    } else if (!absolute) {
      path_ = UrlBase(path_) + location;
      CurrentLocation = "http://" + hostname_ + "/" + path_;
    } else {
      TUrlParts parts = SplitUrl(location, path_);
      hostname_ = parts.host;
      target_host_ = parts.host;
      port_ = parts.port.empty() ? "80" : parts.port;
      path_ = parts.path.empty() ? "/" : parts.path;
      CurrentLocation = parts.proto + "://" + parts.host + path_;
    }
    return;
  }
  if (!location.empty() && location[0] == '/') {
    TUrlParts previous = SplitUrl(path_);
    path_ = (previous.proto.empty() ? std::string("http") : previous.proto) + "://" + previous.host + location;
    CurrentLocation = path_;
  } else if (!absolute) {
    path_ = UrlBase(path_) + location;
    CurrentLocation = "http://" + hostname_ + "/" + path_;
  } else {
    TUrlParts parts = SplitUrl(location);
    target_host_ = parts.host;
    path_ = parts.proto + "://" + parts.host + parts.path;
    CurrentLocation = path_;
  }
}

void THttpCli::BodyPiece(const char* data, int length) {
  if (RcvdCount + length > body_limit_) {
    FailBound("HTTP document too long");
    return;
  }
  if (body_pieces_ == 0 && OnDocBegin) OnDocBegin(*this);
  ++body_pieces_;
  RcvdCount += length;
  if (ReceiveStream != nullptr && length > 0) ReceiveStream->WriteBuffer(data, static_cast<std::size_t>(length));
  if (OnDocData) OnDocData(*this, data, length);
}

void THttpCli::FailBound(const std::string& text) {
  LogLine("HTTP: " + URL + ": " + text);
  socket_->OnSessionClosed = nullptr;
  socket_->Abort();
  AttachClosedStep();
  if (ReceiveStream != nullptr) {
    ReceiveStream->SetSize(stream_start_);
    ReceiveStream->Seek(0, SeekOrigin::kEnd);
  }
  fill_ = 0;
  relocation_ = false;
  ResponseStatus = 404;
  ResponseText = text;
  ClosedStep();
}

// ---- ending ----

void THttpCli::SocketClosed(int /*error*/) { ClosedStep(); }

void THttpCli::ClosedStep() {
  connected_ = false;
  if (finished_) return;
  if (header_in_progress_) {
    HeaderEnd();
    if (relocation_) {
      RelocationStep(0);
      return;
    }
    FinishStep();
    return;
  }
  if (body_pieces_ > 0 && OnDocEnd) OnDocEnd(*this);
  FinishStep();
}

void THttpCli::FinishStep() {
  if (finished_) return;
  finished_ = true;
  PostTask([](THttpCli& client) { client.SetState(THttpState::httpReady); });
}

void THttpCli::RelocationStep(int /*error*/) {
  connected_ = false;
  relocation_ = false;
  ++relocations_;
  if (request_ == THttpRequest::httpPOST) request_ = THttpRequest::httpGET;
  AttachClosedStep();
  if (OnLocationChange) OnLocationChange(*this);
  ResponseHeader.clear();
  // The port stays the one found: a Proxy that carries its own port keeps it.
  PostTask([](THttpCli& client) {
    client.ResponseStatus = 0;
    client.ResponseText.clear();
    client.ResponseLength = -1;
    client.ResponseType.clear();
    client.DoLookup();
  });
}

void THttpCli::AbortForShutdown() {
  {
    std::lock_guard lock(sync_mutex_);
    cancelled_ = true;
    if (hand_off_ == HandOff::kWaiting) hand_off_ = HandOff::kCancelled;
  }
  sync_changed_.notify_all();
  if (state_ == THttpState::httpReady) return;
  socket_->OnSessionClosed = nullptr;
  socket_->OnDnsLookupDone = nullptr;
  socket_->Abort();
  socket_->OnDnsLookupDone = [this](TCustomWSocket&, int error) { LookupDone(error); };
  AttachClosedStep();
  connected_ = false;
  header_in_progress_ = false;
  finished_ = true;
  ++request_id_;
  SetState(THttpState::httpReady);
}

// ---- the synchronous wrapper ----

void THttpCli::Get() {
  if (NetPump::Instance().OnMainThread()) {
    StartRequest(THttpRequest::httpGET);
    WaitOnMainThread();
    if (ResponseStatus >= 400) throw EHttpException(ResponseText, ResponseStatus);
    return;
  }
  WaitFromWorker();
}

void THttpCli::RearmForWorker() {
  std::lock_guard lock(sync_mutex_);
  cancelled_ = false;
}

void THttpCli::WaitOnMainThread() {
  NetPump& pump = NetPump::Instance();
  NetServices& net = Net();
  while (state_ != THttpState::httpReady) {
    if (net.terminating != nullptr && net.terminating()) return;
    if (!pump.ProcessMessages()) pump.Wait(std::chrono::milliseconds(10));
  }
}

void THttpCli::WaitFromWorker() {
  {
    std::lock_guard lock(sync_mutex_);
    // The owner may have given up on this download before the worker got here.
    if (cancelled_) return;
    hand_off_ = HandOff::kWaiting;
    start_error_ = nullptr;
    ready_ = false;
  }
  std::weak_ptr<THttpCli*> alive = token_;
  Net().tasks->Post([alive] {
    auto client = alive.lock();
    if (!client || *client == nullptr) return;
    THttpCli& self = **client;
    {
      std::lock_guard lock(self.sync_mutex_);
      if (self.hand_off_ != HandOff::kWaiting) return;
    }
    std::exception_ptr error;
    try {
      self.StartRequest(THttpRequest::httpGET);
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard lock(self.sync_mutex_);
      if (self.hand_off_ == HandOff::kWaiting) {
        self.hand_off_ = error ? HandOff::kFailed : HandOff::kStarted;
        self.start_error_ = error;
      }
    }
    self.sync_changed_.notify_all();
  });
  std::unique_lock lock(sync_mutex_);
  sync_changed_.wait(lock, [this] { return hand_off_ != HandOff::kWaiting; });
  if (hand_off_ == HandOff::kCancelled) {
    hand_off_ = HandOff::kIdle;
    return;
  }
  if (hand_off_ == HandOff::kFailed) {
    hand_off_ = HandOff::kIdle;
    std::rethrow_exception(start_error_);
  }
  hand_off_ = HandOff::kIdle;
  sync_changed_.wait(lock, [this] { return ready_ || cancelled_; });
  if (cancelled_ && !ready_) return;
  if (ready_status_ >= 400) throw EHttpException(ready_text_, ready_status_);
}

}  // namespace vorn
