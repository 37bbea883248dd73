#pragma once

namespace vorn::platform::sdl {

// Which keyboard the punctuation keys are read as: their codes follow the printed layout, so
// the key right of P is "[" (0xDB) on a US keyboard and "@" (0xC0) on a JIS one.
enum class KeyLayout { kUs, kJis };

// The Windows virtual-key code of an SDL scancode (the physical key, read on the given layout);
// keys Windows has no code for get kFirstHostOnlyKey + scancode.
int VirtualKeyFromScancode(int scancode, KeyLayout layout = KeyLayout::kUs);

// The same, for a scancode given by its SDL name ("A", "Keypad Enter"); -1 for an unknown name.
int VirtualKeyFromScancodeName(const char* name, KeyLayout layout = KeyLayout::kUs);

// The layout of the host's current keymap: JIS when the key right of P types "@".
KeyLayout HostKeyLayout();

}  // namespace vorn::platform::sdl
