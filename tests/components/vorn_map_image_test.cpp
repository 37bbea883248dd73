#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "components/component_factory.h"
#include "components/picture_fixture.h"
#include "components/vorn_map_image.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "fixture/region_writer.h"
#include "fixture/scene_record_writer.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "graphics/custom_dibx.h"
#include "platform/key_codes.h"

namespace vorn {
namespace {

using platform::kVkDown;
using platform::kVkEscape;
using platform::kVkLeft;
using platform::kVkReturn;
using platform::kVkRight;
using platform::kVkUp;

using fixture::RegionFixture;
using test::Rgb;
using test::TPictureFrame;
using test::TPictureWorld;
using test::TRgb;

constexpr TRgb kRed = Rgb(255, 0, 0);
constexpr TRgb kGreen = Rgb(0, 255, 0);
constexpr TRgb kBack = Rgb(0, 0, 64);
constexpr int kX = 10, kY = 10;  // where the map image sits

TPictureFrame Solid(int w, int h, TRgb colour, std::int32_t delay = 100) {
  TPictureFrame frame;
  frame.width = w;
  frame.height = h;
  frame.delay = delay;
  frame.colour = [colour](int, int) { return colour; };
  frame.alpha = [](int, int) { return std::uint8_t{255}; };
  return frame;
}

class MapImageTest : public ::testing::Test {
 protected:
  MapImageTest() {
    FrameDelta = 16;
    world.AddPicture("map.pel", {Solid(20, 20, kRed)});
    world.AddPicture("small.pel", {Solid(6, 4, kRed)});
    world.AddPicture("hover.pel", {Solid(20, 20, kGreen, 50), Solid(20, 20, Rgb(0, 128, 0), 50)});
    // "left" covers columns 0..9, "right" 10..19; "all" overlaps both and never wins.
    world.engine.AddFile("map.dat", fixture::WriteRegionFile({RegionFixture::Rect("left", 0, 0, 9, 19),
                                                              RegionFixture::Rect("right", 10, 0, 19, 19),
                                                              RegionFixture::Rect("all", 0, 0, 19, 19)}));
    world.engine.AddFile("broken.dat", {3, 0, 0, 0, 1, 0});
    world.Start();
    world.scene->ActiveLayer()->SetColor(kBack);
    world.scene->Events().Clear();
  }
  ~MapImageTest() override {
    if (world.scene) {
      for (int i = world.scene->GetObjectCount() - 1; i >= 0; --i) world.scene->GetObject(i)->DeleteObject();
    }
    FrameDelta = 0;
  }

  TVornMapImage* Make(const std::string& name = "map") {
    auto* map = static_cast<TVornMapImage*>(CreateComponentByType(*world.scene, LT_MAPIMG));
    map->SetName(name);
    map->SetParent(world.scene->ActiveLayer());
    map->SetLeft(kX);
    map->SetTop(kY);
    map->SetSource("map.pel");
    map->SetHoverSource("hover.pel");
    map->SetMapSource("map.dat");
    map->SetAlpha(255);
    map->SetOnMapIn("p:in");
    map->SetOnMapOut("p:out");
    map->SetOnSelect("p:sel");
    map->SetOnMouseOut("p:mouseout");
    map->SetOnKeyRepeat("p:key");
    world.scene->Events().Clear();
    return map;
  }
  TVornBaseList& Scene() { return *world.scene; }
  TLayerMouse& Mouse() { return Scene().ActiveLayer()->Mouse(); }
  void Move(int x, int y) {
    Scene().GetBase(0)->SetMousePos(x, y);
    Scene().GetBase(1)->SetMousePos(x, y);
  }
  void Press(bool left) {
    Mouse().left_held = left ? 1 : 0;
    Mouse().right_held = left ? 0 : 1;
    Mouse().left_press_request = left ? 1 : 0;
    Mouse().right_press_request = left ? 0 : 1;
  }
  void Release() { Mouse().left_held = Mouse().right_held = 0; }
  void Key(int code) {
    Scene().SetKeyDown(code, true);
    Scene().SetKeyClick(code, true);
  }
  // One input step; the queue as "label args" and emptied (each handler ran to its end).
  std::vector<std::string> Step() {
    Scene().ProcessInput();
    return Drain();
  }
  std::vector<std::string> Drain() {
    std::vector<std::string> posted;
    TTimerList& queue = Scene().Events();
    for (int i = 0; i < queue.Count(); ++i) {
      std::string line = queue.Item(i)->GetLabel();
      for (const std::string& argument : queue.Item(i)->GetArguments().Items()) line += " " + argument;
      posted.push_back(line);
    }
    queue.Clear();
    return posted;
  }
  std::string SelText() { return CurrentParams()->SelectedText(); }
  std::int32_t SelIndex() { return CurrentParams()->SelectedIndex(); }
  void Paint() {
    world.Clear(kBack);
    Scene().ActiveLayer()->InvalidateAll();
    Scene().Paint();
  }
  bool Alive(const std::string& name = "map") { return Scene().IndexOfName(name) >= 0; }

