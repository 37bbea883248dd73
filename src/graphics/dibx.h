#pragma once

#include <cstdint>
#include <memory>

#include "graphics/custom_dibx.h"
#include "graphics/dib_surface.h"

namespace vorn {

// The default drawing surface: its pixels live in one owned TDIBSurface, stored bottom-up, so the
// pitch is negative. Its device context is the canvas over those pixels. At 8 bits the colour
// table starts as the grey ramp, so an 8-bit surface serves as a mask plane (canvas white gives
// 255, black 0).
class TDIBX : public TCustomDIBX {
 public:
  TDIBX();
  ~TDIBX() override;

  int GetBitCount() override;
  // Nothing when count is the current bit count; else the pixels are converted in place.
  void SetBitCount(int count) override;
  std::uint32_t GetRedMask() override;
  std::uint32_t GetGreenMask() override;
  std::uint32_t GetBlueMask() override;
  int GetPitch() override;
  std::uint32_t GetPixel(int x, int y) override;
  void SetPixel(int x, int y, std::uint32_t value) override;
  int GetBlueShift() override;
  int GetGreenShift() override;
  int GetRedShift() override;
  int GetRawBitCount() override;
  // The bitmap's SetSize (a width or height of 0 or less clears it; a bad bit count or a size
  // that cannot be held raises and leaves the surface as it was), then the size is recorded.
  void SetSize(int width, int height, int bitCount) override;
  std::uint8_t* Lock(int x, int y) override;
  gdi::HDC GetDC() override;
  TCanvas* GetCanvas() override;
  std::int32_t ColorToPixel(std::int32_t color) override;
  // Whole pixel memory at 1 to 16 bits (ignoring the dirty rectangle); FillRect of the bounds
  // at 24 and 32 bits.
  void Fill(std::uint32_t value) override;
  // Copies whole pixel memory when the source is a TDIBX of the same size, pitch and bit count.
  void Draw(TCustomDIBX& source) override;
  void Clear() override;
  void GetPalette(std::uint8_t* entries) override;
  void GetPaletteEntries(std::uint8_t* entries, int first, int count) override;
  void SetPalette(const std::uint8_t* entries) override;
  void SetPaletteEntries(const std::uint8_t* entries, int first, int count) override;
  void Present(gdi::HDC target, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc,
               int wSrc, int hSrc) override;
  // Drops the canvas; size and pixels stay, and the next GetDC or GetCanvas makes a new one.
  void Release() override;

  TDIBSurface& DIB() { return *dib_; }

 private:
  bool InSurface(int x, int y);

  std::unique_ptr<TDIBSurface> dib_;
};

}  // namespace vorn
