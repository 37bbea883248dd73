#include <algorithm>
#include <array>
#include <vector>

#include "graphics/fast_dib_convert.h"

namespace vorn {
namespace {

constexpr int kHistogramCells = 65536;
constexpr std::uint8_t kUncoveredCell = 255;

inline int CellOf(int r, int g, int b) { return (r >> 3) * 2048 + (g >> 2) * 32 + (b >> 3); }

// Inclusive bounds in histogram steps: red and blue 0..31, green 0..63.
struct Box {
  std::array<std::uint8_t, 3> low{};
  std::array<std::uint8_t, 3> high{};
};

void ShrinkBox(Box& box, const std::vector<std::uint8_t>& histogram) {
  std::array<int, 3> lo = {255, 255, 255}, hi = {-1, -1, -1};
  for (int r = box.low[0]; r <= box.high[0]; ++r) {
    for (int g = box.low[1]; g <= box.high[1]; ++g) {
      const int base = r * 2048 + g * 32;
      for (int b = box.low[2]; b <= box.high[2]; ++b) {
        if (!histogram[base + b]) continue;
        lo = {std::min(lo[0], r), std::min(lo[1], g), std::min(lo[2], b)};
        hi = {std::max(hi[0], r), std::max(hi[1], g), std::max(hi[2], b)};
      }
    }
  }
  if (hi[0] < 0) return;  // nothing inside: an empty picture keeps its box
  for (int i = 0; i < 3; ++i) {
    box.low[i] = static_cast<std::uint8_t>(lo[i]);
    box.high[i] = static_cast<std::uint8_t>(hi[i]);
  }
}

// Reads source pixels as red, green, blue whatever their depth (8 with palette, 24, 32).
struct SourceReader {
  const TFastDIB& src;
  void operator()(int y, int x, int& r, int& g, int& b) const {
    const std::uint8_t* p = src.Rows[y];
    switch (src.BitCount()) {
      case 8:
        r = src.ColorR(p[x]);
        g = src.ColorG(p[x]);
        b = src.ColorB(p[x]);
        break;
      case 24:
        b = p[3 * x];
        g = p[3 * x + 1];
        r = p[3 * x + 2];
        break;
      default:
        b = p[4 * x];
        g = p[4 * x + 1];
        r = p[4 * x + 2];
        break;
    }
  }
};

// Serpentine error diffusion over a picture: accumulators at sixteen times the pixel scale,
// entry x + 1 for column x, guards at 0 and width + 1. `quantise` turns a clamped colour into
// its level and returns the level's colour, from which the error follows.
template <typename Quantise>
void Diffuse(const TFastDIB& src, Quantise quantise) {
  const int width = src.Width(), height = src.Height();
  const SourceReader read{src};
  std::vector<std::array<int, 3>> current(static_cast<std::size_t>(width) + 2);
  std::vector<std::array<int, 3>> next(static_cast<std::size_t>(width) + 2);
  const auto load = [&](std::vector<std::array<int, 3>>& row, int y) {
    std::fill(row.begin(), row.end(), std::array<int, 3>{0, 0, 0});
    for (int x = 0; x < width; ++x) {
      int r, g, b;
      read(y, x, r, g, b);
      row[x + 1] = {r * 16, g * 16, b * 16};
    }
  };
  if (height > 0) load(current, 0);
  for (int y = 0; y < height; ++y) {
    if (y + 1 < height) {
      load(next, y + 1);
    } else {
      std::fill(next.begin(), next.end(), std::array<int, 3>{0, 0, 0});
    }
    const int dir = (y & 1) ? -1 : 1;
    for (int i = 0; i < width; ++i) {
      const int x = dir > 0 ? i : width - 1 - i;
      std::array<int, 3> value;
      for (int c = 0; c < 3; ++c) value[c] = std::clamp(current[x + 1][c] / 16, 0, 255);
      const std::array<int, 3> level = quantise(y, x, value);
      for (int c = 0; c < 3; ++c) {
        const int e = value[c] - level[c];
        if (e == 0) continue;
        current[x + 1 + dir][c] += 7 * e;
        next[x + 1 - dir][c] += 3 * e;
        next[x + 1][c] += 5 * e;
        next[x + 1 + dir][c] += e;
      }
    }
    std::swap(current, next);
  }
}

}  // namespace

void QuantizeFastDIB(TFastDIB& dst, const TFastDIB& src, std::uint8_t colourLimit, bool dither) {
  const int width = src.Width(), height = src.Height();
  const SourceReader read{src};
  std::vector<std::uint8_t> histogram(kHistogramCells, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int r, g, b;
      read(y, x, r, g, b);
      histogram[CellOf(r, g, b)] = 1;
    }
  }

