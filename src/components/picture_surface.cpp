#include "components/picture_surface.h"

#include "components/vorn_base_list.h"
#include "graphics/dibx.h"
#include "graphics/dx_dibx.h"

namespace vorn {

namespace {
constexpr int kDefaultPictureBits = 32;
}  // namespace

int PictureBitCount(const TVornBaseList* scene) {
  return scene != nullptr ? scene->GetScreenBitCount() : kDefaultPictureBits;
}

std::unique_ptr<TCustomDIBX> MakePictureSurface(const TVornBaseList* scene) {
  std::unique_ptr<TCustomDIBX> surface;
  if (scene != nullptr && scene->UsesDisplayMemory()) {
    surface = std::make_unique<TDxDIBX>();
  } else {
    surface = std::make_unique<TDIBX>();
  }
  surface->SetSize(1, 1, PictureBitCount(scene));
  return surface;
}

}  // namespace vorn
