// Saved scene records that no writer made: each gives a clear error (or loads harmlessly where the
// record allows it), never a crash, an over-read or an allocation taken from a count.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "components/box.h"
#include "components/pelk_collection.h"
#include "components/saved_records.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "fixture/scene_record_writer.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Load(TVornBaseList& scene, const Bytes& bytes, std::int32_t version) {
  TMemoryStream in(bytes);
  scene.LoadFromStream(in, version);
}

// The error text of a load that must fail; "" when it loaded.
std::string LoadError(TVornBaseList& scene, const Bytes& bytes, std::int32_t version = 134) {
  try {
    Load(scene, bytes, version);
  } catch (const ESavedSceneError& error) {
    return error.what();
  }
  return {};
}

bool Contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

fixture::SavedComponent Cabinet(const std::string& name) {
  fixture::SavedComponent cabinet;
  cabinet.kind = 27;
  cabinet.name = name;
  return cabinet;
}

TEST(SceneRecordBadInput, EveryProperPrefixOfEveryFixtureIsTruncated) {
  const std::filesystem::path folder = std::string(VORN_SOURCE_DIR) + "/tests/components/data/scene_records";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".bin") continue;
    ++files;
    const std::string name = entry.path().filename().string();
    const std::int32_t version = std::stoi(name.substr(name.find('v') + 1, 3));
    const Bytes bytes = testing::ReadWholeFile(entry.path());
    // Pictures the records name come from a cache (blank ones: there is no project); it outlives
    // the scene.
    TPelkCollection cache;
    struct TCacheScope {
      TPelkCollection* previous;
      ~TCacheScope() { PelkMan = previous; }
    } cache_scope{std::exchange(PelkMan, &cache)};
    TVornBaseList scene;
    for (std::size_t size = 0; size < bytes.size(); ++size) {
      const std::string error = LoadError(scene, Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)),
                                          version);
      ASSERT_TRUE(Contains(error, "truncated")) << name << " cut at " << size << ": " << error;
    }
    EXPECT_EQ(LoadError(scene, bytes, version), "") << name;
    scene.ResetScene();
  }
  EXPECT_EQ(files, 20);
}

TEST(SceneRecordBadInput, KindsWithoutAClassStopTheLoadNamingTheKind) {
  for (const int kind : {0, 1, 10, 28, 100, 127, 128, 129, 138, 255}) {
    SCOPED_TRACE(kind);
    fixture::SavedScene top;
    fixture::SavedComponent odd = Cabinet("odd");
    odd.kind = static_cast<std::uint8_t>(kind);
    top.components = {odd};
    TVornBaseList scene;
    EXPECT_TRUE(Contains(LoadError(scene, fixture::SceneRecordBytes(top, 134)),
                         "no component of kind " + std::to_string(kind)));

    fixture::SavedScene child;
    child.layers[0].children = {odd};
    EXPECT_TRUE(Contains(LoadError(scene, fixture::SceneRecordBytes(child, 134)),
                         "no component of kind " + std::to_string(kind)));
  }
}

TEST(SceneRecordBadInput, AChildThatIsNoControlStopsTheLoad) {
  fixture::SavedScene saved;
  fixture::SavedComponent timer;
  timer.kind = 15;
  timer.name = "t";
  saved.layers[0].children = {timer};
  TVornBaseList scene;
  EXPECT_TRUE(Contains(LoadError(scene, fixture::SceneRecordBytes(saved, 134)), "no control"));
  EXPECT_EQ(scene.FindComponent("t"), nullptr);
}

TEST(SceneRecordBadInput, ActiveLayerOtherThanZeroOrOne) {
  for (const std::int32_t active : {-1, 2, 0x7FFFFFFF}) {
    fixture::SavedScene saved;
    saved.active_layer = active;
    TVornBaseList scene;
    EXPECT_TRUE(Contains(LoadError(scene, fixture::SceneRecordBytes(saved, 134)), "active layer")) << active;
  }
}

TEST(SceneRecordBadInput, NegativeCountsAreRefused) {
  fixture::SavedScene components;
  components.component_count = -1;
  TVornBaseList scene;
  EXPECT_TRUE(Contains(LoadError(scene, fixture::SceneRecordBytes(components, 134)), "component count"));
  fixture::SavedScene children;
  children.layers[1].child_count = -5;
  EXPECT_TRUE(Contains(LoadError(scene, fixture::SceneRecordBytes(children, 134)), "child count"));
}

