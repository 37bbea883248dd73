#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/wsocket.h"
#include "support/scripted_net.h"

namespace vorn {
namespace {

// Connects a socket in line mode to a scripted peer that sends `pieces` and closes; answers the
// lines the reader got, in order.
struct LineRun {
  std::string line_end = "\r\n";
  bool edit = false;
  bool echo = false;
  bool reader = true;
  std::vector<long> pending_counts;

  std::vector<std::string> Run(const std::vector<std::string>& pieces, std::string* echoed = nullptr) {
    test::ScriptedNet net;
    net.sockets.QueueReply(pieces);
    TWSocket socket;
    socket.SetLineMode(true);
    socket.LineEnd = line_end;
    socket.LineEdit = edit;
    socket.LineEcho = echo;
    std::vector<std::string> lines;
    if (reader) {
      socket.OnDataAvailable = [&](TCustomWSocket& s, int) {
        pending_counts.push_back(s.RcvdCount());
        lines.push_back(s.ReceiveStr());
      };
    }
    bool closed = false;
    socket.OnSessionClosed = [&](TCustomWSocket&, int) { closed = true; };
    socket.SetAddr("10.0.0.1");
    socket.SetPort("23");
    socket.Connect();
    EXPECT_TRUE(net.PumpUntil([&] { return closed; }, 1000));
    if (echoed != nullptr) *echoed = net.sockets.sent();
    return lines;
  }
};

TEST(LineMode, LinesAtEverySplitOfTheInput) {
  const struct {
    const char* what;
    std::string line_end;
    bool edit;
    std::string input;
    std::vector<std::string> lines;
  } cases[] = {
      {"CR LF lines and a rest at the close", "\r\n", false, "a\r\nbb\r\n\r\nccc", {"a\r\n", "bb\r\n", "\r\n", "ccc"}},
      {"a lone CR is no line end", "\r\n", false, "a\rb\r\n", {"a\rb\r\n"}},
      {"LF as the line end", "\n", false, "x\ny\n", {"x\n", "y\n"}},
      {"a longer line end", "END", false, "1END22ENEND", {"1END", "22ENEND"}},
      {"nothing but line ends", "\r\n", false, "\r\n\r\n", {"\r\n", "\r\n"}},
      {"backspace and tab edited", "\r\n", true, "ab\bc\td\r\n\bx\r\n", {"ac      d\r\n", "x\r\n"}},
      {"a tab at a tab stop gives eight", "\r\n", true, "12345678\t|\r\n", {"12345678        |\r\n"}},
  };
  for (const auto& c : cases) {
    for (std::size_t split = 0; split < c.input.size(); ++split) {
      SCOPED_TRACE(std::string(c.what) + ", split at " + std::to_string(split));
      LineRun run;
      run.line_end = c.line_end;
      run.edit = c.edit;
      std::vector<std::string> pieces = {c.input};
      if (split > 0) pieces = {c.input.substr(0, split), c.input.substr(split)};
      EXPECT_EQ(run.Run(pieces), c.lines);
    }
  }
}

TEST(LineMode, PendingLineLengthAndSmallReads) {
  LineRun run;
  EXPECT_EQ(run.Run({"one\r\nthree\r\n"}), (std::vector<std::string>{"one\r\n", "three\r\n"}));
  EXPECT_EQ(run.pending_counts, (std::vector<long>{5, 7}));

  // A reader taking two bytes at a time is called until the line is gone.
  test::ScriptedNet net;
  net.sockets.QueueReply({"abcde\r\nz"});
  TWSocket socket;
  socket.SetLineMode(true);
  std::vector<std::string> reads;
  socket.OnDataAvailable = [&](TCustomWSocket& s, int) {
    char buffer[2];
    int n = s.Receive(buffer, sizeof buffer);
    reads.emplace_back(buffer, static_cast<std::size_t>(std::max(n, 0)));
  };
  socket.SetAddr("10.0.0.1");
  socket.SetPort("23");
  socket.Connect();
  net.PumpUntil([&] { return socket.State() == TSocketState::wsClosed && !reads.empty(); }, 1000);
  EXPECT_EQ(reads, (std::vector<std::string>{"ab", "cd", "e\r", "\n", "z"}));
}

TEST(LineMode, WithoutAReaderLinesAreDropped) {
  LineRun run;
  run.reader = false;
  EXPECT_TRUE(run.Run({"a\r\nb\r\n", "rest"}).empty());
}

TEST(LineMode, EchoSendsWhatCameBack) {
  LineRun run;
  run.echo = true;
  run.edit = true;
  std::string echoed;
  EXPECT_EQ(run.Run({"ab\bc\r\n"}, &echoed), (std::vector<std::string>{"ac\r\n"}));
  EXPECT_EQ(echoed, "ab\bc\r\n");
}

TEST(LineMode, LimitReportsHeldBytesAndClearsUnlessKept) {
  for (bool keep : {false, true}) {
    SCOPED_TRACE(keep ? "kept" : "cleared");
    test::ScriptedNet net;
    net.sockets.QueueReply({"abcdef", "gh\r\nxy\r\n"});
    TWSocket socket;
    socket.SetLineMode(true);
    socket.LineLimit = 4;
    std::vector<long> reported;
    socket.OnLineLimitExceeded = [&](TCustomWSocket&, long count, bool& clear) {
      reported.push_back(count);
      if (keep) clear = false;
    };
    std::vector<std::string> lines;
    socket.OnDataAvailable = [&](TCustomWSocket& s, int) { lines.push_back(s.ReceiveStr()); };
    socket.SetAddr("10.0.0.1");
    socket.SetPort("23");
    socket.Connect();
    net.PumpUntil([&] { return socket.State() == TSocketState::wsClosed && !lines.empty(); }, 1000);
    EXPECT_EQ(reported, std::vector<long>{6});
    if (keep) {
      EXPECT_EQ(lines, (std::vector<std::string>{"abcdefgh\r\n", "xy\r\n"}));
    } else {
      EXPECT_EQ(lines, (std::vector<std::string>{"gh\r\n", "xy\r\n"}));
    }
  }
}

TEST(LineMode, SwitchingOffWithHeldDataHandsItOverInATask) {
  test::ScriptedNet net;
  // The peer stays open, so nothing hands the bytes over at a close.
  net.sockets.QueueReply({"partial"}, false);
  TWSocket socket;
  socket.SetLineMode(true);
  std::vector<std::string> got;
  bool take = false;
  socket.OnDataAvailable = [&](TCustomWSocket& s, int) {
    if (take) got.push_back(s.ReceiveStr());
  };
  socket.OnSessionClosed = [](TCustomWSocket&, int) {};
  socket.SetAddr("10.0.0.1");
  socket.SetPort("23");
  socket.Connect();
  // Read through the socket's own notifications until the bytes are held.
  ASSERT_TRUE(net.PumpUntil([&] { return socket.HeldCount() == 7; }, 1000));
  take = true;
  socket.SetLineMode(false);
  EXPECT_TRUE(got.empty()) << "handed over by a task, not inside the setter";
  net.PumpUntil([&] { return !got.empty(); }, 100);
  EXPECT_EQ(got, std::vector<std::string>{"partial"});
}

}  // namespace
}  // namespace vorn
