#include <cstring>
#include <vector>

#include "graphics/blit_driver.h"
#include "graphics/blit_vector.h"
#include "graphics/vector_unit.h"
#include "graphics/custom_dibx.h"

namespace vorn {

using namespace blit;

namespace {

bool ClipFillRect(TCustomDIBX& dest, const TRect& rect, TRect& area) {
  area = rect;
  TRect src = rect;
  if (!dest.ClipBlit(area, src, false, false)) return false;
  // ClipBlit keeps an uncut right or bottom side as given; a fill needs the cut rectangle.
  const TRect limit = surface_clip::DrawLimit(dest);
  area = surface_clip::Intersect(area, limit);
  return !surface_clip::IsEmptyRect(area);
}

}  // namespace

void TCustomDIBX::FillRect(const TRect& rect, std::uint32_t value) {
  TRect area;
  if (!ClipFillRect(*this, rect, area)) return;
  const int bits = GetBitCount();
  if (!IsByteDepth(bits)) return;
  LockGuard guard;
  std::uint8_t* p = guard.Lock(*this, area.left, area.top);
  if (p == nullptr) return;
  const int bpp = GetBytesPerPixel();
  const std::ptrdiff_t pitch = GetPitch();
  const int w = area.right - area.left;
  for (int j = 0; j < area.bottom - area.top; ++j) {
    std::uint8_t* row = p + pitch * j;
    switch (bpp) {
      case 1:
        std::memset(row, static_cast<int>(value & 0xFFu), static_cast<std::size_t>(w));
        break;
      case 4:
        for (int i = 0; i < w; ++i) std::memcpy(row + 4 * i, &value, 4);
        break;
      default:
        for (int i = 0; i < w; ++i) WritePixel(row + static_cast<std::ptrdiff_t>(i) * bpp, bpp, value);
        break;
    }
  }
}

void TCustomDIBX::FillRectOpacity(const TRect& rect, std::uint32_t color, std::uint32_t opacity) {
  if (opacity == 0) return;
  TRect area;
  if (!ClipFillRect(*this, rect, area)) return;
  const std::uint32_t w = Weight(opacity);
  const int bpp = GetBytesPerPixel();
  const std::uint32_t same = color & RawPixelMask(bpp > 0 ? bpp : 4);
  if (GetBitCount() == 32) {
    if (VectorUnitAvailable() && vec::Compiled()) {
      // A source row of the colour turns the fill into the blend row loop.
      const int width = area.right - area.left;
      const std::vector<std::uint32_t> colors(static_cast<std::size_t>(width), color);
      LockGuard guard;
      std::uint8_t* p = guard.Lock(*this, area.left, area.top);
      if (p == nullptr) return;
      const std::ptrdiff_t pitch = GetPitch();
      for (int j = 0; j < area.bottom - area.top; ++j)
        vec::BlendRow32(reinterpret_cast<std::uint32_t*>(p + pitch * j), colors.data(), width, w, false, 0);
      return;
    }
    RunFill(*this, area, [&](std::uint32_t& d) {
      if (d == same) return false;
      d = Blend4(d, color, w);
      return true;
    });
    return;
  }
  const Channels c = Channels::Of(*this);
  RunFill(*this, area, [&](std::uint32_t& d) {
    if (d == same) return false;
    d = Blend(d, color, w, c);
    return true;
  });
}

void TCustomDIBX::AddColorRect(const TRect& rect, std::uint32_t color) {
  TRect area;
  if (!ClipFillRect(*this, rect, area)) return;
  if (GetBitCount() == 32) {
    RunFill(*this, area, [&](std::uint32_t& d) {
      d = AddSaturate4(d, color);
      return true;
    });
    return;
  }
  const Channels c = Channels::Of(*this);
  RunFill(*this, area, [&](std::uint32_t& d) {
    d = AddSaturate(d, color, c);
    return true;
  });
}

void TCustomDIBX::SubColorRect(const TRect& rect, std::uint32_t color) {
  TRect area;
  if (!ClipFillRect(*this, rect, area)) return;
  if (GetBitCount() == 32) {
    RunFill(*this, area, [&](std::uint32_t& d) {
      d = SubFloor4(d, color);
      return true;
    });
    return;
  }
  const Channels c = Channels::Of(*this);
  RunFill(*this, area, [&](std::uint32_t& d) {
    d = SubFloor(d, color, c);
    return true;
  });
}

namespace {

// Top and bottom bands over the full width, then the sides between them when there is room.
template <class Band>
void DrawFrameBands(const TRect& r, int width, std::int64_t minSideHeight, Band&& band) {
  const std::int64_t w = width;
  auto rect = [](std::int64_t l, std::int64_t t, std::int64_t rr, std::int64_t b) {
    return TRect{surface_clip::Saturate32(l), surface_clip::Saturate32(t),
                 surface_clip::Saturate32(rr), surface_clip::Saturate32(b)};
  };
  band(rect(r.left, r.top, r.right, r.top + w));
  band(rect(r.left, r.bottom - w, r.right, r.bottom));
  const std::int64_t h = static_cast<std::int64_t>(r.bottom) - r.top - 2 * w;
  if (h >= minSideHeight) {
    band(rect(r.left, r.top + w, r.left + w, r.top + w + h));
    band(rect(r.right - w, r.top + w, r.right, r.top + w + h));
  }
}

}  // namespace

void TCustomDIBX::FrameRect(const TRect& rect, int width, std::uint32_t color) {
  DrawFrameBands(rect, width, 1, [&](const TRect& band) { FillRect(band, color); });
}

void TCustomDIBX::FrameRectOpacity(const TRect& rect, int width, std::uint32_t color,
                                   std::uint32_t opacity) {
  if (opacity == 0) return;
  DrawFrameBands(rect, width, 1,
                 [&](const TRect& band) { FillRectOpacity(band, color, opacity); });
}

void TCustomDIBX::FrameRectAdd(const TRect& rect, int width, std::uint32_t color) {
  DrawFrameBands(rect, width, 1, [&](const TRect& band) { AddColorRect(band, color); });
}

void TCustomDIBX::DrawColorMask(int x, int y, TCustomDIBX* mask, const TRect& srcRect,
                                bool flipH, bool flipV, std::uint32_t color,
                                std::uint32_t opacity) {
  if (opacity == 0 || mask == nullptr) return;
  TRect s = srcRect;
  TRect d{x, y, surface_clip::Saturate32(static_cast<std::int64_t>(x) + s.right - s.left),
          surface_clip::Saturate32(static_cast<std::int64_t>(y) + s.bottom - s.top)};
  if (!ClipBlit(d, s, flipH, flipV)) return;
  if (s.left < 0 || s.top < 0 || s.left >= s.right || s.top >= s.bottom) return;
  if (!MaskCovers(mask, s)) return;
  const int bits = GetBitCount();
  const bool vectorRules = IsVectorDepth(bits);
  const Channels c = Channels::Of(*this);
  const int bpp = GetBytesPerPixel();
  const std::uint32_t same = color & RawPixelMask(bpp > 0 ? bpp : 4);
  BlitArea area{d, s};
  // The mask is the source: the op receives the mask value as s.
  RunBlit(*this, *mask, nullptr, area, flipH, flipV,
          [&](std::uint32_t& dv, std::uint32_t v, std::uint32_t) {
            v &= 0xFFu;
            if (v == 0) return false;
            std::uint32_t w;
            if (vectorRules) {
              if (dv == same) return false;
              if (opacity >= 255) w = v;
              else if (bits == 32 && v == 255) w = opacity;
              else w = (opacity * v) >> 8;
            } else {
              w = (Weight(opacity) * v) >> 8;
            }
            dv = Blend(dv, color, w, c);
            return true;
          });
}

}  // namespace vorn
