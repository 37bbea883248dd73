#include "graphics/dibx_wave.h"

#include <algorithm>
#include <limits>

#include "graphics/surface_clip.h"

namespace vorn {
namespace {

using surface_clip::Saturate32;

constexpr std::int64_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();

bool Fits32(std::int64_t v) { return v >= kMin32 && v <= kMax32; }

// Puts the inner surface's dirty rectangle back when a per-row forward ends, also on an
// exception.
class DirtyRectSaver {
 public:
  explicit DirtyRectSaver(TCustomDIBX& surface) : surface_(surface), saved_(surface.DirtyRect) {}
  ~DirtyRectSaver() { surface_.DirtyRect = saved_; }
  DirtyRectSaver(const DirtyRectSaver&) = delete;
  DirtyRectSaver& operator=(const DirtyRectSaver&) = delete;

 private:
  TCustomDIBX& surface_;
  TRect saved_;
};

// Columns [left, right) moved by offset. Positions that no longer fit 32 bits are cut to just
// beyond the inner surface (which clips there anyway); cutLeft tells how far the left edge moved
// right. False when the columns lie wholly off the inner surface.
bool ShiftColumns(std::int32_t left, std::int32_t right, std::int32_t offset, int innerWidth,
                  std::int32_t& outLeft, std::int32_t& outRight, std::int64_t& cutLeft) {
  std::int64_t l = static_cast<std::int64_t>(left) + offset;
  std::int64_t r = static_cast<std::int64_t>(right) + offset;
  cutLeft = 0;
  if (!Fits32(l) || !Fits32(r)) {
    if (r <= 0 || l >= innerWidth) return false;
    if (l < -1) {
      cutLeft = -1 - l;
      l = -1;
    }
    r = std::min<std::int64_t>(r, static_cast<std::int64_t>(innerWidth) + 1);
  }
  outLeft = Saturate32(l);
  outRight = Saturate32(r);
  return true;
}

}  // namespace

int TDIBXWave::GetBitCount() { return surface_ != nullptr ? surface_->GetBitCount() : 0; }
int TDIBXWave::GetRawBitCount() { return surface_ != nullptr ? surface_->GetRawBitCount() : 0; }

void TDIBXWave::SetSize(int width, int height, int bitCount) {
  TCustomDIBX::SetSize(width, height, bitCount);
  offsets_.resize(static_cast<std::size_t>(std::max(height, 0)), 0);
}

void TDIBXWave::ResetDirtyRect() {
  TCustomDIBX::ResetDirtyRect();
  if (surface_ != nullptr) surface_->ResetDirtyRect();
}

void TDIBXWave::AddDirtyRect(const TRect& rect) {
  const std::int64_t left = std::max<std::int64_t>(rect.left, origin_.x);
  const std::int64_t top = std::max<std::int64_t>(rect.top, origin_.y);
  const std::int64_t right =
      std::min<std::int64_t>(rect.right, static_cast<std::int64_t>(origin_.x) + GetWidth());
  const std::int64_t bottom =
      std::min<std::int64_t>(rect.bottom, static_cast<std::int64_t>(origin_.y) + GetHeight());
  if (left >= right || top >= bottom) return;
  const TRect r{Saturate32(left), Saturate32(top), Saturate32(right), Saturate32(bottom)};
  if (DirtyRect.right == 0) {
    DirtyRect = r;
  } else {
    DirtyRect.left = std::min(DirtyRect.left, r.left);
    DirtyRect.top = std::min(DirtyRect.top, r.top);
    DirtyRect.right = std::max(DirtyRect.right, r.right);
    DirtyRect.bottom = std::max(DirtyRect.bottom, r.bottom);
  }
  if (surface_ != nullptr) surface_->AddDirtyRect(DirtyRect);
}

std::int32_t TDIBXWave::ColorToPixel(std::int32_t color) {
  return surface_ != nullptr ? surface_->ColorToPixel(color) : color;
}

// --- the walks ---

// Calls call(row, count, offset) for the rows of [top, bottom) that have an offset: runs of
// equal offsets, or one row at a time when single is set.
template <class Call>
void TDIBXWave::ForRuns(std::int64_t top, std::int64_t bottom, bool single, Call&& call) {
  const std::int64_t first = std::max<std::int64_t>(top, origin_.y);
  const std::int64_t last = std::min<std::int64_t>(
      {bottom, static_cast<std::int64_t>(origin_.y) + static_cast<std::int64_t>(offsets_.size()),
       kMax32});
  for (std::int64_t r = first; r < last;) {
    const auto i = static_cast<std::size_t>(r - origin_.y);
    const std::int32_t offset = offsets_[i];
    std::int64_t n = 1;
    if (!single)
      while (r + n < last && offsets_[i + static_cast<std::size_t>(n)] == offset) ++n;
    call(static_cast<int>(r), static_cast<int>(n), offset);
    r += n;
  }
}

template <class Call>
void TDIBXWave::ForwardFill(const TRect& rect, Call&& call) {
  if (surface_ == nullptr) return;
  const int innerWidth = surface_->GetWidth();
  ForRuns(rect.top, rect.bottom, false, [&](int row, int count, std::int32_t offset) {
    TRect band{0, row, 0, row + count};
    std::int64_t cut = 0;
    if (!ShiftColumns(rect.left, rect.right, offset, innerWidth, band.left, band.right, cut))
      return;
    call(band, cut);
  });
}

// Destination row y + k takes source row srcRect.top + k, or srcRect.bottom - 1 - k when flipped
// vertically, so each band takes its source rows from the matching end.
template <class Call>
void TDIBXWave::ForwardBlit(int x, int y, const TRect& srcRect, bool flipH, bool flipV,
                            bool single, Call&& call) {
  if (surface_ == nullptr) return;
  const std::int64_t height = static_cast<std::int64_t>(srcRect.bottom) - srcRect.top;
  if (height <= 0) return;
  const int innerWidth = surface_->GetWidth();
  ForRuns(y, y + height, single, [&](int row, int count, std::int32_t offset) {
    const std::int64_t k = static_cast<std::int64_t>(row) - y;
    TRect band = srcRect;
    if (!flipV) {
      band.top = static_cast<std::int32_t>(srcRect.top + k);
      band.bottom = band.top + count;
    } else {
      band.bottom = static_cast<std::int32_t>(srcRect.bottom - k);
      band.top = band.bottom - count;
    }
    std::int64_t dx = static_cast<std::int64_t>(x) + offset;
    if (!Fits32(dx)) {
      // Keep only the columns that can land on the inner surface, so the position fits.
      const std::int64_t w = static_cast<std::int64_t>(band.right) - band.left;
      const std::int64_t lo = std::max<std::int64_t>(0, -dx);
      const std::int64_t hi = std::min<std::int64_t>(w, innerWidth - dx);
      if (lo >= hi) return;
      if (!flipH) {
        band.left = static_cast<std::int32_t>(band.left + lo);
        band.right = static_cast<std::int32_t>(band.left + (hi - lo));
      } else {
        band.right = static_cast<std::int32_t>(band.right - lo);
        band.left = static_cast<std::int32_t>(band.right - (hi - lo));
      }
      dx += lo;
    }
    call(static_cast<int>(dx), row, band);
  });
}

// A destination row of a reduction reads `factor` source rows, from the matching end when
// flipped vertically.
template <class Call>
void TDIBXWave::ForwardShrink(int x, int y, const TRect& srcRect, bool flipH, bool flipV,
                              int factor, Call&& call) {
  if (surface_ == nullptr || factor < 1) return;
  const std::int64_t height = (static_cast<std::int64_t>(srcRect.bottom) - srcRect.top) / factor;
  if (height <= 0) return;
  const int innerWidth = surface_->GetWidth();
  ForRuns(y, y + height, true, [&](int row, int, std::int32_t offset) {
    const std::int64_t k = static_cast<std::int64_t>(row) - y;
    TRect band = srcRect;
    if (!flipV) {
      band.top = static_cast<std::int32_t>(srcRect.top + k * factor);
      band.bottom = band.top + factor;
    } else {
      band.bottom = static_cast<std::int32_t>(srcRect.bottom - k * factor);
      band.top = band.bottom - factor;
    }
    std::int64_t dx = static_cast<std::int64_t>(x) + offset;
    if (!Fits32(dx)) {
      const std::int64_t w = (static_cast<std::int64_t>(band.right) - band.left) / factor;
      const std::int64_t lo = std::max<std::int64_t>(0, -dx);
      const std::int64_t hi = std::min<std::int64_t>(w, innerWidth - dx);
      if (lo >= hi) return;
      if (!flipH) {
        band.left = static_cast<std::int32_t>(band.left + lo * factor);
        band.right = static_cast<std::int32_t>(band.left + (hi - lo) * factor);
      } else {
        band.right = static_cast<std::int32_t>(band.right - lo * factor);
        band.left = static_cast<std::int32_t>(band.right - (hi - lo) * factor);
      }
      dx += lo;
    }
    call(static_cast<int>(dx), row, band);
  });
}

// One call per destination row, the inner dirty rectangle narrowed to that row's columns after
// the move (so shifted rows are cut where a 1:1 blit would be cut). A destination beside the
// dirty rectangle is still drawn when its moved rows reach into it.
template <class Call>
void TDIBXWave::ForwardPerRow(const TRect& dest, Call&& call) {
  if (surface_ == nullptr) return;
  TCustomDIBX& inner = *surface_;
  const TRect limit = surface_clip::DrawLimit(inner);
  if (surface_clip::IsEmptyRect(limit) || dest.left >= dest.right) return;
  const std::int64_t top = std::max<std::int64_t>({dest.top, limit.top, origin_.y});
  const std::int64_t bottom = std::min<std::int64_t>(
      {dest.bottom, limit.bottom,
       static_cast<std::int64_t>(origin_.y) + static_cast<std::int64_t>(offsets_.size())});
  if (top >= bottom) return;
  std::int32_t least = offsets_[static_cast<std::size_t>(top - origin_.y)];
  std::int32_t most = least;
  for (std::int64_t r = top; r < bottom; ++r) {
    const std::int32_t o = offsets_[static_cast<std::size_t>(r - origin_.y)];
    least = std::min(least, o);
    most = std::max(most, o);
  }
  if (std::max<std::int64_t>(static_cast<std::int64_t>(dest.left) + least, limit.left) >=
      std::min<std::int64_t>(static_cast<std::int64_t>(dest.right) + most, limit.right))
    return;
  DirtyRectSaver saver(inner);
  for (std::int64_t r = top; r < bottom; ++r) {
    const std::int32_t o = offsets_[static_cast<std::size_t>(r - origin_.y)];
    const std::int64_t left = std::max<std::int64_t>(static_cast<std::int64_t>(dest.left) + o, limit.left);
    const std::int64_t right =
        std::min<std::int64_t>(static_cast<std::int64_t>(dest.right) + o, limit.right);
    if (left >= right) continue;
    const int row = static_cast<int>(r);
    inner.DirtyRect = TRect{static_cast<int>(left), row, static_cast<int>(right), row + 1};
    call(o);
  }
}

namespace {

// A destination rectangle moved sideways for a per-row call; the row's clip keeps the drawing
// inside, so saturating a far position only matters for rectangles wider than 32 bits reach.
TRect ShiftRect(const TRect& r, std::int32_t offset) {
  return TRect{Saturate32(static_cast<std::int64_t>(r.left) + offset), r.top,
               Saturate32(static_cast<std::int64_t>(r.right) + offset), r.bottom};
}

}  // namespace

// --- row runs ---

void TDIBXWave::Fill(std::uint32_t value) { FillRect(GetBoundsRect(), value); }

void TDIBXWave::FillRect(const TRect& rect, std::uint32_t value) {
  ForwardFill(rect, [&](const TRect& band, std::int64_t) { surface_->FillRect(band, value); });
}

void TDIBXWave::FillRectOpacity(const TRect& rect, std::uint32_t color, std::uint32_t opacity) {
  ForwardFill(rect, [&](const TRect& band, std::int64_t) {
    surface_->FillRectOpacity(band, color, opacity);
  });
}

void TDIBXWave::AddColorRect(const TRect& rect, std::uint32_t color) {
  ForwardFill(rect, [&](const TRect& band, std::int64_t) { surface_->AddColorRect(band, color); });
}

void TDIBXWave::SubColorRect(const TRect& rect, std::uint32_t color) {
  ForwardFill(rect, [&](const TRect& band, std::int64_t) { surface_->SubColorRect(band, color); });
}

void TDIBXWave::FillPattern(const TRect& destRect, TCustomDIBX& pattern, int offsetX, int offsetY,
                            bool flipH, bool flipV) {
  const std::int64_t pw = pattern.GetWidth(), ph = pattern.GetHeight();
  ForwardFill(destRect, [&](const TRect& band, std::int64_t cut) {
    std::int64_t ox = offsetX, oy = static_cast<std::int64_t>(offsetY) + band.top - destRect.top;
    if (cut != 0 && pw > 0) ox += cut % pw;
    // Only the phase within the pattern matters; keep it in 32 bits.
    if (!Fits32(ox) && pw > 0) ox %= pw;
    if (!Fits32(oy) && ph > 0) oy %= ph;
    surface_->FillPattern(band, pattern, Saturate32(ox), Saturate32(oy), flipH, flipV);
  });
}

void TDIBXWave::Draw(TCustomDIBX& source) {
  DrawRect(0, 0, source, source.GetBoundsRect(), false, false, false);
}

void TDIBXWave::DrawRect(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey,
                         bool flipH, bool flipV) {
  ForwardBlit(x, y, srcRect, flipH, flipV, false, [&](int dx, int dy, const TRect& band) {
    surface_->DrawRect(dx, dy, source, band, useKey, flipH, flipV);
  });
}

void TDIBXWave::DrawMask(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH,
                         bool flipV, TCustomDIBX* mask) {
  ForwardBlit(x, y, srcRect, flipH, flipV, false, [&](int dx, int dy, const TRect& band) {
    surface_->DrawMask(dx, dy, source, band, flipH, flipV, mask);
  });
}

void TDIBXWave::DrawOpacity(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey,
                            bool flipH, bool flipV, std::uint32_t opacity) {
  ForwardBlit(x, y, srcRect, flipH, flipV, false, [&](int dx, int dy, const TRect& band) {
    surface_->DrawOpacity(dx, dy, source, band, useKey, flipH, flipV, opacity);
  });
}

void TDIBXWave::DrawMaskOpacity(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                                bool flipH, bool flipV, TCustomDIBX* mask,
                                std::uint32_t opacity) {
  ForwardBlit(x, y, srcRect, flipH, flipV, false, [&](int dx, int dy, const TRect& band) {
    surface_->DrawMaskOpacity(dx, dy, source, band, flipH, flipV, mask, opacity);
  });
}

void TDIBXWave::DrawAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey,
                        bool flipH, bool flipV, std::uint32_t opacity) {
  ForwardBlit(x, y, srcRect, flipH, flipV, false, [&](int dx, int dy, const TRect& band) {
    surface_->DrawAdd(dx, dy, source, band, useKey, flipH, flipV, opacity);
  });
}

