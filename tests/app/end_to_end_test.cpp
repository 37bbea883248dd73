// The player started with a data directory runs a whole project: title, window size, the start
// page's loops, calls and jumps frame by frame, and the exit page at the close.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/script_host.h"
#include "fixture/flow_page_commands.h"
#include "player_harness.h"

namespace vorn {
namespace {

namespace flow = fixture::flow;
using fixture::PageWriter;
using fixture::ProjectGlobal;

TEST(EndToEnd, DataDirectoryProjectRunsFramesAndItsExitPage) {
  testing::TempDir exe("e2e_exe");
  testing::TempDir data("e2e_data");
  fixture::ProjectWriter project(110);
  project.title = "\x83\x65\x83\x58\x83\x67";  // テスト
  project.screen_width = 640;
  project.screen_height = 480;
  project.start_page = "start.vsb";
  project.exit_page = "exit.vsb";
  project.globals = {ProjectGlobal::Int("i", 0), ProjectGlobal::Int("sum", 0), ProjectGlobal::Int("frames", 0),
                     ProjectGlobal::Int("calls", 0)};
  PageWriter start;
  start.Add(flow::WhileInit("i = 1", 0, 1))
      .Add(flow::While("i <= 10", 4, 0, 2))
      .Add(flow::Calc("sum = sum + i", 1, 3))
      .Add(flow::WhileLoop("i = i + 1", 1, 0, 4))
      .Add(flow::Label("loop", 0, 5))
      .Add(flow::Call("count.vsb", 0, "", {}, "1", 0, 6))
      .Add(flow::If("frames > 3", 0, 7))
      .Add(flow::Calc("calls = calls + 1", 1, 8))
      .Add(flow::Calc("", 0, 9).Header(0, 0, 0, 9))  // a false run flag ends the frame's step
      .Add(flow::Jump("start.vsb", 4, "1", 0, 10));
  testing::WriteProject(data.str(), project, start);
  PageWriter count;
  count.Add(flow::Calc("frames = frames + 1", 0, 1));
  count.WriteTo(data.str(), "count.vsb");
  PageWriter exit_page;
  exit_page.Add(flow::Calc("", 0, 1));
  exit_page.WriteTo(data.str(), "exit.vsb");

  std::vector<std::string> traced;
  TTraceCallback previous = SetTraceCallback([&traced](const char* line) { traced.emplace_back(line); });
  {
    testing::HeadlessForm form(exe.str(), {data.str()});
    form.form->FormCreate();
    ASSERT_FALSE(StopFlag);
    EXPECT_TRUE(form.headless.boxes.shown().empty());
    EXPECT_EQ(form.headless.application.title(), project.title);
    auto* window = static_cast<platform::HeadlessWindow*>(form.window.get());
    EXPECT_EQ(window->caption(), project.title);
    EXPECT_EQ(form.window->ClientSize(), (platform::Size{640, 480 + form.form->dock().Height()}));

    form.Activate();
    for (int frame = 0; frame < 6; ++frame) ASSERT_FALSE(form.form->ApplicationEventsIdle());
    TParamCollection* params = CurrentParams();
    ASSERT_NE(params, nullptr);
    EXPECT_EQ(params->FindParam("sum")->GetAsInt(), 55);
    EXPECT_EQ(params->FindParam("frames")->GetAsInt(), 6);
    EXPECT_EQ(params->FindParam("calls")->GetAsInt(), 3);

    traced.clear();
    form.form->FormClose();
  }
  SetTraceCallback(std::move(previous));
  ASSERT_EQ(traced.size(), 1u);
  EXPECT_NE(traced[0].find("exit.vsb(1)"), std::string::npos) << traced[0];
}

}  // namespace
}  // namespace vorn
