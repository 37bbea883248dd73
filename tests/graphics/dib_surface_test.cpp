#include "graphics/dib_surface.h"

#include <gtest/gtest.h>

#include <array>

namespace vorn {
namespace {

void Fill(TDIBSurface& s, std::uint32_t value) { s.FillRectPixel(s.GetBoundsRect(), value); }

TEST(DIBSurface, DepthFifteenIsAFiveFiveFiveStore) {
  TDIBSurface s;
  EXPECT_TRUE(s.Image()->MemoryImage);
  s.SetSize(3, 2, 15);
  EXPECT_EQ(s.BitCount(), 16);
  EXPECT_EQ(s.GetBitCount(), 15);
  EXPECT_EQ(s.NowPixelFormat(), PixelFormat555());
  s.SetSize(3, 2, 16);
  EXPECT_EQ(s.GetBitCount(), 16);
  s.SetSize(3, 2, 32);
  EXPECT_EQ(s.NowPixelFormat(), PixelFormat888());
  EXPECT_EQ(s.GetBoundsRect(), MakeRect(0, 0, 3, 2));
}

TEST(DIBSurface, SetBitCountToFifteenAndSixteenFromEveryDepth) {
  for (int from : {8, 15, 16, 24, 32}) {
    for (int to : {15, 16}) {
      SCOPED_TRACE(testing::Message() << from << " -> " << to);
      TDIBSurface s;
      s.SetSize(2, 1, from);
      if (from == 8) {
        s.ColorTable[1] = 0x00FF0000;  // red
        s.UpdatePalette();
        s.SetPixel(1, 0, 1);
      } else {
        s.SetPixel(1, 0, s.RGB8ToPixel(255, 0, 0));
      }
      s.SetBitCount(to);
      EXPECT_EQ(s.GetBitCount(), to);
      EXPECT_EQ(s.NowPixelFormat(), to == 15 ? PixelFormat555() : PixelFormat565());
      EXPECT_EQ(s.GetPixel(1, 0), to == 15 ? 0x7C00u : 0xF800u);
      EXPECT_EQ(s.GetPixel(0, 0), 0u);
    }
  }
}

TEST(DIBSurface, RefusedSetSizeKeepsTheRequestedFormat) {
  TDIBSurface s;
  s.SetSize(2, 2, 15);
  EXPECT_ANY_THROW(s.SetSize(100000, 100000, 16));
  EXPECT_EQ(s.PixelFormat, PixelFormat555());
  EXPECT_EQ(s.GetBitCount(), 15);
}

TEST(DIBSurface, AlphaPlaneFollowsTheSizeAndIsClearedOrFreed) {
  TDIBSurface s;
  s.SetSize(4, 3, 24);
  s.EnsureAlphaPlane();
  ASSERT_NE(s.Alpha(), nullptr);
  EXPECT_EQ(s.Alpha()->BitCount(), 8);
  EXPECT_TRUE(s.Alpha()->Image()->MemoryImage);
  s.SetSize(6, 5, 24);
  EXPECT_EQ(s.Alpha()->Width(), 6);
  EXPECT_EQ(s.Alpha()->Height(), 5);
  s.ClearAlphaPlane();
  EXPECT_EQ(s.Alpha()->GetPixel(5, 4), 255u);

  TDIBSurface plane;
  plane.SetSize(3, 2, 8);
  Fill(plane, 9);
  s.SetAlphaPlane(plane);  // only the common rows and columns
  EXPECT_EQ(s.Alpha()->GetPixel(2, 1), 9u);
  EXPECT_EQ(s.Alpha()->GetPixel(3, 1), 255u);
  EXPECT_EQ(s.Alpha()->GetPixel(2, 2), 255u);

  plane.SetPixel(1, 1, 77);
  s.SetAlphaPlaneRect(plane, MakeRect(1, 1, 50, 50));  // cut to the source
  EXPECT_EQ(s.Alpha()->GetPixel(0, 0), 77u);
  EXPECT_EQ(s.Alpha()->GetPixel(1, 0), 9u);
  EXPECT_EQ(s.Alpha()->GetPixel(3, 0), 255u);

  s.Clear();
  EXPECT_EQ(s.Alpha(), nullptr);
}

TEST(DIBSurface, FillRectPixelClipsAndMasksByDepth) {
  TDIBSurface four;
  four.SetSize(5, 1, 4);
  four.FillRectPixel(MakeRect(1, 0, 4, 1), 0x1E);  // masked to 0xE
  EXPECT_EQ(four.GetScanLine(0)[0], 0x0E);           // odd start: the low nibble only
  EXPECT_EQ(four.GetScanLine(0)[1], 0xEE);
  EXPECT_EQ(four.GetScanLine(0)[2], 0x00);
  four.FillRectPixel(MakeRect(0, 0, 1, 1), 0x3);
  EXPECT_EQ(four.GetScanLine(0)[0], 0x3E);

  TDIBSurface one;
  one.SetSize(20, 2, 1);
  one.FillRectPixel(MakeRect(3, 1, 19, 9), 3);
  EXPECT_EQ(one.GetScanLine(1)[0], 0x1F);
  EXPECT_EQ(one.GetScanLine(1)[1], 0xFF);
  EXPECT_EQ(one.GetScanLine(1)[2], 0xE0);
  EXPECT_EQ(one.GetScanLine(0)[1], 0x00);

  TDIBSurface fifteen;
  fifteen.SetSize(2, 2, 15);
  fifteen.FillRectPixel(MakeRect(-4, -4, 1, 1), 0xFFFF);
  EXPECT_EQ(fifteen.GetPixel(0, 0), 0x7FFFu);
  EXPECT_EQ(fifteen.GetPixel(1, 0), 0u);

  TDIBSurface rgb;
  rgb.SetSize(2, 2, 24);
  rgb.FillRectPixel(MakeRect(2, 0, 5, 2), 0xFFFFFF);  // outside
  rgb.FillRectPixel(MakeRect(1, 1, 1, 2), 0xFFFFFF);  // empty
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(rgb.GetPixel(x, y), 0u);
  rgb.FillRectPixel(MakeRect(1, 1, 2, 2), 0xA1B2C3);
  EXPECT_EQ(rgb.GetPixel(1, 1), 0xA1B2C3u);
}

TEST(DIBSurface, Flips) {
  TDIBSurface s;
  s.SetSize(3, 2, 8);
  s.SetPixel(0, 0, 1);
  s.SetPixel(2, 1, 2);
  s.FlipHorizontal();
  EXPECT_EQ(s.GetPixel(2, 0), 1u);
  EXPECT_EQ(s.GetPixel(0, 1), 2u);
  s.FlipVertical();
  EXPECT_EQ(s.GetPixel(2, 1), 1u);
  EXPECT_EQ(s.GetPixel(0, 0), 2u);
}

TEST(DIBSurface, CopiesTakeTheAlphaPlaneOrDropTheirOwn) {
  TDIBSurface source;
  source.SetSize(4, 4, 15);
  Fill(source, 0x1234);
  source.SetPixel(2, 1, 0x7C00);
  source.EnsureAlphaPlane();
  source.Alpha()->SetPixel(2, 1, 200);

  TDIBSurface copy;
  copy.CopyFrom(source);
  EXPECT_EQ(copy.GetBitCount(), 15);
  EXPECT_EQ(copy.GetPixel(2, 1), 0x7C00u);
  ASSERT_NE(copy.Alpha(), nullptr);
  EXPECT_EQ(copy.Alpha()->GetPixel(2, 1), 200u);

  TDIBSurface assigned;
  assigned.AssignSurface(source);
  EXPECT_EQ(assigned.GetPixel(2, 1), 0x7C00u);
  ASSERT_NE(assigned.Alpha(), nullptr);
  EXPECT_EQ(assigned.Alpha()->GetPixel(2, 1), 200u);

  TDIBSurface part;
  part.AssignRect(source, MakeRect(1, 1, 3, 10), true);  // cut to the source: 2 x 3
  EXPECT_EQ(part.Width(), 2);
  EXPECT_EQ(part.Height(), 3);
  EXPECT_EQ(part.GetPixel(1, 0), 0x7C00u);
  ASSERT_NE(part.Alpha(), nullptr);
  EXPECT_EQ(part.Alpha()->GetPixel(1, 0), 200u);
  part.AssignRect(source, MakeRect(0, 0, 2, 2), false);
  EXPECT_EQ(part.Alpha(), nullptr);

  TDIBSurface plain;
  plain.SetSize(4, 4, 15);
  copy.CopyFrom(plain);
  EXPECT_EQ(copy.Alpha(), nullptr);
  assigned.AssignSurface(plain);
  EXPECT_EQ(assigned.Alpha(), nullptr);

  source.Crop(MakeRect(2, 1, 9, 2));
  EXPECT_EQ(source.Width(), 2);
  EXPECT_EQ(source.Height(), 1);
  EXPECT_EQ(source.GetPixel(0, 0), 0x7C00u);
  EXPECT_EQ(source.Alpha()->Width(), 2);
  EXPECT_EQ(source.Alpha()->GetPixel(0, 0), 200u);
}

TEST(DIBSurface, ContentRectAndTrim) {
  TDIBSurface s;
  s.SetSize(5, 4, 8);
  Fill(s, 7);
  s.SetPixel(1, 1, 3);
  s.SetPixel(3, 2, 3);
  EXPECT_EQ(s.GetContentRect(7), MakeRect(1, 1, 4, 3));
  EXPECT_EQ(s.GetContentRect(-1), s.GetBoundsRect());
  EXPECT_EQ(s.GetContentRect(9), s.GetBoundsRect());
  s.TrimToColor(-1);
  EXPECT_EQ(s.Width(), 5);
  s.TrimToColor(9);
  EXPECT_EQ(s.Width(), 5);
  s.TrimToColor(7);
  EXPECT_EQ(s.Width(), 3);
  EXPECT_EQ(s.Height(), 2);
  EXPECT_EQ(s.GetPixel(0, 0), 3u);
  EXPECT_EQ(s.GetPixel(2, 1), 3u);

  TDIBSurface flat;
  flat.SetSize(4, 4, 24);
  Fill(flat, 0x102030);
  EXPECT_EQ(flat.GetContentRect(0x102030), TRect{});
  flat.TrimToColor(0x102030);
  EXPECT_EQ(flat.Width(), 1);
  EXPECT_EQ(flat.Height(), 1);
}

TEST(DIBSurface, FindUnusedIndex) {
  TDIBSurface s;
  s.SetSize(16, 16, 8);
  for (int i = 0; i < 255; ++i) s.SetPixel(i % 16, i / 16, static_cast<std::uint32_t>(i));
  s.SetPixel(15, 15, 0);
  EXPECT_EQ(s.FindUnusedIndex(), 255);
  s.SetPixel(15, 15, 255);
  EXPECT_EQ(s.FindUnusedIndex(), -1);

  TDIBSurface four;
  four.SetSize(3, 1, 4);
  four.SetPixel(0, 0, 0);
  four.SetPixel(1, 0, 1);
  four.SetPixel(2, 0, 3);
  EXPECT_EQ(four.FindUnusedIndex(), 2);

  TDIBSurface one;
  one.SetSize(11, 2, 1);
  EXPECT_EQ(one.FindUnusedIndex(), 1);
  Fill(one, 1);
  EXPECT_EQ(one.FindUnusedIndex(), 0);
  one.SetPixel(10, 1, 0);
  EXPECT_EQ(one.FindUnusedIndex(), -1);

  TDIBSurface deep;
  deep.SetSize(1, 1, 24);
  EXPECT_EQ(deep.FindUnusedIndex(), -1);
}

TEST(DIBSurface, PixelConversionsByDepth) {
  TDIBSurface s;
  std::uint8_t r, g, b;
  s.SetSize(1, 1, 15);
  s.PixelToRGB8(0x7FFF, true, r, g, b);
  EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{255, 255, 255}));
  s.PixelToRGB8(0x7FFF, false, r, g, b);
  EXPECT_EQ(r, 248);
  s.PixelToRGB8(0, true, r, g, b);
  EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(s.RGB8ToPixel(255, 128, 8), (31u << 10) | (16u << 5) | 1u);
  EXPECT_EQ(s.RGBToPixel(31, 31, 31), 0x7FFFu);
  EXPECT_EQ(s.RGBToPixel(32, 0, 0), 0u);  // masked to 15 bits

