#include <gtest/gtest.h>

#include "support/test_scene_screen.h"

#include <string>
#include <vector>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "graphics/memory_dibx.h"

namespace vorn {
namespace {

// Records the drawing rectangle its paint sees, and how often it invalidates and hears about
// position and clip changes.
class TRecordingControl : public TVornControl {
 public:
  using TVornControl::TVornControl;
  void Paint() override {
    if (GetSurface() != nullptr) painted.push_back(GetSurface()->GetDirtyRect());
    TVornControl::Paint();
  }
  void Invalidate() override {
    ++invalidations;
    TVornControl::Invalidate();
  }
  std::vector<TRect> painted;
  int invalidations = 0;
  int position_changes = 0;
  int clip_changes = 0;

 protected:
  void OnPositionChanged() override { ++position_changes; }
  void OnClipChanged() override { ++clip_changes; }
};

class TBorderRecordingSurface : public TMemoryDIBX {
 public:
  using TMemoryDIBX::TMemoryDIBX;
  void DrawBorder(const TRect& rect, int width, TCustomDIBX& pattern, int offset_x, int offset_y) override {
    borders.push_back({rect, width, &pattern, offset_x, offset_y});
  }
  struct Border {
    TRect rect;
    int width;
    TCustomDIBX* pattern;
    int offset_x;
    int offset_y;
  };
  std::vector<Border> borders;
};

class ControlPaintTest : public ::testing::Test {
 protected:
  ControlPaintTest() : surface(200, 200, 32) {
    scene.SetWidth(200);
    scene.SetHeight(200);
    scene.SetScreen(&screen);
    layer()->DirtyRects().Clear();
  }
  TVornBase* layer() { return scene.ActiveLayer(); }
  // The layer's children within the surface's drawing rectangle, as a control paints them (the
  // layer's own paint walks its dirty rectangles instead).
  void PaintLayerChildren() { layer()->TVornControl::Paint(); }
  TRecordingControl* NewControl(TVornControl* parent, TRect bounds) {
    auto* control = CreateObject<TRecordingControl>(scene);
    control->SetParent(parent);
    control->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    control->invalidations = 0;
    control->position_changes = 0;
    return control;
  }
  std::vector<TRect> Dirty() { return layer()->DirtyRects().Rects(); }

