#pragma once

namespace vorn::platform::sdl {

// The Windows virtual-key code of an SDL scancode (the physical key, read as on a US or JIS
// layout); keys Windows has no code for get kFirstHostOnlyKey + scancode.
int VirtualKeyFromScancode(int scancode);

// The same, for a scancode given by its SDL name ("A", "Keypad Enter"); -1 for an unknown name.
int VirtualKeyFromScancodeName(const char* name);

}  // namespace vorn::platform::sdl