  std::vector<Box> boxes(1);
  boxes[0].high = {31, 63, 31};
  ShrinkBox(boxes[0], histogram);
  int n = 0;
  while (n < colourLimit) {
    int best = 1, chosen = -1, side = 0;
    for (int k = 0; k <= n; ++k) {
      for (int c = 0; c < 3; ++c) {
        const int length = boxes[k].high[c] - boxes[k].low[c];
        if (length > best) {
          best = length;
          chosen = k;
          side = c;
        }
      }
    }
    if (chosen < 0) break;
    ++n;
    boxes.push_back(boxes[chosen]);
    const int mid = (boxes[chosen].low[side] + boxes[chosen].high[side]) >> 1;
    boxes[chosen].high[side] = static_cast<std::uint8_t>(mid);
    boxes[n].low[side] = static_cast<std::uint8_t>(mid + 1);
    ShrinkBox(boxes[n], histogram);
    ShrinkBox(boxes[chosen], histogram);
  }

  std::fill(dst.Info.colors.begin(), dst.Info.colors.end(), 0u);
  std::vector<std::array<int, 3>> entries(static_cast<std::size_t>(n) + 1);
  if (dither) std::fill(histogram.begin(), histogram.end(), kUncoveredCell);
  for (int k = 0; k <= n; ++k) {
    const Box& box = boxes[k];
    entries[k] = {static_cast<std::uint8_t>((box.low[0] + box.high[0]) * 4),
                  static_cast<std::uint8_t>((box.low[1] + box.high[1]) * 2),
                  static_cast<std::uint8_t>((box.low[2] + box.high[2]) * 4)};
    dst.SetColor(k, static_cast<std::uint8_t>(entries[k][0]), static_cast<std::uint8_t>(entries[k][1]),
                 static_cast<std::uint8_t>(entries[k][2]));
    for (int r = box.low[0]; r <= box.high[0]; ++r) {
      for (int g = box.low[1]; g <= box.high[1]; ++g) {
        std::fill_n(histogram.begin() + r * 2048 + g * 32 + box.low[2], box.high[2] - box.low[2] + 1,
                    static_cast<std::uint8_t>(k));
      }
    }
  }

  if (!dither) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        int r, g, b;
        read(y, x, r, g, b);
        dst.Rows[y][x] = histogram[CellOf(r, g, b)];
      }
    }
    return;
  }
  Diffuse(src, [&](int y, int x, const std::array<int, 3>& v) {
    std::uint8_t& cell = histogram[CellOf(v[0], v[1], v[2])];
    if (cell == kUncoveredCell) {
      // Outside every box (or box 255): the nearest entry, highest index on equal distance.
      int bestIndex = n;
      long bestDistance = -1;
      for (int k = n; k >= 0; --k) {
        const long dr = v[0] - entries[k][0], dg = v[1] - entries[k][1], db = v[2] - entries[k][2];
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
          bestDistance = distance;
          bestIndex = k;
        }
      }
      cell = static_cast<std::uint8_t>(bestIndex);
    }
    dst.Rows[y][x] = cell;
    return entries[cell];
  });
}

void DitherTo16(TFastDIB& dst, const TFastDIB& src) {
  const int bits[3] = {dst.Format / 100 % 10, dst.Format / 10 % 10, dst.Format % 10};
  int maximum[3], loss[3], lossMask[3], threshold[3];
  for (int c = 0; c < 3; ++c) {
    maximum[c] = (1 << bits[c]) - 1;
    loss[c] = 8 - bits[c];
    lossMask[c] = (1 << loss[c]) - 1;
    threshold[c] = (1 << (7 - bits[c])) - 1;
  }
  Diffuse(src, [&](int y, int x, const std::array<int, 3>& v) {
    std::array<int, 3> index, level;
    for (int c = 0; c < 3; ++c) {
      index[c] = v[c] >> loss[c];
      if ((v[c] & lossMask[c]) > threshold[c] && index[c] < maximum[c]) ++index[c];
      level[c] = index[c] << loss[c];
    }
    const std::uint32_t w = (static_cast<std::uint32_t>(index[0]) << (bits[1] + bits[2])) |
                            (static_cast<std::uint32_t>(index[1]) << bits[2]) |
                            static_cast<std::uint32_t>(index[2]);
    dst.Rows[y][2 * x] = static_cast<std::uint8_t>(w);
    dst.Rows[y][2 * x + 1] = static_cast<std::uint8_t>(w >> 8);
    return level;
  });
}

}  // namespace vorn
