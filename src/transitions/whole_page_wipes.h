#pragma once

// The effects that treat each page as one picture: cross-fades, flashes through white or black,
// a mosaic, a blur, a spinning shrink or growth and a zoom through a focus point.

#include "graphics/dibx.h"
#include "transitions/custom_wipe.h"

namespace vorn {

// The to page fades in over the from page; parameters 0 and 1 are the offset it slides in from.
class TWipeFade : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// The from page brightens to white, then the to page comes out of white.
class TWipeWhite : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// As TWipeWhite through black.
class TWipeBlack : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// The to page shows at once, washed out to white, and clears.
class TWipeFlash : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// The from page breaks into ever larger cells, the to page shows through them, and its cells
// shrink back to pixels.
class TWipeMosaic : public TCustomWipe {
 public:
  TWipeMosaic(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to);
  bool Draw() override;

 private:
  // The page shrunk to one pixel per cell, of the target's size and pixel format.
  TDIBX work_;
};

// The from page blurs and brightens to white, then the to page comes out of white and sharpens.
class TWipeBlurWhite : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;

 protected:
  // True where the effect darkens instead of brightening.
  virtual bool ThroughBlack() const { return false; }

 private:
  void BuildBlurredPages();
  void Wash(std::uint32_t level);

  // Built at the first drawn step rather than at creation, so that whatever the scene painted on
  // the pages between the layer switch and that step is in them.
  bool built_ = false;
  TDIBX blurredFrom_;
  TDIBX blurredTo_;
};

// As TWipeBlurWhite through black.
class TWipeBlurBlack : public TWipeBlurWhite {
 public:
  using TWipeBlurWhite::TWipeBlurWhite;

 protected:
  bool ThroughBlack() const override { return true; }
};

// The from page spins away into the centre while it fades; parameter 0 is the whole turn in
// 1/256 of a circle.
class TWipeSmall : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// The to page grows out of the centre while it turns back upright; parameter 0 as TWipeSmall.
class TWipeBig : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

// The view zooms into the from page towards the focus point (parameters 0 and 1, in target
// pixels) until one pixel fills it, then out of the to page back to full size.
class TWipeZoomin : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  bool Draw() override;
};

}  // namespace vorn
