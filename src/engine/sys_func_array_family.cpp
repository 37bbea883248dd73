// The array and variable functions.

#include "engine/sys_func_families.h"

namespace vorn {

std::span<const TSysFuncSlot> ArrayVariableFunctions() { return {}; }

}  // namespace vorn
