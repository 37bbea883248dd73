// The label cache on a scripted rasteriser: defaults, measuring with its width table, rendering,
// both drawing branches and the style record.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/stream.h"
#include "foundation/system_texts.h"
#include "graphics/memory_dibx.h"
#include "support/scripted_rasteriser.h"
#include "support/test_font_catalog.h"
#include "text/font_pixel.h"
#include "text/zk_label_list.h"

namespace vorn {
namespace {

using test::ScriptedGlyph;
using test::ScriptedRasteriser;

const std::string kGothic(texts::kDefaultTextFace);
const std::string kPGothic(texts::kDefaultLabelFace);

constexpr std::int32_t kRed = 0x0000FF;  // colours are 0x00BBGGRR
constexpr std::int32_t kBlue = 0xFF0000;
constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kGreen = 0x00FF00;

class LabelListTest : public ::testing::Test {
 protected:
  LabelListTest() { installed_ = ExchangeFontPixelManager(&cache); }
  ~LabelListTest() override { ExchangeFontPixelManager(installed_); }

  // One label of the text in the list, measured.
  TZkLabelDIB* Label(const std::string& text) {
    TZkLabelDIB* label = list.AddLabel();
    label->SetText(text);
    list.Measure();
    return label;
  }

  test::TestFontCatalog catalog{{kGothic, kPGothic}, {kGothic}};
  ScriptedRasteriser raster;
  TFontPixelManager cache;
  TZkLabelList list;

