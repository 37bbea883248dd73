#include <string>
#include <vector>

#include "platform/key_codes.h"
#include "toolstrip/button_caption.h"
#include "toolstrip/strip_fixture.h"

namespace vorn::test {
namespace {

// An 8 × 6 button straight on the form, read back as letters: H highlight, S shadow, D dark
// shadow, F face (the light edge has the face's colour), x anything else.
class ButtonPixelsTest : public StripTest {
 protected:
  ButtonPixelsTest() {
    button_.SetBounds(platform::Rect{10, 10, 8, 6});
    button_.SetParent(form_.get());
  }
  ~ButtonPixelsTest() override { button_.SetParent(nullptr); }
  std::vector<std::string> Letters() {
    PaintAll();
    std::vector<std::string> rows;
    for (int y = 0; y < 6; ++y) {
      std::string row;
      for (int x = 0; x < 8; ++x) {
        const std::uint32_t c = At(10 + x, 10 + y);
        row += c == Colors().highlight ? 'H' : c == Colors().shadow ? 'S' : c == Colors().dark_shadow ? 'D'
                                                                   : c == Colors().face ? 'F' : 'x';
      }
      rows.push_back(row);
    }
    return rows;
  }
  void MakeHot() { Move(12, 12); }
  TToolbarButton97 button_;
};

using Rows = std::vector<std::string>;
const Rows kAllFace{"FFFFFFFF", "FFFFFFFF", "FFFFFFFF", "FFFFFFFF", "FFFFFFFF", "FFFFFFFF"};

TEST_F(ButtonPixelsTest, FlatButtonShowsABorderOnlyWhenHotOrDown) {
  EXPECT_EQ(Letters(), kAllFace);
  MakeHot();
  EXPECT_EQ(Letters(), (Rows{"HHHHHHHS", "HFFFFFFS", "HFFFFFFS", "HFFFFFFS", "HFFFFFFS", "SSSSSSSS"}));
  Down(12, 12);
  EXPECT_EQ(Letters(), (Rows{"SSSSSSSH", "SFFFFFFH", "SFFFFFFH", "SFFFFFFH", "SFFFFFFH", "HHHHHHHH"}));
  Up(12, 12);
  button_.SetGroupIndex(1);
  button_.SetDown(true);
  Move(300, 300);
  // Latched and not hot: the content is dithered, highlight where x + y is even.
  EXPECT_EQ(Letters(), (Rows{"SSSSSSSH", "SHFHFHFH", "SFHFHFHH", "SHFHFHFH", "SFHFHFHH", "HHHHHHHH"}));
}

TEST_F(ButtonPixelsTest, RaisedButtonHasTwoRings) {
  button_.SetFlat(false);
  const Rows up{"HHHHHHHD", "HFFFFFSD", "HFFFFFSD", "HFFFFFSD", "HSSSSSSD", "DDDDDDDD"};
  EXPECT_EQ(Letters(), up);
  MakeHot();
  EXPECT_EQ(Letters(), up);
  Down(12, 12);
  const Rows sunken{"SSSSSSSH", "SDDDDDFH", "SDFFFFFH", "SDFFFFFH", "SFFFFFFH", "HHHHHHHH"};
  EXPECT_EQ(Letters(), sunken);
  Up(12, 12);
  button_.SetGroupIndex(1);
  button_.SetDown(true);
  EXPECT_EQ(Letters(), (Rows{"SSSSSSSH", "SDDDDDFH", "SDHFHFFH", "SDFHFHFH", "SFFFFFFH", "HHHHHHHH"}));
}

TEST_F(ButtonPixelsTest, NoBorderNeverDrawsOne) {
  button_.SetNoBorder(true);
  MakeHot();
  EXPECT_EQ(Letters(), kAllFace);
  Down(12, 12);
  EXPECT_EQ(Letters(), kAllFace);
  Up(12, 12);
}

TEST_F(MainStripTest, APressAndReleaseInsideClicksOnce) {
  Move(20, 10);
  Down(20, 10);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kPressed);
  EXPECT_TRUE(window().captured());
  Up(20, 10);
  EXPECT_EQ(clicks_, std::vector<std::string>{"quit"});
  EXPECT_FALSE(window().captured());
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kUp);
}

TEST_F(MainStripTest, DraggingOutShowsUpAndAReleaseOutsideDoesNotClick) {
  Move(20, 10);
  Down(20, 10);
  Move(300, 200);  // held: the move still reaches the button
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kUp);
  Move(21, 10);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kPressed);
  Move(300, 200);
  Up(300, 200);
  EXPECT_TRUE(clicks_.empty());
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kUp);
  EXPECT_EQ(TToolbarButton97::HotButton(), nullptr);
}

TEST_F(MainStripTest, ARightReleaseLeavesTheHotState) {
  Move(20, 10);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kHot);
  Up(20, 10, platform::MouseButton::kRight);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kUp);
  EXPECT_TRUE(clicks_.empty());
}

