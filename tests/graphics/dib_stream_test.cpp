#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "foundation/errors.h"
#include "foundation/system_texts.h"
#include "graphics/dib.h"
#include "graphics/graphics_errors.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFixture(const std::string& name) {
  return testing::ReadWholeFile(std::filesystem::path(VORN_SOURCE_DIR) / "tests/graphics/data/bmp" / name);
}

void Load(TDIB& dib, const Bytes& bytes) {
  TMemoryStream stream(bytes);
  dib.LoadFromStream(stream);
}

Bytes Save(TDIB& dib) {
  TMemoryStream stream;
  dib.SaveToStream(stream);
  return stream.TakeBytes();
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 40-byte info header and what follows, spelled out field by field.
Bytes InfoHeader(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
                 std::uint32_t imageSize = 0, std::uint32_t colours = 0) {
  Bytes b(40, 0);
  Put32(b, 0, 40);
  Put32(b, 4, static_cast<std::uint32_t>(width));
  Put32(b, 8, static_cast<std::uint32_t>(height));
  b[12] = 1;
  b[14] = static_cast<std::uint8_t>(bits);
  Put32(b, 16, compression);
  Put32(b, 20, imageSize);
  Put32(b, 32, colours);
  return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes GreyTable(int entries) {
  Bytes b;
  for (int i = 0; i < entries; ++i) b.insert(b.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
  return b;
}

TEST(DIBStream, ReadsImageMagickPicturesAsImageMagickDecodesThem) {
  struct Case {
    const char* name;
    int bits;
    int greenBits;  // 16-bit pictures compare on their fields
  };
  const Case cases[] = {
      {"bmp3-1bit", 1, 0},       {"bmp3-4bit", 4, 0},        {"bmp3-8bit", 8, 0},
      {"bmp3-rle8", 8, 0},       {"bmp3-24bit", 24, 0},      {"bmp3-32bit", 32, 0},
      {"bmp2-core-1bit", 1, 0},  {"bmp2-core-4bit", 4, 0},   {"bmp2-core-8bit", 8, 0},
      {"bmp2-core-24bit", 24, 0}, {"bitfields-565", 16, 6},  {"bitfields-555", 16, 5},
      {"bitfields-565-blue-high", 16, 6}, {"top-down-24bit", 24, 0}, {"rle4", 4, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDIB dib;
    Load(dib, ReadFixture(std::string(c.name) + ".bmp"));
    const Bytes rgb = ReadFixture(std::string(c.name) + ".rgb");
    ASSERT_EQ(dib.Width(), 23);
    ASSERT_EQ(dib.Height(), 15);
    ASSERT_EQ(dib.BitCount(), c.bits);
    ASSERT_EQ(rgb.size(), 23u * 15u * 3u);
    int mismatches = 0;
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 23; ++x) {
        const std::uint8_t* want = &rgb[(y * 23 + x) * 3];
        const std::uint32_t pixel = dib.GetPixel(x, y);
        int r, g, b, er, eg, eb;
        if (c.bits == 16) {
          // ImageMagick widens fields its own way; compare the fields themselves.
          const int gmax = (1 << c.greenBits) - 1;
          r = pixel >> (5 + c.greenBits) & 31;
          g = pixel >> 5 & gmax;
          b = pixel & 31;
          er = (want[0] * 31 + 127) / 255;
          eg = (want[1] * gmax + 127) / 255;
          eb = (want[2] * 31 + 127) / 255;
        } else {
          const std::uint32_t c32 = c.bits <= 8 ? dib.ColorTable[pixel] : pixel;
          r = c32 >> 16 & 255;
          g = c32 >> 8 & 255;
          b = c32 & 255;
          er = want[0];
          eg = want[1];
          eb = want[2];
        }
        if (r != er || g != eg || b != eb) ++mismatches;
      }
    EXPECT_EQ(mismatches, 0);
  }
}

TEST(DIBStream, CompressedDataStaysCompressedUntilPixelsAreNeeded) {
  const Bytes file = ReadFixture("bmp3-rle8.bmp");
  TDIB dib;
  Load(dib, file);
  EXPECT_TRUE(dib.Image()->Compressed);
  std::uint32_t imageSize;
  std::memcpy(&imageSize, &file[14 + 20], 4);
  EXPECT_EQ(dib.Size(), static_cast<int>(imageSize));
  // Written back unchanged with its compression code.
  const Bytes saved = Save(dib);
  ASSERT_EQ(saved.size(), 14u + 40u + 1024u + imageSize);
  EXPECT_EQ(saved[14 + 16], 1);
  EXPECT_EQ(Bytes(saved.end() - imageSize, saved.end()), Bytes(file.end() - imageSize, file.end()));
  dib.GetPixel(0, 0);
  EXPECT_FALSE(dib.Image()->Compressed);
  EXPECT_EQ(dib.Size(), 24 * 15);
}

TEST(DIBStream, RLE8RunsEndOfLineAndEnd) {
  const Bytes data = {0x03, 0x41, 0x00, 0x00, 0x02, 0x42, 0x00, 0x01};
  TMemoryStream stream(Concat({InfoHeader(4, 2, 8, 1, 8), GreyTable(256), data}));
  TDIB dib;
  dib.ReadData(stream);
  EXPECT_EQ(dib.GetPixel(0, 1), 0x41u);
  EXPECT_EQ(dib.GetPixel(2, 1), 0x41u);
  EXPECT_EQ(dib.GetPixel(3, 1), 0u);  // a fresh store's pixel
  EXPECT_EQ(dib.GetPixel(0, 0), 0x42u);
  EXPECT_EQ(dib.GetPixel(1, 0), 0x42u);
  EXPECT_EQ(dib.GetPixel(2, 0), 0u);
}

TEST(DIBStream, RLEEdgesStayInsideThePicture) {
  struct Case {
    const char* what;
    int bits;
    Bytes data;
    std::vector<std::uint32_t> bottomRow;  // 4 pixels
  };
  const std::vector<Case> cases = {
      {"a run past the row end stops there", 8, {0x09, 0x07, 0x00, 0x01}, {7, 7, 7, 7}},
      {"an absolute run of three, padded", 8, {0x00, 0x03, 1, 2, 3, 0x00, 0x00, 0x01}, {1, 2, 3, 0}},
      {"a delta moves right and up", 8, {0x00, 0x02, 0x02, 0x00, 0x01, 0x09, 0x00, 0x02, 0x00, 0x09}, {0, 0, 9, 0}},
      {"data ending without the end mark", 8, {0x02, 0x05, 0x00}, {5, 5, 0, 0}},
      {"an absolute run cut by the data end", 8, {0x00, 0x04, 6, 6}, {6, 6, 0, 0}},
      {"RLE4 runs alternate nibbles", 4, {0x03, 0x12, 0x00, 0x01}, {1, 2, 1, 0}},
      {"RLE4 absolute nibbles", 4, {0x00, 0x03, 0xAB, 0xC0, 0x00, 0x01}, {0xA, 0xB, 0xC, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int entries = 1 << c.bits;
    TMemoryStream stream(Concat({InfoHeader(4, 2, c.bits, c.bits == 8 ? 1 : 2, static_cast<std::uint32_t>(c.data.size())),
                                 GreyTable(entries), c.data}));
    TDIB dib;
    dib.ReadData(stream);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dib.GetPixel(x, 1), c.bottomRow[x]) << x;
  }
}

TEST(DIBStream, RLE4KeepsTheOtherNibble) {
  // Row 0: an absolute pixel at x = 1 writes the low nibble next to pixel 0's high nibble.
  const Bytes data = {0x01, 0x50, 0x00, 0x02, 0x01, 0x00, 0x01, 0x60, 0x00, 0x01};
  TMemoryStream stream(Concat({InfoHeader(4, 1, 4, 2, static_cast<std::uint32_t>(data.size())), GreyTable(16), data}));
  TDIB dib;
  dib.ReadData(stream);
  EXPECT_EQ(dib.GetPixel(0, 0), 5u);
  EXPECT_EQ(dib.GetPixel(1, 0), 0u);
  EXPECT_EQ(dib.GetPixel(2, 0), 6u);
}

TEST(DIBStream, SaveWritesTheFileHeaderAndBottomUpRows) {
  TDIB dib;
  Load(dib, ReadFixture("top-down-24bit.bmp"));
  const Bytes saved = Save(dib);
  const Bytes reference = ReadFixture("bmp3-24bit.bmp");
  // ImageMagick's own bottom-up file of the same picture: our header fields, its rows.
  ASSERT_EQ(saved.size(), 14u + 40u + 72u * 15u);  // 23 pixels: 69 bytes, padded to 72
  EXPECT_EQ(saved[0], 'B');
  EXPECT_EQ(saved[1], 'M');
  std::uint32_t size, reserved, offset;
  std::int32_t height;
  std::memcpy(&size, &saved[2], 4);
  std::memcpy(&reserved, &saved[6], 4);
  std::memcpy(&offset, &saved[10], 4);
  std::memcpy(&height, &saved[22], 4);
  EXPECT_EQ(size, saved.size());
  EXPECT_EQ(reserved, 0u);
  EXPECT_EQ(offset, 54u);
  EXPECT_EQ(height, 15);
  EXPECT_EQ(Bytes(saved.begin() + 54, saved.end()), Bytes(reference.begin() + 54, reference.end()));

  TDIB empty;
  EXPECT_TRUE(Save(empty).empty());
}

TEST(DIBStream, SaveOfASixteenBitPictureByHand) {
  TDIB dib;
  dib.PixelFormat = PixelFormat565();
  dib.SetSize(1, 1, 16);
  dib.SetPixel(0, 0, 0xF800);
  const Bytes expected = Concat({{'B', 'M', 14 + 52 + 4, 0, 0, 0, 0, 0, 0, 0, 14 + 52, 0, 0, 0},
                                 InfoHeader(1, 1, 16, 3, 4),
                                 {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0},
                                 {0x00, 0xF8, 0, 0}});
  EXPECT_EQ(Save(dib), expected);
}

TEST(DIBStream, EmptyInputs) {
  TDIB dib;
  dib.SetSize(2, 2, 8);
  TMemoryStream nothing;
  dib.LoadFromStream(nothing);
  EXPECT_EQ(dib.Width(), 2);  // no bytes at all: nothing loaded

  TMemoryStream headerOnly(Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  dib.LoadFromStream(headerOnly);
  EXPECT_TRUE(dib.GetEmpty());

  dib.SetSize(2, 2, 8);
  TMemoryStream packedNothing;
  dib.ReadData(packedNothing);
  EXPECT_TRUE(dib.GetEmpty());
}

template <typename Error>
void ExpectRefused(const Bytes& bytes, const std::string& message, bool file, int line = __builtin_LINE()) {
  SCOPED_TRACE(line);
  TDIB dib;
  dib.SetSize(3, 3, 24);
  dib.SetPixel(1, 1, 0x445566);
  const TDIBSharedImage* store = dib.Image().get();
  TMemoryStream stream(bytes);
  try {
    if (file)
      dib.LoadFromStream(stream);
    else
      dib.ReadData(stream);
    ADD_FAILURE() << "accepted";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
  EXPECT_EQ(dib.Image().get(), store);
  EXPECT_EQ(dib.GetPixel(1, 1), 0x445566u);
}

TEST(DIBStream, BadInputLeavesThePictureUnchanged) {
  const std::string invalid(texts::kInvalidDIB);
  const std::string badFormat(texts::kInvalidPixelFormat);
  const std::string readError = "Stream read error";
  Bytes h108 = InfoHeader(1, 1, 24, 0);
  Put32(h108, 0, 108);
  Bytes h124 = h108;
  Put32(h124, 0, 124);
  auto masks = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    Bytes m(12);
    Put32(m, 0, r);
    Put32(m, 4, g);
    Put32(m, 8, b);
    return m;
  };
  ExpectRefused<EInvalidGraphic>({'B', 'M', 1}, invalid, true);
  ExpectRefused<EInvalidGraphic>({'B', 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40}, invalid, true);
  ExpectRefused<EInvalidGraphic>({40, 0}, invalid, false);
  const Bytes header = InfoHeader(1, 1, 24, 0);
  ExpectRefused<EReadError>(Bytes(header.begin(), header.begin() + 20), readError, false);
  ExpectRefused<EReadError>(InfoHeader(2, 2, 24, 0), readError, false);  // rows missing
  ExpectRefused<EInvalidGraphic>(Concat({h108, Bytes(100, 0)}), invalid, false);
  ExpectRefused<EInvalidGraphic>(Concat({h124, Bytes(100, 0)}), invalid, false);
  ExpectRefused<EInvalidGraphic>(Concat({InfoHeader(1, 1, 24, 4), Bytes(4, 0)}), invalid, false);
  ExpectRefused<EInvalidGraphic>(Concat({InfoHeader(1, 1, 24, 5), Bytes(4, 0)}), invalid, false);
  ExpectRefused<EInvalidGraphicOperation>(Concat({InfoHeader(1, 1, 7, 0), GreyTable(128), Bytes(4, 0)}),
                                          FormatSystemText(texts::kInvalidBitCountFormat, 7), false);
  ExpectRefused<EInvalidGraphicOperation>(Concat({InfoHeader(1, 1, 16, 3), masks(0xF00, 0xF0, 0xF), Bytes(4, 0)}),
                                          badFormat, false);
  ExpectRefused<EInvalidGraphicOperation>(Concat({InfoHeader(1, 1, 16, 3), masks(0xF801, 0x07E0, 0x001E), Bytes(4, 0)}),
                                          badFormat, false);  // not contiguous
  ExpectRefused<EInvalidGraphic>(Concat({InfoHeader(0, 1, 24, 0), Bytes(4, 0)}), invalid, false);
  ExpectRefused<EInvalidGraphic>(Concat({InfoHeader(1, 0, 24, 0), Bytes(4, 0)}), invalid, false);
  ExpectRefused<EInvalidGraphic>(Concat({InfoHeader(1, INT32_MIN, 24, 0), Bytes(4, 0)}), invalid, false);
  // Rows beyond a signed 32-bit size, and rows the stream does not hold: refused before allocating.
  ExpectRefused<EInvalidGraphic>(Concat({InfoHeader(0x7FFFFFF, 0x7FFFFFF, 32, 0), Bytes(4, 0)}), invalid, false);
  ExpectRefused<EReadError>(Concat({InfoHeader(8000, 8000, 24, 0), Bytes(4, 0)}), readError, false);
  ExpectRefused<EReadError>(Concat({InfoHeader(16, 16, 8, 1, 0x7FFFFFF0), GreyTable(256), Bytes(4, 0)}), readError,
                            false);
  // Row size times rows beyond 64 bits must not wrap into a small size.
  ExpectRefused<EInvalidGraphic>(Concat({InfoHeader(0x7FFFFFFF, 0x7FFFFFFF, 32, 0), Bytes(4, 0)}), invalid, false);
  // Four bytes of run-length codes ("end of bitmap") may not claim a picture of a gigabyte.
  ExpectRefused<EInvalidGraphic>(Concat({InfoHeader(32768, 32768, 8, 1, 4), GreyTable(256), Bytes{0, 1, 0, 0}}),
                                 invalid, false);
}

TEST(DIBStream, SurplusColourEntriesAreSkipped) {
  // 300 entries announced: 256 kept, 44 skipped, then the row.
  Bytes table = GreyTable(256);
  for (int i = 0; i < 44; ++i) table.insert(table.end(), {0xEE, 0xEE, 0xEE, 0});
  TMemoryStream stream(Concat({InfoHeader(1, 1, 8, 0, 4, 300), table, {0x21, 0, 0, 0}}));
  TDIB dib;
  dib.ReadData(stream);
  EXPECT_EQ(dib.GetPixel(0, 0), 0x21u);
  EXPECT_EQ(stream.Remaining(), 0);
}

TEST(DIBStream, MasksWithOtherPositionsKeepTheirColours) {
  // 32 bits with red in the low byte.
  Bytes m(12);
  Put32(m, 0, 0x0000FF);
  Put32(m, 4, 0x00FF00);
  Put32(m, 8, 0xFF0000);
  TMemoryStream stream(Concat({InfoHeader(1, 1, 32, 3, 4), m, {0x11, 0x22, 0x33, 0x00}}));
  TDIB dib;
  dib.ReadData(stream);
  EXPECT_EQ(dib.GetPixel(0, 0), 0x112233u);  // red 0x11 now in our red field
  EXPECT_EQ(dib.NowPixelFormat(), PixelFormat888());
}

TEST(DIBStream, SixteenBitsWithoutMasksAreFiveFiveFive) {
  TMemoryStream stream(Concat({InfoHeader(1, 1, 16, 0, 4), {0xFF, 0x7F, 0, 0}}));
  TDIB dib;
  dib.ReadData(stream);
  EXPECT_EQ(dib.NowPixelFormat(), PixelFormat555());
  EXPECT_EQ(dib.GetPixel(0, 0), 0x7FFFu);
}

TEST(DIBStream, ClipboardCarriesThePackedDIB) {
  TDIB dib;
  dib.SetSize(2, 2, 4);
  dib.SetPixel(1, 0, 9);
  platform::InProcessClipboard clipboard;
  dib.SaveToClipboardFormat(clipboard);
  const auto bytes = clipboard.GetData(8);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->size(), 40u + 64u + 8u);
  TDIB back;
  back.LoadFromClipboardFormat(clipboard);
  EXPECT_EQ(back.BitCount(), 4);
  EXPECT_EQ(back.GetPixel(1, 0), 9u);
}

}  // namespace
}  // namespace vorn
