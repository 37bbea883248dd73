#include "platform/sdl/sdl_clipboard.h"

#include <SDL.h>

#include <string>

#include "platform/text_converter.h"

namespace vorn::platform::sdl {

void SdlClipboard::SetData(std::uint32_t format, std::vector<std::uint8_t> bytes) {
  if (format != kClipboardFormatText) {
    others_.SetData(format, std::move(bytes));
    return;
  }
  std::string cp932(bytes.begin(), bytes.end());
  cp932 = cp932.substr(0, cp932.find('\0'));
  std::string text;
  text.reserve(cp932.size());
  for (std::size_t i = 0; i < cp932.size(); ++i) {
    if (cp932[i] == '\r' && i + 1 < cp932.size() && cp932[i + 1] == '\n') continue;
    text.push_back(cp932[i]);
  }
  SDL_SetClipboardText(Cp932ToUtf8(text).c_str());
}

std::optional<std::vector<std::uint8_t>> SdlClipboard::GetData(std::uint32_t format) const {
  if (format != kClipboardFormatText) return others_.GetData(format);
  if (SDL_HasClipboardText() == SDL_FALSE) return std::nullopt;
  char* utf8 = SDL_GetClipboardText();
  if (utf8 == nullptr) return std::nullopt;
  std::string text;
  for (const char* p = utf8; *p != '\0'; ++p) {
    if (*p == '\n' && (p == utf8 || p[-1] != '\r')) text.push_back('\r');
    text.push_back(*p);
  }
  SDL_free(utf8);
  const std::string cp932 = Utf8ToCp932(text);
  return std::vector<std::uint8_t>(cp932.begin(), cp932.end());
}

bool SdlClipboard::HasFormat(std::uint32_t format) const {
  if (format != kClipboardFormatText) return others_.HasFormat(format);
  return SDL_HasClipboardText() != SDL_FALSE;
}

void SdlClipboard::Clear() {
  others_.Clear();
  SDL_SetClipboardText("");
}

}  // namespace vorn::platform::sdl
