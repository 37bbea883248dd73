#include "components/vorn_edit.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "components/component_factory.h"
#include "components/record_bytes.h"
#include "components/vorn_base_list.h"
#include "foundation/errors.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "platform/headless_application.h"
#include "platform/key_codes.h"
#include "platform/panel.h"
#include "platform/text_field.h"

namespace vorn {
namespace {

// A scene whose fields sit on a headless window's panel.
class VornEditTest : public ::testing::Test {
 protected:
  VornEditTest() {
    panel.SetBounds(platform::Rect{0, 0, 320, 240});
    scene.SetTextFields(&host);
    scene.SetWidth(320);
    scene.SetHeight(240);
  }

  template <typename T>
  T* Make(const std::string& name, TVornControl* parent) {
    auto* control = CreateObject<T>(scene);
    control->SetName(name);
    control->SetBounds(10, 20, 100, 30);
    control->SetParent(parent);
    return control;
  }
  TVornEdit* Edit(const std::string& name = "e") { return Make<TVornEdit>(name, scene.GetBase(0)); }
  // Labels and arguments of the queued events, joined; the queue is emptied.
  std::vector<std::string> Posted() {
    std::vector<std::string> posted;
    for (int i = 0; i < scene.Events().Count(); ++i) {
      const TTimerData* event = scene.Events().Item(i);
      std::string entry = event->GetLabel() + "/" + std::to_string(event->GetCode());
      for (const std::string& argument : event->GetArguments().Items()) entry += "|" + argument;
      posted.push_back(entry);
    }
    scene.Events().Clear();
    return posted;
  }
  void Key(int key) {
    host.HandleEvent(platform::Event{.type = platform::EventType::kKeyDown, .key = key});
    host.HandleEvent(platform::Event{.type = platform::EventType::kKeyUp, .key = key});
  }
  void Type(const std::string& utf8) { host.HandleEvent(platform::Event{.type = platform::EventType::kTextInput, .text = utf8}); }

