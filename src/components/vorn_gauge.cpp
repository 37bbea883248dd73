#include "components/vorn_gauge.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "components/fixed_point.h"
#include "components/pelk_collection.h"
#include "components/vorn_image_list.h"
#include "engine/engine_values.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "graphics/custom_dibx.h"

namespace vorn {

namespace {

constexpr int kHalves = 2;
constexpr std::int32_t kFirstVersionWithIdle = 125;
constexpr std::int32_t kFirstVersionWithBarSize = 128;

// The accumulator truncated toward zero, limited to the 64-bit range first.
std::int64_t Truncated(double value) {
  constexpr double kLimit = 9.2e18;
  if (std::isnan(value)) return 0;
  return static_cast<std::int64_t>(std::clamp(value, -kLimit, kLimit));
}

}  // namespace

TVornGauge::TVornGauge(TVornBaseList* owner)
    : TVornControl(owner), picture_(std::make_unique<TVornImageList>(owner)) {}

TVornGauge::~TVornGauge() = default;

std::int32_t TVornGauge::ClampedValue() const {
  std::int32_t value = value_;
  if (value < min_) value = min_;
  if (value > max_) value = max_;
  return value;
}

void TVornGauge::SetSource(const std::string& value) {
  if (value == source_) return;
  source_ = value;
  picture_->Clear();
  if (!value.empty()) picture_->LoadFromFile(value, false);
  UpdateSize();
}

void TVornGauge::SetMin(std::int32_t value) {
  if (value == min_) return;
  min_ = value;
  EndAnimation();
}

void TVornGauge::SetMax(std::int32_t value) {
  if (value == max_) return;
  max_ = value;
  EndAnimation();
}

void TVornGauge::SetValue(std::int32_t value) {
  if (value == value_) return;
  const std::int64_t before = ClampedValue();
  value_ = value;
  const std::int64_t after = ClampedValue();
  if (after < before) {
    shown_ = after;
    lost_ = before - after;
    accumulator_ = static_cast<double>(lost_);
    countdown_ = duration_;
    mode_ = kLost;
  } else {
    lost_ = 0;
    accumulator_ = static_cast<double>(shown_);
    mode_ = kRising;
  }
  Invalidate();
}

void TVornGauge::SetAlpha(std::int32_t value) {
  if (value == alpha_) return;
  alpha_ = value;
  Invalidate();
}

void TVornGauge::SetOrientation(std::uint8_t value) {
  if (value == orientation_) return;
  orientation_ = value;
  UpdateSize();
}

void TVornGauge::SetReverse(bool value) {
  const std::uint8_t flag = value ? 1 : 0;
  if (flag == reverse_) return;
  reverse_ = flag;
  Invalidate();
}

void TVornGauge::SetBarSize(std::int32_t value) {
  if (value == bar_size_) return;
  bar_size_ = value;
  UpdateSize();
}

void TVornGauge::UpdateSize() {
  TVornImageData* data = picture_->GetItem(0);
  std::int32_t width = data != nullptr ? data->Frame().Surface().GetWidth() / kHalves : 0;
  std::int32_t height = data != nullptr ? data->Frame().Surface().GetHeight() : 0;
  if (bar_size_ > 0) (orientation_ == 1 ? height : width) = bar_size_;
  SetWidth(width);
  SetHeight(height);
  Invalidate();
}

void TVornGauge::EndAnimation() {
  shown_ = ClampedValue();
  lost_ = 0;
  mode_ = kIdle;
  Invalidate();
}

bool TVornGauge::Tick() {
  const bool scrap = TVornControl::Tick();
  if (mode_ == kIdle) return scrap;
  const std::int64_t range = Range();
  if (mode_ == kLost && countdown_ > 0) {
    countdown_ = static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{countdown_} - FrameDelta,
                                                                   std::numeric_limits<std::int32_t>::min()));
    return scrap;
  }
  if (delay_ <= 0 || range <= 0) {
    EndAnimation();
    return scrap;
  }
  const double step = static_cast<double>(range) / delay_ * FrameDelta;
  if (mode_ == kLost) {
    accumulator_ -= step;
    lost_ = Truncated(accumulator_);
    if (lost_ < 1) {
      EndAnimation();
    } else {
      Invalidate();
    }
  } else if (mode_ == kRising) {
    accumulator_ += step;
    const std::int64_t shown = Truncated(accumulator_);
    if (shown >= ClampedValue()) {
      EndAnimation();
    } else if (shown != shown_) {
      shown_ = shown;
      Invalidate();
    }
  }
  return scrap;
}

