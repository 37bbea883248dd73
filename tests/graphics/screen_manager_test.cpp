#include "graphics/screen_manager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "foundation/system_texts.h"
#include "graphics/dx_dibx.h"
#include "graphics/surface_service.h"
#include "platform/headless_application.h"
#include "platform/headless_display.h"

namespace vorn {
namespace {

using platform::MakeDisplayMode;

constexpr TScreenSizes k640Preferring800{640, 480, 800, 600};

struct Screen {
  explicit Screen(int client_width = 640, int client_height = 480)
      : window(application.CreateMainWindow(platform::Size{client_width, client_height}, "test")), panel(*window) {
    panel.SetBounds(platform::Rect{0, 0, 640, 480});
    display.modes.clear();
  }
  std::unique_ptr<TScreenManager> Make(const TScreenSizes& sizes = k640Preferring800, bool with_display = true) {
    return std::make_unique<TScreenManager>(*window, panel, sizes, with_display ? &display : nullptr);
  }

  platform::HeadlessApplication application;
  std::unique_ptr<platform::Window> window;
  platform::Panel panel;
  platform::HeadlessDisplayService display;
};

TEST(ScreenManagerModes, ChoiceTable) {
  struct Case {
    const char* name;
    int desktop_bits;
    std::vector<platform::DisplayMode> offered;
    int count;
    int chosen;
  };
  const Case cases[] = {
      {"preferred size, desktop depth, lowest refresh",
       32,
       {MakeDisplayMode(640, 480, 16, 60), MakeDisplayMode(800, 600, 32, 75), MakeDisplayMode(800, 600, 32, 60)},
       3,
       2},
      {"no mode of the preferred size: the first stays",
       32,
       {MakeDisplayMode(1024, 768, 32, 60), MakeDisplayMode(640, 480, 32, 60), MakeDisplayMode(1280, 1024, 32, 60)},
       3,
       0},
      {"both preferred, neither of the desktop depth: the first stays",
       32,
       {MakeDisplayMode(800, 600, 16, 75), MakeDisplayMode(800, 600, 16, 60)},
       2,
       0},
      {"the desktop depth wins over a lower refresh",
       32,
       {MakeDisplayMode(800, 600, 16, 60), MakeDisplayMode(800, 600, 32, 85), MakeDisplayMode(800, 600, 16, 50)},
       3,
       1},
      {"a higher refresh never replaces", 32, {MakeDisplayMode(800, 600, 32, 60), MakeDisplayMode(800, 600, 32, 75)}, 2, 0},
      {"only small or 8-bit modes: none chosen",
       32,
       {MakeDisplayMode(320, 200, 32, 60), MakeDisplayMode(640, 400, 32, 60), MakeDisplayMode(800, 600, 8, 60)},
       0,
       -1},
      {"no modes at all", 32, {}, 0, -1},
      {"modes of no size, huge modes, refresh 0",
       16,
       {MakeDisplayMode(0, 0, 32, 0), MakeDisplayMode(640, 0, 32, 60),
        MakeDisplayMode(std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), 32, 0),
        MakeDisplayMode(800, 600, 16, 0)},
       2,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Screen screen;
    screen.display.desktop = MakeDisplayMode(1280, 1024, c.desktop_bits, 60);
    screen.display.modes = c.offered;
    auto manager = screen.Make();
    EXPECT_EQ(manager->GetModeCount(), c.count);
    EXPECT_EQ(manager->ChosenMode(), c.chosen);
    EXPECT_EQ(manager->CurrentMode(), TScreenManager::kWindowed);
    EXPECT_EQ(manager->FullScreenOffered(), c.chosen >= 0);
  }
}

TEST(ScreenManagerModes, RecordsKeepTheirFieldsInOrder) {
  Screen screen;
  screen.display.modes = {MakeDisplayMode(800, 600, 32, 75), MakeDisplayMode(1024, 768, 16, 0)};
  auto manager = screen.Make();
  ASSERT_EQ(manager->GetModeCount(), 2);
  EXPECT_EQ(manager->GetMode(0), (TDisplayModeRecord{800, 600, 32, 75}));
  EXPECT_EQ(manager->GetMode(1), (TDisplayModeRecord{1024, 768, 16, 0}));
  EXPECT_EQ(manager->GetMode(2), TDisplayModeRecord{});
  EXPECT_EQ(manager->GetMode(-1), TDisplayModeRecord{});
  const TDisplayModeRecord record = manager->GetMode(0);
  std::int32_t words[4];
  static_assert(sizeof(words) == sizeof(record));
  std::memcpy(words, &record, sizeof(words));
  EXPECT_EQ(words[0], 800);
  EXPECT_EQ(words[1], 600);
  EXPECT_EQ(words[2], 32);
  EXPECT_EQ(words[3], 75);
}

TEST(ScreenManagerCreate, DesktopDepthAndFailures) {
  {
    Screen screen;
    screen.display.desktop = MakeDisplayMode(1280, 1024, 16, 60);
    EXPECT_EQ(screen.Make()->DesktopDepth(), 16);
  }
  {
    SCOPED_TRACE("an unreadable desktop leaves 24");
    Screen screen;
    screen.display.fail_read_mode = true;
    auto manager = screen.Make();
    EXPECT_EQ(manager->DesktopDepth(), 24);
    EXPECT_EQ(manager->GetSurface()->GetBitCount(), 16);  // an unread display counts as not above 16 bits
  }
  {
    SCOPED_TRACE("a failed enumeration is no error");
    Screen screen;
    screen.display.modes = {MakeDisplayMode(800, 600, 32, 60)};
    screen.display.fail_enumerate = true;
    auto manager = screen.Make();
    EXPECT_EQ(manager->GetModeCount(), 0);
    EXPECT_EQ(manager->ChosenMode(), -1);
    EXPECT_EQ(manager->CurrentMode(), TScreenManager::kWindowed);
    EXPECT_EQ(manager->GetSurface()->GetBitCount(), 32);
  }
  {
    SCOPED_TRACE("a display that cannot be opened");
    Screen screen;
    screen.display.fail_open = true;
    try {
      screen.Make();
      FAIL() << "no exception";
    } catch (const EScreenManagerError& error) {
      EXPECT_EQ(std::string(error.what()), std::string(texts::kDirectDrawInitFailed));
    }
  }
  {
    SCOPED_TRACE("no display service: windowed at 16 bits, no full screen");
    Screen screen;
    auto manager = screen.Make(k640Preferring800, false);
    EXPECT_EQ(manager->GetModeCount(), 0);
    EXPECT_FALSE(manager->FullScreenOffered());
    EXPECT_EQ(manager->CurrentMode(), TScreenManager::kWindowed);
    ASSERT_NE(manager->GetSurface(), nullptr);
    EXPECT_EQ(manager->GetSurface()->GetBitCount(), 16);
    EXPECT_EQ(manager->GetSurface()->GetWidth(), 640);
    EXPECT_EQ(manager->GetSurface()->GetHeight(), 480);
    manager->SetMode(0);
    EXPECT_EQ(manager->CurrentMode(), TScreenManager::kWindowed);
  }
}

TEST(ScreenManagerSetUp, SurfaceDepthTable) {
  struct Case {
    int desktop_bits;
    int desktop_format16;
    int mode_bits;
    int full_screen_format16;
    int windowed;
    int full_screen;
  };
  const Case cases[] = {
      {32, 565, 32, 565, 32, 32}, {24, 565, 24, 565, 32, 32}, {16, 565, 16, 565, 16, 16},
      {16, 555, 16, 555, 15, 15}, {32, 565, 16, 555, 32, 15}, {16, 555, 32, 565, 15, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.desktop_bits << "/" << c.desktop_format16 << " desktop, " << c.mode_bits
                                    << "/" << c.full_screen_format16 << " mode");
    Screen screen;
    screen.display.desktop = MakeDisplayMode(1280, 1024, c.desktop_bits, 60, c.desktop_format16);
    screen.display.modes = {MakeDisplayMode(800, 600, c.mode_bits, 60)};
    screen.display.full_screen_format16 = c.full_screen_format16;
    auto manager = screen.Make();
    EXPECT_FALSE(manager->IsFullScreen());
    EXPECT_EQ(manager->GetSurface()->GetBitCount(), c.windowed);
    manager->SetMode(0);
    EXPECT_TRUE(manager->IsFullScreen());
    EXPECT_EQ(manager->CurrentMode(), 0);
    EXPECT_EQ(manager->GetSurface()->GetBitCount(), c.full_screen);
    EXPECT_EQ(screen.window->ClientSize(), (platform::Size{800, 600}));
    manager->SetMode(TScreenManager::kWindowed);
    EXPECT_FALSE(manager->IsFullScreen());
    EXPECT_EQ(manager->GetSurface()->GetBitCount(), c.windowed);
    EXPECT_EQ(screen.display.full_screen_mode(), nullptr);
  }
}

TEST(ScreenManagerSetMode, SwitchesReleasesAndFallsBack) {
  Screen screen;
  screen.display.modes = {MakeDisplayMode(800, 600, 32, 60), MakeDisplayMode(1024, 768, 16, 60)};
  auto manager = screen.Make();
  EXPECT_EQ(screen.display.open_connections(), 1);
  const int opens = screen.display.opens();

  manager->SetMode(TScreenManager::kWindowed);  // the current mode: nothing
  manager->SetMode(-2);
  manager->SetMode(2);
  EXPECT_EQ(manager->CurrentMode(), TScreenManager::kWindowed);
  EXPECT_EQ(screen.display.opens(), opens);

  manager->SetMode(0);  // crossing to full screen opens a new connection
  EXPECT_EQ(screen.display.opens(), opens + 1);
  EXPECT_EQ(screen.display.open_connections(), 1);
  manager->SetMode(1);  // full screen to full screen keeps it
  EXPECT_EQ(screen.display.opens(), opens + 1);
  EXPECT_EQ(manager->GetSurface()->GetBitCount(), 16);
  ASSERT_NE(screen.display.full_screen_mode(), nullptr);
  EXPECT_EQ(screen.display.full_screen_mode()->width, 1024);

  manager->Release();
  EXPECT_EQ(manager->CurrentMode(), TScreenManager::kReleased);
  EXPECT_EQ(manager->GetSurface(), nullptr);
  EXPECT_EQ(screen.display.open_connections(), 0);
  EXPECT_FALSE(screen.panel.target_held());

  screen.display.fail_mode_set = true;
  manager->SetMode(0);
  EXPECT_EQ(manager->CurrentMode(), TScreenManager::kWindowed);
  EXPECT_FALSE(manager->IsFullScreen());
  ASSERT_NE(manager->GetSurface(), nullptr);
  EXPECT_EQ(manager->GetSurface()->GetBitCount(), 32);
  EXPECT_EQ(screen.display.open_connections(), 1);

  manager.reset();
  EXPECT_EQ(screen.display.open_connections(), 0);
}

// Display-memory surfaces are made in the display's format while the display is open: the
// desktop's in a window, the mode's in full screen; none once it is released.
TEST(ScreenManagerSurfaceService, FollowsTheOpenDisplay) {
  struct Case {
    int desktop_bits;
    int desktop_format16;
    int mode_bits;
    int full_screen_format16;
    int windowed_bits;
    std::uint32_t windowed_green;
    int full_bits;
    std::uint32_t full_green;
  };
  const Case cases[] = {
      {32, 565, 32, 565, 32, 0x00FF00, 32, 0x00FF00},
      {32, 565, 16, 565, 32, 0x00FF00, 16, 0x07E0},
      {32, 565, 16, 555, 32, 0x00FF00, 16, 0x03E0},
      {16, 555, 32, 565, 16, 0x03E0, 32, 0x00FF00},
      {24, 565, 24, 565, 24, 0x00FF00, 24, 0x00FF00},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.desktop_bits << "/" << c.desktop_format16 << " desktop, " << c.mode_bits
                                    << "/" << c.full_screen_format16 << " mode");
    Screen screen;
    screen.display.desktop = MakeDisplayMode(1280, 1024, c.desktop_bits, 60, c.desktop_format16);
    screen.display.modes = {MakeDisplayMode(800, 600, c.mode_bits, 60)};
    screen.display.full_screen_format16 = c.full_screen_format16;
    auto manager = screen.Make();
    ASSERT_NE(GetScreenSurfaceService(), nullptr);
    EXPECT_EQ(GetScreenSurfaceService(), manager->surface_service());
    EXPECT_EQ(GetScreenSurfaceService()->SurfaceFormat().bitCount, c.windowed_bits);
    EXPECT_EQ(GetScreenSurfaceService()->SurfaceFormat().greenMask, c.windowed_green);

    TDxDIBX layer;
    layer.SetSize(64, 48, 16);
    EXPECT_FALSE(layer.IsEmpty());
    EXPECT_EQ(layer.GetBitCount(), c.windowed_bits);

    manager->Release();
    EXPECT_EQ(GetScreenSurfaceService(), nullptr);
    TDxDIBX released;
    released.SetSize(64, 48, 16);
    EXPECT_TRUE(released.IsEmpty());
    // A surface made before the release keeps its memory.
    EXPECT_NE(layer.Lock(0, 0), nullptr);
    layer.Unlock();

    manager->SetMode(0);
    ASSERT_TRUE(manager->IsFullScreen());
    ASSERT_NE(GetScreenSurfaceService(), nullptr);
    EXPECT_EQ(GetScreenSurfaceService()->SurfaceFormat().bitCount, c.full_bits);
    EXPECT_EQ(GetScreenSurfaceService()->SurfaceFormat().greenMask, c.full_green);
    layer.SetSize(64, 48, 16);
    EXPECT_EQ(layer.GetBitCount(), c.full_bits);
    EXPECT_EQ(layer.GetGreenMask(), c.full_green);

    manager.reset();
    EXPECT_EQ(GetScreenSurfaceService(), nullptr);
  }
}

TEST(ScreenManagerSurfaceService, NoneWithoutADisplay) {
  struct Case {
    const char* name;
    bool with_display;
    bool fail_open;
  };
  const Case cases[] = {{"no display service", false, false}, {"display that cannot be opened later", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Screen screen;
    screen.display.modes = {MakeDisplayMode(800, 600, 32, 60)};
    auto manager = screen.Make(k640Preferring800, c.with_display);
    if (c.fail_open) {
      manager->Release();
      screen.display.fail_open = true;
      manager->SetMode(TScreenManager::kWindowed);
      ASSERT_NE(manager->GetSurface(), nullptr);
      EXPECT_EQ(manager->GetSurface()->GetBitCount(), 16);
    }
    EXPECT_EQ(GetScreenSurfaceService(), nullptr);
    EXPECT_EQ(manager->surface_service(), nullptr);
  }
}

// A failed full-screen switch falls back to a window on a new connection, with a maker again.
TEST(ScreenManagerSurfaceService, FallbackToAWindowInstallsOneAgain) {
  Screen screen;
  screen.display.modes = {MakeDisplayMode(800, 600, 16, 60)};
  auto manager = screen.Make();
  manager->Release();
  screen.display.fail_mode_set = true;
  manager->SetMode(0);
  EXPECT_EQ(manager->CurrentMode(), TScreenManager::kWindowed);
  ASSERT_NE(GetScreenSurfaceService(), nullptr);
  EXPECT_EQ(GetScreenSurfaceService()->SurfaceFormat().bitCount, 32);
}

// The scene as Present sees it, over the manager's own surface.
struct Frame {
  explicit Frame(TScreenManager& manager) {
    presentation.Surface = manager.GetSurface();
    presentation.LayerDirty[0] = &layers[0];
    presentation.LayerDirty[1] = &layers[1];
  }
  TClipList layers[2];
  TScenePresentation presentation;
};

platform::PanelBlit Blit(platform::Rect source, platform::Rect dest) {
  return platform::PanelBlit{source, dest, platform::SourceFormat::kXrgb8888};
}

TEST(ScreenManagerPresent, DirtyRectanglesOfTheActiveLayerOnly) {
  Screen screen;
  auto manager = screen.Make();
  std::vector<platform::PanelBlit> log;
  screen.panel.set_blit_log(&log);
  Frame frame(*manager);
  frame.presentation.ActiveLayer = 1;
  frame.layers[1].AddRect(TRect{10, 10, 20, 20});
  frame.layers[1].AddRect(TRect{300, 200, 340, 260});
  frame.layers[0].AddRect(TRect{500, 400, 510, 410});
  manager->Present(&frame.presentation);
  EXPECT_EQ(log, (std::vector<platform::PanelBlit>{Blit({10, 10, 10, 10}, {10, 10, 10, 10}),
                                                   Blit({300, 200, 40, 60}, {300, 200, 40, 60})}));
  EXPECT_EQ(frame.layers[0].Count(), 0);
  EXPECT_EQ(frame.layers[1].Count(), 0);
  EXPECT_FALSE(screen.panel.target_held());

  log.clear();
  manager->Present(&frame.presentation);  // nothing dirty, nothing drawn
  EXPECT_TRUE(log.empty());
}

TEST(ScreenManagerPresent, OwnRectangleWins) {
  Screen screen;
  auto manager = screen.Make();
  std::vector<platform::PanelBlit> log;
  screen.panel.set_blit_log(&log);
  Frame frame(*manager);
  frame.layers[0].AddRect(TRect{10, 10, 20, 20});
  frame.presentation.OwnDirty = TRect{100, 100, 200, 150};
  manager->Present(&frame.presentation);
  EXPECT_EQ(log, (std::vector<platform::PanelBlit>{Blit({100, 100, 100, 50}, {100, 100, 100, 50})}));
  EXPECT_EQ(frame.layers[0].Count(), 0);
}

TEST(ScreenManagerPresent, ZoomTable) {
  Screen screen;
  auto manager = screen.Make();
  std::vector<platform::PanelBlit> log;
  screen.panel.set_blit_log(&log);
  Frame frame(*manager);

  frame.presentation.Zoom = 150;  // the whole surface every frame, dirty or not
  manager->Present(&frame.presentation);
  frame.layers[0].AddRect(TRect{10, 10, 20, 20});
  manager->Present(&frame.presentation);
  EXPECT_EQ(log, (std::vector<platform::PanelBlit>{Blit({0, 0, 640, 480}, {0, 0, 960, 720}),
                                                   Blit({0, 0, 640, 480}, {0, 0, 960, 720})}));
  EXPECT_EQ(frame.layers[0].Count(), 0);

  log.clear();
  frame.presentation.Zoom = 200;
  frame.layers[0].AddRect(TRect{10, 20, 30, 25});
  manager->Present(&frame.presentation);
  EXPECT_EQ(log, (std::vector<platform::PanelBlit>{Blit({10, 20, 20, 5}, {20, 40, 40, 10})}));

  log.clear();
  for (int zoom : {0, -100, -150}) {
    frame.presentation.Zoom = zoom;
    frame.layers[0].AddRect(TRect{10, 20, 30, 25});
    manager->Present(&frame.presentation);
  }
  EXPECT_TRUE(log.empty());
}

TEST(ScreenManagerPresent, StretchedFrameStaysInsideThePanel) {
  Screen screen(700, 520);  // room around the panel that must stay untouched
  auto manager = screen.Make();
  TDIBX& surface = *manager->GetSurface();
  surface.FillRect(surface.GetBoundsRect(), static_cast<std::uint32_t>(surface.ColorToPixel(0x0000FF)));
  Frame frame(*manager);
  frame.presentation.Zoom = 150;
  manager->Present(&frame.presentation);
  const platform::Framebuffer& canvas = screen.window->Canvas();
  EXPECT_EQ(canvas.Pixel(639, 479), 0xFF0000u);
  EXPECT_EQ(canvas.Pixel(640, 100), 0u);
  EXPECT_EQ(canvas.Pixel(100, 480), 0u);
  EXPECT_EQ(canvas.Pixel(699, 519), 0u);
}

TEST(ScreenManagerPresent, RectanglesOutsideAreClippedOrSkipped) {
  Screen screen;
  auto manager = screen.Make();
  std::vector<platform::PanelBlit> log;
  screen.panel.set_blit_log(&log);
  Frame frame(*manager);
  for (const TRect& r : {TRect{-50, -50, 10, 10}, TRect{630, 470, 700, 900}, TRect{700, 0, 800, 10},
                         TRect{-100, -100, -10, -10}, TRect{5, 5, 5, 50}}) {
    frame.layers[0].Clear();
    frame.layers[0].AddRect(r);
    manager->Present(&frame.presentation);
  }
  EXPECT_EQ(log, (std::vector<platform::PanelBlit>{Blit({0, 0, 10, 10}, {0, 0, 10, 10}),
                                                   Blit({630, 470, 10, 10}, {630, 470, 10, 10})}));
  log.clear();
  frame.presentation.OwnDirty = TRect{600, 400, 1000, 1000};
  frame.presentation.Zoom = 200;
  manager->Present(&frame.presentation);
  EXPECT_EQ(log, (std::vector<platform::PanelBlit>{Blit({600, 400, 40, 80}, {1200, 800, 80, 160})}));
}

TEST(ScreenManagerPresent, NothingWithoutSceneOrSurface) {
  Screen screen;
  auto manager = screen.Make();
  std::vector<platform::PanelBlit> log;
  screen.panel.set_blit_log(&log);
  manager->Present(nullptr);
  TScenePresentation empty;
  manager->Present(&empty);
  EXPECT_TRUE(log.empty());
}

TEST(ScreenManagerPresent, SixteenBitPixelsWidenOnThePanel) {
  struct Case {
    int desktop_format16;
    std::uint32_t colour;  // 0x00BBGGRR
    std::uint32_t shown;   // XRGB
  };
  const Case cases[] = {
      {565, 0xFFFFFF, 0xFFFFFF}, {555, 0xFFFFFF, 0xFFFFFF}, {565, 0x808080, 0x848284},
      {555, 0x808080, 0x848484}, {565, 0x0000FF, 0xFF0000}, {555, 0xFF0000, 0x0000FF},
  };
  for (const Case& c : cases) {
    Screen screen;
    screen.display.desktop = MakeDisplayMode(1280, 1024, 16, 60, c.desktop_format16);
    auto manager = screen.Make();
    TDIBX& surface = *manager->GetSurface();
    surface.FillRect(surface.GetBoundsRect(), static_cast<std::uint32_t>(surface.ColorToPixel(static_cast<std::int32_t>(c.colour))));
    Frame frame(*manager);
    frame.presentation.OwnDirty = TRect{0, 0, 4, 4};
    manager->Present(&frame.presentation);
    EXPECT_EQ(screen.window->Canvas().Pixel(2, 2), c.shown) << c.desktop_format16 << " " << std::hex << c.colour;
  }
}

TEST(PanelTarget, CoveringStripRowsAreLeftAlone) {
  Screen screen;
  auto manager = screen.Make();
  TDIBX& surface = *manager->GetSurface();
  surface.FillRect(surface.GetBoundsRect(), static_cast<std::uint32_t>(surface.ColorToPixel(0xFFFFFF)));
  screen.panel.SetCoveredAbove(22);
  Frame frame(*manager);
  frame.presentation.OwnDirty = surface.GetBoundsRect();
  manager->Present(&frame.presentation);
  EXPECT_EQ(screen.window->Canvas().Pixel(5, 21), 0u);
  EXPECT_EQ(screen.window->Canvas().Pixel(5, 22), 0xFFFFFFu);
}

}  // namespace
}  // namespace vorn
