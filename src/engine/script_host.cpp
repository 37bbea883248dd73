#include "engine/script_host.h"

#include <cstdint>
#include <cstdio>

#include "engine/engine_values.h"

namespace vorn {

namespace {
TScriptHost* current_host = nullptr;

TTraceCallback& Callback() {
  static TTraceCallback callback;
  return callback;
}
}  // namespace

TScriptHost* GetScriptHost() { return current_host; }

TScriptHost* SetScriptHost(TScriptHost* host) {
  TScriptHost* previous = current_host;
  current_host = host;
  return previous;
}

TTraceCallback SetTraceCallback(TTraceCallback callback) {
  TTraceCallback previous = std::move(Callback());
  Callback() = std::move(callback);
  return previous;
}

bool HasTraceCallback() { return static_cast<bool>(Callback()); }

void TraceWrite(const std::string& line) {
  if (!Callback()) return;
  try {
    Callback()(line.c_str());
  } catch (...) {
    // A logging tool must never stop the script.
  }
}

std::string FormatTraceLine(std::string_view prefix, std::string_view name, std::int32_t line) {
  char clock[16];
  std::snprintf(clock, sizeof clock, "%.8x", static_cast<unsigned>(static_cast<std::uint32_t>(GameClock)));
  std::string text(clock);
  text += " : ";
  text += prefix;
  text += name;
  text += '(';
  text += std::to_string(line);
  text += ')';
  return text;
}

}  // namespace vorn
