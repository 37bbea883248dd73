#include "engine/component_properties.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/build_vorn_parser.h"
#include "engine/param_collection.h"
#include "foundation/errors.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "support/recording_scene.h"

namespace vorn {
namespace {

using testing::TRecordingObject;
using testing::TRecordingScene;

// The stored form of an expression; "" stores an empty list, which yields no result.
void WriteExpression(TStream& stream, const std::string& text) {
  TBuildVornParser builder;
  if (!text.empty()) builder.Compile(text);
  builder.SaveToStream(stream);
}

class ComponentProperties : public ::testing::Test {
 protected:
  // Slots for the given (index, expression) pairs, loaded from their stored form as a page would.
  void Store(const std::vector<std::pair<int, std::string>>& entries) {
    std::array<std::uint8_t, kPropertyMaskBytes> mask{};
    for (auto& [index, text] : entries) mask[index / 8] |= static_cast<std::uint8_t>(1 << (index % 8));
    properties.CreateSlots(mask);
    std::vector<std::string> by_index(kPropertyCount);
    for (auto& [index, text] : entries) by_index[index] = text;
    TMemoryStream stream;
    for (int i = 0; i < kPropertyCount; ++i) {
      if (properties.HasSlot(i)) WriteExpression(stream, by_index[i]);
    }
    stream.SetPosition(0);
    properties.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), stream.Size());
  }

  TParamCollection params;
  TRecordingScene scene;
  TComponentProperties properties;
};

TEST_F(ComponentProperties, MaskBitsSelectSlotsAndHighBitsAreIgnored) {
  std::array<std::uint8_t, kPropertyMaskBytes> mask{};
  mask[0] = 0b00001001;   // 0 NAME, 3 LEFT
  mask[20] = 0b11111101;  // 160, 162..167
  mask[19] = 0x80;        // 159
  properties.CreateSlots(mask);
  for (int i = 0; i < kPropertyCount; ++i) {
    EXPECT_EQ(properties.HasSlot(i), i == 0 || i == 3 || i == 159 || i == 160) << i;
  }
}

TEST_F(ComponentProperties, EvaluationUsesTheDefaultWithoutAResult) {
  Store({{3, "7*6"}, {4, ""}, {2, "\"ab\""}, {15, ""}, {47, ""}, {95, "1.5"}});
  EXPECT_EQ(properties.EvalInt(3, 99), 42);
  EXPECT_EQ(properties.EvalInt(4, 99), 99);
  EXPECT_EQ(properties.EvalStr(2, "x"), "ab");
  EXPECT_EQ(properties.EvalStr(15, "x"), "x");
  EXPECT_TRUE(properties.EvalBool(47, true));
  EXPECT_EQ(properties.EvalFloat(95, 0), 1.5L);
}

TEST_F(ComponentProperties, ExpressionsAreEvaluatedWhenAppliedNotWhenLoaded) {
  Store({{3, "x"}});
  params.AddParam(PT_INT).SetName("x");
  params.FindParam("x")->SetAsInt(5);
  TRecordingObject object;
  properties.ApplyProperties(object, scene);
  EXPECT_EQ(object.ints[3], 5);
  params.FindParam("x")->SetAsInt(8);
  properties.ApplyProperties(object, scene);
  EXPECT_EQ(object.ints[3], 8);
}

TEST_F(ComponentProperties, ParentAndSizeComeBeforeLeftAndTopWhateverTheIndexOrder) {
  scene.Add("frame");
  Store({{3, "1"}, {4, "2"}, {5, "3"}, {6, "4"}, {1, "\"frame\""}, {0, "\"box\""}, {7, "512"},
         {132, "128"}, {100, "1"}, {2, "\"pic\""}, {157, "9"}, {8, "5"}, {161, "1"}, {78, "1"},
         {79, "1"}, {158, "1"}});
  TRecordingObject object;
  properties.ApplyProperties(object, scene);
  EXPECT_EQ(object.Sequence(), (std::vector<std::string>{"0", "1", "2", "7", "132", "100", "5", "6",
                                                         "3", "4", "8", "157", "158", "Invalidate"}));
  EXPECT_EQ(object.GetParentObject(), scene.FindComponent("frame"));
}

