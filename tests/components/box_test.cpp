#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "components/box.h"
#include "components/vorn_base_list.h"
#include "foundation/vr_errors.h"
#include "graphics/memory_dibx.h"
#include "support/recording_film.h"
#include "support/test_scene_screen.h"

namespace vorn {
namespace {

// ---- accessors ----

// Counts its invalidations.
class TCountingBox : public TVornBox {
 public:
  using TVornBox::TVornBox;
  void Invalidate() override {
    ++invalidations;
    TVornBox::Invalidate();
  }
  int invalidations = 0;
};

TEST(Box, DefaultsAreTheBoxsOwn) {
  TVornBaseList scene;
  auto* box = CreateObject<TVornBox>(scene);
  EXPECT_EQ(box->GetCompoType(), 2);
  EXPECT_EQ(box->GetBorderWidth(), 0);
  EXPECT_EQ(box->GetBorderColor(), 0);  // not the -1 of objects without the property
  EXPECT_EQ(box->GetAlpha(), 255);
  EXPECT_EQ(box->GetSource(), "");
  EXPECT_FALSE(box->GetRepeat());
  EXPECT_FALSE(box->GetAutoScrap());
  EXPECT_FALSE(box->GetPaused());
  EXPECT_FALSE(box->HasMotion());
}

TEST(Box, BorderAndAlphaRepaintOnlyOnAChange) {
  TVornBaseList scene;
  auto* box = CreateObject<TCountingBox>(scene);
  const std::vector<std::pair<const char*, std::function<void(std::int32_t)>>> setters = {
      {"border width", [box](std::int32_t v) { box->SetBorderWidth(v); }},
      {"border colour", [box](std::int32_t v) { box->SetBorderColor(v); }},
      {"alpha", [box](std::int32_t v) { box->SetAlpha(v); }},
  };
  for (const auto& [what, set] : setters) {
    SCOPED_TRACE(what);
    box->invalidations = 0;
    set(7);
    EXPECT_EQ(box->invalidations, 1);
    set(7);
    EXPECT_EQ(box->invalidations, 1);
  }
  EXPECT_EQ(box->GetBorderWidth(), 7);
  EXPECT_EQ(box->GetBorderColor(), 7);
  EXPECT_EQ(box->GetAlpha(), 7);
  box->invalidations = 0;
  box->SetOnIdle("p.vsb:idle");
  box->SetOnPlayEnd("p.vsb:end");
  box->SetAutoScrap(true);
  box->SetPaused(true);
  EXPECT_EQ(box->invalidations, 0);
  EXPECT_EQ(box->GetOnIdle(), "p.vsb:idle");
  EXPECT_EQ(box->GetOnPlayEnd(), "p.vsb:end");
  EXPECT_TRUE(box->GetAutoScrap());
  EXPECT_TRUE(box->GetPaused());
}

TEST(Box, AMotionFileAsSourceBecomesItsFilm) {
  testing::TRecordingFilmMaker films;
  films.missing = {"gone.vmn"};
  TVornBaseList scene;
  auto* box = CreateObject<TVornBox>(scene);
  box->SetName("b");
  box->SetSource("walk.VMN");  // the extension in any case
  ASSERT_TRUE(box->HasMotion());
  EXPECT_EQ(films.log, (std::vector<std::string>{"0 create b", "0 load walk.VMN"}));
  box->SetSource("walk.VMN");  // the same text changes nothing
  EXPECT_EQ(films.log.size(), 2u);
  box->SetSource("walk.bmp");  // another text frees the film; a picture is no film
  EXPECT_FALSE(box->HasMotion());
  EXPECT_EQ(films.log.back(), "0 free");
  EXPECT_EQ(box->GetSource(), "walk.bmp");
  EXPECT_THROW(box->SetSource("gone.vmn"), EVrFileNotFound);
  EXPECT_FALSE(box->HasMotion());
  EXPECT_EQ(box->GetSource(), "gone.vmn");
}

TEST(Box, RepeatTurningOnRestartsAnEndedFilm) {
  testing::TRecordingFilmMaker films;
  TVornBaseList scene;
  auto* box = CreateObject<TVornBox>(scene);
  box->SetSource("a.vmn");
  testing::TRecordingFilm& film = *films.films[0];
  box->SetRepeat(true);  // running: nothing to restart
  box->SetRepeat(false);
  film.ended = true;
  box->SetRepeat(false);  // no change
  EXPECT_EQ(std::count(films.log.begin(), films.log.end(), "0 restart"), 0);
  box->SetRepeat(true);
  EXPECT_EQ(std::count(films.log.begin(), films.log.end(), "0 restart"), 1);
  film.ended = true;
  box->SetRepeat(true);  // already on
  EXPECT_EQ(std::count(films.log.begin(), films.log.end(), "0 restart"), 1);
}

// ---- paint ----

constexpr int kSize = 40;
constexpr std::int32_t kRed = 0x0000FF;  // colours are 0x00BBGGRR
constexpr std::int32_t kGreen = 0x00FF00;
constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kBackground = 0x604020;

struct Surface {
  int bits;
  std::uint32_t red_mask, green_mask, blue_mask;
};
void PrintTo(const Surface& surface, std::ostream* out) { *out << surface.bits << " bits"; }

// The blend of the fills, per channel in place: ((255 - w) * d + w * s) >> 8 within the mask.
std::uint32_t Blended(const Surface& s, std::uint32_t d, std::uint32_t src, std::uint32_t w) {
  std::uint32_t out = 0;
  for (const std::uint32_t m : {s.red_mask, s.green_mask, s.blue_mask}) {
    out |= (((255u - w) * (d & m) + w * (src & m)) >> 8) & m;
  }
  return out;
}

// Saturating add per channel in place.
std::uint32_t Added(const Surface& s, std::uint32_t d, std::uint32_t src) {
  std::uint32_t out = 0;
  for (const std::uint32_t m : {s.red_mask, s.green_mask, s.blue_mask}) out |= std::min((d & m) + (src & m), m);
  return out;
}

// Each channel of the colour times (alpha - 256) / 256.
std::int32_t AdditiveColour(std::int32_t color, std::int32_t alpha) {
  std::int32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) out |= (((color >> shift) & 0xFF) * (alpha - 256) >> 8) << shift;
  return out;
}

class BoxPaint : public ::testing::TestWithParam<Surface> {
 protected:
  BoxPaint() : surface(kSize, kSize, GetParam().bits), screen(&surface, GetParam().bits) {
    scene.SetWidth(kSize);
    scene.SetHeight(kSize);
    scene.SetScreen(&screen);
  }
  std::uint32_t Pixel(std::int32_t color) { return static_cast<std::uint32_t>(surface.ColorToPixel(color)); }
  TVornBox* NewBox(TVornControl* parent, TRect bounds, std::int32_t color) {
    auto* box = CreateObject<TVornBox>(scene);
    box->SetParent(parent);
    box->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    box->SetColor(color);
    return box;
  }
  // Fills the surface with the background, paints the layer's children over it, and compares every
  // pixel with the expectation (any value where it answers nothing).
  void PaintAndCompare(const std::function<std::optional<std::uint32_t>(int x, int y)>& expected) {
    const std::uint32_t background = Pixel(kBackground);
    surface.Fill(background);
    scene.ActiveLayer()->TVornControl::Paint();
    int wrong = 0;
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        const std::optional<std::uint32_t> want_any = expected(x, y);
        if (!want_any) continue;
        const std::uint32_t want = *want_any;
        if (surface.GetPixel(x, y) != want && ++wrong <= 5) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << surface.GetPixel(x, y)
                        << ", expected " << want;
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
  std::uint32_t Bg() { return Pixel(kBackground); }
  static bool In(int x, int y, TRect r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

  TMemoryDIBX surface;
  test::TTestSceneScreen screen;
  TVornBaseList scene;
};

TEST_P(BoxPaint, AlphaZeroAnd512DrawNothingButTheChildren) {
  for (const std::int32_t alpha : {0, 512, 513, -1}) {
    SCOPED_TRACE(alpha);
    scene.ResetScene();
    TVornBox* box = NewBox(scene.ActiveLayer(), {10, 10, 30, 30}, kRed);
    box->SetAlpha(alpha);
    NewBox(box, {2, 2, 6, 6}, kGreen);
    const std::uint32_t green = Pixel(kGreen);
    PaintAndCompare([&](int x, int y) -> std::optional<std::uint32_t> {
      if (In(x, y, {12, 12, 16, 16})) return green;
      return Bg();
    });
  }
}

TEST_P(BoxPaint, ABorderWithoutColourFillsOnlyTheInnerRectangle) {
  TVornBox* box = NewBox(scene.ActiveLayer(), {10, 10, 30, 30}, kRed);
  box->SetBorderWidth(3);
  box->SetBorderColor(-1);
  const std::uint32_t red = Pixel(kRed);
  PaintAndCompare([&](int x, int y) -> std::optional<std::uint32_t> {
    if (In(x, y, {13, 13, 27, 27})) return red;
    return Bg();
  });
}

TEST_P(BoxPaint, ABorderedBoxFramesAndFillsInsideItsRectangle) {
  TVornBox* box = NewBox(scene.ActiveLayer(), {10, 10, 30, 30}, kRed);
  box->SetBorderWidth(2);
  box->SetBorderColor(kWhite);
  const std::uint32_t red = Pixel(kRed);
  const std::uint32_t white = Pixel(kWhite);
  PaintAndCompare([&](int x, int y) -> std::optional<std::uint32_t> {
    if (In(x, y, {12, 12, 28, 28})) return red;
    if (In(x, y, {10, 10, 30, 30})) return white;
    return Bg();
  });
}

TEST_P(BoxPaint, Alpha384AddsTheColourAtHalfStrength) {
  TVornBox* box = NewBox(scene.ActiveLayer(), {0, 0, kSize, kSize}, kRed);
  box->SetAlpha(384);
  const std::uint32_t added = Added(GetParam(), Pixel(kBackground), Pixel(AdditiveColour(kRed, 384)));
  EXPECT_EQ(AdditiveColour(kRed, 384), 127);
  PaintAndCompare([&](int, int) -> std::optional<std::uint32_t> { return added; });
  // On black: 127 of red.
  surface.Fill(0);
  scene.ActiveLayer()->TVornControl::Paint();
  EXPECT_EQ(surface.GetPixel(5, 5), Pixel(0x00007F));
}

TEST_P(BoxPaint, AdditiveFramesSaturate) {
  TVornBox* box = NewBox(scene.ActiveLayer(), {10, 10, 30, 30}, -1);
  box->SetBorderWidth(1);
  box->SetBorderColor(kWhite);
  box->SetAlpha(511);
  const std::uint32_t added = Added(GetParam(), Pixel(kBackground), Pixel(AdditiveColour(kWhite, 511)));
  PaintAndCompare([&](int x, int y) -> std::optional<std::uint32_t> {
    if (In(x, y, {11, 11, 29, 29})) return Bg();
    if (In(x, y, {10, 10, 30, 30})) return added;
    return Bg();
  });
}

TEST_P(BoxPaint, Alpha128BlendsOverTheBackground) {
  TVornBox* box = NewBox(scene.ActiveLayer(), {10, 10, 30, 30}, kRed);
  box->SetAlpha(128);
  const std::uint32_t blended = Blended(GetParam(), Pixel(kBackground), Pixel(kRed), 128);
  PaintAndCompare([&](int x, int y) -> std::optional<std::uint32_t> {
    if (In(x, y, {10, 10, 30, 30})) return blended;
    return Bg();
  });
}

TEST_P(BoxPaint, Alpha255GivesTheExactColour) {
  NewBox(scene.ActiveLayer(), {0, 0, kSize, kSize}, kRed);
  surface.Fill(0);
  scene.ActiveLayer()->TVornControl::Paint();
  EXPECT_EQ(surface.GetPixel(3, 3), Pixel(kRed));
  // What the blended fill would have made of it.
  if (GetParam().bits == 32) {
    EXPECT_NE(Blended(GetParam(), 0, Pixel(kRed), 255), Pixel(kRed));
  }
}

// A frame band wider than the box must stay inside it: the parent's drawing rectangle is wider.
TEST_P(BoxPaint, WideBordersStayInsideTheBox) {
  TVornBox* parent = NewBox(scene.ActiveLayer(), {0, 0, kSize, kSize}, kGreen);
  const std::uint32_t green = Pixel(kGreen);
  const std::uint32_t white = Pixel(kWhite);
  struct Case {
    TRect bounds;
    std::int32_t border;
  };
  for (const Case& c : {Case{{5, 5, 15, 15}, 12}, Case{{20, 5, 24, 35}, 6}}) {
    SCOPED_TRACE(c.border);
    TVornBox* box = NewBox(parent, c.bounds, -1);
    box->SetBorderWidth(c.border);
    box->SetBorderColor(kWhite);
    PaintAndCompare([&](int x, int y) -> std::optional<std::uint32_t> {
      if (!In(x, y, c.bounds)) return green;
      return std::nullopt;  // whatever the bands make inside
    });
    box->DeleteObject();
  }
  // Wider than half the height: the top and bottom bands cover the whole box.
  TVornBox* box = NewBox(parent, {10, 10, 20, 20}, -1);
  box->SetBorderWidth(7);
  box->SetBorderColor(kWhite);
  PaintAndCompare([&](int x, int y) -> std::optional<std::uint32_t> {
    return In(x, y, {10, 10, 20, 20}) ? white : green;
  });
}

INSTANTIATE_TEST_SUITE_P(Depths, BoxPaint,
                         ::testing::Values(Surface{32, 0xFF0000, 0x00FF00, 0x0000FF},
                                           Surface{16, 0xF800, 0x07E0, 0x001F}, Surface{15, 0x7C00, 0x03E0, 0x001F}),
                         [](const auto& info) { return "bits" + std::to_string(info.param.bits); });

}  // namespace
}  // namespace vorn
