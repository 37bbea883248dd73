// The text, number and date functions, called through the dispatcher as expressions call them.
// CP932 bytes are spelled out by hand; conversions and case folds were checked with Python's
// cp932 codec, dates against Python's datetime.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "engine/build_vorn_parser.h"
#include "engine/number_text.h"
#include "engine/param_collection.h"
#include "engine/run_time_random.h"
#include "engine/script_error.h"
#include "engine/sys_func_man.h"
#include "engine/typed_params.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"
#include "foundation/vocabulary.h"
#include "support/script_expression.h"

namespace {

using namespace vorn;
using F = TSysFunc;
using Arg = std::variant<std::int32_t, long double, bool, std::string>;

std::unique_ptr<TCustomParam> MakeArg(const Arg& arg) {
  if (auto* i = std::get_if<std::int32_t>(&arg)) {
    auto p = std::make_unique<TParamInt>();
    p->SetAsInt(*i);
    return p;
  }
  if (auto* x = std::get_if<long double>(&arg)) {
    auto p = std::make_unique<TParamFloat>();
    p->SetAsFloat(*x);
    return p;
  }
  if (auto* b = std::get_if<bool>(&arg)) {
    auto p = std::make_unique<TParamFlag>();
    p->SetAsBool(*b);
    return p;
  }
  auto p = std::make_unique<TParamStr>();
  p->SetAsString(std::get<std::string>(arg));
  return p;
}

class SysFuncs : public ::testing::Test {
 protected:
  SysFuncs() {
    target_ = &params_.AddParam(PT_STR);
    target_->SetName("target");
  }

  TParamCollectionItem& Declare(std::string_view name, std::uint8_t type) {
    auto& item = params_.AddParam(type);
    item.SetName(name);
    return item;
  }

  // Runs the function into a target of the given type, which starts as "unset"/-7/... so an
  // untouched target shows; returns the target as text.
  std::string Run(F f, const std::vector<Arg>& args, std::uint8_t type = PT_STR) {
    target_->SetType(type);
    target_->SetAsString("unset");
    if (type == PT_INT) target_->SetAsInt(-7);
    std::vector<std::unique_ptr<TCustomParam>> owned;
    std::vector<TCustomParam*> pointers;
    for (const Arg& arg : args) {
      owned.push_back(MakeArg(arg));
      pointers.push_back(owned.back().get());
    }
    man_.Execute(*target_, static_cast<std::uint8_t>(f), pointers);
    return target_->GetAsString();
  }

  // Runs with references to variables for the arguments given as names.
  void RunWithRefs(F f, std::vector<std::unique_ptr<TCustomParam>> args) {
    std::vector<TCustomParam*> pointers;
    for (auto& arg : args) {
      if (TParamVar* ref = arg->AsReference()) ref->Resolve();
      pointers.push_back(arg.get());
    }
    man_.Execute(*target_, static_cast<std::uint8_t>(f), pointers);
  }

  // Compiles and runs an expression text against the variables.
  std::string Evaluate(std::string_view text) {
    return vorn::testing::EvaluateScriptText(text);
  }

