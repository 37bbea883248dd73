#include "toolstrip/dock97.h"

#include <algorithm>
#include <cstdint>

#include "toolstrip/strip_colors.h"
#include "toolstrip/strip_form.h"
#include "toolstrip/toolbar97.h"

namespace vorn {
namespace {

constexpr int kMinimumRowSize = 8;
// The docked frame: 2 pixels on each side of a tool window.
constexpr int kDockedFrame = 4;

}  // namespace

TDock97::TDock97() = default;

TDock97::~TDock97() {
  for (TCustomToolWindow97* window : dock_list_) window->dock_ = nullptr;
}

std::string TDock97::Version() { return "VornPlayer tool strip 1.0"; }

void TDock97::SetPosition(TDockPosition position) {
  if (position == position_) return;
  if (!Children().empty()) throw EToolStripError("Cannot change Position of a TDock97 if it already contains controls");
  position_ = position;
  AlignToParent();
  ArrangeToolbars();
}

void TDock97::SetAllowDrag(bool allow) {
  if (allow == allow_drag_) return;
  allow_drag_ = allow;
  BeginUpdate();
  for (TCustomToolWindow97* window : dock_list_) window->RecalcFrame();
  EndUpdate();
}

void TDock97::SetBoundLines(unsigned lines) {
  lines &= blTop | blBottom | blLeft | blRight;
  if (lines == bound_lines_) return;
  bound_lines_ = lines;
  ArrangeToolbars();
  Invalidate();
}

void TDock97::SetFixAlign(bool fix) {
  if (fix == fix_align_) return;
  fix_align_ = fix;
  ArrangeToolbars();
}

void TDock97::SetLimitToOneRow(bool limit) {
  if (limit == limit_to_one_row_) return;
  limit_to_one_row_ = limit;
  ArrangeToolbars();
}

void TDock97::EndUpdate() {
  if (lock_count_ > 0 && --lock_count_ == 0 && arrange_needed_) ArrangeToolbars();
}

int TDock97::NonClientAcross() const {
  const unsigned a = Horizontal() ? blTop : blLeft;
  const unsigned b = Horizontal() ? blBottom : blRight;
  return ((bound_lines_ & a) ? 1 : 0) + ((bound_lines_ & b) ? 1 : 0);
}

int TDock97::NonClientAlong() const {
  const unsigned a = Horizontal() ? blLeft : blTop;
  const unsigned b = Horizontal() ? blRight : blBottom;
  return ((bound_lines_ & a) ? 1 : 0) + ((bound_lines_ & b) ? 1 : 0);
}

platform::Rect TDock97::ClientRect() const {
  const int left = (bound_lines_ & blLeft) ? 1 : 0;
  const int top = (bound_lines_ & blTop) ? 1 : 0;
  const int right = (bound_lines_ & blRight) ? 1 : 0;
  const int bottom = (bound_lines_ & blBottom) ? 1 : 0;
  return platform::Rect{left, top, std::max(0, Width() - left - right), std::max(0, Height() - top - bottom)};
}

void TDock97::ToolWindowInserted(TCustomToolWindow97* window) {
  if (std::find(dock_list_.begin(), dock_list_.end(), window) == dock_list_.end()) dock_list_.push_back(window);
  ArrangeToolbars();
}

void TDock97::ToolWindowRemoved(TCustomToolWindow97* window) {
  std::erase(dock_list_, window);
  ArrangeToolbars();
}

void TDock97::CheckParent(TStripControl* parent) {
  if (dynamic_cast<TCustomToolWindow97*>(parent) || dynamic_cast<TDock97*>(parent)) {
    throw EToolStripError("A TDock97 control cannot be placed inside a tool window or another TDock97");
  }
}

void TDock97::ParentChanged(TStripControl*) {
  AlignToParent();
  ArrangeToolbars();
}

void TDock97::BoundsChanged(const platform::Rect& old_bounds) {
  // A longer or shorter dock places its rows again; a change across comes from the arrangement.
  const bool length_changed = Horizontal() ? old_bounds.width != Width() : old_bounds.height != Height();
  if (length_changed && !arranging_) ArrangeToolbars();
}

void TDock97::AlignToParent() {
  TStripControl* parent = Parent();
  if (!parent) return;
  const platform::Rect area = parent->ClientRect();
  const platform::Rect b = Bounds();
  switch (position_) {
    case TDockPosition::dpTop:
      SetBounds(platform::Rect{0, 0, area.width, b.height});
      break;
    case TDockPosition::dpBottom:
      SetBounds(platform::Rect{0, area.height - b.height, area.width, b.height});
      break;
    case TDockPosition::dpLeft:
      SetBounds(platform::Rect{0, 0, b.width, area.height});
      break;
    case TDockPosition::dpRight:
      SetBounds(platform::Rect{area.width - b.width, 0, b.width, area.height});
      break;
  }
}

void TDock97::SetThickness(int thickness) {
  const platform::Rect b = Bounds();
  switch (position_) {
    case TDockPosition::dpTop:
      SetBounds(platform::Rect{b.left, b.top, b.width, thickness});
      break;
    case TDockPosition::dpBottom:
      SetBounds(platform::Rect{b.left, b.bottom() - thickness, b.width, thickness});
      break;
    case TDockPosition::dpLeft:
      SetBounds(platform::Rect{b.left, b.top, thickness, b.height});
      break;
    case TDockPosition::dpRight:
      SetBounds(platform::Rect{b.right() - thickness, b.top, thickness, b.height});
      break;
  }
}

void TDock97::ArrangeToolbars() { Arrange(false); }
void TDock97::ArrangeToolbarsClipped() { Arrange(true); }

void TDock97::Arrange(bool clip_positions) {
  if (lock_count_ > 0 || arranging_) {
    arrange_needed_ = true;
    return;
  }
  arrange_needed_ = false;
  arranging_ = true;
  TStripUpdateHold hold(Form());
  const bool horizontal = Horizontal();

  const bool any_visible =
      std::any_of(dock_list_.begin(), dock_list_.end(), [](const TCustomToolWindow97* w) { return w->Visible(); });
  if (!any_visible) {
    row_sizes_.clear();
    SetThickness(fix_align_ ? 1 : 0);
    arranging_ = false;
    return;
  }

  if (limit_to_one_row_) {
    for (TCustomToolWindow97* window : dock_list_) window->dock_row_ = 0;
  }
  std::vector<TCustomToolWindow97*> order = dock_list_;
  std::stable_sort(order.begin(), order.end(), [](const TCustomToolWindow97* a, const TCustomToolWindow97* b) {
    if (a->dock_row_ != b->dock_row_) return a->dock_row_ < b->dock_row_;
    // -1 means "after the others".
    const std::int64_t pa = a->dock_pos_ < 0 ? INT64_MAX : a->dock_pos_;
    const std::int64_t pb = b->dock_pos_ < 0 ? INT64_MAX : b->dock_pos_;
    return pa < pb;
  });

  // Rows as they stand, then a full-size window alone in its row with the rest one row further.
  std::vector<std::vector<TCustomToolWindow97*>> rows;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i == 0 || order[i]->dock_row_ != order[i - 1]->dock_row_) rows.emplace_back();
    rows.back().push_back(order[i]);
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    auto full = std::find_if(rows[r].begin(), rows[r].end(), [](const TCustomToolWindow97* w) { return w->full_size_; });
    if (full == rows[r].end() || rows[r].size() == 1) continue;
    TCustomToolWindow97* alone = *full;
    rows[r].erase(full);
    std::vector<TCustomToolWindow97*> rest = std::move(rows[r]);
    rows[r] = {alone};
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(r) + 1, std::move(rest));
  }

  row_sizes_.assign(rows.size(), 0);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    bool shown = false;
    int size = 0;
    for (TCustomToolWindow97* window : rows[r]) {
      window->dock_row_ = static_cast<int>(r);
      if (!window->Visible()) continue;
      shown = true;
      size = std::max(size, window->DockedThickness(horizontal));
    }
    row_sizes_[r] = shown ? std::max(size, kMinimumRowSize) : 0;
  }

  const int inner = std::max(0, (horizontal ? Width() : Height()) - NonClientAlong());
  int across = 0;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (row_sizes_[r] == 0) continue;
    std::vector<TCustomToolWindow97*> shown;
    for (TCustomToolWindow97* window : rows[r]) {
      if (window->Visible()) shown.push_back(window);
    }
    std::vector<int> pos(shown.size());
    std::vector<int> len(shown.size());
    int end = 0;
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (shown[k]->full_size_) {
        pos[k] = 0;
        len[k] = inner;
        continue;
      }
      len[k] = shown[k]->DockedLength(horizontal);
      pos[k] = std::max(shown[k]->dock_pos_, end);
      end = static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(pos[k]) + len[k], INT32_MAX));
    }
    int limit = inner;
    for (std::size_t k = shown.size(); k-- > 0;) {
      if (shown[k]->full_size_) continue;
      if (static_cast<std::int64_t>(pos[k]) + len[k] > limit) pos[k] = std::max(0, limit - len[k]);
      limit = pos[k];
      if (clip_positions) shown[k]->dock_pos_ = pos[k];
    }
    const int thickness = row_sizes_[r] + kDockedFrame;
    for (std::size_t k = 0; k < shown.size(); ++k) {
      shown[k]->SetBounds(horizontal ? platform::Rect{pos[k], across, len[k], thickness}
                                     : platform::Rect{across, pos[k], thickness, len[k]});
    }
    across += thickness;
  }
  SetThickness(across + NonClientAcross());
  arranging_ = false;
}

void TDock97::Paint(TStripPainter& painter) {
  const platform::Rect all{0, 0, Width(), Height()};
  painter.Fill(all, Color());
  const bool any_visible =
      std::any_of(dock_list_.begin(), dock_list_.end(), [](const TCustomToolWindow97* w) { return w->Visible(); });
  if (bound_lines_ == 0 || !any_visible) return;
  const platform::FaceColors& colors = StripColors();
  if (bound_lines_ & blTop) painter.Fill(platform::Rect{0, 0, Width(), 1}, colors.shadow);
  if (bound_lines_ & blLeft) painter.Fill(platform::Rect{0, 0, 1, Height()}, colors.shadow);
  if (bound_lines_ & blBottom) painter.Fill(platform::Rect{0, Height() - 1, Width(), 1}, colors.highlight);
  if (bound_lines_ & blRight) painter.Fill(platform::Rect{Width() - 1, 0, 1, Height()}, colors.highlight);
}

}  // namespace vorn