  s.SetSize(1, 1, 16);
  s.PixelToRGB8(0xFFFF, true, r, g, b);
  EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{255, 255, 255}));
  s.PixelToRGB8(0x07E0, false, r, g, b);
  EXPECT_EQ(g, 252);
  EXPECT_EQ(s.RGB8ToPixel(255, 255, 255), 0xFFFFu);
  EXPECT_EQ(s.RGBToPixel(31, 63, 31), 0xFFFFu);
  int ri, gi, bi;
  s.PixelToRGB(0xF81F, ri, gi, bi);
  EXPECT_EQ((std::array<int, 3>{ri, gi, bi}), (std::array<int, 3>{31, 0, 31}));

  s.SetSize(1, 1, 32);
  s.PixelToRGB8(0xFF112233, true, r, g, b);
  EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{0x11, 0x22, 0x33}));
  EXPECT_EQ(s.RGB8ToPixel(1, 2, 3), 0x010203u);
  EXPECT_EQ(s.RGBToPixel(1, 2, 3), 0x010203u);

  s.SetSize(1, 1, 8);  // grey ramp
  EXPECT_EQ(s.RGB8ToPixel(90, 100, 110), 100u);
  EXPECT_EQ(s.RGBToPixel(3, 3, 3), 3u);
  s.PixelToRGB8(77, false, r, g, b);
  EXPECT_EQ(r, 77);
}