TEST_F(MainStripTest, TheHotBorderMovesStraightToTheNeighbour) {
  Move(20, 10);
  EXPECT_EQ(TToolbarButton97::HotButton(), &quit_);
  EXPECT_EQ(At(2, 2), Colors().highlight);
  window().flushed_rects().clear();
  Move(80, 10);
  EXPECT_EQ(TToolbarButton97::HotButton(), &switch_);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kUp);
  EXPECT_EQ(At(2, 2), Colors().face);
  EXPECT_EQ(At(69, 2), Colors().highlight);
  // Only the two buttons were presented again.
  EXPECT_EQ(window().flushed_rects(), (std::vector<platform::Rect>{quit_.WindowRect(), switch_.WindowRect()}));
}

TEST_F(MainStripTest, TheTimerEndsTheHotStateOnceThePointerLeftTheWindow) {
  Move(20, 10);
  form_->WindowMouseLeave();
  Advance(124);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kHot);
  Advance(1);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kUp);
  EXPECT_FALSE(form_->NextTimerDue().has_value());
}

TEST_F(MainStripTest, HotTrackingNeedsTheFocusUnlessAskedOtherwise) {
  Move(20, 10);
  form_->SetActive(false);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kUp);
  Move(21, 10);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kUp);
  quit_.ShowBorderWhenInactive = true;
  Move(22, 10);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kHot);
}

TEST_F(MainStripTest, ARepeatingButtonClicksAtPressThenAfterTheDelayThenEachInterval) {
  std::vector<std::uint32_t> at;
  const std::uint32_t start = clock_.TimeGetTime();
  quit_.OnClick = [&] { at.push_back(clock_.TimeGetTime() - start); };
  quit_.Repeating = true;
  Move(20, 10);
  Down(20, 10);
  Advance(650);
  Up(20, 10);
  Advance(300);
  EXPECT_EQ(at, (std::vector<std::uint32_t>{0, 400, 500, 600}));
}

TEST_F(MainStripTest, TheButtonIsDrawnUpBeforeItsHandlerRuns) {
  std::uint32_t corner = 0;
  std::uint32_t ink = 0;
  quit_.OnClick = [&] {
    corner = At(2, 2);
    ink = At(24, 7);
  };
  Move(20, 10);
  Down(20, 10);
  Up(20, 10);
  EXPECT_EQ(corner, Colors().face);
  EXPECT_EQ(ink, Colors().text);
}

TEST_F(MainStripTest, TheCaptionIsCentredAndSinksWithThePress) {
  // "Quit" is 24 × 12 in the block font: left 1 + (65 - 24 + 1) / 2 = 22, top 1 + (16 + 1 - 12) / 2 = 3.
  const int left = 2 + 22;
  const int ink_top = 2 + 3 + BlockTextRenderer::kInkTop;
  EXPECT_EQ(At(left, ink_top), Colors().text);
  EXPECT_EQ(At(left - 1, ink_top), Colors().face);
  EXPECT_EQ(At(left, ink_top - 1), Colors().face);
  Move(20, 10);
  Down(20, 10);
  EXPECT_EQ(At(left, ink_top), Colors().face);
  EXPECT_EQ(At(left + 1, ink_top + 1), Colors().text);
  Up(300, 300);
}

TEST_F(MainStripTest, ADisabledCaptionIsEmbossed) {
  quit_.SetEnabled(false);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kDisabled);
  PaintAll();
  const int left = 2 + 22;
  const int ink_top = 2 + 3 + BlockTextRenderer::kInkTop;
  EXPECT_EQ(At(left, ink_top), Colors().shadow);
  EXPECT_EQ(At(left + BlockTextRenderer::kInkWidth, ink_top + 1), Colors().highlight);
  Move(20, 10);
  Down(20, 10);
  Up(20, 10);
  EXPECT_TRUE(clicks_.empty());
  quit_.SetEnabled(true);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kUp);
}

TEST_F(MainStripTest, LatchingNeedsAGroupAndReleasesTheOthers) {
  quit_.SetDown(true);
  EXPECT_FALSE(quit_.Down());
  quit_.SetGroupIndex(1);
  switch_.SetGroupIndex(1);
  quit_.SetDown(true);
  EXPECT_EQ(quit_.ButtonState(), TToolbarButton97::kLatched);
  switch_.SetAllowAllUp(true);
  switch_.SetDown(true);
  EXPECT_FALSE(quit_.Down());
  EXPECT_TRUE(quit_.AllowAllUp());
  switch_.SetAllowAllUp(false);
  switch_.SetDown(false);
  EXPECT_TRUE(switch_.Down());
  // A double click reaches only a latched button.
  int double_clicks = 0;
  switch_.OnDblClick = [&] { ++double_clicks; };
  quit_.OnDblClick = [&] { ++double_clicks; };
  form_->WindowMouseDown(platform::MouseButton::kLeft, 0, 80, 10, true);
  Up(80, 10);
  form_->WindowMouseDown(platform::MouseButton::kLeft, 0, 20, 10, true);
  Up(20, 10);
  EXPECT_EQ(double_clicks, 1);
}

