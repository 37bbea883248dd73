#include "engine/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "engine/extended_float.h"
#include "foundation/errors.h"
#include "foundation/stream.h"

namespace {

using namespace vorn;

TEST(ExtendedFloat, PacksToTheTenX87Bytes) {
  struct Case {
    TExtended value;
    std::uint8_t bytes[10];
  };
  const Case cases[] = {
      {1.0L, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0xFF, 0x3F}},
      {-2.5L, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x00, 0xC0}},
      {0.1L, {0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}},
      {0.0L, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    std::uint8_t packed[10];
    PackExtended(c.value, packed);
    EXPECT_EQ(std::vector<std::uint8_t>(packed, packed + 10), std::vector<std::uint8_t>(c.bytes, c.bytes + 10))
        << static_cast<double>(c.value);
    EXPECT_EQ(UnpackExtended(c.bytes), c.value);
  }
}

TEST(ExtendedFloat, StreamReadRefusesShortData) {
  TMemoryStream stream(std::vector<std::uint8_t>(9, 0));
  EXPECT_THROW(ReadExtendedFromStream(stream), EReadError);
}

TEST(NumberText, IntegerTextAcceptsSignAndDigitsInRange) {
  struct Case {
    const char* text;
    bool ok;
    std::int32_t value;
  };
  const Case cases[] = {
      {"0", true, 0},           {"42", true, 42},           {"-7", true, -7},
      {"+7", true, 7},          {"007", true, 7},           {"2147483647", true, 2147483647},
      {"-2147483648", true, INT32_MIN},                     {"2147483648", false, 0},
      {"3000000000", false, 0}, {"1.5", false, 0},          {"", false, 0},
      {"-", false, 0},          {" 1", false, 0},           {"1 ", false, 0},
      {"1e3", false, 0},        {"0x10", false, 0},         {"abc", false, 0},
  };
  for (const auto& c : cases) {
    std::int32_t value = 0;
    EXPECT_EQ(TryTextToInt(c.text, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(NumberText, DecimalTextAcceptsPointAndExponent) {
  struct Case {
    const char* text;
    bool ok;
    TExtended value;
  };
  const Case cases[] = {
      {"1.5", true, 1.5L},   {"-2.5", true, -2.5L}, {"+3", true, 3.0L},     {"10", true, 10.0L},
      {"1.", true, 1.0L},    {".5", true, 0.5L},    {"1e3", true, 1000.0L}, {"1.5E-2", true, 0.015L},
      {"2E+1", true, 20.0L}, {"3000000000", true, 3000000000.0L},
      {"", false, 0},        {".", false, 0},       {"e3", false, 0},       {"1e", false, 0},
      {"1.5x", false, 0},    {" 1", false, 0},      {"inf", false, 0},      {"nan", false, 0},
      {"1,5", false, 0},     {"1e99999", false, 0},
  };
  for (const auto& c : cases) {
    TExtended value = 0;
    EXPECT_EQ(TryTextToFloat(c.text, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
  TExtended tenth = 0;
  ASSERT_TRUE(TryTextToFloat("0.1", tenth));
  EXPECT_EQ(tenth, 0.1L);  // correctly rounded to the 64-bit mantissa
}

TEST(NumberText, FloatTextIsGeneralFormatWith15Digits) {
  struct Case {
    TExtended value;
    const char* text;
  };
  const Case cases[] = {
      {0.0L, "0"},
      {1.0L, "1"},
      {-2.5L, "-2.5"},
      {1.5L, "1.5"},
      {100.0L, "100"},
      {1.0L / 3.0L, "0.333333333333333"},
      {std::numbers::pi_v<long double>, "3.14159265358979"},
      {1e-5L, "0.00001"},
      {1.5e-7L, "1.5E-7"},
      {1e15L, "1E15"},
      {999999999999999.0L, "999999999999999"},
      {1.23456789012345678e17L, "1.23456789012346E17"},
      {-1e20L, "-1E20"},
      {0.1L, "0.1"},
      {123456.789L, "123456.789"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToText(c.value), c.text) << static_cast<double>(c.value);
}

TEST(NumberText, FloatToIntTruncatesAndNeverTraps) {
  struct Case {
    TExtended value;
    std::int32_t expected;
  };
  const Case cases[] = {
      {2.9L, 2},
      {-2.9L, -2},
      {0.5L, 0},
      {4294967296.0L + 5, 5},  // low 32 bits of the 64-bit truncation
      {2147483648.0L, INT32_MIN},
      {1e30L, 0},
      {-1e30L, 0},
      {std::numeric_limits<TExtended>::infinity(), 0},
      {std::numeric_limits<TExtended>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToInt(c.value), c.expected) << static_cast<double>(c.value);
}

}  // namespace
