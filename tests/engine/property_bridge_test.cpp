#include "engine/property_bridge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/param_collection.h"
#include "engine/script_error.h"
#include "foundation/system_texts.h"
#include "support/recording_scene.h"

namespace vorn {
namespace {

using testing::TPropCall;
using testing::TRecordingObject;
using testing::TRecordingScene;

// A value that logs which conversion the bridge asked of it.
class TLoggingValue : public TCustomParam {
 public:
  mutable std::vector<std::string> reads;
  std::vector<std::string> writes;
  std::int32_t i = 261;
  TExtended f = 2.5L;
  bool b = true;
  std::string s = "s";

  std::int32_t GetAsInt() const override { return reads.push_back("int"), i; }
  TExtended GetAsFloat() const override { return reads.push_back("float"), f; }
  bool GetAsBool() const override { return reads.push_back("bool"), b; }
  std::string GetAsString() const override { return reads.push_back("string"), s; }
  void SetAsInt(std::int32_t v) override { writes.push_back("int " + std::to_string(v)); }
  void SetAsFloat(TExtended v) override { writes.push_back("float " + testing::FloatText(v)); }
  void SetAsBool(bool v) override { writes.push_back(v ? "bool true" : "bool false"); }
  void SetAsString(std::string_view v) override { writes.push_back("string " + std::string(v)); }
};

// The property kinds, listed by hand from the property table of the bridge (not from the code).
// 'S' string, 'I' integer, 'B' byte, 'L' boolean, 'F' float, 'N' no property.
std::map<int, char> HandKindTable() {
  std::map<int, char> kinds;
  auto put = [&](std::initializer_list<int> indices, char kind) {
    for (int i : indices) {
      EXPECT_TRUE(kinds.emplace(i, kind).second) << "listed twice: " << i;
    }
  };
  put({2, 15, 69, 70, 83, 84, 99, 106, 121, 122, 129, 133, 0, 1, 50, 54, 55, 56, 57, 58, 59, 60,
       61, 62, 151},
      'S');
  put({32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 43, 46, 72, 74, 75, 76, 77, 101, 103, 104, 105,
       113, 135, 136, 144, 145, 146, 148, 149},
      'S');
  put({3,   4,   5,   6,   7,   8,   9,   10,  11,  13,  14,  16,  18,  19,  20,  21,  22,  24,
       26,  28,  30,  31,  42,  44,  45,  48,  49,  51,  52,  82,  85,  89,  90,  91,  97,  107,
       108, 109, 110, 114, 115, 116, 117, 118, 119, 120, 123, 124, 125, 127, 128, 130, 131, 132,
       141, 142, 143, 153, 154, 155, 156, 157, 159, 160, 12,  17,  23,  78,  79,  161},
      'I');
  put({53, 80, 94, 126, 63, 64, 65, 66, 67, 68, 140}, 'B');
  put({25, 27, 29, 47, 71, 73, 81, 86, 87, 88, 98, 100, 111, 112, 134, 137, 139, 147, 150, 152,
       158, 138},
      'L');
  put({95, 96, 102}, 'F');
  put({92, 93}, 'N');
  return kinds;
}

const std::set<int> kReadOnly = {78, 79, 138, 140, 161};
// Extra-argument accessors: the cell (valign logged as 100 + cell) or particle number.
const std::map<int, int> kCells = {{54, 0},   {55, 1},   {56, 2},   {57, 3},  {58, 4},  {59, 5},
                                   {60, 6},   {61, 7},   {62, 8},   {63, 1},  {64, 4},  {65, 7},
                                   {66, 103}, {67, 104}, {68, 105}, {95, 0},  {96, 1},  {102, 2}};

TEST(PropertyBridge, HandTableCoversEveryIndexOnceAndMatchesTheKindTable) {
  const auto kinds = HandKindTable();
  ASSERT_EQ(kinds.size(), 162u);
  const std::map<char, TPropertyKind> as_kind = {
      {'S', TPropertyKind::kString}, {'I', TPropertyKind::kInteger}, {'B', TPropertyKind::kByte},
      {'L', TPropertyKind::kBoolean}, {'F', TPropertyKind::kFloat},  {'N', TPropertyKind::kNone}};
  for (auto [index, kind] : kinds) {
    EXPECT_EQ(PropertyKind(static_cast<std::uint8_t>(index)), as_kind.at(kind)) << index;
    EXPECT_EQ(IsReadOnlyProperty(static_cast<std::uint8_t>(index)), kReadOnly.contains(index)) << index;
  }
  for (int index = 162; index < 256; ++index) {
    EXPECT_EQ(PropertyKind(static_cast<std::uint8_t>(index)), TPropertyKind::kNone) << index;
  }
}

TEST(PropertyBridge, EveryWriteCallsOneSetterWithTheKindsConversion) {
  for (auto [index, kind] : HandKindTable()) {
    SCOPED_TRACE(index);
    TRecordingScene scene;
    scene.Add("s");  // the control a PARENT write of "s" finds
    TRecordingObject object;
    TLoggingValue value;
    if (kind == 'N') {
      EXPECT_THROW(SetObjectProp(object, index, value), EScriptError);
      EXPECT_TRUE(object.calls.empty());
      continue;
    }
    SetObjectProp(object, index, value);
    if (kReadOnly.contains(index)) {
      EXPECT_TRUE(object.calls.empty());
      EXPECT_TRUE(value.reads.empty());
      continue;
    }
    const std::map<char, std::string> read_op = {
        {'S', "string"}, {'I', "int"}, {'B', "int"}, {'L', "bool"}, {'F', "float"}};
    EXPECT_EQ(value.reads, std::vector<std::string>{read_op.at(kind)});
    const auto calls = object.PropertyCalls();
    ASSERT_EQ(calls.size(), 1u);
    const TPropCall& call = calls[0];
    // Setters of byte accessors and styles keep what fits: 261 -> 5.
    std::string expected = kind == 'S' ? "s" : kind == 'I' ? "261" : kind == 'B' ? "5"
                           : kind == 'L' ? "true" : testing::FloatText(2.5L);
    if (index == 17 || index == 23) expected = "5";
    EXPECT_EQ(call.value, expected);
    if (kCells.contains(index)) {
      EXPECT_EQ(call.index, -1);
      EXPECT_EQ(call.cell, kCells.at(index));
      EXPECT_EQ(call.kind, kind);
    } else {
      EXPECT_EQ(call.index, index);
      // Styles log as integers; byte accessors as bytes.
      EXPECT_EQ(call.kind, kind);
    }
  }
}

TEST(PropertyBridge, EveryReadUsesTheKindsConversion) {
  TRecordingObject object;
  object.kind = 23;
  for (auto [index, kind] : HandKindTable()) {
    SCOPED_TRACE(index);
    TParamCollectionItem target;
    auto value = std::make_unique<TLoggingValue>();
    TLoggingValue* log = value.get();
    target.SetValue(std::move(value));
    GetObjectProp(target, object, index);
    ASSERT_EQ(log->writes.size(), 1u);
    const std::string& w = log->writes[0];
    const std::string op = w.substr(0, w.find(' '));
    const std::map<char, std::string> write_op = {{'S', "string"}, {'I', "int"}, {'B', "int"},
                                                  {'L', "bool"},   {'F', "float"}, {'N', "int"}};
    EXPECT_EQ(op, write_op.at(kind));
    if (kind == 'N') {
      EXPECT_EQ(w, "int 0");
    }
  }
}

// The neutral values of an object that lacks every property.
TEST(PropertyBridge, ObjectWithoutThePropertyReadsTheNeutralValue) {
  TRecordingObject object;
  object.ints[5] = 40;  // WIDTH
  object.ints[6] = 30;  // HEIGHT
  const std::map<int, std::string> expected = {
      {7, "256"}, {132, "256"}, {82, "256"}, {11, "255"}, {42, "255"}, {10, "-1"},  {24, "-1"},
      {44, "-1"}, {127, "1"},   {128, "1"},  {94, "1"},   {139, "1"},  {150, "1"},  {90, "40"},
      {91, "30"}, {8, "16777215"}, {3, "0"}, {28, "0"},   {16, "0"},   {47, "0"},   {2, ""},
      {78, "0"},  {79, "0"},    {161, "0"},  {95, "0"},   {1, ""},     {140, "0"}};
  for (auto [index, text] : expected) {
    SCOPED_TRACE(index);
    TParamCollectionItem target;
    target.SetType(PT_STR);
    GetObjectProp(target, object, index);
    if (PropertyKind(static_cast<std::uint8_t>(index)) == TPropertyKind::kBoolean) {
      EXPECT_EQ(target.GetAsBool(), text == "1");
    } else if (index == 95) {
      EXPECT_EQ(target.GetAsFloat(), 0);
    } else {
      EXPECT_EQ(target.GetAsString(), text);
    }
  }
}

TEST(PropertyBridge, OnlyTheLowByteOfTheIndexCounts) {
  TRecordingObject object;
  object.ints[44] = 7;
  TParamCollectionItem target;
  GetObjectProp(target, object, 300);
  EXPECT_EQ(target.GetAsInt(), 7);
  GetObjectProp(target, object, 256 + 44);
  EXPECT_EQ(target.GetAsInt(), 7);

  TLoggingValue value;
  SetObjectProp(object, 256 + 3, value);
  ASSERT_EQ(object.calls.size(), 1u);
  EXPECT_EQ(object.calls[0].index, 3);
  // -1 is 255: no property.
  EXPECT_THROW(SetObjectProp(object, -1, value), EScriptError);
}

TEST(PropertyBridge, BadIndicesRaiseAndChangeNothing) {
  TRecordingObject object;
  TParamCollectionItem target;
  target.SetAsInt(99);
  for (int index : {162, 200, 255, -1, 0x7FFFFFA2}) {
    SCOPED_TRACE(index);
    try {
      GetObjectProp(target, object, index);
      ADD_FAILURE() << "no raise";
    } catch (const EScriptError& e) {
      EXPECT_EQ(std::string(e.what()), std::string(texts::kGetPropError));
    }
    EXPECT_EQ(target.GetAsInt(), 99);
  }
  TLoggingValue value;
  for (int index : {92, 93, 162, 255, 256 + 92}) {
    SCOPED_TRACE(index);
    try {
      SetObjectProp(object, index, value);
      ADD_FAILURE() << "no raise";
    } catch (const EScriptError& e) {
      EXPECT_EQ(std::string(e.what()), std::string(texts::kSetPropError));
    }
  }
  EXPECT_TRUE(object.calls.empty());
}

TEST(PropertyBridge, SpecialReads) {
  TRecordingScene scene;
  TRecordingObject& parent = scene.Add("frame");
  TRecordingObject object("box");
  object.SetTag("memo");
  object.SetPriority(4);
  object.SetParentObject(&parent);
  object.caret = {11, 22};
  object.caret_height = 15;
  object.playing = true;
  object.kind = 13;
  object.ints[17] = 5;
  object.cell_strings[8] = "br.png";
  object.halign[7] = 2;
  object.valign[5] = 3;
  object.params[2] = 1.25L;
  struct Case {
    int index;
    std::string text;
  };
  const std::vector<Case> cases = {{0, "box"},  {1, "frame"}, {151, "memo"}, {12, "4"},
                                   {78, "11"},  {79, "22"},   {161, "15"},   {138, "1"},
                                   {140, "13"}, {17, "5"},    {62, "br.png"}, {65, "2"},
                                   {68, "3"},   {92, "0"},    {93, "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    TParamCollectionItem target;
    target.SetType(PT_STR);
    GetObjectProp(target, object, c.index);
    if (c.index == 138) {
      EXPECT_TRUE(target.GetAsBool());
    } else {
      EXPECT_EQ(target.GetAsString(), c.text);
    }
  }
  TParamCollectionItem target;
  target.SetType(PT_FLOAT);
  GetObjectProp(target, object, 102);
  EXPECT_EQ(target.GetAsFloat(), 1.25L);
}

TEST(PropertyBridge, StringVariableReceivesTheDecimalTextOfLeft) {
  TRecordingObject object;
  object.ints[3] = -120;
  TParamCollectionItem target;
  target.SetType(PT_STR);
  GetObjectProp(target, object, 3);
  EXPECT_EQ(target.Value().ParamType(), PT_STR);
  EXPECT_EQ(target.GetAsString(), "-120");
}

TEST(PropertyBridge, FontStyleKeepsBitsZeroToThree) {
  for (auto [written, read] : std::vector<std::pair<int, int>>{{5, 5}, {21, 5}, {31, 15}, {-1, 15}, {8, 8}}) {
    for (int index : {17, 23}) {
      TRecordingObject object;
      TLoggingValue value;
      value.i = written;
      SetObjectProp(object, index, value);
      TParamCollectionItem target;
      GetObjectProp(target, object, index);
      EXPECT_EQ(target.GetAsInt(), read) << written << " at " << index;
    }
  }
}

TEST(PropertyBridge, ByteWritesKeepTheLowEightBits) {
  TRecordingObject object;
  TLoggingValue value;
  value.i = 257;
  SetObjectProp(object, 53, value);  // HALIGN
  TParamCollectionItem target;
  GetObjectProp(target, object, 53);
  EXPECT_EQ(target.GetAsInt(), 1);
  value.i = -1;
  SetObjectProp(object, 80, value);
  GetObjectProp(target, object, 80);
  EXPECT_EQ(target.GetAsInt(), 255);
}

TEST(PropertyBridge, ValuesOfAnyTypeConvert) {
  TRecordingObject object;
  auto text = CreateParamByType(PT_STR);
  text->SetAsString("12");
  SetObjectProp(object, 3, *text);
  EXPECT_EQ(object.ints[3], 12);
  auto number = CreateParamByType(PT_INT);
  number->SetAsInt(42);
  SetObjectProp(object, 2, *number);
  EXPECT_EQ(object.strings[2], "42");
  text->SetAsString("not a number");
  EXPECT_NO_THROW(SetObjectProp(object, 4, *text));
}

TEST(PropertyBridge, TextOnAMessageWindowClearsTheOriginMarkFirst) {
  TLoggingValue value;
  value.s = "hello";
  TRecordingObject mes;
  mes.is_message_window = true;
  SetObjectProp(mes, 50, value);
  EXPECT_FALSE(mes.text_origin_mark);
  EXPECT_EQ(mes.Sequence(), (std::vector<std::string>{"ClearTextOrigin", "50"}));

  TRecordingObject label;
  SetObjectProp(label, 50, value);
  EXPECT_TRUE(label.text_origin_mark);
  EXPECT_EQ(label.Sequence(), (std::vector<std::string>{"50"}));
}

TEST(PropertyBridge, ParentWrites) {
  TRecordingScene scene;
  TRecordingObject& frame = scene.Add("frame");
  scene.AddComponent("timer");
  TRecordingObject& box = scene.Add("box");
  TLoggingValue value;

  value.s = "frame";
  SetObjectProp(box, 1, value);
  EXPECT_EQ(box.GetParentObject(), &frame);

  // A name nobody bears, or a non-visual component: nothing happens.
  for (const char* name : {"nobody", "timer"}) {
    value.s = name;
    SetObjectProp(box, 1, value);
    EXPECT_EQ(box.GetParentObject(), &frame) << name;
  }

  // Empty text finds the active layer; the reserved names find the layers.
  value.s = "";
  SetObjectProp(box, 1, value);
  EXPECT_EQ(box.GetParentObject(), &scene.layers[0]);
  value.s = "\x01" "BASE1";
  SetObjectProp(box, 1, value);
  EXPECT_EQ(box.GetParentObject(), &scene.layers[1]);

  // A layer ignores PARENT without even looking the name up.
  scene.find_control_calls.clear();
  value.s = "frame";
  SetObjectProp(scene.layers[1], 1, value);
  EXPECT_EQ(scene.layers[1].GetParentObject(), nullptr);
  EXPECT_TRUE(scene.find_control_calls.empty());
}

TEST(PropertyBridge, ParentNamingItselfOrADescendantMakesNoCycle) {
  TRecordingScene scene;
  TRecordingObject& box = scene.Add("a");
  TRecordingObject& child = scene.Add("child");
  child.SetParentObject(&box);
  TScriptObject* const layer = box.GetParentObject();
  TLoggingValue value;
  value.s = "a";
  SetObjectProp(box, 1, value);
  EXPECT_EQ(box.GetParentObject(), layer);
  value.s = "child";
  SetObjectProp(box, 1, value);
  EXPECT_EQ(box.GetParentObject(), layer);
  TParamCollectionItem target;
  target.SetType(PT_STR);
  GetObjectProp(target, child, 1);
  EXPECT_EQ(target.GetAsString(), "a");
}

TEST(PropertyBridge, NameTagAndPriorityGoThroughTheirOperations) {
  TRecordingObject object("old");
  TLoggingValue value;
  value.s = "new";
  value.i = 9;
  SetObjectProp(object, 0, value);
  SetObjectProp(object, 151, value);
  SetObjectProp(object, 12, value);
  EXPECT_EQ(object.calls, (std::vector<TPropCall>{{0, 'S', "new"}, {151, 'S', "new"}, {12, 'I', "9"}}));
}

}  // namespace
}  // namespace vorn
