// Randomised differential test: the drawing operations against a naive model written here from
// the rules alone (plain arrays, one pixel at a time, clip maths and 16.16 steps taken literally,
// nothing shared with the production code), on bottom-up and top-down surfaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "graphics/dibx.h"
#include "graphics/memory_dibx.h"
#include "graphics/vector_unit.h"

namespace vorn {
namespace {

using i64 = std::int64_t;
using u32 = std::uint32_t;

struct Masks {
  u32 r, g, b;
};

Masks MasksOf(int bits) {
  if (bits == 15) return {0x7C00, 0x03E0, 0x001F};
  if (bits == 16) return {0xF800, 0x07E0, 0x001F};
  return {0xFF0000, 0xFF00, 0xFF};
}

u32 RawMask(int bits) {
  switch (bits) {
    case 8:
      return 0xFF;
    case 15:
    case 16:
      return 0xFFFF;
    case 24:
      return 0xFFFFFF;
    default:
      return 0xFFFFFFFF;
  }
}

struct Img {
  int w = 0, h = 0, bits = 32;
  std::vector<u32> px;
  std::int32_t key = -1;
  TRect dirty{};
  u32& at(i64 x, i64 y) { return px[static_cast<std::size_t>(y * w + x)]; }
};

// The clip rectangle: the dirty rectangle (when Right is not 0) within the surface.
TRect Limit(const Img& d) {
  TRect c = d.dirty.right != 0 ? d.dirty : TRect{0, 0, d.w, d.h};
  c.left = std::max(c.left, 0);
  c.top = std::max(c.top, 0);
  c.right = std::min(c.right, d.w);
  c.bottom = std::min(c.bottom, d.h);
  return c;
}

u32 ChanBlend(u32 d, u32 s, u32 w, u32 m) { return (((255 - w) * (d & m) + w * (s & m)) >> 8) & m; }
u32 RefBlend(u32 d, u32 s, u32 w, int bits) {
  Masks k = MasksOf(bits);
  return ChanBlend(d, s, w, k.r) | ChanBlend(d, s, w, k.g) | ChanBlend(d, s, w, k.b);
}
u32 RefBlend4(u32 d, u32 s, u32 w) {
  u32 out = 0;
  for (int i = 0; i < 4; ++i) {
    u32 dv = (d >> (8 * i)) & 255, sv = (s >> (8 * i)) & 255;
    out |= (((255 - w) * dv + w * sv) >> 8) << (8 * i);
  }
  return out;
}
u32 RefWAdd(u32 d, u32 s, u32 w, int bits) {
  Masks k = MasksOf(bits);
  u32 out = 0;
  for (u32 m : {k.r, k.g, k.b}) {
    u32 a = (d & m) + (((w * (s & m)) >> 8) & m);
    out |= a > m ? m : (a & m);
  }
  return out;
}

bool IsVec(int bits) { return bits == 15 || bits == 16 || bits == 32; }

// The one-to-one blit frame: source rectangle cut to the source (moving the destination), then
// the destination clip of the blit clipping rules with flips.
template <class F>
void RefBlit(Img& d, Img& s, int x, int y, TRect sr, bool fh, bool fv, F&& pixel) {
  i64 X = x, Y = y;
  i64 sl = sr.left, st = sr.top, srr = sr.right, sb = sr.bottom;
  if (sl < 0) { if (!fh) X += -sl; sl = 0; }
  if (srr > s.w) { if (fh) X += srr - s.w; srr = s.w; }
  if (st < 0) { if (!fv) Y += -st; st = 0; }
  if (sb > s.h) { if (fv) Y += sb - s.h; sb = s.h; }
  if (sl >= srr || st >= sb) return;
  const TRect c = Limit(d);
  i64 dl = X, dt = Y;
  if (dl < c.left) { i64 k = c.left - dl; if (fh) srr -= k; else sl += k; dl = c.left; }
  if (dt < c.top) { i64 k = c.top - dt; if (fv) sb -= k; else st += k; dt = c.top; }
  if (dl + (srr - sl) > c.right) { if (fh) sl = srr - (c.right - dl); else srr = sl + (c.right - dl); }
  if (dt + (sb - st) > c.bottom) { if (fv) st = sb - (c.bottom - dt); else sb = st + (c.bottom - dt); }
  if (sl >= srr || st >= sb) return;
  for (i64 j = 0; j < sb - st; ++j)
    for (i64 i = 0; i < srr - sl; ++i) {
      i64 sx = fh ? srr - 1 - i : sl + i;
      i64 sy = fv ? sb - 1 - j : st + j;
      pixel(d.at(dl + i, dt + j), s.at(sx, sy), sx, sy);
    }
}


// ---- production side ----

std::unique_ptr<TCustomDIBX> Make(const Img& img, bool bottomUp) {
  std::unique_ptr<TCustomDIBX> s;
  if (bottomUp) s = std::make_unique<TDIBX>(); else s = std::make_unique<TMemoryDIBX>();
  s->SetSize(img.w, img.h, img.bits);
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) s->SetPixel(x, y, img.px[static_cast<std::size_t>(y * img.w + x)]);
  s->ColorKey = img.key;
  s->SetDirtyRect(img.dirty);
  return s;
}

std::vector<u32> Pixels(TCustomDIBX& s) {
  std::vector<u32> out;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) out.push_back(s.GetPixel(x, y));
  return out;
}