 private:
  TFontPixelManager* installed_ = nullptr;
};

// The bounding box of the target's pixels equal to a value (empty when none).
TRect BoxOf(TMemoryDIBX& surface, std::uint32_t value) {
  TRect box{};
  for (int y = 0; y < surface.GetHeight(); ++y) {
    for (int x = 0; x < surface.GetWidth(); ++x) {
      if (surface.GetPixel(x, y) != value) continue;
      const TRect pixel{x, y, x + 1, y + 1};
      box = RectIsEmpty(box) ? pixel : UnionRect(box, pixel);
    }
  }
  return box;
}

int CountOf(TMemoryDIBX& surface, std::uint32_t value) {
  int count = 0;
  for (int y = 0; y < surface.GetHeight(); ++y) {
    for (int x = 0; x < surface.GetWidth(); ++x) count += surface.GetPixel(x, y) == value ? 1 : 0;
  }
  return count;
}

TEST_F(LabelListTest, CreateGivesTheDefaultStyle) {
  EXPECT_EQ(list.quality, 3);
  EXPECT_EQ(list.border_width, 0);
  EXPECT_EQ(list.opacity, 255);
  EXPECT_EQ(list.font_size, 12);
  EXPECT_EQ(list.face, kPGothic);
  EXPECT_EQ(list.text_color, 0xFFFFFF);
  EXPECT_EQ(list.border_color, 0);
  EXPECT_EQ(list.flags, 0);
  EXPECT_EQ(list.shadow_offset, 0);
  EXPECT_EQ(list.shadow_color, 0);
  EXPECT_EQ(list.target, nullptr);
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(LabelListTest, LabelsAreAddedEmptyAndFoundOnlyInsideTheRange) {
  TZkLabelDIB* first = list.AddLabel();
  TZkLabelDIB* second = list.AddLabel();
  EXPECT_EQ(first->Text(), "");
  EXPECT_EQ(list.GetLabel(0), first);
  EXPECT_EQ(list.GetLabel(1), second);
  EXPECT_EQ(list.GetLabel(2), nullptr);
  EXPECT_EQ(list.GetLabel(-1), nullptr);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.GetLabel(0), nullptr);
}

// The scripted font: a one-byte character of size s has A 1, B s / 2 − 2, C 1.
TEST_F(LabelListTest, MeasureSizesLabelsByAbcWidthsBorderAndShadow) {
  struct Case {
    std::int32_t border;
    std::int32_t shadow;
    std::int32_t char_width;
    std::int32_t height;
  };
  const Case cases[] = {{0, 0, 6, 12}, {1, 0, 8, 14}, {0, 2, 8, 14}, {1, 2, 10, 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.border) + " " + std::to_string(c.shadow));
    list.Clear();
    list.border_width = c.border;
    list.shadow_offset = c.shadow;
    TZkLabelDIB* label = Label("AB");
    EXPECT_EQ(label->CharWidths(), (std::vector<std::int32_t>{c.char_width, c.char_width}));
    EXPECT_EQ(label->Width(), 2 * c.char_width);
    EXPECT_EQ(label->Height(), c.height);
  }
  // A double-byte character is one character.
  list.Clear();
  list.border_width = 0;
  list.shadow_offset = 0;
  EXPECT_EQ(Label("\x82\xA0")->CharWidths(), (std::vector<std::int32_t>{12}));
}

TEST_F(LabelListTest, TheLastCharacterKeepsItsRightOverhangAndTheTableKeepsThatWidth) {
  ScriptedGlyph b;
  b.abc = {1, 4, -2};  // 3 wide, reaching 2 beyond its advance
  b.abcSet = true;
  raster.glyphs['b'] = b;
  TZkLabelDIB* alone = Label("ba");
  EXPECT_EQ(alone->CharWidths(), (std::vector<std::int32_t>{3, 6}));
  list.Clear();
  TZkLabelDIB* ab = list.AddLabel();
  ab->SetText("ab");
  TZkLabelDIB* ba = list.AddLabel();
  ba->SetText("ba");
  list.Measure();
  EXPECT_EQ(ab->CharWidths(), (std::vector<std::int32_t>{6, 5}));
  // "b" now comes from the table with the widened width: wider than "ba" alone.
  EXPECT_EQ(ba->CharWidths(), (std::vector<std::int32_t>{5, 6}));
  EXPECT_EQ(ba->Width(), 11);
  EXPECT_EQ(list.MaxWidth(), 11);
}

TEST_F(LabelListTest, MeasureWritesTheMetricFieldsAndKeepsTheRestOfTheRecord) {
  for (std::size_t i = 0; i < list.metrics.size(); ++i) list.metrics[i] = static_cast<std::uint8_t>(0xA0 + i % 16);
  list.font_size = 20;
  Label("A");
  const auto at = [&](std::size_t offset) {
    return static_cast<std::int32_t>(list.metrics[offset] | list.metrics[offset + 1] << 8 |
                                     list.metrics[offset + 2] << 16 | list.metrics[offset + 3] << 24);
  };
  EXPECT_EQ(at(0), 212);
  EXPECT_EQ(at(4), 20);   // height
  EXPECT_EQ(at(8), 15);   // ascent
  EXPECT_EQ(at(12), 5);   // descent
  EXPECT_EQ(at(36), 0);   // overhang
  EXPECT_EQ(at(180), 1);  // strike-out size
  EXPECT_EQ(at(184), 5);  // strike-out position
  EXPECT_EQ(list.metrics[16], 0xA0);
  EXPECT_EQ(list.metrics[100], 0xA4);
  EXPECT_EQ(list.metrics[211], 0xA3);
}

TEST_F(LabelListTest, SettingTheSameTextLeavesARenderedLabelClean) {
  TZkLabelDIB* label = Label("AB");
  EXPECT_TRUE(label->IsDirty());
  label->Render();
  EXPECT_FALSE(label->IsDirty());
  label->SetText("AB");
  EXPECT_FALSE(label->IsDirty());
  label->SetText("AC");
  EXPECT_TRUE(label->IsDirty());
  label->Render();
  list.Invalidate();
  EXPECT_TRUE(label->IsDirty());
}

TEST_F(LabelListTest, SetFontSizeMeasuresAgainAndMarksEveryLabelDirty) {
  TZkLabelDIB* label = Label("AB");
  label->Render();
  list.SetFontSize(20);
  EXPECT_EQ(label->Width(), 20);
  EXPECT_EQ(label->Height(), 20);
  EXPECT_TRUE(label->IsDirty());
}

TEST_F(LabelListTest, RenderResizesOnlyOnASizeOrDepthChange) {
  TMemoryDIBX target(8, 8, 32);
  list.target = &target;
  TZkLabelDIB* label = Label("AB");
  label->Render();
  TCustomDIBX& color = label->ColorSurface();
  EXPECT_EQ(color.GetWidth(), 12);
  EXPECT_EQ(color.GetHeight(), 12);
  EXPECT_EQ(color.GetBitCount(), 32);
  EXPECT_EQ(label->AlphaSurface().GetBitCount(), 8);
  const std::uint8_t* pixels = color.Lock(0, 0);
  label->SetText("CD");  // same size
  label->Render();
  EXPECT_EQ(color.Lock(0, 0), pixels);
  target.SetSize(8, 8, 16);
  label->Render();
  EXPECT_EQ(color.GetBitCount(), 16);
  EXPECT_EQ(label->AlphaSurface().GetBitCount(), 8);
}

class LabelDrawTest : public LabelListTest {
 protected:
  LabelDrawTest() : target(30, 20, 32) {
    list.text_color = kRed;
    list.border_color = kBlue;
    target.Fill(Px(kWhite));
  }
  std::uint32_t Px(std::int32_t color) { return static_cast<std::uint32_t>(target.ColorToPixel(color)); }
  TMemoryDIBX target;
};

TEST_F(LabelDrawTest, WithoutBorderTheTextColourGoesThroughTheAlphaSurface) {
  // The colour-mask blit weighs the colour by coverage / 256: full coverage of red over white
  // gives red 254 and nothing of the white.
  const std::uint32_t inked = Px(0x0000FE);
  TZkLabelDIB* label = Label("A");
  label->Draw(target, 2, 3);
  // The 4 × 6 box of "A" at x 1 of its cell, at the cell top.
  EXPECT_EQ(BoxOf(target, inked), (TRect{3, 3, 7, 9}));
  EXPECT_EQ(CountOf(target, inked), 24);
  EXPECT_EQ(CountOf(target, Px(kWhite)), 30 * 20 - 24);
  // The colour surface plays no part: the text colour is written whatever it holds.
  label->ColorSurface().Fill(label->ColorSurface().ColorToPixel(kGreen));
  target.Fill(Px(kWhite));
  label->Draw(target, 2, 3);
  EXPECT_EQ(CountOf(target, inked), 24);
  EXPECT_EQ(CountOf(target, Px(kGreen)), 0);
}

TEST_F(LabelDrawTest, WithABorderTheColourSurfaceIsDrawnThroughTheAlphaSurface) {
  list.border_width = 1;
  TZkLabelDIB* label = Label("A");
  label->Draw(target, 2, 3);
  const TRect red = BoxOf(target, Px(kRed));
  ASSERT_EQ(red.right - red.left, 4);
  ASSERT_EQ(red.bottom - red.top, 6);
  // A one-pixel ring of the border colour round the full block.
  EXPECT_EQ(BoxOf(target, Px(kBlue)), (TRect{red.left - 1, red.top - 1, red.right + 1, red.bottom + 1}));
  EXPECT_EQ(CountOf(target, Px(kBlue)), 6 * 8 - 24);
  // Drawn from the colour surface, as it stands.
  label->ColorSurface().Fill(label->ColorSurface().ColorToPixel(kGreen));
  target.Fill(Px(kWhite));
  label->Draw(target, 2, 3);
  EXPECT_EQ(CountOf(target, Px(kGreen)), 6 * 8);
}

TEST_F(LabelDrawTest, OpacityBlendsBelowOpaqueDrawsOpaqueAboveAndNothingBelowOne) {
  for (const std::int32_t border : {0, 1}) {
    SCOPED_TRACE(border);
    list.Clear();
    list.border_width = border;
    TZkLabelDIB* label = Label("A");
    const auto draw = [&](std::int32_t opacity) {
      list.opacity = opacity;
      TMemoryDIBX out(30, 20, 32);
      out.Fill(Px(kWhite));
      label->Draw(out, 2, 3);
      return out.Bits();
    };
    const std::vector<std::uint8_t> opaque = draw(255);
    EXPECT_EQ(draw(300), opaque);
    TMemoryDIBX blank(30, 20, 32);
    blank.Fill(Px(kWhite));
    EXPECT_EQ(draw(0), blank.Bits());
    EXPECT_EQ(draw(-7), blank.Bits());
    const std::vector<std::uint8_t> half = draw(128);
    EXPECT_NE(half, opaque);
    EXPECT_NE(half, blank.Bits());
  }
}

TEST_F(LabelDrawTest, DrawRendersWhenDirtyOrWhenTheTargetDepthChanged) {
  TZkLabelDIB* label = Label("A");
  label->Draw(target, 0, 0);
  EXPECT_EQ(label->ColorSurface().GetBitCount(), 32);
  TMemoryDIBX shallow(30, 20, 16);
  shallow.Fill(static_cast<std::uint32_t>(shallow.ColorToPixel(kWhite)));
  label->Draw(shallow, 0, 0);
  EXPECT_EQ(label->ColorSurface().GetBitCount(), 16);
  EXPECT_EQ(CountOf(shallow, static_cast<std::uint32_t>(shallow.ColorToPixel(kWhite))), 30 * 20 - 24);
  // Not dirty at the same depth: the rendered pair stays as it is.
  label->AlphaSurface().Fill(0);
  label->Draw(shallow, 0, 0);
  EXPECT_EQ(label->AlphaSurface().GetPixel(2, 1), 0u);
  label->SetText("B");
  label->Draw(shallow, 0, 0);
  EXPECT_EQ(label->AlphaSurface().GetPixel(2, 1), 255u);
}

TEST_F(LabelDrawTest, AbsurdSizesRenderNothingWithoutFailing) {
  for (const std::int32_t border : {1 << 20, INT32_MAX, INT32_MIN}) {
    SCOPED_TRACE(border);
    list.Clear();
    list.border_width = border;
    TZkLabelDIB* label = Label("AB");
    label->Draw(target, 0, 0);
    EXPECT_EQ(CountOf(target, Px(kWhite)), 30 * 20);
  }
  list.Clear();
  list.border_width = 0;
  list.font_size = -5;
  Label("AB")->Draw(target, 0, 0);
  EXPECT_EQ(CountOf(target, Px(kWhite)), 30 * 20);
}

// ---- the style record ----

std::vector<std::uint8_t> Le(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
          static_cast<std::uint8_t>(u >> 24)};
}

