#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "components/timer_list.h"
#include "components/vorn_base_list.h"
#include "components/vorn_http.h"
#include "net/net_pump.h"
#include "net/wsocket.h"

namespace vorn {
namespace {

bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 3000) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  NetPump& pump = NetPump::Instance();
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    if (!pump.ProcessMessages()) pump.Wait(std::chrono::milliseconds(5));
  }
  return true;
}

TEST(HttpBodyAsText, SplitsLikeAStringListAndJoinsWithOne) {
  const struct {
    std::string body, text;
  } cases[] = {
      {"a\r\nb\nc", "a\x01" "b\x01" "c"},
      {"a\r\n", "a"},
      {"a\r\rb", "a\x01\x01" "b"},
      {std::string("a\0b\r\nc", 6), "a"},
      {"", ""},
      {"\xA4\xA2\n\xA4\xA4", "\x82\xA0\x01\x82\xA2"},  // converted from EUC-JP first
  };
  for (const auto& c : cases) EXPECT_EQ(HttpBodyAsText(c.body), c.text) << c.body;
}

// A loopback server made of our own sockets: it answers every connection with one reply (or with
// nothing) and closes.
class TinyServer {
 public:
  explicit TinyServer(std::string reply, bool answer = true) : reply_(std::move(reply)), answer_(answer) {
    listener_.SetAddr("127.0.0.1");
    listener_.SetPort("0");
    listener_.OnSessionAvailable = [this](TCustomWSocket& self, int) {
      auto peer = std::make_unique<TWSocket>();
      peer->Dup(self.Accept());
      TWSocket* raw = peer.get();
      peer->OnDataAvailable = [this, raw](TCustomWSocket& s, int) {
        request_ += s.ReceiveStr();
        if (answer_ && request_.find("\r\n\r\n") != std::string::npos && !answered_) {
          answered_ = true;
          raw->SendStr(reply_);
          raw->CloseDelayed();
        }
      };
      peers_.push_back(std::move(peer));
    };
    listener_.Listen();
  }
  std::string port() { return listener_.GetXPort(); }
  const std::string& request() const { return request_; }

 private:
  std::string reply_;
  bool answer_;
  bool answered_ = false;
  std::string request_;
  TWSocket listener_;
  std::vector<std::unique_ptr<TWSocket>> peers_;
};

TEST(TVornHttp, DownloadPostsPlayEndAndGivesTheText) {
  TinyServer server("HTTP/1.0 200 OK\r\n\r\nline1\r\n\xA4\xA2");
  TVornBaseList scene;
  auto* http = CreateObject<TVornHttp>(scene);
  http->SetOnPlayEnd("*done");
  http->SetSource("http://127.0.0.1:" + server.port() + "/page");
  EXPECT_TRUE(http->GetBusy());
  http->SetSource("http://127.0.0.1:1/other");  // ignored while busy
  EXPECT_EQ(http->GetSource(), "http://127.0.0.1:" + server.port() + "/page");
  ASSERT_TRUE(PumpUntil([&] { return !http->GetBusy(); }));
  EXPECT_EQ(http->GetText(), "line1\x01\x82\xA0");
  ASSERT_EQ(scene.Events().Count(), 1);
  EXPECT_EQ(scene.Events().Item(0)->GetCode(), 43);
  EXPECT_EQ(scene.Events().Item(0)->GetLabel(), "*done");
  EXPECT_EQ(http->GetCompoType(), 7);
}

TEST(TVornHttp, FailedDownloadStillPostsAndSourceFromAnotherComponent) {
  TVornBaseList scene;
  auto* first = CreateObject<TVornHttp>(scene);
  first->SetName("first");
  first->GetContentStream()->WriteBuffer("http://127.0.0.1:1/", 19);
  auto* second = CreateObject<TVornHttp>(scene);
  second->SetOnPlayEnd("*end");
  second->SetSource("!first");
  EXPECT_EQ(second->GetSource(), "http://127.0.0.1:1/");
  ASSERT_TRUE(PumpUntil([&] { return !second->GetBusy(); }));
  EXPECT_EQ(second->GetText(), "");
  EXPECT_EQ(scene.Events().Count(), 1);
  // A name that is no HTTP component gives an empty URL.
  second->SetSource("!nothing");
  EXPECT_EQ(second->GetSource(), "");
  ASSERT_TRUE(PumpUntil([&] { return !second->GetBusy(); }));
  EXPECT_EQ(scene.Events().Count(), 2);
}

TEST(TVornHttp, ProxyIsSplitAtTheFirstColon) {
  TVornBaseList scene;
  auto* http = CreateObject<TVornHttp>(scene);
  http->SetProxy("proxy.example:3128");
  EXPECT_EQ(http->Client().Proxy, "proxy.example");
  EXPECT_EQ(http->Client().ProxyPort, "3128");
  EXPECT_EQ(http->GetProxy(), "proxy.example:3128");
  http->SetProxy("plain");
  EXPECT_EQ(http->Client().ProxyPort, "");
  EXPECT_EQ(http->GetProxy(), "plain:");
}

TEST(TVornHttp, DeletingWhileTheServerNeverAnswersIsQuickAndLeavesNoEvent) {
  TinyServer server("", false);
  TVornBaseList scene;
  auto* http = CreateObject<TVornHttp>(scene);
  http->SetOnPlayEnd("*done");
  http->SetSource("http://127.0.0.1:" + server.port() + "/");
  ASSERT_TRUE(PumpUntil([&] { return !server.request().empty(); }));
  auto start = std::chrono::steady_clock::now();
  scene.DeleteObject(http);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  PumpUntil([] { return false; }, 30);
  EXPECT_EQ(scene.Events().Count(), 0);
}

TEST(TVornHttp, DeletingBeforeTheWorkerHandsOver) {
  TVornBaseList scene;
  auto* http = CreateObject<TVornHttp>(scene);
  http->SetOnPlayEnd("*done");
  http->SetSource("http://127.0.0.1:1/");
  scene.DeleteObject(http);  // no pumping: the worker may still wait for its start
  PumpUntil([] { return false; }, 30);
  EXPECT_EQ(scene.Events().Count(), 0);
}

}  // namespace
}  // namespace vorn
