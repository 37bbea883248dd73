#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/commands/game_commands.h"
#include "engine/script_host.h"
#include "scene_command_harness.h"

namespace vorn::testing {
namespace {

using fixture::PageCommand;
using fixture::PageWriter;

PageCommand PCReset(std::string_view page, std::int32_t index, bool full, std::uint8_t code = 40) {
  return std::move(PageCommand(code).Str(page).Int(index).Byte(full ? 1 : 0));
}

// A page of n Waits that never end by themselves.
PageWriter Waits(int n) {
  PageWriter writer;
  for (int i = 0; i < n; ++i) writer.Add(std::move(PageCommand(7).Expr("").Expr("").Expr("")));
  return writer;
}

// A page of n DoEvents.
PageWriter DoEvents(int n) {
  PageWriter writer;
  for (int i = 0; i < n; ++i) writer.Add(PageCommand(46));
  return writer;
}

class GameCommandTest : public SceneCommandTest {};

TEST_F(GameCommandTest, GameSaveAndGameLoadRequestAndEndTheStep) {
  auto* save = One<TComGameSave>(std::move(PageCommand(38).Expr("3").Str("resume.vsb").Int(7).Expr("\"cap\"")), 110, "s.vsb");
  EXPECT_FALSE(save->GetRunFlag());
  EXPECT_EQ(Exec(*save), 1);
  // Pages up to 104 store no resume index; absent slot and caption take 0 and empty.
  auto* old = One<TComGameSave>(std::move(PageCommand(38).Expr("").Str("r.vsb").Expr("")), 104, "old.vsb");
  EXPECT_EQ(Exec(*old), 1);
  auto* load = One<TComGameLoad>(std::move(PageCommand(39).Expr("5")), 110, "l.vsb");
  EXPECT_FALSE(load->GetRunFlag());
  EXPECT_EQ(Exec(*load), 1);
  EXPECT_EQ(game.log, (std::vector<std::string>{"save 3 'cap' resume.vsb:7", "save 0 '' r.vsb:0", "load 5"}));
}

TEST_F(GameCommandTest, PCResetFromTheMainScriptIsAJump) {
  Load("tgt.vsb", DoEvents(3));
  auto* reset = One<TComPCReset>(PCReset("tgt.vsb", 2, false), 110, "main.vsb");
  auto& done = scene.queue.Post("x.vsb");
  done.SetDone(1);
  scene.queue.Post("y.vsb");
  TPage* page = reset->Page();
  std::int32_t index = 0;
  reset->Execute(callman, page, index);
  EXPECT_EQ(page->GetName(), "tgt.vsb");
  EXPECT_EQ(index, 2);
  ASSERT_EQ(scene.queue.Count(), 1);
  EXPECT_EQ(scene.queue.Get(0).GetLabel(), "y.vsb");
}

TEST_F(GameCommandTest, PCResetFromAHandlerRewritesTheMainScriptsReturnPoint) {
  PageWriter main_page;
  main_page.Add(std::move(PageCommand(7).Expr("").Expr("").Expr("")));
  files.files["main.vsb"] = main_page.Bytes();
  files.files["tgt.vsb"] = Waits(4).Bytes();
  PageWriter handler;
  handler.Add(PCReset("tgt.vsb", 3, false));
  files.files["h.vsb"] = handler.Bytes();
  TParamCollectionItem& main_auto = Declare("mainauto", PT_INT);
  main_auto.SetFrameId(0);
  TParamCollectionItem& global = Declare("global", PT_INT);
  callman.Call("main.vsb");
  callman.Run();
  scene.queue.Post("h.vsb", scene.Add("btn").Handle());
  callman.Run();
  ASSERT_NE(callman.CurrentPage(), nullptr);
  EXPECT_EQ(callman.CurrentPage()->GetName(), "tgt.vsb");
  EXPECT_EQ(callman.Index(), 3);
  EXPECT_EQ(params.FindParam("mainauto"), nullptr);
  EXPECT_EQ(params.FindParam("global"), &global);
}

TEST_F(GameCommandTest, FullPCResetFromAHandlerFinishesTheWaitingFlip) {
  PageWriter main_page;
  PageCommand flip(13);
  flip.Expr("5").Expr("300").Expr("").Expr("").Int(0).Expr("").Expr("").Expr("").Expr("").Expr("");
  main_page.Add(std::move(flip));
  files.files["main.vsb"] = main_page.Bytes();
  files.files["tgt.vsb"] = Waits(4).Bytes();
  PageWriter handler;
  handler.Add(PCReset("tgt.vsb", 1, true));
  files.files["h.vsb"] = handler.Bytes();
  callman.Call("main.vsb");
  callman.Run();
  EXPECT_EQ(scene.log, (std::vector<std::string>{"switch 0 kind 5 forced at 0 for 300"}));
  scene.queue.Post("h.vsb", scene.Add("btn").Handle());
  scene.queue.Post("later.vsb", scene.Add("other").Handle());
  scene.log.clear();
  callman.Run();
  EXPECT_EQ(scene.log, (std::vector<std::string>{"switch 1 kind 0 forced at 0 for 0"}));
  EXPECT_EQ(callman.CurrentPage()->GetName(), "tgt.vsb");
  EXPECT_EQ(callman.Index(), 1);
  EXPECT_EQ(scene.queue.Count(), 0);
  EXPECT_TRUE(callman.Stack().Empty());
}

TEST_F(GameCommandTest, APageThatNoLongerLoadsChangesNothingAndIsRetried) {
  TParamCollectionItem& main_auto = Declare("mainauto", PT_INT);
  main_auto.SetFrameId(0);
  auto* reset = One<TComPCReset>(PCReset("missing.vsb", 0, true), 110, "main.vsb");
  EXPECT_THROW(Exec(*reset), Exception);
  EXPECT_EQ(params.FindParam("mainauto"), &main_auto);
  auto* jump = One<TComPCReset>(PCReset("missing.vsb", 0, false), 110, "main2.vsb");
  EXPECT_THROW(Exec(*jump), Exception);
  auto* restart = One<TComReset>(PCReset("missing.vsb", 0, false, 41), 110, "main3.vsb");
  scene.Add("keep");
  EXPECT_THROW(Exec(*restart), Exception);
  EXPECT_EQ(scene.objects.size(), 1u);
}

TEST_F(GameCommandTest, ResetRestartsTheWholeGame) {
  Load("start.vsb", DoEvents(3));
  scene.Add("obj");
  TParamCollectionItem& plain = Declare("plain", PT_INT);
  (void)plain;
  TParamCollectionItem& status = Declare("kept", PT_INT);
  status.SetStatusFlag(1);
  params.HistoryFormat()[0] = 12;
  auto* reset = One<TComReset>(PCReset("start.vsb", 2, true, 41), 110, "main.vsb");
  TPage* page = reset->Page();
  std::int32_t index = 0;
  reset->Execute(callman, page, index);
  EXPECT_EQ(page->GetName(), "start.vsb");
  EXPECT_EQ(index, 2);
  EXPECT_EQ(callman.CurrentPage(), page);
  EXPECT_EQ(scene.log, (std::vector<std::string>{"reset scene"}));
  EXPECT_TRUE(scene.objects.empty());
  EXPECT_EQ(params.FindParam("plain"), nullptr);
  EXPECT_EQ(params.FindParam("kept"), &status);
  EXPECT_EQ(params.HistoryFormat()[0], 0);
  EXPECT_EQ(game.log, (std::vector<std::string>{"clear tables"}));
  EXPECT_EQ(backlog.log, (std::vector<std::string>{"clear", "max 0"}));
}

class ClosingHost : public TScriptHost {
 public:
  platform::MessageAnswer ShowMessage(platform::MessageBoxRequest) override { return {}; }
  void CloseMainWindow() override { ++closes; }
  int closes = 0;
};

TEST_F(GameCommandTest, TerminateStopsAndAsksTheWindowToClose) {
  ClosingHost host;
  TScriptHost* previous = SetScriptHost(&host);
  auto* terminate = One<TComTerminate>(PageCommand(45));
  EXPECT_EQ(Exec(*terminate, 4), 4);
  EXPECT_TRUE(StopFlag);
  EXPECT_EQ(host.closes, 1);
  SetScriptHost(previous);
}

}  // namespace
}  // namespace vorn::testing
