#include "motion/custom_frame_list.h"

#include <algorithm>
#include <cmath>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "foundation/stream_encoding.h"
#include "motion/film_manager.h"

namespace vorn {
namespace {

constexpr double kHalfPi = 1.5707963267948966;
// Beyond this the processor cannot reduce a sine's argument; such a sine counts as 0.
constexpr double kSineArgumentLimit = 9223372036854775808.0;

double Sine(double argument) {
  if (!std::isfinite(argument) || std::fabs(argument) >= kSineArgumentLimit) return 0.0;
  return std::sin(argument);
}

// Half to even, as the default rounding mode does; a value outside 64 bits saturates.
std::int64_t RoundToInt64(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLimit = 9223372036854775807.0;
  if (value >= kLimit) return INT64_MAX;
  if (value <= -kLimit) return INT64_MIN;
  return static_cast<std::int64_t>(std::nearbyint(value));
}

}  // namespace

TCustomFrameList::~TCustomFrameList() {
  if (TVornControl* component = HeldComponent(); component != nullptr) component->MarkDeleted();
}

void TCustomFrameList::SetParent(TCustomFrameList* parent) {
  for (const TCustomFrameList* walk = parent; walk != nullptr; walk = walk->parent_) {
    if (walk == this) {
      parent = nullptr;
      break;
    }
  }
  if (parent == parent_) return;
  parent_ = parent;
  film_.InvalidateTiming();
}

void TCustomFrameList::SetLength(std::int32_t value) {
  if (value == length_) return;
  length_ = value;
  film_.InvalidateTiming();
}

void TCustomFrameList::SetStart(std::int32_t value) {
  if (value == start_) return;
  start_ = value;
  film_.InvalidateTiming();
}

std::int64_t TCustomFrameList::GetStart() const {
  film_.EnsureTiming();
  return cached_start_;
}

bool TCustomFrameList::IsActiveAt(std::int64_t t) const {
  const std::int64_t start = GetStart();
  return start <= t && t < start + length_;
}

TCustomFrameList* TCustomFrameList::GetFollower() const {
  film_.EnsureTiming();
  return cached_follower_;
}

TCustomFrame* TCustomFrameList::GetFrame(int index) const {
  if (index < 0 || index >= FrameCount()) return nullptr;
  return frames_[static_cast<std::size_t>(index)].get();
}

void TCustomFrameList::ClearFrames() {
  frames_.clear();
  SetLength(0);
}

int TCustomFrameList::KeyIndexAt(std::int64_t t) const {
  std::int64_t into = t - GetStart();
  into %= std::max<std::int64_t>(1, loop_period_);
  for (int i = 0; i < FrameCount(); ++i) {
    into -= frames_[static_cast<std::size_t>(i)]->GetDuration();
    if (into < 0) return i;
  }
  return FrameCount() - 1;
}

std::int32_t TCustomFrameList::Interpolate(std::uint8_t mode, std::int32_t from, std::int32_t to, std::int64_t i,
                                           std::int64_t n) const {
  if (GetFollower() != nullptr) ++n;
  if (i == 0) return from;
  if (i == n - 1) return to;
  const std::int64_t span = std::int64_t{to} - from;
  if (mode == 0) {
    if (n - 1 == 0) return to;
    // 128 bits: the product of a 33-bit span and a step cannot overflow, whatever the step.
    const __int128 product = static_cast<__int128>(span) * i;
    return Wrap32(std::int64_t{from} + static_cast<std::int64_t>(product / (n - 1)));
  }
  if (n == 0) return to;
  const double dn = static_cast<double>(n);
  if (mode == 1) {
    const double eased = static_cast<double>(span) * Sine(static_cast<double>(n - 1 - i) * kHalfPi / dn);
    return Wrap32(static_cast<std::int64_t>(to) - RoundToInt64(eased));
  }
  const double eased = static_cast<double>(span) * Sine(static_cast<double>(i) * kHalfPi / dn);
  return Wrap32(static_cast<std::int64_t>(from) + RoundToInt64(eased));
}

double TCustomFrameList::InterpolateFloat(std::uint8_t mode, std::int64_t i, double from, double to,
                                          std::int64_t n) const {
  if (GetFollower() != nullptr) ++n;
  if (i == 0) return from;
  if (i == n - 1) return to;
  if (n == 0) return to;
  const double dn = static_cast<double>(n);
  const double di = static_cast<double>(i);
  if (mode == 0) return from + (to - from) * di / dn;
  if (mode == 1) return to - (to - from) * Sine(static_cast<double>(n - 1 - i) * kHalfPi / dn);
  return from + Sine(di * kHalfPi / dn) * (to - from);
}

void TCustomFrameList::GetEndpoints(TPoint& from, TPoint& to) const {
  from = GetFromPosition();
  to = GetToPosition();
  if (!film_.IsDirect() || !film_.GetRelative()) return;
  const TPoint base = film_.GetBasePoint();
  const TPoint origin = film_.GetOrigin();
  const std::int64_t dx = std::int64_t{base.x} - origin.x;
  const std::int64_t dy = std::int64_t{base.y} - origin.y;
  from = TPoint{Wrap32(from.x + dx), Wrap32(from.y + dy)};
  to = TPoint{Wrap32(to.x + dx), Wrap32(to.y + dy)};
}

TVornControl* TCustomFrameList::GetComponent() const { return HeldComponent(); }

std::int32_t TCustomFrameList::GetWidth() const { return GetFirstFrameWidth(); }

std::int32_t TCustomFrameList::GetHeight() const { return GetFirstFrameHeight(); }

void TCustomFrameList::ReleaseComponent() {
  TVornControl* component = HeldComponent();
  component_.Reset();
  if (component == nullptr) return;
  component->Invalidate();
  component->MarkDeleted();
}

bool TCustomFrameList::DrawAt(std::int32_t /*t*/) { return false; }

void TCustomFrameList::PrepareIfActive(std::int32_t t) {
  if (IsActiveAt(t)) Prepare();
}

void TCustomFrameList::SaveToStream(TStream& stream, const std::string& /*folder*/) const {
  WriteInt(stream, parent_ != nullptr ? film_.IndexOfTrack(parent_) : -1);
  WriteInt(stream, length_);
  WriteInt(stream, reserved_);
  WriteInt(stream, start_);
  WriteInt(stream, loop_period_);
  WriteInt(stream, priority_);
  WriteBoolToStream(stream, flip_h_);
  WriteBoolToStream(stream, flip_v_);
  WriteBoolToStream(stream, other_page_);
}

void TCustomFrameList::LoadFromStream(TStream& stream, const std::string& /*folder*/, std::int32_t version) {
  ReadInt(stream, parent_index_);
  ReadInt(stream, length_);
  ReadInt(stream, reserved_);
  ReadInt(stream, start_);
  ReadInt(stream, loop_period_);
  ReadInt(stream, priority_);
  ReadBool(stream, flip_h_);
  ReadBool(stream, flip_v_);
  ReadBool(stream, other_page_);
  if (version <= 106) {
    // Older films counted ticks of 1/30 s.
    start_ = Wrap32(std::int64_t{start_} * 2);
    length_ = Wrap32(std::int64_t{length_} * 2);
    loop_period_ = Wrap32(std::int64_t{loop_period_} * 2);
  }
  film_.InvalidateTiming();
}

void TCustomFrameList::WriteInt(TStream& stream, std::int32_t value) { WriteIntToStream(stream, value); }

void TCustomFrameList::WriteDouble(TStream& stream, double value) { WriteDoubleToStream(stream, value); }

void TCustomFrameList::WritePoint(TStream& stream, const TPoint& value) {
  WriteIntToStream(stream, value.x);
  WriteIntToStream(stream, value.y);
}

bool TCustomFrameList::DrawComponentAt(std::int32_t t) {
  const bool direct = film_.IsDirect();
  if (!IsActiveAt(t)) {
    if (!direct) ReleaseComponent();
    return false;
  }
  if (!direct) GetOrCreateComponent();
  const int key = KeyIndexAt(t);
  if (key < 0 || key >= FrameCount()) return true;
  ApplyKeyFrame(t, key);
  return true;
}

TVornControl* TCustomFrameList::ComponentParent() const {
  if (film_.IsDirect()) return nullptr;
  if (TVornControl* host = film_.GetHost()) return host;
  TVornBaseList* scene = film_.GetOwnerList();
  if (scene == nullptr) return nullptr;
  const std::int64_t start = GetStart();
  // A start outside 32 bits lies before or after every time the film is shown at.
  const auto at = static_cast<std::int32_t>(std::clamp<std::int64_t>(start, INT32_MIN, INT32_MAX));
  int page = film_.GetPageParity(at);
  if (other_page_) page ^= 1;
  return scene->GetBase(page);
}

std::string TCustomFrameList::MakeComponentName() const {
  TVornBaseList* scene = film_.GetOwnerList();
  std::string prefix = "\x01";
  if (TVornControl* host = film_.GetHost()) prefix += host->GetName() + "\x01";
  return scene != nullptr ? scene->MakeUniqueName(prefix) : prefix;
}

TVornControl* TCustomFrameList::HeldComponent() const {
  TScriptObject* object = component_.Get();
  return object != nullptr ? static_cast<TVornObject*>(object)->AsControl() : nullptr;
}

void TCustomFrameList::HoldComponent(TVornControl* component) { component_ = TObjectHandle(component); }

bool TCustomFrameList::ReadInt(TStream& stream, std::int32_t& value) const {
  if (TryReadIntFromStream(stream, value)) return true;
  film_.NoteShortRead();
  return false;
}

bool TCustomFrameList::ReadByte(TStream& stream, std::uint8_t& value) const {
  if (TryReadByteFromStream(stream, value)) return true;
  film_.NoteShortRead();
  return false;
}

bool TCustomFrameList::ReadBool(TStream& stream, bool& value) const {
  if (TryReadBoolFromStream(stream, value)) return true;
  film_.NoteShortRead();
  return false;
}

bool TCustomFrameList::ReadDouble(TStream& stream, double& value) const {
  if (TryReadDoubleFromStream(stream, value)) return true;
  film_.NoteShortRead();
  return false;
}

bool TCustomFrameList::ReadStr(TStream& stream, std::string& value) const {
  if (TryReadStrFromStream(stream, value)) return true;
  film_.NoteShortRead();
  return false;
}

bool TCustomFrameList::ReadPoint(TStream& stream, TPoint& value) const {
  TPoint point = value;
  const bool x = ReadInt(stream, point.x);
  const bool y = x && ReadInt(stream, point.y);
  value = point;
  return y;
}

}  // namespace vorn
