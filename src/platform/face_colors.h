#pragma once

// The host's colours for raised and sunken faces (buttons, dialogs, the tool strip), in one place
// so that every face the player draws matches. Values are 0x00BBGGRR like every colour of the
// system; framebuffers take 0x00RRGGBB (FaceXrgb).

#include <cstdint>

namespace vorn::platform {

struct FaceColors {
  std::uint32_t face;         // the face itself
  std::uint32_t highlight;    // the lit outer edge
  std::uint32_t light;        // the lit inner edge
  std::uint32_t shadow;       // the shaded inner edge
  std::uint32_t dark_shadow;  // the shaded outer edge
  std::uint32_t text;         // captions on the face
};

inline constexpr FaceColors kFaceColors{
    .face = 0xC0C0C0,
    .highlight = 0xFFFFFF,
    .light = 0xC0C0C0,
    .shadow = 0x808080,
    .dark_shadow = 0x404040,
    .text = 0x000000,
};

// A 0x00BBGGRR colour as a framebuffer pixel.
constexpr std::uint32_t FaceXrgb(std::uint32_t bgr) {
  return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

}  // namespace vorn::platform
