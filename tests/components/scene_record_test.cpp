#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "components/box.h"
#include "components/saved_records.h"
#include "components/timer.h"
#include "components/vorn_base_list.h"
#include "components/vorn_cg_label.h"
#include "components/vorn_control.h"
#include "components/vorn_map_image.h"
#include "components/vorn_prop_motion.h"
#include "engine/engine_values.h"
#include "fixture/scene_record_writer.h"
#include "graphics/custom_dibx.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

// Little-endian record bytes spelled out field by field.
struct RecordBytes {
  std::vector<std::uint8_t> bytes;
  RecordBytes& I32(std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(u >> shift));
    return *this;
  }
  RecordBytes& U8(std::uint8_t value) {
    bytes.push_back(value);
    return *this;
  }
  RecordBytes& Str(const std::string& text) {
    I32(static_cast<std::int32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
};

// A control record of the newest layout with the given name, bounds and colour, every label empty
// but the left-down one, and child_count children to follow.
void ControlRecord(RecordBytes& r, const std::string& name, std::int32_t priority, std::int32_t left,
                   std::int32_t width, std::int32_t color, std::int32_t child_count) {
  r.Str(name).I32(priority).I32(0).Str("tag-" + name);  // name, priority, sub-priority, tag
  r.I32(left).I32(2).I32(width).I32(10).I32(0).I32(0);  // left, top, width, height, offset x, y
  r.U8(0);                                               // pos zoomed
  r.I32(0).I32(0).I32(0).I32(0);                         // motion left, top, plus x, y
  r.I32(0).I32(0).I32(0).I32(0);                         // clip left, top, width, height
  r.U8(0);                                               // anim paused
  r.U8(1);                                               // visible
  r.I32(color);                                          // colour
  r.I32(0).I32(0).I32(1).I32(1);                         // spare rectangle l, t, r, b
  r.U8(0);                                               // ignore mouse
  r.Str("");                                             // cursor
  r.Str("").Str("");                                     // on mouse move, in
  r.Str("").Str("p.vsb:down");                           // on mouse out, left down
  for (int i = 0; i < 5; ++i) r.Str("");                 // left up .. wheel up
  r.U8(0);                                               // handle key
  for (int i = 0; i < 5; ++i) r.Str("");                 // key down .. focus out
  r.I32(child_count);
}

// Scene 64 x 48 on layer 0: cabinet "b" (priority 1) and cabinet "cab" (priority 5) holding
// cabinet "inner"; in child order, or "cab" first when out of order. An event of "inner" in the
// queue; focus on "inner".
std::vector<std::uint8_t> CabinetScene(bool in_child_order = true) {
  RecordBytes r;
  r.I32(64).I32(48).I32(0);  // width, height, active layer
  ControlRecord(r, "\x01" "BASE0", 0, 0, 64, 0, 2);
  if (in_child_order) {
    r.U8(27);
    ControlRecord(r, "b", 1, 7, 9, 0x00FF00, 0);
  }
  r.U8(27);
  ControlRecord(r, "cab", 5, 3, 20, 0xFF, 1);
  r.U8(27);
  ControlRecord(r, "inner", 0, 1, 5, -1, 0);
  if (!in_child_order) {
    r.U8(27);
    ControlRecord(r, "b", 1, 7, 9, 0x00FF00, 0);
  }
  ControlRecord(r, "\x01" "BASE1", 0, 0, 64, 0, 0);
  r.I32(0);                                    // no top-level components
  r.I32(1);                                    // one queued event:
  r.Str("p.vsb:go").Str("inner").U8(36);       //   label, target, code
  r.I32(2);                                    //   done
  r.I32(1).I32(2).U8('4').U8('2');             //   arguments: one string "42"
  r.Str("inner");                              // focused control
  return r.bytes;
}

std::vector<std::uint8_t> Saved(const TVornBaseList& scene) {
  TMemoryStream out;
  scene.SaveToStream(out);
  const auto* data = static_cast<const std::uint8_t*>(out.Memory());
  return {data, data + out.Size()};
}

void Load(TVornBaseList& scene, const std::vector<std::uint8_t>& bytes, std::int32_t version) {
  TMemoryStream in;
  in.WriteBuffer(bytes.data(), bytes.size());
  in.SetPosition(0);
  scene.LoadFromStream(in, version);
}

TEST(SceneRecord, LoadsTheTreeQueueAndFocusAndSavesTheSameBytes) {
  TVornBaseList scene;
  const std::vector<std::uint8_t> bytes = CabinetScene();
  Load(scene, bytes, 134);
  EXPECT_EQ(Saved(scene), bytes);
  EXPECT_EQ(scene.GetWidth(), 64);
  EXPECT_EQ(scene.GetHeight(), 48);
  TVornBase* layer = scene.GetBase(0);
  ASSERT_EQ(layer->GetChildCount(), 2);
  // Sorted after loading: "b" (priority 1) before "cab" (priority 5).
  EXPECT_EQ(layer->GetChild(0)->GetName(), "b");
  TVornControl* cab = layer->GetChild(1);
  EXPECT_EQ(cab->GetName(), "cab");
  EXPECT_EQ(cab->GetCompoType(), 27);
  EXPECT_EQ(cab->GetTag(), "tag-cab");
  EXPECT_EQ(cab->GetLeft(), 3);
  EXPECT_EQ(cab->GetColor(), 0xFF);
  EXPECT_EQ(cab->GetOnLBtnDown(), "p.vsb:down");
  ASSERT_EQ(cab->GetChildCount(), 1);
  TVornControl* inner = cab->GetChild(0);
  EXPECT_EQ(inner->GetName(), "inner");
  EXPECT_EQ(scene.FindControl("inner"), inner);
  EXPECT_EQ(scene.GetFocusedControl(), inner);
  EXPECT_FALSE(scene.IsFocusChoiceRequested());
  ASSERT_EQ(scene.Events().Count(), 1);
  EXPECT_EQ(scene.Events().Item(0)->GetSender().Get(), inner);
  EXPECT_EQ(scene.Events().Item(0)->GetDone(), 2);
  EXPECT_EQ(scene.GetBase(0)->GetName(), "\x01" "BASE0");

}

TEST(SceneRecord, ChildrenComeBackInSortedOrder) {
  TVornBaseList scene;
  Load(scene, CabinetScene(false), 134);
  ASSERT_EQ(scene.GetBase(0)->GetChildCount(), 2);
  EXPECT_EQ(scene.GetBase(0)->GetChild(0)->GetName(), "b");
  EXPECT_EQ(Saved(scene), CabinetScene(true));
}

// ---- the fixtures of tests/components/data/scene_records (written by make_scene_records.py) ----

std::vector<std::uint8_t> Fixture(const std::string& name) {
  return testing::ReadWholeFile(std::string(VORN_SOURCE_DIR) + "/tests/components/data/scene_records/" + name);
}

struct FixtureCase {
  const char* file;
  std::int32_t version;
};

const FixtureCase kCommonSceneFixtures[] = {
    {"scene-v101-no-mouse-in.bin", 101},      {"scene-v103-no-sub-priority.bin", 103},
    {"scene-v107-oldest-game-save.bin", 107}, {"scene-v113-done-byte.bin", 113},
    {"scene-v114-done-int.bin", 114},         {"scene-v117-no-key-labels.bin", 117},
    {"scene-v118-key-labels.bin", 118},       {"scene-v119-focus-name.bin", 119},
    {"scene-v120-tag.bin", 120},              {"scene-v129-no-motion.bin", 129},
    {"scene-v130-motion-plus.bin", 130},      {"scene-v134-newest.bin", 134},
};

class SceneRecordFixture : public ::testing::TestWithParam<FixtureCase> {};
class SceneRecordKinds : public ::testing::TestWithParam<FixtureCase> {};

// What make_scene_records.py puts into the common scene, field by field, as each version holds it.
TEST_P(SceneRecordFixture, LoadsTheFieldsItsVersionHolds) {
  const std::int32_t v = GetParam().version;
  const bool later = v > 103;  // sub-priority, clip, anim paused, the box's and timer's later fields
  GameClock = 4321;
  TVornBaseList scene;
  Load(scene, Fixture(GetParam().file), v);

  EXPECT_EQ(scene.GetWidth(), 80);
  EXPECT_EQ(scene.GetHeight(), 60);
  EXPECT_EQ(scene.GetActiveLayerIndex(), 0);
  EXPECT_EQ(scene.GetBase(0)->GetColor(), 0x102030);
  EXPECT_EQ(scene.GetBase(1)->GetColor(), -1);
  EXPECT_EQ(scene.GetBase(1)->GetName(), "\x01" "BASE1");
  ASSERT_NE(scene.GetBase(0)->LayerSurface(), nullptr);
  EXPECT_EQ(scene.GetBase(0)->LayerSurface()->GetWidth(), 80);

  TVornBase* layer = scene.GetBase(0);
  ASSERT_EQ(layer->GetChildCount(), 2);
  TVornControl* cab = layer->GetChild(0);
  auto* red = dynamic_cast<TVornBox*>(layer->GetChild(1));
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(cab->GetName(), "cab");
  EXPECT_EQ(cab->GetCompoType(), LT_CABINET);
  ASSERT_EQ(cab->GetChildCount(), 1);
  auto* inside = dynamic_cast<TVornBox*>(cab->GetChild(0));
  ASSERT_NE(inside, nullptr);
  EXPECT_EQ(inside->GetName(), "inside");
  EXPECT_EQ(inside->GetParent(), cab);
  EXPECT_TRUE(inside->InCabinet());

  // Object fields.
  EXPECT_EQ(red->GetName(), "red");
  EXPECT_EQ(scene.FindControl("red"), red);
  EXPECT_EQ(red->GetPriority(), 2);
  EXPECT_EQ(red->GetSubPriority(), later ? 7 : 0);
  EXPECT_EQ(red->GetTag(), v >= 120 ? "tag-red" : "");
  // Control fields.
  EXPECT_EQ(red->GetLeft(), 10);
  EXPECT_EQ(red->GetTop(), 20);
  EXPECT_EQ(red->GetWidth(), 30);
  EXPECT_EQ(red->GetHeight(), 40);
  EXPECT_EQ(red->GetOffsetX(), 1);
  EXPECT_EQ(red->GetOffsetY(), 2);
  EXPECT_TRUE(red->GetPosZoomed());
  EXPECT_EQ(red->GetMotionLeft(), v >= 130 ? 11 : 0);
  EXPECT_EQ(red->GetMotionTop(), v >= 130 ? 12 : 0);
  EXPECT_EQ(red->GetPlusX(), v >= 130 ? 3 : 0);
  EXPECT_EQ(red->GetPlusY(), v >= 130 ? 4 : 0);
  EXPECT_EQ(red->GetColor(), 0x0000FF);
  EXPECT_EQ(red->GetSpareRect(), (TRect{1, 2, 3, 4}));
  EXPECT_EQ(red->GetIgnoreMouse(), 2);
  EXPECT_EQ(red->GetCursor(), "hand.cur");
  EXPECT_EQ(red->GetOnMouseMove(), "p.vsb:move");
  EXPECT_EQ(red->GetOnMouseIn(), v > 101 ? "p.vsb:in" : "");
  EXPECT_EQ(red->GetOnMouseOut(), "p.vsb:out");
  EXPECT_EQ(red->GetOnLBtnDown(), "p.vsb:down");
  EXPECT_EQ(red->GetOnWheelUp(), "p.vsb:wu");
  EXPECT_EQ(red->GetHandleKey(), v > 117);
  EXPECT_EQ(red->GetOnKeyDown(), v > 117 ? "p.vsb:kd" : "");
  EXPECT_EQ(red->GetOnFocusOut(), v > 117 ? "p.vsb:fo" : "");
  EXPECT_EQ(cab->GetClipWidth(), later ? 10 : 0);
  EXPECT_EQ(RectIsEmpty(cab->GetClipRect()), !later);
  EXPECT_EQ(cab->GetOnMouseIn(), v > 101 ? "p.vsb:in" : "");
  // Box fields.
  EXPECT_EQ(red->GetBorderWidth(), 3);
  EXPECT_EQ(red->GetBorderColor(), 0xFFFFFF);
  EXPECT_EQ(red->GetAlpha(), 200);
  EXPECT_EQ(red->GetOnIdle(), later ? "p.vsb:idle" : "");
  EXPECT_EQ(red->GetSource(), later ? "red.bmp" : "");
  EXPECT_EQ(red->GetRepeat(), later);
  EXPECT_EQ(red->GetAutoScrap(), later);
  EXPECT_EQ(red->GetOnPlayEnd(), later ? "p.vsb:end" : "");
  EXPECT_EQ(red->GetPaused(), later);
  EXPECT_FALSE(red->GetAniPaused());
  EXPECT_EQ(inside->GetAlpha(), 128);
  EXPECT_EQ(inside->GetAniPaused(), later);

  // The timer.
  ASSERT_EQ(scene.GetObjectCount(), 4);
  auto* tick = dynamic_cast<TVornTimer*>(scene.FindComponent("tick"));
  ASSERT_NE(tick, nullptr);
  EXPECT_EQ(tick->GetParent(), nullptr);
  EXPECT_EQ(tick->GetTag(), v >= 120 ? "tag-tick" : "");
  EXPECT_EQ(tick->GetOnNotify(), "p.vsb:tick");
  EXPECT_EQ(tick->GetDelay(), 500);
  EXPECT_TRUE(tick->GetPaused());
  EXPECT_EQ(tick->GetAutoScrap(), later);
  EXPECT_EQ(tick->HasFired(), later);
  EXPECT_EQ(tick->LastTime(), 4321);

  // The queue, exactly as saved: loading posted nothing (red's focus-in label included).
  ASSERT_EQ(scene.Events().Count(), 3);
  const TTimerList& events = scene.Events();
  EXPECT_EQ(events.Item(0)->GetLabel(), "p.vsb:tick");
  EXPECT_EQ(events.Item(0)->GetSender().Get(), tick);
  EXPECT_EQ(events.Item(0)->GetCode(), PR_ONNOTIFY);
  EXPECT_EQ(events.Item(1)->GetSender().Get(), red);
  EXPECT_EQ(events.Item(1)->GetDone(), v > 113 ? 2 : 1);
  ASSERT_EQ(events.Item(1)->GetArguments().Count(), 2);
  EXPECT_EQ(events.Item(1)->GetArguments()[1], "4");
  EXPECT_EQ(events.Item(2)->GetSender().Get(), nullptr);
  EXPECT_EQ(events.Item(2)->GetCode(), 50);

  // Focus.
  EXPECT_EQ(scene.GetFocusedControl(), v > 118 ? red : nullptr);
  EXPECT_EQ(scene.IsFocusChoiceRequested(), v <= 118);
}

INSTANTIATE_TEST_SUITE_P(EachVersion, SceneRecordFixture, ::testing::ValuesIn(kCommonSceneFixtures),
                         [](const auto& info) { return "v" + std::to_string(info.param.version); });

TEST(SceneRecord, TheNewestFixtureSavesBackToItsOwnBytes) {
  const std::vector<std::uint8_t> bytes = Fixture("scene-v134-newest.bin");
  TVornBaseList scene;
  Load(scene, bytes, 134);
  EXPECT_EQ(Saved(scene), bytes);
}

// The map image, bitmap-font label and property motion of the kinds fixtures, as each version
// holds them.
TEST_P(SceneRecordKinds, LoadsTheFieldsItsVersionHolds) {
  const std::int32_t v = GetParam().version;
  TVornBaseList scene;
  Load(scene, Fixture(GetParam().file), v);
  auto* map = dynamic_cast<TVornMapImage*>(scene.FindControl("map"));
  auto* label = dynamic_cast<TVornCGLabel*>(scene.FindControl("lab"));
  auto* motion = dynamic_cast<TVornPropMotion*>(scene.FindComponent("mot"));
  ASSERT_NE(map, nullptr);
  ASSERT_NE(label, nullptr);
  ASSERT_NE(motion, nullptr);
  EXPECT_EQ(map->GetLeft(), 2);
  EXPECT_EQ(map->GetMapSource(), "regions.dat");
  EXPECT_EQ(map->GetAlpha(), 255);
  EXPECT_EQ(map->GetBrightness(), -10);
  EXPECT_EQ(map->GetOnMapOut(), "p.vsb:out");
  EXPECT_TRUE(map->GetAutoScrap());
  EXPECT_TRUE(map->GetRClickScrap());
  EXPECT_EQ(map->GetOnSelect(), v > 103 ? "p.vsb:sel" : "");
  EXPECT_EQ(map->CloseState(), v > 114 ? kMapClosing : 0);
  EXPECT_EQ(scene.Menus().Count(), 1);
  EXPECT_EQ(label->GetText(), "12\r\n3");
  EXPECT_EQ(label->GetWidth(), 32);
  EXPECT_EQ(label->GetHeight(), 44);
  EXPECT_EQ(label->GetHAlign(), HA_RIGHT);
  EXPECT_EQ(label->GetAlpha(), 300);
  EXPECT_EQ(label->GetOnIdle(), v > 124 ? "p.vsb:lidle" : "");
  EXPECT_EQ(motion->TargetName(), "lab");
  EXPECT_EQ(motion->PropertyIndex(), 3);
  EXPECT_EQ(motion->TargetValue(), 100.0L);
  EXPECT_EQ(motion->StartValue(), -2.5L);
  EXPECT_EQ(motion->Elapsed(), 500);
  EXPECT_EQ(motion->Easing(), MT_DEC);
  EXPECT_EQ(motion->GetPaused(), v > 125);
  if (v == 134) {
    EXPECT_EQ(Saved(scene), Fixture(GetParam().file));
  }
}

const FixtureCase kKindsFixtures[] = {
    {"kinds-v103-no-map-idle.bin", 103},      {"kinds-v114-no-close-state.bin", 114},
    {"kinds-v124-no-label-idle.bin", 124},    {"kinds-v125-no-motion-pause.bin", 125},
    {"kinds-v134-newest.bin", 134},
};

INSTANTIATE_TEST_SUITE_P(EachVersion, SceneRecordKinds, ::testing::ValuesIn(kKindsFixtures),
                         [](const auto& info) { return "v" + std::to_string(info.param.version); });

TEST(SceneRecord, SystemTargetsOfTheQueue) {
  TVornBaseList scene;
  Load(scene, Fixture("scene-v134-system-targets.bin"), 134);
  EXPECT_EQ(scene.GetActiveLayerIndex(), 1);
  ASSERT_EQ(scene.Events().Count(), 2);
  // The screen copy is never saved: no object bears its name.
  EXPECT_EQ(scene.Events().Item(0)->GetSender().Get(), nullptr);
  // Hand-made: the name of layer 1 stands for the inactive layer, here layer 0.
  EXPECT_EQ(scene.Events().Item(1)->GetSender().Get(), scene.GetBase(0));
}

// The writer of the test tools against the fixtures made by Python: both follow the tables.
TEST(SceneRecord, TheFixtureWriterAgreesWithTheFixtures) {
  fixture::SavedScene saved;
  saved.width = 16;
  saved.height = 16;
  saved.active_layer = 1;
  saved.events = {{"p.vsb:copy", "\x01\x01", 36, 0, {}}, {"p.vsb:other", "\x01" "BASE1", 36, 0, {}}};
  for (auto& layer : saved.layers) layer.control.color = 0;
  EXPECT_EQ(fixture::SceneRecordBytes(saved, 134), Fixture("scene-v134-system-targets.bin"));
}

// ---- what is saved and how references come back ----

TVornCabinet* NewCabinet(TVornBaseList& scene, TVornControl* parent, const std::string& name) {
  auto* cabinet = CreateObject<TVornCabinet>(scene);
  cabinet->SetName(name);
  cabinet->SetParent(parent);
  return cabinet;
}

std::vector<std::string> ChildNames(const TVornControl& control) {
  std::vector<std::string> names;
  for (const TVornControl* child : control.Children()) names.push_back(child->GetName());
  return names;
}

TEST(SceneRecord, OnlySavedObjectsAreWritten) {
  TVornBaseList scene;
  TVornControl* layer = scene.GetBase(0);
  TVornCabinet* kept = NewCabinet(scene, layer, "kept");
  NewCabinet(scene, kept, "child");
  TVornCabinet* scrapped = NewCabinet(scene, layer, "scrapped");
  NewCabinet(scene, scrapped, "under-scrapped");
  NewCabinet(scene, layer, "\x01" "film-made");
  TVornControl* plain = CreateObject<TVornControl>(scene);  // kind 0
  plain->SetName("plain");
  plain->SetParent(layer);
  NewCabinet(scene, plain, "under-plain");
  CreateObject<TVornControl>(scene)->SetName("loose");  // a control without a layer
  CreateObject<TVornTimer>(scene)->SetName("timer");
  CreateObject<TVornTimer>(scene)->SetName("\x01" "system-timer");
  CreateObject<TVornTimer>(scene)->MarkDeleted();
  scrapped->MarkDeleted();

  TMemoryStream saved;
  scene.SaveToStream(saved);
  TVornBaseList loaded;
  saved.SetPosition(0);
  loaded.LoadFromStream(saved, 134);
  EXPECT_EQ(ChildNames(*loaded.GetBase(0)), (std::vector<std::string>{"kept"}));
  EXPECT_EQ(ChildNames(*loaded.GetBase(0)->GetChild(0)), (std::vector<std::string>{"child"}));
  ASSERT_EQ(loaded.GetObjectCount(), 3);
  EXPECT_EQ(loaded.GetObject(2)->GetName(), "timer");
}

TEST(SceneRecord, EventsOfScrappedObjectsAndLayersSaveWithoutATarget) {
  TVornBaseList scene;
  TVornCabinet* gone = NewCabinet(scene, scene.GetBase(0), "gone");
  TVornCabinet* here = NewCabinet(scene, scene.GetBase(0), "here");
  scene.Events().PostEvent(gone, "p.vsb:gone", nullptr, 36);
  scene.Events().PostEvent(scene.GetBase(1), "p.vsb:layer", nullptr, 36);
  scene.Events().PostEvent(here, "p.vsb:here", nullptr, 36);
  gone->MarkDeleted();  // its waiting event stays until the scene frees it

  TMemoryStream saved;
  scene.SaveToStream(saved);
  fixture::SavedScene expected;
  expected.layers[0].control.width = expected.layers[1].control.width = 0;
  expected.layers[0].control.height = expected.layers[1].control.height = 0;
  expected.layers[0].control.color = expected.layers[1].control.color = scene.GetBase(0)->GetColor();
  expected.width = expected.height = 0;
  fixture::SavedComponent cabinet;
  cabinet.name = "here";
  expected.layers[0].children = {cabinet};
  expected.events = {{"p.vsb:gone", "", 36, 0, {}}, {"p.vsb:layer", "", 36, 0, {}}, {"p.vsb:here", "here", 36, 0, {}}};
  EXPECT_EQ(saved.Bytes(), fixture::SceneRecordBytes(expected, 134));

  TVornBaseList loaded;
  saved.SetPosition(0);
  loaded.LoadFromStream(saved, 134);
  ASSERT_EQ(loaded.Events().Count(), 3);
  EXPECT_EQ(loaded.Events().Item(0)->GetSender().Get(), nullptr);
  EXPECT_EQ(loaded.Events().Item(1)->GetSender().Get(), nullptr);
  EXPECT_EQ(loaded.Events().Item(2)->GetSender().Get(), loaded.FindControl("here"));
}

TEST(SceneRecord, AFocusNameNoControlBearsLeavesTheChoiceToTheNextInputStep) {
  fixture::SavedScene saved;
  fixture::SavedComponent keyed;
  keyed.kind = LT_BOX;
  keyed.name = "keyed";
  keyed.control.width = keyed.control.height = 4;
  keyed.control.handle_key = 1;
  saved.layers[0].children = {keyed};
  saved.focus = "nobody";
  TVornBaseList scene;
  Load(scene, fixture::SceneRecordBytes(saved, 134), 134);
  EXPECT_EQ(scene.GetFocusedControl(), nullptr);
  EXPECT_TRUE(scene.IsFocusChoiceRequested());
  scene.ProcessInput();
  EXPECT_EQ(scene.GetFocusedControl(), scene.FindControl("keyed"));
}

TEST(SceneRecord, EveryProperPrefixIsATruncatedRecord) {
  const std::vector<std::uint8_t> bytes = CabinetScene();
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    TVornBaseList scene;
    const std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    try {
      Load(scene, prefix, 134);
      ADD_FAILURE() << "a prefix of " << size << " bytes loaded";
    } catch (const ESavedSceneError& error) {
      EXPECT_NE(std::string(error.what()).find("truncated"), std::string::npos) << size << ": " << error.what();
    }
    scene.ResetScene();
  }
}

}  // namespace
}  // namespace vorn
