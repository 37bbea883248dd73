#include "graphics/dibx_wave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "graphics/memory_dibx.h"
#include "support/recording_dibx.h"
#include "surface_test_util.h"

namespace vorn {
namespace {

using test::RectStr;
using test::RecordingDIBX;

std::vector<TRect> DestRects(const RecordingDIBX& s, const char* name) {
  std::vector<TRect> out;
  for (const auto& c : s.Named(name)) out.push_back(c.rect);
  return out;
}

std::vector<TRect> DirtyAt(const RecordingDIBX& s, const char* name) {
  std::vector<TRect> out;
  for (const auto& c : s.Named(name)) out.push_back(c.dirty);
  return out;
}

void FillRandom(TCustomDIBX& s, std::mt19937& rng, std::uint32_t mask) {
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) s.SetPixel(x, y, rng() & mask);
}

TEST(TDIBXWave, RunsOfEqualOffsetsAreForwardedAsOneCall) {
  RecordingDIBX inner(20, 6, 32);
  TDIBXWave wave;
  wave.SetSurface(&inner);
  wave.SetSize(20, 6, 0);
  wave.Offsets() = {0, 0, 3, 3, 3, 0};
  wave.FillRect(TRect{2, 0, 10, 6}, 0xABCDEF);
  const std::vector<TRect> fills = DestRects(inner, "FillRect");
  ASSERT_EQ(fills.size(), 3u);
  EXPECT_EQ(RectStr(fills[0]), "2,0,10,2");
  EXPECT_EQ(RectStr(fills[1]), "5,2,13,5");
  EXPECT_EQ(RectStr(fills[2]), "2,5,10,6");
  EXPECT_EQ(inner.GetPixel(12, 3), 0xABCDEFu);
  EXPECT_EQ(inner.GetPixel(3, 3), 0u);

  // A still wave: one call per fill or 1:1 blit, one per row for stretches and shrinks.
  TMemoryDIBX source(8, 8, 32);
  wave.Offsets().assign(6, 2);
  inner.Calls.clear();
  wave.FillRect(TRect{0, 0, 5, 6}, 1);
  wave.DrawRect(0, 0, source, TRect{0, 0, 8, 8}, false, false, true);
  wave.Draw(source);
  wave.StretchDraw(TRect{0, 0, 8, 6}, source, TRect{0, 0, 8, 8}, false, false, false, 255);
  wave.DrawShrinkMono(0, 0, source, TRect{0, 0, 8, 8}, 0xFFFFFF, false, false, 255, 2);
  EXPECT_EQ(inner.Count("FillRect"), 1);
  EXPECT_EQ(inner.Count("DrawRect"), 2);
  EXPECT_EQ(inner.Count("StretchDraw"), 6);
  EXPECT_EQ(inner.Count("DrawShrinkMono"), 4);
}

TEST(TDIBXWave, OffsetsFollowTheHeightAndRowsWithoutOneAreNotDrawn) {
  TMemoryDIBX inner(10, 10, 32);
  TDIBXWave wave;
  wave.SetSurface(&inner);
  wave.SetSize(10, 3, 0);
  EXPECT_EQ(wave.Offsets(), (std::vector<std::int32_t>{0, 0, 0}));
  wave.Offsets()[1] = 4;
  wave.SetSize(10, 5, 0);
  EXPECT_EQ(wave.Offsets(), (std::vector<std::int32_t>{0, 4, 0, 0, 0}));
  wave.SetSize(10, 2, 0);
  EXPECT_EQ(wave.Offsets().size(), 2u);
  wave.Origin() = TPoint{0, 3};
  wave.FillRect(TRect{0, 0, 10, 10}, 7);
  for (int y = 0; y < 10; ++y) {
    SCOPED_TRACE(y);
    if (y == 3) {
      EXPECT_EQ(inner.GetPixel(0, y), 7u);
    } else if (y == 4) {
      EXPECT_EQ(inner.GetPixel(3, y), 0u);
      EXPECT_EQ(inner.GetPixel(4, y), 7u);
    } else {
      EXPECT_EQ(test::Row(inner, y), std::vector<std::uint32_t>(10, 0));
    }
  }
}

TEST(TDIBXWave, QueriesComeFromTheInnerSurface) {
  TDIBXWave wave;
  wave.SetSize(4, 4, 0);
  EXPECT_EQ(wave.GetBitCount(), 0);
  EXPECT_EQ(wave.GetRawBitCount(), 0);
  EXPECT_EQ(wave.ColorToPixel(0x0000FF), 0x0000FF);
  EXPECT_EQ(wave.GetInnerSurface(), nullptr);
  TMemoryDIBX inner(4, 4, 15);
  wave.SetSurface(&inner);
  EXPECT_EQ(wave.GetBitCount(), 15);
  EXPECT_EQ(wave.GetRawBitCount(), 16);
  EXPECT_EQ(wave.ColorToPixel(0x0000FF), 0x7C00);
  EXPECT_EQ(wave.GetInnerSurface(), &inner);
  EXPECT_EQ(wave.Lock(0, 0), nullptr);
  EXPECT_EQ(wave.GetDC(), nullptr);
  inner.SetPixel(1, 1, 5);
  EXPECT_EQ(wave.GetPixel(1, 1), 0u);
}

TEST(TDIBXWave, DirtyRectanglesAreClippedToTheAreaAndPassedWhole) {
  TMemoryDIBX inner(100, 100, 32);
  TDIBXWave wave;
  wave.SetSurface(&inner);
  wave.SetSize(40, 30, 0);
  wave.Origin() = TPoint{10, 20};
  wave.Offsets().assign(30, 9);  // never applied to the dirty rectangle
  wave.AddDirtyRect(TRect{0, 0, 15, 25});
  EXPECT_EQ(RectStr(wave.DirtyRect), "10,20,15,25");
  EXPECT_EQ(RectStr(inner.DirtyRect), "10,20,15,25");
  wave.AddDirtyRect(TRect{45, 45, 90, 90});
  EXPECT_EQ(RectStr(wave.DirtyRect), "10,20,50,50");
  EXPECT_EQ(RectStr(inner.DirtyRect), "10,20,50,50");
  wave.AddDirtyRect(TRect{60, 0, 70, 10});  // wholly outside: nothing
  EXPECT_EQ(RectStr(wave.DirtyRect), "10,20,50,50");
  wave.ResetDirtyRect();
  EXPECT_EQ(wave.DirtyRect.right, 0);
  EXPECT_EQ(inner.DirtyRect.right, 0);
}

TEST(TDIBXWave, StretchedBlitRestoresTheInnerDirtyRectAlsoOnAnException) {
  RecordingDIBX inner(30, 10, 32);
  TMemoryDIBX source(6, 6, 32);
  TDIBXWave wave;
  wave.SetSurface(&inner);
  wave.SetSize(30, 10, 0);
  wave.Offsets() = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  inner.DirtyRect = TRect{2, 1, 20, 8};
  wave.StretchDraw(TRect{0, 0, 12, 10}, source, TRect{0, 0, 6, 6}, false, false, false, 255);
  EXPECT_EQ(RectStr(inner.DirtyRect), "2,1,20,8");
  // One-row clips: the destination columns moved by each row's offset, within the dirty area.
  const std::vector<TRect> clips = DirtyAt(inner, "StretchDraw");
  ASSERT_EQ(clips.size(), 7u);
  EXPECT_EQ(RectStr(clips[0]), "2,1,13,2");
  EXPECT_EQ(RectStr(clips[6]), "7,7,19,8");
  inner.ThrowOnStretch = true;
  EXPECT_THROW(
      wave.StretchDraw(TRect{0, 0, 12, 10}, source, TRect{0, 0, 6, 6}, false, false, false, 255),
      std::runtime_error);
  EXPECT_EQ(RectStr(inner.DirtyRect), "2,1,20,8");
}

TEST(TDIBXWave, ShiftedRowsReachingIntoTheDirtyRectangleAreDrawn) {
  RecordingDIBX inner(40, 4, 32);
  TMemoryDIBX source(4, 4, 32);
  source.Fill(0x112233);
  TDIBXWave wave;
  wave.SetSurface(&inner);
  wave.SetSize(40, 4, 0);
  wave.Offsets() = {0, 20, 0, 0};
  inner.DirtyRect = TRect{20, 0, 40, 4};
  // The destination lies left of the dirty rectangle; only row 1 moves into it.
  wave.StretchDraw(TRect{2, 0, 10, 4}, source, TRect{0, 0, 4, 4}, false, false, false, 255);
  EXPECT_EQ(inner.Count("StretchDraw"), 1);
  EXPECT_EQ(inner.GetPixel(22, 1), 0x112233u);
  EXPECT_EQ(inner.GetPixel(21, 1), 0u);
  EXPECT_EQ(inner.GetPixel(2, 0), 0u);
}

TEST(TDIBXWave, ExtremeOffsetsAndNoInnerSurfaceDrawNothingOutside) {
  TMemoryDIBX inner(16, 6, 32);
  TMemoryDIBX source(8, 8, 32);
  TMemoryDIBX mask(8, 8, 8);
  std::mt19937 rng(7);
  FillRandom(source, rng, 0xFFFFFF);
  FillRandom(mask, rng, 0xFF);
  TMemoryDIBX pattern(3, 3, 32);
  pattern.Fill(0x445566);
  TDIBXWave wave;
  wave.SetSize(16, 6, 0);
  // Operations without a far position or size: every moved row lies wholly off the surface.
  auto drawAll = [&] {
    const TRect all{0, 0, 8, 8};
    wave.Fill(1);
    wave.FillRectOpacity(TRect{-5, 0, 20, 6}, 3, 100);
    wave.AddColorRect(TRect{0, 0, 16, 6}, 0x010101);
    wave.SubColorRect(TRect{0, 0, 16, 6}, 0x010101);
    wave.DrawRect(0, 0, source, all, false, false, false);
    wave.DrawMask(0, 0, source, all, true, true, &mask);
    wave.DrawOpacity(-3, 0, source, all, false, false, false, 128);
    wave.DrawMaskOpacity(2, 0, source, all, false, false, &mask, 77);
    wave.DrawAdd(2, 0, source, all, false, false, false, 300);
    wave.DrawMaskAdd(2, 0, source, all, false, false, &mask, 300);
    wave.DrawColorMask(1, 0, &mask, all, false, false, 0xFF, 200);
    wave.FillPattern(TRect{0, 0, 16, 6}, pattern, INT_MAX, INT_MIN, true, false);
    wave.DrawRotate(4, 3, 256, 256, source, all, 4, 4, 30, false, false, false, 255);
    wave.DrawRotateMask(4, 3, 300, 200, source, all, 4, 4, 30, false, false, &mask, 255);
    wave.StretchDraw(TRect{0, 0, 16, 6}, source, all, false, false, false, 255);
    wave.StretchDrawMask(TRect{0, 0, 16, 6}, source, all, false, false, &mask, 255);
    wave.StretchDrawAdd(TRect{0, 0, 16, 6}, source, all, false, false, false, 100);
    wave.StretchDrawMaskAdd(TRect{0, 0, 16, 6}, source, all, false, false, &mask, 100);
    wave.DrawShrinkMono(0, 0, source, all, 0xFFFFFF, false, false, 255, 2);
    wave.DrawShrinkQuad(3, 0, source, all, TShrinkColors{1, 2, 3}, 0, false, false, 255, 2);
    wave.StretchDrawTiled(TRect{0, 0, 16, 6}, 5, 5, 300, 300, source, all, false, false, false,
                          255, INT_MAX, INT_MIN);
    wave.StretchDrawMaskTiled(TRect{0, 0, 16, 6}, 5, 5, 300, 300, source, all, &mask, false,
                              false, 255, 3, 3);
    wave.DrawBorder(TRect{0, 0, 16, 6}, 2, pattern, 0, 0);
    wave.DrawScaledTiled(TRect{0, 0, 16, 6}, 300, 300, pattern, 1, 1, false, false, false, 255);
    wave.DrawScaledTiledMask(TRect{0, 0, 16, 6}, 300, 300, pattern, 1, 1, false, false, &mask,
                             255);
    wave.FrameRect(TRect{0, 0, 16, 6}, 1, 9);
    wave.DrawRectTiled(TRect{0, 0, 16, 6}, 1, 1, source, all, false, 0, 0);
  };
  const TRect all8{0, 0, 8, 8};
  drawAll();  // no inner surface
  wave.SetSurface(&inner);
  for (std::int32_t o : {INT_MAX, INT_MIN, INT_MAX - 3, INT_MIN + 3, 1 << 30, -(1 << 30)}) {
    SCOPED_TRACE(o);
    wave.Offsets().assign(6, o);
    inner.Fill(0);
    drawAll();
    EXPECT_EQ(test::All(inner), std::vector<std::uint32_t>(16 * 6, 0));
    // Far positions and endless rectangles: the moved positions must not wrap around 32 bits
    // (UBSan and ASan watch). What lands on the surface is what the endless rectangle covers.
    wave.FillRect(TRect{INT_MIN, 0, INT_MAX, 6}, 2);
    EXPECT_EQ(inner.GetPixel(1, 5), static_cast<std::int64_t>(INT_MAX) + o > 1 ? 2u : 0u);
    wave.DrawRect(INT_MAX, 0, source, all8, false, false, false);
    wave.DrawRect(INT_MIN, 0, source, all8, false, true, false);
    wave.DrawShrinkMono(INT_MAX, 0, source, all8, 0xFFFFFF, false, false, 255, 2);
    wave.DrawShrinkQuad(INT_MIN, 0, source, all8, TShrinkColors{1, 2, 3}, 0, false, false, 255, 2);
    wave.DrawRotate(INT_MAX, 3, 256, 256, source, all8, 4, 4, 30, false, false, false, 255);
    wave.DrawRect(INT_MIN, 0, source, TRect{INT_MIN, 0, INT_MAX, 8}, false, true, false);
    wave.FillPattern(TRect{INT_MIN, 0, INT_MAX, 6}, pattern, INT_MAX, INT_MIN, true, true);
    wave.StretchDraw(TRect{INT_MIN, 0, INT_MAX, 6}, source, all8, false, false, false, 255);
  }
  // Rows pushed wholly off the surface either way, next to a row that stays.
  wave.Offsets() = {100, -100, 0, 17, -4, 16};
  inner.Fill(0);
  wave.FillRect(TRect{0, 0, 8, 6}, 5);
  EXPECT_EQ(test::Row(inner, 0), std::vector<std::uint32_t>(16, 0));
  EXPECT_EQ(test::Row(inner, 1), std::vector<std::uint32_t>(16, 0));
  EXPECT_EQ(inner.GetPixel(7, 2), 5u);
  EXPECT_EQ(test::Row(inner, 3), std::vector<std::uint32_t>(16, 0));
  EXPECT_EQ(inner.GetPixel(0, 4), 5u);
  EXPECT_EQ(inner.GetPixel(15, 5), 0u);
}

TEST(TDIBXWave, FillPatternCoversTheWholeRectangle) {
  TMemoryDIBX inner(20, 8, 32);
  TMemoryDIBX pattern(2, 2, 32);
  pattern.SetPixel(0, 0, 1);
  pattern.SetPixel(1, 0, 2);
  pattern.SetPixel(0, 1, 3);
  pattern.SetPixel(1, 1, 4);
  TDIBXWave wave;
  wave.SetSurface(&inner);
  wave.SetSize(20, 8, 0);
  wave.Offsets() = {0, 0, 0, 1, 1, 0, 0, 0};
  wave.FillPattern(TRect{0, 0, 6, 7}, pattern, 0, 0, false, false);
  // Row 6 (far below the pattern's height) is covered, phase carried on from the top.
  EXPECT_EQ(test::Row(inner, 6), (std::vector<std::uint32_t>{1, 2, 1, 2, 1, 2, 0, 0, 0, 0, 0, 0,
                                                             0, 0, 0, 0, 0, 0, 0, 0}));
  // Row 3 moved right by one, still starting with the rectangle's pattern column 0.
  EXPECT_EQ(test::Row(inner, 3), (std::vector<std::uint32_t>{0, 3, 4, 3, 4, 3, 4, 0, 0, 0, 0, 0,
                                                             0, 0, 0, 0, 0, 0, 0, 0}));
}

// --- the reference rule, over every forwarded operation ---

enum class Group { kRuns, kPerRowClip };

struct Params {
  int x, y, w, h;
  TRect src;  // within the source unless `loose`
  TRect loose;
  bool key, flipH, flipV;
  std::uint32_t opacity, value;
  int zoomX, zoomY, angle, pivotX, pivotY, stepX, stepY, offsetX, offsetY, factor, threshold,
      border;
};

struct World {
  TMemoryDIBX* source;   // destination depth
  TMemoryDIBX* mask;     // 8 bits, the source's size
  TMemoryDIBX* bits8;    // 8-bit source for table blits
  TMemoryDIBX* bits4;    // 4-bit source for DrawTable4
  TMemoryDIBX* pattern;  // destination depth
  const std::uint32_t* table;
  TShrinkColors colors;
};

// draw(dest, dx, world, params): the operation with its destination moved right by dx.
struct Operation {
  const char* name;
  Group group;
  std::function<void(TCustomDIBX&, int, World&, const Params&)> draw;
  // The destination rectangle of a per-row operation that may draw outside it (a border wider
  // than its rectangle); each row's clip is cut to it.
  std::function<TRect(const Params&)> dest = nullptr;
};

TRect Moved(int x, int y, int w, int h, int dx) { return TRect{x + dx, y, x + dx + w, y + h}; }

std::vector<Operation> Operations() {
  using P = const Params&;
  using W = World&;
  using D = TCustomDIBX&;
  return {
      {"Fill", Group::kRuns, [](D d, int dx, W, P p) {
         if (dynamic_cast<TDIBXWave*>(&d) != nullptr) d.Fill(p.value);
         else d.FillRect(TRect{dx, 0, dx + 48, 30}, p.value);  // the wave's own bounds
       }},
      {"FillRect", Group::kRuns, [](D d, int dx, W, P p) { d.FillRect(Moved(p.x, p.y, p.w, p.h, dx), p.value); }},
      {"FillRectOpacity", Group::kRuns, [](D d, int dx, W, P p) {
         d.FillRectOpacity(Moved(p.x, p.y, p.w, p.h, dx), p.value, p.opacity & 255u);
       }},
      {"AddColorRect", Group::kRuns, [](D d, int dx, W, P p) { d.AddColorRect(Moved(p.x, p.y, p.w, p.h, dx), p.value); }},
      {"SubColorRect", Group::kRuns, [](D d, int dx, W, P p) { d.SubColorRect(Moved(p.x, p.y, p.w, p.h, dx), p.value); }},
      {"Draw", Group::kRuns, [](D d, int dx, W w, P) {
         if (dx == 0) d.Draw(*w.source);
         else d.DrawRect(dx, 0, *w.source, w.source->GetBoundsRect(), false, false, false);
       }},
      {"DrawRect", Group::kRuns, [](D d, int dx, W w, P p) {
         d.DrawRect(p.x + dx, p.y, *w.source, p.loose, p.key, p.flipH, p.flipV);
       }},
      {"DrawMask", Group::kRuns, [](D d, int dx, W w, P p) {
         d.DrawMask(p.x + dx, p.y, *w.source, p.src, p.flipH, p.flipV, w.mask);
       }},
      {"DrawOpacity", Group::kRuns, [](D d, int dx, W w, P p) {
         d.DrawOpacity(p.x + dx, p.y, *w.source, p.loose, p.key, p.flipH, p.flipV, p.opacity & 255u);
       }},
      {"DrawMaskOpacity", Group::kRuns, [](D d, int dx, W w, P p) {
         d.DrawMaskOpacity(p.x + dx, p.y, *w.source, p.src, p.flipH, p.flipV, w.mask, p.opacity & 255u);
       }},
      {"DrawAdd", Group::kRuns, [](D d, int dx, W w, P p) {
         d.DrawAdd(p.x + dx, p.y, *w.source, p.loose, p.key, p.flipH, p.flipV, p.opacity);
       }},
      {"DrawMaskAdd", Group::kRuns, [](D d, int dx, W w, P p) {
         d.DrawMaskAdd(p.x + dx, p.y, *w.source, p.src, p.flipH, p.flipV, w.mask, p.opacity);
       }},
      {"DrawColorMask", Group::kRuns, [](D d, int dx, W w, P p) {
         d.DrawColorMask(p.x + dx, p.y, w.mask, p.src, p.flipH, p.flipV, p.value, p.opacity & 511u);
       }},
      {"FillPattern", Group::kRuns, [](D d, int dx, W w, P p) {
         d.FillPattern(Moved(p.x, p.y, p.w, p.h, dx), *w.pattern, p.offsetX, p.offsetY, p.flipH, p.flipV);
       }},
      {"DrawShrinkMono", Group::kRuns, [](D d, int dx, W w, P p) {
         d.DrawShrinkMono(p.x + dx, p.y, *w.bits8, p.src, p.value, p.flipH, p.flipV, p.opacity, p.factor);
       }},
      {"DrawShrinkQuad", Group::kRuns, [](D d, int dx, W w, P p) {
         d.DrawShrinkQuad(p.x + dx, p.y, *w.bits8, p.src, w.colors, 0, p.flipH, p.flipV, p.opacity, p.factor);
       }},
      {"DrawTable4", Group::kRuns, [](D d, int dx, W w, P p) {
         d.DrawTable4(p.x + dx, p.y, *w.bits4, p.loose, p.flipH, p.flipV, p.opacity, w.table);
       }},
      {"DrawTableAdd", Group::kRuns, [](D d, int dx, W w, P p) {
         d.DrawTableAdd(p.x + dx, p.y, *w.bits8, p.loose, p.threshold, p.flipH, p.flipV, p.opacity, w.table);
       }},
      {"DrawRotate", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.DrawRotate(p.x + dx, p.y, p.zoomX, p.zoomY, *w.source, p.src, p.pivotX, p.pivotY, p.angle, p.key,
                      p.flipH, p.flipV, p.opacity);
       }},
      {"DrawRotateMask", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.DrawRotateMask(p.x + dx, p.y, p.zoomX, p.zoomY, *w.source, p.src, p.pivotX, p.pivotY, p.angle,
                          p.flipH, p.flipV, w.mask, p.opacity);
       }},
      {"StretchDraw", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.StretchDraw(Moved(p.x, p.y, p.w, p.h, dx), *w.source, p.loose, p.key, p.flipH, p.flipV, p.opacity & 255u);
       }},
      {"StretchDrawMask", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.StretchDrawMask(Moved(p.x, p.y, p.w, p.h, dx), *w.source, p.src, p.flipH, p.flipV, w.mask,
                           p.opacity & 255u);
       }},
      {"StretchDrawAdd", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.StretchDrawAdd(Moved(p.x, p.y, p.w, p.h, dx), *w.source, p.loose, p.key, p.flipH, p.flipV,
                          p.opacity & 255u);
       }},
      {"StretchDrawMaskAdd", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.StretchDrawMaskAdd(Moved(p.x, p.y, p.w, p.h, dx), *w.source, p.src, p.flipH, p.flipV, w.mask,
                              p.opacity & 255u);
       }},
      {"DrawBorder", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.DrawBorder(Moved(p.x, p.y, p.w, p.h, dx), p.border, *w.pattern, p.offsetX, p.offsetY);
       },
       [](P p) { return Moved(p.x, p.y, p.w, p.h, 0); }},
      {"StretchDrawTableAdd", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.StretchDrawTableAdd(Moved(p.x, p.y, p.w, p.h, dx), *w.bits8, p.loose, p.threshold, p.flipH, p.flipV,
                               p.opacity, w.table);
       }},
      {"DrawScaledTiled", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.DrawScaledTiled(Moved(p.x, p.y, p.w, p.h, dx), p.zoomX, p.zoomY, *w.pattern, p.offsetX, p.offsetY,
                           p.key, p.flipH, p.flipV, p.opacity);
       }},
      {"DrawScaledTiledMask", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.DrawScaledTiledMask(Moved(p.x, p.y, p.w, p.h, dx), p.zoomX, p.zoomY, *w.source, p.offsetX,
                               p.offsetY, p.flipH, p.flipV, w.mask, p.opacity);
       }},
      {"StretchDrawTiled", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.StretchDrawTiled(Moved(p.x, p.y, p.w, p.h, dx), p.stepX, p.stepY, p.zoomX, p.zoomY, *w.source,
                            p.src, p.key, p.flipH, p.flipV, p.opacity, p.offsetX, p.offsetY);
       }},
      {"StretchDrawMaskTiled", Group::kPerRowClip, [](D d, int dx, W w, P p) {
         d.StretchDrawMaskTiled(Moved(p.x, p.y, p.w, p.h, dx), p.stepX, p.stepY, p.zoomX, p.zoomY,
                                *w.source, p.src, w.mask, p.flipH, p.flipV, p.opacity, p.offsetX, p.offsetY);
       }},
  };
}

