#include "platform/sdl/sdl_icon_chooser.h"

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/text_converter.h"

namespace vorn::platform::sdl {

int SdlIconChooser::Choose(const IconChooserRequest& request) {
  if (request.rows.empty()) return 0;
  std::vector<std::string> labels;
  labels.reserve(request.rows.size());
  for (const auto& row : request.rows) labels.push_back(Cp932ToUtf8(row));
  std::vector<SDL_MessageBoxButtonData> buttons;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    Uint32 flags = 0;
    if (i == 0) flags = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    buttons.push_back({flags, static_cast<int>(i), labels[i].c_str()});
  }
  const std::string caption = Cp932ToUtf8(request.caption);
  const SDL_MessageBoxData data{SDL_MESSAGEBOX_INFORMATION, nullptr, caption.c_str(), caption.c_str(),
                                static_cast<int>(buttons.size()), buttons.data(), nullptr};
  int pressed = -1;
  if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) return 0;
  return pressed;
}

}  // namespace vorn::platform::sdl
