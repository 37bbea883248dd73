#pragma once

#include <memory>

#include "graphics/custom_dibx.h"
#include "graphics/dibx.h"

namespace vorn {

class TVornBase;
class TVornBaseList;

// Colour whose pixel value is the second surface's colour key.
inline constexpr std::int32_t kLayerSecondSurfaceKeyColor = 0x800080;

// The drawing surfaces of the scene's two layers. Each layer has a surface of its own (in display
// memory while the screen runs full screen, else a GDI surface) and a second GDI surface, both of
// the scene's size at the screen's bits per pixel. The active layer draws straight onto the
// screen surface unless a transition needs its own picture.
class TLayerSurfaces {
 public:
  explicit TLayerSurfaces(TVornBaseList& scene);
  ~TLayerSurfaces();
  TLayerSurfaces(const TLayerSurfaces&) = delete;
  TLayerSurfaces& operator=(const TLayerSurfaces&) = delete;

  // The screen manager's surface depth; 32 without a screen manager or surface.
  static int ScreenBitCount();
  // Display memory only in full screen: a window draws through GDI surfaces.
  static bool UsesDisplayMemory();

  // Makes both layers' surfaces at the scene's size (none for an empty size) and points the layers
  // at them.
  void Size();
  // Before a screen switch: the own surfaces go and no layer keeps a surface (the screen surface
  // goes with the switch too).
  void Release();
  // After it: the surfaces again at the screen's new depth, and both layers wholly invalid, so
  // the next painted frame draws their pictures anew.
  void Restore();
  // Points each layer at the surface it draws on now: the screen surface for the active layer
  // (unless drawing_own is set, as while a transition runs), else its own surface.
  void Attach(bool drawing_own = false);

  TCustomDIBX* OwnSurface(int layer) const { return own_[layer & 1].get(); }
  TDIBX* SecondSurface(int layer) const { return second_[layer & 1].get(); }
  bool released() const { return released_; }

 private:
  void Detach();

  TVornBaseList& scene_;
  std::unique_ptr<TCustomDIBX> own_[2];
  std::unique_ptr<TDIBX> second_[2];
  bool released_ = false;
};

// A layer's picture on its painted frames: for each dirty rectangle, the layer's colour (when
// not negative) over its bounds, then its children. Nothing for a hidden layer or one without a
// surface.
void PaintLayer(TVornBase& layer);

}  // namespace vorn