  TParamCollection params_;
  TSysFuncMan man_;
  TParamCollectionItem* target_ = nullptr;
};

std::unique_ptr<TCustomParam> Ref(std::string name) { return std::make_unique<TParamVar>(std::move(name)); }
std::unique_ptr<TCustomParam> Val(const Arg& arg) { return MakeArg(arg); }

std::vector<std::unique_ptr<TCustomParam>> List(std::unique_ptr<TCustomParam> a, std::unique_ptr<TCustomParam> b = {},
                                                std::unique_ptr<TCustomParam> c = {},
                                                std::unique_ptr<TCustomParam> d = {}) {
  std::vector<std::unique_ptr<TCustomParam>> list;
  for (auto* p : {&a, &b, &c, &d}) {
    if (*p) list.push_back(std::move(*p));
  }
  return list;
}

struct Case {
  F function;
  std::vector<Arg> args;
  std::string expected;
  std::uint8_t type = PT_STR;
};

std::string S(const char* text) { return text; }
constexpr std::int32_t kMinInt = -2147483647 - 1;

TEST_F(SysFuncs, TextFunctionsTable) {
  // ア 83 41, ソ 83 5C, 表 95 5C, ヘ 83 77, full-width space 81 40.
  const std::vector<Case> cases = {
      {F::IntToStr, {5}, "5"},
      {F::IntToStr, {5, S("3")}, "005"},
      {F::IntToStr, {-5, S("3")}, "-005"},
      {F::IntToStr, {5, 3}, "005"},
      {F::IntToStr, {5, S("")}, "5"},
      {F::IntToStr, {0, S("0")}, "0"},
      {F::IntToStr, {123, S("02")}, "123"},
      {F::IntToStr, {kMinInt, S("12")}, "-002147483648"},
      {F::IntToHex, {-1, 4}, "FFFFFFFF"},
      {F::IntToHex, {255, 4}, "00FF"},
      {F::IntToHex, {255, 0}, "FF"},
      {F::IntToHex, {255, -3}, "FF"},
      {F::IntToHex, {kMinInt, 1}, "80000000"},
      {F::StrToIntDef, {S("$1F"), 0}, "31", PT_INT},
      {F::StrToIntDef, {S("x"), 7}, "7", PT_INT},
      {F::StrToIntDef, {S("-12"), 0}, "-12", PT_INT},
      {F::StrToIntDef, {S(" 42"), 0}, "42", PT_INT},
      {F::StrToIntDef, {S("42 "), 9}, "9", PT_INT},
      {F::StrToIntDef, {S("$FFFFFFFF"), 0}, "-1", PT_INT},
      {F::StrToIntDef, {S("$100000000"), 4}, "4", PT_INT},
      {F::StrToIntDef, {S("-$10"), 0}, "-16", PT_INT},
      {F::StrToIntDef, {S("2147483648"), 5}, "5", PT_INT},
      {F::StrToIntDef, {S("-2147483648"), 0}, "-2147483648", PT_INT},
      {F::StrToIntDef, {S(""), 3}, "3", PT_INT},
      {F::StrToIntDef, {S("$"), 3}, "3", PT_INT},
      {F::StrToIntDef, {S("1.5"), 3}, "3", PT_INT},
      {F::StrToFloatDef, {S("1.5"), 0}, "1.5", PT_FLOAT},
      {F::StrToFloatDef, {S("1,5"), 2}, "2", PT_FLOAT},
      {F::StrToFloatDef, {S(" -2.5 "), 0}, "-2.5", PT_FLOAT},
      {F::StrToFloatDef, {S("1e3"), 0}, "1000", PT_FLOAT},
      {F::StrToFloatDef, {S("INF"), 0.25L}, "0.25", PT_FLOAT},
      {F::StrToFloatDef, {S(""), 0.25L}, "0.25", PT_FLOAT},
      {F::Length, {S("\x83\x41" "a")}, "3", PT_INT},
      {F::JLength, {S("\x83\x41" "a")}, "2", PT_INT},
      {F::JLength, {S("a\x83")}, "2", PT_INT},
      {F::Copy, {S("abcdef"), 3}, "cdef"},
      {F::Copy, {S("abcdef"), 3, 2}, "cd"},
      {F::Copy, {S("abcdef"), 0, 2}, "ab"},
      {F::Copy, {S("abcdef"), -5, 2}, "ab"},
      {F::Copy, {S("abcdef"), 7}, ""},
      {F::Copy, {S("abcdef"), 2, -1}, ""},
      {F::Copy, {S("abcdef"), 5, 100}, "ef"},
      {F::Copy, {S("abc"), 2147483647, 2147483647}, ""},
      {F::Copy, {S("\x83\x41\x83\x5C"), 2, 2}, "\x41\x83"},
      {F::JCopy, {S("a\x83\x41\x83\x5C" "b"), 2, 2}, "\x83\x41\x83\x5C"},
      {F::JCopy, {S("a\x83\x41" "b"), 2}, "\x83\x41" "b"},
      {F::JCopy, {S("\x83\x41\x83\x5C"), 2, 1}, "\x83\x5C"},
      {F::JCopy, {S("a\x83\x41" "b"), 0, 1}, "a"},
      {F::JCopy, {S("a\x83\x41" "b"), -3, -1}, ""},
      {F::JCopy, {S("a\x83\x41" "b"), 9, 1}, ""},
      {F::JCopy, {S("a\x83"), 2, 1}, "\x83"},
      {F::Pos, {S("cd"), S("abcdef")}, "3", PT_INT},
      {F::Pos, {S(""), S("abc")}, "0", PT_INT},
      {F::Pos, {S("x"), S("abc")}, "0", PT_INT},
      {F::Pos, {S("\\"), S("\x83\x5C")}, "2", PT_INT},
      {F::JPos, {S("\\"), S("\x83\x5C\\")}, "2", PT_INT},
      {F::JPos, {S("A"), S("\x83\x41" "A")}, "2", PT_INT},
      {F::JPos, {S(""), S("abc")}, "0", PT_INT},
      {F::Trim, {S("\t\r\n a b \x01")}, "a b"},
      {F::Trim, {S("\x81\x40" "a")}, "\x81\x40" "a"},
      {F::Trim, {S(" \x1F ")}, ""},
      {F::JTrim, {S(" \x81\x40" "a\x81\x40 ")}, "a"},
      {F::JTrim, {S("\ta\r\n")}, "\ta\r\n"},
      {F::JTrim, {S("a\x83\x40")}, "a\x83\x40"},
      {F::JTrim, {S(" \x81\x40 ")}, ""},
      {F::FixStr, {S("a\x83")}, "a"},
      {F::FixStr, {S("\x83\x41\x83")}, "\x83\x41"},
      {F::FixStr, {S("\x83\x41")}, "\x83\x41"},
      {F::FixStr, {S("\x83")}, "\x83"},
      {F::FixStr, {S("ab")}, "ab"},
      {F::FixStr, {S("\x83\x83\x83")}, "\x83\x83"},
      {F::FixStr, {S("")}, ""},
      // ＡＢＣ ABC ア ヘ Α А  <->  ａｂｃ abc ア ヘ α а
      {F::LowerCase,
       {S("\x82\x60\x82\x61\x82\x62 ABC \x83\x41 \x83\x77 \x83\x9F \x84\x40")},
       "\x82\x81\x82\x82\x82\x83 abc \x83\x41 \x83\x77 \x83\xBF \x84\x70"},
      {F::UpperCase,
       {S("\x82\x81\x82\x82\x82\x83 abc \x83\x41 \x83\x77 \x83\xBF \x84\x70")},
       "\x82\x60\x82\x61\x82\x62 ABC \x83\x41 \x83\x77 \x83\x9F \x84\x40"},
      {F::ExtractFilePath, {S("C:\\dir\\file.txt")}, "C:\\dir\\"},
      {F::ExtractFileName, {S("C:\\dir\\file.txt")}, "file.txt"},
      {F::ExtractFileExt, {S("C:\\dir\\file.txt")}, ".txt"},
      {F::ExtractFilePath, {S("C:file")}, "C:"},
      {F::ExtractFileName, {S("C:file")}, "file"},
      {F::ExtractFileExt, {S("a.b\\c")}, ""},
      {F::ExtractFileExt, {S("noext")}, ""},
      {F::ExtractFilePath, {S("\x95\x5C.txt")}, ""},
      {F::ExtractFileName, {S("\x95\x5C.txt")}, "\x95\x5C.txt"},
      {F::ExtractFileExt, {S("\x95\x5C.txt")}, ".txt"},
      {F::ExtractFilePath, {S("dir\\\x83\x5C")}, "dir\\"},
      {F::ExtractFileName, {S("dir\\\x83\x5C")}, "\x83\x5C"},
      {F::ExtractFileName, {S("\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.txt")}, "\x95\x5C.txt"},
      {F::ChangeFileExt, {S("file.txt"), S(".dat")}, "file.dat"},
      {F::ChangeFileExt, {S("a.b\\c"), S(".x")}, "a.b\\c.x"},
      {F::ChangeFileExt, {S("x.tar.gz"), S("")}, "x.tar"},
      {F::ChangeFileExt, {S("\x95\x5C"), S(".txt")}, "\x95\x5C.txt"},
      {F::IsPathDelimiter, {S("a\\"), 2}, "TRUE"},
      {F::IsPathDelimiter, {S("\x83\x5C"), 2}, "FALSE"},
      {F::IsPathDelimiter, {S("a\\"), 0}, "FALSE"},
      {F::IsPathDelimiter, {S("a\\"), 3}, "FALSE"},
      {F::IsPathDelimiter, {S("a\\"), -1}, "FALSE"},
      {F::AddBackSlash, {S("C:")}, "C:\\"},
      {F::AddBackSlash, {S("C:\\")}, "C:\\"},
      {F::AddBackSlash, {S("\x83\x5C")}, "\x83\x5C\\"},
      {F::AddBackSlash, {S("")}, "\\"},
      {F::IsDelimiter, {S(",;"), S("a;b"), 2}, "TRUE"},
      {F::IsDelimiter, {S(",;"), S("a;b"), 1}, "FALSE"},
      {F::IsDelimiter, {S("\\"), S("\x95\x5C"), 2}, "FALSE"},
      {F::IsDelimiter, {S(","), S("a,"), 3}, "FALSE"},
      {F::IsDelimiter, {S(","), S("a,"), 0}, "FALSE"},
      {F::StringOfChar, {S("ab"), 3}, "ababab"},
      {F::StringOfChar, {S("ab"), 0}, ""},
      {F::StringOfChar, {S("ab"), -1}, ""},
      {F::StringOfChar, {S(""), 5}, ""},
      {F::StringReplace, {S("aXbXc"), S("X"), S("-")}, "a-bXc"},
      {F::StringReplace, {S("aXbXc"), S("X"), S("-"), true}, "a-b-c"},
      {F::StringReplace, {S("axbXc"), S("X"), S("-"), true}, "axb-c"},
      {F::StringReplace, {S("axbXc"), S("X"), S("-"), true, true}, "a-b-c"},
      {F::StringReplace, {S("axbXc"), S("X"), S("-"), false, true}, "a-bXc"},
      {F::StringReplace, {S("abc"), S(""), S("-"), true}, "abc"},
      {F::StringReplace, {S("aaa"), S("a"), S("aa"), true}, "aaaaaa"},
      {F::StringReplace, {S("\x83\x41" "A"), S("A"), S("b"), true}, "\x83\x41" "b"},
      {F::StringReplace, {S("\x83\x41"), S("a"), S("z"), true, true}, "\x83\x41"},
      {F::StringReplace, {S("\x82\x60\x82\x61\x82\x62"), S("\x82\x82"), S("x"), true, true}, "\x82\x60x\x82\x62"},
      {F::AddDelimiter, {S(","), S("")}, ""},
      {F::AddDelimiter, {S(","), S("x")}, "x,"},
      // ｶﾞ ﾊﾟ A tab -> ガ パ Ａ ; ガ 漢 -> ｶﾞ
      {F::HanToZen, {S("\xB6\xDE\xCA\xDF" "A\t")}, "\x83\x4B\x83\x70\x82\x60"},
      {F::ZenToHan, {S("\x83\x4B\x8A\xBF")}, "\xB6\xDE"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.function, c.args, c.type), c.expected) << vocabulary::kSysFuncNames[static_cast<int>(c.function)];
  }
}

