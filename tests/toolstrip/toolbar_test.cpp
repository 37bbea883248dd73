#include "toolstrip/strip_fixture.h"

namespace vorn::test {
namespace {

TEST_F(MainStripTest, ABorderlessToolbarShowsItsButtonsTwoPixelsInsideOnItsColour) {
  for (int x : {0, 1, 137}) EXPECT_EQ(At(x, 10), Colors().face) << x;
  for (int y : {0, 1, 20, 21}) EXPECT_EQ(At(40, y), Colors().face) << y;
}

TEST_F(MainStripTest, ASingleBorderIsARaisedRing) {
  toolbar_.SetBorderStyle(TBorderStyle::bsSingle);
  EXPECT_EQ(At(0, 10), Colors().highlight);
  EXPECT_EQ(At(40, 0), Colors().highlight);
  EXPECT_EQ(At(137, 10), Colors().shadow);
  EXPECT_EQ(At(40, 21), Colors().shadow);
  EXPECT_EQ(At(1, 10), Colors().face);
}

TEST_F(MainStripTest, ASeparatorMovesTheNextButtonAndLeavesTheThickness) {
  TToolbarSep97 separator;
  separator.SetParent(&toolbar_);
  // Children keep their order: put the second button after the separator.
  switch_.SetParent(nullptr);
  switch_.SetParent(&toolbar_);
  EXPECT_EQ(switch_.Left(), 67 + 6);
  EXPECT_EQ(separator.Bounds(), (platform::Rect{67, 0, 6, 18}));
  EXPECT_EQ(toolbar_.DockedThickness(true), 18);
  EXPECT_EQ(dock_.Height(), 23);
  PaintAll();
  EXPECT_EQ(At(2 + 67 + 2, 10), Colors().shadow);
  EXPECT_EQ(At(2 + 67 + 3, 10), Colors().highlight);
  separator.SetParent(nullptr);
}

TEST_F(StripTest, AToolbarPlacesShorterButtonsInTheMiddleOfItsRow) {
  TDock97 dock;
  TToolbar97 toolbar;
  TToolbarButton97 tall;
  TToolbarButton97 short_one;
  dock.SetAllowDrag(false);
  dock.SetParent(form_.get());
  tall.SetBounds(platform::Rect{0, 0, 30, 18});
  short_one.SetBounds(platform::Rect{0, 0, 30, 16});
  toolbar.SetParent(&dock);
  tall.SetParent(&toolbar);
  short_one.SetParent(&toolbar);
  EXPECT_EQ(short_one.Bounds(), (platform::Rect{30, 1, 30, 16}));
  short_one.SetParent(nullptr);
  tall.SetParent(nullptr);
  // Without children the toolbar is 8 long and the row 8 thick.
  EXPECT_EQ(toolbar.ClientRect().width, 8);
  EXPECT_EQ(dock.RowSizes(), std::vector<int>{8});
  toolbar.SetParent(nullptr);
}

TEST_F(StripTest, ToolbarEventsFollowVisibilityAndDocking) {
  TDock97 dock;
  TToolbar97 toolbar;
  dock.SetParent(form_.get());
  std::vector<std::string> events;
  toolbar.OnDockChanging = [&] { events.push_back("changing"); };
  toolbar.OnDockChangingEx = [&](TDock97* to) { events.push_back(to == &dock ? "ex dock" : "ex none"); };
  toolbar.OnDockChangingHidden = [&] { events.push_back("hidden"); };
  toolbar.OnDockChanged = [&] { events.push_back("changed"); };
  toolbar.OnVisibleChanged = [&] { events.push_back("visible"); };
  toolbar.SetDockedTo(&dock);
  EXPECT_EQ(toolbar.DockedTo(), &dock);
  toolbar.SetVisible(false);
  toolbar.SetParent(form_.get());
  EXPECT_EQ(events, (std::vector<std::string>{"changing", "ex dock", "changed", "visible", "changing", "ex none",
                                              "hidden", "changed"}));
  toolbar.SetParent(nullptr);
}

}  // namespace
}  // namespace vorn::test
