// TGA pictures: colour-mapped, true-colour and grey images, raw or run-length encoded, with the
// key colour of the extension area.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/little_endian.h"
#include "foundation/system_texts.h"
#include "graphics/dib_surface.h"
#include "graphics/graphics_errors.h"
#include "graphics/picture_limits.h"
#include "graphics/tga_packets.h"

namespace vorn {

namespace {

constexpr int kTGAHeaderSize = 18;
constexpr int kTGAFooterSize = 26;
constexpr int kTGAExtensionSize = 495;
constexpr int kTGAKeyColorOffset = 470;
constexpr char kTGASignature[] = "TRUEVISION-XFILE";
constexpr int kTGASignatureSize = 16;
constexpr std::uint8_t kDescriptorRightToLeft = 0x10;
constexpr std::uint8_t kDescriptorTopDown = 0x20;
constexpr int kMaxTGASide = 0xFFFF;
constexpr int kMaxPacketPixels = 128;

[[noreturn]] void RaiseReadError() { throw EReadError("Stream read error"); }

bool IsRawType(int type) { return type == 1 || type == 2 || type == 3; }
bool IsPackedType(int type) { return type == 9 || type == 10 || type == 11; }

// 5-5-5 words of the file to the picture's 5-6-5 (lowest green bit 0), or kept 5-5-5 at depth 15.
void StoreWords(const std::uint8_t* from, std::uint8_t* to, int count, bool to565) {
  for (int i = 0; i < count; ++i) {
    const std::uint32_t w = GetLE16(from + 2 * i);
    const std::uint32_t v = to565 ? ((w & 0x7C00) << 1) | ((w & 0x03E0) << 1) | (w & 0x1F) : (w & 0x7FFF);
    PutLE16(to + 2 * i, v);
  }
}

struct TGAFooter {
  bool found = false;
  std::int64_t pixelEnd = 0;
  bool hasKey = false;
  std::uint8_t key[4] = {};
};

// Looks for the footer backwards over trailing zero bytes. Offsets that point before the pixel
// data or past the file are taken as no footer at all.
TGAFooter FindFooter(TStream& stream, std::int64_t base, std::int64_t size, std::int64_t pixelStart) {
  TGAFooter footer;
  footer.pixelEnd = size;
  std::int64_t p = size - 1;
  std::uint8_t block[4096];
  bool nonZero = false;
  while (p > base && !nonZero) {
    const std::int64_t from = std::max(base, p - static_cast<std::int64_t>(sizeof block) + 1);
    const auto count = static_cast<std::size_t>(p - from + 1);
    stream.SetPosition(from);
    stream.ReadBuffer(block, count);
    for (std::int64_t i = static_cast<std::int64_t>(count) - 1; i >= 0; --i, --p) {
      if (block[i] != 0) {
        nonZero = true;
        break;
      }
    }
  }
  if (!nonZero || p - base < 24) return footer;
  std::uint8_t tail[24];
  stream.SetPosition(p - 24);
  stream.ReadBuffer(tail, sizeof tail);
  std::uint8_t dot = 0;
  stream.ReadBuffer(&dot, 1);
  if (dot != '.' || std::memcmp(tail + 8, kTGASignature, kTGASignatureSize) != 0) return footer;
  const std::int64_t extension = GetLE32(tail);
  const std::int64_t directory = GetLE32(tail + 4);
  const std::int64_t footerStart = p - 24;
  auto inside = [&](std::int64_t offset) { return offset == 0 || (base + offset >= pixelStart && base + offset <= footerStart); };
  if (!inside(extension) || !inside(directory)) return footer;
  if (extension > 0 && base + extension + kTGAExtensionSize > footerStart) return footer;
  footer.found = true;
  footer.pixelEnd = directory > 0 ? base + directory : extension > 0 ? base + extension : footerStart;
  if (extension > 0) {
    std::uint8_t area[kTGAExtensionSize];
    stream.SetPosition(base + extension);
    stream.ReadBuffer(area, sizeof area);
    footer.hasKey = true;
    std::memcpy(footer.key, area + kTGAKeyColorOffset, 4);
  }
  return footer;
}

}  // namespace

void TDIBSurface::ReadTGA(TStream& stream, std::int32_t& transparentColor, bool takeAlpha, TSurfaceFileInfo& info) {
  transparentColor = -1;
  const std::int64_t base = stream.Position();
  std::uint8_t header[kTGAHeaderSize];
  stream.ReadBuffer(header, sizeof header);
  const int idLength = header[0];
  const int mapType = header[1];
  const int type = header[2];
  const int mapFirst = GetLE16(header + 3);
  const int mapLength = GetLE16(header + 5);
  const int mapEntryBits = header[7];
  const int width = GetLE16(header + 12);
  const int height = GetLE16(header + 14);
  const int depth = header[16];
  const std::uint8_t descriptor = header[17];
  if (!IsRawType(type) && !IsPackedType(type)) return;
  const bool packed = IsPackedType(type);

  if (depth != 1 && depth != 4 && depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32)
    throw EInvalidGraphicOperation(FormatSystemText(texts::kInvalidBitCountFormat, depth));
  // A packet of pixels under a byte would never move the decoder on.
  if (packed && depth < 8) throw EInvalidGraphicOperation(FormatSystemText(texts::kInvalidBitCountFormat, depth));
  if (ExceedsPictureLimit(width, height))
    throw EInvalidGraphicOperation("TGA picture too large (" + std::to_string(width) + " x " + std::to_string(height) + ")");

  const std::int64_t size = stream.Size();
  const std::int64_t mapBytes = mapType != 0 ? static_cast<std::int64_t>(mapLength) * ((mapEntryBits + 7) / 8) : 0;
  const std::int64_t pixelStart = base + kTGAHeaderSize + idLength + mapBytes;
  if (pixelStart > size) RaiseReadError();

  const TGAFooter footer = FindFooter(stream, base, size, pixelStart);
  if (footer.hasKey) transparentColor = 0;

  // The whole colour map is read, and skipped where its entries are not ours to store.
  stream.SetPosition(base + kTGAHeaderSize + idLength);
  std::vector<std::uint8_t> map(static_cast<std::size_t>(mapBytes));
  if (mapBytes > 0) stream.ReadBuffer(map.data(), map.size());

  const int pixelBytes = depth == 15 ? 2 : depth / 8;
  const std::int64_t available = std::max<std::int64_t>(0, footer.pixelEnd - pixelStart);
  const std::int64_t pixelCount = static_cast<std::int64_t>(width) * height;
  const std::int64_t rowBytes = depth == 15 ? 2 * static_cast<std::int64_t>(width) : (static_cast<std::int64_t>(width) * depth + 7) / 8;
  if (packed) {
    if (available * kMaxPacketPixels < pixelCount) RaiseReadError();
  } else if (available < rowBytes * height) {
    RaiseReadError();
  }

  SetSize(width, height, depth);
  if (mapType != 0 && mapLength * mapEntryBits != 0 &&
      (mapEntryBits == 16 || mapEntryBits == 24 || mapEntryBits == 32)) {
    const int entryBytes = mapEntryBits / 8;
    for (int i = 0; i < mapLength && mapFirst + i < kColorTableEntries; ++i) {
      const std::uint8_t* e = map.data() + static_cast<std::ptrdiff_t>(i) * entryBytes;
      if (mapEntryBits == 16) {
        const std::uint32_t w = GetLE16(e);
        ColorTable[mapFirst + i] = RGBQuadFromRGB(static_cast<std::uint8_t>((w & 0x7C00) >> 7),
                                                  static_cast<std::uint8_t>((w & 0x03E0) >> 2),
                                                  static_cast<std::uint8_t>((w & 0x1F) << 3));
      } else {
        ColorTable[mapFirst + i] = RGBQuadFromRGB(e[2], e[1], e[0]);
      }
    }
    UpdatePalette();
  }
  if (transparentColor >= 0) {
    const std::uint8_t* k = footer.key;
    if (depth <= 8)
      transparentColor = gdi::GetNearestPaletteIndex(GetPalette(), gdi::RGB(k[1], k[2], k[3]));
    else
      transparentColor = static_cast<std::int32_t>(RGBToPixel(k[1], k[2], k[3]));
  }
  if (pixelCount == 0 || Size() == 0) return;

  const bool words = depth == 15 || depth == 16;
  stream.SetPosition(pixelStart);
  if (!packed) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    for (int y = 0; y < height; ++y) {
      stream.ReadBuffer(row.data(), row.size());
      std::uint8_t* line = GetScanLine(y);
      if (words)
        StoreWords(row.data(), line, width, depth == 16);
      else
        std::memcpy(line, row.data(), row.size());
    }
  } else {
    info.TGACompressed = true;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(available));
    stream.ReadBuffer(data.data(), data.size());
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(pixelCount * pixelBytes));
    std::size_t in = 0;
    std::int64_t done = 0;
    while (done < pixelCount) {
      if (in >= data.size()) RaiseReadError();
      const int h = data[in++];
      const bool run = h >= 0x80;
      std::int64_t n = run ? h - 127 : h + 1;
      n = std::min(n, pixelCount - done);
      std::uint8_t* out = pixels.data() + done * pixelBytes;
      if (run) {
        if (data.size() - in < static_cast<std::size_t>(pixelBytes)) RaiseReadError();
        for (std::int64_t i = 0; i < n; ++i) std::memcpy(out + i * pixelBytes, data.data() + in, pixelBytes);
        in += pixelBytes;
      } else {
        const auto bytes = static_cast<std::size_t>(n * pixelBytes);
        if (data.size() - in < bytes) RaiseReadError();
        std::memcpy(out, data.data() + in, bytes);
        in += bytes;
      }
      done += n;
    }
    const std::size_t lineBytes = static_cast<std::size_t>(width) * pixelBytes;
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* from = pixels.data() + static_cast<std::size_t>(y) * lineBytes;
      std::uint8_t* line = GetScanLine(y);
      if (words)
        StoreWords(from, line, width, depth == 16);
      else
        std::memcpy(line, from, lineBytes);
    }
  }

  if (descriptor & kDescriptorRightToLeft) FlipHorizontal();
  if (!(descriptor & kDescriptorTopDown)) FlipVertical();

  if (takeAlpha && GetBitCount() == 32) {
    EnsureAlphaPlane();
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* line = ReadScanLine(y);
      std::uint8_t* alpha = Alpha()->GetScanLine(y);
      for (int x = 0; x < width; ++x) alpha[x] = static_cast<std::uint8_t>(255 - line[4 * x + 3]);
    }
    SetBitCount(24);
    info.TGAAlpha = true;
  }
}

