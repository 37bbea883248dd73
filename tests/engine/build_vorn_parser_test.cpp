#include "engine/build_vorn_parser.h"

#include <gtest/gtest.h>

#include "engine/param_collection.h"
#include "engine/script_error.h"
#include "engine/vorn_parser.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "foundation/vocabulary.h"

namespace {

using namespace vorn;

std::string Listing(const TBuildVornParser& compiler) {
  std::string text;
  for (const auto& operation : compiler.Operations()) {
    if (!text.empty()) text += "; ";
    text += std::string(vocabulary::kOperationNames[operation->op]) + " " + operation->target + " :=";
    for (std::size_t i = 0; i < operation->operands.size(); ++i) text += (i == 0 ? " " : ", ") + operation->operands[i];
  }
  return text;
}

std::string Compiled(std::string_view text) {
  TBuildVornParser compiler;
  try {
    compiler.Compile(text);
  } catch (const EScriptError& e) {
    return std::string("error: ") + e.what();
  }
  return Listing(compiler);
}

std::string Error(std::string_view message) { return "error: " + std::string(message); }

TEST(BuildVornParser, CompilesToTheExpectedListing) {
  struct Case {
    std::string_view text;
    std::string listing;
  };
  const Case cases[] = {
      {"1 + 2 * 3", "ocMul ____0 := 2, 3; ocPlus ____1 := 1, ____0; ocTo ____arg := ____1"},
      {"a = (b + c) * 2", "ocPlus ____1 := b, c; ocMul ____2 := ____1, 2; ocTo a := ____2"},
      {"a == 1 & b == 2",
       "ocEqual ____0 := a, 1; ocEqual ____1 := b, 2; ocAnd ____2 := ____0, ____1; ocTo ____arg := ____2"},
      {"s ++ 1 == 1", "ocEqual ____0 := 1, 1; ocComboStr ____1 := s, ____0; ocTo ____arg := ____1"},
      {"x * -y", "ocMinus ____0 := 0, y; ocMul ____1 := x, ____0; ocTo ____arg := ____1"},
      {"x = +y", "ocTo x := y"},
      {"-x", "ocMinus ____0 := 0, x; ocTo ____arg := ____0"},
      {"10 - 3 - 2", "ocMinus ____0 := 10, 3; ocMinus ____1 := ____0, 2; ocTo ____arg := ____1"},
      {"a << 2 + 1 | b", "ocPlus ____0 := 2, 1; ocShiftL ____1 := a, ____0; ocOr ____2 := ____1, b; ocTo ____arg := ____2"},
      {"a <> b ^ c >= d",
       "ocNEqual ____0 := a, b; ocEBig ____1 := c, d; ocXor ____2 := ____0, ____1; ocTo ____arg := ____2"},
      {"a[1, 2] = 5", "ocDimTo ____d_0 := a, 1, 2; ocTo ____d_0 := 5"},
      {"m[i, j] = m[i, j] + 1",
       "ocDimTo ____d_0 := m, i, j; ocDimTo ____d_1 := m, i, j; ocPlus ____2 := ____d_0, 1; ocTo ____d_1 := ____2"},
      {"a[b[1]]", "ocDimTo ____d_0 := b, 1; ocDimTo ____d_1 := a, ____d_0; ocTo ____arg := ____d_1"},
      {"a[i + 1]", "ocPlus ____2 := i, 1; ocDimTo ____d_0 := a, ____2; ocTo ____arg := ____d_0"},
      {"", "ocTo ____arg := "},
      {"   ", "ocTo ____arg := "},
      {"a b", "ocTo ____arg := a b"},
      {"IntToStr(((a)+(b)))",
       "ocTo ____2 := b; ocTo ____3 := a; ocPlus ____4 := ____3, ____2; ocFunc ____0 := IntToStr, ____4; "
       "ocTo ____arg := ____0"},
      // Calls go from the rightmost opening parenthesis leftwards; inner before outer.
      {"Abs(1) + Min(Abs(2), 3)",
       "ocFunc ____0 := Abs, 2; ocFunc ____1 := Min, ____0, 3; ocFunc ____2 := Abs, 1; ocPlus ____3 := ____2, ____1; "
       "ocTo ____arg := ____3"},
      {"DBInsert()", "ocFunc ____0 := DBInsert; ocTo ____arg := ____0"},
      {"Copy(s, , 2)", "ocFunc ____0 := Copy, s, , 2; ocTo ____arg := ____0"},
      // An argument with brackets is an expression of its own; element copies are never eliminated.
      {"Max (a[1, 2], 3)",
       "ocDimTo ____d_2 := a, 1, 2; ocTo ____1 := ____d_2; ocFunc ____0 := Max, ____1, 3; ocTo ____arg := ____0"},
      {"x = \"a b\"", "ocTo ____0 := \"a b\"; ocTo x := ____0"},
      // Escapes: \" keeps the quote, \\ one backslash, \n CR LF, anything else keeps its backslash.
      {"\"a\\\"b\" ++ \"c\\\\d\" ++ \"e\\nf\" ++ \"\\t\"",
       "ocTo ____0 := \"a\"b\"; ocTo ____1 := \"c\\d\"; ocTo ____2 := \"e\r\nf\"; ocTo ____3 := \"\\t\"; "
       "ocComboStr ____4 := ____0, ____1; ocComboStr ____5 := ____4, ____2; ocComboStr ____6 := ____5, ____3; "
       "ocTo ____arg := ____6"},
      {"\"open", "ocTo ____arg := \"open"},
      // Shift-JIS: trail bytes equal to [ | \ or a letter are never syntax.
      {"\x83\x70\x83\x8f\x81\x5b = 1", "ocTo \x83\x70\x83\x8f\x81\x5b := 1"},                       // パワー
      {"\x83\x7c\x83\x43\x83\x93\x83\x67 + 1", "ocPlus ____0 := \x83\x7c\x83\x43\x83\x93\x83\x67, 1; ocTo ____arg := ____0"},  // ポイント
      {"\x95\x5c\x8e\xa6 = 2", "ocTo \x95\x5c\x8e\xa6 := 2"},                                       // 表示
      {"s = \"\x95\x5c\"", "ocTo ____0 := \"\x95\x5c\"; ocTo s := ____0"},                         // "表"
      {"\x83\x70\x83\x8f\x81\x5b[1]", "ocDimTo ____d_0 := \x83\x70\x83\x8f\x81\x5b, 1; ocTo ____arg := ____d_0"},
      {"\x83\x41(1)", "ocTo ____0 := 1; ocTo ____arg := \x83\x41____0"},                           // ア( is no call
  };
  for (const auto& c : cases) EXPECT_EQ(Compiled(c.text), c.listing) << c.text;
}

TEST(BuildVornParser, SyntaxErrors) {
  const std::string syntax = Error(texts::kSyntaxError);
  struct Case {
    std::string_view text;
    std::string error;
  };
  const Case cases[] = {
      {"a = b = c", syntax},
      {"(", syntax},
      {")", syntax},
      {"(a))(", syntax},
      {"a[", syntax},
      {"a]", syntax},
      {"Max(a[1, 2)", syntax},
      {"1 +", syntax},
      {"a =", syntax},
      {"= 1", syntax},
      {"* 2", syntax},
      {"1 + * 2", syntax},
      {"a + [1]", syntax},
      {"1 2 + 3 4 5", "ocPlus ____0 := 1 2, 3 4 5; ocTo ____arg := ____0"},  // spaces do not separate
      {"a[]", Error(texts::kArraySubscriptInvalid)},
  };
  for (const auto& c : cases) EXPECT_EQ(Compiled(c.text), c.error) << c.text;
}

TEST(BuildVornParser, DeepNestingEndsInASyntaxError) {
  const auto error = Error(texts::kSyntaxError);
  const std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
  EXPECT_EQ(Compiled(deep), error);
  std::string calls;
  for (int i = 0; i < 3000; ++i) calls += "Abs(";
  calls += "1" + std::string(3000, ')');
  EXPECT_EQ(Compiled(calls), error);
  const std::string brackets = "a" + std::string(3000, '[') + "1" + std::string(3000, ']');
  EXPECT_EQ(Compiled(brackets), error);
  const std::string fine = std::string(50, '(') + "1" + std::string(50, ')');
  EXPECT_EQ(Compiled(fine).substr(0, 5), "ocTo ");
}

std::vector<std::uint8_t> Output(std::string_view text) {
  TBuildVornParser compiler;
  compiler.Compile(text);
  TMemoryStream stream;
  compiler.SaveToStream(stream);
  return stream.Bytes();
}

std::string OutputError(std::string_view text) {
  try {
    Output(text);
  } catch (const EScriptError& e) {
    return e.what();
  }
  return "(none)";
}

TEST(BuildVornParser, OutputChecksFunctionsAndArgumentCounts) {
  EXPECT_EQ(OutputError("Foo(1)"), FormatText(texts::kFunctionMissingFormat, "Foo"));
  EXPECT_EQ(OutputError("inttostr(1)"), FormatText(texts::kFunctionMissingFormat, "inttostr"));
  EXPECT_EQ(OutputError("IntToStr()"), "IntToStr" + std::string(texts::kArgumentCountInvalidSuffix));
  EXPECT_EQ(OutputError("IntToStr(1, 2, 3)"), "IntToStr" + std::string(texts::kArgumentCountInvalidSuffix));
  EXPECT_EQ(OutputError("SetArray(a)"), "SetArray" + std::string(texts::kArgumentCountInvalidSuffix));
  EXPECT_EQ(OutputError("SetArray(a, 1, 2, 3, 4, 5, 6, 7, 8)"), "(none)");
  EXPECT_EQ(OutputError("DBInsert()"), "(none)");
  EXPECT_EQ(OutputError("DBDirectGetInt(1, 2, 3, 4, 5, 6)"),
            "DBDirectGetInt" + std::string(texts::kArgumentCountInvalidSuffix));
  // "%s 引数の数が不正です" with the catalogue's name: bytes for IntToStr spelled out.
  EXPECT_EQ(OutputError("IntToStr()"),
            "IntToStr\x20\x88\xf8\x90\x94\x82\xcc\x90\x94\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7");
}

TEST(BuildVornParser, OutputClassifiesOperandsInOrder) {
  // x = Calc(7, 2.5, TRUE, "q", 3000000000, y, "")
  const auto bytes = Output("x = IntToStr(7, 2.5) ++ \"q\" ++ 3000000000 ++ TRUE ++ y");
  TMemoryStream stream(bytes);
  TVornParser parser;
  parser.LoadFromStream(stream);
  std::vector<std::uint8_t> types;
  for (const auto& operation : parser.Operations()) {
    for (const auto& operand : operation->operands) {
      types.push_back(dynamic_cast<TParamVar*>(operand.get()) ? 0 : operand->ParamType());
    }
  }
  // ocTo ____0 := "q"; ocFunc ____1 := 7, 2.5; combos over ____1, ____0, 3000000000, TRUE, y; ocTo x
  EXPECT_EQ(types, (std::vector<std::uint8_t>{4, 1, 2, 0, 0, 0, 2, 0, 3, 0, 0, 0}));
  EXPECT_EQ(parser.Operations()[1]->func_index, 0);
  EXPECT_EQ(parser.Operations()[1]->operands.size(), 2u);
  EXPECT_EQ(parser.Operations()[3]->operands[1]->GetAsFloat(), 3000000000.0L);
}

TEST(BuildVornParser, CompiledTextRuns) {
  TParamCollection params;
  auto declare = [&](std::string_view name, std::uint8_t type) -> TParamCollectionItem& {
    auto& item = params.AddParam(type);
    item.SetName(name);
    return item;
  };
  declare("a", PT_INT);
  declare("b", PT_INT).SetAsInt(1);
  declare("c", PT_INT).SetAsInt(2);
  declare("s", PT_STR).SetAsString("x");
  auto& m = declare("m", PT_INT);
  const std::int32_t dims[] = {2, 3};
  m.SetDims(dims);
  struct Case {
    std::string_view text;
    std::string result;  // "____arg" as text, or "-" for none
  };
  const Case cases[] = {
      {"10 - 3 - 2", "5"},
      {"1 + 2 * 3", "7"},
      {"a = (b + c) * 2", "-"},
      {"a", "6"},
      {"s ++ \"\\\"\" ++ 1 == 1", "x\"TRUE"},
      {"7 / 2.0", "3"},
      {"7.0 / 2", "3.5"},
      {"-7 % 2", "-1"},
      {"m[1, 2] = 4", "-"},
      {"m[1, 2] * 10 + m[0, 0]", "40"},
      {"b <> c & c > b", "1"},  // & works on integers
      {"\"10\" < \"9\"", "TRUE"},
      {"nothing + 1", "-"},
      {"", "-"},
  };
  for (const auto& c : cases) {
    TBuildVornParser compiler;
    compiler.Compile(c.text);
    TMemoryStream stream;
    compiler.SaveToStream(stream);
    stream.SetPosition(0);
    TVornParser parser;
    parser.LoadFromStream(stream);
    parser.Execute();
    EXPECT_EQ(parser.Result() ? parser.Result()->GetAsString() : "-", c.result) << c.text;
    EXPECT_EQ(params.Count(), 55) << c.text;
  }
  EXPECT_EQ(m.GetIntAt(5), 4);
}

}  // namespace