TEST_F(SysFuncs, ComparisonsGiveTheSign) {
  struct Sign {
    F function;
    std::string a, b;
    int sign;
  };
  const std::vector<Sign> cases = {
      {F::CompareStr, "a", "b", -1},   {F::CompareStr, "b", "a", 1},    {F::CompareStr, "a", "a", 0},
      {F::CompareStr, "a", "A", 1},    {F::CompareStr, "ab", "a", 1},   {F::CompareStr, "\x83\x41", "a", 1},
      {F::CompareText, "a", "A", 0},   {F::CompareText, "abc", "ABD", -1},
      {F::CompareText, "\x82\x60", "\x82\x81", 0},  // Ａ / ａ
      {F::CompareText, "b", "A", 1},   {F::CompareText, "", "a", -1},
  };
  for (const Sign& c : cases) {
    const int result = std::stoi(Run(c.function, {c.a, c.b}, PT_INT));
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " " << c.b;
  }
}

TEST_F(SysFuncs, BadInputRaisesAndLeavesTheTarget) {
  const std::vector<Case> cases = {
      {F::IntToStr, {5, S("x")}, ""},
      {F::IntToStr, {5, S("-3")}, ""},
      {F::IntToStr, {5, S("3 ")}, ""},
      {F::IntToStr, {5, S("%s%s%n")}, ""},
      {F::IntToStr, {5, S("99999999999999999999")}, ""},
      {F::IntToHex, {1, 1 << 30}, ""},
      {F::StringOfChar, {S("ab"), 1 << 30}, ""},
      {F::StringOfChar, {S("abcdefgh"), 2147483647}, ""},
      // A damaged list may pass fewer arguments than the function reads.
      {F::Copy, {S("abc")}, ""},
      {F::IntToHex, {}, ""},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(Run(c.function, c.args), EScriptError) << vocabulary::kSysFuncNames[static_cast<int>(c.function)];
    EXPECT_EQ(target_->GetAsString(), "unset");
  }
}

