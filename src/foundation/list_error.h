#pragma once

#include <string>

#include "foundation/errors.h"

namespace vorn {

// An index outside a list.
class EListError : public Exception {
 public:
  using Exception::Exception;
};

[[noreturn]] inline void ThrowListIndexError(long long index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace vorn
