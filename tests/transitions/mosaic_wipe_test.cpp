#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/vocabulary_codes.h"
#include "transitions/create_wipe.h"
#include "transitions/whole_page_wipes.h"
#include "transitions/wipe_test_util.h"

namespace vorn {
namespace {

using test::AllEqual;
using test::CallScript;
using test::WipePages;

struct MosaicRow {
  std::int32_t b;
  const char* cells;      // the work surface's rectangle enlarged over the target
  std::uint32_t expected;  // from black, to white
};

// On 640 × 480 the cells are (160 × s) div 256 by (120 × s) div 256; s runs 263 → 24 → 263.
// The to page joins at (b − 256) div 4, then (b − 256) div 2; each channel is
// (255 × a) >> 8 over black.
const MosaicRow kMosaic[] = {
    {0, "0,0,164,123", 0x00000000},     // s 263
    {255, "0,0,90,67", 0x00000000},     // s 144
    {256, "0,0,89,67", 0x00000000},     // s 143, to at 0
    {511, "0,0,15,11", 0x003E3E3E},     // s 24, to at 63
    {512, "0,0,15,11", 0x007F7F7F},     // s 24, to at 128
    {767, "0,0,89,67", 0x00FFFFFF},     // s 143, to at 255
    {768, "0,0,90,67", 0x00FFFFFF},     // s 144, only to
    {1022, "0,0,164,123", 0x00FFFFFF},  // s 263
};

TEST(TWipeMosaic, CellsGrowThenShrinkWhileTheNewPageJoinsInTwoRamps) {
  WipePages pages(640, 480, 32, 0x00000000, 0x00FFFFFF);
  auto mosaic = CreateWipe(WP_MOSAIC, pages.target, pages.from, pages.to);
  mosaic->Total = 1023;
  CallScript script(pages.from, pages.to);
  for (const MosaicRow& row : kMosaic) {
    SCOPED_TRACE(row.b);
    mosaic->Current = row.b;
    mosaic->Draw();
    EXPECT_EQ(script.Take(pages.target),
              std::vector<std::string>{std::string("StretchDraw work1 0,0,640,480 src ") + row.cells +
                                       " key 0 flip 0,0 opacity 255"});
    EXPECT_EQ(pages.target.GetPixel(0, 0), row.expected);
    EXPECT_EQ(pages.target.GetPixel(639, 479), row.expected);
  }
}

TEST(TWipeMosaic, ATinyTargetUsesOnePixelCells) {
  WipePages pages(3, 2, 32, 0x00123456, 0);
  auto mosaic = CreateWipe(WP_MOSAIC, pages.target, pages.from, pages.to);
  mosaic->Total = 10;
  mosaic->Draw();
  EXPECT_EQ(CallScript(pages.from, pages.to).Take(pages.target),
            std::vector<std::string>{"StretchDraw work1 0,0,3,2 src 0,0,1,1 key 0 flip 0,0 opacity 255"});
  EXPECT_TRUE(AllEqual(pages.target, 0x00123456));
}

TEST(TWipeMosaic, TheWorkSurfaceSharesTheTargetsPixelFormat) {
  // Blits copy pixels without conversion, so a work surface of another format would show here.
  for (int bits : {15, 16, 24, 8}) {
    SCOPED_TRACE(bits);
    const std::uint32_t keep = bits == 8 ? 0xFFu : 0xFFFFu;
    WipePages pages(16, 8, bits, 0x7E00 & keep, 0x021F & keep);
    auto mosaic = CreateWipe(WP_MOSAIC, pages.target, pages.from, pages.to);
    mosaic->Total = 1023;
    mosaic->Current = 0;
    mosaic->Draw();
    EXPECT_TRUE(AllEqual(pages.target, 0x7E00 & keep)) << std::hex << pages.target.GetPixel(0, 0);
    mosaic->Current = 1000;
    mosaic->Draw();
    EXPECT_TRUE(AllEqual(pages.target, 0x021F & keep)) << std::hex << pages.target.GetPixel(0, 0);
  }
}

}  // namespace
}  // namespace vorn
