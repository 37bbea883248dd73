#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "foundation/rect.h"

namespace vorn {

class TCustomDIBX;

// A running screen transition: it turns the picture of the from page into that of the to page on
// the target while Current runs from 0 to Total. The three surfaces belong to the scene, which
// frees the transition before it releases or replaces any of them.
//
// The scene sets Total once, then Current before each Draw, and reads DrawnRect before each Draw
// (so it sees the rectangle of the previous step).
class TCustomWipe {
 public:
  std::int32_t Total = 0;
  std::int32_t Current = 0;
  // The target's bounds once a step has drawn; empty before the first Draw.
  TRect DrawnRect{};

  TCustomWipe(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to);
  virtual ~TCustomWipe();
  TCustomWipe(const TCustomWipe&) = delete;
  TCustomWipe& operator=(const TCustomWipe&) = delete;

  // Kept as given: effects treat only 1 as "reversed", every other byte as 0.
  virtual void SetDirection(std::uint8_t direction);
  // Parameters 0 and 1; any other number reads 0 and is not stored.
  virtual std::int32_t GetParam(int number);
  virtual void SetParam(int number, std::int32_t value);
  // The project file name of a mask picture, for the effects that use one.
  virtual void SetMaskName(const std::string& name);
  // Runs once after the parameters are set.
  virtual void Prepare();
  // Draws the step for Current; true once Current has reached Total (nothing is drawn then).
  virtual bool Draw();
  virtual void Finish();

 protected:
  TCustomDIBX& Target() const { return target_; }
  TCustomDIBX& From() const { return from_; }
  TCustomDIBX& To() const { return to_; }
  std::uint8_t Direction() const { return direction_; }
  bool Reversed() const { return direction_ == 1; }
  const std::string& MaskName() const { return maskName_; }
  std::int32_t Param(int number) const { return params_[static_cast<std::size_t>(number)]; }
  void StoreParam(int number, std::int32_t value);

  // Elapsed time with a negative Current counted as 0.
  std::int64_t Elapsed() const;
  // True when the step has nothing to draw because the time has run out (Total <= 0 included).
  bool Done() const;
  // The common start of a step: DrawnRect becomes the target's bounds; then false when done,
  // else the bounds are added to the target's dirty rectangle and true is returned.
  bool BeginFrame();
  // Elapsed × scale ÷ Total, truncated, for a scale of 0 or more; only meaningful while not Done().
  std::int64_t ScaledProgress(std::int64_t scale) const;

 private:
  std::uint8_t direction_ = 0;
  std::string maskName_;
  TCustomDIBX& target_;
  TCustomDIBX& from_;
  TCustomDIBX& to_;
  std::array<std::int32_t, 2> params_{};
};

}  // namespace vorn
