#pragma once

#include <string>
#include <string_view>

#include "foundation/errors.h"

namespace vorn {

// Errors of script values, variables and expressions. The interpreter discards this family where
// a failing command is simply retried, so only script-level faults may use it.
class EScriptError : public Exception {
 public:
  using Exception::Exception;
};

// The system's message pattern with its one "%s" replaced by arg. Done by hand rather than with
// printf so a '%' inside a variable name or literal cannot be taken for a conversion.
std::string FormatText(std::string_view pattern, std::string_view arg);

}  // namespace vorn
