// The label component on a scripted rasteriser: text and layout, bounds and zoom, the three paint
// paths, invalidation and hits of a turned label, films and the saved record.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "components/box.h"
#include "components/vorn_base_list.h"
#include "components/vorn_label.h"
#include "fixture/scene_record_writer.h"
#include "foundation/stream.h"
#include "foundation/system_texts.h"
#include "foundation/vr_errors.h"
#include "graphics/memory_dibx.h"
#include "support/record_bytes.h"
#include "support/log_recorder.h"
#include "support/recording_film.h"
#include "support/scripted_rasteriser.h"
#include "support/test_font_catalog.h"
#include "support/test_scene_screen.h"
#include "text/font_pixel.h"

namespace vorn {
namespace {

using test::ScriptedGlyph;

const std::string kGothic(texts::kDefaultTextFace);
const std::string kPGothic(texts::kDefaultLabelFace);

constexpr std::int32_t kRed = 0x0000FF;  // colours are 0x00BBGGRR
constexpr std::int32_t kGrey = 0x404040;
constexpr int kSize = 64;

// A glyph of one column: a full left edge, nothing else, in a box of 4 × 6 at x 1.
ScriptedGlyph LeftEdge() {
  ScriptedGlyph glyph;
  glyph.metrics.gmBlackBoxX = 4;
  glyph.metrics.gmBlackBoxY = 6;
  glyph.metrics.originX = 1;
  glyph.metrics.originY = 9;
  glyph.metrics.gmCellIncX = 6;
  glyph.coverage.assign(24, 0);
  for (int y = 0; y < 6; ++y) glyph.coverage[static_cast<std::size_t>(y) * 4] = 255;
  return glyph;
}

class LabelTest : public ::testing::Test {
 protected:
  LabelTest() : surface(kSize, kSize, 32), screen(&surface, 32) {
    installed_ = ExchangeFontPixelManager(&cache);
    scene.SetWidth(kSize);
    scene.SetHeight(kSize);
    scene.SetScreen(&screen);
    surface.Fill(Px(kGrey));
  }
  ~LabelTest() override {
    scene.ResetScene();
    ExchangeFontPixelManager(installed_);
  }

  std::uint32_t Px(std::int32_t color) { return static_cast<std::uint32_t>(surface.ColorToPixel(color)); }

  TVornLabel* NewLabel(const std::string& text, std::int32_t left = 0, std::int32_t top = 0) {
    auto* label = CreateObject<TVornLabel>(scene);
    label->SetParent(scene.ActiveLayer());
    label->SetLeft(left);
    label->SetTop(top);
    label->SetFontColor(kRed);
    label->SetText(text);
    return label;
  }

  void PaintScene() {
    surface.Fill(Px(kGrey));
    scene.ActiveLayer()->TVornControl::Paint();
  }

  // Pixels that are not the background, and their bounding box.
  int Inked(TRect* box = nullptr) {
    int count = 0;
    TRect found{};
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        if (surface.GetPixel(x, y) == Px(kGrey)) continue;
        ++count;
        const TRect pixel{x, y, x + 1, y + 1};
        found = RectIsEmpty(found) ? pixel : UnionRect(found, pixel);
      }
    }
    if (box != nullptr) *box = found;
    return count;
  }

  test::TestFontCatalog catalog{{kGothic, kPGothic}, {kGothic}};
  test::ScriptedRasteriser raster;
  TFontPixelManager cache;
  TMemoryDIBX surface;
  test::TTestSceneScreen screen;
  TVornBaseList scene;

 private:
  TFontPixelManager* installed_ = nullptr;
};

// ---- properties and text ----

