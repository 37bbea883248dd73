#include "platform/text_field.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/cursors.h"
#include "platform/headless_application.h"
#include "platform/key_codes.h"
#include "platform/panel.h"
#include "platform/text_field_font.h"
#include "platform/text_field_layout.h"

namespace vorn::platform {
namespace {

std::uint32_t At(HeadlessWindow& window, int panel_x, int panel_y) { return window.Canvas().Pixel(panel_x + 10, panel_y + 10); }

// A headless window with a panel 10 pixels in from its corner, and a host on it.
class TextFieldTest : public ::testing::Test {
 protected:
  TextFieldTest() {
    panel.SetBounds(Rect{10, 10, 300, 200});
    window.Canvas().FillRect(window.Canvas().bounds(), 0x123456);
  }

  std::unique_ptr<TextField> Shown(bool multi_line, Rect bounds = Rect{20, 30, 120, 40}) {
    auto field = host.CreateField(multi_line);
    field->SetBounds(bounds);
    field->SetVisible(true);
    return field;
  }
  void Key(int key, unsigned shift = 0) {
    host.HandleEvent(Event{.type = EventType::kKeyDown, .key = key, .shift = shift});
    host.HandleEvent(Event{.type = EventType::kKeyUp, .key = key, .shift = shift});
  }
  void Type(const std::string& utf8) { host.HandleEvent(Event{.type = EventType::kTextInput, .text = utf8}); }
  void Compose(const std::string& utf8, int cursor) {
    host.HandleEvent(Event{.type = EventType::kTextEditing, .text = utf8, .text_cursor = cursor});
  }
  // Client coordinates of a panel point.
  bool Press(int x, int y, unsigned shift = 0, bool double_click = false) {
    return host.HandleEvent(Event{.type = EventType::kMouseDown, .button = MouseButton::kLeft,
                                  .double_click = double_click, .x = x + 10, .y = y + 10, .shift = shift});
  }
  bool Move(int x, int y) { return host.HandleEvent(Event{.type = EventType::kMouseMove, .x = x + 10, .y = y + 10}); }
  bool Release(int x, int y) {
    return host.HandleEvent(Event{.type = EventType::kMouseUp, .button = MouseButton::kLeft, .x = x + 10, .y = y + 10});
  }

