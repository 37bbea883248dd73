#include "graphics/pelk_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fixture/pel_fixture.h"
#include "foundation/system_texts.h"
#include "graphics/jpeg_codec.h"
#include "graphics/pel_test_data.h"

namespace vorn {
namespace {

using fixture::PelFixtureFrame;
using fixture::PelFixtureImage;
using fixture::PelFixtureLayer;
using fixture::PelFixtureRowBytes;

// Rows of a plane with a recognisable byte pattern that leaves the padding zero.
std::vector<std::uint8_t> PatternRows(int width, int height, int depth, int seed) {
  const std::size_t stride = PelFixtureRowBytes(width, depth);
  const std::size_t used = (static_cast<std::size_t>(depth == 15 ? 16 : depth) * width + 7) / 8;
  std::vector<std::uint8_t> rows(stride * height, 0);
  for (int y = 0; y < height; ++y) {
    for (std::size_t i = 0; i < used; ++i) {
      rows[stride * y + i] = static_cast<std::uint8_t>((y * 31 + i * 7 + seed * 13) ^ (i >> 3));
    }
    // Bits beyond the last pixel of a 1- or 4-bit row stay zero like a writer leaves them.
    const int bits = depth == 15 ? 16 : depth;
    const int spare = static_cast<int>(used * 8 - static_cast<std::size_t>(bits) * width);
    if (spare > 0) rows[stride * y + used - 1] &= static_cast<std::uint8_t>(0xFF << spare);
  }
  return rows;
}

std::vector<std::uint8_t> GreyPalette(int depth) {
  std::vector<std::uint8_t> palette;
  for (int i = 0; i < (1 << depth); ++i) {
    const auto v = static_cast<std::uint8_t>(i * 255 / ((1 << depth) - 1));
    palette.insert(palette.end(), {v, v, v, 0});
  }
  return palette;
}

PelFixtureFrame MakeFrame(int width, int height, int depth, int seed, bool alpha) {
  PelFixtureFrame frame;
  frame.width = width;
  frame.height = height;
  frame.depth = depth;
  if (depth <= 8) frame.palette = GreyPalette(depth);
  PelFixtureLayer layer;
  layer.pixelRows = PatternRows(width, height, depth, seed);
  if (alpha) layer.alphaRows = PatternRows(width, height, 8, seed + 5);
  layer.alphaFlag = alpha ? 1 : 0;
  frame.layers.push_back(layer);
  return frame;
}

struct Loaded {
  PelkHeader header;
  std::vector<PelkFrameData> frames;
  std::int64_t endPosition = 0;
};

Loaded Load(const std::vector<std::uint8_t>& bytes, std::uint32_t code = 0,
            bool firstOnly = false) {
  TMemoryStream stream(bytes);
  Loaded loaded;
  loaded.header = ReadPelkHeader(stream);
  PelkReadOptions options;
  options.identificationCode = code;
  options.firstOnly = firstOnly;
  ReadPelkFrames(stream, loaded.header, options, loaded.frames);
  loaded.endPosition = stream.Position();
  return loaded;
}

// Every version, compression, scrambling and tiling gives back the very rows it stored.
struct LayoutCase {
  int version;
  int compression;
  std::uint32_t code;
  int tileWidth;
  int tileHeight;
  bool share;
};

class PelkLayouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PelkLayouts, EveryDepthDecodesToTheStoredRows) {
  const LayoutCase& c = GetParam();
  for (int depth : {1, 4, 8, 15, 16, 24, 32}) {
    SCOPED_TRACE("depth " + std::to_string(depth));
    PelFixtureImage image;
    image.version = c.version;
    image.writeMagic = c.version != 0;
    image.compression = static_cast<std::uint8_t>(c.compression);
    image.scrambleCode = c.code;
    image.tileWidth = c.tileWidth;
    image.tileHeight = c.tileHeight;
    image.shareTiles = c.share;
    image.frames.push_back(MakeFrame(13, 7, depth, 1, c.version > 99));
    image.frames.push_back(MakeFrame(13, 7, depth, 2, false));
    if (c.share) {
      // A repeated picture, so that tiles are shared.
      auto& rows = image.frames[1].layers[0].pixelRows;
      const std::size_t stride = PelFixtureRowBytes(13, depth);
      for (int y = 1; y < 7; ++y) std::memcpy(&rows[stride * y], &rows[0], stride);
    }
    const Loaded loaded = Load(fixture::WritePelFixture(image), c.code);
    ASSERT_EQ(loaded.frames.size(), 2u);
    for (int f = 0; f < 2; ++f) {
      const PelkFrameData& frame = loaded.frames[f];
      ASSERT_EQ(frame.layers.size(), 1u);
      EXPECT_EQ(frame.depth, depth);
      EXPECT_EQ(frame.layers[0].pixels.bytes, image.frames[f].layers[0].pixelRows) << f;
      if (!image.frames[f].layers[0].alphaRows.empty()) {
        EXPECT_EQ(frame.layers[0].alpha.bytes, image.frames[f].layers[0].alphaRows);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Versions, PelkLayouts,
    ::testing::Values(LayoutCase{0, 0, 0, 0, 0, false}, LayoutCase{99, 0, 0, 0, 0, false},
                      LayoutCase{100, 0, 0, 0, 0, false}, LayoutCase{101, 0, 0, 0, 0, false},
                      // Before 103 there is no scramble field: the code changes nothing.
                      LayoutCase{102, 0, 77, 0, 0, false}, LayoutCase{103, 0, 0, 0, 0, false},
                      LayoutCase{103, 1, 0, 0, 0, false}, LayoutCase{104, 0, 0, 0, 0, false},
                      LayoutCase{105, 1, 0, 0, 0, false}, LayoutCase{106, 0, 0, 0, 0, false},
                      LayoutCase{106, 1, 0x12345678, 0, 0, false},
                      LayoutCase{106, 0, 0xFFFFFFFF, 0, 0, false},
                      LayoutCase{106, 1, 0, 5, 3, false}, LayoutCase{106, 0, 0, 4, 4, true},
                      LayoutCase{106, 1, 0x9E3779B9, 5, 3, true},
                      LayoutCase{106, 0, 3, 13, 7, false}, LayoutCase{106, 1, 0, 20, 20, false},
                      LayoutCase{107, 1, 0, 3, 2, true}));

TEST(PelkShuffle, DrawsRowsFromTheBag) {
  EXPECT_EQ(PelkShuffleOrder(1, 4), (std::vector<std::int32_t>{1, 0, 3, 2}));
  EXPECT_EQ(PelkShuffleOrder(0, 4), (std::vector<std::int32_t>{0, 1, 2, 3}));
  for (std::uint32_t code : {1u, 7u, 0x12345678u, 0xFFFFFFFFu}) {
    const auto ours = PelkShuffleOrder(code, 300);
    const auto reference = fixture::PelFixtureShuffle(code, 300);
    EXPECT_EQ(std::vector<int>(ours.begin(), ours.end()), reference) << code;
  }
}

TEST(PelkScramble, StoredRowsHoldShuffledImageRowsAndCodeZeroGivesTheStoredOrder) {
  PelFixtureImage image;
  image.compression = 1;
  image.scrambleCode = 1;
  PelFixtureFrame frame;
  frame.width = 1;
  frame.height = 4;
  frame.depth = 8;
  frame.palette = GreyPalette(8);
  PelFixtureLayer layer;
  layer.pixelRows = {10, 0, 0, 0, 11, 0, 0, 0, 12, 0, 0, 0, 13, 0, 0, 0};
  frame.layers.push_back(layer);
  image.frames.push_back(frame);
  const auto bytes = fixture::WritePelFixture(image);
  EXPECT_EQ(Load(bytes, 1).frames[0].layers[0].pixels.bytes, layer.pixelRows);
  const auto stored = Load(bytes, 0).frames[0].layers[0].pixels.bytes;
  EXPECT_EQ(stored, (std::vector<std::uint8_t>{11, 0, 0, 0, 10, 0, 0, 0, 13, 0, 0, 0, 12, 0, 0, 0}));
}

// A version 106 file spelled out by hand: one 2 x 2 24-bit frame, raw planes, alpha plane.
std::vector<std::uint8_t> HandMadeV106() {
  std::vector<std::uint8_t> b = {
      'P', 'e', 'l', 'k', '1', '0', '6',
      40, 0, 0, 0,                            // header size
      106, 0, 0, 0,                           // +0 version
      2, 0, 0, 0, 2, 0, 0, 0, 24, 0, 0, 0,    // +4 width, height, depth
      1, 0, 0, 0,                             // +16 frame count
      1, 0, 1, 0,                             // +20 byte, scrambled, compression raw, pad
      0x11, 0x22, 0x33, 0,                    // +24 background
      0, 0, 0, 0, 0, 0, 0, 0,                 // +28 tiles
      1, 70, 0, 0,                            // +36 first-layer-opaque, quality, pad
      6, 0, 0, 0, 'F', 'r', 'a', 'm', 'e', '1',
      0xFF, 0xFF, 0xFF, 0xFF,                 // transparent pixel -1
      50, 0, 0, 0,                            // delay
      2, 0, 0, 0, 0,                          // skipped
      1, 0, 0, 0,                             // layer count
      2, 0, 0, 0, 2, 0, 0, 0, 24, 0, 0, 0,    // size
      0, 0, 0, 0, 0, 0, 0, 0,                 // layer: skipped
      1,                                      // visible
      0xFF, 0xFF, 0xFF, 0xFF,                 // transparent colour
      200, 0, 0, 0,                           // opacity
      1,                                      // alpha flag
      5, 0, 0, 0, 'L', 'a', 'y', 'e', 'r',
      16, 0, 0, 0,                            // pixel plane: 2 rows of 8 bytes
      1, 2, 3, 4, 5, 6, 0, 0,
      7, 8, 9, 10, 11, 12, 0, 0,
      8, 0, 0, 0,                             // alpha plane: 2 rows of 4 bytes
      0xFF, 0x80, 0, 0, 0x40, 0x00, 0, 0,
      1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0,  // rectangle list 1
      0, 0, 0, 0,                             // rectangle list 2
  };
  return b;
}

TEST(PelkReader, ReadsAHandMadeFileFieldByField) {
  const auto bytes = HandMadeV106();
  const Loaded loaded = Load(bytes);
  EXPECT_EQ(loaded.header.version, 106);
  EXPECT_EQ(loaded.header.compression, kPelkRaw);
  EXPECT_EQ(loaded.header.background, 0x332211u);
  EXPECT_EQ(loaded.header.firstLayerOpaque, 1);
  EXPECT_EQ(loaded.header.jpegQuality, 70);
  ASSERT_EQ(loaded.frames.size(), 1u);
  const PelkFrameData& frame = loaded.frames[0];
  EXPECT_EQ(frame.name, "Frame1");
  EXPECT_EQ(frame.delay, 50);
  EXPECT_EQ(frame.transparentPixel, -1);
  ASSERT_EQ(frame.layers.size(), 1u);
  const PelkLayerData& layer = frame.layers[0];
  EXPECT_TRUE(layer.visible);
  EXPECT_EQ(layer.opacity, 200);
  EXPECT_TRUE(layer.alphaFlag);
  EXPECT_EQ(layer.pixels.bytes,
            (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}));
  EXPECT_EQ(layer.alpha.bytes, (std::vector<std::uint8_t>{0xFF, 0x80, 0, 0, 0x40, 0, 0, 0}));
  ASSERT_EQ(frame.rects1.size(), 1u);
  EXPECT_EQ(frame.rects1[0], (PelkRectRecord{1, 2, 3, 4}));
  EXPECT_TRUE(frame.rects2.empty());
  EXPECT_EQ(loaded.endPosition, static_cast<std::int64_t>(bytes.size()));
}

TEST(PelkReader, VersionZeroStartsWithTheFrameCount) {
  // No magic: frame count 1, a skipped byte, then a 1 x 1 8-bit frame with zlib plane and no
  // alpha field (version 0 is below every gate).
  std::vector<std::uint8_t> b = {1, 0, 0, 0, 0,
                                 0, 0, 0, 0,               // empty name
                                 3, 0, 0, 0,               // transparent pixel 3
                                 100, 0, 0, 0, 0, 0, 0, 0, 0,
                                 1, 0, 0, 0,               // one layer
                                 1, 0, 0, 0, 1, 0, 0, 0, 8, 0, 0, 0};
  b.insert(b.end(), 1024, 0x7F);                          // palette
  b.insert(b.end(), {0, 0, 0, 0, 0, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 255, 0, 0, 0,
                     0, 0, 0, 0});                         // layer fields, empty name
  const std::vector<std::uint8_t> row = {9, 0, 0, 0};
  const auto z = DeflatePelkPlane(row, 6);
  b.push_back(static_cast<std::uint8_t>(z.size()));
  b.insert(b.end(), {0, 0, 0});
  b.insert(b.end(), z.begin(), z.end());
  const Loaded loaded = Load(b);
  EXPECT_EQ(loaded.header.fileVersion, 0);
  ASSERT_EQ(loaded.frames.size(), 1u);
  EXPECT_EQ(loaded.frames[0].transparentPixel, 3);
  EXPECT_EQ(loaded.frames[0].layers[0].pixels.bytes, row);
  EXPECT_FALSE(loaded.frames[0].layers[0].HasAlpha());
  EXPECT_EQ(loaded.endPosition, static_cast<std::int64_t>(b.size()));
}

TEST(PelkReader, OldVersionsHaveNoCompressionTileOrScrambleFields) {
  // Versions before 103: frame count, one byte, background above 101, and nothing else; the
  // planes are zlib, untiled, in row order.
  for (int version : {101, 102}) {
    PelFixtureImage image;
    image.version = version;
    image.background = 0x00ABCDEF;
    image.frames.push_back(MakeFrame(3, 2, 24, 3, true));
    const auto bytes = fixture::WritePelFixture(image);
    const Loaded loaded = Load(bytes);
    EXPECT_EQ(loaded.header.compression, kPelkZlib);
    EXPECT_EQ(loaded.header.tileWidth, 0);
    EXPECT_EQ(loaded.header.scrambled, 0);
    EXPECT_EQ(loaded.header.background, version > 101 ? 0x00ABCDEFu : 0u);
    EXPECT_EQ(loaded.frames[0].layers[0].pixels.bytes, image.frames[0].layers[0].pixelRows);
  }
}

TEST(PelkReader, RecordVersionGovernsTheFields) {
  // Magic 106 but a record saying 103: no first-layer-opaque byte, no rectangle lists.
  PelFixtureImage image;
  image.recordVersion = 103;
  image.firstLayerOpaque = 1;
  image.frames.push_back(MakeFrame(2, 2, 8, 1, false));
  const Loaded loaded = Load(fixture::WritePelFixture(image));
  EXPECT_EQ(loaded.header.version, 103);
  EXPECT_EQ(loaded.header.firstLayerOpaque, 0);
  EXPECT_EQ(loaded.frames.size(), 1u);
}

TEST(PelkReader, HeaderSizesOtherThan40) {
  for (std::int32_t size : {20, 23, 24, 36, 44, 100}) {
    PelFixtureImage image;
    image.headerSize = size;
    // Below 23 bytes the compression field is missing and reads 0 (zlib).
    image.compression = size < 23 ? 0 : 1;
    image.frames.push_back(MakeFrame(3, 3, 24, 1, false));
    const Loaded loaded = Load(fixture::WritePelFixture(image));
    ASSERT_EQ(loaded.frames.size(), 1u) << size;
    EXPECT_EQ(loaded.frames[0].layers[0].pixels.bytes, image.frames[0].layers[0].pixelRows);
  }
}

TEST(PelkReader, FirstOnlyLeavesTheRestOfTheStream) {
  PelFixtureImage image;
  image.frames.push_back(MakeFrame(4, 3, 16, 1, true));
  image.frames.push_back(MakeFrame(4, 3, 16, 2, true));
  auto bytes = fixture::WritePelFixture(image);
  PelFixtureImage single = image;
  single.frames.resize(1);
  const std::size_t firstEnd = fixture::WritePelFixture(single).size();
  const Loaded loaded = Load(bytes, 0, true);
  EXPECT_EQ(loaded.frames.size(), 1u);
  EXPECT_EQ(loaded.endPosition, static_cast<std::int64_t>(firstEnd));
}

TEST(PelkReader, TilesCopyEarlierFramesAndLayers) {
  PelFixtureImage image;
  image.compression = 1;
  image.tileWidth = 2;
  image.tileHeight = 2;
  image.frames.push_back(MakeFrame(4, 4, 8, 1, true));
  image.frames[0].layers.push_back(image.frames[0].layers[0]);
  image.frames[0].layers[1].pixelRows = PatternRows(4, 4, 8, 9);
  image.frames[0].layers[1].tileEntries[3] = {0, 0};  // frame 0, layer 0 (same frame)
  image.frames.push_back(MakeFrame(4, 4, 8, 2, true));
  image.frames[1].layers[0].tileEntries[0] = {0, 1};  // frame 0, layer 1
  image.frames[1].layers[0].tileEntries[2] = {0, 0};
  const Loaded loaded = Load(fixture::WritePelFixture(image));
  const auto& l00 = loaded.frames[0].layers[0];
  const auto& l01 = loaded.frames[0].layers[1];
  const auto& l10 = loaded.frames[1].layers[0];
  const auto tile = [](const PelkPlane& p, int x0, int y0) {
    return std::vector<std::uint8_t>{p.Row(y0)[x0], p.Row(y0)[x0 + 1], p.Row(y0 + 1)[x0],
                                     p.Row(y0 + 1)[x0 + 1]};
  };
  EXPECT_EQ(tile(l01.pixels, 2, 2), tile(l00.pixels, 2, 2));
  EXPECT_EQ(tile(l01.alpha, 2, 2), tile(l00.alpha, 2, 2));
  EXPECT_EQ(tile(l01.pixels, 0, 0), tile(PelkPlane{4, 4, 8, 4, PatternRows(4, 4, 8, 9)}, 0, 0));
  EXPECT_EQ(tile(l10.pixels, 0, 0), tile(l01.pixels, 0, 0));
  EXPECT_EQ(tile(l10.alpha, 0, 2), tile(l00.alpha, 0, 2));
  EXPECT_EQ(tile(l10.pixels, 2, 0),
            tile(PelkPlane{4, 4, 8, 4, image.frames[1].layers[0].pixelRows}, 2, 0));
}

TEST(PelkReader, JpegPlanesEqualDjpegAndAlphaPlanesAreZlib) {
  const auto jpeg = testing::PelReference("source.jpg");
  const auto ppm = testing::PelReference("source-djpeg.ppm");
  ASSERT_FALSE(jpeg.empty());
  // source-djpeg.ppm: "P6\n7 5\n255\n" then RGB.
  const std::vector<std::uint8_t> rgb(ppm.end() - 7 * 5 * 3, ppm.end());
  PelFixtureImage image;
  image.compression = 2;
  image.scrambleCode = 5;  // never applies to JPEG images
  image.tileWidth = 2;
  image.tileHeight = 2;
  PelFixtureFrame frame = MakeFrame(7, 5, 24, 1, true);
  frame.layers[0].pixelPlaneStored = jpeg;
  image.frames.push_back(frame);
  const Loaded loaded = Load(fixture::WritePelFixture(image), 5);
  const PelkLayerData& layer = loaded.frames[0].layers[0];
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      const std::uint8_t* p = layer.pixels.Row(y) + 3 * x;
      const std::uint8_t* q = &rgb[(y * 7 + x) * 3];
      EXPECT_EQ((std::vector<int>{p[2], p[1], p[0]}), (std::vector<int>{q[0], q[1], q[2]}))
          << x << "," << y;
    }
  }
  EXPECT_EQ(layer.alpha.bytes, frame.layers[0].alphaRows);
}

// Broken files: each raises, and the frames vector holds only frames read before the fault.
struct BrokenCase {
  const char* name;
  std::function<void(PelFixtureImage&)> edit;
};

PelFixtureImage GoodImage() {
  PelFixtureImage image;
  image.compression = 1;
  image.frames.push_back(MakeFrame(6, 4, 24, 1, true));
  image.frames.push_back(MakeFrame(6, 4, 24, 2, true));
  return image;
}

TEST(PelkReader, BrokenFilesRaise) {
  const std::vector<BrokenCase> cases = {
      {"header size below 20", [](PelFixtureImage& i) { i.headerSize = 19; }},
      {"frame count beyond the bytes", [](PelFixtureImage& i) { i.frameCountStored = 1000000; }},
      {"negative frame count", [](PelFixtureImage& i) { i.frameCountStored = -1; }},
      {"layer count beyond the bytes",
       [](PelFixtureImage& i) { i.frames[1].layerCountStored = 0x7FFFFFFF; }},
      {"bad depth", [](PelFixtureImage& i) { i.frames[1].depth = 7; }},
      {"negative width",
       [](PelFixtureImage& i) {
         i.frames[1].width = -6;
         i.frames[1].layers[0].pixelPlaneStored = std::vector<std::uint8_t>{};
         i.frames[1].layers[0].alphaPlaneStored = std::vector<std::uint8_t>{};
       }},
      {"picture beyond 32 bits",
       [](PelFixtureImage& i) {
         i.frames[1].width = 50000;
         i.frames[1].height = 50000;
         i.frames[1].layers[0].pixelPlaneStored = std::vector<std::uint8_t>{};
         i.frames[1].layers[0].alphaPlaneStored = std::vector<std::uint8_t>{};
       }},
      {"raw plane short",
       [](PelFixtureImage& i) { i.frames[1].layers[0].pixelRows.resize(10); }},
      {"zlib plane short",
       [](PelFixtureImage& i) {
         i.compression = 0;
         i.frames[1].layers[0].alphaRows.resize(20);
       }},
      {"zlib plane broken",
       [](PelFixtureImage& i) {
         i.compression = 0;
         i.frames[1].layers[0].pixelPlaneStored = std::vector<std::uint8_t>{0x78, 0x01, 0xFF};
       }},
      {"tile copies a later tile",
       [](PelFixtureImage& i) {
         i.tileWidth = i.tileHeight = 2;
         i.frames[1].layers[0].tileEntries[1] = {-2, 1};
       }},
      {"tile names a later frame",
       [](PelFixtureImage& i) {
         i.tileWidth = i.tileHeight = 2;
         i.frames[1].layers[0].tileEntries[0] = {2, 0};
       }},
      {"tile names a missing layer",
       [](PelFixtureImage& i) {
         i.tileWidth = i.tileHeight = 2;
         i.frames[1].layers[0].tileEntries[0] = {0, 1};
       }},
      {"tile names a layer of another depth",
       [](PelFixtureImage& i) {
         i.tileWidth = i.tileHeight = 2;
         i.frames[0] = MakeFrame(6, 4, 32, 1, true);
         i.frames[1].layers[0].tileEntries[0] = {0, 0};
       }},
      {"tile names a smaller layer",
       [](PelFixtureImage& i) {
         i.tileWidth = i.tileHeight = 2;
         i.frames[0] = MakeFrame(3, 4, 24, 1, true);
         i.frames[1].layers[0].tileEntries[2] = {0, 0};
       }},
      {"tile names a layer without alpha plane",
       [](PelFixtureImage& i) {
         i.tileWidth = i.tileHeight = 2;
         i.frames[0] = MakeFrame(6, 4, 24, 1, false);
         i.frames[1].layers[0].tileEntries[0] = {0, 0};
       }},
      {"tiles far wider than the picture, raw",
       [](PelFixtureImage& i) {
         i.tileWidth = i.tileHeight = 0x7FFFFFFF;
         const std::vector<std::uint8_t> table = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 1, 2, 3};
         for (auto& f : i.frames) {
           f.layers[0].pixelPlaneStored = table;
           f.layers[0].alphaPlaneStored = std::vector<std::uint8_t>{};
         }
       }},
      {"tiles far wider than the picture, zlib",
       [](PelFixtureImage& i) {
         i.compression = 0;
         i.tileWidth = i.tileHeight = 0x7FFFFFFF;
         for (auto& f : i.frames) {
           f.layers[0].pixelPlaneStored =
               DeflatePelkPlane(std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}, 1);
           f.layers[0].alphaPlaneStored = std::vector<std::uint8_t>{};
         }
       }},
      {"tile entry below -2",
       [](PelFixtureImage& i) {
         i.tileWidth = i.tileHeight = 2;
         i.frames[1].layers[0].tileEntries[0] = {-3, 0};
       }},
      {"jpeg of another size",
       [](PelFixtureImage& i) {
         i.compression = 2;
         i.frames[1].layers[0].pixelPlaneStored = testing::PelReference("source.jpg");
       }},
      {"jpeg broken",
       [](PelFixtureImage& i) {
         i.compression = 2;
         i.frames[1].layers[0].pixelPlaneStored = std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF};
       }},
  };
  for (const BrokenCase& c : cases) {
    SCOPED_TRACE(c.name);
    PelFixtureImage image = GoodImage();
    c.edit(image);
    const auto bytes = fixture::WritePelFixture(image);
    TMemoryStream stream(bytes);
    std::vector<PelkFrameData> frames;
    EXPECT_THROW(
        {
          const PelkHeader header = ReadPelkHeader(stream);
          ReadPelkFrames(stream, header, PelkReadOptions{}, frames);
        },
        Exception);
    EXPECT_LE(frames.size(), 1u);
  }
}

