#include "toolstrip/toolbar_button97.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/key_codes.h"
#include "toolstrip/button_caption.h"
#include "toolstrip/strip_colors.h"
#include "toolstrip/strip_form.h"

namespace vorn {
namespace {

constexpr int kInitialWidth = 23;
constexpr int kInitialHeight = 22;

// What every button of the process shares: the hot button with its 125 ms timer, the dither of
// latched buttons and the list of live buttons.
struct SharedButtons {
  std::vector<TToolbarButton97*> buttons;
  TToolbarButton97* hot = nullptr;
  bool timer_enabled = false;
  std::uint32_t timer_due = 0;
  bool dither_made = false;
  std::uint32_t dither_face = 0;
  std::uint32_t dither_highlight = 0;
};

SharedButtons& Shared() {
  static SharedButtons shared;
  return shared;
}

bool Due(std::uint32_t now, std::uint32_t due) { return static_cast<std::int32_t>(now - due) >= 0; }

void StopHotTimer() {
  SharedButtons& shared = Shared();
  shared.timer_enabled = false;
  shared.hot = nullptr;
}

}  // namespace

TToolbarButton97::TToolbarButton97() {
  SetBounds(platform::Rect{0, 0, kInitialWidth, kInitialHeight});
  Shared().buttons.push_back(this);
}

TToolbarButton97::~TToolbarButton97() {
  destroying_ = true;
  SharedButtons& shared = Shared();
  if (shared.hot == this) StopHotTimer();
  std::erase(shared.buttons, this);
  if (shared.buttons.empty()) {
    shared.timer_enabled = false;
    shared.dither_made = false;
  }
}

TToolbarButton97* TToolbarButton97::HotButton() { return Shared().hot; }
int TToolbarButton97::ButtonCount() { return static_cast<int>(Shared().buttons.size()); }
bool TToolbarButton97::HasDitherPattern() { return Shared().dither_made; }

void TToolbarButton97::ResetSharedState() {
  SharedButtons& shared = Shared();
  shared.hot = nullptr;
  shared.timer_enabled = false;
  shared.dither_made = false;
  for (TToolbarButton97* button : shared.buttons) button->repeat_due_.reset();
}

void TToolbarButton97::SystemColorsChanged() {
  SharedButtons& shared = Shared();
  const platform::FaceColors& colors = StripColors();
  if (shared.dither_made && (shared.dither_face != colors.face || shared.dither_highlight != colors.highlight)) {
    shared.dither_made = false;
  }
}

void TToolbarButton97::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Invalidate();
}

#define VORN_VISUAL_SETTER(Name, member)          \
  void TToolbarButton97::Set##Name(decltype(member) value) { \
    if (value == member) return;                  \
    member = value;                               \
    Invalidate();                                 \
  }
VORN_VISUAL_SETTER(Flat, flat_)
VORN_VISUAL_SETTER(Opaque, opaque_)
VORN_VISUAL_SETTER(Spacing, spacing_)
VORN_VISUAL_SETTER(Layout, layout_)
VORN_VISUAL_SETTER(Alignment, alignment_)
VORN_VISUAL_SETTER(WordWrap, word_wrap_)
VORN_VISUAL_SETTER(DisplayMode, display_mode_)
VORN_VISUAL_SETTER(HighlightWhenDown, highlight_when_down_)
VORN_VISUAL_SETTER(NoBorder, no_border_)
#undef VORN_VISUAL_SETTER

void TToolbarButton97::SetMargin(int margin) {
  if (margin < -1 || margin == margin_) return;
  margin_ = margin;
  Invalidate();
}

void TToolbarButton97::SetState(State state) {
  if (state == state_) return;
  state_ = state;
  Invalidate();
}

void TToolbarButton97::SetGroupIndex(int index) {
  if (index == group_index_) return;
  group_index_ = index;
  if (index == 0 && down_) {
    down_ = false;
    if (Enabled()) SetState(mouse_in_ ? kHot : kUp);
  }
}

