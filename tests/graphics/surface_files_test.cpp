// Surfaces filled from BMP, PNG and layered-image data and saved as 24-bit BMP. The pictures and
// their pixel references were made by ImageMagick and Python (tools/bmp_fixtures/
// make_bmp_fixtures.py for data/bmp, data/pel/make_references.sh for the PNGs); layered images
// come from the fixture writer in tools/fixture. The saved BMP is decoded by ImageMagick.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fixture/pel_fixture.h"
#include "foundation/errors.h"
#include "foundation/stream.h"
#include "foundation/system_texts.h"
#include "graphics/surface_service.h"
#include "graphics/dibx.h"
#include "graphics/dx_dibx.h"
#include "graphics/graphics_errors.h"
#include "graphics/memory_dibx.h"
#include "graphics/png_decoder.h"
#include "support/temp_folder.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::TempFolder;

fs::path Data(const std::string& name) { return fs::path(VORN_SOURCE_DIR) / "tests/graphics/data" / name; }

// A headless display for TDxDIBX for the life of a test.
class DisplayScope {
 public:
  explicit DisplayScope(std::unique_ptr<platform::MemorySurfaceService> service) : service_(std::move(service)) {
    SetScreenSurfaceService(service_.get());
  }
  ~DisplayScope() { SetScreenSurfaceService(nullptr); }

 private:
  std::unique_ptr<platform::MemorySurfaceService> service_;
};

// Every way a colour can become a pixel, written out per format.
std::uint32_t Pixel888(int r, int g, int b) { return static_cast<std::uint32_t>((r << 16) | (g << 8) | b); }
std::uint32_t Pixel565(int r, int g, int b) { return static_cast<std::uint32_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)); }
std::uint32_t Pixel555(int r, int g, int b) { return static_cast<std::uint32_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)); }
// The nearest entry of the grey ramp an 8-bit TDIBX starts with (lowest index on ties).
std::uint32_t NearestGrey(int r, int g, int b) {
  int best = 0;
  long bestD = -1;
  for (int i = 0; i < 256; ++i) {
    const long d = static_cast<long>(r - i) * (r - i) + static_cast<long>(g - i) * (g - i) + static_cast<long>(b - i) * (b - i);
    if (bestD < 0 || d < bestD) {
      bestD = d;
      best = i;
    }
  }
  return static_cast<std::uint32_t>(best);
}

struct Target {
  const char* name;
  std::function<std::unique_ptr<TCustomDIBX>()> make;
  int bits;
  std::uint32_t (*pixel)(int, int, int);
};

std::vector<Target> Targets() {
  auto dibx = [](int bits) {
    return [bits] {
      auto s = std::make_unique<TDIBX>();
      s->SetSize(3, 3, bits);
      return std::unique_ptr<TCustomDIBX>(std::move(s));
    };
  };
  auto memory = [](int bits) { return [bits] { return std::unique_ptr<TCustomDIBX>(std::make_unique<TMemoryDIBX>(3, 3, bits)); }; };
  auto dx = [] {
    auto s = std::make_unique<TDxDIBX>();
    s->SetSize(3, 3, 16);
    return std::unique_ptr<TCustomDIBX>(std::move(s));
  };
  return {
      {"TDIBX 32", dibx(32), 32, Pixel888},  {"TDIBX 16", dibx(16), 16, Pixel565},
      {"TDIBX 15", dibx(15), 15, Pixel555},  {"TDIBX 8", dibx(8), 8, NearestGrey},
      {"memory 24", memory(24), 24, Pixel888}, {"TDxDIBX 5-6-5", dx, 16, Pixel565},
  };
}

// Expected colours as red, green, blue bytes per pixel from the reference file.
struct Reference {
  const char* picture;
  const char* pixels;
  int width, height, channels;
};

