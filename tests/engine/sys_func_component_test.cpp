// The component functions, called from compiled expressions as scripts call them, against a
// recording scene. Every call's target starts out holding 7777, so a function that stores nothing
// shows that value (TRUE on a boolean target).

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/build_vorn_parser.h"
#include "engine/param_collection.h"
#include "engine/script_error.h"
#include "engine/sys_func_man.h"
#include "engine/typed_params.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "support/recording_scene.h"
#include "support/script_expression.h"

namespace {

using namespace vorn;
using vorn::testing::TRecordingObject;
using vorn::testing::TRecordingScene;

constexpr std::int32_t kUntouched = 7777;

// Fills every target with the marker before the real dispatcher runs the function.
class TMarkingDispatcher : public TSysFuncDispatcher {
 public:
  explicit TMarkingDispatcher(TSysFuncMan& man) : man_(man) { previous_ = SetSysFuncDispatcher(this); }
  ~TMarkingDispatcher() override { SetSysFuncDispatcher(previous_); }
  void CallFunction(TParamCollectionItem& target, int index, std::span<TCustomParam* const> args) override {
    target.SetAsInt(kUntouched);
    man_.CallFunction(target, index, args);
  }

 private:
  TSysFuncMan& man_;
  TSysFuncDispatcher* previous_ = nullptr;
};

std::string Evaluate(std::string_view text) {
  return vorn::testing::EvaluateScriptText(text);
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& t : texts) out += (out.empty() ? "" : "|") + t;
  return out;
}

// Layer 0 (active): menu (with button btn inside), prev, cab (with boxed inside). Layer 1: back.
// No parent: sound.
class ComponentFunctions : public ::testing::Test {
 protected:
  ComponentFunctions() {
    TRecordingObject& layer0 = scene_.layers[0];
    TRecordingObject& menu = Object("menu", LT_MENU, &layer0);
    menu.strings[50] = "  yes\r\nno\r\n";
    menu.ints[3] = 12;
    menu.item_checked[1] = true;
    menu.drawn = true;
    menu.screen_origin = {100, 40};
    TRecordingObject& prev = Object("prev", LT_PREVMENU, &layer0);
    prev.item_strings = {"intro", "ending"};
    prev.item_enabled[3] = false;
    Object("cab", LT_CABINET, &layer0);
    Object("boxed", LT_BOX, scene_.FindComponent("cab"));
    Object("back", LT_BOX, &scene_.layers[1]);
    Object("btn", LT_BUTTON, &menu);
    scene_.AddComponent("sound").kind = LT_SOUND;

    auto& v = params_.AddParam(PT_STR);
    v.SetName("v");
    const std::int32_t extents[] = {3};
    v.Value().SetDims(extents);
    for (std::int32_t i = 0; i < 3; ++i) v.Value().SetStrAt(i, "old");
  }

  TRecordingObject& Object(std::string name, std::uint8_t kind, TScriptObject* parent) {
    TRecordingObject& o = scene_.Add(std::move(name));
    o.kind = kind;
    o.SetParentObject(parent);
    o.calls.clear();
    return o;
  }
  TRecordingObject& Named(std::string_view name) { return *static_cast<TRecordingObject*>(scene_.FindComponent(name)); }

  TParamCollection params_;
  TSysFuncMan man_;
  TMarkingDispatcher marking_{man_};
  TRecordingScene scene_;
};

struct Case {
  const char* expression;
  const char* result;
  // The object whose item calls the case checks ("" for none) and those calls, joined by "|".
  const char* watched = "";
  const char* item_calls = "";
  std::function<void(TRecordingScene&)> before = nullptr;
};

