// Loading a drawing surface from BMP, PNG and layered-image data and saving it as a 24-bit BMP,
// once for every kind of surface: only SetSize, Lock and the pixel-format queries are used, so
// the picture always takes the surface's own depth.

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "foundation/file_stream.h"
#include "foundation/path_utils.h"
#include "foundation/replace_file.h"
#include "foundation/stream.h"
#include "graphics/custom_dibx.h"
#include "graphics/dib.h"
#include "graphics/dib_surface.h"
#include "graphics/pelk_frame_list.h"
#include "graphics/pixel_format.h"
#include "graphics/png_decoder.h"
#include "platform/paths.h"

namespace vorn {
namespace {

bool HasBmpExtension(const std::string& fileName) {
  const std::size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos) return false;
  std::string ext = fileName.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".bmp";
}

// The system's names use "\" (never the trail byte of a double-byte character) and ignore case;
// the host's use "/" and do not.
std::string HostPath(const std::string& fileName) {
  std::string path = fileName;
  for (std::size_t i = 0; i < path.size(); ++i)
    if (path[i] == '\\' && IsPathDelimiterAt(path, i)) path[i] = '/';
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return platform::FindInDirectory("", path);
  return platform::FindInDirectory(path.substr(0, slash + 1), path.substr(slash + 1));
}

int RawBits(int bits) { return bits == 15 ? 16 : bits; }

struct Masks {
  std::uint32_t red, green, blue;
};

// The surface's masks; 24- and 32-bit surfaces that report none are blue, green, red bytes.
Masks MasksOf(TCustomDIBX& surface, int bits) {
  Masks m{surface.GetRedMask(), surface.GetGreenMask(), surface.GetBlueMask()};
  if ((bits == 24 || bits == 32) && (m.red | m.green | m.blue) == 0) m = {0xFF0000u, 0xFF00u, 0xFFu};
  return m;
}

// Converts 0x00RRGGBB colours to the surface's pixels: channels truncated to their masks, or the
// nearest entry of the surface's palette at 8 bits and less.
class PixelMaker {
 public:
  explicit PixelMaker(TCustomDIBX& surface) : bits_(surface.GetBitCount()) {
    if (bits_ <= 8) {
      surface.GetPalette(reinterpret_cast<std::uint8_t*>(table_.data()));
      count_ = bits_ >= 1 ? 1 << bits_ : 0;
    } else {
      masks_ = MasksOf(surface, bits_);
    }
  }

  std::uint32_t Make(std::uint32_t rgb) {
    const std::uint32_t r = (rgb >> 16) & 0xFFu, g = (rgb >> 8) & 0xFFu, b = rgb & 0xFFu;
    if (bits_ > 8) return PlaceChannel(r, masks_.red) | PlaceChannel(g, masks_.green) | PlaceChannel(b, masks_.blue);
    if (!cached_ || rgb != lastRgb_) {
      const int index = gdi::NearestColorTableIndex(table_.data(), count_, static_cast<std::uint8_t>(r),
                                                    static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b));
      lastIndex_ = index < 0 ? 0 : static_cast<std::uint32_t>(index);
      lastRgb_ = rgb;
      cached_ = true;
    }
    return lastIndex_;
  }

 private:
  int bits_;
  Masks masks_{};
  std::vector<std::uint32_t> table_ = std::vector<std::uint32_t>(256, 0);
  int count_ = 0;
  bool cached_ = false;
  std::uint32_t lastRgb_ = 0;
  std::uint32_t lastIndex_ = 0;
};

// Copies a decoded picture in: the surface is sized to it at its own depth, then every pixel is
// converted to that depth. An empty picture changes nothing.
void CopyPictureInto(TCustomDIBX& surface, const gdi::PixelStore& picture) {
  if (!picture.Valid()) return;
  surface.SetSize(picture.width, picture.height, surface.GetBitCount());
  if (surface.IsEmpty()) return;
  const int width = std::min(picture.width, surface.GetWidth());
  const int height = std::min(picture.height, surface.GetHeight());
  const int raw = RawBits(surface.GetBitCount());
  PixelMaker maker(surface);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = surface.Lock(0, y);
    if (row != nullptr) {
      for (int x = 0; x < width; ++x)
        gdi::WriteRawPixel(row, raw, x, maker.Make(gdi::ReadPixelRGB(picture, x, y)));
      surface.Unlock();
    } else {
      for (int x = 0; x < width; ++x)
        surface.SetPixel(x, y, maker.Make(gdi::ReadPixelRGB(picture, x, y)));
    }
  }
}

void CopyDibInto(TCustomDIBX& surface, TDIB& picture) {
  if (picture.GetEmpty()) return;
  picture.EnsureUncompressed();
  CopyPictureInto(surface, picture.Image()->View());
}

void CopyPngInto(TCustomDIBX& surface, const PngImage& png) {
  if (png.width <= 0 || png.height <= 0 || (png.depth != 8 && png.depth != 24)) return;
  // The decoder's rows are top-down and unpadded; a negative step lets the store read them.
  std::vector<std::uint32_t> table(256, 0);
  if (!png.palette.empty())
    std::memcpy(table.data(), png.palette.data(), std::min<std::size_t>(png.palette.size(), 1024));
  gdi::PixelStore store;
  const std::size_t rowBytes = png.RowBytes();
  store.bits = const_cast<std::uint8_t*>(png.pixels.data()) + rowBytes * static_cast<std::size_t>(png.height - 1);
  store.width = png.width;
  store.height = png.height;
  store.bitCount = png.depth;
  store.widthBytes = -static_cast<int>(rowBytes);
  store.colorTable = table.data();
  store.colorCount = static_cast<int>(std::min<std::size_t>(png.palette.size() / 4, 256));
  CopyPictureInto(surface, store);
}

