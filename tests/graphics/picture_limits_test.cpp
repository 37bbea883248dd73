#include "graphics/picture_limits.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fixture/pel_fixture.h"
#include "foundation/stream.h"
#include "foundation/system_texts.h"
#include "graphics/dib_surface.h"
#include "graphics/graphics_errors.h"
#include "graphics/jpeg_codec.h"
#include "graphics/pelk_format.h"
#include "graphics/png_decoder.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v);
  Put16(b, v >> 16);
}
void Put32BigEndian(Bytes& b, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

TEST(PictureLimit, CountsPixelsWithoutOverflow) {
  const struct {
    std::int64_t width, height;
    bool exceeds;
  } cases[] = {
      {8192, 8192, false},           {8192, 8193, true},
      {std::int64_t{1} << 26, 1, false}, {(std::int64_t{1} << 26) + 1, 1, true},
      {1, (std::int64_t{1} << 26) + 1, true}, {INT_MAX, INT_MAX, true},
      {0xFFFFFFFFLL, 0xFFFFFFFFLL, true}, {0, INT_MAX, false},
      {-5, INT_MAX, false},
  };
  for (const auto& c : cases) EXPECT_EQ(ExceedsPictureLimit(c.width, c.height), c.exceeds) << c.width << " x " << c.height;
}

// A BMP file of 8-bit run-length codes: 8192 x 8193 pixels from two bytes ("end of bitmap").
Bytes RunLengthBmpBomb() {
  Bytes b = {'B', 'M'};
  Put32(b, 0);   // file size (not read)
  Put32(b, 0);   // reserved
  Put32(b, 0);   // pixel offset (not read)
  Put32(b, 40);  // header size
  Put32(b, 8192);  // width
  Put32(b, 8193);  // height
  Put16(b, 1);     // planes
  Put16(b, 8);     // bits per pixel
  Put32(b, 1);     // compression: run-length, 8 bits
  Put32(b, 2);     // image size: the two code bytes
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, 0);  // colours used: all 256
  Put32(b, 0);
  b.resize(b.size() + 256 * 4, 0);  // colour table
  b.insert(b.end(), {0, 1});        // end of bitmap
  return b;
}

// A run-length TGA of 8193 x 8192 grey pixels with the bytes its packets could at best fill it
// with (128 pixels a packet).
Bytes RunLengthTgaBomb() {
  Bytes b = {0, 0, 11};  // no ID, no colour map, run-length grey
  b.resize(12, 0);       // colour map fields, origin
  Put16(b, 8193);        // width
  Put16(b, 8192);        // height
  b.push_back(8);        // depth
  b.push_back(0x20);     // top-down
  for (int i = 0; i < 8193 * 64; ++i) b.insert(b.end(), {0xFF, 0x80});
  return b;
}

// An icon directory of one entry whose DIB claims 8193 x 8192 pixels at one bit.
Bytes IconBomb() {
  Bytes b;
  Put16(b, 0);   // reserved
  Put16(b, 1);   // icon
  Put16(b, 1);   // one entry
  b.insert(b.end(), {0, 0, 2, 0});  // width, height (0 = 256), colours, reserved
  Put16(b, 1);   // planes
  Put16(b, 1);   // bits
  Put32(b, 40 + 8 + 4);  // bytes in the image
  Put32(b, 22);          // image offset
  Put32(b, 40);          // header size
  Put32(b, 8193);        // width
  Put32(b, 2 * 8192);    // height of colour and mask
  Put16(b, 1);
  Put16(b, 1);
  b.resize(b.size() + 24, 0);
  b.resize(b.size() + 12, 0);  // colour table and a little pixel data
  return b;
}

Bytes PngChunk(const char* type, const Bytes& data) {
  Bytes b;
  Put32BigEndian(b, static_cast<std::uint32_t>(data.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  b.insert(b.end(), typed.begin(), typed.end());
  Put32BigEndian(b, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
  return b;
}

// A PNG whose header claims 8193 x 8192 grey pixels, with one empty image chunk.
Bytes PngBomb() {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  Put32BigEndian(header, 8193);  // width
  Put32BigEndian(header, 8192);  // height
  header.insert(header.end(), {8, 0, 0, 0, 0});  // 8-bit grey, deflate, no filter, no interlace
  for (const Bytes& chunk : {PngChunk("IHDR", header), PngChunk("IDAT", Bytes{0x78, 0x9C, 3, 0, 0, 0, 0, 1}),
                             PngChunk("IEND", Bytes{})})
    b.insert(b.end(), chunk.begin(), chunk.end());
  return b;
}

// An 8 x 8 JPEG whose frame header is made to claim 8193 x 8192 pixels.
Bytes JpegBomb() {
  const Bytes grey(8 * 8 * 3, 0x80);
  Bytes b = EncodeJpeg(grey.data(), 8, 8, 8 * 3, 80);
  for (std::size_t i = 0; i + 8 < b.size(); ++i) {
    if (b[i] == 0xFF && b[i + 1] == 0xC0) {  // start of frame: length, precision, height, width
      b[i + 5] = 8192 >> 8;
      b[i + 6] = 8192 & 0xFF;
      b[i + 7] = 8193 >> 8;
      b[i + 8] = 8193 & 0xFF;
      return b;
    }
  }
  ADD_FAILURE() << "no frame header";
  return b;
}

// A layered image of one 6160 x 65785 frame whose plane is a few bytes of zlib data.
Bytes PelBomb() {
  fixture::PelFixtureImage image;
  fixture::PelFixtureFrame frame;
  frame.width = 6160;
  frame.height = 65785;
  frame.depth = 24;
  fixture::PelFixtureLayer layer;
  layer.pixelPlaneStored = Bytes{0x78, 0x9C, 3, 0, 0, 0, 0, 1};
  frame.layers.push_back(layer);
  image.frames.push_back(frame);
  return fixture::WritePelFixture(image);
}

// Every reader refuses a picture beyond the limit with its own error, before it decodes a pixel.
TEST(PictureLimit, EveryReaderRefusesAPictureBeyondIt) {
  const struct {
    const char* format;
    std::function<void()> read;
    std::string message;
  } cases[] = {
      {"BMP",
       [] {
         TDIBSurface p;
         TMemoryStream s(RunLengthBmpBomb());
         p.LoadFromStream(s);
       },
       std::string(texts::kInvalidDIB)},
      {"TGA",
       [] {
         TDIBSurface p;
         TMemoryStream s(RunLengthTgaBomb());
         std::int32_t key = -1;
         TSurfaceFileInfo info;
         p.ReadTGA(s, key, false, info);
       },
       "TGA picture too large (8193 x 8192)"},
      {"ICO",
       [] {
         TDIBSurface p;
         TMemoryStream s(IconBomb());
         std::int32_t key = -1;
         bool icon32 = false;
         TSurfaceFileInfo info;
         p.ReadIconFile(s, false, key, false, icon32, info);
       },
       std::string(texts::kInvalidDIB)},
      {"PNG", [] { DecodePng(PngBomb()); }, "PNG picture too large"},
      {"JPEG", [] { DecodeJpeg(JpegBomb()); }, "JPEG picture too large"},
      {"layered image",
       [] {
         TMemoryStream s(PelBomb());
         const PelkHeader header = ReadPelkHeader(s);
         std::vector<PelkFrameData> frames;
         ReadPelkFrames(s, header, PelkReadOptions{}, frames);
       },
       "layered image: picture too large"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    try {
      c.read();
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace vorn
