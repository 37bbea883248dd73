#include "graphics/dibx.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/graphics_errors.h"
#include "graphics/vector_unit.h"
#include "platform/gdi/gdi.h"
#include "surface_test_util.h"

namespace vorn {
namespace {

using U = std::vector<std::uint32_t>;

TEST(DIBX, NewSurface) {
  TDIBX s;
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.GetBitCount(), 15);
  EXPECT_EQ(s.ColorKey, -1);
  EXPECT_EQ(s.Lock(0, 0), nullptr);
  EXPECT_EQ(s.GetPixel(0, 0), 0u);
}

TEST(DIBX, FormatFactsPerDepth) {
  struct Case {
    int bits, raw;
    std::uint32_t r, g, b;
    int blueShift, greenShift, redShift, bytes;
    int rowBytes;  // for a 3-pixel-wide surface
  } cases[] = {
      {1, 1, 0xFF0000, 0xFF00, 0xFF, 0, 8, 16, 1, 4},
      {4, 4, 0xFF0000, 0xFF00, 0xFF, 0, 8, 16, 1, 4},
      {8, 8, 0xFF0000, 0xFF00, 0xFF, 0, 8, 16, 1, 4},
      {15, 16, 0x7C00, 0x03E0, 0x001F, 0, 5, 10, 2, 8},
      {16, 16, 0xF800, 0x07E0, 0x001F, 0, 5, 11, 2, 8},
      {24, 24, 0xFF0000, 0xFF00, 0xFF, 0, 8, 16, 3, 12},
      {32, 32, 0xFF0000, 0xFF00, 0xFF, 0, 8, 16, 4, 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    TDIBX s;
    s.SetSize(3, 2, c.bits);
    EXPECT_FALSE(s.IsEmpty());
    EXPECT_EQ(s.GetBitCount(), c.bits);
    EXPECT_EQ(s.GetRawBitCount(), c.raw);
    if (c.bits > 8) {
      EXPECT_EQ(s.GetRedMask(), c.r);
      EXPECT_EQ(s.GetGreenMask(), c.g);
      EXPECT_EQ(s.GetBlueMask(), c.b);
      EXPECT_EQ(s.GetBlueShift(), c.blueShift);
      EXPECT_EQ(s.GetGreenShift(), c.greenShift);
      EXPECT_EQ(s.GetRedShift(), c.redShift);
    }
    EXPECT_EQ(s.GetBytesPerPixel(), c.bytes);
    EXPECT_EQ(s.GetPitch(), -c.rowBytes);
    // Lock walks rows by the pitch: row 1 is one pitch after row 0.
    EXPECT_EQ(s.Lock(0, 1) - s.Lock(0, 0), s.GetPitch());
    EXPECT_EQ(s.Lock(3, 0), nullptr);
    EXPECT_EQ(s.Lock(0, -1), nullptr);
  }
}

TEST(DIBX, LockAddressesByDepth) {
  struct Case {
    int bits, x;
    std::ptrdiff_t offset;
  } cases[] = {{1, 9, 1}, {4, 5, 2}, {8, 5, 5}, {15, 5, 10}, {16, 5, 10}, {24, 5, 15}, {32, 5, 20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    TDIBX s;
    s.SetSize(16, 2, c.bits);
    EXPECT_EQ(s.Lock(c.x, 1) - s.Lock(0, 1), c.offset);
  }
}

TEST(DIBX, PixelsOutsideAreZeroAndIgnored) {
  TDIBX s;
  s.SetSize(2, 2, 32);
  s.SetPixel(2, 0, 5);
  s.SetPixel(-1, 0, 5);
  EXPECT_EQ(s.GetPixel(2, 0), 0u);
  s.SetPixel(1, 1, 0x12345678);
  EXPECT_EQ(s.GetPixel(1, 1), 0x12345678u);
}

TEST(DIBX, SetBitCountConvertsOnlyOnChange) {
  TDIBX s;
  s.SetSize(1, 1, 15);
  s.SetPixel(0, 0, 0x7C00);
  s.SetBitCount(15);
  EXPECT_EQ(s.GetPixel(0, 0), 0x7C00u);
  s.SetBitCount(16);
  EXPECT_EQ(s.GetBitCount(), 16);
  EXPECT_EQ(s.GetPixel(0, 0) & 0xF800u, 0xF800u);
  s.SetBitCount(32);
  EXPECT_EQ(s.GetPixel(0, 0) & 0xFFFFFFu, 0xFF0000u);
}

// 15 is 5-5-5 and 16 is 5-6-5 whatever depth the surface comes from, and the pixels survive.
TEST(DIBX, SetBitCountToFifteenAndSixteenFromEveryDepth) {
  for (int from : {8, 15, 16, 24, 32}) {
    for (int to : {15, 16}) {
      SCOPED_TRACE(testing::Message() << from << " -> " << to);
      TDIBX s;
      s.SetSize(2, 1, from);
      // At 8 bits the grey ramp's last entry is white.
      s.SetPixel(0, 0, from == 8 ? 255u : static_cast<std::uint32_t>(s.ColorToPixel(0xFFFFFF)));
      if (from != 8) s.SetPixel(1, 0, static_cast<std::uint32_t>(s.ColorToPixel(0x0000FF)));
      s.SetBitCount(to);
      EXPECT_EQ(s.GetBitCount(), to);
      EXPECT_EQ(s.GetGreenMask(), to == 15 ? 0x03E0u : 0x07E0u);
      EXPECT_EQ(s.GetPixel(0, 0), to == 15 ? 0x7FFFu : 0xFFFFu);
      EXPECT_EQ(s.GetPixel(1, 0), from == 8 ? 0u : (to == 15 ? 0x7C00u : 0xF800u));
      EXPECT_EQ(s.ColorToPixel(0x0000FF), to == 15 ? 0x7C00 : 0xF800);
    }
  }
}

// A refused size change keeps the surface as it was, its pixel format included.
TEST(DIBX, FailedSetSizeKeepsTheFormat) {
  for (int bits : {15, 16, 32}) {
    SCOPED_TRACE(bits);
    TDIBX s;
    s.SetSize(2, 2, bits);
    const std::int32_t red = s.ColorToPixel(0x0000FF);
    s.SetPixel(1, 1, static_cast<std::uint32_t>(red));
    EXPECT_THROW(s.SetSize(3, 3, 7), Exception);
    EXPECT_THROW(s.SetSize(100000, 100000, bits == 15 ? 16 : 15), Exception);
    EXPECT_EQ(s.GetBitCount(), bits);
    EXPECT_EQ(s.ColorToPixel(0x0000FF), red);
    EXPECT_EQ(s.GetWidth(), 2);
    EXPECT_EQ(s.GetPixel(1, 1), static_cast<std::uint32_t>(red));
    EXPECT_EQ(s.DIB().PixelFormat, s.DIB().NowPixelFormat());
  }
}

TEST(DIBX, SetSizeErrorsAndEmptySizes) {
  TDIBX s;
  s.SetSize(4, 4, 32);
  s.SetPixel(0, 0, 7);
  try {
    s.SetSize(5, 5, 7);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), std::string("\x95\x73\x90\xb3\x82\xc8\x83\x72\x83\x62\x83\x67\x90\x94\x82\xc5\x82\xb7 (7)"));
  }
  EXPECT_EQ(s.GetWidth(), 4);
  EXPECT_EQ(s.GetPixel(0, 0), 7u);
  EXPECT_THROW(s.SetSize(1 << 20, 1 << 20, 32), Exception);
  EXPECT_EQ(s.GetWidth(), 4);
  EXPECT_EQ(s.GetPixel(0, 0), 7u);
  s.SetSize(0, 5, 7);  // a size of 0 clears before any bit-count check
  EXPECT_TRUE(s.IsEmpty());
  s.SetSize(-3, 5, 32);
  EXPECT_EQ(s.GetWidth(), -3);
  s.FillRect(TRect{0, 0, 5, 5}, 1);
  s.Fill(1);
  EXPECT_EQ(s.Lock(0, 0), nullptr);
}

TEST(DIBX, ColorToPixel) {
  struct Case {
    int bits;
    std::int32_t color, want;
  } cases[] = {
      {15, 0x0000FF, 0x7C00},   {16, 0x0000FF, 0xF800},       {32, 0x0000FF, 0x00FF0000},
      {15, 0xFFFFFF, 0x7FFF},   {16, 0xFFFFFF, 0xFFFF},       {32, 0xFFFFFF, 0x00FFFFFF},
      {16, 0x00FF00, 0x07E0},   {32, 0x123456, 0x00563412},   {24, 0x0000FF, 0x00FF0000},
      {8, 0x123456, 0x123456},  {4, 7, 7},                     {1, 1, 1},
      {32, -1, -1},             {15, -5, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits * 1000000 + c.color);
    TDIBX s;
    s.SetSize(1, 1, c.bits);
    EXPECT_EQ(s.ColorToPixel(c.color), c.want);
  }
}

TEST(DIBX, FillGoldenBytes) {
  struct Case {
    int bits;
    std::uint32_t value;
    std::uint8_t firstBytes[4];
  } cases[] = {
      {1, 5, {0xFF, 0xFF, 0xFF, 0xFF}}, {1, 0, {0, 0, 0, 0}}, {4, 0x3, {0x33, 0x33, 0x33, 0x33}},
      {4, 0x1A, {0xBA, 0xBA, 0xBA, 0xBA}}, {8, 0x1AB, {0xAB, 0xAB, 0xAB, 0xAB}},
      {16, 0x12345, {0x45, 0x23, 0x45, 0x23}}, {24, 0x00332211, {0x11, 0x22, 0x33, 0x11}},
      {32, 0xAABBCCDD, {0xDD, 0xCC, 0xBB, 0xAA}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    TDIBX s;
    s.SetSize(8, 2, c.bits);
    s.SetDirtyRect(TRect{1, 0, 2, 1});
    s.Fill(c.value);
    const std::uint8_t* bottom = s.Lock(0, 1);
    const std::uint8_t* top = s.Lock(0, 0);
    if (c.bits <= 16) {
      // Whole memory, whatever the dirty rectangle.
      EXPECT_EQ(std::memcmp(bottom, c.firstBytes, 4), 0);
      EXPECT_EQ(std::memcmp(top, c.firstBytes, 4), 0);
    } else {
      // Through FillRect: only the dirty pixel.
      const int bpp = c.bits / 8;
      EXPECT_EQ(std::memcmp(top + bpp, c.firstBytes, static_cast<std::size_t>(bpp)), 0);
      EXPECT_EQ(top[0], 0);
      EXPECT_EQ(bottom[bpp], 0);
      s.ResetDirtyRect();
      s.Fill(c.value);
      EXPECT_EQ(std::memcmp(bottom, c.firstBytes, 4), 0);
    }
  }
}

TEST(DIBX, ClearAndRelease) {
  TDIBX s;
  s.SetSize(4, 4, 32);
  s.SetPixel(1, 1, 9);
  ASSERT_NE(s.GetCanvas(), nullptr);
  s.Release();
  EXPECT_EQ(s.GetWidth(), 4);
  EXPECT_EQ(s.GetPixel(1, 1), 9u);
  EXPECT_NE(s.GetDC(), nullptr);
  EXPECT_EQ(s.GetPixel(1, 1), 9u);
  s.Clear();
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.DIB().Width(), 8);
  EXPECT_EQ(s.DIB().Height(), 8);
  EXPECT_EQ(s.Lock(0, 0), nullptr);
}

TEST(DIBX, PaletteMovesTheColourTable) {
  TDIBX s;
  s.SetSize(2, 1, 8);
  std::vector<std::uint8_t> table(1024);
  s.GetPalette(table.data());
  EXPECT_EQ(table[4 * 200 + 0], 200);  // grey ramp: blue, green, red, 0
  EXPECT_EQ(table[4 * 200 + 2], 200);
  EXPECT_EQ(table[4 * 200 + 3], 0);
  const std::uint8_t red[4] = {0, 0, 255, 0};
  s.SetPaletteEntries(red, 5, 1);
  std::uint8_t out[8] = {};
  s.GetPaletteEntries(out, 4, 2);
  EXPECT_EQ(out[4 + 2], 255);
  EXPECT_EQ(out[0], 4);
  // Out-of-range parts are skipped, never read or written.
  std::uint8_t guard[16];
  std::memset(guard, 0xEE, sizeof(guard));
  s.GetPaletteEntries(guard, 254, 4);
  EXPECT_EQ(guard[8], 0xEE);
  EXPECT_EQ(guard[4 * 1 + 0], 255);
  s.GetPaletteEntries(guard, -2, 1);
  s.SetPaletteEntries(guard, 300, 5);
  const std::uint8_t pair[8] = {1, 1, 1, 0, 0, 0, 255, 0};
  s.SetPaletteEntries(pair, -1, 2);  // entry 0 takes the pair's second
  s.GetPaletteEntries(out, 0, 1);
  EXPECT_EQ(out[2], 255);
  // Later lookups use the table: present an 8-bit pixel 5 into a 32-bit target.
  s.SetPixel(0, 0, 5);
  TDIBX target;
  target.SetSize(2, 1, 32);
  s.Present(target.GetDC(), 0, 0, 2, 1, 0, 0, 2, 1);
  EXPECT_EQ(target.GetPixel(0, 0) & 0xFFFFFF, 0xFF0000u);
}

TEST(DIBX, EightBitCanvasGivesMaskLevels) {
  TDIBX mask;
  mask.SetSize(4, 1, 8);
  TCanvas* canvas = mask.GetCanvas();
  ASSERT_NE(canvas, nullptr);
  canvas->BrushColor = gdi::RGB(255, 255, 255);
  canvas->FillRect(TRect{0, 0, 2, 1});
  canvas->BrushColor = gdi::RGB(0, 0, 0);
  canvas->FillRect(TRect{2, 0, 4, 1});
  EXPECT_EQ(test::Row(mask, 0), (U{255, 255, 0, 0}));
}

TEST(DIBX, DrawCopiesWholeMemoryOnlyForEqualSurfaces) {
  TDIBX a, b;
  a.SetSize(3, 2, 16);
  b.SetSize(3, 2, 16);
  a.Fill(0x1234);
  b.SetDirtyRect(TRect{0, 0, 1, 1});
  b.Draw(a);
  EXPECT_EQ(b.GetPixel(2, 1), 0x1234u);  // whole memory, outside the dirty rectangle too
  TDIBX c;
  c.SetSize(3, 2, 15);
  c.SetDirtyRect(TRect{0, 0, 1, 1});
  c.Draw(a);  // 15 and 16 bits: DrawRect, which honours the dirty rectangle
  EXPECT_EQ(c.GetPixel(0, 0), 0x1234u);
  EXPECT_EQ(c.GetPixel(2, 1), 0u);
}

U PresentRow(TDIBX& source, int y, int targetWidth, int xs, int ys, int ws, int hs, int wd, int hd,
             int targetY = 0) {
  TDIBX target;
  target.SetSize(targetWidth, 4, 32);
  source.Present(target.GetDC(), 0, 0, wd, hd, xs, ys, ws, hs);
  U out;
  for (int x = 0; x < targetWidth; ++x) out.push_back(target.GetPixel(x, targetY) & 0xFFFFFF);
  (void)y;
  return out;
}

TEST(DIBX, PresentTopHalfStretchAndFormats) {
  // 100 rows, row y striped with colour y.
  TDIBX s;
  s.SetSize(2, 100, 32);
  for (int y = 0; y < 100; ++y) s.FillRect(TRect{0, y, 2, y + 1}, static_cast<std::uint32_t>(y));
  TDIBX target;
  target.SetSize(2, 50, 32);
  s.Present(target.GetDC(), 0, 0, 2, 50, 0, 0, 2, 50);
  EXPECT_EQ(target.GetPixel(0, 0), 0u);
  EXPECT_EQ(target.GetPixel(1, 49), 49u);
  // Stretched by 150 %: 2 x 2 into 3 x 3.
  TDIBX small;
  small.SetSize(2, 2, 32);
  small.SetPixel(0, 0, 1);
  small.SetPixel(1, 0, 2);
  small.SetPixel(0, 1, 3);
  small.SetPixel(1, 1, 4);
  TDIBX big;
  big.SetSize(3, 3, 32);
  small.Present(big.GetDC(), 0, 0, 3, 3, 0, 0, 2, 2);
  EXPECT_EQ(test::All(big), (U{1, 1, 2, 1, 1, 2, 3, 3, 4}));
  // 15 and 16 bits through the bitmap's unpack rule: 31 gives 255, 16 gives 144.
  for (int bits : {15, 16}) {
    SCOPED_TRACE(bits);
    TDIBX t;
    t.SetSize(2, 1, bits);
    t.SetPixel(0, 0, static_cast<std::uint32_t>(t.ColorToPixel(0xFFFFFF)));
    t.SetPixel(1, 0, bits == 15 ? (16u << 10) : (16u << 11));
    EXPECT_EQ(PresentRow(t, 0, 2, 0, 0, 2, 1, 2, 1), (U{0xFFFFFF, 0x900000}));
  }
  // Offsets and a target smaller than the rectangle are clipped.
  TDIBX clipped;
  clipped.SetSize(1, 1, 32);
  s.Present(clipped.GetDC(), -1, -1, 2, 2, 0, 10, 2, 2);
  EXPECT_EQ(clipped.GetPixel(0, 0), 11u);
}

TEST(DIBX, BasePresentCopiesThroughTheDeviceContext) {
  // A back end with only a device context: the base Present uses it.
  class DCOnly : public TCustomDIBX {
   public:
    DCOnly() {
      inner.SetSize(2, 1, 32);
      inner.SetPixel(0, 0, 0x00ABCDEF);
      SetSize(2, 1, 32);
    }
    gdi::HDC GetDC() override { return inner.GetDC(); }
    void ReleaseDC() override { ++released; }
    TDIBX inner;
    int released = 0;
  } s;
  TDIBX target;
  target.SetSize(2, 1, 32);
  s.Present(target.GetDC(), 0, 0, 2, 1, 0, 0, 2, 1);
  EXPECT_EQ(target.GetPixel(0, 0) & 0xFFFFFF, 0x00ABCDEFu);
  EXPECT_EQ(s.released, 1);
}

TEST(DIBX, BlitsOnBottomUpMemory) {
  for (bool vector : {false, true}) {
    ScopedVectorUnitOverride flag(vector);
    TDIBX src, dst;
    src.SetSize(3, 2, 32);
    test::SetRow(src, 0, {1, 2, 3});
    test::SetRow(src, 1, {4, 5, 6});
    dst.SetSize(3, 2, 32);
    dst.DrawRect(0, 0, src, src.GetBoundsRect(), false, true, true);
    EXPECT_EQ(test::All(dst), (U{6, 5, 4, 3, 2, 1}));
    TDIBX mask;
    mask.SetSize(3, 2, 8);
    mask.Fill(255);
    mask.SetPixel(0, 1, 0);
    TDIBX m;
    m.SetSize(3, 2, 32);
    m.DrawMask(0, 0, src, src.GetBoundsRect(), false, true, &mask);
    EXPECT_EQ(test::All(m), (U{0, 5, 6, 1, 2, 3}));
  }
}

}  // namespace
}  // namespace vorn
