#include "engine/vorn_parser.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "engine/param_collection.h"
#include "engine/script_error.h"
#include "engine/typed_params.h"
#include "fixture/oplist_writer.h"
#include "foundation/errors.h"
#include "foundation/system_texts.h"
#include "foundation/vocabulary.h"

namespace {

using namespace vorn;
using fixture::OpOperand;
using fixture::OpRecord;

OpOperand I(std::int32_t v) { return OpOperand::Int(v); }
OpOperand F(long double x) { return OpOperand::Float(x); }
OpOperand B(bool b) { return OpOperand::Flag(b); }
OpOperand S(std::string s) { return OpOperand::Str(std::move(s)); }
OpOperand V(std::string n) { return OpOperand::Var(std::move(n)); }

std::unique_ptr<TVornParser> Load(const std::vector<OpRecord>& operations) {
  TMemoryStream stream(fixture::WriteOperationList(operations));
  auto parser = std::make_unique<TVornParser>();
  parser->LoadFromStream(stream);
  EXPECT_EQ(stream.Remaining(), 0);
  return parser;
}

// The value of a two-operand expression, computed into "____0" and handed out through "____arg".
std::string Binary(std::uint8_t op, OpOperand a, OpOperand b) {
  auto parser = Load({{op, "____0", {a, b}}, {ocTo, "____arg", {V("____0")}}});
  parser->Execute();
  if (parser->Result() == nullptr) return "(none: " + parser->LastError() + ")";
  return parser->Result()->GetAsString();
}

TParamCollectionItem& Declare(TParamCollection& params, std::string_view name, std::uint8_t type) {
  auto& item = params.AddParam(type);
  item.SetName(name);
  return item;
}

TEST(VornParser, GoldenListSpelledOutByHand) {
  const std::vector<std::uint8_t> golden = {
      3, 0, 0, 0,                                                  // three operations
      2,                                                           // ocPlus
      5, 0, 0, 0, '_', '_', '_', '_', '0',                         // target ____0
      2, 0, 0, 0,                                                  // two operands
      2, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F,                    // float 1.0
      2, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0,                    // float -2.5
      11,                                                          // ocFunc
      5, 0, 0, 0, '_', '_', '_', '_', '1',                         // target ____1
      3, 0, 0, 0,                                                  // three arguments
      136,                                                         // function index (Calc)
      2, 0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F,  // float 0.1
      3, 1,                                                        // flag true
      4, 2, 0, 0, 0, 'h', 'i',                                     // string "hi"
      1,                                                           // ocTo
      1, 0, 0, 0, 'x',                                             // target x
      2, 0, 0, 0,                                                  // two operands
      1, 0xFE, 0xFF, 0xFF, 0xFF,                                   // int -2
      0, 5, 0, 0, 0, '_', '_', '_', '_', '0',                      // variable ____0
  };
  TMemoryStream in(golden);
  TVornParser parser;
  parser.LoadFromStream(in);
  ASSERT_EQ(parser.Operations().size(), 3u);
  const auto& plus = *parser.Operations()[0];
  EXPECT_EQ(plus.op, ocPlus);
  EXPECT_EQ(plus.target, "____0");
  EXPECT_EQ(plus.operands[0]->GetAsFloat(), 1.0L);
  EXPECT_EQ(plus.operands[1]->GetAsFloat(), -2.5L);
  const auto& call = *parser.Operations()[1];
  EXPECT_EQ(call.func_index, 136);
  EXPECT_EQ(call.operands[0]->GetAsFloat(), 0.1L);
  EXPECT_EQ(call.operands[1]->ParamType(), PT_BOOL);
  EXPECT_EQ(call.operands[2]->GetAsString(), "hi");
  const auto& to = *parser.Operations()[2];
  EXPECT_EQ(to.operands[0]->GetAsInt(), -2);
  ASSERT_NE(dynamic_cast<TParamVar*>(to.operands[1].get()), nullptr);
  EXPECT_EQ(static_cast<TParamVar&>(*to.operands[1]).Name(), "____0");
  TMemoryStream out;
  parser.SaveToStream(out);
  EXPECT_EQ(out.Bytes(), golden);
  TVornParser copy;
  copy.Assign(parser);
  TMemoryStream copied;
  copy.SaveToStream(copied);
  EXPECT_EQ(copied.Bytes(), golden);
}

TEST(VornParser, TruncatedListsFailCleanly) {
  const auto bytes = fixture::WriteOperationList({{ocFunc, "____1", {F(0.5L), S("abc"), B(true)}, 136},
                                                  {ocTo, "x", {I(3), V("____1")}}});
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
    TVornParser parser;
    EXPECT_THROW(parser.LoadFromStream(stream), EReadError) << length;
  }
}