void TDIBXWave::DrawMaskAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH,
                            bool flipV, TCustomDIBX* mask, std::uint32_t opacity) {
  ForwardBlit(x, y, srcRect, flipH, flipV, false, [&](int dx, int dy, const TRect& band) {
    surface_->DrawMaskAdd(dx, dy, source, band, flipH, flipV, mask, opacity);
  });
}

void TDIBXWave::DrawColorMask(int x, int y, TCustomDIBX* mask, const TRect& srcRect, bool flipH,
                              bool flipV, std::uint32_t color, std::uint32_t opacity) {
  ForwardBlit(x, y, srcRect, flipH, flipV, false, [&](int dx, int dy, const TRect& band) {
    surface_->DrawColorMask(dx, dy, mask, band, flipH, flipV, color, opacity);
  });
}

// --- row by row ---

void TDIBXWave::DrawShrinkMono(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                               std::uint32_t color, bool flipH, bool flipV, std::uint32_t opacity,
                               int factor) {
  ForwardShrink(x, y, srcRect, flipH, flipV, factor, [&](int dx, int dy, const TRect& band) {
    surface_->DrawShrinkMono(dx, dy, source, band, color, flipH, flipV, opacity, factor);
  });
}

void TDIBXWave::DrawShrinkQuad(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                               const TShrinkColors& colors, int reserved, bool flipH, bool flipV,
                               std::uint32_t opacity, int factor) {
  ForwardShrink(x, y, srcRect, flipH, flipV, factor, [&](int dx, int dy, const TRect& band) {
    surface_->DrawShrinkQuad(dx, dy, source, band, colors, reserved, flipH, flipV, opacity,
                             factor);
  });
}

