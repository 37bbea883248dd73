#include "engine/commands/component_commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <memory>
#include <string>
#include <vector>

#include "engine/call_man.h"
#include "engine/command_families.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/script_files.h"
#include "engine/script_page.h"
#include "fixture/page_writer.h"
#include "foundation/vocabulary_codes.h"
#include "support/recording_scene.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using fixture::PageCommand;
using fixture::PageWriter;
using testing::TRecordingObject;
using testing::TRecordingScene;

struct Creator {
  int code;
  std::uint8_t kind;
  bool control;  // derives from TComControl
};

// Command code, kind code of the component it makes, and whether it is a visual control.
const std::vector<Creator> kCreators = {
    {8, 2, true},   {9, 8, true},   {10, 13, true}, {11, 15, false}, {12, 16, true}, {23, 4, true},
    {24, 9, true},  {25, 12, true}, {30, 3, true},  {36, 14, true},  {37, 6, true},  {42, 17, false},
    {43, 5, true},  {44, 11, true}, {48, 18, true}, {49, 19, true},  {50, 20, true}, {51, 21, true},
    {52, 22, true}, {53, 23, true}, {54, 24, true}, {56, 25, true}};

class ComponentCommands : public ::testing::Test {
 protected:
  void SetUp() override { StopFlag = false; }
  void TearDown() override { StopFlag = false; }

  std::unique_ptr<TPage> Load(const PageWriter& writer, const std::string& name = "p.vsb") {
    auto page = std::make_unique<TPage>();
    page->LoadFromBytes(name, writer.Bytes());
    return page;
  }

  // Runs command `at` of the page once; answers the index it moved to.
  std::int32_t Run(TPage& page, int at) {
    TPage* current = &page;
    std::int32_t index = at;
    page.GetCommand(at)->Execute(callman, current, index);
    EXPECT_EQ(current, &page);
    return index;
  }

  TParamCollection params;
  TRecordingScene scene;
  TCallMan callman;
};

TEST_F(ComponentCommands, EveryCreatingCodeMakesItsKindOnTheCurrentLayer) {
  scene.current_layer = 1;
  for (const Creator& c : kCreators) {
    SCOPED_TRACE(c.code);
    PageWriter writer;
    writer.MaskBit(c.code, 3);
    writer.Add(PageCommand(static_cast<std::uint8_t>(c.code)).Expr("12"));
    auto page = Load(writer);
    TCommand* command = page->GetCommand(0);
    EXPECT_EQ(command->GetCode(), c.code);
    ASSERT_NE(dynamic_cast<TComComponent*>(command), nullptr);
    EXPECT_EQ(dynamic_cast<TComControl*>(command) != nullptr, c.control);

    EXPECT_EQ(Run(*page, 0), 1);
    ASSERT_FALSE(scene.created_kinds.empty());
    EXPECT_EQ(scene.created_kinds.back(), c.kind);
    const TRecordingObject& made = *scene.objects.back();
    EXPECT_EQ(made.ints.at(3), 12);
    EXPECT_EQ(made.GetParentObject(), &scene.layers[1]);
  }
  EXPECT_EQ(scene.created_kinds.size(), kCreators.size());
}

TEST_F(ComponentCommands, OtherCodesAreNotThisFamilys) {
  for (int code = 0; code <= 60; ++code) {
    bool creating = false;
    for (const Creator& c : kCreators) creating = creating || c.code == code;
    EXPECT_EQ(CreateComponentCommand(nullptr, code) != nullptr, creating) << code;
  }
}

