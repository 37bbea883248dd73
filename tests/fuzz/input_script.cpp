// headless-run's input scripts: any bytes parse into events in frame order within the last
// frame, or fail with a line that exists; never crash.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "platform/headless_input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::uint32_t kLastFrame = 50;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream in(text);
  try {
    const auto events = vorn::platform::ParseInputScript(in, kLastFrame);
    std::uint32_t previous = 1;
    for (const auto& timed : events) {
      if (timed.frame < previous || timed.frame > kLastFrame) __builtin_trap();
      previous = timed.frame;
    }
  } catch (const vorn::platform::InputScriptError& error) {
    std::size_t lines = 1;
    for (const char c : text) lines += c == '\n' ? 1 : 0;
    if (error.line() == 0 || error.line() > lines) __builtin_trap();
  }
  return 0;
}
