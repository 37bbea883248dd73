#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "foundation/stream.h"
#include "net/euc_to_sjis.h"
#include "net/http_cli.h"

namespace vorn {
namespace {

// Run by tests/net/run_http_fixture.py, which starts the Python server and names its port.
class HttpFixtureServer : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* port = std::getenv("VORN_HTTP_FIXTURE_PORT");
    if (port == nullptr) GTEST_SKIP() << "needs tests/net/http_fixture_server.py";
    base_ = std::string("http://127.0.0.1:") + port;
  }
  std::string Fetch(const std::string& path, int* code = nullptr) {
    TMemoryStream stream;
    client_.ReceiveStream = &stream;
    client_.URL = base_ + path;
    try {
      client_.Get();
      if (code != nullptr) *code = 0;
    } catch (const EHttpException& e) {
      if (code != nullptr) *code = e.ErrorCode;
    }
    client_.ReceiveStream = nullptr;
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
  }
  std::string base_;
  THttpCli client_;
};

TEST_F(HttpFixtureServer, EucTextConvertsLikePythonsShiftJis) {
  std::string euc = Fetch("/euc.txt");
  EXPECT_EQ(client_.ResponseStatus, 200);
  EXPECT_EQ(client_.DocumentName, "euc.txt");
  std::string sjis = Fetch("/sjis.txt");
  ASSERT_FALSE(euc.empty());
  EXPECT_EQ(EucToShiftJis(euc), sjis);
}

TEST_F(HttpFixtureServer, FollowsTheServersOwnRelocation) {
  int located = 0;
  client_.OnLocationChange = [&](THttpCli&) { ++located; };
  EXPECT_EQ(Fetch("/dir"), "<p>index of dir</p>\n");
  EXPECT_EQ(located, 1);
  EXPECT_EQ(client_.ResponseStatus, 200);
  EXPECT_EQ(client_.CurrentLocation, "http://127.0.0.1/dir/");
}

TEST_F(HttpFixtureServer, MissingFileRaisesItsStatus) {
  int code = 0;
  Fetch("/missing.txt", &code);
  EXPECT_EQ(code, 404);
  EXPECT_EQ(client_.ResponseStatus, 404);
}

}  // namespace
}  // namespace vorn
