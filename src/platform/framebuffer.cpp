#include "platform/framebuffer.h"

#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vorn::platform {

Framebuffer::Framebuffer(int width, int height, std::uint32_t fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

void Framebuffer::Resize(int width, int height, std::uint32_t fill) {
  Framebuffer resized(width, height, fill);
  int rows = std::min(height_, resized.height_);
  const int columns = std::min(width_, resized.width_);
  if (columns <= 0) rows = 0;  // memcpy must not see the null data of an empty buffer
  for (int y = 0; y < rows; ++y) {
    std::memcpy(resized.row(y), row(y), static_cast<std::size_t>(columns) * sizeof(std::uint32_t));
  }
  *this = std::move(resized);
}

void Framebuffer::FillRect(const Rect& rect, std::uint32_t xrgb) {
  const Rect area = Intersect(rect, bounds());
  if (area.empty()) return;
  for (int y = area.top; y < area.bottom(); ++y) {
    std::fill_n(row(y) + area.left, area.width, xrgb);
  }
}

Rect StretchBlit(Framebuffer& target, const PixelView& src, const Rect& src_rect, const Rect& dest,
                 const Rect& clip) {
  // Source pixels outside the view are skipped, never read.
  if (src_rect.empty() || dest.empty() || src.pixels == nullptr) return Rect{};
  const Rect area = Intersect(Intersect(dest, clip), target.bounds());
  if (area.empty()) return Rect{};

  if (src_rect.width == dest.width && src_rect.height == dest.height) {
    for (int y = area.top; y < area.bottom(); ++y) {
      const int sy = src_rect.top + (y - dest.top);
      if (sy < 0 || sy >= src.height) continue;
      int x0 = area.left;
      int x1 = area.right();
      int sx0 = src_rect.left + (x0 - dest.left);
      if (sx0 < 0) { x0 -= sx0; sx0 = 0; }
      x1 = std::min(x1, x0 + (src.width - sx0));
      if (x1 <= x0) continue;
      std::memcpy(target.row(y) + x0, src.pixels + static_cast<std::ptrdiff_t>(sy) * src.stride + sx0,
                  static_cast<std::size_t>(x1 - x0) * sizeof(std::uint32_t));
    }
    return area;
  }

  for (int y = area.top; y < area.bottom(); ++y) {
    const long long sy = src_rect.top + static_cast<long long>(y - dest.top) * src_rect.height / dest.height;
    if (sy < 0 || sy >= src.height) continue;
    const std::uint32_t* src_row = src.pixels + sy * src.stride;
    std::uint32_t* out = target.row(y);
    for (int x = area.left; x < area.right(); ++x) {
      const long long sx = src_rect.left + static_cast<long long>(x - dest.left) * src_rect.width / dest.width;
      if (sx < 0 || sx >= src.width) continue;
      out[x] = src_row[sx];
    }
  }
  return area;
}

}  // namespace vorn::platform