class Random {
 public:
  explicit Random(unsigned seed) : gen_(seed) {}
  int In(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen_); }
  bool Coin() { return In(0, 1) == 1; }
  u32 Pixel(int bits) {
    // Few distinct values, so that equal pixels and keys occur.
    static const u32 kPool[] = {0, 0xFFFFFFFF, 0x00FF00FF, 0x12345678, 0x7C1F7C1F, 0x00808080};
    u32 v = In(0, 3) == 0 ? static_cast<u32>(gen_()) : kPool[In(0, 5)];
    return v & RawMask(bits);
  }
  Img Surface(int bits, int maxSide) {
    Img img;
    img.bits = bits;
    img.w = In(1, maxSide);
    img.h = In(1, maxSide);
    img.px.resize(static_cast<std::size_t>(img.w * img.h));
    for (auto& p : img.px) p = Pixel(bits);
    if (Coin()) img.key = static_cast<std::int32_t>(img.px[static_cast<std::size_t>(In(0, img.w * img.h - 1))]);
    if (In(0, 2) == 0) img.dirty = TRect{In(-2, 6), In(-2, 6), In(0, 10), In(0, 10)};
    return img;
  }
  Img Mask(int w, int h) {
    Img m;
    m.bits = 8;
    m.w = w + In(-1, 1);
    m.h = h + In(-1, 1);
    if (m.w < 1) m.w = 1;
    if (m.h < 1) m.h = 1;
    m.px.resize(static_cast<std::size_t>(m.w * m.h));
    static const u32 kLevels[] = {0, 127, 128, 255, 1, 200};
    for (auto& p : m.px) p = kLevels[In(0, 5)];
    return m;
  }
  TRect Rect(int w, int h) { return TRect{In(-3, w), In(-3, h), In(-2, w + 3), In(-2, h + 3)}; }
  u32 Opacity() {
    static const u32 kOps[] = {0, 1, 128, 254, 255, 256, 384, 511};
    return kOps[In(0, 7)];
  }

 private:
  std::mt19937 gen_;
};

const int kDepths[] = {8, 15, 16, 24, 32};

struct Case {
  Img dest, src, mask;
  bool hasMask = false;
  int x = 0, y = 0, dx = 0, dy = 0;
  TRect sr{}, dr{};
  bool fh = false, fv = false, useKey = false;
  u32 opacity = 0, value = 0;
};

using RefOp = std::function<void(Case&)>;
using ProdOp = std::function<void(TCustomDIBX&, TCustomDIBX&, TCustomDIBX*, const Case&)>;