TEST_F(SysFuncs, ReplacementsThatWouldGrowTooLargeRaise) {
  const std::string big(1 << 12, 'a');
  const std::string pattern(1 << 20, 'b');
  EXPECT_THROW(Run(F::StringReplace, {big, S("a"), pattern, true}), EScriptError);
  EXPECT_EQ(target_->GetAsString(), "unset");
}

TEST_F(SysFuncs, VarArgumentsAreWrittenBackAndTheTargetKept) {
  auto& s = Declare("s", PT_STR);
  struct RefCase {
    F function;
    std::string before;
    std::vector<Arg> rest;  // the arguments after (or, for Insert, around) s
    std::string after;
  };
  const std::vector<RefCase> cases = {
      {F::Delete, "abcdef", {3}, "ab"},
      {F::Delete, "abcdef", {2, 2}, "adef"},
      {F::Delete, "abcdef", {2, 100}, "a"},
      {F::Delete, "abcdef", {0, 2}, "abcdef"},
      {F::Delete, "abcdef", {7, 1}, "abcdef"},
      {F::Delete, "abcdef", {2, -1}, "abcdef"},
      {F::JDelete, "a\x83\x41" "b", {2, 1}, "ab"},
      {F::JDelete, "a\x83\x41" "b", {2}, "a"},
      {F::JDelete, "a\x83\x41" "b", {0, 1}, "\x83\x41" "b"},
      {F::JDelete, "a\x83\x41" "b", {9, 1}, "a\x83\x41" "b"},
      {F::JDelete, "a\x83\x41" "b", {2, 99}, "a"},
  };
  for (const RefCase& c : cases) {
    s.SetAsString(c.before);
    target_->SetType(PT_STR);
    target_->SetAsString("unset");
    auto args = List(Ref("s"), Val(c.rest[0]), c.rest.size() > 1 ? Val(c.rest[1]) : nullptr);
    RunWithRefs(c.function, std::move(args));
    EXPECT_EQ(s.GetAsString(), c.after) << vocabulary::kSysFuncNames[static_cast<int>(c.function)] << " " << c.before;
    EXPECT_EQ(target_->GetAsString(), "unset");
  }
  struct InsertCase {
    F function;
    std::string source, before;
    std::int32_t index;
    std::string after;
  };
  const std::vector<InsertCase> inserts = {
      {F::Insert, "X", "abc", 2, "aXbc"},          {F::Insert, "X", "abc", -5, "Xabc"},
      {F::Insert, "X", "abc", 99, "abcX"},         {F::Insert, "X", "abc", 4, "abcX"},
      {F::JInsert, "\x83\x41", "ab", 2, "a\x83\x41" "b"},
      {F::JInsert, "X", "\x83\x41\x83\x41", 2, "\x83\x41X\x83\x41"},
      {F::JInsert, "X", "ab", -5, "Xab"},         {F::JInsert, "X", "ab", 99, "abX"},
  };
  for (const InsertCase& c : inserts) {
    s.SetAsString(c.before);
    RunWithRefs(c.function, List(Val(c.source), Ref("s"), Val(c.index)));
    EXPECT_EQ(s.GetAsString(), c.after) << c.source << " into " << c.before << " at " << c.index;
  }
}