// Objects are made one record at a time: a huge count ends at the missing bytes.
TEST(SceneRecordBadInput, HugeCountsEndAtTheMissingBytes) {
  fixture::SavedScene components;
  components.components = {Cabinet("a")};
  components.components[0].kind = 15;
  components.component_count = 0x7FFFFFFF;
  TVornBaseList scene;
  Bytes bytes = fixture::SceneRecordBytes(components, 134);
  bytes.resize(bytes.size() - 8);  // the record ends after the one component
  EXPECT_TRUE(Contains(LoadError(scene, bytes), "truncated"));
  EXPECT_EQ(scene.GetObjectCount(), 1);

  fixture::SavedScene children;
  children.layers[0].children = {Cabinet("a"), Cabinet("b")};
  children.layers[0].child_count = 0x7FFFFFFF;
  bytes = fixture::SceneRecordBytes(children, 134);
  bytes.resize(12 + fixture::ComponentRecordBytes(children.layers[0], 134).size());  // ends after "b"
  EXPECT_TRUE(Contains(LoadError(scene, bytes), "truncated"));
  EXPECT_EQ(scene.GetObjectCount(), 2);
}

TEST(SceneRecordBadInput, AStringLongerThanTheRecordIsRefusedBeforeAllocating) {
  fixture::SavedScene saved;
  saved.layers[0].children = {Cabinet("a")};
  Bytes bytes = fixture::SceneRecordBytes(saved, 134);
  // The child's name length follows the layer's record up to its child count and the kind byte.
  const Bytes layer = fixture::ComponentRecordBytes(saved.layers[0], 134);
  const std::size_t name_at = 12 + layer.size() - fixture::ComponentRecordBytes(saved.layers[0].children[0], 134).size();
  ASSERT_EQ(bytes[name_at], 1);  // length of "a", now 0x7FFFFFFF
  bytes[name_at] = 0xFF;
  bytes[name_at + 1] = 0xFF;
  bytes[name_at + 2] = 0xFF;
  bytes[name_at + 3] = 0x7F;
  TVornBaseList scene;
  EXPECT_TRUE(Contains(LoadError(scene, bytes), "truncated"));
}

TEST(SceneRecordBadInput, SizesAtOrBelowZeroMakeNoSurfaces) {
  for (const auto& [width, height] : {std::pair{0, 10}, {10, 0}, {-5, 10}, {0x7FFFFFFF, -1}, {-0x7FFFFFFF - 1, 0}}) {
    fixture::SavedScene saved;
    saved.width = width;
    saved.height = height;
    TVornBaseList scene;
    EXPECT_EQ(LoadError(scene, fixture::SceneRecordBytes(saved, 134)), "") << width << " x " << height;
    EXPECT_EQ(scene.GetWidth(), width);
    EXPECT_EQ(scene.GetBase(0)->LayerSurface(), nullptr);
    EXPECT_EQ(scene.GetBase(1)->SecondSurface(), nullptr);
  }
}

TEST(SceneRecordBadInput, ScenesAboveTheBoundAreRefusedBeforeAnySurface) {
  for (const auto& [width, height] : {std::pair{8192, 8193}, {0x7FFFFFFF, 2}, {0x10000, 0x10000}}) {
    fixture::SavedScene saved;
    saved.width = width;
    saved.height = height;
    TVornBaseList scene;
    EXPECT_TRUE(Contains(LoadError(scene, fixture::SceneRecordBytes(saved, 134)), "too large")) << width;
  }
  // At the bound itself the scene loads (at one bit a pixel, so the test stays small).
  fixture::SavedScene largest;
  largest.width = 8192;
  largest.height = 8192;
  TVornBaseList scene(1);
  EXPECT_EQ(LoadError(scene, fixture::SceneRecordBytes(largest, 134)), "");
  EXPECT_EQ(scene.GetWidth(), 8192);
}

