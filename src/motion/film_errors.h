#pragma once

#include "foundation/errors.h"

namespace vorn {

// A motion file that cannot be played: bad version digits, a track type without a class, a track
// count its bytes cannot hold. The text names the file.
class EFilmError : public EReadError {
 public:
  using EReadError::EReadError;
};

}  // namespace vorn
