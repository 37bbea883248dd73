#include <SDL.h>

#include <iostream>
#include <vector>

#include "platform/sdl/sdl_platform.h"
#include "platform/text_converter.h"

namespace vorn::platform::sdl {

MessageAnswer SdlMessageBoxes::Show(const MessageBoxRequest& request) {
  const std::string text = request.text_is_host_text ? request.text : Cp932ToUtf8(request.text);
  const std::string caption = Cp932ToUtf8(request.caption);
  std::vector<SDL_MessageBoxButtonData> buttons;
  switch (request.buttons) {
    case MessageButtons::kOk:
      buttons = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                  static_cast<int>(MessageAnswer::kOk), "OK"}};
      break;
    case MessageButtons::kOkCancel:
      buttons = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, static_cast<int>(MessageAnswer::kOk), "OK"},
                 {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, static_cast<int>(MessageAnswer::kCancel), "Cancel"}};
      break;
    case MessageButtons::kYesNo:
      buttons = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, static_cast<int>(MessageAnswer::kYes), "Yes"},
                 {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, static_cast<int>(MessageAnswer::kNo), "No"}};
      break;
  }
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;  // SDL has no question icon
  if (request.icon == MessageIcon::kWarning) flags = SDL_MESSAGEBOX_WARNING;
  if (request.icon == MessageIcon::kError) flags = SDL_MESSAGEBOX_ERROR;

  SDL_Window* owner = nullptr;
  if (request.owner != nullptr) owner = static_cast<SDL_Window*>(request.owner->NativeHandle());
  const SDL_MessageBoxData data{flags, owner, caption.c_str(), text.c_str(), static_cast<int>(buttons.size()),
                                buttons.data(), nullptr};
  int pressed = -1;
  const int result = SDL_ShowMessageBox(&data, &pressed);
  application_.DropFocusEvents();
  if (result != 0 || pressed < 0) {
    std::cerr << caption << ": " << text << "\n";
    return AnswerWithoutDisplay(request);
  }
  return static_cast<MessageAnswer>(pressed);
}

SdlPlatform::SdlPlatform(SdlPlatformOptions options)
    : locks_(options.lock_dir), application_(options.video_driver), boxes_(application_) {
  application_.set_cursors(&cursors_);
}

}  // namespace vorn::platform::sdl
