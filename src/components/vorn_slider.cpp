#include "components/vorn_slider.h"

#include <algorithm>
#include <limits>

#include "components/fixed_point.h"
#include "components/pelk_collection.h"
#include "components/vorn_base_list.h"
#include "components/vorn_image_list.h"
#include "engine/engine_values.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "foundation/vocabulary_codes.h"
#include "graphics/custom_dibx.h"
#include "platform/key_codes.h"

namespace vorn {

namespace {

constexpr std::int32_t kFirstRepeatMs = 300;
constexpr std::int32_t kRepeatMs = 50;
constexpr int kThumbCells = 3;
constexpr int kButtonCells = 6;
constexpr int kBarHalves = 2;
constexpr std::int32_t kFirstVersionWithCaptureMask = 119;
constexpr std::int32_t kFirstVersionWithBarSize = 128;
constexpr std::uint8_t kIgnoreAll = 1;

TPelkItemFrame* FirstFrame(const TVornImageList& list) {
  TVornImageData* data = list.GetItem(0);
  return data != nullptr ? &data->Frame() : nullptr;
}

TRect CellOf(const TPelkItemFrame& frame, int cell, int cells) {
  const int width = frame.Surface().GetWidth() / cells;
  const int height = frame.Surface().GetHeight();
  return TRect{cell * width, 0, (cell + 1) * width, height};
}

}  // namespace

TVornSlider::TVornSlider(TVornBaseList* owner) : TVornControl(owner) {
  for (auto& picture : pictures_) picture = std::make_unique<TVornImageList>(owner);
}

TVornSlider::~TVornSlider() = default;

// ---- properties ----

std::int32_t TVornSlider::ClampedValue() const {
  std::int32_t value = value_;
  if (value < min_) value = min_;
  if (value > max_) value = max_;
  return value;
}

void TVornSlider::SetMin(std::int32_t value) {
  if (value == min_) return;
  min_ = value;
  UpdatePosition();
}

void TVornSlider::SetMax(std::int32_t value) {
  if (value == max_) return;
  max_ = value;
  UpdatePosition();
}

void TVornSlider::SetValue(std::int32_t value) {
  if (value == value_) return;
  value_ = value;
  UpdatePosition();
}

void TVornSlider::SetAlpha(std::int32_t value) {
  if (value == alpha_) return;
  alpha_ = value;
  Invalidate();
}

void TVornSlider::SetPaused(bool value) {
  paused_ = value ? 1 : 0;
  ApplyHoverRule();
}

void TVornSlider::SetOrientation(std::uint8_t value) {
  if (value == orientation_) return;
  orientation_ = value;
  UpdateSize();
}

void TVornSlider::SetBarSize(std::int32_t value) {
  if (value == bar_size_) return;
  bar_size_ = value;
  UpdateSize();
}

void TVornSlider::SetPicture(TPicture which, const std::string& value) {
  std::string& stored = sources_[which];
  if (value == stored) return;
  stored = value;
  TVornImageList& list = *pictures_[which];
  list.Clear();
  if (!value.empty()) list.LoadFromFile(value, false);
  UpdateSize();
}

void TVornSlider::UpdateSize() {
  auto size_of = [this](TPicture which, int cells, std::int64_t& width, std::int64_t& height) {
    const TPelkItemFrame* frame = FirstFrame(*pictures_[which]);
    width = frame != nullptr ? frame->Surface().GetWidth() / cells : 0;
    height = frame != nullptr ? frame->Surface().GetHeight() : 0;
  };
  size_of(kBar, kBarHalves, bar_w_, bar_h_);
  size_of(kThumb, kThumbCells, thumb_w_, thumb_h_);
  size_of(kButton, kButtonCells, button_w_, button_h_);
  if (bar_size_ > 0) (IsVertical() ? bar_h_ : bar_w_) = bar_size_;
  std::int64_t width = 0;
  std::int64_t height = 0;
  if (bar_w_ > 0 && bar_h_ > 0) {
    const std::int64_t thumb_part = IsScrollbar() ? 0 : 1;
    if (IsVertical()) {
      width = std::max({bar_w_, thumb_w_, button_w_});
      height = bar_h_ + thumb_part * thumb_h_ + 2 * button_h_;
    } else {
      width = bar_w_ + thumb_part * thumb_w_ + 2 * button_w_;
      height = std::max({bar_h_, thumb_h_, button_h_});
    }
  }
  SetWidth(Wrap32(width));
  SetHeight(Wrap32(height));
  UpdatePosition();
}

void TVornSlider::UpdatePosition() {
  const std::int64_t range = Range();
  std::int64_t position = 0;
  if (range > 0) {
    const std::int64_t length = IsScrollbar() ? BarLength() - ThumbLength() : BarLength();
    position = MulDivHalfEven(std::int64_t{ClampedValue()} - min_, length, range);
  }
  position_ = position;
  Invalidate();
}

// ---- layout ----

TRect64 TVornSlider::BarRect() const {
  const std::int64_t left = GetScreenLeft();
  const std::int64_t top = GetScreenTop();
  const std::int64_t offset = IsScrollbar() ? 0 : 1;
  if (IsVertical()) {
    return TRect64::Bounds(left + (std::int64_t{GetWidth()} - bar_w_) / 2,
                           top + button_h_ + offset * (thumb_h_ / 2), bar_w_, bar_h_);
  }
  return TRect64::Bounds(left + button_w_ + offset * (thumb_w_ / 2), top + (std::int64_t{GetHeight()} - bar_h_) / 2,
                         bar_w_, bar_h_);
}

TRect64 TVornSlider::ThumbRect() const {
  const std::int64_t left = GetScreenLeft();
  const std::int64_t top = GetScreenTop();
  if (IsVertical()) {
    const std::int64_t y = IsScrollbar() ? button_h_ + position_ : button_h_ + bar_h_ - position_;
    return TRect64::Bounds(left + (std::int64_t{GetWidth()} - thumb_w_) / 2, top + y, thumb_w_, thumb_h_);
  }
  return TRect64::Bounds(left + button_w_ + position_, top + (std::int64_t{GetHeight()} - thumb_h_) / 2, thumb_w_,
                         thumb_h_);
}

TRect64 TVornSlider::ButtonRect(int which) const {
  const std::int64_t left = GetScreenLeft();
  const std::int64_t top = GetScreenTop();
  if (IsVertical()) {
    const std::int64_t y = which == 0 ? 0 : std::int64_t{GetHeight()} - button_h_;
    return TRect64::Bounds(left + (std::int64_t{GetWidth()} - button_w_) / 2, top + y, button_w_, button_h_);
  }
  const std::int64_t x = which == 0 ? 0 : std::int64_t{GetWidth()} - button_w_;
  return TRect64::Bounds(left + x, top + (std::int64_t{GetHeight()} - button_h_) / 2, button_w_, button_h_);
}

// ---- hit tests ----

TPoint TVornSlider::Pointer() const {
  TVornBase* layer = GetBase();
  if (layer == nullptr && GetOwner() != nullptr) layer = GetOwner()->ActiveLayer();
  if (layer == nullptr) return {};
  return {layer->Mouse().x, layer->Mouse().y};
}

bool TVornSlider::OnBar(TPoint point) const {
  const TRect64 bar = BarRect();
  if (!bar.Contains(point.x, point.y)) return false;
  const TPelkItemFrame* frame = FirstFrame(*pictures_[kBar]);
  if (frame == nullptr) return true;
  const std::int64_t half = frame->Surface().GetWidth() / kBarHalves;
  const std::int64_t height = frame->Surface().GetHeight();
  if (half <= 0 || height <= 0) return false;
  // A bar longer than its picture repeats it.
  return MaskCovers(*frame, (point.x - bar.left) % half, (point.y - bar.top) % height);
}

bool TVornSlider::OnThumb(TPoint point) const {
  const TRect64 thumb = ThumbRect();
  if (!thumb.Contains(point.x, point.y)) return false;
  if (capture_mask_ == 0) return true;
  const TPelkItemFrame* frame = FirstFrame(*pictures_[kThumb]);
  return frame == nullptr || MaskCovers(*frame, point.x - thumb.left, point.y - thumb.top);
}

bool TVornSlider::OnButton(int which, TPoint point) const {
  const TRect64 button = ButtonRect(which);
  if (!button.Contains(point.x, point.y)) return false;
  const TPelkItemFrame* frame = FirstFrame(*pictures_[kButton]);
  if (frame == nullptr) return true;
  const std::int64_t cell = which == 0 ? 0 : 3;
  return MaskCovers(*frame, cell * button_w_ + point.x - button.left, point.y - button.top);
}

void TVornSlider::SetStates(std::int32_t thumb, std::int32_t first, std::int32_t second) {
  if (thumb == thumb_state_ && first == button_state_[0] && second == button_state_[1]) return;
  thumb_state_ = thumb;
  button_state_ = {first, second};
  Invalidate();
}

void TVornSlider::ApplyHoverRule() {
  if (Range() <= 0 || GetIgnoreMouse() == kIgnoreAll || paused_ != 0) {
    SetStates(0, 0, 0);
    return;
  }
  const TPoint point = Pointer();
  SetStates(OnThumb(point) ? 1 : 0, OnButton(0, point) ? 1 : 0, OnButton(1, point) ? 1 : 0);
}

// ---- value changes ----

void TVornSlider::PostPlain(const std::string& label, std::uint8_t code) {
  TVornBaseList* scene = GetOwner();
  if (scene != nullptr && CanPostEvent(scene->Events(), *this, label, code, TPostKind::kPlain)) {
    scene->Events().PostEvent(this, label, nullptr, code);
  }
}

void TVornSlider::ChangeValueByUser(std::int64_t value) {
  if (value < min_) value = min_;
  if (value > max_) value = max_;
  const auto clamped = static_cast<std::int32_t>(value);
  if (clamped == ClampedValue()) return;
  SetValue(clamped);
  TVornBaseList* scene = GetOwner();
  if (scene != nullptr && CanPostEvent(scene->Events(), *this, on_notify_, PR_ONNOTIFY, TPostKind::kPlain)) {
    TArrayString arguments;
    arguments.Add(std::to_string(clamped));
    scene->Events().PostEvent(this, on_notify_, &arguments, PR_ONNOTIFY);
  }
}

void TVornSlider::DragTo(TPoint point) {
  const TRect64 bar = BarRect();
  const std::int64_t range = Range();
  std::int64_t length;
  std::int64_t distance;
  if (IsScrollbar()) {
    length = BarLength() - ThumbLength();
    distance = AlongAxis(point) - (IsVertical() ? bar.top : bar.left) - drag_offset_;
  } else if (IsVertical()) {
    length = bar_h_;
    distance = bar_h_ + bar.top + drag_offset_ - point.y - 1;
  } else {
    length = bar_w_;
    distance = point.x - bar.left - drag_offset_;
  }
  if (length <= 0 || range <= 0) return;
  ChangeValueByUser(std::int64_t{min_} + MulDivHalfEven(range, distance, length));
}

void TVornSlider::ButtonStep(int which) {
  // The vertical slider grows upward: its top button adds.
  const bool adds = (which == 1) != (IsVertical() && !IsScrollbar());
  ChangeValueByUser(std::int64_t{ClampedValue()} + (adds ? std::int64_t{small_change_} : -std::int64_t{small_change_}));
}

bool TVornSlider::TrackContinues(TPoint point) const {
  if (!OnBar(point)) return false;
  const TRect64 thumb = ThumbRect();
  const std::int64_t along = AlongAxis(point);
  const std::int64_t start = IsVertical() ? thumb.top : thumb.left;
  const std::int64_t end = IsVertical() ? thumb.bottom : thumb.right;
  return mouse_state_ == kTrackToMin ? along < start : along >= end;
}

// ---- mouse ----

void TVornSlider::MouseMove() {
  if (mouse_state_ == kIdle) {
    ApplyHoverRule();
  } else if (mouse_state_ == kDragging) {
    DragTo(Pointer());
  }
  TVornControl::MouseMove();
}

void TVornSlider::MouseOut(TVornObject* next) {
  if (mouse_state_ == kIdle) SetStates(0, 0, 0);
  TVornControl::MouseOut(next);
}

void TVornSlider::LBtnDown() {
  const std::uint8_t mode = GetIgnoreMouse();
  TVornBase* layer = GetBase();
  if (mouse_state_ == kIdle && (mode == 0 || mode == 4) && Range() >= 1 && layer != nullptr) {
    const TPoint point = Pointer();
    bool captured = true;
    if (thumb_state_ == 1) {
      PostPlain(on_hold_, PR_ONHOLD);
      const TRect64 thumb = ThumbRect();
      drag_offset_ = AlongAxis(point) - (IsVertical() ? thumb.top : thumb.left);
      if (!IsScrollbar()) drag_offset_ -= ThumbLength() / 2;
      SetStates(2, button_state_[0], button_state_[1]);
      mouse_state_ = kDragging;
    } else if (button_state_[0] == 1 || button_state_[1] == 1) {
      const int which = button_state_[0] == 1 ? 0 : 1;
      ButtonStep(which);
      SetStates(thumb_state_, which == 0 ? 2 : button_state_[0], which == 1 ? 2 : button_state_[1]);
      countdown_ = kFirstRepeatMs;
      mouse_state_ = which == 0 ? kFirstHeld : kSecondHeld;
    } else if (OnBar(point)) {
      if (IsScrollbar()) {
        track_pressed_ = true;
        countdown_ = kFirstRepeatMs;
        const TRect64 thumb = ThumbRect();
        mouse_state_ = (IsVertical() ? thumb.top : thumb.left) < AlongAxis(point) ? kTrackToMax : kTrackToMin;
        const std::int64_t step = TrackStep();
        ChangeValueByUser(std::int64_t{ClampedValue()} + (mouse_state_ == kTrackToMax ? step : -step));
        Invalidate();
      } else {
        PostPlain(on_hold_, PR_ONHOLD);
        SetStates(2, button_state_[0], button_state_[1]);
        mouse_state_ = kDragging;
        drag_offset_ = 0;
        DragTo(point);
      }
    } else {
      captured = false;
    }
    if (captured) {
      layer->Mouse().capture |= kLeftCapture;
      layer->Mouse().left_pressed = 0;
    }
  }
  TVornControl::LBtnDown();
}

void TVornSlider::LBtnUp() {
  if (mouse_state_ != kIdle) {
    if (mouse_state_ == kDragging) PostPlain(on_release_, PR_ONRELEASE);
    mouse_state_ = kIdle;
    if (track_pressed_) {
      track_pressed_ = false;
      Invalidate();
    }
    ApplyHoverRule();
  }
  TVornControl::LBtnUp();
  if (TVornBase* layer = GetBase()) layer->Mouse().capture &= ~kLeftCapture;
}

void TVornSlider::MouseStepEnd() {
  if (mouse_state_ < kFirstHeld || mouse_state_ > kTrackToMax) return;
  const TPoint point = Pointer();
  if (mouse_state_ >= kTrackToMin) {
    const bool on = TrackContinues(point);
    if (on != track_pressed_) {
      track_pressed_ = on;
      Invalidate();
    }
  }
  std::int64_t countdown = std::int64_t{countdown_} - FrameDelta;
  const bool due = countdown <= 0;
  if (due) countdown += kRepeatMs;
  countdown_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      countdown, std::int64_t{std::numeric_limits<std::int32_t>::min()} + kRepeatMs, kFirstRepeatMs));
  if (!due) return;
  if (mouse_state_ <= kSecondHeld) {
    const int which = mouse_state_ == kFirstHeld ? 0 : 1;
    const std::int32_t state = OnButton(which, point) ? 2 : 0;
    SetStates(thumb_state_, which == 0 ? state : button_state_[0], which == 1 ? state : button_state_[1]);
    if (state == 2) ButtonStep(which);
    return;
  }
  if (track_pressed_) {
    const std::int64_t step = TrackStep();
    ChangeValueByUser(std::int64_t{ClampedValue()} + (mouse_state_ == kTrackToMax ? step : -step));
  }
}

