#include "toolstrip/strip_control.h"

#include <algorithm>

#include "toolstrip/strip_colors.h"
#include "toolstrip/strip_form.h"

namespace vorn {

TStripControl::TStripControl() : color_(StripColors().face) {}

TStripControl::~TStripControl() {
  for (TStripControl* child : children_) child->parent_ = nullptr;
  children_.clear();
  Detach();
}

void TStripControl::Detach() {
  if (!parent_) return;
  TStripForm* form = Form();
  if (form && form->Captured() == this) form->SetCapture(nullptr);
  TStripControl* parent = parent_;
  std::erase(parent->children_, this);
  parent_ = nullptr;
  parent->ChildrenChanged();
}

TStripForm* TStripControl::Form() { return parent_ ? parent_->Form() : nullptr; }

void TStripControl::SetParent(TStripControl* parent) {
  if (parent == parent_) return;
  if (parent) CheckParent(parent);
  TStripControl* old = parent_;
  Detach();
  if (parent) {
    parent_ = parent;
    parent->children_.push_back(this);
  }
  ParentChanged(old);
  if (parent) parent->ChildrenChanged();
}

void TStripControl::SetBounds(const platform::Rect& bounds) {
  if (bounds == bounds_) return;
  const platform::Rect old = bounds_;
  const bool shown = Showing();
  if (shown) Invalidate();
  bounds_ = bounds;
  BoundsChanged(old);
  if (shown) Invalidate();
  if (parent_) parent_->ChildChanged(this);
  if (old.width != bounds.width || old.height != bounds.height) {
    NotifyChildrenOfResize();
    if (OnResize) OnResize();
  }
  if ((old.left != bounds.left || old.top != bounds.top) && OnMove) OnMove();
}

void TStripControl::NotifyChildrenOfResize() {
  // A child may leave or rearrange its siblings while it follows: walk a copy.
  const std::vector<TStripControl*> children = children_;
  for (TStripControl* child : children) child->ParentResized();
}

platform::Rect TStripControl::WindowRect() const {
  int left = bounds_.left;
  int top = bounds_.top;
  for (const TStripControl* p = parent_; p; p = p->parent_) {
    const platform::Rect client = p->ClientRect();
    left += p->bounds_.left + client.left;
    top += p->bounds_.top + client.top;
  }
  return platform::Rect{left, top, bounds_.width, bounds_.height};
}

void TStripControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible) Invalidate();
  visible_ = visible;
  VisibleChanged();
  if (parent_) parent_->ChildChanged(this);
  if (visible) Invalidate();
}

bool TStripControl::Showing() const {
  for (const TStripControl* c = this; c; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void TStripControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  EnabledChanged();
  Invalidate();
}

void TStripControl::SetColor(std::uint32_t bgr) {
  if (bgr == color_) return;
  color_ = bgr;
  Invalidate();
}

void TStripControl::Invalidate() {
  TStripForm* form = Form();
  if (form) form->Repaint(WindowRect());
}

void TStripControl::Paint(TStripPainter& painter) {
  painter.Fill(platform::Rect{0, 0, bounds_.width, bounds_.height}, color_);
}

void TStripControl::PaintTree(TStripPainter& painter) {
  Paint(painter);
  const platform::Rect client = ClientRect();
  for (TStripControl* child : children_) {
    if (!child->visible_) continue;
    TStripPainter child_painter = painter.Child(client.left + child->bounds_.left, client.top + child->bounds_.top,
                                                child->bounds_.width, child->bounds_.height);
    child->PaintTree(child_painter);
  }
}

TStripControl* TStripControl::ControlAt(int window_x, int window_y) {
  if (!visible_ || !WindowRect().Contains(window_x, window_y)) return nullptr;
  // The last child lies on top.
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    if (TStripControl* hit = (*it)->ControlAt(window_x, window_y)) return hit;
  }
  return this;
}

void TStripControl::MouseDown(platform::MouseButton button, unsigned shift, int x, int y, bool) {
  if (OnMouseDown) OnMouseDown(button, shift, x, y);
}

void TStripControl::MouseMove(unsigned shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(shift, x, y);
}

void TStripControl::MouseUp(platform::MouseButton button, unsigned shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(button, shift, x, y);
}

}  // namespace vorn
