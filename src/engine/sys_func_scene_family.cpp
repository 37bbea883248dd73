// The scene, file, screen and system functions.

#include <vector>

#include "engine/sys_func_families.h"

namespace vorn {

std::span<const TSysFuncSlot> SceneSystemFunctions() {
  static const std::vector<TSysFuncSlot> table = [] {
    std::vector<TSysFuncSlot> slots;
    for (auto part : {ComponentFunctions(), FileScreenFunctions(), ScreenPictureFunctions()}) {
      slots.insert(slots.end(), part.begin(), part.end());
    }
    return slots;
  }();
  return table;
}

}  // namespace vorn