  TVornBaseList scene;
  TBorderRecordingSurface surface;
  test::TTestSceneScreen screen{&surface};
};

// ---- invalidation ----

TEST_F(ControlPaintTest, InvalidateAddsTheScreenRectangleToTheLayer) {
  NewControl(layer(), {10, 20, 30, 40});
  layer()->DirtyRects().Clear();
  layer()->GetChild(0)->Invalidate();
  EXPECT_EQ(Dirty(), (std::vector<TRect>{{10, 20, 40, 60}}));
}

TEST_F(ControlPaintTest, InvalidateIsCutByTheLayerTheParentAndTheOwnClip) {
  TRecordingControl* parent = NewControl(layer(), {0, 0, 20, 20});
  TRecordingControl* child = NewControl(parent, {10, 10, 30, 30});
  layer()->DirtyRects().Clear();
  child->Invalidate();
  EXPECT_EQ(Dirty(), (std::vector<TRect>{{10, 10, 20, 20}}));

  layer()->DirtyRects().Clear();
  child->SetParent(layer());
  child->SetClipWidth(4);
  child->SetClipHeight(3);
  layer()->DirtyRects().Clear();
  child->Invalidate();
  EXPECT_EQ(Dirty(), (std::vector<TRect>{{10, 10, 14, 13}}));

  child->SetLeft(190);
  layer()->DirtyRects().Clear();
  child->SetClipWidth(100);
  child->SetClipHeight(100);
  layer()->DirtyRects().Clear();
  child->Invalidate();
  EXPECT_EQ(Dirty(), (std::vector<TRect>{{190, 10, 200, 40}}));
}

TEST_F(ControlPaintTest, InvisibleOrLayerlessControlsInvalidateNothing) {
  TRecordingControl* hidden = NewControl(layer(), {10, 10, 10, 10});
  hidden->SetVisible(false);
  TRecordingControl* orphan = NewControl(nullptr, {10, 10, 10, 10});
  layer()->DirtyRects().Clear();
  hidden->Invalidate();
  orphan->Invalidate();
  hidden->SetLeft(100);
  EXPECT_TRUE(Dirty().empty());
}

TEST_F(ControlPaintTest, SettersInvalidateOldAndNewRectangleAndNothingWhenUnchanged) {
  TRecordingControl* control = NewControl(layer(), {10, 10, 10, 10});
  layer()->DirtyRects().Clear();
  control->SetLeft(150);
  EXPECT_EQ(Dirty(), (std::vector<TRect>{{10, 10, 20, 20}, {150, 10, 160, 20}}));

  struct Case {
    const char* what;
    void (*change)(TRecordingControl&);
    int invalidations;
    int position_changes;
    int clip_changes;
  };
  const Case cases[] = {
      {"left", [](TRecordingControl& c) { c.SetLeft(1); }, 2, 1, 0},
      {"same left", [](TRecordingControl& c) { c.SetLeft(150); }, 0, 1, 0},
      {"same top", [](TRecordingControl& c) { c.SetTop(10); }, 0, 1, 0},
      {"offset x", [](TRecordingControl& c) { c.SetOffsetX(3); }, 2, 1, 0},
      {"same offset y", [](TRecordingControl& c) { c.SetOffsetY(0); }, 0, 1, 0},
      {"width", [](TRecordingControl& c) { c.SetWidth(11); }, 2, 0, 0},
      {"same height", [](TRecordingControl& c) { c.SetHeight(10); }, 0, 0, 0},
      {"colour", [](TRecordingControl& c) { c.SetColor(0xFF); }, 1, 0, 0},
      {"same colour", [](TRecordingControl& c) { c.SetColor(0); }, 0, 0, 0},
      {"plus x", [](TRecordingControl& c) { c.SetPlusX(2); }, 2, 0, 0},
      {"pos zoomed", [](TRecordingControl& c) { c.SetPosZoomed(true); }, 2, 0, 0},
      {"clip", [](TRecordingControl& c) { c.SetClipWidth(5); }, 2, 0, 1},
      {"same clip", [](TRecordingControl& c) { c.SetClipTop(0); }, 0, 0, 0},
      {"bounds", [](TRecordingControl& c) { c.SetBounds(1, 2, 3, 4); }, 2, 1, 0},
      {"same bounds", [](TRecordingControl& c) { c.SetBounds(150, 10, 10, 10); }, 0, 0, 0},
      {"priority", [](TRecordingControl& c) { c.SetPriority(4); }, 1, 0, 0},
      {"same priority", [](TRecordingControl& c) { c.SetPriority(0); }, 0, 0, 0},
  };
  for (const Case& c : cases) {
    TRecordingControl* probe = NewControl(layer(), {150, 10, 10, 10});
    probe->clip_changes = 0;
    c.change(*probe);
    EXPECT_EQ(probe->invalidations, c.invalidations) << c.what;
    EXPECT_EQ(probe->position_changes, c.position_changes) << c.what;
    EXPECT_EQ(probe->clip_changes, c.clip_changes) << c.what;
  }
}

TEST_F(ControlPaintTest, PositionAndClipChangesReachTheWholeSubtree) {
  TRecordingControl* parent = NewControl(layer(), {0, 0, 50, 50});
  TRecordingControl* child = NewControl(parent, {0, 0, 5, 5});
  TRecordingControl* grandchild = NewControl(child, {0, 0, 5, 5});
  grandchild->position_changes = 0;
  parent->SetLeft(3);
  parent->SetClipHeight(9);
  EXPECT_EQ(grandchild->position_changes, 1);
  EXPECT_EQ(grandchild->clip_changes, 1);
}

// ---- paint ----

TEST_F(ControlPaintTest, ChildrenPaintInsideTheirParentNarrowedByTheirClip) {
  TRecordingControl* parent = NewControl(layer(), {10, 10, 50, 50});
  TRecordingControl* plain = NewControl(parent, {5, 5, 10, 10});
  TRecordingControl* clipped = NewControl(parent, {0, 0, 100, 100});
  clipped->SetClipLeft(30);
  clipped->SetClipTop(30);
  clipped->SetClipWidth(100);
  clipped->SetClipHeight(100);
  TRecordingControl* outside = NewControl(parent, {0, 0, 10, 10});
  outside->SetClipLeft(100);
  outside->SetClipWidth(5);
  outside->SetClipHeight(5);
  TRecordingControl* hidden = NewControl(parent, {0, 0, 10, 10});
  hidden->SetVisible(false);

  surface.SetDirtyRect({0, 0, 40, 200});
  PaintLayerChildren();
  EXPECT_EQ(parent->painted, (std::vector<TRect>{{0, 0, 40, 200}}));
  // A child without a clip paints in its parent's rectangle cut by the drawing rectangle.
  EXPECT_EQ(plain->painted, (std::vector<TRect>{{10, 10, 40, 60}}));
  EXPECT_TRUE(clipped->painted.empty());  // its clip starts where the drawing rectangle ends
  EXPECT_TRUE(outside->painted.empty());
  EXPECT_TRUE(hidden->painted.empty());
  EXPECT_EQ(surface.DirtyRect, (TRect{0, 0, 40, 200}));

  surface.ResetDirtyRect();
  PaintLayerChildren();
  EXPECT_EQ(clipped->painted, (std::vector<TRect>{{40, 40, 60, 60}}));
  EXPECT_EQ(plain->painted.back(), (TRect{10, 10, 60, 60}));
}

TEST_F(ControlPaintTest, HighlightFrameIsDrawnLastFromTheSelectionPattern) {
  TMemoryDIBX pattern(2, 2, 32);
  scene.SetSelRectDIB(&pattern);
  TRecordingControl* control = NewControl(layer(), {10, 20, 30, 40});
  surface.SetDirtyRect({0, 0, 100, 100});
  PaintLayerChildren();
  EXPECT_TRUE(surface.borders.empty());
  control->SetHighlight(true);
  PaintLayerChildren();
  ASSERT_EQ(surface.borders.size(), 1u);
  EXPECT_EQ(surface.borders[0].rect, (TRect{10, 20, 40, 60}));
  EXPECT_EQ(surface.borders[0].width, 2);
  EXPECT_EQ(surface.borders[0].pattern, &pattern);
  EXPECT_EQ(surface.borders[0].offset_x, 0);
  EXPECT_EQ(surface.borders[0].offset_y, 0);
}

TEST_F(ControlPaintTest, AVideoNeverShowsTheHighlightFrame) {
  class TVideoLike : public TVornControl {
   public:
    using TVornControl::TVornControl;
    bool IsVideo() const override { return true; }
  };
  TMemoryDIBX pattern(2, 2, 32);
  scene.SetSelRectDIB(&pattern);
  auto* video = CreateObject<TVideoLike>(scene);
  video->SetParent(layer());
  video->SetBounds(0, 0, 10, 10);
  video->SetHighlight(true);
  PaintLayerChildren();
  EXPECT_TRUE(surface.borders.empty());
}

// Fills its screen rectangle (inside the drawing rectangle) with its colour before its children.
class TFillControl : public TVornControl {
 public:
  using TVornControl::TVornControl;
  void Paint() override {
    if (TCustomDIBX* surface = GetSurface()) {
      surface->FillRect(GetScreenRect(), static_cast<std::uint32_t>(surface->ColorToPixel(fill)));
    }
    TVornControl::Paint();
  }
  std::int32_t fill = 0;
};

// A chain far deeper than paints nest before they hand their subtrees to the walk: each subtree
// still paints whole before the next sibling, and the drawing rectangle comes back as it was.
TEST_F(ControlPaintTest, SubtreesBeyondTheNestingLimitPaintInOrder) {
  std::vector<TFillControl*> chain;
  for (int i = 0; i < 300; ++i) {
    auto* control = CreateObject<TFillControl>(scene);
    control->SetBounds(0, 0, 50, 50);
    control->fill = i;
    chain.push_back(control);
  }
  for (std::size_t i = chain.size() - 1; i > 0; --i) chain[i]->SetParent(chain[i - 1]);
  chain.front()->SetParent(layer());
  // Under the deepest: a child with a child of its own, then a sibling over the right half.
  auto add = [&](TVornControl* parent, const std::string& name, TRect bounds, std::int32_t fill) {
    auto* control = CreateObject<TFillControl>(scene);
    control->SetName(name);
    control->SetParent(parent);
    control->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    control->fill = fill;
    return control;
  };
  TFillControl* first = add(chain.back(), "c1", {0, 0, 40, 40}, 0x111111);
  add(first, "c1a", {0, 0, 40, 40}, 0x222222);
  add(chain.back(), "c2", {20, 0, 20, 40}, 0x333333);
  // A sibling of the chain's second level paints over all of it.
  add(chain[0], "zz", {0, 45, 50, 5}, 0x444444);
  TMemoryDIBX pattern(2, 2, 32);
  scene.SetSelRectDIB(&pattern);
  chain[200]->SetHighlight(true);
  chain[100]->SetHighlight(true);

  surface.SetDirtyRect({0, 0, 200, 200});
  PaintLayerChildren();
  auto pixel = [this](std::int32_t colour) { return static_cast<std::uint32_t>(surface.ColorToPixel(colour)); };
  EXPECT_EQ(surface.GetPixel(5, 5), pixel(0x222222));
  EXPECT_EQ(surface.GetPixel(25, 5), pixel(0x333333));
  EXPECT_EQ(surface.GetPixel(45, 42), pixel(299));
  EXPECT_EQ(surface.GetPixel(5, 47), pixel(0x444444));
  EXPECT_EQ(surface.GetPixel(60, 60), pixel(0));
  // Highlight frames end their control's paint: the deeper one first.
  ASSERT_EQ(surface.borders.size(), 2u);
  EXPECT_EQ(surface.borders[0].rect, (TRect{0, 0, 50, 50}));
  EXPECT_EQ(surface.DirtyRect, (TRect{0, 0, 200, 200}));
}

TEST_F(ControlPaintTest, AChainOfTenThousandPaintsWithoutExhaustingTheStack) {
  std::vector<TVornControl*> chain;
  for (int i = 0; i < 9999; ++i) {
    auto* control = CreateObject<TVornControl>(scene);
    control->SetBounds(0, 0, 50, 50);
    chain.push_back(control);
  }
  TRecordingControl* deepest = CreateObject<TRecordingControl>(scene);
  deepest->SetBounds(0, 0, 50, 50);
  chain.push_back(deepest);
  for (std::size_t i = chain.size() - 1; i > 0; --i) chain[i]->SetParent(chain[i - 1]);
  chain.front()->SetParent(layer());
  surface.SetDirtyRect({0, 0, 200, 200});
  PaintLayerChildren();
  EXPECT_EQ(deepest->painted, (std::vector<TRect>{{0, 0, 50, 50}}));
  EXPECT_EQ(surface.DirtyRect, (TRect{0, 0, 200, 200}));
}

// ---- child order ----

TEST(ChildOrder, SortsSystemNamesFirstThenOrderValueThenBytesAndTheScreenCopyLast) {
  struct Child {
    std::string name;
    std::int32_t priority;
    std::int32_t sub_priority;
  };
  const std::vector<Child> children = {
      {"c", 0, 0},     {"\x01\x01", -100, 0}, {"b", 0, 0},     {"a", 0, 0},        {"B", 0, 0},
      {"\x01z", 5, 0}, {"low", -1, 0},        {"sum", 2, -3}, {"big", INT32_MAX, 1}, {"\x01" "a", 9, 0},
  };
  TVornBaseList scene;
  for (const Child& c : children) {
    auto* control = CreateObject<TVornControl>(scene);
    control->SetName(c.name);
    control->SetPriority(c.priority);
    control->SetSubPriority(c.sub_priority);
    control->SetParent(scene.ActiveLayer());
  }
  std::vector<std::string> order;
  for (TVornControl* child : scene.ActiveLayer()->Children()) order.push_back(child->GetName());
  EXPECT_EQ(order, (std::vector<std::string>{"\x01z", "\x01" "a", "low", "sum", "B", "a", "b", "c",
                                             "big", "\x01\x01"}));
}

TEST(ChildOrder, PriorityChangesResortAndResetTheSubPriority) {
  TVornBaseList scene;
  auto* first = CreateObject<TVornControl>(scene);
  auto* second = CreateObject<TVornControl>(scene);
  first->SetName("x");
  second->SetName("y");
  first->SetParent(scene.ActiveLayer());
  second->SetParent(scene.ActiveLayer());
  first->SetSubPriority(7);
  EXPECT_EQ(scene.ActiveLayer()->GetChild(1), first);
  first->SetPriority(-1);
  EXPECT_EQ(first->GetSubPriority(), 0);
  EXPECT_EQ(scene.ActiveLayer()->GetChild(0), first);
}

}  // namespace
}  // namespace vorn
