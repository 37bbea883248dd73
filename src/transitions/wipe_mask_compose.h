#pragma once

// Puts the from and to pages together on the target through an 8-bit mask whose rows repeat
// downwards: m = 0 keeps from, m = 255 takes to, between them each channel is
// (to × m + from × (255 − m)) >> 8.

namespace vorn {

class TCustomDIBX;
class TDIBX;

// twoLevel: any m but 0 takes to. scratch holds the repeated mask on the depths that go through
// DrawMask (8 and 24 bits). A failed lock, or a page smaller than the target or of another depth
// on the per-pixel depths, draws nothing.
void ComposeThroughMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to, TCustomDIBX& mask,
                        bool twoLevel, TDIBX& scratch);

}  // namespace vorn
