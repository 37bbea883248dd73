#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "components/drawn_control_fixture.h"
#include "components/vorn_list_box.h"
#include "components/vorn_menu.h"
#include "engine/param_collection.h"
#include "foundation/vocabulary_codes.h"
#include "platform/key_codes.h"

namespace vorn {
namespace {

using test::Cells;
using test::Rgb;

constexpr test::TRgb kBorder = Rgb(0, 0, 250);
const std::vector<test::TRgb> kScrollCells = {Rgb(1, 0, 0), Rgb(2, 0, 0), Rgb(3, 0, 0), Rgb(4, 0, 0),
                                              Rgb(5, 0, 0), Rgb(6, 0, 0), Rgb(7, 0, 0)};
const std::vector<test::TRgb> kCheckCells = {Rgb(0, 90, 0), Rgb(0, 180, 0)};

class ListBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    w.world.AddPicture("corner.pel", {Cells(3, 2, {kBorder})});
    w.world.AddPicture("six.pel", {Cells(6, 6, {kBorder})});
    w.world.AddPicture("scroll.pel", {Cells(4, 5, kScrollCells)});
    w.world.AddPicture("check.pel", {Cells(4, 4, kCheckCells)});
    w.Start();
  }
  template <typename T = TVornCustomListBox>
  T* Make(const std::string& text = "a\r\nb\r\nc\r\nd\r\ne", std::int32_t rows = 3) {
    T* box = w.Make<T>();
    box->SetAlpha(255);
    box->SetRowCount(rows);
    box->SetText(text);
    box->SetOnSelect("p:select");
    box->SetOnMapIn("p:in");
    box->SetOnMapOut("p:out");
    box->Tick();
    w.TakeEvents();
    return box;
  }
  std::vector<std::string> Own(const std::vector<std::string>& events) {
    std::vector<std::string> own;
    for (const std::string& e : events) {
      if (e.rfind("p:", 0) == 0) own.push_back(e);
    }
    return own;
  }
  // A screen point in the middle of row k.
  TPoint RowPoint(const TVornCustomListBox& box, int k) {
    const std::int64_t y = box.ItemTop() + k * (box.RowHeight() + box.GetLineSpace()) + box.RowHeight() / 2;
    return {static_cast<std::int32_t>(box.ItemLeft() + 1), static_cast<std::int32_t>(y)};
  }
  std::vector<std::string> Items(const TVornCustomListBox& box) {
    std::vector<std::string> items;
    for (int i = 0; i < box.ItemCount(); ++i) items.push_back(box.Item(i));
    return items;
  }

  test::TDrawnWorld w;
};

TEST_F(ListBoxTest, TextIsStrippedAndSplitAtEveryLineBreak) {
  struct Case {
    std::string text;
    std::vector<std::string> items;
    std::string stored;
  };
  const Case cases[] = {
      {"\r\na\r\nb\r\n", {"a", "b"}, "a\r\nb"},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}, "a\rb\nc\r\nd"},
      {"\x01\x02x\x1f", {"x"}, "x"},
      {"a\r\n\r\nb", {"a", "", "b"}, "a\r\n\r\nb"},
      {"", {}, ""},
      {"\r\n\r\n", {}, ""},
      // A lead byte takes the next byte with it: no line break and nothing stripped.
      {"x\r\n\x81\n", {"x", "\x81\n"}, "x\r\n\x81\n"},
  };
  TVornCustomListBox* box = Make();
  for (const Case& c : cases) {
    box->SetItemChecked(0, true);
    box->SetTopIndex(1);
    box->SetText(c.text);
    EXPECT_EQ(Items(*box), c.items) << c.text;
    EXPECT_EQ(box->GetText(), c.stored) << c.text;
    EXPECT_EQ(box->GetCount(), static_cast<std::int32_t>(c.items.size()));
    EXPECT_FALSE(box->GetItemChecked(0));
    EXPECT_EQ(box->GetTopIndex(), 0);
    EXPECT_TRUE(box->IsSizeDirty());
  }
}

