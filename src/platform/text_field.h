#pragma once

// Text fields the player draws over its drawing panel: a single-line edit or a multi-line memo
// with a vertical scroll bar. Linux has no native edit control a program could place over its own
// window, so editing, layout and drawing are ours, the same for the SDL back end and its headless
// twin. Texts and face names cross this interface in CP932.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/framebuffer.h"
#include "platform/geometry.h"
#include "platform/text_field_font.h"
#include "platform/text_field_layout.h"
#include "platform/text_field_text.h"
#include "platform/window.h"

namespace vorn::platform {

class Clock;
class Cursors;
class IClipboard;
class Panel;
struct TextFieldHostState;

// Alignment of a memo's lines, in the desktop control's order.
enum class TextFieldAlign { kLeft = 0, kRight = 1, kCentre = 2 };

inline constexpr int kTextFieldScrollBarWidth = 16;

class TextField {
 public:
  ~TextField();
  TextField(const TextField&) = delete;
  TextField& operator=(const TextField&) = delete;

  bool multi_line() const { return multi_line_; }

  // Panel pixels. An empty rectangle draws nothing and takes no pointer input.
  void SetBounds(const Rect& bounds);
  const Rect& bounds() const { return bounds_; }
  // Hiding or disabling the field holding the keyboard takes the keyboard from it.
  void SetVisible(bool visible);
  bool visible() const { return visible_; }
  void SetEnabled(bool enabled);
  bool enabled() const { return enabled_; }
  void SetReadOnly(bool read_only);
  bool read_only() const { return read_only_; }

  // The text ends at its first NUL. Setting puts the caret at the start without a selection.
  void SetText(std::string_view cp932);
  std::string Text() const;
  void SetFont(const TextFieldFontSpec& font);
  const TextFieldFontSpec& font() const { return font_spec_; }
  // False when the face is not installed (another one stands in).
  bool FontFaceKnown();
  // Colours are 0x00BBGGRR; only the low 24 bits are drawn.
  void SetTextColor(std::uint32_t bgr);
  void SetBackgroundColor(std::uint32_t bgr);
  // Memo only; values other than 0, 1 and 2 draw left-aligned.
  void SetAlignment(int alignment);

  // Selects from anchor to caret (characters, clamped to the text); equal positions place the caret.
  void Select(std::size_t anchor, std::size_t caret);

  // Only a visible, enabled field takes the keyboard; one that holds it already changes nothing.
  void TakeKeyboard();
  bool HoldsKeyboard() const;

  // A key down, before the key acts (virtual-key code).
  std::function<void(int key)> on_key_down;
  // The field took the keyboard it did not hold.
  std::function<void()> on_keyboard_taken;

  // What tests and the benchmark look at.
  const TextFieldText& edit_text() const { return text_; }
  const std::u32string& composition() const { return composition_; }
  std::size_t top_line() const { return top_line_; }
  std::size_t line_count();

 private:
  friend class TextFieldHost;
  friend struct TextFieldHostState;
  TextField(std::shared_ptr<TextFieldHostState> host, bool multi_line);

  // ---- editing ----
  bool Writable() const { return enabled_ && !read_only_; }
  void KeyDown(int key, unsigned shift);
  void InsertTyped(std::string_view utf8);
  void Compose(std::string_view utf8, int cursor);
  void Copy();
  void Paste();
  void EditChanged();
  void CaretMoved();

  // ---- layout ----
  TextFieldFont& Font();
  int TextWidth() const;
  // The layout of what is shown (the composition spliced in while there is one).
  const std::u32string& ShownText();
  // Splices the composition into the shown text (and lays it out) when it changed.
  void RefreshShown();
  TextFieldLayout& ShownLayout();
  std::size_t ShownCaret() const;
  int LineHeight() { return std::max(1, Font().line_height()); }
  int VisibleLines();
  int LineWidth(const TextFieldLine& line);
  int LineLeft(const TextFieldLine& line);
  int CaretX(std::size_t line, std::size_t position);
  std::size_t PositionAt(int x, int y);
  void KeepCaretInView();
  void ScrollLines(std::int64_t lines);

  // ---- pointer ----
  bool TakesPointerAt(int x, int y) const;
  void Press(int x, int y, unsigned shift, bool double_click);
  void Drag(int x, int y);
  void Release();
  bool OnScrollBar(int x) const;
  void ScrollBarPress(int y);

  // ---- drawing ----
  bool CaretShown() const;
  void Render(Framebuffer& target, const Rect& visible);
  void RenderScrollBar(Framebuffer& target, const Rect& visible);
  void MarkDirty();

  std::shared_ptr<TextFieldHostState> host_;
  bool multi_line_;
  Rect bounds_;
  bool visible_ = false;
  bool enabled_ = true;
  bool read_only_ = false;
  TextFieldAlign alignment_ = TextFieldAlign::kLeft;
  std::uint32_t text_color_ = 0;
  std::uint32_t back_color_ = 0xFFFFFF;
  TextFieldFontSpec font_spec_;
  std::unique_ptr<TextFieldFont> font_;
  TextFieldText text_;
  TextFieldLayout layout_;
  bool layout_valid_ = false;
  std::u32string composition_;
  std::size_t composition_cursor_ = 0;
  std::u32string shown_text_;  // while composing
  TextFieldLayout shown_layout_;
  bool shown_valid_ = false;
  int scroll_x_ = 0;
  std::size_t top_line_ = 0;
  std::uint32_t blink_start_ = 0;
  bool dirty_ = true;
  bool drawn_caret_ = false;
  // Pointer: a drag selecting text, or the scroll bar's thumb being dragged.
  bool selecting_ = false;
  bool thumb_drag_ = false;
  int thumb_grab_ = 0;
  Framebuffer pixels_;
};

class TextFieldHost {
 public:
  // A host without a window: fields keep their state and draw nothing.
  TextFieldHost();
  // A host over the panel; the clock times the caret's blinking (null: it does not blink);
  // clipboard and cursors may be null.
  TextFieldHost(Panel& panel, Clock* clock, IClipboard* clipboard, Cursors* cursors);
  ~TextFieldHost();
  TextFieldHost(const TextFieldHost&) = delete;
  TextFieldHost& operator=(const TextFieldHost&) = delete;

  std::unique_ptr<TextField> CreateField(bool multi_line);

  // Offers a window event (client coordinates): true when a field took it. Text events always
  // count as taken (dropped without a field holding the keyboard); keys go to the field holding the
  // keyboard; pointer events at a shown, enabled field, and every one of a press that began in one.
  bool HandleEvent(const Event& event);
  // Puts the fields on the panel: every shown one (after a presentation covered them), or only
  // those that changed since they were drawn.
  void Draw(bool all);
  TextField* keyboard_holder() const;
  // Whether the host draws (it has a panel).
  bool has_window() const;

 private:
  std::shared_ptr<TextFieldHostState> state_;
};

}  // namespace vorn::platform
