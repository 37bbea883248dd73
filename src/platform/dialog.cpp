#include "platform/dialog.h"

#include <algorithm>

#include "platform/face_colors.h"
#include "platform/key_codes.h"

namespace vorn::platform {
namespace {

constexpr std::uint32_t kFace = FaceXrgb(kFaceColors.face);
constexpr std::uint32_t kHighlight = FaceXrgb(kFaceColors.highlight);
constexpr std::uint32_t kLight = FaceXrgb(kFaceColors.light);
constexpr std::uint32_t kShadow = FaceXrgb(kFaceColors.shadow);
constexpr std::uint32_t kDark = FaceXrgb(kFaceColors.dark_shadow);
constexpr std::uint32_t kText = FaceXrgb(kFaceColors.text);
constexpr std::uint32_t kWindowWhite = 0xFFFFFF;
constexpr int kCheckBoxSize = 13;
constexpr int kTrackInset = 13;  // from the control's edge to the thumb's centre at either end
constexpr int kThumbHalfWidth = 5;

// The accelerator letter, upper-cased; 0 when there is none.
int AcceleratorOf(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    const char c = text[i + 1];
    if (c >= 'a' && c <= 'z') return c - 32;
    return static_cast<unsigned char>(c);
  }
  return 0;
}

// The text without its "&" marks, and where the accelerator letter starts in it (or npos).
std::string Shown(const std::string& text, std::size_t* accelerator) {
  std::string result;
  if (accelerator != nullptr) *accelerator = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != '&' && accelerator != nullptr && *accelerator == std::string::npos) *accelerator = result.size();
    }
    result += text[i];
  }
  return result;
}

void Frame(Framebuffer& target, const Rect& r, std::uint32_t top_left, std::uint32_t bottom_right) {
  target.FillRect(Rect{r.left, r.top, r.width, 1}, top_left);
  target.FillRect(Rect{r.left, r.top, 1, r.height}, top_left);
  target.FillRect(Rect{r.left, r.bottom() - 1, r.width, 1}, bottom_right);
  target.FillRect(Rect{r.right() - 1, r.top, 1, r.height}, bottom_right);
}

Rect Inset(const Rect& r, int by) { return Rect{r.left + by, r.top + by, r.width - 2 * by, r.height - 2 * by}; }

void DottedFrame(Framebuffer& target, const Rect& r) {
  for (int x = r.left; x < r.right(); x += 2) {
    target.FillRect(Rect{x, r.top, 1, 1}, kText);
    target.FillRect(Rect{x, r.bottom() - 1, 1, 1}, kText);
  }
  for (int y = r.top; y < r.bottom(); y += 2) {
    target.FillRect(Rect{r.left, y, 1, 1}, kText);
    target.FillRect(Rect{r.right() - 1, y, 1, 1}, kText);
  }
}

int ThumbCentre(const DialogControl& track) {
  const int span = std::max(track.maximum - track.minimum, 1);
  const int usable = track.bounds.width - 2 * kTrackInset;
  return track.bounds.left + kTrackInset + (track.position - track.minimum) * usable / span;
}

}  // namespace

int Dialog::Add(DialogControl control) {
  if (control.kind == DialogControlKind::kTrackBar) {
    control.position = std::clamp(control.position, control.minimum, control.maximum);
  }
  controls_.push_back(std::move(control));
  return static_cast<int>(controls_.size()) - 1;
}

bool Dialog::CanFocus(int index) const {
  if (index < 0 || index >= static_cast<int>(controls_.size())) return false;
  const DialogControl& c = controls_[static_cast<std::size_t>(index)];
  return c.enabled && c.tab_order >= 0;
}

void Dialog::SetFocus(int index) {
  if (CanFocus(index)) focused_ = index;
}

void Dialog::FocusFirst() {
  focused_ = -1;
  MoveFocus(false);
}

void Dialog::MoveFocus(bool backward) {
  std::vector<int> order;
  for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
    if (CanFocus(i)) order.push_back(i);
  }
  if (order.empty()) return;
  std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
    return controls_[static_cast<std::size_t>(a)].tab_order < controls_[static_cast<std::size_t>(b)].tab_order;
  });
  const auto at = std::find(order.begin(), order.end(), focused_);
  if (at == order.end()) {
    focused_ = backward ? order.back() : order.front();
    return;
  }
  const std::size_t i = static_cast<std::size_t>(at - order.begin());
  focused_ = backward ? order[(i + order.size() - 1) % order.size()] : order[(i + 1) % order.size()];
}

void Dialog::SetChecked(int index, bool checked) { control(index).checked = checked; }

void Dialog::SetPosition(int index, int position) {
  DialogControl& track = control(index);
  const int clamped = std::clamp(position, track.minimum, track.maximum);
  if (clamped == track.position) return;
  track.position = clamped;
  if (track.on_change) track.on_change();
}

void Dialog::SetEnabled(int index, bool enabled) {
  control(index).enabled = enabled;
  // A control that loses the ability to hold the focus hands it on (as Windows dialogs do).
  if (!enabled && focused_ == index) MoveFocus(false);
}

