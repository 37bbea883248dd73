// Writes the seed corpus of the layered-image fuzz target (tests/fuzz/corpus/pel_reader): small
// fixture images of each layout, each behind the target's five option bytes.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fixture/pel_fixture.h"

namespace {

using vorn::fixture::PelFixtureFrame;
using vorn::fixture::PelFixtureImage;
using vorn::fixture::PelFixtureLayer;

PelFixtureFrame Frame(int w, int h, int depth, bool alpha, int seed) {
  PelFixtureFrame frame;
  frame.width = w;
  frame.height = h;
  frame.depth = depth;
  frame.transparentPixel = seed % 2 ? 1 : -1;
  if (depth <= 8) {
    for (int i = 0; i < (1 << depth); ++i) {
      frame.palette.insert(frame.palette.end(), {static_cast<std::uint8_t>(i * 5),
                                                 static_cast<std::uint8_t>(i), 0x40, 0});
    }
  }
  PelFixtureLayer layer;
  const std::size_t stride = vorn::fixture::PelFixtureRowBytes(w, depth);
  for (std::size_t i = 0; i < stride * h; ++i) layer.pixelRows.push_back(static_cast<std::uint8_t>(i * 7 + seed));
  if (alpha) {
    const std::size_t astride = vorn::fixture::PelFixtureRowBytes(w, 8);
    for (std::size_t i = 0; i < astride * h; ++i) layer.alphaRows.push_back(static_cast<std::uint8_t>(i * 31));
    layer.alphaFlag = 1;
  }
  frame.layers.push_back(layer);
  frame.rects1.push_back({0, 0, w, h});
  return frame;
}

void Save(const std::string& dir, const std::string& name, std::uint8_t flags, std::uint32_t code,
          const PelFixtureImage& image) {
  std::vector<std::uint8_t> bytes = {flags, static_cast<std::uint8_t>(code),
                                     static_cast<std::uint8_t>(code >> 8),
                                     static_cast<std::uint8_t>(code >> 16),
                                     static_cast<std::uint8_t>(code >> 24)};
  const auto file = vorn::fixture::WritePelFixture(image);
  bytes.insert(bytes.end(), file.begin(), file.end());
  std::ofstream(dir + "/" + name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pel_corpus OUT_DIR JPEG_7x5\n");
    return 2;
  }
  const std::string dir = argv[1];
  PelFixtureImage image;
  image.frames.push_back(Frame(5, 3, 24, true, 0));
  image.frames.push_back(Frame(5, 3, 24, false, 1));
  Save(dir, "v106-zlib-two-frames.bin", 0, 0, image);
  Save(dir, "v106-zlib-convert.bin", 2, 0, image);
  Save(dir, "v106-zlib-convert-to-8.bin", 2 | (3 << 2), 0, image);
  Save(dir, "v106-zlib-convert-to-1.bin", 2 | (1 << 2), 0, image);
  image.version = 0;
  image.writeMagic = false;
  Save(dir, "v0-no-magic.bin", 0, 0, image);
  image.writeMagic = true;
  image.version = 102;
  Save(dir, "v102-old-header.bin", 1, 0, image);
  image.version = 106;
  image.compression = 1;
  image.scrambleCode = 0x1234;
  Save(dir, "v106-raw-scrambled.bin", 0, 0x1234, image);
  image.scrambleCode = 0;
  image.tileWidth = 2;
  image.tileHeight = 2;
  image.shareTiles = true;
  image.frames[1].layers[0].tileEntries[0] = {0, 0};
  Save(dir, "v106-raw-tiled.bin", 2, 0, image);
  PelFixtureImage palette;
  palette.compression = 0;
  palette.frames.push_back(Frame(9, 2, 1, false, 0));
  palette.frames.push_back(Frame(9, 2, 4, true, 1));
  palette.frames.push_back(Frame(3, 2, 8, false, 2));
  palette.frames.push_back(Frame(3, 2, 15, false, 3));
  palette.frames.push_back(Frame(3, 2, 16, true, 4));
  palette.frames.push_back(Frame(3, 2, 32, true, 5));
  Save(dir, "v106-every-depth.bin", 2, 0, palette);
  Save(dir, "v106-every-depth-to-16.bin", 2 | (5 << 2), 0, palette);
  std::ifstream in(argv[2], std::ios::binary);
  const std::vector<std::uint8_t> jpeg((std::istreambuf_iterator<char>(in)), {});
  PelFixtureImage jpegImage;
  jpegImage.compression = 2;
  jpegImage.frames.push_back(Frame(7, 5, 24, true, 0));
  jpegImage.frames[0].layers[0].pixelPlaneStored = jpeg;
  jpegImage.frames.push_back(Frame(7, 5, 8, false, 0));
  jpegImage.frames[1].layers[0].pixelPlaneStored = jpeg;
  Save(dir, "v106-jpeg.bin", 2, 0, jpegImage);
  // A frame far beyond any picture's size, from a few bytes of zlib data: refused unread.
  PelFixtureImage bomb;
  PelFixtureFrame huge;
  huge.width = 6160;
  huge.height = 65785;
  huge.depth = 24;
  PelFixtureLayer plane;
  plane.pixelPlaneStored = std::vector<std::uint8_t>{0x78, 0x9C, 3, 0, 0, 0, 0, 1};
  huge.layers.push_back(plane);
  bomb.frames.push_back(huge);
  Save(dir, "v106-frame-beyond-the-pixel-limit.bin", 0, 0, bomb);
  return 0;
}
