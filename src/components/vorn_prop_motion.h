#pragma once

#include <cstdint>
#include <string>

#include "components/vorn_object.h"
#include "engine/extended_float.h"
#include "engine/param_collection.h"
#include "engine/scene_services.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {

// The value of a motion from start to target after `elapsed` of `duration` ms, for the easing
// (MT_NORMAL, MT_INC, MT_DEC; any other is linear). Only for 0 < elapsed < duration - 1.
TExtended EasedValue(std::uint8_t easing, TExtended start, TExtended target, std::int64_t elapsed,
                     std::int64_t duration);

// An invisible component that moves one property of another object from its value at the first
// tick to a target value over a duration, through the property bridge, and frees itself when done
// or when its target has gone.
class TVornPropMotion : public TVornComponent, public TScriptPropMotion {
 public:
  explicit TVornPropMotion(TVornBaseList* owner);

  std::uint8_t GetCompoType() const override { return 26; }
  bool GetPaused() const override { return paused_ != 0; }
  void SetPaused(bool value) override { paused_ = value ? 1 : 0; }

  void SetTargetName(const std::string& name) override { target_name_ = name; }
  void SetPropertyIndex(std::uint8_t index) override { property_ = index; }
  void SetTargetValue(long double value) override { target_value_ = value; }
  void SetMotionDuration(std::int32_t ms) override { duration_ = ms; }
  void SetEasingMode(std::uint8_t mode) override { easing_ = mode; }

  const std::string& TargetName() const { return target_name_; }
  std::uint8_t PropertyIndex() const { return property_; }
  TExtended TargetValue() const { return target_value_; }
  TExtended StartValue() const { return start_value_; }
  std::int32_t Elapsed() const { return elapsed_; }
  std::int32_t Duration() const { return duration_; }
  std::uint8_t Easing() const { return easing_; }

  bool Tick() override;

 protected:
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  // The target while the scene still holds it, else null.
  TScriptObject* HeldTarget() const;
  // Finds the target by name and reads the start value (unless a loaded motion keeps its own).
  // False when the motion has nothing to move.
  bool Resolve();

  TExtended target_value_ = 0;
  std::int32_t duration_ = 0;
  std::string target_name_;
  TObjectHandle target_;
  bool resolved_ = false;
  std::uint8_t property_ = 255;
  std::uint8_t easing_ = MT_NORMAL;
  std::int32_t elapsed_ = 0;
  TExtended start_value_ = 0;
  std::uint8_t paused_ = 0;
  // A loaded motion that had started keeps the start value it had: a fresh one read halfway would
  // make the value jump.
  bool keep_start_ = false;
  // A loaded motion with nothing sound to move (no target name, values that are no numbers, a
  // negative elapsed time) ends at its first tick without writing.
  bool ends_at_once_ = false;
  // Carries the value to the property bridge.
  TParamCollectionItem value_;
};

}  // namespace vorn