const Reference kPictures[] = {
    {"bmp/bmp3-24bit.bmp", "bmp/bmp3-24bit.rgb", 23, 15, 3},
    {"bmp/bmp3-8bit.bmp", "bmp/bmp3-8bit.rgb", 23, 15, 3},
    {"bmp/top-down-24bit.bmp", "bmp/top-down-24bit.rgb", 23, 15, 3},
    {"pel/interlaced.png", "pel/interlaced.rgba", 7, 5, 4},       // RGB
    {"pel/rgba.png", "pel/rgba.rgba", 7, 5, 4},                   // RGBA: alpha ignored
    {"pel/palette-trns.png", "pel/palette-trns.rgba", 7, 5, 4},   // palette
    {"pel/grey2.png", "pel/grey2.rgba", 7, 5, 4},                 // grey
};

TEST(SurfaceFiles, StreamsLoadIntoEverySurfaceAtItsOwnDepth) {
  DisplayScope display(platform::MemorySurfaceService::Rgb565());
  for (const Reference& ref : kPictures) {
    const Bytes file = ReadWholeFile(Data(ref.picture));
    const Bytes want = ReadWholeFile(Data(ref.pixels));
    ASSERT_EQ(want.size(), static_cast<std::size_t>(ref.width * ref.height * ref.channels));
    for (const Target& t : Targets()) {
      SCOPED_TRACE(std::string(ref.picture) + " into " + t.name);
      auto surface = t.make();
      TMemoryStream stream(file);
      stream.Seek(5, SeekOrigin::kBegin);  // loading starts from the beginning whatever the position
      surface->LoadFromStream(&stream, 0);
      ASSERT_EQ(surface->GetWidth(), ref.width);
      ASSERT_EQ(surface->GetHeight(), ref.height);
      ASSERT_EQ(surface->GetBitCount(), t.bits);
      for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
          const std::uint8_t* c = &want[static_cast<std::size_t>((y * ref.width + x) * ref.channels)];
          ASSERT_EQ(surface->GetPixel(x, y), t.pixel(c[0], c[1], c[2])) << x << "," << y;
        }
    }
  }
}

TEST(SurfaceFiles, LayeredImagesLoadTheirFirstFrameWithTheCode) {
  fixture::PelFixtureImage image;
  image.scrambleCode = 0x1234567;
  for (int f = 0; f < 2; ++f) {
    fixture::PelFixtureFrame frame;
    frame.width = 3;
    frame.height = 2;
    frame.depth = 24;
    fixture::PelFixtureLayer layer;
    const std::size_t stride = fixture::PelFixtureRowBytes(3, 24);
    layer.pixelRows.assign(stride * 2, 0);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) {
        std::uint8_t* p = &layer.pixelRows[y * stride + x * 3];
        p[0] = static_cast<std::uint8_t>(10 * x + f);  // blue
        p[1] = static_cast<std::uint8_t>(100 + y);     // green
        p[2] = static_cast<std::uint8_t>(200 + f);     // red
      }
    frame.layers.push_back(layer);
    image.frames.push_back(frame);
  }
  const Bytes bytes = fixture::WritePelFixture(image);
  TDIBX surface;
  surface.SetSize(1, 1, 32);
  TMemoryStream stream(bytes);
  surface.LoadFromStream(&stream, static_cast<std::int32_t>(image.scrambleCode));
  ASSERT_EQ(surface.GetWidth(), 3);
  ASSERT_EQ(surface.GetHeight(), 2);
  EXPECT_EQ(surface.GetPixel(0, 0), Pixel888(200, 100, 0));
  EXPECT_EQ(surface.GetPixel(2, 1), Pixel888(200, 101, 20));
  // The wrong code unscrambles the rows wrongly (or fails), but never loads frame 1.
  TDIBX other;
  TMemoryStream again(bytes);
  try {
    other.LoadFromStream(&again, 0);
  } catch (const Exception&) {
  }
  EXPECT_NE(other.GetPixel(0, 0), Pixel888(201, 100, 1));
}

