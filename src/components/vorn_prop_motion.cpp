#include "components/vorn_prop_motion.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>

#include "components/vorn_base_list.h"
#include "engine/engine_values.h"
#include "engine/property_bridge.h"
#include "engine/typed_params.h"
#include "foundation/log_line.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "platform/text_converter.h"

namespace vorn {

namespace {

// The pause flag joined the record after this version.
constexpr std::int32_t kLastVersionWithoutMotionPause = 125;
constexpr TExtended kHalfPi = 1.5707963267948966192313216916397514L;

}  // namespace

TExtended EasedValue(std::uint8_t easing, TExtended start, TExtended target, std::int64_t elapsed,
                     std::int64_t duration) {
  const auto e = static_cast<TExtended>(elapsed);
  const auto d = static_cast<TExtended>(duration);
  switch (easing) {
    case MT_INC:
      return target - std::sin((d - e - 1) * kHalfPi / d) * (target - start);
    case MT_DEC:
      return start + std::sin(e * kHalfPi / d) * (target - start);
    default:
      return start + (target - start) * e / d;
  }
}

TVornPropMotion::TVornPropMotion(TVornBaseList* owner) : TVornComponent(owner) {
  value_.SetValue(std::make_unique<TParamFloat>());
}

TScriptObject* TVornPropMotion::HeldTarget() const {
  TScriptObject* target = target_.Get();
  TVornBaseList* scene = GetOwner();
  if (target == nullptr || scene == nullptr || scene->IndexOfObject(target) < 0) return nullptr;
  // Deleted in this step: the object is still listed until the step ends.
  if (const auto* object = dynamic_cast<const TVornObject*>(target); object != nullptr && scene->IsPendingDelete(object)) {
    return nullptr;
  }
  return target;
}

bool TVornPropMotion::Resolve() {
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr || ends_at_once_) return false;
  // An empty name finds the active layer; layers are not in the object list, so such a motion
  // writes once and ends at its next tick.
  TVornObject* target = scene->FindComponent(target_name_);
  if (target == nullptr || property_ >= kPropertyCount) return false;
  if (!keep_start_) {
    GetObjectProp(value_, *target, property_);
    start_value_ = value_.GetAsFloat();
  }
  target_ = TObjectHandle(target);
  resolved_ = true;
  return true;
}

bool TVornPropMotion::Tick() {
  if (paused_ != 0) return false;
  if (resolved_ && HeldTarget() == nullptr) return true;
  if (!resolved_ && !Resolve()) return true;
  TScriptObject* target = target_.Get();
  if (target == nullptr) return true;

  const std::int64_t e = elapsed_;
  const std::int64_t d = duration_;
  bool done = false;
  TExtended value = start_value_;
  if (e != 0) {
    if (e < d - 1) {
      value = EasedValue(easing_, start_value_, target_value_, e, d);
    } else {
      value = target_value_;
      done = true;
    }
  }
  value_.SetAsFloat(value);
  try {
    SetObjectProp(*target, property_, value_.Value());
  } catch (const std::exception& error) {
    LogLine("A property motion of property " + std::to_string(property_) + " stopped: " +
            platform::Cp932ToUtf8(error.what()));
    return true;
  }
  elapsed_ = static_cast<std::int32_t>(
      std::min<std::int64_t>(e + std::int64_t{FrameDelta}, std::numeric_limits<std::int32_t>::max()));
  return done;
}

void TVornPropMotion::SaveClassFields(TStream& stream) const {
  TVornComponent::SaveClassFields(stream);
  if (resolved_) {
    const TScriptObject* target = HeldTarget();
    WriteStrToStream(stream, target != nullptr ? target->GetName() : std::string());
  } else {
    // Not looked up yet: the name it will look up.
    WriteStrToStream(stream, target_name_);
  }
  WriteIntToStream(stream, property_);
  WriteExtendedToStream(stream, target_value_);
  WriteIntToStream(stream, duration_);
  WriteIntToStream(stream, easing_);
  WriteExtendedToStream(stream, start_value_);
  WriteIntToStream(stream, elapsed_);
  WriteByteToStream(stream, paused_);
}

void TVornPropMotion::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornComponent::LoadClassFields(stream, version);
  ReadStrFromStream(stream, target_name_);
  const std::int32_t property = ReadIntFromStream(stream);
  // Outside a byte it names no property: it must not wrap onto one.
  property_ = property >= 0 && property <= 255 ? static_cast<std::uint8_t>(property) : 255;
  target_value_ = ReadExtendedFromStream(stream);
  duration_ = ReadIntFromStream(stream);
  easing_ = static_cast<std::uint8_t>(ReadIntFromStream(stream) & 0xFF);
  start_value_ = ReadExtendedFromStream(stream);
  elapsed_ = ReadIntFromStream(stream);
  if (version > kLastVersionWithoutMotionPause) paused_ = ReadByteFromStream(stream);
  target_ = TObjectHandle();
  resolved_ = false;
  keep_start_ = elapsed_ > 0;
  // A saved target that had gone saves no name; the empty name must not find the active layer.
  ends_at_once_ = target_name_.empty() || !std::isfinite(target_value_) || !std::isfinite(start_value_) ||
                  elapsed_ < 0;
}

}  // namespace vorn
