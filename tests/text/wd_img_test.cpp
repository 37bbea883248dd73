#include "text/wd_img.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "graphics/memory_dibx.h"
#include "foundation/scoped_seam.h"
#include "support/text/fake_image_source.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

TEST(TWdImg, EffectiveOpacity) {
  struct Case {
    std::int32_t glyph;
    std::int32_t document;
    std::int32_t effective;
  };
  const std::vector<Case> cases = {
      {255, 255, 255}, {200, 255, 200}, {0, 255, 0},     {255, 128, 127},      {128, 100, 50},
      {255, 0, 0},     {255, 256, 256}, {255, 300, 299}, {255, 511, 510},      {255, -5, 0},
      {255, INT_MIN, 0}, {255, INT_MAX, 511}, {10, 100000, 511}, {255, 767, 511}, {128, 512, 384},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TWdImg::EffectiveOpacity(c.glyph, c.document), c.effective) << c.glyph << " " << c.document;
  }
}

class ImageGlyph : public ::testing::Test {
 protected:
  ImageGlyph() {
    test::FakeImageSource::Picture keyed{4, 3, {0x00204060, 0x00102030}};
    keyed.color_key = 0x00204060;
    pictures_.Add("keyed.png", keyed);
    test::FakeImageSource::Picture masked{4, 3, {0x00204060}};
    masked.mask_value = 128;
    pictures_.Add("masked.pel", masked);
    installed_.Install(&pictures_);
  }

  TWdImg& Image(const std::string& name) {
    auto& img = static_cast<TWdImg&>(*doc_.AddGlyph(std::make_unique<TWdImg>(&doc_)));
    img.SetFileName(name);
    img.Measure();
    return img;
  }

  test::FakeImageSource pictures_;
  ScopedSeam<TWdImageSource> installed_{SetWdImageSource};
  TZkWord doc_;
};

TEST_F(ImageGlyph, MeasureTakesTheFirstFrameOrStaysEmpty) {
  TWdImg& found = Image("keyed.png");
  EXPECT_TRUE(found.HasImage());
  EXPECT_TRUE(found.IsAnimated());
  EXPECT_EQ(found.GetWidth(), 4);
  EXPECT_EQ(found.GetHeight(), 3);

  TWdImg& missing = Image("missing.png");
  EXPECT_FALSE(missing.HasImage());
  EXPECT_FALSE(missing.IsAnimated());
  EXPECT_EQ(missing.GetWidth(), 0);
  EXPECT_EQ(missing.GetHeight(), 0);
  EXPECT_EQ(pictures_.loads, 1);

  ScopedSeam<TWdImageSource> none{SetWdImageSource};
  none.Install(nullptr);
  TWdImg& unsourced = Image("keyed.png");
  EXPECT_FALSE(unsourced.HasImage());
}

TEST_F(ImageGlyph, AnimateInvalidatesWhenTheFrameChangesAndSurfacesPassThrough) {
  TWdImg& img = Image("keyed.png");
  img.x = 5;
  img.Animate();
  ASSERT_EQ(doc_.DirtyRects.size(), 1u);
  EXPECT_EQ(doc_.DirtyRects[0], (TRect{5, 0, 9, 3}));
  TWdImg& still = Image("masked.pel");
  still.Animate();
  EXPECT_EQ(doc_.DirtyRects.size(), 1u);
  doc_.ReleaseSurfaces();
  doc_.RestoreSurfaces();
  EXPECT_EQ(pictures_.releases, 2);
  EXPECT_EQ(pictures_.restores, 2);
}

// Each range of the effective opacity picks one blit; the expected picture is that blit run
// directly on a second target.
TEST_F(ImageGlyph, DrawPicksTheBlitForTheOpacity) {
  using Blit = std::function<void(TCustomDIBX& target, TCustomDIBX& source, TCustomDIBX* mask)>;
  struct Case {
    const char* name;
    const char* file;
    std::int32_t glyph;
    std::int32_t document;
    Blit expected;
  };
  const TRect src{0, 0, 4, 3};
  const std::vector<Case> cases = {
      {"masked blend", "masked.pel", 100, 255,
       [&](TCustomDIBX& t, TCustomDIBX& s, TCustomDIBX* m) { t.DrawMaskOpacity(2, 1, s, src, false, false, m, 100); }},
      {"masked copy", "masked.pel", 255, 255,
       [&](TCustomDIBX& t, TCustomDIBX& s, TCustomDIBX* m) { t.DrawMask(2, 1, s, src, false, false, m); }},
      {"masked add", "masked.pel", 255, 356,
       [&](TCustomDIBX& t, TCustomDIBX& s, TCustomDIBX* m) { t.DrawMaskAdd(2, 1, s, src, false, false, m, 99); }},
      {"blend", "keyed.png", 100, 255,
       [&](TCustomDIBX& t, TCustomDIBX& s, TCustomDIBX*) { t.DrawOpacity(2, 1, s, src, true, false, false, 100); }},
      {"keyed copy", "keyed.png", 255, 255,
       [&](TCustomDIBX& t, TCustomDIBX& s, TCustomDIBX*) { t.DrawRect(2, 1, s, src, true, false, false); }},
      {"add", "keyed.png", 255, 356,
       [&](TCustomDIBX& t, TCustomDIBX& s, TCustomDIBX*) { t.DrawAdd(2, 1, s, src, true, false, false, 99); }},
      {"beyond 511 adds fully", "keyed.png", 255, INT_MAX,
       [&](TCustomDIBX& t, TCustomDIBX& s, TCustomDIBX*) { t.DrawAdd(2, 1, s, src, true, false, false, 255); }},
      {"below 1 draws nothing", "keyed.png", 255, 1, [](TCustomDIBX&, TCustomDIBX&, TCustomDIBX*) {}},
  };
  for (const Case& c : cases) {
    TWdImg& img = Image(c.file);
    img.x = 2;
    img.y = 1;
    img.SetOpacity(c.glyph);
    doc_.Opacity = c.document;

    TMemoryDIBX drawn(8, 6, 32);
    drawn.Fill(0x00808080);
    doc_.Target = &drawn;
    img.Draw();
    doc_.Target = nullptr;

    TMemoryDIBX expected(8, 6, 32);
    expected.Fill(0x00808080);
    auto picture = pictures_.Load(c.file);
    c.expected(expected, *picture->CurrentSurface(), picture->CurrentMask());
    EXPECT_EQ(drawn.Bits(), expected.Bits()) << c.name;
  }
  // The keyed copy skipped the key colour: the background shows where the frame had it.
  TMemoryDIBX check(8, 6, 32);
  check.Fill(0x00808080);
  doc_.Target = &check;
  doc_.Opacity = 255;
  TWdImg& keyed = Image("keyed.png");
  keyed.x = 2;
  keyed.y = 1;
  keyed.Draw();
  EXPECT_EQ(check.GetPixel(2, 1), 0x00808080u);
  doc_.Target = nullptr;
}

}  // namespace
}  // namespace vorn
