#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "foundation/errors.h"
#include "graphics/custom_dibx.h"
#include "platform/display_surface.h"

namespace vorn {

class TCanvas;

// A display surface could not be made or its palette not changed.
class EDxDIBXError : public Exception {
 public:
  using Exception::Exception;
};

inline constexpr std::string_view kCreateSurfaceFailed = "\"CreateSurface\" Failed";
inline constexpr std::string_view kSetPaletteEntriesFailed = "FPalette.SetEntries Failed";

// The drawing surface whose pixels lie in display memory (the screen manager's surface service,
// graphics/surface_service.h). Used for layers and components while the screen is full screen.
// Its own surfaces are made by SetSize; the wrapping constructor draws on a surface made
// elsewhere (the screen's back buffer) and frees nothing. All drawing runs the generic code of
// TCustomDIBX on the memory Lock exposes.
class TDxDIBX : public TCustomDIBX {
 public:
  // Owning, with no memory until SetSize.
  TDxDIBX();
  // Not owning; reflects the surface's description as it is now.
  explicit TDxDIBX(platform::DisplaySurface& surface);
  ~TDxDIBX() override;

  bool IsEmpty() override;
  // The surface's bit count: 16 for both 5-5-5 and 5-6-5 (the masks tell them apart).
  int GetBitCount() override;
  std::uint32_t GetRedMask() override;
  std::uint32_t GetGreenMask() override;
  std::uint32_t GetBlueMask() override;
  int GetPitch() override;
  // 0 / nothing outside the surface, without memory, and at 1 and 4 bits.
  std::uint32_t GetPixel(int x, int y) override;
  void SetPixel(int x, int y, std::uint32_t value) override;
  // Low zero bits of each mask; 32 for an empty mask.
  int GetBlueShift() override;
  int GetGreenShift() override;
  int GetRedShift() override;
  int GetHeight() override;
  int GetWidth() override;
  int GetRawBitCount() override;
  // Releases the old surface, then makes one: palettised at 1, 4 and 8 bits (with an all-black
  // palette of its own, held but not attached), else in the display's format. Raises
  // kCreateSurfaceFailed when nothing can be made (the object is then empty). Without a display
  // service nothing is made and only the size is recorded.
  void SetSize(int width, int height, int bitCount) override;
  // Locks the whole surface until Unlock; nullptr outside the surface or without memory.
  std::uint8_t* Lock(int x, int y) override;
  void Unlock() override;
  gdi::HDC GetDC() override;
  void ReleaseDC() override;
  TCanvas* GetCanvas() override;
  void ReleaseCanvas() override;
  // -1 for a negative colour; the nearest palette entry at palette depths; else each channel
  // truncated to its mask's width and placed by the mask.
  std::int32_t ColorToPixel(std::int32_t color) override;
  void FreeSurface() override;
  void GetPalette(std::uint8_t* entries) override;
  void GetPaletteEntries(std::uint8_t* entries, int first, int count) override;
  void SetPalette(const std::uint8_t* entries) override;
  // Raises kSetPaletteEntriesFailed when the range does not fit the palette.
  void SetPaletteEntries(const std::uint8_t* entries, int first, int count) override;

  platform::DisplaySurface* Surface() { return surface_; }
  bool OwnsSurface() const { return ownsSurface_; }

 private:
  void DropSurface();
  bool Inside(int x, int y) const;

  bool ownsSurface_ = true;
  std::unique_ptr<platform::DisplaySurface> owned_;
  platform::DisplaySurface* surface_ = nullptr;
  platform::SurfaceDescription desc_;
  std::unique_ptr<platform::DisplayPalette> palette_;
  gdi::HDC dc_ = nullptr;
  std::unique_ptr<TCanvas> canvas_;
};

}  // namespace vorn