TEST(PelkReader, TruncatedAnywhereRaises) {
  const auto bytes = fixture::WritePelFixture(GoodImage());
  for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
    std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + cut);
    EXPECT_THROW(Load(part), Exception) << cut;
  }
}

TEST(PelkReader, BadMagicDigitsAndBadDepthMessage) {
  std::vector<std::uint8_t> bytes = {'P', 'e', 'l', 'k', '1', 'x', '6', 0, 0, 0, 0, 0};
  EXPECT_THROW(Load(bytes), EPelkError);
  PelFixtureImage image = GoodImage();
  image.frames[0].depth = 12;
  try {
    Load(fixture::WritePelFixture(image));
    FAIL();
  } catch (const EPelkError& e) {
    std::string expected(texts::kInvalidBitCountFormat);
    expected.replace(expected.find("%d"), 2, "12");
    EXPECT_EQ(std::string(e.what()), expected);
  }
}

TEST(PelkReader, EmptyFramesReadOn) {
  PelFixtureImage image;
  image.compression = 0;
  image.frames.push_back(MakeFrame(0, 5, 24, 1, false));
  image.frames.push_back(MakeFrame(3, 0, 8, 1, false));
  image.frames.push_back(MakeFrame(2, 2, 24, 1, false));
  const Loaded loaded = Load(fixture::WritePelFixture(image));
  ASSERT_EQ(loaded.frames.size(), 3u);
  EXPECT_EQ(loaded.frames[2].layers[0].pixels.bytes, image.frames[2].layers[0].pixelRows);
}

