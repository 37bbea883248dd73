#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/message_box.h"

namespace vorn {

// What the interpreter needs of the main window: showing a message box it owns (no owner while
// the window is still being created) and closing it. The application installs one.
class TScriptHost {
 public:
  virtual ~TScriptHost() = default;
  virtual platform::MessageAnswer ShowMessage(platform::MessageBoxRequest request) = 0;
  // Closes the main window when it exists; nothing while it is being created.
  virtual void CloseMainWindow() = 0;
};

// Null when none is installed: messages then go to stderr.
TScriptHost* GetScriptHost();
TScriptHost* SetScriptHost(TScriptHost* host);

// The script trace: one line per command run, for a logging tool. None by default; the
// interpreter never fails because of it.
using TTraceCallback = std::function<void(const char* line)>;
TTraceCallback SetTraceCallback(TTraceCallback callback);
bool HasTraceCallback();
// Passes the line to the callback when there is one; anything it raises is swallowed.
void TraceWrite(const std::string& line);

// Formats "%.8x : <prefix><name>(<line>)" with the game clock.
std::string FormatTraceLine(std::string_view prefix, std::string_view name, std::int32_t line);

}  // namespace vorn
