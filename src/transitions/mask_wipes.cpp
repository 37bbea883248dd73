#include "transitions/mask_wipes.h"

namespace vorn {

void TWipeUnclampedMask::SetParam(int number, std::int32_t value) { StoreParam(number, value); }

}  // namespace vorn