void TDIBXWave::DrawTable4(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH,
                           bool flipV, std::uint32_t opacity, const std::uint32_t* table) {
  ForwardBlit(x, y, srcRect, flipH, flipV, true, [&](int dx, int dy, const TRect& band) {
    surface_->DrawTable4(dx, dy, source, band, flipH, flipV, opacity, table);
  });
}

void TDIBXWave::DrawTableAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                             int threshold, bool flipH, bool flipV, std::uint32_t opacity,
                             const std::uint32_t* table) {
  ForwardBlit(x, y, srcRect, flipH, flipV, true, [&](int dx, int dy, const TRect& band) {
    surface_->DrawTableAdd(dx, dy, source, band, threshold, flipH, flipV, opacity, table);
  });
}

// --- per destination row under a one-row clip ---

void TDIBXWave::DrawRotate(int x, int y, int zoomX, int zoomY, TCustomDIBX& source,
                           const TRect& srcRect, int pivotX, int pivotY, int angle, bool useKey,
                           bool flipH, bool flipV, std::uint32_t opacity) {
  // The bounds DrawRotate walks itself: the pivot arrives already mirrored by the caller.
  const TRect bounds = DrawRotateBounds(x, y, zoomX, zoomY, srcRect, pivotX, pivotY, angle);
  ForwardPerRow(bounds, [&](std::int32_t o) {
    const std::int64_t dx = static_cast<std::int64_t>(x) + o;
    if (!Fits32(dx)) return;
    surface_->DrawRotate(static_cast<int>(dx), y, zoomX, zoomY, source, srcRect, pivotX, pivotY,
                         angle, useKey, flipH, flipV, opacity);
  });
}