TEST_F(LabelTest, DefaultsAreTheLabelsOwn) {
  auto* label = CreateObject<TVornLabel>(scene);
  EXPECT_EQ(label->GetCompoType(), 9);
  EXPECT_EQ(label->GetFontName(), kPGothic);
  EXPECT_EQ(label->GetFontHeight(), 12);
  EXPECT_EQ(label->GetAlpha(), 255);
  EXPECT_EQ(label->GetZoomX(), 256);
  EXPECT_EQ(label->GetZoomY(), 256);
  EXPECT_EQ(label->GetText(), "");
  EXPECT_EQ(label->GetFontStyle(), TFontStyleSet{});
  EXPECT_EQ(label->GetLineSpace(), 0);
  EXPECT_EQ(label->GetFontColor(), 0);
  EXPECT_EQ(label->GetHAlign(), 0);
  EXPECT_FALSE(label->GetAntiAlias());
  EXPECT_EQ(label->GetAngle(), 0);
  EXPECT_FALSE(label->GetFlipH());
  EXPECT_FALSE(label->GetFlipV());
  EXPECT_EQ(label->GetSource(), "");
  EXPECT_FALSE(label->GetRepeat());
  EXPECT_FALSE(label->GetAutoScrap());
  EXPECT_FALSE(label->GetPaused());
  EXPECT_EQ(label->GetOnPlayEnd(), "");
  EXPECT_EQ(label->GetOnIdle(), "");
  EXPECT_EQ(scene.CreateComponent(9)->GetCompoType(), 9);
}

TEST_F(LabelTest, TextSplitsAtEveryLineBreakAndReadsBackJoinedByCrLf) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
    std::string read_back;
  };
  const Case cases[] = {
      {"a\r\n", {"a"}, "a"},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}, "a\r\nb\r\nc\r\nd"},
      {"a\n\nb", {"a", "", "b"}, "a\r\n\r\nb"},
      {"\r\n", {""}, ""},
      {"a\n\r", {"a", ""}, "a\r\n"},
      {"", {}, ""},
  };
  TVornLabel* label = NewLabel("x");
  for (const Case& c : cases) {
    label->SetText(c.text);
    EXPECT_EQ(label->Lines(), c.lines) << c.text;
    EXPECT_EQ(label->GetText(), c.read_back) << c.text;
  }
}

TEST_F(LabelTest, TheSameTextLaysOutNothing) {
  TVornLabel* label = NewLabel("AB");
  const int layouts = label->LayoutCount();
  label->SetText("AB");
  label->SetText("AB\r\n");  // the same lines
  EXPECT_EQ(label->LayoutCount(), layouts);
  label->SetText("AC");
  EXPECT_EQ(label->LayoutCount(), layouts + 1);
  label->SetFontColor(kRed);  // unchanged
  EXPECT_EQ(label->LayoutCount(), layouts + 1);
}

// The scripted font: a one-byte character at size s is a box of s / 2 − 2 at x 1 with 1 to spare.
TEST_F(LabelTest, NaturalSizeIsTheWidestLineByTheLineHeight) {
  TVornLabel* label = NewLabel("AB\r\nA\r\n\x82\xA0" "A", 3, 4);
  EXPECT_EQ(label->Advances(), (std::vector<std::vector<std::int32_t>>{{6, 6}, {6}, {12, 6}}));
  EXPECT_EQ(label->LineWidths(), (std::vector<std::int32_t>{12, 6, 18}));
  EXPECT_EQ(label->NaturalWidth(), 18);
  EXPECT_EQ(label->NaturalHeight(), 36);
  label->SetLineSpace(2);
  EXPECT_EQ(label->NaturalHeight(), 42);
  EXPECT_EQ(label->GetBoundsRect(), (TRect{3, 4, 21, 46}));
  label->SetLineSpace(-12);  // no height left: no surfaces
  EXPECT_EQ(label->NaturalHeight(), 0);
  EXPECT_EQ(label->ColorSurface(), nullptr);
  label->SetLineSpace(0);
  label->SetFontHeight(0);
  EXPECT_EQ(label->NaturalWidth(), 0);
  EXPECT_EQ(label->ColorSurface(), nullptr);
  PaintScene();
  EXPECT_EQ(Inked(), 0);
}

TEST_F(LabelTest, ZoomScalesTheBoundsAndStoresOneForZeroOrLess) {
  TVornLabel* label = NewLabel("ABC");  // 18 × 12
  struct Case {
    std::int32_t zoom;
    std::int32_t stored;
    std::int32_t width;
  };
  const Case cases[] = {{512, 512, 36}, {128, 128, 9}, {300, 300, 21}, {0, 1, 0}, {-5, 1, 0},
                        {INT32_MAX, INT32_MAX, static_cast<std::int32_t>(std::int64_t{18} * INT32_MAX / 256)}};
  for (const Case& c : cases) {
    label->SetZoomX(c.zoom);
    EXPECT_EQ(label->GetZoomX(), c.stored) << c.zoom;
    EXPECT_EQ(label->GetWidth(), c.width) << c.zoom;
  }
  label->SetZoomY(512);
  EXPECT_EQ(label->GetHeight(), 24);
}