TEST_F(ComponentProperties, ParentFallsBackToTheCurrentLayer) {
  scene.current_layer = 1;
  scene.AddComponent("timer");
  for (const char* parent : std::vector<const char*>{nullptr, "\"\"", "\"nobody\"", "\"timer\""}) {
    SCOPED_TRACE(parent != nullptr ? parent : "no slot");
    properties = TComponentProperties();
    if (parent != nullptr) Store({{1, parent}});
    TRecordingObject object;
    properties.ApplyProperties(object, scene);
    EXPECT_EQ(object.GetParentObject(), &scene.layers[1]);
  }
}

TEST_F(ComponentProperties, DefaultsStandInForMissingResultsButAbsentSlotsSetNothing) {
  // Each stored slot yields no result: the table's default reaches the setter.
  Store({{11, ""}, {28, ""}, {108, ""}, {16, ""}, {8, ""}, {10, ""}, {24, ""}, {7, ""}, {132, ""},
         {82, ""}, {47, ""}, {150, ""}, {25, ""}, {48, ""}, {131, ""}, {96, ""}, {3, ""}, {53, ""},
         {17, ""}, {83, ""}, {32, ""}});
  TRecordingObject object;
  properties.ApplyProperties(object, scene);
  const std::map<int, std::string> expected = {
      {11, "255"}, {28, "1000"}, {108, "100"}, {16, "16"}, {8, "-1"},    {10, "-1"},  {24, "-1"},
      {7, "256"},  {132, "256"}, {82, "256"},  {47, "true"}, {150, "true"}, {25, "false"},
      {48, "1"},   {131, "1"},   {3, "0"},     {53, "0"},  {17, "0"},    {83, ""},    {32, ""}};
  for (const auto& call : object.PropertyCalls()) {
    if (call.index < 0) {
      EXPECT_EQ(call.cell, 1);  // PARAM2
      EXPECT_EQ(call.value, testing::FloatText(0));
      continue;
    }
    if (call.index == 1) continue;  // the layer parent
    ASSERT_TRUE(expected.contains(call.index)) << call.index;
    EXPECT_EQ(call.value, expected.at(call.index)) << call.index;
  }
  EXPECT_EQ(object.PropertyCalls().size(), expected.size() + 2);

  TComponentProperties nothing;
  TRecordingObject untouched;
  untouched.ints[11] = 128;
  nothing.ApplyProperties(untouched, scene);
  EXPECT_EQ(untouched.Sequence(), (std::vector<std::string>{"1", "Invalidate"}));
  EXPECT_EQ(untouched.ints[11], 128);
}

TEST_F(ComponentProperties, NotAppliedSlotsAreNeverEvaluated) {
  // Each would raise if run: "____arg" of a missing variable ends the run silently, so use an
  // assignment whose effect is visible instead.
  Store({{78, "hit=1"}, {79, "hit=1"}, {92, "hit=1"}, {93, "hit=1"}, {138, "hit=1"}, {140, "hit=1"},
         {159, "hit=1"}, {160, "hit=1"}, {161, "hit=1"}});
  params.AddParam(PT_INT).SetName("hit");
  TRecordingObject object;
  properties.ApplyProperties(object, scene);
  EXPECT_EQ(params.FindParam("hit")->GetAsInt(), 0);
  EXPECT_EQ(object.Sequence(), (std::vector<std::string>{"1", "Invalidate"}));
}

TEST_F(ComponentProperties, SpecialApplications) {
  Store({{0, "\"\""}, {3, "10"}, {12, "3"}, {151, "\"t\""}, {17, "31"}, {50, "\"hi\""}, {58, "\"c.png\""},
         {64, "2"}, {67, "258"}, {102, "0.5"}});
  TRecordingObject object("auto1");
  object.sizes_from_picture = true;
  object.is_message_window = true;
  properties.ApplyProperties(object, scene);
  EXPECT_EQ(object.GetName(), "auto1");
  EXPECT_EQ(object.Sequence(),
            (std::vector<std::string>{"1", "UpdateAutoWidth", "UpdateAutoHeight", "3", "12", "17", "50",
                                      "cell 4", "cell 4", "cell 104", "cell 2", "151", "Invalidate"}));
  EXPECT_EQ(object.ints[17], 15);
  EXPECT_EQ(object.valign[4], 2);
  EXPECT_EQ(object.GetTag(), "t");
  EXPECT_EQ(object.GetPriority(), 3);
  EXPECT_TRUE(object.text_origin_mark);
}