  TPictureWorld world;
};

using Posted = std::vector<std::string>;

TEST_F(MapImageTest, MadeByTheFactoryWithItsDefaultsAndRegistered) {
  auto* map = dynamic_cast<TVornMapImage*>(CreateComponentByType(Scene(), LT_MAPIMG));
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->GetCompoType(), 18);
  EXPECT_EQ(map->GetAlpha(), 0);
  EXPECT_EQ(map->GetBrightness(), 0);
  EXPECT_EQ(map->HoveredIndex(), -1);
  EXPECT_EQ(map->CloseState(), 0);
  EXPECT_TRUE(map->GetRepeat());
  map->SetRepeat(false);
  EXPECT_TRUE(map->GetRepeat());
  ASSERT_EQ(Scene().Menus().Count(), 1);
  EXPECT_EQ(Scene().Menus().Get(0), map);
}

TEST_F(MapImageTest, ARightPressAfterAMapImageWasDeletedReachesNothingFreed) {
  TVornMapImage* map = Make();
  map->SetRClickScrap(true);
  map->DeleteObject();
  EXPECT_EQ(Scene().Menus().Count(), 0);
  TVornMapImage* other = Make("other");
  other->SetRClickScrap(true);
  other->MarkDeleted();
  Scene().Tick();  // freed at the end of the step
  Move(kX + 2, kY + 2);
  Press(false);
  EXPECT_EQ(Step(), Posted{});
}

TEST_F(MapImageTest, SourceSizesFromTheFirstFrameAndRepaintsWhatItLeaves) {
  TVornMapImage* map = Make();
  EXPECT_EQ(map->GetWidth(), 20);
  EXPECT_EQ(map->GetHeight(), 20);
  Paint();
  EXPECT_EQ(world.At(kX + 15, kY + 15), kRed);
  // A smaller picture: the old area is repainted, so no stale pixels stay.
  map->SetSource("small.pel");
  EXPECT_EQ(map->GetWidth(), 6);
  EXPECT_EQ(map->GetHeight(), 4);
  Scene().Paint();
  EXPECT_EQ(world.At(kX + 15, kY + 15), kBack);
  EXPECT_EQ(world.At(kX + 1, kY + 1), kRed);
  // No picture at all.
  map->SetSource("");
  EXPECT_EQ(map->GetWidth(), 0);
  EXPECT_EQ(map->GetHeight(), 0);
  Scene().Paint();
  EXPECT_EQ(world.At(kX + 1, kY + 1), kBack);
}

TEST_F(MapImageTest, HoverCutsTheRegionOutAndShowsTheHoverPictureInside) {
  TVornMapImage* map = Make();
  TVornMapImage* twin = Make("twin");  // the same cached picture, never hovered
  twin->SetLeft(kX + 25);
  map->SetHover(0);
  Paint();
  EXPECT_EQ(world.At(kX + 0, kY + 5), kGreen);
  EXPECT_EQ(world.At(kX + 9, kY + 19), kGreen);
  EXPECT_EQ(world.At(kX + 10, kY + 5), kRed);
  EXPECT_EQ(world.At(kX + 25 + 5, kY + 5), kRed);  // the cache's mask has no hole
  map->SetHover(-1);
  Paint();
  EXPECT_EQ(world.At(kX + 5, kY + 5), kRed);
  // The hover picture alone is not drawn while nothing is hovered.
  map->SetSource("");
  map->SetSource("map.pel");
  map->SetAlpha(0);
  map->SetHover(1);
  Paint();
  EXPECT_EQ(world.At(kX + 15, kY + 5), kBack);
}

TEST_F(MapImageTest, PreparedMasksAreRebuiltOnlyForAnotherRegionAndAfterARestore) {
  TVornMapImage* map = Make();
  map->SetHover(1);
  Paint();
  TCustomDIBX* mask = map->PreparedPictureMask(0);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(map->PreparedPictureIndex(0), 1);
  EXPECT_EQ(mask->GetPixel(5, 5), 255u);
  EXPECT_EQ(mask->GetPixel(15, 5), 0u);
  mask->SetPixel(15, 5, 77);  // stays while the same region is hovered
  Paint();
  EXPECT_EQ(mask->GetPixel(15, 5), 77u);
  map->ReleaseSurfaces();
  map->RestoreSurfaces();
  EXPECT_EQ(map->PreparedPictureIndex(0), -1);
  Paint();
  EXPECT_EQ(mask->GetPixel(15, 5), 0u);
}

TEST_F(MapImageTest, MouseMovesPostRegionEventsWithTextAndIndex) {
  Make();
  Move(kX + 2, kY + 2);
  EXPECT_EQ(Step(), (Posted{"p:in left 0"}));
  Move(kX + 3, kY + 3);
  EXPECT_EQ(Step(), Posted{});
  Move(kX + 12, kY + 3);  // the first region in the file wins over "all"
  EXPECT_EQ(Step(), (Posted{"p:out left 0", "p:in right 1"}));
  Move(kX + 40, kY + 3);  // off the control
  EXPECT_EQ(Step(), (Posted{"p:out right 1", "p:mouseout"}));
}

TEST_F(MapImageTest, ChangingTheRegionFileUnhoversSilently) {
  TVornMapImage* map = Make();
  map->SetHover(0);
  Drain();
  map->SetMapSource("missing.dat");  // not in the project: no regions, no message
  EXPECT_EQ(map->HoveredIndex(), -1);
  EXPECT_EQ(map->RegionCount(), 0);
  EXPECT_EQ(Drain(), Posted{});
  EXPECT_THROW(map->SetMapSource("broken.dat"), ERegionFileError);
  EXPECT_EQ(map->RegionCount(), 0);
  map->SetMapSource("map.dat");
  EXPECT_EQ(map->RegionCount(), 3);
  EXPECT_EQ(map->Region(2).text, "all");
}

TEST_F(MapImageTest, LeftPressSelectsTheHoveredRegion) {
  Make();
  Move(kX + 12, kY + 2);
  Step();
  Press(true);
  EXPECT_EQ(Step(), (Posted{"p:sel right 1"}));
  EXPECT_EQ(SelText(), "right");
  EXPECT_EQ(SelIndex(), 1);
  Release();
  Step();
}

TEST_F(MapImageTest, PressModesAndPauseDecideTheSelection) {
  struct Case {
    std::uint8_t mode;
    bool paused;
    bool selects;
  };
  for (const Case& c : {Case{IM_NONE, false, true}, Case{IM_RCLICK, false, true}, Case{IM_NONE, true, false},
                        Case{IM_LCLICK, false, false}}) {
    TVornMapImage* map = Make();
    map->SetIgnoreMouse(c.mode);
    map->SetPaused(c.paused);
    map->SetHover(0);
    Drain();
    map->LBtnDown();
    EXPECT_EQ(Drain(), c.selects ? Posted{"p:sel left 0"} : Posted{}) << int{c.mode} << c.paused;
    map->DeleteObject();
  }
}

TEST_F(MapImageTest, AutoScrapSelectsOnceBlocksAtOnceAndGoesTwoTicksLater) {
  TVornMapImage* map = Make();
  map->SetAutoScrap(true);
  map->SetHover(0);
  Drain();
  map->LBtnDown();
  EXPECT_TRUE(map->IsEventBlocked());
  map->LBtnDown();
  map->SetHover(1);
  EXPECT_EQ(Drain(), Posted{"p:sel left 0"});
  Scene().Tick();
  EXPECT_TRUE(Alive());
  EXPECT_EQ(map->CloseState(), kMapClosed);
  Scene().Tick();
  EXPECT_FALSE(Alive());
}

TEST_F(MapImageTest, ASelectionWaitingInTheQueueIsNotPostedAgain) {
  TVornMapImage* map = Make();
  map->SetHover(0);
  Drain();
  map->Select();
  map->Select();
  EXPECT_EQ(Drain(), Posted{"p:sel left 0"});
}

TEST_F(MapImageTest, RightPressCancelsInModesThatTakeIt) {
  struct Case {
    std::uint8_t mode;
    bool cancels;
  };
  // Mode 4 (IM_RCLICK) lets right presses through: the scene does not even offer it one.
  for (const Case& c : {Case{IM_NONE, true}, Case{IM_LCLICK, true}, Case{IM_RCLICK, false}}) {
    TVornMapImage* map = Make();
    map->SetRClickScrap(true);
    map->SetIgnoreMouse(c.mode);
    map->SetOnRBtnDown("p:rdown");
    CurrentParams()->SetSelectedText("old");
    CurrentParams()->SetSelectedIndex(5);
    Move(kX + 2, kY + 2);
    Press(false);
    const Posted posted = Step();
    Release();
    Step();
    if (c.cancels) {
      EXPECT_EQ(posted, Posted{}) << int{c.mode};  // consumed: no right-down either
      EXPECT_EQ(SelText(), "");
      EXPECT_EQ(SelIndex(), -1);
      EXPECT_EQ(map->CloseState(), kMapClosing);
      EXPECT_TRUE(map->IsEventBlocked());
    } else {
      EXPECT_EQ(map->CloseState(), 0) << int{c.mode};
      EXPECT_EQ(SelIndex(), 5);
    }
    map->DeleteObject();
  }
  TVornMapImage* map = Make();
  map->SetRClickScrap(true);
  map->SetHover(0);
  map->RightClickCancel();
  EXPECT_FALSE(map->RightClickCancel());  // already blocked
}

TEST_F(MapImageTest, CursorKeysWrapAroundTheRegions) {
  TVornMapImage* map = Make();
  map->SetHandleKey(true);
  Scene().SetFocusedControl(map);
  Drain();
  struct Case {
    int key;
    int hovered;
  };
  // From none, Up goes to the last region and Down to the first.
  for (const Case& c : {Case{kVkUp, 2}, Case{kVkUp, 1}, Case{kVkLeft, 0}, Case{kVkLeft, 2}, Case{kVkDown, 0},
                        Case{kVkRight, 1}, Case{kVkDown, 2}, Case{kVkDown, 0}}) {
    Key(c.key);
    Step();
    Scene().SetKeyDown(c.key, false);
    EXPECT_EQ(map->HoveredIndex(), c.hovered) << c.key;
  }
  map->SetHover(-1);
  Key(kVkDown);
  Step();
  Scene().SetKeyDown(kVkDown, false);
  EXPECT_EQ(map->HoveredIndex(), 0);
}

TEST_F(MapImageTest, EnterSelectsAndTheKeyRepeatEventFollows) {
  TVornMapImage* map = Make();
  map->SetHandleKey(true);
  Scene().SetFocusedControl(map);
  map->SetHover(1);
  Drain();
  Key(kVkReturn);
  EXPECT_EQ(Step(), (Posted{"p:sel right 1", "p:key"}));
  EXPECT_EQ(SelIndex(), 1);
}

TEST_F(MapImageTest, EscapeClosesInEitherClickModeAndTheNextTickBlocks) {
  for (std::uint8_t mode : {IM_LCLICK, IM_RCLICK}) {
    TVornMapImage* map = Make();
    map->SetRClickScrap(true);
    map->SetIgnoreMouse(mode);
    map->SetHandleKey(true);
    Scene().SetFocusedControl(map);
    map->SetHover(0);
    CurrentParams()->SetSelectedIndex(3);
    Drain();
    Key(kVkEscape);
    EXPECT_EQ(Step(), Posted{"p:key"}) << int{mode};
    Scene().SetKeyDown(kVkEscape, false);
    EXPECT_EQ(map->CloseState(), kMapClosing);
    EXPECT_FALSE(map->IsEventBlocked());
    EXPECT_EQ(SelText(), "");
    EXPECT_EQ(SelIndex(), -1);
    Scene().Tick();
    EXPECT_TRUE(map->IsEventBlocked());
    Scene().Tick();
    EXPECT_FALSE(Alive()) << int{mode};
  }
}

TEST_F(MapImageTest, EscapeWithoutRightClickScrapDoesNothing) {
  TVornMapImage* map = Make();
  map->SetHandleKey(true);
  Scene().SetFocusedControl(map);
  Drain();
  Key(kVkEscape);
  EXPECT_EQ(Step(), Posted{"p:key"});
  EXPECT_EQ(map->CloseState(), 0);
}

TEST_F(MapImageTest, TickAnimatesTheHoverPictureOnlyInsideTheHoveredBox) {
  TVornMapImage* map = Make();
  map->SetHover(1);
  world.Clear(kBack);
  FrameDelta = 60;
  Scene().Tick();
  TClipList& dirty = Scene().ActiveLayer()->DirtyRects();
  ASSERT_EQ(dirty.Count(), 1);
  EXPECT_EQ(dirty.GetRect(0), (TRect{kX + 10, kY, kX + 20, kY + 20}));
  map->SetAniPaused(true);
  world.Clear(kBack);
  Scene().Tick();
  EXPECT_EQ(dirty.Count(), 0);
  map->DeleteObject();  // a freed map image leaves no picture behind
  ASSERT_EQ(dirty.Count(), 1);
  EXPECT_EQ(dirty.GetRect(0), (TRect{kX, kY, kX + 20, kY + 20}));
}

TEST_F(MapImageTest, PausedMapImageIsNotTicked) {
  TVornMapImage* map = Make();
  map->SetRClickScrap(true);
  map->RightClickCancel();
  map->SetPaused(true);
  Scene().Tick();
  Scene().Tick();
  EXPECT_TRUE(Alive());
  EXPECT_EQ(map->CloseState(), kMapClosing);
}

// ---- record ----

using Bytes = std::vector<std::uint8_t>;

void Int(Bytes& out, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int s = 0; s < 32; s += 8) out.push_back(static_cast<std::uint8_t>(u >> s));
}
void Str(Bytes& out, const std::string& s) {
  Int(out, static_cast<std::int32_t>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

// The map image's fields after the control record: sources, alpha, brightness, map in and out,
// auto scrap, right-click scrap, then above 103 idle, paused, select, and above 114 the close
// state.
Bytes MapFields(std::int32_t version) {
  Bytes out;
  Str(out, "map.pel");
  Str(out, "hover.pel");
  Str(out, "map.dat");
  Int(out, 128);
  Int(out, -20);
  Str(out, "p:in");
  Str(out, "p:out");
  out.push_back(1);
  out.push_back(1);
  if (version > 103) {
    Str(out, "p:idle");
    out.push_back(1);
    Str(out, "p:sel");
  }
  if (version > 114) Int(out, kMapClosing);
  return out;
}

TEST_F(MapImageTest, RecordAtEachVersion) {
  for (std::int32_t version : {103, 104, 114, 115, 134}) {
    fixture::SavedComponent component;
    component.kind = LT_MAPIMG;
    component.name = "saved";
    component.control.width = 20;  // what the picture sizes it to
    component.control.height = 20;
    Bytes record = fixture::ComponentRecordBytes(component, version);
    const Bytes fields = MapFields(version);
    record.insert(record.end(), fields.begin(), fields.end());
    auto* map = CreateObject<TVornMapImage>(Scene());
    TMemoryStream stream(record);
    map->LoadFromStream(stream, version);
    EXPECT_EQ(stream.Remaining(), 0) << version;
    EXPECT_EQ(map->GetSource(), "map.pel");
    EXPECT_EQ(map->GetWidth(), 20);
    EXPECT_EQ(map->GetHoverSource(), "hover.pel");
    EXPECT_EQ(map->RegionCount(), 3);
    EXPECT_EQ(map->GetAlpha(), 128);
    EXPECT_EQ(map->GetBrightness(), -20);
    EXPECT_EQ(map->GetOnMapIn(), "p:in");
    EXPECT_EQ(map->GetOnMapOut(), "p:out");
    EXPECT_TRUE(map->GetAutoScrap());
    EXPECT_TRUE(map->GetRClickScrap());
    EXPECT_EQ(map->GetOnIdle(), version > 103 ? "p:idle" : "");
    EXPECT_EQ(map->GetPaused(), version > 103);
    EXPECT_EQ(map->GetOnSelect(), version > 103 ? "p:sel" : "");
    EXPECT_EQ(map->CloseState(), version > 114 ? kMapClosing : 0);
    if (version == 134) {
      TMemoryStream again;
      map->SaveToStream(again);
      EXPECT_EQ(again.Bytes(), record);
    }
    map->DeleteObject();
  }
}

}  // namespace
}  // namespace vorn
