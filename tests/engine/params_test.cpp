#include <gtest/gtest.h>

#include <map>

#include "engine/custom_param.h"
#include "engine/param_var.h"
#include "engine/script_error.h"
#include "engine/typed_params.h"
#include "foundation/stream.h"
#include "foundation/system_texts.h"

namespace {

using namespace vorn;

std::unique_ptr<TCustomParam> Make(std::uint8_t type) { return CreateParamByType(type); }

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EScriptError& e) {
    return e.what();
  }
  return "(none)";
}

std::vector<std::uint8_t> Saved(const TCustomParam& value) {
  TMemoryStream stream;
  value.SaveToStream(stream);
  return stream.Bytes();
}

TEST(Params, FreshValueHasOneZeroElement) {
  for (std::uint8_t type = 1; type <= 4; ++type) {
    auto value = Make(type);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->ParamType(), type);
    EXPECT_EQ(value->Count(), 1);
    EXPECT_EQ(value->DimCount(), 1);
    EXPECT_EQ(value->DimSize(0), 1);
    EXPECT_EQ(value->DimSize(5), 1);
    EXPECT_EQ(value->GetAsInt(), 0);
    EXPECT_EQ(value->GetAsString(), type == PT_BOOL ? "FALSE" : type == PT_STR ? "" : "0");
  }
}

TEST(Params, CreateParamByTypeIgnoresTheTopBit) {
  EXPECT_EQ(Make(0x81)->ParamType(), PT_INT);
  EXPECT_EQ(Make(0x84)->ParamType(), PT_STR);
  EXPECT_NE(dynamic_cast<TParamVar*>(Make(0).get()), nullptr);
  EXPECT_EQ(Make(5), nullptr);
  EXPECT_EQ(Make(0x7F), nullptr);
}

// Every getter of every element class, from one stored element.
TEST(Params, GettersConvertByTable) {
  struct Case {
    std::uint8_t type;
    const char* stored;  // set through SetAsString of a string, then converted by the table
    std::int32_t as_int;
    long double as_float;
    bool as_bool;
    const char* as_str;
  };
  const Case cases[] = {
      {PT_INT, "-7", -7, -7.0L, true, "-7"},
      {PT_INT, "0", 0, 0.0L, false, "0"},
      {PT_FLOAT, "2.9", 2, 2.9L, true, "2.9"},
      {PT_FLOAT, "-2.9", -2, -2.9L, true, "-2.9"},
      {PT_FLOAT, "0", 0, 0.0L, false, "0"},
      {PT_BOOL, "TRUE", 1, 1.0L, true, "TRUE"},
      {PT_BOOL, "true", 0, 0.0L, false, "FALSE"},
      {PT_STR, "1.5", 0, 1.5L, false, "1.5"},
      {PT_STR, "42", 42, 42.0L, false, "42"},
      {PT_STR, "TRUE", 0, 0.0L, true, "TRUE"},
      {PT_STR, "abc", 0, 0.0L, false, "abc"},
  };
  for (const auto& c : cases) {
    auto value = Make(c.type);
    value->SetAsString(c.stored);
    EXPECT_EQ(value->GetAsInt(), c.as_int) << int(c.type) << c.stored;
    EXPECT_EQ(value->GetAsFloat(), c.as_float) << int(c.type) << c.stored;
    EXPECT_EQ(value->GetAsBool(), c.as_bool) << int(c.type) << c.stored;
    EXPECT_EQ(value->GetAsString(), c.as_str) << int(c.type) << c.stored;
    EXPECT_EQ(value->GetIntAt(0), c.as_int);
    EXPECT_EQ(value->GetStrAt(0), c.as_str);
  }
}