TEST_F(ComponentCommands, ExpressionsRunWhenTheCommandRunsAndEachRunMakesANewComponent) {
  params.AddParam(PT_INT).SetName("x");
  PageWriter writer;
  writer.MaskBit(8, 0).MaskBit(8, 3);
  writer.Add(PageCommand(8).Expr("\"box\"").Expr("x*2"));
  auto page = Load(writer);
  params.FindParam("x")->SetAsInt(5);
  Run(*page, 0);
  params.FindParam("x")->SetAsInt(7);
  Run(*page, 0);
  ASSERT_EQ(scene.objects.size(), 2u);
  EXPECT_EQ(scene.objects[0]->ints.at(3), 10);
  EXPECT_EQ(scene.objects[1]->ints.at(3), 14);
  EXPECT_EQ(scene.objects[1]->GetName(), "box");
  // The scene owns what was made: freeing the page leaves the components alone.
  page.reset();
  EXPECT_EQ(scene.objects[0]->GetName(), "box");
}

TEST_F(ComponentCommands, ReadOnlyAndParticleSlotsAreReadButNeverEvaluated) {
  params.AddParam(PT_INT).SetName("hit");
  PageWriter writer;
  for (int p : {78, 79, 92, 93, 138, 140, 159, 160, 161}) writer.MaskBit(8, p);
  PageCommand box(8);
  for (int i = 0; i < 9; ++i) box.Expr("hit=1");
  writer.Add(std::move(box)).Add(PageWriter::Label("after"));
  auto page = Load(writer);
  ASSERT_EQ(page->Count(), 2);
  EXPECT_EQ(page->IndexOfLabel("after"), 1);
  Run(*page, 0);
  EXPECT_EQ(params.FindParam("hit")->GetAsInt(), 0);
  EXPECT_EQ(scene.objects.back()->Sequence(), (std::vector<std::string>{"1", "Invalidate"}));
}

TEST_F(ComponentCommands, EveryMaskBitSetReadsOneExpressionEach) {
  PageWriter writer;
  for (int p = 0; p < 168; ++p) writer.MaskBit(42, p);
  PageCommand sound(42);
  for (int i = 0; i < kPropertyCount; ++i) sound.Ops({});
  writer.Add(std::move(sound)).Add(PageWriter::Label("after"));
  auto page = Load(writer);
  ASSERT_EQ(page->Count(), 2);
  EXPECT_EQ(page->IndexOfLabel("after"), 1);
  const auto* command = dynamic_cast<const TComComponent*>(page->GetCommand(0));
  for (int i = 0; i < kPropertyCount; ++i) EXPECT_TRUE(command->HasSlot(i)) << i;
}

TEST_F(ComponentCommands, ARecordCutShortFailsThePageLoadNamingThePage) {
  PageWriter writer;
  writer.MaskBit(9, 0).MaskBit(9, 26).MaskBit(9, 150);
  writer.Add(PageCommand(9).Expr("\"img\"").Expr("100").Expr("1+2"));
  const std::vector<std::uint8_t> bytes = writer.Bytes();
  const std::size_t record_start = bytes.size() - 4 * 3 - 50;  // well inside the record
  for (std::size_t length = record_start; length < bytes.size(); ++length) {
    auto page = std::make_unique<TPage>();
    try {
      page->LoadFromBytes("cut.vsb", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
      ADD_FAILURE() << "length " << length << " loaded";
    } catch (const EPageError& error) {
      EXPECT_EQ(std::string(error.what()).rfind("cut.vsb:", 0), 0u) << error.what();
    }
    EXPECT_EQ(page->Count(), 0);
  }
}

// The page fuzz target's seeds of these commands, spelled out byte by byte by a script: every
// creating code once, with all mask bits set (162 expressions each), with none, and cut short.
TEST_F(ComponentCommands, HandWrittenSeedPagesLoadAsDescribed) {
  auto read = [](const std::string& name) {
    return testing::ReadWholeFile(std::string(VORN_SOURCE_DIR) + "/tests/fuzz/corpus/page_reader/" + name);
  };
  for (const char* name : {"creators_all_bits.vsb", "creators_no_bits.vsb"}) {
    SCOPED_TRACE(name);
    const bool all = std::string(name).find("all") != std::string::npos;
    TPage page;
    page.LoadFromBytes(name, read(name));
    ASSERT_EQ(page.Count(), static_cast<int>(kCreators.size()));
    for (int i = 0; i < page.Count(); ++i) {
      const auto* command = dynamic_cast<const TComComponent*>(page.GetCommand(i));
      ASSERT_NE(command, nullptr);
      EXPECT_EQ(command->GetCode(), kCreators[static_cast<std::size_t>(i)].code);
      for (int p = 0; p < kPropertyCount; ++p) EXPECT_EQ(command->HasSlot(p), all);
    }
  }
  TPage cut;
  EXPECT_THROW(cut.LoadFromBytes("creators_cut.vsb", read("creators_cut.vsb")), EPageError);
}

TEST_F(ComponentCommands, PlayStatesAfterApplication) {
  struct Case {
    int code;
    const char* delay;  // nullptr: no DELAY slot
    std::int32_t play_state;  // -1: never set
  };
  const Case cases[] = {
      {42, "500", LP_PLAYFADE}, {42, "0", LP_PLAY}, {42, nullptr, LP_PLAY},
      {12, "30", LP_PLAYFADE},  {12, "0", LP_PLAY}, {25, "0", LP_PLAYFADE},
      {25, nullptr, LP_PLAYFADE}, {8, "500", -1},   {11, "500", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.code) + " " + (c.delay ? c.delay : "-"));
    PageWriter writer;
    PageCommand command(static_cast<std::uint8_t>(c.code));
    if (c.delay != nullptr) {
      writer.MaskBit(c.code, 26);
      command.Expr(c.delay);
    }
    writer.Add(std::move(command));
    auto page = Load(writer);
    Run(*page, 0);
    EXPECT_EQ(scene.objects.back()->play_state, c.play_state);
  }
}

