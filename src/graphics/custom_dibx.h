#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/rect.h"
#include "platform/gdi/gdi.h"

namespace vorn {

class TStream;
class TCanvas;
class TDIB;

// Three native pixel values for the source values 1, 2 and 3 of a four-level supersampled picture.
struct TShrinkColors {
  std::uint32_t Color1 = 0;
  std::uint32_t Color2 = 0;
  std::uint32_t Color3 = 0;
};

// The abstract drawing surface: an off-screen picture with a colour key and a dirty rectangle.
// Every drawing operation is implemented once here on top of the pixel-format queries and Lock;
// back ends supply the pixel memory. The virtual operations keep one fixed order because back
// ends override them one by one.
//
// Pixel values are native: what ColorToPixel makes of a 0x00BBGGRR colour. Blits never convert
// between formats; source, mask and destination are expected to share one.
class TCustomDIBX {
 public:
  // A source pixel equal to this value is skipped by keyed blits; -1 means no key.
  std::int32_t ColorKey = -1;
  // While Right is not 0 every drawing operation is limited to it.
  TRect DirtyRect{};
  // The two rectangle lists of the layered-image frame the picture came from (image pixels), kept
  // beside the pixels so a picture can be drawn piece by piece; empty for every other surface.
  std::vector<TRect> Rects1;
  std::vector<TRect> Rects2;

  TCustomDIBX();  // slot 17
  virtual ~TCustomDIBX();
  TCustomDIBX(const TCustomDIBX&) = delete;
  TCustomDIBX& operator=(const TCustomDIBX&) = delete;

  // --- pixel format and geometry (slots 1-16) ---
  virtual bool IsEmpty();
  virtual int GetBitCount();
  virtual void SetBitCount(int count);
  virtual std::uint32_t GetRedMask();
  virtual std::uint32_t GetGreenMask();
  virtual std::uint32_t GetBlueMask();
  // Signed distance in bytes from row y to row y + 1 (negative for bottom-up storage).
  virtual int GetPitch();
  virtual std::uint32_t GetPixel(int x, int y);
  virtual void SetPixel(int x, int y, std::uint32_t value);
  virtual int GetBlueShift();
  virtual int GetGreenShift();
  virtual int GetRedShift();
  virtual int GetHeight();
  virtual int GetWidth();
  virtual TCustomDIBX* GetInnerSurface();
  virtual int GetRawBitCount();

  // --- size, memory and device access (slots 18-24) ---
  virtual void SetSize(int width, int height, int bitCount);
  // Writable address of pixel (x, y), or nullptr outside the surface. Valid until the next change
  // of size or depth.
  virtual std::uint8_t* Lock(int x, int y);
  virtual void Unlock();
  // A device context over the surface's pixels (the handle of its canvas), or nullptr.
  virtual gdi::HDC GetDC();
  virtual void ReleaseDC();
  virtual TCanvas* GetCanvas();
  virtual void ReleaseCanvas();

  // --- dirty rectangle and colours (slots 25-27) ---
  virtual void ResetDirtyRect();
  virtual void AddDirtyRect(const TRect& rect);
  virtual std::int32_t ColorToPixel(std::int32_t color);

  // --- fills and outlines (slots 28-35) ---
  virtual void Fill(std::uint32_t value);
  virtual void FillRect(const TRect& rect, std::uint32_t value);
  virtual void FillRectOpacity(const TRect& rect, std::uint32_t color, std::uint32_t opacity);
  virtual void AddColorRect(const TRect& rect, std::uint32_t color);
  virtual void SubColorRect(const TRect& rect, std::uint32_t color);
  virtual void FrameRect(const TRect& rect, int width, std::uint32_t color);
  virtual void FrameRectOpacity(const TRect& rect, int width, std::uint32_t color,
                                std::uint32_t opacity);
  virtual void FrameRectAdd(const TRect& rect, int width, std::uint32_t color);

