#include "graphics/pelk_frame_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "fixture/pel_fixture.h"
#include "graphics/pel_test_data.h"
#include "graphics/png_decoder.h"

namespace vorn {
namespace {

using fixture::PelFixtureFrame;
using fixture::PelFixtureImage;
using fixture::PelFixtureLayer;
using fixture::PelFixtureRowBytes;

// RGBA of every composite pixel (alpha 255 without an alpha plane).
std::vector<std::uint8_t> CompositeRgba(TPelkFrame& frame) {
  TDIBSurface& c = frame.Composite();
  std::vector<std::uint8_t> out;
  for (int y = 0; y < c.Height(); ++y) {
    for (int x = 0; x < c.Width(); ++x) {
      std::uint8_t r, g, b;
      c.PixelToRGB8(c.GetPixel(x, y), false, r, g, b);
      const std::uint8_t a = frame.HasAlpha() ? c.Alpha()->GetPixel(x, y) : 255;
      out.insert(out.end(), {r, g, b, a});
    }
  }
  return out;
}

// Rows of a 24-bit layer where pixel (x, y) has colour (x * 40, y * 50, 7).
std::vector<std::uint8_t> Rows24(int w, int h) {
  const std::size_t stride = PelFixtureRowBytes(w, 24);
  std::vector<std::uint8_t> rows(stride * h, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      rows[stride * y + 3 * x] = 7;
      rows[stride * y + 3 * x + 1] = static_cast<std::uint8_t>(y * 50);
      rows[stride * y + 3 * x + 2] = static_cast<std::uint8_t>(x * 40);
    }
  }
  return rows;
}

std::vector<std::uint8_t> Plane8(int w, int h, std::uint8_t value) {
  return std::vector<std::uint8_t>(PelFixtureRowBytes(w, 8) * h, value);
}

TPelkFrameList Load(const std::vector<std::uint8_t>& bytes, bool convert = false, int target = 0,
                    bool firstOnly = false) {
  TPelkFrameList list;
  list.TargetBitCount = target;
  TMemoryStream stream(bytes);
  list.LoadFromStream(stream, firstOnly, convert);
  return list;
}

TEST(TPelkFrameList, OneLayerAlphaFrameKeepsPixelsAndAlpha) {
  PelFixtureImage image;
  image.background = 0x0000FF;
  PelFixtureFrame frame;
  frame.width = 3;
  frame.height = 2;
  frame.depth = 24;
  PelFixtureLayer layer;
  layer.pixelRows = Rows24(3, 2);
  layer.alphaRows = Plane8(3, 2, 0x80);
  layer.alphaFlag = 1;
  layer.transparentColor = 5;  // dropped: the layer has an alpha plane
  frame.layers.push_back(layer);
  image.frames.push_back(frame);
  TPelkFrameList list = Load(fixture::WritePelFixture(image));
  ASSERT_EQ(list.Count(), 1);
  TPelkFrame& f = list.GetFrame(0);
  EXPECT_TRUE(f.Layers.empty());
  ASSERT_TRUE(f.HasAlpha());
  EXPECT_EQ(f.Composite().GetPixel(2, 1), (80u << 16) | (50u << 8) | 7u);
  EXPECT_EQ(f.Composite().Alpha()->GetPixel(1, 1), 0x80u);
}

TEST(TPelkFrameList, BackgroundFillsAFrameWithoutLayers) {
  PelFixtureImage image;
  image.background = 0x00336699;  // 0x00BBGGRR
  PelFixtureFrame frame;
  frame.width = 2;
  frame.height = 2;
  frame.depth = 24;
  image.frames.push_back(frame);
  TPelkFrameList list = Load(fixture::WritePelFixture(image));
  EXPECT_EQ(list.BackgroundColor, 0x00336699u);
  EXPECT_EQ(list.GetFrame(0).Composite().GetPixel(1, 1), 0x996633u);
}

TEST(TPelkFrameList, LayersAreDrawnByTheirKind) {
  PelFixtureImage image;
  image.background = 0;
  PelFixtureFrame frame;
  frame.width = 2;
  frame.height = 1;
  frame.depth = 24;
  PelFixtureLayer base;  // opaque copy
  base.pixelRows = {10, 20, 30, 10, 20, 30, 0, 0};
  frame.layers.push_back(base);
  PelFixtureLayer hidden;  // invisible: never drawn
  hidden.visible = false;
  hidden.pixelRows = {255, 255, 255, 255, 255, 255, 0, 0};
  frame.layers.push_back(hidden);
  PelFixtureLayer keyed;  // key 0x000000 at opacity 255: the black pixel is skipped
  keyed.transparentColor = 0;
  keyed.pixelRows = {0, 0, 0, 100, 100, 100, 0, 0};
  frame.layers.push_back(keyed);
  image.frames.push_back(frame);
  TPelkFrameList list = Load(fixture::WritePelFixture(image));
  TDIBSurface& c = list.GetFrame(0).Composite();
  EXPECT_EQ(c.GetPixel(0, 0), 0x1E140Au);
  EXPECT_EQ(c.GetPixel(1, 0), 0x646464u);
  EXPECT_FALSE(list.GetFrame(0).HasAlpha());
}

TEST(TPelkFrameList, FirstLayerOpaqueFlagCopiesAKeyedFirstLayer) {
  for (int flag : {0, 1}) {
    PelFixtureImage image;
    image.background = 0x00FFFFFF;
    image.firstLayerOpaque = static_cast<std::uint8_t>(flag);
    PelFixtureFrame frame;
    frame.width = 1;
    frame.height = 1;
    frame.depth = 24;
    PelFixtureLayer layer;
    layer.transparentColor = 0;
    layer.pixelRows = {0, 0, 0, 0};
    frame.layers.push_back(layer);
    image.frames.push_back(frame);
    TPelkFrameList list = Load(fixture::WritePelFixture(image));
    EXPECT_EQ(list.GetFrame(0).Composite().GetPixel(0, 0), flag ? 0u : 0xFFFFFFu) << flag;
  }
}

TEST(TPelkFrameList, TransparentColourOfPixelValues) {
  struct Case {
    int depth;
    std::int32_t pixel;
    std::int32_t colour;
  };
  // 16-bit fields widen with their top bits repeated (0x1F -> 0xFF, 0x10 -> 0x84).
  for (const Case c : {Case{24, 0x123456, 0x563412}, Case{16, 0xF800, 0x0000FF},
                       Case{16, 0x8410, 0x848284}, Case{15, 0x7C1F, 0xFF00FF},
                       Case{8, 2, 0x010203}}) {
    PelFixtureImage image;
    PelFixtureFrame frame;
    frame.width = 1;
    frame.height = 1;
    frame.depth = c.depth;
    frame.transparentPixel = c.pixel;
    if (c.depth == 8) {
      frame.palette.assign(1024, 0);
      frame.palette[8] = 1;  // entry 2: blue 1, green 2, red 3
      frame.palette[9] = 2;
      frame.palette[10] = 3;
    }
    frame.layers.push_back(PelFixtureLayer{});
    frame.layers[0].pixelRows.assign(4, 0);
    image.frames.push_back(frame);
    TPelkFrameList list = Load(fixture::WritePelFixture(image));
    EXPECT_EQ(list.GetFrame(0).TransparentPixel, c.pixel);
    EXPECT_EQ(list.GetFrame(0).TransparentColor, c.colour) << c.depth;
  }
}

TEST(TPelkFrameList, ConvertMakesAlphaFromTheKeyAndWidensPaletteFrames) {
  PelFixtureImage image;
  PelFixtureFrame frame;
  frame.width = 3;
  frame.height = 1;
  frame.depth = 8;
  frame.palette.assign(1024, 0);
  frame.palette[4 * 1 + 2] = 200;  // entry 1: red 200
  frame.palette[4 * 2 + 1] = 100;  // entry 2: green 100
  frame.transparentPixel = 1;
  PelFixtureLayer layer;
  layer.pixelRows = {2, 1, 2, 0};
  frame.layers.push_back(layer);
  image.frames.push_back(frame);
  PelFixtureFrame plain = frame;
  plain.transparentPixel = -1;
  image.frames.push_back(plain);
  const auto bytes = fixture::WritePelFixture(image);

  TPelkFrameList list = Load(bytes, true);
  TPelkFrame& keyed = list.GetFrame(0);
  ASSERT_TRUE(keyed.HasAlpha());
  EXPECT_EQ(keyed.Composite().Alpha()->GetPixel(0, 0), 255u);
  EXPECT_EQ(keyed.Composite().Alpha()->GetPixel(1, 0), 0u);
  // Without a target bit count palette frames become 24-bit, and the key follows the pixel.
  EXPECT_EQ(keyed.Composite().GetBitCount(), 24);
  EXPECT_EQ(keyed.TransparentPixel, 0xC80000);
  // The plain frame is widened to 24 bits.
  TPelkFrame& wide = list.GetFrame(1);
  EXPECT_EQ(wide.Composite().GetBitCount(), 24);
  EXPECT_EQ(wide.Composite().GetPixel(0, 0), 100u << 8);

  TPelkFrameList to16 = Load(bytes, true, 16);
  EXPECT_EQ(to16.GetFrame(0).Composite().GetBitCount(), 16);
  EXPECT_EQ(to16.GetFrame(1).Composite().GetBitCount(), 16);
}

TEST(TPelkFrameList, WithoutConvertNothingChanges) {
  PelFixtureImage image;
  PelFixtureFrame frame;
  frame.width = 1;
  frame.height = 1;
  frame.depth = 8;
  frame.palette.assign(1024, 0);
  frame.transparentPixel = 0;
  frame.layers.push_back(PelFixtureLayer{});
  frame.layers[0].pixelRows.assign(4, 0);
  image.frames.push_back(frame);
  TPelkFrameList list = Load(fixture::WritePelFixture(image));
  EXPECT_FALSE(list.GetFrame(0).HasAlpha());
  EXPECT_EQ(list.GetFrame(0).Composite().GetBitCount(), 8);
}

TEST(TPelkFrameList, FailuresLeaveTheListEmpty) {
  PelFixtureImage image;
  PelFixtureFrame frame;
  frame.width = 2;
  frame.height = 2;
  frame.depth = 24;
  frame.layers.push_back(PelFixtureLayer{});
  frame.layers[0].pixelRows = Rows24(2, 2);
  image.frames.push_back(frame);
  image.frames.push_back(frame);
  auto bytes = fixture::WritePelFixture(image);
  bytes.resize(bytes.size() - 3);
  TPelkFrameList list;
  list.AddFrame();
  TMemoryStream stream(bytes);
  EXPECT_THROW(list.LoadFromStream(stream, false, true), Exception);
  EXPECT_EQ(list.Count(), 0);
  // The first frame alone is complete.
  TMemoryStream again(bytes);
  list.LoadFromStream(again, true, false);
  EXPECT_EQ(list.Count(), 1);
}

TEST(TPelkFrameList, SavesAndReadsBack) {
  TPelkFrameList list(0x5151);
  TPelkFrame& first = list.AddFrame();
  EXPECT_EQ(first.Delay, 100);
  EXPECT_EQ(first.TransparentPixel, -1);
  first.Composite().SetSize(3, 2, 15);
  first.Composite().FillRectPixel(first.Composite().GetBoundsRect(), 0x7C00);
  first.Composite().EnsureAlphaPlane();
  first.Composite().Alpha()->FillRectPixel(MakeRect(0, 0, 1, 1), 9);
  TPelkFrame& second = list.AddFrame();
  second.Composite().SetSize(2, 2, 24);
  second.Composite().FillRectPixel(MakeRect(1, 1, 2, 2), 0x123456);
  second.TransparentPixel = 0x123456;
  second.Delay = 33;
  for (int compression : {0, 1, 2}) {
    TMemoryStream stream;
    list.SaveToStream(stream, compression, 90);
    stream.SetPosition(0);
    TPelkFrameList back(0x5151);
    back.LoadFromStream(stream, false, false);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.GetFrame(0).Composite().GetBitCount(), 15);
    EXPECT_EQ(back.GetFrame(0).Name, "Frame1");
    EXPECT_EQ(back.GetFrame(1).Delay, 33);
    EXPECT_EQ(back.GetFrame(1).TransparentPixel, 0x123456);
    ASSERT_TRUE(back.GetFrame(0).HasAlpha());
    EXPECT_EQ(back.GetFrame(0).Composite().Alpha()->GetPixel(0, 0), 9u);
    EXPECT_EQ(back.GetFrame(0).Composite().Alpha()->GetPixel(1, 0), 0u);
    if (compression != 2) {
      EXPECT_EQ(back.GetFrame(0).Composite().GetPixel(2, 1), 0x7C00u);
      EXPECT_EQ(back.GetFrame(1).Composite().GetPixel(1, 1), 0x123456u);
    }
  }
}

