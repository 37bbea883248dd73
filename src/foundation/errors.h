#pragma once

#include <stdexcept>
#include <string>

namespace vorn {

// Base of every error the system raises. what() is the system's own message text (CP932 where it
// is Japanese), so a message box or the log can show it as it stands.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Stored bytes end early or break their format.
class EReadError : public Exception {
 public:
  using Exception::Exception;
};

// A stream refused bytes.
class EWriteError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace vorn
