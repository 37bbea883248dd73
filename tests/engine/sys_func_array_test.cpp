#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/call_man.h"
#include "engine/param_collection.h"
#include "engine/param_var.h"
#include "engine/script_error.h"
#include "engine/sys_func_man.h"
#include "engine/typed_params.h"
#include "foundation/system_texts.h"

namespace vorn {
namespace {

// Runs array and variable functions the way compiled expressions do: a bare variable name is a
// resolved reference, anything else a temporary value.
class ArrayFunctionsTest : public ::testing::Test {
 public:
  ArrayFunctionsTest() {
    // A text target: every result type reads back through it unchanged.
    result_ = &params.AddParam(PT_STR);
    result_->SetName("result");
  }

  TParamCollectionItem& Declare(const std::string& name, std::uint8_t type) {
    TParamCollectionItem& item = params.AddParam(type);
    item.SetName(name);
    return item;
  }
  TParamCollectionItem& Ints(const std::string& name, const std::vector<std::int32_t>& values) {
    TParamCollectionItem& item = Declare(name, PT_INT);
    const std::int32_t extents[] = {static_cast<std::int32_t>(values.size())};
    item.SetDims(extents);
    for (std::size_t i = 0; i < values.size(); ++i) item.SetIntAt(static_cast<std::int32_t>(i), values[i]);
    return item;
  }
  TParamCollectionItem& Strs(const std::string& name, const std::vector<std::string>& values) {
    TParamCollectionItem& item = Declare(name, PT_STR);
    const std::int32_t extents[] = {static_cast<std::int32_t>(values.size())};
    item.SetDims(extents);
    for (std::size_t i = 0; i < values.size(); ++i) item.SetStrAt(static_cast<std::int32_t>(i), values[i]);
    return item;
  }

  // Argument builders.
  TCustomParam* Ref(const std::string& name) {
    auto ref = std::make_unique<TParamVar>(name);
    ref->Resolve();
    return Keep(std::move(ref));
  }
  TCustomParam* Int(std::int32_t v) {
    auto p = std::make_unique<TParamInt>();
    p->SetAsInt(v);
    return Keep(std::move(p));
  }
  TCustomParam* Str(std::string_view s) {
    auto p = std::make_unique<TParamStr>();
    p->SetAsString(s);
    return Keep(std::move(p));
  }
  TCustomParam* Bool(bool b) {
    auto p = std::make_unique<TParamFlag>();
    p->SetAsBool(b);
    return Keep(std::move(p));
  }

  TParamCollectionItem& Run(TSysFunc function, std::vector<TCustomParam*> args) {
    sysfunc.Execute(*result_, static_cast<std::uint8_t>(function), args);
    return *result_;
  }
  std::string RunError(TSysFunc function, std::vector<TCustomParam*> args) {
    try {
      Run(function, std::move(args));
    } catch (const EScriptError& e) {
      return e.what();
    }
    return "(no error)";
  }

  static std::vector<std::string> Elements(const TParamCollectionItem& item) {
    std::vector<std::string> texts;
    for (std::int32_t i = 0; i < item.Count(); ++i) texts.push_back(item.GetStrAt(i));
    return texts;
  }

  TParamCollection params;
  TSysFuncMan sysfunc;

