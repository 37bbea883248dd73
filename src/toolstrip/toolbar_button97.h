#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "toolstrip/strip_control.h"

namespace vorn {

class TStripForm;

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TButtonDisplayMode { dmBoth, dmGlyphOnly, dmTextOnly };

// A windowless push button for toolbars: flat by default, it shows a raised border while the
// pointer is over it and a sunken one while pressed. Glyphs, dropdown menus and actions are not
// built: the caption takes the glyph's place.
class TToolbarButton97 final : public TStripControl {
 public:
  enum State : std::uint8_t { kUp = 0, kDisabled = 1, kPressed = 2, kLatched = 3, kHot = 4 };
  static constexpr std::uint32_t kHotTimerInterval = 125;

  TToolbarButton97();
  ~TToolbarButton97() override;

  State ButtonState() const { return state_; }
  const std::string& Caption() const { return caption_; }  // CP932
  void SetCaption(std::string caption);
  bool Flat() const { return flat_; }
  void SetFlat(bool flat);
  bool Opaque() const { return opaque_; }
  void SetOpaque(bool opaque);
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);
  int Margin() const { return margin_; }
  // Values below -1 are ignored.
  void SetMargin(int margin);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool wrap);
  TButtonDisplayMode DisplayMode() const { return display_mode_; }
  void SetDisplayMode(TButtonDisplayMode mode);
  bool HighlightWhenDown() const { return highlight_when_down_; }
  void SetHighlightWhenDown(bool on);
  bool NoBorder() const { return no_border_; }
  void SetNoBorder(bool on);
  bool ShowBorderWhenInactive = false;

  // Latching: Down needs a GroupIndex; a latched button comes up again only with AllowAllUp.
  bool Down() const { return down_; }
  void SetDown(bool down);
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int index);
  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool allow);

  bool Repeating = false;
  std::uint32_t RepeatDelay = 400;
  std::uint32_t RepeatInterval = 100;
  bool Default = false;
  bool Cancel = false;
  int ModalResult = 0;
  // Where a click stores ModalResult (the parent form's modal result); nothing reads it.
  int LastModalResult = 0;

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseExit;

  void MouseDown(platform::MouseButton button, unsigned shift, int x, int y, bool double_click) override;
  void MouseMove(unsigned shift, int x, int y) override;
  void MouseUp(platform::MouseButton button, unsigned shift, int x, int y) override;
  void CancelMode() override;
  void Click();
  // Keys the host passes on: a dialog character (the caption's accelerator), Enter or Escape.
  // True when the button clicked.
  bool DialogChar(char c);
  bool DialogKey(int key, unsigned shift);

  // Hot tracking, shared by every button of the process.
  void MouseEntered();
  void MouseLeft();
  static TToolbarButton97* HotButton();
  static void ApplicationDeactivated(TStripForm* form);
  static void PollTimers(TStripForm* form);
  static std::optional<std::uint32_t> NextTimerDue(TStripForm* form);
  // The desktop's colours changed: the dither of latched buttons is made again when they did.
  static void SystemColorsChanged();
  static int ButtonCount();
  static bool HasDitherPattern();
  // Forgets the hot button and the timers (between tests).
  static void ResetSharedState();

 protected:
  void Paint(TStripPainter& painter) override;
  void EnabledChanged() override;

 private:
  bool InsideClient(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }
  void SetState(State state);
  void ArmRepeat(std::uint32_t delay);
  void RepeatTick();
  bool CanClickByKey() const;
  void PaintCaption(TStripPainter& painter, const platform::Rect& content);

  std::string caption_;
  bool flat_ = true;
  bool opaque_ = true;
  int spacing_ = 4;
  int margin_ = -1;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  TAlignment alignment_ = TAlignment::taCenter;
  bool word_wrap_ = false;
  TButtonDisplayMode display_mode_ = TButtonDisplayMode::dmBoth;
  bool highlight_when_down_ = true;
  bool no_border_ = false;
  bool down_ = false;
  int group_index_ = 0;
  bool allow_all_up_ = false;

  State state_ = kUp;
  bool mouse_in_ = false;
  bool held_ = false;
  bool in_click_ = false;
  bool destroying_ = false;
  std::optional<std::uint32_t> repeat_due_;
};

}  // namespace vorn
