#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "components/drawn_control_fixture.h"
#include "components/vorn_menu.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "fixture/scene_record_writer.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "platform/key_codes.h"

namespace vorn {
namespace {

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    w.Start();
    GameClock = 0;
  }
  void TearDown() override { GameClock = 0; }
  TVornMenu* Make(std::int32_t delay = 0) {
    auto* menu = w.Make<TVornMenu>();
    menu->SetAlpha(255);
    menu->SetRowCount(3);
    menu->SetText("a\r\nb\r\nc");
    menu->SetDelay(delay);
    menu->SetRClickScrap(true);
    menu->SetOnSelect("m:select");
    menu->SetOnOpening("m:opening");
    menu->SetOnOpened("m:opened");
    menu->SetOnClosing("m:closing");
    menu->SetOnClosed("m:closed");
    menu->SetOnMapIn("m:in");
    menu->SetOnMapOut("m:out");
    return menu;
  }
  // The menu's events after one scene tick, with their codes.
  std::vector<std::string> Tick() {
    w.Scene().Tick();
    return w.TakeEvents();
  }
  void Open(TVornMenu& menu) {
    menu.SetPlayState(LP_PLAYFADE);
    w.Scene().Tick();
    w.Scene().Tick();
    AdvanceGameClock(static_cast<std::uint32_t>(std::max(menu.GetDelay(), 0)));
    w.Scene().Tick();
    ASSERT_EQ(menu.OpenState(), TVornMenu::kRest);
    w.TakeEvents();
  }
  TPoint RowPoint(const TVornMenu& menu, int k) {
    const std::int64_t y = menu.ItemTop() + k * (menu.RowHeight() + menu.GetLineSpace()) + menu.RowHeight() / 2;
    return {static_cast<std::int32_t>(menu.ItemLeft() + 1), static_cast<std::int32_t>(y)};
  }
  // Answers the events the click queued.
  std::vector<std::string> Click(const TPoint& p) {
    std::vector<std::string> events;
    w.Move(p.x, p.y);
    for (int step = 0; step < 3; ++step) {
      if (step == 1) w.Press();
      if (step == 2) w.Release();
      w.world.scene->ProcessInput();
    }
    return w.TakeEvents();
  }
  bool Alive(const TObjectHandle& handle) { return handle.Get() != nullptr; }

  test::TDrawnWorld w;
};

TEST_F(MenuTest, OpensWithoutDelayAtTheThirdTick) {
  TVornMenu* menu = Make(0);
  menu->SetPlayState(LP_PLAYFADE);
  EXPECT_EQ(menu->GetPlayState(), LP_PLAYFADE);
  EXPECT_EQ(Tick(), (std::vector<std::string>{"m:opening 74"}));
  EXPECT_EQ(menu->GetHeight(), 0);
  const std::int32_t full = menu->FullHeight();
  EXPECT_GT(full, 0);
  EXPECT_EQ(menu->GetOrigHeight(), full);
  EXPECT_TRUE(Tick().empty());
  EXPECT_EQ(Tick(), (std::vector<std::string>{"m:opened 75"}));
  EXPECT_EQ(menu->GetHeight(), full);
  EXPECT_EQ(menu->GetPlayState(), LP_PLAY);
  // Open: a second fade-in request is one for the state it is in.
  menu->SetPlayState(LP_PLAYFADE);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Tick().empty());
  EXPECT_EQ(menu->GetHeight(), full);
}

TEST_F(MenuTest, ARepeatedFadeInDuringTheOpeningRestartsIt) {
  TVornMenu* menu = Make(0);
  menu->SetPlayState(LP_PLAYFADE);
  EXPECT_EQ(Tick(), (std::vector<std::string>{"m:opening 74"}));
  menu->SetPlayState(LP_PLAYFADE);
  EXPECT_EQ(Tick(), (std::vector<std::string>{"m:opening 74"}));
}

TEST_F(MenuTest, OpeningGrowsOverTheDelayByTheWrappingClock) {
  TVornMenu* menu = Make(1000);
  GameClock = std::numeric_limits<std::int32_t>::max() - 100;
  menu->SetPlayState(LP_PLAYFADE);
  Tick();
  Tick();  // start time taken
  const std::int32_t full = menu->FullHeight();
  AdvanceGameClock(500);  // across the 32-bit wrap
  Tick();
  EXPECT_EQ(menu->GetHeight(), 500 * full / 1000);
  AdvanceGameClock(500);
  EXPECT_EQ(Tick(), (std::vector<std::string>{"m:opened 75"}));
  EXPECT_EQ(menu->GetHeight(), full);
}

