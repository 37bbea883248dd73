#pragma once

// The effects that draw through a mask. Until their masks are written they show nothing of their
// own: UpdateMask reports no change, so the target keeps its picture.

#include "transitions/wipe_mask.h"

namespace vorn {

class TWipeBlindH : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
};

class TWipeBlindV : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
};

class TWipeCurtainH : public TWipeOrderHMask {
 public:
  using TWipeOrderHMask::TWipeOrderHMask;
};

class TWipeCurtainV : public TWipeOrderVMask {
 public:
  using TWipeOrderVMask::TWipeOrderVMask;
};

class TWipeGrid : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
};

class TWipeGridH : public TWipeGrid {
 public:
  using TWipeGrid::TWipeGrid;
};

class TWipeGridV : public TWipeGrid {
 public:
  using TWipeGrid::TWipeGrid;
};

class TWipeDither : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
};

// WP_MASKFADE: the mask picture's levels decide when each pixel changes.
class TWipeShadow : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
};

class TWipeCircle : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
};

// The mask effects below keep their parameters as given: 0 is a meaningful start angle or tile
// count for them.
class TWipeUnclampedMask : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  void SetParam(int number, std::int32_t value) override;
};

class TWipeClockhand : public TWipeUnclampedMask {
 public:
  using TWipeUnclampedMask::TWipeUnclampedMask;
};

class TWipeFan : public TWipeUnclampedMask {
 public:
  using TWipeUnclampedMask::TWipeUnclampedMask;
};

class TWipeWFan : public TWipeUnclampedMask {
 public:
  using TWipeUnclampedMask::TWipeUnclampedMask;
};

class TWipeBlockCoil : public TWipeUnclampedMask {
 public:
  using TWipeUnclampedMask::TWipeUnclampedMask;
};

class TWipeBlockRandom : public TWipeUnclampedMask {
 public:
  using TWipeUnclampedMask::TWipeUnclampedMask;
};

}  // namespace vorn
