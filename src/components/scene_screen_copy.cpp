// The frozen picture a flip leaves over the layers while they change.

#include "components/vorn_base_list.h"
#include "components/vorn_custom_image.h"
#include "graphics/custom_dibx.h"

namespace vorn {

TScreenCopy TVornBaseList::CreateScreenCopy() {
  TCustomDIBX* source = ActiveLayer()->GetSurface();
  if (source == nullptr || width_ <= 0 || height_ <= 0) return {};
  auto* image = CreateObject<TVornCustomImage>(*this);
  image->SetName(kScreenCopyName);
  TCustomDIBX& picture = *image->OwnPicture();
  picture.SetSize(width_, height_, GetScreenBitCount());
  picture.ResetDirtyRect();
  picture.Draw(*source);
  picture.ColorKey = -1;
  return {image, picture.GetWidth(), picture.GetHeight()};
}

}  // namespace vorn
