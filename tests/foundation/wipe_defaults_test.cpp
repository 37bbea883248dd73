#include <gtest/gtest.h>

#include "foundation/vocabulary.h"
#include "foundation/wipe_defaults.h"

namespace vorn {
namespace {

TEST(WipeDefaults, FactoryRowsAndReset) {
  static_assert(kWipeKindCount == vocabulary::kTransitionCount);
  const auto& table = FactoryWipeDefaults();
  struct Row {
    int kind;
    std::int32_t p0, p1;
  };
  // Every row that is not 0, 0.
  const Row nonzero[] = {{2, 20, 1},  {3, 20, 1},  {4, 30, 1}, {5, 30, 1},  {8, 80, 30},
                         {9, 80, 30}, {10, 80, 30}, {24, 5, 0}, {29, 64, 3}, {37, 60, 0}, {38, 60, 0}};
  int checked = 0;
  for (int kind = 0; kind < kWipeKindCount; ++kind) {
    std::int32_t p0 = 0, p1 = 0;
    for (const Row& row : nonzero) {
      if (row.kind == kind) {
        p0 = row.p0;
        p1 = row.p1;
        ++checked;
      }
    }
    EXPECT_EQ(table[static_cast<std::size_t>(kind)].param0, p0) << kind;
    EXPECT_EQ(table[static_cast<std::size_t>(kind)].param1, p1) << kind;
  }
  EXPECT_EQ(checked, 11);
  WipeDefaults()[kWipeZoomIn] = {320, 240};
  EXPECT_EQ(FactoryWipeDefaults()[kWipeZoomIn].param0, 0);
  ResetWipeDefaults();
  EXPECT_EQ(WipeDefaults()[kWipeZoomIn].param0, 0);
}

}  // namespace
}  // namespace vorn