TEST_F(MainStripTest, KeysClickOnlyTheButtonsMeantForThem) {
  quit_.SetCaption("&Quit");
  switch_.Default = true;
  quit_.Cancel = true;
  struct Case {
    std::function<bool()> press;
    bool clicks;
    const char* who;
  } cases[] = {
      {[&] { return quit_.DialogChar('q'); }, true, "quit"},
      {[&] { return quit_.DialogChar('x'); }, false, ""},
      {[&] { return switch_.DialogChar('s'); }, false, ""},
      {[&] { return switch_.DialogKey(platform::kVkReturn, 0); }, true, "switch"},
      {[&] { return switch_.DialogKey(platform::kVkReturn, platform::kShiftKey); }, false, ""},
      {[&] { return quit_.DialogKey(platform::kVkEscape, 0); }, true, "quit"},
      {[&] { return quit_.DialogKey(platform::kVkReturn, 0); }, false, ""},
  };
  for (const Case& c : cases) {
    clicks_.clear();
    EXPECT_EQ(c.press(), c.clicks) << c.who;
    EXPECT_EQ(clicks_.empty() ? std::string() : clicks_.front(), c.who);
  }
  quit_.SetDisplayMode(TButtonDisplayMode::dmGlyphOnly);
  EXPECT_FALSE(quit_.DialogChar('q'));
}

TEST_F(MainStripTest, ADitherMadeWithOldColoursIsDropped) {
  quit_.SetGroupIndex(1);
  quit_.SetDown(true);
  PaintAll();
  EXPECT_TRUE(TToolbarButton97::HasDitherPattern());
  TToolbarButton97::SystemColorsChanged();
  EXPECT_TRUE(TToolbarButton97::HasDitherPattern());
  platform::FaceColors changed = Colors();
  changed.highlight = 0xF0F0F0;
  SetStripColorsForTest(changed);
  TToolbarButton97::SystemColorsChanged();
  EXPECT_FALSE(TToolbarButton97::HasDitherPattern());
}

TEST_F(StripTest, TheLastButtonFreesWhatButtonsShare) {
  const int before = TToolbarButton97::ButtonCount();
  {
    TToolbarButton97 a;
    a.SetParent(form_.get());
    EXPECT_EQ(TToolbarButton97::ButtonCount(), before + 1);
    Move(5, 5);
    EXPECT_EQ(TToolbarButton97::HotButton(), &a);
    a.SetParent(nullptr);
  }
  EXPECT_EQ(TToolbarButton97::HotButton(), nullptr);
  EXPECT_EQ(TToolbarButton97::ButtonCount(), before);
}

TEST(ButtonCaption, MarginsAndWrappingPlaceTheLines) {
  auto width = [](std::string_view s) { return static_cast<int>(s.size()) * 6; };
  using L = TButtonLayout;
  using A = TAlignment;
  struct Case {
    const char* what;
    const char* text;
    TCaptionPlacement placement;
    std::vector<TCaptionLine> lines;
  } cases[] = {
      {"centred", "abcd", {-1, 4, L::blGlyphLeft, A::taCenter, false}, {{"abcd", 21, 2}}},
      {"margin from the left", "abcd", {3, 4, L::blGlyphLeft, A::taCenter, false}, {{"abcd", 3, 2}}},
      {"margin from the right", "abcd", {3, 4, L::blGlyphRight, A::taCenter, false}, {{"abcd", 65 - 3 - 24, 2}}},
      {"margin from the top", "abcd", {0, 4, L::blGlyphTop, A::taCenter, false}, {{"abcd", 21, 0}}},
      {"line breaks vanish on one line", "ab\r\ncd", {-1, 4, L::blGlyphLeft, A::taCenter, false}, {{"abcd", 21, 2}}},
      {"wrapped and aligned left",
       "aaaaa bb ccccccccccccc",
       {-1, 4, L::blGlyphLeft, A::taLeftJustify, true},
       {{"aaaaa bb", -6, -3}, {"ccccccccccccc", -6, 9}}},
      {"wrapped and centred", "aaaa\nbb", {-1, 4, L::blGlyphLeft, A::taCenter, true}, {{"aaaa", 21, -3}, {"bb", 27, 9}}},
  };
  for (const Case& c : cases) {
    const std::vector<TCaptionLine> got = LayoutCaption(c.text, 65, 16, c.placement, width, 12);
    ASSERT_EQ(got.size(), c.lines.size()) << c.what;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].text, c.lines[i].text) << c.what;
      EXPECT_EQ(got[i].x, c.lines[i].x) << c.what;
      EXPECT_EQ(got[i].y, c.lines[i].y) << c.what;
    }
  }
}

TEST(ButtonCaption, AcceleratorsAndAmpersands) {
  EXPECT_EQ(CaptionDisplayText("&Quit"), "Quit");
  EXPECT_EQ(CaptionDisplayText("A&&B"), "A&B");
  EXPECT_EQ(CaptionAccelerator("&Quit"), 'Q');
  EXPECT_EQ(CaptionAccelerator("A&&B"), 0);
  EXPECT_EQ(CaptionAccelerator("A&&B&c"), 'c');
  EXPECT_EQ(CaptionAccelerator("trailing&"), 0);
}

}  // namespace
}  // namespace vorn::test