// ---- keys ----

void TVornSlider::KeyRepeat() {
  if (TVornBaseList* scene = GetOwner()) {
    int more;
    int less;
    if (!IsVertical()) {
      more = platform::kVkRight;
      less = platform::kVkLeft;
    } else if (IsScrollbar()) {
      more = platform::kVkDown;
      less = platform::kVkUp;
    } else {
      more = platform::kVkUp;
      less = platform::kVkDown;
    }
    const std::int64_t step = small_change_;
    if (scene->GetKeyPush(more)) {
      ChangeValueByUser(std::int64_t{ClampedValue()} + step);
    } else if (scene->GetKeyPush(less)) {
      ChangeValueByUser(std::int64_t{ClampedValue()} - step);
    }
  }
  TVornControl::KeyRepeat();
}

// ---- paint ----

void TVornSlider::Paint() {
  TCustomDIBX* surface = GetSurface();
  if (surface != nullptr && GetVisible() && GetWidth() != 0 && GetHeight() != 0 && pictures_[kBar]->Count() > 0) {
    const TRect saved = surface->GetDirtyRect();
    TRect visible;
    if (ClipRect64(TRect64::Bounds(GetScreenLeft(), GetScreenTop(), GetWidth(), GetHeight()), saved, visible)) {
      surface->ResetDirtyRect();
      surface->SetDirtyRect(visible);
      PaintOwn(*surface);
      surface->ResetDirtyRect();
      surface->SetDirtyRect(saved);
    }
  }
  TVornControl::Paint();
}

