// The text, number and date functions.

#include <vector>

#include "engine/sys_func_families.h"

namespace vorn {

std::span<const TSysFuncSlot> TextNumberDateFunctions() {
  static const std::vector<TSysFuncSlot> table = [] {
    std::vector<TSysFuncSlot> slots;
    for (auto part : {TextFunctions(), NumberFunctions(), DateFunctions()}) slots.insert(slots.end(), part.begin(), part.end());
    return slots;
  }();
  return table;
}

}  // namespace vorn