constexpr int kInnerW = 48;
constexpr int kInnerH = 40;
constexpr int kWaveH = 30;
constexpr int kMaxOffset = 12;
constexpr int kMargin = kMaxOffset + 2;

std::vector<std::int32_t> OffsetPattern(std::mt19937& rng, int kind) {
  std::vector<std::int32_t> o(kWaveH);
  std::uniform_int_distribution<int> any(-kMaxOffset, kMaxOffset);
  switch (kind) {
    case 0:  // runs
      for (int i = 0; i < kWaveH;) {
        const int v = any(rng);
        const int n = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < n && i < kWaveH; ++k) o[static_cast<std::size_t>(i++)] = v;
      }
      break;
    case 1: {  // alternating
      const int a = any(rng), b = any(rng);
      for (int i = 0; i < kWaveH; ++i) o[static_cast<std::size_t>(i)] = i % 2 ? a : b;
      break;
    }
    case 2:  // still
      std::fill(o.begin(), o.end(), any(rng));
      break;
    default:  // every row its own (negative ones included)
      for (auto& v : o) v = any(rng);
      break;
  }
  return o;
}

Params RandomParams(std::mt19937& rng) {
  auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  Params p{};
  p.x = in(-12, 50);
  p.y = in(-12, 44);
  p.w = in(1, 40);
  p.h = in(1, 40);
  const int l = in(0, 18), t = in(0, 14);
  p.src = TRect{l, t, in(l + 1, 20), in(t + 1, 16)};
  p.loose = TRect{in(-4, 18), in(-4, 14), in(0, 26), in(0, 22)};
  p.key = rng() % 2;
  p.flipH = rng() % 2;
  p.flipV = rng() % 2;
  const std::uint32_t opacities[] = {255, 128, 1, 0, 300, 511, 256, 77};
  p.opacity = opacities[rng() % 8];
  p.value = rng();
  p.zoomX = in(64, 700);
  p.zoomY = in(64, 700);
  p.angle = in(0, 255);
  p.pivotX = in(0, 19);
  p.pivotY = in(0, 15);
  p.stepX = in(1, 30);
  p.stepY = in(1, 30);
  p.offsetX = in(-30, 30);
  p.offsetY = in(-30, 30);
  p.factor = in(1, 4);
  // The shrinks read whole blocks of factor x factor source pixels.
  p.threshold = in(-1, 200);
  p.border = in(1, 12);
  return p;
}

