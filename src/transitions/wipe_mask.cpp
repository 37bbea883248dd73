#include "transitions/wipe_mask.h"

#include <algorithm>

#include "transitions/wipe_mask_compose.h"

namespace vorn {

TWipeMask::TWipeMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to)
    : TCustomWipe(target, from, to) {}

TWipeMask::~TWipeMask() = default;

void TWipeMask::SetParam(int number, std::int32_t value) {
  StoreParam(number, std::max(value, number == 0 ? 2 : 1));
}

void TWipeMask::Prepare() {
  mask_.SetSize(Target().GetWidth(), MaskHeight(), 8);
  if (!mask_.IsEmpty()) mask_.Fill(0);
}

bool TWipeMask::Draw() {
  DrawnRect = Target().GetBoundsRect();
  if (Done()) return true;
  if (mask_.IsEmpty()) return false;
  if (!UpdateMask()) return false;
  ComposeThroughMask(Target(), From(), To(), mask_, TwoLevel == 1, tiledMask_);
  return false;
}

bool TWipeMask::UpdateMask() { return false; }

int TWipeMask::MaskHeight() { return Target().GetHeight(); }

TWipeOrderHMask::TWipeOrderHMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to)
    : TWipeOrderHMask(target, from, to, target.GetWidth()) {}

TWipeOrderHMask::TWipeOrderHMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to,
                                 int orderLength)
    : TWipeMask(target, from, to), order_(static_cast<std::size_t>(std::max(orderLength, 0)), 0) {}

void TWipeOrderHMask::SetParam(int number, std::int32_t value) {
  StoreParam(number, value > 0 ? value : 1);
}

TWipeOrderVMask::TWipeOrderVMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to)
    : TWipeOrderHMask(target, from, to, target.GetHeight()) {}

}  // namespace vorn