TEST_F(ListBoxTest, ConstructionDefaults) {
  auto* box = w.Make<TVornCustomListBox>();
  EXPECT_EQ(box->GetColor(), -1);
  EXPECT_EQ(box->GetIndex(), 0);
  EXPECT_EQ(box->Hover(), -1);
  EXPECT_EQ(box->MouseState(), TVornCustomListBox::kIdle);
  EXPECT_EQ(box->GetHoverColor(), -1);
  EXPECT_TRUE(box->GetAntiAlias());
  EXPECT_EQ(box->GetFontHeight(), 12);
  EXPECT_EQ(box->GetFontColor(), 0xFFFFFF);
  EXPECT_EQ(box->GetAlpha(), 0);
  EXPECT_EQ(box->GetBorderColor(), 0);
  EXPECT_EQ(box->GetRowCount(), 0);
  auto* menu = w.Make<TVornMenu>();
  EXPECT_EQ(menu->GetHoverColor(), 0);
  EXPECT_EQ(menu->GetPlayState(), LP_STOP);
  EXPECT_EQ(menu->GetCompoType(), 12);
  // A new list box has rows of a 12-pixel font.
  menu->SetRowCount(1);
  menu->SetText("x");
  menu->UpdateSize();
  EXPECT_EQ(menu->GetHeight(), 12);
  EXPECT_GT(menu->RowHeight(), 0);
}

TEST_F(ListBoxTest, TopIndexIsClampedAndHoverPastTheNewCountIsDropped) {
  TVornCustomListBox* box = Make();
  const std::pair<std::int32_t, std::int32_t> cases[] = {{-5, 0}, {1, 1}, {2, 2}, {3, 2}, {1000, 2}};
  for (const auto& [set, read] : cases) {
    box->SetTopIndex(set);
    EXPECT_EQ(box->GetTopIndex(), read) << set;
  }
  box->SetRowCount(10);
  box->Tick();
  box->SetTopIndex(1);
  EXPECT_EQ(box->GetTopIndex(), 0);
  w.Move(RowPoint(*box, 2).x, RowPoint(*box, 2).y);
  w.Step();
  ASSERT_EQ(box->Hover(), 2);
  w.TakeEvents();
  box->SetText("one\r\ntwo");
  EXPECT_EQ(box->Hover(), -1);
  EXPECT_TRUE(Own(w.TakeEvents()).empty());
}

TEST_F(ListBoxTest, AutomaticSizeFollowsTheFormula) {
  TVornCustomListBox* box = Make();
  box->SetBorderSource(0, "corner.pel");  // 3 x 2
  box->SetBorderSource(8, "six.pel");     // 6 x 6
  box->SetCheckSource("check.pel");       // cells 4 x 4
  box->SetScrollSource("scroll.pel");     // cells 4 x 5
  box->SetBorderWidth(2);
  box->SetMarginX(5);
  box->SetMarginY(1);
  box->SetLineSpace(3);
  box->SetFontBorder(1);
  box->SetFontHoverShadow(4);
  box->Tick();
  const std::int64_t label = std::max(box->NormalLabels().MaxWidth(), box->HoverLabels().MaxWidth());
  // Five items in three rows: scrolling.
  EXPECT_EQ(box->GetWidth(), label + 4 + 3 + 6 + 10 + 4 + 4);
  const std::int64_t v = std::max(2 + 12 + 0, 0 + 12 + 4);
  EXPECT_EQ(box->GetHeight(), 3 * v + 2 * 3 + 4 + 2 + 6 + 2);
  // A colour change does not mark the size dirty; a style change does.
  box->SetFontColor(0x123456);
  EXPECT_FALSE(box->IsSizeDirty());
  box->SetFontShadow(2);
  EXPECT_TRUE(box->IsSizeDirty());
  // An empty list is LINESPACE shorter than its frame.
  box->SetText("");
  box->Tick();
  EXPECT_EQ(box->GetHeight(), -3 + 4 + 2 + 6 + 2);
}

