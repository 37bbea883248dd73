#include "engine/sys_func_man.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "engine/param_collection.h"
#include "engine/sys_func_families.h"
#include "engine/typed_params.h"
#include "foundation/vocabulary.h"

namespace {

using namespace vorn;

struct FamilyRanges {
  TSysFuncFamily family;
  std::vector<std::pair<int, int>> ranges;  // inclusive
};

// Which family each function belongs to, written out independently of the route
// string in the dispatcher.
const std::vector<FamilyRanges> kCatalogue = {
    {TSysFuncFamily::kTextNumberDate,
     {{0, 1}, {5, 18}, {20, 20}, {26, 26}, {37, 46}, {48, 49}, {51, 64}, {73, 83}, {85, 86}, {126, 129}, {133, 133},
      {138, 139}}},
    {TSysFuncFamily::kArrayVariable,
     {{4, 4}, {21, 23}, {28, 31}, {50, 50}, {66, 68}, {70, 70}, {84, 84}, {130, 130}, {142, 142}}},
    {TSysFuncFamily::kTable, {{87, 124}}},
    {TSysFuncFamily::kSceneSystem,
     {{2, 3}, {19, 19}, {24, 25}, {27, 27}, {32, 36}, {47, 47}, {65, 65}, {69, 69}, {71, 72}, {125, 125},
      {131, 132}, {134, 137}, {140, 141}}},
};

TEST(SysFuncMan, EveryIndexIsRoutedToTheFamilyOfTheCatalogue) {
  std::set<int> seen;
  for (const auto& entry : kCatalogue) {
    for (auto [first, last] : entry.ranges) {
      for (int i = first; i <= last; ++i) {
        EXPECT_TRUE(seen.insert(i).second) << i;
        EXPECT_EQ(SysFuncFamilyOf(i), entry.family) << vocabulary::kSysFuncNames[i];
      }
    }
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(vocabulary::kSysFuncCount));
}

TEST(SysFuncMan, FamilyTablesListOnlyTheirOwnIndicesOnce) {
  std::set<int> claimed;
  for (int f = 0; f < kSysFuncFamilyCount; ++f) {
    const auto family = static_cast<TSysFuncFamily>(f);
    for (const TSysFuncSlot& slot : SysFuncFamilyTable(family)) {
      const int index = static_cast<int>(slot.index);
      ASSERT_GE(index, 0);
      ASSERT_LT(index, vocabulary::kSysFuncCount);
      EXPECT_EQ(SysFuncFamilyOf(index), family) << vocabulary::kSysFuncNames[index];
      EXPECT_NE(slot.function, nullptr) << vocabulary::kSysFuncNames[index];
      EXPECT_TRUE(claimed.insert(index).second) << vocabulary::kSysFuncNames[index];
    }
  }
}

TEST(SysFuncMan, InstallsItselfAndRestoresThePreviousDispatcher) {
  struct Other : TSysFuncDispatcher {
    void CallFunction(TParamCollectionItem&, int, std::span<TCustomParam* const>) override {}
  } other;
  SetSysFuncDispatcher(&other);
  {
    TSysFuncMan man;
    TSysFuncDispatcher* current = SetSysFuncDispatcher(&man);
    EXPECT_EQ(current, &man);
  }
  EXPECT_EQ(SetSysFuncDispatcher(nullptr), &other);
}

TEST(SysFuncMan, IndicesAbove142DoNothing) {
  TParamCollection params;
  TSysFuncMan man;
  auto& target = params.AddParam(PT_STR);
  target.SetName("t");
  target.SetAsString("kept");
  TParamInt arg;
  TCustomParam* args[] = {&arg};
  for (int index = 143; index <= 255; ++index) {
    man.Execute(target, static_cast<std::uint8_t>(index), args);
    man.CallFunction(target, index, args);
  }
  man.CallFunction(target, -1, args);
  man.CallFunction(target, 256, args);
  EXPECT_EQ(target.GetAsString(), "kept");
}

}  // namespace