TEST(SurfaceFiles, OnlyExactMagicLoads) {
  const Bytes bmp = ReadWholeFile(Data("bmp/bmp3-24bit.bmp"));
  struct Case {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"bm", [&] { Bytes b = bmp; b[0] = 'b'; b[1] = 'm'; return b; }()},
      {"png lower case", Bytes{0x89, 'p', 'n', 'g', 0, 0, 0, 0}},
      {"pelk lower case", Bytes{'p', 'e', 'l', 'k', '1', '0', '6'}},
      {"short", Bytes{'B'}},
      {"empty", Bytes{}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDIBX surface;
    surface.SetSize(4, 2, 16);
    surface.Fill(0x1234);
    TMemoryStream stream(c.bytes);
    surface.LoadFromStream(&stream, 0);
    EXPECT_EQ(surface.GetWidth(), 4);
    EXPECT_EQ(surface.GetBitCount(), 16);
    EXPECT_EQ(surface.GetPixel(3, 1), 0x1234u);
  }
  TDIBX surface;
  surface.SetSize(4, 2, 16);
  surface.LoadFromStream(nullptr, 0);
  EXPECT_EQ(surface.GetWidth(), 4);
}

TEST(SurfaceFiles, BadPicturesRaiseTheReadersErrors) {
  const Bytes bmp = ReadWholeFile(Data("bmp/bmp3-24bit.bmp"));
  const Bytes png = ReadWholeFile(Data("pel/interlaced.png"));
  auto loadInto = [](TCustomDIBX& s, Bytes bytes) {
    TMemoryStream stream(std::move(bytes));
    s.LoadFromStream(&stream, 0);
  };
  {
    TDIBX s;
    s.SetSize(2, 2, 32);
    Bytes truncated(bmp.begin(), bmp.begin() + 20);
    try {
      loadInto(s, truncated);
      FAIL();
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(std::string(e.what()), std::string(texts::kInvalidDIB));
    } catch (const EReadError&) {
    }
    EXPECT_EQ(s.GetWidth(), 2);
    Bytes badHeader = bmp;
    badHeader[14] = 41;  // header size
    EXPECT_THROW(loadInto(s, badHeader), Exception);
    Bytes compressed = bmp;
    compressed[30] = 9;  // compression
    EXPECT_THROW(loadInto(s, compressed), Exception);
    Bytes shortRows(bmp.begin(), bmp.end() - 40);
    EXPECT_THROW(loadInto(s, shortRows), Exception);
  }
  {
    TDIBX s;
    Bytes corrupt = png;
    corrupt[40] ^= 0x55;
    EXPECT_THROW(loadInto(s, corrupt), EPngError);
    EXPECT_THROW(loadInto(s, Bytes(png.begin(), png.begin() + 60)), EPngError);
    // A header that claims a picture of 2^31 x 2^31 pixels raises before it allocates.
    Bytes huge = png;
    huge[16] = 0x7F;
    huge[20] = 0x7F;
    EXPECT_THROW(loadInto(s, huge), EPngError);
  }
  {
    TDIBX s;
    Bytes pel = {'P', 'e', 'l', 'k', '1', '0', '6', 0, 0};
    EXPECT_THROW(loadInto(s, pel), Exception);
  }
}

TEST(SurfaceFiles, LoadFromFileOnlyTakesBmpNames) {
  TempFolder dir;
  const Bytes bmp = ReadWholeFile(Data("bmp/bmp3-24bit.bmp"));
  for (const char* name : {"picture.bmp", "picture.png"}) {
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()),
                                                      static_cast<std::streamsize>(bmp.size()));
  }
  struct Case {
    std::string name;
    int width;
  } cases[] = {
      {dir / "picture.bmp", 23},
      {dir / "PICTURE.BMP", 23},           // names ignore case
      {dir / "" + "\\PICTURE.BMP", 23},    // and "\" separates
      {dir / "picture.png", 4},            // a BMP's bytes, but the name says otherwise
      {dir / "missing.bmp", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDIBX s;
    s.SetSize(4, 4, 16);
    s.LoadFromFile(c.name);
    EXPECT_EQ(s.GetWidth(), c.width);
    EXPECT_EQ(s.GetBitCount(), 16);  // the picture takes the surface's depth
  }
}

