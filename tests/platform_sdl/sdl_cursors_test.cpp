#include <gtest/gtest.h>

#include <string>

#include "platform/sdl/sdl_platform.h"

namespace vorn::platform::sdl {
namespace {

CursorImage Square(std::uint32_t argb) {
  CursorImage image;
  image.width = 8;
  image.height = 8;
  image.hot_x = 3;
  image.hot_y = 4;
  image.pixels.assign(64, argb);
  return image;
}

// The offscreen driver makes no cursors: an install fails cleanly and the arrow stays; an
// animation that never got installed never wakes the loop.
TEST(SdlCursors, InstallsThroughSdlOrFailsCleanly) {
  SdlPlatform platform(SdlPlatformOptions{"offscreen", ""});
  std::string reason;
  ASSERT_TRUE(platform.application().Initialize(reason)) << reason;
  Cursors* cursors = platform.services().cursors;
  ASSERT_NE(cursors, nullptr);
  auto* sdl = dynamic_cast<SdlCursors*>(cursors);
  ASSERT_NE(sdl, nullptr);

  const bool made = cursors->InstallCustom("a.ani", {Square(0xFFFF0000), Square(0xFF0000FF)},
                                           {CursorStep{0, 100}, CursorStep{1, 50}});
  cursors->SetPanelCursor(CursorShape::kCustom);
  if (made) {
    ASSERT_TRUE(sdl->Pump().has_value());
    EXPECT_LE(*sdl->Pump(), 150u);
    EXPECT_TRUE(sdl->ShowingCustom());
    cursors->SetPointerOverPanel(false);
    EXPECT_FALSE(sdl->ShowingCustom());
  } else {
    EXPECT_FALSE(sdl->ShowingCustom());
    EXPECT_FALSE(sdl->Pump().has_value());
  }
  // A picture whose pixels do not match its size is refused before SDL sees it.
  CursorImage short_image = Square(0);
  short_image.pixels.resize(10);
  EXPECT_FALSE(cursors->InstallCustom("b.cur", {short_image}, {}));
  EXPECT_FALSE(sdl->Pump().has_value());
}

}  // namespace
}  // namespace vorn::platform::sdl
