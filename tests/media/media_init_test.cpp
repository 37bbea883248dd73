#include "media/media_init.h"

#include <gtest/gtest.h>

#include "foundation/debug_trace.h"
#include "foundation/standin_trace.h"
#include "graphics/screen_manager.h"
#include "media/media_managers.h"
#include "platform/message_box.h"
#include "support/recording_vorn_library.h"

namespace vorn {
namespace {

TEST(MediaInit, MakesAndFreesEverythingInOrderAroundTheLibrary) {
  platform::HeadlessMessageBoxes boxes;
  testing::ScopedVornProvider provider;
  ScopedVornBinding binding(boxes);
  ASSERT_TRUE(binding.bound());
  std::vector<std::string> steps;
  DebugTraceRecorder previous_trace = SetDebugTraceRecorder([&](std::string_view step) { steps.emplace_back(step); });
  StandInRecorder previous_calls = SetStandInRecorder([&](std::string_view call) { steps.emplace_back(call); });

  platform::VirtualClock clock;
  TVrFileManager files;
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{{0, 480}, {640, 0}}) {
    steps.clear();
    MediaInitParams params;
    params.screen_width = width;
    params.screen_height = height;
    params.files = &files;
    params.clock = &clock;
    MediaInit(params);
    EXPECT_EQ(steps, (std::vector<std::string>{
                         "MediaInit.vornInit", "vornInit", "MediaInit.vornOggmanSetUseThread",
                         "vornOggmanSetUseThread true", "MediaInit.TScreenManager.Create", "MediaInit.TVideoManager.Create",
                         "MediaInit.TWmpManager.Create", "MediaInit.TOggManager.Create", "MediaInit.TCddaManager.Create",
                         "MediaInit.TMidiManager.Create", "MediaInit.end"}));
    // No screen manager without both sizes.
    EXPECT_EQ(ScreenManager, nullptr);
    EXPECT_NE(VideoManager, nullptr);
    EXPECT_NE(OggManager, nullptr);
    EXPECT_NE(MidiManager, nullptr);
    steps.clear();
    MediaSuspendVideos();
    MediaResumeVideos();
    MediaFinal();
    EXPECT_EQ(steps, (std::vector<std::string>{"vornVidmanSuspend", "vornVidmanResume", "ScreenMan.Free",
                                               "VideoMan.Free", "WaveMan.Free", "WmpMan.Free", "OggMan.Free",
                                               "CddaMan.Free", "MidiMan.Free", "vornFinal", "vornFinal"}));
    EXPECT_EQ(VideoManager, nullptr);
    EXPECT_EQ(OggManager, nullptr);
    // Without a video manager the library hears nothing of a switch.
    steps.clear();
    MediaSuspendVideos();
    MediaFinal();
    EXPECT_TRUE(steps.empty());
  }
  SetDebugTraceRecorder(std::move(previous_trace));
  SetStandInRecorder(std::move(previous_calls));
}

}  // namespace
}  // namespace vorn
