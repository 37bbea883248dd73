#include "graphics/dx_dibx.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <random>

#include "graphics/canvas.h"
#include "graphics/surface_service.h"
#include "graphics/dibx.h"

namespace vorn {
namespace {

// Installs a headless surface service for one test.
class DisplayScope {
 public:
  explicit DisplayScope(std::unique_ptr<platform::MemorySurfaceService> service)
      : service_(std::move(service)) {
    SetScreenSurfaceService(service_.get());
  }
  ~DisplayScope() { SetScreenSurfaceService(nullptr); }
  platform::MemorySurfaceService& service() { return *service_; }

 private:
  std::unique_ptr<platform::MemorySurfaceService> service_;
};

TEST(TDxDIBX, CreateHasNoMemoryUntilSetSize) {
  DisplayScope display(platform::MemorySurfaceService::Xrgb8888());
  TDxDIBX s;
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.Lock(0, 0), nullptr);
  EXPECT_EQ(s.GetDC(), nullptr);
  EXPECT_EQ(s.GetPixel(0, 0), 0u);
  s.SetSize(3, 2, 32);
  EXPECT_FALSE(s.IsEmpty());
  EXPECT_EQ(s.GetWidth(), 3);
  EXPECT_EQ(s.GetHeight(), 2);
  EXPECT_EQ(display.service().LiveSurfaces(), 1);
  s.SetSize(4, 4, 32);  // the old surface goes first
  EXPECT_EQ(display.service().LiveSurfaces(), 1);
}

TEST(TDxDIBX, WithoutSurfaceServiceNothingIsMade) {
  SetScreenSurfaceService(nullptr);
  TDxDIBX s;
  s.SetSize(8, 8, 32);
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.Lock(0, 0), nullptr);
}

struct QueryCase {
  const char* name;
  std::unique_ptr<platform::MemorySurfaceService> (*make)();
  int asked;
  int bits;
  int redShift, greenShift, blueShift;
  std::int32_t white, orange;  // ColorToPixel of 0xFFFFFF and RGB(255, 128, 7)
};

TEST(TDxDIBX, QueriesFollowTheSurfaceDescription) {
  const QueryCase cases[] = {
      {"32 asked on 8-8-8", &platform::MemorySurfaceService::Xrgb8888, 32, 32, 16, 8, 0, 0xFFFFFF, 0xFF8007},
      {"16 asked on 8-8-8", &platform::MemorySurfaceService::Xrgb8888, 16, 32, 16, 8, 0, 0xFFFFFF, 0xFF8007},
      {"5-6-5", &platform::MemorySurfaceService::Rgb565, 16, 16, 11, 5, 0, 0xFFFF, (31 << 11) | (32 << 5) | 0},
      {"5-5-5", &platform::MemorySurfaceService::Rgb555, 15, 16, 10, 5, 0, 0x7FFF, (31 << 10) | (16 << 5) | 0},
  };
  for (const QueryCase& c : cases) {
    SCOPED_TRACE(c.name);
    DisplayScope display(c.make());
    TDxDIBX s;
    s.SetSize(5, 3, c.asked);
    EXPECT_EQ(s.GetBitCount(), c.bits);
    EXPECT_EQ(s.GetRedShift(), c.redShift);
    EXPECT_EQ(s.GetGreenShift(), c.greenShift);
    EXPECT_EQ(s.GetBlueShift(), c.blueShift);
    EXPECT_EQ(s.GetPitch(), c.bits == 32 ? 20 : 12);
    EXPECT_EQ(s.ColorToPixel(0xFFFFFF), c.white);
    EXPECT_EQ(s.ColorToPixel(0x0780FF), c.orange);
    EXPECT_EQ(s.ColorToPixel(-5), -1);
  }
}

