// The mask pictures of WP_MASKFADE read through the running project: plain files and game.dat
// members, tiled, inverted, and every way a picture can be unusable.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fixture/page_writer.h"
#include "foundation/vocabulary_codes.h"
#include "transitions/create_wipe.h"
#include "fixture/pel_fixture.h"
#include "fixture/project_writer.h"
#include "graphics/dibx.h"
#include "support/engine_fixture.h"
#include "support/log_recorder.h"
#include "transitions/mask_image.h"
#include "transitions/mask_wipes.h"
#include "transitions/wipe_test_util.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Row = std::vector<int>;

constexpr std::int32_t kCode = 0x5A17;

class ExposedShadow : public TWipeShadow {
 public:
  using TWipeShadow::TWipeShadow;
  TDIBX& Mask() { return MaskSurface(); }
};

struct Rgb {
  std::uint8_t r, g, b;
};

// A one-frame 24-bit layered image of the pixels, row by row; rows shuffled by the code.
Bytes Pel24(int width, int height, const std::vector<Rgb>& pixels, std::uint32_t code = 0) {
  fixture::PelFixtureImage image;
  image.scrambleCode = code;
  fixture::PelFixtureFrame frame;
  frame.width = width;
  frame.height = height;
  frame.depth = 24;
  fixture::PelFixtureLayer layer;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb& p = pixels[static_cast<std::size_t>(y * width + x)];
      layer.pixelRows.insert(layer.pixelRows.end(), {p.b, p.g, p.r});
    }
    while (layer.pixelRows.size() % 4 != 0) layer.pixelRows.push_back(0);
  }
  frame.layers.push_back(layer);
  image.frames.push_back(frame);
  return fixture::WritePelFixture(image);
}

const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255};

Bytes BlackWhitePel() { return Pel24(2, 1, {kBlack, kWhite}); }

Bytes PrimariesPel() { return Pel24(4, 1, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}}); }

// 2 × 2, rows black-white and white-black, shuffled with the project's identification code.
Bytes CheckerPel(std::uint32_t code) { return Pel24(2, 2, {kBlack, kWhite, kWhite, kBlack}, code); }

Bytes Truncated(Bytes bytes) {
  bytes.resize(bytes.size() / 2);
  return bytes;
}

Bytes NoFramePel() {
  fixture::PelFixtureImage image;
  return fixture::WritePelFixture(image);
}

std::string FolderName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string("maskpic_") + test->test_suite_name() + "_" + test->name();
}

class MaskPicture : public ::testing::Test {
 protected:
  MaskPicture() : engine(FolderName()) {
    fixture::ProjectWriter project;
    project.identification_code = kCode;
    engine.AddProject(project);
    engine.AddPage("start.vsb", fixture::PageWriter());
  }

  void AddFiles() {
    engine.AddFile("bw.pel", BlackWhitePel());
    engine.AddFile("truncated.pel", Truncated(CheckerPel(kCode)));
    engine.AddFile("checker.pel", CheckerPel(kCode));
    engine.AddFile("empty.pel", Bytes{});
    engine.AddFile("noframes.pel", NoFramePel());
    engine.AddFile("corrupt.pel", Bytes{'P', 'e', 'l', 'k', '1', '0', '6', 0, 1, 2, 3});
  }

  // Offsets + 255 = the picture's grey levels as tiled over the screen.
  static Row Greys(const std::string& name, bool invert, int width, int height) {
    Row out;
    for (std::int16_t offset : MaskImageOffsets(name, invert, width, height)) out.push_back(offset + 255);
    return out;
  }

  testing::EngineFixture engine;
};