TEST_F(MenuTest, PlayAndStopAtOnce) {
  TVornMenu* menu = Make();
  menu->SetPlayState(LP_PLAY);
  EXPECT_EQ(w.TakeEvents(), (std::vector<std::string>{"m:opening 74", "m:opened 75"}));
  EXPECT_GT(menu->GetHeight(), 0);
  menu->SetPlayState(LP_STOP);
  EXPECT_EQ(w.TakeEvents(), (std::vector<std::string>{"m:closing 76", "m:closed 77"}));
  EXPECT_EQ(menu->GetHeight(), 0);
  const TObjectHandle handle(menu);
  for (int i = 0; i < 5; ++i) Tick();
  EXPECT_TRUE(Alive(handle));  // a stopped menu stays
  menu->SetPlayState(LP_STOPFADE);  // already closed: ignored
  EXPECT_TRUE(Tick().empty());
}

TEST_F(MenuTest, FadeOutDeletesOnlyOnceItsClosingEventsWereTaken) {
  TVornMenu* menu = Make(0);
  Open(*menu);
  const TObjectHandle handle(menu);
  menu->SetPlayState(LP_STOPFADE);
  w.Scene().Tick();  // 200: 76
  w.Scene().Tick();  // 201: 77
  ASSERT_EQ(w.Scene().Events().Count(), 2);
  w.Scene().Tick();  // 302, both waiting
  EXPECT_TRUE(Alive(handle));
  w.Scene().Events().RemoveEvent(w.Scene().Events().Item(0));
  w.Scene().Tick();
  EXPECT_TRUE(Alive(handle));
  w.Scene().Events().Clear();
  w.Scene().Tick();
  EXPECT_FALSE(Alive(handle));
  EXPECT_EQ(w.Scene().Menus().Count(), 0);
}

TEST_F(MenuTest, WithoutClosingLabelsItGoesAtTheFirstTickIn302) {
  TVornMenu* menu = Make(0);
  menu->SetOnClosing("");
  menu->SetOnClosed("");
  Open(*menu);
  const TObjectHandle handle(menu);
  menu->SetPlayState(LP_STOPFADE);
  w.Scene().Tick();  // 200
  w.Scene().Tick();  // 201 -> 302
  EXPECT_TRUE(Alive(handle));
  w.Scene().Tick();
  EXPECT_FALSE(Alive(handle));
}

TEST_F(MenuTest, ARightPressAnywhereClosesOnlyTheFirstOpenMenu) {
  TVornMenu* first = Make(0);
  TVornMenu* second = Make(0);
  second->SetLeft(40);
  Open(*first);
  Open(*second);
  w.Move(60, 40);
  w.Press(false);
  w.Step();
  EXPECT_TRUE(first->IsClosing());
  EXPECT_EQ(first->OpenState(), TVornMenu::kCancel);
  EXPECT_FALSE(second->IsClosing());
  // A closing menu takes no further right press.
  w.Release();
  w.Step();
  w.Press(false);
  w.Step();
  EXPECT_TRUE(second->IsClosing());
}

TEST_F(MenuTest, EscapeKeepsTheSelectionARightClickOnTheMenuClearsIt) {
  TVornMenu* menu = Make(0);
  menu->SetHandleKey(true);
  Open(*menu);
  ASSERT_EQ(w.Scene().GetFocusedControl(), menu);
  w.world.engine.params().SetSelectedText("kept");
  w.Scene().SetKeyDown(platform::kVkEscape, true);
  w.Scene().SetKeyClick(platform::kVkEscape, true);
  w.Step();
  EXPECT_EQ(menu->OpenState(), TVornMenu::kCancel);
  EXPECT_EQ(w.world.engine.params().SelectedText(), "kept");
  w.Scene().SetKeyDown(platform::kVkEscape, false);
  menu->DeleteObject();

  TVornMenu* other = Make(0);
  Open(*other);
  // Out of the menu list, the right press reaches the menu under the pointer.
  w.Scene().Menus().Remove(other);
  const TPoint p = RowPoint(*other, 0);
  w.Move(p.x, p.y);
  w.Step();
  w.Press(false);
  w.Step();
  EXPECT_EQ(w.world.engine.params().SelectedText(), "");
  EXPECT_EQ(w.world.engine.params().SelectedIndex(), -1);
  EXPECT_EQ(other->GetPlayState(), LP_STOPFADE);
  EXPECT_EQ(w.Scene().ActiveLayer()->Mouse().right_pressed, 0);
}

