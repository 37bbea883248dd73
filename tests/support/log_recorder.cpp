#include "support/log_recorder.h"

namespace vorn::test {

LogRecorder::LogRecorder()
    : listener_([this](std::string_view line) {
        std::lock_guard<std::mutex> hold(lock_);
        lines_.emplace_back(line);
      }) {
  SetLogToStderr(false);
}

LogRecorder::~LogRecorder() { SetLogToStderr(true); }

std::vector<std::string> LogRecorder::Lines() const {
  std::lock_guard<std::mutex> hold(lock_);
  return lines_;
}

bool LogRecorder::Contains(std::string_view piece) const {
  std::lock_guard<std::mutex> hold(lock_);
  for (const std::string& line : lines_) {
    if (line.find(piece) != std::string::npos) return true;
  }
  return false;
}

}  // namespace vorn::test
