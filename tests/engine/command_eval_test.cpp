// The shared evaluation conventions of command expressions.

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "engine/build_vorn_parser.h"
#include "engine/command_eval.h"
#include "engine/param_collection.h"
#include "engine/vorn_parser.h"
#include "fixture/oplist_writer.h"

namespace vorn {
namespace {

std::unique_ptr<TVornParser> Compile(std::string_view text) {
  TBuildVornParser compiler;
  compiler.Compile(text);
  TMemoryStream stream;
  compiler.SaveToStream(stream);
  stream.SetPosition(0);
  auto parser = std::make_unique<TVornParser>();
  parser->LoadFromStream(stream);
  return parser;
}

struct Variables {
  Variables() {
    auto& n = params.AddParam(PT_INT);
    n.SetName("n");
    auto& s = params.AddParam(PT_STR);
    s.SetName("s");
  }
  TParamCollection params;
};

TEST(CommandEval, ValuesOrDefaults) {
  Variables vars;
  vars.params.FindParam("s")->SetAsString("7");
  const auto none = Compile("");
  const auto missing = Compile("nothing + 1");
  const auto seven = Compile("s");
  const auto zero = Compile("0");
  EXPECT_FALSE(YieldsTrue(none.get()));
  EXPECT_FALSE(YieldsTrue(missing.get()));
  EXPECT_FALSE(YieldsTrue(zero.get()));
  EXPECT_FALSE(YieldsTrue(nullptr));
  EXPECT_EQ(IntOr(none.get(), -4), -4);
  EXPECT_EQ(IntOr(seven.get(), -4), 7);
  EXPECT_EQ(FloatOr(missing.get(), 1.5L), 1.5L);
  EXPECT_TRUE(BoolOr(none.get(), true));
  EXPECT_FALSE(BoolOr(zero.get(), true));
  EXPECT_EQ(StrOr(none.get()), "");
  EXPECT_EQ(StrOr(missing.get(), "d"), "d");
  EXPECT_EQ(StrOr(seven.get()), "7");
}

// A name expression runs twice when its first text is not empty: a counting expression shows it.
TEST(CommandEval, NameExpressionIsEvaluatedTwice) {
  Variables vars;
  TParamCollectionItem& n = *vars.params.FindParam("n");
  // n = n + 1, then the value of n.
  const std::vector<std::uint8_t> bytes = fixture::WriteOperationList(
      {fixture::OpRecord{ocPlus, "n", {fixture::OpOperand::Var("n"), fixture::OpOperand::Int(1)}},
       fixture::OpRecord{ocTo, std::string(kArgTempName), {fixture::OpOperand::Var("n")}}});
  TMemoryStream stream(bytes);
  TVornParser counting;
  counting.LoadFromStream(stream);
  EXPECT_EQ(ReadName(&counting), "2");
  EXPECT_EQ(n.GetAsInt(), 2);

  // An empty first text is not read again.
  vars.params.FindParam("s")->SetAsString("");
  const auto empty = Compile("s");
  EXPECT_EQ(ReadName(empty.get()), "");
}

}  // namespace
}  // namespace vorn