void TDIBXWave::DrawRotateMask(int x, int y, int zoomX, int zoomY, TCustomDIBX& source,
                               const TRect& srcRect, int pivotX, int pivotY, int angle,
                               bool flipH, bool flipV, TCustomDIBX* mask, std::uint32_t opacity) {
  const TRect bounds = DrawRotateBounds(x, y, zoomX, zoomY, srcRect, pivotX, pivotY, angle);
  ForwardPerRow(bounds, [&](std::int32_t o) {
    const std::int64_t dx = static_cast<std::int64_t>(x) + o;
    if (!Fits32(dx)) return;
    surface_->DrawRotateMask(static_cast<int>(dx), y, zoomX, zoomY, source, srcRect, pivotX,
                             pivotY, angle, flipH, flipV, mask, opacity);
  });
}

void TDIBXWave::StretchDraw(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect,
                            bool useKey, bool flipH, bool flipV, std::uint32_t opacity) {
  ForwardPerRow(destRect, [&](std::int32_t o) {
    surface_->StretchDraw(ShiftRect(destRect, o), source, srcRect, useKey, flipH, flipV, opacity);
  });
}

void TDIBXWave::StretchDrawMask(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect,
                                bool flipH, bool flipV, TCustomDIBX* mask, std::uint32_t opacity) {
  ForwardPerRow(destRect, [&](std::int32_t o) {
    surface_->StretchDrawMask(ShiftRect(destRect, o), source, srcRect, flipH, flipV, mask,
                              opacity);
  });
}