TEST_F(MenuTest, ClickSelectsAndAutoScrapClosesAtOnce) {
  TVornMenu* menu = Make(0);
  menu->SetAutoScrap(true);
  Open(*menu);
  const TObjectHandle handle(menu);
  const std::vector<std::string> events = Click(RowPoint(*menu, 1));
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "m:select 72 b 1");
  EXPECT_EQ(w.world.engine.params().SelectedText(), "b");
  EXPECT_TRUE(menu->IsClosing());
  EXPECT_EQ(Tick(), (std::vector<std::string>{"m:closing 76", "m:closed 77"}));
  Tick();  // 301
  Tick();  // 302: nothing queued any more
  EXPECT_FALSE(Alive(handle));
}

TEST_F(MenuTest, AClosingMenuSelectsNothingAndIgnoresFurtherCancels) {
  TVornMenu* menu = Make(1000);
  Open(*menu);
  const TPoint p = RowPoint(*menu, 0);
  w.Move(p.x, p.y);
  w.Step();
  menu->SetPlayState(LP_STOPFADE);
  Tick();  // 200: closing
  w.Press();
  w.Step();
  w.Release();
  w.Step();
  for (const std::string& e : w.TakeEvents()) EXPECT_NE(e.substr(0, 8), "m:select");
  w.world.engine.params().SetSelectedText("kept");
  w.Press(false);
  w.Step();
  EXPECT_EQ(w.world.engine.params().SelectedText(), "kept");
}

TEST_F(MenuTest, AReopenedMenuTakesSelectionsAgain) {
  TVornMenu* menu = Make(1000);
  Open(*menu);
  w.Move(500, 400);
  w.Press(false);
  w.Step();
  w.Release();
  w.Step();
  ASSERT_TRUE(menu->IsClosing());
  Tick();  // 10
  Tick();  // 200
  Tick();  // 201
  ASSERT_EQ(menu->OpenState(), TVornMenu::kClosing);
  menu->SetPlayState(LP_PLAYFADE);
  EXPECT_FALSE(menu->IsClosing());
  GameClock = 0;
  for (int i = 0; i < 3; ++i) Tick();
  AdvanceGameClock(2000);
  Tick();
  ASSERT_EQ(menu->OpenState(), TVornMenu::kRest);
  w.TakeEvents();
  const std::vector<std::string> events = Click(RowPoint(*menu, 2));
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "m:select 72 c 2");
}

TEST_F(MenuTest, OutOfRangeStatesChangeNothing) {
  TVornMenu* menu = Make(0);
  menu->SetPlayState(7);
  EXPECT_EQ(menu->GetPlayState(), LP_STOP);
  EXPECT_TRUE(Tick().empty());
}

}  // namespace
}  // namespace vorn

