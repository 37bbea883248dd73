#include "foundation/log_line.h"

#include <cstdio>
#include <mutex>
#include <utility>
#include <vector>

namespace vorn {
namespace {

struct LogChannel {
  std::mutex lock;
  bool to_stderr = true;
  int next_id = 0;
  std::vector<std::pair<int, LogListener>> listeners;
};

LogChannel& Channel() {
  static LogChannel channel;
  return channel;
}

}  // namespace

void LogLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  LogChannel& channel = Channel();
  std::lock_guard<std::mutex> hold(channel.lock);
  if (channel.to_stderr) {
    std::string out;
    out.reserve(kLogPrefix.size() + line.size() + 1);
    out.append(kLogPrefix).append(line).push_back('\n');
    std::fwrite(out.data(), 1, out.size(), stderr);
  }
  for (const auto& [id, listener] : channel.listeners) listener(line);
}

void SetLogToStderr(bool on) {
  LogChannel& channel = Channel();
  std::lock_guard<std::mutex> hold(channel.lock);
  channel.to_stderr = on;
}

ScopedLogListener::ScopedLogListener(LogListener listener) {
  LogChannel& channel = Channel();
  std::lock_guard<std::mutex> hold(channel.lock);
  id_ = channel.next_id++;
  channel.listeners.emplace_back(id_, std::move(listener));
}

ScopedLogListener::~ScopedLogListener() {
  LogChannel& channel = Channel();
  std::lock_guard<std::mutex> hold(channel.lock);
  std::erase_if(channel.listeners, [this](const auto& entry) { return entry.first == id_; });
}

}  // namespace vorn