void RunDifferential(const char* name, int cases, const RefOp& ref, const ProdOp& prod) {
  Random rnd(0xC0FFEEu ^ static_cast<unsigned>(std::hash<std::string>()(name)));
  for (int n = 0; n < cases; ++n) {
    Case c;
    const int bits = kDepths[rnd.In(0, 4)];
    c.dest = rnd.Surface(bits, 9);
    c.src = rnd.Surface(bits, 7);
    c.sr = rnd.Coin() ? TRect{0, 0, c.src.w, c.src.h} : rnd.Rect(c.src.w, c.src.h);
    c.dr = rnd.Rect(c.dest.w + 3, c.dest.h + 3);
    c.mask = rnd.Mask(c.src.w, c.src.h);
    c.hasMask = rnd.In(0, 9) != 0;
    c.x = rnd.In(-5, c.dest.w + 2);
    c.y = rnd.In(-5, c.dest.h + 2);
    c.dx = rnd.In(-4, c.dest.w + 3);
    c.dy = rnd.In(-4, c.dest.h + 3);
    c.fh = rnd.Coin();
    c.fv = rnd.Coin();
    c.useKey = rnd.Coin();
    c.opacity = rnd.Opacity();
    c.value = rnd.Pixel(bits);
    const bool bottomUp = rnd.Coin();
    const bool vector = rnd.Coin();
    auto d = Make(c.dest, bottomUp);
    auto s = Make(c.src, !bottomUp);
    auto m = Make(c.mask, rnd.Coin());
    {
      ScopedVectorUnitOverride flag(vector);
      prod(*d, *s, c.hasMask ? m.get() : nullptr, c);
    }
    ref(c);
    const auto got = Pixels(*d);
    if (got != c.dest.px) {
      ADD_FAILURE() << name << " case " << n << " bits " << bits << " x " << c.x << " y " << c.y
                    << " src " << c.sr.left << "," << c.sr.top << "," << c.sr.right << ","
                    << c.sr.bottom << " flips " << c.fh << c.fv << " opacity " << c.opacity
                    << " key " << c.src.key << " useKey " << c.useKey;
      return;
    }
  }
}

