#include <gtest/gtest.h>

#include "platform/cursors.h"

namespace vorn::platform {
namespace {

TEST(CursorAnimation, StepsLoopAcrossTheClockWrapAndZeroLengthsCountOneMillisecond) {
  CursorAnimation animation;
  const std::uint32_t start = 0xFFFFFFF0u;
  animation.Start({CursorStep{2, 10}, CursorStep{0, 0}, CursorStep{1, 20}}, start);
  ASSERT_TRUE(animation.Running());
  const struct {
    std::uint32_t after;
    std::size_t frame;
    std::uint32_t next_change;
  } cases[] = {{0, 2, 10}, {9, 2, 1}, {10, 0, 1}, {11, 1, 20}, {30, 1, 1}, {31, 2, 10}, {31 * 1000 + 5, 2, 5}};
  for (const auto& c : cases) {
    EXPECT_EQ(animation.FrameAt(start + c.after), c.frame) << c.after;
    EXPECT_EQ(animation.NextChangeIn(start + c.after), c.next_change) << c.after;
  }
}

TEST(CursorAnimation, AStillCursorNeverChanges) {
  CursorAnimation animation;
  animation.Start({CursorStep{0, 5}}, 100);
  EXPECT_FALSE(animation.Running());
  EXPECT_EQ(animation.FrameAt(7), 0u);
  EXPECT_FALSE(animation.NextChangeIn(7).has_value());
  animation.Stop();
  EXPECT_EQ(animation.FrameAt(7), 0u);
}

}  // namespace
}  // namespace vorn::platform