void TToolbarButton97::SetAllowAllUp(bool allow) { allow_all_up_ = allow; }

void TToolbarButton97::SetDown(bool down) {
  if (group_index_ == 0) down = false;
  if (down == down_) return;
  if (!down && !allow_all_up_) return;
  down_ = down;
  if (Enabled()) {
    if (down) {
      SetState(kLatched);
    } else {
      SetState(mouse_in_ ? kHot : kUp);
    }
  }
  if (!down || !Parent()) return;
  for (TStripControl* sibling : Parent()->Children()) {
    auto* other = dynamic_cast<TToolbarButton97*>(sibling);
    if (!other || other == this || other->group_index_ != group_index_) continue;
    other->allow_all_up_ = allow_all_up_;
    if (other->down_) {
      other->down_ = false;
      if (other->Enabled()) other->SetState(other->mouse_in_ ? kHot : kUp);
    }
  }
}

void TToolbarButton97::EnabledChanged() {
  if (!Enabled()) {
    state_ = kDisabled;
    mouse_in_ = false;
    held_ = false;
    repeat_due_.reset();
    if (Shared().hot == this) StopHotTimer();
    TStripForm* form = Form();
    if (form && form->Captured() == this) form->SetCapture(nullptr);
  } else {
    state_ = (group_index_ != 0 && down_) ? kLatched : kUp;
  }
}

void TToolbarButton97::MouseEntered() {
  if (!Enabled() || mouse_in_) return;
  mouse_in_ = true;
  if (state_ == kUp) {
    state_ = kHot;
    if (flat_) Invalidate();
  }
  if (OnMouseEnter) OnMouseEnter();
}

void TToolbarButton97::MouseLeft() {
  if (!Enabled() || !mouse_in_ || held_) return;
  mouse_in_ = false;
  if (Shared().hot == this) StopHotTimer();
  if (state_ == kHot || (state_ == kPressed && !in_click_)) {
    state_ = (group_index_ != 0 && down_) ? kLatched : kUp;
    if (flat_) Invalidate();
  }
  if (OnMouseExit) OnMouseExit();
}

void TToolbarButton97::ApplicationDeactivated(TStripForm* form) {
  TToolbarButton97* hot = Shared().hot;
  if (hot && hot->Form() == form && !hot->ShowBorderWhenInactive) hot->MouseLeft();
}

void TToolbarButton97::MouseMove(unsigned shift, int x, int y) {
  TStripControl::MouseMove(shift, x, y);
  SharedButtons& shared = Shared();
  TStripForm* form = Form();
  if (form && shared.hot != this && form->ControlUnderCursor() == this) {
    if (shared.hot) shared.hot->MouseLeft();
    if (form->ApplicationActive() || ShowBorderWhenInactive) {
      shared.hot = this;
      shared.timer_enabled = true;
      shared.timer_due = form->Now() + kHotTimerInterval;
      MouseEntered();
    }
  }
  if (held_ && Enabled()) {
    if (group_index_ != 0 && down_) {
      SetState(kLatched);
    } else {
      SetState(InsideClient(x, y) ? kPressed : kUp);
    }
  }
}

void TToolbarButton97::MouseDown(platform::MouseButton button, unsigned shift, int x, int y, bool double_click) {
  if (!Enabled()) return;
  if (double_click && down_ && OnDblClick) OnDblClick();
  if (button != platform::MouseButton::kLeft) {
    TStripControl::MouseDown(button, shift, x, y, double_click);
    return;
  }
  TStripForm* form = Form();
  SharedButtons& shared = Shared();
  if (shared.hot != this) {
    if (shared.hot) shared.hot->MouseLeft();
    shared.hot = this;
    shared.timer_enabled = true;
    shared.timer_due = form ? form->Now() + kHotTimerInterval : 0;
  }
  MouseEntered();
  if (!(group_index_ != 0 && down_)) SetState(kPressed);
  held_ = true;
  if (form) form->SetCapture(this);
  TStripControl::MouseDown(button, shift, x, y, double_click);
  if (Repeating && !destroying_) {
    Click();
    if (held_ && Enabled()) {
      SetState(kPressed);
      ArmRepeat(RepeatDelay);
    }
  }
}