  // --- one-to-one blits (slots 36-42) ---
  virtual void Draw(TCustomDIBX& source);
  virtual void DrawRect(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey,
                        bool flipH, bool flipV);
  virtual void DrawMask(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH,
                        bool flipV, TCustomDIBX* mask);
  virtual void DrawOpacity(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey,
                           bool flipH, bool flipV, std::uint32_t opacity);
  virtual void DrawMaskOpacity(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                               bool flipH, bool flipV, TCustomDIBX* mask, std::uint32_t opacity);
  virtual void DrawAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey,
                       bool flipH, bool flipV, std::uint32_t opacity);
  virtual void DrawMaskAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH,
                           bool flipV, TCustomDIBX* mask, std::uint32_t opacity);

  // --- rotate and zoom (slots 43-44); angle in 1/256 turn, zoom in 1/256 ---
  virtual void DrawRotate(int x, int y, int zoomX, int zoomY, TCustomDIBX& source,
                          const TRect& srcRect, int pivotX, int pivotY, int angle, bool useKey,
                          bool flipH, bool flipV, std::uint32_t opacity);
  virtual void DrawRotateMask(int x, int y, int zoomX, int zoomY, TCustomDIBX& source,
                              const TRect& srcRect, int pivotX, int pivotY, int angle, bool flipH,
                              bool flipV, TCustomDIBX* mask, std::uint32_t opacity);

  // --- stretched blits and supersample reduction (slots 45-50) ---
  virtual void StretchDraw(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect,
                           bool useKey, bool flipH, bool flipV, std::uint32_t opacity);
  virtual void StretchDrawMask(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect,
                               bool flipH, bool flipV, TCustomDIBX* mask, std::uint32_t opacity);
  virtual void StretchDrawAdd(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect,
                              bool useKey, bool flipH, bool flipV, std::uint32_t opacity);
  virtual void StretchDrawMaskAdd(const TRect& destRect, TCustomDIBX& source,
                                  const TRect& srcRect, bool flipH, bool flipV, TCustomDIBX* mask,
                                  std::uint32_t opacity);
  virtual void DrawShrinkMono(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                              std::uint32_t color, bool flipH, bool flipV, std::uint32_t opacity,
                              int factor);
  virtual void DrawShrinkQuad(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                              const TShrinkColors& colors, int reserved, bool flipH, bool flipV,
                              std::uint32_t opacity, int factor);

  // --- tiled blits, border and table blits (slots 51-62) ---
  virtual void DrawRectTiled(const TRect& destRect, int hGap, int vGap, TCustomDIBX& source,
                             const TRect& srcRect, bool useKey, int offsetX, int offsetY);
  virtual void DrawOpacityTiled(const TRect& destRect, int hGap, int vGap, TCustomDIBX& source,
                                const TRect& srcRect, bool useKey, std::uint32_t opacity,
                                int offsetX, int offsetY);
  virtual void DrawAddTiled(const TRect& destRect, int hGap, int vGap, TCustomDIBX& source,
                            const TRect& srcRect, bool useKey, std::uint32_t opacity, int offsetX,
                            int offsetY);
  virtual void DrawMaskTiled(const TRect& destRect, int hGap, int vGap, TCustomDIBX& source,
                             const TRect& srcRect, TCustomDIBX* mask, int offsetX, int offsetY);
  virtual void DrawMaskOpacityTiled(const TRect& destRect, int hGap, int vGap,
                                    TCustomDIBX& source, const TRect& srcRect, TCustomDIBX* mask,
                                    std::uint32_t opacity, int offsetX, int offsetY);
  virtual void DrawMaskAddTiled(const TRect& destRect, int hGap, int vGap, TCustomDIBX& source,
                                const TRect& srcRect, TCustomDIBX* mask, std::uint32_t opacity,
                                int offsetX, int offsetY);
  virtual void StretchDrawTiled(const TRect& destRect, int stepX, int stepY, int zoomX, int zoomY,
                                TCustomDIBX& source, const TRect& srcRect, bool useKey,
                                bool flipH, bool flipV, std::uint32_t opacity, int offsetX,
                                int offsetY);
  virtual void StretchDrawMaskTiled(const TRect& destRect, int stepX, int stepY, int zoomX,
                                    int zoomY, TCustomDIBX& source, const TRect& srcRect,
                                    TCustomDIBX* mask, bool flipH, bool flipV,
                                    std::uint32_t opacity, int offsetX, int offsetY);
  virtual void DrawBorder(const TRect& rect, int width, TCustomDIBX& pattern, int offsetX,
                          int offsetY);
  // Table blits read 256 native pixel values (low 16 bits used at 15 and 16 bits).
  virtual void DrawTable4(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH,
                          bool flipV, std::uint32_t opacity, const std::uint32_t* table);
  virtual void DrawTableAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                            int threshold, bool flipH, bool flipV, std::uint32_t opacity,
                            const std::uint32_t* table);
  virtual void StretchDrawTableAdd(const TRect& destRect, TCustomDIBX& source,
                                   const TRect& srcRect, int threshold, bool flipH, bool flipV,
                                   std::uint32_t opacity, const std::uint32_t* table);

  // --- pattern tiling (slots 63-65) ---
  virtual void DrawScaledTiled(const TRect& destRect, int zoomX, int zoomY, TCustomDIBX& pattern,
                               int offsetX, int offsetY, bool useKey, bool flipH, bool flipV,
                               std::uint32_t opacity);
  virtual void DrawScaledTiledMask(const TRect& destRect, int zoomX, int zoomY,
                                   TCustomDIBX& pattern, int offsetX, int offsetY, bool flipH,
                                   bool flipV, TCustomDIBX* mask, std::uint32_t opacity);
  virtual void FillPattern(const TRect& destRect, TCustomDIBX& pattern, int offsetX, int offsetY,
                           bool flipH, bool flipV);

  // --- image files (slots 66-68) ---
  virtual void LoadFromFile(const std::string& fileName);
  virtual void LoadFromStream(TStream* stream, std::int32_t code);
  virtual void SaveToFile(const std::string& fileName);

  // --- lifetime, palette and presentation (slots 69-77) ---
  virtual void Clear();
  virtual void FreeSurface();
  // Palette entries are 4 bytes each: blue, green, red, 0; the table has 256 of them.
  virtual void GetPalette(std::uint8_t* entries);
  virtual void GetPaletteEntries(std::uint8_t* entries, int first, int count);
  virtual void SetPalette(const std::uint8_t* entries);
  virtual void SetPaletteEntries(const std::uint8_t* entries, int first, int count);
  virtual void DrawColorMask(int x, int y, TCustomDIBX* mask, const TRect& srcRect, bool flipH,
                             bool flipV, std::uint32_t color, std::uint32_t opacity);
  // Draws the source rectangle (top-down surface coordinates) onto the destination rectangle of
  // the target device context: copied at equal sizes, nearest pixel otherwise.
  virtual void Present(gdi::HDC target, int xDest, int yDest, int wDest, int hDest, int xSrc,
                       int ySrc, int wSrc, int hSrc);
  virtual void Release();

  // --- not virtual ---
  int GetBytesPerPixel();
  TRect GetBoundsRect();
  // DirtyRect while it is set, else the bounds.
  TRect GetDirtyRect();
  // Stores the rectangle as given, without clipping.
  void SetDirtyRect(const TRect& rect);
  // Makes picture a 24-bit bitmap of width x height holding the surface's colours from its
  // top-left corner; what the surface does not cover is black.
  void CopyToDIB24(TDIB& picture, int width, int height);

  // The clipping of the four kinds of blit against GetDirtyRect. Each changes its arguments in
  // place and returns true when something is left to draw.
  bool ClipBlit(TRect& destRect, TRect& srcRect, bool flipH, bool flipV);
  bool ClipStretchBlit(TRect& destRect, TRect& srcRect, bool flipH, bool flipV, double& stepX,
                       double& stepY, double& fracX, double& fracY);
  bool ClipShrinkBlit(TRect& destRect, TRect& srcRect, bool flipH, bool flipV, int& stepX,
                      int& stepY);
  bool ClipTiledBlit(TRect& destRect, bool flipH, bool flipV, int& offsetX, int& offsetY);

 private:
  int width_ = 0;
  int height_ = 0;
};

// The destination bounds of a rotate-and-zoom blit, as Bounds(left, top, width, height), with the
// pivot mirrored inside the source for flipped blits and no clip applied.
void RotatedBlitSetup(int x, int y, int pivotX, int pivotY, int angle, const TRect& srcRect,
                      int zoomX, int zoomY, int sourceWidth, int sourceHeight, bool flipH,
                      bool flipV, TRect& result);

// The destination rectangle DrawRotate and DrawRotateMask walk for these arguments: the pivot as
// given (already mirrored by the caller for flipped blits), no clip, saturated to 32 bits.
TRect DrawRotateBounds(int x, int y, int zoomX, int zoomY, const TRect& srcRect, int pivotX,
                       int pivotY, int angle);

}  // namespace vorn
