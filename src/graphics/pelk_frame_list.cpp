#include "graphics/pelk_frame_list.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "foundation/file_stream.h"
#include "foundation/replace_file.h"
#include "graphics/custom_dibx.h"
#include "graphics/png_decoder.h"

namespace vorn {
namespace {

constexpr int kSaveFileQuality = 70;

void SetPalette(TDIBSurface& surface, const std::vector<std::uint8_t>& palette) {
  const std::size_t entries = std::min<std::size_t>(palette.size() / 4, kColorTableEntries);
  for (std::size_t i = 0; i < entries; ++i) {
    surface.ColorTable[i] = RGBQuadFromRGB(palette[4 * i + 2], palette[4 * i + 1], palette[4 * i]);
  }
  surface.UpdatePalette();
}

void PlaneFromDib(TDIB& dib, int depth, PelkPlane& plane) {
  plane.Allocate(dib.Width(), dib.Height(), depth);
  if (dib.GetEmpty()) return;
  const auto bytes = std::min<std::size_t>(plane.stride, static_cast<std::size_t>(dib.WidthBytes()));
  for (int y = 0; y < plane.height; ++y) std::memcpy(plane.Row(y), dib.ReadScanLine(y), bytes);
}

std::vector<std::uint8_t> PaletteOf(const TDIBSurface& surface, int depth) {
  std::vector<std::uint8_t> palette;
  if (depth > 8) return palette;
  for (int i = 0; i < (1 << depth); ++i) {
    const std::uint32_t c = surface.ColorTable[i];
    palette.insert(palette.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                   static_cast<std::uint8_t>(c >> 16), 0});
  }
  return palette;
}

std::uint32_t PixelOf(TDIBSurface& surface, int x, int y) {
  const std::uint32_t value = surface.GetPixel(x, y);
  return surface.BitCount() == 32 ? (value & 0xFFFFFF) : value;
}

std::string LowerExtension(const std::string& name) {
  std::string ext = std::filesystem::path(name).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

TPelkFrame::TPelkFrame() : composite_(std::make_unique<TDIBSurface>()) {}
TPelkFrame::~TPelkFrame() = default;

void TPelkFrame::MakeAlphaFromKey() {
  if (HasAlpha()) return;
  TDIBSurface& c = *composite_;
  c.EnsureAlphaPlane();
  TDIBSurface& alpha = *c.Alpha();
  if (alpha.GetEmpty()) return;
  for (int y = 0; y < c.Height(); ++y) {
    std::uint8_t* row = alpha.GetScanLine(y);
    for (int x = 0; x < c.Width(); ++x) {
      const bool clear =
          TransparentPixel >= 0 && PixelOf(c, x, y) == static_cast<std::uint32_t>(TransparentPixel);
      row[x] = clear ? 0 : 255;
    }
  }
}

void TPelkFrame::AssignTo(TCustomDIBX& surface) {
  TDIBSurface& c = *composite_;
  const int depth = c.GetBitCount();
  int target = surface.GetBitCount();
  if (target <= 0) target = depth;
  surface.SetSize(c.Width(), c.Height(), target);
  surface.Rects1 = Rects1;
  surface.Rects2 = Rects2;
  if (c.GetEmpty()) return;
  const int surfaceDepth = surface.GetBitCount();
  for (int y = 0; y < c.Height(); ++y) {
    std::uint8_t* out = surface.Lock(0, y);
    if (!out) continue;
    const std::uint8_t* in = c.ReadScanLine(y);
    if (surfaceDepth == 32 && (depth == 24 || depth == 32)) {
      const int step = depth / 8;
      for (int x = 0; x < c.Width(); ++x) {
        out[4 * x] = in[step * x];
        out[4 * x + 1] = in[step * x + 1];
        out[4 * x + 2] = in[step * x + 2];
        out[4 * x + 3] = 0;
      }
    } else if (surfaceDepth == depth) {
      std::memcpy(out, in, static_cast<std::size_t>(std::min(c.WidthBytes(), std::abs(surface.GetPitch()))));
    } else {
      for (int x = 0; x < c.Width(); ++x) {
        std::uint8_t r, g, b;
        c.PixelToRGB8(c.GetPixel(x, y), true, r, g, b);
        surface.SetPixel(x, y, static_cast<std::uint32_t>(
                                   surface.ColorToPixel(static_cast<std::int32_t>(r | (g << 8) | (b << 16)))));
      }
    }
    surface.Unlock();
  }
}

void TPelkFrame::AssignAlphaTo(TCustomDIBX& target) {
  TDIBSurface* alpha = composite_->Alpha();
  if (!alpha) return;
  target.SetSize(alpha->Width(), alpha->Height(), 8);
  for (int y = 0; y < alpha->Height(); ++y) {
    std::uint8_t* out = target.Lock(0, y);
    if (out) std::memcpy(out, alpha->ReadScanLine(y), static_cast<std::size_t>(alpha->Width()));
    target.Unlock();
  }
}

void TPelkFrame::AssignAlphaToSurface(TDIBSurface& surface) {
  TDIBSurface* alpha = composite_->Alpha();
  if (!alpha) return;
  surface.PixelFormat = PixelFormat888();
  surface.SetSize(alpha->Width(), alpha->Height(), 8);
  for (int y = 0; y < alpha->Height(); ++y) {
    std::memcpy(surface.GetScanLine(y), alpha->ReadScanLine(y), static_cast<std::size_t>(alpha->Width()));
  }
}

TRect TPelkFrame::CropToContent() {
  TDIBSurface& c = *composite_;
  const TRect whole = c.GetBoundsRect();
  TRect content = whole;
  if (TDIBSurface* alpha = c.Alpha()) {
    content = alpha->GetContentRect(0);
  } else if (TransparentPixel >= 0) {
    content = c.GetContentRect(TransparentPixel);
  }
  if (RectIsEmpty(content) || content == whole) return whole;
  const auto move = [&content](std::vector<TRect>& rects) {
    for (TRect& r : rects) {
      r = ClipRectTo(r, content);
      r = MakeRect(r.left - content.left, r.top - content.top, r.right - content.left, r.bottom - content.top);
    }
  };
  move(Rects1);
  move(Rects2);
  c.Crop(content);
  return content;
}

TPelkFrameList::TPelkFrameList(std::uint32_t identificationCode)
    : IdentificationCode(identificationCode) {}

TPelkFrameList::~TPelkFrameList() = default;

TPelkFrame& TPelkFrameList::AddFrame() {
  frames_.push_back(std::make_unique<TPelkFrame>());
  return *frames_.back();
}

void TPelkFrameList::MakeAlphaAll() {
  for (auto& frame : frames_) frame->MakeAlphaFromKey();
}

void TPelkFrameList::LoadFromFile(const std::string& name, bool firstOnly, bool convert) {
  const std::string ext = LowerExtension(name);
  if (ext != ".pel" && ext != ".png" && ext != ".bmp" && ext != ".dib") {
    Clear();
    return;
  }
  TFileStream file(name, FileMode::kOpenRead);
  if (ext == ".pel") {
    LoadFromStream(file, firstOnly, convert);
    return;
  }
  if (ext == ".png") {
    LoadPngFromStream(file);
  } else {
    LoadBitmapFromStream(file);
  }
  if (convert) ConvertLoaded();
}

void TPelkFrameList::LoadFromStream(TStream& stream, bool firstOnly, bool convert) {
  Clear();
  const PelkHeader header = ReadPelkHeader(stream);
  Version = header.fileVersion;
  BackgroundColor = header.background;
  FirstLayerOpaque = header.firstLayerOpaque;
  std::vector<PelkFrameData> data;
  // The planes are decoded straight into the layers' bitmaps, made here as the reader meets them.
  LayerSurfaces layers;
  PelkReadOptions options;
  options.identificationCode = IdentificationCode;
  options.firstOnly = firstOnly;
  options.bindPlane = [&layers](int frame, int layer, const PelkFrameData& d, bool alpha, PelkPlane& plane) {
    if (static_cast<int>(layers.size()) <= frame) layers.resize(static_cast<std::size_t>(frame) + 1);
    auto& list = layers[static_cast<std::size_t>(frame)];
    if (static_cast<int>(list.size()) <= layer) list.resize(static_cast<std::size_t>(layer) + 1);
    auto& slot = list[static_cast<std::size_t>(layer)];
    if (!slot) slot = std::make_unique<TPelkLayer>();
    TDIBSurface& surface = *slot->Surface;
    if (!alpha) {
      surface.SetSize(d.width, d.height, d.depth);
      if (d.depth <= 8) SetPalette(surface, d.palette);
    }
    TDIB* target = &surface;
    if (alpha) {
      surface.EnsureAlphaPlane();
      target = surface.Alpha();
    }
    std::uint8_t* top = target->GetScanLine(0);
    const std::ptrdiff_t pitch = d.height > 1 ? target->GetScanLine(1) - top : 0;
    plane.Bind(d.width, d.height, alpha ? 8 : d.depth, top, pitch);
  };
  ReadPelkFrames(stream, header, options, data);
  try {
    Compose(data, layers);
    if (convert) ConvertLoaded();
  } catch (...) {
    Clear();
    throw;
  }
}

void TPelkFrameList::Compose(std::vector<PelkFrameData>& data, LayerSurfaces& surfaces) {
  const auto bg = BackgroundColor;
  for (std::size_t f = 0; f < data.size(); ++f) {
    PelkFrameData& d = data[f];
    auto frame = std::make_unique<TPelkFrame>();
    frame->Name = d.name;
    frame->TransparentPixel = d.transparentPixel;
    frame->Delay = d.delay;
    for (const PelkRectRecord& r : d.rects1) frame->Rects1.push_back(MakeRect(r.left, r.top, r.right, r.bottom));
    for (const PelkRectRecord& r : d.rects2) frame->Rects2.push_back(MakeRect(r.left, r.top, r.right, r.bottom));
    if (d.transparentPixel >= 0) {
      frame->TransparentColor =
          PelkPixelToColor(static_cast<std::uint32_t>(d.transparentPixel), d.depth, d.palette);
    }
    // The composite is made and filled with the background only when something is drawn onto
    // it; a first layer that is copied whole becomes the composite itself.
    bool composed = false;
    const auto ensureComposite = [&]() -> TDIBSurface& {
      TDIBSurface& c = frame->Composite();
      if (!composed) {
        composed = true;
        c.SetSize(d.width, d.height, d.depth);
        if (d.depth <= 8) SetPalette(c, d.palette);
        c.FillRectPixel(c.GetBoundsRect(), c.RGB8ToPixel(static_cast<std::uint8_t>(bg),
                                                         static_cast<std::uint8_t>(bg >> 8),
                                                         static_cast<std::uint8_t>(bg >> 16)));
      }
      return c;
    };
    auto* made = f < surfaces.size() ? &surfaces[f] : nullptr;
    bool sawVisible = false;
    for (std::size_t i = 0; i < d.layers.size(); ++i) {
      PelkLayerData& ld = d.layers[i];
      std::unique_ptr<TPelkLayer> layer;
      if (made && i < made->size() && (*made)[i]) layer = std::move((*made)[i]);
      if (!layer) {
        // An empty frame's layers get no memory from the reader.
        layer = std::make_unique<TPelkLayer>();
        layer->Surface->SetSize(d.width, d.height, d.depth);
        if (d.depth <= 8) SetPalette(*layer->Surface, d.palette);
      }
      layer->Visible = ld.visible;
      layer->Opacity = ld.opacity;
      layer->AlphaFlag = ld.alphaFlag;
      layer->TransparentColor = ld.HasAlpha() ? -1 : ld.transparentColor;
      TDIBSurface& s = *layer->Surface;
      if (layer->Visible) {
        const bool firstVisible = !sawVisible;
        sawVisible = true;
        const bool plainCopy = (layer->TransparentColor == -1 || (firstVisible && FirstLayerOpaque)) &&
                               layer->Opacity > 254;
        if (ld.HasAlpha() && layer->AlphaFlag) {
          // The first layer gives the composite its pixels and a copy of its alpha plane;
          // copying only the plane would leave a one-layer image showing the background.
          if (i == 0) {
            frame->AdoptComposite(std::move(layer->Surface));
            layer->Surface = std::make_unique<TDIBSurface>();
            composed = true;
          } else {
            ensureComposite().DrawAlpha(0, 0, s, s.GetBoundsRect(), 255);
          }
        } else if (plainCopy) {
          if (!composed) {
            // Nothing is under it yet: its pixels are the composite's.
            std::unique_ptr<TDIBSurface> whole = std::move(layer->Surface);
            layer->Surface = std::make_unique<TDIBSurface>();
            whole->FreeAlphaPlane();
            frame->AdoptComposite(std::move(whole));
            composed = true;
          } else {
            ensureComposite().DrawSurface(0, 0, s);
          }
        } else {
          ensureComposite().DrawTranslucent(0, 0, s, s.GetBoundsRect(), layer->TransparentColor,
                                            layer->Opacity);
        }
      }
      frame->Layers.push_back(std::move(layer));
    }
    ensureComposite();
    frames_.push_back(std::move(frame));
  }
  for (auto& frame : frames_) frame->FreeLayers();
}

void TPelkFrameList::ConvertLoaded() {
  for (auto& frame : frames_) {
    TDIBSurface& c = frame->Composite();
    if (!frame->HasAlpha() && frame->TransparentColor >= 0) frame->MakeAlphaFromKey();
    if ((frame->HasAlpha() || frame->TransparentColor < 0) && TargetBitCount > 0) {
      c.ConvertTo(TargetBitCount, 0, true);
    } else if (c.GetBitCount() <= 8) {
      std::int32_t newKey = frame->TransparentPixel;
      int keyX = -1, keyY = -1;
      if (frame->TransparentPixel >= 0) {
        for (int y = 0; y < c.Height() && keyX < 0; ++y) {
          for (int x = 0; x < c.Width(); ++x) {
            if (c.GetPixel(x, y) == static_cast<std::uint32_t>(frame->TransparentPixel)) {
              keyX = x;
              keyY = y;
              break;
            }
          }
        }
        if (keyX < 0) {
          // No pixel holds it: the 24-bit value of that palette entry's colour.
          const std::uint32_t e = c.ColorTable[frame->TransparentPixel & 0xFF];
          newKey = static_cast<std::int32_t>(e & 0xFFFFFF);
        }
      }
      c.ConvertTo(24, 0, true);
      if (keyX >= 0) newKey = static_cast<std::int32_t>(c.GetPixel(keyX, keyY) & 0xFFFFFF);
      frame->TransparentPixel = newKey;
    }
  }
}

void TPelkFrameList::LoadPngFromStream(TStream& stream) {
  Clear();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Remaining()));
  stream.ReadBuffer(bytes.data(), bytes.size());
  const PngImage png = DecodePng(bytes);
  TPelkFrame& frame = AddFrame();
  try {
    TDIBSurface& c = frame.Composite();
    c.SetSize(png.width, png.height, png.depth);
    if (png.depth == 8) SetPalette(c, png.palette);
    const std::size_t rowBytes = png.RowBytes();
    if (!c.GetEmpty()) {
      for (int y = 0; y < png.height; ++y) {
        std::memcpy(c.GetScanLine(y), png.pixels.data() + rowBytes * y, rowBytes);
      }
      if (!png.alpha.empty()) {
        c.EnsureAlphaPlane();
        for (int y = 0; y < png.height; ++y) {
          std::memcpy(c.Alpha()->GetScanLine(y), png.alpha.data() + static_cast<std::size_t>(png.width) * y,
                      static_cast<std::size_t>(png.width));
        }
      }
    }
    frame.TransparentPixel = png.transparentPixel;
    frame.TransparentColor = png.transparentColor;
  } catch (...) {
    Clear();
    throw;
  }
}

