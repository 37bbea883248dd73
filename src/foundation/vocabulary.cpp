#include "foundation/vocabulary.h"

#include <algorithm>

namespace vorn::vocabulary {

int FindSysFuncIndex(std::string_view name) {
  // Called once per function call while compiling, so a linear scan over 143 names is enough.
  const auto it = std::find(kSysFuncNames.begin(), kSysFuncNames.end(), name);
  return it == kSysFuncNames.end() ? kNotFound : static_cast<int>(it - kSysFuncNames.begin());
}

}  // namespace vorn::vocabulary