// Golden greys (R × 77 + G × 151 + B × 28) >> 8: red 76, green 150, blue 27, yellow 227;
// inverted first (cyan, magenta, yellow, blue): 178, 104, 227, 27.
TEST_F(MaskPicture, GreyLevelsOfPlainFilesAndArchiveMembers) {
  for (bool packed : {false, true}) {
    SCOPED_TRACE(packed ? "game.dat" : "plain files");
    testing::EngineFixture local(FolderName() + (packed ? "_packed" : "_plain"));
    fixture::ProjectWriter project;
    project.identification_code = kCode;
    local.AddProject(project);
    local.AddPage("start.vsb", fixture::PageWriter());
    if (packed) local.PackIntoGameDat();
    local.AddFile("rgby.pel", PrimariesPel());
    local.AddFile("checker.pel", CheckerPel(kCode));
    local.Start();
    EXPECT_EQ(Greys("rgby.pel", false, 4, 1), (Row{76, 150, 27, 227}));
    EXPECT_EQ(Greys("rgby.pel", true, 4, 1), (Row{178, 104, 227, 27}));
    // Tiled from the top-left corner, clipped at the right and bottom.
    EXPECT_EQ(Greys("checker.pel", false, 5, 3), (Row{0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0}));
    EXPECT_EQ(Greys("checker.pel", true, 3, 2), (Row{255, 0, 255, 0, 255, 0}));
    local.Stop();
  }
}

// A 2 × 1 picture (0, 255) at T = 512: the white pixel runs ramp(t + 255), the black one
// ramp(t); ramp(k) = k − 256 between 256 and 511.
TEST_F(MaskPicture, WhiteChangesFirstAndBlackLast) {
  AddFiles();
  engine.Start();
  test::WipePages pages(4, 2, 32);
  struct Case {
    std::int32_t t;
    int black, white;
  } cases[] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 1}, {256, 0, 255}, {300, 44, 255}, {511, 255, 255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.t);
    ExposedShadow wipe(pages.target, pages.from, pages.to);
    wipe.SetMaskName("bw.pel");
    wipe.Total = 512;
    wipe.Prepare();
    wipe.Current = c.t;
    wipe.UpdateMask();
    for (int y = 0; y < 2; ++y)
      EXPECT_EQ((Row{static_cast<int>(wipe.Mask().GetPixel(0, y)), static_cast<int>(wipe.Mask().GetPixel(1, y)),
                     static_cast<int>(wipe.Mask().GetPixel(2, y)), static_cast<int>(wipe.Mask().GetPixel(3, y))}),
                (Row{c.black, c.white, c.black, c.white}));
  }
  // Direction 1 inverts the picture: the left pixel goes first.
  ExposedShadow reversed(pages.target, pages.from, pages.to);
  reversed.SetMaskName("bw.pel");
  reversed.SetDirection(1);
  reversed.Total = 512;
  reversed.Prepare();
  reversed.Current = 300;
  reversed.UpdateMask();
  EXPECT_EQ(reversed.Mask().GetPixel(0, 0), 255u);
  EXPECT_EQ(reversed.Mask().GetPixel(1, 0), 44u);
}

// WP_MASKWHITE and WP_MASKBLACK on the 2 × 1 picture (black, white), T = 768: index = t + 255,
// the white pixel takes ramp(t + 255), the black one ramp(t); ramp(k) = k − 256 from 256 to 767.
// Above 255 the pixel is on the to page at level 511 − k. from 0x405060, to 0x102030.
TEST_F(MaskPicture, FlashesThroughWhiteAndBlack) {
  AddFiles();
  engine.Start();
  struct Case {
    std::uint8_t kind;
    std::uint8_t direction;
    std::int32_t t;
    std::uint32_t black, white;
  } cases[] = {
      {WP_MASKWHITE, 0, 50, 0x405060, 0x718191},   // white pixel: k = 49 = 0x31 on from
      {WP_MASKBLACK, 0, 50, 0x405060, 0x0F1F2F},
      {WP_MASKWHITE, 0, 600, 0xB7C7D7, 0x102030},  // black pixel: k = 344, to at 167 = 0xA7
      {WP_MASKBLACK, 0, 600, 0x000000, 0x102030},
      {WP_MASKWHITE, 1, 50, 0x718191, 0x405060},   // the picture inverted
      {WP_MASKWHITE, 2, 50, 0x405060, 0x718191},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << int{c.kind} << " direction " << int{c.direction} << " t " << c.t);
    test::WipePages pages(4, 1, 32, 0x405060, 0x102030);
    std::unique_ptr<TCustomWipe> wipe = CreateWipe(c.kind, pages.target, pages.from, pages.to);
    wipe->SetMaskName("bw.pel");
    wipe->SetDirection(c.direction);
    wipe->Total = 768;
    wipe->Prepare();
    wipe->Current = c.t;
    EXPECT_FALSE(wipe->Draw());
    EXPECT_EQ(test::AllPixels(pages.target), (std::vector<std::uint32_t>{c.black, c.white, c.black, c.white}));
  }
}

