#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "foundation/log_line.h"
#include "support/log_recorder.h"

namespace vorn {
namespace {

TEST(LogLine, ListenersGetOneLineEachWithBreaksFolded) {
  test::LogRecorder recorder;
  LogLine("first");
  LogLine("two\r\nparts");
  EXPECT_EQ(recorder.Lines(), (std::vector<std::string>{"first", "two  parts"}));
}

TEST(LogLine, AListenerStopsHearingWhenItGoes) {
  test::LogRecorder outer;
  {
    std::vector<std::string> inner_lines;
    ScopedLogListener inner([&](std::string_view line) { inner_lines.emplace_back(line); });
    LogLine("both");
    EXPECT_EQ(inner_lines.size(), 1u);
  }
  LogLine("outer only");
  EXPECT_EQ(outer.Lines().size(), 2u);
}

TEST(LogLine, LinesFromSeveralThreadsArriveWhole) {
  test::LogRecorder recorder;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 100; ++i) LogLine("thread " + std::to_string(t) + " line " + std::to_string(i));
    });
  }
  for (std::thread& thread : threads) thread.join();
  const std::vector<std::string> lines = recorder.Lines();
  ASSERT_EQ(lines.size(), 400u);
  for (const std::string& line : lines) EXPECT_EQ(line.rfind("thread ", 0), 0u) << line;
}

}  // namespace
}  // namespace vorn
