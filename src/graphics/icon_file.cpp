// Icon and cursor files: a directory of images, each a DIB of twice the picture height followed by
// a 1-bit AND mask. Transparency ends up in the alpha plane or as a key colour.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/little_endian.h"
#include "foundation/system_texts.h"
#include "graphics/dib_surface.h"
#include "graphics/dx_paint_box.h"
#include "graphics/graphics_errors.h"
#include "graphics/picture_limits.h"
#include "platform/icon_chooser.h"

namespace vorn {

namespace {

constexpr int kDirectoryHeadSize = 6;
constexpr int kDirectoryEntrySize = 16;
constexpr int kFileHeaderSize = 14;
constexpr std::uint16_t kDirectoryTypeIcon = 1;
constexpr std::uint16_t kDirectoryTypeCursor = 2;
constexpr int kPreviewSide = 100;
constexpr char kChooserCaption[] = "Select One from Multiple Icons";

[[noreturn]] void RaiseReadError() { throw EReadError("Stream read error"); }
[[noreturn]] void RaiseInvalidIcon(const std::string& why) { throw EInvalidGraphic("Invalid icon file: " + why); }

struct DirectoryEntry {
  std::uint16_t type = 0;
  int count = 0;
  std::uint8_t bytes[kDirectoryEntrySize] = {};
  std::uint32_t ImageOffset() const { return GetLE32(bytes + 12); }
};

DirectoryEntry ReadEntry(TStream& stream, int index) {
  DirectoryEntry entry;
  std::uint8_t head[kDirectoryHeadSize];
  stream.SetPosition(0);
  stream.ReadBuffer(head, sizeof head);
  entry.type = GetLE16(head + 2);
  entry.count = GetLE16(head + 4);
  if (entry.count == 0) RaiseInvalidIcon("no images");
  if (index < 0 || index >= entry.count) RaiseInvalidIcon("no image " + std::to_string(index));
  stream.SetPosition(kDirectoryHeadSize + static_cast<std::int64_t>(kDirectoryEntrySize) * index);
  stream.ReadBuffer(entry.bytes, sizeof entry.bytes);
  return entry;
}

// The image's info header (40 bytes, or 12 for the old core layout).
struct EntryHeader {
  std::vector<std::uint8_t> bytes;
  std::int64_t width = 0;
  std::int64_t height = 0;  // both pictures
  int bitCount = 0;
  std::uint32_t compression = kCompressionRGB;
  std::uint32_t colorsUsed = 0;
  bool core = false;
};

EntryHeader ReadEntryHeader(TStream& stream, std::uint32_t offset) {
  EntryHeader header;
  if (static_cast<std::int64_t>(offset) + 4 > stream.Size()) RaiseReadError();
  stream.SetPosition(offset);
  std::uint8_t first[4];
  stream.ReadBuffer(first, sizeof first);
  if (first[0] == 0x89 && first[1] == 'P' && first[2] == 'N' && first[3] == 'G')
    RaiseInvalidIcon("PNG images are not read");
  const std::uint32_t size = GetLE32(first);
  if (size != kInfoHeaderSize && size != kCoreHeaderSize) throw EInvalidGraphic(std::string(texts::kInvalidDIB));
  header.bytes.resize(size);
  std::memcpy(header.bytes.data(), first, 4);
  stream.ReadBuffer(header.bytes.data() + 4, size - 4);
  const std::uint8_t* b = header.bytes.data();
  header.core = size == kCoreHeaderSize;
  if (header.core) {
    header.width = GetLE16(b + 4);
    header.height = GetLE16(b + 6);
    header.bitCount = GetLE16(b + 10);
  } else {
    header.width = static_cast<std::int32_t>(GetLE32(b + 4));
    header.height = static_cast<std::int32_t>(GetLE32(b + 8));
    header.bitCount = GetLE16(b + 14);
    header.compression = GetLE32(b + 16);
    header.colorsUsed = GetLE32(b + 32);
  }
  return header;
}

std::string ChooserRow(int entry, const EntryHeader& header) {
  char row[96];
  std::snprintf(row, sizeof row, "%.3d : %d x %d  %d bpp", entry + 1, static_cast<int>(header.width),
                static_cast<int>(header.height / 2), header.bitCount);
  return row;
}

bool MaskBit(const std::vector<std::uint8_t>& mask, std::int64_t maskRowBytes, int height, int x, int y) {
  const std::uint8_t* row = mask.data() + static_cast<std::int64_t>(height - 1 - y) * maskRowBytes;
  return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// The chooser's preview: the entry over white, centred in 100 x 100, shrunk to fit when larger.
platform::IconPreview RenderPreview(TStream& stream, int index) {
  TDXPaintBox box;
  box.SetBounds(180, 16, kPreviewSide, kPreviewSide);
  TDIB& preview = box.DIB();
  preview.PixelFormat = PixelFormat888();
  preview.SetSize(kPreviewSide, kPreviewSide, 24);
  {
    TDIBSurface a;
    std::int32_t key = -1;
    bool icon32 = false;
    TPoint hotSpot;
    a.ReadIconEntry(stream, index, key, true, icon32, hotSpot);
    a.PixelFormat = PixelFormat888();
    a.SetBitCount(24);
    TDIBSurface b;
    b.SetSize(a.Width(), a.Height(), a.BitCount());
    b.FillRectPixel(b.GetBoundsRect(), 0xFFFFFF);
    b.DrawAlpha(0, 0, a, a.GetBoundsRect(), 255);

    TCanvas& canvas = preview.GetCanvas();
    canvas.Changing();
    gdi::PatBlt(canvas.Handle(), 0, 0, kPreviewSide, kPreviewSide, gdi::WHITENESS);
    b.EnsureUncompressed();
    gdi::MemoryDC source(b.Image()->View());
    const int pw = preview.Width();
    const int ph = preview.Height();
    if (b.Width() <= pw && b.Height() <= ph) {
      gdi::BitBlt(canvas.Handle(), (pw - b.Width()) / 2, (ph - b.Height()) / 2, b.Width(), b.Height(), &source, 0, 0,
                  gdi::SRCCOPY);
    } else {
      const double s = std::min(static_cast<double>(pw) / b.Width(), static_cast<double>(ph) / b.Height());
      const int w = static_cast<int>(b.Width() * s);
      const int h = static_cast<int>(b.Height() * s);
      gdi::StretchBlt(canvas.Handle(), (pw - w) / 2, (ph - h) / 2, w, h, &source, 0, 0, b.Width(), b.Height(),
                      gdi::SRCCOPY);
    }
    canvas.Changed();
  }
  // What the paint box shows on its 100 x 100 client area.
  TDIBSurface screen;
  screen.PixelFormat = PixelFormat888();
  screen.SetSize(box.Width, box.Height, 24);
  screen.FillRectPixel(screen.GetBoundsRect(), 0xFFFFFF);
  box.Invalidate();
  box.Paint(screen.GetCanvas());
  platform::IconPreview out;
  out.width = screen.Width();
  out.height = screen.Height();
  out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
  for (int y = 0; y < out.height; ++y) {
    const std::uint8_t* line = screen.ReadScanLine(y);
    std::uint8_t* to = out.rgb.data() + static_cast<std::size_t>(y) * out.width * 3;
    for (int x = 0; x < out.width; ++x) {
      to[3 * x] = line[3 * x + 2];
      to[3 * x + 1] = line[3 * x + 1];
      to[3 * x + 2] = line[3 * x];
    }
  }
  return out;
}

int RunChooser(TStream& stream, int count) {
  platform::IconChooserRequest request;
  request.caption = kChooserCaption;
  for (int i = 0; i < count; ++i) {
    const DirectoryEntry entry = ReadEntry(stream, i);
    request.rows.push_back(ChooserRow(i, ReadEntryHeader(stream, entry.ImageOffset())));
  }
  request.preview = [&stream](int row) { return RenderPreview(stream, row); };
  const int row = platform::CurrentIconChooser().Choose(request);
  return row >= 0 && row < count ? row : 0;
}

}  // namespace

void TDIBSurface::ReadIconFile(TStream& stream, bool chooseIcon, std::int32_t& transparentColor, bool takeAlpha,
                               bool& icon32, TSurfaceFileInfo& info) {
  std::uint8_t magic[2] = {};
  stream.SetPosition(0);
  const std::size_t got = stream.Read(magic, sizeof magic);
  if (got == 2 && magic[0] == 'B' && magic[1] == 'M') {
    stream.SetPosition(0);
    LoadFromStream(stream);
    transparentColor = -1;
    return;
  }
  const DirectoryEntry first = ReadEntry(stream, 0);
  int index = 0;
  if (first.count > 1 && chooseIcon) index = RunChooser(stream, first.count);
  ReadIconEntry(stream, index, transparentColor, takeAlpha, icon32, info.HotSpot);
  info.IconIndex = index;
}

void TDIBSurface::ReadIconEntry(TStream& stream, int index, std::int32_t& transparentColor, bool takeAlpha,
                                bool& icon32, TPoint& hotSpot) {
  const DirectoryEntry entry = ReadEntry(stream, index);
  if (entry.type == kDirectoryTypeCursor) hotSpot = MakePoint(GetLE16(entry.bytes + 4), GetLE16(entry.bytes + 6));
  const EntryHeader header = ReadEntryHeader(stream, entry.ImageOffset());
  if (header.height < 0) RaiseInvalidIcon("negative height");
  if (header.compression != kCompressionRGB && header.compression != kCompressionBitFields)
    RaiseInvalidIcon("compressed images are not read");
  const int bits = header.bitCount;
  // Bit-field masks follow the header only when the header says so: without them the rows follow
  // at once (the masks would be taken from pixel bytes, and run past a small last image).
  const std::int64_t masks = header.compression == kCompressionBitFields ? 12 : 0;
  std::int64_t colours = 0;
  if (!header.core) {
    colours = header.colorsUsed != 0 ? 4 * static_cast<std::int64_t>(header.colorsUsed)
                                     : bits <= 8 ? 4 * (std::int64_t{1} << std::min(bits, 8)) : 0;
  } else if (bits <= 8) {
    colours = 3 * (std::int64_t{1} << std::min(bits, 8));
  }
  const std::int64_t h = header.height / 2;
  if (header.width <= 0 || header.width > 0x7FFFFFFF || h <= 0 || bits <= 0 || bits > 32 ||
      ExceedsPictureLimit(header.width, h))
    throw EInvalidGraphic(std::string(texts::kInvalidDIB));
  const std::int64_t s = DIBWidthBytes(header.width, bits);
  const std::int64_t t = DIBWidthBytes(header.width, 1);
  const std::int64_t dataStart = static_cast<std::int64_t>(entry.ImageOffset()) + static_cast<std::int64_t>(header.bytes.size());
  // The rows must lie inside the file; checked by division so the sizes below cannot wrap.
  if (h > stream.Size() / s) RaiseReadError();
  const std::int64_t dataBytes = masks + colours + s * h;
  if (dataStart + dataBytes + t * h > stream.Size()) RaiseReadError();

  // The entry as a BMP file of its colour picture alone.
  std::vector<std::uint8_t> bmp(static_cast<std::size_t>(kFileHeaderSize + header.bytes.size() + dataBytes));
  std::uint8_t* p = bmp.data();
  p[0] = 'B';
  p[1] = 'M';
  PutLE32(p + 2, static_cast<std::uint32_t>(bmp.size()));
  PutLE32(p + 10, static_cast<std::uint32_t>(kFileHeaderSize + header.bytes.size() + masks + colours));
  std::memcpy(p + kFileHeaderSize, header.bytes.data(), header.bytes.size());
  if (header.core) {
    PutLE16(p + kFileHeaderSize + 6, static_cast<std::uint32_t>(h));
  } else {
    PutLE32(p + kFileHeaderSize + 8, static_cast<std::uint32_t>(h));
    PutLE32(p + kFileHeaderSize + 20, static_cast<std::uint32_t>(s * h));
  }
  stream.SetPosition(dataStart);
  stream.ReadBuffer(p + kFileHeaderSize + header.bytes.size(), static_cast<std::size_t>(dataBytes));
  std::vector<std::uint8_t> mask(static_cast<std::size_t>(t * h));
  stream.ReadBuffer(mask.data(), mask.size());
  TMemoryStream picture(std::move(bmp));
  LoadFromStream(picture);

  icon32 = bits == 32;
  const int width = Width();
  const int height = Height();
  EnsureAlphaPlane();
  if (bits == 32) {
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* line = ReadScanLine(y);
      std::uint8_t* alpha = Alpha()->GetScanLine(y);
      for (int x = 0; x < width; ++x) alpha[x] = MaskBit(mask, t, height, x, y) ? 0 : line[4 * x + 3];
    }
    PixelFormat = PixelFormat888();
    SetBitCount(24);
    transparentColor = -1;
    return;
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* alpha = Alpha()->GetScanLine(y);
    for (int x = 0; x < width; ++x) alpha[x] = MaskBit(mask, t, height, x, y) ? 0 : 255;
  }
  if (takeAlpha || GetBitCount() == 1) {
    transparentColor = -1;
    return;
  }
  const auto colour = static_cast<std::uint32_t>(transparentColor);
  const auto red = static_cast<std::uint8_t>(colour);
  const auto green = static_cast<std::uint8_t>(colour >> 8);
  const auto blue = static_cast<std::uint8_t>(colour >> 16);
  std::uint32_t key = 0;
  const int unused = FindUnusedIndex();
  if (unused >= 0) {
    ColorTable[unused] = RGBQuadFromRGB(red, green, blue);
    UpdatePalette();
    key = static_cast<std::uint32_t>(unused);
  } else if (GetBitCount() <= 8) {
    key = static_cast<std::uint32_t>(gdi::GetNearestPaletteIndex(GetPalette(), gdi::RGB(red, green, blue)));
  } else {
    key = RGB8ToPixel(red, green, blue);
  }
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* alpha = Alpha()->ReadScanLine(y);
    for (int x = 0; x < width; ++x)
      if (alpha[x] == 0) SetPixel(x, y, key);
  }
  transparentColor = static_cast<std::int32_t>(key);
  FreeAlphaPlane();
}