TEST(BlitReference, OneToOneBlits) {
  RunDifferential(
      "DrawRect", 3000,
      [](Case& c) {
        bool keyed = c.useKey && c.src.key != -1;
        u32 kv = static_cast<u32>(c.src.key) & RawMask(c.src.bits);
        RefBlit(c.dest, c.src, c.x, c.y, c.sr, c.fh, c.fv, [&](u32& d, u32 s, i64, i64) {
          if (keyed && s == kv) return;
          d = s;
        });
      },
      [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX*, const Case& c) {
        d.DrawRect(c.x, c.y, s, c.sr, c.useKey, c.fh, c.fv);
      });
  RunDifferential(
      "DrawMask", 3000,
      [](Case& c) {
        if (!c.hasMask) return;
        // The mask must cover the clipped source rectangle; check it with the final one.
        Img& m = c.mask;
        int bits = c.dest.bits;
        bool covers = true;
        RefBlit(c.dest, c.src, c.x, c.y, c.sr, c.fh, c.fv, [&](u32&, u32, i64 sx, i64 sy) {
          if (sx >= m.w || sy >= m.h) covers = false;
        });
        if (!covers) return;
        RefBlit(c.dest, c.src, c.x, c.y, c.sr, c.fh, c.fv, [&](u32& d, u32 s, i64 sx, i64 sy) {
          u32 mv = m.at(sx, sy);
          if (mv == 0) return;
          if (mv == 255) { d = s; return; }
          if (IsVec(bits) && d == s) return;
          d = RefBlend(d, s, mv, bits);
        });
      },
      [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX* m, const Case& c) {
        d.DrawMask(c.x, c.y, s, c.sr, c.fh, c.fv, m);
      });
  RunDifferential(
      "DrawOpacity", 3000,
      [](Case& c) {
        if (c.opacity == 0) return;
        int bits = c.dest.bits;
        u32 w = std::min<u32>(c.opacity, 255);
        bool keyed = (bits == 32 ? c.useKey : true) && c.src.key != -1;
        u32 kv = static_cast<u32>(c.src.key) & RawMask(bits);
        RefBlit(c.dest, c.src, c.x, c.y, c.sr, c.fh, c.fv, [&](u32& d, u32 s, i64, i64) {
          if ((keyed && s == kv) || s == d) return;
          d = bits == 32 ? RefBlend4(d, s, w) : RefBlend(d, s, w, bits);
        });
      },
      [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX*, const Case& c) {
        d.DrawOpacity(c.x, c.y, s, c.sr, c.useKey, c.fh, c.fv, c.opacity);
      });
  RunDifferential(
      "DrawAdd", 3000,
      [](Case& c) {
        if (c.opacity == 0) return;
        int bits = c.dest.bits;
        u32 w = std::min<u32>(c.opacity, 256);
        bool keyed = c.src.key != -1;
        u32 kv = static_cast<u32>(c.src.key) & RawMask(bits);
        RefBlit(c.dest, c.src, c.x, c.y, c.sr, c.fh, c.fv, [&](u32& d, u32 s, i64, i64) {
          if (keyed && s == kv) return;
          d = bits == 8 ? std::min<u32>(s + d, 255) : RefWAdd(d, s, w, bits);
        });
      },
      [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX*, const Case& c) {
        d.DrawAdd(c.x, c.y, s, c.sr, c.useKey, c.fh, c.fv, c.opacity);
      });
  auto maskedRef = [](bool add) {
    return [add](Case& c) {
      if (c.opacity == 0 || !c.hasMask) return;
      Img& m = c.mask;
      int bits = c.dest.bits;
      bool covers = true;
      RefBlit(c.dest, c.src, c.x, c.y, c.sr, c.fh, c.fv, [&](u32&, u32, i64 sx, i64 sy) {
        if (sx >= m.w || sy >= m.h) covers = false;
      });
      if (!covers) return;
      u32 full = std::min<u32>(c.opacity, add ? 256 : 255);
      RefBlit(c.dest, c.src, c.x, c.y, c.sr, c.fh, c.fv, [&](u32& d, u32 s, i64 sx, i64 sy) {
        u32 mv = m.at(sx, sy);
        if (mv == 0) return;
        if (!add && IsVec(bits) && d == s) return;
        u32 w = (bits == 32 && mv == 255) ? full : (full * mv) >> 8;
        d = add ? RefWAdd(d, s, w, bits) : RefBlend(d, s, w, bits);
      });
    };
  };
  RunDifferential("DrawMaskOpacity", 3000, maskedRef(false),
                  [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX* m, const Case& c) {
                    d.DrawMaskOpacity(c.x, c.y, s, c.sr, c.fh, c.fv, m, c.opacity);
                  });
  RunDifferential("DrawMaskAdd", 3000, maskedRef(true),
                  [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX* m, const Case& c) {
                    d.DrawMaskAdd(c.x, c.y, s, c.sr, c.fh, c.fv, m, c.opacity);
                  });
}

// Fills: every pixel of the rectangle within the clip.
template <class F>
void RefFill(Img& d, TRect r, F&& f) {
  TRect c = Limit(d);
  for (i64 y = std::max(r.top, c.top); y < std::min(r.bottom, c.bottom); ++y)
    for (i64 x = std::max(r.left, c.left); x < std::min(r.right, c.right); ++x) f(d.at(x, y));
}

TEST(BlitReference, Fills) {
  RunDifferential(
      "FillRect", 2000,
      [](Case& c) {
        u32 v = c.value & RawMask(c.dest.bits);
        RefFill(c.dest, c.dr, [&](u32& d) { d = v; });
      },
      [](TCustomDIBX& d, TCustomDIBX&, TCustomDIBX*, const Case& c) { d.FillRect(c.dr, c.value); });
  RunDifferential(
      "FillRectOpacity", 2000,
      [](Case& c) {
        if (c.opacity == 0) return;
        int bits = c.dest.bits;
        u32 w = std::min<u32>(c.opacity, 255);
        RefFill(c.dest, c.dr, [&](u32& d) {
          if (d == c.value) return;
          d = bits == 32 ? RefBlend4(d, c.value, w) : RefBlend(d, c.value, w, bits);
        });
      },
      [](TCustomDIBX& d, TCustomDIBX&, TCustomDIBX*, const Case& c) {
        d.FillRectOpacity(c.dr, c.value, c.opacity);
      });
  RunDifferential(
      "AddColorRect", 2000,
      [](Case& c) {
        int bits = c.dest.bits;
        RefFill(c.dest, c.dr, [&](u32& d) {
          if (bits == 32) {
            u32 out = 0;
            for (int i = 0; i < 4; ++i)
              out |= std::min<u32>(((d >> (8 * i)) & 255) + ((c.value >> (8 * i)) & 255), 255) << (8 * i);
            d = out;
            return;
          }
          Masks k = MasksOf(bits);
          u32 out = 0;
          for (u32 m : {k.r, k.g, k.b}) {
            u32 a = (d & m) + (c.value & m);
            out |= a > m ? m : a;
          }
          d = out;
        });
      },
      [](TCustomDIBX& d, TCustomDIBX&, TCustomDIBX*, const Case& c) { d.AddColorRect(c.dr, c.value); });
}

