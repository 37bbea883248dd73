#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "foundation/stream.h"
#include "net/http_cli.h"
#include "net/net_pump.h"
#include "platform/http_script_server.h"

namespace vorn {
namespace {

using test::ScriptServer;
using test::Send;

std::string FirstLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

TEST(HttpClientProxy, RelocationsThroughAProxyFollowTheTable) {
  const struct {
    const char* location;
    const char* second_line;
  } cases[] = {
      // A rooted path keeps the scheme and host of the previous URL, not its port.
      {"/moved", "GET http://h/moved HTTP/1.0"},
      {"rel.htm", "GET http://h:8080/dir/rel.htm HTTP/1.0"},
      {"http://other:81/x", "GET http://other/x HTTP/1.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.location);
    ScriptServer proxy({{Send(std::string("HTTP/1.0 302 Moved\r\nLocation: ") + c.location + "\r\n\r\n")},
                        {Send("HTTP/1.0 200 OK\r\n\r\nproxied")}});
    THttpCli client;
    TMemoryStream stream;
    client.ReceiveStream = &stream;
    // The proxy's own port wins over ProxyPort, before and after the relocation.
    client.Proxy = "127.0.0.1:" + proxy.port_text();
    client.ProxyPort = "1";
    client.URL = "http://h:8080/dir/page.htm";
    EXPECT_NO_THROW(client.Get());
    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(FirstLine(requests[0]), "GET http://h:8080/dir/page.htm HTTP/1.0");
    EXPECT_EQ(FirstLine(requests[1]), c.second_line);
    EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), "proxied");
  }
}

TEST(HttpClientSlowServer, FramesKeepTheirPaceWhileAWorkerWaits) {
  // The server pauses far longer than any frame may take, so a frame that waited for the network
  // stands out even on a loaded machine or under a sanitizer.
  const std::vector<std::string> pieces = {"HTTP/1.0 200 OK\r\n", "\r\nsl", "ow"};
  constexpr int kPauseMs = 250;
  test::ServerScript script;
  for (const std::string& piece : pieces) {
    script.push_back(Send(piece));
    script.push_back(test::Sleep(kPauseMs));
  }
  ScriptServer server({script});
  THttpCli client;
  client.SetMultiThreaded(true);
  TMemoryStream stream;
  client.ReceiveStream = &stream;
  client.URL = "http://127.0.0.1:" + server.port_text() + "/";
  client.RearmForWorker();
  std::atomic<bool> done{false};
  std::thread worker([&] {
    try {
      client.Get();
    } catch (...) {
    }
    done = true;
  });
  // The main thread runs 16 ms frames, servicing the network once a frame, as the player does.
  using Clock = std::chrono::steady_clock;
  std::vector<Clock::duration> frame_work;
  const auto start = Clock::now();
  auto next = start;
  while (!done && Clock::now() - start < std::chrono::seconds(5)) {
    const auto frame_start = Clock::now();
    NetPump::Instance().Service();
    frame_work.push_back(Clock::now() - frame_start);
    next += std::chrono::milliseconds(16);
    std::this_thread::sleep_until(next);
  }
  worker.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), "slow");
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(kPauseMs * static_cast<int>(pieces.size() - 1)));
  // No frame waited for the network: many frames ran, and none came near one of the server's pauses.
  EXPECT_GE(frame_work.size(), 20u);
  EXPECT_LT(*std::max_element(frame_work.begin(), frame_work.end()), std::chrono::milliseconds(kPauseMs / 2));
}

}  // namespace
}  // namespace vorn