TEST_F(ListBoxTest, TileOriginOfEachAlignment) {
  struct Case {
    std::uint8_t align;
    std::int64_t cell, image, origin;
  };
  const Case cases[] = {{0, 20, 6, 0},  {1, 20, 6, -1}, {2, 20, 6, -2}, {1, 20, 30, -5},
                        {2, 20, 30, -10}, {1, 21, 30, -4}, {1, 20, 0, 0},  {2, 0, 6, -6}};
  for (const Case& c : cases) {
    EXPECT_EQ(TVornCustomListBox::TileOrigin(c.align, c.cell, c.image), c.origin)
        << int{c.align} << " " << c.cell << " " << c.image;
  }
}

TEST_F(ListBoxTest, CellRectanglesOfTheFrame) {
  TVornCustomListBox* box = Make();
  box->SetBorderSource(0, "corner.pel");  // 3 x 2
  box->SetBorderSource(1, "corner.pel");
  box->SetBorderSource(4, "corner.pel");
  box->SetBorderSource(8, "six.pel");  // 6 x 6
  box->SetBorderWidth(1);
  box->SetLeft(10);
  box->SetTop(5);
  box->SetWidth(40);
  box->SetHeight(30);
  // F = (11, 6) - (49, 34); left 3, right 6, top 2, bottom 6.
  const TRect64 c0 = box->CellRect(0);
  EXPECT_EQ((std::vector<std::int64_t>{c0.left, c0.top, c0.right, c0.bottom}), (std::vector<std::int64_t>{11, 6, 14, 8}));
  const TRect64 c4 = box->CellRect(4);
  EXPECT_EQ((std::vector<std::int64_t>{c4.left, c4.top, c4.right, c4.bottom}), (std::vector<std::int64_t>{14, 8, 43, 28}));
  const TRect64 c8 = box->CellRect(8);
  EXPECT_EQ((std::vector<std::int64_t>{c8.left, c8.top, c8.right, c8.bottom}), (std::vector<std::int64_t>{43, 28, 49, 34}));
  // F lower than the top border: the bottom row is empty, every cell clipped to F.
  box->SetHeight(3);
  EXPECT_TRUE(box->CellRect(8).IsEmpty());
  EXPECT_EQ(box->CellRect(0).bottom, 7);
  // Narrower than the borders: side cells reach outside F.
  box->SetHeight(30);
  box->SetWidth(4);
  EXPECT_EQ(box->CellRect(8).left, 13 - 6);
}

TEST_F(ListBoxTest, ItemUnderAPointNeverAnswersAMissingItem) {
  TVornCustomListBox* box = Make("a\r\nb", 3);
  box->SetLineSpace(4);
  box->SetMarginY(2);
  box->Tick();
  const TPoint first = RowPoint(*box, 0);
  EXPECT_EQ(box->ItemAt(first.x, first.y), 0);
  const TPoint second = RowPoint(*box, 1);
  EXPECT_EQ(box->ItemAt(second.x, second.y), 1);
  // The script made the box taller than its two rows: the third row holds no item.
  box->SetHeight(200);
  const TPoint third = RowPoint(*box, 2);
  EXPECT_EQ(box->ItemAt(third.x, third.y), -1);
  EXPECT_EQ(box->ItemAt(box->GetScreenLeft() - 1, first.y), -1);
}

