#pragma once

// The pixel store behind TDIB: a BITMAPINFO block and bottom-up rows in the Windows DIB layout.
// Bitmaps share a store through std::shared_ptr and copy it before the first write.

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/stream.h"
#include "graphics/pixel_format.h"
#include "platform/gdi/gdi.h"

namespace vorn {

constexpr std::uint32_t kCompressionRGB = 0;
constexpr std::uint32_t kCompressionRLE8 = 1;
constexpr std::uint32_t kCompressionRLE4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;
constexpr int kInfoHeaderSize = 40;
constexpr int kCoreHeaderSize = 12;

class TDIBSharedImage {
 public:
  // An empty store: no pixels, a memory image, grey colour table, 8-8-8 format.
  TDIBSharedImage();
  ~TDIBSharedImage();
  TDIBSharedImage(const TDIBSharedImage&) = delete;
  TDIBSharedImage& operator=(const TDIBSharedImage&) = delete;

  // Builds the store of a fresh picture; raises for a bad depth or format. A compressed store
  // gets its memory from the reader.
  void NewImage(int width, int height, int bitCount, const TPixelFormatMasks& pixelFormat,
                const std::uint32_t* colorTable, bool memoryImage, bool compressed);
  void Duplicate(const TDIBSharedImage& source, bool memoryImage);
  // A compressed source is decoded; any other is duplicated.
  void Decompress(const TDIBSharedImage& source, bool memoryImage);
  // Reads a packed DIB (info header, masks, colour table, rows). No bytes at all leaves it empty.
  void ReadPackedDIB(TStream& stream, bool memoryImage);

  gdi::HPALETTE GetPalette();
  void SetColorTable(const std::uint32_t* table);

  // The pixels as the device-context layer sees them.
  gdi::PixelStore View() const;
  // Pixel memory of a section is drawn on through DC; a memory image has none.
  gdi::HDC GetDC() const { return DC.get(); }

  std::int32_t BitCount = 0;
  std::vector<std::uint8_t> BitmapInfo;
  std::int32_t BitmapInfoSize = 0;
  bool ChangePalette = false;
  std::uint32_t ColorTable[kColorTableEntries] = {};
  std::uint8_t ColorTablePos = kInfoHeaderSize;
  bool Compressed = false;
  std::unique_ptr<gdi::MemoryDC> DC;
  std::int32_t Height = 0;
  bool MemoryImage = true;
  std::int32_t NextLine = 0;
  gdi::HPALETTE Palette = 0;
  std::int32_t PaletteCount = 0;
  std::unique_ptr<std::uint8_t[]> Memory;
  std::uint8_t* PBits = nullptr;
  TPixelFormatMasks PixelFormat;
  std::int32_t Size = 0;
  std::uint8_t* TopPBits = nullptr;
  std::int32_t Width = 0;
  std::int32_t WidthBytes = 0;

 private:
  void Reset();
  void AllocatePixels(std::size_t bytes);
  void SetImageSizeField();
  void DecodeRLE(const TDIBSharedImage& source);
};

// ((bits x width + 31) shr 5) x 4, in 64 bits so callers can check it against their limits.
inline std::int64_t DIBWidthBytes(std::int64_t width, std::int64_t bitCount) {
  return ((bitCount * width + 31) >> 5) * 4;
}

// Raises the depth and mask errors NewImage raises, without building anything.
void ValidateDIBFormat(int bitCount, const TPixelFormatMasks& pixelFormat);

// The store of every empty bitmap.
const std::shared_ptr<TDIBSharedImage>& EmptyDIBImage();

}  // namespace vorn
