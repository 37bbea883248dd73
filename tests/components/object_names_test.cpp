#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "components/vorn_object.h"

namespace vorn {
namespace {

TEST(ObjectNames, MakeUniqueNameGivesTheFirstFreeNumber) {
  TVornBaseList scene;
  EXPECT_EQ(scene.MakeUniqueName("object"), "object0");
  TVornComponent* a = CreateObject<TVornComponent>(scene);
  TVornComponent* b = CreateObject<TVornComponent>(scene);
  TVornComponent* c = CreateObject<TVornComponent>(scene);
  EXPECT_EQ(a->GetName(), "object0");
  EXPECT_EQ(b->GetName(), "object1");
  EXPECT_EQ(c->GetName(), "object2");
  b->SetName("renamed");
  EXPECT_EQ(scene.MakeUniqueName("object"), "object1");
  EXPECT_EQ(CreateObject<TVornComponent>(scene)->GetName(), "object1");
  EXPECT_EQ(CreateObject<TVornComponent>(scene)->GetName(), "object3");
}

TEST(ObjectNames, ObjectRenameScrapsTheOtherBearer) {
  TVornBaseList scene;
  TVornComponent* first = CreateObject<TVornComponent>(scene);
  TVornComponent* second = CreateObject<TVornComponent>(scene);
  first->SetName("snd");
  second->SetName("snd");
  EXPECT_TRUE(first->IsDeleted());
  EXPECT_EQ(first->GetName(), "");
  EXPECT_EQ(second->GetName(), "snd");
  EXPECT_EQ(scene.FindComponent("snd"), second);
}

TEST(ObjectNames, SettingTheSameNameChangesNothing) {
  TVornBaseList scene;
  TVornComponent* object = CreateObject<TVornComponent>(scene);
  object->SetName("x");
  object->SetName("x");
  EXPECT_FALSE(object->IsDeleted());
  EXPECT_EQ(scene.FindComponent("x"), object);
}

TEST(ObjectNames, NamesCompareByteForByte) {
  TVornBaseList scene;
  TVornComponent* lower = CreateObject<TVornComponent>(scene);
  TVornComponent* upper = CreateObject<TVornComponent>(scene);
  lower->SetName("abc");
  upper->SetName("ABC");
  EXPECT_FALSE(lower->IsDeleted());
  EXPECT_EQ(scene.FindComponent("abc"), lower);
  EXPECT_EQ(scene.FindComponent("ABC"), upper);
  EXPECT_EQ(scene.FindComponent("Abc"), nullptr);
}

struct RenameCase {
  std::string old_name;
  std::vector<std::string> also_taken;
  std::string expected;
};

class ControlRename : public ::testing::TestWithParam<RenameCase> {};

TEST_P(ControlRename, OtherBearerGetsTheNextFreeSuffix) {
  const RenameCase& c = GetParam();
  TVornBaseList scene;
  TVornControl* bearer = CreateObject<TVornControl>(scene);
  bearer->SetName(c.old_name);
  for (const std::string& name : c.also_taken) CreateObject<TVornControl>(scene)->SetName(name);
  TVornControl* taker = CreateObject<TVornControl>(scene);
  taker->SetName(c.old_name);
  EXPECT_EQ(taker->GetName(), c.old_name);
  EXPECT_EQ(bearer->GetName(), c.expected);
  EXPECT_FALSE(bearer->IsDeleted());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ControlRename,
    ::testing::Values(RenameCase{"a_3", {}, "a_4"}, RenameCase{"a", {}, "a_2"},
                      RenameCase{"a_1", {}, "a_1_2"}, RenameCase{"_5", {}, "_5_2"},
                      RenameCase{"a", {"a_2", "a_3"}, "a_4"}, RenameCase{"a_b_7", {}, "a_b_8"},
                      RenameCase{"a_3x", {}, "a_3x_2"}, RenameCase{"a_02", {}, "a_2"},
                      RenameCase{"a_99999999999", {}, "a_99999999999_2"},
                      RenameCase{"a_2147483647", {}, "a_2147483648"},
                      RenameCase{"a_2147483648", {}, "a_2147483648_2"},
                      RenameCase{"a_-3", {}, "a_-3_2"}, RenameCase{"\x01sys", {}, "\x01sys_2"}));

TEST(ObjectNames, AnEmptyNameClashesWithNothing) {
  TVornBaseList scene;
  TVornComponent* scrapped = CreateObject<TVornComponent>(scene);
  scrapped->MarkDeleted();
  TVornControl* control = CreateObject<TVornControl>(scene);
  TVornComponent* component = CreateObject<TVornComponent>(scene);
  control->SetName("");
  component->SetName("");
  EXPECT_EQ(scrapped->GetName(), "");
  EXPECT_FALSE(component->IsDeleted());
  EXPECT_FALSE(control->IsDeleted());
}

TEST(ObjectNames, OddNamesAreKeptAsTheyAre) {
  TVornBaseList scene;
  TVornControl* a = CreateObject<TVornControl>(scene);
  const std::string with_nul("a\0b", 3);
  a->SetName(with_nul);
  EXPECT_EQ(scene.FindControl(with_nul), a);
  EXPECT_EQ(scene.FindControl("a"), nullptr);
  const std::string long_name(1 << 20, 'x');
  a->SetName(long_name);
  EXPECT_EQ(scene.FindControl(long_name), a);
  EXPECT_EQ(scene.IndexOfName(long_name), scene.IndexOfObject(a));
}

TEST(ObjectNames, ScrappedObjectsLeaveNameLookupsAtOnceAndAreFreedAtTheEndOfTheStep) {
  TVornBaseList scene;
  TVornControl* control = CreateObject<TVornControl>(scene);
  control->SetName("btn");
  const TObjectHandle handle = control->Handle();
  control->MarkDeleted();
  EXPECT_EQ(scene.FindControl("btn"), nullptr);
  EXPECT_EQ(scene.IndexOfName("btn"), -1);
  EXPECT_GE(scene.IndexOfObject(control), 0);
  // The name is free for a newcomer in the same step.
  TVornControl* newcomer = CreateObject<TVornControl>(scene);
  newcomer->SetName("btn");
  EXPECT_EQ(scene.FindControl("btn"), newcomer);
  scene.FreePendingDeletes();
  EXPECT_EQ(handle.Get(), nullptr);
  EXPECT_EQ(scene.GetObjectCount(), 1);
}

TEST(ObjectNames, LayerNamesFindLayers) {
  TVornBaseList scene;
  scene.SetActiveLayerIndex(1);
  EXPECT_EQ(scene.FindComponent(""), scene.GetBase(1));
  EXPECT_EQ(scene.FindComponent("\x01" "BASE0"), scene.GetBase(1));
  EXPECT_EQ(scene.FindComponent("\x01"), scene.GetBase(0));
  EXPECT_EQ(scene.FindComponent("\x01" "BASE1"), scene.GetBase(0));
  EXPECT_EQ(scene.FindControl(""), scene.GetBase(1));
  EXPECT_EQ(scene.FindControl("\x01"), scene.GetBase(0));
  EXPECT_EQ(scene.FindControl("\x01" "BASE0"), scene.GetBase(0));
  EXPECT_EQ(scene.FindControl("\x01" "BASE1"), scene.GetBase(1));
  EXPECT_EQ(scene.GetBase(0)->GetName(), "\x01" "BASE0");
  EXPECT_EQ(scene.GetBase(1)->GetName(), "\x01" "BASE1");
  EXPECT_EQ(scene.IndexOfObject(scene.GetBase(0)), -1);
}

TEST(ObjectNames, FindControlSkipsNonVisualComponents) {
  TVornBaseList scene;
  TVornComponent* timer_like = CreateObject<TVornComponent>(scene);
  timer_like->SetName("t");
  EXPECT_EQ(scene.FindComponent("t"), timer_like);
  EXPECT_EQ(scene.FindControl("t"), nullptr);
}

}  // namespace
}  // namespace vorn
