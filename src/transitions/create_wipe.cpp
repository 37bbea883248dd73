#include "transitions/create_wipe.h"

#include "foundation/vocabulary_codes.h"
#include "foundation/wipe_defaults.h"
#include "transitions/mask_wipes.h"
#include "transitions/moving_wipes.h"
#include "transitions/whole_page_wipes.h"

namespace vorn {

namespace {

template <class Wipe>
std::unique_ptr<TCustomWipe> Make(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to) {
  return std::make_unique<Wipe>(target, from, to);
}

std::unique_ptr<TCustomWipe> Construct(std::uint8_t type, TCustomDIBX& target, TCustomDIBX& from,
                                       TCustomDIBX& to) {
  switch (type) {
    case WP_FADE: return Make<TWipeFade>(target, from, to);
    case WP_BLINDH: return Make<TWipeBlindH>(target, from, to);
    case WP_BLINDV: return Make<TWipeBlindV>(target, from, to);
    case WP_CURTAINH: return Make<TWipeCurtainH>(target, from, to);
    case WP_CURTAINV: return Make<TWipeCurtainV>(target, from, to);
    case WP_SCROLLH: return Make<TWipeScrollH>(target, from, to);
    case WP_SCROLLV: return Make<TWipeScrollV>(target, from, to);
    case WP_GRID: return Make<TWipeGrid>(target, from, to);
    case WP_GRIDH: return Make<TWipeGridH>(target, from, to);
    case WP_GRIDV: return Make<TWipeGridV>(target, from, to);
    case WP_DITHER: return Make<TWipeDither>(target, from, to);
    case WP_WHITE: return Make<TWipeWhite>(target, from, to);
    case WP_BLACK: return Make<TWipeBlack>(target, from, to);
    case WP_FLASH: return Make<TWipeFlash>(target, from, to);
    case WP_MOSAIC: return Make<TWipeMosaic>(target, from, to);
    case WP_SUDAREH: return Make<TWipeSudareH>(target, from, to);
    case WP_SUDAREV: return Make<TWipeSudareV>(target, from, to);
    case WP_SPOT: return Make<TWipeSpot>(target, from, to);
    case WP_MASKFADE: return Make<TWipeShadow>(target, from, to);
    case WP_MASKWHITE: return Make<TWipeShadowWhite>(target, from, to);
    case WP_MASKBLACK: return Make<TWipeShadowBlack>(target, from, to);
    case WP_SMALL: return Make<TWipeSmall>(target, from, to);
    case WP_BIG: return Make<TWipeBig>(target, from, to);
    case WP_RIPPLE: return Make<TWipeRipple>(target, from, to);
    case WP_BLURWHITE: return Make<TWipeBlurWhite>(target, from, to);
    case WP_BLURBLACK: return Make<TWipeBlurBlack>(target, from, to);
    case WP_TWISTH: return Make<TWipeTwistH>(target, from, to);
    case WP_TWISTV: return Make<TWipeTwistV>(target, from, to);
    case WP_CRACK: return Make<TWipeCrack>(target, from, to);
    case WP_ZOOMIN: return Make<TWipeZoomin>(target, from, to);
    case WP_CLOCKHAND: return Make<TWipeClockhand>(target, from, to);
    case WP_RUBBERH: return Make<TWipeRubberH>(target, from, to);
    case WP_RUBBERV: return Make<TWipeRubberV>(target, from, to);
    case WP_FAN: return Make<TWipeFan>(target, from, to);
    case WP_WFAN: return Make<TWipeWFan>(target, from, to);
    case WP_CIRCLE: return Make<TWipeCircle>(target, from, to);
    case WP_BLOCKCOIL: return Make<TWipeBlockCoil>(target, from, to);
    case WP_BLOCKRANDOM: return Make<TWipeBlockRandom>(target, from, to);
    default: return nullptr;
  }
}

}  // namespace

std::unique_ptr<TCustomWipe> CreateWipe(std::uint8_t type, TCustomDIBX& target, TCustomDIBX& from,
                                        TCustomDIBX& to) {
  std::unique_ptr<TCustomWipe> wipe = Construct(type, target, from, to);
  if (!wipe || type >= kWipeKindCount) return wipe;
  // Set through SetParam so that each kind's limits apply to its defaults as well.
  const TWipeDefaultParams defaults = WipeDefaults()[type];
  wipe->SetParam(0, defaults.param0);
  wipe->SetParam(1, defaults.param1);
  return wipe;
}

}  // namespace vorn