class WaveReference : public testing::TestWithParam<int> {};

TEST_P(WaveReference, EveryForwardedOperationMatchesDrawingThenShifting) {
  const int bits = GetParam();
  const std::uint32_t pixelMask = bits == 32 ? 0xFFFFFFFFu : 0xFFFFu;
  std::mt19937 rng(1234 + bits);
  TMemoryDIBX source(20, 16, bits), mask(20, 16, 8), bits8(20, 16, 8), bits4(20, 16, 4),
      pattern(5, 3, bits);
  FillRandom(source, rng, pixelMask);
  FillRandom(mask, rng, 0xFF);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 20; ++x) {
      mask.SetPixel(x, y, (x + y) % 5 == 0 ? 0 : (x * 37 + y * 11) % 3 == 0 ? 255 : mask.GetPixel(x, y));
      bits8.SetPixel(x, y, rng() % 4 == 0 ? rng() % 4 : rng() & 0xFF);
      bits4.SetPixel(x, y, rng() & 0xF);
    }
  FillRandom(pattern, rng, pixelMask);
  source.ColorKey = static_cast<std::int32_t>(source.GetPixel(3, 3));
  pattern.ColorKey = static_cast<std::int32_t>(pattern.GetPixel(1, 1));
  bits4.ColorKey = 5;
  bits8.ColorKey = 9;
  std::vector<std::uint32_t> table(256);
  for (auto& t : table) t = rng() & (bits == 32 ? 0xFFFFFFu : 0xFFFFu);
  World world{&source, &mask, &bits8, &bits4, &pattern, table.data(),
              TShrinkColors{static_cast<std::uint32_t>(rng() & pixelMask), static_cast<std::uint32_t>(rng() & pixelMask),
                            static_cast<std::uint32_t>(rng() & pixelMask)}};

  for (const Operation& op : Operations()) {
    for (int round = 0; round < 48; ++round) {
      SCOPED_TRACE(testing::Message() << op.name << " round " << round);
      Params p = RandomParams(rng);
      if (std::string(op.name).starts_with("DrawShrink")) {
        // Whole blocks only: the shrink's clip steps by the rounded-down ratio.
        p.src.right = p.src.left + std::max(1, (p.src.right - p.src.left) / p.factor) * p.factor;
        p.src.bottom = p.src.top + std::max(1, (p.src.bottom - p.src.top) / p.factor) * p.factor;
        if (p.src.right > 20 || p.src.bottom > 16) p.src = TRect{0, 0, 4 * p.factor, 4 * p.factor};
      }
      if (std::string(op.name).ends_with("Tiled") && std::string(op.name).starts_with("Stretch")) {
        // Zoomed tiles are placed by dividing 16.16 positions, which rounds toward zero: moving
        // a tiling across column 0 moves its tiles by a pixel. The scratch surface's margin would
        // do that, so these tilings start right of column 0 both there and on the inner surface.
        p.offsetX = 0;
        p.x = kMaxOffset + (p.x + 12) % 30;
      }
      TMemoryDIBX inner(kInnerW, kInnerH, bits);
      FillRandom(inner, rng, pixelMask);
      const int dirtyKind = static_cast<int>(rng() % 3);
      if (dirtyKind == 1) {
        const int l = static_cast<int>(rng() % 30), t = static_cast<int>(rng() % 25);
        inner.DirtyRect = TRect{l, t, l + 1 + static_cast<int>(rng() % 25), t + 1 + static_cast<int>(rng() % 20)};
      } else if (dirtyKind == 2) {
        inner.DirtyRect = TRect{5, 3, 30, 35};
      }
      const TRect savedDirty = inner.DirtyRect;
      TRect limit = inner.GetDirtyRect();  // the dirty rectangle may reach past the surface
      limit.right = std::min(limit.right, kInnerW);
      limit.bottom = std::min(limit.bottom, kInnerH);

      TDIBXWave wave;
      wave.SetSurface(&inner);
      wave.SetSize(kInnerW, kWaveH, 0);
      wave.Origin() = TPoint{0, static_cast<int>(rng() % 13) - 4};
      wave.Offsets() = OffsetPattern(rng, static_cast<int>(rng() % 4));
      const std::vector<std::uint32_t> before = test::All(inner);
      auto offsetOf = [&](int row, std::int32_t& o) {
        const int i = row - wave.Origin().y;
        if (i < 0 || i >= kWaveH) return false;
        o = wave.Offsets()[static_cast<std::size_t>(i)];
        return true;
      };

      // The scratch surface holds each row under its offset, with margins wider than any.
      TMemoryDIBX scratch(kInnerW + 2 * kMargin, kInnerH, bits);
      FillRandom(scratch, rng, pixelMask);
      for (int r = 0; r < kInnerH; ++r) {
        std::int32_t o;
        if (!offsetOf(r, o)) continue;
        for (int c = 0; c < scratch.GetWidth(); ++c) {
          const int x = c + o - kMargin;
          if (x >= 0 && x < kInnerW) scratch.SetPixel(c, r, inner.GetPixel(x, r));
        }
      }
      if (op.group == Group::kRuns) {
        op.draw(scratch, kMargin, world, p);
      } else {
        for (int r = limit.top; r < limit.bottom; ++r) {
          std::int32_t o;
          if (!offsetOf(r, o)) continue;
          TRect clip{limit.left - o, r, limit.right - o, r + 1};
          if (op.dest) {
            const TRect d = op.dest(p);
            clip.left = std::max(clip.left, d.left);
            clip.right = std::min(clip.right, d.right);
            if (clip.left >= clip.right || r < d.top || r >= d.bottom) continue;
          }
          scratch.DirtyRect = TRect{clip.left + kMargin, r, clip.right + kMargin, r + 1};
          op.draw(scratch, kMargin, world, p);
        }
      }
      std::vector<std::uint32_t> expected = before;
      for (int r = limit.top; r < limit.bottom; ++r) {
        std::int32_t o;
        if (!offsetOf(r, o)) continue;
        for (int x = limit.left; x < limit.right; ++x)
          expected[static_cast<std::size_t>(r * kInnerW + x)] = scratch.GetPixel(x - o + kMargin, r);
      }

      op.draw(wave, 0, world, p);
      ASSERT_EQ(RectStr(inner.DirtyRect), RectStr(savedDirty));
      const std::vector<std::uint32_t> got = test::All(inner);
      for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], expected[i]) << "at " << i % kInnerW << "," << i / kInnerW << " before "
                                       << before[i] << ", origin y " << wave.Origin().y << ", offset "
                                       << wave.Offsets()[i / kInnerW - wave.Origin().y] << ", dirty "
                                       << RectStr(savedDirty);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, WaveReference, testing::Values(16, 32));

}  // namespace
}  // namespace vorn