// The writer never writes what the reader refuses.
TEST(SceneRecordBadInput, TheWriterRefusesAScenePastTheBound) {
  TVornBaseList scene(1);
  scene.SetWidth(8192);
  scene.SetHeight(8193);
  TMemoryStream out;
  EXPECT_THROW(scene.SaveToStream(out), EWriteError);
  scene.SetHeight(8192);
  EXPECT_NO_THROW(scene.SaveToStream(out));
}

// A chain of cabinets `depth` deep on layer 0, written without recursion.
Bytes DeepScene(int depth) {
  fixture::SavedScene saved;
  const Bytes empty_layer = fixture::ComponentRecordBytes(saved.layers[1], 134);
  fixture::SavedComponent link = Cabinet("n");
  link.child_count = 1;
  const Bytes link_head = fixture::ComponentRecordBytes(link, 134);  // ends with its count, 1
  link.child_count = 0;
  const Bytes leaf = fixture::ComponentRecordBytes(link, 134);
  fixture::SavedComponent layer = saved.layers[0];
  layer.child_count = 1;
  Bytes out;
  TMemoryStream head;
  WriteIntToStream(head, 16);
  WriteIntToStream(head, 16);
  WriteIntToStream(head, 0);
  out = head.Bytes();
  const Bytes layer_head = fixture::ComponentRecordBytes(layer, 134);
  out.insert(out.end(), layer_head.begin(), layer_head.end());
  out.reserve(out.size() + static_cast<std::size_t>(depth) * (link_head.size() + 1) + 64);
  for (int i = 1; i < depth; ++i) {
    out.push_back(27);
    out.insert(out.end(), link_head.begin(), link_head.end());
  }
  out.push_back(27);
  out.insert(out.end(), leaf.begin(), leaf.end());
  out.insert(out.end(), empty_layer.begin(), empty_layer.end());
  for (const std::int32_t value : {0, 0, 0}) {  // no components, no events, focus ""
    TMemoryStream field;
    WriteIntToStream(field, value);
    out.insert(out.end(), field.Bytes().begin(), field.Bytes().end());
  }
  return out;
}

TEST(SceneRecordBadInput, A100000DeepTreeLoadsWithoutExhaustingTheStack) {
  TVornBaseList scene;
  EXPECT_EQ(LoadError(scene, DeepScene(100000)), "");
  EXPECT_EQ(scene.GetObjectCount(), 100000);
  scene.ResetScene();
  EXPECT_EQ(scene.GetObjectCount(), 0);
}

TEST(SceneRecordBadInput, A10000DeepSceneSavedByThePlayerLoads) {
  TVornBaseList scene;
  TVornControl* parent = scene.GetBase(0);
  for (int i = 0; i < 10000; ++i) {
    auto* cabinet = CreateObject<TVornCabinet>(scene);
    cabinet->SetParent(parent);
    parent = cabinet;
  }
  TMemoryStream saved;
  scene.SaveToStream(saved);
  TVornBaseList loaded;
  EXPECT_EQ(LoadError(loaded, saved.Bytes()), "");
  int depth = 0;
  for (const TVornControl* control = loaded.GetBase(0); control->GetChildCount() > 0; control = control->GetChild(0)) {
    ++depth;
  }
  EXPECT_EQ(depth, 10000);
  TMemoryStream again;
  loaded.SaveToStream(again);
  EXPECT_EQ(again.Bytes(), saved.Bytes());
}

TEST(SceneRecordBadInput, AfterAFailedLoadTheSceneCanBeResetAndUsed) {
  fixture::SavedScene saved;
  saved.layers[0].children = {Cabinet("a"), Cabinet("b")};
  saved.layers[0].children[1].kind = 99;
  TVornBaseList scene;
  ASSERT_NE(LoadError(scene, fixture::SceneRecordBytes(saved, 134)), "");
  EXPECT_NE(scene.FindControl("a"), nullptr);
  scene.ResetScene();
  EXPECT_EQ(scene.GetObjectCount(), 0);
  saved.layers[0].children[1].kind = 2;
  EXPECT_EQ(LoadError(scene, fixture::SceneRecordBytes(saved, 134)), "");
  EXPECT_NE(dynamic_cast<TVornBox*>(scene.FindControl("b")), nullptr);
}

}  // namespace
}  // namespace vorn