TEST_F(ComponentCommands, ImagesAndParticlesGetCopiesOfTheirExpressionsBeforeApplication) {
  PageWriter writer;
  writer.MaskBit(9, 26).MaskBit(36, 93).MaskBit(36, 26);
  writer.Add(PageCommand(9).Expr("40"));
  writer.Add(PageCommand(36).Expr("5").Expr("6"));
  auto page = Load(writer);
  Run(*page, 0);
  EXPECT_EQ(scene.objects.back()->Sequence(),
            (std::vector<std::string>{"Expression 0 ops 1", "1", "26", "Invalidate"}));
  Run(*page, 1);
  const TRecordingObject& particle = *scene.objects.back();
  EXPECT_EQ(particle.Sequence(), (std::vector<std::string>{"Expression 1 ops 0", "Expression 2 ops 1",
                                                           "Expression 3 ops 1", "1", "26", "Invalidate"}));
  TVornParser& appear_y = *particle.expressions.at(TObjectExpression::kParticleAppearY);
  appear_y.Execute();
  ASSERT_NE(appear_y.Result(), nullptr);
  EXPECT_EQ(appear_y.Result()->GetAsInt(), 6);
}

TEST_F(ComponentCommands, ParentNamingTheNewBoxItselfLeavesItWithoutParentAndWithoutRecursion) {
  PageWriter writer;
  writer.MaskBit(8, 0).MaskBit(8, 1).MaskBit(8, 3);
  writer.Add(PageCommand(8).Expr("\"a\"").Expr("\"a\"").Expr("4"));
  auto page = Load(writer);
  Run(*page, 0);
  const TRecordingObject& box = *scene.objects.back();
  EXPECT_EQ(box.GetName(), "a");
  EXPECT_EQ(box.GetParentObject(), nullptr);
  EXPECT_EQ(box.ints.at(3), 4);
}

TEST_F(ComponentCommands, WithoutASceneOnlyTheIndexMoves) {
  PageWriter writer;
  writer.Add(PageCommand(8));
  auto page = Load(writer);
  TScriptScene* installed = GetScriptScene();
  SetScriptScene(nullptr);
  EXPECT_EQ(Run(*page, 0), 1);
  SetScriptScene(installed);
  EXPECT_TRUE(scene.created_kinds.empty());
}

}  // namespace
}  // namespace vorn