void TToolbarButton97::MouseUp(platform::MouseButton button, unsigned shift, int x, int y) {
  TStripForm* form = Form();
  if (button == platform::MouseButton::kRight) {
    TStripControl::MouseUp(button, shift, x, y);
    if (Enabled()) {
      held_ = false;
      MouseLeft();
    }
    return;
  }
  if (button != platform::MouseButton::kLeft) {
    TStripControl::MouseUp(button, shift, x, y);
    return;
  }
  repeat_due_.reset();
  if (form && form->Captured() == this) form->SetCapture(nullptr);
  TStripControl::MouseUp(button, shift, x, y);
  if (!held_ || !Enabled()) return;
  held_ = false;
  if (InsideClient(x, y)) {
    if (Repeating) {
      SetState((group_index_ != 0 && down_) ? kLatched : (mouse_in_ ? kHot : kUp));
    } else {
      Click();
    }
    return;
  }
  MouseLeft();
  SetState((group_index_ != 0 && down_) ? kLatched : kUp);
}

void TToolbarButton97::CancelMode() {
  repeat_due_.reset();
  held_ = false;
  TStripForm* form = Form();
  if (form && form->Captured() == this) form->SetCapture(nullptr);
  MouseLeft();
  if (Enabled()) SetState((group_index_ != 0 && down_) ? kLatched : kUp);
}

void TToolbarButton97::Click() {
  in_click_ = true;
  if (group_index_ != 0) SetDown(!down_);
  if (state_ == kPressed) SetState(kUp);
  MouseLeft();
  LastModalResult = ModalResult;
  // The button has been drawn up (and presented) before the handler runs: a handler that opens a
  // modal box shows it so.
  if (OnClick) OnClick();
  in_click_ = false;
  if (destroying_) return;
  Invalidate();
  MouseLeft();
}

void TToolbarButton97::ArmRepeat(std::uint32_t delay) {
  TStripForm* form = Form();
  if (!form) return;
  repeat_due_ = form->Now() + delay;
}

void TToolbarButton97::RepeatTick() {
  ArmRepeat(RepeatInterval);
  if (!held_ || state_ != kPressed) return;
  Click();
  if (held_ && Enabled() && !destroying_) SetState(kPressed);
}

void TToolbarButton97::PollTimers(TStripForm* form) {
  SharedButtons& shared = Shared();
  const std::uint32_t now = form->Now();
  if (shared.timer_enabled && shared.hot && shared.hot->Form() == form && Due(now, shared.timer_due)) {
    shared.timer_due = now + kHotTimerInterval;
    if (form->ControlUnderCursor() != shared.hot) shared.hot->MouseLeft();
  }
  // A click may free buttons: walk a copy and check each is still there.
  const std::vector<TToolbarButton97*> buttons = shared.buttons;
  for (TToolbarButton97* button : buttons) {
    if (std::find(shared.buttons.begin(), shared.buttons.end(), button) == shared.buttons.end()) continue;
    if (button->repeat_due_ && button->Form() == form && Due(now, *button->repeat_due_)) button->RepeatTick();
  }
}

std::optional<std::uint32_t> TToolbarButton97::NextTimerDue(TStripForm* form) {
  SharedButtons& shared = Shared();
  const std::uint32_t now = form->Now();
  std::optional<std::uint32_t> next;
  auto consider = [&](std::uint32_t due) {
    if (!next || static_cast<std::int32_t>(due - now) < static_cast<std::int32_t>(*next - now)) next = due;
  };
  if (shared.timer_enabled && shared.hot && shared.hot->Form() == form) consider(shared.timer_due);
  for (TToolbarButton97* button : shared.buttons) {
    if (button->repeat_due_ && button->Form() == form) consider(*button->repeat_due_);
  }
  return next;
}

