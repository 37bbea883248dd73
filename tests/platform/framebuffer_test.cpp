#include "platform/framebuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vorn::platform {
namespace {

TEST(StretchBlit, CopiesOneToOneClippedToTheTarget) {
  const std::uint32_t src[] = {1, 2, 3, 4, 5, 6};  // 3 x 2
  Framebuffer target(4, 4, 0);
  const PixelView view{src, 3, 2, 3};
  const Rect touched = StretchBlit(target, view, Rect{0, 0, 3, 2}, Rect{2, 3, 3, 2}, target.bounds());
  EXPECT_EQ(touched, (Rect{2, 3, 2, 1}));
  EXPECT_EQ(target.Pixel(2, 3), 1u);
  EXPECT_EQ(target.Pixel(3, 3), 2u);
  EXPECT_EQ(target.Pixel(1, 3), 0u);
}

TEST(StretchBlit, DoublesWithNearestPixelInsideTheClip) {
  const std::uint32_t src[] = {1, 2, 3, 4};  // 2 x 2
  Framebuffer target(4, 4, 0);
  StretchBlit(target, PixelView{src, 2, 2, 2}, Rect{0, 0, 2, 2}, Rect{0, 0, 4, 4}, Rect{0, 0, 4, 3});
  const std::uint32_t expected[4][4] = {{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}, {0, 0, 0, 0}};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(target.Pixel(x, y), expected[y][x]) << x << "," << y;
  }
}

TEST(StretchBlit, SourceRectangleOutsideThePixelsReadsNothingOutside) {
  const std::uint32_t src[] = {7, 8};  // 2 x 1
  Framebuffer target(3, 1, 0);
  StretchBlit(target, PixelView{src, 2, 1, 2}, Rect{-1, 0, 3, 1}, Rect{0, 0, 3, 1}, target.bounds());
  EXPECT_EQ(target.Pixel(0, 0), 0u);
  EXPECT_EQ(target.Pixel(1, 0), 7u);
  EXPECT_EQ(target.Pixel(2, 0), 8u);
}

// 16-bit rows widened one to one, at every length around the vector step and at odd source
// offsets: each pixel by the channel rule spelled out here, bit 15 of 5-5-5 ignored.
TEST(BlitSourcePixels, WidensSixteenBitRowsChannelByChannel) {
  const auto widen = [](std::uint32_t v, int greenBits) {
    const std::uint32_t b = v & 31, g = (v >> 5) & ((1u << greenBits) - 1), r = (v >> (5 + greenBits)) & 31;
    const std::uint32_t g8 = greenBits == 5 ? (g << 3) | (g >> 2) : (g << 2) | (g >> 4);
    return (((r << 3) | (r >> 2)) << 16) | (g8 << 8) | ((b << 3) | (b >> 2));
  };
  std::vector<std::uint16_t> row(70);
  std::uint32_t seed = 3;
  for (auto& v : row) {
    seed = seed * 1103515245u + 12345u;
    v = static_cast<std::uint16_t>(seed >> 12);
  }
  row[0] = 0xFFFF;
  row[1] = 0x8000;
  for (SourceFormat format : {SourceFormat::kRgb555, SourceFormat::kRgb565})
    for (int offset : {0, 1, 3})
      for (int width = 1; width <= 40; ++width) {
        SourcePixels src;
        src.top = reinterpret_cast<const std::uint8_t*>(row.data());
        src.pitch = static_cast<std::ptrdiff_t>(row.size() * 2);
        src.width = static_cast<int>(row.size());
        src.height = 1;
        src.format = format;
        std::vector<std::uint32_t> target(static_cast<std::size_t>(width) + 2, 0xDEADBEEF);
        BlitSourcePixels(target.data() + 1, width, width, 1, src, Rect{offset, 0, width, 1}, Rect{0, 0, width, 1},
                         Rect{0, 0, width, 1});
        EXPECT_EQ(target.front(), 0xDEADBEEFu);
        EXPECT_EQ(target.back(), 0xDEADBEEFu);
        for (int i = 0; i < width; ++i)
          ASSERT_EQ(target[static_cast<std::size_t>(i) + 1],
                    widen(row[static_cast<std::size_t>(offset + i)], format == SourceFormat::kRgb555 ? 5 : 6))
              << "width " << width << " offset " << offset << " pixel " << i;
      }
}

}  // namespace
}  // namespace vorn::platform
