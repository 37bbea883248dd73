#pragma once

// Layered images as the player uses them: a list of frames, each a composite picture (with an
// optional alpha plane) drawn from its layers when the file is read. Reads ".pel" files of every
// version, PNG and BMP files as one-frame images, and writes "Pelk106".

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/rect.h"
#include "foundation/stream.h"
#include "graphics/dib_surface.h"
#include "graphics/pelk_format.h"

namespace vorn {

class TCustomDIBX;

class TPelkLayer {
 public:
  TPelkLayer() : Surface(std::make_unique<TDIBSurface>()) {}
  std::unique_ptr<TDIBSurface> Surface;
  bool Visible = true;
  // A native pixel value of the layer's format (the blit key); -1 none.
  std::int32_t TransparentColor = -1;
  std::int32_t Opacity = 255;
  bool AlphaFlag = false;
};

class TPelkFrame {
 public:
  TPelkFrame();
  ~TPelkFrame();

  TDIBSurface& Composite() { return *composite_; }
  bool HasAlpha() const { return composite_->Alpha() != nullptr; }
  // Gives a frame without alpha plane one: 255, and 0 where the pixel equals the transparent
  // pixel value (when that is >= 0).
  void MakeAlphaFromKey();
  // Sizes the surface to the frame (keeping its bit count), copies the composite and gives the
  // surface the frame's two rectangle lists.
  void AssignTo(TCustomDIBX& surface);
  // The alpha plane into an 8-bit surface sized to the frame; nothing without an alpha plane.
  void AssignAlphaTo(TCustomDIBX& target);
  void AssignAlphaToSurface(TDIBSurface& surface);
  // Cuts the composite and its alpha plane to the bounds of the content (non-zero alpha, else
  // pixels other than the transparent pixel value), clips the rectangle lists to it and moves
  // them by its top-left corner, and returns it. Empty or whole-frame content changes nothing
  // and returns the whole frame.
  TRect CropToContent();
  void FreeLayers() { Layers.clear(); }
  // Makes the surface the composite (the loader hands over a layer that is copied whole).
  void AdoptComposite(std::unique_ptr<TDIBSurface> surface) { composite_ = std::move(surface); }

  std::string Name;
  // The raw pixel value of the frame's format that is transparent; -1 none.
  std::int32_t TransparentPixel = -1;
  // The RGB colour (0x00BBGGRR) of that pixel; -1 none.
  std::int32_t TransparentColor = -1;
  std::int32_t Delay = kPelkDefaultDelayMs;
  std::vector<TRect> Rects1;
  std::vector<TRect> Rects2;
  std::vector<std::unique_ptr<TPelkLayer>> Layers;

 private:
  std::unique_ptr<TDIBSurface> composite_;
};

class TPelkFrameList {
 public:
  explicit TPelkFrameList(std::uint32_t identificationCode = 0);
  ~TPelkFrameList();
  TPelkFrameList(TPelkFrameList&&) noexcept = default;
  TPelkFrameList& operator=(TPelkFrameList&&) noexcept = default;

  // Loads by lower-cased extension: ".pel", ".png", ".bmp" and ".dib"; any other loads nothing.
  void LoadFromFile(const std::string& name, bool firstOnly, bool convert);
  // Every failure raises; the list is then empty.
  void LoadFromStream(TStream& stream, bool firstOnly, bool convert);
  void LoadPngFromStream(TStream& stream);
  void LoadBitmapFromStream(TStream& stream);
  // Compression 0 and quality 70, through a temporary file renamed over the name.
  void SaveToFile(const std::string& name);
  void SaveToStream(TStream& stream, int compression, int jpegQuality);

  TPelkFrame& AddFrame();
  TPelkFrame& GetFrame(int index) { return *frames_.at(static_cast<std::size_t>(index)); }
  int Count() const { return static_cast<int>(frames_.size()); }
  void MakeAlphaAll();
  void Clear() { frames_.clear(); }

  int Version = 0;
  std::uint32_t IdentificationCode = 0;
  std::uint32_t BackgroundColor = 0;
  std::uint8_t FirstLayerOpaque = 0;
  // Bit count the composites are converted to after loading with convert set; 0 none.
  int TargetBitCount = 0;

 private:
  using LayerSurfaces = std::vector<std::vector<std::unique_ptr<TPelkLayer>>>;
  void Compose(std::vector<PelkFrameData>& data, LayerSurfaces& layers);
  void ConvertLoaded();

  std::vector<std::unique_ptr<TPelkFrame>> frames_;
};

}  // namespace vorn