TEST_F(SysFuncs, CompiledCallsWriteIntoTheCallersVariables) {
  auto& s = Declare("s", PT_STR);
  s.SetAsString("abcdef");
  Evaluate("Delete(s, 3)");
  EXPECT_EQ(s.GetAsString(), "ab");
  auto& a = Declare("a", PT_STR);
  a.SetAsString("xyz");
  Evaluate("Insert(\"-\", a, 2)");
  EXPECT_EQ(a.GetAsString(), "x-yz");
  auto& y = Declare("y", PT_INT);
  auto& m = Declare("m", PT_STR);  // written with SetInt, converted by the variable's own type
  auto& d = Declare("d", PT_FLOAT);
  Evaluate("DecodeDate(36585.5, y, m, d)");
  EXPECT_EQ(y.GetAsInt(), 2000);
  EXPECT_EQ(m.GetAsString(), "2");
  EXPECT_EQ(d.GetAsFloat(), 29);
  EXPECT_EQ(Evaluate("IntToStr(-5, 3)"), "-005");
  EXPECT_EQ(Evaluate("Copy(\"abcdef\", 3)"), "cdef");
}

TEST_F(SysFuncs, NumberFunctions) {
  const std::vector<Case> cases = {
      {F::Not, {true}, "FALSE", PT_BOOL},
      {F::Not, {0}, "TRUE", PT_BOOL},
      {F::Int, {2.9L}, "2", PT_INT},
      {F::Int, {-2.9L}, "-2", PT_INT},
      {F::Int, {1e30L}, "0", PT_INT},
      {F::Int, {4294967301.0L}, "5", PT_INT},
      {F::Int, {S("7")}, "7", PT_INT},
      {F::Float, {3}, "3", PT_FLOAT},
      {F::Float, {2.5L}, "2", PT_INT},  // the target's own type converts
      {F::Abs, {-5}, "5", PT_INT},
      {F::Abs, {kMinInt}, "-2147483648", PT_INT},
      {F::Abs, {2147483647}, "2147483647", PT_INT},
      {F::Fabs, {-2.5L}, "2.5", PT_FLOAT},
      {F::Min, {kMinInt, 2147483647}, "-2147483648", PT_INT},
      {F::Max, {kMinInt, 2147483647}, "2147483647", PT_INT},
      {F::Min, {3, -4}, "-4", PT_INT},
      {F::Fmin, {1.5L, -0.5L}, "-0.5", PT_FLOAT},
      {F::Fmax, {1.5L, -0.5L}, "1.5", PT_FLOAT},
      {F::Hypot, {3, 4}, "5", PT_FLOAT},
      {F::Random, {0}, "0", PT_INT},
      {F::Random, {-5}, "0", PT_INT},
      {F::Random, {1}, "0", PT_INT},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.function, c.args, c.type), c.expected) << vocabulary::kSysFuncNames[static_cast<int>(c.function)];
  }
}

