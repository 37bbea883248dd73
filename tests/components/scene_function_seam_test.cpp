// The scene answers the script functions that list, place and classify components through the
// engine's view of it; the expressions run against the real scene list.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "engine/build_vorn_parser.h"
#include "engine/param_collection.h"
#include "engine/script_scene.h"
#include "engine/sys_func_man.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"
#include "support/script_expression.h"

namespace vorn {
namespace {

// Layer 0 (active): a (with inner), cab (with hidden). Layer 1: b. No parent: snd.
class SceneFunctionSeam : public ::testing::Test {
 protected:
  SceneFunctionSeam() {
    previous_ = GetScriptScene();
    SetScriptScene(&scene);
    a = Control<TVornControl>("a", scene.GetBase(0));
    a->SetBounds(10, 20, 100, 50);
    inner = Control<TVornControl>("inner", a);
    inner->SetBounds(5, 6, 10, 10);
    cab = Control<TVornCabinet>("cab", scene.GetBase(0));
    hidden = Control<TVornControl>("hidden", cab);
    b = Control<TVornControl>("b", scene.GetBase(1));
    snd = CreateObject<TVornComponent>(scene);
    snd->SetName("snd");
  }
  ~SceneFunctionSeam() override { SetScriptScene(previous_); }

  template <typename T>
  T* Control(const std::string& name, TVornControl* parent) {
    T* control = CreateObject<T>(scene);
    control->SetName(name);
    control->SetParent(parent);
    return control;
  }

  std::vector<std::string> Names(std::uint8_t kind, const TScriptObject* parent) {
    std::vector<std::string> names{"kept"};
    const int added = view().ListNames(names, kind, parent);
    EXPECT_EQ(added + 1, static_cast<int>(names.size()));
    names.erase(names.begin());
    return names;
  }

  static std::string Evaluate(std::string_view text) {
    return vorn::testing::EvaluateScriptText(text);
  }

  TScriptScene& view() { return scene; }

  TVornBaseList scene;
  TParamCollection params;
  TSysFuncMan functions;
  TVornControl* a = nullptr;
  TVornControl* inner = nullptr;
  TVornCabinet* cab = nullptr;
  TVornControl* hidden = nullptr;
  TVornControl* b = nullptr;
  TVornComponent* snd = nullptr;

 private:
  TScriptScene* previous_ = nullptr;
};

using NameList = std::vector<std::string>;

TEST_F(SceneFunctionSeam, ListNamesFiltersByKindAndDirectParentInObjectOrder) {
  EXPECT_EQ(Names(0, nullptr), (NameList{"a", "inner", "cab", "hidden", "b", "snd"}));
  EXPECT_EQ(Names(0, &scene), (NameList{"a", "inner", "cab", "hidden", "b", "snd"}));
  EXPECT_EQ(Names(27, nullptr), (NameList{"cab"}));
  EXPECT_EQ(Names(0, scene.GetBase(0)), (NameList{"a", "cab"}));
  EXPECT_EQ(Names(0, a), (NameList{"inner"}));
  EXPECT_EQ(Names(27, a), (NameList{}));
  EXPECT_EQ(Names(0, snd), (NameList{}));
  // An object scrapped this frame stays listed until it is freed; its name is already gone.
  inner->MarkDeleted();
  EXPECT_EQ(Names(0, a), (NameList{""}));
  scene.FreePendingDeletes();
  EXPECT_EQ(Names(0, a), (NameList{}));
}

TEST_F(SceneFunctionSeam, LayersSizeAndPlacementThroughTheEngineView) {
  scene.SetWidth(320);
  scene.SetHeight(200);
  EXPECT_EQ(view().GetSceneWidth(), 320);
  EXPECT_EQ(view().GetSceneHeight(), 200);
  EXPECT_EQ(view().GetLayer(1), scene.GetBase(1));
  EXPECT_EQ(view().GetLayer(2), scene.GetBase(0));
  scene.SetActiveLayerIndex(1);
  EXPECT_EQ(view().GetActiveLayerIndex(), 1);

  const TScriptObject& deep = *inner;
  EXPECT_EQ(deep.GetLayerObject(), scene.GetBase(0));
  EXPECT_EQ(static_cast<const TScriptObject*>(scene.GetBase(1))->GetLayerObject(), scene.GetBase(1));
  EXPECT_EQ(static_cast<const TScriptObject*>(snd)->GetLayerObject(), nullptr);
  EXPECT_TRUE(static_cast<const TScriptObject*>(hidden)->InCabinet());
  EXPECT_FALSE(deep.InCabinet());
  EXPECT_EQ(deep.ClientToScreen({1, 2}), (TPoint{16, 28}));
  EXPECT_EQ(deep.ScreenToClient({16, 28}), (TPoint{1, 2}));
}

TEST_F(SceneFunctionSeam, ScriptFunctionsOverTheRealScene) {
  const struct {
    const char* expression;
    const char* result;
  } cases[] = {
      {"InPrimary(\"a\")", "TRUE"},
      {"InPrimary(\"inner\")", "TRUE"},
      {"InPrimary(\"cab\")", "TRUE"},
      {"InPrimary(\"hidden\")", "FALSE"},
      {"InPrimary(\"b\")", "FALSE"},
      {"InPrimary(\"snd\")", "FALSE"},
      {"ToClientX(\"inner\", 100)", "85"},
      {"ToClientY(\"inner\", 100)", "74"},
      {"ToScreenX(\"inner\", 1)", "16"},
      {"ToScreenY(\"inner\", 1)", "27"},
      {"ToScreenX(\"snd\", 7)", "7"},
      {"Exists(\"snd\")", "TRUE"},
      {"GetCheck(\"a\", 0)", "FALSE"},
      {"GetEnabled(\"a\", 0)", "TRUE"},
      {"GetVisible(\"a\", 0)", "TRUE"},
  };
  for (const auto& c : cases) EXPECT_EQ(Evaluate(c.expression), c.result) << c.expression;

  scene.SetActiveLayerIndex(1);
  EXPECT_EQ(Evaluate("InPrimary(\"b\")"), "TRUE");
  EXPECT_EQ(Evaluate("InPrimary(\"a\")"), "FALSE");
}

}  // namespace
}  // namespace vorn
