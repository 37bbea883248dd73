#pragma once

// The effects that move, cut or distort the pages. Until they are drawn they show nothing of
// their own and follow the base's step: nothing drawn, never reported done.

#include "transitions/custom_wipe.h"

namespace vorn {

class TWipeScrollH : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
};

class TWipeScrollV : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
};

class TWipeSudareH : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
};

class TWipeSudareV : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
};

class TWipeSpot : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
};

// WP_MASKWHITE.
class TWipeShadowWhite : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
};

// WP_MASKBLACK.
class TWipeShadowBlack : public TWipeShadowWhite {
 public:
  using TWipeShadowWhite::TWipeShadowWhite;
};

class TWipeRipple : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
};

class TWipeTwistH : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
};

class TWipeTwistV : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
};

// Parameter 0 (at least 16) and parameter 1 (at least 0) shape the cracks.
class TWipeCrack : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  void SetParam(int number, std::int32_t value) override;
};

class TWipeRubberH : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
};

class TWipeRubberV : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
};

}  // namespace vorn