TEST(TDxDIBX, PalettisedSurfacesHaveTheirOwnBlackPalette) {
  DisplayScope display(platform::MemorySurfaceService::Xrgb8888());
  for (int bits : {1, 4, 8}) {
    SCOPED_TRACE(bits);
    TDxDIBX s;
    s.SetSize(10, 2, bits);
    EXPECT_EQ(s.GetBitCount(), bits);
    EXPECT_EQ(s.GetRedShift(), 32);  // empty masks
    EXPECT_EQ(s.Surface()->GetPalette(), nullptr);  // held, not attached
    std::array<std::uint8_t, 1024> buf;
    buf.fill(0xAB);
    s.GetPalette(buf.data());
    const int n = 1 << bits;
    for (int i = 0; i < n * 4; ++i) ASSERT_EQ(buf[i], 0) << i;
    if (n * 4 < 1024) {
      EXPECT_EQ(buf[n * 4], 0xAB);
    }
    // Every colour is nearest to black while the palette is black.
    EXPECT_EQ(s.ColorToPixel(0xFFFFFF), 0);
  }
}

TEST(TDxDIBX, PaletteEntriesAndNearestColour) {
  DisplayScope display(platform::MemorySurfaceService::Rgb565());
  TDxDIBX s;
  s.SetSize(4, 4, 4);
  std::array<std::uint8_t, 1024> table{};
  // Entry 3 pure red, entry 9 pure green (blue, green, red, 0).
  table[3 * 4 + 2] = 255;
  table[9 * 4 + 1] = 255;
  s.SetPalette(table.data());
  EXPECT_EQ(s.ColorToPixel(0x0000F0), 3);
  EXPECT_EQ(s.ColorToPixel(0x00E000), 9);
  const std::uint8_t blue[4] = {255, 0, 0, 0};
  s.SetPaletteEntries(blue, 15, 1);
  EXPECT_EQ(s.ColorToPixel(0xFF0000), 15);
  std::array<std::uint8_t, 8> two{};
  s.GetPaletteEntries(two.data(), 14, 2);
  EXPECT_EQ(two[4], 255);
  // Ranges that do not fit the 16 entries raise; a palette-less surface ignores them.
  EXPECT_THROW(s.SetPaletteEntries(blue, 16, 1), EDxDIBXError);
  EXPECT_THROW(s.SetPaletteEntries(blue, -1, 1), EDxDIBXError);
  EXPECT_THROW(s.SetPaletteEntries(table.data(), 0, 17), EDxDIBXError);
  try {
    s.SetPaletteEntries(blue, 15, 2);
    FAIL();
  } catch (const EDxDIBXError& e) {
    EXPECT_STREQ(e.what(), "FPalette.SetEntries Failed");
  }
  TDxDIBX plain;
  plain.SetSize(2, 2, 32);
  EXPECT_NO_THROW(plain.SetPaletteEntries(blue, 300, 5));
  std::array<std::uint8_t, 4> untouched{1, 2, 3, 4};
  plain.GetPalette(untouched.data());
  EXPECT_EQ(untouched[0], 1);
}

TEST(TDxDIBX, SetSizeFailureRaisesAndLeavesTheObjectEmpty) {
  DisplayScope display(platform::MemorySurfaceService::Xrgb8888());
  TDxDIBX s;
  s.SetSize(4, 4, 32);
  for (auto [w, h] : {std::pair{0, 4}, std::pair{4, -2}, std::pair{0x7FFFFFFF, 0x7FFFFFFF}}) {
    s.SetSize(4, 4, 32);
    try {
      s.SetSize(w, h, 32);
      FAIL();
    } catch (const EDxDIBXError& e) {
      EXPECT_STREQ(e.what(), "\"CreateSurface\" Failed");
    }
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(display.service().LiveSurfaces(), 0);
    s.FillRect(TRect{0, 0, 4, 4}, 1);  // nothing to draw on, and no crash
  }
  s.SetSize(2, 2, 32);  // usable again
  EXPECT_FALSE(s.IsEmpty());
}