// Every setter into every element class, read back in the class's own terms (as string).
TEST(Params, SettersConvertByTable) {
  enum Setter { kInt, kFloat, kBool, kStr };
  struct Case {
    std::uint8_t type;
    Setter setter;
    std::int32_t i;
    long double x;
    bool b;
    const char* s;
    const char* stored;
  };
  const Case cases[] = {
      {PT_INT, kInt, 5, 0, false, "", "5"},
      {PT_INT, kFloat, 0, 2.9L, false, "", "2"},
      {PT_INT, kFloat, 0, -2.9L, false, "", "-2"},
      {PT_INT, kBool, 0, 0, true, "", "1"},
      {PT_INT, kStr, 0, 0, false, "1.5", "0"},
      {PT_INT, kStr, 0, 0, false, "-12", "-12"},
      {PT_FLOAT, kInt, 3, 0, false, "", "3"},
      {PT_FLOAT, kFloat, 0, 0.25L, false, "", "0.25"},
      {PT_FLOAT, kBool, 0, 0, true, "", "1"},
      {PT_FLOAT, kStr, 0, 0, false, "1.5", "1.5"},
      {PT_FLOAT, kStr, 0, 0, false, "x", "0"},
      {PT_BOOL, kInt, -3, 0, false, "", "TRUE"},
      {PT_BOOL, kInt, 0, 0, false, "", "FALSE"},
      {PT_BOOL, kFloat, 0, 0.1L, false, "", "TRUE"},
      {PT_BOOL, kBool, 0, 0, true, "", "TRUE"},
      {PT_BOOL, kStr, 0, 0, false, "TRUE", "TRUE"},
      {PT_BOOL, kStr, 0, 0, false, "true", "FALSE"},
      {PT_STR, kInt, -5, 0, false, "", "-5"},
      {PT_STR, kFloat, 0, 1e15L, false, "", "1E15"},
      {PT_STR, kBool, 0, 0, false, "", "FALSE"},
      {PT_STR, kStr, 0, 0, false, "x y", "x y"},
  };
  for (const auto& c : cases) {
    auto scalar = Make(c.type);
    auto indexed = Make(c.type);
    switch (c.setter) {
      case kInt: scalar->SetAsInt(c.i); indexed->SetIntAt(0, c.i); break;
      case kFloat: scalar->SetAsFloat(c.x); indexed->SetFloatAt(0, c.x); break;
      case kBool: scalar->SetAsBool(c.b); indexed->SetBoolAt(0, c.b); break;
      case kStr: scalar->SetAsString(c.s); indexed->SetStrAt(0, c.s); break;
    }
    EXPECT_EQ(scalar->GetAsString(), c.stored) << int(c.type) << "/" << c.setter;
    EXPECT_EQ(indexed->GetAsString(), c.stored) << int(c.type) << "/" << c.setter;
  }
}

TEST(Params, DimensionsShapeAndIndexChecks) {
  TParamInt value;
  const std::int32_t dims[] = {2, 3};
  value.SetDims(dims);
  EXPECT_EQ(value.Count(), 6);
  EXPECT_EQ(value.DimCount(), 2);
  EXPECT_EQ(value.DimSize(1), 3);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(value.GetIntAt(i), 0);
  value.SetIntAt(5, 9);
  EXPECT_EQ(value.GetIntAt(5), 9);
  EXPECT_EQ(ErrorOf([&] { value.SetIntAt(6, 1); }), texts::kArrayIndexInvalid);
  EXPECT_EQ(ErrorOf([&] { value.GetIntAt(-1); }), texts::kArrayIndexInvalid);
  EXPECT_EQ(value.Count(), 6);  // indexed writes keep the shape
  value.SetAsInt(1);
  EXPECT_EQ(value.Count(), 1);
  EXPECT_EQ(value.DimCount(), 1);
  EXPECT_TRUE(value.Extents().empty());
  EXPECT_EQ(value.GetAsInt(), 1);
}

TEST(Params, ScalarSetterKeepsElementsOfAnUndimensionedValue) {
  TParamStr value;
  value.SetCount(3);
  value.SetStrAt(2, "c");
  value.SetAsString("a");
  EXPECT_EQ(value.Count(), 3);
  EXPECT_EQ(value.GetStrAt(2), "c");
}