TEST(VornParser, UnknownOperandCodesReadAsNamesAndEmptyStringsAreFine) {
  auto parser = Load({{ocTo, "x", {OpOperand::Named(9, "y"), S("")}}});
  const auto& operands = parser->Operations()[0]->operands;
  ASSERT_NE(dynamic_cast<TParamVar*>(operands[0].get()), nullptr);
  EXPECT_EQ(static_cast<TParamVar&>(*operands[0]).Name(), "y");
  // A string whose stored length is negative is the empty string.
  TMemoryStream stream(std::vector<std::uint8_t>{1, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 4, 0xF0, 0xFF, 0xFF, 0xFF});
  TVornParser negative;
  negative.LoadFromStream(stream);
  EXPECT_EQ(negative.Operations()[0]->target, "");
  EXPECT_EQ(negative.Operations()[0]->operands[0]->GetAsString(), "");
}

TEST(VornParser, OversizedCountsFailBeforeAllocating) {
  const std::vector<std::vector<std::uint8_t>> broken = {
      {0xFF, 0xFF, 0xFF, 0x7F},                                  // operation count
      {0xFF, 0xFF, 0xFF, 0xFF},                                  // negative count
      {1, 0, 0, 0, 1, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F},       // operand count
      {1, 0, 0, 0, 1, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0},             // target length
      {1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0},          // float cut short
  };
  for (std::size_t i = 0; i < broken.size(); ++i) {
    TMemoryStream stream(broken[i]);
    TVornParser parser;
    EXPECT_THROW(parser.LoadFromStream(stream), EReadError) << i;
  }
}

TEST(VornParser, ArithmeticAndComparisonRules) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  struct Case {
    std::uint8_t op;
    OpOperand a, b;
    const char* expected;
  };
  const Case cases[] = {
      {ocPlus, I(1), F(2.5L), "3"},          // operand a decides: integer
      {ocPlus, F(2.5L), I(1), "3.5"},
      {ocPlus, S("1"), S("2"), "3"},         // strings add numerically into a string
      {ocPlus, I(2147483647), I(1), "-2147483648"},
      {ocMinus, I(INT32_MIN), I(1), "2147483647"},
      {ocMul, I(65536), I(65536), "0"},
      {ocDiv, I(7), I(2), "3"},
      {ocDiv, F(7), I(2), "3.5"},
      {ocDiv, I(7), F(2), "3"},
      {ocDiv, I(-7), I(2), "-3"},
      {ocDiv, I(INT32_MIN), I(-1), "-2147483648"},
      {ocMod, I(-7), I(2), "-1"},
      {ocMod, I(7), I(-2), "1"},
      {ocMod, I(INT32_MIN), I(-1), "0"},
      {ocOr, I(12), I(3), "15"},
      {ocAnd, I(12), I(10), "8"},
      {ocXor, I(12), I(10), "6"},
      {ocShiftR, I(-1), I(28), "15"},
      {ocShiftL, I(1), I(33), "2"},          // by b mod 32
      {ocShiftL, I(1), I(31), "-2147483648"},
      {ocComboStr, S("a"), I(1), "a1"},
      {ocComboStr, F(0.5L), B(true), "0.5TRUE"},
      {ocSmall, I(1), F(1.5L), "FALSE"},     // 1 < 1 by the integer rule
      {ocBig, F(1.5L), I(1), "TRUE"},
      {ocSmall, S("10"), S("9"), "TRUE"},    // bytes, not numbers
      {ocSmall, S("a"), S("\x83\x41"), "TRUE"},  // unsigned bytes
      {ocEqual, S("a"), S("A"), "FALSE"},
      {ocNEqual, I(3), I(3), "FALSE"},
      {ocEBig, I(3), I(3), "TRUE"},
      {ocESmall, I(4), I(3), "FALSE"},
      {ocSmall, B(false), B(true), "TRUE"},
      {ocEqual, F(nan), F(1), "TRUE"},
      {ocSmall, F(nan), F(1), "TRUE"},
      {ocESmall, F(1), F(nan), "TRUE"},
      {ocBig, F(nan), F(1), "FALSE"},
      {ocEBig, F(nan), F(1), "FALSE"},
      {ocNEqual, F(nan), F(nan), "FALSE"},
  };
  TParamCollection params;
  for (const auto& c : cases) {
    EXPECT_EQ(Binary(c.op, c.a, c.b), c.expected) << vocabulary::kOperationNames[c.op] << " " << c.a.int_value
                                                  << "/" << static_cast<double>(c.a.float_value) << c.a.text;
  }
  EXPECT_EQ(params.Count(), 50);  // every temporary removed
}