TEST(PelkInflate, LongerStreamsAreCutShorterOnesReportedAsTheyAre) {
  std::vector<std::uint8_t> raw(1000, 0x42);
  const auto z = DeflatePelkPlane(raw, 1);
  EXPECT_EQ(InflatePelkPlane(z, 100), std::vector<std::uint8_t>(100, 0x42));
  EXPECT_EQ(InflatePelkPlane(z, 5000).size(), 1000u);
}

TEST(PelkStreamIsRaw, OnlyVersion103AndLaterWithCompression1) {
  struct Case {
    int version;
    int compression;
    bool raw;
  };
  for (const Case c : {Case{106, 1, true}, Case{103, 1, true}, Case{106, 0, false},
                       Case{106, 2, false}, Case{102, 1, false}}) {
    PelFixtureImage image;
    image.version = c.version;
    image.compression = static_cast<std::uint8_t>(c.compression);
    image.frames.push_back(MakeFrame(1, 1, 24, 1, false));
    TMemoryStream stream(fixture::WritePelFixture(image));
    stream.SetPosition(0);
    EXPECT_EQ(PelkStreamIsRaw(stream), c.raw) << c.version << "/" << c.compression;
    EXPECT_EQ(stream.Position(), 0);
  }
  for (const std::vector<std::uint8_t>& foreign :
       {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{'P', 'e', 'l', 'k', '1'},
        std::vector<std::uint8_t>{'P', 'e', 'l', 'k', '1', '0', '6', 40, 0},
        std::vector<std::uint8_t>(64, 0xEE)}) {
    TMemoryStream stream(foreign);
    EXPECT_FALSE(PelkStreamIsRaw(stream));
    EXPECT_EQ(stream.Position(), 0);
  }
}

