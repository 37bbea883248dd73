#include "platform/headless_input_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/headless_application.h"

namespace vorn::platform {
namespace {

std::vector<TimedInputEvent> Parse(const std::string& text, std::uint32_t last_frame = 100) {
  std::istringstream in(text);
  return ParseInputScript(in, last_frame);
}

TEST(VirtualKeyByName, NamesLettersDigitsAndFunctionKeys) {
  const struct {
    const char* name;
    int code;
  } kCases[] = {{"Tab", 0x09}, {"Return", 0x0D}, {"Escape", 0x1B}, {"Space", 0x20}, {"PageUp", 0x21},
                {"PageDown", 0x22}, {"End", 0x23}, {"Home", 0x24}, {"Left", 0x25}, {"Up", 0x26},
                {"Right", 0x27}, {"Down", 0x28}, {"Shift", 0x10}, {"Control", 0x11}, {"Alt", 0x12},
                {"a", 'A'}, {"Z", 'Z'}, {"0", '0'}, {"9", '9'}, {"F1", 0x70}, {"F12", 0x7B}};
  for (const auto& c : kCases) {
    EXPECT_EQ(VirtualKeyByName(c.name), c.code) << c.name;
  }
  for (const char* unknown : {"", "F0", "F13", "F01", "tab", "AB", "Enter", "\xE3"}) {
    EXPECT_FALSE(VirtualKeyByName(unknown).has_value()) << unknown;
  }
}

TEST(ParseInputScript, EachEventBecomesTheWindowEventTheHostWouldSend) {
  const struct {
    const char* line;
    EventType type;
    int key;
    MouseButton button;
    int x;
    int y;
    int wheel;
  } kCases[] = {
      {"1 keydown A", EventType::kKeyDown, 'A', MouseButton::kLeft, 0, 0, 0},
      {"1 keyup 65", EventType::kKeyUp, 'A', MouseButton::kLeft, 0, 0, 0},
      {"1 keydown 0x7b", EventType::kKeyDown, 0x7B, MouseButton::kLeft, 0, 0, 0},
      {"1 keydown 08", EventType::kKeyDown, 0x08, MouseButton::kLeft, 0, 0, 0},
      {"1 keydown 8", EventType::kKeyDown, '8', MouseButton::kLeft, 0, 0, 0},
      {"1 move 10 20", EventType::kMouseMove, 0, MouseButton::kLeft, 10, 20, 0},
      {"1 move -5 99999", EventType::kMouseMove, 0, MouseButton::kLeft, -5, 99999, 0},
      {"1 down right 3 4", EventType::kMouseDown, 0, MouseButton::kRight, 3, 4, 0},
      {"1 up left 3 4", EventType::kMouseUp, 0, MouseButton::kLeft, 3, 4, 0},
      {"1 wheel up 7 8", EventType::kMouseWheel, 0, MouseButton::kLeft, 7, 8, 1},
      {"1 wheel down 7 8", EventType::kMouseWheel, 0, MouseButton::kLeft, 7, 8, -1},
      {"1 deactivate", EventType::kDeactivate, 0, MouseButton::kLeft, 0, 0, 0},
      {"\t1   activate  ", EventType::kActivate, 0, MouseButton::kLeft, 0, 0, 0},
  };
  for (const auto& c : kCases) {
    const std::vector<TimedInputEvent> events = Parse(std::string(c.line) + "\r\n");
    ASSERT_EQ(events.size(), 1u) << c.line;
    const Event& e = events[0].event;
    EXPECT_EQ(events[0].frame, 1u) << c.line;
    EXPECT_EQ(e.type, c.type) << c.line;
    EXPECT_EQ(e.key, c.key) << c.line;
    EXPECT_EQ(e.button, c.button) << c.line;
    EXPECT_EQ(e.x, c.x) << c.line;
    EXPECT_EQ(e.y, c.y) << c.line;
    EXPECT_EQ(e.wheel, c.wheel) << c.line;
  }
}

TEST(ParseInputScript, EventsCarryTheKeysAndButtonsHeldAndTheRepeatOfAKeyStillDown) {
  const std::vector<TimedInputEvent> events = Parse(
      "1 keydown Shift\n"
      "1 down left 5 5\n"
      "2 move 6 6\n"
      "2 keydown 0xA3\n"  // right Control
      "2 keydown A\n"
      "3 keydown A\n"
      "3 up left 6 6\n"
      "3 keyup Shift\n"
      "4 deactivate\n"
      "5 keydown A\n");
  ASSERT_EQ(events.size(), 10u);
  EXPECT_EQ(events[0].event.shift, kShiftKey);
  EXPECT_EQ(events[1].event.shift, kShiftKey | kLeftButtonHeld);
  EXPECT_EQ(events[2].event.shift, kShiftKey | kLeftButtonHeld);
  EXPECT_EQ(events[3].event.shift, kShiftKey | kCtrlKey | kLeftButtonHeld);
  EXPECT_FALSE(events[4].event.repeat);
  EXPECT_TRUE(events[5].event.repeat);
  EXPECT_EQ(events[6].event.shift, kShiftKey | kCtrlKey);
  EXPECT_EQ(events[7].event.shift, kCtrlKey);
  EXPECT_EQ(events[8].event.shift, 0u);
  EXPECT_FALSE(events[9].event.repeat) << "losing the focus let go of A";
  EXPECT_EQ(events[9].frame, 5u);
}

TEST(ParseInputScript, BadLinesFailWithTheirLineNumber) {
  const struct {
    const char* text;
    std::size_t line;
    const char* reason;
  } kCases[] = {
      {"1 jump\n", 1, "unknown event \"jump\""},
      {"# first\n\n1 keydown\n", 3, "missing arguments"},
      {"1 keyup A B\n", 1, "unexpected \"B\""},
      {"1 down middle 1 1\n", 1, "unknown button"},
      {"1 wheel sideways 1 1\n", 1, "unknown wheel direction"},
      {"1 keydown -1\n", 1, "unknown key"},
      {"1 keydown 0x100\n", 1, "unknown key"},
      {"1 move 1 2147483648\n", 1, "bad coordinate"},
      {"1 move 1 0x10\n", 1, "bad coordinate"},
      {"2 activate\n1 activate\n", 2, "must not go back"},
      {"0 activate\n", 1, "frames count from 1"},
      {"4294967296 activate\n", 1, "bad frame"},
      {"101 activate\n", 1, "after the last frame run (100)"},
      {"7\n", 1, "missing event"},
  };
  for (const auto& c : kCases) {
    try {
      Parse(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const InputScriptError& error) {
      EXPECT_EQ(error.line(), c.line) << c.text;
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
    }
  }
}

TEST(ParseInputScript, AHugeWordIsQuotedShort) {
  try {
    Parse("1 " + std::string(1 << 20, 'x') + "\n");
    FAIL();
  } catch (const InputScriptError& error) {
    EXPECT_LT(std::string(error.what()).size(), 200u);
  }
}

// Records what reaches the main window and answers "done" once frames stop.
class RecordingSink final : public EventSink {
 public:
  void HandleEvent(const Event& event) override { events.push_back(event.type); }
  bool Idle() override { return ++idles > 3; }

  std::vector<EventType> events;
  int idles = 0;
};

TEST(HeadlessInputFeeder, PostsUpToAFrameAndThenFrameByFrameWhileTheLoopWaits) {
  HeadlessApplication application;
  std::unique_ptr<Window> window = application.CreateMainWindow(Size{10, 10}, "");
  HeadlessInputFeeder feeder(application, Parse("1 keydown A\n1 keyup A\n3 deactivate\n9 activate\n9 move 1 1\n"));
  int waits_answered = 0;
  application.set_before_dispatch([&](Window&, bool waiting) {
    if (waiting) {
      if (feeder.PostNextFrame()) ++waits_answered;
    } else {
      feeder.PostUpTo(1);
    }
  });
  RecordingSink sink;
  EXPECT_THROW(application.Run(*window, sink), HeadlessStall);
  EXPECT_TRUE(feeder.done());
  EXPECT_EQ(sink.events, (std::vector<EventType>{EventType::kKeyDown, EventType::kKeyUp, EventType::kDeactivate,
                                                 EventType::kActivate, EventType::kMouseMove}));
  EXPECT_EQ(waits_answered, 2) << "frame 3 and frame 9 came one wait at a time";
}

}  // namespace
}  // namespace vorn::platform
