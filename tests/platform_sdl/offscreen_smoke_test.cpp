#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/player.h"
#include "engine/engine_values.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"
#include "foundation/debug_trace.h"
#include "platform/sdl/sdl_platform.h"
#include "support/temp_folder.h"

namespace vorn {
namespace {

// The real back end under SDL's offscreen video driver: the main window opens, a close arrives
// through the event queue and the player ends cleanly.
TEST(SdlOffscreen, OpensTheMainWindowAndClosesCleanly) {
  {
    platform::sdl::SdlApplication probe("offscreen");
    std::string reason;
    if (!probe.Initialize(reason)) GTEST_SKIP() << "offscreen video driver unavailable: " << reason;
  }
  const testing::TempFolder folder;
  const std::filesystem::path& lock_dir = folder.path();
  const auto data_dir = lock_dir / "data";
  std::filesystem::create_directories(data_dir);
  fixture::ProjectWriter project(110);
  project.title = "\x83\x65\x83\x58\x83\x67";  // a CP932 title the window shows in UTF-8
  project.WriteTo(data_dir.string());
  fixture::PageWriter().WriteTo(data_dir.string(), project.start_page);

  std::vector<std::string> steps;
  DebugTraceRecorder previous = SetDebugTraceRecorder([&](std::string_view step) { steps.emplace_back(step); });
  platform::sdl::SdlPlatform sdl(platform::sdl::SdlPlatformOptions{"offscreen", lock_dir.string()});
  bool close_posted = false;
  sdl.application().set_after_idle([&](platform::Window& window) {
    if (close_posted) return;
    close_posted = true;
    EXPECT_EQ(window.ClientSize(), (platform::Size{640, 480 + 23}));  // the strip: an 18-pixel row, frame and line
    window.PostClose();
  });
  platform::Platform services = sdl.services();
  const int code = RunPlayer(services, {data_dir.string()});
  SetDebugTraceRecorder(std::move(previous));
  std::filesystem::remove_all(lock_dir);

  EXPECT_EQ(code, 0);
  EXPECT_TRUE(close_posted);
  EXPECT_TRUE(StopFlag);
  EXPECT_EQ(std::count(steps.begin(), steps.end(), "FormClose"), 1);
  EXPECT_EQ(std::count(steps.begin(), steps.end(), "MediaFinal"), 1);
}

}  // namespace
}  // namespace vorn
