#include "platform/sdl/sdl_surfaces.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/sdl/sdl_platform.h"

namespace vorn::platform::sdl {
namespace {

TEST(SdlSurfaces, SurfacesTakeTheWindowsPixelFormat) {
  auto fallback = CreateWindowSurfaceService(nullptr);
  EXPECT_EQ(fallback->SurfaceFormat().bitCount, 32);
  EXPECT_EQ(fallback->SurfaceFormat().redMask, 0xFF0000u);

  SdlApplication application("offscreen");
  std::string reason;
  if (!application.Initialize(reason)) GTEST_SKIP() << "offscreen video driver unavailable: " << reason;
  auto window = application.CreateMainWindow(Size{64, 48}, "wave");
  ASSERT_NE(window, nullptr);
  auto service = CreateWindowSurfaceService(window->NativeHandle());
  const SurfaceDescription format = service->SurfaceFormat();
  EXPECT_TRUE(format.bitCount == 16 || format.bitCount == 24 || format.bitCount == 32) << format.bitCount;
  EXPECT_NE(format.redMask, 0u);
  EXPECT_NE(format.greenMask, 0u);
  EXPECT_NE(format.blueMask, 0u);
  auto surface = service->CreateSurface(10, 4, 16);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->Describe().bitCount, format.bitCount);
  EXPECT_EQ(service->CreateSurface(10, 4, 8)->Describe().bitCount, 8);
}

}  // namespace
}  // namespace vorn::platform::sdl
