#include "text/wd_row.h"

#include <algorithm>

#include "foundation/rect.h"
#include "text/zk_word.h"

namespace vorn {

namespace {

bool IsFloating(const TWdGlyph* g) { return g->GetAlign() == kAlignLeft || g->GetAlign() == kAlignRight; }

}  // namespace

std::unique_ptr<TWdGlyph> TWdRow::NewLike(TZkWord* document) const { return std::make_unique<TWdRow>(document); }
std::unique_ptr<TWdGlyph> TWdPage::NewLike(TZkWord* document) const { return std::make_unique<TWdPage>(document); }

void TWdRow::ResetHeights() {
  tallest_base_ = 0;
  tallest_center_ = tallest_top_ = tallest_bottom_ = -1;
}

void TWdRow::Count(const TWdGlyph* child) {
  if (IsFloating(child)) return;
  std::int32_t h = child->GetHeight();
  switch (child->GetAlign()) {
    case kAlignCenter:
      tallest_center_ = std::max(tallest_center_, h);
      break;
    case kAlignTop:
      tallest_top_ = std::max(tallest_top_, h);
      break;
    case kAlignBottom:
      tallest_bottom_ = std::max(tallest_bottom_, h);
      break;
    default:
      tallest_base_ = std::max(tallest_base_, h);
      break;
  }
}

// Every contribution grows with the child's height, so the tallest child of each kind decides.
void TWdRow::UpdateHeights() {
  std::int64_t c = tallest_base_;
  std::int64_t a = 0;
  std::int64_t b = 0;
  if (tallest_center_ >= 0) {
    std::int64_t half = (tallest_center_ - c + 1) / 2;
    a = std::max(a, half);
    b = std::max(b, half);
  }
  if (tallest_top_ >= 0) b = std::max(b, tallest_top_ - c);
  if (tallest_bottom_ >= 0) a = std::max(a, tallest_bottom_ - c);
  above_ = SaturateToInt32(a);
  base_ = SaturateToInt32(c);
  below_ = SaturateToInt32(b);
  height = SaturateToInt32(a + c + b);
}

void TWdRow::AddChild(TWdGlyph* child) {
  TWdComposite::AddChild(child);
  Count(child);
  UpdateHeights();
}

void TWdRow::DeleteChild(int index) {
  TWdComposite::DeleteChild(index);
  ResetHeights();
  for (const TWdGlyph* child : children_) Count(child);
  UpdateHeights();
}

void TWdRow::ClearChildren() {
  TWdComposite::ClearChildren();
  ResetHeights();
  UpdateHeights();
}

void TWdRow::Arrange() {
  std::int64_t x0 = left_limit_;
  if (align_ == kAlignRight) {
    x0 = static_cast<std::int64_t>(right_limit_) - width;
  } else if (align_ == kAlignCenter) {
    x0 = left_limit_ + (static_cast<std::int64_t>(right_limit_) - left_limit_ - width) / 2;
  }
  width = SaturateToInt32(width + x0);

  ResetHeights();
  for (const TWdGlyph* child : children_) Count(child);
  UpdateHeights();

  std::int64_t cx = x0;
  for (TWdGlyph* child : children_) {
    if (IsFloating(child)) continue;
    child->x = SaturateToInt32(cx);
    cx += child->GetWidth();
    std::int64_t h = child->GetHeight();
    std::int64_t cy;
    if (h == 0) {
      cy = above_;
    } else if (child->GetAlign() == kAlignCenter) {
      cy = above_ + (static_cast<std::int64_t>(base_) - h) / 2;
    } else if (child->GetAlign() == kAlignTop) {
      cy = above_;
    } else {
      cy = static_cast<std::int64_t>(height) - below_ - h;
    }
    child->y = SaturateToInt32(cy);
  }
}

void TWdRow::Draw() {
  std::int32_t left = GetScreenX();
  std::int32_t top = GetScreenY();
  TRect screen{left, top, SaturateToInt32(static_cast<std::int64_t>(left) + width),
               SaturateToInt32(static_cast<std::int64_t>(top) + height)};
  if (document_ == nullptr || !RectsOverlap(screen, document_->ClipRect)) return;
  TWdComposite::Draw();
}

TWdGlyph* TWdRow::HitTest(std::int32_t px, std::int32_t py) {
  std::int64_t ry = static_cast<std::int64_t>(py) - y;
  for (TWdGlyph* child : children_) {
    if (child->GetOpacity() != 255) continue;
    if (px >= child->x && px < static_cast<std::int64_t>(child->x) + child->GetWidth() && ry >= child->y &&
        ry < static_cast<std::int64_t>(child->y) + child->GetHeight()) {
      return child;
    }
  }
  return nullptr;
}

std::int32_t TWdPage::GetScreenX() const { return document_->Left; }

std::int32_t TWdPage::GetScreenY() const {
  std::int64_t top = document_->Top;
  if (document_->Paging == 0) top -= ScrollOffset;
  return SaturateToInt32(top);
}

void TWdPage::Arrange() {
  std::int64_t bottom = 0;
  for (TWdGlyph* row : children_) {
    row->Arrange();
    bottom = std::max(bottom, static_cast<std::int64_t>(row->y) + row->GetHeight());
  }
  height = SaturateToInt32(bottom);
}

TWdRow* TWdPage::AddRow(std::unique_ptr<TWdRow> row) {
  TWdRow* raw = row.get();
  Own(std::move(row));
  AddChild(raw);
  return raw;
}

void TWdPage::RemoveRow(TWdRow* row) {
  int index = IndexOfChild(row);
  if (index >= 0) TWdComposite::DeleteChild(index);
  FreeOwned(row);
}

}  // namespace vorn
