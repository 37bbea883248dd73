#include <climits>

#include "toolstrip/strip_fixture.h"

namespace vorn::test {
namespace {

TEST_F(MainStripTest, TheMainDockIsTheRowPlusFramePlusItsBottomLine) {
  EXPECT_EQ(dock_.Height(), 18 + 4 + 1);
  EXPECT_EQ(dock_.Width(), 640);
  EXPECT_EQ(toolbar_.Bounds(), (platform::Rect{0, 0, 138, 22}));
  EXPECT_EQ(toolbar_.ClientRect(), (platform::Rect{2, 2, 134, 18}));
  EXPECT_EQ(quit_.Bounds(), (platform::Rect{0, 0, 67, 18}));
  EXPECT_EQ(switch_.Bounds(), (platform::Rect{67, 0, 67, 18}));
  EXPECT_EQ(switch_.WindowRect(), (platform::Rect{69, 2, 67, 18}));
  for (int x : {0, 300, 639}) EXPECT_EQ(At(x, 22), Colors().highlight) << x;
  EXPECT_EQ(At(300, 5), Colors().face);
  EXPECT_EQ(At(300, 21), Colors().face);
}

TEST_F(MainStripTest, HidingTheToolbarEmptiesTheDockAndShowingRestoresIt) {
  toolbar_.SetVisible(false);
  EXPECT_EQ(dock_.Height(), 0);
  dock_.SetFixAlign(true);
  EXPECT_EQ(dock_.Height(), 1);
  toolbar_.SetVisible(true);
  EXPECT_EQ(dock_.Height(), 23);
}

TEST_F(MainStripTest, ChangingPositionWithAToolbarInsideRaisesUnlessTheValueStays) {
  EXPECT_NO_THROW(dock_.SetPosition(TDockPosition::dpTop));
  try {
    dock_.SetPosition(TDockPosition::dpBottom);
    FAIL();
  } catch (const EToolStripError& error) {
    EXPECT_STREQ(error.what(), "Cannot change Position of a TDock97 if it already contains controls");
  }
}

TEST_F(MainStripTest, AllowDragAddsTheHandleToTheToolbarAndTakesItBack) {
  dock_.SetAllowDrag(true);
  EXPECT_EQ(toolbar_.Width(), 138 + 9);
  EXPECT_EQ(quit_.WindowRect().left, 2 + 9);
  toolbar_.SetDragHandleStyle(2);
  EXPECT_EQ(toolbar_.Width(), 138 + 6);
  toolbar_.SetCloseButtonWhenDocked(true);
  EXPECT_EQ(toolbar_.Width(), 138 + 14);
  dock_.SetAllowDrag(false);
  EXPECT_EQ(toolbar_.Width(), 138);
}

TEST_F(StripTest, PlacingErrorsCarryTheirMessages) {
  TDock97 dock;
  TDock97 inner;
  TToolbar97 toolbar;
  TToolbar97 other;
  TToolbarSep97 separator;
  dock.SetParent(form_.get());
  toolbar.SetParent(&dock);
  struct Case {
    std::function<void()> place;
    const char* message;
  } cases[] = {
      {[&] { inner.SetParent(&dock); }, "A TDock97 control cannot be placed inside a tool window or another TDock97"},
      {[&] { inner.SetParent(&toolbar); }, "A TDock97 control cannot be placed inside a tool window or another TDock97"},
      {[&] { other.SetParent(&toolbar); }, "A tool window can only be placed on a TDock97 or directly on the form"},
      {[&] { separator.SetParent(&dock); }, "TToolbarSep97 can only be placed on a TToolbar97"},
  };
  for (const Case& c : cases) {
    try {
      c.place();
      ADD_FAILURE() << c.message;
    } catch (const EToolStripError& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
  }
  EXPECT_EQ(inner.Parent(), nullptr);
  EXPECT_EQ(other.Parent(), nullptr);
  EXPECT_EQ(separator.Parent(), nullptr);
  toolbar.SetParent(nullptr);
}

// A dock and toolbars of given button sizes, for the arrangement table.
class ArrangeTest : public StripTest {
 protected:
  TToolbar97& AddToolbar(int length, int thickness, int row, int pos = -1) {
    auto toolbar = std::make_unique<TToolbar97>();
    auto button = std::make_unique<TToolbarButton97>();
    button->SetBounds(platform::Rect{0, 0, length, thickness});
    toolbar->SetBorderStyle(TBorderStyle::bsNone);
    toolbar->SetDockRow(row);
    toolbar->SetDockPos(pos);
    button->SetParent(toolbar.get());
    toolbar->SetParent(&dock_);
    buttons_.push_back(std::move(button));
    toolbars_.push_back(std::move(toolbar));
    return *toolbars_.back();
  }
  void SetUp() override {
    dock_.SetAllowDrag(false);
    dock_.SetParent(form_.get());
  }
  void TearDown() override {
    buttons_.clear();
    toolbars_.clear();
  }

  TDock97 dock_;
  std::vector<std::unique_ptr<TToolbarButton97>> buttons_;
  std::vector<std::unique_ptr<TToolbar97>> toolbars_;
};

TEST_F(ArrangeTest, RowsAreRenumberedWithoutGapsAndStackedAcross) {
  TToolbar97& a = AddToolbar(50, 18, 0);
  TToolbar97& b = AddToolbar(50, 10, 5);
  EXPECT_EQ(a.DockRow(), 0);
  EXPECT_EQ(b.DockRow(), 1);
  EXPECT_EQ(a.Bounds(), (platform::Rect{0, 0, 54, 22}));
  EXPECT_EQ(b.Bounds(), (platform::Rect{0, 22, 54, 14}));
  EXPECT_EQ(dock_.Height(), 22 + 14);
}

TEST_F(ArrangeTest, ThinToolWindowsMakeARowOfEight) {
  AddToolbar(20, 5, 0);
  EXPECT_EQ(dock_.RowSizes(), std::vector<int>{8});
  EXPECT_EQ(dock_.Height(), 12);
}

TEST_F(ArrangeTest, LimitToOneRowPutsEveryWindowInRowZero) {
  TToolbar97& a = AddToolbar(50, 18, 0);
  TToolbar97& b = AddToolbar(60, 18, 3);
  dock_.SetLimitToOneRow(true);
  EXPECT_EQ(b.DockRow(), 0);
  EXPECT_EQ(a.Left(), 0);
  EXPECT_EQ(b.Left(), 54);
  EXPECT_EQ(dock_.Height(), 22);
}

TEST_F(ArrangeTest, AFullSizeWindowHasItsRowAlone) {
  TToolbar97& a = AddToolbar(50, 18, 0, 0);
  TToolbar97& b = AddToolbar(50, 18, 0, 100);
  a.SetFullSize(true);
  EXPECT_EQ(a.Bounds(), (platform::Rect{0, 0, 640, 22}));
  EXPECT_EQ(b.DockRow(), 1);
  EXPECT_EQ(b.Bounds(), (platform::Rect{100, 22, 54, 22}));
}

TEST_F(ArrangeTest, PositionsFollowDockPosAndAreClippedFromTheEnd) {
  TToolbar97& a = AddToolbar(100, 18, 0, 10);
  TToolbar97& b = AddToolbar(100, 18, 0, 50);   // overlaps a: goes right after it
  TToolbar97& c = AddToolbar(100, 18, 0, 600);  // overruns the 640 pixels: pulled back
  EXPECT_EQ(a.Left(), 10);
  EXPECT_EQ(b.Left(), 114);
  EXPECT_EQ(c.Left(), 640 - 104);
  EXPECT_EQ(c.DockPos(), 600);
  dock_.ArrangeToolbarsClipped();
  EXPECT_EQ(c.DockPos(), 536);
  // A narrower dock pushes every window back from the end.
  form_->SetBounds(platform::Rect{0, 0, 250, 480});
  EXPECT_EQ(dock_.Width(), 250);
  EXPECT_EQ(c.Left(), 250 - 104);
  EXPECT_EQ(b.Left(), 250 - 208);
  EXPECT_EQ(a.Left(), 0);
}

TEST_F(ArrangeTest, HostileRowsAndPositionsNeitherCrashNorSizeByValue) {
  TToolbar97& a = AddToolbar(30, 18, INT_MAX, INT_MAX);
  TToolbar97& b = AddToolbar(30, 18, INT_MIN, -5);
  EXPECT_EQ(b.DockRow(), 0);
  EXPECT_EQ(a.DockRow(), 1);
  EXPECT_EQ(a.Left(), 640 - 34);
  AddToolbar(0, 0, 2);
  EXPECT_EQ(dock_.RowSizes().size(), 3u);
}

TEST_F(ArrangeTest, ABottomDockKeepsItsBottomEdge) {
  dock_.SetPosition(TDockPosition::dpBottom);
  AddToolbar(50, 18, 0);
  EXPECT_EQ(dock_.Bounds(), (platform::Rect{0, 480 - 22, 640, 22}));
  AddToolbar(50, 18, 1);
  EXPECT_EQ(dock_.Bounds(), (platform::Rect{0, 480 - 44, 640, 44}));
}

TEST_F(ArrangeTest, AVerticalDockSwapsTheAxes) {
  dock_.SetPosition(TDockPosition::dpLeft);
  dock_.SetBoundLines(blRight);
  TToolbar97& a = AddToolbar(30, 18, 0);
  EXPECT_EQ(dock_.Bounds(), (platform::Rect{0, 0, 30 + 4 + 1, 480}));
  // Buttons stand one under another: the length runs down.
  EXPECT_EQ(a.Bounds(), (platform::Rect{0, 0, 34, 22}));
}

TEST_F(ArrangeTest, TheLockDefersTheArrangement) {
  dock_.BeginUpdate();
  AddToolbar(50, 18, 0);
  EXPECT_EQ(dock_.Height(), 0);
  dock_.EndUpdate();
  EXPECT_EQ(dock_.Height(), 22);
}

}  // namespace
}  // namespace vorn::test
