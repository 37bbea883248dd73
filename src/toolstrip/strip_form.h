#pragma once

#include <cstdint>
#include <optional>

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "toolstrip/strip_control.h"

namespace vorn {

// The root of the tool strip: the main window's client area as far as the strip is concerned. It
// paints the strip's controls into the window's canvas and presents them at once, routes the
// window's pointer events to them, and knows what the strip's controls ask of the host: the
// clock, the focus, the control under the pointer and the font.
class TStripForm final : public TStripControl {
 public:
  TStripForm(platform::Window& window, platform::Clock& clock, platform::TextRenderer* font);
  ~TStripForm() override;

  TStripForm* Form() override { return this; }

  // Paints the showing controls over rect (window coordinates) and presents it; while updates are
  // held, the rectangles are gathered and presented once when the last hold ends.
  void Repaint(const platform::Rect& rect);
  void HoldUpdates() { ++update_holds_; }
  void ReleaseUpdates();
  // Nothing is painted before the strip is ready to show (during the form's creation).
  void SetPaintingEnabled(bool enabled) { painting_enabled_ = enabled; }

  std::uint32_t Now() { return clock_.TimeGetTime(); }
  platform::TextRenderer* Font() { return font_; }
  // The window's focus: hot tracking needs it.
  bool ApplicationActive() const { return active_; }
  // The strip control under the last pointer position; none once the pointer left the window.
  TStripControl* ControlUnderCursor();
  TStripControl* Captured() const { return captured_; }
  void SetCapture(TStripControl* control);

  // Window events, in client coordinates. Each answers whether the strip took the event: a
  // press or a move over a strip control, or anything while a strip control holds the pointer.
  bool WindowMouseDown(platform::MouseButton button, unsigned shift, int x, int y, bool double_click);
  bool WindowMouseMove(unsigned shift, int x, int y);
  bool WindowMouseUp(platform::MouseButton button, unsigned shift, int x, int y);
  void WindowMouseLeave();
  void SetActive(bool active);

  // Runs the strip's timers that are due; the next due time, when one runs.
  void PollTimers();
  std::optional<std::uint32_t> NextTimerDue();

 protected:
  void Paint(TStripPainter&) override {}

 private:
  TStripControl* Target(int x, int y);

  platform::Window& window_;
  platform::Clock& clock_;
  platform::TextRenderer* font_;
  int update_holds_ = 0;
  platform::Rect pending_;
  bool painting_enabled_ = true;
  bool active_ = false;
  bool pointer_inside_ = false;
  int pointer_x_ = 0;
  int pointer_y_ = 0;
  TStripControl* captured_ = nullptr;
};

// Holds a form's updates for a scope.
class TStripUpdateHold {
 public:
  explicit TStripUpdateHold(TStripForm* form) : form_(form) {
    if (form_) form_->HoldUpdates();
  }
  ~TStripUpdateHold() {
    if (form_) form_->ReleaseUpdates();
  }
  TStripUpdateHold(const TStripUpdateHold&) = delete;
  TStripUpdateHold& operator=(const TStripUpdateHold&) = delete;

 private:
  TStripForm* form_;
};

}  // namespace vorn
