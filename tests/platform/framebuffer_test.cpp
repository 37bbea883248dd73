#include "platform/framebuffer.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vorn::platform
