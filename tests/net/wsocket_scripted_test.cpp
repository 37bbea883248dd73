#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/wsocket.h"
#include "support/scripted_net.h"

namespace vorn {
namespace {

using Option = platform::SocketOption;

std::vector<Option> OptionsOf(const platform::ScriptedSocketApi& sockets) {
  std::vector<Option> options;
  for (const auto& call : sockets.option_calls()) options.push_back(call.option);
  return options;
}

TEST(TWSocketOptions, StreamConnectSetsItsOptionsInOrder) {
  const struct {
    const char* what;
    unsigned component_options;
    TSocketLingerOnOff linger;
    std::vector<Option> want;
  } cases[] = {
      {"defaults", 0, TSocketLingerOnOff::wsLingerOn, {Option::kReuseAddr, Option::kLinger, Option::kKeepAlive}},
      {"no delay", kWsoTcpNoDelay, TSocketLingerOnOff::wsLingerOn,
       {Option::kReuseAddr, Option::kTcpNoDelay, Option::kLinger, Option::kKeepAlive}},
      {"linger left alone", 0, TSocketLingerOnOff::wsLingerNoSet, {Option::kReuseAddr, Option::kKeepAlive}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScriptedNet net;
    TWSocket socket;
    socket.ComponentOptions = c.component_options;
    socket.LingerOnOff = c.linger;
    socket.SetAddr("10.0.0.1");
    socket.SetPort("80");
    socket.Connect();
    EXPECT_EQ(socket.State(), TSocketState::wsConnecting);
    EXPECT_EQ(OptionsOf(net.sockets), c.want);
  }
}

TEST(TWSocketOptions, DatagramBroadcastAndMulticast) {
  {
    test::ScriptedNet net;
    TWSocket sender;
    sender.SetProto("udp");
    sender.SetAddr("255.255.255.255");
    sender.SetPort("9");
    sender.MultiCast = true;
    sender.MultiCastIpTTL = 4;
    int connected = -1;
    sender.OnSessionConnected = [&](TCustomWSocket&, int error) { connected = error; };
    sender.Connect();
    EXPECT_EQ(connected, 0);
    EXPECT_EQ(sender.State(), TSocketState::wsConnected);
    ASSERT_EQ(net.sockets.option_calls().size(), 2u);
    EXPECT_EQ(net.sockets.option_calls()[0].option, Option::kMulticastTtl);
    EXPECT_EQ(net.sockets.option_calls()[0].value, 4);
    EXPECT_EQ(net.sockets.option_calls()[1].option, Option::kBroadcast);
    EXPECT_EQ(sender.SendStr("hello"), 5);
    ASSERT_EQ(net.sockets.datagrams().size(), 1u);
    EXPECT_EQ(net.sockets.datagrams()[0].first.address, 0xFFFFFFFFu);
    EXPECT_EQ(net.sockets.datagrams()[0].first.port, 9);
    EXPECT_EQ(net.sockets.datagrams()[0].second, "hello");
  }
  {
    // A TTL of 1 is the system's own; no broadcast to an ordinary address.
    test::ScriptedNet net;
    TWSocket sender;
    sender.SetProto("17");
    sender.SetAddr("10.0.0.5");
    sender.SetPort("9");
    sender.MultiCast = true;
    sender.Connect();
    EXPECT_TRUE(net.sockets.option_calls().empty());
  }
  {
    test::ScriptedNet net;
    // Outlives the socket, whose close at its end reports a last state change.
    std::vector<TSocketState> states;
    TWSocket listener;
    listener.SetProto("udp");
    listener.SetAddr("0.0.0.0");
    listener.SetPort("5000");
    listener.ReuseAddr = true;
    listener.MultiCast = true;
    listener.MultiCastAddrStr = "239.1.2.3";
    listener.OnChangeState = [&](TCustomWSocket&, TSocketState, TSocketState now) { states.push_back(now); };
    listener.Listen();
    ASSERT_EQ(net.sockets.option_calls().size(), 2u);
    EXPECT_EQ(net.sockets.option_calls()[0].option, Option::kReuseAddr);
    EXPECT_EQ(net.sockets.option_calls()[1].option, Option::kAddMembership);
    EXPECT_EQ(static_cast<std::uint32_t>(net.sockets.option_calls()[1].value), 0xEF010203u);
    const std::vector<TSocketState> want = {TSocketState::wsBound, TSocketState::wsListening,
                                            TSocketState::wsConnected};
    EXPECT_EQ(states, want);
  }
}

TEST(TWSocketLineSend, SendsOneLinePerCallAndAtMost24BeforeWaiting) {
  test::ScriptedNet net;
  TWSocket socket;
  socket.SetAddr("10.0.0.1");
  socket.SetPort("80");
  socket.Connect();
  ASSERT_TRUE(net.PumpUntil([&] { return socket.State() == TSocketState::wsConnected; }));
  std::vector<int> pieces;
  socket.OnSendData = [&](TCustomWSocket&, int count) { pieces.push_back(count); };

  socket.SetLineSendMode(true);
  std::string text;
  for (int i = 0; i < 30; ++i) text += "l" + std::to_string(i % 10) + "\n";
  text += "tail";
  socket.SendStr(text);
  // 24 lines, then the rest waits for the socket to be writable again.
  ASSERT_EQ(pieces.size(), 24u);
  for (int count : pieces) EXPECT_EQ(count, 3);
  ASSERT_TRUE(net.PumpUntil([&] { return net.sockets.sent().size() == text.size(); }, 100));
  EXPECT_EQ(pieces.size(), 31u);
  EXPECT_EQ(pieces.back(), 4);
  EXPECT_EQ(net.sockets.sent(), text);

  // A close resets the mode: a new connection sends in one piece again.
  socket.Close();
  socket.SetAddr("10.0.0.1");
  socket.SetPort("80");
  socket.Connect();
  ASSERT_TRUE(net.PumpUntil([&] { return socket.State() == TSocketState::wsConnected; }));
  pieces.clear();
  socket.SendStr("a\nb\nc");
  EXPECT_EQ(pieces, std::vector<int>{5});
}

}  // namespace
}  // namespace vorn

namespace vorn {
namespace {

TEST(NetPumpScripted, NoSystemCallWithoutALiveSocketAndFlushSendsEverything) {
  test::ScriptedNet net;
  NetPump& pump = NetPump::Instance();
  TWSocket idle;
  for (int pass = 0; pass < 10; ++pass) pump.ProcessMessages();
  pump.Service();
  EXPECT_EQ(net.sockets.polls(), 0);
  EXPECT_FALSE(pump.Live());

  net.sockets.QueueReply({}, false);
  TWSocket socket;
  socket.SetAddr("10.0.0.1");
  socket.SetPort("80");
  socket.Connect();
  ASSERT_TRUE(net.PumpUntil([&] { return socket.State() == TSocketState::wsConnected; }));
  EXPECT_GT(net.sockets.polls(), 0);
  // The system takes 1000 bytes a call: most of the data stays queued until Flush.
  net.sockets.set_send_limit(1000);
  const std::string data(5000, 'd');
  EXPECT_EQ(socket.SendStr(data), 5000);
  EXPECT_EQ(net.sockets.sent().size(), 1000u);
  socket.Flush();
  EXPECT_EQ(net.sockets.sent().size(), data.size());
  EXPECT_TRUE(net.sockets.sent() == data);
}

}  // namespace
}  // namespace vorn
