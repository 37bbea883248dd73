#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/box.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "graphics/memory_dibx.h"
#include "support/test_scene_screen.h"

namespace vorn {
namespace {

// A box that counts its ticks and paints.
class TCountingBox : public TVornBox {
 public:
  using TVornBox::TVornBox;
  bool Tick() override {
    ++ticks;
    return false;
  }
  void Paint() override {
    ++paints;
    TVornBox::Paint();
  }
  int ticks = 0;
  int paints = 0;
};

class CabinetTest : public ::testing::Test {
 protected:
  CabinetTest() : surface(64, 64, 32), screen(&surface) {
    scene.SetWidth(64);
    scene.SetHeight(64);
    scene.SetScreen(&screen);
    cabinet = CreateObject<TVornCabinet>(scene);
    cabinet->SetName("cab");
    cabinet->SetParent(scene.ActiveLayer());
    cabinet->SetBounds(0, 0, 64, 64);
  }
  TCountingBox* NewBox(TVornControl* parent, const std::string& name) {
    auto* box = CreateObject<TCountingBox>(scene);
    box->SetName(name);
    box->SetParent(parent);
    box->SetBounds(10, 10, 20, 20);
    box->SetOnIdle("p.vsb:idle");
    box->SetHandleKey(true);
    return box;
  }

  TMemoryDIBX surface;
  test::TTestSceneScreen screen;
  TVornBaseList scene;
  TVornCabinet* cabinet = nullptr;
};

TEST_F(CabinetTest, NothingInsideIsVisiblePaintedHitTickedOrIdle) {
  TCountingBox* outside = NewBox(scene.ActiveLayer(), "outside");
  TCountingBox* inside = NewBox(cabinet, "inside");
  TCountingBox* deeper = NewBox(inside, "deeper");
  EXPECT_EQ(cabinet->GetCompoType(), LT_CABINET);
  EXPECT_FALSE(cabinet->GetVisible());
  EXPECT_FALSE(inside->GetVisible());
  EXPECT_FALSE(deeper->GetVisible());
  EXPECT_TRUE(outside->GetVisible());

  scene.ActiveLayer()->InvalidateAll();
  scene.Paint();
  EXPECT_EQ(inside->paints + deeper->paints, 0);
  EXPECT_EQ(outside->paints, 1);

  outside->SetVisible(false);
  EXPECT_EQ(scene.ActiveLayer()->HitTest({15, 15}, kHoverMask), scene.ActiveLayer());

  scene.Tick();
  EXPECT_EQ(inside->ticks + deeper->ticks, 0);
  EXPECT_EQ(outside->ticks, 1);
  ASSERT_EQ(scene.Events().Count(), 1);
  EXPECT_EQ(scene.Events().Item(0)->GetSender().Get(), outside);

  // Nor does one of them take the focus.
  scene.RequestFocusChoice();
  scene.ProcessInput();
  EXPECT_EQ(scene.GetFocusedControl(), nullptr);
}

// What SaveCabinet leaves (children of the inactive layer moved into a cabinet on layer 0), saved
// and loaded, and then what LoadCabinet does with it.
TEST_F(CabinetTest, ACabinetIsSavedUnderItsLayerWithItsChildrenInOrder) {
  TVornControl* inactive = scene.OtherLayer();
  std::vector<TVornControl*> kept;
  for (const char* name : {"a", "b", "c"}) {
    TCountingBox* box = NewBox(inactive, name);
    box->SetPriority(name[0] == 'a' ? 5 : 1);
    kept.push_back(box);
  }
  for (TVornControl* box : kept) box->SetParent(cabinet);
  ASSERT_EQ(cabinet->GetChildCount(), 3);

  TMemoryStream saved;
  scene.SaveToStream(saved);
  TVornBaseList loaded;
  saved.SetPosition(0);
  loaded.LoadFromStream(saved, 134);
  TVornControl* cab = loaded.FindControl("cab");
  ASSERT_NE(cab, nullptr);
  EXPECT_EQ(cab->GetCompoType(), LT_CABINET);
  EXPECT_EQ(cab->GetParent(), loaded.GetBase(0));
  std::vector<std::string> names;
  for (const TVornControl* child : cab->Children()) names.push_back(child->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"b", "c", "a"}));
  EXPECT_TRUE(loaded.FindControl("b")->InCabinet());

  // LoadCabinet: back onto the inactive layer, and they show again.
  for (int i = cab->GetChildCount() - 1; i >= 0; --i) cab->GetChild(i)->SetParent(loaded.OtherLayer());
  EXPECT_EQ(loaded.OtherLayer()->GetChildCount(), 3);
  EXPECT_TRUE(loaded.FindControl("a")->GetVisible());
  EXPECT_FALSE(loaded.FindControl("a")->InCabinet());
}

}  // namespace
}  // namespace vorn
