#pragma once

#include <cstdint>
#include <vector>

#include "foundation/rect.h"
#include "graphics/custom_dibx.h"

namespace vorn {

// A drawing surface without pixels that stands in front of an inner surface and moves every row
// drawn through it sideways by that row's offset: the wave component gives it to its children
// and fills the offsets with a wave each frame, so everything drawn on it ripples.
//
// Its own width and height (SetSize(width, height, 0)) are the wave's area; Origin() places that
// area on the inner surface. Offsets()[i] belongs to inner row Origin().y + i; rows without an
// offset are never drawn. Drawing is forwarded in three ways:
// - row runs (fills, 1:1 blits, DrawColorMask, FillPattern): rows sharing one offset go to the
//   inner surface as one call, moved by that offset;
// - row by row (the shrinking and 1:1 table blits): one destination row per call;
// - per destination row under a one-row clip (rotations, stretches, scaled and zoomed tilings,
//   DrawBorder, StretchDrawTableAdd): the inner DirtyRect is narrowed to each row's moved columns
//   and put back afterwards, also when an exception passes.
// Its own Lock, GetDC and GetPixel give nothing; the base outline and tiled operations reach the
// inner surface through the forwarded fills and blits.
class TDIBXWave : public TCustomDIBX {
 public:
  TDIBXWave() = default;

  // The inner surface, not owned; nullptr draws nothing.
  void SetSurface(TCustomDIBX* surface) { surface_ = surface; }
  std::vector<std::int32_t>& Offsets() { return offsets_; }
  TPoint& Origin() { return origin_; }

  int GetBitCount() override;
  TCustomDIBX* GetInnerSurface() override { return surface_; }
  int GetRawBitCount() override;
  // One offset per row of the new height (new entries 0).
  void SetSize(int width, int height, int bitCount) override;
  void ResetDirtyRect() override;
  // Clipped to the wave's area on the inner surface and united with the wave's own rectangle,
  // which then goes whole to the inner surface. Offsets are not applied: the wave component
  // widens its rectangles by the amplitude itself.
  void AddDirtyRect(const TRect& rect) override;
  std::int32_t ColorToPixel(std::int32_t color) override;

  void Fill(std::uint32_t value) override;
  void FillRect(const TRect& rect, std::uint32_t value) override;
  void FillRectOpacity(const TRect& rect, std::uint32_t color, std::uint32_t opacity) override;
  void AddColorRect(const TRect& rect, std::uint32_t color) override;
  void SubColorRect(const TRect& rect, std::uint32_t color) override;
  void Draw(TCustomDIBX& source) override;
  void DrawRect(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey, bool flipH,
                bool flipV) override;
  void DrawMask(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH, bool flipV,
                TCustomDIBX* mask) override;
  void DrawOpacity(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey,
                   bool flipH, bool flipV, std::uint32_t opacity) override;
  void DrawMaskOpacity(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH,
                       bool flipV, TCustomDIBX* mask, std::uint32_t opacity) override;
  void DrawAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey, bool flipH,
               bool flipV, std::uint32_t opacity) override;
  void DrawMaskAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH,
                   bool flipV, TCustomDIBX* mask, std::uint32_t opacity) override;
  void DrawRotate(int x, int y, int zoomX, int zoomY, TCustomDIBX& source, const TRect& srcRect,
                  int pivotX, int pivotY, int angle, bool useKey, bool flipH, bool flipV,
                  std::uint32_t opacity) override;
  void DrawRotateMask(int x, int y, int zoomX, int zoomY, TCustomDIBX& source,
                      const TRect& srcRect, int pivotX, int pivotY, int angle, bool flipH,
                      bool flipV, TCustomDIBX* mask, std::uint32_t opacity) override;
  void StretchDraw(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect, bool useKey,
                   bool flipH, bool flipV, std::uint32_t opacity) override;
  void StretchDrawMask(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect,
                       bool flipH, bool flipV, TCustomDIBX* mask, std::uint32_t opacity) override;
  void StretchDrawAdd(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect,
                      bool useKey, bool flipH, bool flipV, std::uint32_t opacity) override;
  void StretchDrawMaskAdd(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect,
                          bool flipH, bool flipV, TCustomDIBX* mask,
                          std::uint32_t opacity) override;
  void DrawShrinkMono(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                      std::uint32_t color, bool flipH, bool flipV, std::uint32_t opacity,
                      int factor) override;
  void DrawShrinkQuad(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                      const TShrinkColors& colors, int reserved, bool flipH, bool flipV,
                      std::uint32_t opacity, int factor) override;
  void StretchDrawTiled(const TRect& destRect, int stepX, int stepY, int zoomX, int zoomY,
                        TCustomDIBX& source, const TRect& srcRect, bool useKey, bool flipH,
                        bool flipV, std::uint32_t opacity, int offsetX, int offsetY) override;
  void StretchDrawMaskTiled(const TRect& destRect, int stepX, int stepY, int zoomX, int zoomY,
                            TCustomDIBX& source, const TRect& srcRect, TCustomDIBX* mask,
                            bool flipH, bool flipV, std::uint32_t opacity, int offsetX,
                            int offsetY) override;
  void DrawBorder(const TRect& rect, int width, TCustomDIBX& pattern, int offsetX,
                  int offsetY) override;
  void DrawTable4(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH, bool flipV,
                  std::uint32_t opacity, const std::uint32_t* table) override;
  void DrawTableAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect, int threshold,
                    bool flipH, bool flipV, std::uint32_t opacity,
                    const std::uint32_t* table) override;
  void StretchDrawTableAdd(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect,
                           int threshold, bool flipH, bool flipV, std::uint32_t opacity,
                           const std::uint32_t* table) override;
  void DrawScaledTiled(const TRect& destRect, int zoomX, int zoomY, TCustomDIBX& pattern,
                       int offsetX, int offsetY, bool useKey, bool flipH, bool flipV,
                       std::uint32_t opacity) override;
  void DrawScaledTiledMask(const TRect& destRect, int zoomX, int zoomY, TCustomDIBX& pattern,
                           int offsetX, int offsetY, bool flipH, bool flipV, TCustomDIBX* mask,
                           std::uint32_t opacity) override;
  // Covers the whole rectangle: bands of its rows, each moved by its offset, with the pattern's
  // vertical phase carried on from the rectangle's top.
  void FillPattern(const TRect& destRect, TCustomDIBX& pattern, int offsetX, int offsetY,
                   bool flipH, bool flipV) override;
  void DrawColorMask(int x, int y, TCustomDIBX* mask, const TRect& srcRect, bool flipH,
                     bool flipV, std::uint32_t color, std::uint32_t opacity) override;

 private:
  template <class Call>
  void ForRuns(std::int64_t top, std::int64_t bottom, bool single, Call&& call);
  template <class Call>
  void ForwardFill(const TRect& rect, Call&& call);
  template <class Call>
  void ForwardBlit(int x, int y, const TRect& srcRect, bool flipH, bool flipV, bool single,
                   Call&& call);
  template <class Call>
  void ForwardShrink(int x, int y, const TRect& srcRect, bool flipH, bool flipV, int factor,
                     Call&& call);
  template <class Call>
  void ForwardPerRow(const TRect& dest, Call&& call);

  TCustomDIBX* surface_ = nullptr;
  std::vector<std::int32_t> offsets_;
  TPoint origin_{};
};

}  // namespace vorn