  HeadlessApplication application;
  HeadlessWindow window{application, Size{400, 300}, "field"};
  Panel panel{window};
  VirtualClock clock;
  InProcessClipboard clipboard;
  RecordingCursors cursors{&clock};
  TextFieldHost host{panel, &clock, &clipboard, &cursors};
};

TEST_F(TextFieldTest, KeyDownReportsTheTextBeforeTheKeyActsAndTextInputInserts) {
  auto field = Shown(false);
  std::vector<std::string> seen;
  field->on_key_down = [&](int key) { seen.push_back(std::to_string(key) + ":" + field->Text()); };
  field->TakeKeyboard();
  host.HandleEvent(Event{.type = EventType::kKeyDown, .key = 'A'});
  Type("a");
  host.HandleEvent(Event{.type = EventType::kKeyDown, .key = 'A', .repeat = true});
  Type("a");
  Key(kVkReturn);
  Key(kVkEscape);
  Key(kVkTab);
  host.HandleEvent(Event{.type = EventType::kKeyDown, .key = kFirstHostOnlyKey + 3});
  EXPECT_EQ(seen, (std::vector<std::string>{"65:", "65:a", "13:aa", "27:aa", "9:aa"}));
  EXPECT_EQ(field->Text(), "aa");
}

TEST_F(TextFieldTest, EnterInsertsCrLfInTheMemoOnly) {
  auto memo = Shown(true);
  memo->TakeKeyboard();
  Type("ab");
  Key(kVkReturn);
  Type("c");
  EXPECT_EQ(memo->Text(), "ab\r\nc");
  EXPECT_EQ(memo->line_count(), 2u);
  Key(kVkBack);
  Key(kVkBack);
  EXPECT_EQ(memo->Text(), "ab") << "a CR LF pair goes with one Backspace";
}

TEST_F(TextFieldTest, WithoutAFieldHoldingTheKeyboardKeysPassAndTextIsDropped) {
  auto field = Shown(false);
  EXPECT_FALSE(host.HandleEvent(Event{.type = EventType::kKeyDown, .key = 'A'}));
  EXPECT_TRUE(host.HandleEvent(Event{.type = EventType::kTextInput, .text = "a"}));
  EXPECT_EQ(field->Text(), "");
}

struct Cp932Case {
  const char* what;
  std::string set;
  std::string read;
};

TEST_F(TextFieldTest, TextReadsBackThroughCp932) {
  const Cp932Case cases[] = {
      {"ascii", "abc 123", "abc 123"},
      {"kanji", "\x96\xBC\x91\x4F", "\x96\xBC\x91\x4F"},
      {"backslash and tilde stay", "\x5C\x7E", "\x5C\x7E"},
      {"half-width kana", "\xB1\xB2", "\xB1\xB2"},
      {"a doubly held code reads its first form", "\x87\x9A", "\x81\xE6"},
      {"NEC selected IBM form", "\xEE\xEF", "\xFA\x40"},
      {"a lone lead byte at the end", "a\x82", "a?"},
      {"undecodable bytes", "\x80\xA0", "??"},
      {"the text ends at NUL", std::string("ab\0cd", 5), "ab"},
      {"line breaks are kept", "a\r\nb\rc\nd", "a\r\nb\rc\nd"},
  };
  auto field = Shown(false);
  for (const Cp932Case& c : cases) {
    field->SetText(c.set);
    EXPECT_EQ(field->Text(), c.read) << c.what;
    EXPECT_EQ(field->edit_text().caret(), 0u) << c.what;
    EXPECT_FALSE(field->edit_text().HasSelection()) << c.what;
  }
}

TEST_F(TextFieldTest, TypedTextACp932CannotHoldArrivesAsOneQuestionMarkPerCharacter) {
  auto field = Shown(false);
  field->TakeKeyboard();
  Type("x\xED\x95\x9C\xF0\x9F\x98\x80\xE4\xBB\xAE");  // x, 한, 😀, 仮
  EXPECT_EQ(field->Text(), "x??\x89\xBC");
  Type("\xFF\xFE");  // invalid UTF-8
  EXPECT_EQ(field->Text(), "x??\x89\xBC??");
}

TEST_F(TextFieldTest, CaretSelectionAndEditingKeys) {
  auto field = Shown(false);
  field->TakeKeyboard();
  Type("hello");
  Key(kVkLeft);
  Key(kVkLeft, kShiftKey);
  EXPECT_EQ(field->edit_text().SelectionStart(), 3u);
  EXPECT_EQ(field->edit_text().SelectionEnd(), 4u);
  Type("L");
  EXPECT_EQ(field->Text(), "helLo");
  Key(kVkHome);
  Key(kVkDelete);
  Key(kVkEnd);
  Key(kVkBack);
  EXPECT_EQ(field->Text(), "elL");
  Key('A', kCtrlKey);
  Key('C', kCtrlKey);
  EXPECT_EQ(clipboard.GetData(kClipboardFormatText), std::vector<std::uint8_t>({'e', 'l', 'L'}));
  Key('X', kCtrlKey);
  EXPECT_EQ(field->Text(), "");
  Key('V', kCtrlKey);
  Key(kVkInsert, kShiftKey);
  EXPECT_EQ(field->Text(), "elLelL");
  Key('Z', kCtrlKey);
  EXPECT_EQ(field->Text(), "elL");
  Key('Z', kCtrlKey);
  EXPECT_EQ(field->Text(), "elLelL") << "a second undo redoes";
}

TEST_F(TextFieldTest, TypingInARowIsOneUndoStep) {
  auto field = Shown(false);
  field->SetText("x");
  field->TakeKeyboard();
  Key(kVkEnd);
  Type("a");
  Type("b");
  Type("c");
  Key('Z', kCtrlKey);
  EXPECT_EQ(field->Text(), "x");
}

TEST_F(TextFieldTest, ReadOnlyKeepsCaretSelectionAndCopyButChangesNothing) {
  auto field = Shown(true);
  field->SetText("abc");
  field->SetReadOnly(true);
  int keys = 0;
  field->on_key_down = [&](int) { ++keys; };
  field->TakeKeyboard();
  EXPECT_FALSE(window.text_input()) << "no text input for a read-only field";
  Key(kVkEnd, kShiftKey);
  Key('C', kCtrlKey);
  Type("z");
  Key(kVkBack);
  Key(kVkDelete);
  Key(kVkReturn);
  Key('X', kCtrlKey);
  Key('V', kCtrlKey);
  Key('Z', kCtrlKey);
  EXPECT_EQ(field->Text(), "abc");
  EXPECT_EQ(field->edit_text().SelectionEnd(), 3u);
  EXPECT_EQ(clipboard.GetData(kClipboardFormatText), std::vector<std::uint8_t>({'a', 'b', 'c'}));
  EXPECT_EQ(keys, 8);
}

TEST_F(TextFieldTest, PasteTakesTheFirstLineInTheEditAndCrLfLinesInTheMemo) {
  const std::string pasted = "one\rtwo\nthree\r\nfour";
  clipboard.SetData(kClipboardFormatText, std::vector<std::uint8_t>(pasted.begin(), pasted.end()));
  auto edit = Shown(false);
  edit->TakeKeyboard();
  Key('V', kCtrlKey);
  EXPECT_EQ(edit->Text(), "one");
  auto memo = Shown(true, Rect{20, 100, 200, 60});
  memo->TakeKeyboard();
  Key('V', kCtrlKey);
  EXPECT_EQ(memo->Text(), "one\r\ntwo\r\nthree\r\nfour");
}

TEST_F(TextFieldTest, PasteOfAHugeOrInvalidClipboardStopsAtNulAndReplaces) {
  std::vector<std::uint8_t> bytes(10u << 20, 'a');
  bytes[5] = 0;
  clipboard.SetData(kClipboardFormatText, bytes);
  auto edit = Shown(false);
  edit->TakeKeyboard();
  Key('V', kCtrlKey);
  EXPECT_EQ(edit->Text(), "aaaaa");
  clipboard.SetData(kClipboardFormatText, {'a', 0x80, 'b'});
  edit->SetText("");
  Key('V', kCtrlKey);
  EXPECT_EQ(edit->Text(), "a?b");
}

TEST_F(TextFieldTest, CompositionIsShownButNotInTheTextAndTheCommitReplacesTheSelection) {
  auto field = Shown(false);
  field->SetText("abcd");
  field->TakeKeyboard();
  Key(kVkRight);
  Key(kVkRight, kShiftKey);
  Compose("\xE3\x81\x8B\xE3\x81\xAA", 2);  // かな
  EXPECT_EQ(field->Text(), "abcd");
  EXPECT_EQ(field->composition(), U"\u304B\u306A");
  field->SetBackgroundColor(0xFFFFFF);
  host.Draw(true);
  int longest = 0;
  for (int y = 30; y < 70; ++y) {
    for (int x = 20, run = 0; x < 140; ++x) {
      run = At(window, x, y) == 0 ? run + 1 : 0;
      longest = std::max(longest, run);
    }
  }
  EXPECT_GE(longest, 16) << "the composition is drawn underlined";
  Compose("", 0);
  EXPECT_TRUE(field->composition().empty());
  Type("\xE4\xBB\xAE");  // 仮
  EXPECT_EQ(field->Text(), "a\x89\xBC" "cd");
}

TEST_F(TextFieldTest, TextInputRunsWhileAWritableFieldHoldsTheKeyboardWithTheCaretRectangle) {
  auto field = Shown(false);
  EXPECT_FALSE(window.text_input());
  field->TakeKeyboard();
  ASSERT_TRUE(window.text_input());
  EXPECT_EQ(window.text_input_rect().left, 10 + 20 + 1);
  EXPECT_EQ(window.text_input_rect().top, 10 + 30);
  Type("ii");
  EXPECT_GT(window.text_input_rect().left, 31) << "the rectangle follows the caret";
  field->SetVisible(false);
  EXPECT_FALSE(window.text_input());
  EXPECT_FALSE(field->HoldsKeyboard());
}

TEST_F(TextFieldTest, OnlyAShownEnabledFieldTakesTheKeyboardAndItIsTakenOnce) {
  auto a = Shown(false);
  auto b = Shown(false, Rect{20, 100, 50, 20});
  int taken = 0;
  a->on_keyboard_taken = [&] {
    ++taken;
    a->TakeKeyboard();  // a re-entrant ask changes nothing
  };
  a->TakeKeyboard();
  a->TakeKeyboard();
  EXPECT_EQ(taken, 1);
  b->SetEnabled(false);
  b->TakeKeyboard();
  EXPECT_TRUE(a->HoldsKeyboard());
  b->SetEnabled(true);
  b->TakeKeyboard();
  EXPECT_TRUE(b->HoldsKeyboard());
  b->SetEnabled(false);
  EXPECT_EQ(host.keyboard_holder(), nullptr);
  b.reset();
  EXPECT_EQ(host.keyboard_holder(), nullptr);
}

TEST_F(TextFieldTest, APressPlacesTheCaretTakesTheKeyboardAndADragSelects) {
  auto field = Shown(false);
  field->SetText("abcdef");
  int taken = 0;
  field->on_keyboard_taken = [&] { ++taken; };
  EXPECT_TRUE(Press(21, 35));
  EXPECT_EQ(taken, 1);
  EXPECT_EQ(field->edit_text().caret(), 0u);
  EXPECT_TRUE(Move(300, 35)) << "a press that began in the field keeps the pointer";
  EXPECT_TRUE(window.captured());
  EXPECT_TRUE(Release(300, 35));
  EXPECT_FALSE(window.captured());
  EXPECT_EQ(field->edit_text().SelectionStart(), 0u);
  EXPECT_EQ(field->edit_text().SelectionEnd(), 6u);
  EXPECT_FALSE(Press(5, 5)) << "outside every field";
  EXPECT_TRUE(field->HoldsKeyboard()) << "a press outside leaves the keyboard where it is";
}

TEST_F(TextFieldTest, DoubleClickSelectsTheRunOfNonSpaceCharacters) {
  auto field = Shown(false, Rect{0, 0, 280, 20});
  field->SetText("one two three");
  Press(2, 5);
  Release(2, 5);
  Key(kVkRight);
  Key(kVkRight);
  Key(kVkRight);
  Key(kVkRight);
  Key(kVkRight);
  Press(2, 5, 0, true);  // the double click selects around the place it is at: "one"
  EXPECT_EQ(field->edit_text().SelectionStart(), 0u);
  EXPECT_EQ(field->edit_text().SelectionEnd(), 3u);
}

TEST_F(TextFieldTest, PointerOverADisabledOrEmptyFieldGoesOnAndTheTextCursorShowsOverShownOnes) {
  auto field = Shown(false);
  EXPECT_TRUE(Move(25, 35));
  EXPECT_EQ(cursors.shown().shape, CursorShape::kText);
  EXPECT_FALSE(Move(5, 5));
  EXPECT_EQ(cursors.shown().shape, CursorShape::kDefault);
  field->SetEnabled(false);
  EXPECT_FALSE(Move(25, 35));
  EXPECT_FALSE(Press(25, 35));
  field->SetEnabled(true);
  field->SetBounds(Rect{20, 30, 0, 40});
  EXPECT_FALSE(Press(20, 35));
}

TEST_F(TextFieldTest, TheWheelOverAMemoScrollsThreeLines) {
  auto memo = Shown(true, Rect{0, 0, 100, 40});
  std::string text;
  for (int i = 0; i < 20; ++i) text += "line\r\n";
  memo->SetText(text);
  EXPECT_TRUE(host.HandleEvent(Event{.type = EventType::kMouseWheel, .x = 15, .y = 15, .wheel = -1}));
  EXPECT_EQ(memo->top_line(), 3u);
  host.HandleEvent(Event{.type = EventType::kMouseWheel, .x = 15, .y = 15, .wheel = 5});
  EXPECT_EQ(memo->top_line(), 0u);
}

TEST_F(TextFieldTest, TheCaretsLineIsKeptInView) {
  auto memo = Shown(true, Rect{0, 0, 100, 40});
  memo->TakeKeyboard();
  for (int i = 0; i < 10; ++i) Key(kVkReturn);
  EXPECT_GT(memo->top_line(), 5u);
  Key(kVkHome, kCtrlKey);
  EXPECT_EQ(memo->top_line(), 0u);
}

// ---- drawing ----

TEST_F(TextFieldTest, DrawingFillsTheBackgroundWithRedAndBlueSwappedAndInksInsideOnly) {
  auto field = Shown(false);
  field->SetBackgroundColor(0x0000FF);  // red, as 0x00BBGGRR
  field->SetTextColor(0xFF0000);        // blue
  field->SetText("WWWW");
  host.Draw(true);
  EXPECT_EQ(At(window, 20, 30), 0xFF0000u);
  EXPECT_EQ(At(window, 139, 69), 0xFF0000u);
  EXPECT_EQ(At(window, 19, 30), 0x123456u);
  EXPECT_EQ(At(window, 140, 30), 0x123456u);
  int inked = 0;
  for (int y = 30; y < 70; ++y) {
    for (int x = 20; x < 140; ++x) {
      const std::uint32_t p = At(window, x, y);
      if (p != 0xFF0000u) {
        ++inked;
        EXPECT_EQ(p >> 8 & 0xFF, 0u) << "blended between red and blue only";
      }
    }
  }
  EXPECT_GT(inked, 20);
}

TEST_F(TextFieldTest, AHiddenOrEmptyFieldDrawsNothingAndAFieldIsClippedToThePanel) {
  auto hidden = host.CreateField(false);
  hidden->SetBounds(Rect{0, 0, 50, 50});
  auto far = Shown(false, Rect{INT32_MAX - 5, INT32_MAX - 5, INT32_MAX, INT32_MAX});
  auto huge = Shown(true, Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
  huge->SetBackgroundColor(0x00FF00);
  huge->SetFont(TextFieldFontSpec{"", INT32_MIN, 15});
  huge->SetText(std::string(1000, 'x'));
  host.Draw(true);
  EXPECT_EQ(At(window, 0, 0), 0x123456u);
  EXPECT_EQ(window.Canvas().Pixel(5, 5), 0x123456u) << "outside the panel";
  auto small = Shown(false, Rect{-5, 190, 10, 20});
  small->SetBackgroundColor(0x00FF00);
  host.Draw(true);
  EXPECT_EQ(At(window, 0, 199), 0x00FF00u);
  EXPECT_EQ(window.Canvas().Pixel(9, 209), 0x123456u);
  EXPECT_EQ(window.Canvas().Pixel(10, 210), 0x123456u);
}

TEST_F(TextFieldTest, SelectionIsWhiteOnDarkBlueAndTheCaretBlinks) {
  auto field = Shown(false, Rect{0, 0, 100, 20});
  field->SetText("WW");
  field->TakeKeyboard();
  Key(kVkEnd, kShiftKey);
  host.Draw(true);
  int selection = 0, white = 0;
  for (int y = 0; y < 12; ++y) {
    for (int x = 1; x < 30; ++x) {
      selection += At(window, x, y) == 0x0A246Au;
      white += At(window, x, y) == 0xFFFFFFu;
    }
  }
  EXPECT_GT(selection, 50);
  EXPECT_GT(white, 5);
  Key(kVkEnd);
  host.Draw(true);
  const auto black_columns = [&] {
    int columns = 0;
    for (int x = 2; x < 40; ++x) columns += At(window, x, 1) == 0 && At(window, x, 5) == 0 && At(window, x, 10) == 0;
    return columns;
  };
  EXPECT_EQ(black_columns(), 1) << "the caret";
  clock.Sleep(500);
  host.Draw(false);
  EXPECT_EQ(black_columns(), 0) << "the caret is off for the next 500 ms";
  clock.Sleep(500);
  host.Draw(false);
  EXPECT_EQ(black_columns(), 1);
}

TEST_F(TextFieldTest, AMemoDrawsItsScrollBarInFaceColours) {
  auto memo = Shown(true, Rect{0, 0, 100, 60});
  host.Draw(true);
  EXPECT_EQ(At(window, 100 - 16, 0), 0xFFFFFFu) << "the arrow's lit edge";
  EXPECT_EQ(At(window, 100 - 8, 30), 0xC0C0C0u) << "the track";
}

// ---- layout ----

TEST(TextFieldLayout, ParagraphsSplitAtEveryBreakKindAndWrapAtWords) {
  TextFieldFont font(TextFieldFontSpec{"IPAGothic", 12, 0});
  const int space = font.Advance(U'a');
  ASSERT_GT(space, 0);
  TextFieldLayout layout;
  const std::u32string text = U"aa aa aa\r\nb\rc\nddddddddd";
  layout.Build(text, 5 * space, font);
  std::vector<std::u32string> lines;
  for (const TextFieldLine& line : layout.lines()) lines.push_back(text.substr(line.start, line.end - line.start));
  EXPECT_EQ(lines, (std::vector<std::u32string>{U"aa aa ", U"aa", U"b", U"c", U"ddddd", U"dddd"}));
  layout.Build(U"x\r\n", 100, font);
  EXPECT_EQ(layout.lines().size(), 2u) << "a last empty line after a final break";
}

TEST(TextFieldLayout, AnUpdateAfterAnyEditEqualsAFreshLayout) {
  TextFieldFont font(TextFieldFontSpec{"IPAGothic", 12, 0});
  std::mt19937 random(7);
  const std::u32string alphabet = U"ab \r\n\u3042";
  std::u32string text;
  TextFieldLayout layout;
  layout.Build(text, 40, font);
  for (int step = 0; step < 2000; ++step) {
    const std::size_t at = text.empty() ? 0 : random() % (text.size() + 1);
    const std::size_t removed = at == text.size() ? 0 : random() % std::min<std::size_t>(4, text.size() - at + 1);
    std::u32string insert;
    for (std::size_t n = random() % 4; n > 0; --n) insert.push_back(alphabet[random() % alphabet.size()]);
    text.replace(at, removed, insert);
    layout.Update(text, TextFieldText::Change{at, removed, insert.size()}, 40, font);
    TextFieldLayout fresh;
    fresh.Build(text, 40, font);
    ASSERT_EQ(layout.lines().size(), fresh.lines().size()) << "step " << step;
    for (std::size_t i = 0; i < fresh.lines().size(); ++i) {
      ASSERT_EQ(layout.lines()[i].start, fresh.lines()[i].start) << "step " << step << " line " << i;
      ASSERT_EQ(layout.lines()[i].end, fresh.lines()[i].end) << "step " << step << " line " << i;
      ASSERT_EQ(layout.lines()[i].next, fresh.lines()[i].next) << "step " << step << " line " << i;
    }
  }
}

TEST(TextFieldFont, AnUnknownFaceFallsBackAndHugeHeightsDrawNothingWithoutLargeAllocations) {
  TextFieldFont unknown(TextFieldFontSpec{"no such face", 12, 0});
  EXPECT_FALSE(unknown.face_known());
  EXPECT_GT(unknown.Advance(U'a'), 0);
  TextFieldFont known(TextFieldFontSpec{"IPAGothic", 12, 0});
  EXPECT_TRUE(known.face_known());
  for (int height : {INT32_MAX, -INT32_MAX, INT32_MIN, 0}) {
    TextFieldFont font(TextFieldFontSpec{"IPAGothic", height, 15});
    Framebuffer target(20, 20);
    font.DrawGlyph(target, 0, 10, U'W', 0xFFFFFF, target.bounds());
    font.DrawLines(target, 0, 20, 10, 0xFFFFFF, target.bounds());
    EXPECT_GE(font.line_height(), 1);
  }
}

}  // namespace
}  // namespace vorn::platform
