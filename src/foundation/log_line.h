#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vorn {

// The player's one log channel. Each call writes one UTF-8 line to stderr behind kLogPrefix and
// hands it to every attached listener (tests, headless-run's --log file). Texts of the system are
// CP932: convert them at the call (platform::Cp932ToUtf8). Line breaks inside the text become
// spaces so that one call stays one line. Safe to call from any thread.
inline constexpr std::string_view kLogPrefix = "vornplayer: ";

void LogLine(std::string_view text);

// Whether lines also go to stderr (on by default; tests that expect lines may turn it off).
void SetLogToStderr(bool on);

using LogListener = std::function<void(std::string_view line)>;

// Attaches a listener for its lifetime. The listener gets the line without the prefix and may be
// called from any thread that logs, one call at a time.
class ScopedLogListener {
 public:
  explicit ScopedLogListener(LogListener listener);
  ~ScopedLogListener();
  ScopedLogListener(const ScopedLogListener&) = delete;
  ScopedLogListener& operator=(const ScopedLogListener&) = delete;

 private:
  int id_;
};

}  // namespace vorn