// Whether the stream holds magic at offset.
bool MagicAt(TStream& stream, std::int64_t offset, std::string_view magic) {
  stream.Seek(offset, SeekOrigin::kBegin);
  std::string got(magic.size(), '\0');
  return stream.Read(got.data(), got.size()) == magic.size() && got == magic;
}

// 0x00RRGGBB of every pixel of a surface row (pixel values read through Lock, else GetPixel).
class ColourReader {
 public:
  explicit ColourReader(TCustomDIBX& surface) : surface_(surface), bits_(surface.GetBitCount()) {
    if (bits_ <= 8) {
      surface.GetPalette(reinterpret_cast<std::uint8_t*>(table_.data()));
    } else {
      const Masks m = MasksOf(surface, bits_);
      format_ = MakePixelFormatFromMasks(m.red, m.green, m.blue);
      masks_ = m;
    }
  }

  std::uint32_t Colour(std::uint32_t pixel) const {
    if (bits_ <= 8) return table_[pixel & 0xFFu] & 0xFFFFFFu;
    if (bits_ == 15 || bits_ == 16) {
      std::uint8_t r, g, b;
      UnpackPixel(format_, pixel, r, g, b);
      return RGBQuadFromRGB(r, g, b);
    }
    auto channel = [&](std::uint32_t mask) {
      return mask == 0 ? 0u : ((pixel & mask) >> std::countr_zero(mask)) & 0xFFu;
    };
    return RGBQuadFromRGB(static_cast<std::uint8_t>(channel(masks_.red)),
                          static_cast<std::uint8_t>(channel(masks_.green)),
                          static_cast<std::uint8_t>(channel(masks_.blue)));
  }

  void Row(int y, std::vector<std::uint32_t>& out) {
    const int width = static_cast<int>(out.size());
    const std::uint8_t* row = surface_.Lock(0, y);
    if (row != nullptr) {
      const int raw = RawBits(bits_);
      for (int x = 0; x < width; ++x) out[static_cast<std::size_t>(x)] = Colour(gdi::ReadRawPixel(row, raw, x));
      surface_.Unlock();
      return;
    }
    for (int x = 0; x < width; ++x) out[static_cast<std::size_t>(x)] = Colour(surface_.GetPixel(x, y));
  }

 private:
  TCustomDIBX& surface_;
  int bits_;
  std::vector<std::uint32_t> table_ = std::vector<std::uint32_t>(256, 0);
  TPixelFormatMasks format_{};
  Masks masks_{};
};

}  // namespace

void TCustomDIBX::LoadFromFile(const std::string& fileName) {
  const std::string path = HostPath(fileName);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return;
  if (!HasBmpExtension(fileName)) return;
  TDIB picture;
  {
    TFileStream file(path, FileMode::kOpenRead);
    picture.LoadFromStream(file);
  }
  CopyDibInto(*this, picture);
}

void TCustomDIBX::LoadFromStream(TStream* stream, std::int32_t code) {
  if (stream == nullptr) return;
  if (MagicAt(*stream, 0, "BM")) {
    stream->Seek(0, SeekOrigin::kBegin);
    TDIB picture;
    picture.LoadFromStream(*stream);
    CopyDibInto(*this, picture);
  } else if (MagicAt(*stream, 1, "PNG")) {
    stream->Seek(0, SeekOrigin::kBegin);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream->Remaining()));
    stream->ReadBuffer(bytes.data(), bytes.size());
    CopyPngInto(*this, DecodePng(bytes));
  } else if (MagicAt(*stream, 0, "Pelk")) {
    stream->Seek(0, SeekOrigin::kBegin);
    TPelkFrameList frames(static_cast<std::uint32_t>(code));
    frames.LoadFromStream(*stream, true, false);
    if (frames.Count() > 0) CopyDibInto(*this, frames.GetFrame(0).Composite());
  }
}

void TCustomDIBX::CopyToDIB24(TDIB& picture, int width, int height) {
  picture.SetSize(width, height, 24);
  if (width <= 0 || height <= 0 || picture.GetEmpty()) return;
  const int covered_width = std::clamp(GetWidth(), 0, width);
  const int covered_height = std::clamp(GetHeight(), 0, height);
  ColourReader reader(*this);
  std::vector<std::uint32_t> colours(static_cast<std::size_t>(covered_width));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = picture.GetScanLine(y);
    // SetSize keeps the pixels of a picture that already had this size.
    std::memset(out, 0, static_cast<std::size_t>(width) * 3);
    if (y >= covered_height || covered_width == 0) continue;
    reader.Row(y, colours);
    for (int x = 0; x < covered_width; ++x) {
      const std::uint32_t c = colours[static_cast<std::size_t>(x)];
      out[3 * x] = static_cast<std::uint8_t>(c);
      out[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
      out[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
    }
  }
}

void TCustomDIBX::SaveToFile(const std::string& fileName) {
  if (!HasBmpExtension(fileName)) return;
  TDIB picture;
  CopyToDIB24(picture, std::max(GetWidth(), 0), std::max(GetHeight(), 0));
  TMemoryStream bytes;
  picture.SaveToStream(bytes);
  ReplaceFileContent(HostPath(fileName), bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
}

}  // namespace vorn
