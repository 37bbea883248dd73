#pragma once

// Pictures for the picture component tests: layered images written by the fixture writer into a
// headless project, a scene on a memory surface at a chosen depth and the layered-image cache
// installed as the scene's.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/pelk_collection.h"
#include "components/vorn_base_list.h"
#include "fixture/pel_fixture.h"
#include "graphics/memory_dibx.h"
#include "support/engine_fixture.h"
#include "support/test_scene_screen.h"

namespace vorn::test {

// A colour as 0x00BBGGRR.
using TRgb = std::int32_t;
inline constexpr TRgb Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// One 24-bit frame: its pixels by a function of (x, y), an optional 8-bit alpha plane and key.
struct TPictureFrame {
  int width = 1;
  int height = 1;
  std::function<TRgb(int, int)> colour = [](int, int) { return Rgb(255, 255, 255); };
  std::function<std::uint8_t(int, int)> alpha;  // empty: no alpha plane
  TRgb key = -1;                                // transparent colour, -1 none
  std::int32_t delay = 100;
  std::vector<fixture::PelFixtureRect> rects1;
  std::vector<fixture::PelFixtureRect> rects2;
};

inline std::vector<std::uint8_t> PelBytes(const std::vector<TPictureFrame>& frames) {
  fixture::PelFixtureImage image;
  for (const TPictureFrame& f : frames) {
    fixture::PelFixtureFrame frame;
    frame.width = f.width;
    frame.height = f.height;
    frame.depth = 24;
    frame.delay = f.delay;
    frame.rects1 = f.rects1;
    frame.rects2 = f.rects2;
    // A 24-bit pixel value reads 0xRRGGBB.
    if (f.key >= 0) frame.transparentPixel = ((f.key & 0xFF) << 16) | (f.key & 0xFF00) | ((f.key >> 16) & 0xFF);
    fixture::PelFixtureLayer layer;
    const std::size_t stride = fixture::PelFixtureRowBytes(f.width, 24);
    layer.pixelRows.assign(stride * static_cast<std::size_t>(f.height), 0);
    for (int y = 0; y < f.height; ++y) {
      for (int x = 0; x < f.width; ++x) {
        const TRgb c = f.colour(x, y);
        std::uint8_t* p = &layer.pixelRows[stride * y + 3 * x];
        p[0] = static_cast<std::uint8_t>(c >> 16);
        p[1] = static_cast<std::uint8_t>(c >> 8);
        p[2] = static_cast<std::uint8_t>(c);
      }
    }
    if (f.alpha) {
      layer.alphaFlag = 1;
      const std::size_t alpha_stride = fixture::PelFixtureRowBytes(f.width, 8);
      layer.alphaRows.assign(alpha_stride * static_cast<std::size_t>(f.height), 0);
      for (int y = 0; y < f.height; ++y) {
        for (int x = 0; x < f.width; ++x) layer.alphaRows[alpha_stride * y + x] = f.alpha(x, y);
      }
    }
    frame.layers.push_back(layer);
    image.frames.push_back(frame);
  }
  return fixture::WritePelFixture(image);
}

// The folder of each test is named after it, so tests may run side by side.
inline std::string PictureFolderName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "pictures";
  if (test != nullptr) name += std::string("_") + test->test_suite_name() + "_" + test->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return name;
}

// A started project holding the pictures, a scene of 64 x 48 drawing on a memory surface of the
// given depth, and the cache installed as PelkMan.
class TPictureWorld {
 public:
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

  explicit TPictureWorld(int bit_count = 32)
      : engine(PictureFolderName()), surface(kWidth, kHeight, bit_count), screen(&surface, bit_count) {
    fixture::ProjectWriter project;
    engine.AddProject(project);
    engine.AddPage("start.vsb", fixture::PageWriter());
  }
  ~TPictureWorld() {
    scene.reset();
    cache.reset();
    PelkMan = previous_;
  }

  void AddPicture(const std::string& name, const std::vector<TPictureFrame>& frames) {
    engine.AddFile(name, PelBytes(frames));
  }
  // Starts the project and makes the scene and the cache.
  void Start() {
    engine.Start();
    scene = std::make_unique<TVornBaseList>();
    scene->SetScreen(&screen);
    scene->SetWidth(kWidth);
    scene->SetHeight(kHeight);
    cache = std::make_unique<TPelkCollection>(scene.get());
    previous_ = PelkMan;
    PelkMan = cache.get();
    Clear(0);
  }
  // Fills the drawing surface and forgets the layer's dirty rectangles.
  void Clear(TRgb colour) {
    surface.ResetDirtyRect();
    surface.Fill(static_cast<std::uint32_t>(surface.ColorToPixel(colour)));
    scene->ActiveLayer()->DirtyRects().Clear();
  }
  TRgb At(int x, int y) { return PixelColour(surface, x, y); }

  // The colour of a pixel of a 32-, 16- or 15-bit surface, each channel widened to 8 bits.
  static TRgb PixelColour(TCustomDIBX& s, int x, int y) {
    const std::uint32_t p = s.GetPixel(x, y);
    auto channel = [p](std::uint32_t mask, int shift) {
      const std::uint32_t bits = mask >> shift;
      int width = 0;
      while ((bits >> width) & 1u) ++width;
      const std::uint32_t v = (p & mask) >> shift;
      return width >= 8 ? static_cast<int>(v >> (width - 8)) : static_cast<int>((v << (8 - width)) | (v >> (2 * width - 8 > 0 ? 2 * width - 8 : 0)));
    };
    return Rgb(channel(s.GetRedMask(), s.GetRedShift()), channel(s.GetGreenMask(), s.GetGreenShift()),
               channel(s.GetBlueMask(), s.GetBlueShift()));
  }

  testing::EngineFixture engine;
  TMemoryDIBX surface;
  TTestSceneScreen screen;
  std::unique_ptr<TVornBaseList> scene;
  std::unique_ptr<TPelkCollection> cache;

 private:
  TPelkCollection* previous_ = nullptr;
};

}  // namespace vorn::test