void TVornSlider::PaintBar(TCustomDIBX& surface, const TRect64& bar) {
  const TPelkItemFrame* frame = FirstFrame(*pictures_[kBar]);
  if (frame == nullptr) return;
  const TRect empty_half = CellOf(*frame, 0, kBarHalves);
  const TRect full_half = CellOf(*frame, 1, kBarHalves);
  const bool vertical = IsVertical();
  // The pattern is anchored at the bar's start: the left edge, or the bottom edge when vertical.
  auto tile = [&](const TRect& source, const TRect64& part) {
    if (part.IsEmpty()) return;
    PaintTiled(surface, *frame, source, part, alpha_, false, false, vertical ? 0 : part.left - bar.left,
               vertical ? part.top - bar.bottom : 0);
  };
  if (!IsScrollbar()) {
    const std::int64_t filled = std::clamp<std::int64_t>(position_, 0, BarLength());
    if (vertical) {
      tile(full_half, {bar.left, bar.bottom - filled, bar.right, bar.bottom});
      tile(empty_half, {bar.left, bar.top, bar.right, bar.bottom - filled});
    } else {
      tile(full_half, {bar.left, bar.top, bar.left + filled, bar.bottom});
      tile(empty_half, {bar.left + filled, bar.top, bar.right, bar.bottom});
    }
    return;
  }
  if (!track_pressed_ || (mouse_state_ != kTrackToMin && mouse_state_ != kTrackToMax)) {
    tile(empty_half, bar);
    return;
  }
  const TRect64 thumb = ThumbRect();
  const std::int64_t middle = std::clamp<std::int64_t>(
      vertical ? thumb.top + thumb.Height() / 2 : thumb.left + thumb.Width() / 2, vertical ? bar.top : bar.left,
      vertical ? bar.bottom : bar.right);
  const TRect64 before = vertical ? TRect64{bar.left, bar.top, bar.right, middle}
                                  : TRect64{bar.left, bar.top, middle, bar.bottom};
  const TRect64 after = vertical ? TRect64{bar.left, middle, bar.right, bar.bottom}
                                 : TRect64{middle, bar.top, bar.right, bar.bottom};
  const bool to_min = mouse_state_ == kTrackToMin;
  tile(to_min ? full_half : empty_half, before);
  tile(to_min ? empty_half : full_half, after);
}

