#include "transitions/wipe_mask.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "graphics/dibx.h"
#include "graphics/memory_dibx.h"
#include "graphics/vector_unit.h"
#include "support/recording_dibx.h"
#include "transitions/wipe_test_util.h"

namespace vorn {
namespace {

using test::AllEqual;
using test::RecordingDIBX;
using test::WipePages;

// A mask effect whose mask is whatever the test writes: value(x, row).
class FixedMaskWipe : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;

  std::function<std::uint8_t(int, int)> value = [](int, int) { return 0; };
  int rows = -1;  // the mask height; -1 for the base's (the target's height)
  bool changed = true;
  bool twoLevel = false;
  int updates = 0;

  bool UpdateMask() override {
    ++updates;
    TwoLevel = twoLevel ? 1 : 0;
    TDIBX& mask = MaskSurface();
    for (int y = 0; y < mask.GetHeight(); ++y)
      for (int x = 0; x < mask.GetWidth(); ++x) mask.SetPixel(x, y, value(x, y));
    return changed;
  }
  int MaskHeight() override { return rows < 0 ? TWipeMask::MaskHeight() : rows; }

  TDIBX& Mask() { return MaskSurface(); }
  std::int64_t Last() const { return LastValue; }
};

std::unique_ptr<FixedMaskWipe> Started(WipePages& pages, std::uint8_t m, int total = 100) {
  auto wipe = std::make_unique<FixedMaskWipe>(pages.target, pages.from, pages.to);
  wipe->value = [m](int, int) { return m; };
  wipe->Total = total;
  wipe->Prepare();
  return wipe;
}

TEST(TWipeMask, PrepareMakesAZeroMaskOfTheTargetWidthAndMaskHeight) {
  WipePages pages(10, 4, 32);
  FixedMaskWipe wipe(pages.target, pages.from, pages.to);
  EXPECT_EQ(wipe.Last(), -1);
  EXPECT_TRUE(wipe.Mask().IsEmpty());
  wipe.rows = 3;
  wipe.Prepare();
  EXPECT_EQ(wipe.Mask().GetWidth(), 10);
  EXPECT_EQ(wipe.Mask().GetHeight(), 3);
  EXPECT_EQ(wipe.Mask().GetBitCount(), 8);
  EXPECT_TRUE(AllEqual(wipe.Mask(), 0));
}

TEST(TWipeMask, DrawingNeverTouchesTheDirtyRectangle) {
  WipePages pages(6, 3, 32, 0x111111, 0x222222);
  auto wipe = Started(pages, 255);
  wipe->Current = 10;
  EXPECT_FALSE(wipe->Draw());
  EXPECT_EQ(wipe->DrawnRect, (TRect{0, 0, 6, 3}));
  EXPECT_EQ(pages.target.Count("AddDirtyRect"), 0);
  EXPECT_EQ(pages.target.DirtyRect, TRect{});
  EXPECT_TRUE(AllEqual(pages.target, 0x222222));
}

TEST(TWipeMask, NothingIsDrawnBeforePrepareOrWhileTheMaskIsUnchanged) {
  WipePages pages(6, 3, 32, 0x111111, 0x222222);
  pages.target.Fill(0x0ABCDE);
  pages.target.Calls.clear();
  FixedMaskWipe unprepared(pages.target, pages.from, pages.to);
  unprepared.Total = 100;
  EXPECT_FALSE(unprepared.Draw());
  EXPECT_EQ(unprepared.DrawnRect, (TRect{0, 0, 6, 3}));

  auto still = Started(pages, 255);
  still->changed = false;
  EXPECT_FALSE(still->Draw());
  EXPECT_EQ(still->updates, 1);
  EXPECT_TRUE(pages.target.Calls.empty());
  EXPECT_TRUE(AllEqual(pages.target, 0x0ABCDE));
}

TEST(TWipeMask, DoneStepsReportTrueWithoutAskingForAMask) {
  WipePages pages(6, 3, 32);
  auto wipe = Started(pages, 255, 5);
  for (std::int32_t current : {5, 6, INT32_MAX}) {
    wipe->Current = current;
    EXPECT_TRUE(wipe->Draw());
  }
  EXPECT_EQ(wipe->updates, 0);
  EXPECT_TRUE(pages.target.Calls.empty());
}

struct MixRow {
  int bits;
  std::uint32_t from;
  std::uint32_t to;
  std::uint8_t m;
  bool twoLevel;
  std::uint32_t expected;
};

// Worked by hand: each channel is (to × m + from × (255 − m)) >> 8.
const MixRow kMixes[] = {
    // 32 bits: from R FF G 80 B 00, to R 00 G 80 B FF.
    {32, 0x00FF8000, 0x000080FF, 0, false, 0x00FF8000},
    {32, 0x00FF8000, 0x000080FF, 1, false, 0x00FD7F00},
    {32, 0x00FF8000, 0x000080FF, 127, false, 0x007F7F7E},
    {32, 0x00FF8000, 0x000080FF, 128, false, 0x007E7F7F},
    {32, 0x00FF8000, 0x000080FF, 254, false, 0x00007FFD},
    {32, 0x00FF8000, 0x000080FF, 255, false, 0x000080FF},
    {32, 0x00FF8000, 0x000080FF, 0, true, 0x00FF8000},
    {32, 0x00FF8000, 0x000080FF, 1, true, 0x000080FF},
    {32, 0x00FF8000, 0x000080FF, 128, true, 0x000080FF},
    // Equal pixels are mixed too: 0x80 × 255 >> 8 = 0x7F.
    {32, 0x00808080, 0x00808080, 128, false, 0x007F7F7F},
    // 5-6-5: from R 31 G 32 B 0 (0xFC00), to R 0 G 32 B 31 (0x041F).
    {16, 0xFC00, 0x041F, 0, false, 0xFC00},
    {16, 0xFC00, 0x041F, 1, false, 0xF3E0},    // R 30 G 31 B 0
    {16, 0xFC00, 0x041F, 127, false, 0x7BEF},  // R 15 G 31 B 15
    {16, 0xFC00, 0x041F, 128, false, 0x7BEF},
    {16, 0xFC00, 0x041F, 254, false, 0x03FE},  // R 0 G 31 B 30
    {16, 0xFC00, 0x041F, 255, false, 0x041F},
    {16, 0xFC00, 0x041F, 1, true, 0x041F},
    // 5-5-5: from R 31 G 16 B 0 (0x7E00), to R 0 G 16 B 31 (0x021F).
    {15, 0x7E00, 0x021F, 0, false, 0x7E00},
    {15, 0x7E00, 0x021F, 1, false, 0x79E0},    // R 30 G 15 B 0
    {15, 0x7E00, 0x021F, 127, false, 0x3DEF},  // R 15 G 15 B 15
    {15, 0x7E00, 0x021F, 128, false, 0x3DEF},
    {15, 0x7E00, 0x021F, 254, false, 0x01FE},  // R 0 G 15 B 30
    {15, 0x7E00, 0x021F, 255, false, 0x021F},
    {15, 0x7E00, 0x021F, 200, true, 0x021F},
    // 24 bits go through Draw and DrawMask, whose rule is the same here.
    {24, 0xFF8000, 0x0080FF, 128, false, 0x7E7F7F},
    {24, 0xFF8000, 0x0080FF, 0, false, 0xFF8000},
    {24, 0xFF8000, 0x0080FF, 255, false, 0x0080FF},
    {24, 0xFF8000, 0x0080FF, 1, true, 0x0080FF},
};

TEST(TWipeMask, ComposesEveryPixelByTheOneRuleOnBothPaths) {
  for (bool vector : {false, true}) {
    ScopedVectorUnitOverride unit(vector);
    for (const MixRow& row : kMixes) {
      SCOPED_TRACE(testing::Message() << "vector " << vector << " bits " << row.bits << " m "
                                      << int(row.m) << " two-level " << row.twoLevel);
      // 13 columns: whole vector steps and a plain tail on one row.
      WipePages pages(13, 2, row.bits, row.from, row.to);
      auto wipe = Started(pages, row.m);
      wipe->twoLevel = row.twoLevel;
      EXPECT_FALSE(wipe->Draw());
      EXPECT_TRUE(AllEqual(pages.target, row.expected)) << std::hex << pages.target.GetPixel(0, 0);
    }
  }
}

TEST(TWipeMask, VectorAndPlainPathsAgreeOnRandomPages) {
  std::mt19937 rng(7);
  for (int bits : {15, 16, 32}) {
    for (bool twoLevel : {false, true}) {
      SCOPED_TRACE(testing::Message() << "bits " << bits << " two-level " << twoLevel);
      std::vector<std::vector<std::uint32_t>> results;
      std::vector<std::uint32_t> fromPixels, toPixels, maskValues;
      for (int i = 0; i < 37 * 5; ++i) {
        fromPixels.push_back(rng());
        toPixels.push_back(rng());
        maskValues.push_back(rng() % 4 == 0 ? (rng() % 2) * 255 : rng() & 0xFF);
      }
      for (bool vector : {false, true}) {
        ScopedVectorUnitOverride unit(vector);
        WipePages pages(37, 5, bits);
        const std::uint32_t keep = bits == 32 ? 0xFFFFFFFFu : 0xFFFFu;
        for (int y = 0; y < 5; ++y)
          for (int x = 0; x < 37; ++x) {
            pages.from.SetPixel(x, y, fromPixels[y * 37 + x] & keep);
            pages.to.SetPixel(x, y, toPixels[y * 37 + x] & keep);
          }
        auto wipe = Started(pages, 0);
        wipe->twoLevel = twoLevel;
        wipe->value = [&](int x, int y) { return static_cast<std::uint8_t>(maskValues[y * 37 + x]); };
        wipe->Draw();
        results.push_back(test::AllPixels(pages.target));
      }
      EXPECT_EQ(results[0], results[1]);
    }
  }
}

TEST(TWipeMask, MaskRowsRepeatDownTheTarget) {
  for (int bits : {32, 16, 15, 24, 8}) {
    for (int rows : {1, 3, 64}) {
      SCOPED_TRACE(testing::Message() << "bits " << bits << " mask rows " << rows);
      WipePages pages(7, 10, bits, 0x11, 0x22);
      auto wipe = Started(pages, 0);
      wipe->rows = rows;
      wipe->Prepare();
      ASSERT_EQ(wipe->Mask().GetHeight(), rows);
      wipe->value = [](int x, int row) -> std::uint8_t { return (x + row) % 3 == 0 ? 255 : 0; };
      wipe->Draw();
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 7; ++x)
          EXPECT_EQ(pages.target.GetPixel(x, y), (x + y % rows) % 3 == 0 ? 0x22u : 0x11u)
              << x << "," << y;
    }
  }
}

