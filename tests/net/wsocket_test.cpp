#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/scoped_seam.h"
#include "net/net_pump.h"
#include "net/wsocket.h"
#include "net/wsocket_errors.h"
#include "net_test_support.h"

namespace vorn {
namespace {

using test::PumpUntil;

TEST(SocketFreeFunctions, IsDottedAddressFollowsItsRules) {
  const struct {
    const char* text;
    bool dotted;
  } cases[] = {
      {"127.0.0.1", true},   {"  10.1.2.3  ", true}, {"255.255.255.255", true}, {".1.2.3", false},
      {"1.2.3", false},      {"1.2.3.4.5", false},   {"1.2.3.256", false},      {"1.2.3.", false},
      {"1..2.3", false},     {"1.2.3.4x", false},    {"", false},               {"a.b.c.d", false},
      {"1.2.3. 4", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsDottedAddress(c.text), c.dotted) << c.text;
}

TEST(SocketFreeFunctions, ResolveHostChecksLengthAndDottedForms) {
  EXPECT_EQ(WSocketResolveHost("127.0.0.1"), 0x7F000001u);
  EXPECT_EQ(WSocketResolveHost("255.255.255.255"), 0xFFFFFFFFu);
  EXPECT_EQ(WSocketResolveHost("localhost"), 0x7F000001u);
  std::string long_name(257, 'a');
  try {
    WSocketResolveHost(long_name);
    FAIL();
  } catch (const ESocketException& e) {
    EXPECT_EQ(std::string(e.what()), "WSocketResolveHost: '" + long_name + "' Invalid Hostname.");
  }
  // 256 characters reach the resolver, which fails with its own text.
  try {
    WSocketResolveHost(std::string(256, 'a'));
    FAIL();
  } catch (const ESocketException& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot convert host address"), std::string::npos) << e.what();
  }
  EXPECT_THROW(WSocketResolveHost(""), ESocketException);
}

TEST(SocketFreeFunctions, ResolvePortAndProto) {
  EXPECT_EQ(WSocketResolvePort("8080", "tcp"), 8080);
  EXPECT_EQ(WSocketResolvePort("80abc", "tcp"), 80);
  EXPECT_EQ(WSocketResolvePort("http", "tcp"), 80);
  EXPECT_EQ(WSocketResolveProto("tcp"), 6);
  EXPECT_EQ(WSocketResolveProto("udp"), 17);
  EXPECT_EQ(WSocketResolveProto("17"), 17);
  const struct {
    std::string port, proto, message;
  } failures[] = {
      {"", "tcp", "WSocketResolvePort: Invalid Port."},
      {std::string(32, '1'), "tcp", "WSocketResolvePort: Invalid Port."},
      {"80", "", "WSocketResolvePort: Invalid Proto."},
      {"nosuchservice", "tcp", "WSocketResolvePort: Cannot convert port 'nosuchservice', Error #11001"},
  };
  for (const auto& f : failures) {
    try {
      WSocketResolvePort(f.port, f.proto);
      ADD_FAILURE() << f.port;
    } catch (const ESocketException& e) {
      EXPECT_EQ(std::string(e.what()), f.message);
    }
  }
  try {
    WSocketResolveProto("");
    FAIL();
  } catch (const ESocketException& e) {
    EXPECT_EQ(std::string(e.what()), "WSocketResolveProto: Invalid Protocol.");
  }
  try {
    WSocketResolveProto("nosuchproto");
    FAIL();
  } catch (const ESocketException& e) {
    EXPECT_EQ(std::string(e.what()), "WSocketResolveProto: Cannot convert protocol 'nosuchproto', Error #11001");
  }
}

TEST(SocketFreeFunctions, ErrorTextTable) {
  EXPECT_EQ(SocketErrorText(0), "No Error");
  EXPECT_EQ(SocketErrorText(10061), "Connection refused");
  EXPECT_EQ(SocketErrorText(10057), "Socket is not connected");
  EXPECT_EQ(SocketErrorText(11004), "No Data");
  EXPECT_EQ(SocketErrorText(10047), "Address family not supported by protocol family");
  EXPECT_EQ(SocketErrorText(1), "Not a WinSock error");
  EXPECT_EQ(SocketErrorText(10010), "Not a WinSock error");
}

TEST(TBuffer, WritePeekRemoveResize) {
  TBuffer buffer(4);
  EXPECT_EQ(buffer.Write("abcdef", 6), 4);
  int length = 0;
  EXPECT_EQ(std::string(buffer.Peek(length), 4), "abcd");
  buffer.Remove(1);
  const char* unread = buffer.Peek(length);
  EXPECT_EQ(std::string(unread, static_cast<std::size_t>(length)), "bcd");
  EXPECT_EQ(buffer.Write("x", 1), 0);  // full until emptied
  buffer.Remove(10);
  EXPECT_EQ(buffer.Unread(), 0);
  EXPECT_EQ(buffer.Write("xy", 2), 2);  // an emptied block starts again at its beginning
  buffer.SetBufSize(1);
  EXPECT_EQ(buffer.BufSize(), 2);  // never below what it holds
  EXPECT_EQ(TBuffer(0).BufSize(), 1514);
  EXPECT_EQ(TBuffer(-5).BufSize(), 1514);
}

TEST(TWSocket, SettersTrimAndRefuseChangesOutsideClosed) {
  TWSocket socket;
  socket.SetAddr("  127.0.0.1 ");
  EXPECT_EQ(socket.Addr(), "127.0.0.1");
  socket.SetLocalAddr("127.1");
  EXPECT_EQ(socket.LocalAddr(), "127.0.0.1");
  socket.SetLocalAddr("");
  EXPECT_EQ(socket.LocalAddr(), "0.0.0.0");
  try {
    socket.SetLocalAddr("nonsense");
    FAIL();
  } catch (const ESocketException& e) {
    EXPECT_STREQ(e.what(), "SetLocalAddr(): Invalid IP address");
  }
  EXPECT_EQ(socket.Proto(), "tcp");
  EXPECT_THROW(socket.SetSendFlags(2), ESocketException);
  socket.SetSendFlags(1);
  EXPECT_EQ(socket.SendFlags(), 1);
  socket.StoreSendFlagsForTest(7);
  try {
    (void)socket.SendFlags();
    FAIL();
  } catch (const ESocketException& e) {
    EXPECT_STREQ(e.what(), "Invalid internal SendFlags");
  }
}

TEST(TWSocket, SendWhenNotConnectedReportsThroughTheErrorSteps) {
  TWSocket socket;
  EXPECT_THROW(socket.SendStr("x"), ESocketException);
  int errors = 0;
  socket.OnError = [&](TCustomWSocket&) { ++errors; };
  EXPECT_EQ(socket.SendStr("x"), -1);
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(socket.LastError(), 10057);
  socket.OnError = nullptr;
  try {
    socket.SendStr("x");
  } catch (const ESocketException& e) {
    EXPECT_EQ(std::string(e.what()), "Error 10057 in function Send\r\nSocket is not connected");
  }
  EXPECT_EQ(socket.SendStr(""), 0);
  EXPECT_EQ(socket.PeerAddr(), "error");
  EXPECT_EQ(socket.GetXPort(), "error");
}

TEST(TWSocket, ConnectRefusalsInOrder) {
  TWSocket socket;
  const char* expected[] = {"Connect: No Port Specified", "Connect: No IP Address Specified",
                            "Connect: No Protocol Specified"};
  for (int step = 0; step < 3; ++step) {
    if (step >= 1) socket.SetPort("80");
    if (step >= 2) {
      socket.SetAddr("127.0.0.1");
      socket.SetProto("");
    }
    try {
      socket.Connect();
      ADD_FAILURE() << step;
    } catch (const ESocketException& e) {
      EXPECT_STREQ(e.what(), expected[step]);
    }
  }
  socket.SetProto("tcp");
  socket.SetAddr("bad..address");
  try {
    socket.Connect();
    FAIL();
  } catch (const ESocketException& e) {
    EXPECT_EQ(std::string(e.what()).rfind("connect: WSocketResolveHost", 0), 0u) << e.what();
  }
}

TEST(TWSocket, DnsLookupOfDottedAndEmptyNames) {
  TWSocket socket;
  std::vector<int> done;
  socket.OnDnsLookupDone = [&](TCustomWSocket&, int error) { done.push_back(error); };
  socket.DnsLookup("127.0.0.1");
  ASSERT_EQ(done, std::vector<int>{0});  // before returning
  EXPECT_EQ(socket.DnsResult(), "127.0.0.1");
  EXPECT_TRUE(socket.DnsResultList().empty());
  EXPECT_THROW(socket.DnsLookup(""), ESocketException);
  EXPECT_EQ(done.size(), 1u);
  socket.OnError = [](TCustomWSocket&) {};
  socket.DnsLookup("");
  EXPECT_EQ(done.back(), 10022);
  socket.ReverseDnsLookup(std::string(257, '1'));
  EXPECT_EQ(done.back(), 10022);
}

// The headless resolver answers from its table through the task queue.
class FakeResolverTest : public ::testing::Test {
 protected:
  FakeResolverTest() : resolver_(tasks_) {
    services_ = Net();
    services_.resolver = &resolver_;
    services_.tasks = &tasks_;
    seam_.Install(&services_);
  }
  platform::MainThreadTasks tasks_;
  platform::TableResolver resolver_;
  NetServices services_;
  ScopedSeam<NetServices> seam_{ExchangeNetServices};
};

TEST_F(FakeResolverTest, LookupFillsTheListInTheResolversOrder) {
  resolver_.AddHost("two.example", {0x0A000002, 0x0A000001});
  TWSocket socket;
  std::vector<int> done;
  socket.OnDnsLookupDone = [&](TCustomWSocket&, int error) { done.push_back(error); };
  socket.DnsLookup("two.example");
  EXPECT_TRUE(done.empty());
  ASSERT_TRUE(PumpUntil([&] { return !done.empty(); }));
  EXPECT_EQ(done[0], 0);
  EXPECT_EQ(socket.DnsResult(), "10.0.0.2");
  EXPECT_EQ(socket.DnsResultList(), (std::vector<std::string>{"10.0.0.2", "10.0.0.1"}));
  socket.DnsLookup("unknown.example");
  ASSERT_TRUE(PumpUntil([&] { return done.size() == 2; }));
  EXPECT_EQ(done[1], 11001);
}

TEST_F(FakeResolverTest, CancelReportsAndDropsTheLateAnswer) {
  resolver_.AddHost("a.example", {0x0A000001});
  TWSocket socket;
  std::vector<int> done;
  socket.OnDnsLookupDone = [&](TCustomWSocket&, int error) { done.push_back(error); };
  socket.DnsLookup("a.example");
  socket.CancelDnsLookup();
  EXPECT_EQ(done, std::vector<int>{10004});
  test::PumpFor(20);
  EXPECT_EQ(done, std::vector<int>{10004});
  EXPECT_EQ(socket.DnsResult(), "");
}

TEST_F(FakeResolverTest, ResolverThatCannotStartReportsFormattedError) {
  resolver_.set_start_failure(10055);
  TWSocket socket;
  try {
    socket.DnsLookup("a.example");
    FAIL();
  } catch (const ESocketException& e) {
    EXPECT_STREQ(e.what(), "a.example: can't start DNS lookup, error #10055");
  }
}

TEST_F(FakeResolverTest, ReverseLookupGivesTheName) {
  resolver_.AddReverse(0x7F000001, "localhost");
  TWSocket socket;
  int done = -1;
  socket.OnDnsLookupDone = [&](TCustomWSocket&, int error) { done = error; };
  socket.ReverseDnsLookup("127.0.0.1");
  ASSERT_TRUE(PumpUntil([&] { return done >= 0; }));
  EXPECT_EQ(done, 0);
  EXPECT_EQ(socket.DnsResult(), "localhost");
  EXPECT_EQ(socket.DnsResultList(), std::vector<std::string>{"localhost"});
}

// A listening socket on 127.0.0.1 with an ephemeral port.
std::unique_ptr<TWSocket> MakeListener() {
  auto server = std::make_unique<TWSocket>();
  server->SetAddr("127.0.0.1");
  server->SetPort("0");
  server->Listen();
  EXPECT_EQ(server->State(), TSocketState::wsListening);
  return server;
}

TEST(TWSocketLoopback, RefusedConnectGivesOneConnectedThenOneClosed) {
  std::string port;
  {
    auto probe = MakeListener();
    port = probe->GetXPort();
  }  // closed again: nothing listens there now
  TWSocket socket;
  std::vector<std::string> events;
  socket.OnSessionConnected = [&](TCustomWSocket&, int error) { events.push_back("connected " + std::to_string(error)); };
  socket.OnSessionClosed = [&](TCustomWSocket&, int error) { events.push_back("closed " + std::to_string(error)); };
  socket.SetAddr("127.0.0.1");
  socket.SetPort(port);
  socket.Connect();
  EXPECT_EQ(socket.State(), TSocketState::wsConnecting);
  ASSERT_TRUE(PumpUntil([&] { return socket.State() == TSocketState::wsClosed; }));
  test::PumpFor(20);
  EXPECT_EQ(events, (std::vector<std::string>{"connected 10061", "closed 0"}));
}

TEST(TWSocketLoopback, AcceptAndDupExchangeBothWays) {
  auto listener = MakeListener();
  // Declared before the sockets: the client's close reports into it while the client goes.
  std::vector<std::pair<TSocketState, TSocketState>> changes;
  TWSocket served;
  TWSocket client;
  listener->OnSessionAvailable = [&](TCustomWSocket& self, int) { served.Dup(self.Accept()); };
  std::string client_got, served_got;
  int client_closed = 0;
  client.OnDataAvailable = [&](TCustomWSocket& s, int) { client_got += s.ReceiveStr(); };
  served.OnDataAvailable = [&](TCustomWSocket& s, int) { served_got += s.ReceiveStr(); };
  client.OnSessionClosed = [&](TCustomWSocket&, int) { ++client_closed; };
  client.OnChangeState = [&](TCustomWSocket&, TSocketState a, TSocketState b) { changes.push_back({a, b}); };
  int sent_events = 0;
  client.OnDataSent = [&](TCustomWSocket&, int) { ++sent_events; };
  client.SetAddr("127.0.0.1");
  client.SetPort(listener->GetXPort());
  client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return client.State() == TSocketState::wsConnected &&
                                     served.State() == TSocketState::wsConnected; }));
  EXPECT_EQ(client.PeerPort(), listener->GetXPort());
  EXPECT_EQ(client.PeerAddr(), "127.0.0.1");
  std::string big(100000, 'q');
  big[0] = 'Q';
  EXPECT_EQ(client.SendStr(big), 100000);
  served.SendStr("pong");
  ASSERT_TRUE(PumpUntil([&] { return served_got.size() == big.size() && client_got == "pong"; }));
  EXPECT_EQ(served_got, big);
  EXPECT_GE(sent_events, 1);
  served.Close();
  ASSERT_TRUE(PumpUntil([&] { return client.State() == TSocketState::wsClosed; }));
  test::PumpFor(10);
  EXPECT_EQ(client_closed, 1);
  ASSERT_GE(changes.size(), 3u);
  EXPECT_EQ(changes[0].second, TSocketState::wsOpened);
  EXPECT_EQ(changes[1].second, TSocketState::wsConnecting);
  EXPECT_EQ(changes[2].second, TSocketState::wsConnected);
  EXPECT_EQ(changes.back().second, TSocketState::wsClosed);
  // After the close the reset values are back and the socket connects again.
  EXPECT_EQ(client.Addr(), "");
  EXPECT_EQ(client.LocalPort(), "0");
  client.SetAddr("127.0.0.1");
  client.SetPort(listener->GetXPort());
  client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return client.State() == TSocketState::wsConnected; }));
}

