#pragma once

// The drawing bitmap: a TDIB with an optional 8-bit alpha plane, per-depth blits, fills, flips,
// copies and trimming, and conversions between native pixels and colours.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/rect.h"
#include "graphics/dib.h"

namespace vorn {

// Receives a picture as rows of red, green, blue bytes from the top (the JPEG encoder does).
class IRGBRowsSink {
 public:
  virtual ~IRGBRowsSink() = default;
  virtual void TakeRGBRows(int width, int height, const std::vector<std::uint8_t>& rows) = 0;
};

// What a picture-file load reports; a load sets only the fields of its own path.
struct TSurfaceFileInfo {
  bool BMPAlpha = false;
  bool TGACompressed = false;
  bool TGAAlpha = false;
  std::int32_t IconIndex = 0;
  TPoint HotSpot;
};

// True unless the extension, without one leading ".", is "ico" in any case.
bool IsCursorExt(const std::string& extension);

class TDIBSurface : public TDIB {
 public:
  TDIBSurface();
  ~TDIBSurface() override;

  // Bit count 15 is a 16-bit 5-5-5 store, 16 a 5-6-5 one; an alpha plane follows the new size.
  void SetSize(int width, int height, int bitCount) override;
  void Clear() override;
  // The bit count with 15 for 5-5-5.
  int GetBitCount() const;
  TRect GetBoundsRect() const { return MakeRect(0, 0, Width(), Height()); }

  // The alpha plane: 8 bits a pixel, 0 transparent, 255 opaque; nullptr when there is none.
  TDIBSurface* Alpha() const { return alpha_.get(); }
  void EnsureAlphaPlane();
  void FreeAlphaPlane() { alpha_.reset(); }
  // Copies the rows and columns the 8-bit source shares with the plane.
  void SetAlphaPlane(TDIB& source);
  // Copies rect of the 8-bit source (clipped to it) into the plane from its top left.
  void SetAlphaPlaneRect(TDIB& source, const TRect& rect);
  void ClearAlphaPlane();

  void FillRectPixel(const TRect& rect, std::uint32_t value);
  void FlipHorizontal();
  void FlipVertical();
  // Each copy takes the source's alpha plane or drops its own.
  void CopyFrom(TDIB& source);
  void AssignSurface(TDIBSurface& source);
  void AssignRect(TDIBSurface& source, const TRect& rect, bool withAlpha);
  void Crop(const TRect& rect);
  // Bounds of the pixels whose native value is not color; color -1 gives the bounds.
  TRect GetContentRect(std::int32_t color);
  void TrimToColor(std::int32_t color);
  // A palette index no pixel uses, or -1.
  int FindUnusedIndex();

  void PixelToRGB8(std::uint32_t pixel, bool extend, std::uint8_t& red, std::uint8_t& green,
                   std::uint8_t& blue) const;
  std::uint32_t RGB8ToPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const;
  // Channels in the depth's own widths (5-5-5, 5-6-5, bytes; palette entries at 8 bits and less).
  void PixelToRGB(std::uint32_t pixel, int& red, int& green, int& blue) const;
  std::uint32_t RGBToPixel(int red, int green, int blue) const;

  // Rows of red, green, blue from the top.
  void AssignToBitmap(std::vector<std::uint8_t>& rows);
  void AssignJPEG(IRGBRowsSink& jpeg);
  void PresentToDC(gdi::HDC dc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc, int hSrc);

  // Blits at the destination's depth; the source has the same depth (DrawMapped excepted).
  // Rectangles are clipped to the source and to this picture.
  void DrawRect(int x, int y, TDIBSurface& source, const TRect& sourceRect);
  void DrawSurface(int x, int y, TDIBSurface& source);
  // Skips source pixels equal to key; -1 skips nothing (at 1 bit a bit is written only when it
  // differs from the truth value of key).
  void DrawKeyed(int x, int y, TDIBSurface& source, const TRect& sourceRect, std::int32_t key);
  void DrawTranslucent(int x, int y, TDIBSurface& source, const TRect& sourceRect, std::int32_t key, int opacity);
  void DrawAlpha(int x, int y, TDIBSurface& source, const TRect& sourceRect, int opacity);
  // The whole source at x, y, matched by colour onto a destination of any depth.
  void DrawMapped(int x, int y, TDIBSurface& source, std::int32_t key);

  // Resizing and depth conversion (dib_surface_resize.cpp). Smooth resizing enlarges bilinearly
  // and shrinks by box averages that leave out pixels equal to key (a 24-bit value, -1 none).
  void Resize(int width, int height, bool smooth, std::int32_t key);
  void StretchTo(int width, int height, bool smooth, std::int32_t key) { Resize(width, height, smooth, key); }
  // New bit count (1, 4, 8, 15, 16, 24, 32) through the colour-depth converter; colorCount 0
  // means as many colours as the target holds. The alpha plane is not touched.
  void ConvertTo(int bitCount, int colorCount, bool dither);
  // SetSize with the pixel format of the bit count; the alpha plane follows the new size.
  void SetSizeAndFormat(int width, int height, int bitCount);

  // Picture files chosen by extension: ".tga", ".ico", ".cur", anything else BMP
  // (dib_surface_files.cpp, tga_file.cpp, icon_file.cpp). TransparentColor going into an icon
  // load is the colour (red in the low byte) transparent pixels get in key mode.
  void LoadFromFileEx(const std::string& fileName, std::int32_t& transparentColor, bool takeAlpha, bool chooseIcon,
                      bool& icon32, TSurfaceFileInfo& info);
  void SaveToFileEx(const std::string& fileName, std::int32_t transparentColor, TDIB* alphaSource, bool compress,
                    bool icon32, TPoint hotSpot);
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);
  void ReadTGA(TStream& stream, std::int32_t& transparentColor, bool takeAlpha, TSurfaceFileInfo& info);
  void WriteTGA(TStream& stream, std::int32_t transparentColor, TDIB* alphaSource, bool compress);
  void ReadIconFile(TStream& stream, bool chooseIcon, std::int32_t& transparentColor, bool takeAlpha, bool& icon32,
                    TSurfaceFileInfo& info);
  void ReadIconEntry(TStream& stream, int index, std::int32_t& transparentColor, bool takeAlpha, bool& icon32,
                     TPoint& hotSpot);
  void WriteIconFile(TStream& stream, bool cursor, std::int32_t transparentColor, TDIB* alphaSource, bool icon32,
                     TPoint hotSpot);

 private:
  std::unique_ptr<TDIBSurface> alpha_;
};

}  // namespace vorn
