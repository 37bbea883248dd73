// The byte arithmetic of the EUC-JP conversion, checked against the C library's own converter.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "net/euc_to_sjis.h"

namespace vorn {
namespace {

// Converts with iconv; false when iconv refuses the input.
bool IconvEucToSjis(iconv_t cd, const std::string& in, std::string& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string source = in;
  std::string buffer(2 * in.size() + 16, '\0');
  char* in_ptr = source.data();
  std::size_t in_left = source.size();
  char* out_ptr = buffer.data();
  std::size_t out_left = buffer.size();
  if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) return false;
  out.assign(buffer.data(), static_cast<std::size_t>(out_ptr - buffer.data()));
  return in_left == 0;
}

class EucToShiftJisAgainstIconv : public ::testing::Test {
 protected:
  void SetUp() override {
    cd_ = iconv_open("SHIFT_JIS", "EUC-JP");
    if (cd_ == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "the C library has no EUC-JP converter";
  }
  void TearDown() override {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
};

TEST_F(EucToShiftJisAgainstIconv, EveryTwoByteCharacterIconvAccepts) {
  int compared = 0;
  for (int b1 = 0xA1; b1 <= 0xFE; ++b1) {
    for (int b2 = 0xA1; b2 <= 0xFE; ++b2) {
      const std::string euc{static_cast<char>(b1), static_cast<char>(b2)};
      std::string expected;
      if (!IconvEucToSjis(cd_, euc, expected)) continue;
      ++compared;
      EXPECT_EQ(EucToShiftJis(euc), expected) << std::hex << b1 << " " << b2;
    }
  }
  EXPECT_EQ(compared, 6879);
}

TEST_F(EucToShiftJisAgainstIconv, KanaAsciiAndMixedText) {
  std::string kana;
  for (int b = 0xA1; b <= 0xDF; ++b) kana += std::string{'\x8E', static_cast<char>(b)};
  std::string ascii;
  for (int b = 0x20; b < 0x7F; ++b) {
    if (b != 0x5C && b != 0x7E) ascii.push_back(static_cast<char>(b));  // the two that differ in Shift-JIS
  }
  const std::string mixed = "Title: \xA4\xB3\xA4\xF3\xA4\xCB\xA4\xC1\xA4\xCF \x8E\xB1\x8E\xB2 (\xB4\xC1\xBB\xFA)\r\n";
  for (const std::string& text : {kana, ascii, mixed}) {
    std::string expected;
    ASSERT_TRUE(IconvEucToSjis(cd_, text, expected));
    EXPECT_EQ(EucToShiftJis(text), expected);
  }
}

}  // namespace
}  // namespace vorn
