#include "platform/display_surface.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vorn::platform {
namespace {

struct FormatCase {
  const char* name;
  std::unique_ptr<MemorySurfaceService> (*make)();
  int bits;
  std::uint32_t red, green, blue;
};

const FormatCase kFormats[] = {
    {"8-8-8", &MemorySurfaceService::Xrgb8888, 32, 0xFF0000u, 0xFF00u, 0xFFu},
    {"5-6-5", &MemorySurfaceService::Rgb565, 16, 0xF800u, 0x07E0u, 0x1Fu},
    {"5-5-5", &MemorySurfaceService::Rgb555, 16, 0x7C00u, 0x03E0u, 0x1Fu},
};

TEST(MemorySurfaceService, SurfacesTakeTheDisplayFormatUnlessPalettised) {
  for (const FormatCase& f : kFormats) {
    SCOPED_TRACE(f.name);
    auto service = f.make();
    for (int asked : {0, 15, 16, 24, 32}) {
      auto s = service->CreateSurface(5, 3, asked);
      ASSERT_NE(s, nullptr);
      const SurfaceDescription d = s->Describe();
      EXPECT_EQ(d.bitCount, f.bits);
      EXPECT_EQ(d.redMask, f.red);
      EXPECT_EQ(d.greenMask, f.green);
      EXPECT_EQ(d.blueMask, f.blue);
      EXPECT_EQ(d.width, 5);
      EXPECT_EQ(d.height, 3);
      EXPECT_EQ(d.pitch, f.bits == 32 ? 20 : 12);
    }
    for (int bits : {1, 4, 8}) {
      auto s = service->CreateSurface(9, 2, bits);
      ASSERT_NE(s, nullptr);
      const SurfaceDescription d = s->Describe();
      EXPECT_EQ(d.bitCount, bits);
      EXPECT_EQ(d.redMask | d.greenMask | d.blueMask, 0u);
      EXPECT_EQ(d.pitch, 4 * ((9 * bits + 31) / 32));
    }
  }
}

TEST(MemorySurfaceService, RefusesEmptyAndHugeSurfaces) {
  auto service = MemorySurfaceService::Xrgb8888();
  EXPECT_EQ(service->CreateSurface(0, 5, 32), nullptr);
  EXPECT_EQ(service->CreateSurface(5, -1, 32), nullptr);
  EXPECT_EQ(service->CreateSurface(0x7FFFFFFF, 0x7FFFFFFF, 32), nullptr);
  EXPECT_EQ(service->CreateSurface(0x7FFFFFFF, 1, 32), nullptr);
  EXPECT_EQ(service->LiveSurfaces(), 0);
}

TEST(MemorySurfaceService, LocksNestAndTheDeviceContextSharesTheMemory) {
  auto service = MemorySurfaceService::Rgb565();
  auto s = service->CreateSurface(4, 3, 16);
  EXPECT_EQ(service->LiveSurfaces(), 1);
  gdi::HDC dc = s->GetDC();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(s->GetDC(), dc);  // cached
  std::uint8_t* a = s->Lock();
  std::uint8_t* b = s->Lock();
  EXPECT_EQ(a, b);
  EXPECT_EQ(s->LockCount(), 2);
  // Pure red through the device context lands as 0xF800 in row 1, column 2 of the top-down memory.
  gdi::FillSolidRect(dc, 2, 1, 3, 2, gdi::RGB(255, 0, 0));
  std::uint16_t v = 0;
  std::memcpy(&v, a + 1 * s->Describe().pitch + 2 * 2, 2);
  EXPECT_EQ(v, 0xF800);
  s->Unlock();
  s->Unlock();
  s->Unlock();  // an extra unlock is harmless
  EXPECT_EQ(s->LockCount(), 0);
  s->ReleaseDC();
  s.reset();
  EXPECT_EQ(service->LiveSurfaces(), 0);
}

TEST(MemorySurfaceService, PalettisedDeviceContextUsesThePaletteLive) {
  auto service = MemorySurfaceService::Xrgb8888();
  auto s = service->CreateSurface(2, 2, 8);
  DisplayPalette palette(256);
  gdi::PaletteEntry entries[2] = {{0, 0, 0, 0}, {0, 0, 255, 0}};
  ASSERT_TRUE(palette.SetEntries(0, 2, entries));
  gdi::HDC dc = s->GetDC(&palette);
  // Blue is nearest to entry 1.
  gdi::FillSolidRect(dc, 0, 0, 1, 1, gdi::RGB(0, 0, 250));
  EXPECT_EQ(s->Lock()[0], 1);
  s->Unlock();
  gdi::PaletteEntry green{0, 255, 0, 0};
  ASSERT_TRUE(palette.SetEntries(7, 1, &green));
  gdi::FillSolidRect(dc, 1, 0, 2, 1, gdi::RGB(0, 240, 0));
  EXPECT_EQ(s->Lock()[1], 7);
  s->Unlock();
}

TEST(DisplayPalette, EntriesAreRangeChecked) {
  DisplayPalette p(16);
  gdi::PaletteEntry buf[17]{};
  struct Case {
    int first, count;
    bool ok;
  } cases[] = {{0, 16, true}, {15, 1, true}, {16, 0, true}, {16, 1, false},
               {-1, 2, false}, {0, 17, false}, {3, -1, false}, {0x7FFFFFFF, 2, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first << "," << c.count);
    EXPECT_EQ(p.SetEntries(c.first, c.count, buf), c.ok);
    EXPECT_EQ(p.GetEntries(c.first, c.count, buf), c.ok);
  }
  gdi::PaletteEntry in{10, 20, 30, 0};
  ASSERT_TRUE(p.SetEntries(5, 1, &in));
  gdi::PaletteEntry out{};
  ASSERT_TRUE(p.GetEntries(5, 1, &out));
  EXPECT_EQ(out.red, 10);
  EXPECT_EQ(out.blue, 30);
  EXPECT_EQ(p.ColorTable()[5], 0x0A141Eu);
}

}  // namespace
}  // namespace vorn::platform
