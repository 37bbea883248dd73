// The scene inside a saved game's entry, with the component scene parts in place.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "components/box.h"
#include "components/component_scene_parts.h"
#include "components/timer.h"
#include "components/vorn_base_list.h"
#include "engine/call_man.h"
#include "engine/db_table.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/save_data.h"
#include "foundation/archive.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "foundation/vocabulary_codes.h"
#include "platform/message_box.h"
#include "support/log_recorder.h"
#include "support/temp_folder.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Fixture(const std::string& name) {
  return testing::ReadWholeFile(std::string(VORN_SOURCE_DIR) + "/tests/components/data/scene_records/" + name);
}

TVornBox* NewBox(TVornBaseList& scene, TVornControl* parent, const std::string& name) {
  auto* box = CreateObject<TVornBox>(scene);
  box->SetName(name);
  box->SetParent(parent);
  return box;
}

// The scene of scene-v134-newest.bin, built through the properties as a script would.
void BuildNewestFixtureScene(TVornBaseList& scene) {
  scene.SetWidth(80);
  scene.SetHeight(60);
  scene.GetBase(0)->SetColor(0x102030);
  scene.GetBase(1)->SetColor(-1);

  auto* cab = CreateObject<TVornCabinet>(scene);
  cab->SetName("cab");
  cab->SetParent(scene.GetBase(0));
  cab->SetPriority(1);
  cab->SetBounds(4, 5, 20, 20);
  cab->SetClipLeft(1);
  cab->SetClipTop(2);
  cab->SetClipWidth(10);
  cab->SetClipHeight(11);
  cab->SetColor(-1);
  cab->SetOnMouseIn("p.vsb:in");

  TVornBox* inside = NewBox(scene, cab, "inside");
  inside->SetTag("tag-inside");
  inside->SetBounds(1, 2, 5, 6);
  inside->SetColor(0x00FF00);
  inside->SetAniPaused(true);
  inside->SetAlpha(128);

  TVornBox* red = NewBox(scene, scene.GetBase(0), "red");
  red->SetPriority(2);
  red->SetSubPriority(7);
  red->SetTag("tag-red");
  red->SetBounds(10, 20, 30, 40);
  red->SetOffsetX(1);
  red->SetOffsetY(2);
  red->SetPosZoomed(true);
  red->SetMotionLeft(11);
  red->SetMotionTop(12);
  red->SetPlusX(3);
  red->SetPlusY(4);
  red->SetColor(0x0000FF);
  red->SetSpareRect({1, 2, 3, 4});
  red->SetIgnoreMouse(2);
  red->SetCursor("hand.cur");
  red->SetHandleKey(true);
  red->SetOnMouseMove("p.vsb:move");
  red->SetOnMouseIn("p.vsb:in");
  red->SetOnMouseOut("p.vsb:out");
  red->SetOnLBtnDown("p.vsb:down");
  red->SetOnLBtnUp("p.vsb:up");
  red->SetOnRBtnDown("p.vsb:rdown");
  red->SetOnRBtnUp("p.vsb:rup");
  red->SetOnWheelDown("p.vsb:wd");
  red->SetOnWheelUp("p.vsb:wu");
  red->SetOnKeyDown("p.vsb:kd");
  red->SetOnKeyUp("p.vsb:ku");
  red->SetOnKeyRepeat("p.vsb:kr");
  red->SetOnFocusIn("p.vsb:fi");
  red->SetOnFocusOut("p.vsb:fo");
  red->SetBorderWidth(3);
  red->SetBorderColor(0xFFFFFF);
  red->SetAlpha(200);
  red->SetOnIdle("p.vsb:idle");
  red->SetSource("red.bmp");
  red->SetRepeat(true);
  red->SetAutoScrap(true);
  red->SetOnPlayEnd("p.vsb:end");
  red->SetPaused(true);

  auto* tick = CreateObject<TVornTimer>(scene);
  tick->SetName("tick");
  tick->SetTag("tag-tick");
  GameClock = 0;
  tick->SetOnNotify("p.vsb:tick");
  tick->SetDelay(500);
  GameClock = 500;
  tick->Tick();  // fires
  tick->SetPaused(true);  // and withdraws the waiting notification
  tick->SetAutoScrap(true);

  scene.Events().Clear();
  scene.Events().PostEvent(tick, "p.vsb:tick", nullptr, PR_ONNOTIFY);
  TArrayString arguments;
  arguments.Add("3");
  arguments.Add("4");
  scene.Events().PostEvent(red, "p.vsb:down", &arguments, PR_ONLBTNDOWN)->SetDone(2);
  scene.Events().PostEvent(nullptr, "p.vsb:free", nullptr, 50);
  scene.SetFocusedControl(red);
  scene.Events().RemoveEvent(scene.Events().Item(scene.Events().Count() - 1));  // red's focus-in
}

class SceneGameEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StopFlag = false;
    auto page = std::make_unique<TPage>();
    page->SetName("main.vsb");
    callman_.AddPage(std::move(page));
    save_ = std::make_unique<TSaveData>(SaveFilePathIn(folder_.path().string()));
    save_->SetInterpreter(&callman_);
    save_->SetVariables(&params_);
    save_->SetTables(&tables_);
    save_->SetSceneParts(&parts_);
    save_->SetMessageBoxes(&boxes_);
  }
  void TearDown() override { StopFlag = false; }

  // The bytes after the entry's version, caption, resume page and resume index.
  static std::size_t SceneStart(const std::string& caption, const std::string& page) {
    return 4 + 4 + caption.size() + 4 + page.size() + 4;
  }

  testing::TempFolder folder_;
  TParamCollection params_;
  TDBManager tables_;
  TCallMan callman_;
  TVornBaseList scene_;
  TComponentSceneParts parts_{scene_};
  platform::HeadlessMessageBoxes boxes_;
  std::unique_ptr<TSaveData> save_;
};

TEST_F(SceneGameEntryTest, TheEntryHoldsExactlyTheSceneRecordAfterTheResumeIndex) {
  BuildNewestFixtureScene(scene_);
  TMemoryStream entry;
  save_->WriteGameEntry(entry, "Chapter", "main.vsb", 0);
  const Bytes fixture = Fixture("scene-v134-newest.bin");
  const Bytes bytes = entry.Bytes();
  const std::size_t start = SceneStart("Chapter", "main.vsb");
  ASSERT_GE(bytes.size(), start + fixture.size() + 8);
  EXPECT_EQ(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                  bytes.begin() + static_cast<std::ptrdiff_t>(start + fixture.size())),
            fixture);
  // The backlog follows, still the tagged record.
  const std::size_t backlog = start + fixture.size();
  EXPECT_EQ(std::string(bytes.begin() + static_cast<std::ptrdiff_t>(backlog),
                        bytes.begin() + static_cast<std::ptrdiff_t>(backlog + 4)),
            "HIST");

  // Read back into a scene that held something else.
  scene_.ResetScene();
  CreateObject<TVornTimer>(scene_)->SetName("stale");
  entry.SetPosition(0);
  save_->ReadGameEntry(entry);
  EXPECT_EQ(scene_.FindComponent("stale"), nullptr);
  EXPECT_NE(dynamic_cast<TVornBox*>(scene_.FindControl("inside")), nullptr);
  EXPECT_EQ(scene_.GetFocusedControl(), scene_.FindControl("red"));
  EXPECT_EQ(scene_.Events().Count(), 3);
  TMemoryStream again;
  scene_.SaveToStream(again);
  EXPECT_EQ(again.Bytes(), fixture);
}

// save.dat holding one game entry in slot 1.
void WriteSaveFile(const std::string& path, const Bytes& entry) {
  TVrFileCollection archive;
  TVrFile& member = archive.AddMemoryFile(GameEntryName(1));
  member.own_data->WriteBuffer(entry.data(), entry.size());
  TMemoryStream out;
  archive.SaveToStream(out);
  testing::WriteWholeFile(path, out.Bytes());
}

TEST_F(SceneGameEntryTest, ADamagedSceneGivesTheLoadMessageAndLogsTheEntryAndTheError) {
  BuildNewestFixtureScene(scene_);
  TMemoryStream whole;
  save_->WriteGameEntry(whole, "caption", "main.vsb", 0);
  const std::size_t start = SceneStart("caption", "main.vsb");
  // Cut inside the scene record; and a save of the stand-in days, whose scene was a tag.
  Bytes cut = whole.Bytes();
  cut.resize(start + 100);
  TMemoryStream tagged;
  WriteIntToStream(tagged, kGameSaveVersion);
  WriteStrToStream(tagged, "caption");
  WriteStrToStream(tagged, "main.vsb");
  WriteIntToStream(tagged, 0);
  tagged.WriteBuffer("SCNE", 4);
  WriteIntToStream(tagged, 1);
  tagged.WriteBuffer("HIST", 4);
  WriteIntToStream(tagged, 1);
  for (const auto& [what, entry, error] : {std::tuple{"cut", cut, "truncated"}, {"tagged", tagged.Bytes(), "too large"}}) {
    SCOPED_TRACE(what);
    WriteSaveFile(save_->ResolvedPath(), entry);
    test::LogRecorder log;
    StopFlag = false;
    EXPECT_TRUE(save_->LoadGame(1));
    EXPECT_TRUE(StopFlag);
    ASSERT_FALSE(boxes_.shown().empty());
    EXPECT_EQ(boxes_.shown().back().text, texts::kSaveDataUnusable);
    EXPECT_TRUE(log.Contains(GameEntryName(1)));
    EXPECT_TRUE(log.Contains(error));
    // The scene is left to be reset.
    scene_.ResetScene();
    EXPECT_EQ(scene_.GetObjectCount(), 0);
  }
}

}  // namespace
}  // namespace vorn
