#pragma once

#include <memory>

namespace vorn {

class TCustomDIBX;
class TVornBaseList;

// The one rule for the kind and depth of a picture's surface (cached frames, brightness copies,
// a component's own picture): display memory while the scene's screen runs full screen, else a
// bitmap; the screen's depth, 32 bits without a scene. Layers follow the same rule.
int PictureBitCount(const TVornBaseList* scene);
std::unique_ptr<TCustomDIBX> MakePictureSurface(const TVornBaseList* scene);

}  // namespace vorn