TEST(DIBSurface, RGBRowsFromTheTopAndPresentation) {
  TDIBSurface s;
  s.SetSize(2, 2, 24);
  s.SetPixel(1, 0, 0x112233);
  struct Sink : IRGBRowsSink {
    int w = 0, h = 0;
    std::vector<std::uint8_t> rows;
    void TakeRGBRows(int width, int height, const std::vector<std::uint8_t>& data) override {
      w = width;
      h = height;
      rows = data;
    }
  } sink;
  s.AssignJPEG(sink);
  EXPECT_EQ(sink.w, 2);
  EXPECT_EQ(sink.h, 2);
  ASSERT_EQ(sink.rows.size(), 12u);
  EXPECT_EQ(sink.rows[3], 0x11);
  EXPECT_EQ(sink.rows[4], 0x22);
  EXPECT_EQ(sink.rows[5], 0x33);

  TDIBSurface screen;
  screen.SetSize(1, 1, 24);
  screen.Changing(true);
  gdi::MemoryDC dc(screen.Image()->View());
  s.PresentToDC(&dc, 0, 0, 1, 1, 1, 0, 1, 1);  // source pixel (1, 0) from the top
  EXPECT_EQ(screen.GetPixel(0, 0), 0x112233u);
}

}  // namespace
}  // namespace vorn