TEST(TDxDIBX, PixelsLocksAndDeviceContext) {
  DisplayScope display(platform::MemorySurfaceService::Rgb555());
  TDxDIBX s;
  s.SetSize(3, 2, 16);
  s.SetPixel(2, 1, 0x7C00);
  EXPECT_EQ(s.GetPixel(2, 1), 0x7C00u);
  s.SetPixel(3, 1, 0x1234);   // outside: nothing
  s.SetPixel(-1, 0, 0x1234);
  EXPECT_EQ(s.GetPixel(3, 1), 0u);
  EXPECT_EQ(s.GetPixel(0, 2), 0u);
  // Lock addresses pixels from the top-down memory and nests with the device context.
  std::uint8_t* p = s.Lock(2, 1);
  ASSERT_NE(p, nullptr);
  std::uint8_t* q = s.Lock(0, 0);
  EXPECT_EQ(p - q, s.GetPitch() + 4);
  gdi::HDC dc = s.GetDC();
  EXPECT_EQ(s.GetDC(), dc);
  gdi::FillSolidRect(dc, 0, 0, 1, 1, gdi::RGB(0, 255, 0));
  EXPECT_EQ(s.GetPixel(0, 0), 0x03E0u);  // 5-5-5 green, by the masks
  s.Unlock();
  s.Unlock();
  EXPECT_EQ(s.Surface()->LockCount(), 0);
  TCanvas* canvas = s.GetCanvas();
  EXPECT_EQ(canvas->Handle(), dc);
  s.ReleaseCanvas();
  TCanvas* again = s.GetCanvas();
  ASSERT_NE(again->Handle(), nullptr);
  s.ReleaseDC();
  EXPECT_EQ(again->Handle(), nullptr);
  EXPECT_NE(s.GetCanvas()->Handle(), nullptr);
}

TEST(TDxDIBX, WrapperDescribesTheSurfaceAndFreesNothing) {
  DisplayScope display(platform::MemorySurfaceService::Rgb565());
  auto back = display.service().CreateSurface(6, 5, 0);
  {
    TDxDIBX wrap(*back);
    EXPECT_FALSE(wrap.OwnsSurface());
    EXPECT_EQ(wrap.GetWidth(), 6);
    EXPECT_EQ(wrap.GetHeight(), 5);
    EXPECT_EQ(wrap.GetBitCount(), 16);
    EXPECT_EQ(wrap.GetGreenMask(), 0x07E0u);
    wrap.FillRect(TRect{1, 1, 3, 2}, 0xF800);
    wrap.GetDC();
    wrap.FreeSurface();  // not owning: nothing happens
    EXPECT_FALSE(wrap.IsEmpty());
  }
  EXPECT_EQ(display.service().LiveSurfaces(), 1);
  std::uint16_t v = 0;
  std::memcpy(&v, back->Lock() + back->Describe().pitch + 2, 2);
  back->Unlock();
  EXPECT_EQ(v, 0xF800);
}

TEST(TDxDIBX, FreeSurfaceLeavesTheObjectUsable) {
  DisplayScope display(platform::MemorySurfaceService::Xrgb8888());
  TDxDIBX s;
  s.SetSize(3, 3, 8);
  s.GetCanvas();
  s.FreeSurface();
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(display.service().LiveSurfaces(), 0);
  std::array<std::uint8_t, 4> untouched{9, 9, 9, 9};
  s.GetPalette(untouched.data());
  EXPECT_EQ(untouched[0], 9);
  s.SetSize(3, 3, 32);
  s.Fill(0x123456);
  EXPECT_EQ(s.GetPixel(2, 2), 0x123456u);
}