TEST(VornParser, FailuresEndTheRunSilentlyAndKeepEarlierAssignments) {
  TParamCollection params;
  Declare(params, "x", PT_INT);
  Declare(params, "y", PT_INT);
  Declare(params, "f", PT_FLOAT);
  struct Case {
    std::vector<OpRecord> failing;
    std::string why;  // empty: any message
  };
  const Case cases[] = {
      {{{ocDiv, "____0", {I(1), I(0)}}}, ""},
      {{{ocMod, "____0", {I(1), I(0)}}}, ""},
      {{{ocDiv, "f", {F(1), F(0)}}}, ""},
      {{{ocMul, "f", {F(1e4000L), F(1e4000L)}}}, ""},   // overflow to infinity
      {{{ocMinus, "f", {F(std::numeric_limits<long double>::quiet_NaN()), F(0)}}}, ""},
      {{{ocTo, "x", {V("missing")}}}, FormatText(texts::kVariableMissingFormat, "missing")},
      {{{ocTo, "nowhere", {I(1)}}}, FormatText(texts::kVariableMissingFormat, "nowhere")},
      {{{ocPlus, "____0", {I(1)}}}, ""},                  // too few operands
      {{{ocTo, "____0", {}}}, ""},
      {{{ocFunc, "____0", {I(1)}, 0}}, "system function 0 is not available"},
      {{{ocFunc, "____0", {V("x")}, 2}}, ""},             // GetProp without its second argument
      {{{ocFunc, "____0", {V("x"), I(0x1A2)}, 2}}, std::string(texts::kGetPropArgumentInvalid)},
      {{{ocFunc, "____0", {}, 143}}, ""},                 // no type for an unknown function
      {{{ocNone, "____0", {I(1), S("s")}},},
       std::string(texts::kExpressionInvalidHead) + "____0" + std::string(texts::kExpressionInvalidOperation) +
           "ocNone\r\n1\r\ns"},
      {{{25, "____0", {}}},
       std::string(texts::kExpressionInvalidHead) + "____0" + std::string(texts::kExpressionInvalidOperation) + "25"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    params.FindParam("x")->SetAsInt(0);
    params.FindParam("y")->SetAsInt(0);
    std::vector<OpRecord> operations = {{ocTo, "x", {I(7)}}};
    operations.insert(operations.end(), cases[i].failing.begin(), cases[i].failing.end());
    operations.push_back({ocTo, "y", {I(9)}});
    operations.push_back({ocTo, "____arg", {I(1)}});
    auto parser = Load(operations);
    EXPECT_NO_THROW(parser->Execute()) << i;
    EXPECT_EQ(parser->Result(), nullptr) << i;
    EXPECT_FALSE(parser->LastError().empty()) << i;
    if (!cases[i].why.empty()) {
      EXPECT_EQ(parser->LastError(), cases[i].why) << i;
    }
    EXPECT_EQ(params.FindParam("x")->GetAsInt(), 7) << i;
    EXPECT_EQ(params.FindParam("y")->GetAsInt(), 0) << i;
    EXPECT_EQ(params.Count(), 53) << i;
  }
}

TEST(VornParser, UnknownFunctionsAndOpCodesOnExistingTargetsDoNothing) {
  TParamCollection params;
  Declare(params, "x", PT_INT).SetAsInt(4);
  auto parser = Load({{ocFunc, "x", {I(1)}, 200}, {30, "x", {I(1), I(2)}}, {ocTo, "____arg", {V("x")}}});
  parser->Execute();
  ASSERT_NE(parser->Result(), nullptr) << parser->LastError();
  EXPECT_EQ(parser->Result()->GetAsInt(), 4);
}

TEST(VornParser, TemporariesAreTypedByOperationAndRemoved) {
  TParamCollection params;
  struct Case {
    OpRecord operation;
    std::uint8_t type;
  };
  const Case cases[] = {
      {{ocTo, "____0", {S("s")}}, PT_STR},
      {{ocPlus, "____0", {S("1"), I(2)}}, PT_STR},
      {{ocMinus, "____0", {F(1), I(2)}}, PT_FLOAT},
      {{ocMinus, "____0", {S("1"), F(2)}}, PT_INT},
      {{ocShiftL, "____0", {F(1), I(2)}}, PT_INT},
      {{ocEqual, "____0", {I(1), I(2)}}, PT_BOOL},
      {{ocComboStr, "____0", {I(1), I(2)}}, PT_STR},
      {{ocFunc, "____0", {S("obj"), I(140)}, 2}, PT_INT},     // GetProp of PR_COMPOTYPE
      {{ocFunc, "____0", {S("obj"), I(0x100)}, 2}, PT_STR},   // low 8 bits: PR_NAME
      {{ocFunc, "____0", {S("obj"), I(25)}, 2}, PT_BOOL},
      {{ocFunc, "____0", {S("x")}, 38}, PT_FLOAT},            // Float
  };
  struct Recorder : TSysFuncDispatcher {
    void CallFunction(TParamCollectionItem& target, int, std::span<TCustomParam* const>) override {
      type = target.ParamType();
    }
    std::uint8_t type = 0;
  } recorder;
  SetSysFuncDispatcher(&recorder);
  for (const auto& c : cases) {
    auto parser = Load({c.operation, {ocTo, "____arg", {V("____0")}}});
    parser->Execute();
    ASSERT_NE(parser->Result(), nullptr) << parser->LastError();
    EXPECT_EQ(parser->Result()->ParamType(), c.type) << int(c.operation.op);
    EXPECT_EQ(params.Count(), 50);
  }
  SetSysFuncDispatcher(nullptr);
}

TEST(VornParser, ElementReferences) {
  TParamCollection params;
  auto& array = Declare(params, "a", PT_INT);
  const std::int32_t dims[] = {2, 3};
  array.SetDims(dims);
  auto parser = Load({{ocDimTo, "____d_0", {V("a"), I(1), I(2)}},
                      {ocTo, "____d_0", {I(5)}},
                      {ocDimTo, "____d_1", {V("a"), I(1), I(2)}},
                      {ocPlus, "____0", {V("____d_1"), I(1)}},
                      {ocTo, "____arg", {V("____0")}}});
  parser->Execute();
  ASSERT_NE(parser->Result(), nullptr) << parser->LastError();
  EXPECT_EQ(array.GetIntAt(5), 5);
  EXPECT_EQ(array.Count(), 6);
  EXPECT_EQ(parser->Result()->GetAsInt(), 6);

  struct Case {
    std::vector<OpOperand> operands;
    std::string why;
  };
  const Case cases[] = {
      {{V("a"), I(1)}, "a[1]\r\n" + std::string(texts::kElementSubscriptInvalidSuffix)},
      {{V("a"), I(1), I(2), I(0)}, "a[1,2,0]\r\n" + std::string(texts::kElementSubscriptInvalidSuffix)},
      {{V("a"), I(2), I(0)}, "a[2,0]\r\n" + std::string(texts::kElementIndexOverflowSuffix)},
      {{V("a"), I(0), I(-1)}, std::string(texts::kArrayIndexInvalid)},
      {{V("nope"), I(0)}, FormatText(texts::kVariableMissingFormat, "nope")},
  };
  for (const auto& c : cases) {
    auto bad = Load({{ocDimTo, "____d_0", c.operands}, {ocTo, "____d_0", {I(1)}}});
    bad->Execute();
    EXPECT_EQ(bad->LastError(), c.why);
    EXPECT_EQ(params.Count(), 51);
  }
}

TEST(VornParser, ScalarWriteDropsDimensionsButElementWritesKeepThem) {
  TParamCollection params;
  auto& array = Declare(params, "a", PT_INT);
  const std::int32_t dims[] = {4};
  array.SetDims(dims);
  Load({{ocTo, "a", {I(3)}}})->Execute();
  EXPECT_EQ(array.Count(), 1);
  EXPECT_EQ(array.GetAsInt(), 3);
}

TEST(VornParser, ArgOfAnotherTypeRaisesAndStillRemovesTemporaries) {
  TParamCollection params;
  auto& reference = Declare(params, "r", PT_NONE);
  (void)reference;
  auto parser = Load({{ocTo, "____arg", {V("r")}}});
  try {
    parser->Execute();
    ADD_FAILURE() << "no error";
  } catch (const EScriptError& e) {
    EXPECT_EQ(std::string(e.what()), FormatText(texts::kVariableInvalidFormat, "____arg"));
  }
  EXPECT_EQ(params.FindParam("____arg"), nullptr);
  EXPECT_EQ(params.Count(), 51);
}

TEST(VornParser, ResultIsACopyAndRunsRepeat) {
  TParamCollection params;
  auto& counter = Declare(params, "n", PT_INT);
  auto parser = Load({{ocPlus, "____0", {V("n"), I(1)}}, {ocTo, "n", {V("____0")}}, {ocTo, "____arg", {V("n")}}});
  parser->Execute();
  ASSERT_NE(parser->Result(), nullptr);
  EXPECT_EQ(parser->Result()->GetAsInt(), 1);
  parser->Execute();
  EXPECT_EQ(parser->Result()->GetAsInt(), 2);
  EXPECT_EQ(counter.GetAsInt(), 2);
  // The references hold only names again, so the list saves as it loaded.
  TMemoryStream saved;
  parser->SaveToStream(saved);
  EXPECT_EQ(saved.Bytes(), fixture::WriteOperationList({{ocPlus, "____0", {V("n"), I(1)}},
                                                        {ocTo, "n", {V("____0")}},
                                                        {ocTo, "____arg", {V("n")}}}));
  // An assignment as the last operation leaves no result.
  auto assignment = Load({{ocTo, "n", {I(5)}}});
  assignment->Execute();
  EXPECT_EQ(assignment->Result(), nullptr);
}

// A system function that runs another expression while the first is still going, as Calc does.
struct NestedRunner : TSysFuncDispatcher {
  void CallFunction(TParamCollectionItem& target, int, std::span<TCustomParam* const>) override {
    auto inner = Load(inner_list);
    inner->Execute();
    if (inner->Result() != nullptr) target.SetAsString(inner->Result()->GetAsString());
  }
  std::vector<OpRecord> inner_list;
};

TEST(VornParser, NestedRunsShareTemporaries) {
  TParamCollection params;
  Declare(params, "x", PT_STR);
  NestedRunner runner;
  // The inner "1 + 1" finds the outer "____0" (a string holding "a") and reuses it untyped.
  runner.inner_list = {{ocPlus, "____0", {I(1), I(1)}}, {ocTo, "____arg", {V("____0")}}};
  SetSysFuncDispatcher(&runner);
  auto outer = Load({{ocTo, "____0", {S("a")}},
                     {ocFunc, "____1", {S("1+1")}, 136},
                     {ocComboStr, "____2", {V("____0"), V("____1")}},
                     {ocTo, "x", {V("____2")}}});
  outer->Execute();
  SetSysFuncDispatcher(nullptr);
  EXPECT_EQ(outer->LastError(), "");
  EXPECT_EQ(params.FindParam("x")->GetAsString(), "22");
  EXPECT_EQ(params.Count(), 51);
}

// Keeps a reference to the temporary a function call writes, past the end of the run.
struct Keeper : TSysFuncDispatcher {
  void CallFunction(TParamCollectionItem& target, int, std::span<TCustomParam* const>) override {
    target.SetAsInt(42);
    kept.Link(&target);
  }
  TParamVar kept;
};

TEST(VornParser, TemporariesAreGoneForReferencesAfterTheRun) {
  TParamCollection params;
  Keeper keeper;
  SetSysFuncDispatcher(&keeper);
  auto parser = Load({{ocFunc, "____0", {I(1)}, 37}, {ocTo, "____arg", {V("____0")}}});
  for (int run = 0; run < 3; ++run) {
    parser->Execute();
    ASSERT_NE(parser->Result(), nullptr) << parser->LastError();
    EXPECT_EQ(parser->Result()->GetAsInt(), 42);
    EXPECT_EQ(keeper.kept.Target(), nullptr) << run;  // the item may live on for reuse, unseen
    EXPECT_EQ(keeper.kept.GetAsInt(), 0);
    EXPECT_EQ(params.FindParam("____0"), nullptr);
    EXPECT_EQ(params.Count(), 50);
  }
  SetSysFuncDispatcher(nullptr);
}

struct Deleter : TSysFuncDispatcher {
  void CallFunction(TParamCollectionItem&, int, std::span<TCustomParam* const>) override {
    auto& params = *CurrentParams();
    params.FreeItem(*params.FindParam("a"));
  }
};

TEST(VornParser, ElementReferenceToAFreedArrayReadsAsUnresolved) {
  TParamCollection params;
  auto& array = Declare(params, "a", PT_INT);
  const std::int32_t dims[] = {3};
  array.SetDims(dims);
  array.SetIntAt(2, 8);
  Deleter deleter;
  SetSysFuncDispatcher(&deleter);
  auto parser = Load({{ocDimTo, "____d_0", {V("a"), I(2)}},
                      {ocFunc, "____0", {}, 142},
                      {ocTo, "____d_0", {I(5)}},
                      {ocTo, "____arg", {V("____d_0")}}});
  // The write through the dead reference is ignored; "____arg" copies its type, which is now none.
  EXPECT_THROW(parser->Execute(), EScriptError);
  SetSysFuncDispatcher(nullptr);
  EXPECT_EQ(params.FindParam("a"), nullptr);
  EXPECT_EQ(params.Count(), 50);
}

}  // namespace
