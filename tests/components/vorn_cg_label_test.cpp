#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "components/component_factory.h"
#include "components/picture_fixture.h"
#include "components/vorn_cg_label.h"
#include "engine/engine_values.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "fixture/scene_record_writer.h"

namespace vorn {
namespace {

using test::Rgb;
using test::TPictureFrame;
using test::TPictureWorld;
using test::TRgb;
using Lines = std::vector<std::vector<std::int32_t>>;

// ---- lines ----

Lines LinesOf(const std::string& text, const std::string& map) {
  TGlyphCellMap cells;
  cells.SetMapText(map);
  return cells.Lines(text);
}

TEST(GlyphCellMap, SplitsLinesAndLooksUpCharacters) {
  struct Case {
    const char* what;
    std::string text, map;
    Lines lines;
  };
  // CP932 bytes as Python's codecs give them: "ア" b'\x83A', "ソ" b'\x83\\', half-width "ｱ" b'\xb1'.
  const std::string a_kana = "\x83\x41", so = "\x83\x5C", half_a = "\xB1";
  const Case cases[] = {
      {"map order decides the cell", "AB", "BA", {{1, 0}}},
      {"absent character", "AxB", "AB", {{0, -1, 1}}},
      {"first occurrence wins", "B", "ABB", {{1}}},
      {"empty text has no lines", "", "AB", {}},
      {"a break at the end adds no line", "A\n", "A", {{0}}},
      {"CR LF is one break", "A\r\nB", "AB", {{0}, {1}}},
      {"CR alone and LF alone", "A\rB\nA", "AB", {{0}, {1}, {0}}},
      {"empty line between breaks", "A\n\nB", "AB", {{0}, {}, {1}}},
      {"LF CR is two breaks", "A\n\rB", "AB", {{0}, {}, {1}}},
      {"two-byte characters count once", a_kana + "A" + half_a, "A" + a_kana + so + half_a, {{1, 0, 3}}},
      {"the trail byte of a kana is no backslash", "\\", "A" + so, {{-1}}},
      {"a backslash finds only itself", "\\" + so, so + "\\", {{1, 0}}},
      {"a lone lead byte at a line end is a gap", "A\x83\nA", "A" + a_kana, {{0, -1}, {0}}},
      {"a lone lead byte at the text end", "A\x83", "A" + a_kana, {{0, -1}}},
      {"a lone lead byte ending the map matches nothing", "\x83", "A\x83", {{-1}}},
  };
  for (const Case& c : cases) EXPECT_EQ(LinesOf(c.text, c.map), c.lines) << c.what;
}

TEST(GlyphCellMap, AMegabyteOfTextIndexesOnce) {
  std::string map;
  for (int c = 0x20; c < 0x7F; ++c) map.push_back(static_cast<char>(c));
  const std::string text(1 << 20, 'z');
  const Lines lines = LinesOf(text, map);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), std::size_t{1} << 20);
  EXPECT_EQ(lines[0].back(), 'z' - 0x20);
}

// ---- the label on a scene ----

// A sheet of 4 x 2 cells of 4 x 5 pixels, cell i filled with colour kCell[i].
constexpr int kCellW = 4, kCellH = 5;
const TRgb kCell[8] = {Rgb(255, 0, 0),   Rgb(0, 255, 0),   Rgb(0, 0, 255),   Rgb(255, 255, 0),
                       Rgb(255, 0, 255), Rgb(0, 255, 255), Rgb(255, 255, 255), Rgb(0, 0, 0)};
constexpr TRgb kBack = Rgb(16, 16, 16);

TPictureFrame Sheet(std::int32_t delay = 100, int shift = 0) {
  TPictureFrame frame;
  frame.width = 4 * kCellW;
  frame.height = 2 * kCellH;
  frame.delay = delay;
  frame.colour = [shift](int x, int y) { return kCell[(y / kCellH * 4 + x / kCellW + shift) % 8]; };
  return frame;
}

