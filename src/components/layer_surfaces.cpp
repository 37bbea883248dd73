#include "components/layer_surfaces.h"

#include <vector>

#include "components/vorn_base_list.h"
#include "graphics/dx_dibx.h"
#include "graphics/screen_manager.h"

namespace vorn {

TLayerSurfaces::TLayerSurfaces(TVornBaseList& scene) : scene_(scene) {}

TLayerSurfaces::~TLayerSurfaces() { Detach(); }

int TLayerSurfaces::ScreenBitCount() {
  if (ScreenManager == nullptr || ScreenManager->GetSurface() == nullptr) return 32;
  return ScreenManager->GetSurface()->GetBitCount();
}

bool TLayerSurfaces::UsesDisplayMemory() { return ScreenManager != nullptr && ScreenManager->IsFullScreen(); }

void TLayerSurfaces::Detach() {
  for (int i = 0; i < 2; ++i) {
    if (TVornBase* layer = scene_.GetBase(i)) layer->SetSurface(nullptr);
  }
}

void TLayerSurfaces::Size() {
  Detach();
  const int width = scene_.GetWidth();
  const int height = scene_.GetHeight();
  const int bits = ScreenBitCount();
  for (int i = 0; i < 2; ++i) {
    own_[i].reset();
    second_[i].reset();
    if (width <= 0 || height <= 0) continue;
    if (UsesDisplayMemory()) {
      own_[i] = std::make_unique<TDxDIBX>();
    } else {
      own_[i] = std::make_unique<TDIBX>();
    }
    own_[i]->SetSize(width, height, bits);
    second_[i] = std::make_unique<TDIBX>();
    second_[i]->SetSize(width, height, bits);
    second_[i]->ColorKey = second_[i]->ColorToPixel(kLayerSecondSurfaceKeyColor);
  }
  released_ = false;
  Attach();
}

void TLayerSurfaces::Release() {
  Detach();
  own_[0].reset();
  own_[1].reset();
  released_ = true;
}

void TLayerSurfaces::Restore() {
  Size();
  for (int i = 0; i < 2; ++i) {
    TVornBase* layer = scene_.GetBase(i);
    if (layer != nullptr) layer->InvalidateRect(TRect{0, 0, layer->GetWidth(), layer->GetHeight()});
  }
}

void TLayerSurfaces::Attach(bool drawing_own) {
  if (released_) return;
  TCustomDIBX* screen = ScreenManager != nullptr ? ScreenManager->GetSurface() : nullptr;
  for (int i = 0; i < 2; ++i) {
    TVornBase* layer = scene_.GetBase(i);
    if (layer == nullptr) continue;
    const bool on_screen = i == scene_.GetActiveLayerIndex() && !drawing_own && screen != nullptr;
    layer->SetSurface(on_screen ? screen : own_[i].get());
  }
}

void PaintLayer(TVornBase& layer) {
  if (!layer.GetVisibleFlag()) return;
  TCustomDIBX* surface = layer.GetSurface();
  if (surface == nullptr || surface->IsEmpty()) return;
  TRect bounds = layer.GetScreenRect();
  if (const TRect clip = layer.GetClipRect(); !RectIsEmpty(clip)) bounds = ClipRectTo(bounds, clip);
  const bool fills = layer.GetColor() >= 0 && !RectIsEmpty(bounds);
  const std::uint32_t pixel = fills ? static_cast<std::uint32_t>(surface->ColorToPixel(layer.GetColor())) : 0;
  // A copy: painting may add rectangles for the next frame.
  const std::vector<TRect> rects = layer.DirtyRects().Rects();
  const TRect whole = surface->GetBoundsRect();
  for (const TRect& rect : rects) {
    // An unset drawing rectangle means the whole surface: a rectangle off it draws nothing.
    if (RectIsEmpty(ClipRectTo(rect, whole))) continue;
    surface->ResetDirtyRect();
    surface->AddDirtyRect(rect);
    if (fills) surface->FillRect(bounds, pixel);
    layer.Paint();
  }
  surface->ResetDirtyRect();
}

}  // namespace vorn