TEST(TPelkFrameList, LoadsPngFilesLikeImageMagick) {
  for (const char* name : {"palette-trns", "palette-alpha", "grey16", "rgba", "grey-alpha",
                           "interlaced", "rgb-trns", "rgb48"}) {
    SCOPED_TRACE(name);
    const auto bytes = testing::PelReference(std::string(name) + ".png");
    const auto expected = testing::PelReference(std::string(name) + ".rgba");
    TPelkFrameList list;
    TMemoryStream stream(bytes);
    list.LoadPngFromStream(stream);
    ASSERT_EQ(list.Count(), 1);
    TPelkFrame& frame = list.GetFrame(0);
    const bool keyed = frame.TransparentPixel >= 0;
    frame.MakeAlphaFromKey();
    EXPECT_EQ(CompositeRgba(frame), expected);
    if (!keyed) {
      EXPECT_EQ(frame.TransparentColor, -1);
    }
  }
}

TEST(TPelkFrameList, Loads32BitBitmapsWithAlphaPlane) {
  // A 2 x 1 32-bit BMP spelled out: file header, info header, two BGRA pixels.
  std::vector<std::uint8_t> bmp = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
                                   40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 32, 0,
                                   0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                   0, 0, 0, 0, 0, 0, 0, 0,
                                   1, 2, 3, 0x40, 4, 5, 6, 0xFF};
  TPelkFrameList list;
  TMemoryStream stream(bmp);
  list.LoadBitmapFromStream(stream);
  ASSERT_EQ(list.Count(), 1);
  TPelkFrame& frame = list.GetFrame(0);
  EXPECT_EQ(frame.Composite().GetBitCount(), 24);
  EXPECT_EQ(frame.Composite().GetPixel(1, 0), 0x060504u);
  ASSERT_TRUE(frame.HasAlpha());
  EXPECT_EQ(frame.Composite().Alpha()->GetPixel(0, 0), 0x40u);
}

