#include "graphics/dx_dibx.h"

#include <bit>
#include <string>
#include <vector>

#include "graphics/blit_common.h"
#include "graphics/canvas.h"
#include "graphics/pixel_format.h"
#include "graphics/surface_service.h"

namespace vorn {
namespace {

int LowZeroBits(std::uint32_t mask) { return mask == 0 ? 32 : std::countr_zero(mask); }

bool IsPaletteDepth(int bits) { return bits == 1 || bits == 4 || bits == 8; }

}  // namespace

TDxDIBX::TDxDIBX() = default;

TDxDIBX::TDxDIBX(platform::DisplaySurface& surface)
    : ownsSurface_(false), surface_(&surface), desc_(surface.Describe()) {}

TDxDIBX::~TDxDIBX() {
  canvas_.reset();
  ReleaseDC();
  if (ownsSurface_) DropSurface();
}

void TDxDIBX::DropSurface() {
  canvas_.reset();
  ReleaseDC();
  if (owned_ != nullptr) owned_->SetPalette(nullptr);
  palette_.reset();
  owned_.reset();
  surface_ = nullptr;
  desc_ = platform::SurfaceDescription{};
}

bool TDxDIBX::IsEmpty() { return surface_ == nullptr || desc_.width <= 0 || desc_.height <= 0; }
int TDxDIBX::GetBitCount() { return desc_.bitCount; }
std::uint32_t TDxDIBX::GetRedMask() { return desc_.redMask; }
std::uint32_t TDxDIBX::GetGreenMask() { return desc_.greenMask; }
std::uint32_t TDxDIBX::GetBlueMask() { return desc_.blueMask; }
int TDxDIBX::GetPitch() { return desc_.pitch; }
int TDxDIBX::GetBlueShift() { return LowZeroBits(desc_.blueMask); }
int TDxDIBX::GetGreenShift() { return LowZeroBits(desc_.greenMask); }
int TDxDIBX::GetRedShift() { return LowZeroBits(desc_.redMask); }
int TDxDIBX::GetHeight() { return desc_.height; }
int TDxDIBX::GetWidth() { return desc_.width; }
int TDxDIBX::GetRawBitCount() { return desc_.bitCount; }

bool TDxDIBX::Inside(int x, int y) const {
  return surface_ != nullptr && x >= 0 && y >= 0 && x < desc_.width && y < desc_.height;
}

std::uint32_t TDxDIBX::GetPixel(int x, int y) {
  const int bits = desc_.bitCount;
  if (!Inside(x, y) || !(bits == 8 || bits == 16 || bits == 24 || bits == 32)) return 0;
  const std::uint8_t* p = Lock(x, y);
  if (p == nullptr) return 0;
  const std::uint32_t value = blit::ReadPixel(p, (bits + 7) / 8);
  Unlock();
  return value;
}

void TDxDIBX::SetPixel(int x, int y, std::uint32_t value) {
  const int bits = desc_.bitCount;
  if (!Inside(x, y) || !(bits == 8 || bits == 16 || bits == 24 || bits == 32)) return;
  std::uint8_t* p = Lock(x, y);
  if (p == nullptr) return;
  blit::WritePixel(p, (bits + 7) / 8, value);
  Unlock();
}

void TDxDIBX::SetSize(int width, int height, int bitCount) {
  platform::SurfaceService* service = GetScreenSurfaceService();
  if (service != nullptr) {
    if (ownsSurface_) {
      DropSurface();
    } else {
      // A wrapper lets go of the surface it was given and owns what it makes from now on.
      canvas_.reset();
      ReleaseDC();
      surface_ = nullptr;
      desc_ = platform::SurfaceDescription{};
      ownsSurface_ = true;
    }
    owned_ = service->CreateSurface(width, height, bitCount);
    if (owned_ == nullptr) {
      TCustomDIBX::SetSize(0, 0, bitCount);
      throw EDxDIBXError(std::string(kCreateSurfaceFailed));
    }
    surface_ = owned_.get();
    desc_ = owned_->Describe();
    if (IsPaletteDepth(bitCount)) palette_ = std::make_unique<platform::DisplayPalette>(1 << bitCount);
  }
  TCustomDIBX::SetSize(width, height, bitCount);
}

std::uint8_t* TDxDIBX::Lock(int x, int y) {
  if (!Inside(x, y)) return nullptr;
  std::uint8_t* base = surface_->Lock();
  if (base == nullptr) return nullptr;
  std::uint8_t* row = base + static_cast<std::ptrdiff_t>(y) * desc_.pitch;
  switch (desc_.bitCount) {
    case 1:
      return row + x / 8;
    case 4:
      return row + x / 2;
    default:
      return row + static_cast<std::ptrdiff_t>(x) * ((desc_.bitCount + 7) / 8);
  }
}

void TDxDIBX::Unlock() {
  if (surface_ != nullptr) surface_->Unlock();
}

gdi::HDC TDxDIBX::GetDC() {
  if (dc_ == nullptr && surface_ != nullptr) dc_ = surface_->GetDC(palette_.get());
  return dc_;
}

void TDxDIBX::ReleaseDC() {
  if (dc_ == nullptr) return;
  if (canvas_ != nullptr) canvas_->SetHandle(nullptr);
  if (surface_ != nullptr) surface_->ReleaseDC();
  dc_ = nullptr;
}

TCanvas* TDxDIBX::GetCanvas() {
  if (canvas_ == nullptr) canvas_ = std::make_unique<TCanvas>();
  // ReleaseDC leaves the canvas without a handle; it gets the new one here.
  canvas_->SetHandle(GetDC());
  return canvas_.get();
}

void TDxDIBX::ReleaseCanvas() {
  if (canvas_ == nullptr) return;
  canvas_->SetHandle(nullptr);
  canvas_.reset();
  ReleaseDC();
}

std::int32_t TDxDIBX::ColorToPixel(std::int32_t color) {
  if (color < 0) return -1;
  const auto c = static_cast<std::uint32_t>(color);
  const std::uint32_t r = c & 0xFFu, g = (c >> 8) & 0xFFu, b = (c >> 16) & 0xFFu;
  if (IsPaletteDepth(desc_.bitCount)) {
    const platform::DisplayPalette* p = palette_ != nullptr ? palette_.get()
                                        : surface_ != nullptr ? surface_->GetPalette()
                                                              : nullptr;
    if (p == nullptr) return 0;
    const int index = gdi::NearestColorTableIndex(p->ColorTable(), 1 << desc_.bitCount,
                                                  static_cast<std::uint8_t>(r),
                                                  static_cast<std::uint8_t>(g),
                                                  static_cast<std::uint8_t>(b));
    return index < 0 ? 0 : index;
  }
  return static_cast<std::int32_t>(PlaceChannel(r, desc_.redMask) |
                                   PlaceChannel(g, desc_.greenMask) |
                                   PlaceChannel(b, desc_.blueMask));
}

void TDxDIBX::FreeSurface() {
  if (ownsSurface_) DropSurface();
}

void TDxDIBX::GetPalette(std::uint8_t* entries) {
  if (palette_ == nullptr || entries == nullptr) return;
  GetPaletteEntries(entries, 0, palette_->EntryCount());
}

void TDxDIBX::GetPaletteEntries(std::uint8_t* entries, int first, int count) {
  if (palette_ == nullptr || entries == nullptr || count <= 0) return;
  std::vector<gdi::PaletteEntry> read(static_cast<std::size_t>(count));
  if (!palette_->GetEntries(first, count, read.data())) return;
  for (int i = 0; i < count; ++i) {
    std::uint8_t* q = entries + static_cast<std::ptrdiff_t>(i) * 4;
    q[0] = read[static_cast<std::size_t>(i)].blue;
    q[1] = read[static_cast<std::size_t>(i)].green;
    q[2] = read[static_cast<std::size_t>(i)].red;
    q[3] = 0;
  }
}

void TDxDIBX::SetPalette(const std::uint8_t* entries) {
  if (palette_ == nullptr || entries == nullptr || !IsPaletteDepth(desc_.bitCount)) return;
  const int n = 1 << desc_.bitCount;
  std::vector<gdi::PaletteEntry> converted(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const std::uint8_t* q = entries + static_cast<std::ptrdiff_t>(i) * 4;
    converted[static_cast<std::size_t>(i)] = gdi::PaletteEntry{q[2], q[1], q[0], 0};
  }
  palette_->SetEntries(0, n, converted.data());
}

void TDxDIBX::SetPaletteEntries(const std::uint8_t* entries, int first, int count) {
  if (palette_ == nullptr) return;
  if (count < 0 || (entries == nullptr && count > 0) ||
      static_cast<std::int64_t>(first) + count > palette_->EntryCount() || first < 0)
    throw EDxDIBXError(std::string(kSetPaletteEntriesFailed));
  std::vector<gdi::PaletteEntry> converted(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* q = entries + static_cast<std::ptrdiff_t>(i) * 4;
    converted[static_cast<std::size_t>(i)] = gdi::PaletteEntry{q[2], q[1], q[0], 0};
  }
  if (!palette_->SetEntries(first, count, converted.data()))
    throw EDxDIBXError(std::string(kSetPaletteEntriesFailed));
}

}  // namespace vorn