std::int64_t TVornGauge::FillLength() const {
  const std::int64_t range = Range();
  if (range <= 0) return 0;
  return std::clamp<std::int64_t>(MulDivHalfEven(BarLength(), shown_, range), 0, std::max<std::int64_t>(0, BarLength()));
}

std::int64_t TVornGauge::LostLength() const {
  const std::int64_t range = Range();
  if (range <= 0) return 0;
  const std::int64_t room = std::max<std::int64_t>(0, BarLength() - FillLength());
  return std::clamp<std::int64_t>(MulDivHalfEven(BarLength(), lost_, range), 0, room);
}

void TVornGauge::Paint() {
  TCustomDIBX* surface = GetSurface();
  if (surface != nullptr && GetVisible() && GetWidth() != 0 && GetHeight() != 0 && picture_->Count() > 0) {
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

void TVornGauge::PaintOwn(TCustomDIBX& surface) {
  TVornImageData* data = picture_->GetItem(0);
  if (data == nullptr) return;
  const TPelkItemFrame& frame = data->Frame();
  const int half = frame.Surface().GetWidth() / kHalves;
  const TRect fill_source{0, 0, half, frame.Surface().GetHeight()};
  const TRect lost_source{half, 0, 2 * half, frame.Surface().GetHeight()};
  const TRect64 bar = TRect64::Bounds(GetScreenLeft(), GetScreenTop(), GetWidth(), GetHeight());
  const std::int64_t d = FillLength();
  const std::int64_t e = LostLength();
  const bool reverse = reverse_ != 0;
  // Segment [from, to) measured from the end the fill starts at; the tile pattern is anchored there.
  auto segment = [&](const TRect& source, std::int64_t from, std::int64_t to) {
    if (to <= from) return;
    if (orientation_ == 1) {
      if (reverse) {
        PaintTiled(surface, frame, source, {bar.left, bar.top + from, bar.right, bar.top + to}, alpha_, false, true, 0,
                   -to);
      } else {
        PaintTiled(surface, frame, source, {bar.left, bar.bottom - to, bar.right, bar.bottom - from}, alpha_, false,
                   false, 0, -to);
      }
    } else if (reverse) {
      PaintTiled(surface, frame, source, {bar.right - to, bar.top, bar.right - from, bar.bottom}, alpha_, true, false,
                 from, 0);
    } else {
      PaintTiled(surface, frame, source, {bar.left + from, bar.top, bar.left + to, bar.bottom}, alpha_, false, false,
                 from, 0);
    }
  };
  segment(fill_source, 0, d);
  segment(lost_source, d, d + e);
}

void TVornGauge::SaveClassFields(TStream& stream) const {
  TVornControl::SaveClassFields(stream);
  WriteStrToStream(stream, source_);
  WriteIntToStream(stream, min_);
  WriteIntToStream(stream, max_);
  WriteIntToStream(stream, value_);
  WriteIntToStream(stream, alpha_);
  WriteByteToStream(stream, paused_);
  WriteByteToStream(stream, orientation_);
  WriteIntToStream(stream, delay_);
  WriteIntToStream(stream, duration_);
  WriteByteToStream(stream, reverse_);
  WriteStrToStream(stream, on_idle_);
  WriteIntToStream(stream, bar_size_);
}

void TVornGauge::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornControl::LoadClassFields(stream, version);
  SetSource(ReadStrFromStream(stream));
  min_ = ReadIntFromStream(stream);
  max_ = ReadIntFromStream(stream);
  value_ = ReadIntFromStream(stream);
  alpha_ = ReadIntFromStream(stream);
  paused_ = ReadByteFromStream(stream);
  orientation_ = ReadByteFromStream(stream);
  delay_ = ReadIntFromStream(stream);
  duration_ = ReadIntFromStream(stream);
  reverse_ = ReadByteFromStream(stream);
  if (version >= kFirstVersionWithIdle) ReadStrFromStream(stream, on_idle_);
  if (version >= kFirstVersionWithBarSize) bar_size_ = ReadIntFromStream(stream);
  UpdateSize();
  EndAnimation();
}

}  // namespace vorn
