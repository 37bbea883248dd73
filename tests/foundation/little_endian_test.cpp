#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "foundation/little_endian.h"

namespace vorn {
namespace {

// The low byte first; bytes with the top bit set must not sign-extend into the higher ones.
constexpr std::array<std::uint8_t, 5> kBytes{0x81, 0x02, 0xF3, 0x84, 0x55};

static_assert(GetLE32(kBytes.data()) == 0x84F30281u, "usable in constant expressions");

TEST(LittleEndian, ReadsTheLowByteFirst) {
  EXPECT_EQ(GetLE16(kBytes.data()), 0x0281u);
  EXPECT_EQ(GetLE24(kBytes.data()), 0xF30281u);
  EXPECT_EQ(GetLE32(kBytes.data()), 0x84F30281u);
  EXPECT_EQ(GetLE32(kBytes.data() + 1), 0x5584F302u);  // unaligned
}

TEST(LittleEndian, WritesOnlyItsOwnBytes) {
  std::array<std::uint8_t, 7> out;
  out.fill(0xEE);
  PutLE16(out.data(), 0x12345678);  // the low 16 bits
  EXPECT_EQ(out, (std::array<std::uint8_t, 7>{0x78, 0x56, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
  PutLE32(out.data() + 2, 0x80000001);
  EXPECT_EQ(out, (std::array<std::uint8_t, 7>{0x78, 0x56, 0x01, 0x00, 0x00, 0x80, 0xEE}));
}

}  // namespace
}  // namespace vorn