TEST(BlitReference, Stretch) {
  auto ref = [](bool add) {
    return [add](Case& c) {
      if (c.opacity == 0) return;
      i64 dl = c.dr.left, dt = c.dr.top, drr = c.dr.right, db = c.dr.bottom;
      if (drr - dl < 1 || db - dt < 1) return;
      double stepX = double(i64(c.sr.right) - c.sr.left) / double(drr - dl);
      double stepY = double(i64(c.sr.bottom) - c.sr.top) / double(db - dt);
      double fracX = 0, fracY = 0;
      i64 sl = c.sr.left, st = c.sr.top, srr = c.sr.right, sb = c.sr.bottom;
      TRect cl = Limit(c.dest);
      if (dl < cl.left) {
        double t = (cl.left - dl) * stepX;
        fracX = t - std::trunc(t);
        if (c.fh) srr -= i64(std::trunc(t)); else sl += i64(std::trunc(t));
        dl = cl.left;
      }
      if (dt < cl.top) {
        double t = (cl.top - dt) * stepY;
        fracY = t - std::trunc(t);
        if (c.fv) sb -= i64(std::trunc(t)); else st += i64(std::trunc(t));
        dt = cl.top;
      }
      if (cl.right < drr) {
        double t = (cl.right - dl) * stepX;
        if (c.fh) sl = srr - i64(std::trunc(t)); else srr = sl + i64(std::trunc(t));
        drr = cl.right;
      }
      if (cl.bottom < db) {
        double t = (cl.bottom - dt) * stepY;
        if (c.fv) st = sb - i64(std::trunc(t)); else sb = st + i64(std::trunc(t));
        db = cl.bottom;
      }
      if (!(dl < drr && dt < db)) return;
      if (c.fh) stepX = -stepX;
      if (c.fv) stepY = -stepY;
      i64 sx16 = i64(std::trunc(stepX * 65536)), sy16 = i64(std::trunc(stepY * 65536));
      i64 fx = i64(std::trunc(fracX * 65536)), fy = i64(std::trunc(fracY * 65536));
      i64 X0 = c.fh ? srr * 65536 - 1 - fx : sl * 65536 + fx;
      i64 Y = c.fv ? sb * 65536 - 1 - fy : st * 65536 + fy;
      int bits = c.dest.bits;
      bool keyed = c.useKey && c.src.key != -1;
      u32 kv = static_cast<u32>(c.src.key) & RawMask(bits);
      i64 lx = std::max(c.sr.left, 0), ly = std::max(c.sr.top, 0);
      i64 hx = std::min(c.sr.right, c.src.w), hy = std::min(c.sr.bottom, c.src.h);
      if (lx >= hx || ly >= hy) return;
      for (i64 y = dt; y < db; ++y, Y += sy16) {
        i64 sy = Y >> 16;
        if (sy < ly || sy >= hy) continue;
        i64 X = X0;
        for (i64 x = dl; x < drr; ++x, X += sx16) {
          i64 sx = X >> 16;
          if (sx < lx || sx >= hx) continue;
          u32 s = c.src.at(sx, sy);
          if (keyed && s == kv) continue;
          u32& d = c.dest.at(x, y);
          if (add) {
            d = RefWAdd(d, s, std::min<u32>(c.opacity, 256), bits);
          } else if (c.opacity >= 255) {
            d = s;
          } else {
            if (IsVec(bits) && d == s) continue;
            d = RefBlend(d, s, c.opacity, bits);
          }
        }
      }
    };
  };
  RunDifferential("StretchDraw", 3000, ref(false),
                  [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX*, const Case& c) {
                    d.StretchDraw(c.dr, s, c.sr, c.useKey, c.fh, c.fv, c.opacity);
                  });
  RunDifferential("StretchDrawAdd", 3000, ref(true),
                  [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX*, const Case& c) {
                    d.StretchDrawAdd(c.dr, s, c.sr, c.useKey, c.fh, c.fv, c.opacity);
                  });
}