TEST(PelkWriter, ReadsBackWhatItWrote) {
  for (int compression : {0, 1}) {
    for (std::uint32_t code : {0u, 0xC0FFEEu}) {
      std::vector<PelkFrameData> frames(2);
      for (int f = 0; f < 2; ++f) {
        PelkFrameData& frame = frames[f];
        frame.width = 5;
        frame.height = 3;
        frame.depth = f == 0 ? 15 : 8;
        if (frame.depth == 8) frame.palette = GreyPalette(8);
        frame.layers.resize(1);
        frame.layers[0].pixels.Allocate(5, 3, frame.depth);
        frame.layers[0].pixels.bytes = PatternRows(5, 3, frame.depth, f);
        if (f == 0) {
          frame.layers[0].alpha.Allocate(5, 3, 8);
          frame.layers[0].alpha.bytes = PatternRows(5, 3, 8, 4);
        }
      }
      TMemoryStream stream;
      PelkWriteOptions options;
      options.compression = static_cast<std::uint8_t>(compression);
      options.identificationCode = code;
      WritePelkFrames(stream, frames, options);
      const Loaded loaded = Load(stream.Bytes(), code);
      EXPECT_EQ(loaded.header.compression, code ? 1 : compression);
      ASSERT_EQ(loaded.frames.size(), 2u);
      EXPECT_EQ(loaded.frames[0].name, "Frame1");
      EXPECT_EQ(loaded.frames[1].name, "Frame2");
      EXPECT_EQ(loaded.frames[0].depth, 15);
      EXPECT_EQ(loaded.frames[0].layers[0].pixels.bytes, frames[0].layers[0].pixels.bytes);
      EXPECT_EQ(loaded.frames[0].layers[0].alpha.bytes, frames[0].layers[0].alpha.bytes);
      EXPECT_EQ(loaded.frames[1].layers[0].pixels.bytes, frames[1].layers[0].pixels.bytes);
      EXPECT_FALSE(loaded.frames[1].layers[0].HasAlpha());
    }
  }
}

}  // namespace
}  // namespace vorn

#include "foundation/shuffle_bag.h"

namespace vorn {
namespace {

TEST(PelkShuffle, MatchesTheShuffleBag) {
  for (std::uint32_t code : {1u, 3u, 0xDEADBEEFu}) {
    TZkRandom bag(code);
    bag.Reset(500);
    const auto order = PelkShuffleOrder(code, 500);
    for (int i = 0; i < 500; ++i) ASSERT_EQ(order[i], bag.Next()) << code << " @" << i;
  }
}

}  // namespace
}  // namespace vorn