TEST_F(LabelTest, AntiAliasPicksTheCacheQuality) {
  TVornLabel* label = NewLabel("A");
  EXPECT_EQ(cache.Quality(), 0);
  label->SetAntiAlias(true);
  EXPECT_EQ(cache.Quality(), 3);
  cache.SetQuality(1);
  label->SetText("B");  // every layout sets it again
  EXPECT_EQ(cache.Quality(), 3);
}

TEST_F(LabelTest, AnEmptyFaceLaysOutWithTheFixedPitchFace) {
  ScriptedGlyph narrow;
  narrow.metrics.gmBlackBoxX = 1;
  narrow.metrics.gmBlackBoxY = 6;
  narrow.metrics.originX = 1;
  narrow.metrics.originY = 9;
  narrow.metrics.gmCellIncX = 3;
  narrow.coverage.assign(6, 255);
  raster.faceGlyphs[kPGothic]['i'] = narrow;
  TVornLabel* label = NewLabel("iW");
  EXPECT_EQ(label->Advances()[0], (std::vector<std::int32_t>{3, 6}));
  label->SetFontName("");
  EXPECT_EQ(label->Advances()[0], (std::vector<std::int32_t>{6, 6}));
  EXPECT_EQ(raster.records.back().FaceName(), kGothic);
}

TEST_F(LabelTest, HAlignPlacesEachLineWithinTheWidestAndInkRectanglesFollowTheLines) {
  struct Case {
    std::uint8_t align;
    std::int32_t second_left;
  };
  // Line two is 6 of 12 wide; its box starts 1 into its cell.
  for (const Case& c : {Case{0, 1}, Case{1, 4}, Case{2, 7}, Case{5, 1}}) {
    TVornLabel* label = NewLabel("AB\r\nA");
    label->SetHAlign(c.align);
    ASSERT_EQ(label->InkRects().size(), 2u) << int(c.align);
    EXPECT_EQ(label->InkRects()[0], (TRect{1, 0, 11, 6}));
    EXPECT_EQ(label->InkRects()[1], (TRect{c.second_left, 12, c.second_left + 4, 18})) << int(c.align);
    label->DeleteObject();
  }
  // A line of spaces inks nothing and has no rectangle.
  TVornLabel* label = NewLabel("A\r\n  \r\nA");
  ASSERT_EQ(label->InkRects().size(), 2u);
  EXPECT_EQ(label->InkRects()[1].top, 24);
}

TEST_F(LabelTest, SurfacesFollowTheLayersDepth) {
  TMemoryDIBX shallow(kSize, kSize, 16);
  screen.surface = &shallow;
  screen.bit_count = 16;
  scene.SetScreen(&screen);
  TVornLabel* label = NewLabel("A");
  ASSERT_NE(label->ColorSurface(), nullptr);
  EXPECT_EQ(label->ColorSurface()->GetBitCount(), scene.ActiveLayer()->GetSurface() != nullptr
                                                      ? scene.ActiveLayer()->ChildSurface()->GetBitCount()
                                                      : 16);
  EXPECT_EQ(label->AlphaSurface()->GetBitCount(), 8);
}

// ---- paint ----

TEST_F(LabelTest, AtNaturalSizeTheTextColourGoesThroughTheAlphaSurface) {
  NewLabel("A", 10, 20);
  PaintScene();
  TRect box{};
  EXPECT_EQ(Inked(&box), 24);
  EXPECT_EQ(box, (TRect{11, 20, 15, 26}));
  // The colour mask's pixel at full coverage: the colour weighed by 255 / 256, none of the grey.
  EXPECT_EQ(surface.GetPixel(11, 20), Px(0x0000FE));
}

