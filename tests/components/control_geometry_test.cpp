#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "graphics/memory_dibx.h"

#include <vector>

namespace vorn {
namespace {

// A control whose zoom, flip, scroll and motion come from the test.
class TShapedControl : public TVornControl {
 public:
  using TVornControl::TVornControl;
  std::int32_t GetZoomX() const override { return zoom_x; }
  std::int32_t GetZoomY() const override { return zoom_y; }
  bool GetFlipH() const override { return flip_h; }
  bool GetFlipV() const override { return flip_v; }
  std::int32_t GetScrollX() const override { return scroll_x; }
  std::int32_t GetScrollY() const override { return scroll_y; }
  bool HasMotion() const override { return motion; }

  std::int32_t zoom_x = 256;
  std::int32_t zoom_y = 256;
  bool flip_h = false;
  bool flip_v = false;
  std::int32_t scroll_x = 0;
  std::int32_t scroll_y = 0;
  bool motion = false;
};

struct GeometryCase {
  const char* what;
  std::int32_t left;
  std::int32_t offset;
  std::int32_t width;
  std::int32_t zoom;
  bool flip;
  bool pos_zoomed;
  std::int32_t screen_left;
  std::int32_t draw_left;
};

class ControlGeometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(ControlGeometry, ScreenAndDrawLeftOnALayer) {
  const GeometryCase& c = GetParam();
  TVornBaseList scene;
  auto* control = CreateObject<TShapedControl>(scene);
  control->SetParent(scene.ActiveLayer());
  control->SetLeft(c.left);
  control->SetOffsetX(c.offset);
  control->SetWidth(c.width);
  control->zoom_x = c.zoom;
  control->flip_h = c.flip;
  control->SetPosZoomed(c.pos_zoomed);
  EXPECT_EQ(control->GetScreenLeft(), c.screen_left) << c.what;
  EXPECT_EQ(control->GetDrawLeft(), c.draw_left) << c.what;
  // The vertical axis follows the same steps.
  control->SetTop(c.left);
  control->SetOffsetY(c.offset);
  control->SetHeight(c.width);
  control->zoom_y = c.zoom;
  control->flip_v = c.flip;
  EXPECT_EQ(control->GetScreenTop(), c.screen_left) << c.what;
  EXPECT_EQ(control->GetDrawTop(), c.draw_left) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ControlGeometry,
    ::testing::Values(GeometryCase{"plain", 10, 4, 20, 256, false, false, 6, 6},
                      GeometryCase{"flipped", 10, 4, 20, 256, true, false, -5, -6},
                      GeometryCase{"zoomed anchor", 10, 4, 20, 512, false, false, 2, 2},
                      GeometryCase{"zoomed position", 10, 4, 20, 512, false, true, 12, 12},
                      GeometryCase{"negative anchor truncates", 10, -3, 20, 384, false, false, 14, 14},
                      GeometryCase{"flipped and zoomed", 10, 4, 20, 512, true, false, -1, -2},
                      GeometryCase{"extremes wrap", INT_MAX, INT_MIN, INT_MAX, 256, false, false, -1, -1},
                      GeometryCase{"extreme zoom", INT_MIN, INT_MAX, INT_MIN, INT_MAX, true, true,
                                   2139095041, 2139095040}));

// A control with a picture of its own (images and the like).
class TSurfacedControl : public TShapedControl {
 public:
  using TShapedControl::TShapedControl;
  TCustomDIBX* GetOwnSurface() const override { return own; }
  TCustomDIBX* own = nullptr;
};

struct ScaledCase {
  const char* what;
  std::int32_t parent_width;
  int parent_surface_width;
  std::int32_t left;
  std::int32_t offset;
  bool flip;
  std::int32_t screen_left;  // parent at 7, child plus x 1, parent scroll 0
};

class ParentSurfaceScale : public ::testing::TestWithParam<ScaledCase> {};

TEST_P(ParentSurfaceScale, PosZoomedChildMapsThroughTheParentsPicture) {
  const ScaledCase& c = GetParam();
  TVornBaseList scene;
  TMemoryDIBX parent_picture(c.parent_surface_width, 4, 32);
  TMemoryDIBX own_picture(20, 4, 32);
  auto* parent = CreateObject<TSurfacedControl>(scene);
  parent->own = &parent_picture;
  parent->SetParent(scene.ActiveLayer());
  parent->SetBounds(7, 0, c.parent_width, 10);
  auto* child = CreateObject<TSurfacedControl>(scene);
  child->own = &own_picture;
  child->SetParent(parent);
  child->SetBounds(c.left, 0, 20, 4);
  child->SetOffsetX(c.offset);
  child->SetPlusX(1);
  child->flip_h = c.flip;
  child->SetPosZoomed(true);
  EXPECT_EQ(child->GetScreenLeft(), c.screen_left) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParentSurfaceScale,
    ::testing::Values(
        // d = 65536 * 200 / 100 = 131072; 10 << 16 / d = 5.
        ScaledCase{"exact", 100, 200, 10, 0, false, 5 + 7 + 1},
        // 3 << 16 / 131072 = 1, remainder 65536 above 0x7FFF: 2.
        ScaledCase{"remainder rounds up", 100, 200, 3, 0, false, 2 + 7 + 1},
        // 65536 * 5 / 131072 = 2.5 goes to the even 2: 10 << 16 / 2.
        ScaledCase{"half to even", 131072, 5, 10, 0, false, 327680 + 7 + 1},
        // A negative width makes a negative scale: d = 1.
        ScaledCase{"negative width", -100, 200, 1, 0, false, 65536 + 7 + 1},
        // Width 0 has no scale: the plain steps (left 10 - offset 0).
        ScaledCase{"zero width", 0, 200, 10, 0, false, 10 + 7 + 1},
        // Flipped: (200 + 4 - 10 - 20) << 16 / 131072 = 87.
        ScaledCase{"flipped", 100, 200, 10, 4, true, 87 + 7 + 1},
        // Negative distances truncate toward zero and never round up.
        ScaledCase{"negative distance", 100, 200, 0, 3, false, -1 + 7 + 1}));

TEST(ParentSurfaceScaleLimits, OnlyUnderTheFullSetOfConditions) {
  TVornBaseList scene;
  TMemoryDIBX parent_picture(200, 4, 32);
  TMemoryDIBX own_picture(20, 4, 32);
  auto* parent = CreateObject<TSurfacedControl>(scene);
  parent->own = &parent_picture;
  parent->SetParent(scene.ActiveLayer());
  parent->SetBounds(0, 0, 100, 100);
  auto* child = CreateObject<TSurfacedControl>(scene);
  child->own = &own_picture;
  child->SetParent(parent);
  child->SetBounds(10, 10, 20, 20);
  child->SetPosZoomed(true);
  EXPECT_EQ(child->GetScreenLeft(), 5);
  EXPECT_EQ(child->GetScreenTop(), 250);  // the pictures are 4 high: d = 65536 * 4 / 100 -> 2621
  child->zoom_x = 512;                  // zoom differs from the parent's
  EXPECT_EQ(child->GetScreenLeft(), 20);
  child->zoom_x = 256;
  child->motion = true;
  EXPECT_EQ(child->GetScreenLeft(), 0);
  child->motion = false;
  child->own = nullptr;
  EXPECT_EQ(child->GetScreenLeft(), 10);
}

TEST(ControlGeometryChain, ParentScreenPositionScrollAndPlusEnter) {
  TVornBaseList scene;
  auto* parent = CreateObject<TShapedControl>(scene);
  parent->SetParent(scene.ActiveLayer());
  parent->SetLeft(100);
  parent->SetOffsetX(10);
  parent->scroll_x = 7;
  auto* child = CreateObject<TShapedControl>(scene);
  child->SetParent(parent);
  child->SetLeft(5);
  child->SetPlusX(3);
  // 5 - 0 + (90 - 7) + 3
  EXPECT_EQ(child->GetScreenLeft(), 91);
  EXPECT_EQ(child->GetScreenAnchor().x, 91);
  EXPECT_EQ(child->GetDrawLeft(), 8);
}

TEST(ControlGeometryChain, MotionPositionReplacesLeftWhileAttached) {
  TVornBaseList scene;
  auto* control = CreateObject<TShapedControl>(scene);
  control->SetParent(scene.ActiveLayer());
  control->SetLeft(50);
  control->SetMotionLeft(20);
  EXPECT_EQ(control->GetScreenLeft(), 50);
  control->motion = true;
  EXPECT_EQ(control->GetScreenLeft(), 20);
  // A new left re-anchors the motion.
  control->SetLeft(60);
  EXPECT_EQ(control->GetMotionLeft(), 0);
  control->SetMotionLeft(20);
  control->SetLeft(60);
  EXPECT_EQ(control->GetMotionLeft(), 20);
}

TEST(ControlGeometryChain, ClipRectangleIsRelativeToTheScreenPosition) {
  TVornBaseList scene;
  auto* control = CreateObject<TShapedControl>(scene);
  control->SetParent(scene.ActiveLayer());
  control->SetBounds(30, 40, 100, 100);
  control->SetClipLeft(5);
  control->SetClipTop(6);
  control->SetClipWidth(10);
  EXPECT_TRUE(RectIsEmpty(control->GetClipRect()));
  control->SetClipHeight(20);
  EXPECT_EQ(control->GetClipRect(), (TRect{35, 46, 45, 66}));
  control->SetClipWidth(0);
  EXPECT_TRUE(RectIsEmpty(control->GetClipRect()));
}

TEST(ControlGeometryChain, TenThousandNestedControlsWithoutRecursion) {
  TVornBaseList scene;
  scene.SetWidth(64);
  scene.SetHeight(64);
  std::vector<TVornControl*> chain;
  for (int i = 0; i < 10000; ++i) {
    auto* control = CreateObject<TVornControl>(scene);
    control->SetBounds(1, 0, 50, 50);
    chain.push_back(control);
  }
  // Joined bottom up, so that building stays linear.
  for (std::size_t i = chain.size() - 1; i > 0; --i) chain[i]->SetParent(chain[i - 1]);
  chain.front()->SetParent(scene.ActiveLayer());
  TVornControl* deepest = chain.back();
  EXPECT_EQ(deepest->GetScreenLeft(), 10000);
  EXPECT_TRUE(deepest->GetVisible());
  EXPECT_EQ(deepest->GetBase(), scene.ActiveLayer());
  scene.ActiveLayer()->Paint();
  // A cycle is refused.
  chain.front()->SetParent(deepest);
  EXPECT_EQ(chain.front()->GetParent(), scene.ActiveLayer());
  chain.front()->DeleteObject();
  EXPECT_EQ(scene.GetObjectCount(), 0);
}

}  // namespace
}  // namespace vorn
