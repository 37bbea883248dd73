// The masked and translucent 32-bit blits on rows long enough for every vector step, with masks
// made of long transparent and opaque runs: each result against a per-channel model written here,
// with the vector loops on and off.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "graphics/dib_surface.h"
#include "graphics/dibx.h"
#include "graphics/vector_unit.h"

namespace vorn {
namespace {

using u32 = std::uint32_t;

// floor(((255 - w) x d + w x s) / 256) in each of the channel bytes selected by keep.
u32 ModelBlend(u32 d, u32 s, u32 w, u32 keep) {
  u32 out = 0;
  for (int b = 0; b < 4; ++b) {
    if (((keep >> (8 * b)) & 0xFF) == 0) continue;
    const u32 dv = (d >> (8 * b)) & 0xFF;
    const u32 sv = (s >> (8 * b)) & 0xFF;
    out |= ((dv * (255 - w) + sv * w) / 256) << (8 * b);
  }
  return out;
}

u32 ModelAdd(u32 d, u32 s, u32 w) {
  u32 out = 0;
  for (int b = 0; b < 3; ++b) {
    const u32 v = ((d >> (8 * b)) & 0xFF) + (((s >> (8 * b)) & 0xFF) * w) / 256;
    out |= (v > 255 ? 255 : v) << (8 * b);
  }
  return out;
}

// Masks with runs of 0 and 255 at both row ends and in the middle; lead and trail give the
// lengths of the end runs.
std::vector<std::uint8_t> MaskRow(int width, int lead, int trail, std::uint8_t leadValue,
                                  std::uint8_t trailValue, std::mt19937& gen) {
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width));
  static const std::uint8_t kLevels[] = {0, 1, 127, 128, 254, 255};
  for (auto& m : row) {
    const int pick = static_cast<int>(gen() % 8);
    m = pick < 6 ? kLevels[pick] : static_cast<std::uint8_t>(gen());
  }
  // A long run in the middle of the wide rows.
  if (width > 40)
    for (int x = width / 3; x < width / 3 + 37; ++x) row[static_cast<std::size_t>(x)] = (x & 64) ? 255 : 0;
  for (int x = 0; x < lead && x < width; ++x) row[static_cast<std::size_t>(x)] = leadValue;
  for (int x = 0; x < trail && x < width; ++x) row[static_cast<std::size_t>(width - 1 - x)] = trailValue;
  return row;
}

struct Picture {
  int w = 0, h = 0;
  std::vector<u32> px;
  u32& at(int x, int y) { return px[static_cast<std::size_t>(y * w + x)]; }
};

Picture RandomPicture(int w, int h, std::mt19937& gen) {
  Picture p{w, h, std::vector<u32>(static_cast<std::size_t>(w * h))};
  for (auto& v : p.px) v = gen() % 5 == 0 ? 0x00808080u : static_cast<u32>(gen());
  return p;
}

void Load(TDIBX& surface, const Picture& p) {
  surface.SetSize(p.w, p.h, 32);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) surface.SetPixel(x, y, p.px[static_cast<std::size_t>(y * p.w + x)]);
}

Picture Read(TDIBX& surface) {
  Picture p{surface.GetWidth(), surface.GetHeight(), {}};
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) p.px.push_back(surface.GetPixel(x, y));
  return p;
}

enum class Op { Mask, MaskOpacity, MaskAdd };

// One blit of the whole source at (x, y), flipped vertically or not, in the model.
void Model(Picture& dest, Picture& src, Picture& mask, int x, int y, bool flipV, Op op, u32 opacity) {
  const u32 full = op == Op::MaskAdd ? std::min<u32>(opacity, 256) : std::min<u32>(opacity, 255);
  for (int j = 0; j < src.h; ++j)
    for (int i = 0; i < src.w; ++i) {
      const int dx = x + i, dy = y + j;
      if (dx < 0 || dy < 0 || dx >= dest.w || dy >= dest.h) continue;
      const int sy = flipV ? src.h - 1 - j : j;
      u32& d = dest.at(dx, dy);
      const u32 s = src.at(i, sy);
      const u32 m = mask.at(i, sy);
      if (m == 0) continue;
      switch (op) {
        case Op::Mask:
          if (m == 255) d = s;
          else if (d != s) d = ModelBlend(d, s, m, 0x00FFFFFF);
          break;
        case Op::MaskOpacity:
          if (d != s) d = ModelBlend(d, s, m == 255 ? full : full * m / 256, 0x00FFFFFF);
          break;
        case Op::MaskAdd:
          d = ModelAdd(d, s, m == 255 ? full : full * m / 256);
          break;
      }
    }
}

