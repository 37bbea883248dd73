#include "transitions/moving_wipes.h"

#include <algorithm>

namespace vorn {

void TWipeCrack::SetParam(int number, std::int32_t value) {
  if (number == 0)
    StoreParam(0, value <= 16 ? 16 : value);
  else
    StoreParam(number, std::max(value, 0));
}

}  // namespace vorn
