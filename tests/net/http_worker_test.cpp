#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/stream.h"
#include "net/http_cli.h"
#include "net/wsocket.h"
#include "net_test_support.h"

namespace vorn {
namespace {

// A loopback server of our own sockets on the main thread: it answers each request with `reply`.
class LoopbackServer {
 public:
  explicit LoopbackServer(std::string reply) : reply_(std::move(reply)) {
    listener_.SetAddr("127.0.0.1");
    listener_.SetPort("0");
    listener_.OnSessionAvailable = [this](TCustomWSocket& self, int) {
      auto peer = std::make_unique<TWSocket>();
      peer->Dup(self.Accept());
      TWSocket* raw = peer.get();
      auto request = std::make_shared<std::string>();
      peer->OnDataAvailable = [this, raw, request](TCustomWSocket& s, int) {
        *request += s.ReceiveStr();
        if (reply_.empty() || request->find("\r\n\r\n") == std::string::npos) return;
        request->clear();
        raw->SendStr(reply_);
        raw->CloseDelayed();
      };
      peers_.push_back(std::move(peer));
    };
    listener_.Listen();
  }
  std::string port() { return listener_.GetXPort(); }

 private:
  std::string reply_;
  TWSocket listener_;
  std::vector<std::unique_ptr<TWSocket>> peers_;
};

// The component's way: a worker calls Get and only waits; every socket step runs on the main
// thread, which keeps servicing the pump.
TEST(HttpClientWorker, GetFromAWorkerWhileTheMainThreadPumps) {
  LoopbackServer server("HTTP/1.0 200 OK\r\n\r\nfrom the worker");
  THttpCli client;
  client.SetMultiThreaded(true);
  TMemoryStream stream;
  client.ReceiveStream = &stream;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    stream.Clear();
    client.URL = "http://127.0.0.1:" + server.port() + "/";
    client.RearmForWorker();
    std::atomic<bool> done{false};
    std::atomic<int> raised{-1};
    std::thread worker([&] {
      try {
        client.Get();
        raised = 0;
      } catch (const EHttpException& e) {
        raised = e.ErrorCode;
      }
      done = true;
    });
    EXPECT_TRUE(test::PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(raised, 0);
    EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), "from the worker");
  }
}

TEST(HttpClientWorker, FailuresRaiseInTheWorkerAndShutdownWakesIt) {
  THttpCli client;
  client.URL = "http://127.0.0.1:1/";
  client.RearmForWorker();
  std::atomic<int> raised{-1};
  std::thread worker([&] {
    try {
      client.Get();
      raised = 0;
    } catch (const EHttpException& e) {
      raised = e.ErrorCode;
    }
  });
  EXPECT_TRUE(test::PumpUntil([&] { return raised.load() != -1; }));
  worker.join();
  EXPECT_EQ(raised, 404);

  // A worker still waiting for its hand-off is let go by the shutdown.
  LoopbackServer silent("");
  client.URL = "http://127.0.0.1:" + silent.port() + "/";
  client.RearmForWorker();
  std::atomic<bool> done{false};
  std::thread waiting([&] {
    try {
      client.Get();
    } catch (...) {
    }
    done = true;
  });
  test::PumpFor(20);
  client.AbortForShutdown();
  waiting.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(client.State(), THttpState::httpReady);
}

}  // namespace
}  // namespace vorn
