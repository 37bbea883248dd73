#pragma once

namespace vorn::platform {

// What the screen stores per pixel: the bit depth and, for 16-bit screens, which of 5-6-5 and
// 5-5-5 it uses (as a format code: 565 or 555). The graphics code asks when it builds bitmaps
// "like the screen"; the screen manager asks for its depth.
struct DisplayFormat {
  int bitsPerPixel = 32;
  int format16 = 565;
};

// The answer of the back end in use. Until a back end installs one (headless runs, tests) it is
// 32 bits with 5-6-5 for 16-bit work.
DisplayFormat CurrentDisplayFormat();
void SetDisplayFormat(const DisplayFormat& format);

// The 16-bit layout a desktop of the given depth answers: 555 only on a 15-bit desktop, else 565
// (a true-colour display keeps six bits of green).
inline int Display16FormatFor(int desktopBitsPerPixel) {
  return desktopBitsPerPixel == 15 ? 555 : 565;
}

}  // namespace vorn::platform
