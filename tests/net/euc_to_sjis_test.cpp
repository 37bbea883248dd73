#include <gtest/gtest.h>

#include <string>

#include "net/euc_to_sjis.h"

namespace vorn {
namespace {

struct EucCase {
  const char* what;
  std::string euc;
  std::string sjis;
};

TEST(EucToShiftJis, ConvertsByteByByte) {
  const EucCase cases[] = {
      {"empty", "", ""},
      {"ascii and controls pass", std::string("a\tb\r\n\x01\x7F\x80", 9), std::string("a\tb\r\n\x01\x7F\x80", 9)},
      {"hiragana a", "\xA4\xA2", "\x82\xA0"},
      {"kanji row 0x30", "\xB0\xA1", "\x88\x9F"},
      {"half-width kana after single shift", "\x8E\xB1", "\xB1"},
      {"0xFF passes and starts no pair", "\xFF\xA4\xA2", "\xFF\x82\xA0"},
      // 0x8F x y: (0x0F, x & 0x7F) as a pair, then y on its own (here ASCII).
      {"three-byte sequence", "\x8F\xA2\x41", "\x78\x41" "A"},
      {"lead byte at the end is dropped", "a\xA4", "a"},
      {"single shift at the end is dropped", "a\x8E", "a"},
      {"mixed", "x\xA4\xA2y\x8E\xB1z", "x\x82\xA0y\xB1z"},
  };
  for (const EucCase& c : cases) EXPECT_EQ(EucToShiftJis(c.euc), c.sjis) << c.what;
}

TEST(EucToShiftJis, PairWrapsInEightBits) {
  // Row byte above 0x5E takes the upper lead range; cells above 0x5F skip 0x7F in odd rows.
  EXPECT_EQ(JisToShiftJisPair(0x5F, 0x21), "\xE0\x40");
  EXPECT_EQ(JisToShiftJisPair(0x21, 0x60), "\x81\x80");
  EXPECT_EQ(JisToShiftJisPair(0x7F, 0x7F), "\xF0\x9F");
  EXPECT_EQ(JisToShiftJisPair(0x00, 0xFF), std::string("\x70\x7D", 2));
}

}  // namespace
}  // namespace vorn
