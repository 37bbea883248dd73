#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "components/tile_paint.h"
#include "components/vorn_control.h"

namespace vorn {

class TVornImageList;

// The slider (kind 21): a value control drawn from three cached pictures, a bar of two halves
// (empty, filled), a thumb of three cells (normal, under the pointer, held) and a pair of arrow
// buttons of six cells. The bar fills up to the value; the thumb is centred on the value point.
// The scroll bar derives from it and differs in layout, track clicks and key directions.
class TVornSlider : public TVornControl {
 public:
  // Mouse states: idle, dragging the thumb, first or second button held, track held toward MIN
  // or MAX (scroll bar only).
  enum TMouseState : std::int32_t { kIdle = 0, kDragging, kFirstHeld, kSecondHeld, kTrackToMin, kTrackToMax };

  explicit TVornSlider(TVornBaseList* owner);
  ~TVornSlider() override;

  std::uint8_t GetCompoType() const override { return 21; }

  std::string GetSource() const override { return sources_[kBar]; }
  void SetSource(const std::string& value) override { SetPicture(kBar, value); }
  std::string GetThumbSource() const override { return sources_[kThumb]; }
  void SetThumbSource(const std::string& value) override { SetPicture(kThumb, value); }
  std::string GetButtonSource() const override { return sources_[kButton]; }
  void SetButtonSource(const std::string& value) override { SetPicture(kButton, value); }
  std::int32_t GetMin() const override { return min_; }
  void SetMin(std::int32_t value) override;
  std::int32_t GetMax() const override { return max_; }
  void SetMax(std::int32_t value) override;
  // Stored as set, read clamped to MIN .. MAX.
  std::int32_t GetValue() const override { return ClampedValue(); }
  void SetValue(std::int32_t value) override;
  std::int32_t StoredValue() const { return value_; }
  std::int32_t GetSmallChange() const override { return small_change_; }
  void SetSmallChange(std::int32_t value) override { small_change_ = value; }
  std::int32_t GetAlpha() const override { return alpha_; }
  void SetAlpha(std::int32_t value) override;
  bool GetPaused() const override { return paused_ != 0; }
  void SetPaused(bool value) override;
  std::uint8_t GetOrientation() const override { return orientation_; }
  void SetOrientation(std::uint8_t value) override;
  std::int32_t GetBarSize() const override { return bar_size_; }
  void SetBarSize(std::int32_t value) override;
  bool GetCaptureMask() const override { return capture_mask_ != 0; }
  void SetCaptureMask(bool value) override { capture_mask_ = value ? 1 : 0; }
  std::string GetOnNotify() const override { return on_notify_; }
  void SetOnNotify(const std::string& value) override { on_notify_ = value; }
  std::string GetOnHold() const override { return on_hold_; }
  void SetOnHold(const std::string& value) override { on_hold_ = value; }
  std::string GetOnRelease() const override { return on_release_; }
  void SetOnRelease(const std::string& value) override { on_release_ = value; }
  std::string GetOnIdle() const override { return on_idle_; }
  void SetOnIdle(const std::string& value) override { on_idle_ = value; }

  // What the drawing and the hit tests use, for tests and the scroll bar.
  std::int64_t Position() const { return position_; }
  std::int32_t ThumbState() const { return thumb_state_; }
  std::int32_t ButtonState(int which) const { return button_state_[which & 1]; }
  std::int32_t MouseState() const { return mouse_state_; }
  bool TrackPressed() const { return track_pressed_; }
  // Screen rectangles of the parts.
  TRect64 BarRect() const;
  TRect64 ThumbRect() const;
  TRect64 ButtonRect(int which) const;

  void Paint() override;
  void MouseMove() override;
  void MouseOut(TVornObject* next) override;
  void LBtnDown() override;
  void LBtnUp() override;
  void MouseStepEnd() override;
  void KeyRepeat() override;

 protected:
  enum TPicture { kBar = 0, kThumb = 1, kButton = 2 };

  virtual bool IsScrollbar() const { return false; }
  // Step of a track press (scroll bar).
  virtual std::int32_t TrackStep() const { return 0; }
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

  bool IsVertical() const { return orientation_ == 1; }
  std::int64_t Range() const { return std::int64_t{max_} - min_; }
  std::int32_t ClampedValue() const;
  // A value change by the user: clamped; when it differs from the current value, stored and
  // announced through ONNOTIFY with the new value.
  void ChangeValueByUser(std::int64_t value);

 private:
  void SetPicture(TPicture which, const std::string& value);
  void UpdateSize();
  void UpdatePosition();
  // Bar, thumb and button lengths along the bar's axis.
  std::int64_t BarLength() const { return IsVertical() ? bar_h_ : bar_w_; }
  std::int64_t ThumbLength() const { return IsVertical() ? thumb_h_ : thumb_w_; }
  // The pointer on the layer, along the axis and across it.
  TPoint Pointer() const;
  std::int64_t AlongAxis(TPoint point) const { return IsVertical() ? point.y : point.x; }
  bool OnBar(TPoint point) const;
  bool OnThumb(TPoint point) const;
  bool OnButton(int which, TPoint point) const;
  // Thumb and button states 1 where the pointer is on them (0 when the hover rule forbids it).
  void ApplyHoverRule();
  void SetStates(std::int32_t thumb, std::int32_t first, std::int32_t second);
  void DragTo(TPoint point);
  // One repeat step of a held button or track.
  void ButtonStep(int which);
  bool TrackContinues(TPoint point) const;
  void PostPlain(const std::string& label, std::uint8_t code);
  void PaintOwn(TCustomDIBX& surface);
  void PaintBar(TCustomDIBX& surface, const TRect64& bar);

  std::array<std::string, 3> sources_;
  std::array<std::unique_ptr<TVornImageList>, 3> pictures_;
  std::int32_t min_ = 0;
  std::int32_t max_ = 0;
  std::int32_t value_ = 0;
  std::int32_t small_change_ = 0;
  std::int32_t alpha_ = 0;
  std::uint8_t paused_ = 0;
  std::uint8_t orientation_ = 0;
  std::int32_t bar_size_ = 0;
  std::uint8_t capture_mask_ = 0;
  std::string on_notify_;
  std::string on_hold_;
  std::string on_release_;
  std::string on_idle_;

  std::int64_t bar_w_ = 0;
  std::int64_t bar_h_ = 0;
  std::int64_t thumb_w_ = 0;
  std::int64_t thumb_h_ = 0;
  std::int64_t button_w_ = 0;
  std::int64_t button_h_ = 0;
  std::int64_t position_ = 0;
  std::int32_t thumb_state_ = 0;
  std::array<std::int32_t, 2> button_state_{};
  std::int32_t mouse_state_ = kIdle;
  std::int64_t drag_offset_ = 0;
  std::int32_t countdown_ = 0;
  bool track_pressed_ = false;
};

// The scroll bar (kind 22): a track in which the thumb runs, paging by LARGECHANGE.
class TVornScrollbar : public TVornSlider {
 public:
  using TVornSlider::TVornSlider;
  std::uint8_t GetCompoType() const override { return 22; }
  std::int32_t GetLargeChange() const override { return large_change_; }
  void SetLargeChange(std::int32_t value) override { large_change_ = value; }

 protected:
  bool IsScrollbar() const override { return true; }
  std::int32_t TrackStep() const override { return large_change_; }
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  std::int32_t large_change_ = 0;
};

}  // namespace vorn