void Dialog::SetText(int index, std::string text) { control(index).text = std::move(text); }

void Dialog::Click(int index) {
  DialogControl& c = control(index);
  if (!c.enabled) return;
  if (c.kind == DialogControlKind::kCheckBox) {
    c.checked = !c.checked;
    if (c.on_click) c.on_click();
  } else if (c.kind == DialogControlKind::kButton) {
    if (c.on_click) c.on_click();
  }
}

void Dialog::PressButton(bool cancel) {
  for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
    const DialogControl& c = controls_[static_cast<std::size_t>(i)];
    if (c.kind == DialogControlKind::kButton && c.enabled && (cancel ? c.cancel_button : c.default_button)) {
      Click(i);
      return;
    }
  }
}

void Dialog::StepTrack(int index, int delta) {
  DialogControl& track = control(index);
  SetPosition(index, track.position + delta);
}

int Dialog::ControlAt(int x, int y) const {
  // Later controls lie over earlier ones; the bevel is only a frame.
  for (int i = static_cast<int>(controls_.size()) - 1; i >= 0; --i) {
    const DialogControl& c = controls_[static_cast<std::size_t>(i)];
    if (c.kind != DialogControlKind::kBevel && c.bounds.Contains(x, y)) return i;
  }
  return -1;
}

int Dialog::TrackPositionAt(const DialogControl& track, int x) const {
  const int span = std::max(track.maximum - track.minimum, 1);
  const int usable = std::max(track.bounds.width - 2 * kTrackInset, 1);
  const int offset = std::clamp(x - (track.bounds.left + kTrackInset), 0, usable);
  return track.minimum + (offset * span + usable / 2) / usable;
}

void Dialog::HandleEvent(const Event& event) {
  switch (event.type) {
    case EventType::kClose:
      if (on_close) on_close();
      return;
    case EventType::kKeyDown: {
      const int key = event.key;
      if (key == kVkTab) {
        MoveFocus((event.shift & kShiftKey) != 0);
        return;
      }
      if (key == kVkReturn) {
        if (focused_ >= 0 && control(focused_).kind == DialogControlKind::kButton) {
          Click(focused_);
        } else {
          PressButton(false);
        }
        return;
      }
      if (key == kVkEscape) {
        PressButton(true);
        return;
      }
      if (focused_ >= 0) {
        DialogControl& c = control(focused_);
        if (key == kVkSpace && (c.kind == DialogControlKind::kCheckBox || c.kind == DialogControlKind::kButton)) {
          Click(focused_);
          return;
        }
        if (c.kind == DialogControlKind::kTrackBar) {
          switch (key) {
            case kVkLeft:
            case kVkUp:
              StepTrack(focused_, -1);
              return;
            case kVkRight:
            case kVkDown:
              StepTrack(focused_, 1);
              return;
            case kVkPrior:
              StepTrack(focused_, -c.page_size);
              return;
            case kVkNext:
              StepTrack(focused_, c.page_size);
              return;
            case kVkHome:
              SetPosition(focused_, c.minimum);
              return;
            case kVkEnd:
              SetPosition(focused_, c.maximum);
              return;
            default:
              break;
          }
        }
      }
      // Accelerators: the letter with Alt, or alone (no control here takes characters).
      if (key >= 'A' && key <= 'Z') {
        for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
          DialogControl& c = controls_[static_cast<std::size_t>(i)];
          if (AcceleratorOf(c.text) != key) continue;
          if (c.kind == DialogControlKind::kLabel) {
            if (c.enabled && CanFocus(c.focus_control)) focused_ = c.focus_control;
          } else if (c.enabled) {
            SetFocus(i);
            Click(i);
          }
          return;
        }
      }
      return;
    }
    case EventType::kMouseDown: {
      if (event.button != MouseButton::kLeft) return;
      const int index = ControlAt(event.x, event.y);
      if (index < 0 || !control(index).enabled) return;
      DialogControl& c = control(index);
      SetFocus(index);
      pressed_ = index;
      if (c.kind == DialogControlKind::kTrackBar) {
        const int centre = ThumbCentre(c);
        if (event.x >= centre - kThumbHalfWidth && event.x <= centre + kThumbHalfWidth) {
          dragging_ = true;
        } else {
          StepTrack(index, event.x < centre ? -c.page_size : c.page_size);
        }
      }
      return;
    }
    case EventType::kMouseMove:
      if (dragging_ && pressed_ >= 0) SetPosition(pressed_, TrackPositionAt(control(pressed_), event.x));
      return;
    case EventType::kMouseUp: {
      const int pressed = pressed_;
      pressed_ = -1;
      if (dragging_) {
        dragging_ = false;
        return;
      }
      if (pressed < 0 || event.button != MouseButton::kLeft) return;
      const DialogControl& c = control(pressed);
      if (c.bounds.Contains(event.x, event.y) &&
          (c.kind == DialogControlKind::kCheckBox || c.kind == DialogControlKind::kButton)) {
        Click(pressed);
      }
      return;
    }
    default:
      return;
  }
}