// A style record spelled out field by field; the shadow fields only when asked for.
std::vector<std::uint8_t> StyleRecord(std::int32_t quality, bool shadow) {
  std::vector<std::uint8_t> bytes;
  const auto add = [&](const std::vector<std::uint8_t>& part) { bytes.insert(bytes.end(), part.begin(), part.end()); };
  add(Le(quality));
  add({0x01, 0x00, 0x00, 0x00});      // border width 1
  add({0xC8, 0x00, 0x00, 0x00});      // opacity 200
  add({0x10, 0x00, 0x00, 0x00});      // font size 16
  add({0x02, 0x00, 0x00, 0x00, 'A', 'B'});  // face "AB"
  add({0x33, 0x22, 0x11, 0x00});      // text colour 0x112233
  add({0x66, 0x55, 0x44, 0x00});      // border colour 0x445566
  add({0x05});                        // flags: bold, underline
  for (int i = 0; i < 212; ++i) bytes.push_back(static_cast<std::uint8_t>(i));  // metrics block
  if (shadow) {
    add({0x03, 0x00, 0x00, 0x00});    // shadow offset 3
    add({0x99, 0x88, 0x77, 0x00});    // shadow colour 0x778899
  }
  return bytes;
}

TEST(LabelStyleRecord, LoadsEveryFieldAndSavesTheSameBytes) {
  const std::vector<std::uint8_t> bytes = StyleRecord(2, true);
  TZkLabelList list;
  TMemoryStream in(bytes);
  list.LoadFromStream(in, 122);
  EXPECT_EQ(in.Remaining(), 0);
  EXPECT_EQ(list.quality, 2);
  EXPECT_EQ(list.border_width, 1);
  EXPECT_EQ(list.opacity, 200);
  EXPECT_EQ(list.font_size, 16);
  EXPECT_EQ(list.face, "AB");
  EXPECT_EQ(list.text_color, 0x112233);
  EXPECT_EQ(list.border_color, 0x445566);
  EXPECT_EQ(list.flags, 5);
  EXPECT_EQ(list.metrics[0], 0);
  EXPECT_EQ(list.metrics[211], 211);
  EXPECT_EQ(list.shadow_offset, 3);
  EXPECT_EQ(list.shadow_color, 0x778899);
  TMemoryStream out;
  list.SaveToStream(out);
  EXPECT_EQ(out.Bytes(), bytes);
}