TEST_F(LabelTest, AtNaturalSizeFlipsAreIgnoredAndAlphaAbove255IsNoAddition) {
  raster.glyphs['L'] = LeftEdge();
  TVornLabel* label = NewLabel("L", 10, 20);
  // The ink box from the label's corner (a flip moves the corner about the anchor).
  const auto ink_from_corner = [&] {
    TRect box{};
    Inked(&box);
    const TRect bounds = label->GetScreenRect();
    return TRect{box.left - bounds.left, box.top - bounds.top, box.right - bounds.left, box.bottom - bounds.top};
  };
  PaintScene();
  EXPECT_EQ(Inked(), 6);
  const TRect plain = ink_from_corner();
  EXPECT_EQ(plain, (TRect{1, 0, 2, 6}));
  TRect at{};
  Inked(&at);
  const std::uint32_t opaque = surface.GetPixel(at.left, at.top);
  label->SetFlipH(true);
  label->SetFlipV(true);
  PaintScene();
  EXPECT_EQ(Inked(), 6);
  EXPECT_EQ(ink_from_corner(), plain) << "drawn unmirrored";
  label->SetFlipH(false);
  label->SetFlipV(false);
  label->SetAlpha(300);
  PaintScene();
  // The colour mask draws 300 as opaque: the grey is replaced, not added to.
  EXPECT_EQ(surface.GetPixel(at.left, at.top), opaque);
}

TEST_F(LabelTest, ZoomedLabelsStretchWithTheFlipsAndAddAbove255) {
  raster.glyphs['L'] = LeftEdge();
  TVornLabel* label = NewLabel("L", 10, 20);  // 6 × 12, its edge at x 1, 6 high
  label->SetZoomX(512);
  PaintScene();
  TRect box{};
  EXPECT_EQ(Inked(&box), 12);
  EXPECT_EQ(box, (TRect{12, 20, 14, 26}));
  label->SetFlipH(true);
  PaintScene();
  EXPECT_EQ(Inked(&box), 12);
  const TRect bounds = label->GetScreenRect();
  EXPECT_GE(box.left - bounds.left, 8) << "mirrored within the bounds";
  EXPECT_LE(box.right, bounds.right);
  label->SetFlipH(false);
  label->SetAlpha(384);
  PaintScene();
  ASSERT_EQ(Inked(&box), 12);
  // Added at half strength: the grey stays in green and blue, red rises.
  const std::uint32_t added = surface.GetPixel(box.left, box.top);
  EXPECT_EQ(added & 0x00FF00u, Px(kGrey) & 0x00FF00u);
  EXPECT_GT((added >> 16) & 0xFF, 0x40u);
}

TEST_F(LabelTest, NothingIsPaintedWithoutLinesOrAtAlphaZeroChildrenIncluded) {
  for (const bool no_lines : {true, false}) {
    TVornLabel* label = NewLabel(no_lines ? "" : "A", 5, 5);
    label->SetWidth(30);
    label->SetHeight(30);
    auto* child = CreateObject<TVornBox>(scene);
    child->SetParent(label);
    child->SetBounds(0, 0, 10, 10);
    child->SetColor(kRed);
    if (!no_lines) label->SetAlpha(0);
    PaintScene();
    EXPECT_EQ(Inked(), 0) << no_lines;
    scene.ResetScene();
  }
}

TEST_F(LabelTest, ATurnedLabelDrawsRotatedAndInvalidatesItsTurnedBox) {
  TVornLabel* label = NewLabel("AAAA", 20, 20);  // 24 × 12
  label->SetOffsetX(12);
  label->SetOffsetY(6);
  const TRect upright = label->GetScreenRect();
  EXPECT_EQ(upright, (TRect{8, 14, 32, 26}));
  label->SetAngle(64);  // a quarter turn about the centre
  const TRect turned = label->GetScreenRect();
  EXPECT_NEAR(turned.right - turned.left, 12, 2);
  EXPECT_NEAR(turned.bottom - turned.top, 24, 2);
  PaintScene();
  TRect box{};
  EXPECT_GT(Inked(&box), 0);
  EXPECT_TRUE(RectIsEmpty(box) || (box.left >= turned.left && box.right <= turned.right && box.top >= turned.top &&
                                   box.bottom <= turned.bottom));
  EXPECT_GT(box.bottom - box.top, box.right - box.left) << "standing upright after a quarter turn";
  // The low byte alone turns.
  label->SetAngle(256);
  EXPECT_EQ(label->GetScreenRect(), upright);
}