class CGLabelTest : public ::testing::TestWithParam<int> {
 protected:
  CGLabelTest() : world(GetParam()) {}
  ~CGLabelTest() override {
    if (world.scene) {
      for (int i = world.scene->GetObjectCount() - 1; i >= 0; --i) world.scene->GetObject(i)->DeleteObject();
    }
  }
  void Start() {
    world.AddPicture("sheet.pel", {Sheet()});
    world.AddPicture("anim.pel", {Sheet(50, 0), Sheet(50, 1)});
    world.Start();
    world.scene->ActiveLayer()->SetColor(kBack);
  }
  TVornCGLabel* Make(const std::string& text, const std::string& map = "ABCDEFGH") {
    auto* label = static_cast<TVornCGLabel*>(CreateComponentByType(*world.scene, LT_CGLABEL));
    label->SetParent(world.scene->ActiveLayer());
    label->SetSource("sheet.pel");
    label->SetGlyphWidth(kCellW);
    label->SetGlyphHeight(kCellH);
    label->SetMapText(map);
    label->SetText(text);
    label->SetAlpha(255);
    return label;
  }
  void Paint() {
    world.Clear(kBack);
    world.scene->ActiveLayer()->InvalidateAll();
    world.scene->Paint();
  }
  // The colour of the cell drawn at (x, y), taken at its centre.
  TRgb CellAt(int x, int y) { return world.At(x + kCellW / 2, y + kCellH / 2); }

  TPictureWorld world;
};

TEST(CGLabel, MadeByTheFactoryWithItsOwnDefaults) {
  TPictureWorld world;
  world.Start();
  auto* label = dynamic_cast<TVornCGLabel*>(CreateComponentByType(*world.scene, LT_CGLABEL));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->GetCompoType(), 24);
  EXPECT_EQ(label->GetGlyphWidth(), 1);
  EXPECT_EQ(label->GetGlyphHeight(), 1);
  EXPECT_EQ(label->GetLineSpace(), 0);
  EXPECT_EQ(label->GetAlpha(), 0);
  EXPECT_EQ(label->GetOrigWidth(), 0);
  EXPECT_TRUE(label->GetPlaying());
  label->SetGlyphWidth(0);
  label->SetGlyphHeight(-5);
  EXPECT_EQ(label->GetGlyphWidth(), 1);
  EXPECT_EQ(label->GetGlyphHeight(), 1);
  label->SetPaused(true);
  EXPECT_FALSE(label->GetPlaying());
  label->SetPaused(false);
  label->SetAniPaused(true);
  EXPECT_FALSE(label->GetPlaying());
  label->DeleteObject();
}

TEST_P(CGLabelTest, SizeFollowsLinesCellsAndSpacing) {
  Start();
  TVornCGLabel* label = Make("ABC\nABCDE");
  label->SetGlyphWidth(16);
  label->SetGlyphHeight(20);
  label->SetLineSpace(4);
  EXPECT_EQ(label->GetWidth(), 80);
  EXPECT_EQ(label->GetHeight(), 44);
  label->SetText("AB");
  EXPECT_EQ(label->GetWidth(), 32);
  EXPECT_EQ(label->GetHeight(), 20);  // one line: no spacing
  label->SetText("");
  EXPECT_EQ(label->GetWidth(), 0);
  EXPECT_EQ(label->GetHeight(), 0);
  EXPECT_EQ(label->GetOrigWidth(), 16);
  EXPECT_EQ(label->GetOrigHeight(), 10);
}

TEST_P(CGLabelTest, SizesSaturateInsteadOfWrapping) {
  Start();
  TVornCGLabel* label = Make("AB\nA");
  label->SetGlyphWidth(0x7FFFFFFF);
  label->SetGlyphHeight(0x7FFFFFFF);
  EXPECT_EQ(label->GetWidth(), 0x7FFFFFFF);
  EXPECT_EQ(label->GetHeight(), 0x7FFFFFFF);
  // 2 x (2^31 - 1) - (2^31 - 1) is formed in 64 bits, not wrapped on the way.
  label->SetLineSpace(-0x7FFFFFFF);
  EXPECT_EQ(label->GetHeight(), 0x7FFFFFFF);
  label->SetLineSpace(-0x7FFFFFFF - 1);
  EXPECT_EQ(label->GetHeight(), 0x7FFFFFFE);
}

TEST_P(CGLabelTest, CellsAreDrawnInMapOrderWithGapsForAbsentCharacters) {
  Start();
  Make("BxA", "AB");
  Paint();
  EXPECT_EQ(CellAt(0, 0), kCell[1]);
  EXPECT_EQ(CellAt(kCellW, 0), kBack);  // the gap
  EXPECT_EQ(CellAt(2 * kCellW, 0), kCell[0]);
  EXPECT_EQ(CellAt(3 * kCellW, 0), kBack);  // past the label
  // The second row of the sheet: cells 4..7.
  world.scene->GetObject(0)->SetText("FH");
  world.scene->GetObject(0)->SetMapText("ABCDEFGH");
  Paint();
  EXPECT_EQ(CellAt(0, 0), kCell[5]);
  EXPECT_EQ(CellAt(kCellW, 0), kCell[7]);
}

