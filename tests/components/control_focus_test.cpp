#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"

namespace vorn {
namespace {

class TCabinetWatcher : public TVornControl {
 public:
  using TVornControl::TVornControl;
  void CabinetEnter() override { log.push_back("enter"); }
  void CabinetLeave() override { log.push_back("leave"); }
  void FocusGained() override { log.push_back("focus"); }
  std::vector<std::string> log;
};

class ControlFocusTest : public ::testing::Test {
 protected:
  TCabinetWatcher* NewControl(const std::string& name, TVornControl* parent) {
    auto* control = CreateObject<TCabinetWatcher>(scene);
    control->SetName(name);
    control->SetParent(parent);
    control->SetOnFocusIn(name + ":in");
    control->SetOnFocusOut(name + ":out");
    return control;
  }
  std::vector<std::string> Posted() {
    std::vector<std::string> labels;
    for (int i = 0; i < scene.Events().Count(); ++i) labels.push_back(scene.Events().Item(i)->GetLabel());
    scene.Events().Clear();
    return labels;
  }
  TVornBase* layer() { return scene.ActiveLayer(); }

  TVornBaseList scene;
};

TEST_F(ControlFocusTest, ANewControlRequestsAFocusChoiceOnlyWhileNothingHasTheFocus) {
  EXPECT_FALSE(scene.IsFocusChoiceRequested());
  TCabinetWatcher* a = NewControl("a", layer());
  EXPECT_TRUE(scene.IsFocusChoiceRequested());
  scene.SetFocusedControl(a);
  EXPECT_FALSE(scene.IsFocusChoiceRequested());
  NewControl("b", layer());
  EXPECT_FALSE(scene.IsFocusChoiceRequested());
}

TEST_F(ControlFocusTest, FocusChangePostsOutThenInAndCallsFocusGained) {
  TCabinetWatcher* a = NewControl("a", layer());
  TCabinetWatcher* b = NewControl("b", layer());
  scene.SetFocusedControl(a);
  EXPECT_EQ(Posted(), (std::vector<std::string>{"a:in"}));
  scene.SetFocusedControl(a);
  EXPECT_TRUE(Posted().empty());
  scene.SetFocusedControl(b);
  EXPECT_EQ(Posted(), (std::vector<std::string>{"a:out", "b:in"}));
  EXPECT_EQ(scene.Events().Count(), 0);
  EXPECT_EQ(b->log, (std::vector<std::string>{"focus"}));
  // A nameless old focus posts no focus-out.
  b->SetName("");
  scene.SetFocusedControl(a);
  EXPECT_EQ(Posted(), (std::vector<std::string>{"a:in"}));
}

TEST_F(ControlFocusTest, HidingTheFocusedControlOrAnAncestorDropsTheFocus) {
  TCabinetWatcher* parent = NewControl("p", layer());
  TCabinetWatcher* child = NewControl("c", parent);
  scene.SetFocusedControl(child);
  Posted();
  parent->SetVisible(false);
  EXPECT_EQ(scene.GetFocusedControl(), nullptr);
  EXPECT_TRUE(scene.IsFocusChoiceRequested());
  EXPECT_EQ(Posted(), (std::vector<std::string>{"c:out"}));
  scene.ClearFocusChoiceRequest();
  parent->SetVisible(true);
  EXPECT_TRUE(scene.IsFocusChoiceRequested());
}

TEST_F(ControlFocusTest, VisibilityNeedsAVisibleParentChainEndingInALayer) {
  TCabinetWatcher* parent = NewControl("p", layer());
  TCabinetWatcher* child = NewControl("c", parent);
  EXPECT_TRUE(child->GetVisible());
  EXPECT_TRUE(child->IsShowing());
  parent->SetVisible(false);
  EXPECT_FALSE(child->GetVisible());
  EXPECT_FALSE(child->IsShowing());
  EXPECT_TRUE(child->GetVisibleFlag());
  parent->SetVisible(true);
  layer()->SetVisible(false);
  EXPECT_FALSE(child->GetVisible());
  layer()->SetVisible(true);
  // Not on the active layer: visible, but not showing.
  child->SetParent(scene.OtherLayer());
  EXPECT_TRUE(child->GetVisible());
  EXPECT_FALSE(child->IsShowing());
  child->SetParent(nullptr);
  EXPECT_FALSE(child->GetVisible());
}

TEST_F(ControlFocusTest, NothingInsideACabinetIsVisible) {
  auto* cabinet = CreateObject<TVornCabinet>(scene);
  cabinet->SetParent(layer());
  TCabinetWatcher* inside = NewControl("in", cabinet);
  EXPECT_FALSE(cabinet->GetVisible());
  EXPECT_FALSE(inside->GetVisible());
  EXPECT_TRUE(inside->InCabinet());
  EXPECT_EQ(inside->log, (std::vector<std::string>{"enter"}));
  inside->SetParent(layer());
  EXPECT_EQ(inside->log, (std::vector<std::string>{"enter", "leave"}));
  EXPECT_FALSE(inside->InCabinet());
}

TEST_F(ControlFocusTest, ReparentingRefusesItselfItsDescendantsAndTheSameParent) {
  TCabinetWatcher* a = NewControl("a", layer());
  TCabinetWatcher* b = NewControl("b", a);
  TCabinetWatcher* c = NewControl("c", b);
  a->SetParent(a);
  a->SetParent(c);
  EXPECT_EQ(a->GetParent(), layer());
  b->SetParent(a);
  EXPECT_EQ(a->GetChildCount(), 1);
  c->SetParent(a);
  EXPECT_EQ(a->GetChildCount(), 2);
  EXPECT_EQ(b->GetChildCount(), 0);
  EXPECT_EQ(a->GetChild(2), nullptr);
  EXPECT_EQ(a->GetChild(-1), nullptr);
}

TEST_F(ControlFocusTest, MovingTheFocusedControlToTheOtherLayerDropsTheFocus) {
  TCabinetWatcher* a = NewControl("a", layer());
  scene.SetFocusedControl(a);
  Posted();
  a->SetParent(scene.OtherLayer());
  EXPECT_EQ(scene.GetFocusedControl(), nullptr);
  EXPECT_TRUE(scene.IsFocusChoiceRequested());
  EXPECT_EQ(Posted(), (std::vector<std::string>{"a:out"}));
  // Arriving on the active layer while nothing has the focus asks for a choice.
  scene.ClearFocusChoiceRequest();
  a->SetParent(layer());
  EXPECT_TRUE(scene.IsFocusChoiceRequested());
}

TEST_F(ControlFocusTest, HandleKeyChangesRequestAChoice) {
  TCabinetWatcher* a = NewControl("a", layer());
  scene.ClearFocusChoiceRequest();
  a->SetHandleKey(true);
  EXPECT_TRUE(scene.IsFocusChoiceRequested());
  scene.SetFocusedControl(a);
  a->SetHandleKey(false);
  EXPECT_TRUE(scene.IsFocusChoiceRequested());
}

TEST_F(ControlFocusTest, FindFocusableSearchesVisibleChildrenLastToFirstDepthFirst) {
  TCabinetWatcher* first = NewControl("1", layer());
  TCabinetWatcher* second = NewControl("2", layer());
  TCabinetWatcher* inner = NewControl("2a", second);
  first->SetHandleKey(true);
  second->SetHandleKey(true);
  EXPECT_EQ(layer()->FindFocusable(), second);
  inner->SetHandleKey(true);
  EXPECT_EQ(layer()->FindFocusable(), inner);
  second->SetVisible(false);
  EXPECT_EQ(layer()->FindFocusable(), first);
}

TEST_F(ControlFocusTest, DestroyingTheFocusedSubtreeDropsTheFocusSilently) {
  TCabinetWatcher* parent = NewControl("p", layer());
  TCabinetWatcher* child = NewControl("c", parent);
  TCabinetWatcher* grandchild = NewControl("g", child);
  scene.SetFocusedControl(grandchild);
  layer()->SetHoverObject(child);
  scene.OtherLayer()->SetHoverObject(grandchild);
  Posted();
  const TObjectHandle child_handle = child->Handle();
  parent->DeleteObject();
  EXPECT_EQ(scene.GetFocusedControl(), nullptr);
  EXPECT_TRUE(scene.IsFocusChoiceRequested());
  EXPECT_TRUE(Posted().empty());
  EXPECT_EQ(layer()->GetHoverObject(), nullptr);
  EXPECT_EQ(scene.OtherLayer()->GetHoverObject(), nullptr);
  EXPECT_EQ(child_handle.Get(), nullptr);
  EXPECT_EQ(scene.GetObjectCount(), 0);
  EXPECT_EQ(layer()->GetChildCount(), 0);
}

}  // namespace
}  // namespace vorn