void TDIBSurface::WriteIconFile(TStream& stream, bool cursor, std::int32_t transparentColor, TDIB* alphaSource,
                                bool icon32, TPoint hotSpot) {
  const int width = Width();
  const int height = Height();
  EnsureUncompressed();
  std::vector<std::uint8_t> m(static_cast<std::size_t>(width) * height, 255);
  auto maskAt = [&](int x, int y) -> std::uint8_t& { return m[static_cast<std::size_t>(y) * width + x]; };

  TDIBSurface c;
  c.CopyFrom(*this);
  c.FreeAlphaPlane();
  if (c.BitCount() == 16 || c.BitCount() == 32) {
    c.PixelFormat = PixelFormat888();
    c.SetBitCount(24);
  }

  if (transparentColor >= 0) {
    const auto key = static_cast<std::uint32_t>(transparentColor);
    if (c.BitCount() <= 8) {
      if (transparentColor < kColorTableEntries) {
        c.ColorTable[transparentColor] = 0;
        c.UpdatePalette();
      }
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) maskAt(x, y) = GetPixel(x, y) == key ? 0 : 255;
    } else {
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          if (GetPixel(x, y) == key) {
            maskAt(x, y) = 0;
            c.SetPixel(x, y, 0);
          }
    }
  } else if (alphaSource) {
    // Where the alpha source does not reach, the picture stays opaque.
    for (int y = 0; y < std::min(height, alphaSource->Height()); ++y) {
      if (alphaSource->BitCount() != 8) break;
      const std::uint8_t* alpha = alphaSource->ReadScanLine(y);
      for (int x = 0; x < std::min(width, alphaSource->Width()); ++x) maskAt(x, y) = alpha[x];
    }
    if (icon32) {
      c.PixelFormat = PixelFormat888();
      c.SetBitCount(32);
      for (int y = 0; y < height; ++y) {
        std::uint8_t* line = c.GetScanLine(y);
        for (int x = 0; x < width; ++x) {
          if (maskAt(x, y) == 0) std::memset(line + 4 * x, 0, 4);
          line[4 * x + 3] = maskAt(x, y);
        }
      }
    } else if (c.BitCount() > 8) {
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          if (maskAt(x, y) < 128) c.SetPixel(x, y, 0);
    } else {
      int k = FindUnusedIndex();
      if (k >= 0) {
        c.ColorTable[k] = 0;
        c.UpdatePalette();
      } else {
        k = gdi::GetNearestPaletteIndex(c.GetPalette(), gdi::RGB(0, 0, 0));
      }
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          if (maskAt(x, y) < 128) c.SetPixel(x, y, static_cast<std::uint32_t>(k));
    }
  }

  // A 32-bit image is written without bit-field masks: the published format has none there.
  const int bits = c.BitCount();
  const std::int64_t s = DIBWidthBytes(width, bits);
  const std::int64_t t = DIBWidthBytes(width, 1);
  const int colours = bits <= 8 ? 1 << bits : 0;
  std::uint8_t info[kInfoHeaderSize] = {};
  PutLE32(info, kInfoHeaderSize);
  PutLE32(info + 4, static_cast<std::uint32_t>(width));
  PutLE32(info + 8, static_cast<std::uint32_t>(2 * height));
  PutLE16(info + 12, 1);
  PutLE16(info + 14, static_cast<std::uint32_t>(bits));
  PutLE32(info + 20, static_cast<std::uint32_t>(s * height + t * height));
  PutLE32(info + 32, static_cast<std::uint32_t>(colours));
  const std::int64_t resourceBytes = kInfoHeaderSize + 4 * colours + s * height + t * height;

  std::uint8_t head[kDirectoryHeadSize + kDirectoryEntrySize] = {};
  PutLE16(head + 2, cursor ? kDirectoryTypeCursor : kDirectoryTypeIcon);
  PutLE16(head + 4, 1);
  std::uint8_t* e = head + kDirectoryHeadSize;
  e[0] = static_cast<std::uint8_t>(width);
  e[1] = static_cast<std::uint8_t>(height);
  e[2] = static_cast<std::uint8_t>(bits < 8 ? 1 << bits : 0);
  if (cursor) {
    PutLE16(e + 4, static_cast<std::uint32_t>(hotSpot.x) & 0xFFFF);
    PutLE16(e + 6, static_cast<std::uint32_t>(hotSpot.y) & 0xFFFF);
  } else {
    PutLE16(e + 6, static_cast<std::uint32_t>(bits));
  }
  PutLE32(e + 8, static_cast<std::uint32_t>(resourceBytes));
  PutLE32(e + 12, kDirectoryHeadSize + kDirectoryEntrySize);
  stream.WriteBuffer(head, sizeof head);
  stream.WriteBuffer(info, sizeof info);
  for (int i = 0; i < colours; ++i) {
    const std::uint32_t v = c.ColorTable[i];
    const std::uint8_t quad[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                  static_cast<std::uint8_t>(v >> 16), 0};
    stream.WriteBuffer(quad, sizeof quad);
  }
  for (int y = height - 1; y >= 0; --y) stream.WriteBuffer(c.ReadScanLine(y), static_cast<std::size_t>(s));
  std::vector<std::uint8_t> row(static_cast<std::size_t>(t));
  for (int y = height - 1; y >= 0; --y) {
    std::fill(row.begin(), row.end(), 0);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t v = maskAt(x, y);
      if (bits == 32 ? v == 0 : v < 128) row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
    stream.WriteBuffer(row.data(), row.size());
  }
}

}  // namespace vorn