struct RowCase {
  const char* name;
  Op op;
  u32 opacity;
};

const RowCase kOps[] = {
    {"Mask", Op::Mask, 255},          {"MaskOpacity1", Op::MaskOpacity, 1},
    {"MaskOpacity128", Op::MaskOpacity, 128}, {"MaskOpacity255", Op::MaskOpacity, 255},
    {"MaskAdd1", Op::MaskAdd, 1},     {"MaskAdd200", Op::MaskAdd, 200},
    {"MaskAdd256", Op::MaskAdd, 256}, {"MaskAdd999", Op::MaskAdd, 999},
};

TEST(BlitMaskRows, LongRowsWithRunsAtBothEndsMatchTheModel) {
  std::mt19937 gen(4242);
  for (const RowCase& op : kOps)
    for (bool vector : {true, false})
      for (int width : {1, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 33, 63, 131}) {
        const int run = static_cast<int>(gen() % 18);
        const int trail = static_cast<int>(gen() % 18);
        const std::uint8_t leadValue = gen() % 2 ? 255 : 0;
        const std::uint8_t trailValue = gen() % 2 ? 255 : 0;
        const int height = 3;
        Picture src = RandomPicture(width, height, gen);
        Picture dst = RandomPicture(width + 6, height + 2, gen);
        // Some destination pixels equal their source pixels.
        for (int i = 0; i < width; i += 5) dst.at(2 + i, 1) = src.at(i, 0);
        Picture mask{width, height, {}};
        for (int y = 0; y < height; ++y) {
          const auto row = MaskRow(width, run, trail, leadValue, trailValue, gen);
          mask.px.insert(mask.px.end(), row.begin(), row.end());
        }
        for (int placement = 0; placement < 3; ++placement) {
          // Inside, cut at the left, cut at the right (the clip edges).
          const int x = placement == 0 ? 2 : placement == 1 ? -(width / 2) - 1 : width / 2 + 4;
          const bool flipV = placement == 1;
          TDIBX d, s, m;
          Load(d, dst);
          Load(s, src);
          m.SetSize(width, height, 8);
          for (int y = 0; y < height; ++y)
            for (int i = 0; i < width; ++i) m.SetPixel(i, y, mask.at(i, y));
          {
            ScopedVectorUnitOverride flag(vector);
            switch (op.op) {
              case Op::Mask:
                d.DrawMask(x, 1, s, s.GetBoundsRect(), false, flipV, &m);
                break;
              case Op::MaskOpacity:
                d.DrawMaskOpacity(x, 1, s, s.GetBoundsRect(), false, flipV, &m, op.opacity);
                break;
              case Op::MaskAdd:
                d.DrawMaskAdd(x, 1, s, s.GetBoundsRect(), false, flipV, &m, op.opacity);
                break;
            }
          }
          Picture want = dst;
          Model(want, src, mask, x, 1, flipV, op.op, op.opacity);
          ASSERT_EQ(Read(d).px, want.px) << op.name << " vector " << vector << " width " << width
                                         << " runs " << run << "/" << trail << " x " << x;
        }
      }
}

// TDIBSurface: the alpha plane and the uniform opacity, at 32 bits.
void LoadSurface(TDIBSurface& s, const Picture& p) {
  s.SetSize(p.w, p.h, 32);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) s.SetPixel(x, y, p.px[static_cast<std::size_t>(y * p.w + x)]);
}

Picture ReadSurface(TDIBSurface& s) {
  Picture p{s.Width(), s.Height(), {}};
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) p.px.push_back(s.GetPixel(x, y));
  return p;
}

