#include "platform/sdl/sdl_key_codes.h"

#include <gtest/gtest.h>

#include "platform/key_codes.h"

namespace vorn::platform::sdl {
namespace {

TEST(SdlKeyCodes, MapToWindowsVirtualKeys) {
  const struct {
    const char* name;
    int code;
  } cases[] = {
      {"A", 0x41},          {"Z", 0x5A},        {"0", 0x30},           {"9", 0x39},
      {"F1", 0x70},         {"F12", 0x7B},      {"Return", 0x0D},      {"Keypad Enter", 0x0D},
      {"Escape", 0x1B},     {"Space", 0x20},    {"Tab", 0x09},         {"Backspace", 0x08},
      {"Left", 0x25},       {"Up", 0x26},       {"Right", 0x27},       {"Down", 0x28},
      {"Left Shift", 0x10}, {"Right Shift", 0x10}, {"Left Ctrl", 0x11}, {"Right Ctrl", 0x11},
      {"Left Alt", 0x12},   {"Right Alt", 0x12}, {"Insert", 0x2D},     {"Delete", 0x2E},
      {"Home", 0x24},       {"End", 0x23},      {"PageUp", 0x21},      {"PageDown", 0x22},
      {"Keypad 0", 0x60},   {"Keypad 9", 0x69}, {"Keypad *", 0x6A},    {"Keypad +", 0x6B},
      {"Keypad -", 0x6D},   {"Keypad .", 0x6E}, {"Keypad /", 0x6F},    {"CapsLock", 0x14},
      {"Pause", 0x13},      {"PrintScreen", 0x2C}, {"Numlock", 0x90},  {"ScrollLock", 0x91},
      {"Left GUI", 0x5B},   {"Right GUI", 0x5C}, {"Application", 0x5D}, {";", 0xBA},
      {"=", 0xBB},          {",", 0xBC},        {"-", 0xBD},           {".", 0xBE},
      {"/", 0xBF},          {"`", 0xC0},        {"[", 0xDB},           {"\\", 0xDC},
      {"]", 0xDD},          {"'", 0xDE},
  };
  for (const auto& c : cases) EXPECT_EQ(VirtualKeyFromScancodeName(c.name), c.code) << c.name;
}

// The keys whose code depends on the printed layout, read on a US and on a JIS keyboard; the
// Japanese keys of their own mean the same on both.
TEST(SdlKeyCodes, PunctuationKeysFollowTheLayout) {
  const struct {
    const char* name;
    int us, jis;
  } cases[] = {
      {"`", 0xC0, 0xF3},            // half-width/full-width on JIS
      {"-", 0xBD, 0xBD},
      {"=", 0xBB, 0xDE},            // ^~
      {"[", 0xDB, 0xC0},            // @`
      {"]", 0xDD, 0xDB},            // [{
      {"\\", 0xDC, 0xDD},         // ]} beside Enter
      {";", 0xBA, 0xBB},            // ;+
      {"'", 0xDE, 0xBA},            // :*
      {",", 0xBC, 0xBC},
      {".", 0xBE, 0xBE},
      {"/", 0xBF, 0xBF},
      {"A", 0x41, 0x41},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VirtualKeyFromScancodeName(c.name, KeyLayout::kUs), c.us) << c.name;
    EXPECT_EQ(VirtualKeyFromScancodeName(c.name, KeyLayout::kJis), c.jis) << c.name;
  }
  // The Japanese keys SDL has no names for, by their USB usage numbers (the scancodes): they mean
  // the same on both layouts.
  const struct {
    int usage;
    int code;
  } japanese[] = {
      {135, 0xE2},  // International 1: \_ left of the right Shift
      {136, 0x15},  // International 2: kana
      {137, 0xDC},  // International 3: the yen key
      {138, 0x1C},  // International 4: convert
      {139, 0x1D},  // International 5: no convert
      {100, 0xE2},  // the ISO key left of Z
  };
  for (const auto& k : japanese) {
    EXPECT_EQ(VirtualKeyFromScancode(k.usage, KeyLayout::kUs), k.code) << k.usage;
    EXPECT_EQ(VirtualKeyFromScancode(k.usage, KeyLayout::kJis), k.code) << k.usage;
  }
}

TEST(SdlKeyCodes, KeysWithoutAWindowsCodeGetHostOnlyCodes) {
  EXPECT_GE(VirtualKeyFromScancodeName("Mute"), kFirstHostOnlyKey);
  EXPECT_GE(VirtualKeyFromScancodeName("F13"), kFirstHostOnlyKey);
}

}  // namespace
}  // namespace vorn::platform::sdl
