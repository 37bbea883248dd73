#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/wsocket.h"
#include "support/scripted_net.h"

namespace vorn {
namespace {

std::string Raised(const std::function<void()>& action) {
  try {
    action();
  } catch (const ESocketException& e) {
    return e.what();
  }
  return "";
}

TEST(SocksSettings, LevelServerAndPortSetters) {
  const struct {
    const char* value;
    const char* stored;
    const char* raised;
  } levels[] = {
      {"4", "4", ""}, {"4a", "4A", ""}, {"4A", "4A", ""}, {"5", "5", ""},
      {"6", "5", "Invalid socks level. Must be 4, 4A or 5."}, {"", "5", "Invalid socks level. Must be 4, 4A or 5."},
  };
  for (const auto& c : levels) {
    TWSocket socket;
    EXPECT_EQ(Raised([&] { socket.SetSocksLevel(c.value); }), c.raised) << c.value;
    EXPECT_EQ(socket.SocksLevel(), c.stored) << c.value;
  }

  test::ScriptedNet net;
  TWSocket socket;
  socket.SetSocksServer(" 10.0.0.9 ");
  socket.SetSocksPort("1080");
  EXPECT_EQ(socket.SocksServer(), "10.0.0.9");
  socket.SetAddr("10.1.2.3");
  socket.SetPort("80");
  socket.Connect();
  ASSERT_EQ(socket.State(), TSocketState::wsConnecting);
  // The caller's target stays what Addr shows while the server is being reached.
  EXPECT_EQ(socket.Addr(), "10.1.2.3");
  EXPECT_EQ(socket.Port(), "80");
  socket.SetSocksServer("10.0.0.9");
  EXPECT_EQ(Raised([&] { socket.SetSocksServer("10.0.0.8"); }), "Can't change socks server if not closed");
  EXPECT_EQ(Raised([&] { socket.SetSocksPort("1081"); }), "Can't change socks port if not closed");
  EXPECT_EQ(Raised([&] { socket.SetSocksLevel("4"); }), "Can't change socks level if not closed");
  // A close resets the SOCKS settings with the rest.
  socket.Abort();
  EXPECT_EQ(socket.SocksServer(), "");
  EXPECT_EQ(socket.SocksPort(), "");
  EXPECT_EQ(socket.SocksLevel(), "5");
}

TEST(SocksSettings, OnlyStreamsAndNoListening) {
  test::ScriptedNet net;
  TWSocket socket;
  socket.SetSocksServer("10.0.0.9");
  socket.SetSocksPort("1080");
  socket.SetProto("udp");
  socket.SetAddr("10.1.2.3");
  socket.SetPort("53");
  EXPECT_EQ(Raised([&] { socket.Connect(); }), "tcp is the only protocol supported thru socks server");
  socket.SetProto("tcp");
  EXPECT_EQ(Raised([&] { socket.Listen(); }), "Listening is not supported thru socks server");
  EXPECT_EQ(net.sockets.connects(), 0);
}

TEST(SocksSettings, ServerThatCannotBeReached) {
  test::ScriptedNet net;
  net.sockets.set_connect_error(10061);
  TWSocket socket;
  std::vector<std::string> events;
  socket.OnSocksConnected = [&](TCustomWSocket&, int e) { events.push_back("server " + std::to_string(e)); };
  socket.OnSessionConnected = [&](TCustomWSocket&, int e) { events.push_back("connected " + std::to_string(e)); };
  socket.OnSessionClosed = [&](TCustomWSocket&, int) { events.push_back("closed"); };
  socket.SetSocksServer("10.0.0.9");
  socket.SetSocksPort("1080");
  socket.SetAddr("10.1.2.3");
  socket.SetPort("80");
  socket.Connect();
  net.PumpUntil([&] { return socket.State() == TSocketState::wsClosed; }, 100);
  EXPECT_EQ(events, (std::vector<std::string>{"server 10061", "connected 10061", "closed"}));
}

TEST(SocksSettings, TheTargetsFirstBytesAfterTheReplyStayForTheReader) {
  test::ScriptedNet net;
  // The grant and the target's greeting arrive in one read.
  net.sockets.QueueReply({std::string("\x05\x00", 2), std::string("\x05\x00\x00\x01\x7f\x00\x00\x01\x04\x38", 10) +
                                                        "hello"});
  TWSocket socket;
  socket.SetSocksServer("10.0.0.9");
  socket.SetSocksPort("1080");
  socket.SetAddr("10.1.2.3");
  socket.SetPort("80");
  int connected = -1;
  std::string got;
  socket.OnSessionConnected = [&](TCustomWSocket&, int e) { connected = e; };
  socket.OnDataAvailable = [&](TCustomWSocket& s, int) { got += s.ReceiveStr(); };
  socket.Connect();
  net.PumpUntil([&] { return got == "hello"; }, 100);
  EXPECT_EQ(connected, 0);
  EXPECT_EQ(got, "hello");
  // Method offer, then the connect request for 10.1.2.3:80.
  EXPECT_EQ(net.sockets.sent(), std::string("\x05\x01\x00\x05\x01\x00\x01\x0a\x01\x02\x03\x00\x50", 13));
}

}  // namespace
}  // namespace vorn