TEST_F(SysFuncs, Trigonometry) {
  struct Trig {
    F function;
    std::vector<Arg> args;
    long double expected;
  };
  const long double pi = 3.14159265358979323846L;
  const std::vector<Trig> cases = {
      {F::Sin, {pi / 6}, 0.5L},          {F::Cos, {pi / 3}, 0.5L},        {F::Tan, {pi / 4}, 1.0L},
      {F::ArcSin, {1}, pi / 2},          {F::ArcCos, {-1}, pi},           {F::ArcTan, {1}, pi / 4},
      {F::ArcTan2, {1, 0}, pi / 2},      {F::ArcTan2, {0, -1}, pi},       {F::ArcTan2, {-1, -1}, -3 * pi / 4},
      {F::Hypot, {5, 12}, 13},
  };
  for (const Trig& c : cases) {
    Run(c.function, c.args, PT_FLOAT);
    EXPECT_NEAR(static_cast<double>(target_->GetAsFloat()), static_cast<double>(c.expected), 1e-12)
        << vocabulary::kSysFuncNames[static_cast<int>(c.function)];
  }
  // Undefined results raise and keep the target.
  for (const Trig& c : std::vector<Trig>{{F::ArcSin, {2}, 0}, {F::ArcCos, {-3}, 0}, {F::Hypot, {1e4932L, 1e4932L}, 0}}) {
    EXPECT_THROW(Run(c.function, c.args, PT_STR), EScriptError);
    EXPECT_EQ(target_->GetAsString(), "unset");
  }
}