void TVornSlider::PaintOwn(TCustomDIBX& surface) {
  PaintBar(surface, BarRect());
  auto cell = [&](TPicture which, int index, int cells, const TRect64& place) {
    const TPelkItemFrame* frame = FirstFrame(*pictures_[which]);
    if (frame == nullptr || place.IsEmpty()) return;
    TRect visible;
    if (!ClipRect64(place, surface.GetDirtyRect(), visible)) return;
    frame->Draw(surface, static_cast<int>(place.left), static_cast<int>(place.top), alpha_, false, false,
                CellOf(*frame, index, cells));
  };
  if (thumb_w_ > 0 && thumb_h_ > 0 && Range() > 0) cell(kThumb, thumb_state_, kThumbCells, ThumbRect());
  if (button_w_ >= 1 && button_h_ >= 1) {
    cell(kButton, button_state_[0], kButtonCells, ButtonRect(0));
    cell(kButton, button_state_[1] + 3, kButtonCells, ButtonRect(1));
  }
}

// ---- record ----

void TVornSlider::SaveClassFields(TStream& stream) const {
  TVornControl::SaveClassFields(stream);
  for (const std::string& source : sources_) WriteStrToStream(stream, source);
  WriteIntToStream(stream, min_);
  WriteIntToStream(stream, max_);
  WriteIntToStream(stream, value_);
  WriteIntToStream(stream, small_change_);
  WriteIntToStream(stream, alpha_);
  WriteByteToStream(stream, paused_);
  WriteByteToStream(stream, orientation_);
  WriteStrToStream(stream, on_notify_);
  WriteStrToStream(stream, on_hold_);
  WriteStrToStream(stream, on_release_);
  WriteStrToStream(stream, on_idle_);
  WriteByteToStream(stream, capture_mask_);
  WriteIntToStream(stream, bar_size_);
}