TEST(Params, BadExtentsFailBeforeAnythingChanges) {
  TParamInt value;
  const std::int32_t ok[] = {4};
  value.SetDims(ok);
  const std::int32_t zero[] = {2, 0};
  // 配列の要素数[2,0]が不正です
  EXPECT_EQ(ErrorOf([&] { value.SetDims(zero); }),
            "\x94\x7a\x97\xf1\x82\xcc\x97\x76\x91\x66\x90\x94\x5b\x32\x2c\x30\x5d\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7");
  EXPECT_EQ(value.Count(), 4);
  EXPECT_EQ(value.DimSize(0), 4);
  const std::int32_t negative[] = {-1};
  EXPECT_EQ(ErrorOf([&] { value.SetDims(negative); }), ExtentErrorText(negative));
  // The product must not wrap: 65536 x 65536 is 0 in 32 bits.
  const std::int32_t huge[] = {65536, 65536};
  EXPECT_EQ(ErrorOf([&] { value.SetDims(huge); }), ExtentErrorText(huge));
  EXPECT_EQ(value.Count(), 4);
  const std::int32_t none[] = {0};
  EXPECT_EQ(ErrorOf([&] { value.SetDims(std::span<const std::int32_t>(none, 0)); }), "(none)");
  EXPECT_EQ(value.Count(), 1);
}

TEST(Params, FillsOnlyTheirOwnType) {
  TParamFloat floats;
  floats.SetCount(3);
  floats.FillInt(3);
  floats.FillStr("x");
  floats.FillBool(true);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(floats.GetFloatAt(i), 0.0L);
  floats.FillFloat(1.5L);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(floats.GetFloatAt(i), 1.5L);
  TParamStr strs;
  strs.SetCount(2);
  strs.FillInt(3);
  EXPECT_EQ(strs.GetStrAt(1), "");
  strs.FillStr("z");
  EXPECT_EQ(strs.GetStrAt(1), "z");
}

TEST(Params, CopyMemNeedsTheSameClassAndTakesTheShape) {
  TParamInt source;
  const std::int32_t dims[] = {2, 2};
  source.SetDims(dims);
  source.SetIntAt(3, 7);
  TParamInt target;
  target.CopyMem(source);
  EXPECT_EQ(target.Count(), 4);
  EXPECT_EQ(target.DimCount(), 2);
  EXPECT_EQ(target.GetIntAt(3), 7);
  TParamInt plain;
  plain.SetAsInt(4);
  target.CopyMem(plain);
  EXPECT_EQ(target.Extents(), std::vector<std::int32_t>{1});  // becomes dimensioned [1]
  EXPECT_EQ(target.GetAsInt(), 4);
  TParamFloat other;
  EXPECT_EQ(ErrorOf([&] { target.CopyMem(other); }), texts::kCopyMemTypeMismatch);
  EXPECT_EQ(target.GetAsInt(), 4);
}

TEST(Params, ConvertFromTakesShapeAndConvertsEachElement) {
  TParamFloat source;
  const std::int32_t dims[] = {3};
  source.SetDims(dims);
  source.SetFloatAt(0, 1.9L);
  source.SetFloatAt(1, -2.5L);
  source.SetFloatAt(2, 0.5L);
  TParamStr text;
  text.ConvertFrom(source);
  EXPECT_EQ(text.Count(), 3);
  EXPECT_EQ(text.GetStrAt(1), "-2.5");
  TParamInt ints;
  ints.ConvertFrom(source);
  EXPECT_EQ(ints.GetIntAt(0), 1);
  EXPECT_EQ(ints.GetIntAt(1), -2);
  TParamFlag flags;
  flags.ConvertFrom(text);
  EXPECT_FALSE(flags.GetBoolAt(0));
}

TEST(Params, IndexOfModes) {
  TParamStr value;
  value.SetCount(3);
  value.SetStrAt(0, "zz");
  value.SetStrAt(1, "ab");
  value.SetStrAt(2, "xBx");
  EXPECT_EQ(value.IndexOf("AB", false, false), 1);
  EXPECT_EQ(value.IndexOf("AB", true, false), -1);
  EXPECT_EQ(value.IndexOf("ab", true, false), 1);
  EXPECT_EQ(value.IndexOf("b", false, true), 1);
  EXPECT_EQ(value.IndexOf("B", true, true), 2);
  EXPECT_EQ(value.IndexOf("q", false, true), -1);
  TParamInt numbers;
  numbers.SetCount(2);
  numbers.SetIntAt(1, 12);
  EXPECT_EQ(numbers.IndexOf("12", true, false), 1);
}