TEST_F(ComponentFunctions, ScriptExpressions) {
  const std::vector<Case> cases = {
      // Exists: an empty name is no component, although lookups give it the active layer.
      {"Exists(\"\")", "FALSE"},
      {"Exists(\"menu\")", "TRUE"},
      {"Exists(\"sound\")", "TRUE"},
      {"Exists(\"ghost\")", "FALSE"},
      // GetProp/SetProp through the bridge with the low byte of the property number.
      {"GetProp(\"ghost\", 3)", "7777"},
      {"GetProp(\"menu\", 3)", "12"},
      {"GetProp(\"menu\", 259)", "12"},
      {"SetProp(\"ghost\", 3, 99)", "7777"},
      {"SetProp(\"menu\", 515, 33)", "7777"},
      {"GetProp(\"menu\", 3)", "33"},
      {"SetProp(\"menu\", -1, 5)", "(none: SetProp\x83G\x83\x89\x81[)"},
      {"SetProp(\"menu\", 162, 5)", "(none: SetProp\x83G\x83\x89\x81[)"},
      {"GetProp(\"menu\", 3)", "33"},
      // Check marks by item number; a component without items has none; missing: untouched.
      {"GetCheck(\"menu\", 1)", "TRUE", "menu", "check? 1"},
      {"GetCheck(\"menu\", \"1\")", "TRUE", "menu", "check? 1"},
      {"GetCheck(\"menu\", 2)", "FALSE", "menu", "check? 2"},
      {"SetCheck(\"menu\", 2, TRUE)", nullptr, "menu", "check 2 1"},
      {"GetCheck(\"menu\", 2)", "TRUE"},
      {"GetCheck(\"sound\", 0)", "FALSE"},
      {"GetCheck(\"ghost\", 0)", "TRUE"},
      // Item arguments: a preview menu reads a number text as the number, other text as an item
      // string; other components take the number.
      {"GetEnabled(\"prev\", \"3\")", "FALSE", "prev", "enabled? 3"},
      {"GetEnabled(\"prev\", 3)", "FALSE", "prev", "enabled? 3"},
      {"GetEnabled(\"prev\", \"intro\")", "TRUE", "prev", "index of intro|enabled? 0"},
      {"GetEnabled(\"prev\", \"none\")", "TRUE", "prev", "index of none|enabled? -1"},
      {"GetEnabled(\"menu\", \"3\")", "TRUE", "menu", "enabled? 3"},
      {"SetVisible(\"prev\", \"ending\", FALSE)", nullptr, "prev", "index of ending|visible 1 0"},
      {"GetVisible(\"prev\", 1)", "FALSE", "prev", "visible? 1"},
      {"SetEnabled(\"prev\", \" 0\", FALSE)", nullptr, "prev", "enabled 0 0"},
      {"GetEnabled(\"prev\", \"intro\")", "FALSE"},
      {"GetVisible(\"sound\", 4)", "TRUE"},
      {"SetEnabled(\"ghost\", 1, FALSE)", nullptr},
      {"GetEnabled(\"ghost\", 1)", "TRUE"},
      {"GetVisible(\"ghost\", 1)", "TRUE"},
      // Conversions: the coordinate itself for a missing or undrawn component.
      {"ToClientX(\"ghost\", 40)", "40"},
      {"ToClientY(\"ghost\", -40)", "-40"},
      {"ToScreenX(\"ghost\", 40)", "40"},
      {"ToClientX(\"menu\", 130)", "30"},
      {"ToClientY(\"menu\", 50)", "10"},
      {"ToScreenX(\"menu\", 5)", "105"},
      {"ToScreenY(\"menu\", 5)", "45"},
      {"ToScreenY(\"sound\", 7)", "7"},
      // ListCompo: every kind above 27, the low byte of the kind, children of a named parent.
      {"ListCompo(v, 99)", "7"},
      {"ArrayToString(v, \",\")", "menu,prev,cab,boxed,back,btn,sound"},
      {"ListCompo(v)", "7"},
      {"ListCompo(v, 2)", "2"},
      {"ArrayToString(v, \",\")", "boxed,back"},
      {"ListCompo(v, 258)", "2"},
      {"ListCompo(v, 0, \"menu\")", "1"},
      {"ArrayToString(v, \",\")", "btn"},
      {"ListCompo(v, 0, \"\")", "3"},
      {"ArrayToString(v, \",\")", "menu,prev,cab"},
      {"ListCompo(v, 3, \"\")", "0"},
      {"GetArraySize(v)", "1"},
      {"ListCompo(v, 0, \"ghost\")", "0"},
      {"ArrayToString(v, \",\")", ""},
      {"GetArraySize(v)", "1"},
      {"ListCompo(v, 0, \"sound\")", "0"},
      // IndexOfMenu: TEXT trimmed, split into lines, compared without regard to case.
      {"IndexOfMenu(\"menu\", \"Yes\")", "0"},
      {"IndexOfMenu(\"menu\", \"NO\")", "1"},
      {"IndexOfMenu(\"menu\", \"maybe\")", "-1"},
      {"IndexOfMenu(\"menu\", \"\")", "-1"},
      {"IndexOfMenu(\"ghost\", \"yes\")", "-1"},
      // InPrimary: a control on the active layer, not inside a cabinet.
      {"InPrimary(\"\")", "FALSE"},
      {"InPrimary(\"menu\")", "TRUE"},
      {"InPrimary(\"btn\")", "TRUE"},
      {"InPrimary(\"boxed\")", "FALSE"},
      {"InPrimary(\"back\")", "FALSE"},
      {"InPrimary(\"sound\")", "FALSE"},
      {"InPrimary(\"ghost\")", "FALSE"},
      {"InPrimary(\"back\")", "TRUE", "", "", [](TRecordingScene& s) { s.current_layer = 1; }},
      {"InPrimary(\"menu\")", "FALSE"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    if (c.before) c.before(scene_);
    std::string watched = c.watched;
    if (!watched.empty()) Named(watched).item_log.clear();
    const std::string result = Evaluate(c.expression);
    if (c.result != nullptr) {
      EXPECT_EQ(result, c.result) << "case " << i << ": " << c.expression;
    }
    if (!watched.empty()) {
      EXPECT_EQ(Joined(Named(watched).item_log), c.item_calls) << "case " << i << ": " << c.expression;
    }
  }
  // Only the menu's properties were written; the lookups that found nothing wrote nowhere.
  for (const auto& o : scene_.objects) {
    if (o->GetName() != "menu") {
      EXPECT_TRUE(o->calls.empty()) << o->GetName();
    }
  }
}

TEST_F(ComponentFunctions, ListCompoOfAnEmptySceneLeavesOneEmptyName) {
  scene_.objects.clear();
  EXPECT_EQ(Evaluate("ListCompo(v)"), "0");
  EXPECT_EQ(Evaluate("GetArraySize(v)"), "1");
  EXPECT_EQ(Evaluate("v"), "");
}

// GetProp's target type comes from the property number, so an expression cannot reach the bridge
// with a number it refuses; a direct call shows that the bridge's error leaves the function.
TEST_F(ComponentFunctions, GetPropLetsTheBridgeErrorThrough) {
  TParamCollectionItem& target = params_.AddParam(PT_INT);
  target.SetName("target");
  target.SetAsInt(5);
  TParamStr name;
  name.SetAsString("menu");
  TParamInt property;
  property.SetAsInt(200);
  TCustomParam* args[] = {&name, &property};
  EXPECT_THROW(man_.Execute(target, static_cast<std::uint8_t>(TSysFunc::GetProp), args), EScriptError);
  EXPECT_EQ(target.GetAsInt(), 5);
}

}  // namespace
