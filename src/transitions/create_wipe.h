#pragma once

#include <cstdint>
#include <memory>

#include "transitions/custom_wipe.h"

namespace vorn {

class TCustomDIBX;

// The transition of a WP_ kind (1..38) over the three surfaces, which it does not own, with the
// kind's default parameters from WipeDefaults() as they stand now. Any other kind gives null.
std::unique_ptr<TCustomWipe> CreateWipe(std::uint8_t type, TCustomDIBX& target, TCustomDIBX& from,
                                        TCustomDIBX& to);

}  // namespace vorn
