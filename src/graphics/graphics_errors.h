#pragma once

#include <string>

#include "foundation/errors.h"

namespace vorn {

// Picture bytes that do not form a picture this system reads.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// An operation a picture cannot perform in its present form (depth, format, index).
class EInvalidGraphicOperation : public Exception {
 public:
  using Exception::Exception;
};

// A picture's memory could not be made.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

// Fills the first %d or %s of a system text (CP932; ASCII-safe substitution).
std::string FormatSystemText(std::string_view format, const std::string& argument);
std::string FormatSystemText(std::string_view format, long long argument);

}  // namespace vorn