bool TToolbarButton97::CanClickByKey() const {
  const TStripControl* parent = Parent();
  return parent && parent->Showing() && parent->Enabled() && Enabled() && Visible();
}

bool TToolbarButton97::DialogChar(char c) {
  const char accelerator = CaptionAccelerator(caption_);
  if (accelerator == 0 || display_mode_ == TButtonDisplayMode::dmGlyphOnly || !CanClickByKey()) return false;
  const auto lower = [](char ch) { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); };
  if (lower(accelerator) != lower(c)) return false;
  Click();
  return true;
}

bool TToolbarButton97::DialogKey(int key, unsigned shift) {
  if ((shift & (platform::kShiftKey | platform::kAltKey | platform::kCtrlKey)) != 0 || !CanClickByKey()) return false;
  if ((key == platform::kVkReturn && Default) || (key == platform::kVkEscape && Cancel)) {
    Click();
    return true;
  }
  return false;
}

void TToolbarButton97::Paint(TStripPainter& painter) {
  const platform::FaceColors& colors = StripColors();
  const platform::Rect all{0, 0, Width(), Height()};
  if (opaque_ || !flat_) painter.Fill(all, Color());
  const bool sunk = state_ == kPressed || state_ == kLatched;
  if (!no_border_ && (!flat_ || sunk || (state_ == kHot && Enabled()))) {
    if (flat_) {
      if (sunk) {
        painter.Ring(all, colors.shadow, colors.highlight);
      } else {
        painter.Ring(all, colors.highlight, colors.shadow);
      }
    } else {
      const platform::Rect inner{1, 1, Width() - 2, Height() - 2};
      if (sunk) {
        painter.Ring(all, colors.shadow, colors.highlight);
        painter.Ring(inner, colors.dark_shadow, colors.light);
      } else {
        painter.Ring(all, colors.highlight, colors.dark_shadow);
        painter.Ring(inner, colors.light, colors.shadow);
      }
    }
  }
  const int inset = no_border_ ? 0 : (flat_ ? 1 : 2);
  platform::Rect content{inset, inset, Width() - 2 * inset, Height() - 2 * inset};
  if (state_ == kLatched && highlight_when_down_ && (!flat_ || !mouse_in_)) {
    SharedButtons& shared = Shared();
    if (!shared.dither_made) {
      shared.dither_made = true;
      shared.dither_face = colors.face;
      shared.dither_highlight = colors.highlight;
    }
    painter.Checker(content, shared.dither_highlight, shared.dither_face);
  }
  if (sunk) {
    content.left += 1;
    content.top += 1;
  }
  PaintCaption(painter, content);
}

void TToolbarButton97::PaintCaption(TStripPainter& painter, const platform::Rect& content) {
  if (display_mode_ == TButtonDisplayMode::dmGlyphOnly || caption_.empty() || !painter.HasText()) return;
  const std::string shown = CaptionDisplayText(caption_);
  const TCaptionPlacement placement{margin_, spacing_, layout_, alignment_, word_wrap_};
  const std::vector<TCaptionLine> lines = LayoutCaption(
      shown, content.width, content.height, placement, [&](std::string_view s) { return painter.TextWidth(s); },
      painter.LineHeight());
  const platform::FaceColors& colors = StripColors();
  for (const TCaptionLine& line : lines) {
    const int x = content.left + line.x;
    const int y = content.top + line.y;
    if (!Enabled()) {
      painter.Text(x + 1, y + 1, line.text, colors.highlight, content);
      painter.Text(x, y, line.text, colors.shadow, content);
    } else {
      painter.Text(x, y, line.text, colors.text, content);
    }
  }
}

}  // namespace vorn
