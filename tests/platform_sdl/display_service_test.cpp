#include <gtest/gtest.h>

#include <vector>

#include "graphics/screen_manager.h"
#include "platform/panel.h"
#include "platform/sdl/sdl_platform.h"

namespace vorn {
namespace {

// SDL's display modes: the desktop is read, the mode list comes through, and the screen manager
// sets up windowed and full screen over it. The offscreen driver lists no usable mode, so full
// screen is not offered there; the dummy driver lists its desktop, so the full-screen path runs.
void RunDisplayUnder(const char* driver, bool fullScreenExpected) {
  SCOPED_TRACE(driver);
  platform::sdl::SdlApplication application(driver);
  std::string reason;
  if (!application.Initialize(reason)) {
    // Every SDL build carries the dummy driver: the full-screen path may not go untested.
    ASSERT_FALSE(fullScreenExpected) << driver << " video driver unavailable: " << reason;
    GTEST_SKIP() << driver << " video driver unavailable: " << reason;
  }
  auto window = application.CreateMainWindow(platform::Size{640, 502}, "VornPlayer");
  platform::sdl::SdlDisplayService display;
  {
    auto connection = display.Open(*window);
    ASSERT_NE(connection, nullptr);
    platform::DisplayMode desktop;
    ASSERT_TRUE(connection->CurrentMode(desktop));
    EXPECT_GT(desktop.width, 0);
    EXPECT_TRUE(desktop.bitsPerPixel == 16 || desktop.bitsPerPixel == 24 || desktop.bitsPerPixel == 32);
    std::vector<platform::DisplayMode> modes;
    EXPECT_TRUE(connection->EnumerateModes(modes));
  }
  platform::Panel panel(*window);
  panel.SetBounds(platform::Rect{0, 22, 640, 480});
  TScreenManager screen(*window, panel, TScreenSizes{320, 200, 640, 480}, &display);
  ASSERT_NE(screen.GetSurface(), nullptr);
  EXPECT_EQ(screen.CurrentMode(), TScreenManager::kWindowed);
  TClipList layers[2];
  layers[0].AddRect(TRect{0, 0, 320, 200});
  TScenePresentation frame;
  frame.Surface = screen.GetSurface();
  frame.LayerDirty[0] = &layers[0];
  frame.LayerDirty[1] = &layers[1];
  screen.Present(&frame);
  if (fullScreenExpected) {
    ASSERT_TRUE(screen.FullScreenOffered());
  }
  if (screen.FullScreenOffered()) {
    screen.Release();
    screen.SetMode(screen.ChosenMode());
    EXPECT_TRUE(screen.IsFullScreen());
    EXPECT_EQ(screen.CurrentMode(), screen.ChosenMode());
    ASSERT_NE(screen.GetSurface(), nullptr);
    frame.Surface = screen.GetSurface();
    layers[0].AddRect(TRect{0, 0, 320, 200});
    screen.Present(&frame);
    screen.Release();
    screen.SetMode(TScreenManager::kWindowed);
    EXPECT_FALSE(screen.IsFullScreen());
    ASSERT_NE(screen.GetSurface(), nullptr);
  }
}

TEST(SdlDisplay, ModesAndWindowedScreenUnderTheOffscreenDriver) { RunDisplayUnder("offscreen", false); }

TEST(SdlDisplay, FullScreenUnderTheDummyDriver) { RunDisplayUnder("dummy", true); }

}  // namespace
}  // namespace vorn
