#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "net/wsocket.h"
#include "support/scripted_net.h"

namespace vorn {
namespace {

bool terminating_now = false;
bool Terminating() { return terminating_now; }

TEST(WaitUntilReady, EndsWhenTheFlagIsSetOrGivesUp) {
  test::ScriptedNet net;
  TWSocket socket;
  std::uint8_t flag = 7;

  // The start routine posts work whose end sets the flag; the wait runs it.
  EXPECT_EQ(socket.WaitUntilReady(flag, [&] { net.tasks.Post([&] { flag = 1; }); }, 0), 0);
  EXPECT_EQ(flag, 1);

  // Nothing sets the flag: the time out ends the wait, measured on the clock.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(socket.WaitUntilReady(flag, nullptr, 30), kWaitGaveUp);
  EXPECT_EQ(flag, 0);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(25));
  EXPECT_LT(waited, std::chrono::milliseconds(500));

  // A player that is ending stops every wait at once.
  NetServices services = Net();
  services.terminating = &Terminating;
  ScopedSeam<NetServices> seam(ExchangeNetServices);
  seam.Install(&services);
  terminating_now = true;
  EXPECT_EQ(socket.WaitUntilReady(flag, nullptr, 0), kWaitGaveUp);
  terminating_now = false;
  NetPump::Instance().set_terminated(false);
}

TEST(WaitUntilReady, ConnectsAndReadsThroughTheScriptedPeer) {
  test::ScriptedNet net;
  net.sockets.QueueReply({"greeting\r\n"});
  TWSocket socket;
  socket.SetLineMode(true);
  std::string line;
  std::uint8_t got_line = 0;
  socket.OnDataAvailable = [&](TCustomWSocket& s, int) {
    line = s.ReceiveStr();
    got_line = 1;
  };
  socket.SetAddr("10.0.0.1");
  socket.SetPort("25");
  EXPECT_EQ(socket.WaitUntilReady(got_line, [&] { socket.Connect(); }, 1000), 0);
  EXPECT_EQ(line, "greeting\r\n");
}

}  // namespace
}  // namespace vorn
