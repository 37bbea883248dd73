// Control flow, calls and the scene-free variable commands, run as small pages of a headless
// project and checked by the lines reached and the variables left behind.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/call_man.h"
#include "engine/commands/flow_commands.h"
#include "engine/engine_values.h"
#include "engine/script_page.h"
#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"
#include "support/engine_fixture.h"

namespace vorn {
namespace {

namespace flow = fixture::flow;
using fixture::PageCommand;
using fixture::PageWriter;
using fixture::ProjectGlobal;
using fixture::ProjectWriter;

PageWriter Page(std::vector<PageCommand> commands, std::uint8_t result_type = 1) {
  PageWriter page(110, result_type);
  for (auto& command : commands) page.Add(std::move(command));
  return page;
}

ProjectWriter TestProject() {
  ProjectWriter project(110);
  for (const char* name : {"hit", "after", "count", "sum", "i", "r", "x", "y", "z", "n", "w"}) {
    project.globals.push_back(ProjectGlobal::Int(name, 0));
  }
  project.globals.push_back(ProjectGlobal::Str("a1", ""));
  project.globals.push_back(ProjectGlobal::Str("a2", ""));
  return project;
}

struct FlowCase {
  std::string name;
  std::map<std::string, PageWriter> pages;  // "start.vsb" runs first
  std::vector<int> lines;                   // lines reached, in order
  std::map<std::string, std::int32_t> ints;
  std::map<std::string, std::string> strs = {};
};

// One line number per command: the line of command k is 10 * (page number) + k.
std::vector<FlowCase> Cases() {
  std::vector<FlowCase> cases;
  cases.push_back({"IfFalseWithoutBranchesContinuesAtTheIfsLevel",
                   {{"start.vsb", Page({flow::If("0", 0, 1), flow::Calc("hit = 1", 1, 2), flow::Calc("hit = 2", 2, 3),
                                        flow::Calc("after = 1", 0, 4)})}},
                   {1, 4},
                   {{"hit", 0}, {"after", 1}}});
  cases.push_back({"ChainInsideABlockEndsAtALowerLevel",
                   {{"start.vsb", Page({flow::If("1", 0, 1), flow::If("0", 1, 2), flow::Calc("hit = 1", 2, 3),
                                        flow::Calc("after = 1", 0, 4), flow::Else(1, 5), flow::Calc("hit = 2", 2, 6)})}},
                   {1, 2, 4, 5},
                   {{"hit", 0}, {"after", 1}}});
  cases.push_back({"IfFalseElseifFalseRunsTheElse",
                   {{"start.vsb", Page({flow::If("0", 0, 1), flow::Calc("hit = 1", 1, 2), flow::Elseif("0", 0, 3),
                                        flow::Calc("hit = 2", 1, 4), flow::Else(0, 5), flow::Calc("hit = 3", 1, 6),
                                        flow::Calc("after = 1", 0, 7)})}},
                   {1, 6, 7},
                   {{"hit", 3}, {"after", 1}}});
  cases.push_back({"ElseifTakenWhenTrue",
                   {{"start.vsb", Page({flow::If("0", 0, 1), flow::Calc("hit = 1", 1, 2), flow::Elseif("1", 0, 3),
                                        flow::Calc("hit = 2", 1, 4), flow::Else(0, 5), flow::Calc("hit = 3", 1, 6),
                                        flow::Calc("after = 1", 0, 7)})}},
                   {1, 4, 5, 7},
                   {{"hit", 2}, {"after", 1}}});
  // The Elseif's condition counts its evaluations; it must never run.
  cases.push_back({"IfTrueBlockEndsAndTheRestOfTheChainIsPassedOver",
                   {{"start.vsb", Page({flow::If("1", 0, 1), flow::Calc("hit = 1", 1, 2),
                                        flow::Elseif("count = count + 1", 0, 3), flow::Calc("hit = 2", 1, 4),
                                        flow::Else(0, 5), flow::Calc("hit = 3", 1, 6), flow::Calc("after = 1", 0, 7)})}},
                   {1, 2, 3, 5, 7},
                   {{"hit", 1}, {"count", 0}, {"after", 1}}});
  cases.push_back({"CommentAtTheIfsLevelEndsTheChain",
                   {{"start.vsb", Page({flow::If("0", 0, 1), flow::Calc("hit = 1", 1, 2), flow::Comment("c", 0, 3),
                                        flow::Else(0, 4), flow::Calc("hit = 2", 1, 5), flow::Calc("after = 1", 0, 6)})}},
                   {1, 3, 4, 6},
                   {{"hit", 0}, {"after", 1}}});
  cases.push_back({"WhileSumsOneToTen",
                   {{"start.vsb", Page({flow::WhileInit("i = 1", 0, 1), flow::While("i <= 10", 4, 0, 2),
                                        flow::Calc("sum = sum + i", 1, 3), flow::WhileLoop("i = i + 1", 1, 0, 4),
                                        flow::Calc("after = 1", 0, 5)})}},
                   {},
                   {{"sum", 55}, {"i", 11}, {"after", 1}}});
  cases.push_back({"ContinueAndBreakInsideTheLoop",
                   {{"start.vsb", Page({flow::WhileInit("i = 0", 0, 1), flow::While("i < 10", 7, 0, 2),
                                        flow::Calc("i = i + 1", 1, 3), flow::Break("i == 7", 7, 1, 4),
                                        flow::Continue("i % 2 == 0", 6, 1, 5), flow::Calc("sum = sum + i", 1, 6),
                                        flow::WhileLoop("", 1, 0, 7), flow::Calc("after = 1", 0, 8)})}},
                   {},
                   {{"sum", 9}, {"i", 7}, {"after", 1}}});
  cases.push_back({"BreakToMinusOneEndsThePage",
                   {{"start.vsb", Page({flow::Break("1", -1, 0, 1), flow::Calc("hit = 1", 0, 2)})}},
                   {1},
                   {{"hit", 0}}});
  cases.push_back({"StoredTargetsPastTheEndFinishThePage",
                   {{"start.vsb", Page({flow::Continue("1", 1000, 0, 1), flow::Calc("hit = 1", 0, 2)})}},
                   {1},
                   {{"hit", 0}}});
  cases.push_back({"ExitWithFalseConditionGoesOn",
                   {{"start.vsb", Page({flow::Exit("0", 0, 1), flow::Calc("hit = 1", 0, 2), flow::Exit("1", 0, 3),
                                        flow::Calc("hit = 2", 0, 4)})}},
                   {1, 2, 3},
                   {{"hit", 1}}});
  cases.push_back({"CallStartsAtTheStoredIndex",
                   {{"start.vsb", Page({flow::Call("sub.vsb", 1, "", {}, "1", 0, 1), flow::Calc("after = 1", 0, 2)})},
                    {"sub.vsb", Page({flow::Calc("hit = 1", 0, 11), flow::Calc("w = 1", 0, 12)})}},
                   {1, 12, 2},
                   {{"hit", 0}, {"w", 1}, {"after", 1}}});
  cases.push_back({"ExitInACalledPageReturnsToTheCaller",
                   {{"start.vsb", Page({flow::Call("sub.vsb", 0, "", {}, "1", 0, 1), flow::Calc("after = 1", 0, 2)})},
                    {"sub.vsb", Page({flow::Exit("1", 0, 11), flow::Calc("hit = 1", 0, 12)})}},
                   {1, 11, 2},
                   {{"hit", 0}, {"after", 1}}});
  cases.push_back({"LocalOfTheCalledPageHidesTheGlobalOnlyThere",
                   {{"start.vsb", Page({flow::Calc("x = 7", 0, 1), flow::Call("sub.vsb", 0, "", {}, "1", 0, 2),
                                        flow::Calc("z = x", 0, 3)})},
                    {"sub.vsb", Page({flow::VarNew("x", 1, "5", 2, 0, 11), flow::Calc("y = x", 0, 12)})}},
                   {1, 2, 11, 12, 3},
                   {{"y", 5}, {"z", 7}, {"x", 7}}});
  cases.push_back({"JumpContinuesAtTheStoredIndexOfTheOtherPage",
                   {{"start.vsb", Page({flow::Jump("other.vsb", 1, "1", 0, 1), flow::Calc("hit = 1", 0, 2)})},
                    {"other.vsb", Page({flow::Calc("w = 1", 0, 11), flow::Calc("after = 1", 0, 12)})}},
                   {1, 12},
                   {{"hit", 0}, {"w", 0}, {"after", 1}}});
  cases.push_back({"JumpToAMissingPageGoesOn",
                   {{"start.vsb", Page({flow::Jump("nowhere.vsb", 0, "1", 0, 1), flow::Calc("hit = 1", 0, 2)})}},
                   {1, 2},
                   {{"hit", 1}}});
  cases.push_back({"JumpWithFalseConditionGoesOn",
                   {{"start.vsb", Page({flow::Jump("other.vsb", 0, "0", 0, 1), flow::Calc("hit = 1", 0, 2)})},
                    {"other.vsb", Page({flow::Calc("w = 1", 0, 11)})}},
                   {1, 2},
                   {{"hit", 1}, {"w", 0}}});
  // Stored skip flag 0: a comment is still never entered.
  cases.push_back({"CommentIsNeverEntered",
                   {{"start.vsb", Page({flow::Comment("note", 0, 1).Header(0, 0, 1, 1), flow::Calc("hit = 1", 0, 2)})}},
                   {1, 2},
                   {{"hit", 1}}});
  return cases;
}


// Cases that read the interpreter through the system variables "@ParamCount", "@ParamStr" and
// "@Result".
std::vector<FlowCase> SystemVariableCases() {
  std::vector<FlowCase> cases;
  // Arguments: the second has no value, so the third moves up.
  cases.push_back({"CallPassesTheArgumentsThatHaveValues",
                   {{"start.vsb", Page({flow::Call("sub.vsb", 0, "", {"\"one\"", "", "\"three\""}, "1", 0, 1),
                                        flow::Calc("after = 1", 0, 2)})},
                    {"sub.vsb", Page({flow::Calc("n = @ParamCount", 0, 11), flow::Calc("a1 = @ParamStr[0]", 0, 12),
                                      flow::Calc("a2 = @ParamStr[1]", 0, 13)})}},
                   {1, 11, 12, 13, 2},
                   {{"n", 2}, {"after", 1}},
                   {{"a1", "one"}, {"a2", "three"}}});
  cases.push_back({"CallReturnsTheResultIntoTheReturnVariable",
                   {{"start.vsb", Page({flow::Call("sub.vsb", 0, "r", {}, "1", 0, 1), flow::Calc("after = r", 0, 2)})},
                    {"sub.vsb", Page({flow::Calc("@Result = 42", 0, 11), flow::Calc("hit = 1", 0, 12)}, 1)}},
                   {1, 11, 12, 2},
                   {{"r", 42}, {"after", 42}, {"hit", 1}}});
  return cases;
}

void RunCases(std::vector<FlowCase> cases) {
  for (FlowCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::EngineFixture engine(c.name);
    engine.AddProject(TestProject());
    for (auto& [name, page] : c.pages) engine.AddPage(name, page);
    engine.Start();
    ASSERT_FALSE(StopFlag);
    engine.RunFrames(20);
    if (!c.lines.empty()) {
      EXPECT_EQ(engine.Lines(), c.lines);
    }
    for (const auto& [name, value] : c.ints) EXPECT_EQ(engine.Int(name), value) << name;
    for (const auto& [name, value] : c.strs) EXPECT_EQ(engine.Str(name), value) << name;
    EXPECT_EQ(engine.project()->Interpreter()->Stack().Count(), 0);
    EXPECT_TRUE(engine.host.boxes.shown().empty());
  }
}

TEST(FlowCommands, PagesRunAsTheirStructureSays) { RunCases(Cases()); }

TEST(FlowCommands, CallsSeeArgumentsAndResultThroughSystemVariables) { RunCases(SystemVariableCases()); }

// Runs one page of the test project; the fixture stays for inspection.
struct OnePage {
  explicit OnePage(const std::string& name, std::vector<PageCommand> commands,
                   std::map<std::string, PageWriter> more = {})
      : engine(name) {
    engine.AddProject(TestProject());
    engine.AddPage("start.vsb", Page(std::move(commands)));
    for (auto& [page_name, page] : more) engine.AddPage(page_name, page);
    engine.Start();
  }
  testing::EngineFixture engine;
};

TEST(FlowCommands, FlagOverridesOfTheClassTree) {
  PageWriter writer(110);
  // Stored run flags 0 and skip flags 0 everywhere; the classes decide.
  for (std::uint8_t code : {0, 1, 2, 27, 32, 33}) {
    PageCommand command(code);
    command.Header(0, 0, 0, 1);
    if (code == 27) {
      command.Str("c");
    } else if (code != 2) {
      command.Expr("");
      if (code == 33) command.Int(0);
    }
    writer.Add(std::move(command));
  }
  TPage page;
  page.LoadFromBytes("flags.vsb", writer.Bytes());
  ASSERT_EQ(page.Count(), 6);
  EXPECT_EQ(page.GetCommand(0)->GetCode(), 0);
  EXPECT_FALSE(page.GetCommand(0)->GetRunFlag());
  EXPECT_EQ(page.GetCommand(1)->GetCode(), 1);
  EXPECT_NE(dynamic_cast<TComElseif*>(page.GetCommand(1)), nullptr);
  EXPECT_NE(dynamic_cast<TComIf*>(page.GetCommand(1)), nullptr);
  EXPECT_TRUE(page.GetCommand(2)->GetRunFlag());   // Else
  EXPECT_FALSE(page.GetCommand(3)->GetRunFlag());  // Comment
  EXPECT_TRUE(page.GetCommand(3)->GetSkip());
  EXPECT_TRUE(page.GetCommand(4)->GetRunFlag());  // WhileInit
  EXPECT_TRUE(page.GetCommand(5)->GetRunFlag());  // WhileLoop
  EXPECT_NE(dynamic_cast<TComRuntime*>(page.GetCommand(5)), nullptr);
  EXPECT_NE(dynamic_cast<TComWhileInit*>(page.GetCommand(5)), nullptr);
}

TEST(FlowCommands, FalseRunFlagEndsTheFramesStep) {
  OnePage run("runflag", {flow::Calc("hit = hit + 1", 0, 1), flow::Calc("hit = hit + 1", 0, 2).Header(0, 0, 0, 2),
                          flow::Calc("hit = hit + 1", 0, 3), flow::Comment("c", 0, 4), flow::Calc("hit = hit + 1", 0, 5)});
  run.engine.RunFrames(1);
  EXPECT_EQ(run.engine.Int("hit"), 2);
  // A comment's false run flag never ends a frame: it is never executed.
  run.engine.RunFrames(1);
  EXPECT_EQ(run.engine.Int("hit"), 4);
}

TEST(FlowCommands, CallOfAPageThatCannotLoadLeavesNoFrame) {
  PageWriter bad(110);
  bad.Add(PageCommand(61));
  OnePage run("badcall", {flow::Call("bad.vsb", 0, "r", {"1"}, "1", 0, 1), flow::Calc("after = after + 1", 0, 2)},
              {{"bad.vsb", bad}});
  run.engine.RunFrames(5);
  TCallMan& callman = *run.engine.project()->Interpreter();
  EXPECT_EQ(callman.Stack().Count(), 0);
  EXPECT_EQ(callman.Index(), 0);  // the Call stays current and is tried again
  EXPECT_EQ(callman.ArgCount(), 0);
  EXPECT_EQ(run.engine.Int("after"), 0);
}

TEST(FlowCommands, CallFrameHoldsTheCallersContext) {
  PageWriter sub(110, 2);
  sub.Add(flow::Calc("hit = 1", 0, 11).Header(0, 0, 0, 11));  // ends the frame inside the called page
  sub.Add(flow::Calc("hit = 2", 0, 12));
  OnePage run("frame", {flow::Calc("w = 1", 0, 1), flow::Call("sub.vsb", 0, "r", {"\"a\"", "5"}, "1", 0, 2),
                        flow::Calc("after = 1", 0, 3)},
              {{"sub.vsb", sub}});
  run.engine.RunFrames(1);
  TCallMan& callman = *run.engine.project()->Interpreter();
  ASSERT_EQ(callman.Stack().Count(), 1);
  const TStack& frame = callman.Stack().Top();
  EXPECT_EQ(frame.page_name, "start.vsb");
  EXPECT_EQ(frame.index, 2);
  EXPECT_EQ(frame.return_name, "r");
  EXPECT_TRUE(frame.run_flag);
  EXPECT_EQ(frame.arguments.Count(), 0);
  ASSERT_NE(frame.return_value, nullptr);
  EXPECT_EQ(frame.return_value->ParamType(), PT_FLOAT);
  EXPECT_EQ(callman.ArgCount(), 2);
  EXPECT_EQ(callman.GetArg(0), "a");
  EXPECT_EQ(callman.GetArg(1), "5");
  run.engine.RunFrames(1);
  EXPECT_EQ(callman.Stack().Count(), 0);
  EXPECT_EQ(run.engine.Int("after"), 1);
}

TEST(FlowCommands, VarNewDeclaresByScope) {
  OnePage run("varnew",
              {flow::VarNew("g", 1, "3", 0, 0, 1), flow::VarNew("g", 1, "4", 0, 0, 2), flow::VarNew("g", 1, "", 0, 0, 3),
               flow::VarNew("st", 4, "\"first\"", 3, 0, 4), flow::VarNew("st", 4, "\"second\"", 3, 0, 5),
               flow::VarNew("f", 2, "7.0 / 2", 0, 0, 6), flow::VarNew("conv", 1, "\"12\"", 0, 0, 7),
               flow::VarNew("auto", 3, "1", 1, 0, 8), flow::VarDel("g", 0, 9), flow::VarDel("@Result", 0, 10),
               flow::VarDel("", 0, 11), flow::VarDel("nothing", 0, 12)});
  TParamCollection& params = run.engine.params();
  const int before = params.Count();
  run.engine.RunFrames(1);
  EXPECT_EQ(run.engine.Lines().size(), 12u);
  EXPECT_FALSE(run.engine.Has("g"));
  EXPECT_EQ(run.engine.Str("st"), "first");
  EXPECT_TRUE(params.FindParam("st")->IsStatus());
  EXPECT_EQ(params.FindParam("f")->GetAsFloat(), 3.5L);
  EXPECT_EQ(params.FindParam("conv")->ParamType(), PT_INT);
  EXPECT_EQ(run.engine.Int("conv"), 12);
  EXPECT_EQ(params.FindParam("auto")->FrameId(), 0);
  EXPECT_FALSE(params.FindParam("auto")->IsLocal());
  ASSERT_NE(params.FindParam("@Result"), nullptr);
  EXPECT_TRUE(params.FindParam("@Result")->IsSystem());
  EXPECT_EQ(params.Count(), before + 4);  // st, f, conv, auto
}

TEST(FlowCommands, VarNewKeepsOrReassigns) {
  OnePage run("reassign", {flow::VarNew("g", 1, "3", 0, 0, 1), flow::VarNew("g", 1, "", 0, 0, 2),
                           flow::Calc("x = g", 0, 3), flow::VarNew("g", 1, "9", 0, 0, 4)});
  run.engine.RunFrames(1);
  EXPECT_EQ(run.engine.Int("x"), 3);
  EXPECT_EQ(run.engine.Int("g"), 9);
}

TEST(FlowCommands, VarNewWithoutNameRaisesAndIsRetried) {
  OnePage run("noname", {flow::VarNew("", 1, "hit = hit + 1", 0, 0, 1), flow::Calc("after = 1", 0, 2)});
  run.engine.RunFrames(3);
  EXPECT_EQ(run.engine.Int("after"), 0);
  EXPECT_EQ(run.engine.project()->Interpreter()->Index(), 0);
  EXPECT_EQ(run.engine.Int("hit"), 0);  // the initial value is never evaluated
}

TEST(FlowCommands, AutoFreeAndLocalVariablesEndWithTheirCall) {
  OnePage run("scopes",
              {flow::Call("sub.vsb", 0, "", {}, "1", 0, 1), flow::Calc("after = 1", 0, 2)},
              {{"sub.vsb", Page({flow::VarNew("auto", 1, "1", 1, 0, 11), flow::VarNew("loc", 1, "2", 2, 0, 12),
                                 flow::Calc("w = auto + loc", 0, 13)})}});
  run.engine.RunFrames(2);
  EXPECT_EQ(run.engine.Int("w"), 3);
  EXPECT_EQ(run.engine.Int("after"), 1);
  EXPECT_FALSE(run.engine.Has("auto"));
  EXPECT_FALSE(run.engine.Has("loc"));
}

TEST(FlowCommands, EventLabelsMatchCaseSensitively) {
  PageWriter writer(110);
  writer.Add(flow::Calc("hit = 1", 0, 1)).Add(flow::Label("start", 0, 2));
  TPage page;
  page.LoadFromBytes("labels.vsb", writer.Bytes());
  EXPECT_EQ(page.IndexOfLabel("Start"), -1);
  EXPECT_EQ(page.IndexOfLabel("start"), 1);
}

}  // namespace
}  // namespace vorn
