#include "foundation/rect.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(Rect, EmptinessOverlapAndClip) {
  EXPECT_TRUE(RectIsEmpty({0, 0, 0, 10}));
  EXPECT_TRUE(RectIsEmpty({5, 0, 4, 10}));
  EXPECT_FALSE(RectIsEmpty({0, 0, 1, 1}));
  // Touching edges share no interior point.
  EXPECT_FALSE(RectsOverlap({0, 0, 10, 10}, {10, 0, 20, 10}));
  EXPECT_TRUE(RectsOverlap({0, 0, 10, 10}, {9, 9, 20, 20}));
  EXPECT_EQ(ClipRectTo({0, 0, 10, 10}, {5, -5, 20, 5}), (TRect{5, 0, 10, 5}));
  EXPECT_EQ(ClipRectTo({0, 0, 10, 10}, {10, 0, 20, 10}), TRect{});
  EXPECT_TRUE(PointInRect(MakePoint(0, 0), {0, 0, 1, 1}));
  EXPECT_FALSE(PointInRect(MakePoint(1, 0), {0, 0, 1, 1}));
}

}  // namespace
}  // namespace vorn
