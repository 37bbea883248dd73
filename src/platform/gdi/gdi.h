#pragma once

// A software stand-in for the few device-context services the bitmaps use: palette objects, a
// memory DC bound to pixel memory in the DIB layout, and copies between such memories that convert
// by colour. Pure memory work, no display back end.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vorn::gdi {

// The 60-byte logical font record, laid out as the stored and exchanged font descriptions are.
// The foundation knows the same struct as TLogFont.
struct LogFont {
  std::int32_t lfHeight = 0;
  std::int32_t lfWidth = 0;
  std::int32_t lfEscapement = 0;
  std::int32_t lfOrientation = 0;
  std::int32_t lfWeight = 0;
  std::uint8_t lfItalic = 0;
  std::uint8_t lfUnderline = 0;
  std::uint8_t lfStrikeOut = 0;
  std::uint8_t lfCharSet = 0;
  std::uint8_t lfOutPrecision = 0;
  std::uint8_t lfClipPrecision = 0;
  std::uint8_t lfQuality = 0;
  std::uint8_t lfPitchAndFamily = 0;
  char lfFaceName[32] = {};

  std::string_view FaceName() const { return std::string_view(lfFaceName, strnlen(lfFaceName, sizeof lfFaceName)); }
};
static_assert(sizeof(LogFont) == 60, "the font record is 60 bytes");

// 0 is "no palette". Handles stay valid until DeletePalette.
using HPALETTE = std::uint32_t;

// Colour values with red in the low byte (0x00BBGGRR), as the drawing calls take them.
using COLORREF = std::uint32_t;
constexpr COLORREF RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
         (static_cast<COLORREF>(blue) << 16);
}

struct PaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t flags = 0;
};

HPALETTE CreatePalette(const PaletteEntry* entries, int count);
// False for an unknown handle.
bool DeletePalette(HPALETTE palette);
bool IsPalette(HPALETTE palette);
int GetPaletteEntryCount(HPALETTE palette);
// Copies up to count entries from start; returns how many were copied.
int GetPaletteEntries(HPALETTE palette, int start, int count, PaletteEntry* out);
// Least squared RGB distance, lowest index on ties; -1 for an unknown or empty palette.
int GetNearestPaletteIndex(HPALETTE palette, COLORREF colour);
// Palettes alive now (tests use it to see that nothing leaks).
int LivePaletteCount();

// Nearest entry of a colour table of 0x00RRGGBB words, by the rule of GetNearestPaletteIndex.
int NearestColorTableIndex(const std::uint32_t* table, int count, std::uint8_t red, std::uint8_t green,
                           std::uint8_t blue);

// Pixel memory in the DIB layout: rows bottom-up, each padded to 4 bytes. 16- and 32-bit pixels
// are described by their masks; 1-, 4- and 8-bit pixels index colorTable (0x00RRGGBB words).
struct PixelStore {
  std::uint8_t* bits = nullptr;  // the bottom row
  int width = 0;
  int height = 0;
  int bitCount = 0;
  int widthBytes = 0;
  std::uint32_t redMask = 0xFF0000;
  std::uint32_t greenMask = 0x00FF00;
  std::uint32_t blueMask = 0x0000FF;
  const std::uint32_t* colorTable = nullptr;
  int colorCount = 0;

  bool Valid() const { return bits != nullptr && width > 0 && height > 0; }
  // Row y counted from the top.
  std::uint8_t* Row(int y) const {
    return bits + static_cast<std::ptrdiff_t>(height - 1 - y) * widthBytes;
  }
};

// Stored value of pixel x of a row at 1, 4, 8, 16, 24 or 32 bits (0 at any other depth), and its
// write; bits of the value above the depth are dropped.
std::uint32_t ReadRawPixel(const std::uint8_t* row, int bitCount, int x);
void WriteRawPixel(std::uint8_t* row, int bitCount, int x, std::uint32_t value);

// 0x00RRGGBB of pixel (x, y) (y from the top). 5- and 6-bit fields widen with their top bits
// repeated, so the largest field value gives 255.
std::uint32_t ReadPixelRGB(const PixelStore& store, int x, int y);
// Writes the colour: nearest colour-table index at 8 bits and less, packed by the masks above.
void WritePixelRGB(const PixelStore& store, int x, int y, std::uint32_t rgb);

// Raster operations.
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t BLACKNESS = 0x00000042;
constexpr std::uint32_t WHITENESS = 0x00FF0062;

constexpr int BLACKONWHITE = 1;
constexpr int COLORONCOLOR = 3;

// A memory device context bound to one pixel store (or to none).
class MemoryDC {
 public:
  MemoryDC() = default;
  explicit MemoryDC(const PixelStore& store) : store_(store) {}

  const PixelStore& Store() const { return store_; }
  void Bind(const PixelStore& store) { store_ = store; }
  void Unbind() { store_ = PixelStore{}; }

  HPALETTE SelectPalette(HPALETTE palette) {
    const HPALETTE old = palette_;
    palette_ = palette;
    return old;
  }
  HPALETTE Palette() const { return palette_; }
  // The number of entries mapped; the software layer maps nothing.
  int RealizePalette() { return 0; }
  int SetStretchBltMode(int mode) {
    const int old = stretchMode_;
    stretchMode_ = mode;
    return old;
  }
  int StretchBltMode() const { return stretchMode_; }

 private:
  PixelStore store_;
  HPALETTE palette_ = 0;
  int stretchMode_ = BLACKONWHITE;
};

using HDC = MemoryDC*;

// Copies between any two depths convert by colour. Rectangles are clipped to both stores.
bool BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int xSource, int ySource,
            std::uint32_t rop);
// Nearest pixel: source x = destination x * source width div destination width.
bool StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int xSource, int ySource,
                int widthSource, int heightSource, std::uint32_t rop);
// As StretchBlt from DIB memory; ySource counts from the bottom row, as for bottom-up DIBs.
bool StretchDIBits(HDC destination, int x, int y, int width, int height, int xSource, int ySource,
                   int widthSource, int heightSource, const PixelStore& source, std::uint32_t rop);
// WHITENESS and BLACKNESS over a rectangle.
bool PatBlt(HDC destination, int x, int y, int width, int height, std::uint32_t rop);
// A solid brush fill of left..right-1, top..bottom-1.
void FillSolidRect(HDC destination, int left, int top, int right, int bottom, COLORREF colour);
// Drawing is synchronous here; kept so callers read as they do against a real device.
inline void GdiFlush() {}

}  // namespace vorn::gdi
