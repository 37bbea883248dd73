#include "toolstrip/toolbar97.h"

#include <algorithm>

#include "toolstrip/strip_colors.h"
#include "toolstrip/strip_form.h"

namespace vorn {
namespace {

constexpr int kFrame = 2;
constexpr int kMinimumThickness = 8;
constexpr int kEmptyLength = 8;
// Drag handle widths by DragHandleStyle (two ridges, none, one ridge); a docked close box needs 14.
constexpr int kHandleSizes[3] = {9, 0, 6};
constexpr int kHandleWithCloseBox = 14;
constexpr int kRidgeWidth = 3;

}  // namespace

TCustomToolWindow97::TCustomToolWindow97() = default;

TCustomToolWindow97::~TCustomToolWindow97() {
  if (dock_) {
    TDock97* dock = dock_;
    dock_ = nullptr;
    dock->ToolWindowRemoved(this);
  }
}

void TCustomToolWindow97::DockRearrange() {
  if (dock_) {
    dock_->ArrangeToolbars();
  } else {
    ArrangeChildren();
  }
}

void TCustomToolWindow97::SetDockRow(int row) {
  if (row == dock_row_) return;
  dock_row_ = row;
  DockRearrange();
}

void TCustomToolWindow97::SetDockPos(int pos) {
  if (pos == dock_pos_) return;
  dock_pos_ = pos;
  DockRearrange();
}

void TCustomToolWindow97::SetFullSize(bool full) {
  if (full == full_size_) return;
  full_size_ = full;
  DockRearrange();
}

void TCustomToolWindow97::SetBorderStyle(TBorderStyle style) {
  if (style == border_style_) return;
  border_style_ = style;
  RecalcFrame();
}

void TCustomToolWindow97::SetDragHandleStyle(int style) {
  if (style < 0 || style > 2 || style == drag_handle_style_) return;
  drag_handle_style_ = style;
  RecalcFrame();
}

void TCustomToolWindow97::SetCloseButtonWhenDocked(bool on) {
  if (on == close_button_when_docked_) return;
  close_button_when_docked_ = on;
  RecalcFrame();
}

int TCustomToolWindow97::DragHandleSize() const {
  if (!dock_ || !dock_->AllowDrag()) return 0;
  return close_button_when_docked_ ? kHandleWithCloseBox : kHandleSizes[drag_handle_style_];
}

void TCustomToolWindow97::RecalcFrame() {
  TStripUpdateHold hold(Form());
  ArrangeChildren();
  DockRearrange();
  Invalidate();
}

platform::Rect TCustomToolWindow97::ClientRect() const {
  const int handle = DragHandleSize();
  const bool horizontal = Horizontal();
  const int left = kFrame + (horizontal ? handle : 0);
  const int top = kFrame + (horizontal ? 0 : handle);
  return platform::Rect{left, top, std::max(0, Width() - left - kFrame), std::max(0, Height() - top - kFrame)};
}

void TCustomToolWindow97::CheckParent(TStripControl* parent) {
  if (!dynamic_cast<TDock97*>(parent) && !dynamic_cast<TStripForm*>(parent)) {
    throw EToolStripError("A tool window can only be placed on a TDock97 or directly on the form");
  }
}

void TCustomToolWindow97::ParentChanged(TStripControl*) {
  TDock97* new_dock = dynamic_cast<TDock97*>(Parent());
  if (new_dock == dock_) return;
  if (OnDockChanging) OnDockChanging();
  if (OnDockChangingEx) OnDockChangingEx(new_dock);
  if (!Visible() && OnDockChangingHidden) OnDockChangingHidden();
  if (OnRecreating) OnRecreating();
  TDock97* old_dock = dock_;
  dock_ = new_dock;
  if (old_dock) old_dock->ToolWindowRemoved(this);
  ArrangeChildren();
  if (new_dock) new_dock->ToolWindowInserted(this);
  if (OnRecreated) OnRecreated();
  if (OnDockChanged) OnDockChanged();
}

void TCustomToolWindow97::VisibleChanged() {
  DockRearrange();
  if (OnVisibleChanged) OnVisibleChanged();
}

void TCustomToolWindow97::BoundsChanged(const platform::Rect& old_bounds) {
  if (old_bounds.width != Width() || old_bounds.height != Height()) ArrangeChildren();
}

void TCustomToolWindow97::Paint(TStripPainter& painter) {
  const platform::FaceColors& colors = StripColors();
  const platform::Rect all{0, 0, Width(), Height()};
  painter.Fill(all, Color());
  if (border_style_ == TBorderStyle::bsSingle) painter.Ring(all, colors.highlight, colors.shadow);
  const int handle = DragHandleSize();
  if (handle == 0) return;
  // The handle's ridges: raised edges 3 pixels wide across the thickness, each with a lit pixel
  // at its far end. The close box is not drawn; its room stays in the handle.
  const bool horizontal = Horizontal();
  const int ridges = drag_handle_style_ == 0 ? 2 : drag_handle_style_ == 2 ? 1 : 0;
  for (int i = 0; i < ridges; ++i) {
    const int along = kFrame + 1 + i * kRidgeWidth;
    if (horizontal) {
      const platform::Rect ridge{along, kFrame + 1, kRidgeWidth, Height() - 2 * kFrame - 2};
      painter.Ring(ridge, colors.highlight, colors.shadow);
      painter.Pixel(ridge.left, ridge.bottom() - 1, colors.highlight);
    } else {
      const platform::Rect ridge{kFrame + 1, along, Width() - 2 * kFrame - 2, kRidgeWidth};
      painter.Ring(ridge, colors.highlight, colors.shadow);
      painter.Pixel(ridge.right() - 1, ridge.top, colors.highlight);
    }
  }
}

int TCustomToolbar97::DockedThickness(bool horizontal) const {
  int thickness = 0;
  for (const TStripControl* child : Children()) {
    if (!child->Visible() || dynamic_cast<const TToolbarSep97*>(child)) continue;
    thickness = std::max(thickness, horizontal ? child->Height() : child->Width());
  }
  return std::max(thickness, kMinimumThickness);
}

int TCustomToolbar97::DockedLength(bool horizontal) const {
  std::int64_t length = 0;
  bool any = false;
  for (const TStripControl* child : Children()) {
    if (!child->Visible()) continue;
    any = true;
    const auto* separator = dynamic_cast<const TToolbarSep97*>(child);
    const int size = separator ? (horizontal ? separator->SizeHorz() : separator->SizeVert())
                               : (horizontal ? child->Width() : child->Height());
    length += std::max(0, size);
  }
  if (!any) length = kEmptyLength;
  length += 2 * kFrame + DragHandleSize();
  return static_cast<int>(std::min<std::int64_t>(length, INT32_MAX));
}

void TCustomToolbar97::ArrangeChildren() {
  if (arranging_) return;
  arranging_ = true;
  TStripUpdateHold hold(Form());
  const bool horizontal = Horizontal();
  if (!DockedTo()) {
    // On the form itself the toolbar takes the size it needs.
    const int length = DockedLength(true);
    const int thickness = DockedThickness(true) + 2 * kFrame;
    SetBounds(platform::Rect{Left(), Top(), length, thickness});
  }
  const platform::Rect client = ClientRect();
  const int thickness = horizontal ? client.height : client.width;
  int along = 0;
  for (TStripControl* child : Children()) {
    if (!child->Visible()) continue;
    if (auto* separator = dynamic_cast<TToolbarSep97*>(child)) {
      const int size = std::max(0, horizontal ? separator->SizeHorz() : separator->SizeVert());
      child->SetBounds(horizontal ? platform::Rect{along, 0, size, thickness} : platform::Rect{0, along, thickness, size});
      along += size;
      continue;
    }
    const int w = child->Width();
    const int h = child->Height();
    child->SetBounds(horizontal ? platform::Rect{along, (thickness - h) / 2, w, h}
                                : platform::Rect{(thickness - w) / 2, along, w, h});
    along += std::max(0, horizontal ? w : h);
  }
  arranging_ = false;
}

void TCustomToolbar97::ChildrenChanged() {
  ArrangeChildren();
  DockRearrange();
}

void TCustomToolbar97::ChildChanged(TStripControl*) {
  if (arranging_) return;
  ArrangeChildren();
  DockRearrange();
}

TToolbarSep97::TToolbarSep97() { SetBounds(platform::Rect{0, 0, size_horz_, size_vert_}); }

void TToolbarSep97::CheckParent(TStripControl* parent) {
  if (!dynamic_cast<TCustomToolbar97*>(parent)) throw EToolStripError("TToolbarSep97 can only be placed on a TToolbar97");
}

void TToolbarSep97::SizeChanged() {
  if (Parent()) {
    Parent()->Invalidate();
    // The toolbar lays its children out again when one of them changes.
    const platform::Rect b = Bounds();
    SetBounds(platform::Rect{b.left, b.top, size_horz_, b.height});
  }
}

void TToolbarSep97::SetSizeHorz(int size) {
  if (size == size_horz_) return;
  size_horz_ = size;
  SizeChanged();
}

void TToolbarSep97::SetSizeVert(int size) {
  if (size == size_vert_) return;
  size_vert_ = size;
  SizeChanged();
}

void TToolbarSep97::SetBlank(bool blank) {
  if (blank == blank_) return;
  blank_ = blank;
  Invalidate();
}

void TToolbarSep97::Paint(TStripPainter& painter) {
  if (blank_) return;
  const platform::FaceColors& colors = StripColors();
  const auto* bar = dynamic_cast<const TCustomToolWindow97*>(Parent());
  if (!bar || bar->Horizontal()) {
    const int x = size_horz_ / 2 - 1;
    painter.Fill(platform::Rect{x, 0, 1, Height()}, colors.shadow);
    painter.Fill(platform::Rect{x + 1, 0, 1, Height()}, colors.highlight);
  } else {
    const int y = size_vert_ / 2 - 1;
    painter.Fill(platform::Rect{0, y, Width(), 1}, colors.shadow);
    painter.Fill(platform::Rect{0, y + 1, Width(), 1}, colors.highlight);
  }
}

}  // namespace vorn
