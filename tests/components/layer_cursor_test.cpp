// The panel's cursor as the input step sets it from the object under the mouse, with cursor
// files read from a project.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "engine/system_vars.h"
#include "platform/clock.h"
#include "platform/cursors.h"
#include "support/engine_fixture.h"
#include "support/log_recorder.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using platform::CursorShape;
using Shown = platform::RecordingCursors::Shown;

std::vector<std::uint8_t> Fixture(const std::string& path) {
  return testing::ReadWholeFile((fs::path(VORN_SOURCE_DIR) / "tests/graphics/data" / path).string());
}

class LayerCursor : public ::testing::Test {
 protected:
  LayerCursor() : engine("layer_cursor") {
    fixture::ProjectWriter project;
    engine.AddProject(project);
    engine.AddPage("start.vsb", fixture::PageWriter());
    engine.AddFile("arrow.cur", Fixture("tga_ico/icotool-cursor.cur"));
    engine.AddFile("spin.ani", Fixture("ani/two-frames-rate-seq.ani"));
    engine.AddFile("broken.cur", std::vector<std::uint8_t>(64, 0x41));
    engine.Start();
    scene.SetWidth(200);
    scene.SetHeight(200);
    scene.SetCursors(&cursors);
  }
  ~LayerCursor() override { SetCursorText(""); }

  TVornControl* Add(const std::string& cursor, int left) {
    auto* control = CreateObject<TVornControl>(scene);
    control->SetParent(scene.ActiveLayer());
    control->SetBounds(left, 0, 40, 40);
    control->SetCursor(cursor);
    return control;
  }
  void StepAt(int x, int y) {
    scene.ActiveLayer()->SetMousePos(x, y);
    scene.ProcessInput();
  }

  testing::EngineFixture engine;
  platform::VirtualClock clock;
  platform::RecordingCursors cursors{&clock};
  TVornBaseList scene;
};

TEST_F(LayerCursor, AControlsCursorFileIsInstalledOnceAndTheArrowComesBackOverNone) {
  Add("arrow.cur", 0);
  Add("", 50);
  StepAt(10, 10);
  ASSERT_EQ(cursors.installs(), 1);
  EXPECT_EQ(cursors.source(), "arrow.cur");
  EXPECT_EQ(cursors.shown(), (Shown{CursorShape::kCustom, 0}));
  ASSERT_EQ(cursors.frames().size(), 1u);
  const platform::CursorImage& image = cursors.frames()[0];
  EXPECT_EQ(image.width, 16);
  EXPECT_EQ(image.hot_x, 5);
  EXPECT_EQ(image.hot_y, 7);
  EXPECT_TRUE(cursors.steps().empty());
  // Against ImageMagick's reading of the file: colour where it is opaque, alpha 0 elsewhere.
  const std::vector<std::uint8_t> rgba = Fixture("tga_ico/icotool-cursor.rgba");
  ASSERT_EQ(image.pixels.size() * 4, rgba.size());
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const std::uint8_t* ref = rgba.data() + 4 * i;
    const std::uint32_t want = ref[3] == 0 ? 0 : 0xFF000000u | (ref[0] << 16) | (ref[1] << 8) | ref[2];
    const std::uint32_t got = ref[3] == 0 ? image.pixels[i] & 0xFF000000u : image.pixels[i];
    ASSERT_EQ(got, want) << i;
  }

  StepAt(12, 10);
  EXPECT_EQ(cursors.installs(), 1);
  StepAt(60, 10);
  EXPECT_EQ(cursors.PanelCursor(), CursorShape::kDefault);
  // Back to the same file while the panel shows the arrow: loaded again.
  StepAt(10, 10);
  EXPECT_EQ(cursors.installs(), 2);
  EXPECT_EQ(cursors.PanelCursor(), CursorShape::kCustom);
}

TEST_F(LayerCursor, TheSceneWideCursorServesObjectsWithoutOneAndAnimatesOnTheClock) {
  SetCursorText("spin.ani");
  Add("", 0);
  StepAt(10, 10);
  ASSERT_EQ(cursors.installs(), 1);
  EXPECT_EQ(cursors.source(), "spin.ani");
  ASSERT_EQ(cursors.frames().size(), 2u);
  EXPECT_EQ(cursors.frames()[1].hot_x, 9);
  EXPECT_EQ(cursors.frames()[1].hot_y, 2);
  // Jiffies 5, 0 (as 1) and 20 of 1/60 s over frames 1, 0, 1.
  ASSERT_EQ(cursors.steps().size(), 3u);
  EXPECT_EQ(cursors.steps()[0].duration_ms, 83u);
  EXPECT_EQ(cursors.steps()[1].duration_ms, 16u);
  EXPECT_EQ(cursors.steps()[2].duration_ms, 333u);
  const struct {
    std::uint32_t advance;
    std::size_t frame;
  } timeline[] = {{0, 1}, {82, 1}, {1, 0}, {15, 0}, {1, 1}, {332, 1}, {1, 1}, {83, 0}};
  for (const auto& t : timeline) {
    clock.Advance(t.advance);
    EXPECT_EQ(cursors.shown(), (Shown{CursorShape::kCustom, t.frame})) << clock.TimeGetTime();
  }
  // The tool strip keeps the arrow.
  cursors.SetPointerOverPanel(false);
  EXPECT_EQ(cursors.shown(), Shown{});
}

TEST_F(LayerCursor, AFileThatCannotBeShownLeavesTheArrowAndIsLoggedOnceUntilTheNameChanges) {
  struct Case {
    const char* name;
    bool host_refuses;
  } cases[] = {{"broken.cur", false}, {"missing.cur", false}, {"arrow.cur", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TVornBaseList fresh;
    fresh.SetWidth(100);
    fresh.SetHeight(100);
    platform::RecordingCursors own{&clock};
    own.set_refuse_installs(c.host_refuses);
    fresh.SetCursors(&own);
    auto* control = CreateObject<TVornControl>(fresh);
    control->SetParent(fresh.ActiveLayer());
    control->SetBounds(0, 0, 40, 40);
    control->SetCursor(c.name);
    test::LogRecorder log;
    for (int step = 0; step < 4; ++step) {
      fresh.ActiveLayer()->SetMousePos(step, 5);
      fresh.ProcessInput();
    }
    EXPECT_EQ(own.PanelCursor(), CursorShape::kDefault);
    EXPECT_EQ(own.installs(), c.host_refuses ? 1 : 0);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find(c.name), std::string::npos) << log.Lines()[0];
    control->SetCursor("arrow.cur");
    fresh.ActiveLayer()->SetMousePos(30, 5);
    fresh.ProcessInput();
    EXPECT_EQ(own.PanelCursor(), c.host_refuses ? CursorShape::kDefault : CursorShape::kCustom);
  }
}

}  // namespace
}  // namespace vorn
