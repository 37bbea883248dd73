#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "components/saved_records.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "foundation/stream.h"

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