void Dialog::Paint(Framebuffer& target, TextRenderer* text) {
  target.FillRect(target.bounds(), kFace);
  auto draw_text = [&](const DialogControl& c, int x, int y, const Rect& clip) {
    if (text == nullptr) return;
    std::size_t accelerator = std::string::npos;
    const std::string shown = Shown(c.text, &accelerator);
    if (c.right_aligned) x = c.bounds.right() - text->TextWidth(shown);
    auto once = [&](int dx, int dy, std::uint32_t colour) {
      text->DrawText(target, x + dx, y + dy, shown, colour, clip);
      if (accelerator != std::string::npos) {
        const int ux = x + dx + text->TextWidth(shown.substr(0, accelerator));
        const int uw = std::max(text->TextWidth(shown.substr(accelerator, 1)), 1);
        target.FillRect(Intersect(Rect{ux, y + dy + 12, uw, 1}, clip), colour);
      }
    };
    if (c.enabled) {
      once(0, 0, kText);
    } else {
      once(1, 1, kHighlight);
      once(0, 0, kShadow);
    }
  };
  for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
    const DialogControl& c = controls_[static_cast<std::size_t>(i)];
    const Rect& r = c.bounds;
    const bool focus = i == focused_;
    switch (c.kind) {
      case DialogControlKind::kBevel:
        Frame(target, r, kShadow, kHighlight);
        Frame(target, Inset(r, 1), kHighlight, kShadow);
        break;
      case DialogControlKind::kLabel:
        // One row more than the label for the accelerator's underline.
        draw_text(c, r.left, r.top, Rect{r.left, r.top, r.width, r.height + 1});
        break;
      case DialogControlKind::kCheckBox: {
        const Rect box{r.left, r.top + (r.height - kCheckBoxSize) / 2, kCheckBoxSize, kCheckBoxSize};
        Frame(target, box, kShadow, kHighlight);
        Frame(target, Inset(box, 1), kDark, kLight);
        target.FillRect(Inset(box, 2), c.enabled ? kWindowWhite : kFace);
        if (c.checked) {
          const std::uint32_t mark = c.enabled ? kText : kShadow;
          for (int k = 0; k < 7; ++k) {
            const int x = box.left + 3 + k;
            const int y = box.top + (k < 3 ? 5 + k : 9 - k);
            target.FillRect(Rect{x, y, 1, 3}, mark);
          }
        }
        const Rect caption{r.left + kCheckBoxSize + 4, r.top, r.width - kCheckBoxSize - 4, r.height};
        draw_text(c, caption.left, r.top + (r.height - 12) / 2, caption);
        if (focus && text != nullptr) {
          const int width = text->TextWidth(Shown(c.text, nullptr));
          DottedFrame(target, Rect{caption.left - 1, r.top + (r.height - 12) / 2 - 1, width + 3, 15});
        }
        break;
      }
      case DialogControlKind::kTrackBar: {
        const Rect channel{r.left + 8, r.top + 8, r.width - 16, 4};
        Frame(target, channel, kShadow, kHighlight);
        const int span = std::max(c.maximum - c.minimum, 0);
        DialogControl at = c;
        for (int p = c.minimum; p <= c.minimum + span; ++p) {
          at.position = p;
          target.FillRect(Rect{ThumbCentre(at), r.top + 21, 1, 3}, kText);
        }
        const int centre = ThumbCentre(c);
        const Rect thumb{centre - kThumbHalfWidth, r.top + 2, 2 * kThumbHalfWidth + 1, 17};
        target.FillRect(thumb, c.enabled ? kFace : kFace);
        Frame(target, thumb, kHighlight, kDark);
        Frame(target, Inset(thumb, 1), kLight, kShadow);
        if (!c.enabled) {
          for (int y = thumb.top + 2; y < thumb.bottom() - 2; y += 2) {
            for (int x = thumb.left + 2 + (y & 1); x < thumb.right() - 2; x += 2) {
              target.FillRect(Rect{x, y, 1, 1}, kHighlight);
            }
          }
        }
        if (focus) DottedFrame(target, r);
        break;
      }
      case DialogControlKind::kButton: {
        target.FillRect(r, kFace);
        Rect face = r;
        const bool emphasised = focus || (c.default_button && (focused_ < 0 ||
                                                                control(focused_).kind != DialogControlKind::kButton));
        if (emphasised) {
          Frame(target, r, kText, kText);
          face = Inset(r, 1);
        }
        Frame(target, face, kHighlight, kDark);
        Frame(target, Inset(face, 1), kLight, kShadow);
        if (text != nullptr) {
          const int width = text->TextWidth(Shown(c.text, nullptr));
          DialogControl centred = c;
          centred.right_aligned = false;
          draw_text(centred, r.left + (r.width - width) / 2, r.top + (r.height - 12) / 2, Inset(r, 2));
        }
        if (focus) DottedFrame(target, Inset(r, 4));
        break;
      }
    }
  }
}

}  // namespace vorn::platform
