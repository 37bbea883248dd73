// Through white and black: TWipeWhite, TWipeBlack and TWipeFlash.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/vocabulary_codes.h"
#include "transitions/create_wipe.h"
#include "transitions/wipe_test_util.h"

namespace vorn {
namespace {

using test::AllEqual;
using test::CallScript;
using test::WipePages;
using Script = std::vector<std::string>;

struct WashCallRow {
  int kind;
  std::int32_t total;
  std::int32_t current;
  Script calls;
};

TEST(WashWipes, EachHalfDrawsOnePageAndWashesItByTheLevel) {
  const WashCallRow rows[] = {
      {WP_WHITE, 511, 255, {"Draw from", "AddColorRect 0,0,4,2 0x00FFFFFF"}},
      {WP_WHITE, 511, 256, {"Draw to", "AddColorRect 0,0,4,2 0x00FFFFFF"}},
      {WP_WHITE, 511, 400, {"Draw to", "AddColorRect 0,0,4,2 0x006F6F6F"}},
      {WP_WHITE, 511, 0, {"Draw from", "AddColorRect 0,0,4,2 0x00000000"}},
      {WP_WHITE, 511, 510, {"Draw to", "AddColorRect 0,0,4,2 0x00010101"}},
      // a = t × 511 / T truncates: 1 × 511 / 2 = 255 is still the first half.
      {WP_WHITE, 2, 1, {"Draw from", "AddColorRect 0,0,4,2 0x00FFFFFF"}},
      {WP_BLACK, 511, 100, {"Draw from", "SubColorRect 0,0,4,2 0x00646464"}},
      {WP_BLACK, 511, 400, {"Draw to", "SubColorRect 0,0,4,2 0x006F6F6F"}},
      {WP_FLASH, 256, 64, {"Draw to", "AddColorRect 0,0,4,2 0x00C0C0C0"}},  // b = 63
      {WP_FLASH, 256, 0, {"Draw to", "AddColorRect 0,0,4,2 0x00FFFFFF"}},
      {WP_FLASH, 256, 255, {"Draw to", "AddColorRect 0,0,4,2 0x00010101"}},  // b = 254
  };
  for (const WashCallRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "kind " << row.kind << " t " << row.current);
    WipePages pages(4, 2, 32, 0x00C08040, 0x00102030);
    auto wipe = CreateWipe(static_cast<std::uint8_t>(row.kind), pages.target, pages.from, pages.to);
    wipe->Total = row.total;
    wipe->Current = row.current;
    wipe->Draw();
    EXPECT_EQ(CallScript(pages.from, pages.to).Take(pages.target), row.calls);
  }
}

struct WashPixelRow {
  int kind;
  int bits;
  std::int32_t current;
  std::uint32_t expected;
};

TEST(WashWipes, LevelsAddAndSubtractPerChannelWithSaturation) {
  // From R C0 G 80 B 40; at 5-6-5 that is R 24 G 32 B 8, at 5-5-5 R 24 G 16 B 8. The to page is
  // black, so the second half shows the level alone. T = 511, so a = t.
  const WashPixelRow rows[] = {
      {WP_WHITE, 32, 100, 0x00FFE4A4},
      {WP_BLACK, 32, 100, 0x005C1C00},
      {WP_WHITE, 32, 255, 0x00FFFFFF},
      {WP_WHITE, 32, 256, 0x00FFFFFF},
      {WP_WHITE, 32, 400, 0x006F6F6F},
      {WP_BLACK, 32, 256, 0x00000000},
      {WP_WHITE, 16, 100, 0xFF34},  // grey(100) = R 12 G 25 B 12: R 31 G 57 B 20
      {WP_BLACK, 16, 100, 0x60E0},  // R 12 G 7 B 0
      {WP_WHITE, 16, 400, 0x6B6D},  // grey(111) = R 13 G 27 B 13
      {WP_WHITE, 15, 100, 0x7F94},  // grey(100) = 12 12 12: R 31 G 28 B 20
      {WP_BLACK, 15, 100, 0x3080},  // R 12 G 4 B 0
      {WP_WHITE, 15, 400, 0x35AD},  // grey(111) = 13 13 13
  };
  for (const WashPixelRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "kind " << row.kind << " bits " << row.bits << " t "
                                    << row.current);
    WipePages pages(4, 2, row.bits, 0, 0);
    pages.from.Fill(static_cast<std::uint32_t>(pages.from.ColorToPixel(0x004080C0)));
    auto wipe = CreateWipe(static_cast<std::uint8_t>(row.kind), pages.target, pages.from, pages.to);
    wipe->Total = 511;
    wipe->Current = row.current;
    wipe->Draw();
    EXPECT_TRUE(AllEqual(pages.target, row.expected)) << std::hex << pages.target.GetPixel(0, 0);
  }
}

TEST(WashWipes, FlashShowsTheNewPageWashedByTheRemainingLevel) {
  WipePages pages(4, 2, 32, 0x00C08040, 0x00102030);
  auto flash = CreateWipe(WP_FLASH, pages.target, pages.from, pages.to);
  flash->Total = 256;
  flash->Current = 64;
  flash->Draw();
  EXPECT_TRUE(AllEqual(pages.target, 0x00D0E0F0));
}

}  // namespace
}  // namespace vorn