void TVornSlider::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornControl::LoadClassFields(stream, version);
  SetSource(ReadStrFromStream(stream));
  SetThumbSource(ReadStrFromStream(stream));
  SetButtonSource(ReadStrFromStream(stream));
  min_ = ReadIntFromStream(stream);
  max_ = ReadIntFromStream(stream);
  value_ = ReadIntFromStream(stream);
  small_change_ = ReadIntFromStream(stream);
  alpha_ = ReadIntFromStream(stream);
  paused_ = ReadByteFromStream(stream);
  orientation_ = ReadByteFromStream(stream);
  ReadStrFromStream(stream, on_notify_);
  ReadStrFromStream(stream, on_hold_);
  ReadStrFromStream(stream, on_release_);
  ReadStrFromStream(stream, on_idle_);
  if (version >= kFirstVersionWithCaptureMask) capture_mask_ = ReadByteFromStream(stream);
  if (version >= kFirstVersionWithBarSize) bar_size_ = ReadIntFromStream(stream);
  mouse_state_ = kIdle;
  track_pressed_ = false;
  UpdateSize();
}

void TVornScrollbar::SaveClassFields(TStream& stream) const {
  TVornSlider::SaveClassFields(stream);
  WriteIntToStream(stream, large_change_);
}

void TVornScrollbar::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornSlider::LoadClassFields(stream, version);
  large_change_ = ReadIntFromStream(stream);
}

}  // namespace vorn
