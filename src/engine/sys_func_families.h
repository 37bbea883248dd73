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

// The parts of the scene, file, screen and system family: components of the scene
// (sys_func_component.cpp); files, saved-game captions, display modes, web addresses and Calc
// (sys_func_files.cpp); screenshots and the wallpaper (sys_func_screen_picture.cpp).
std::span<const TSysFuncSlot> ComponentFunctions();
std::span<const TSysFuncSlot> FileScreenFunctions();
std::span<const TSysFuncSlot> ScreenPictureFunctions();

}  // namespace vorn
