#include "graphics/dib_shared_image.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "foundation/errors.h"
#include "foundation/little_endian.h"
#include "foundation/system_texts.h"
#include "graphics/graphics_errors.h"
#include "graphics/picture_limits.h"
#include "graphics/palette_manager.h"

namespace vorn {

namespace {

// 256 MiB: a 16384 x 16384 picture of 8 bits.
constexpr std::int64_t kMaxDecodedRunLengthBytes = std::int64_t{1} << 28;

[[noreturn]] void RaiseInvalidDIB() { throw EInvalidGraphic(std::string(texts::kInvalidDIB)); }
[[noreturn]] void RaiseStreamReadError() { throw EReadError("Stream read error"); }

bool IsValidBitCount(int bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
}

// Bit-field masks of a file, kept with their positions so pixels whose fields sit elsewhere than
// our layout (blue lowest, then green, then red) can be moved there while reading.
struct MaskField {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

MaskField DescribeMask(std::uint32_t mask) {
  MaskField field;
  field.mask = mask;
  if (mask == 0) return field;
  field.shift = std::countr_zero(mask);
  field.bits = std::popcount(mask);
  return field;
}

bool Contiguous(const MaskField& f) { return f.bits > 0 && CountMaskBits(f.mask) == f.bits; }

std::uint32_t MoveField(std::uint32_t pixel, const MaskField& from, int toShift) {
  return ((pixel & from.mask) >> from.shift) << toShift;
}

}  // namespace

void ValidateDIBFormat(int bitCount, const TPixelFormatMasks& f) {
  if (!IsValidBitCount(bitCount))
    throw EInvalidGraphicOperation(FormatSystemText(texts::kInvalidBitCountFormat, bitCount));
  const bool ok = bitCount == 16 ? (f.SameMasks(PixelFormat555()) || f.SameMasks(PixelFormat565()))
                                 : f.SameMasks(PixelFormat888());
  if (!ok) throw EInvalidGraphicOperation(std::string(texts::kInvalidPixelFormat));
}

TDIBSharedImage::TDIBSharedImage() {
  MakeGreyColorTable(ColorTable);
  PixelFormat = PixelFormat888();
}

TDIBSharedImage::~TDIBSharedImage() { Reset(); }

void TDIBSharedImage::Reset() {
  if (Palette != 0) PaletteManager().ReleasePalette(Palette);
  Palette = 0;
  DC.reset();
  Memory.reset();
  BitmapInfo.clear();
  BitmapInfoSize = 0;
  BitCount = 0;
  Compressed = false;
  Height = Width = WidthBytes = NextLine = Size = PaletteCount = 0;
  PBits = TopPBits = nullptr;
  ChangePalette = false;
  ColorTablePos = kInfoHeaderSize;
}

void TDIBSharedImage::AllocatePixels(std::size_t bytes) {
  Memory.reset(new std::uint8_t[bytes == 0 ? 1 : bytes]());
  PBits = Memory.get();
}

void TDIBSharedImage::SetImageSizeField() {
  if (BitmapInfo.size() >= kInfoHeaderSize) PutLE32(BitmapInfo.data() + 20, static_cast<std::uint32_t>(Size));
}

void TDIBSharedImage::NewImage(int width, int height, int bitCount, const TPixelFormatMasks& pixelFormat,
                               const std::uint32_t* colorTable, bool memoryImage, bool compressed) {
  Reset();
  MemoryImage = memoryImage || compressed;
  ValidateDIBFormat(bitCount, pixelFormat);
  const std::int64_t widthBytes = DIBWidthBytes(width, bitCount);
  if (width <= 0 || height <= 0 || widthBytes > std::numeric_limits<std::int32_t>::max() / height)
    throw EOutOfResources(FormatSystemText(texts::kCannotCreateFormat, std::string("DIB")));

  BitCount = bitCount;
  Width = width;
  Height = height;
  WidthBytes = static_cast<std::int32_t>(widthBytes);
  NextLine = -WidthBytes;
  Size = static_cast<std::int32_t>(widthBytes * height);
  PixelFormat = pixelFormat;
  PaletteCount = bitCount <= 8 ? 1 << bitCount : 0;
  Compressed = compressed;
  const bool hasMasks = bitCount == 16 || bitCount == 32;
  ColorTablePos = hasMasks ? 52 : kInfoHeaderSize;
  BitmapInfoSize = ColorTablePos + 4 * PaletteCount;
  std::memcpy(ColorTable, colorTable, sizeof(ColorTable));

  BitmapInfo.assign(static_cast<std::size_t>(BitmapInfoSize), 0);
  std::uint8_t* h = BitmapInfo.data();
  PutLE32(h, kInfoHeaderSize);
  PutLE32(h + 4, static_cast<std::uint32_t>(width));
  PutLE32(h + 8, static_cast<std::uint32_t>(height));
  PutLE16(h + 12, 1);
  PutLE16(h + 14, static_cast<std::uint32_t>(bitCount));
  std::uint32_t compression = kCompressionRGB;
  if (hasMasks)
    compression = kCompressionBitFields;
  else if (compressed)
    compression = bitCount == 4 ? kCompressionRLE4 : kCompressionRLE8;
  PutLE32(h + 16, compression);
  SetImageSizeField();
  if (hasMasks) {
    PutLE32(h + 40, static_cast<std::uint32_t>(pixelFormat.RedMask));
    PutLE32(h + 44, static_cast<std::uint32_t>(pixelFormat.GreenMask));
    PutLE32(h + 48, static_cast<std::uint32_t>(pixelFormat.BlueMask));
  }
  for (int i = 0; i < PaletteCount; ++i) PutLE32(h + ColorTablePos + 4 * i, colorTable[i]);

  if (!compressed) {
    AllocatePixels(static_cast<std::size_t>(Size));
    TopPBits = PBits + static_cast<std::ptrdiff_t>(Height - 1) * WidthBytes;
    if (!MemoryImage) DC = std::make_unique<gdi::MemoryDC>(View());
  }
}

gdi::PixelStore TDIBSharedImage::View() const {
  gdi::PixelStore s;
  if (Compressed) return s;
  s.bits = PBits;
  s.width = Width;
  s.height = Height;
  s.bitCount = BitCount;
  s.widthBytes = WidthBytes;
  s.redMask = static_cast<std::uint32_t>(PixelFormat.RedMask);
  s.greenMask = static_cast<std::uint32_t>(PixelFormat.GreenMask);
  s.blueMask = static_cast<std::uint32_t>(PixelFormat.BlueMask);
  s.colorTable = ColorTable;
  s.colorCount = PaletteCount;
  return s;
}

void TDIBSharedImage::Duplicate(const TDIBSharedImage& source, bool memoryImage) {
  if (source.Size == 0) {
    Reset();
    MemoryImage = memoryImage;
    return;
  }
  NewImage(source.Width, source.Height, source.BitCount, source.PixelFormat, source.ColorTable, memoryImage,
           source.Compressed);
  if (source.Compressed) {
    Size = source.Size;
    SetImageSizeField();
    AllocatePixels(static_cast<std::size_t>(Size));
  }
  std::memcpy(PBits, source.PBits, static_cast<std::size_t>(Size));
}

void TDIBSharedImage::Decompress(const TDIBSharedImage& source, bool memoryImage) {
  if (!source.Compressed) {
    Duplicate(source, memoryImage);
    return;
  }
  NewImage(source.Width, source.Height, source.BitCount, source.PixelFormat, source.ColorTable, memoryImage, false);
  DecodeRLE(source);
}

// Runs stop at the row end; deltas or rows past the image, and data that ends without an
// end-of-bitmap mark, end the decoding. Nothing is written outside the pixel memory.
void TDIBSharedImage::DecodeRLE(const TDIBSharedImage& source) {
  const std::uint8_t* in = source.PBits;
  const std::size_t length = static_cast<std::size_t>(source.Size);
  const bool rle4 = BitCount == 4;
  std::size_t pos = 0;
  std::int64_t x = 0;
  std::int64_t y = 0;  // from the bottom row
  auto put = [&](std::uint8_t value) {
    if (x < Width && y < Height) {
      std::uint8_t* row = PBits + static_cast<std::ptrdiff_t>(y) * WidthBytes;
      if (rle4) {
        std::uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (value & 0x0F))
                    : static_cast<std::uint8_t>((b & 0x0F) | (value << 4));
      } else {
        row[x] = value;
      }
    }
    ++x;
  };
  while (pos + 2 <= length && y < Height) {
    const std::uint8_t count = in[pos];
    const std::uint8_t value = in[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0; i < count && x < Width; ++i)
        put(rle4 ? static_cast<std::uint8_t>((i & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (pos + 2 > length) break;
      x += in[pos];
      y += in[pos + 1];
      pos += 2;
    } else {
      const std::size_t start = pos;
      const std::size_t bytes = rle4 ? (value + 1u) / 2 : value;
      for (int i = 0; i < value; ++i) {
        const std::size_t at = start + (rle4 ? static_cast<std::size_t>(i) / 2 : static_cast<std::size_t>(i));
        if (at >= length) break;
        put(rle4 ? static_cast<std::uint8_t>((i & 1) ? in[at] & 0x0F : in[at] >> 4) : in[at]);
      }
      pos = start + bytes;
      pos += pos & 1;  // absolute runs end on an even offset of the data
    }
  }
}

void TDIBSharedImage::ReadPackedDIB(TStream& stream, bool memoryImage) {
  std::uint8_t header[kInfoHeaderSize] = {};
  const std::size_t got = stream.Read(header, 4);
  if (got == 0) {
    Reset();
    MemoryImage = memoryImage;
    return;
  }
  if (got < 4) RaiseInvalidDIB();
  const std::uint32_t headerSize = GetLE32(header);
  std::int64_t width = 0;
  std::int64_t height = 0;
  int bitCount = 0;
  std::uint32_t compression = kCompressionRGB;
  std::uint32_t imageSize = 0;
  std::uint32_t colorsUsed = 0;
  const bool core = headerSize == kCoreHeaderSize;
  if (core) {
    stream.ReadBuffer(header + 4, 8);
    width = GetLE16(header + 4);
    height = GetLE16(header + 6);
    bitCount = GetLE16(header + 10);
  } else if (headerSize == kInfoHeaderSize) {
    stream.ReadBuffer(header + 4, kInfoHeaderSize - 4);
    width = static_cast<std::int32_t>(GetLE32(header + 4));
    height = static_cast<std::int32_t>(GetLE32(header + 8));
    bitCount = GetLE16(header + 14);
    compression = GetLE32(header + 16);
    imageSize = GetLE32(header + 20);
    colorsUsed = GetLE32(header + 32);
  } else {
    RaiseInvalidDIB();
  }
  if (compression > kCompressionBitFields) RaiseInvalidDIB();

  TPixelFormatMasks format;
  MaskField fields[3];
  bool moveFields = false;
  if (compression == kCompressionBitFields) {
    std::uint8_t masks[12];
    stream.ReadBuffer(masks, sizeof masks);
    for (int i = 0; i < 3; ++i) fields[i] = DescribeMask(GetLE32(masks + 4 * i));
    format = MakePixelFormatFromMasks(fields[0].mask, fields[1].mask, fields[2].mask);
    if (bitCount == 16 || bitCount == 32) {
      // Our layout wants contiguous fields that do not overlap; where they sit is ours to fix.
      const bool overlap = (fields[0].mask & fields[1].mask) || (fields[0].mask & fields[2].mask) ||
                           (fields[1].mask & fields[2].mask);
      if (!Contiguous(fields[0]) || !Contiguous(fields[1]) || !Contiguous(fields[2]) || overlap)
        throw EInvalidGraphicOperation(std::string(texts::kInvalidPixelFormat));
      moveFields = !format.SameMasks(MakePixelFormatMasks(fields[0].bits, fields[1].bits, fields[2].bits)) ||
                   static_cast<std::uint32_t>(format.RedMask) != fields[0].mask ||
                   static_cast<std::uint32_t>(format.GreenMask) != fields[1].mask ||
                   static_cast<std::uint32_t>(format.BlueMask) != fields[2].mask;
    }
  } else {
    format = bitCount == 16 ? PixelFormat555() : PixelFormat888();
  }

  std::int64_t colorCount = colorsUsed;
  if (core) colorCount = 0;
  if (colorCount == 0 && bitCount <= 8) colorCount = std::int64_t{1} << bitCount;
  std::int64_t surplus = 0;
  if (colorCount > kColorTableEntries) {
    surplus = colorCount - kColorTableEntries;
    colorCount = kColorTableEntries;
  }
  std::uint32_t table[kColorTableEntries] = {};
  const int entrySize = core ? 3 : 4;
  if (colorCount > 0) {
    std::uint8_t raw[kColorTableEntries * 4];
    stream.ReadBuffer(raw, static_cast<std::size_t>(colorCount * entrySize));
    for (int i = 0; i < colorCount; ++i) {
      const std::uint8_t* e = raw + i * entrySize;
      table[i] = RGBQuadFromRGB(e[2], e[1], e[0]);
    }
  }
  if (surplus > 0) {
    // The entries past 256 are not ours to show, but they are not pixel rows either.
    if (stream.Remaining() < surplus * entrySize) RaiseStreamReadError();
    stream.Seek(surplus * entrySize, SeekOrigin::kCurrent);
  }

  ValidateDIBFormat(bitCount, format);
  const bool compressed = compression == kCompressionRLE8 || compression == kCompressionRLE4;
  if (compressed && (compression == kCompressionRLE8 ? bitCount != 8 : bitCount != 4)) RaiseInvalidDIB();
  const bool topDown = height < 0;
  const std::int64_t rows = topDown ? -height : height;
  if (width <= 0 || rows == 0 || rows > std::numeric_limits<std::int32_t>::max()) RaiseInvalidDIB();
  if (ExceedsPictureLimit(width, rows)) RaiseInvalidDIB();
  const std::int64_t widthBytes = DIBWidthBytes(width, bitCount);
  if (widthBytes > std::numeric_limits<std::int32_t>::max() / rows) RaiseInvalidDIB();
  if (compressed) {
    // Run-length codes can describe a huge picture in a few bytes ("end of bitmap" skips the
    // rest); the decoded picture is bounded so a small file cannot claim gigabytes.
    if (widthBytes * rows > kMaxDecodedRunLengthBytes) RaiseInvalidDIB();
    if (imageSize == 0 || imageSize > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
      RaiseInvalidDIB();
    if (stream.Remaining() < static_cast<std::int64_t>(imageSize)) RaiseStreamReadError();
  } else if (stream.Remaining() < widthBytes * rows) {
    RaiseStreamReadError();
  }

  NewImage(static_cast<int>(width), static_cast<int>(rows), bitCount, format, table, memoryImage, compressed);
  if (compressed) {
    Size = static_cast<std::int32_t>(imageSize);
    SetImageSizeField();
    AllocatePixels(static_cast<std::size_t>(Size));
    stream.ReadBuffer(PBits, static_cast<std::size_t>(Size));
    return;
  }
  if (!topDown) {
    stream.ReadBuffer(PBits, static_cast<std::size_t>(Size));
  } else {
    for (int y = 0; y < Height; ++y)
      stream.ReadBuffer(TopPBits + static_cast<std::ptrdiff_t>(y) * NextLine, static_cast<std::size_t>(WidthBytes));
  }
  if (moveFields) {
    const TPixelFormatMasks& f = PixelFormat;
    const int redShift = f.GreenBits + f.BlueBits;
    const int greenShift = f.BlueBits;
    for (int y = 0; y < Height; ++y) {
      std::uint8_t* row = PBits + static_cast<std::ptrdiff_t>(y) * WidthBytes;
      for (int x = 0; x < Width; ++x) {
        std::uint8_t* p = row + x * (BitCount / 8);
        const std::uint32_t v = BitCount == 16 ? GetLE16(p) : GetLE32(p);
        const std::uint32_t moved =
            MoveField(v, fields[0], redShift) | MoveField(v, fields[1], greenShift) | MoveField(v, fields[2], 0);
        if (BitCount == 16)
          PutLE16(p, moved);
        else
          PutLE32(p, moved);
      }
    }
  }
}

gdi::HPALETTE TDIBSharedImage::GetPalette() {
  if (PaletteCount == 0) return 0;
  if (ChangePalette || Palette == 0) {
    ChangePalette = false;
    PaletteManager().ReleasePalette(Palette);
    Palette = PaletteManager().AcquirePalette(ColorTable, PaletteCount);
  }
  return Palette;
}

void TDIBSharedImage::SetColorTable(const std::uint32_t* table) {
  std::memcpy(ColorTable, table, sizeof(ColorTable));
  ChangePalette = true;
  if (Size > 0 && PaletteCount > 0) {
    for (int i = 0; i < PaletteCount; ++i) PutLE32(BitmapInfo.data() + ColorTablePos + 4 * i, table[i]);
  }
}

const std::shared_ptr<TDIBSharedImage>& EmptyDIBImage() {
  static const std::shared_ptr<TDIBSharedImage> empty = std::make_shared<TDIBSharedImage>();
  return empty;
}

}  // namespace vorn
