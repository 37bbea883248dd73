#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/stream.h"
#include "net/http_cli.h"
#include "platform/http_script_server.h"
#include "net/net_test_support.h"

namespace vorn {
namespace {

using test::ScriptServer;
using test::Send;

// Every event the client fires, one text each, in order.
struct EventLog {
  explicit EventLog(THttpCli& client) {
    client.OnStateChange = [this](THttpCli& c) { Add("state " + std::to_string(static_cast<int>(c.State()))); };
    client.OnSessionConnected = [this](THttpCli&) { Add("connected"); };
    client.OnRequestHeaderBegin = [this](THttpCli&) { Add("request header begin"); };
    client.OnRequestHeaderEnd = [this](THttpCli&) { Add("request header end"); };
    client.OnHeaderBegin = [this](THttpCli&) { Add("header begin"); };
    client.OnHeaderEnd = [this](THttpCli&) { Add("header end"); };
    client.OnDocBegin = [this](THttpCli&) { Add("doc begin"); };
    client.OnDocEnd = [this](THttpCli&) { Add("doc end"); };
    client.OnSendBegin = [this](THttpCli&) { Add("send begin"); };
    client.OnSendEnd = [this](THttpCli&) { Add("send end"); };
    client.OnSendData = [this](THttpCli&, const char*, int length) { Add("send data " + std::to_string(length)); };
    client.OnLocationChange = [this](THttpCli& c) { Add("location " + c.CurrentLocation); };
    client.OnRequestDone = [this](THttpCli&, THttpRequest kind, int error) {
      Add("done " + std::to_string(static_cast<int>(kind)) + " " + std::to_string(error));
    };
  }
  void Add(std::string text) { events.push_back(std::move(text)); }
  std::vector<std::string> events;
};

// Starts a request of the given kind on the main thread and pumps until its request-done event.
void RunToDone(THttpCli& client, THttpRequest kind) {
  bool done = false;
  auto previous = client.OnRequestDone;
  client.OnRequestDone = [&](THttpCli& c, THttpRequest k, int error) {
    if (previous) previous(c, k, error);
    done = true;
  };
  client.StartRequest(kind);
  EXPECT_TRUE(test::PumpUntil([&] { return done; }, 5000));
  client.OnRequestDone = previous;
}

TEST(HttpClientPost, WithoutAStreamIsRefused) {
  THttpCli client;
  client.URL = "http://127.0.0.1:1/";
  try {
    client.StartRequest(THttpRequest::httpPOST);
    FAIL();
  } catch (const EHttpException& e) {
    EXPECT_STREQ(e.what(), "HTTP component has nothing to post");
    EXPECT_EQ(e.ErrorCode, 2);
  }
  EXPECT_EQ(client.State(), THttpState::httpReady);
}

TEST(HttpClientPost, SendsTheStreamInBlocksPacedBySentEvents) {
  std::string data(20000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('a' + i % 26);
  ScriptServer server({{Send("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nposted")}});
  THttpCli client;
  EventLog log(client);
  TMemoryStream post;
  post.WriteBuffer(data.data(), data.size());
  post.Seek(0, SeekOrigin::kBegin);
  TMemoryStream answer;
  client.PostStream = &post;
  client.ReceiveStream = &answer;
  client.URL = "http://127.0.0.1:" + server.port_text() + "/form";
  RunToDone(client, THttpRequest::httpPOST);

  ASSERT_EQ(server.requests().size(), 1u);
  const std::string header =
      "POST /form HTTP/1.0\r\n"
      "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
      "Content-Type: application/x-www-form-urlencoded\r\n"
      "User-Agent: Mozilla/3.0 (compatible)\r\n"
      "Host: 127.0.0.1\r\n"
      "Content-Length: 20000\r\n"
      "\r\n";
  EXPECT_EQ(server.requests()[0], header + data);
  EXPECT_EQ(client.SentCount, 20000);
  EXPECT_EQ(client.ResponseStatus, 200);
  EXPECT_EQ(std::string(answer.Bytes().begin(), answer.Bytes().end()), "posted");
  const std::vector<std::string> expected = {
      "state 1", "state 3", "state 4", "state 2", "connected", "state 5", "request header begin",
      "request header end", "send begin", "send data 8193", "send data 8193", "send data 3614", "send end",
      "header begin", "state 6", "header end", "doc begin", "doc end", "state 0", "done 2 0"};
  EXPECT_EQ(log.events, expected);
}

TEST(HttpClientPost, ContinuesAsAGetAfterARelocation) {
  ScriptServer server({{Send("HTTP/1.0 302 Moved\r\nLocation: /next\r\n\r\n")}, {Send("HTTP/1.0 200 OK\r\n\r\nthere")}});
  THttpCli client;
  EventLog log(client);
  TMemoryStream post;
  post.WriteBuffer("k=v", 3);
  post.Seek(0, SeekOrigin::kBegin);
  TMemoryStream answer;
  client.PostStream = &post;
  client.ReceiveStream = &answer;
  client.URL = "http://127.0.0.1:" + server.port_text() + "/form";
  RunToDone(client, THttpRequest::httpPOST);

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].rfind("POST /form HTTP/1.0\r\n", 0), 0u);
  EXPECT_EQ(requests[0].substr(requests[0].size() - 7), "\r\n\r\nk=v");
  EXPECT_EQ(requests[1].rfind("GET /next HTTP/1.0\r\n", 0), 0u);
  EXPECT_EQ(requests[1].find("Content-"), std::string::npos);
  EXPECT_EQ(std::string(answer.Bytes().begin(), answer.Bytes().end()), "there");
  const std::string here = "http://127.0.0.1/next";
  const std::vector<std::string> expected = {
      "state 1", "state 3", "state 4", "state 2", "connected", "state 5", "request header begin",
      "request header end", "send begin", "send data 3", "send end", "header begin", "header end",
      "location " + here, "state 3", "state 4", "state 2", "connected", "state 5", "request header begin",
      "request header end", "header begin", "state 6", "header end", "doc begin", "doc end", "state 0", "done 1 0"};
  EXPECT_EQ(log.events, expected);
}

TEST(HttpClientHead, SendsHeadAndReadsOnlyTheHeader) {
  ScriptServer server({{Send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1234\r\n\r\n")}});
  THttpCli client;
  TMemoryStream answer;
  client.ReceiveStream = &answer;
  client.URL = "http://127.0.0.1:" + server.port_text() + "/prog.exe";
  RunToDone(client, THttpRequest::httpHEAD);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("HEAD /prog.exe HTTP/1.0\r\n", 0), 0u);
  EXPECT_EQ(client.ResponseStatus, 200);
  EXPECT_EQ(client.ResponseLength, 1234);
  EXPECT_EQ(answer.Size(), 0);
  // An executable's name served as a page is saved as a page.
  EXPECT_EQ(client.DocumentName, "prog.htm");
}

TEST(HttpClientEvents, RecordedSequenceOfAFailure) {
  THttpCli client;
  EventLog log(client);
  client.URL = "http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/";
  RunToDone(client, THttpRequest::httpGET);
  EXPECT_EQ(client.ResponseStatus, 404);
  EXPECT_EQ(client.ResponseText, "Connection refused (Error #10061)");
  const std::vector<std::string> expected = {"state 1", "state 3", "state 4", "state 0", "done 1 10061"};
  EXPECT_EQ(log.events, expected);
}

}  // namespace
}  // namespace vorn
