// Screenshots of a layer and the desktop wallpaper.

#include "engine/sys_func_families.h"

namespace vorn {

std::span<const TSysFuncSlot> ScreenPictureFunctions() { return {}; }

}  // namespace vorn