namespace vorn::platform {
namespace {

struct WidenTables {
  std::vector<std::uint32_t> t555 = std::vector<std::uint32_t>(65536);
  std::vector<std::uint32_t> t565 = std::vector<std::uint32_t>(65536);
  WidenTables() {
    for (std::uint32_t p = 0; p < 65536; ++p) {
      const std::uint32_t r5 = (p >> 10) & 31, g5 = (p >> 5) & 31, b5 = p & 31;
      t555[p] = (((r5 << 3) | (r5 >> 2)) << 16) | (((g5 << 3) | (g5 >> 2)) << 8) | ((b5 << 3) | (b5 >> 2));
      const std::uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
      t565[p] = (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
    }
  }
};

const WidenTables& Tables() {
  static const WidenTables tables;
  return tables;
}

#if defined(__SSE2__)
// Eight pixels a step in 16-bit lanes: each channel widened with its top bits repeated below,
// then green-blue and red interleaved into 32-bit words.
template <int kGreenBits>
std::size_t WidenRowVector(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
  const __m128i five = _mm_set1_epi16(31);
  const __m128i green = _mm_set1_epi16((1 << kGreenBits) - 1);
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
    const __m128i b = _mm_and_si128(v, five);
    const __m128i g = _mm_and_si128(_mm_srli_epi16(v, 5), green);
    const __m128i r = _mm_and_si128(_mm_srli_epi16(v, 5 + kGreenBits), five);
    const __m128i b8 = _mm_or_si128(_mm_slli_epi16(b, 3), _mm_srli_epi16(b, 2));
    const __m128i g8 = _mm_or_si128(_mm_slli_epi16(g, 8 - kGreenBits), _mm_srli_epi16(g, 2 * kGreenBits - 8));
    const __m128i r8 = _mm_or_si128(_mm_slli_epi16(r, 3), _mm_srli_epi16(r, 2));
    const __m128i gb = _mm_or_si128(_mm_slli_epi16(g8, 8), b8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi16(gb, r8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), _mm_unpackhi_epi16(gb, r8));
  }
  return i;
}
#endif

// Arithmetic on whole rows; a table lookup per pixel costs several times as much.
template <int kGreenBits>
void WidenRow(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
  constexpr std::uint32_t kGreenMax = (1u << kGreenBits) - 1;
  std::size_t i = 0;
#if defined(__SSE2__)
  i = WidenRowVector<kGreenBits>(in, out, count);
#endif
  for (; i < count; ++i) {
    std::uint16_t v16;
    std::memcpy(&v16, in + 2 * i, 2);
    const std::uint32_t v = v16;
    const std::uint32_t b = v & 31;
    const std::uint32_t g = (v >> 5) & kGreenMax;
    const std::uint32_t r = (v >> (5 + kGreenBits)) & 31;
    const std::uint32_t g8 = (g << (8 - kGreenBits)) | (g >> (2 * kGreenBits - 8));
    out[i] = (((r << 3) | (r >> 2)) << 16) | (g8 << 8) | ((b << 3) | (b >> 2));
  }
}

void Widen555Row(const std::uint8_t* in, std::uint32_t* out, std::size_t count) { WidenRow<5>(in, out, count); }
void Widen565Row(const std::uint8_t* in, std::uint32_t* out, std::size_t count) { WidenRow<6>(in, out, count); }

}  // namespace

std::uint32_t Widen555(std::uint16_t pixel) { return Tables().t555[pixel]; }
std::uint32_t Widen565(std::uint16_t pixel) { return Tables().t565[pixel]; }

Rect BlitSourcePixels(std::uint32_t* target, std::ptrdiff_t target_stride, int target_width, int target_height,
                      const SourcePixels& src, const Rect& src_rect, const Rect& dest, const Rect& clip) {
  if (target == nullptr || src.top == nullptr || src_rect.empty() || dest.empty()) return Rect{};
  const Rect area = Intersect(Intersect(dest, clip), Rect{0, 0, target_width, target_height});
  if (area.empty()) return Rect{};
  const std::uint32_t* lut = src.format == SourceFormat::kRgb555   ? Tables().t555.data()
                             : src.format == SourceFormat::kRgb565 ? Tables().t565.data()
                                                                   : nullptr;
  // Source column of each destination column of the area; -1 where it falls outside the source.
  std::vector<int> columns(static_cast<std::size_t>(area.width));
  int first = -1, last = -1;
  for (int x = area.left; x < area.right(); ++x) {
    const std::int64_t sx = src_rect.left + static_cast<std::int64_t>(x - dest.left) * src_rect.width / dest.width;
    const bool inside = sx >= 0 && sx < src.width;
    columns[static_cast<std::size_t>(x - area.left)] = inside ? static_cast<int>(sx) : -1;
    if (inside) {
      if (first < 0) first = x - area.left;
      last = x - area.left;
    }
  }
  if (first < 0) return Rect{};
  const bool straight = src_rect.width == dest.width;
  for (int y = area.top; y < area.bottom(); ++y) {
    const std::int64_t sy = src_rect.top + static_cast<std::int64_t>(y - dest.top) * src_rect.height / dest.height;
    if (sy < 0 || sy >= src.height) continue;
    const std::uint8_t* in = src.top + static_cast<std::ptrdiff_t>(sy) * src.pitch;
    std::uint32_t* out = target + static_cast<std::ptrdiff_t>(y) * target_stride + area.left;
    if (straight) {
      const int x0 = columns[static_cast<std::size_t>(first)];
      const std::size_t count = static_cast<std::size_t>(last - first + 1);
      if (lut == nullptr) {
        std::memcpy(out + first, in + static_cast<std::ptrdiff_t>(x0) * 4, count * 4);
      } else if (src.format == SourceFormat::kRgb555) {
        Widen555Row(in + static_cast<std::ptrdiff_t>(x0) * 2, out + first, count);
      } else {
        Widen565Row(in + static_cast<std::ptrdiff_t>(x0) * 2, out + first, count);
      }
      continue;
    }
    for (int i = first; i <= last; ++i) {
      const int sx = columns[static_cast<std::size_t>(i)];
      if (sx < 0) continue;
      if (lut == nullptr) {
        std::uint32_t v;
        std::memcpy(&v, in + static_cast<std::ptrdiff_t>(sx) * 4, 4);
        out[i] = v;
      } else {
        std::uint16_t v;
        std::memcpy(&v, in + static_cast<std::ptrdiff_t>(sx) * 2, 2);
        out[i] = lut[v];
      }
    }
  }
  return area;
}

}  // namespace vorn::platform
