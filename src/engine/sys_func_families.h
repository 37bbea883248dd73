#pragma once

// The family tables, one per file: text/number/date (sys_func_text_family.cpp), array/variable
// (sys_func_array_family.cpp), script tables (sys_func_table_family.cpp) and scene, file,
// screen and system (sys_func_scene_family.cpp). A family lists only indices routed to it.

#include <span>

#include "engine/sys_func_man.h"

namespace vorn {

std::span<const TSysFuncSlot> TextNumberDateFunctions();
std::span<const TSysFuncSlot> ArrayVariableFunctions();
std::span<const TSysFuncSlot> TableFunctions();
std::span<const TSysFuncSlot> SceneSystemFunctions();

// The parts of the text/number/date family: sys_func_text.cpp, sys_func_number.cpp and
// sys_func_date.cpp.
std::span<const TSysFuncSlot> TextFunctions();
std::span<const TSysFuncSlot> NumberFunctions();
std::span<const TSysFuncSlot> DateFunctions();

}  // namespace vorn
