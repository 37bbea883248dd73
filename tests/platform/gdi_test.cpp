#include "platform/gdi/gdi.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorn::gdi {
namespace {

struct Memory {
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint32_t> table;
  PixelStore store;
  Memory(int width, int height, int bits, std::uint32_t r = 0xFF0000, std::uint32_t g = 0xFF00, std::uint32_t b = 0xFF) {
    store.width = width;
    store.height = height;
    store.bitCount = bits;
    store.widthBytes = ((bits * width + 31) >> 5) * 4;
    bytes.assign(static_cast<std::size_t>(store.widthBytes) * height, 0);
    store.bits = bytes.data();
    store.redMask = r;
    store.greenMask = g;
    store.blueMask = b;
    if (bits <= 8) {
      table.assign(256, 0);
      for (std::uint32_t i = 0; i < 256; ++i) table[i] = i * 0x010101;
      store.colorTable = table.data();
      store.colorCount = 1 << bits;
    }
  }
};

TEST(Gdi, FieldsWidenWithTheirTopBitsRepeated) {
  struct Case {
    std::uint32_t r, g, b, pixel, rgb;
  };
  const Case cases[] = {
      {0xF800, 0x07E0, 0x001F, 0xFFFF, 0xFFFFFF},  // white stays white
      {0xF800, 0x07E0, 0x001F, 0x8410, 0x848284},  // 16 -> 132, 32 -> 130
      {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0xFFFFFF},
      {0x7C00, 0x03E0, 0x001F, 0x0001, 0x000008},
  };
  for (const auto& c : cases) {
    Memory m(1, 1, 16, c.r, c.g, c.b);
    m.bytes[0] = static_cast<std::uint8_t>(c.pixel);
    m.bytes[1] = static_cast<std::uint8_t>(c.pixel >> 8);
    EXPECT_EQ(ReadPixelRGB(m.store, 0, 0), c.rgb) << std::hex << c.pixel;
    WritePixelRGB(m.store, 0, 0, c.rgb);
    EXPECT_EQ(m.bytes[0] | (m.bytes[1] << 8), static_cast<int>(c.pixel));
  }
}

TEST(Gdi, NearestPaletteIndexTakesTheLowestOnTies) {
  const PaletteEntry entries[3] = {{0, 0, 0, 0}, {10, 0, 0, 0}, {10, 0, 0, 0}};
  const HPALETTE palette = CreatePalette(entries, 3);
  EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(9, 0, 0)), 1);
  EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(5, 0, 0)), 0);
  EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(200, 0, 0)), 1);
  EXPECT_TRUE(DeletePalette(palette));
  EXPECT_EQ(GetNearestPaletteIndex(palette, 0), -1);
  EXPECT_FALSE(DeletePalette(palette));
}

TEST(Gdi, StretchBltPicksNearestSourcePixelsAndConvertsByColour) {
  Memory source(4, 1, 24);
  for (int x = 0; x < 4; ++x) source.bytes[3 * x + 2] = static_cast<std::uint8_t>(x * 80);  // red 0, 80, 160, 240
  Memory target(2, 1, 8);
  MemoryDC src(source.store), dst(target.store);
  // destination x 0, 1 take source x 0, 2
  EXPECT_TRUE(StretchBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 4, 1, SRCCOPY));
  // grey ramp: red 160 alone is nearest to grey 53 (3 x 53 = 160 minimises the distance)
  EXPECT_EQ(target.bytes[0], 0);
  EXPECT_EQ(target.bytes[1], 53);
  EXPECT_TRUE(PatBlt(&dst, 0, 0, 2, 1, WHITENESS));
  EXPECT_EQ(target.bytes[0], 255);
  FillSolidRect(&dst, -5, -5, 1, 9, RGB(1, 1, 1));
  EXPECT_EQ(target.bytes[0], 1);
  EXPECT_EQ(target.bytes[1], 255);
}

// Rectangles near the int32 limits draw only what lands inside, without wrapping back in and
// without walking the billions of pixels outside.
TEST(Gdi, StretchBltAtTheIntLimitsDrawsOnlyWhatLandsInside) {
  Memory source(2, 1, 8);
  source.bytes[0] = 7;
  source.bytes[1] = 9;
  Memory target(2, 1, 8);
  MemoryDC src(source.store), dst(target.store);
  EXPECT_TRUE(StretchBlt(&dst, INT32_MAX, 0, 2, 1, &src, 0, 0, 2, 1, SRCCOPY));
  EXPECT_TRUE(StretchBlt(&dst, INT32_MIN, 0, 2, 1, &src, 0, 0, 2, 1, SRCCOPY));
  EXPECT_TRUE(StretchBlt(&dst, 0, INT32_MAX, 2, 1, &src, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(target.bytes[0], 0);
  EXPECT_EQ(target.bytes[1], 0);
  // Two billion columns ending at x = 1: only the last reaches the picture, from the source's
  // right half.
  EXPECT_TRUE(StretchBlt(&dst, -(INT32_MAX - 1), 0, INT32_MAX, 1, &src, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(target.bytes[0], 9);
  EXPECT_EQ(target.bytes[1], 0);
}

TEST(Gdi, StretchDIBitsCountsSourceRowsFromTheBottom) {
  Memory source(1, 3, 8);
  source.bytes[0] = 10;  // bottom row
  source.bytes[4] = 20;
  source.bytes[8] = 30;  // top row
  Memory target(1, 1, 8);
  MemoryDC dst(target.store);
  StretchDIBits(&dst, 0, 0, 1, 1, 0, 0, 1, 1, source.store, SRCCOPY);
  EXPECT_EQ(target.bytes[0], 10);
  StretchDIBits(&dst, 0, 0, 1, 1, 0, 2, 1, 1, source.store, SRCCOPY);
  EXPECT_EQ(target.bytes[0], 30);
}

}  // namespace
}  // namespace vorn::gdi
