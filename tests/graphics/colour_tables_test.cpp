#include "graphics/colour_tables.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

// Hand-reduced values: the 5-6-5 form keeps red >> 3, green >> 2, blue >> 3 of the palette's
// 0xRRGGBB; a 15-bit screen drops green's lowest bit.
TEST(ColourTables, FireColoursAtEachDepth) {
  struct Case {
    int bits;
    std::uint16_t entry0, entry17, entry128, entry255;
  };
  const Case cases[] = {
      {16, 0x0000, 0x30A0, 0xDBA1, 0xFF35},
      {32, 0x0000, 0x30A0, 0xDBA1, 0xFF35},
      {15, 0x0000, 0x1840, 0x6DC1, 0x7F95},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    BuildGreyTables(c.bits);
    EXPECT_EQ(FireColors16[0], c.entry0);
    EXPECT_EQ(FireColors16[17], c.entry17);
    EXPECT_EQ(FireColors16[128], c.entry128);
    EXPECT_EQ(FireColors16[255], c.entry255);
  }
  // The palette itself: 0x361401 and 0xFFE6AF.
  EXPECT_EQ(kFirePalette[17], 0x361401u);
  EXPECT_EQ(kFirePalette[255], 0xFFE6AFu);
}

TEST(ColourTables, GreyLevelsAsNativePixels) {
  BuildGreyTables(16);
  EXPECT_EQ(GreyPixels16[128], 0x8410);
  EXPECT_EQ(GreyPixels16[255], 0xFFFF);
  EXPECT_EQ(GreyPixels16[7], 0x0020);  // green keeps one more bit than red and blue
  EXPECT_EQ(GreyPixels32[128], 0x808080u);
  BuildGreyTables(15);
  EXPECT_EQ(GreyPixels16[128], 0x4210);
  EXPECT_EQ(GreyPixels16[255], 0x7FFF);
  EXPECT_EQ(GreyPixels32[1], 0x010101u);
  BuildGreyTables(32);
  EXPECT_EQ(GreyPixels16[128], 0x8410);
}

}  // namespace
}  // namespace vorn
