#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "text/line_breaking.h"
#include "text/text_values.h"
#include "text/wd_operators.h"
#include "text/wd_row.h"
#include "text/zk_word.h"

namespace vorn {

namespace {

bool IsFloatingAlign(std::uint8_t align) { return align == kAlignLeft || align == kAlignRight; }

// Operators the layout acts on itself; they never become row children.
bool IsLayoutOperator(const TWdGlyph& g) {
  int kind = g.GetKind();
  return kind == kGlyphAlign || kind == kGlyphIndent || kind == kGlyphUndent;
}

bool IsFloating(const TWdGlyph& g) { return !IsLayoutOperator(g) && IsFloatingAlign(g.GetAlign()); }

// The areas that floating glyphs take from the rows beside them.
class TWdClipList {
 public:
  explicit TWdClipList(std::int64_t width) : width_(width) {}

  void Add(std::int64_t left, std::int64_t top, std::int64_t w, std::int64_t h, bool right_side) {
    areas_.push_back(Area{left, top, left + w, top + h, right_side});
  }
  void Clear() { areas_.clear(); }

  std::int64_t LeftAt(std::int64_t y) const {
    std::int64_t left = 0;
    bool found = false;
    for (const Area& a : areas_) {
      if (a.right_side || !Covers(a, y)) continue;
      left = found ? std::max(left, a.right) : a.right;
      found = true;
    }
    return left;
  }
  std::int64_t RightAt(std::int64_t y) const {
    std::int64_t right = width_;
    bool found = false;
    for (const Area& a : areas_) {
      if (!a.right_side || !Covers(a, y)) continue;
      right = found ? std::min(right, a.left) : a.left;
      found = true;
    }
    return right;
  }

 private:
  struct Area {
    std::int64_t left, top, right, bottom;
    bool right_side;
  };
  static bool Covers(const Area& a, std::int64_t y) { return a.top <= y && y < a.bottom; }

  std::int64_t width_;
  std::vector<Area> areas_;
};

// One layout run over a document's glyphs.
class LayoutRun {
 public:
  LayoutRun(TZkWord& doc, TWdPageList& pages, int first, int end)
      : doc_(doc), pages_(pages), first_(first), end_(end), clips_(doc.VisibleWidth) {}

  void Run();

 private:
  TWdGlyph& Glyph(int i) const { return *doc_.GetGlyph(i); }
  std::int64_t GroupWidth(int i, int& count) const;
  void OpenRow(int index);
  void CloseRow(bool with_line_space);
  bool PlaceGroup(int& i);
  void PlaceFloat(int& i);
  void Finish();

  TZkWord& doc_;
  TWdPageList& pages_;
  int first_;
  int end_;
  TWdClipList clips_;
  std::vector<TWdPage*> made_;

