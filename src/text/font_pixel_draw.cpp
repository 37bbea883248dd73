// Drawing a cached glyph into a colour surface and its 8-bit alpha surface, with border, shadow,
// underline and strike-out. Colours are pixel values of the colour surface; mixing works on its
// channel bits so 15-, 16- and 32-bit surfaces blend alike.

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>

#include "graphics/custom_dibx.h"
#include "text/font_pixel.h"

namespace vorn {
namespace {

// A rectangle in 64 bits, so that cell arithmetic with huge borders cannot overflow.
struct Box {
  std::int64_t left, top, right, bottom;
};

Box MakeBox(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height) {
  return Box{left, top, left + std::max<std::int64_t>(width, 0), top + std::max<std::int64_t>(height, 0)};
}

Box Intersect(const Box& a, const TRect& clip) {
  return Box{std::max<std::int64_t>(a.left, clip.left), std::max<std::int64_t>(a.top, clip.top),
             std::min<std::int64_t>(a.right, clip.right), std::min<std::int64_t>(a.bottom, clip.bottom)};
}

bool Empty(const Box& b) { return b.left >= b.right || b.top >= b.bottom; }

TRect ToRect(const Box& b) {
  auto c = [](std::int64_t v) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); };
  return TRect{c(b.left), c(b.top), c(b.right), c(b.bottom)};
}

// The pair of surfaces one DrawTo writes.
class Planes {
 public:
  Planes(TCustomDIBX& color, TCustomDIBX& alpha) : color_(color), alpha_(alpha) {
    bits_ = color.GetBitCount();
    colorWrites_ = bits_ == 15 || bits_ == 16 || bits_ == 32;
    alphaWrites_ = alpha.GetBitCount() == 8;
    colorClip_ = ClipOf(color);
    alphaClip_ = ClipOf(alpha);
    masks_[0] = color.GetRedMask();
    masks_[1] = color.GetGreenMask();
    masks_[2] = color.GetBlueMask();
  }

  // Where any write can land: stamps outside it are skipped whole.
  TRect Reach() const {
    if (RectIsEmpty(colorClip_)) return alphaClip_;
    if (RectIsEmpty(alphaClip_)) return colorClip_;
    return UnionRect(colorClip_, alphaClip_);
  }

