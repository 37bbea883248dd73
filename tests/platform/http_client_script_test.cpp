#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "foundation/scoped_seam.h"
#include "foundation/stream.h"
#include "net/http_cli.h"
#include "net/net_pump.h"
#include "platform/http_script_server.h"
#include "support/log_recorder.h"

namespace vorn {
namespace {

using test::Hold;
using test::ScriptServer;
using test::Send;
using test::ServerScript;
using test::Sleep;

std::string Body(const TMemoryStream& stream) {
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

// Runs a GET on the main thread; answers the EHttpException code (0 when none was raised).
int RunGet(THttpCli& client, std::string* message = nullptr) {
  try {
    client.Get();
    return 0;
  } catch (const EHttpException& e) {
    if (message != nullptr) *message = e.what();
    return e.ErrorCode;
  }
}

struct MisbehaviourCase {
  const char* what;
  std::vector<ServerScript> scripts;
  int status;
  std::string text;
  std::string body;
  bool body_is_prefix = false;
  int raised = 0;
};

TEST(HttpClientMisbehavingServer, EveryScriptEndsAtReady) {
  const std::string big_line(9000, 'x');
  std::vector<MisbehaviourCase> cases = {
      {"closing before any byte", {{}}, 0, "", ""},
      {"closing after the status line", {{Send("HTTP/1.0 200 OK\r\n")}}, 200, "OK", ""},
      {"short body kept", {{Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(50, 'b'))}}, 200, "OK",
       std::string(50, 'b')},
      {"longer body kept", {{Send("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabcdef")}}, 200, "OK", "abcdef"},
      {"9000-byte header line", {{Send("HTTP/1.0 200 OK\r\nX: " + big_line + "\r\n\r\nbody")}}, 404,
       "HTTP line too long", "", false, 404},
      {"HTTP/1.2 not recognised", {{Send("HTTP/1.2 200 OK\r\n\r\nabc")}}, 0, "", "abc"},
      {"html without a header", {{Send("<html>\r\n<body>x</body>\r\n")}}, 0, "", "<html><body>x</body>\r\n"},
      {"404 keeps a prefix of its page", {{Send("HTTP/1.1 404 Not Found\r\n\r\nmissing page")}}, 404, "Not Found",
       "missing page", true, 404},
      {"relative relocation", {{Send("HTTP/1.0 302 Moved\r\nLocation: /new\r\n\r\n")}, {Send("HTTP/1.0 200 OK\r\n\r\nnew")}},
       200, "OK", "new"},
      {"https relocation is not followed",
       {{Send("HTTP/1.0 301 Moved\r\nLocation: https://example.invalid/\r\n\r\nmoved page")}}, 301, "Moved",
       "moved page"},
      {"bad numbers", {{Send("HTTP/1.0 2x0 Odd\r\nContent-Length: many\r\n\r\nq")}}, 0, "Odd", "q"},
  };
  for (const MisbehaviourCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptServer server(c.scripts);
    THttpCli client;
    TMemoryStream stream;
    stream.WriteBuffer("pre", 3);
    client.ReceiveStream = &stream;
    client.URL = "http://127.0.0.1:" + server.port_text() + "/start";
    std::string message;
    test::LogRecorder log;
    EXPECT_EQ(RunGet(client, &message), c.raised);
    EXPECT_EQ(client.State(), THttpState::httpReady);
    EXPECT_EQ(client.ResponseStatus, c.status);
    EXPECT_EQ(client.ResponseText, c.text);
    if (c.raised != 0) {
      EXPECT_EQ(message, c.text);
    }
    std::string body = Body(stream).substr(3);
    if (c.body_is_prefix) {
      EXPECT_EQ(c.body.substr(0, body.size()), body);
    } else {
      EXPECT_EQ(body, c.body);
    }
  }
}

TEST(HttpClientMisbehavingServer, BoundsFailTheRequestAndRestoreTheStream) {
  std::string many_lines;
  for (int i = 0; i < 400; ++i) many_lines += "X-Line: " + std::to_string(i) + "\r\n";
  const struct {
    const char* what;
    std::string response;
    std::string text;
  } cases[] = {
      {"header bound", "HTTP/1.0 200 OK\r\n" + many_lines + "\r\nbody", "HTTP header too long"},
      {"body bound", "HTTP/1.0 200 OK\r\n\r\n" + std::string(3 << 20, 'z'), "HTTP document too long"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptServer server({{Send(c.response)}});
    THttpCli client;
    client.SetLimitsForTest(4096, 1 << 20);
    TMemoryStream stream;
    stream.WriteBuffer("keep", 4);
    client.ReceiveStream = &stream;
    client.URL = "http://127.0.0.1:" + server.port_text() + "/";
    test::LogRecorder log;
    std::string message;
    EXPECT_EQ(RunGet(client, &message), 404);
    EXPECT_EQ(message, c.text);
    EXPECT_EQ(Body(stream), "keep");
    EXPECT_TRUE(log.Contains(c.text));
    EXPECT_TRUE(log.Contains(client.URL));
  }
}

TEST(HttpClientMisbehavingServer, LargeBodyIsKeptWhole) {
  std::string body(20 << 20, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + (i >> 13));
  ScriptServer server({{Send("HTTP/1.0 200 OK\r\n\r\n" + body)}});
  THttpCli client;
  TMemoryStream stream;
  client.ReceiveStream = &stream;
  client.URL = "http://127.0.0.1:" + server.port_text() + "/big";
  EXPECT_EQ(RunGet(client), 0);
  EXPECT_TRUE(Body(stream) == body);
}

TEST(HttpClientMisbehavingServer, ResponseSplitAtEveryByteBoundary) {
  const std::string response = "HTTP/1.0 200 OK\r\nContent-Type: Text/Plain\r\n\r\nline1\r\nline2";
  for (std::size_t split = 1; split < response.size(); ++split) {
    SCOPED_TRACE(split);
    ScriptServer server({{Send(response.substr(0, split)), Sleep(3), Send(response.substr(split))}});
    THttpCli client;
    TMemoryStream stream;
    client.ReceiveStream = &stream;
    client.URL = "http://127.0.0.1:" + server.port_text() + "/";
    EXPECT_EQ(RunGet(client), 0);
    EXPECT_EQ(client.ResponseStatus, 200);
    EXPECT_EQ(client.ResponseType, "text/plain");
    EXPECT_EQ(Body(stream), "line1\r\nline2");
  }
}

TEST(HttpClientMisbehavingServer, RelocationLoopStopsAfterTwentyRelocations) {
  ScriptServer server({{Send("HTTP/1.0 302 Again\r\nLocation: /loop\r\n\r\nloop page")}});
  THttpCli client;
  TMemoryStream stream;
  client.ReceiveStream = &stream;
  client.URL = "http://127.0.0.1:" + server.port_text() + "/loop";
  int changes = 0;
  client.OnLocationChange = [&](THttpCli&) { ++changes; };
  EXPECT_EQ(RunGet(client), 0);
  EXPECT_EQ(changes, kMaxRelocations);
  EXPECT_EQ(server.connections(), kMaxRelocations + 1);
  EXPECT_EQ(client.ResponseStatus, 302);
  EXPECT_EQ(Body(stream), "loop page");
}

TEST(HttpClientMisbehavingServer, AbsoluteRelocationToAnotherPort) {
  ScriptServer target({{Send("HTTP/1.0 200 OK\r\n\r\nthere")}});
  ScriptServer first({{Send("HTTP/1.0 301 Moved\r\nLocation: http://127.0.0.1:" + target.port_text() + "/x\r\n\r\n")}});
  THttpCli client;
  TMemoryStream stream;
  client.ReceiveStream = &stream;
  client.URL = "http://127.0.0.1:" + first.port_text() + "/";
  EXPECT_EQ(RunGet(client), 0);
  EXPECT_EQ(Body(stream), "there");
  ASSERT_EQ(target.requests().size(), 1u);
  EXPECT_EQ(target.requests()[0].rfind("GET /x HTTP/1.0\r\n", 0), 0u);
  EXPECT_EQ(client.CurrentLocation, "http://127.0.0.1/x");
}

TEST(HttpClientMisbehavingServer, RefusedPortFailsWithTheConnectText) {
  THttpCli client;
  client.URL = "http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/";
  std::string message;
  EXPECT_EQ(RunGet(client, &message), 404);
  EXPECT_EQ(message, "Connection refused (Error #10061)");
  EXPECT_EQ(client.RequestError, 10061);
}

TEST(HttpClientMisbehavingServer, ZeroLengthAnswerThatStaysOpenDoesNotSpoilTheNextRequest) {
  ScriptServer server({{Send("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"), Hold()},
                       {Send("HTTP/1.0 200 OK\r\n\r\nsecond")}});
  THttpCli client;
  TMemoryStream stream;
  client.ReceiveStream = &stream;
  client.URL = "http://127.0.0.1:" + server.port_text() + "/";
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunGet(client), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(Body(stream), "");
  EXPECT_EQ(RunGet(client), 0);
  EXPECT_EQ(Body(stream), "second");
}

TEST(HttpClientMisbehavingServer, SecondStartWhileBusyIsRefused) {
  ScriptServer server({{Sleep(50), Send("HTTP/1.0 200 OK\r\n\r\nx")}});
  THttpCli client;
  client.URL = "http://127.0.0.1:" + server.port_text() + "/";
  client.StartRequest(THttpRequest::httpGET);
  try {
    client.StartRequest(THttpRequest::httpGET);
    FAIL();
  } catch (const EHttpException& e) {
    EXPECT_STREQ(e.what(), "HTTP component is busy");
    EXPECT_EQ(e.ErrorCode, 1);
  }
  client.AbortForShutdown();
  EXPECT_EQ(client.State(), THttpState::httpReady);
}

// The request bytes as the server read them, against lines spelled out by hand.
class HttpRequestBytes : public ::testing::Test {
 protected:
  HttpRequestBytes() : resolver_(tasks_) {
    services_ = Net();
    services_.resolver = &resolver_;
    services_.tasks = &tasks_;
    seam_.Install(&services_);
    resolver_.AddHost("h", {0x7F000001});
  }
  std::string Capture(THttpCli& client, const std::string& url) {
    ScriptServer server({{Send("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n")}});
    client.URL = url;
    std::string::size_type at = url.find("PORT");
    if (at != std::string::npos) client.URL.replace(at, 4, server.port_text());
    if (!client.Proxy.empty()) client.ProxyPort = server.port_text();
    EXPECT_EQ(RunGet(client), 0);
    auto requests = server.requests();
    return requests.empty() ? std::string() : requests[0];
  }
  platform::MainThreadTasks tasks_;
  platform::TableResolver resolver_;
  NetServices services_;
  ScopedSeam<NetServices> seam_{ExchangeNetServices};
};

const char kAcceptLine[] = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n";
const char kAgentLine[] = "User-Agent: Mozilla/3.0 (compatible)\r\n";

TEST_F(HttpRequestBytes, DirectAndThroughAProxy) {
  THttpCli direct;
  EXPECT_EQ(Capture(direct, "http://h:PORT/a/b.txt"),
            std::string("GET /a/b.txt HTTP/1.0\r\n") + kAcceptLine + kAgentLine + "Host: h\r\n\r\n");
  EXPECT_EQ(direct.DocumentName, "b.txt");

  THttpCli proxied;
  proxied.Proxy = "127.0.0.1";
  EXPECT_EQ(Capture(proxied, "http://h:8080/a/b.txt"),
            std::string("GET http://h:8080/a/b.txt HTTP/1.0\r\n") + kAcceptLine + kAgentLine + "Host: h\r\n\r\n");
}

TEST_F(HttpRequestBytes, OptionalLinesInOrder) {
  THttpCli client;
  client.Sender = "me@example";
  client.Reference = "http://ref/";
  client.NoCache = true;
  client.Cookie = "a=b";
  client.ContentRangeBegin = "0";
  client.ContentRangeEnd = "99";
  client.ModifiedSince = 36526.5;  // 2000-01-01 12:00, a Saturday
  std::string request = Capture(client, "http://user:pass@h:PORT");
  EXPECT_EQ(request, std::string("GET / HTTP/1.0\r\nFrom: me@example\r\n") + kAcceptLine +
                         "Referer: http://ref/\r\n" + kAgentLine +
                         "Host: h\r\nPragma: no-cache\r\nIf-Modified-Since: Sat, 01 Jan 2000 12:00:00 GMT\r\n"
                         "Authorization: Basic dXNlcjpwYXNz\r\nCookie: a=b\r\nRange: bytes=0-99\r\n\r\n");
  EXPECT_EQ(client.Username, "user");
  EXPECT_EQ(client.Password, "pass");
  EXPECT_EQ(client.DocumentName, "document.htm");
  // The range is sent once.
  EXPECT_EQ(Capture(client, "http://h:PORT/").find("Range:"), std::string::npos);
}

TEST_F(HttpRequestBytes, CommandHandlerChangesTheBytesSent) {
  THttpCli client;
  client.OnCommand = [](THttpCli&, std::string& line) {
    if (line.rfind("User-Agent:", 0) == 0) line = "User-Agent: test";
  };
  std::string request = Capture(client, "http://h:PORT/");
  EXPECT_NE(request.find("\r\nUser-Agent: test\r\n"), std::string::npos);
}

TEST_F(HttpRequestBytes, UnresolvableHostFails) {
  THttpCli client;
  client.URL = "http://nowhere.invalid/";
  std::string message;
  EXPECT_EQ(RunGet(client, &message), 404);
  EXPECT_EQ(message, "can't resolve hostname to IP address");
}

TEST_F(HttpRequestBytes, RecordedEventsOfAPlainGet) {
  THttpCli client;
  std::vector<std::string> events;
  client.OnStateChange = [&](THttpCli& c) { events.push_back("state " + std::to_string(static_cast<int>(c.State()))); };
  client.OnSessionConnected = [&](THttpCli&) { events.push_back("connected"); };
  client.OnRequestHeaderBegin = [&](THttpCli&) { events.push_back("request header begin"); };
  client.OnRequestHeaderEnd = [&](THttpCli&) { events.push_back("request header end"); };
  client.OnHeaderBegin = [&](THttpCli&) { events.push_back("header begin"); };
  client.OnHeaderData = [&](THttpCli&) { events.push_back("header data"); };
  client.OnHeaderEnd = [&](THttpCli&) { events.push_back("header end"); };
  client.OnDocBegin = [&](THttpCli&) { events.push_back("doc begin"); };
  client.OnDocEnd = [&](THttpCli&) { events.push_back("doc end"); };
  client.OnRequestDone = [&](THttpCli&, THttpRequest kind, int error) {
    events.push_back("done " + std::to_string(static_cast<int>(kind)) + " " + std::to_string(error));
  };
  ScriptServer server({{Send("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nbody")}});
  client.URL = "http://h:" + server.port_text() + "/";
  EXPECT_EQ(RunGet(client), 0);
  NetPump::Instance().MessageLoop();
  const std::vector<std::string> expected = {
      "state 1", "state 3", "state 4", "state 2", "connected", "state 5", "request header begin",
      "request header end", "header begin", "header data", "header data", "state 6", "header end",
      "doc begin", "doc end", "state 0", "done 1 0"};
  EXPECT_EQ(events, expected);
}

}  // namespace
}  // namespace vorn