// 5-5-5: from (16, 8, 4) with grey(49) = (6, 6, 6) added and taken away, saturating per channel.
TEST_F(MaskPicture, FlashesSaturatePerChannelAtFifteenBits) {
  AddFiles();
  engine.Start();
  const std::uint32_t from = (16u << 10) | (8u << 5) | 4u;
  const std::pair<std::uint8_t, std::uint32_t> cases[] = {{WP_MASKWHITE, (22u << 10) | (14u << 5) | 10u},
                                                          {WP_MASKBLACK, (10u << 10) | (2u << 5) | 0u}};
  for (const auto& [kind, white] : cases) {
    test::WipePages pages(2, 1, 15, from, 0);
    std::unique_ptr<TCustomWipe> wipe = CreateWipe(kind, pages.target, pages.from, pages.to);
    wipe->SetMaskName("bw.pel");
    wipe->Total = 768;
    wipe->Prepare();
    wipe->Current = 50;
    wipe->Draw();
    EXPECT_EQ(pages.target.GetPixel(0, 0), from);
    EXPECT_EQ(pages.target.GetPixel(1, 0), white) << int{kind};
  }
}

// Each unusable picture leaves the screen to fade evenly, logs one line naming the file, and
// never throws.
TEST_F(MaskPicture, UnusablePicturesFadeEvenlyWithOneLogLine) {
  AddFiles();
  engine.Start();
  for (const char* name : {"missing.pel", "empty.pel", "truncated.pel", "noframes.pel", "corrupt.pel"}) {
    SCOPED_TRACE(name);
    test::LogRecorder log;
    Row greys;
    EXPECT_NO_THROW(greys = Greys(name, false, 3, 2));
    EXPECT_EQ(greys, (Row(6, 255)));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Contains(name));
  }
}

// A one-pixel picture covers the screen with its grey; a picture larger than the screen is cut.
TEST_F(MaskPicture, OnePixelAndOversizedPictures) {
  engine.AddFile("dot.pel", Pel24(1, 1, {{128, 128, 128}}));
  engine.AddFile("rgby.pel", PrimariesPel());
  engine.Start();
  test::LogRecorder log;
  EXPECT_EQ(Greys("dot.pel", false, 3, 2), (Row(6, 128)));
  EXPECT_EQ(Greys("rgby.pel", false, 2, 1), (Row{76, 150}));
  EXPECT_TRUE(log.Lines().empty());
}

TEST_F(MaskPicture, NoProjectFadesEvenly) {
  test::LogRecorder log;
  EXPECT_EQ(Greys("bw.pel", false, 2, 2), (Row(4, 255)));
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_TRUE(log.Contains("bw.pel"));
}

TEST_F(MaskPicture, NoNameFadesEvenlyWithoutComplaint) {
  engine.Start();
  test::LogRecorder log;
  EXPECT_EQ(Greys("", false, 2, 1), (Row(2, 255)));
  EXPECT_TRUE(MaskImageOffsets("bw.pel", false, 0, 5).empty());
  EXPECT_TRUE(log.Lines().empty());
}

}  // namespace
}  // namespace vorn