  std::uint8_t Alpha(int x, int y) {
    if (!alphaWrites_ || !Inside(alphaClip_, x, y)) return 0;
    return *alpha_.Lock(x, y);
  }
  void SetAlpha(int x, int y, std::uint8_t value) {
    if (alphaWrites_ && Inside(alphaClip_, x, y)) *alpha_.Lock(x, y) = value;
  }
  std::uint32_t Color(int x, int y) {
    if (!colorWrites_ || !Inside(colorClip_, x, y)) return 0;
    const std::uint8_t* p = color_.Lock(x, y);
    if (bits_ == 32) {
      std::uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  void SetColor(int x, int y, std::uint32_t value) {
    if (!colorWrites_ || !Inside(colorClip_, x, y)) return;
    std::uint8_t* p = color_.Lock(x, y);
    if (bits_ == 32) {
      std::memcpy(p, &value, 4);
    } else {
      const auto v = static_cast<std::uint16_t>(value);
      std::memcpy(p, &v, 2);
    }
  }
  // Each channel (weight × a + (255 − weight) × b) / 256, on the format's channel bits.
  std::uint32_t Mix(std::uint32_t weight, std::uint32_t a, std::uint32_t b) const {
    std::uint32_t result = 0;
    for (std::uint32_t mask : masks_) {
      if (mask == 0) continue;
      const int shift = std::countr_zero(mask);
      const std::uint32_t ca = (a & mask) >> shift, cb = (b & mask) >> shift;
      const std::uint32_t mixed = (weight * ca + (255 - weight) * cb) / 256;
      result |= (mixed << shift) & mask;
    }
    return result;
  }

  // Coverage c laid over what the pair holds, in colour value.
  void OverComposite(int x, int y, std::uint32_t c, std::uint32_t value) {
    if (c == 0) return;
    if (c == 255) {
      SetColor(x, y, value);
      SetAlpha(x, y, 255);
      return;
    }
    const std::uint32_t a = Alpha(x, y);
    const std::uint32_t combined = a + c * (255 - a) / 255;
    const std::uint32_t f = combined == 0 ? 255 : c * 255 / combined;
    SetColor(x, y, Mix(f, value, Color(x, y)));
    SetAlpha(x, y, static_cast<std::uint8_t>(combined));
  }

  // A solid rectangle at alpha 255, in a colour or leaving the colour surface alone.
  void Fill(const Box& box, const std::uint32_t* value) {
    const Box clipped = Intersect(box, Reach());
    for (std::int64_t y = clipped.top; y < clipped.bottom; ++y) {
      for (std::int64_t x = clipped.left; x < clipped.right; ++x) {
        SetAlpha(static_cast<int>(x), static_cast<int>(y), 255);
        if (value != nullptr) SetColor(static_cast<int>(x), static_cast<int>(y), *value);
      }
    }
  }

  void ClearAlpha(const Box& box) {
    const Box clipped = Intersect(box, alphaClip_);
    for (std::int64_t y = clipped.top; y < clipped.bottom; ++y) {
      for (std::int64_t x = clipped.left; x < clipped.right; ++x) SetAlpha(static_cast<int>(x), static_cast<int>(y), 0);
    }
  }

 private:
  static TRect ClipOf(TCustomDIBX& surface) {
    return ClipRectTo(surface.GetDirtyRect(), TRect{0, 0, surface.GetWidth(), surface.GetHeight()});
  }
  static bool Inside(const TRect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

  TCustomDIBX& color_;
  TCustomDIBX& alpha_;
  int bits_ = 0;
  bool colorWrites_ = false;
  bool alphaWrites_ = false;
  TRect colorClip_{};
  TRect alphaClip_{};
  std::uint32_t masks_[3] = {};
};

// Calls visit(x, y, coverage) for each covered pixel of the glyph placed at (gx, gy) that lies
// within the reach of the planes.
template <class Visit>
void ForEachCovered(const TFontPixel& glyph, Planes& planes, std::int64_t gx, std::int64_t gy, Visit visit) {
  const TRect reach = planes.Reach();
  const Box box = Intersect(MakeBox(gx, gy, glyph.bitmapWidth, glyph.bitmapHeight), reach);
  for (std::int64_t y = box.top; y < box.bottom; ++y) {
    for (std::int64_t x = box.left; x < box.right; ++x) {
      const std::uint8_t c = glyph.Coverage(static_cast<int>(x - gx), static_cast<int>(y - gy));
      if (c != 0) visit(static_cast<int>(x), static_cast<int>(y), c);
    }
  }
}

// The glyph's coverage stamped at every offset of the (2k + 1) square but the centre. Offsets
// whose stamp lies wholly outside the reach are skipped without visiting their pixels.
void DrawBordered(const TFontPixel& glyph, Planes& planes, std::int64_t gx, std::int64_t gy, std::int64_t k,
                  std::uint32_t value) {
  const TRect reach = planes.Reach();
  if (RectIsEmpty(reach)) return;
  const std::int64_t dxLow = std::max(-k, reach.left - (gx + glyph.bitmapWidth) + 1);
  const std::int64_t dxHigh = std::min(k, reach.right - 1 - gx);
  const std::int64_t dyLow = std::max(-k, reach.top - (gy + glyph.bitmapHeight) + 1);
  const std::int64_t dyHigh = std::min(k, reach.bottom - 1 - gy);
  for (std::int64_t dy = dyLow; dy <= dyHigh; ++dy) {
    for (std::int64_t dx = dxLow; dx <= dxHigh; ++dx) {
      if (dx == 0 && dy == 0) continue;
      ForEachCovered(glyph, planes, gx + dx, gy + dy,
                     [&](int x, int y, std::uint8_t c) { planes.OverComposite(x, y, c, value); });
    }
  }
}

}  // namespace

std::int32_t TFontPixel::CentringOffset(std::int32_t width) {
  const std::int64_t g = std::min<std::int64_t>(width, key_.size);
  const std::int64_t free = g - bitmapWidth;
  if (static_cast<std::int64_t>(originX) + advanceExtra >= free || owner_ == nullptr) return 0;
  const gdi::AbcWidths abc = owner_->MeasureAbc(key_.code, key_.face, key_.flags, key_.size);
  const std::int64_t a = abc.abcA, b = abc.abcB, c = abc.abcC;
  std::int64_t offset = 0;
  // A negative C can bring the sum to 0 or below: the proportional split then means nothing.
  if (a + c != 0 && a + b + c > 0) {
    offset = static_cast<std::int64_t>(
        std::nearbyint(static_cast<double>(free) * (static_cast<double>(a) + static_cast<double>(b) / 2.0) /
                       static_cast<double>(a + b + c)));
  } else {
    offset = free / 2;
  }
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(offset - originX, 0, INT32_MAX));
}

void TFontPixel::DrawTo(TCustomDIBX& color, TCustomDIBX& alpha, bool clearFirst, TRect& drawn,
                        std::uint32_t shadowColor, std::uint32_t borderColor, std::uint32_t textColor, bool isLast,
                        bool isFirst, std::int32_t shadow, std::int32_t border, std::int32_t left, std::int32_t top,
                        std::int32_t width, std::int32_t height) {
  drawn = TRect{};
  if (!HasBitmap()) return;
  const std::int64_t k = std::max(border, 0), d = std::max(shadow, 0);
  const std::int64_t l = left, t = top, w = width, h = height;
  const std::int64_t u = underline, st = strikeTop, sth = strikeThickness;
  const std::int64_t gx = l + originX + CentringOffset(width);
  const std::int64_t gy = t + originY;
  Planes planes(color, alpha);
  Box reported = MakeBox(gx, gy, bitmapWidth + 2 * k + d, bitmapHeight + 2 * k + d);
  auto line = [&](const Box& box, const std::uint32_t* value) {
    if (Empty(box)) return;
    planes.Fill(box, value);
    reported = Box{std::min(reported.left, box.left), std::min(reported.top, box.top),
                   std::max(reported.right, box.right), std::max(reported.bottom, box.bottom)};
  };

  if (k == 0 && d == 0) {
    if (clearFirst) {
      planes.Fill(MakeBox(gx, gy, bitmapWidth, bitmapHeight), &textColor);
      const Box box = Intersect(MakeBox(gx, gy, bitmapWidth, bitmapHeight), planes.Reach());
      for (std::int64_t y = box.top; y < box.bottom; ++y) {
        for (std::int64_t x = box.left; x < box.right; ++x) {
          planes.SetAlpha(static_cast<int>(x), static_cast<int>(y),
                          Coverage(static_cast<int>(x - gx), static_cast<int>(y - gy)));
        }
      }
    } else {
      ForEachCovered(*this, planes, gx, gy, [&](int x, int y, std::uint8_t c) {
        planes.SetColor(x, y, textColor);
        planes.SetAlpha(x, y, std::max(planes.Alpha(x, y), c));
      });
    }
    if (u > 0) line(MakeBox(l, t + h - u, w, u), nullptr);
    if (sth > 0) line(MakeBox(l, t + st, w, sth), nullptr);
    drawn = ToRect(reported);
    return;
  }

  if (clearFirst) planes.ClearAlpha(reported);
  if (d > 0) {
    const std::int64_t shift = isFirst ? d : 0;
    if (u > 0) line(MakeBox(l + shift, t + h - 2 * k - u, w, 2 * k + u), &shadowColor);
    if (k == 0) {
      const Box box = Intersect(MakeBox(gx + d, gy + d, bitmapWidth, bitmapHeight), planes.Reach());
      for (std::int64_t y = box.top; y < box.bottom; ++y) {
        for (std::int64_t x = box.left; x < box.right; ++x) {
          const std::uint8_t c = Coverage(static_cast<int>(x - gx - d), static_cast<int>(y - gy - d));
          planes.SetAlpha(static_cast<int>(x), static_cast<int>(y), c);
          if (c != 0) planes.SetColor(static_cast<int>(x), static_cast<int>(y), shadowColor);
        }
      }
    } else {
      DrawBordered(*this, planes, gx + k + d, gy + k + d, k, shadowColor);
    }
    if (sth > 0) line(MakeBox(l + shift, t + d + st, w, 2 * k + sth), &shadowColor);
  }
  if (u > 0) {
    const std::int64_t uw = w - (isLast ? d : 0);
    const std::int64_t uy = t + h - d - k - u;
    line(MakeBox(l, uy, uw, u), &textColor);
    if (k > 0) {
      line(MakeBox(l, uy - k, uw, k), &borderColor);
      line(MakeBox(l, uy + u, uw, k), &borderColor);
    }
  }
  if (k == 0) {
    ForEachCovered(*this, planes, gx, gy,
                   [&](int x, int y, std::uint8_t c) { planes.OverComposite(x, y, c, textColor); });
  } else {
    DrawBordered(*this, planes, gx + k, gy + k, k, borderColor);
    ForEachCovered(*this, planes, gx + k, gy + k, [&](int x, int y, std::uint8_t c) {
      planes.SetAlpha(x, y, 255);
      planes.SetColor(x, y, c == 255 ? textColor : planes.Mix(c, textColor, borderColor));
    });
  }
  if (sth > 0) {
    const std::int64_t sy = t + k + st;
    line(MakeBox(l, sy, w, sth), &textColor);
    if (k > 0) {
      line(MakeBox(l, sy - k, w, k), &borderColor);
      line(MakeBox(l, sy + sth, w, k), &borderColor);
    }
  }
  drawn = ToRect(reported);
}

}  // namespace vorn
