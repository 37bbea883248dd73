#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/tile_paint.h"
#include "components/vorn_control.h"

namespace vorn {

class TVornImageList;

// The gauge (kind 23): a value shown as a filled bar from one cached picture of two halves (fill,
// lost segment). A decrease leaves a lost segment that waits DURATION and then shrinks; an increase
// makes the fill grow; both cross the whole range in DELAY milliseconds.
class TVornGauge : public TVornControl {
 public:
  enum TMode : std::int32_t { kIdle = 0, kLost = 100, kRising = 200 };

  explicit TVornGauge(TVornBaseList* owner);
  ~TVornGauge() override;

  std::uint8_t GetCompoType() const override { return 23; }

  std::string GetSource() const override { return source_; }
  void SetSource(const std::string& value) override;
  std::int32_t GetMin() const override { return min_; }
  void SetMin(std::int32_t value) override;
  std::int32_t GetMax() const override { return max_; }
  void SetMax(std::int32_t value) override;
  // Stored as set, read clamped to MIN .. MAX.
  std::int32_t GetValue() const override { return ClampedValue(); }
  void SetValue(std::int32_t value) override;
  std::int32_t StoredValue() const { return value_; }
  std::int32_t GetAlpha() const override { return alpha_; }
  void SetAlpha(std::int32_t value) override;
  bool GetPaused() const override { return paused_ != 0; }
  void SetPaused(bool value) override { paused_ = value ? 1 : 0; }
  std::uint8_t GetOrientation() const override { return orientation_; }
  void SetOrientation(std::uint8_t value) override;
  bool GetReverse() const override { return reverse_ != 0; }
  void SetReverse(bool value) override;
  std::int32_t GetBarSize() const override { return bar_size_; }
  void SetBarSize(std::int32_t value) override;
  std::int32_t GetDelay() const override { return delay_; }
  void SetDelay(std::int32_t value) override { delay_ = value; }
  std::int32_t GetDuration() const override { return duration_; }
  void SetDuration(std::int32_t value) override { duration_ = value; }
  std::string GetOnIdle() const override { return on_idle_; }
  void SetOnIdle(const std::string& value) override { on_idle_ = value; }
  // An animation runs.
  bool GetPlaying() const override { return mode_ != kIdle; }

  std::int64_t Shown() const { return shown_; }
  std::int64_t Lost() const { return lost_; }
  TMode Mode() const { return mode_; }
  std::int32_t Countdown() const { return countdown_; }
  // Fill and lost lengths along the bar, within 0 .. the bar length.
  std::int64_t FillLength() const;
  std::int64_t LostLength() const;

  bool Tick() override;
  void Paint() override;

 protected:
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  std::int32_t ClampedValue() const;
  std::int64_t Range() const { return std::int64_t{max_} - min_; }
  std::int64_t BarLength() const { return orientation_ == 1 ? GetHeight() : GetWidth(); }
  void UpdateSize();
  void EndAnimation();
  void PaintOwn(TCustomDIBX& surface);

  std::string source_;
  std::unique_ptr<TVornImageList> picture_;
  std::int32_t min_ = 0;
  std::int32_t max_ = 0;
  std::int32_t value_ = 0;
  std::int32_t alpha_ = 0;
  std::uint8_t paused_ = 0;
  std::uint8_t orientation_ = 0;
  std::uint8_t reverse_ = 0;
  std::int32_t bar_size_ = 0;
  std::int32_t delay_ = 0;
  std::int32_t duration_ = 0;
  std::string on_idle_;

  std::int64_t shown_ = 0;
  std::int64_t lost_ = 0;
  TMode mode_ = kIdle;
  double accumulator_ = 0.0;
  std::int32_t countdown_ = 0;
};

}  // namespace vorn