TEST_F(ListBoxTest, HoverEventsAndSelection) {
  TVornCustomListBox* box = Make();
  const TPoint row0 = RowPoint(*box, 0);
  const TPoint row1 = RowPoint(*box, 1);
  w.Move(row0.x, row0.y);
  EXPECT_EQ(Own(w.Step()), (std::vector<std::string>{"p:in 104 a -1"}));
  w.Move(row1.x, row1.y);
  EXPECT_EQ(Own(w.Step()), (std::vector<std::string>{"p:in 104 b -1"}));
  EXPECT_EQ(box->GetIndex(), -1);
  w.Press();
  EXPECT_TRUE(Own(w.Step()).empty());
  w.Release();
  EXPECT_EQ(Own(w.Step()), (std::vector<std::string>{"p:select 72 b 1"}));
  EXPECT_EQ(box->GetIndex(), 1);
  EXPECT_EQ(w.world.engine.params().SelectedText(), "b");
  EXPECT_EQ(w.world.engine.params().SelectedIndex(), 1);
  w.Move(200, 200);
  EXPECT_EQ(Own(w.Step()), (std::vector<std::string>{"p:out 105 b 1"}));
  EXPECT_EQ(box->Hover(), -1);
}

TEST_F(ListBoxTest, PausedBoxTakesNoHoverAndNoSelection) {
  TVornCustomListBox* box = Make();
  box->SetPaused(true);
  const TPoint row0 = RowPoint(*box, 0);
  w.Move(row0.x, row0.y);
  w.Step();
  EXPECT_EQ(box->Hover(), -1);
  w.Press();
  w.Step();
  w.Release();
  EXPECT_TRUE(Own(w.Step()).empty());
}

TEST_F(ListBoxTest, HeldDownArrowScrollsAtOnceAfter300MsThenEvery50Ms) {
  TVornCustomListBox* box = Make("0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12", 2);
  box->SetScrollSource("scroll.pel");
  box->Tick();
  ASSERT_TRUE(box->Scrolling());
  const TRect64 f = box->FrameRect();
  const int x = static_cast<int>(f.right - 2);
  const int down_y = static_cast<int>(f.bottom - 2);
  ASSERT_EQ(box->ScrollPartAt(x, down_y), TVornCustomListBox::TScrollPart::kDownArrow);
  w.Move(x, down_y);
  w.Step();
  w.Press();
  w.Step();
  EXPECT_EQ(box->GetTopIndex(), 1);
  std::vector<int> steps;
  for (int frame = 1; frame <= 25; ++frame) {
    const std::int32_t before = box->GetTopIndex();
    w.Step();
    if (box->GetTopIndex() != before) steps.push_back(frame);
  }
  EXPECT_EQ(steps, (std::vector<int>{19, 22, 25}));
  w.Move(x - 40, down_y);
  const std::int32_t held = box->GetTopIndex();
  for (int frame = 0; frame < 10; ++frame) w.Step();
  EXPECT_EQ(box->GetTopIndex(), held);
  w.Release();
  w.Step();
  EXPECT_EQ(box->MouseState(), TVornCustomListBox::kIdle);
}

TEST_F(ListBoxTest, DraggingTheThumbSetsTheTopIndexToTheNearestRow) {
  TVornCustomListBox* box = Make("0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12", 2);
  box->SetScrollSource("scroll.pel");  // cells 4 x 5
  box->Tick();
  // Two rows of 12: HEIGHT 24, travel 24 - 3 x 5 = 9, thumb top 5 at TOPINDEX 0.
  ASSERT_EQ(box->GetHeight(), 24);
  ASSERT_EQ(box->ThumbTop(), 5);
  const int x = box->GetWidth() - 2;
  w.Move(x, 6);  // drag offset 6 - 5 - 5 / 2 = -1
  w.Step();
  w.Press();
  w.Step();
  ASSERT_EQ(box->MouseState(), TVornCustomListBox::kThumb);
  const std::pair<int, std::int32_t> moves[] = {{10, 5}, {20, 11}, {0, 0}, {9, 4}};  // 11 x (y - 6) / 9
  for (const auto& [y, top] : moves) {
    w.Move(x, y);
    w.Step();
    EXPECT_EQ(box->GetTopIndex(), top) << y;
  }
  w.Release();
  w.Step();
  EXPECT_EQ(box->MouseState(), TVornCustomListBox::kIdle);
}

