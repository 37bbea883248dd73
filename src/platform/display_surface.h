#pragma once

// Off-screen pixel memory in the display's own format, and palettes for palettised memory: what
// the DirectDraw drawing surface (TDxDIBX) and the screen manager's back buffer are made of.
//
// The contract, for every back end:
// - SurfaceService::CreateSurface(width, height, bitCount) makes a surface of that size. Bit
//   counts 1, 4 and 8 make palettised memory; any other value makes memory in the display's
//   format (so 16 on a 32-bit display gives 32). It answers nullptr when width or height is 0 or
//   less, or when the memory cannot be had; it never throws for those.
// - A surface's Describe() never changes during its life. Rows are top-down, `pitch` bytes apart
//   (positive, a multiple of 4). 16-bit surfaces report 16 for both 5-6-5 and 5-5-5; the masks
//   tell them apart. Masks are 0 at palette depths.
// - Lock() gives the address of the top row and may nest (a surface drawn onto itself locks
//   twice); every Lock needs one Unlock. The memory does not move while the surface lives, so a
//   device context and a lock may be held together, in either order.
// - GetDC() gives a device context over the same memory, cached until ReleaseDC(). At palette
//   depths its colours are those of the palette given (or the attached one when none is given,
//   or black without either), read live, so later palette changes show.
// - A palette is not owned by the surface it is attached to; detach it before freeing it.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/gdi.h"

namespace vorn::platform {

struct SurfaceDescription {
  int width = 0;
  int height = 0;
  int pitch = 0;
  int bitCount = 0;
  std::uint32_t redMask = 0;
  std::uint32_t greenMask = 0;
  std::uint32_t blueMask = 0;
};

// A palette of 2, 16 or 256 entries (any count from 1 to 256 is accepted).
class DisplayPalette {
 public:
  // All entries black.
  explicit DisplayPalette(int entryCount);

  int EntryCount() const { return static_cast<int>(entries_.size()); }
  // Both answer false and touch nothing when first or count is negative or first + count is
  // beyond the last entry.
  bool GetEntries(int first, int count, gdi::PaletteEntry* out) const;
  bool SetEntries(int first, int count, const gdi::PaletteEntry* entries);
  // 256 colour-table words (0x00RRGGBB); entries past EntryCount are black.
  const std::uint32_t* ColorTable() const { return table_.data(); }

 private:
  std::vector<gdi::PaletteEntry> entries_;
  std::vector<std::uint32_t> table_;
};

class DisplaySurface {
 public:
  virtual ~DisplaySurface() = default;

  virtual SurfaceDescription Describe() const = 0;
  // The top row, or nullptr when the memory cannot be reached.
  virtual std::uint8_t* Lock() = 0;
  virtual void Unlock() = 0;
  // Outstanding locks (for tests and assertions).
  virtual int LockCount() const = 0;
  virtual gdi::HDC GetDC(const DisplayPalette* colours = nullptr) = 0;
  virtual void ReleaseDC() = 0;
  // Attaches a palette (nullptr detaches); the surface does not own it.
  virtual void SetPalette(DisplayPalette* palette) = 0;
  virtual DisplayPalette* GetPalette() const = 0;
};

class SurfaceService {
 public:
  virtual ~SurfaceService() = default;

  // The format of surfaces made at the display's depth (width, height and pitch 0).
  virtual SurfaceDescription SurfaceFormat() const = 0;
  virtual std::unique_ptr<DisplaySurface> CreateSurface(int width, int height, int bitCount) = 0;
};

// The headless twin and the base of the SDL back end: surfaces in plain memory, in a display
// format chosen by the maker.
class MemorySurfaceService final : public SurfaceService {
 public:
  // bitCount 16, 24 or 32 with its masks.
  MemorySurfaceService(int bitCount, std::uint32_t redMask, std::uint32_t greenMask,
                       std::uint32_t blueMask);

  static std::unique_ptr<MemorySurfaceService> Xrgb8888() {
    return std::make_unique<MemorySurfaceService>(32, 0xFF0000u, 0x00FF00u, 0x0000FFu);
  }
  static std::unique_ptr<MemorySurfaceService> Rgb565() {
    return std::make_unique<MemorySurfaceService>(16, 0xF800u, 0x07E0u, 0x001Fu);
  }
  static std::unique_ptr<MemorySurfaceService> Rgb555() {
    return std::make_unique<MemorySurfaceService>(16, 0x7C00u, 0x03E0u, 0x001Fu);
  }

  SurfaceDescription SurfaceFormat() const override { return format_; }
  std::unique_ptr<DisplaySurface> CreateSurface(int width, int height, int bitCount) override;

  // Surfaces made by this service and not yet freed (tests use it to see nothing leaks).
  int LiveSurfaces() const { return *live_; }

 private:
  SurfaceDescription format_;
  std::shared_ptr<int> live_ = std::make_shared<int>(0);
};

// The largest memory one surface may take; larger requests make nothing.
inline constexpr std::int64_t kMaxDisplaySurfaceBytes = std::int64_t{1} << 30;

}  // namespace vorn::platform