TEST_F(ComponentProperties, ParentNamingTheNewComponentItselfLeavesItWithoutParent) {
  // NAME is applied first, so FindControl("a") finds the new box; the object refuses it.
  scene.on_create = nullptr;
  Store({{0, "\"a\""}, {1, "\"a\""}});
  TScriptObject* box = properties.CreateComponent(LT_BOX, scene);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetName(), "a");
  EXPECT_EQ(box->GetParentObject(), nullptr);
}

TEST_F(ComponentProperties, BeforeAndAfterSteps) {
  struct Case {
    std::uint8_t kind;
    std::string delay;
    std::vector<std::string> tail;  // the steps logged around application
  };
  const std::vector<Case> cases = {
      {LT_SOUND, "500", {"26", "Invalidate", "PlayState 1"}},
      {LT_SOUND, "0", {"26", "Invalidate", "PlayState 0"}},
      {LT_VIDEO, "20", {"26", "Invalidate", "PlayState 1"}},
      {LT_MENU, "0", {"26", "Invalidate", "PlayState 1"}},
      {LT_BOX, "5", {"26", "Invalidate"}},
      {LT_IMAGES, "5", {"Expression 0 ops 1", "26", "Invalidate"}},
      {LT_PARTICLE, "5",
       {"Expression 1 ops 1", "Expression 2 ops 0", "Expression 3 ops 1", "26", "Invalidate"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " " + c.delay);
    properties = TComponentProperties();
    Store({{26, c.delay}, {92, "x=1"}});
    auto* object = static_cast<TRecordingObject*>(properties.CreateComponent(c.kind, scene));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(scene.created_kinds.back(), c.kind);
    auto seq = object->Sequence();
    seq.erase(std::remove(seq.begin(), seq.end(), "1"), seq.end());  // the layer parent
    EXPECT_EQ(seq, c.tail);
  }
}

TEST_F(ComponentProperties, CopiedExpressionsAreDeepCopies) {
  Store({{26, "7"}});
  auto* image = static_cast<TRecordingObject*>(properties.CreateComponent(LT_IMAGES, scene));
  ASSERT_NE(image, nullptr);
  properties = TComponentProperties();
  TVornParser& copy = *image->expressions.at(TObjectExpression::kImageDelay);
  copy.Execute();
  ASSERT_NE(copy.Result(), nullptr);
  EXPECT_EQ(copy.Result()->GetAsInt(), 7);
}

TEST_F(ComponentProperties, CommandCodesMapToKinds) {
  const std::vector<std::pair<int, int>> table = {
      {8, 2},   {9, 8},   {10, 13}, {11, 15}, {12, 16}, {23, 4},  {24, 9},  {25, 12},
      {30, 3},  {36, 14}, {37, 6},  {42, 17}, {43, 5},  {44, 11}, {48, 18}, {49, 19},
      {50, 20}, {51, 21}, {52, 22}, {53, 23}, {54, 24}, {56, 25}};
  for (auto [code, kind] : table) EXPECT_EQ(CreatedKindOfCommand(code), kind) << code;
  for (int code : {0, 1, 13, 55, 57, 255}) EXPECT_EQ(CreatedKindOfCommand(code), 0) << code;
}

TEST_F(ComponentProperties, RecordCutShortRaisesAReadError) {
  std::array<std::uint8_t, kPropertyMaskBytes> mask{};
  mask[0] = 0x0F;
  properties.CreateSlots(mask);
  TMemoryStream full;
  for (int i = 0; i < 4; ++i) WriteExpression(full, "1+2");
  for (std::int64_t cut = 0; cut < full.Size(); ++cut) {
    TMemoryStream stream;
    full.SetPosition(0);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(cut));
    full.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.SetPosition(0);
    TComponentProperties props;
    props.CreateSlots(mask);
    EXPECT_THROW(props.LoadFromStream(stream), EReadError) << cut;
  }
}

}  // namespace
}  // namespace vorn