  std::int64_t y_ = 0;
  std::uint8_t align_ = kAlignLeft;
  std::int64_t indent_ = 0;
  TWdPage* page_ = nullptr;
  TWdRow* row_ = nullptr;
  std::int64_t row_width_ = 0;
  bool row_has_glyphs_ = false;
  bool row_has_visible_ = false;
  // Where the open row began, to lay it out again on a new page.
  int row_first_ = 0;
  std::uint8_t row_align_ = kAlignLeft;
  std::int64_t row_indent_ = 0;
};

std::int64_t LayoutRun::GroupWidth(int i, int& count) const {
  const TWdGlyph& g = Glyph(i);
  std::int64_t w = g.GetWidth();
  count = 1;
  if (g.GetKind() == kGlyphReturn) return w;
  int j = i + 1;
  auto join_unbreakable = [&] {
    while (j <= end_ && !IsLayoutOperator(Glyph(j)) && !IsFloating(Glyph(j)) &&
           !CanBreakBefore(Glyph(j), doc_.PreviousGlyph(j))) {
      w += Glyph(j).GetWidth();
      ++count;
      ++j;
    }
  };
  join_unbreakable();
  // An opening bracket takes the next word along.
  if (count == 1 && !MayEndLine(g) && j <= end_ && Glyph(j).GetKind() != kGlyphReturn &&
      !IsLayoutOperator(Glyph(j)) && !IsFloating(Glyph(j))) {
    w += Glyph(j).GetWidth();
    ++count;
    ++j;
    join_unbreakable();
  }
  return w;
}

void LayoutRun::OpenRow(int index) {
  if (page_ == nullptr) {
    pages_.push_back(std::make_unique<TWdPage>(&doc_));
    page_ = pages_.back().get();
    made_.push_back(page_);
    y_ = 0;
    // Floats reserve room on their own page only.
    clips_.Clear();
  }
  auto row = std::make_unique<TWdRow>(&doc_);
  row->y = SaturateToInt32(y_);
  row->SetAlign(align_);
  row->SetLeftLimit(SaturateToInt32(clips_.LeftAt(y_)));
  row->SetRightLimit(SaturateToInt32(clips_.RightAt(y_)));
  row_ = page_->AddRow(std::move(row));
  row_width_ = indent_;
  row_->width = SaturateToInt32(row_width_);
  if (indent_ > 0) {
    auto space = std::make_unique<TWdSpace>(&doc_);
    space->width = SaturateToInt32(indent_);
    row_->AddChild(row_->Own(std::move(space)));
  }
  row_has_glyphs_ = false;
  row_has_visible_ = false;
  row_first_ = index;
  row_align_ = align_;
  row_indent_ = indent_;
}

void LayoutRun::CloseRow(bool with_line_space) {
  y_ += row_->GetHeight();
  if (with_line_space) y_ += doc_.LineSpace;
  row_ = nullptr;
}

// Places the group starting at i; false when layout must go on from i again.
bool LayoutRun::PlaceGroup(int& i) {
  int count = 0;
  std::int64_t w = GroupWidth(i, count);
  std::int64_t band = static_cast<std::int64_t>(row_->GetRightLimit()) - row_->GetLeftLimit();
  if (row_width_ > row_indent_ && doc_.VisibleWidth != 0 && band < row_width_ + w) {
    CloseRow(true);
    return false;
  }
  for (int k = 0; k < count; ++k) {
    TWdGlyph& g = Glyph(i + k);
    row_->AddChild(&g);
    row_has_glyphs_ = true;
    row_has_visible_ = row_has_visible_ || g.IsVisibleGlyph();
  }
  if (doc_.Paging != 0 && page_->GetChildCount() > 1 && y_ + row_->GetHeight() > doc_.VisibleHeight) {
    // The row crosses the bottom: it starts the next page instead. The first row of a page is
    // always kept, so each restart moves on.
    page_->RemoveRow(row_);
    row_ = nullptr;
    page_ = nullptr;
    i = row_first_;
    align_ = row_align_;
    indent_ = row_indent_;
    return false;
  }
  row_width_ += w;
  row_->width = SaturateToInt32(row_width_);
  TWdGlyph& first = Glyph(i);
  i += count;
  if (first.GetKind() == kGlyphReturn) {
    bool page_break = first.GetPageBreak();
    CloseRow(true);
    if (page_break) page_ = nullptr;
  }
  return true;
}

void LayoutRun::PlaceFloat(int& i) {
  TWdGlyph& g = Glyph(i);
  if (row_has_glyphs_) {
    CloseRow(false);
    OpenRow(i);
  }
  if (doc_.Paging != 0 && page_->GetChildCount() > 1 &&
      y_ + static_cast<std::int64_t>(g.GetHeight()) > doc_.VisibleHeight) {
    page_->RemoveRow(row_);
    row_ = nullptr;
    page_ = nullptr;
    OpenRow(i);
  }
  bool right_side = g.GetAlign() == kAlignRight;
  std::int64_t w = g.GetWidth();
  std::int64_t left = right_side ? static_cast<std::int64_t>(row_->GetRightLimit()) - w : row_->GetLeftLimit();
  clips_.Add(left, y_, w, g.GetHeight(), right_side);
  g.x = SaturateToInt32(left);
  g.y = 0;
  row_->AddChild(&g);
  row_has_glyphs_ = true;
  row_has_visible_ = row_has_visible_ || g.IsVisibleGlyph();
  row_->SetLeftLimit(SaturateToInt32(clips_.LeftAt(y_)));
  row_->SetRightLimit(SaturateToInt32(clips_.RightAt(y_)));
  ++i;
}

void LayoutRun::Run() {
  for (int i = first_; i <= end_; ++i) Glyph(i).Measure();
  int i = first_;
  while (i <= end_) {
    TWdGlyph& g = Glyph(i);
    switch (g.GetKind()) {
      case kGlyphAlign:
        align_ = g.GetAlign();
        if (row_ != nullptr && !row_has_visible_) row_->SetAlign(align_);
        ++i;
        continue;
      case kGlyphIndent:
        if (row_ != nullptr) indent_ = row_width_;
        ++i;
        continue;
      case kGlyphUndent:
        indent_ = 0;
        ++i;
        continue;
      default:
        break;
    }
    if (row_ == nullptr) OpenRow(i);
    if (IsFloating(g)) {
      PlaceFloat(i);
    } else {
      PlaceGroup(i);
    }
  }
  Finish();
}

void LayoutRun::Finish() {
  std::int64_t widest = 0;
  for (TWdPage* page : made_) {
    page->Arrange();
    for (int r = 0; r < page->GetChildCount(); ++r) widest = std::max<std::int64_t>(widest, page->GetChild(r)->GetWidth());
  }
  if (doc_.VisibleWidth == 0) doc_.VisibleWidth = SaturateToInt32(widest);
}

}  // namespace

void TZkWord::Layout(TWdPageList& pages, int first, int last) {
  int count = GlyphCount();
  first = std::max(first, 0);
  int end = last < 0 ? -1 : GlyphAtUnit(last);
  if (end < 0) end = count - 1;
  if (first > end) return;
  LayoutRun(*this, pages, first, end).Run();
}

}  // namespace vorn