TEST_F(ListBoxTest, PaintsTheScrollStripCellsAndTheMenusHoverBar) {
  TVornCustomListBox* box = Make("0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12", 2);
  box->SetScrollSource("scroll.pel");
  box->Tick();
  w.PaintAll();
  const int x = box->GetWidth() - 2;
  // Up arrow 0..4, thumb 5..9 (TOPINDEX 0), lower track 10..18, down arrow 19..23.
  EXPECT_EQ(w.At(x, 2), kScrollCells[0]);
  EXPECT_EQ(w.At(x, 7), kScrollCells[6]);
  EXPECT_EQ(w.At(x, 14), kScrollCells[4]);
  EXPECT_EQ(w.At(x, 21), kScrollCells[2]);
  box->DeleteObject();

  auto* menu = Make<TVornMenu>("a\r\nb", 2);
  menu->SetMarginX(4);
  menu->SetMarginY(4);
  menu->SetLineSpace(4);
  menu->SetHoverColor(Rgb(0, 255, 0));
  menu->SetPlayState(LP_PLAY);
  menu->Tick();
  const TPoint row1 = RowPoint(*menu, 1);
  w.Move(row1.x, row1.y);
  w.Step();
  ASSERT_EQ(menu->Hover(), 1);
  w.PaintAll();
  // The bar reaches min(4 / 2, 4) = 2 above its row and starts one pixel inside the menu.
  const int bar_top = static_cast<int>(menu->ItemTop() + menu->RowHeight() + 4 - 2);
  EXPECT_EQ(w.At(1, bar_top), Rgb(0, 255, 0));
  EXPECT_EQ(w.At(0, bar_top), 0);
  EXPECT_EQ(w.At(1, bar_top - 1), 0);
  EXPECT_EQ(w.At(1, static_cast<int>(bar_top + menu->RowHeight() + 3)), Rgb(0, 255, 0));
  // While opening, neither items nor the bar are drawn.
  menu->SetPlayState(LP_STOP);
  menu->SetPlayState(LP_PLAYFADE);
  menu->Tick();
  menu->SetHeight(menu->FullHeight());
  w.PaintAll();
  EXPECT_EQ(w.At(1, bar_top), 0);
}

TEST_F(ListBoxTest, KeysMoveTheHoverAndTheTopIndexFollows) {
  struct Case {
    std::int32_t start;
    int key;
    std::int32_t hover;
    std::int32_t top;
  };
  const Case cases[] = {
      {-1, platform::kVkUp, 4, 2},   {-1, platform::kVkDown, 0, 0},  {-1, platform::kVkPrior, 4, 2},
      {-1, platform::kVkNext, 0, 0}, {1, platform::kVkNext, 4, 2},   {4, platform::kVkDown, 4, 2},
      {4, platform::kVkPrior, 1, 1}, {2, platform::kVkUp, 1, 0},
  };
  // The pointer stays off the boxes unless a case puts the hover somewhere.
  w.Move(500, 500);
  for (const Case& c : cases) {
    TVornCustomListBox* box = Make();
    box->SetHandleKey(true);
    w.Scene().SetFocusedControl(box);
    if (c.start >= 0) {
      box->SetTopIndex(c.start >= 3 ? 2 : 0);
      const TPoint p = RowPoint(*box, c.start - box->GetTopIndex());
      w.Move(p.x, p.y);
      w.Step();
      ASSERT_EQ(box->Hover(), c.start);
      w.Move(p.x, p.y);
    }
    w.Scene().SetKeyDown(c.key, true);
    w.Step();
    w.Scene().SetKeyDown(c.key, false);
    w.Step();
    EXPECT_EQ(box->Hover(), c.hover) << c.start << " " << c.key;
    EXPECT_EQ(box->GetTopIndex(), c.top) << c.start << " " << c.key;
    box->DeleteObject();
    w.Move(500, 500);
    w.Step();
  }
  // Without items the keys change nothing.
  TVornCustomListBox* empty = Make("", 3);
  empty->SetHandleKey(true);
  w.Scene().SetFocusedControl(empty);
  w.Scene().SetKeyDown(platform::kVkDown, true);
  w.Step();
  EXPECT_EQ(empty->Hover(), -1);
}

