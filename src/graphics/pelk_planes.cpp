#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <memory>

#include "graphics/pelk_format.h"

namespace vorn {

std::vector<std::int32_t> PelkShuffleOrder(std::uint32_t code, std::int32_t n) {
  // The same draws as TZkRandom (state := state * 5 + code; take entry state mod left out of the
  // bag 0..n-1), but the k-th entry still in the bag is found in a Fenwick tree, so a plane of
  // many rows or tiles costs n log n instead of n squared.
  std::vector<std::int32_t> order(static_cast<std::size_t>(std::max(n, 0)));
  if (n <= 0) return order;
  std::vector<std::int32_t> tree(static_cast<std::size_t>(n) + 1, 0);
  for (std::int32_t i = 1; i <= n; ++i) {
    tree[i] += 1;
    const std::int32_t parent = i + (i & -i);
    if (parent <= n) tree[parent] += tree[i];
  }
  std::int32_t top = 1;
  while (top * 2 <= n) top *= 2;
  std::uint32_t state = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    state = state * 5u + code;
    std::uint32_t k = state % static_cast<std::uint32_t>(n - i);  // 0-based rank
    std::int32_t pos = 0;
    for (std::int32_t step = top; step > 0; step >>= 1) {
      const std::int32_t next = pos + step;
      if (next <= n && static_cast<std::uint32_t>(tree[next]) <= k) {
        pos = next;
        k -= static_cast<std::uint32_t>(tree[next]);
      }
    }
    order[i] = pos;  // entry pos (0-based) is the (k+1)-th remaining one
    for (std::int32_t j = pos + 1; j <= n; j += j & -j) tree[j] -= 1;
  }
  return order;
}

std::size_t InflatePelkPlaneInto(std::span<const std::uint8_t> compressed, std::uint8_t* out,
                                 std::size_t maxBytes) {
  struct Free {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
  };
  thread_local std::unique_ptr<libdeflate_decompressor, Free> inflater(libdeflate_alloc_decompressor());
  if (!inflater) throw EPelkError("zlib: out of memory");
  std::size_t produced = 0;
  const libdeflate_result result = libdeflate_zlib_decompress(
      inflater.get(), compressed.data(), compressed.size(), out, maxBytes, &produced);
  if (result == LIBDEFLATE_SUCCESS) return produced;
  if (result != LIBDEFLATE_INSUFFICIENT_SPACE) throw EPelkError("zlib: invalid compressed data");
  // The stream holds more than the plane needs: take the first maxBytes and ignore the rest.
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw EPelkError("zlib: out of memory");
  z.next_in = const_cast<Bytef*>(compressed.data());
  z.avail_in = static_cast<uInt>(std::min<std::size_t>(compressed.size(), 0xFFFFFFFFu));
  z.next_out = out;
  z.avail_out = static_cast<uInt>(maxBytes);
  int rc = Z_OK;
  while (rc == Z_OK && z.avail_out > 0) rc = inflate(&z, Z_NO_FLUSH);
  const std::size_t got = maxBytes - z.avail_out;
  inflateEnd(&z);
  if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
    throw EPelkError("zlib: invalid compressed data");
  }
  return got;
}

std::vector<std::uint8_t> InflatePelkPlane(std::span<const std::uint8_t> compressed,
                                           std::size_t maxBytes) {
  std::vector<std::uint8_t> out(maxBytes);
  out.resize(InflatePelkPlaneInto(compressed, out.data(), maxBytes));
  return out;
}

std::vector<std::uint8_t> DeflatePelkPlane(std::span<const std::uint8_t> raw, int level) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level) != Z_OK) {
    throw EWriteError("zlib: compression failed");
  }
  out.resize(size);
  return out;
}

namespace {

std::uint8_t Widen(std::uint32_t field, int bits) {
  // Top bits repeated into the vacated low bits, as the drawing layer widens 16-bit pixels when
  // it copies them to 24 or 32 bits, so a colour key made here matches the copied pixels.
  const std::uint32_t shifted = field << (8 - bits);
  return static_cast<std::uint8_t>(shifted | (shifted >> bits));
}

}  // namespace

std::int32_t PelkPixelToColor(std::uint32_t pixel, int depth,
                              std::span<const std::uint8_t> palette) {
  std::uint32_t r = 0, g = 0, b = 0;
  switch (depth) {
    case 1:
    case 4:
    case 8: {
      const std::size_t at = static_cast<std::size_t>(pixel & 0xFF) * 4;
      if (at + 2 < palette.size()) {
        b = palette[at];
        g = palette[at + 1];
        r = palette[at + 2];
      }
      break;
    }
    case 15:
      r = Widen((pixel >> 10) & 31, 5);
      g = Widen((pixel >> 5) & 31, 5);
      b = Widen(pixel & 31, 5);
      break;
    case 16:
      r = Widen((pixel >> 11) & 31, 5);
      g = Widen((pixel >> 5) & 63, 6);
      b = Widen(pixel & 31, 5);
      break;
    default:
      b = pixel & 0xFF;
      g = (pixel >> 8) & 0xFF;
      r = (pixel >> 16) & 0xFF;
      break;
  }
  return static_cast<std::int32_t>(r | (g << 8) | (b << 16));
}

std::vector<std::uint8_t> PelkPlaneToBgr(const PelkPlane& plane,
                                         std::span<const std::uint8_t> palette) {
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(plane.width) * plane.height * 3);
  std::uint8_t* out = bgr.data();
  for (int y = 0; y < plane.height; ++y) {
    const std::uint8_t* row = plane.Row(y);
    for (int x = 0; x < plane.width; ++x, out += 3) {
      std::uint32_t pixel = 0;
      switch (plane.depth) {
        case 1: pixel = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
        case 4: pixel = (x & 1) ? (row[x >> 1] & 15) : (row[x >> 1] >> 4); break;
        case 8: pixel = row[x]; break;
        case 15:
        case 16: pixel = static_cast<std::uint32_t>(row[2 * x] | (row[2 * x + 1] << 8)); break;
        case 24: pixel = static_cast<std::uint32_t>(row[3 * x] | (row[3 * x + 1] << 8) |
                                                     (row[3 * x + 2] << 16)); break;
        case 32: pixel = static_cast<std::uint32_t>(row[4 * x] | (row[4 * x + 1] << 8) |
                                                     (row[4 * x + 2] << 16)); break;
        default: break;
      }
      const std::uint32_t color =
          static_cast<std::uint32_t>(PelkPixelToColor(pixel, plane.depth, palette));
      out[0] = static_cast<std::uint8_t>(color >> 16);
      out[1] = static_cast<std::uint8_t>(color >> 8);
      out[2] = static_cast<std::uint8_t>(color);
    }
  }
  return bgr;
}

}  // namespace vorn