TEST(LabelStyleRecord, BeforeTheShadowVersionTheShadowFieldsAreAbsent) {
  TZkLabelList list;
  list.shadow_offset = 9;
  TMemoryStream in(StyleRecord(3, false));
  list.LoadFromStream(in, 121);
  EXPECT_EQ(in.Remaining(), 0);
  EXPECT_EQ(list.shadow_offset, 9);
  EXPECT_EQ(list.face, "AB");
}

TEST(LabelStyleRecord, QualityIsReadByTheRecordsVersionAndClamped) {
  struct Case {
    std::int32_t version;
    std::int32_t stored;
    std::int32_t loaded;
  };
  const Case cases[] = {
      {108, 0, 0}, {108, 1, 0}, {108, 2, 3}, {108, 3, 3}, {108, 7, 3}, {108, -4, 0},
      {109, 1, 1}, {109, 2, 2}, {109, 7, 3}, {109, -4, 0}, {122, INT32_MIN, 0},
  };
  for (const Case& c : cases) {
    TZkLabelList list;
    TMemoryStream in(StyleRecord(c.stored, c.version >= 122));
    list.LoadFromStream(in, c.version);
    EXPECT_EQ(list.quality, c.loaded) << c.version << " " << c.stored;
  }
}

TEST(LabelStyleRecord, ACutRecordRaisesAReadError) {
  const std::vector<std::uint8_t> bytes = StyleRecord(3, true);
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    TZkLabelList list;
    TMemoryStream in(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
    EXPECT_THROW(list.LoadFromStream(in, 122), EReadError) << length;
  }
}

}  // namespace
}  // namespace vorn
