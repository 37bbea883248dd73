// The scene's frame steps on memory surfaces: the tick's walk over the objects, the layers' paint,
// the layer switch, the reset and the surfaces behind the layers.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/scene_cinema.h"
#include "components/scene_transition.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "foundation/vocabulary_codes.h"
#include "graphics/dibx.h"
#include "graphics/dx_dibx.h"
#include "graphics/memory_dibx.h"
#include "support/test_scene_screen.h"

namespace vorn {
namespace {

// A control whose tick, pause, idle label and paint the test sets; it logs its ticks by name.
class TTickProbe : public TVornControl {
 public:
  using TVornControl::TVornControl;
  bool Tick() override {
    if (log != nullptr) log->push_back(GetName());
    if (on_tick) on_tick();
    return delete_me;
  }
  bool GetPaused() const override { return paused; }
  std::string GetOnIdle() const override { return on_idle; }

  std::vector<std::string>* log = nullptr;
  std::function<void()> on_tick;
  bool delete_me = false;
  bool paused = false;
  std::string on_idle;
};

class SceneTick : public ::testing::Test {
 protected:
  TTickProbe* Add(const std::string& name, TVornControl* parent = nullptr) {
    auto* probe = CreateObject<TTickProbe>(scene);
    probe->SetName(name);
    probe->SetParent(parent != nullptr ? parent : scene.ActiveLayer());
    probe->log = &ticked;
    return probe;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < scene.GetObjectCount(); ++i) names.push_back(scene.GetObject(i)->GetName());
    return names;
  }
  int IdleEvents() {
    int count = 0;
    for (int i = 0; i < scene.Events().Count(); ++i) count += scene.Events().Item(i)->GetCode() == PR_ONIDLE ? 1 : 0;
    return count;
  }

