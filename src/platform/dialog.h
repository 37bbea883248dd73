#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framebuffer.h"
#include "platform/geometry.h"
#include "platform/window.h"

namespace vorn::platform {

// Draws short CP932 texts in one face and size; what the dialog kit writes its captions with.
class TextRenderer {
 public:
  virtual ~TextRenderer() = default;
  virtual int TextWidth(std::string_view cp932) = 0;
  // The height of one line of text, as layouts centre it.
  virtual int LineHeight() = 0;
  // Text whose top-left corner is (x, y), clipped to clip.
  virtual void DrawText(Framebuffer& target, int x, int y, std::string_view cp932, std::uint32_t xrgb,
                        const Rect& clip) = 0;
};

// The face standing for "ＭＳ Ｐゴシック" at the pixel height (IPA P Gothic); null with a reason
// when no font can be had (controls are then drawn without text).
std::unique_ptr<TextRenderer> CreateDialogTextRenderer(int pixel_height, std::string& reason);

enum class DialogControlKind { kBevel, kCheckBox, kLabel, kTrackBar, kButton };

// One control of a dialog. Texts are CP932; "&" marks the accelerator letter ("&&" is an "&").
struct DialogControl {
  DialogControlKind kind = DialogControlKind::kLabel;
  Rect bounds;
  std::string text;
  bool enabled = true;
  int tab_order = -1;  // -1: not a tab stop
  bool checked = false;
  int position = 0;
  int minimum = 0;
  int maximum = 10;
  int page_size = 1;
  bool right_aligned = false;
  bool default_button = false;
  bool cancel_button = false;
  int focus_control = -1;  // a label's accelerator focuses this control
  std::function<void()> on_click;   // check boxes (after toggling) and buttons
  std::function<void()> on_change;  // track bars
};

// A modal dialog drawn by the player itself: focus, tab order, accelerators, keyboard and mouse
// as a Windows dialog handles them, painted on the client area of its window.
class Dialog {
 public:
  int Add(DialogControl control);
  DialogControl& control(int index) { return controls_[static_cast<std::size_t>(index)]; }
  int focused() const { return focused_; }
  // Only enabled tab stops take the focus.
  void SetFocus(int index);
  // The first control in tab order that can take the focus.
  void FocusFirst();

  void SetChecked(int index, bool checked);
  void SetPosition(int index, int position);
  void SetEnabled(int index, bool enabled);
  void SetText(int index, std::string text);

  // Keys and mouse of the dialog's window; the close box calls on_close.
  void HandleEvent(const Event& event);
  std::function<void()> on_close;

  void Paint(Framebuffer& target, TextRenderer* text);

 private:
  void MoveFocus(bool backward);
  bool CanFocus(int index) const;
  void Click(int index);
  void PressButton(bool cancel);
  int ControlAt(int x, int y) const;
  int TrackPositionAt(const DialogControl& track, int x) const;
  void StepTrack(int index, int delta);

  std::vector<DialogControl> controls_;
  int focused_ = -1;
  int pressed_ = -1;    // mouse down on this control
  bool dragging_ = false;
};

}  // namespace vorn::platform
