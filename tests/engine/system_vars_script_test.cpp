// The system variables and the array functions as scripts reach them: compiled expression text run
// by the evaluator against the variable set, with the dispatcher installed.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "engine/build_vorn_parser.h"
#include "engine/call_man.h"
#include "engine/param_collection.h"
#include "engine/sys_func_man.h"
#include "engine/vorn_parser.h"
#include "plain_engine_seams.h"

namespace vorn {
namespace {

class ScriptAccessTest : public ::testing::Test {
 protected:
  // Runs the text; the value of an expression that assigns nothing, as text ("(none)" without one).
  std::string Run(std::string_view text) {
    TBuildVornParser builder;
    builder.Compile(text);
    TMemoryStream stream;
    builder.SaveToStream(stream);
    stream.Seek(0, SeekOrigin::kBegin);
    TVornParser parser;
    parser.LoadFromStream(stream);
    parser.Execute();
    last_error = parser.LastError();
    return parser.Result() != nullptr ? parser.Result()->GetAsString() : "(none)";
  }

  TParamCollection params;
  TCallMan call_man;
  TSysFuncMan sysfunc;
  testing::TPlainSceneState scene_state;
  testing::TInstalledScreen window;
  std::string last_error;
};

TEST_F(ScriptAccessTest, ElementsAndAssignmentsReachTheEngine) {
  scene_state.key_down[27] = true;
  scene_state.wheel_up = true;
  call_man.Arguments().Add("zero");
  call_man.Arguments().Add("one");
  EXPECT_EQ(Run("@KeyPush[27]"), "TRUE");
  EXPECT_EQ(Run("@KeyPush[26]"), "FALSE");
  EXPECT_EQ(Run("@KeyPush[257]"), "TRUE");
  EXPECT_EQ(Run("@ParamStr[1]"), "one");
  EXPECT_EQ(Run("@ParamCount + 1"), "3");
  EXPECT_EQ(Run("@Pi * 2 > 6"), "TRUE");
  Run("@MouseX = 10");
  EXPECT_EQ(window.screen.cursor_x, 10);
  Run("@ScrWidth = 5");
  EXPECT_EQ(Run("@ScrWidth"), "0");
  Run("@TextDelay = \"33\"");
  EXPECT_EQ(Run("@TextDelay"), "33");
}

TEST_F(ScriptAccessTest, ArrayFunctionsThroughExpressions) {
  params.AddParam(PT_INT).SetName("a");
  params.AddParam(PT_STR).SetName("v");
  Run("SetArray(a, 3, 5)");
  EXPECT_EQ(Run("GetArraySize(a)"), "15");
  EXPECT_EQ(Run("GetArraySize(a, 0)"), "5");
  Run("StringToArray(\"x;y,z\", v, \",;\")");
  EXPECT_EQ(Run("ArrayToString(v, \"|\")"), "x|y|z");
  EXPECT_EQ(Run("v[2]"), "z");
  EXPECT_EQ(Run("AssignTemp(\"v\")"), "TRUE");
  EXPECT_EQ(Run("@Temp[1]"), "y");
  EXPECT_EQ(Run("GetVarType(@Temp)"), "4");
  EXPECT_EQ(Run("GetArraySize(@Temp)"), "3");
  Run("@Temp = \"w\"");
  // A scalar write drops the shape, as for any variable.
  EXPECT_EQ(Run("ArrayToString(v, \",\")"), "w");
}

}  // namespace
}  // namespace vorn