TEST_P(CGLabelTest, AlignmentsAndLineSpacing) {
  Start();
  TVornCGLabel* label = Make("A\nBCD");
  label->SetLineSpace(2);
  struct Case {
    std::uint8_t align;
    int first_x;
  };
  // Width 12; the one-character line is placed at 0, (12 - 4) div 2 = 4 or 12 - 4 = 8; other
  // values draw as left.
  for (const Case& c : {Case{HA_LEFT, 0}, Case{HA_CENTER, 4}, Case{HA_RIGHT, 8}, Case{7, 0}}) {
    label->SetHAlign(c.align);
    Paint();
    EXPECT_EQ(CellAt(c.first_x, 0), kCell[0]) << int{c.align};
    for (int x = 0; x < 12; x += kCellW) {
      if (x != c.first_x) {
        EXPECT_EQ(CellAt(x, 0), kBack) << int{c.align} << " at " << x;
      }
    }
    EXPECT_EQ(CellAt(0, kCellH + 2), kCell[1]) << int{c.align};
    EXPECT_EQ(CellAt(8, kCellH + 2), kCell[3]) << int{c.align};
    EXPECT_EQ(world.At(0, kCellH), kBack);  // the spacing rows
  }
}

TEST_P(CGLabelTest, AlphaModes) {
  Start();
  TVornCGLabel* label = Make("A");
  struct Case {
    std::int32_t alpha;
    int red;  // the red channel expected over the background's 16
  };
  // Nothing at 0 and 512; a blend of 255 over 16 at 128 / 255; 255 * 44 / 256 added at 300.
  for (const Case& c : {Case{0, 16}, Case{255, 255}, Case{128, 16 + (255 - 16) * 128 / 255}, Case{300, 16 + 255 * 44 / 256},
                        Case{512, 16}}) {
    label->SetAlpha(c.alpha);
    Paint();
    EXPECT_NEAR(CellAt(0, 0) & 0xFF, c.red, 9) << c.alpha;
  }
}

TEST_P(CGLabelTest, NothingAtAllWithoutASheetOrCellsWiderThanIt) {
  Start();
  TVornCGLabel* label = Make("A");
  auto* child = static_cast<TVornCGLabel*>(CreateComponentByType(*world.scene, LT_CGLABEL));
  child->SetParent(label);
  child->SetSource("sheet.pel");
  child->SetGlyphWidth(kCellW);
  child->SetGlyphHeight(kCellH);
  child->SetMapText("AB");
  child->SetText("B");
  child->SetAlpha(255);
  Paint();
  EXPECT_EQ(CellAt(0, 0), kCell[1]);  // the child is drawn over its parent
  label->SetGlyphWidth(100);          // wider than the sheet: no columns
  Paint();
  EXPECT_EQ(world.At(1, 1), kBack);
  label->SetGlyphWidth(kCellW);
  label->SetSource("");
  Paint();
  EXPECT_EQ(world.At(1, 1), kBack);
  EXPECT_EQ(label->GetOrigWidth(), 0);
}

TEST_P(CGLabelTest, AnimatedSheetRepaintsAtItsFrameChange) {
  Start();
  TVornCGLabel* label = Make("A");
  label->SetSource("anim.pel");
  FrameDelta = 30;
  world.Clear(kBack);
  EXPECT_FALSE(label->Tick());
  EXPECT_EQ(world.scene->ActiveLayer()->DirtyRects().Count(), 0);
  EXPECT_FALSE(label->Tick());
  EXPECT_GT(world.scene->ActiveLayer()->DirtyRects().Count(), 0);
  Paint();
  EXPECT_EQ(CellAt(0, 0), kCell[1]);
  label->SetAniPaused(true);
  world.Clear(kBack);
  for (int i = 0; i < 5; ++i) label->Tick();
  EXPECT_EQ(world.scene->ActiveLayer()->DirtyRects().Count(), 0);
  label->DeleteObject();  // a freed label leaves no cells behind
  EXPECT_GT(world.scene->ActiveLayer()->DirtyRects().Count(), 0);
  FrameDelta = 0;
}