TEST(BlitReference, FillPattern) {
  RunDifferential(
      "FillPattern", 2000,
      [](Case& c) {
        i64 dl = c.dr.left, dt = c.dr.top, drr = c.dr.right, db = c.dr.bottom;
        if (drr - dl <= 0 || db - dt <= 0) return;
        i64 ox = c.x, oy = c.y;
        TRect cl = Limit(c.dest);
        if (dl < cl.left) { ox += cl.left - dl; dl = cl.left; }
        if (dt < cl.top) { oy += cl.top - dt; dt = cl.top; }
        drr = std::min<i64>(drr, cl.right);
        db = std::min<i64>(db, cl.bottom);
        if (!(dl < drr && dt < db)) return;
        i64 W = c.src.w, H = c.src.h;
        i64 cx = ox % W; if (cx < 0) cx += W;
        i64 cy = oy % H; if (cy < 0) cy += H;
        // Literal runs: first run W - cx from the first column, then runs of W from the wrap.
        i64 row = c.fv ? H - cy - 1 : cy, rowLeft = H - cy;
        for (i64 y = dt; y < db; ++y) {
          i64 col = c.fh ? W - cx - 1 : cx, colLeft = W - cx;
          for (i64 x = dl; x < drr; ++x) {
            c.dest.at(x, y) = c.src.at(col, row);
            col += c.fh ? -1 : 1;
            if (--colLeft == 0) { col = c.fh ? W - 1 : 0; colLeft = W; }
          }
          row += c.fv ? -1 : 1;
          if (--rowLeft == 0) { row = c.fv ? H - 1 : 0; rowLeft = H; }
        }
      },
      [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX*, const Case& c) {
        d.FillPattern(c.dr, s, c.x, c.y, c.fh, c.fv);
      });
}