  TVornBaseList scene;
  std::vector<std::string> ticked;
};

TEST_F(SceneTick, ASelfDeletingObjectDoesNotMakeTheWalkSkipTheNext) {
  Add("a");
  Add("b")->delete_me = true;
  Add("c");
  scene.Tick();
  EXPECT_EQ(ticked, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c"}));
}

// An older control re-parented under a newer one goes with it when the newer deletes itself: the
// objects after them shift by more than one place, and none may be skipped or stepped twice.
TEST_F(SceneTick, ADeletedSubtreeHoldingEarlierObjectsSkipsNoLiveObject) {
  TTickProbe* older = Add("older");
  Add("a");
  TTickProbe* newer = Add("newer");
  Add("b");
  Add("c");
  older->SetParent(newer);
  newer->delete_me = true;
  scene.Tick();
  EXPECT_EQ(ticked, (std::vector<std::string>{"older", "a", "newer", "b", "c"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
  ticked.clear();
  scene.Tick();
  EXPECT_EQ(ticked, (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(SceneTick, AnObjectScrappedDuringTheFrameIsNotTickedAndFreedAtTheEnd) {
  TTickProbe* first = Add("first");
  TTickProbe* doomed = Add("doomed");
  first->on_tick = [doomed] { doomed->MarkDeleted(); };
  // Its name is free at once: a new object may take it in the same frame.
  first->on_tick = [this, doomed] {
    doomed->MarkDeleted();
    EXPECT_FALSE(scene.IsNameTaken("doomed"));
  };
  scene.Tick();
  EXPECT_EQ(ticked, (std::vector<std::string>{"first"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"first"}));
}

TEST_F(SceneTick, ObjectsMadeDuringTheWalkAreSteppedInTheSameTick) {
  TTickProbe* maker = Add("maker");
  maker->on_tick = [this, maker] {
    maker->on_tick = nullptr;
    Add("made");
  };
  scene.Tick();
  EXPECT_EQ(ticked, (std::vector<std::string>{"maker", "made"}));
}

TEST_F(SceneTick, IdleEventsAndTheTestsBeforeATick) {
  auto* cabinet = CreateObject<TVornCabinet>(scene);
  cabinet->SetParent(scene.ActiveLayer());
  struct Case {
    const char* name;
    bool paused;
    bool in_cabinet;
    const char* idle;
    int idle_events;
    bool ticked;
  };
  const Case cases[] = {
      {"plain with idle", false, false, "p:idle", 1, true},
      {"plain without idle", false, false, "", 0, true},
      {"paused still posts idle", true, false, "p:idle", 1, false},
      {"in a cabinet does neither", false, true, "p:idle", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTickProbe* probe = Add(c.name, c.in_cabinet ? cabinet : nullptr);
    probe->paused = c.paused;
    probe->on_idle = c.idle;
    ticked.clear();
    scene.Events().Clear();
    scene.Tick();
    EXPECT_EQ(IdleEvents(), c.idle_events);
    EXPECT_EQ(!ticked.empty(), c.ticked);
    // While one waits (or runs), no second is queued.
    scene.Tick();
    EXPECT_EQ(IdleEvents(), c.idle_events);
    probe->DeleteObject();
  }
}

// ---- paint ----

// Fills its rectangle with its colour.
class TFillControl : public TVornControl {
 public:
  using TVornControl::TVornControl;
  void Paint() override {
    if (TCustomDIBX* surface = GetSurface()) {
      surface->FillRect(GetScreenRect(), static_cast<std::uint32_t>(surface->ColorToPixel(fill)));
    }
  }
  std::int32_t fill = 0x00FF00;
};

class ScenePaint : public ::testing::Test {
 protected:
  ScenePaint() {
    scene.SetScreen(&screen);
    scene.SetWidth(64);
    scene.SetHeight(48);
    surface.FillRect(surface.GetBoundsRect(), kOld);
    for (int i = 0; i < 2; ++i) scene.GetBase(i)->DirtyRects().Clear();
  }
  static constexpr std::uint32_t kOld = 0x123456;
  TMemoryDIBX surface{64, 48, 32};
  test::TTestSceneScreen screen{&surface};
  TVornBaseList scene;
};

TEST_F(ScenePaint, OnlyTheDirtyRectanglesChange) {
  TVornBase& layer = *scene.ActiveLayer();
  layer.SetColor(0x0000FF);  // red as 0x00BBGGRR
  layer.DirtyRects().Clear();
  layer.InvalidateRect({4, 4, 10, 10});
  layer.InvalidateRect({50, 30, 60, 40});
  scene.Paint();
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool dirty = (x >= 4 && x < 10 && y >= 4 && y < 10) || (x >= 50 && x < 60 && y >= 30 && y < 40);
      ASSERT_EQ(surface.GetPixel(x, y), dirty ? 0xFF0000u : kOld) << x << "," << y;
    }
  }
  // The paint leaves no drawing rectangle behind.
  EXPECT_TRUE(RectIsEmpty(surface.GetDirtyRect()) || surface.GetDirtyRect() == surface.GetBoundsRect());
}

TEST_F(ScenePaint, ANegativeColourRepaintsOnlyTheChildren) {
  TVornBase& layer = *scene.ActiveLayer();
  layer.SetColor(-1);
  auto* child = CreateObject<TFillControl>(scene);
  child->SetParent(&layer);
  child->SetBounds(10, 10, 5, 5);
  layer.DirtyRects().Clear();
  layer.InvalidateRect({0, 0, 64, 48});
  scene.Paint();
  EXPECT_EQ(surface.GetPixel(0, 0), kOld);
  EXPECT_EQ(surface.GetPixel(12, 12), 0x00FF00u);
  EXPECT_EQ(surface.GetPixel(15, 15), kOld);
}

TEST_F(ScenePaint, TheOtherLayerPaintsItsOwnPicture) {
  TVornBase& other = *scene.OtherLayer();
  other.SetColor(0xFF0000);  // blue
  scene.Paint();
  ASSERT_NE(other.LayerSurface(), nullptr);
  EXPECT_EQ(other.GetSurface(), other.LayerSurface());
  EXPECT_EQ(other.LayerSurface()->GetPixel(63, 47), 0x0000FFu);
  EXPECT_EQ(surface.GetPixel(63, 47), kOld);
  EXPECT_TRUE(RectIsEmpty(scene.TransitionRect()));
}

// ---- surfaces ----

TEST(SceneSurfaces, SizesDepthsAndKinds) {
  TMemoryDIBX screen_surface{8, 8, 16};
  test::TTestSceneScreen screen{&screen_surface, 16};
  TVornBaseList scene;
  scene.SetScreen(&screen);
  scene.SetWidth(100);
  EXPECT_EQ(scene.GetBase(1)->LayerSurface(), nullptr);  // no height yet: no surface
  scene.SetHeight(50);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    TVornBase& layer = *scene.GetBase(i);
    ASSERT_NE(layer.LayerSurface(), nullptr);
    EXPECT_NE(dynamic_cast<TDIBX*>(layer.LayerSurface()), nullptr);
    EXPECT_EQ(layer.LayerSurface()->GetWidth(), 100);
    EXPECT_EQ(layer.LayerSurface()->GetHeight(), 50);
    EXPECT_EQ(layer.LayerSurface()->GetBitCount(), 16);
    ASSERT_NE(layer.SecondSurface(), nullptr);
    EXPECT_EQ(layer.SecondSurface()->ColorKey, (0x80 >> 3) << 11 | (0x80 >> 3));
  }
  EXPECT_EQ(scene.CompositeSurface()->GetBitCount(), 16);
  EXPECT_EQ(scene.ActiveLayer()->GetSurface(), &screen_surface);

  // Full screen puts the layers' pictures in display memory once they are rebuilt.
  screen.full_screen = true;
  screen.bit_count = 32;
  scene.ReleaseSurfaces();
  EXPECT_EQ(scene.GetBase(0)->LayerSurface(), nullptr);
  scene.RestoreSurfaces();
  EXPECT_NE(dynamic_cast<TDxDIBX*>(scene.GetBase(0)->LayerSurface()), nullptr);
  EXPECT_EQ(scene.GetBase(0)->SecondSurface()->GetBitCount(), 32);
  EXPECT_EQ(scene.CompositeSurface()->GetBitCount(), 32);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(scene.GetBase(i)->DirtyRects().Rects(), (std::vector<TRect>{{0, 0, 100, 50}}));
  }

  scene.SetWidth(-3);
  EXPECT_EQ(scene.GetBase(0)->LayerSurface(), nullptr);
  EXPECT_EQ(scene.GetBase(0)->SecondSurface(), nullptr);
}

TEST(SceneSurfaces, TheColourGoesToBothLayers) {
  TVornBaseList scene;
  scene.SetColor(0x112233);
  EXPECT_EQ(scene.GetBase(0)->GetColor(), 0x112233);
  EXPECT_EQ(scene.GetBase(1)->GetColor(), 0x112233);
}

// ---- layer switch ----

TEST(SceneSwitch, KindZeroMovesTheActiveLayerAndForceDropsAFocusElsewhere) {
  TVornBaseList scene;
  scene.SetWidth(16);
  scene.SetHeight(16);
  auto* edit = CreateObject<TVornControl>(scene);
  edit->SetParent(scene.GetBase(0));
  edit->SetHandleKey(true);
  edit->SetOnFocusOut("p:out");
  edit->SetName("edit");
  scene.SetFocusedControl(edit);
  scene.Events().Clear();
  scene.ClearFocusChoiceRequest();

  EXPECT_EQ(scene.SwitchLayer(1, 0, 0, false, 0, 0), nullptr);
  EXPECT_EQ(scene.GetActiveLayerIndex(), 1);
  EXPECT_FALSE(scene.IsTransitionDrawing());
  EXPECT_EQ(scene.GetFocusedControl(), edit);  // no force: the focus stays
  EXPECT_FALSE(scene.IsFocusChoiceRequested());

  for (int i = 0; i < 2; ++i) scene.GetBase(i)->DirtyRects().Clear();
  EXPECT_EQ(scene.SwitchLayer(1, 0, 0, true, 0, 0), nullptr);
  EXPECT_EQ(scene.GetFocusedControl(), nullptr);  // on the other layer: dropped silently
  EXPECT_EQ(scene.Events().Count(), 0);
  EXPECT_TRUE(scene.IsFocusChoiceRequested());
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(scene.GetBase(i)->DirtyRects().Rects(), (std::vector<TRect>{{0, 0, 16, 16}}));
  }
  EXPECT_EQ(scene.GetTransitionParam(), 0);
  scene.SetTransitionParam(5);  // nothing runs: nothing to set
}

// A kind that no effect has (a film's transition track can hold any byte) must not leave both
// layers drawing apart with nothing reaching the screen.
TEST(SceneSwitch, AKindWithoutAnEffectBehavesAsKindZero) {
  TVornBaseList scene;
  scene.SetWidth(16);
  scene.SetHeight(16);
  for (const int kind : {39, 200, 255}) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(scene.SwitchLayer(0, kind, 0, true, 0, 100), nullptr);
    EXPECT_FALSE(scene.IsTransitionDrawing());
    EXPECT_EQ(scene.ActiveLayer()->GetSurface(), scene.GetSceneSurface());
  }
}

// A fade from layer 0 (red) to layer 1 (blue) on a 32-bit screen.
TEST(SceneSwitch, AFadeRunsOnTheLayersOwnPicturesUntilAForcedSwitchEndsIt) {
  TMemoryDIBX surface{32, 16, 32};
  test::TTestSceneScreen screen{&surface};
  TVornBaseList scene;
  scene.SetScreen(&screen);
  scene.SetWidth(32);
  scene.SetHeight(16);
  scene.GetBase(0)->SetColor(0x0000FF);
  scene.GetBase(1)->SetColor(0xFF0000);
  scene.Paint();
  for (int i = 0; i < 2; ++i) scene.GetBase(i)->DirtyRects().Clear();
  auto* edit = CreateObject<TVornControl>(scene);
  edit->SetParent(scene.GetBase(0));
  edit->SetHandleKey(true);
  scene.SetFocusedControl(edit);

  // Made with the total; the caller starts it. The picture on the screen becomes layer 0's own.
  TSceneTransition* fade = scene.SwitchLayer(0, 1, 0, false, 0, 100);
  ASSERT_NE(fade, nullptr);
  fade->Start();
  EXPECT_TRUE(scene.IsTransitionDrawing());
  EXPECT_EQ(scene.GetTransitionParam(), 100);
  EXPECT_EQ(scene.GetFocusedControl(), edit);  // it sits on the new active layer
  for (int i = 0; i < 2; ++i) EXPECT_EQ(scene.GetBase(i)->GetSurface(), scene.GetBase(i)->LayerSurface());
  EXPECT_EQ(scene.GetBase(0)->LayerSurface()->GetPixel(5, 5), 0xFF0000u);

  scene.Paint();
  EXPECT_TRUE(RectIsEmpty(scene.TransitionRect()));  // taken before the first step drew
  EXPECT_EQ(surface.GetPixel(5, 5), 0xFF0000u);
  EXPECT_EQ(scene.SwitchLayer(0, 1, 0, false, 50, 999), nullptr);  // runs on: only the time moves
  EXPECT_EQ(scene.GetTransitionParam(), 100);
  scene.Paint();
  EXPECT_EQ(scene.TransitionRect(), (TRect{0, 0, 32, 16}));
  const std::uint32_t middle = surface.GetPixel(5, 5);
  EXPECT_NE(middle, 0xFF0000u);
  EXPECT_NE(middle, 0x0000FFu);
  EXPECT_GT(middle & 0xFF, 0x40u);
  EXPECT_GT(middle >> 16, 0x40u);

  // The flip ends it: to layer 1, which has the focus no more.
  EXPECT_EQ(scene.SwitchLayer(1, 0, 0, true, 0, 0), nullptr);
  EXPECT_FALSE(scene.IsTransitionDrawing());
  EXPECT_EQ(scene.GetTransitionParam(), 0);
  EXPECT_EQ(scene.GetFocusedControl(), nullptr);
  EXPECT_EQ(scene.GetBase(1)->GetSurface(), &surface);
  scene.Paint();
  EXPECT_EQ(surface.GetPixel(5, 5), 0x0000FFu);
  EXPECT_TRUE(RectIsEmpty(scene.TransitionRect()));
}

TEST(SceneSwitch, AnIndexOutsideTheLayersChangesNothing) {
  TVornBaseList scene;
  for (const int index : {-1, 2, 1 << 30}) {
    EXPECT_EQ(scene.SwitchLayer(index, 0, 0, true, 0, 0), nullptr);
    EXPECT_EQ(scene.GetActiveLayerIndex(), 0);
  }
  EXPECT_FALSE(scene.IsFocusChoiceRequested());
}

// ---- reset ----

TEST(SceneReset, FreshLayersOfTheSameSizeAndMousePosition) {
  TVornBaseList scene;
  scene.SetWidth(40);
  scene.SetHeight(30);
  scene.SetActiveLayerIndex(1);
  auto* child = CreateObject<TVornControl>(scene);
  child->SetParent(scene.GetBase(0));
  child->SetOnIdle("p:x");
  scene.Events().PostEvent(child, "p:x", nullptr, PR_ONIDLE);
  scene.GetBase(0)->SetMousePos(7, 9);
  scene.GetBase(1)->SetMousePos(7, 9);
  TVornBase* old_layer = scene.GetBase(0);
  scene.GetBase(0)->SetColor(0x123);

  scene.ResetScene();
  EXPECT_EQ(scene.GetObjectCount(), 0);
  EXPECT_EQ(scene.Events().Count(), 0);
  EXPECT_FALSE(scene.IsTransitionDrawing());
  EXPECT_TRUE(RectIsEmpty(scene.TransitionRect()));
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    TVornBase& layer = *scene.GetBase(i);
    EXPECT_EQ(layer.GetName(), i == 0 ? kLayer0Name : kLayer1Name);
    EXPECT_EQ(layer.GetWidth(), 40);
    EXPECT_EQ(layer.GetHeight(), 30);
    EXPECT_EQ(layer.GetColor(), 0);
    ASSERT_NE(layer.LayerSurface(), nullptr);
    EXPECT_EQ(layer.LayerSurface()->GetWidth(), 40);
    EXPECT_EQ(layer.Mouse().x, 7);
    EXPECT_EQ(layer.Mouse().y, 9);
    EXPECT_EQ(layer.GetChildCount(), 0);
  }
  (void)old_layer;
  EXPECT_EQ(scene.GetWidth(), 40);
  EXPECT_EQ(scene.FindControl(kLayer0Name), scene.GetBase(0));
}

// ---- what the engine reaches ----

TEST(SceneServices, TheEngineCreatesFindsAndDeletesThroughTheSeams) {
  TVornBaseList scene;
  TScriptScene& script = scene;
  TScriptSceneServices& services = scene;
  TScriptObject* cabinet = script.CreateComponent(27 + 128);
  ASSERT_NE(cabinet, nullptr);
  EXPECT_EQ(cabinet->GetCompoType(), 27);
  EXPECT_TRUE(services.IsCabinet(*cabinet));
  EXPECT_EQ(script.CreateComponent(0), nullptr);
  EXPECT_EQ(script.CreateComponent(10), nullptr);
  // Layers and the scene are of no kind.
  EXPECT_EQ(scene.GetBase(0)->GetCompoType(), 0);
  EXPECT_EQ(static_cast<TScriptObject&>(static_cast<TVornComponent&>(scene)).GetCompoType(), 0);
  EXPECT_FALSE(services.IsCabinet(*scene.GetBase(0)));

  cabinet->SetParentObject(scene.GetBase(0));
  EXPECT_EQ(services.GetChildCount(*scene.GetBase(0)), 1);
  EXPECT_EQ(services.GetChild(*scene.GetBase(0), 0), cabinet);
  EXPECT_EQ(services.GetChild(*scene.GetBase(0), 1), nullptr);
  services.Replay(*cabinet);  // nothing to replay
  services.MarkDeleted(*scene.GetBase(0));  // a layer is never deleted
  services.MarkDeleted(*cabinet);
  EXPECT_EQ(cabinet->GetName(), "");
  scene.Tick();
  EXPECT_EQ(scene.GetObjectCount(), 0);
}

// ---- nested scene ----

// A scene inside a control at (100, 50), 200 x 100, clipped to its (10, 10, 150, 60) part.
class NestedScene : public ::testing::Test {
 protected:
  NestedScene() {
    outer.SetScreen(&screen);
    outer.SetWidth(400);
    outer.SetHeight(300);
    host = CreateObject<TVornControl>(outer);
    host->SetParent(outer.ActiveLayer());
    host->SetBounds(100, 50, 200, 100);
    host->SetClipLeft(10);
    host->SetClipTop(10);
    host->SetClipWidth(150);
    host->SetClipHeight(60);
    inner = std::make_unique<TVornBaseListCinema>(*host, 32);
    inner->SetWidth(400);
    inner->SetHeight(300);
    outer.ActiveLayer()->DirtyRects().Clear();
    for (int i = 0; i < 2; ++i) inner->GetBase(i)->DirtyRects().Clear();
    surface.FillRect(surface.GetBoundsRect(), 0);
  }
  TMemoryDIBX surface{400, 300, 32};
  test::TTestSceneScreen screen{&surface};
  TVornBaseList outer;
  TVornControl* host = nullptr;
  std::unique_ptr<TVornBaseListCinema> inner;
};

TEST_F(NestedScene, ChildrenLandInsideTheHostAndTheirChangesReachItsLayer) {
  TVornBase& layer = *inner->ActiveLayer();
  ASSERT_NE(dynamic_cast<TVornBaseCinema*>(&layer), nullptr);
  EXPECT_EQ(layer.GetSurface(), &surface);
  EXPECT_EQ(layer.GetScreenLeft(), 100);
  EXPECT_EQ(layer.GetScreenTop(), 50);
  auto* child = CreateObject<TFillControl>(*inner);
  child->SetParent(&layer);
  child->SetBounds(0, 0, 300, 300);  // larger than the host
  EXPECT_EQ(child->GetScreenLeft(), 100);
  const std::vector<TRect> narrowed{{110, 60, 260, 120}};
  EXPECT_EQ(layer.DirtyRects().Rects(), narrowed);
  EXPECT_EQ(outer.ActiveLayer()->DirtyRects().Rects(), narrowed);

  layer.SetColor(0x0000FF);
  layer.DirtyRects().Clear();
  layer.InvalidateRect({0, 0, 400, 300});
  layer.Paint();
  EXPECT_EQ(surface.GetPixel(110, 60), 0x00FF00u);   // the child, inside the clip
  EXPECT_EQ(surface.GetPixel(259, 119), 0x00FF00u);
  EXPECT_EQ(surface.GetPixel(105, 55), 0u);          // in the host, outside its clip
  EXPECT_EQ(surface.GetPixel(260, 60), 0u);
  EXPECT_EQ(surface.GetPixel(50, 20), 0u);           // outside the host

  // Outside the host nothing is left to invalidate.
  layer.DirtyRects().Clear();
  outer.ActiveLayer()->DirtyRects().Clear();
  layer.InvalidateRect({0, 0, 50, 50});
  EXPECT_EQ(layer.DirtyRects().Count(), 0);
  EXPECT_EQ(outer.ActiveLayer()->DirtyRects().Count(), 0);
}

TEST_F(NestedScene, AResetMakesPlainLayers) {
  EXPECT_NE(dynamic_cast<TVornBaseCinema*>(inner->GetBase(1)), nullptr);
  inner->ResetScene();
  for (int i = 0; i < 2; ++i) EXPECT_EQ(dynamic_cast<TVornBaseCinema*>(inner->GetBase(i)), nullptr);
  EXPECT_EQ(inner->GetHost(), host);
}

}  // namespace
}  // namespace vorn
