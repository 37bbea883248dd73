#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"

namespace vorn::platform {

class HeadlessApplication;

// A key by name, as test scripts spell it: Tab, Return, Escape, Space, PageUp, PageDown, End,
// Home, Left, Up, Right, Down, Shift, Control, Alt, F1-F12, a letter (either case) or a digit.
std::optional<int> VirtualKeyByName(std::string_view name);

// A window event and the frame before which it arrives (frames count from 1).
struct TimedInputEvent {
  std::uint32_t frame = 0;
  Event event;
};

// A line of an input script that cannot be delivered; line counts from 1.
class InputScriptError : public std::runtime_error {
 public:
  InputScriptError(std::size_t line, const std::string& reason);
  std::size_t line() const { return line_; }

 private:
  std::size_t line_;
};

// Reads an input script: one event a line, "<frame> <event> <args>", frames in rising order and
// at most last_frame. Events: keydown KEY, keyup KEY, move X Y, down left|right X Y,
// up left|right X Y, wheel up|down X Y, deactivate, activate. KEY is a name (VirtualKeyByName)
// or a code (decimal, or hex with 0x; a lone digit is the digit key, so write 08 or 0x08 for
// code 8). Coordinates are client pixels, kept as given even outside the window. Blank lines and
// lines starting with # are skipped.
// The events carry what the host would add: the shift state of the keys and buttons held after
// the event, and the repeat flag of a key pressed again while down. Losing the focus lets go of
// the keys and buttons held.
std::vector<TimedInputEvent> ParseInputScript(std::istream& in, std::uint32_t last_frame);

// Hands scripted events to a headless application frame by frame, in script order.
class HeadlessInputFeeder {
 public:
  HeadlessInputFeeder(HeadlessApplication& application, std::vector<TimedInputEvent> events);

  // Posts every event whose frame is at most the given one.
  void PostUpTo(std::uint32_t frame);
  // Posts the events of the earliest frame still to come, whatever frame the player is at (a
  // player that runs no frames, such as an inactive one, still gets its input in order); false
  // when none are left.
  bool PostNextFrame();
  bool done() const { return next_ == events_.size(); }

 private:
  HeadlessApplication& application_;
  std::vector<TimedInputEvent> events_;
  std::size_t next_ = 0;
};

}  // namespace vorn::platform
