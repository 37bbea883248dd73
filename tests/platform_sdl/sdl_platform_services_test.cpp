#include <gtest/gtest.h>

#include "platform/font_catalog.h"
#include "platform/sdl/sdl_platform.h"

namespace vorn::platform::sdl {
namespace {

// The executable's platform hands the player the host's installed fonts, not the fixed list.
TEST(SdlPlatformServices, TheFontsAreTheHostsFontconfigCatalogue) {
  SdlPlatform platform(SdlPlatformOptions{"offscreen", ""});
  const Platform services = platform.services();
  ASSERT_NE(services.fonts, nullptr);
  EXPECT_NE(dynamic_cast<FontconfigCatalog*>(services.fonts), nullptr);
}

}  // namespace
}  // namespace vorn::platform::sdl
