// The script-table functions.

#include "engine/sys_func_families.h"

namespace vorn {

std::span<const TSysFuncSlot> TableFunctions() { return {}; }

}  // namespace vorn
