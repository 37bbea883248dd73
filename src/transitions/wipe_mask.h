#pragma once

#include <cstdint>
#include <vector>

#include "graphics/dibx.h"
#include "transitions/custom_wipe.h"

namespace vorn {

// The base of the effects that draw through an 8-bit mask: 0 shows the from page, 255 the to
// page, values between blend the two. An effect rewrites the mask in UpdateMask; the mask's rows
// repeat down the target when it is lower than the target.
class TWipeMask : public TCustomWipe {
 public:
  TWipeMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to);
  ~TWipeMask() override;

  // Parameter 0 is at least 2, parameter 1 at least 1.
  void SetParam(int number, std::int32_t value) override;
  // The mask: the target's width by MaskHeight() rows, all 0.
  void Prepare() override;
  // Nothing is drawn while UpdateMask reports no change. The target's dirty rectangle is left
  // alone: while a transition runs the screen shows the transition's rectangle instead.
  bool Draw() override;

  // Rewrites the mask for Current; true when it changed. The base changes nothing.
  virtual bool UpdateMask();
  virtual int MaskHeight();

 protected:
  TDIBX& MaskSurface() { return mask_; }

  // The effect's progress at the last change, so that unchanged steps are skipped.
  std::int64_t LastValue = -1;
  // When 1, any mask value but 0 shows the to page whole.
  std::uint8_t TwoLevel = 0;

 private:
  TDIBX mask_;
  // The mask repeated to the target's height, for the depths composed through DrawMask.
  TDIBX tiledMask_;
};

// Mask effects that keep one byte per target column. Both parameters are at least 1.
class TWipeOrderHMask : public TWipeMask {
 public:
  TWipeOrderHMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to);
  void SetParam(int number, std::int32_t value) override;

  const std::vector<std::uint8_t>& Order() const { return order_; }

 protected:
  TWipeOrderHMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to, int orderLength);
  std::vector<std::uint8_t>& OrderBytes() { return order_; }

 private:
  std::vector<std::uint8_t> order_;
};

// As TWipeOrderHMask with one byte per target row.
class TWipeOrderVMask : public TWipeOrderHMask {
 public:
  TWipeOrderVMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to);
};

}  // namespace vorn
