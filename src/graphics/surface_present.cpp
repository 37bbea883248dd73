#include "graphics/custom_dibx.h"

namespace vorn {

void TCustomDIBX::Present(gdi::HDC target, int xDest, int yDest, int wDest, int hDest, int xSrc,
                          int ySrc, int wSrc, int hSrc) {
  gdi::HDC source = GetDC();
  if (target != nullptr && source != nullptr)
    gdi::StretchBlt(target, xDest, yDest, wDest, hDest, source, xSrc, ySrc, wSrc, hSrc,
                    gdi::SRCCOPY);
  ReleaseDC();
}

}  // namespace vorn