// The generic drawing code runs on display memory (top-down) exactly as on a TDIBX (bottom-up) of
// the same format, the channels taken from the masks.
TEST(TDxDIBX, BlitsGiveTheSamePixelsAsOnTDIBX) {
  struct Format {
    const char* name;
    std::unique_ptr<platform::MemorySurfaceService> (*make)();
    int dibxBits;
    std::uint32_t pixelMask;
  } formats[] = {
      {"8-8-8", &platform::MemorySurfaceService::Xrgb8888, 32, 0xFFFFFF},
      {"5-6-5", &platform::MemorySurfaceService::Rgb565, 16, 0xFFFF},
      {"5-5-5", &platform::MemorySurfaceService::Rgb555, 15, 0x7FFF},
  };
  using Op = std::function<void(TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX& m)>;
  const TRect src{1, 2, 15, 11};
  const std::pair<const char*, Op> ops[] = {
      {"FillRect", [](TCustomDIBX& d, TCustomDIBX&, TCustomDIBX&) { d.FillRect(TRect{-3, 4, 20, 9}, d.ColorToPixel(0x336699)); }},
      {"FillRectOpacity", [](TCustomDIBX& d, TCustomDIBX&, TCustomDIBX&) { d.FillRectOpacity(TRect{2, 2, 30, 15}, d.ColorToPixel(0xFF8000), 100); }},
      {"AddColorRect", [](TCustomDIBX& d, TCustomDIBX&, TCustomDIBX&) { d.AddColorRect(TRect{0, 0, 12, 12}, d.ColorToPixel(0x404040)); }},
      {"SubColorRect", [](TCustomDIBX& d, TCustomDIBX&, TCustomDIBX&) { d.SubColorRect(TRect{5, 5, 25, 18}, d.ColorToPixel(0x204080)); }},
      {"FrameRect", [](TCustomDIBX& d, TCustomDIBX&, TCustomDIBX&) { d.FrameRect(TRect{1, 1, 20, 15}, 2, 7); }},
      {"DrawRect keyed flipped", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX&) { d.DrawRect(3, -2, s, src, true, true, true); }},
      {"DrawOpacity", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX&) { d.DrawOpacity(8, 4, s, src, false, false, true, 90); }},
      {"DrawAdd", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX&) { d.DrawAdd(-4, 6, s, src, true, true, false, 200); }},
      {"DrawMask", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX& m) { d.DrawMask(2, 3, s, src, false, false, &m); }},
      {"DrawMaskOpacity", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX& m) { d.DrawMaskOpacity(2, 3, s, src, true, false, &m, 150); }},
      {"DrawColorMask", [&](TCustomDIBX& d, TCustomDIBX&, TCustomDIBX& m) { d.DrawColorMask(0, 0, &m, src, false, true, d.ColorToPixel(0x00FF00), 180); }},
      {"StretchDraw", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX&) { d.StretchDraw(TRect{-5, 1, 31, 19}, s, src, true, false, true, 255); }},
      {"StretchDrawAdd", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX&) { d.StretchDrawAdd(TRect{2, 1, 9, 7}, s, src, false, true, false, 120); }},
      {"DrawRotate", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX&) { d.DrawRotate(12, 9, 300, 200, s, src, 5, 4, 37, false, false, false, 255); }},
      {"DrawRotateMask", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX& m) { d.DrawRotateMask(12, 9, 256, 256, s, src, 5, 4, 200, true, false, &m, 300); }},
      {"FillPattern", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX&) { d.FillPattern(TRect{1, 1, 27, 17}, s, 3, -5, true, false); }},
      {"DrawScaledTiled", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX&) { d.DrawScaledTiled(TRect{0, 0, 28, 18}, 400, 300, s, 2, 2, false, false, true, 128); }},
      {"DrawRectTiled", [&](TCustomDIBX& d, TCustomDIBX& s, TCustomDIBX&) { d.DrawRectTiled(TRect{0, 0, 28, 18}, 1, 2, s, src, true, 3, 3); }},
  };
  for (const auto& f : formats) {
    DisplayScope display(f.make());
    for (const auto& [name, op] : ops) {
      SCOPED_TRACE(std::string(f.name) + " " + name);
      std::mt19937 rng(99);
      TDxDIBX dxDest, dxSource;
      TDIBX dibDest, dibSource, mask;
      dxDest.SetSize(28, 18, 16);
      dxSource.SetSize(16, 12, 16);
      dibDest.SetSize(28, 18, f.dibxBits);
      dibSource.SetSize(16, 12, f.dibxBits);
      mask.SetSize(16, 12, 8);
      for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 28; ++x) {
          const std::uint32_t v = rng() & f.pixelMask;
          dxDest.SetPixel(x, y, v);
          dibDest.SetPixel(x, y, v);
          if (x < 16 && y < 12) {
            const std::uint32_t s = (x + y) % 4 == 0 ? 0x1F : rng() & f.pixelMask;
            dxSource.SetPixel(x, y, s);
            dibSource.SetPixel(x, y, s);
            mask.SetPixel(x, y, rng() & 0xFF);
          }
        }
      dxSource.ColorKey = dibSource.ColorKey = 0x1F;
      dxDest.DirtyRect = dibDest.DirtyRect = TRect{1, 0, 26, 17};
      op(dxDest, dxSource, mask);
      op(dibDest, dibSource, mask);
      ASSERT_EQ(dxDest.GetBitCount(), 32 * (f.dibxBits == 32) + 16 * (f.dibxBits != 32));
      for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 28; ++x) ASSERT_EQ(dxDest.GetPixel(x, y), dibDest.GetPixel(x, y)) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace vorn
