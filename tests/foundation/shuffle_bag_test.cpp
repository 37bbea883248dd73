#include "foundation/shuffle_bag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "foundation/list_error.h"

namespace vorn {
namespace {

TEST(TZkRandom, RawSequence) {
  TZkRandom random(1);
  const std::int32_t expected[] = {1, 6, 31, 156, 781};
  for (std::int32_t value : expected) EXPECT_EQ(random.NextRaw(), value);
  TZkRandom wrap(0x80000000u);
  EXPECT_EQ(wrap.NextRaw(), INT32_MIN);  // signed view of the unsigned state
  EXPECT_EQ(wrap.NextRaw(), 0);  // 0x80000000 * 5 + 0x80000000 wraps to 0
}

TEST(TZkRandom, BagGivesEachNumberOnceByStateModLeft) {
  TZkRandom random(1);
  random.Reset(4);
  // States 1, 6, 31, 156: indexes 1 % 4, 6 % 3, 31 % 2, 156 % 1.
  EXPECT_EQ(random.Next(), 1);
  EXPECT_EQ(random.Next(), 0);
  EXPECT_EQ(random.Next(), 3);
  EXPECT_EQ(random.Next(), 2);
  EXPECT_THROW(random.Next(), EListError);

  TZkRandom big(12345);
  big.Reset(1000);
  std::vector<int> drawn;
  for (int i = 0; i < 1000; ++i) drawn.push_back(big.Next());
  std::sort(drawn.begin(), drawn.end());
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(drawn[static_cast<std::size_t>(i)], i);
}

TEST(TZkRandom, ResetKeepsTheStateAndSharesItWithNextRaw) {
  TZkRandom random(7);
  random.NextRaw();
  random.NextRaw();
  random.Reset(1);
  EXPECT_EQ(random.Next(), 0);

  TZkRandom one(3);
  one.Reset(5);
  for (int i = 0; i < 5; ++i) one.Next();
  one.Reset(5);
  std::vector<int> second;
  for (int i = 0; i < 5; ++i) second.push_back(one.Next());
  TZkRandom fresh(3);
  fresh.Reset(5);
  std::vector<int> first;
  for (int i = 0; i < 5; ++i) first.push_back(fresh.Next());
  EXPECT_NE(first, second);

  TZkRandom mixed(3);
  mixed.Reset(5);
  mixed.NextRaw();
  std::vector<int> after_raw;
  for (int i = 0; i < 5; ++i) after_raw.push_back(mixed.Next());
  EXPECT_NE(after_raw, first);
}

}  // namespace
}  // namespace vorn