TEST(TWipeMask, BottomUpSurfacesKeepTheirRowsApart) {
  for (int bits : {32, 16, 24}) {
    for (bool vector : {false, true}) {
      SCOPED_TRACE(testing::Message() << "bits " << bits << " vector " << vector);
      ScopedVectorUnitOverride unit(vector);
      TDIBX target, from, to;
      for (TDIBX* s : {&target, &from, &to}) s->SetSize(9, 10, bits);
      from.Fill(0x11);
      to.Fill(0x22);
      FixedMaskWipe wipe(target, from, to);
      wipe.rows = 3;
      wipe.value = [](int x, int row) -> std::uint8_t { return (x + row) % 3 == 0 ? 255 : 0; };
      wipe.Total = 10;
      wipe.Prepare();
      wipe.Draw();
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 9; ++x)
          EXPECT_EQ(target.GetPixel(x, y), (x + y % 3) % 3 == 0 ? 0x22u : 0x11u) << x << "," << y;
    }
  }
}

TEST(TWipeMask, EightAndTwentyFourBitsGoThroughDrawAndDrawMask) {
  for (int bits : {8, 24}) {
    SCOPED_TRACE(bits);
    WipePages pages(4, 3, bits, 0x10, 0x20);
    auto wipe = Started(pages, 255);
    wipe->Draw();
    EXPECT_EQ(pages.target.Count("Draw"), 1);
    EXPECT_EQ(pages.target.Count("DrawMask"), 1);
    EXPECT_TRUE(AllEqual(pages.target, 0x20));
  }
  WipePages pages(4, 3, 32, 0x10, 0x20);
  Started(pages, 255)->Draw();
  EXPECT_EQ(pages.target.Count("Draw"), 0);
  EXPECT_EQ(pages.target.Count("DrawMask"), 0);
}

