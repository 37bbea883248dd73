#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/vocabulary_codes.h"
#include "graphics/dibx.h"
#include "transitions/create_wipe.h"
#include "transitions/whole_page_wipes.h"
#include "transitions/wipe_test_util.h"

namespace vorn {
namespace {

using test::AllEqual;
using test::CallScript;
using test::RecordingDIBX;
using test::WipePages;
using Script = std::vector<std::string>;

struct BlurRow {
  std::int32_t b;
  Script white;
};

// T = 639, so b = t. work1 is the blurred from page, work2 the blurred to page.
const BlurRow kBlur[] = {
    {0, {"Draw from", "DrawOpacity work1 0,0 src 0,0,40,20 key 0 flip 0,0 opacity 0"}},
    {255, {"Draw from", "DrawOpacity work1 0,0 src 0,0,40,20 key 0 flip 0,0 opacity 255"}},
    {256, {"Draw work1", "AddColorRect 0,0,40,20 0x00000000"}},
    {319, {"Draw work1", "AddColorRect 0,0,40,20 0x00FCFCFC"}},
    {320, {"Draw work2", "AddColorRect 0,0,40,20 0x00FCFCFC"}},
    {383, {"Draw work2", "AddColorRect 0,0,40,20 0x00000000"}},
    {384, {"Draw to", "DrawOpacity work2 0,0 src 0,0,40,20 key 0 flip 0,0 opacity 255"}},
    {638, {"Draw to", "DrawOpacity work2 0,0 src 0,0,40,20 key 0 flip 0,0 opacity 1"}},
};

TEST(TWipeBlur, FourQuartersThroughTheBlurredPagesAndTheWash) {
  for (int kind : {WP_BLURWHITE, WP_BLURBLACK}) {
    SCOPED_TRACE(kind);
    WipePages pages(40, 20, 32, 0x00102030, 0x00405060);
    auto blur = CreateWipe(static_cast<std::uint8_t>(kind), pages.target, pages.from, pages.to);
    blur->Total = 639;
    CallScript script(pages.from, pages.to);
    for (const BlurRow& row : kBlur) {
      SCOPED_TRACE(row.b);
      blur->Current = row.b;
      blur->Draw();
      Script expected = row.white;
      if (kind == WP_BLURBLACK && expected[1].rfind("AddColorRect", 0) == 0)
        expected[1].replace(0, 3, "Sub");
      Script calls = script.Take(pages.target);
      // A blend at opacity 0 may be left out.
      if (row.b == 0 && calls.size() == 1) expected.pop_back();
      EXPECT_EQ(calls, expected);
    }
  }
}

TEST(TWipeBlur, TheBlurredPagesHoldWhatWasPaintedBeforeTheFirstStep) {
  WipePages pages(40, 20, 32, 0x00102030, 0);
  auto blur = CreateWipe(WP_BLURWHITE, pages.target, pages.from, pages.to);
  blur->Total = 639;
  // The scene paints the new layer after the switch that made the transition.
  pages.to.Fill(0x00405060);
  blur->Current = 383;
  blur->Draw();
  EXPECT_TRUE(AllEqual(pages.target, 0x00405060));
  blur->Current = 256;
  blur->Draw();
  EXPECT_TRUE(AllEqual(pages.target, 0x00102030));
}

TEST(TWipeBlur, BlurringKeepsTheFromPagesPixelFormat) {
  // A 5-5-5 page whose blur came back as 5-6-5 would read differently here.
  for (int bits : {15, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    TDIBX target, from, to;
    for (TDIBX* s : {&target, &from, &to}) s->SetSize(40, 20, bits);
    // Full channels survive the blur's trip through 8-bit colours unchanged.
    const auto red = static_cast<std::uint32_t>(from.ColorToPixel(0x0000FF));
    const auto blue = static_cast<std::uint32_t>(from.ColorToPixel(0xFF0000));
    from.Fill(red);
    to.Fill(blue);
    auto blur = CreateWipe(WP_BLURBLACK, target, from, to);
    blur->Total = 639;
    blur->Current = 256;
    blur->Draw();
    EXPECT_TRUE(AllEqual(target, red)) << std::hex << target.GetPixel(0, 0);
    blur->Current = 383;
    blur->Draw();
    EXPECT_TRUE(AllEqual(target, blue)) << std::hex << target.GetPixel(0, 0);
  }
}

TEST(TWipeBlur, AToPageOfAnotherDepthLeavesItsBlurredPageBlack) {
  RecordingDIBX target(40, 20, 32);
  TMemoryDIBX from(40, 20, 32), to(40, 20, 16);
  from.Fill(0x00102030);
  to.Fill(0xFFFF);
  auto blur = CreateWipe(WP_BLURWHITE, target, from, to);
  blur->Total = 639;
  blur->Current = 383;
  blur->Draw();
  EXPECT_TRUE(AllEqual(target, 0));
}

TEST(TWipeBlur, AToPageOfAnotherSizeIsCopiedAsFarAsItReaches) {
  RecordingDIBX target(40, 20, 32);
  TMemoryDIBX from(40, 20, 32), to(60, 10, 32);
  to.Fill(0x00405060);
  auto blur = CreateWipe(WP_BLURWHITE, target, from, to);
  blur->Total = 639;
  blur->Current = 383;
  blur->Draw();
  // The bottom rows got nothing from the short page; blurred, black reaches in from below.
  EXPECT_EQ(target.GetPixel(20, 0), 0x00405060u);
  EXPECT_EQ(target.GetPixel(20, 19), 0u);
}

}  // namespace
}  // namespace vorn
