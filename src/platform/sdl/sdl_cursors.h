#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/cursors.h"

struct SDL_Cursor;

namespace vorn::platform::sdl {

// One SDL colour cursor per frame of the custom cursor; the application's event pump swaps them
// as the animation's steps end.
class SdlCursors final : public Cursors {
 public:
  SdlCursors() = default;
  ~SdlCursors() override;
  SdlCursors(const SdlCursors&) = delete;
  SdlCursors& operator=(const SdlCursors&) = delete;

  bool InstallCustom(std::string_view source, std::vector<CursorImage> frames, std::vector<CursorStep> steps) override;
  void SetPanelCursor(CursorShape shape) override;
  CursorShape PanelCursor() const override { return panel_; }
  void SetPointerOverPanel(bool over) override;
  void SetPointerOverText(bool over) override;

  // Shows the frame due now; answers the milliseconds until the next change (none while still).
  std::optional<std::uint32_t> Pump();
  // Whether SDL was last told to show a frame of the custom cursor.
  bool ShowingCustom() const { return shown_ != nullptr && shown_custom_; }

 private:
  void FreeFrames();
  void Apply();

  std::vector<SDL_Cursor*> frames_;
  CursorAnimation animation_;
  CursorShape panel_ = CursorShape::kDefault;
  bool over_panel_ = true;
  bool over_text_ = false;
  SDL_Cursor* text_cursor_ = nullptr;  // made on first use
  SDL_Cursor* shown_ = nullptr;
  bool shown_custom_ = false;
};

}  // namespace vorn::platform::sdl
