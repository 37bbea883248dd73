#include <gtest/gtest.h>

#include "foundation/vocabulary_codes.h"
#include "graphics/dibx.h"
#include "transitions/create_wipe.h"
#include "transitions/whole_page_wipes.h"
#include "transitions/wipe_test_util.h"

namespace vorn {
namespace {

using test::AllEqual;
using test::WipePages;

struct FadeRow {
  std::int32_t current;
  const char* call;  // the DrawOpacity of the to page, or nullptr when none is drawn
};

TEST(TWipeFade, TheToPageSlidesInFromTheOffsetWhileItsOpacityRises) {
  const FadeRow rows[] = {
      {0, nullptr},
      {50, "DrawOpacity 49,-20 src 0,0,4,2 key 0 flip 0,0 opacity 128"},
      {99, "DrawOpacity 0,0 src 0,0,4,2 key 0 flip 0,0 opacity 253"},
  };
  for (const FadeRow& row : rows) {
    SCOPED_TRACE(row.current);
    WipePages pages(4, 2, 32, 0x00FF8000, 0x000080FF);
    TWipeFade fade(pages.target, pages.from, pages.to);
    fade.SetParam(0, 100);
    fade.SetParam(1, -40);
    fade.Total = 100;
    fade.Current = row.current;
    fade.Draw();
    const auto draws = pages.target.Named("Draw");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].source, &pages.from);
    const auto blends = pages.target.Named("DrawOpacity");
    if (row.call == nullptr) {
      // At opacity 0 the call may be left out; either way the target is the from page.
      for (const auto& blend : blends) EXPECT_NE(blend.args.find("opacity 0"), std::string::npos);
      EXPECT_TRUE(AllEqual(pages.target, 0x00FF8000));
    } else {
      ASSERT_EQ(blends.size(), 1u);
      EXPECT_EQ(blends[0].Text(), row.call);
      EXPECT_EQ(blends[0].source, &pages.to);
    }
  }
}

TEST(TWipeFade, APlainCrossFadeMixesTheTwoPagesByTheElapsedShare) {
  struct Row {
    int bits;
    std::uint32_t from, to, expected;
  };
  // t × 256 / T = 128; each channel (to × 128 + from × 127) >> 8.
  const Row rows[] = {
      {32, 0x00FF8000, 0x000080FF, 0x007E7F7F},
      {16, 0xFC00, 0x041F, 0x7BEF},  // 5-6-5: R 15 G 31 B 15
      {15, 0x7E00, 0x021F, 0x3DEF},  // 5-5-5: R 15 G 15 B 15
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bits);
    WipePages pages(4, 2, row.bits, row.from, row.to);
    auto fade = CreateWipe(WP_FADE, pages.target, pages.from, pages.to);
    fade->Total = 256;
    fade->Current = 128;
    EXPECT_FALSE(fade->Draw());
    EXPECT_TRUE(AllEqual(pages.target, row.expected)) << std::hex << pages.target.GetPixel(0, 0);
  }
}

TEST(TWipeFade, BottomUpPagesFadeLikeTopDownOnes) {
  TDIBX target, from, to;
  for (TDIBX* s : {&target, &from, &to}) s->SetSize(4, 2, 32);
  from.Fill(0x00FF8000);
  to.Fill(0x000080FF);
  TWipeFade fade(target, from, to);
  fade.Total = 256;
  fade.Current = 128;
  fade.Draw();
  EXPECT_TRUE(AllEqual(target, 0x007E7F7F));
}

TEST(TWipeFade, ExtremeParametersAndTimesStayInRange) {
  WipePages pages(4, 2, 32, 0x00FF8000, 0x000080FF);
  TWipeFade fade(pages.target, pages.from, pages.to);
  fade.SetParam(0, INT32_MIN);
  fade.SetParam(1, INT32_MAX);
  fade.Total = INT32_MAX;
  fade.Current = 0;
  fade.Draw();
  // k = (T − 1) / T just under 1, so the offsets land one inside the int32 limits.
  const auto blends = pages.target.Named("DrawOpacity");
  for (const auto& blend : blends)
    EXPECT_EQ(blend.args.substr(0, blend.args.find(' ')), "-2147483647,2147483646");
  EXPECT_TRUE(AllEqual(pages.target, 0x00FF8000));
}

}  // namespace
}  // namespace vorn