TEST(TWSocketLoopback, PortCannotChangeWhileConnectedUnlessUnchanged) {
  auto listener = MakeListener();
  TWSocket served;
  listener->OnSessionAvailable = [&](TCustomWSocket& self, int) { served.Dup(self.Accept()); };
  TWSocket client;
  client.SetAddr("127.0.0.1");
  client.SetPort(listener->GetXPort());
  client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return client.State() == TSocketState::wsConnected; }));
  EXPECT_NO_THROW(client.SetPort(listener->GetXPort()));
  try {
    client.SetPort("1");
    FAIL();
  } catch (const ESocketException& e) {
    EXPECT_STREQ(e.what(), "Cannot change Port if not closed");
  }
  try {
    client.Connect();
    FAIL();
  } catch (const ESocketException& e) {
    EXPECT_STREQ(e.what(), "Connect: Socket already in use");
  }
}

TEST(TWSocketLoopback, ExceptionsInsideNotifications) {
  auto listener = MakeListener();
  TWSocket served;
  listener->OnSessionAvailable = [&](TCustomWSocket& self, int) { served.Dup(self.Accept()); };
  // A throwing data handler only ends its receive loop.
  TWSocket reader;
  int reads = 0;
  reader.OnDataAvailable = [&](TCustomWSocket& s, int) {
    ++reads;
    s.ReceiveStr();
    throw std::runtime_error("reader fails");
  };
  reader.SetAddr("127.0.0.1");
  reader.SetPort(listener->GetXPort());
  reader.Connect();
  ASSERT_TRUE(PumpUntil([&] { return served.State() == TSocketState::wsConnected; }));
  served.SendStr("data");
  ASSERT_TRUE(PumpUntil([&] { return reads > 0; }));
  EXPECT_EQ(reader.State(), TSocketState::wsConnected);

  // Any other handler's exception reaches the background step, which aborts by default.
  TWSocket thrower;
  std::string seen;
  thrower.OnSessionConnected = [](TCustomWSocket&, int) { throw std::runtime_error("connected fails"); };
  thrower.OnBgException = [&](TCustomWSocket&, const std::exception& e, bool&) { seen = e.what(); };
  thrower.SetAddr("127.0.0.1");
  thrower.SetPort(listener->GetXPort());
  thrower.Connect();
  ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
  EXPECT_EQ(seen, "connected fails");
  EXPECT_EQ(thrower.State(), TSocketState::wsClosed);

  // The diagnostic task, with may-close cleared, leaves the socket as it was.
  std::string diagnostic;
  reader.OnBgException = [&](TCustomWSocket&, const std::exception& e, bool& can_close) {
    diagnostic = e.what();
    can_close = false;
  };
  reader.PostTestException();
  ASSERT_TRUE(PumpUntil([&] { return !diagnostic.empty(); }));
  EXPECT_EQ(diagnostic, "Test exception in WSocket");
  EXPECT_EQ(reader.State(), TSocketState::wsConnected);
}

