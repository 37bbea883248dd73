// The drawing panel's picture: the scene over the whole panel on expose, and the videos drawn again
// above it after every presentation.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/box.h"
#include "components/scene_globals.h"
#include "components/vorn_base_list.h"
#include "engine/engine_values.h"
#include "platform/panel.h"
#include "player_harness.h"

namespace vorn {
namespace {

using testing::HeadlessForm;
using testing::Recording;
using testing::TempDir;
using testing::WriteProject;

constexpr char kVideoRepaint[] = "vornVidmanProcessEvent 15";

// The panel blits written before each video repaint call.
struct RepaintLog {
  std::vector<platform::PanelBlit> blits;
  std::vector<std::size_t> blits_at_repaint;
};

TEST(PanelPaint, VideosAreRepaintedAfterEveryPresentationAndExpose) {
  TempDir dir("panel");
  WriteProject(dir.str());
  HeadlessForm form(dir.str());
  form.form->FormCreate();
  RepaintLog log;
  form.form->panel().set_blit_log(&log.blits);
  Recording recording;
  recording.on_call = [&log](std::string_view call) {
    if (call == kVideoRepaint) log.blits_at_repaint.push_back(log.blits.size());
  };
  auto* box = CreateObject<TVornBox>(*Bases);
  box->SetParent(Bases->ActiveLayer());
  box->SetBounds(10, 10, 50, 50);

  form.form->RunFrame();
  ASSERT_EQ(log.blits_at_repaint.size(), 1u);
  EXPECT_GT(log.blits_at_repaint[0], 0u);  // the frame's pixels were on the panel first

  const std::size_t before_expose = log.blits.size();
  form.form->HandleEvent(platform::Event{.type = platform::EventType::kExpose});
  ASSERT_EQ(log.blits_at_repaint.size(), 2u);
  EXPECT_GT(log.blits_at_repaint[1], before_expose);
  // The expose puts the whole scene on the panel.
  const platform::PanelBlit& whole = log.blits.back();
  EXPECT_EQ(whole.source.width, Bases->GetWidth());
  EXPECT_EQ(whole.source.height, Bases->GetHeight());

  form.form->RunFrame();
  form.form->RunFrame();
  EXPECT_EQ(log.blits_at_repaint.size(), 4u);
  form.form->panel().set_blit_log(nullptr);
}

}  // namespace
}  // namespace vorn
