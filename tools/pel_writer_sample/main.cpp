// Writes layered images with the player's writer for the format check in
// tests/graphics/check_pel_writer.py: <out>.pel plus <out>.raw, the unshuffled raw planes in the
// order they are written (pixel plane, then alpha plane when there is one, per frame).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/stream.h"
#include "graphics/pelk_format.h"

namespace {

vorn::PelkFrameData MakeFrame(int width, int height, int depth, bool alpha, int seed) {
  vorn::PelkFrameData frame;
  frame.width = width;
  frame.height = height;
  frame.depth = depth;
  frame.delay = 40 + seed;
  frame.transparentPixel = seed == 1 ? 3 : -1;
  if (depth <= 8) {
    for (int i = 0; i < (1 << depth); ++i) {
      frame.palette.insert(frame.palette.end(),
                           {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                            static_cast<std::uint8_t>(i * 3), 0});
    }
  }
  frame.layers.resize(1);
  vorn::PelkPlane& pixels = frame.layers[0].pixels;
  pixels.Allocate(width, height, depth);
  const std::size_t used = (static_cast<std::size_t>(depth == 15 ? 16 : depth) * width + 7) / 8;
  for (int y = 0; y < height; ++y) {
    for (std::size_t i = 0; i < used; ++i) {
      pixels.Row(y)[i] = static_cast<std::uint8_t>(y * 29 + i * 11 + seed);
    }
  }
  if (alpha) {
    frame.layers[0].alpha.Allocate(width, height, 8);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        frame.layers[0].alpha.Row(y)[x] = static_cast<std::uint8_t>(x * 40 + y);
      }
    }
  }
  return frame;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: pel_writer_sample OUT compression code\n");
    return 2;
  }
  const std::string out = argv[1];
  vorn::PelkWriteOptions options;
  options.compression = static_cast<std::uint8_t>(std::atoi(argv[2]));
  options.identificationCode = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 0));
  options.jpegQuality = 70;
  options.background = 0x00102030;
  options.firstLayerOpaque = 1;
  std::vector<vorn::PelkFrameData> frames;
  frames.push_back(MakeFrame(9, 5, 24, true, 0));
  frames.push_back(MakeFrame(9, 5, 8, false, 1));
  frames.push_back(MakeFrame(7, 3, 15, true, 2));
  frames.push_back(MakeFrame(3, 4, 4, false, 3));
  frames.push_back(MakeFrame(5, 2, 32, true, 4));
  vorn::TMemoryStream stream;
  vorn::WritePelkFrames(stream, frames, options);
  std::ofstream(out + ".pel", std::ios::binary)
      .write(reinterpret_cast<const char*>(stream.Memory()), stream.Size());
  std::ofstream raw(out + ".raw", std::ios::binary);
  for (const auto& frame : frames) {
    for (const vorn::PelkPlane* plane : {&frame.layers[0].pixels, &frame.layers[0].alpha}) {
      raw.write(reinterpret_cast<const char*>(plane->bytes.data()),
                static_cast<std::streamsize>(plane->bytes.size()));
    }
  }
  return 0;
}
