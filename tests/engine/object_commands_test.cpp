#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/commands/object_commands.h"
#include "engine/commands/wait_commands.h"
#include "engine/script_error.h"
#include "scene_command_harness.h"

namespace vorn::testing {
namespace {

using fixture::PageCommand;
using fixture::PageWriter;

class ObjectCommandTest : public SceneCommandTest {};

TEST_F(ObjectCommandTest, GetPropReadsIntoAnExistingVariable) {
  TRecordingObject& box = scene.Add("box");
  box.ints[3] = 42;
  scene.layers[0].ints[5] = 640;
  Declare("x", PT_INT);
  Declare("w", PT_INT);
  auto* get = One<TComGetProp>(std::move(PageCommand(17).Expr("\"box\"").Expr("3").Str("x")), 110, "g1.vsb");
  EXPECT_EQ(Exec(*get), 1);
  EXPECT_EQ(IntOf("x"), 42);
  // An empty name is the current layer.
  auto* layer = One<TComGetProp>(std::move(PageCommand(17).Expr("").Expr("5").Str("w")), 110, "g2.vsb");
  EXPECT_EQ(Exec(*layer), 1);
  EXPECT_EQ(IntOf("w"), 640);
  // Unknown object or variable: nothing.
  auto* missing = One<TComGetProp>(std::move(PageCommand(17).Expr("\"none\"").Expr("3").Str("x")), 110, "g3.vsb");
  EXPECT_EQ(Exec(*missing), 1);
  auto* no_var = One<TComGetProp>(std::move(PageCommand(17).Expr("\"box\"").Expr("3").Str("nope")), 110, "g4.vsb");
  EXPECT_EQ(Exec(*no_var), 1);
  EXPECT_EQ(IntOf("x"), 42);
}

TEST_F(ObjectCommandTest, SetPropWritesAValueThatYieldsAResult) {
  TRecordingObject& box = scene.Add("box");
  auto* set = One<TComSetProp>(std::move(PageCommand(18).Expr("\"box\"").Expr("3").Expr("17")), 110, "s1.vsb");
  EXPECT_EQ(Exec(*set), 1);
  EXPECT_EQ(box.PropertyCalls(), (std::vector<TPropCall>{{3, 'I', "17", -1}}));
  box.calls.clear();
  auto* none = One<TComSetProp>(std::move(PageCommand(18).Expr("\"box\"").Expr("3").Expr("")), 110, "s2.vsb");
  EXPECT_EQ(Exec(*none), 1);
  EXPECT_TRUE(box.calls.empty());
}

TEST_F(ObjectCommandTest, MissingPropertyIndexRaises) {
  scene.Add("box");
  Declare("x", PT_INT);
  auto* get = One<TComGetProp>(std::move(PageCommand(17).Expr("\"box\"").Expr("").Str("x")), 110, "g.vsb");
  EXPECT_THROW(Exec(*get), EScriptError);
  auto* set = One<TComSetProp>(std::move(PageCommand(18).Expr("\"box\"").Expr("").Expr("1")), 110, "s.vsb");
  EXPECT_THROW(Exec(*set), EScriptError);
}

TEST_F(ObjectCommandTest, ARaisingGetPropStaysCurrentBeforeTheWait) {
  scene.Add("box");
  PageWriter writer;
  writer.Add(std::move(PageCommand(17).Expr("\"box\"").Expr("").Str("x")));
  writer.Add(std::move(PageCommand(7).Expr("").Expr("").Expr("")));
  files.files["main.vsb"] = writer.Bytes();
  callman.Call("main.vsb");
  for (int frame = 0; frame < 5; ++frame) {
    callman.Run();
    EXPECT_EQ(callman.Index(), 0) << frame;
  }
}

TEST_F(ObjectCommandTest, ObjDelMarksObjectsButNeverLayers) {
  TRecordingObject& box = scene.Add("box");
  for (const char* name : {"\"\"", "\"\x01" "BASE0\"", "\"\x01" "BASE1\"", "\"\x01\"", "\"none\""}) {
    auto* del = One<TComObjDel>(std::move(PageCommand(19).Expr(name)), 110, std::string("d") + name + ".vsb");
    EXPECT_EQ(Exec(*del), 1);
  }
  EXPECT_TRUE(scene.log.empty());
  auto* del = One<TComObjDel>(std::move(PageCommand(19).Expr("\"box\"")), 110, "d.vsb");
  EXPECT_EQ(Exec(*del), 1);
  EXPECT_TRUE(scene.IsDeleted(&box));
}

// name, target, property, value, duration, easing[, paused]
PageCommand PropMotion(std::string_view property, bool paused_field = true) {
  PageCommand command(57);
  command.Expr("\"mv\"").Expr("\"box\"").Expr(property).Expr("1.5").Expr("400").Expr("258");
  if (paused_field) command.Expr("1");
  return command;
}

TEST_F(ObjectCommandTest, PropMotionSetsItsFieldsInOrder) {
  auto* motion = One<TComPropMotion>(PropMotion("259"));
  EXPECT_EQ(Exec(*motion), 1);
  ASSERT_EQ(scene.objects.size(), 1u);
  auto& made = dynamic_cast<TRecordingPropMotion&>(*scene.objects[0]);
  EXPECT_EQ(made.GetName(), "mv");
  EXPECT_EQ(made.log, (std::vector<std::string>{"target box", "property 3", "value " + FloatText(1.5L), "duration 400",
                                                "easing 2"}));
  EXPECT_TRUE(made.GetPaused());
}

TEST_F(ObjectCommandTest, PropMotionPausedOnlyAfterVersion107AndComponentStaysWhenItRaises) {
  auto* old = One<TComPropMotion>(PropMotion("3", false), 107, "old.vsb");
  EXPECT_EQ(Exec(*old), 1);
  EXPECT_TRUE(scene.objects[0]->bools.empty());
  auto* raising = One<TComPropMotion>(PropMotion(""), 110, "raise.vsb");
  EXPECT_THROW(Exec(*raising), EScriptError);
  ASSERT_EQ(scene.objects.size(), 2u);
  EXPECT_EQ(scene.objects[1]->GetName(), "mv");
  EXPECT_EQ(scene.log, (std::vector<std::string>{"create 26", "create 26"}));
}

// --- name expressions ---

// A name expression is read twice; the others once. "n = n + 1" names "1", then "2".
TEST_F(ObjectCommandTest, NameExpressionsAreEvaluatedTwiceWhenNotEmpty) {
  Declare("n", PT_INT);
  Declare("v", PT_INT);
  scene.Add("1");
  scene.Add("2");
  struct Case {
    PageCommand command;
    int evaluations;
  };
  std::vector<Case> cases;
  cases.push_back({std::move(PageCommand(17).Ops(CountingName("n")).Expr("3").Str("v")), 2});
  cases.push_back({std::move(PageCommand(18).Ops(CountingName("n")).Expr("3").Expr("1")), 2});
  cases.push_back({std::move(PageCommand(19).Ops(CountingName("n"))), 2});
  cases.push_back({std::move(PageCommand(55).Ops(CountingName("n"))), 1});
  cases.push_back({std::move(PageCommand(26).Ops(CountingName("n"))), 1});
  int page = 0;
  for (Case& c : cases) {
    params.FindParam("n")->SetAsInt(0);
    auto* command = One<TCommand>(std::move(c.command), 110, "n" + std::to_string(page++) + ".vsb");
    Exec(*command);
    EXPECT_EQ(IntOf("n"), c.evaluations) << page;
  }
  // ObjDel acted on the second name.
  EXPECT_TRUE(scene.IsDeleted(scene.objects[1].get()));
  EXPECT_FALSE(scene.IsDeleted(scene.objects[0].get()));

  params.FindParam("n")->SetAsInt(0);
  auto* motion = One<TComPropMotion>(std::move(PageCommand(57).Ops(CountingName("n")).Ops(CountingName("n")).Expr("3")
                                                   .Expr("").Expr("").Expr("").Expr("")), 110, "pm.vsb");
  Exec(*motion);
  EXPECT_EQ(IntOf("n"), 4);
  EXPECT_EQ(scene.objects.back()->GetName(), "2");

  // MovieStop evaluates its name once.
  params.FindParam("n")->SetAsInt(0);
  auto* stop = One<TComMovieStop>(std::move(PageCommand(21).Ops(CountingName("n")).Expr("0").Expr("").Expr("")), 110, "ms.vsb");
  stop->Enter(callman);
  EXPECT_EQ(IntOf("n"), 1);
}

// --- cabinets ---

// SaveCabinet / LoadCabinet with NAME as the only property expression.
PageCommand Cabinet(std::uint8_t code, std::string_view name, std::string_view invert,
                    const std::vector<std::string>& names) {
  PageCommand command(code);
  command.Expr(name).Expr(invert).Int(static_cast<std::int32_t>(names.size()));
  for (const std::string& n : names) command.Expr(n);
  return command;
}

// SaveCabinet named "c" + count of n, selecting the count of m.
PageCommand CountedCabinet() {
  PageCommand command(59);
  command.Ops(CountingName("n", "c")).Expr("").Int(1).Ops(CountingName("m"));
  return command;
}

class CabinetCommandTest : public SceneCommandTest {
 protected:
  template <class T>
  T* Make(PageCommand command, const std::string& page_name) {
    PageWriter writer;
    writer.MaskBit(command.code, 0);
    writer.Add(std::move(command));
    TPage* page = Load(page_name, writer);
    return dynamic_cast<T*>(page->GetCommand(0));
  }
};

TEST_F(CabinetCommandTest, SaveMovesSelectedChildrenOfTheInactiveLayer) {
  scene.current_layer = 1;
  scene.Add("a", &scene.layers[0]);
  scene.Add("b", &scene.layers[0]);
  scene.Add("A", &scene.layers[0]);
  scene.Add("onscreen", &scene.layers[1]);
  auto* save = Make<TComCabinetSave>(Cabinet(59, "\"box\"", "", {"\"a\"", "\"A\""}), "s.vsb");
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(Exec(*save), 1);
  TScriptObject* cabinet = scene.FindComponent("box");
  ASSERT_NE(cabinet, nullptr);
  EXPECT_EQ(cabinet->GetCompoType(), TRecordingScene::kCabinet);
  EXPECT_EQ(scene.ChildNames(*cabinet), (std::vector<std::string>{"a", "A"}));
  EXPECT_EQ(scene.ChildNames(scene.layers[0]), (std::vector<std::string>{"b", "box"}));
  EXPECT_EQ(scene.ChildNames(scene.layers[1]), (std::vector<std::string>{"onscreen"}));

  // The same cabinet is found again and takes more.
  auto* more = Make<TComCabinetSave>(Cabinet(59, "\"box\"", "", {"\"b\""}), "s2.vsb");
  EXPECT_EQ(Exec(*more), 1);
  EXPECT_EQ(scene.ChildNames(*cabinet), (std::vector<std::string>{"a", "b", "A"}));
  EXPECT_EQ(std::count(scene.log.begin(), scene.log.end(), "create 27"), 1);
}

TEST_F(CabinetCommandTest, InvertWithoutNamesMovesEverythingAndTheCabinetStaysOnLayerZero) {
  scene.current_layer = 1;
  scene.Add("a", &scene.layers[0]);
  scene.Add("b", &scene.layers[0]);
  auto* save = Make<TComCabinetSave>(Cabinet(59, "\"box\"", "1", {}), "s.vsb");
  EXPECT_EQ(Exec(*save), 1);
  TScriptObject* cabinet = scene.FindComponent("box");
  ASSERT_NE(cabinet, nullptr);
  EXPECT_EQ(scene.ChildNames(*cabinet), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(cabinet->GetParentObject(), &scene.layers[0]);
  EXPECT_FALSE(scene.IsDeleted(cabinet));
}

TEST_F(CabinetCommandTest, SaveThatSelectsNothingLeavesNoCabinet) {
  scene.current_layer = 1;
  scene.Add("a", &scene.layers[0]);
  auto* save = Make<TComCabinetSave>(Cabinet(59, "\"box\"", "", {"\"zzz\""}), "s.vsb");
  EXPECT_EQ(Exec(*save), 1);
  EXPECT_EQ(scene.FindComponent("box"), nullptr);
  EXPECT_EQ(scene.log, (std::vector<std::string>{"create 27", "delete box"}));
}

TEST_F(CabinetCommandTest, LoadMovesBackAndDeletesTheEmptiedCabinet) {
  scene.current_layer = 1;
  TRecordingObject& cabinet = scene.Add("box", &scene.layers[0], TRecordingScene::kCabinet);
  scene.Add("a", &cabinet);
  scene.Add("b", &cabinet);
  auto* some = Make<TComCabinetLoad>(Cabinet(60, "\"box\"", "", {"\"a\""}), "l1.vsb");
  EXPECT_EQ(Exec(*some), 1);
  EXPECT_EQ(scene.ChildNames(cabinet), (std::vector<std::string>{"b"}));
  EXPECT_FALSE(scene.IsDeleted(&cabinet));
  auto* rest = Make<TComCabinetLoad>(Cabinet(60, "\"box\"", "1", {"\"a\""}), "l2.vsb");
  EXPECT_EQ(Exec(*rest), 1);
  EXPECT_EQ(scene.ChildNames(scene.layers[0]), (std::vector<std::string>{"box", "a", "b"}));
  EXPECT_TRUE(scene.IsDeleted(&cabinet));
}

TEST_F(CabinetCommandTest, LoadIgnoresObjectsThatAreNoCabinet) {
  TRecordingObject& plain = scene.Add("box", &scene.layers[1]);
  scene.Add("a", &plain);
  auto* load = Make<TComCabinetLoad>(Cabinet(60, "\"box\"", "1", {}), "l.vsb");
  EXPECT_EQ(Exec(*load), 1);
  EXPECT_EQ(scene.ChildNames(plain), (std::vector<std::string>{"a"}));
}

TEST_F(CabinetCommandTest, NameReadTwiceSelectionNamesOnce) {
  Declare("n", PT_INT);
  Declare("m", PT_INT);
  scene.current_layer = 1;
  scene.Add("1", &scene.layers[0]);
  auto* save = Make<TComCabinetSave>(CountedCabinet(), "s.vsb");
  EXPECT_EQ(Exec(*save), 1);
  EXPECT_EQ(IntOf("n"), 2);
  EXPECT_EQ(IntOf("m"), 1);
  TScriptObject* cabinet = scene.FindComponent("c2");
  ASSERT_NE(cabinet, nullptr);
  EXPECT_EQ(scene.ChildNames(*cabinet), (std::vector<std::string>{"1"}));
}

TEST_F(CabinetCommandTest, NameCountIsCheckedBeforeAnythingIsRead) {
  for (std::int32_t count : {-3, 0x7FFFFFFF}) {
    PageWriter writer;
    writer.Add(std::move(PageCommand(60).Expr("").Int(count).Expr("")));
    files.files["bad.vsb"] = writer.Bytes();
    EXPECT_THROW(callman.GetPage("bad.vsb", false), EReadError) << count;
  }
}

}  // namespace
}  // namespace vorn::testing