namespace vorn {
namespace {

struct Bytes {
  std::vector<std::uint8_t> b;
  Bytes& I32(std::int32_t v) {
    for (int shift = 0; shift < 32; shift += 8) b.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> shift));
    return *this;
  }
  Bytes& U8(std::uint8_t v) {
    b.push_back(v);
    return *this;
  }
  Bytes& Str(const std::string& s) {
    I32(static_cast<std::int32_t>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
};

// One label style record, field by field.
void LabelStyle(Bytes& r, std::int32_t version, std::int32_t size, std::int32_t colour) {
  r.I32(2).I32(1).I32(255).I32(size);  // quality, border width, opacity, font size
  r.Str("");                           // face
  r.I32(colour).I32(0).U8(1);          // text colour, border colour, style flags (bold)
  for (int i = 0; i < 212; ++i) r.U8(0);  // metrics block
  if (version >= 122) r.I32(2).I32(0x0000FF);  // shadow offset, shadow colour
}

// A menu record's class fields: the list box's, then the menu's.
std::vector<std::uint8_t> MenuFields(std::int32_t version) {
  Bytes r;
  LabelStyle(r, version, 14, 0xFFFFFF);
  LabelStyle(r, version, 14, 0x00FFFF);
  r.Str("one\r\ntwo\r\nthree");                          // text
  r.I32(3).I32(200).I32(4).I32(5).I32(1).I32(0x112233).I32(2);  // line space, alpha, margins, border, rows
  for (int cell = 0; cell < 9; ++cell) r.Str("").U8(static_cast<std::uint8_t>(cell % 3)).U8(1);
  r.Str("").Str("");  // scroll and check sources
  r.I32(1);           // top index
  if (version < 104) r.U8(0xEE);  // the old spare byte
  r.U8(2);            // halign
  r.U8(0).U8(1).U8(0);  // checks
  r.Str("m:select").U8(0).I32(2).I32(0);  // on select, paused, index, open state
  if (version >= 131) r.Str("m:idle");
  if (version >= 134) r.Str("m:in").Str("m:out");
  r.I32(250).I32(0x445566).U8(1).U8(1).U8(LP_PLAY);  // delay, hover colour, autoscrap, rclickscrap, play state
  r.Str("m:opening").Str("m:opened").Str("m:closing").Str("m:closed");
  return r.b;
}

class MenuRecordTest : public MenuTest, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(MenuRecordTest, HandWrittenRecordsOfEachVersion) {
  const std::int32_t version = GetParam();
  fixture::SavedScene saved;
  saved.width = test::TPictureWorld::kWidth;
  saved.height = test::TPictureWorld::kHeight;
  fixture::SavedComponent component;
  component.kind = LT_MENU;
  component.name = "m";
  component.class_bytes = MenuFields(version);
  saved.layers[0].children.push_back(component);
  const std::vector<std::uint8_t> bytes = fixture::SceneRecordBytes(saved, version);
  TMemoryStream in;
  in.WriteBuffer(bytes.data(), bytes.size());
  in.SetPosition(0);
  w.Scene().LoadFromStream(in, version);
  auto* menu = dynamic_cast<TVornMenu*>(w.Scene().FindControl("m"));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->GetCount(), 3);
  EXPECT_EQ(menu->Item(2), "three");
  EXPECT_FALSE(menu->GetItemChecked(0));
  EXPECT_TRUE(menu->GetItemChecked(1));
  EXPECT_EQ(menu->GetLineSpace(), 3);
  EXPECT_EQ(menu->GetAlpha(), 200);
  EXPECT_EQ(menu->GetBorderColor(), 0x112233);
  EXPECT_EQ(menu->GetRowCount(), 2);
  EXPECT_EQ(menu->GetBorderHAlign(4), 1);
  EXPECT_EQ(menu->GetBorderVAlign(5), 1);
  EXPECT_EQ(menu->GetTopIndex(), 1);
  EXPECT_EQ(menu->GetHAlign(), 2);
  EXPECT_EQ(menu->GetIndex(), 2);
  EXPECT_EQ(menu->GetFontHeight(), 14);
  EXPECT_TRUE(menu->GetAntiAlias());  // a stored 2 is 3 below version 109, and 2 stays not 0
  EXPECT_EQ(menu->GetFontHoverColor(), 0x00FFFF);
  EXPECT_EQ(menu->GetFontShadow(), version >= 122 ? 2 : 0);
  EXPECT_EQ(menu->GetOnIdle(), version >= 131 ? "m:idle" : "");
  EXPECT_EQ(menu->GetOnMapOut(), version >= 134 ? "m:out" : "");
  EXPECT_EQ(menu->GetDelay(), 250);
  EXPECT_EQ(menu->GetHoverColor(), 0x445566);
  EXPECT_TRUE(menu->GetAutoScrap());
  EXPECT_EQ(menu->GetPlayState(), LP_PLAY);
  EXPECT_EQ(menu->GetOnClosed(), "m:closed");
  EXPECT_EQ(menu->FullHeight(), menu->GetHeight());
  EXPECT_EQ(w.Scene().Menus().Count(), 1);

  TMemoryStream out;
  w.Scene().SaveToStream(out);
  out.SetPosition(0);
  w.Scene().LoadFromStream(out, 134);
  auto* again = dynamic_cast<TVornMenu*>(w.Scene().FindControl("m"));
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(again->GetItemChecked(1));
  EXPECT_EQ(again->GetOnMapOut(), version >= 134 ? "m:out" : "");
  EXPECT_EQ(again->GetHoverColor(), 0x445566);
}

INSTANTIATE_TEST_SUITE_P(Versions, MenuRecordTest, ::testing::Values(103, 130, 133, 134));

TEST_F(MenuTest, TruncatedRecordsAreReadErrors) {
  const std::vector<std::uint8_t> fields = MenuFields(134);
  for (const std::size_t cut : {std::size_t{10}, fields.size() / 2, fields.size() - 1}) {
    fixture::SavedScene saved;
    fixture::SavedComponent component;
    component.kind = LT_MENU;
    component.name = "m";
    component.class_bytes.assign(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(cut));
    saved.layers[0].children.push_back(component);
    const std::vector<std::uint8_t> bytes = fixture::SceneRecordBytes(saved, 134);
    TMemoryStream in;
    in.WriteBuffer(bytes.data(), bytes.size());
    in.SetPosition(0);
    EXPECT_ANY_THROW(w.Scene().LoadFromStream(in, 134)) << cut;
  }
}

}  // namespace
}  // namespace vorn
