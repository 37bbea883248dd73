// The scene, file, screen and system functions.

#include "engine/sys_func_families.h"

namespace vorn {

std::span<const TSysFuncSlot> SceneSystemFunctions() { return {}; }

}  // namespace vorn
