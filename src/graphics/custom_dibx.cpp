#include "graphics/custom_dibx.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/surface_clip.h"

namespace vorn {

TCustomDIBX::TCustomDIBX() = default;
TCustomDIBX::~TCustomDIBX() = default;

bool TCustomDIBX::IsEmpty() { return GetWidth() == 0 || GetHeight() == 0; }
int TCustomDIBX::GetBitCount() { return 0; }
void TCustomDIBX::SetBitCount(int) {}
std::uint32_t TCustomDIBX::GetRedMask() { return 0; }
std::uint32_t TCustomDIBX::GetGreenMask() { return 0; }
std::uint32_t TCustomDIBX::GetBlueMask() { return 0; }
int TCustomDIBX::GetPitch() { return 0; }
std::uint32_t TCustomDIBX::GetPixel(int, int) { return 0; }
void TCustomDIBX::SetPixel(int, int, std::uint32_t) {}
int TCustomDIBX::GetBlueShift() { return 0; }
int TCustomDIBX::GetGreenShift() { return 0; }
int TCustomDIBX::GetRedShift() { return 0; }
int TCustomDIBX::GetHeight() { return height_; }
int TCustomDIBX::GetWidth() { return width_; }
TCustomDIBX* TCustomDIBX::GetInnerSurface() { return this; }
int TCustomDIBX::GetRawBitCount() { return GetBitCount(); }

void TCustomDIBX::SetSize(int width, int height, int) {
  width_ = width;
  height_ = height;
}

std::uint8_t* TCustomDIBX::Lock(int, int) { return nullptr; }
void TCustomDIBX::Unlock() {}
gdi::HDC TCustomDIBX::GetDC() { return nullptr; }
void TCustomDIBX::ReleaseDC() {}
TCanvas* TCustomDIBX::GetCanvas() { return nullptr; }
void TCustomDIBX::ReleaseCanvas() {}

void TCustomDIBX::ResetDirtyRect() { DirtyRect.right = 0; }

void TCustomDIBX::AddDirtyRect(const TRect& rect) {
  TRect r = rect;
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, GetWidth());
  r.bottom = std::min(r.bottom, GetHeight());
  if (r.left >= r.right || r.top >= r.bottom) return;
  if (DirtyRect.right == 0) {
    DirtyRect = r;
    return;
  }
  DirtyRect.left = std::min(DirtyRect.left, r.left);
  DirtyRect.top = std::min(DirtyRect.top, r.top);
  DirtyRect.right = std::max(DirtyRect.right, r.right);
  DirtyRect.bottom = std::max(DirtyRect.bottom, r.bottom);
}

std::int32_t TCustomDIBX::ColorToPixel(std::int32_t color) { return color; }

void TCustomDIBX::Fill(std::uint32_t value) { FillRect(GetBoundsRect(), value); }

void TCustomDIBX::Clear() {
  width_ = 0;
  height_ = 0;
}

void TCustomDIBX::FreeSurface() {}
void TCustomDIBX::GetPalette(std::uint8_t*) {}
void TCustomDIBX::GetPaletteEntries(std::uint8_t*, int, int) {}
void TCustomDIBX::SetPalette(const std::uint8_t*) {}
void TCustomDIBX::SetPaletteEntries(const std::uint8_t*, int, int) {}
void TCustomDIBX::Release() {}

int TCustomDIBX::GetBytesPerPixel() { return (GetBitCount() + 7) / 8; }

TRect TCustomDIBX::GetBoundsRect() { return TRect{0, 0, GetWidth(), GetHeight()}; }

TRect TCustomDIBX::GetDirtyRect() {
  if (DirtyRect.right == 0) return GetBoundsRect();
  return DirtyRect;
}

void TCustomDIBX::SetDirtyRect(const TRect& rect) { DirtyRect = rect; }

}  // namespace vorn
