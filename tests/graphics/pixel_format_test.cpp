#include "graphics/pixel_format.h"

#include <gtest/gtest.h>

#include <cstring>

#include "graphics/palette_manager.h"
#include "platform/gdi/gdi.h"

namespace vorn {
namespace {

TEST(PixelFormat, FieldsFollowTheBitCounts) {
  const TPixelFormatMasks f = MakePixelFormatMasks(5, 6, 5);
  const TPixelFormatMasks expected{0xF800, 0x07E0, 0x001F, 5, 6, 5, 8, 3, 3, 3, 2, 3};
  EXPECT_EQ(f, expected);
  EXPECT_EQ(MakePixelFormatMasks(5, 5, 5).RedMask, 0x7C00);
  EXPECT_EQ(MakePixelFormatMasks(5, 5, 5).GreenMask, 0x03E0);
  EXPECT_EQ(MakePixelFormatMasks(8, 8, 8), (TPixelFormatMasks{0xFF0000, 0xFF00, 0xFF, 8, 8, 8, 16, 8, 0, 0, 0, 0}));
}

TEST(PixelFormat, PackAndUnpackTable) {
  struct Case {
    TPixelFormatMasks format;
    std::uint32_t pixel;
    std::uint8_t r, g, b;
  };
  const Case cases[] = {
      {PixelFormat565(), 0xFFFF, 255, 255, 255},
      {PixelFormat565(), 0x8410, 144, 160, 144},
      {PixelFormat565(), 0x0000, 0, 0, 0},
      {PixelFormat555(), 0x7FFF, 255, 255, 255},
      {PixelFormat555(), 0x4210, 144, 144, 144},
      {PixelFormat888(), 0x123456, 0x12, 0x34, 0x56},
  };
  for (const auto& c : cases) {
    std::uint8_t r, g, b;
    UnpackPixel(c.format, c.pixel, r, g, b);
    EXPECT_EQ(r, c.r) << std::hex << c.pixel;
    EXPECT_EQ(g, c.g) << std::hex << c.pixel;
    EXPECT_EQ(b, c.b) << std::hex << c.pixel;
  }
  EXPECT_EQ(PackPixel(PixelFormat565(), 255, 255, 255), 0xFFFFu);
  EXPECT_EQ(PackPixel(PixelFormat555(), 255, 255, 255), 0x7FFFu);
  EXPECT_EQ(PackPixel(PixelFormat565(), 0x87, 0x83, 0x07), 0x8400u);  // low bits cut off
  EXPECT_EQ(PackPixel(PixelFormat888(), 1, 2, 3), 0x010203u);
}

TEST(PixelFormat, FiveBitFieldsWidenWithTheirTopBits) {
  // 31 gives 255 and 16 gives 144: v becomes (v shl 3) or v.
  std::uint8_t r, g, b;
  UnpackPixel(PixelFormat555(), 31u << 10 | 16u << 5 | 16u, r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 144);
  EXPECT_EQ(b, 144);
}

TEST(PixelFormat, MasksAndColourWords) {
  EXPECT_EQ(MakePixelFormatFromMasks(0xF800, 0x07E0, 0x001F), MakePixelFormatMasks(5, 6, 5));
  EXPECT_EQ(MakePixelFormatFromMasks(0x7C00, 0x03E0, 0x001F), MakePixelFormatMasks(5, 5, 5));
  EXPECT_EQ(CountMaskBits(0), 0);
  EXPECT_EQ(CountMaskBits(0xFFFFFFFF), 32);
  EXPECT_EQ(CountMaskBits(0x0F0F), 4);
  EXPECT_EQ(SwapRedBlue(0xAA112233), 0x00332211u);
  EXPECT_EQ(RGBQuadFromRGB(1, 2, 3), 0x010203u);
  std::uint32_t table[256];
  MakeGreyColorTable(table);
  EXPECT_EQ(table[0], 0u);
  EXPECT_EQ(table[0x80], 0x808080u);
  std::uint32_t entries[256];
  ColorTableToPaletteEntries(table, entries);
  std::uint32_t back[256];
  PaletteEntriesToColorTable(entries, back);
  EXPECT_EQ(std::memcmp(table, back, sizeof table), 0);
}

TEST(PaletteManager, SharesIdenticalTablesAndCountsUsers) {
  TPaletteManager manager;
  std::uint32_t table[256];
  MakeGreyColorTable(table);
  const int palettesBefore = gdi::LivePaletteCount();
  gdi::HPALETTE a = manager.AcquirePalette(table, 16);
  gdi::HPALETTE b = manager.AcquirePalette(table, 16);
  gdi::HPALETTE c = manager.AcquirePalette(table, 2);
  EXPECT_NE(a, 0u);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  ASSERT_EQ(manager.ItemCount(), 2);
  EXPECT_EQ(manager.Item(0)->RefCount, 2);
  EXPECT_EQ(manager.Item(0)->Key, 16 + 3 * (15 * 16 / 2));
  EXPECT_EQ(gdi::GetPaletteEntryCount(a), 16);

  gdi::HPALETTE unknown = 0xDEAD;
  manager.ReleasePalette(unknown);
  EXPECT_EQ(unknown, 0xDEADu);

  manager.ReleasePalette(a);
  EXPECT_EQ(a, 0u);
  manager.ReleasePalette(a);  // the variable is 0 now: nothing happens
  EXPECT_EQ(manager.Item(0)->RefCount, 1);
  manager.ReleasePalette(b);
  EXPECT_EQ(manager.ItemCount(), 1);
  manager.ReleasePalette(c);
  EXPECT_EQ(manager.ItemCount(), 0);
  EXPECT_EQ(gdi::LivePaletteCount(), palettesBefore);
}

TEST(PaletteManager, EqualKeysWithOtherEntriesGetTheirOwnPalette) {
  TPaletteManager manager;
  std::uint32_t first[2] = {0x000001, 0x000000};
  std::uint32_t second[2] = {0x000000, 0x000001};  // same checksum, other bytes
  gdi::HPALETTE a = manager.AcquirePalette(first, 2);
  gdi::HPALETTE b = manager.AcquirePalette(second, 2);
  EXPECT_NE(a, b);
  gdi::PaletteEntry entry;
  ASSERT_EQ(gdi::GetPaletteEntries(a, 0, 1, &entry), 1);
  EXPECT_EQ(entry.blue, 1);
  EXPECT_EQ(entry.red, 0);
  manager.ReleasePalette(a);
  manager.ReleasePalette(b);
}

}  // namespace
}  // namespace vorn