TEST(TWSocketLoopback, CloseDelayedAndReleaseRunAsTasks) {
  auto listener = MakeListener();
  TWSocket served;
  listener->OnSessionAvailable = [&](TCustomWSocket& self, int) { served.Dup(self.Accept()); };
  std::unique_ptr<TWSocket> owned;
  owned = std::make_unique<TWSocket>([&](TCustomWSocket*) { owned.reset(); });
  owned->SetAddr("127.0.0.1");
  owned->SetPort(listener->GetXPort());
  owned->Connect();
  ASSERT_TRUE(PumpUntil([&] { return owned->State() == TSocketState::wsConnected; }));
  owned->CloseDelayed();
  EXPECT_EQ(owned->State(), TSocketState::wsConnected);
  ASSERT_TRUE(PumpUntil([&] { return owned->State() == TSocketState::wsClosed; }));
  owned->Release();
  ASSERT_TRUE(PumpUntil([&] { return owned == nullptr; }));
}

TEST(TWSocketLoopback, DatagramsExchangeOnLoopback) {
  TWSocket receiver;
  receiver.SetProto("udp");
  receiver.SetAddr("127.0.0.1");
  receiver.SetPort("0");
  receiver.Listen();
  EXPECT_EQ(receiver.State(), TSocketState::wsConnected);
  std::string got;
  receiver.OnDataAvailable = [&](TCustomWSocket& s, int) {
    char buffer[100];
    int n = s.Receive(buffer, sizeof buffer);
    if (n > 0) got.assign(buffer, static_cast<std::size_t>(n));
  };
  TWSocket sender;
  int connected = -1;
  sender.OnSessionConnected = [&](TCustomWSocket&, int error) { connected = error; };
  sender.SetProto("udp");
  sender.SetAddr("127.0.0.1");
  sender.SetPort(receiver.GetXPort());
  sender.Connect();
  EXPECT_EQ(connected, 0);
  EXPECT_EQ(sender.State(), TSocketState::wsConnected);
  sender.SendStr("datagram");
  ASSERT_TRUE(PumpUntil([&] { return !got.empty(); }));
  EXPECT_EQ(got, "datagram");
}

TEST(NetPump, PassWithoutLiveSocketsHandlesNothing) {
  NetPump& pump = NetPump::Instance();
  test::PumpFor(5);
  EXPECT_FALSE(pump.ProcessMessages());
  EXPECT_FALSE(pump.Live());
}

}  // namespace
}  // namespace vorn