INSTANTIATE_TEST_SUITE_P(Depths, CGLabelTest, ::testing::Values(32, 16));

// ---- record ----

using Bytes = std::vector<std::uint8_t>;

void Int(Bytes& out, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int s = 0; s < 32; s += 8) out.push_back(static_cast<std::uint8_t>(u >> s));
}
void Str(Bytes& out, const std::string& s) {
  Int(out, static_cast<std::int32_t>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

// The label's fields after the control record: source, text, map text, glyph width and height,
// line space, paused, alignment, alpha, then (above 124) the idle label.
Bytes LabelFields(std::int32_t version, std::int32_t glyph_width) {
  Bytes out;
  Str(out, "sheet.pel");
  Str(out, "AB\nB");
  Str(out, "AB");
  Int(out, glyph_width);
  Int(out, kCellH);
  Int(out, 3);
  out.push_back(1);        // paused
  out.push_back(HA_RIGHT);
  Int(out, 200);
  if (version > 124) Str(out, "p.vsb:idle");
  return out;
}

TEST(CGLabelRecord, FieldsFollowTheControlRecord) {
  TPictureWorld world;
  world.AddPicture("sheet.pel", {Sheet()});
  world.Start();
  for (std::int32_t version : {107, 124, 125, 134}) {
    fixture::SavedComponent component;
    component.kind = LT_CGLABEL;
    component.name = "lab";
    component.control.left = 3;
    component.control.width = 2 * kCellW;  // what the loader computes again
    component.control.height = 2 * kCellH + 3;
    Bytes record = fixture::ComponentRecordBytes(component, version);
    const Bytes fields = LabelFields(version, kCellW);
    record.insert(record.end(), fields.begin(), fields.end());
    auto* loaded = CreateObject<TVornCGLabel>(*world.scene);
    TMemoryStream stream(record);
    loaded->LoadFromStream(stream, version);
    EXPECT_EQ(stream.Remaining(), 0) << version;
    EXPECT_EQ(loaded->GetName(), "lab");
    EXPECT_EQ(loaded->GetLeft(), 3);
    EXPECT_EQ(loaded->GetSource(), "sheet.pel");
    EXPECT_EQ(loaded->GetText(), "AB\nB");
    EXPECT_EQ(loaded->GetMapText(), "AB");
    EXPECT_EQ(loaded->GetGlyphWidth(), kCellW);
    EXPECT_EQ(loaded->GetGlyphHeight(), kCellH);
    EXPECT_EQ(loaded->GetLineSpace(), 3);
    EXPECT_TRUE(loaded->GetPaused());
    EXPECT_EQ(loaded->GetHAlign(), HA_RIGHT);
    EXPECT_EQ(loaded->GetAlpha(), 200);
    EXPECT_EQ(loaded->GetOnIdle(), version > 124 ? "p.vsb:idle" : "");
    // Lines and size rebuilt: two lines of 2 and 1 characters.
    EXPECT_EQ(loaded->Lines(), (Lines{{0, 1}, {1}}));
    EXPECT_EQ(loaded->GetWidth(), 2 * kCellW);
    EXPECT_EQ(loaded->GetHeight(), 2 * kCellH + 3);
    if (version == 134) {
      TMemoryStream again;
      loaded->SaveToStream(again);
      EXPECT_EQ(again.Bytes(), record);
    }
    loaded->DeleteObject();
  }
}

TEST(CGLabelRecord, GlyphSizesBelowOneLoadAsOne) {
  TPictureWorld world;
  world.AddPicture("sheet.pel", {Sheet()});
  world.Start();
  fixture::SavedComponent component;
  component.kind = LT_CGLABEL;
  Bytes record = fixture::ComponentRecordBytes(component, 134);
  const Bytes fields = LabelFields(134, -7);
  record.insert(record.end(), fields.begin(), fields.end());
  auto* loaded = CreateObject<TVornCGLabel>(*world.scene);
  TMemoryStream stream(record);
  loaded->LoadFromStream(stream, 134);
  EXPECT_EQ(loaded->GetGlyphWidth(), 1);
  EXPECT_EQ(loaded->GetWidth(), 2);
  loaded->DeleteObject();
}

}  // namespace
}  // namespace vorn