TEST_F(SysFuncs, RandomIsUniformBelowNAndSeeded) {
  Randomize(12345);
  std::vector<int> counts(6);
  std::vector<std::string> first;
  for (int i = 0; i < 6000; ++i) {
    const int r = std::stoi(Run(F::Random, {6}, PT_INT));
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 6);
    ++counts[static_cast<std::size_t>(r)];
    if (i < 20) first.push_back(std::to_string(r));
  }
  for (int n : counts) EXPECT_GT(n, 800);
  Randomize(12345);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(Run(F::Random, {6}, PT_INT), first[static_cast<std::size_t>(i)]);
}

struct DateRow {
  const char* label;
  long double value;
  int year, month, day, hour, minute, second, week;
};

// Reference from Python's datetime: the day part through date arithmetic from 1899-12-30, the
// time as the absolute remainder of the rounded millisecond count.
const DateRow kDates[] = {
    {"1899-12-30T00:00:00", 0.0, 1899, 12, 30, 0, 0, 0, 7},
    {"1899-12-31T00:00:01", 1.000011574074074, 1899, 12, 31, 0, 0, 1, 1},
    {"1899-12-29T06:00:00", -1.25, 1899, 12, 29, 6, 0, 0, 6},
    {"1900-01-01T00:00:00", 2.0, 1900, 1, 1, 0, 0, 0, 2},
    {"1900-02-28T23:59:59", 60.99998842592593, 1900, 2, 28, 23, 59, 59, 4},
    {"1900-03-01T00:00:00", 61.0, 1900, 3, 1, 0, 0, 0, 5},
    {"2000-02-29T12:00:00", 36585.5, 2000, 2, 29, 12, 0, 0, 3},
    {"1800-06-15T12:30:45", -36357.52135416667, 1800, 6, 15, 12, 30, 45, 1},
    {"1600-02-29T01:02:03", -109512.04309027777, 1600, 2, 29, 1, 2, 3, 3},
    {"0001-01-01T00:00:00", -693593.0, 1, 1, 1, 0, 0, 0, 2},
    {"9999-12-31T23:59:59", 2958465.999988426, 9999, 12, 31, 23, 59, 59, 6},
    {"1582-10-10T08:00:00", -115863.33333333333, 1582, 10, 10, 8, 0, 0, 1},
    {"2024-02-29T18:45:30", 45351.78159722222, 2024, 2, 29, 18, 45, 30, 5},
    {"1970-01-01T00:00:00", 25569.0, 1970, 1, 1, 0, 0, 0, 5},
    {"0.9999999999", 0.9999999999, 1899, 12, 31, 0, 0, 0, 1},
    {"-0.5", -0.5, 1899, 12, 30, 12, 0, 0, 7},
};