TEST(Params, StreamFormatByClass) {
  TParamInt ints;
  const std::int32_t dims[] = {2};
  ints.SetDims(dims);
  ints.SetIntAt(1, -2);
  EXPECT_EQ(Saved(ints), (std::vector<std::uint8_t>{1, 0, 0, 0, 2, 0, 0, 0,  // one extent: 2
                                                    2, 0, 0, 0,              // two elements
                                                    0, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}));
  TParamFloat floats;
  floats.SetAsFloat(1.0L);
  EXPECT_EQ(Saved(floats), (std::vector<std::uint8_t>{0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  TParamFlag flags;
  flags.SetAsBool(true);
  EXPECT_EQ(Saved(flags), (std::vector<std::uint8_t>{0, 0, 0, 0, 1, 0, 0, 0, 1}));
  TParamStr strs;
  strs.SetAsString("ab");
  EXPECT_EQ(Saved(strs), (std::vector<std::uint8_t>{0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 'a', 'b'}));
  TParamVar ref("r");
  ref.SetFlag(3);
  ref.SetElementIndex(5);
  EXPECT_EQ(Saved(ref), (std::vector<std::uint8_t>{0, 0, 0, 0, 1, 0, 0, 0, 'r', 0, 0, 0, 0, 3, 5, 0, 0, 0}));
}

TEST(Params, LoadReplacesWholesaleAndAcceptsCountsThatDisagree) {
  // extents [2,2] but only 3 elements: accepted as stored.
  TMemoryStream stream(std::vector<std::uint8_t>{2, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,
                                                 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0});
  TParamInt value;
  value.LoadFromStream(stream);
  EXPECT_EQ(value.Count(), 3);
  EXPECT_EQ(value.DimCount(), 2);
  EXPECT_EQ(value.GetIntAt(2), 3);
}

TEST(Params, LoadRejectsBrokenRecords) {
  const std::vector<std::vector<std::uint8_t>> broken = {
      {0, 0, 0, 0, 0, 0, 0, 0},                    // no elements
      {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF},        // negative count
      {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0},  // extent 0
      {0xFF, 0xFF, 0xFF, 0x7F},                    // extent count beyond the data
      {0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 1, 0, 0, 0},  // count beyond the data
      {0, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0},        // second element missing
  };
  for (std::size_t i = 0; i < broken.size(); ++i) {
    TMemoryStream stream(broken[i]);
    TParamInt value;
    EXPECT_THROW(value.LoadFromStream(stream), EReadError) << i;
    EXPECT_EQ(value.Count(), 1) << i;
  }
}

struct Holder : TValueHolder {
  Holder(std::string n, std::unique_ptr<TCustomParam> v) : name(std::move(n)), value(std::move(v)) {}
  TCustomParam* HeldValue() const override { return value.get(); }
  std::string_view HeldName() const override { return name; }
  std::string name;
  std::unique_ptr<TCustomParam> value;
};

struct MapResolver : TReferenceResolver {
  MapResolver() { previous = SetReferenceResolver(this); }
  ~MapResolver() override { SetReferenceResolver(previous); }
  TValueHolder* FindForReference(std::string_view name) override {
    auto it = holders.find(std::string(name));
    return it == holders.end() ? nullptr : it->second.get();
  }
  Holder& Add(const std::string& name, std::unique_ptr<TCustomParam> value) {
    auto& slot = holders[name];
    slot = std::make_unique<Holder>(name, std::move(value));
    return *slot;
  }
  std::map<std::string, std::unique_ptr<Holder>> holders;
  TReferenceResolver* previous;
};

TEST(ParamVar, UnresolvedReadsZeroAndIgnoresWrites) {
  TParamVar ref("nothing");
  EXPECT_EQ(ref.ParamType(), PT_NONE);
  EXPECT_EQ(ref.GetAsInt(), 0);
  EXPECT_EQ(ref.GetAsString(), "");
  EXPECT_FALSE(ref.GetAsBool());
  EXPECT_EQ(ref.IndexOf("", false, false), -1);
  ref.SetAsInt(5);
  ref.SetIntAt(3, 5);
  ref.FillInt(1);
  EXPECT_EQ(ref.GetIntAt(3), 0);
}

TEST(ParamVar, ForwardsScalarsAtTheStoredIndexAndIndexedAtTheCallers) {
  MapResolver resolver;
  auto& array = resolver.Add("arr", std::make_unique<TParamInt>());
  const std::int32_t dims[] = {2, 3};
  array.value->SetDims(dims);
  TParamVar ref("arr");
  ref.Resolve();
  ref.SetElementIndex(5);
  ref.SetAsInt(9);
  EXPECT_EQ(array.value->GetIntAt(5), 9);
  EXPECT_EQ(array.value->Count(), 6);  // the target keeps its dimensions
  EXPECT_EQ(ref.GetAsString(), "9");
  ref.SetIntAt(1, 4);  // not 5 + 1
  EXPECT_EQ(array.value->GetIntAt(1), 4);
  EXPECT_EQ(ref.ParamType(), PT_INT);
  EXPECT_EQ(ref.Count(), 6);
  EXPECT_EQ(ref.DimCount(), 2);
  ref.SetElementIndex(6);
  EXPECT_EQ(ErrorOf([&] { ref.GetAsInt(); }), texts::kArrayIndexInvalid);
}

TEST(ParamVar, ResolvingTakesOverTheIndexOfAReference) {
  MapResolver resolver;
  auto& array = resolver.Add("arr", std::make_unique<TParamStr>());
  array.value->SetCount(4);
  array.value->SetStrAt(2, "two");
  auto element = std::make_unique<TParamVar>("arr");
  element->Resolve();
  element->SetElementIndex(2);
  resolver.Add("____d_0", std::move(element));
  TParamVar operand("____d_0");
  operand.Resolve();
  EXPECT_EQ(operand.ElementIndex(), 2);
  EXPECT_EQ(operand.GetAsString(), "two");
  TParamVar missing("zz");
  // "zz" 変数がありません
  EXPECT_EQ(ErrorOf([&] { missing.Resolve(); }), "\x22\x7a\x7a\x22\x20\x95\xcf\x90\x94\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1");
}

TEST(ParamVar, FreedTargetReadsAsUnresolved) {
  MapResolver resolver;
  resolver.Add("v", std::make_unique<TParamInt>()).value->SetAsInt(3);
  TParamVar ref("v");
  ref.Resolve();
  EXPECT_EQ(ref.GetAsInt(), 3);
  resolver.holders.erase("v");
  EXPECT_EQ(ref.Target(), nullptr);
  EXPECT_EQ(ref.GetAsInt(), 0);
  ref.SetAsInt(4);  // ignored, touches nothing
}

TEST(ParamVar, ReferenceCycleEndsAsUnresolved) {
  MapResolver resolver;
  resolver.Add("a", std::make_unique<TParamVar>("b"));
  resolver.Add("b", std::make_unique<TParamVar>("a"));
  static_cast<TParamVar*>(resolver.holders["a"]->value.get())->Resolve();
  static_cast<TParamVar*>(resolver.holders["b"]->value.get())->Resolve();
  TParamVar ref("a");
  ref.Resolve();
  EXPECT_EQ(ref.GetAsInt(), 0);
  ref.SetAsInt(1);
}

TEST(ParamVar, LoadLinksTheTargetByName) {
  MapResolver resolver;
  resolver.Add("t", std::make_unique<TParamInt>()).value->SetAsInt(8);
  TParamVar saved("r");
  saved.Link(resolver.holders["t"].get());
  saved.SetFlag(1);
  saved.SetElementIndex(0);
  TMemoryStream stream;
  saved.SaveToStream(stream);
  stream.SetPosition(0);
  TParamVar loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.Name(), "r");
  EXPECT_EQ(loaded.Flag(), 1);
  EXPECT_EQ(loaded.GetAsInt(), 8);
  resolver.holders.erase("t");
  stream.SetPosition(0);
  TParamVar orphan;
  orphan.LoadFromStream(stream);  // missing target: stays unresolved, no error
  EXPECT_EQ(orphan.Target(), nullptr);
}

}  // namespace