TEST(TPelkFrame, CropToContentCutsAndMovesTheRectangleLists) {
  TPelkFrameList list;
  TPelkFrame& frame = list.AddFrame();
  frame.Composite().SetSize(6, 5, 24);
  frame.Composite().EnsureAlphaPlane();
  frame.Composite().Alpha()->FillRectPixel(MakeRect(2, 1, 4, 4), 255);
  frame.Composite().FillRectPixel(MakeRect(2, 1, 3, 2), 0xABCDEF);
  frame.Rects1 = {MakeRect(0, 0, 3, 3)};
  frame.Rects2 = {MakeRect(3, 2, 6, 5)};
  const TRect content = frame.CropToContent();
  EXPECT_EQ(content, MakeRect(2, 1, 4, 4));
  EXPECT_EQ(frame.Composite().Width(), 2);
  EXPECT_EQ(frame.Composite().Height(), 3);
  EXPECT_EQ(frame.Composite().GetPixel(0, 0), 0xABCDEFu);
  EXPECT_EQ(frame.Composite().Alpha()->Width(), 2);
  EXPECT_EQ(frame.Rects1[0], MakeRect(0, 0, 1, 2));
  EXPECT_EQ(frame.Rects2[0], MakeRect(1, 1, 2, 3));
  // Whole content: nothing changes.
  TPelkFrame& full = list.AddFrame();
  full.Composite().SetSize(3, 3, 24);
  EXPECT_EQ(full.CropToContent(), MakeRect(0, 0, 3, 3));
  EXPECT_EQ(full.Composite().Width(), 3);
}