 private:
  TCustomParam* Keep(std::unique_ptr<TCustomParam> p) {
    args_.push_back(std::move(p));
    return args_.back().get();
  }
  std::vector<std::unique_ptr<TCustomParam>> args_;
  TParamCollectionItem* result_ = nullptr;
};

using Texts = std::vector<std::string>;

// The messages in CP932, spelled out with Python's cp932 codec.
constexpr std::string_view kVariableNotFound =
    "\x95\xCF\x90\x94\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1";  // 変数が見つかりません
std::string ExtentError(std::string_view extents) {
  // 配列の要素数[...]が不正です
  return "\x94\x7A\x97\xF1\x82\xCC\x97\x76\x91\x66\x90\x94[" + std::string(extents) +
         "]\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7";
}
std::string NotFound(std::string_view function) { return std::string(function) + ":" + std::string(kVariableNotFound); }

TEST_F(ArrayFunctionsTest, SetArrayShapesAndGetArraySizeReadsTheExtentsFromTheLast) {
  Declare("a", PT_INT);
  Run(TSysFunc::SetArray, {Ref("a"), Int(3), Int(5)});
  EXPECT_EQ(Run(TSysFunc::GetArraySize, {Ref("a")}).GetAsInt(), 15);
  EXPECT_EQ(Run(TSysFunc::GetArraySize, {Ref("a"), Int(0)}).GetAsInt(), 5);
  EXPECT_EQ(Run(TSysFunc::GetArraySize, {Ref("a"), Int(1)}).GetAsInt(), 3);
  EXPECT_EQ(Run(TSysFunc::GetArraySize, {Ref("a"), Int(2)}).GetAsInt(), 1);
  EXPECT_EQ(Run(TSysFunc::GetArraySize, {Ref("a"), Int(-1)}).GetAsInt(), 1);
  EXPECT_EQ(Run(TSysFunc::GetArraySize, {Ref("a"), Int(-2147483647 - 1)}).GetAsInt(), 1);
}

TEST_F(ArrayFunctionsTest, SetArrayRefusesBadExtentsBeforeChangingAnything) {
  TParamCollectionItem& a = Ints("a", {1, 2});
  EXPECT_EQ(RunError(TSysFunc::SetArray, {Ref("a"), Int(2), Int(0), Int(3)}), ExtentError("2,0,3"));
  // A product that would wrap 32 bits or exceed the engine's element limit.
  EXPECT_EQ(RunError(TSysFunc::SetArray, {Ref("a"), Int(65536), Int(65536)}), ExtentError("65536,65536"));
  EXPECT_EQ(a.Count(), 2);
  EXPECT_EQ(a.GetIntAt(1), 2);
}

TEST_F(ArrayFunctionsTest, TheVariableChecksNameTheFunction) {
  Declare("a", PT_INT);
  auto unresolved = std::make_unique<TParamVar>("nothing");
  TCustomParam* dangling = unresolved.get();
  struct Case {
    TSysFunc function;
    std::vector<TCustomParam*> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {TSysFunc::GetArraySize, {Int(1)}, NotFound("GetArraySize")},
      {TSysFunc::GetArraySize, {dangling}, NotFound("GetArraySize")},
      {TSysFunc::SetArray, {Str("a"), Int(2)}, NotFound("SetArray")},
      {TSysFunc::FillMem, {Int(0), Int(2)}, NotFound("FillMem")},
      {TSysFunc::CopyMem, {Int(0), Ref("a")}, NotFound("CopyMem")},
      {TSysFunc::CopyMem, {Ref("a"), Int(0)}, NotFound("CopyMem")},
  };
  for (const Case& c : cases) EXPECT_EQ(RunError(c.function, c.args), c.message);
}

TEST_F(ArrayFunctionsTest, FillMemFillsByTheVariablesType) {
  TParamCollectionItem& f = Declare("f", PT_FLOAT);
  Run(TSysFunc::SetArray, {Ref("f"), Int(3)});
  Run(TSysFunc::FillMem, {Ref("f"), Str("2.5")});
  EXPECT_EQ(f.GetFloatAt(2), 2.5L);
  TParamCollectionItem& s = Strs("s", {"x", "y"});
  Run(TSysFunc::FillMem, {Ref("s"), Int(7)});
  EXPECT_EQ(Elements(s), (Texts{"7", "7"}));
  TParamCollectionItem& b = Declare("b", PT_BOOL);
  Run(TSysFunc::FillMem, {Ref("b"), Int(3)});
  EXPECT_TRUE(b.GetAsBool());
}

TEST_F(ArrayFunctionsTest, CopyMemNeedsTheSameClass) {
  Ints("a", {1, 2, 3});
  TParamCollectionItem& b = Declare("b", PT_INT);
  Strs("s", {"x"});
  Run(TSysFunc::CopyMem, {Ref("b"), Ref("a")});
  EXPECT_EQ(b.Count(), 3);
  EXPECT_EQ(b.GetIntAt(2), 3);
  EXPECT_EQ(RunError(TSysFunc::CopyMem, {Ref("b"), Ref("s")}), texts::kCopyMemTypeMismatch);
}

TEST_F(ArrayFunctionsTest, ArrayToStringJoins) {
  Ints("a", {1, 2, 3});
  Strs("one", {"only"});
  EXPECT_EQ(Run(TSysFunc::ArrayToString, {Ref("a")}).GetAsString(), "1\r\n2\r\n3");
  EXPECT_EQ(Run(TSysFunc::ArrayToString, {Ref("a"), Str(", ")}).GetAsString(), "1, 2, 3");
  EXPECT_EQ(Run(TSysFunc::ArrayToString, {Ref("one"), Str(",")}).GetAsString(), "only");
}

TEST_F(ArrayFunctionsTest, StringToArraySplits) {
  struct Case {
    std::string text;
    std::vector<TCustomParam*> separator;
    Texts expected;
  };
  const std::vector<Case> cases = {
      {"a,b,,c", {Str(",")}, {"a", "b", "", "c"}},
      {"x;y,z", {Str(",;")}, {"x", "y", "z"}},
      {"a,b,", {Str(",")}, {"a", "b"}},
      {",a", {Str(",")}, {"", "a"}},
      {"", {Str(",")}, {""}},
      {"", {}, {""}},
      {"l1\r\nl2\nl3\rl4\r\n", {}, {"l1", "l2", "l3", "l4"}},
      {"l1\n\nl3", {}, {"l1", "", "l3"}},
      {"a\r\nb", {Str("\r\n")}, {"a", "b"}},
      // The trail byte 0x5C of a double-byte character is no "\" separator.
      {"\x83\x5C\\b", {Str("\\")}, {"\x83\x5C", "b"}},
  };
  for (const Case& c : cases) {
    TParamCollectionItem& v = Strs("v", {"old1", "old2", "old3"});
    std::vector<TCustomParam*> args = {Str(c.text), Ref("v")};
    args.insert(args.end(), c.separator.begin(), c.separator.end());
    Run(TSysFunc::StringToArray, args);
    EXPECT_EQ(Elements(v), c.expected) << c.text;
    EXPECT_EQ(v.DimCount(), 1);
    params.FreeItem(v);
  }
}

TEST_F(ArrayFunctionsTest, StringToArrayIntoAnIntegerVariableConvertsEachPiece) {
  TParamCollectionItem& v = Declare("v", PT_INT);
  Run(TSysFunc::StringToArray, {Str("1,x,3"), Ref("v"), Str(",")});
  EXPECT_EQ(v.Count(), 3);
  EXPECT_EQ(v.GetIntAt(0), 1);
  EXPECT_EQ(v.GetIntAt(1), 0);
  EXPECT_EQ(v.GetIntAt(2), 3);
}

TEST_F(ArrayFunctionsTest, IndexOfStrFlags) {
  Strs("v", {"abc", "ab", "xBx"});
  struct Case {
    const char* text;
    std::vector<TCustomParam*> flags;
    std::int32_t expected;
  };
  const std::vector<Case> cases = {
      {"ab", {}, 1},
      {"AB", {}, -1},
      {"AB", {Bool(false)}, 1},
      {"b", {Bool(true), Bool(true)}, 0},
      {"B", {Bool(true), Bool(true)}, 2},
      {"B", {Bool(false), Bool(true)}, 0},
      {"zz", {Bool(false), Bool(true)}, -1},
  };
  for (const Case& c : cases) {
    std::vector<TCustomParam*> args = {Ref("v"), Str(c.text)};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    EXPECT_EQ(Run(TSysFunc::IndexOfStr, args).GetAsInt(), c.expected) << c.text;
  }
}

TEST_F(ArrayFunctionsTest, SortStrSortsAsTextIgnoringCase) {
  TParamCollectionItem& n = Ints("n", {10, 9, 100});
  Run(TSysFunc::SortStr, {Ref("n")});
  EXPECT_EQ(Elements(n), (Texts{"10", "100", "9"}));
  TParamCollectionItem& s = Strs("s", {"b", "C", "a", "B"});
  Run(TSysFunc::SortStr, {Ref("s")});
  EXPECT_EQ(Elements(s), (Texts{"a", "b", "B", "C"}));
}

TEST_F(ArrayFunctionsTest, VarExistsAndGetVarType) {
  Declare("Known", PT_FLOAT);
  EXPECT_TRUE(Run(TSysFunc::VarExists, {Str("known")}).GetAsBool());
  EXPECT_FALSE(Run(TSysFunc::VarExists, {Str("unknown")}).GetAsBool());
  EXPECT_TRUE(Run(TSysFunc::VarExists, {Str("@Pi")}).GetAsBool());
  EXPECT_EQ(Run(TSysFunc::GetVarType, {Ref("known")}).GetAsInt(), PT_FLOAT);
  EXPECT_EQ(Run(TSysFunc::GetVarType, {Str("x")}).GetAsInt(), PT_STR);
  EXPECT_EQ(Run(TSysFunc::GetVarType, {Bool(true)}).GetAsInt(), PT_BOOL);
}

TEST_F(ArrayFunctionsTest, AddInsertAndDeleteElements) {
  struct Case {
    const char* what;
    TSysFunc function;
    std::vector<std::int32_t> start;
    std::vector<std::int32_t> numbers;  // pos / count arguments
    std::vector<std::int32_t> expected;
    std::int32_t result;
  };
  const std::vector<Case> cases = {
      {"add", TSysFunc::AddArray, {1, 2}, {}, {1, 2, 8, 9}, 4},
      {"insert in the middle", TSysFunc::InsertArray, {1, 2, 3}, {1}, {1, 8, 9, 2, 3}, 5},
      {"insert before the front", TSysFunc::InsertArray, {1, 2}, {-5}, {8, 9, 1, 2}, 4},
      {"insert past the end", TSysFunc::InsertArray, {1, 2}, {99}, {1, 2, 8, 9}, 4},
      {"delete two", TSysFunc::DeleteArray, {0, 1, 2, 3, 4}, {1, 2}, {0, 3, 4}, 3},
      {"delete past the end", TSysFunc::DeleteArray, {0, 1, 2, 3, 4}, {1, 99}, {0}, 1},
      {"delete from a negative position", TSysFunc::DeleteArray, {0, 1, 2}, {-3, 1}, {1, 2}, 2},
      {"delete at a position past the end", TSysFunc::DeleteArray, {0, 1, 2}, {7, 1}, {0, 1}, 2},
      {"delete none", TSysFunc::DeleteArray, {0, 1, 2}, {1, 0}, {0, 1, 2}, 3},
  };
  for (const Case& c : cases) {
    TParamCollectionItem& v = Ints("v", c.start);
    Ints("w", {8, 9});
    std::vector<TCustomParam*> args = {Ref("v")};
    for (std::int32_t n : c.numbers) args.push_back(Int(n));
    if (c.function != TSysFunc::DeleteArray) args.push_back(Ref("w"));
    EXPECT_EQ(Run(c.function, args).GetAsInt(), c.result) << c.what;
    std::vector<std::int32_t> got;
    for (std::int32_t i = 0; i < v.Count(); ++i) got.push_back(v.GetIntAt(i));
    EXPECT_EQ(got, c.expected) << c.what;
    params.FreeItem(*params.FindParam("w"));
    params.FreeItem(v);
  }
}

TEST_F(ArrayFunctionsTest, AddArrayConvertsToTheDestinationsTypeAndMayAddToItself) {
  TParamCollectionItem& s = Strs("s", {"a"});
  Ints("n", {1, 2});
  EXPECT_EQ(Run(TSysFunc::AddArray, {Ref("s"), Ref("n")}).GetAsInt(), 3);
  EXPECT_EQ(Elements(s), (Texts{"a", "1", "2"}));
  EXPECT_EQ(Run(TSysFunc::AddArray, {Ref("s"), Ref("s")}).GetAsInt(), 6);
  EXPECT_EQ(Elements(s), (Texts{"a", "1", "2", "a", "1", "2"}));
  EXPECT_EQ(Run(TSysFunc::InsertArray, {Ref("s"), Int(1), Str("x")}).GetAsInt(), 7);
  EXPECT_EQ(Elements(s), (Texts{"a", "x", "1", "2", "a", "1", "2"}));
}

TEST_F(ArrayFunctionsTest, TwoDimensionalArraysAreLeftAlone) {
  TParamCollectionItem& grid = Declare("grid", PT_INT);
  Run(TSysFunc::SetArray, {Ref("grid"), Int(2), Int(2)});
  Ints("w", {8, 9});
  EXPECT_EQ(Run(TSysFunc::AddArray, {Ref("grid"), Ref("w")}).GetAsInt(), 4);
  EXPECT_EQ(Run(TSysFunc::InsertArray, {Ref("w"), Int(0), Ref("grid")}).GetAsInt(), 2);
  EXPECT_EQ(Run(TSysFunc::DeleteArray, {Ref("grid"), Int(0), Int(1)}).GetAsInt(), 4);
  EXPECT_EQ(grid.Count(), 4);
  EXPECT_EQ(grid.DimCount(), 2);
}

TEST_F(ArrayFunctionsTest, DeleteArrayWithANegativeCountRaisesTheIndexError) {
  TParamCollectionItem& v = Ints("v", {0, 1, 2, 3, 4});
  EXPECT_EQ(RunError(TSysFunc::DeleteArray, {Ref("v"), Int(2), Int(-1)}), texts::kArrayIndexInvalid);
  EXPECT_EQ(v.Count(), 5);
  EXPECT_EQ(RunError(TSysFunc::DeleteArray, {Ref("v"), Int(0), Int(-2147483647 - 1)}), texts::kArrayIndexInvalid);
}

TEST_F(ArrayFunctionsTest, CopyArrayTakesShapeAndConvertsElements) {
  Declare("f", PT_FLOAT);
  Run(TSysFunc::SetArray, {Ref("f"), Int(2), Int(3)});
  Run(TSysFunc::FillMem, {Ref("f"), Str("1.5")});
  TParamCollectionItem& s = Declare("s", PT_STR);
  EXPECT_TRUE(Run(TSysFunc::CopyArray, {Ref("s"), Ref("f")}).GetAsBool());
  EXPECT_EQ(s.Count(), 6);
  EXPECT_EQ(s.DimCount(), 2);
  EXPECT_EQ(s.DimSize(1), 3);
  EXPECT_EQ(s.GetStrAt(5), "1.5");
}

TEST_F(ArrayFunctionsTest, AssignTempBindsOnlyExistingNames) {
  TParamCollectionItem& x = Declare("x", PT_INT);
  x.SetAsInt(4);
  EXPECT_TRUE(Run(TSysFunc::AssignTemp, {Str("x")}).GetAsBool());
  EXPECT_EQ(params.FindParam("@Temp")->GetAsInt(), 4);
  EXPECT_FALSE(Run(TSysFunc::AssignTemp, {Str("")}).GetAsBool());
  EXPECT_FALSE(Run(TSysFunc::AssignTemp, {Str("missing")}).GetAsBool());
  EXPECT_EQ(params.TempName(), "x");
  params.FindParam("@Temp")->SetAsInt(9);
  EXPECT_EQ(x.GetAsInt(), 9);
  // Bound to itself it reads as no variable instead of recursing.
  EXPECT_TRUE(Run(TSysFunc::AssignTemp, {Str("@Temp")}).GetAsBool());
  EXPECT_EQ(params.FindParam("@Temp")->GetAsInt(), 0);
}

TEST_F(ArrayFunctionsTest, DeleteStackDropsAFrameAndLowersTheLaterFrameIds) {
  TCallMan call_man;
  TStackList& stack = call_man.Stack();
  stack.Push().page_name = "p0";
  stack.Push().page_name = "p1";
  stack.Push().page_name = "p2";
  ASSERT_EQ(params.CurrentFrameId(), 3);
  const auto local = [&](const char* name, std::int32_t frame) -> TParamCollectionItem& {
    TParamCollectionItem& item = Declare(name, PT_INT);
    item.ApplyScope(TVarScope::kLocal, frame);
    return item;
  };
  local("at1", 1);
  TParamCollectionItem& at2 = local("at2", 2);
  TParamCollectionItem& mine = local("mine", 3);
  Declare("global", PT_INT);

  EXPECT_FALSE(Run(TSysFunc::DeleteStack, {Int(-1)}).GetAsBool());
  EXPECT_FALSE(Run(TSysFunc::DeleteStack, {Int(3)}).GetAsBool());
  EXPECT_EQ(stack.Count(), 3);

  EXPECT_TRUE(Run(TSysFunc::DeleteStack, {Int(1)}).GetAsBool());
  EXPECT_EQ(stack.Count(), 2);
  EXPECT_EQ(stack.Get(0).page_name, "p0");
  EXPECT_EQ(stack.Get(1).page_name, "p2");
  EXPECT_EQ(params.FindParam("at1"), nullptr);
  EXPECT_EQ(at2.FrameId(), 1);
  EXPECT_EQ(mine.FrameId(), 2);
  // The running page still sees its own locals.
  EXPECT_EQ(params.CurrentFrameId(), 2);
  EXPECT_EQ(params.FindParam("mine"), &mine);
  EXPECT_NE(params.FindParam("global"), nullptr);
}

}  // namespace
}  // namespace vorn
