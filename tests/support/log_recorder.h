#pragma once

#include <mutex>
#include <string_view>
#include <string>
#include <vector>

#include "foundation/log_line.h"

namespace vorn::test {

// Collects the log channel's lines while it lives; stderr stays quiet meanwhile.
class LogRecorder {
 public:
  LogRecorder();
  ~LogRecorder();
  std::vector<std::string> Lines() const;
  // Whether some line contains the given piece.
  bool Contains(std::string_view piece) const;

 private:
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
  ScopedLogListener listener_;
};

}  // namespace vorn::test
