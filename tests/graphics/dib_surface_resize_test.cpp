#include <gtest/gtest.h>

#include "graphics/dib_surface.h"

namespace vorn {
namespace {

TEST(TDIBSurfaceResize, SameSizeChangesNothingAlphaIncluded) {
  TDIBSurface s;
  s.SetSize(3, 2, 24);
  s.FillRectPixel(MakeRect(0, 0, 1, 1), 0x123456);
  s.EnsureAlphaPlane();
  s.Alpha()->FillRectPixel(MakeRect(0, 0, 1, 1), 99);
  s.Resize(3, 2, true, -1);
  EXPECT_EQ(s.GetPixel(0, 0), 0x123456u);
  EXPECT_EQ(s.Alpha()->GetPixel(0, 0), 99u);
}

TEST(TDIBSurfaceResize, SmoothDoublingBlendsWithBlackBeyondTheEdge) {
  TDIBSurface s;
  s.SetSize(2, 1, 24);
  s.FillRectPixel(MakeRect(0, 0, 1, 1), 0xFF0000);  // red
  s.FillRectPixel(MakeRect(1, 0, 2, 1), 0x0000FF);  // blue
  s.Resize(4, 1, true, -1);
  ASSERT_EQ(s.Width(), 4);
  EXPECT_EQ(s.GetBitCount(), 24);
  EXPECT_EQ(s.GetPixel(0, 0), 0xFF0000u);
  EXPECT_EQ(s.GetPixel(1, 0), 0x800080u);  // 127.5 rounds to even: 128
  EXPECT_EQ(s.GetPixel(2, 0), 0x0000FFu);
  EXPECT_EQ(s.GetPixel(3, 0), 0x000080u);  // half blue, half black
}

TEST(TDIBSurfaceResize, SmoothHalvingOfKeyGivesKey) {
  const std::int32_t key = 0x00FF00;
  TDIBSurface s;
  s.SetSize(4, 4, 24);
  s.FillRectPixel(s.GetBoundsRect(), static_cast<std::uint32_t>(key));
  s.Resize(2, 2, true, key);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_EQ(s.GetPixel(x, y), static_cast<std::uint32_t>(key));
  }
  // One non-key pixel per box is all that counts.
  TDIBSurface t;
  t.SetSize(4, 4, 24);
  t.FillRectPixel(t.GetBoundsRect(), static_cast<std::uint32_t>(key));
  t.FillRectPixel(MakeRect(3, 3, 4, 4), 0x102030);
  t.Resize(2, 2, true, key);
  EXPECT_EQ(t.GetPixel(1, 1), 0x102030u);
}

TEST(TDIBSurfaceResize, DepthsAfterSmoothing) {
  TDIBSurface eight;
  eight.SetSize(2, 2, 8);
  eight.ColorTable[1] = 0xFF0000;
  eight.ColorTable[2] = 0x00FF00;
  eight.UpdatePalette();
  eight.FillRectPixel(eight.GetBoundsRect(), 1);
  eight.Resize(4, 4, true, -1);
  EXPECT_EQ(eight.GetBitCount(), 8);
  EXPECT_EQ(eight.ColorTable[2], 0x00FF00u);
  EXPECT_EQ(eight.GetPixel(0, 0), 1u);
  TDIBSurface wide;
  wide.SetSize(2, 2, 32);
  wide.Resize(1, 1, true, -1);
  EXPECT_EQ(wide.GetBitCount(), 24);
  TDIBSurface sixteen;
  sixteen.SetSize(2, 2, 16);
  sixteen.FillRectPixel(sixteen.GetBoundsRect(), 0xF800);
  sixteen.Resize(1, 1, true, -1);
  EXPECT_EQ(sixteen.GetBitCount(), 16);
  EXPECT_EQ(sixteen.GetPixel(0, 0), 0xF800u);
}

TEST(TDIBSurfaceResize, AlphaPlaneIsResizedAndPutBack) {
  TDIBSurface s;
  s.SetSize(2, 2, 24);
  s.EnsureAlphaPlane();
  s.Alpha()->FillRectPixel(s.GetBoundsRect(), 200);
  s.Resize(4, 4, false, -1);
  ASSERT_NE(s.Alpha(), nullptr);
  EXPECT_EQ(s.Alpha()->Width(), 4);
  EXPECT_EQ(s.Alpha()->GetPixel(3, 3), 200u);
}

TEST(TDIBSurfaceResize, NearestStretchAndEmptyPictures) {
  TDIBSurface s;
  s.SetSize(2, 1, 24);
  s.FillRectPixel(MakeRect(1, 0, 2, 1), 0xABCDEF);
  s.Resize(4, 2, false, -1);
  EXPECT_EQ(s.GetPixel(0, 1), 0u);
  EXPECT_EQ(s.GetPixel(2, 0), 0xABCDEFu);
  EXPECT_EQ(s.GetPixel(3, 1), 0xABCDEFu);
  TDIBSurface empty;
  empty.Resize(3, 2, true, -1);
  EXPECT_EQ(empty.Width(), 3);
  EXPECT_EQ(empty.Height(), 2);
  EXPECT_EQ(empty.GetPixel(2, 1), 0u);
}

TEST(TDIBSurfaceConvertTo, TargetsAndPixelsComeBack) {
  TDIBSurface s;
  s.SetSize(4, 2, 24);
  s.FillRectPixel(MakeRect(0, 0, 2, 2), 0xFF0000);
  s.FillRectPixel(MakeRect(2, 0, 4, 2), 0x0000FF);
  s.EnsureAlphaPlane();
  s.Alpha()->FillRectPixel(MakeRect(0, 0, 1, 1), 7);

  TDIBSurface a;
  a.CopyFrom(s);
  a.ConvertTo(16, 0, true);
  EXPECT_EQ(a.GetBitCount(), 16);
  EXPECT_EQ(a.GetPixel(0, 0), 0xF800u);
  EXPECT_EQ(a.Alpha()->GetPixel(0, 0), 7u);

  TDIBSurface b;
  b.CopyFrom(s);
  b.ConvertTo(15, 0, false);
  EXPECT_EQ(b.GetBitCount(), 15);
  EXPECT_EQ(b.GetPixel(3, 1), 0x001Fu);

  TDIBSurface c;
  c.CopyFrom(s);
  c.ConvertTo(8, 0, true);
  EXPECT_EQ(c.GetBitCount(), 8);
  EXPECT_EQ(c.ColorTable[c.GetPixel(0, 0)] & 0xFFFFFF, 0xFF0000u);

  TDIBSurface d;
  d.CopyFrom(c);
  d.ConvertTo(32, 0, true);
  EXPECT_EQ(d.GetPixel(3, 0), 0xFF0000FFu);

  TDIBSurface e;
  e.CopyFrom(s);
  e.ConvertTo(1, 0, true);
  EXPECT_EQ(e.GetBitCount(), 1);
  EXPECT_NE(e.GetPixel(0, 0), e.GetPixel(3, 0));
  EXPECT_EQ(e.ColorTable[e.GetPixel(0, 0)] & 0xFFFFFF, 0xFF0000u);

  TDIBSurface f;
  f.CopyFrom(a);
  f.ConvertTo(24, 0, true);
  EXPECT_EQ(f.GetPixel(0, 0), 0xF80000u);
  EXPECT_EQ(f.Alpha()->GetPixel(0, 0), 7u);
}

}  // namespace
}  // namespace vorn
