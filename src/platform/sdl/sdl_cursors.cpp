#include "platform/sdl/sdl_cursors.h"

#include <SDL.h>

namespace vorn::platform::sdl {

SdlCursors::~SdlCursors() {
  FreeFrames();
  if (text_cursor_ != nullptr) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_SetCursor(SDL_GetDefaultCursor());
    SDL_FreeCursor(text_cursor_);
  }
}

void SdlCursors::FreeFrames() {
  if (!frames_.empty() && SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_SetCursor(SDL_GetDefaultCursor());
  for (SDL_Cursor* cursor : frames_) SDL_FreeCursor(cursor);
  frames_.clear();
  shown_ = nullptr;
  shown_custom_ = false;
  animation_.Stop();
}

bool SdlCursors::InstallCustom(std::string_view /*source*/, std::vector<CursorImage> frames,
                               std::vector<CursorStep> steps) {
  FreeFrames();
  if (frames.empty() || SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  for (CursorImage& image : frames) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
      FreeFrames();
      return false;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(image.pixels.data(), image.width, image.height, 32,
                                                              image.width * 4, SDL_PIXELFORMAT_ARGB8888);
    SDL_Cursor* cursor = surface != nullptr ? SDL_CreateColorCursor(surface, image.hot_x, image.hot_y) : nullptr;
    if (surface != nullptr) SDL_FreeSurface(surface);
    if (cursor == nullptr) {
      FreeFrames();
      return false;
    }
    frames_.push_back(cursor);
  }
  animation_.Start(std::move(steps), SDL_GetTicks());
  Apply();
  return true;
}

void SdlCursors::SetPanelCursor(CursorShape shape) {
  panel_ = shape;
  Apply();
}

void SdlCursors::SetPointerOverPanel(bool over) {
  over_panel_ = over;
  Apply();
}

void SdlCursors::SetPointerOverText(bool over) {
  over_text_ = over;
  Apply();
}

void SdlCursors::Apply() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  SDL_Cursor* wanted = SDL_GetDefaultCursor();
  shown_custom_ = over_panel_ && !over_text_ && panel_ == CursorShape::kCustom && !frames_.empty();
  if (over_panel_ && over_text_) {
    if (text_cursor_ == nullptr) text_cursor_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_IBEAM);
    if (text_cursor_ != nullptr) wanted = text_cursor_;
  } else if (shown_custom_) {
    const std::size_t frame = animation_.FrameAt(SDL_GetTicks());
    wanted = frames_[frame < frames_.size() ? frame : 0];
  }
  if (wanted != shown_) {
    SDL_SetCursor(wanted);
    shown_ = wanted;
  }
}

std::optional<std::uint32_t> SdlCursors::Pump() {
  if (!animation_.Running()) return std::nullopt;
  Apply();
  return animation_.NextChangeIn(SDL_GetTicks());
}

}  // namespace vorn::platform::sdl