TEST(BlitReference, RotateAndZoom) {
  auto ref = [](Case& c) {
    const int bits = c.dest.bits;
    const int zoomX = c.x * 37 + 300, zoomY = c.y * 29 + 260;  // derived: varied, mostly positive
    const int angle = c.x * 13 + c.y * 7;
    const int pivotX = c.sr.left + 1, pivotY = c.sr.top;
    if (c.opacity == 0 || zoomX <= 0 || zoomY <= 0) return;
    if (!(bits == 15 || bits == 16 || bits == 24 || bits == 32)) return;
    const double zx = zoomX / 256.0, zy = zoomY / 256.0;
    const double th = angle * 2.0 * 3.14159265358979323846 / 256.0;
    const double cc = std::cos(-th), ss = std::sin(-th);
    const i64 dxx = i64(std::trunc(cc / zx * 65536)), dxy = i64(std::trunc(ss / zy * 65536));
    const i64 dyx = i64(std::trunc(-ss / zx * 65536)), dyy = i64(std::trunc(cc / zy * 65536));
    const double W = double(i64(c.sr.right) - c.sr.left), H = double(i64(c.sr.bottom) - c.sr.top);
    const double ox = zx * pivotX, oy = zy * pivotY;
    const double us[4] = {-ox, zx * W - ox - 1, -ox, zx * W - ox - 1};
    const double vs[4] = {-oy, -oy, zy * H - oy - 1, zy * H - oy - 1};
    double minU = 1e300, maxU = -1e300, minV = 1e300, maxV = -1e300;
    for (int i = 0; i < 4; ++i) {
      const double u = us[i] * std::cos(th) - vs[i] * std::sin(th) + c.dx;
      const double v = us[i] * std::sin(th) + vs[i] * std::cos(th) + c.dy;
      minU = std::min(minU, u); maxU = std::max(maxU, u);
      minV = std::min(minV, v); maxV = std::max(maxV, v);
    }
    const i64 L = i64(std::trunc(minU)), T = i64(std::trunc(minV));
    const i64 R = i64(std::trunc(maxU + 1)), B = i64(std::trunc(maxV + 1));
    const TRect cl = Limit(c.dest);
    if (!(L < cl.right && cl.left < R && T < cl.bottom && cl.top < B)) return;
    const i64 X0 = i64(pivotX) * 65536 + (L - c.dx) * dxx + (T - c.dy) * dyx;
    const i64 Y0 = i64(pivotY) * 65536 + (L - c.dx) * dxy + (T - c.dy) * dyy;
    const bool keyed = c.useKey && c.src.key != -1;
    const u32 kv = static_cast<u32>(c.src.key) & RawMask(bits);
    i64 rowX = X0, rowY = Y0;
    for (i64 y = T; y < B; ++y, rowX += dyx, rowY += dyy) {
      i64 X = rowX, Y = rowY;
      for (i64 x = L; x < R; ++x, X += dxx, Y += dxy) {
        if (y < cl.top || y >= cl.bottom || x < cl.left || x >= cl.right) continue;
        if (X < 0 || Y < 0) continue;
        i64 sx = X >> 16, sy = Y >> 16;
        if (c.fh) sx = c.sr.right - sx - 1;
        if (c.fv) sy = c.sr.bottom - sy - 1;
        if (!(c.sr.left <= sx && sx < c.sr.right && c.sr.top <= sy && sy < c.sr.bottom)) continue;
        if (sx < 0 || sy < 0 || sx >= c.src.w || sy >= c.src.h) continue;
        const u32 s = c.src.at(sx, sy);
        if (keyed && s == kv) continue;
        u32& d = c.dest.at(x, y);
        if (c.opacity == 255) d = s;
        else if (c.opacity < 255) d = RefBlend(d, s, c.opacity, bits);
        else d = RefWAdd(d, s, c.opacity & 255, bits);
      }
    }
  };
  RunDifferential("DrawRotate", 3000, ref, [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX*, const Case& c) {
    const int zoomX = c.x * 37 + 300, zoomY = c.y * 29 + 260;
    const int angle = c.x * 13 + c.y * 7;
    d.DrawRotate(c.dx, c.dy, zoomX, zoomY, s, c.sr, c.sr.left + 1, c.sr.top, angle, c.useKey,
                 c.fh, c.fv, c.opacity);
  });
}

TEST(BlitReference, TiledOneToOne) {
  // WrapPoint and the tile walk taken literally, each tile through the reference DrawRect.
  auto ref = [](Case& c) {
    const TRect sr = c.sr;
    const i64 w = i64(sr.right) - sr.left, h = i64(sr.bottom) - sr.top;
    if (w <= 0 || h <= 0) return;
    TRect work = Limit(c.dest);
    work.left = std::max(work.left, c.dr.left);
    work.top = std::max(work.top, c.dr.top);
    work.right = std::min(work.right, c.dr.right);
    work.bottom = std::min(work.bottom, c.dr.bottom);
    if (!(work.left < work.right && work.top < work.bottom)) return;
    auto wrap = [](i64 offset, i64 lo, i64 hi) {
      const i64 n = hi - lo;
      if (offset >= 0) return lo + offset % n;
      const i64 r = (-offset) % n;
      return r == 0 ? lo : hi - r;
    };
    const i64 sx = wrap(c.x, sr.left, sr.right), sy = wrap(c.y, sr.top, sr.bottom);
    const TRect saved = c.dest.dirty;
    c.dest.dirty = work;
    const int gapX = c.fh ? 2 : 0, gapY = c.fv ? 1 : 0;
    i64 y = c.dr.top, row = sy, rowH = sr.bottom - sy;
    while (y < c.dr.bottom) {
      const i64 hh = std::min(rowH, i64(c.dr.bottom) - y);
      i64 x = c.dr.left, col = sx, colW = sr.right - sx;
      while (x < c.dr.right) {
        const i64 ww = std::min(colW, i64(c.dr.right) - x);
        const bool keyed = c.useKey && c.src.key != -1;
        const u32 kv = static_cast<u32>(c.src.key) & RawMask(c.src.bits);
        RefBlit(c.dest, c.src, int(x), int(y), TRect{int(col), int(row), int(col + ww), int(row + hh)},
                false, false, [&](u32& d, u32 s, i64, i64) {
                  if (keyed && s == kv) return;
                  d = s;
                });
        x += colW + gapX;
        col = sr.left;
        colW = w;
      }
      y += rowH + gapY;
      row = sr.top;
      rowH = h;
    }
    c.dest.dirty = saved;
  };
  RunDifferential("DrawRectTiled", 2000, ref, [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX*, const Case& c) {
    d.DrawRectTiled(c.dr, c.fh ? 2 : 0, c.fv ? 1 : 0, s, c.sr, c.useKey, c.x, c.y);
  });
}