void TDIBXWave::StretchDrawAdd(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect,
                               bool useKey, bool flipH, bool flipV, std::uint32_t opacity) {
  ForwardPerRow(destRect, [&](std::int32_t o) {
    surface_->StretchDrawAdd(ShiftRect(destRect, o), source, srcRect, useKey, flipH, flipV,
                             opacity);
  });
}

void TDIBXWave::StretchDrawMaskAdd(const TRect& destRect, TCustomDIBX& source,
                                   const TRect& srcRect, bool flipH, bool flipV,
                                   TCustomDIBX* mask, std::uint32_t opacity) {
  ForwardPerRow(destRect, [&](std::int32_t o) {
    surface_->StretchDrawMaskAdd(ShiftRect(destRect, o), source, srcRect, flipH, flipV, mask,
                                 opacity);
  });
}

void TDIBXWave::StretchDrawTiled(const TRect& destRect, int stepX, int stepY, int zoomX,
                                 int zoomY, TCustomDIBX& source, const TRect& srcRect,
                                 bool useKey, bool flipH, bool flipV, std::uint32_t opacity,
                                 int offsetX, int offsetY) {
  ForwardPerRow(destRect, [&](std::int32_t o) {
    surface_->StretchDrawTiled(ShiftRect(destRect, o), stepX, stepY, zoomX, zoomY, source,
                               srcRect, useKey, flipH, flipV, opacity, offsetX, offsetY);
  });
}