void TDIBSurface::WriteTGA(TStream& stream, std::int32_t transparentColor, TDIB* alphaSource, bool compress) {
  const int width = Width();
  const int height = Height();
  if (width > kMaxTGASide || height > kMaxTGASide)
    throw EInvalidGraphicOperation("A TGA picture is at most 65535 pixels wide and high (" + std::to_string(width) +
                                   " x " + std::to_string(height) + ")");
  EnsureUncompressed();

  // The written picture: the picture itself, or a copy that carries the alpha or widens 1 and 4 bits.
  std::unique_ptr<TDIBSurface> copy;
  TDIBSurface* w = this;
  if (alphaSource) {
    copy = std::make_unique<TDIBSurface>();
    copy->PixelFormat = PixelFormat888();
    copy->SetSize(width, height, 32);
    const gdi::PixelStore view = Image()->View();
    for (int y = 0; y < height; ++y) {
      std::uint8_t* line = copy->GetScanLine(y);
      const bool alphaRow = y < alphaSource->Height() && alphaSource->BitCount() == 8;
      const std::uint8_t* alpha = alphaRow ? alphaSource->ReadScanLine(y) : nullptr;
      for (int x = 0; x < width; ++x) {
        const std::uint32_t rgb = gdi::ReadPixelRGB(view, x, y);
        const std::uint8_t a = alpha && x < alphaSource->Width() ? alpha[x] : 255;
        line[4 * x] = static_cast<std::uint8_t>(rgb);
        line[4 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
        line[4 * x + 2] = static_cast<std::uint8_t>(rgb >> 16);
        line[4 * x + 3] = static_cast<std::uint8_t>(255 - a);
      }
    }
    w = copy.get();
  } else if (BitCount() == 1 || BitCount() == 4) {
    copy = std::make_unique<TDIBSurface>();
    copy->SetSize(width, height, 8);
    std::copy(std::begin(ColorTable), std::end(ColorTable), copy->ColorTable);
    copy->UpdatePalette();
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) copy->SetPixel(x, y, GetPixel(x, y));
    w = copy.get();
  }

  const int bits = w->BitCount();
  const bool mapped = bits == 8;
  std::uint8_t header[kTGAHeaderSize] = {};
  header[1] = mapped ? 1 : 0;
  header[2] = static_cast<std::uint8_t>((mapped ? 1 : 2) + (compress ? 8 : 0));
  PutLE16(header + 5, mapped ? kColorTableEntries : 0);
  header[7] = 24;
  PutLE16(header + 12, static_cast<std::uint32_t>(width));
  PutLE16(header + 14, static_cast<std::uint32_t>(height));
  header[16] = static_cast<std::uint8_t>(bits);
  header[17] = kDescriptorTopDown;
  stream.WriteBuffer(header, sizeof header);
  if (mapped) {
    std::uint8_t map[kColorTableEntries * 3];
    for (int i = 0; i < kColorTableEntries; ++i) {
      const std::uint32_t c = w->ColorTable[i];
      map[3 * i] = static_cast<std::uint8_t>(c);
      map[3 * i + 1] = static_cast<std::uint8_t>(c >> 8);
      map[3 * i + 2] = static_cast<std::uint8_t>(c >> 16);
    }
    stream.WriteBuffer(map, sizeof map);
  }

  const std::size_t rowBytes = (static_cast<std::size_t>(bits) * width + 7) / 8;
  // One spare byte: the 24-bit picker reads four bytes at a time.
  std::vector<std::uint8_t> pixels(rowBytes * height + 1);
  const bool to555 = w->GetBitCount() == 16;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = pixels.data() + rowBytes * y;
    std::memcpy(out, w->ReadScanLine(y), rowBytes);
    if (to555) {
      for (int x = 0; x < width; ++x) {
        const std::uint32_t v = GetLE16(out + 2 * x);
        PutLE16(out + 2 * x, (v & 0x1F) | ((v & 0x07C0) >> 1) | ((v & 0xF800) >> 1));
      }
    }
  }
  if (!compress) {
    stream.WriteBuffer(pixels.data(), pixels.size() - 1);
  } else {
    const auto packets = EncodeTGAPackets(pixels.data(), static_cast<std::int64_t>(width) * height, bits / 8);
    stream.WriteBuffer(packets.data(), packets.size());
  }

  std::uint32_t extensionOffset = 0;
  if (!alphaSource && transparentColor >= 0) {
    extensionOffset = static_cast<std::uint32_t>(stream.Position());
    std::uint8_t area[kTGAExtensionSize] = {};
    PutLE16(area, kTGAExtensionSize);
    int red = 0, green = 0, blue = 0;
    PixelToRGB(static_cast<std::uint32_t>(transparentColor), red, green, blue);
    // The pixels lost the lowest green bit on the way out; a key that kept it would match none.
    if (to555) green &= ~1;
    area[kTGAKeyColorOffset + 1] = static_cast<std::uint8_t>(red);
    area[kTGAKeyColorOffset + 2] = static_cast<std::uint8_t>(green);
    area[kTGAKeyColorOffset + 3] = static_cast<std::uint8_t>(blue);
    stream.WriteBuffer(area, sizeof area);
  }
  std::uint8_t footer[kTGAFooterSize] = {};
  PutLE32(footer, extensionOffset);
  std::memcpy(footer + 8, kTGASignature, kTGASignatureSize);
  footer[24] = '.';
  stream.WriteBuffer(footer, sizeof footer);
}

}  // namespace vorn
