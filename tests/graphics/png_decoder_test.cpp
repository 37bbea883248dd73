#include "graphics/png_decoder.h"

#include <gtest/gtest.h>

#include "graphics/pel_test_data.h"

namespace vorn {
namespace {

using testing::PelReference;

struct PngCase {
  const char* file;
  int depth;
  bool alpha;
  int transparentPixel;  // -2: any value >= 0
};

class PngReference : public ::testing::TestWithParam<PngCase> {};

// Every pixel decodes to what ImageMagick (or the Python script that wrote the file) gives as
// RGBA; a single transparent colour counts as alpha 0.
TEST_P(PngReference, DecodesLikeTheIndependentTool) {
  const PngCase& c = GetParam();
  const auto file = PelReference(std::string(c.file) + ".png");
  const auto expected = PelReference(std::string(c.file) + ".rgba");
  ASSERT_FALSE(file.empty());
  const PngImage image = DecodePng(file);
  EXPECT_EQ(image.depth, c.depth);
  EXPECT_EQ(!image.alpha.empty(), c.alpha);
  if (c.transparentPixel == -2) {
    EXPECT_GE(image.transparentPixel, 0);
  } else {
    EXPECT_EQ(image.transparentPixel, c.transparentPixel);
  }
  int w = 0, h = 0;
  const auto rgba = DecodePngRgba(file, w, h);
  ASSERT_EQ(rgba.size(), expected.size());
  EXPECT_EQ(rgba, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PngReference,
    ::testing::Values(PngCase{"palette-trns", 8, false, -2}, PngCase{"palette-alpha", 8, true, -1},
                      PngCase{"palette-1bit", 8, false, -1}, PngCase{"grey2", 8, false, -1},
                      PngCase{"grey16", 8, false, -1}, PngCase{"rgb48", 24, false, -1},
                      PngCase{"rgba", 24, true, -1}, PngCase{"grey-alpha", 8, true, -1},
                      PngCase{"interlaced", 24, false, -1}, PngCase{"rgb-trns", 24, false, -2}),
    [](const auto& info) {
      std::string name = info.param.file;
      for (char& ch : name) {
        if (ch == '-') ch = '_';
      }
      return name;
    });

TEST(PngDecoder, TransparentColourOfAnRgbFileIsItsPixelAndColour) {
  // rgb-trns.png keys #1E3C5A.
  const PngImage image = DecodePng(PelReference("rgb-trns.png"));
  EXPECT_EQ(image.transparentColor, 0x5A3C1E);
  EXPECT_EQ(image.transparentPixel, 0x1E3C5A);
}

TEST(PngDecoder, GreyFilesGetAGreyRamp) {
  const PngImage image = DecodePng(PelReference("grey2.png"));
  ASSERT_EQ(image.palette.size(), 1024u);
  EXPECT_EQ(image.palette[4 * 200], 200);
  EXPECT_EQ(image.palette[4 * 200 + 2], 200);
}

TEST(PngDecoder, BrokenFilesRaise) {
  auto file = PelReference("rgba.png");
  EXPECT_THROW(DecodePng(std::span(file).first(40)), EPngError);
  file[file.size() - 30] ^= 0x55;  // inside IDAT: the CRC no longer matches
  EXPECT_THROW(DecodePng(file), EPngError);
  const std::vector<std::uint8_t> nothing;
  EXPECT_THROW(DecodePng(nothing), EPngError);
}

TEST(PngDecoder, RefusesPicturesLargerThanTheLimit) {
  auto file = PelReference("rgba.png");
  // IHDR width at byte 16 (big-endian): 20000 pixels; fix the CRC so only the limit refuses it.
  file[16] = 0;
  file[17] = 0;
  file[18] = 0x4E;
  file[19] = 0x20;
  std::uint32_t crc = 0xFFFFFFFFu;
  for (int i = 12; i < 29; ++i) {
    crc ^= file[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  crc ^= 0xFFFFFFFFu;
  for (int i = 0; i < 4; ++i) file[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  EXPECT_THROW(DecodePng(file), EPngError);
}

}  // namespace
}  // namespace vorn