TEST_F(SysFuncs, DatePartsMatchTheReference) {
  const char* const week_names[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  // 日 月 火 水 木 金 土
  const char* const week_jnames[] = {"\x93\xFA", "\x8C\x8E", "\x89\xCE", "\x90\x85", "\x96\xD8", "\x8B\xE0", "\x93\x79"};
  for (const DateRow& row : kDates) {
    SCOPED_TRACE(row.label);
    EXPECT_EQ(Run(F::GetYear, {row.value}, PT_INT), std::to_string(row.year));
    EXPECT_EQ(Run(F::GetMonth, {row.value}, PT_INT), std::to_string(row.month));
    EXPECT_EQ(Run(F::GetDay, {row.value}, PT_INT), std::to_string(row.day));
    EXPECT_EQ(Run(F::GetHour, {row.value}, PT_INT), std::to_string(row.hour));
    EXPECT_EQ(Run(F::GetMin, {row.value}, PT_INT), std::to_string(row.minute));
    EXPECT_EQ(Run(F::GetSec, {row.value}, PT_INT), std::to_string(row.second));
    EXPECT_EQ(Run(F::GetWeek, {row.value}, PT_INT), std::to_string(row.week));
    EXPECT_EQ(Run(F::GetWeekStr, {row.value}), week_names[row.week - 1]);
    EXPECT_EQ(Run(F::GetWeekJStr, {row.value}), week_jnames[row.week - 1]);

    auto& y = Declare("y", PT_INT);
    auto& m = Declare("m", PT_INT);
    auto& d = Declare("d", PT_INT);
    RunWithRefs(F::DecodeDate, List(Val(row.value), Ref("y"), Ref("m"), Ref("d")));
    EXPECT_EQ(y.GetAsInt(), row.year);
    EXPECT_EQ(m.GetAsInt(), row.month);
    EXPECT_EQ(d.GetAsInt(), row.day);
    RunWithRefs(F::DecodeTime, List(Val(row.value), Ref("y"), Ref("m"), Ref("d")));
    EXPECT_EQ(y.GetAsInt(), row.hour);
    EXPECT_EQ(m.GetAsInt(), row.minute);
    EXPECT_EQ(d.GetAsInt(), row.second);
    params_.FreeItem(y);
    params_.FreeItem(m);
    params_.FreeItem(d);

    // The whole day encodes back to the day count; the time to its fraction.
    if (row.value == std::trunc(row.value)) {
      Run(F::EncodeDate, {row.year, row.month, row.day}, PT_FLOAT);
      EXPECT_EQ(target_->GetAsFloat(), row.value);
    }
  }
}

TEST_F(SysFuncs, EncodeDateAndTime) {
  struct Encode {
    F function;
    std::int32_t a, b, c;
    long double expected;  // NAN: impossible, raises
  };
  const std::vector<Encode> cases = {
      {F::EncodeDate, 2000, 2, 29, 36585},   {F::EncodeDate, 1900, 3, 1, 61},
      {F::EncodeDate, 1899, 12, 29, -1},     {F::EncodeDate, 9999, 12, 31, 2958465},
      {F::EncodeDate, 1, 1, 1, -693593},     {F::EncodeDate, 1900, 2, 29, NAN},
      {F::EncodeDate, 2023, 4, 31, NAN},     {F::EncodeDate, 2023, 13, 1, NAN},
      {F::EncodeDate, 2023, 0, 1, NAN},      {F::EncodeDate, 2023, 1, 0, NAN},
      {F::EncodeDate, 0, 1, 1, NAN},         {F::EncodeDate, 10000, 1, 1, NAN},
      {F::EncodeDate, 65536 + 2000, 1, 1, NAN},
      {F::EncodeTime, 12, 30, 15, (12 * 3600 + 30 * 60 + 15) / 86400.0L},
      {F::EncodeTime, 0, 0, 0, 0},           {F::EncodeTime, 23, 59, 59, 86399 / 86400.0L},
      {F::EncodeTime, 24, 0, 0, NAN},        {F::EncodeTime, 0, 60, 0, NAN},
      {F::EncodeTime, 0, 0, 60, NAN},        {F::EncodeTime, -1, 0, 0, NAN},
  };
  for (const Encode& c : cases) {
    SCOPED_TRACE(std::to_string(c.a) + "-" + std::to_string(c.b) + "-" + std::to_string(c.c));
    if (std::isnan(c.expected)) {
      EXPECT_THROW(Run(c.function, {c.a, c.b, c.c}), EScriptError);
      EXPECT_EQ(target_->GetAsString(), "unset");
    } else {
      Run(c.function, {c.a, c.b, c.c}, PT_FLOAT);
      EXPECT_EQ(target_->GetAsFloat(), c.expected);
    }
  }
  // EncodeTime has 0 ms: decoding gives the same parts back.
  Run(F::EncodeTime, {7, 8, 9}, PT_FLOAT);
  const long double t = target_->GetAsFloat();
  EXPECT_EQ(Run(F::GetHour, {t}, PT_INT), "7");
  EXPECT_EQ(Run(F::GetMin, {t}, PT_INT), "8");
  EXPECT_EQ(Run(F::GetSec, {t}, PT_INT), "9");
}

TEST_F(SysFuncs, DateTimesOutsideTheCalendarRaise) {
  for (long double value : {-693594.0L, 2958466.0L, 1e300L, -1e300L, static_cast<long double>(NAN),
                            static_cast<long double>(INFINITY)}) {
    EXPECT_THROW(Run(F::GetYear, {value}, PT_STR), EScriptError) << static_cast<double>(value);
    EXPECT_EQ(target_->GetAsString(), "unset");
  }
}

}  // namespace