TEST(BlitReference, ScaledTiling) {
  auto ref = [](Case& c) {
    const int zoomX = 64 + (c.dx & 15) * 40, zoomY = 64 + (c.dy & 15) * 40;
    u32 w;
    int mode;  // 0 copy, 1 blend, 2 add
    if (c.opacity == 0) return;
    if (c.opacity < 255) { mode = 1; w = c.opacity; }
    else if (c.opacity == 255) { mode = 0; w = 255; }
    else { mode = 2; w = std::min<u32>(c.opacity - 256, 255); if (w == 0) return; }
    i64 dl = c.dr.left, dt = c.dr.top, drr = c.dr.right, db = c.dr.bottom;
    if (drr - dl <= 0 || db - dt <= 0) return;
    i64 ox = c.x, oy = c.y;
    const TRect cl = Limit(c.dest);
    if (dl < cl.left) { ox += cl.left - dl; dl = cl.left; }
    if (dt < cl.top) { oy += cl.top - dt; dt = cl.top; }
    drr = std::min<i64>(drr, cl.right);
    db = std::min<i64>(db, cl.bottom);
    if (!(dl < drr && dt < db)) return;
    const i64 W = c.src.w, H = c.src.h;
    i64 ax = std::min<i64>(i64(std::trunc(256.0 / zoomX * 65536)), W * 65536);
    i64 ay = std::min<i64>(i64(std::trunc(256.0 / zoomY * 65536)), H * 65536);
    if (c.fh) ax = -ax;
    if (c.fv) ay = -ay;
    auto start = [](i64 off, int zoom, i64 n, bool flip) {
      const double zw = double(n) * zoom / 256.0;
      const double q = off / zw;
      double u = (q - std::trunc(q)) * n;
      if (off < 0) u += n;
      if (flip) u = n - u;
      if (u >= n) u -= n;
      i64 st = i64(std::nearbyint(u * 65536));
      if (st >= n * 65536) st -= n * 65536;
      return st;
    };
    const bool keyed = c.useKey && c.src.key != -1;
    const u32 kv = static_cast<u32>(c.src.key) & RawMask(c.dest.bits);
    i64 py = start(oy, zoomY, H, c.fv);
    for (i64 y = dt; y < db; ++y) {
      i64 px = start(ox, zoomX, W, c.fh);
      for (i64 x = dl; x < drr; ++x) {
        const u32 s = c.src.at(px >> 16, py >> 16);
        u32& d = c.dest.at(x, y);
        if (!(keyed && s == kv)) {
          if (mode == 0) d = s;
          else if (mode == 1) d = RefBlend(d, s, w, c.dest.bits);
          else d = RefWAdd(d, s, w, c.dest.bits);
        }
        px += ax;
        if (px >= W * 65536) px -= W * 65536;
        if (px < 0) px += W * 65536;
      }
      py += ay;
      if (py >= H * 65536) py -= H * 65536;
      if (py < 0) py += H * 65536;
    }
  };
  RunDifferential("DrawScaledTiled", 2000, ref, [](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX*, const Case& c) {
    d.DrawScaledTiled(c.dr, 64 + (c.dx & 15) * 40, 64 + (c.dy & 15) * 40, s, c.x, c.y, c.useKey,
                      c.fh, c.fv, c.opacity);
  });
}

}  // namespace
}  // namespace vorn