TEST_F(ListBoxTest, PaintsFrameFillHoverBarAndChecks) {
  TVornCustomListBox* box = Make("a\r\nb", 2);
  box->SetLeft(2);
  box->SetTop(3);
  box->SetBorderWidth(1);
  box->SetBorderColor(Rgb(255, 0, 255));
  box->SetColor(Rgb(0, 0, 60));
  box->SetMarginX(2);
  box->SetMarginY(2);
  box->SetLineSpace(2);
  box->SetCheckSource("check.pel");
  box->SetItemChecked(1, true);
  box->Tick();
  auto* menu_like = box;
  const TPoint row1 = RowPoint(*menu_like, 1);
  w.PaintAll();
  EXPECT_EQ(w.At(2, 3), Rgb(255, 0, 255));
  EXPECT_EQ(w.At(3, 4), Rgb(0, 0, 60));
  // The check cell 0 sits left of the label, centred on its row.
  const std::int64_t cy = box->ItemTop() + box->RowHeight() + 2 + (box->RowHeight() - 4) / 2;
  EXPECT_EQ(w.At(static_cast<int>(box->ItemLeft() - 4), static_cast<int>(cy)), kCheckCells[0]);
  EXPECT_EQ(w.At(static_cast<int>(box->ItemLeft() - 1), static_cast<int>(cy + 3)), kCheckCells[0]);
  // No hover bar on a list box (HOVERCOLOR -1); hovered, the check shows cell 1.
  w.Move(row1.x, row1.y);
  w.Step();
  w.PaintAll();
  EXPECT_EQ(w.At(static_cast<int>(box->ItemLeft() - 4), static_cast<int>(cy)), kCheckCells[1]);
  EXPECT_EQ(w.At(4, static_cast<int>(box->ItemTop() + box->RowHeight() + 2)), Rgb(0, 0, 60));
}

TEST_F(ListBoxTest, ChecksOutsideTheItemsReadFalseAndWriteNothing) {
  TVornCustomListBox* box = Make("a\r\nb", 2);
  for (const int item : {-1, 2, std::numeric_limits<int>::max()}) {
    box->SetItemChecked(item, true);
    EXPECT_FALSE(box->GetItemChecked(item));
  }
  box->SetItemChecked(1, true);
  EXPECT_TRUE(box->GetItemChecked(1));
}

TEST_F(ListBoxTest, HugeTextAndHostileNumbersNeitherCrashNorHang) {
  std::string many;
  for (int i = 0; i < 100000; ++i) many += "x\n";
  TVornCustomListBox* box = Make(many, 10);
  EXPECT_EQ(box->ItemCount(), 100000);
  box->SetText(std::string(1 << 20, 'y'));
  EXPECT_EQ(box->ItemCount(), 1);
  for (const std::int32_t value : {std::numeric_limits<std::int32_t>::min(), -1, 0, std::numeric_limits<std::int32_t>::max()}) {
    box->SetRowCount(value);
    box->SetLineSpace(value);
    box->SetMarginX(value);
    box->SetMarginY(value);
    box->SetBorderWidth(value);
    box->SetTopIndex(value);
    box->Tick();
    w.PaintAll();
    box->ItemAt(10, 10);
    w.Move(10, 10);
    w.Step();
  }
}

}  // namespace
}  // namespace vorn