TEST(BlitMaskRows, SurfaceAlphaAndTranslucentRowsMatchTheModel) {
  std::mt19937 gen(777);
  for (bool vector : {true, false})
    for (int width : {1, 2, 4, 6, 8, 11, 16, 19, 40, 97}) {
      const int height = 2;
      Picture src = RandomPicture(width, height, gen);
      Picture dst = RandomPicture(width + 3, height, gen);
      Picture alpha{width, height, {}};
      for (int y = 0; y < height; ++y) {
        const auto row = MaskRow(width, static_cast<int>(gen() % 18), static_cast<int>(gen() % 18),
                                 255, 0, gen);
        alpha.px.insert(alpha.px.end(), row.begin(), row.end());
      }
      for (int x : {0, -3, width / 2 + 1}) {
        // The alpha plane: 0 keeps, 255 copies all four bytes, others blend three.
        {
          TDIBSurface d, s;
          LoadSurface(d, dst);
          LoadSurface(s, src);
          s.EnsureAlphaPlane();
          for (int y = 0; y < height; ++y)
            for (int i = 0; i < width; ++i) s.Alpha()->SetPixel(i, y, alpha.at(i, y));
          {
            ScopedVectorUnitOverride flag(vector);
            d.DrawAlpha(x, 0, s, s.GetBoundsRect(), 255);
          }
          Picture want = dst;
          for (int y = 0; y < height; ++y)
            for (int i = 0; i < width; ++i) {
              if (x + i < 0 || x + i >= want.w) continue;
              const u32 a = alpha.at(i, y);
              u32& t = want.at(x + i, y);
              if (a == 255) t = src.at(i, y);
              else if (a != 0) t = ModelBlend(t, src.at(i, y), a, 0x00FFFFFF);
            }
          ASSERT_EQ(ReadSurface(d).px, want.px) << "alpha vector " << vector << " width " << width << " x " << x;
        }
        // Uniform opacity, with and without a key.
        for (int key : {-1, static_cast<int>(src.at(0, 0) & 0x7FFFFFFF)}) {
          if (key >= 0) src.at(0, 0) = static_cast<u32>(key);
          for (int opacity : {1, 100, 128, 254}) {
            TDIBSurface d, s;
            LoadSurface(d, dst);
            LoadSurface(s, src);
            {
              ScopedVectorUnitOverride flag(vector);
              d.DrawTranslucent(x, 0, s, s.GetBoundsRect(), key, opacity);
            }
            Picture want = dst;
            for (int y = 0; y < height; ++y)
              for (int i = 0; i < width; ++i) {
                if (x + i < 0 || x + i >= want.w) continue;
                if (key >= 0 && src.at(i, y) == static_cast<u32>(key)) continue;
                u32& t = want.at(x + i, y);
                t = ModelBlend(t, src.at(i, y), static_cast<u32>(opacity), 0x00FFFFFF);
              }
            ASSERT_EQ(ReadSurface(d).px, want.px)
                << "translucent vector " << vector << " width " << width << " x " << x << " opacity " << opacity
                << " key " << key;
          }
        }
      }
    }
}

TEST(BlitMaskRows, FillRectOpacityOnWideRowsMatchesTheModel) {
  std::mt19937 gen(99);
  for (bool vector : {true, false})
    for (int width : {1, 5, 8, 13, 37}) {
      Picture dst = RandomPicture(width, 3, gen);
      const u32 color = 0xA1B2C3D4u;
      dst.at(0, 1) = color;
      dst.at(width - 1, 2) = color;
      for (u32 opacity : {1u, 128u, 255u, 600u}) {
        TDIBX d;
        Load(d, dst);
        {
          ScopedVectorUnitOverride flag(vector);
          d.FillRectOpacity(TRect{-1, 0, width + 2, 3}, color, opacity);
        }
        Picture want = dst;
        const u32 w = std::min<u32>(opacity, 255);
        for (u32& t : want.px)
          if (t != color) t = ModelBlend(t, color, w, 0xFFFFFFFF);
        ASSERT_EQ(Read(d).px, want.px) << "vector " << vector << " width " << width << " opacity " << opacity;
      }
    }
}

}  // namespace
}  // namespace vorn
