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
  int x = 0, y = 0;
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

}  // namespace
}  // namespace vorn
