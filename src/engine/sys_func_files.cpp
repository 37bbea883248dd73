// Files of the project, saved-game captions, display modes, web addresses and Calc.

#include "engine/sys_func_families.h"

namespace vorn {

std::span<const TSysFuncSlot> FileScreenFunctions() { return {}; }

}  // namespace vorn