TEST_F(LabelTest, HitsTurnThePointBackAboutTheCentre) {
  TVornLabel* label = NewLabel("AAAA", 20, 20);  // 24 × 12 at (8, 14) with the centre on (20, 20)
  label->SetOffsetX(12);
  label->SetOffsetY(6);
  const TPoint near_left{9, 20};
  EXPECT_EQ(label->HitTest(near_left, 1), label);
  EXPECT_EQ(label->HitTest(TPoint{20, 20}, 1), label);
  label->SetAngle(64);
  EXPECT_EQ(label->HitTest(near_left, 1), nullptr) << "the turned label is narrow";
  EXPECT_EQ(label->HitTest(TPoint{20, 20}, 1), label);
  EXPECT_EQ(label->HitTest(TPoint{21, 15}, 1), label);
}

// ---- motion ----

TEST_F(LabelTest, AMotionFileAsSourceBecomesItsFilmAndRepeatRestartsAnEndedOne) {
  testing::TRecordingFilmMaker films;
  films.missing = {"gone.vmn"};
  TVornLabel* label = NewLabel("A");
  label->SetName("l");
  label->SetSource("move.VMN");
  ASSERT_TRUE(label->HasMotion());
  EXPECT_EQ(films.log, (std::vector<std::string>{"0 create l", "0 load move.VMN"}));
  films.films[0]->ended = true;
  label->SetRepeat(true);
  EXPECT_EQ(films.log.back(), "0 restart");
  label->SetSource("still.txt");
  EXPECT_FALSE(label->HasMotion());
  EXPECT_EQ(label->GetSource(), "still.txt");
  EXPECT_THROW(label->SetSource("gone.vmn"), EVrFileNotFound);
  EXPECT_FALSE(label->HasMotion());
  scene.ResetScene();  // the films go before their maker
}

// ---- fonts missing ----

TEST(LabelWithoutFonts, AnEmptyCatalogueLogsOnceAndLeavesTheGlyphsBlank) {
  platform::FixedFontCatalog none(std::vector<platform::FontFace>{});
  platform::SetActiveFontCatalog(&none);
  test::LogRecorder log;
  TFontPixelManager cache;
  TFontPixelManager* installed = ExchangeFontPixelManager(&cache);
  {
    TMemoryDIBX surface(32, 32, 32);
    test::TTestSceneScreen screen(&surface, 32);
    TVornBaseList scene;
    scene.SetScreen(&screen);
    auto* label = CreateObject<TVornLabel>(scene);
    label->SetParent(scene.ActiveLayer());
    label->SetFontHeight(24);
    label->SetText("\x82\xA0" "A");
    label->SetText("A\x82\xA0");
    EXPECT_TRUE(label->InkRects().empty());
    EXPECT_GT(label->NaturalWidth(), 0);
    surface.Fill(0);
    EXPECT_NO_THROW(scene.ActiveLayer()->TVornControl::Paint());
    scene.ResetScene();
  }
  ExchangeFontPixelManager(installed);
  platform::SetActiveFontCatalog(nullptr);
  EXPECT_EQ(log.Lines().size(), 1u);
}

// ---- the saved record ----

using test::RecordBytes;

// The label's own fields after its control record.
std::vector<std::uint8_t> LabelFields(bool later_fields, std::int32_t zoom_y) {
  RecordBytes r;
  r.Str("");                  // font name: the fixed-pitch face
  r.I32(12);                  // font height
  r.I32(2);                   // line space
  r.U8(1);                    // font style: bold
  r.I32(200);                 // alpha
  r.I32(0x0000FF);            // font colour
  r.U8(1);                    // horizontal alignment: centre
  r.U8(1);                    // anti-alias
  r.U8(1);                    // flip h
  r.U8(0);                    // flip v
  r.I32(3);                   // angle
  r.I32(512);                 // zoom x
  r.Str("AB\r\nA");           // text
  if (later_fields) {
    r.Str("p.vsb:idle");      // on idle
    r.Str("");                // source
    r.U8(1);                  // repeat
    r.U8(1);                  // auto scrap
    r.Str("p.vsb:end");       // on play end
    r.U8(1);                  // paused
    r.I32(zoom_y);            // zoom y
  }
  return r.bytes;
}