TEST(TWipeMask, AFailedLockOfAnySurfaceDrawsNothing) {
  for (int bits : {32, 16, 24}) {
    for (int failing = 0; failing < 3; ++failing) {
      SCOPED_TRACE(testing::Message() << "bits " << bits << " failing " << failing);
      RecordingDIBX target(5, 2, bits), from(5, 2, bits), to(5, 2, bits);
      target.Fill(0x01);
      from.Fill(0x02);
      to.Fill(0x03);
      RecordingDIBX* surfaces[] = {&target, &from, &to};
      surfaces[failing]->FailLock = true;
      FixedMaskWipe wipe(target, from, to);
      wipe.value = [](int, int) { return 255; };
      wipe.Total = 10;
      wipe.Prepare();
      EXPECT_FALSE(wipe.Draw());
      surfaces[failing]->FailLock = false;
      EXPECT_TRUE(AllEqual(target, 0x01));
    }
  }
}

TEST(TWipeMask, PagesSmallerThanTheTargetOrOfAnotherDepthAreNotRead) {
  struct PageRow {
    int width, height, bits;
  };
  for (const PageRow& page : {PageRow{4, 3, 32}, PageRow{5, 2, 32}, PageRow{5, 3, 16},
                              PageRow{0, 0, 32}}) {
    for (bool shortFrom : {false, true}) {
      SCOPED_TRACE(testing::Message() << page.width << "x" << page.height << "@" << page.bits
                                      << (shortFrom ? " from" : " to"));
      RecordingDIBX target(5, 3, 32);
      TMemoryDIBX good(5, 3, 32), odd(page.width, page.height, page.bits);
      target.Fill(0x01);
      FixedMaskWipe wipe(target, shortFrom ? odd : good, shortFrom ? good : odd);
      wipe.value = [](int, int) { return 128; };
      wipe.Total = 10;
      wipe.Prepare();
      wipe.Draw();
      EXPECT_TRUE(AllEqual(target, 0x01));
    }
  }
}

TEST(TWipeOrderMask, OrderArraysHoldOneZeroPerColumnOrRow) {
  TMemoryDIBX target(10, 4, 32), from(10, 4, 32), to(10, 4, 32);
  EXPECT_EQ(TWipeOrderHMask(target, from, to).Order(), std::vector<std::uint8_t>(10, 0));
  EXPECT_EQ(TWipeOrderVMask(target, from, to).Order(), std::vector<std::uint8_t>(4, 0));
  TMemoryDIBX empty;
  EXPECT_TRUE(TWipeOrderHMask(empty, from, to).Order().empty());
  EXPECT_TRUE(TWipeOrderVMask(empty, from, to).Order().empty());
}

}  // namespace
}  // namespace vorn
