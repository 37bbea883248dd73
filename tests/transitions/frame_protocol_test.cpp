// The step every whole-page effect shares: when it draws, when it is done, what it marks dirty.

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "foundation/vocabulary_codes.h"
#include "foundation/wipe_defaults.h"
#include "graphics/memory_dibx.h"
#include "transitions/create_wipe.h"
#include "transitions/wipe_test_util.h"

namespace vorn {
namespace {

using test::WipePages;

const int kWholePageKinds[] = {WP_FADE,   WP_WHITE,     WP_BLACK,     WP_FLASH, WP_MOSAIC,
                               WP_SMALL,  WP_BIG,       WP_BLURWHITE, WP_BLURBLACK,
                               WP_ZOOMIN};

struct StepRow {
  std::int32_t total;
  std::int32_t current;
  bool done;
};

const StepRow kSteps[] = {
    {1, 0, false},          {1, 1, true},
    {100, 99, false},       {100, 100, true},
    {100, 150, true},       {100, -5, false},  // a negative time counts as 0
    {0, 0, true},           {-5, 0, true},
    {INT_MIN, INT_MIN, true}, {INT_MAX, INT_MAX - 1, false},
    {INT_MAX, INT_MAX, true}, {INT_MAX, 0, false},
    {1, INT_MIN, false},
};

TEST(WipeFrame, DrawsUntilTheTimeRunsOutAndMarksTheWholeTargetDirty) {
  ResetWipeDefaults();
  for (int kind : kWholePageKinds) {
    for (const StepRow& step : kSteps) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " total " << step.total
                                      << " current " << step.current);
      WipePages pages(7, 5, 32, 0x00102030, 0x00405060);
      auto wipe = CreateWipe(static_cast<std::uint8_t>(kind), pages.target, pages.from, pages.to);
      wipe->Total = step.total;
      wipe->Prepare();
      wipe->Current = step.current;
      EXPECT_EQ(wipe->DrawnRect, TRect{});
      EXPECT_EQ(wipe->Draw(), step.done);
      EXPECT_EQ(wipe->DrawnRect, (TRect{0, 0, 7, 5}));
      if (step.done) {
        EXPECT_TRUE(pages.target.Calls.empty());
        EXPECT_EQ(pages.target.DirtyRect, TRect{});
      } else {
        ASSERT_FALSE(pages.target.Calls.empty());
        EXPECT_EQ(pages.target.Calls.front().Text(), "AddDirtyRect 0,0,7,5");
        EXPECT_EQ(pages.target.DirtyRect, (TRect{0, 0, 7, 5}));
        EXPECT_GT(pages.target.Calls.size(), 1u);
      }
    }
  }
}

TEST(WipeFrame, FinishAndTheDirectionChangeNothingDrawn) {
  for (int kind = 1; kind <= 38; ++kind) {
    SCOPED_TRACE(kind);
    WipePages pages(3, 2, 32);
    auto wipe = CreateWipe(static_cast<std::uint8_t>(kind), pages.target, pages.from, pages.to);
    for (int direction : {0, 1, 2, 255}) wipe->SetDirection(static_cast<std::uint8_t>(direction));
    wipe->SetMaskName("mask.png");
    wipe->Finish();
    EXPECT_TRUE(pages.target.Calls.empty());
  }
}

TEST(WipeFrame, EveryKindSurvivesOddSurfacesAndExtremeSettings) {
  struct Shape {
    int width, height, bits;
  };
  const Shape targets[] = {{0, 0, 32}, {1, 1, 32}, {3, 2, 16}, {5, 4, 15}, {4, 3, 24}, {4, 3, 8}};
  const Shape pages[] = {{0, 0, 32}, {1, 1, 32}, {9, 2, 32}, {3, 7, 16}, {5, 4, 8}};
  for (int kind = 1; kind <= 38; ++kind) {
    for (const Shape& t : targets) {
      for (const Shape& p : pages) {
        SCOPED_TRACE(testing::Message() << "kind " << kind << " target " << t.width << "x"
                                        << t.height << "@" << t.bits << " page " << p.width << "x"
                                        << p.height << "@" << p.bits);
        TMemoryDIBX target(t.width, t.height, t.bits);
        TMemoryDIBX from(p.width, p.height, p.bits), to(t.width, t.height, t.bits);
        auto wipe = CreateWipe(static_cast<std::uint8_t>(kind), target, from, to);
        wipe->SetParam(0, kind % 2 ? INT_MIN : INT_MAX);
        wipe->SetParam(1, kind % 2 ? INT_MAX : INT_MIN);
        wipe->SetDirection(static_cast<std::uint8_t>(kind * 7));
        wipe->Total = INT_MAX;
        wipe->Prepare();
        for (std::int32_t current : {INT_MIN, 0, 1, INT_MAX / 2, INT_MAX - 1, INT_MAX}) {
          wipe->Current = current;
          wipe->Draw();
        }
        EXPECT_TRUE(wipe->DrawnRect == TRect{} || wipe->DrawnRect == (TRect{0, 0, t.width, t.height}));
      }
    }
  }
}

}  // namespace
}  // namespace vorn