std::uint32_t Get16(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t Get32(const Bytes& b, std::size_t at) { return Get16(b, at) | (Get16(b, at + 2) << 16); }

// The picture as ImageMagick decodes it: red, green, blue per pixel, rows from the top.
bool DecodeWithImageMagick(const std::string& bmp, const std::string& out, Bytes& rgb) {
  const std::string command = "convert '" + bmp + "' -depth 8 'rgb:" + out + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return false;
  rgb = ReadWholeFile(out);
  return true;
}

TEST(SurfaceFiles, SavesA24BitBmpThatImageMagickReads) {
  TempFolder dir;
  TDIBX s;
  s.SetSize(3, 2, 15);
  // 5-bit fields widen as UnpackPixel does: 31 to 255, 16 to 144, 1 to 9.
  s.SetPixel(0, 0, (31u << 10) | (16u << 5) | 1u);
  s.SetPixel(1, 0, 0x7FFF);
  s.SetPixel(2, 1, 16u << 10);
  s.SaveToFile(dir / "out.jpg");
  EXPECT_FALSE(fs::exists(dir / "out.jpg"));
  s.SaveToFile(dir / "out.BMP");
  const Bytes b = ReadWholeFile(dir / "out.BMP");
  const std::uint32_t rowBytes = 12;  // 3 x 3 bytes padded to 4
  ASSERT_EQ(b.size(), 54u + rowBytes * 2);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(Get32(b, 2), 54u + rowBytes * 2);  // file size
  EXPECT_EQ(Get32(b, 6), 0u);                  // reserved
  EXPECT_EQ(Get32(b, 10), 54u);                // offset of the rows
  EXPECT_EQ(Get32(b, 14), 40u);                // header size
  EXPECT_EQ(Get32(b, 18), 3u);                 // width
  EXPECT_EQ(Get32(b, 22), 2u);                 // positive height: bottom-up
  EXPECT_EQ(Get16(b, 26), 1u);                 // planes
  EXPECT_EQ(Get16(b, 28), 24u);                // bits
  EXPECT_EQ(Get32(b, 30), 0u);                 // compression
  EXPECT_EQ(Get32(b, 34), rowBytes * 2);       // image size
  for (std::size_t at = 38; at < 54; at += 4) EXPECT_EQ(Get32(b, at), 0u) << at;
  // Bottom row first: pixel (2, 1) is the third of the first stored row, blue green red.
  EXPECT_EQ(b[54 + 6], 0);
  EXPECT_EQ(b[54 + 8], 144);
  EXPECT_EQ(b[54 + 12], 9);
  EXPECT_EQ(b[54 + 13], 144);
  EXPECT_EQ(b[54 + 14], 255);
  Bytes rgb;
  if (!DecodeWithImageMagick(dir / "out.BMP", dir / "out.rgb", rgb)) GTEST_SKIP() << "no ImageMagick";
  EXPECT_EQ(rgb, (Bytes{255, 144, 9, 255, 255, 255, 0, 0, 0,  //
                        0, 0, 0, 0, 0, 0, 144, 0, 0}));
}

TEST(SurfaceFiles, SavesPalettisedAndDisplaySurfaces) {
  TempFolder dir;
  DisplayScope display(platform::MemorySurfaceService::Rgb555());
  TDxDIBX s;
  s.SetSize(2, 1, 8);
  std::uint8_t entry[4] = {30, 20, 10, 0};  // blue, green, red
  s.SetPaletteEntries(entry, 7, 1);
  s.SetPixel(1, 0, 7);
  s.SaveToFile(dir / "p.bmp");
  TDIBX back;
  back.SetSize(1, 1, 32);
  back.LoadFromFile(dir / "p.bmp");
  EXPECT_EQ(back.GetPixel(0, 0), 0u);
  EXPECT_EQ(back.GetPixel(1, 0), Pixel888(10, 20, 30));

  TDxDIBX wide;
  wide.SetSize(2, 1, 16);  // 5-5-5 by the masks
  wide.SetPixel(0, 0, 31u << 10);
  wide.SaveToFile(dir / "w.bmp");
  back.LoadFromFile(dir / "w.bmp");
  EXPECT_EQ(back.GetPixel(0, 0), Pixel888(255, 0, 0));
  // The loaded picture keeps the display surface's depth and packs by its masks.
  wide.LoadFromFile(dir / "p.bmp");
  EXPECT_EQ(wide.GetBitCount(), 16);
  EXPECT_EQ(wide.GetPixel(1, 0), Pixel555(10, 20, 30));
}

}  // namespace
}  // namespace vorn