  platform::HeadlessApplication application;
  platform::HeadlessWindow window{application, platform::Size{320, 240}, "edit"};
  platform::Panel panel{window};
  platform::TextFieldHost host{panel, nullptr, nullptr, nullptr};
  TVornBaseList scene;
};

TEST_F(VornEditTest, TheFactoryMakesEditsAndMemosWithTheirKinds) {
  TVornObject* edit = scene.CreateComponentByType(LT_EDIT);
  TVornObject* memo = scene.CreateComponentByType(LT_MEMO);
  ASSERT_NE(dynamic_cast<TVornEdit*>(edit), nullptr);
  ASSERT_NE(dynamic_cast<TVornMemo*>(memo), nullptr);
  EXPECT_EQ(edit->GetCompoType(), 5);
  EXPECT_EQ(memo->GetCompoType(), 11);
  EXPECT_FALSE(dynamic_cast<TVornEdit*>(edit)->Field().multi_line());
  EXPECT_TRUE(dynamic_cast<TVornMemo*>(memo)->Field().multi_line());
  EXPECT_FALSE(dynamic_cast<TVornEdit*>(edit)->Field().visible()) << "made hidden";
}

TEST_F(VornEditTest, DefaultsAndPropertiesHeldByTheField) {
  TVornEdit* edit = Edit();
  EXPECT_EQ(edit->GetText(), "");
  EXPECT_EQ(edit->GetFontName(), "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
  EXPECT_EQ(edit->GetFontHeight(), 12);
  EXPECT_EQ(edit->GetFontStyle().ToBits(), 0);
  EXPECT_EQ(edit->GetFontColor(), 0);
  EXPECT_EQ(edit->GetColor(), 0xFFFFFF);
  EXPECT_FALSE(edit->GetReadOnly());
  EXPECT_FALSE(edit->GetPaused());
  EXPECT_TRUE(edit->GetHandleKey());
  edit->SetHAlign(2);
  EXPECT_EQ(edit->GetHAlign(), 0) << "the edit keeps the neutral alignment";
  edit->SetFontStyle(TFontStyleSet::FromBits(15));
  EXPECT_EQ(edit->Field().font().style, 15u);
  edit->SetColor(-5);
  EXPECT_EQ(edit->GetColor(), -5);
  edit->SetFontColor(0x1FFFFFF);
  EXPECT_EQ(edit->GetFontColor(), 0x1FFFFFF);
  edit->SetPaused(true);
  EXPECT_FALSE(edit->Field().enabled());
  EXPECT_TRUE(edit->GetPaused());
  auto* memo = Make<TVornMemo>("m", scene.GetBase(0));
  memo->SetHAlign(200);
  EXPECT_EQ(memo->GetHAlign(), 200);
}

TEST_F(VornEditTest, FontHeightKeepsItsSignAndReadsTheMagnitude) {
  TVornEdit* edit = Edit();
  const struct {
    std::int32_t set, read;
  } cases[] = {{-16, 16}, {16, 16}, {0, 0}, {INT32_MAX, INT32_MAX}, {-INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MAX}};
  for (const auto& c : cases) {
    edit->SetFontHeight(c.set);
    EXPECT_EQ(edit->GetFontHeight(), c.read) << c.set;
    EXPECT_EQ(edit->Field().font().height, c.set);
  }
}

struct PlacementCase {
  const char* what;
  bool visible;
  bool has_parent;
  bool parent_visible;
  bool layer_active;
  bool shown;
};

TEST_F(VornEditTest, PlacementShowsTheFieldOnlyWhenTheComponentCanBeSeenAndGivesItTheKeyboard) {
  const PlacementCase cases[] = {
      {"everything holds", true, true, true, true, true},
      {"hidden", false, true, true, true, false},
      {"no parent", true, false, true, true, false},
      {"parent hidden", true, true, false, true, false},
      {"other layer", true, true, true, false, false},
  };
  for (const PlacementCase& c : cases) {
    TVornBaseList fresh;
    fresh.SetTextFields(&host);
    auto* box = CreateObject<TVornControl>(fresh);
    box->SetParent(fresh.GetBase(c.layer_active ? 0 : 1));
    box->SetBounds(5, 6, 200, 200);
    box->SetVisible(c.parent_visible);
    auto* edit = CreateObject<TVornEdit>(fresh);
    edit->SetVisible(c.visible);
    edit->SetBounds(10, 20, 100, 30);
    if (c.has_parent) edit->SetParent(box);
    edit->Place();
    EXPECT_EQ(edit->Field().visible(), c.shown) << c.what;
    EXPECT_EQ(edit->Field().HoldsKeyboard(), c.shown) << c.what;
    if (c.shown) {
      EXPECT_EQ(edit->Field().bounds(), (platform::Rect{15, 26, 100, 30})) << c.what;
    }
  }
}

TEST_F(VornEditTest, GeometryChangesAndAParentsMoveReplaceTheField) {
  auto* box = Make<TVornControl>("box", scene.GetBase(0));
  box->SetBounds(0, 0, 300, 200);
  TVornEdit* edit = Make<TVornEdit>("e", box);
  edit->SetWidth(77);
  edit->SetHeight(11);
  EXPECT_EQ(edit->Field().bounds(), (platform::Rect{10, 20, 77, 11}));
  box->SetLeft(40);
  EXPECT_EQ(edit->Field().bounds().left, 50);
  edit->SetOffsetX(5);
  EXPECT_EQ(edit->Field().bounds().left, 45);
  box->SetPlusX(100);
  EXPECT_EQ(edit->Field().bounds().left, 45) << "a parent's PLUSX does not move the field";
}

TEST_F(VornEditTest, AnEditOnTheInactiveLayerKeepsItsTextAndALayerSwitchShowsIt) {
  TVornEdit* edit = Make<TVornEdit>("e", scene.GetBase(1));
  edit->SetText("kept");
  EXPECT_FALSE(edit->Field().visible());
  scene.SetActiveLayerIndex(1);
  scene.Tick();
  EXPECT_TRUE(edit->Field().visible());
  EXPECT_EQ(edit->GetText(), "kept");
  scene.SetActiveLayerIndex(0);
  scene.Tick();
  EXPECT_FALSE(edit->Field().visible());
}

TEST_F(VornEditTest, PausedAndCabinetFieldsStillHideAfterTheTick) {
  TVornEdit* paused = Edit("p");
  paused->SetPaused(true);
  auto* cabinet = Make<TVornCabinet>("cab", scene.GetBase(0));
  auto* box = Make<TVornControl>("box", scene.GetBase(0));
  TVornEdit* boxed = Make<TVornEdit>("b", box);
  ASSERT_TRUE(boxed->Field().visible());
  ASSERT_TRUE(paused->Field().visible());
  box->SetParent(cabinet);
  EXPECT_FALSE(boxed->IsShowing()) << "a control in a cabinet is not showing";
  scene.SetActiveLayerIndex(1);
  scene.Tick();
  EXPECT_FALSE(paused->Field().visible());
  EXPECT_FALSE(boxed->Field().visible());
}

TEST_F(VornEditTest, VisibleShowsAndHidesTheFieldDirectly) {
  TVornEdit* edit = Make<TVornEdit>("e", scene.GetBase(1));
  edit->SetVisible(false);
  edit->SetVisible(true);
  EXPECT_TRUE(edit->Field().visible()) << "shown without asking the layer";
  scene.Tick();
  EXPECT_FALSE(edit->Field().visible()) << "the tick's check corrects it";
}

TEST_F(VornEditTest, KeysPostNotifyWithTheCodeAndTheTextBeforeTheKey) {
  TVornEdit* edit = Edit();
  edit->SetOnNotify("p.vsb:n");
  scene.Events().Clear();
  Key('A');
  Type("A");
  Key(platform::kVkReturn);
  EXPECT_EQ(Posted(), (std::vector<std::string>{"p.vsb:n/33|65|", "p.vsb:n/33|13|A"}));
  EXPECT_EQ(edit->GetText(), "A");
  auto* memo = Make<TVornMemo>("m", scene.GetBase(0));
  memo->SetOnNotify("p.vsb:m");
  scene.Events().Clear();
  Key(platform::kVkReturn);
  EXPECT_EQ(Posted(), (std::vector<std::string>{"p.vsb:m/33|13|"}));
  EXPECT_EQ(memo->GetText(), "\r\n");
}

TEST_F(VornEditTest, APausedEditNeitherTypesNorTakesTheFocus) {
  TVornEdit* other = Edit("other");
  TVornEdit* edit = Edit("e");
  ASSERT_TRUE(edit->Field().HoldsKeyboard());
  edit->SetPaused(true);
  EXPECT_FALSE(edit->Field().HoldsKeyboard());
  Type("x");
  EXPECT_EQ(edit->GetText(), "");
  edit->Place();
  scene.SetFocusedControl(edit);
  EXPECT_FALSE(edit->Field().HoldsKeyboard());
  EXPECT_EQ(scene.GetBase(0)->FindFocusable(), other) << "the focus search passes over a paused field";
}

TEST_F(VornEditTest, TakingTheKeyboardFocusesTheComponentAndClearsTheKeysOncePerRealChange) {
  TVornEdit* a = Edit("a");
  TVornEdit* b = Edit("b");
  a->SetOnFocusIn("in:a");
  b->SetOnFocusIn("in:b");
  a->SetOnFocusOut("out:a");
  b->SetOnFocusOut("out:b");
  scene.Events().Clear();
  scene.SetKeyDown('Q', true);
  a->Field().TakeKeyboard();
  EXPECT_EQ(scene.GetFocusedControl(), a);
  EXPECT_FALSE(scene.GetKeyDown('Q'));
  EXPECT_EQ(Posted(), (std::vector<std::string>{"out:b/149", "in:a/148"}));
  scene.SetKeyDown('Q', true);
  a->Field().TakeKeyboard();
  a->Place();
  EXPECT_TRUE(scene.GetKeyDown('Q')) << "a field that holds the keyboard changes nothing";
  EXPECT_TRUE(Posted().empty());
  scene.SetFocusedControl(b);
  EXPECT_TRUE(b->Field().HoldsKeyboard());
}

TEST_F(VornEditTest, DestructionFreesTheFieldAndDropsTheFocus) {
  TVornEdit* edit = Edit();
  ASSERT_EQ(scene.GetFocusedControl(), edit);
  scene.DeleteObject(edit);
  EXPECT_EQ(host.keyboard_holder(), nullptr);
  EXPECT_EQ(scene.GetFocusedControl(), nullptr);
  EXPECT_TRUE(scene.IsFocusChoiceRequested());
}

// ---- records ----

std::vector<std::uint8_t> Saved(const TVornBaseList& scene) {
  TMemoryStream out;
  scene.SaveToStream(out);
  const auto* data = static_cast<const std::uint8_t*>(out.Memory());
  return {data, data + out.Size()};
}

void Load(TVornBaseList& scene, const std::vector<std::uint8_t>& bytes) {
  TMemoryStream in;
  in.WriteBuffer(bytes.data(), bytes.size());
  in.SetPosition(0);
  scene.LoadFromStream(in, 134);
}

// A scene 320 x 240 with one edit (or memo) "f" on layer 0, spelled out by hand.
std::vector<std::uint8_t> FieldScene(bool memo, std::size_t cut = 0) {
  RecordBytes r;
  r.I32(320).I32(240).I32(0);
  ControlRecord(r, "\x01" "BASE0", 0, 0, 320, 0, 1);
  r.U8(memo ? 11 : 5);
  ControlRecord(r, "f", 0, 7, 90, 0x00FF00, 0);
  r.U8(1);                          // paused
  r.Str("\x96\xBC\x91\x4F");        // text
  r.Str("IPAGothic");               // font name
  r.I32(16);                        // font height
  r.U8(5);                          // font style: bold, underline
  r.I32(0x0000FF);                  // font colour
  r.I32(0x00FF00);                  // colour
  r.U8(1);                          // read only
  if (memo) r.U8(2);                // alignment
  r.Str("p.vsb:n");                 // on notify
  ControlRecord(r, "\x01" "BASE1", 0, 0, 320, 0, 0);
  r.I32(0);       // no top-level components
  r.I32(0);       // no events
  r.Str("");      // nothing focused
  if (cut > 0) r.bytes.resize(r.bytes.size() - cut);
  return r.bytes;
}

TEST_F(VornEditTest, EditAndMemoRecordsLoadThroughTheirSettersAndSaveTheSameBytes) {
  for (bool memo : {false, true}) {
    TVornBaseList loaded;
    loaded.SetTextFields(&host);
    const std::vector<std::uint8_t> bytes = FieldScene(memo);
    Load(loaded, bytes);
    auto* field = dynamic_cast<TVornCustomEdit*>(loaded.FindControl("f"));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->GetText(), "\x96\xBC\x91\x4F");
    EXPECT_TRUE(field->GetPaused());
    EXPECT_TRUE(field->GetReadOnly());
    EXPECT_EQ(field->GetFontStyle().ToBits(), 5);
    EXPECT_EQ(field->GetHAlign(), memo ? 2 : 0);
    EXPECT_EQ(field->GetOnNotify(), "p.vsb:n");
    EXPECT_TRUE(field->Field().visible()) << "placed after loading";
    EXPECT_EQ(field->Field().bounds(), (platform::Rect{7, 4, 90, 10}));
    EXPECT_EQ(Saved(loaded), bytes) << (memo ? "memo" : "edit");
  }
}

TEST_F(VornEditTest, ANegativeFontHeightIsSavedAsItsMagnitude) {
  TVornEdit* edit = Edit("f");
  edit->SetFontHeight(-16);
  TVornBaseList loaded;
  loaded.SetTextFields(&host);
  Load(loaded, Saved(scene));
  EXPECT_EQ(loaded.FindComponent("f")->GetFontHeight(), 16);
  EXPECT_EQ(dynamic_cast<TVornEdit*>(loaded.FindComponent("f"))->Field().font().height, 16);
}

TEST_F(VornEditTest, ATruncatedRecordRaisesTheReadError) {
  for (bool memo : {false, true}) {
    for (std::size_t cut : {std::size_t{13}, std::size_t{20}, std::size_t{30}}) {
      TVornBaseList loaded;
      EXPECT_THROW(Load(loaded, FieldScene(memo, cut)), EReadError) << memo << " " << cut;
    }
  }
}

}  // namespace
}  // namespace vorn