void TPelkFrameList::LoadBitmapFromStream(TStream& stream) {
  Clear();
  TPelkFrame& frame = AddFrame();
  try {
    TDIBSurface& c = frame.Composite();
    c.LoadFromStream(stream);
    if (c.BitCount() == 32 && !c.GetEmpty()) {
      // The fourth byte of every pixel is the alpha plane; the picture itself becomes 24-bit.
      TDIBSurface alpha;
      alpha.SetSize(c.Width(), c.Height(), 8);
      for (int y = 0; y < c.Height(); ++y) {
        const std::uint8_t* in = c.ReadScanLine(y);
        std::uint8_t* out = alpha.GetScanLine(y);
        for (int x = 0; x < c.Width(); ++x) out[x] = in[4 * x + 3];
      }
      c.ConvertTo(24, 0, false);
      c.SetAlphaPlane(alpha);
    }
  } catch (...) {
    Clear();
    throw;
  }
}

void TPelkFrameList::SaveToFile(const std::string& name) {
  TMemoryStream stream;
  SaveToStream(stream, kPelkZlib, kSaveFileQuality);
  ReplaceFileContent(name, stream.Memory(), static_cast<std::size_t>(stream.Size()));
}

void TPelkFrameList::SaveToStream(TStream& stream, int compression, int jpegQuality) {
  std::vector<PelkFrameData> data;
  data.reserve(frames_.size());
  for (auto& frame : frames_) {
    TDIBSurface& c = frame->Composite();
    PelkFrameData d;
    d.transparentPixel = frame->TransparentPixel;
    d.delay = frame->Delay;
    d.depth = c.GetEmpty() ? 24 : c.GetBitCount();
    d.width = c.Width();
    d.height = c.Height();
    d.palette = PaletteOf(c, d.depth);
    d.layers.resize(1);
    PlaneFromDib(c, d.depth, d.layers[0].pixels);
    if (TDIBSurface* alpha = c.Alpha()) PlaneFromDib(*alpha, 8, d.layers[0].alpha);
    data.push_back(std::move(d));
  }
  PelkWriteOptions options;
  options.identificationCode = IdentificationCode;
  options.compression = static_cast<std::uint8_t>(compression);
  options.jpegQuality = jpegQuality;
  options.background = BackgroundColor;
  options.firstLayerOpaque = FirstLayerOpaque;
  WritePelkFrames(stream, data, options);
}

}  // namespace vorn
