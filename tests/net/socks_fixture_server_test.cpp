#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "net/wsocket.h"
#include "net_test_support.h"

namespace vorn {
namespace {

// Run by tests/net/run_socks_fixture.py, which starts the Python SOCKS server and names its ports.
class SocksFixtureServer : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* ports = std::getenv("VORN_SOCKS_FIXTURE_PORTS");
    if (ports == nullptr) GTEST_SKIP() << "needs tests/net/socks_fixture_server.py";
    std::istringstream in(ports);
    in >> open_port_ >> strict_port_;
  }

  struct Request {
    std::string level = "5";
    std::string addr = "10.1.2.3";
    std::string port = "80";
    bool user = false;
    std::string password = "secret";
    bool strict = false;
  };
  struct Outcome {
    std::vector<std::string> events;
    // The hex of what the server received during the negotiation ("" when it refused).
    std::string negotiated;
    std::string echoed;
  };

  Outcome Run(const Request& request) {
    Outcome outcome;
    TWSocket socket;
    socket.SetSocksServer("127.0.0.1");
    socket.SetSocksPort(request.strict ? strict_port_ : open_port_);
    socket.SetSocksLevel(request.level);
    socket.SocksUsercode = request.user || request.level != "5" ? "user" : "";
    socket.SocksPassword = request.password;
    if (request.user) socket.SocksAuthentication = TSocksAuthentication::socksAuthenticateUsercode;
    socket.SetAddr(request.addr);
    socket.SetPort(request.port);
    auto& events = outcome.events;
    socket.OnSocksConnected = [&](TCustomWSocket&, int e) { events.push_back("server " + std::to_string(e)); };
    socket.OnSocksError = [&](TCustomWSocket&, int code, const std::string& text) {
      events.push_back("error " + std::to_string(code) + " " + text);
    };
    socket.OnSocksAuthState = [&](TCustomWSocket&, TSocksAuthState state) {
      events.push_back("auth " + std::to_string(static_cast<int>(state)));
    };
    socket.OnSessionConnected = [&](TCustomWSocket& s, int e) {
      events.push_back("connected " + std::to_string(e));
      if (e == 0) s.SendStr("ping\r\n");
    };
    bool closed = false;
    socket.OnSessionClosed = [&](TCustomWSocket&, int) {
      events.push_back("closed");
      closed = true;
    };
    std::string received;
    socket.OnDataAvailable = [&](TCustomWSocket& s, int) {
      received += s.ReceiveStr();
      if (received.find("ping\r\n") != std::string::npos) s.Close();
    };
    socket.Connect();
    EXPECT_TRUE(test::PumpUntil([&] { return closed; }, 5000));
    const std::string head = "NEGOTIATED ";
    if (received.rfind(head, 0) == 0) {
      const std::size_t end = received.find("\r\n");
      outcome.negotiated = received.substr(head.size(), end - head.size());
      outcome.echoed = received.substr(end + 2);
    }
    return outcome;
  }

  std::string open_port_, strict_port_;
};

TEST_F(SocksFixtureServer, GrantedRequestsInThePublishedLayouts) {
  const struct {
    const char* what;
    Request request;
    const char* bytes;  // hex of what the server received
    std::vector<std::string> events;
  } cases[] = {
      {"5, address",
       {},
       "050100"                   // version 5, one method: none
       "050100010a01020300" "50",  // connect, IPv4 10.1.2.3, port 80
       {"server 0", "connected 0", "closed"}},
      {"5, name",
       {.addr = "target.example", .port = "8080"},
       "050100"
       "050100030e" "7461726765742e6578616d706c65" "1f90",  // name of 14 bytes, port 8080
       {"server 0", "connected 0", "closed"}},
      {"5, user and password",
       {.user = true},
       "050102"                                  // one method: user and password
       "0104" "75736572" "06" "736563726574"     // version 1, "user", "secret"
       "050100010a0102030050",
       {"server 0", "auth 0", "auth 1", "connected 0", "closed"}},
      {"4, address",
       {.level = "4"},
       "0401" "0050" "0a010203" "7573657200",  // connect, port 80, 10.1.2.3, user id "user"
       {"server 0", "connected 0", "closed"}},
      {"4A, name",
       {.level = "4a", .addr = "target.example", .port = "8080"},
       "0401" "1f90" "00000001" "7573657200" "7461726765742e6578616d706c6500",  // 0.0.0.1, then the name
       {"server 0", "connected 0", "closed"}},
      {"5, bound address as a name", {.port = "60011"}, "050100050100010a010203ea6b",
       {"server 0", "connected 0", "closed"}},
      {"5, bound address as IPv6", {.port = "60012"}, "050100050100010a010203ea6c",
       {"server 0", "connected 0", "closed"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Outcome outcome = Run(c.request);
    EXPECT_EQ(outcome.negotiated, c.bytes);
    EXPECT_EQ(outcome.echoed, "ping\r\n");
    EXPECT_EQ(outcome.events, c.events);
  }
}

TEST_F(SocksFixtureServer, FailuresGoToTheSocksErrorEvent) {
  const struct {
    const char* what;
    Request request;
    int code;
    const char* text;
    std::vector<std::string> before;
  } cases[] = {
      {"general failure", {.port = "60001"}, 20004, "general SOCKS server failure", {}},
      {"ruleset", {.port = "60002"}, 20005, "connection not allowed by ruleset", {}},
      {"network", {.port = "60003"}, 20006, "network unreachable", {}},
      {"host", {.port = "60004"}, 20007, "host unreachable", {}},
      {"refused", {.port = "60005"}, 20008, "connection refused", {}},
      {"lifetime", {.port = "60006"}, 20009, "TTL expired", {}},
      {"command", {.port = "60007"}, 20010, "command not supported", {}},
      {"address type", {.port = "60008"}, 20011, "address type not supported", {}},
      {"unassigned", {.port = "60009"}, 20012, "unassigned error #9", {}},
      {"version", {.port = "60010"}, 20002, "socks version error", {}},
      {"unknown bound address type", {.port = "60013"}, 20011, "address type not supported", {}},
      {"closed halfway", {.port = "60014"}, 10054, "data receive error", {}},
      {"no acceptable method", {.strict = true}, 20003, "authentification method not acceptable", {}},
      {"wrong password", {.user = true, .password = "guess"}, 20015, "authentification failed", {"auth 0", "auth 2"}},
      {"4 rejected", {.level = "4", .port = "60091"}, 20016, "request rejected or failed", {}},
      {"4 ident", {.level = "4", .port = "60092"}, 20015, "socks authentication failed", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Outcome outcome = Run(c.request);
    std::vector<std::string> want = {"server 0"};
    want.insert(want.end(), c.before.begin(), c.before.end());
    want.push_back("error " + std::to_string(c.code) + " " + c.text);
    want.push_back("connected " + std::to_string(c.code));
    want.push_back("closed");
    EXPECT_EQ(outcome.events, want);
    EXPECT_EQ(outcome.negotiated, "");
  }
}

}  // namespace
}  // namespace vorn