void TDIBXWave::StretchDrawMaskTiled(const TRect& destRect, int stepX, int stepY, int zoomX,
                                     int zoomY, TCustomDIBX& source, const TRect& srcRect,
                                     TCustomDIBX* mask, bool flipH, bool flipV,
                                     std::uint32_t opacity, int offsetX, int offsetY) {
  ForwardPerRow(destRect, [&](std::int32_t o) {
    surface_->StretchDrawMaskTiled(ShiftRect(destRect, o), stepX, stepY, zoomX, zoomY, source,
                                   srcRect, mask, flipH, flipV, opacity, offsetX, offsetY);
  });
}

void TDIBXWave::DrawBorder(const TRect& rect, int width, TCustomDIBX& pattern, int offsetX,
                           int offsetY) {
  ForwardPerRow(rect, [&](std::int32_t o) {
    surface_->DrawBorder(ShiftRect(rect, o), width, pattern, offsetX, offsetY);
  });
}

void TDIBXWave::StretchDrawTableAdd(const TRect& destRect, TCustomDIBX& source,
                                    const TRect& srcRect, int threshold, bool flipH, bool flipV,
                                    std::uint32_t opacity, const std::uint32_t* table) {
  ForwardPerRow(destRect, [&](std::int32_t o) {
    surface_->StretchDrawTableAdd(ShiftRect(destRect, o), source, srcRect, threshold, flipH,
                                  flipV, opacity, table);
  });
}

void TDIBXWave::DrawScaledTiled(const TRect& destRect, int zoomX, int zoomY, TCustomDIBX& pattern,
                                int offsetX, int offsetY, bool useKey, bool flipH, bool flipV,
                                std::uint32_t opacity) {
  ForwardPerRow(destRect, [&](std::int32_t o) {
    surface_->DrawScaledTiled(ShiftRect(destRect, o), zoomX, zoomY, pattern, offsetX, offsetY,
                              useKey, flipH, flipV, opacity);
  });
}

void TDIBXWave::DrawScaledTiledMask(const TRect& destRect, int zoomX, int zoomY,
                                    TCustomDIBX& pattern, int offsetX, int offsetY, bool flipH,
                                    bool flipV, TCustomDIBX* mask, std::uint32_t opacity) {
  ForwardPerRow(destRect, [&](std::int32_t o) {
    surface_->DrawScaledTiledMask(ShiftRect(destRect, o), zoomX, zoomY, pattern, offsetX, offsetY,
                                  flipH, flipV, mask, opacity);
  });
}

}  // namespace vorn