TEST(TPelkFrame, AssignAlphaToSurface) {
  TPelkFrameList list;
  TPelkFrame& frame = list.AddFrame();
  TDIBSurface target;
  frame.AssignAlphaToSurface(target);
  EXPECT_TRUE(target.GetEmpty());
  frame.Composite().SetSize(3, 2, 16);
  frame.Composite().EnsureAlphaPlane();
  frame.Composite().Alpha()->FillRectPixel(MakeRect(1, 1, 2, 2), 77);
  frame.AssignAlphaToSurface(target);
  EXPECT_EQ(target.BitCount(), 8);
  EXPECT_EQ(target.Width(), 3);
  EXPECT_EQ(target.GetPixel(1, 1), 77u);
  EXPECT_EQ(target.GetPixel(0, 1), 0u);
}

TEST(TPelkFrameList, UnknownExtensionLoadsNothing) {
  TPelkFrameList list;
  list.AddFrame();
  list.LoadFromFile("picture.gif", false, false);
  EXPECT_EQ(list.Count(), 0);
}

TEST(TPelkFrameList, FilesByExtension) {
  const std::string dir = std::string(VORN_BINARY_DIR) + "/pel_frame_list_files";
  std::filesystem::create_directories(dir);
  TPelkFrameList list;
  TPelkFrame& frame = list.AddFrame();
  frame.Composite().SetSize(2, 2, 24);
  frame.Composite().FillRectPixel(frame.Composite().GetBoundsRect(), 0x010203);
  list.SaveToFile(dir + "/saved.PEL");
  TPelkFrameList back;
  back.LoadFromFile(dir + "/saved.PEL", false, false);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.GetFrame(0).Composite().GetPixel(1, 1), 0x010203u);
  EXPECT_EQ(back.Version, 106);
  TPelkFrameList png;
  png.LoadFromFile(std::string(VORN_SOURCE_DIR) + "/tests/graphics/data/pel/rgba.png", false, true);
  ASSERT_EQ(png.Count(), 1);
  EXPECT_TRUE(png.GetFrame(0).HasAlpha());
}

}  // namespace
}  // namespace vorn
