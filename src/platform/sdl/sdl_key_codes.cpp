#include "platform/sdl/sdl_key_codes.h"

#include <SDL.h>

#include "platform/key_codes.h"

namespace vorn::platform::sdl {

namespace {

// The punctuation keys whose printed meaning, and so whose Windows code, differs on a JIS
// keyboard; 0 for every other key.
int JisVirtualKey(SDL_Scancode code) {
  switch (code) {
    case SDL_SCANCODE_GRAVE: return kVkOemAuto;         // half-width/full-width
    case SDL_SCANCODE_EQUALS: return kVkOem7;           // ^~
    case SDL_SCANCODE_LEFTBRACKET: return kVkOem3;      // @`
    case SDL_SCANCODE_RIGHTBRACKET: return kVkOem4;     // [{
    case SDL_SCANCODE_BACKSLASH: return kVkOem6;        // ]} beside Enter
    case SDL_SCANCODE_SEMICOLON: return kVkOemPlus;     // ;+
    case SDL_SCANCODE_APOSTROPHE: return kVkOem1;       // :*
    default: return 0;
  }
}

}  // namespace

int VirtualKeyFromScancode(int scancode, KeyLayout layout) {
  const auto code = static_cast<SDL_Scancode>(scancode);
  if (layout == KeyLayout::kJis) {
    if (const int jis = JisVirtualKey(code); jis != 0) return jis;
  }
  if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) return 0x41 + (code - SDL_SCANCODE_A);
  if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) return 0x31 + (code - SDL_SCANCODE_1);
  if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12) return kVkF1 + (code - SDL_SCANCODE_F1);
  if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9) return kVkNumpad0 + 1 + (code - SDL_SCANCODE_KP_1);
  switch (code) {
    case SDL_SCANCODE_0: return 0x30;
    case SDL_SCANCODE_RETURN: case SDL_SCANCODE_KP_ENTER: case SDL_SCANCODE_RETURN2: return kVkReturn;
    case SDL_SCANCODE_ESCAPE: return kVkEscape;
    case SDL_SCANCODE_SPACE: return kVkSpace;
    case SDL_SCANCODE_TAB: return kVkTab;
    case SDL_SCANCODE_BACKSPACE: return kVkBack;
    case SDL_SCANCODE_LEFT: return kVkLeft;
    case SDL_SCANCODE_UP: return kVkUp;
    case SDL_SCANCODE_RIGHT: return kVkRight;
    case SDL_SCANCODE_DOWN: return kVkDown;
    case SDL_SCANCODE_LSHIFT: case SDL_SCANCODE_RSHIFT: return kVkShift;
    case SDL_SCANCODE_LCTRL: case SDL_SCANCODE_RCTRL: return kVkControl;
    case SDL_SCANCODE_LALT: case SDL_SCANCODE_RALT: return kVkMenu;
    case SDL_SCANCODE_INSERT: return kVkInsert;
    case SDL_SCANCODE_DELETE: return kVkDelete;
    case SDL_SCANCODE_HOME: return kVkHome;
    case SDL_SCANCODE_END: return kVkEnd;
    case SDL_SCANCODE_PAGEUP: return kVkPrior;
    case SDL_SCANCODE_PAGEDOWN: return kVkNext;
    case SDL_SCANCODE_KP_0: return kVkNumpad0;
    case SDL_SCANCODE_KP_MULTIPLY: return kVkMultiply;
    case SDL_SCANCODE_KP_PLUS: return kVkAdd;
    case SDL_SCANCODE_KP_COMMA: return kVkSeparator;
    case SDL_SCANCODE_KP_MINUS: return kVkSubtract;
    case SDL_SCANCODE_KP_PERIOD: return kVkDecimal;
    case SDL_SCANCODE_KP_DIVIDE: return kVkDivide;
    case SDL_SCANCODE_CAPSLOCK: return kVkCapital;
    case SDL_SCANCODE_PAUSE: return kVkPause;
    case SDL_SCANCODE_PRINTSCREEN: return kVkSnapshot;
    case SDL_SCANCODE_NUMLOCKCLEAR: return kVkNumLock;
    case SDL_SCANCODE_SCROLLLOCK: return kVkScroll;
    case SDL_SCANCODE_LGUI: return kVkLWin;
    case SDL_SCANCODE_RGUI: return kVkRWin;
    case SDL_SCANCODE_APPLICATION: return kVkApps;
    case SDL_SCANCODE_SEMICOLON: return kVkOem1;
    case SDL_SCANCODE_EQUALS: return kVkOemPlus;
    case SDL_SCANCODE_COMMA: return kVkOemComma;
    case SDL_SCANCODE_MINUS: return kVkOemMinus;
    case SDL_SCANCODE_PERIOD: return kVkOemPeriod;
    case SDL_SCANCODE_SLASH: return kVkOem2;
    case SDL_SCANCODE_GRAVE: return kVkOem3;
    case SDL_SCANCODE_LEFTBRACKET: return kVkOem4;
    case SDL_SCANCODE_BACKSLASH: case SDL_SCANCODE_INTERNATIONAL3: return kVkOem5;
    case SDL_SCANCODE_RIGHTBRACKET: return kVkOem6;
    case SDL_SCANCODE_APOSTROPHE: return kVkOem7;
    case SDL_SCANCODE_NONUSBACKSLASH: case SDL_SCANCODE_INTERNATIONAL1: return kVkOem102;
    case SDL_SCANCODE_INTERNATIONAL2: return kVkKana;
    case SDL_SCANCODE_INTERNATIONAL4: return kVkConvert;
    case SDL_SCANCODE_INTERNATIONAL5: return kVkNonConvert;
    default: return kFirstHostOnlyKey + scancode;
  }
}

int VirtualKeyFromScancodeName(const char* name, KeyLayout layout) {
  const SDL_Scancode code = SDL_GetScancodeFromName(name);
  if (code == SDL_SCANCODE_UNKNOWN) return -1;
  return VirtualKeyFromScancode(code, layout);
}

KeyLayout HostKeyLayout() {
  return SDL_GetKeyFromScancode(SDL_SCANCODE_LEFTBRACKET) == SDLK_AT ? KeyLayout::kJis : KeyLayout::kUs;
}

}  // namespace vorn::platform::sdl
