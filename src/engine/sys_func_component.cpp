// The functions that find components of the scene by name and read or change them.

#include "engine/sys_func_families.h"

namespace vorn {

std::span<const TSysFuncSlot> ComponentFunctions() { return {}; }

}  // namespace vorn
