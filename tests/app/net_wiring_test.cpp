#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/net_wiring.h"
#include "foundation/stream.h"
#include "net/http_cli.h"
#include "net/net_pump.h"
#include "net/wsocket.h"
#include "platform/headless_application.h"

namespace vorn {
namespace {

// A loopback server of our own sockets that answers a request only after `delay`: the answer is
// prepared on another thread, as a download's worker hands over its work, and posted to the main
// thread.
class DelayedServer {
 public:
  DelayedServer(std::string reply, std::chrono::milliseconds delay) : reply_(std::move(reply)), delay_(delay) {
    listener_.SetAddr("127.0.0.1");
    listener_.SetPort("0");
    listener_.OnSessionAvailable = [this](TCustomWSocket& self, int) {
      peer_ = std::make_unique<TWSocket>();
      peer_->Dup(self.Accept());
      peer_->OnDataAvailable = [this](TCustomWSocket& s, int) {
        request_ += s.ReceiveStr();
        if (request_.find("\r\n\r\n") == std::string::npos || answering_.joinable()) return;
        platform::MainThreadTasks* tasks = Net().tasks;
        answering_ = std::thread([this, tasks] {
          std::this_thread::sleep_for(delay_);
          tasks->Post([this] {
            peer_->SendStr(reply_);
            peer_->CloseDelayed();
          });
        });
      };
    };
    listener_.Listen();
  }
  ~DelayedServer() {
    if (answering_.joinable()) answering_.join();
  }
  std::string port() { return listener_.GetXPort(); }

 private:
  std::string reply_;
  std::chrono::milliseconds delay_;
  std::string request_;
  TWSocket listener_;
  std::unique_ptr<TWSocket> peer_;
  std::thread answering_;
};

// Services the net library in every pass and then answers done, like a player whose frames stop.
class NetIdleSink final : public platform::EventSink {
 public:
  void HandleEvent(const platform::Event&) override {}
  bool Idle() override {
    ++idles;
    NetPump::Instance().Service();
    return true;
  }
  int idles = 0;
};

struct LoopRun {
  explicit LoopRun(std::chrono::milliseconds delay)
      : server("HTTP/1.0 200 OK\r\n\r\nlate answer", delay),
        window(application.CreateMainWindow(platform::Size{10, 10}, "")) {
    client.ReceiveStream = &stream;
    client.URL = "http://127.0.0.1:" + server.port() + "/";
    application.set_after_idle([this](platform::Window& main) {
      if (client.State() == THttpState::httpReady && !closed) {
        closed = true;
        main.PostClose();
      }
    });
  }
  ~LoopRun() { client.AbortForShutdown(); }
  void Run() {
    client.StartRequest(THttpRequest::httpGET);
    application.Run(*window, sink);
  }
  platform::HeadlessApplication application;
  DelayedServer server;
  std::unique_ptr<platform::Window> window;
  THttpCli client;
  TMemoryStream stream;
  NetIdleSink sink;
  bool closed = false;
};

TEST(NetWiring, IdleLoopWaitsForADownloadWithoutSpinning) {
  LoopRun run(std::chrono::milliseconds(150));
  TNetWiring wiring(run.application);
  const auto start = std::chrono::steady_clock::now();
  run.Run();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_EQ(std::string(run.stream.Bytes().begin(), run.stream.Bytes().end()), "late answer");
  // About one pass per 10 ms wait; a spinning loop makes thousands.
  EXPECT_LT(run.sink.idles, 60);
}

TEST(NetWiring, WithoutItTheHeadlessLoopStallsOnAWaitingDownload) {
  LoopRun run(std::chrono::milliseconds(50));
  EXPECT_THROW(run.Run(), platform::HeadlessStall);
}

TEST(NetWiring, WaitsInsideTheNetLibraryEndWhenTheApplicationTerminates) {
  platform::HeadlessApplication application;
  TNetWiring wiring(application);
  ASSERT_NE(Net().terminating, nullptr);
  EXPECT_FALSE(Net().terminating());
  auto window = application.CreateMainWindow(platform::Size{10, 10}, "");
  window->PostClose();
  NetIdleSink sink;
  application.Run(*window, sink);
  EXPECT_TRUE(Net().terminating());
}

}  // namespace
}  // namespace vorn