std::vector<std::uint8_t> LabelScene(std::int32_t version, std::int32_t zoom_y) {
  fixture::SavedScene saved;
  saved.width = kSize;
  saved.height = kSize;
  fixture::SavedComponent label;
  label.kind = 9;
  label.name = "l";
  label.control.left = 4;
  label.control.top = 5;
  // The bounds the fields below give: 12 × 28 at natural size, zoomed.
  label.control.width = 24;
  label.control.height = zoom_y >= 1 ? 28 * zoom_y / 256 : 28;
  label.class_bytes = LabelFields(version >= 104, zoom_y);
  saved.layers[0].children.push_back(label);
  return fixture::SceneRecordBytes(saved, version);
}

TEST_F(LabelTest, TheRecordLoadsEveryFieldAndSavesTheSameBytes) {
  const std::vector<std::uint8_t> bytes = LabelScene(134, 512);
  TMemoryStream in(bytes);
  scene.LoadFromStream(in, 134);
  auto* label = dynamic_cast<TVornLabel*>(scene.FindControl("l"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->GetFontName(), "");
  EXPECT_EQ(label->GetFontHeight(), 12);
  EXPECT_EQ(label->GetLineSpace(), 2);
  EXPECT_EQ(label->GetFontStyle().ToBits(), 1);
  EXPECT_EQ(label->GetAlpha(), 200);
  EXPECT_EQ(label->GetFontColor(), 0x0000FF);
  EXPECT_EQ(label->GetHAlign(), 1);
  EXPECT_TRUE(label->GetAntiAlias());
  EXPECT_TRUE(label->GetFlipH());
  EXPECT_FALSE(label->GetFlipV());
  EXPECT_EQ(label->GetAngle(), 3);
  EXPECT_EQ(label->GetZoomX(), 512);
  EXPECT_EQ(label->GetText(), "AB\r\nA");
  EXPECT_EQ(label->GetOnIdle(), "p.vsb:idle");
  EXPECT_TRUE(label->GetRepeat());
  EXPECT_TRUE(label->GetAutoScrap());
  EXPECT_EQ(label->GetOnPlayEnd(), "p.vsb:end");
  EXPECT_TRUE(label->GetPaused());
  EXPECT_EQ(label->GetZoomY(), 512);
  // Laid out by the text: 12 × 28 at natural size, both zooms applied to the bounds.
  EXPECT_EQ(label->NaturalWidth(), 12);
  EXPECT_EQ(label->NaturalHeight(), 28);
  EXPECT_EQ(label->GetWidth(), 24);
  EXPECT_EQ(label->GetHeight(), 56);
  TMemoryStream out;
  scene.SaveToStream(out);
  EXPECT_EQ(out.Bytes(), bytes);
}

TEST_F(LabelTest, AnOlderRecordHasNoLaterFieldsAndKeepsTheVerticalZoom) {
  TMemoryStream in(LabelScene(103, 0));
  scene.LoadFromStream(in, 103);
  auto* label = dynamic_cast<TVornLabel*>(scene.FindControl("l"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(in.Remaining(), 0);
  EXPECT_EQ(label->GetZoomY(), 256);
  EXPECT_EQ(label->GetHeight(), 28);
  EXPECT_EQ(label->GetOnIdle(), "");
}

TEST_F(LabelTest, ASourceInTheRecordLoadsItsFilm) {
  testing::TRecordingFilmMaker films;
  fixture::SavedScene saved;
  fixture::SavedComponent label;
  label.kind = 9;
  label.name = "l";
  // The fields of LabelFields with the source "a.vmn".
  RecordBytes head;
  head.Str("").I32(12).I32(2).U8(1).I32(200).I32(0xFF).U8(1).U8(1).U8(1).U8(0).I32(3).I32(512).Str("AB\r\nA");
  head.Str("p.vsb:idle").Str("a.vmn").U8(0).U8(0).Str("").U8(0).I32(256);
  label.class_bytes = head.bytes;
  saved.layers[0].children.push_back(label);
  TMemoryStream in(fixture::SceneRecordBytes(saved, 134));
  scene.LoadFromStream(in, 134);
  auto* loaded = dynamic_cast<TVornLabel*>(scene.FindControl("l"));
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(loaded->HasMotion());
  EXPECT_EQ(films.log.back(), "0 load a.vmn");
  scene.ResetScene();  // the film goes before its maker
}

}  // namespace
}  // namespace vorn
