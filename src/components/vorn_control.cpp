#include "components/vorn_control.h"

#include <algorithm>
#include <utility>

#include "components/fixed_point.h"
#include "components/vorn_base_list.h"
#include "foundation/vocabulary_codes.h"
#include "graphics/custom_dibx.h"

namespace vorn {

namespace {

constexpr std::int32_t kUnitZoom = 256;
// Width of the highlight frame, tiled from the 2x2 selection pattern.
constexpr int kHighlightFrameWidth = 2;

bool IntersectRects(TRect& a, const TRect& b) {
  if (RectIsEmpty(a) || RectIsEmpty(b) || !RectsOverlap(a, b)) return false;
  a = ClipRectTo(a, b);
  return true;
}

}  // namespace

TVornControl::TVornControl(TVornBaseList* owner) : TVornComponent(owner) {}

TVornControl::~TVornControl() {
  // A control freed without the scene's destruction steps still lets its film go while whole.
  motion_.reset();
  // Links do not own; whatever still points here is cut loose.
  if (parent_ != nullptr) std::erase(parent_->children_, this);
  for (TVornControl* child : children_) child->parent_ = nullptr;
}

void TVornControl::Create(std::unique_ptr<TVornObject> self) {
  TVornComponent::Create(std::move(self));
  if (TVornBaseList* scene = GetOwner(); scene != nullptr && scene->GetFocusedControl() == nullptr) {
    scene->RequestFocusChoice();
  }
}

void TVornControl::Destroying() {
  TVornComponent::Destroying();
  FreeMotion();
  ForgetFocus();
  if (TVornBaseList* scene = GetOwner()) {
    for (int i = 0; i < 2; ++i) {
      if (scene->GetBase(i)->GetHoverObject() == this) scene->GetBase(i)->SetHoverObject(nullptr);
    }
  }
}

void TVornControl::ForgetFocus() {
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr) return;
  TVornControl* focused = scene->GetFocusedControl();
  if (focused != nullptr && (focused == this || IsAncestorOf(focused))) {
    scene->DropFocusSilently();
    scene->RequestFocusChoice();
  }
}

void TVornControl::SetName(const std::string& name) {
  if (name == GetName()) return;
  if (TVornBaseList* scene = GetOwner(); scene != nullptr && !name.empty()) {
    scene->RenameClashingBearer(name, this);
  }
  StoreName(name);
}

// ---- parent and children ----

TVornControl* TVornControl::GetChild(int index) const {
  if (index < 0 || index >= GetChildCount()) return nullptr;
  return children_[static_cast<std::size_t>(index)];
}

TVornBase* TVornControl::GetBase() const {
  for (const TVornControl* control = this; control != nullptr; control = control->parent_) {
    // A layer answers itself.
    if (control != this && control->IsLayer()) return control->GetBase();
  }
  return nullptr;
}

bool TVornControl::IsAncestorOf(const TVornObject* object) const {
  if (object == nullptr) return false;
  for (const TVornControl* up = object->GetParent(); up != nullptr; up = up->parent_) {
    if (up == this) return true;
  }
  return false;
}

bool TVornControl::InCabinet() const {
  for (const TVornControl* up = parent_; up != nullptr; up = up->parent_) {
    if (up->GetCompoType() == 27) return true;
  }
  return false;
}

bool TVornControl::ChildBefore(const TVornControl* a, const TVornControl* b) {
  if (a == b) return false;
  const bool a_copy = a->GetName() == kScreenCopyName;
  const bool b_copy = b->GetName() == kScreenCopyName;
  if (a_copy || b_copy) return !a_copy && b_copy;
  const bool a_system = IsSystemName(a->GetName());
  const bool b_system = IsSystemName(b->GetName());
  if (a_system != b_system) return a_system;
  if (a->GetOrderValue() != b->GetOrderValue()) return a->GetOrderValue() < b->GetOrderValue();
  return a->GetName() < b->GetName();
}

void TVornControl::SortChildren() {
  std::stable_sort(children_.begin(), children_.end(), ChildBefore);
  children_sorted_ = true;
}

void TVornControl::AddChild(TVornControl* child) {
  if (!children_sorted_) {
    children_.push_back(child);
    SortChildren();
    return;
  }
  // Appending and stable-sorting a sorted list puts the newcomer after its equals: the same
  // place, found in logarithmic time.
  children_.insert(std::upper_bound(children_.begin(), children_.end(), child, ChildBefore), child);
}

void TVornControl::RemoveChild(TVornControl* child) { std::erase(children_, child); }

void TVornControl::SetParent(TVornControl* parent) {
  if (parent == parent_ || parent == this || IsAncestorOf(parent)) return;
  Invalidate();
  if (parent_ != nullptr) {
    TVornControl* old = parent_;
    old->RemoveChild(this);
    parent_ = nullptr;
    if (old->GetCompoType() == 27) CabinetLeave();
  }
  parent_ = parent;
  if (parent_ != nullptr) {
    parent_->AddChild(this);
    if (parent_->GetCompoType() == 27) CabinetEnter();
  }
  Invalidate();

  TVornBaseList* scene = GetOwner();
  if (scene == nullptr) return;
  TVornControl* focused = scene->GetFocusedControl();
  const bool on_active_layer = GetBase() == scene->ActiveLayer();
  if ((focused != nullptr && (focused == this || IsAncestorOf(focused)) && !on_active_layer) ||
      (focused == nullptr && on_active_layer)) {
    scene->SetFocusedControl(nullptr);
    scene->RequestFocusChoice();
  }
}

TScriptObject* TVornControl::GetParentObject() const { return parent_; }

// ---- geometry ----

std::int64_t TVornControl::AnchorX() const {
  const std::int64_t zoom = GetZoomX();
  if (!GetFlipH()) return zoom != kUnitZoom ? offset_x_ * zoom / kUnitZoom : offset_x_;
  if (zoom == kUnitZoom) return std::int64_t{width_} - offset_x_ - 1;
  return std::int64_t{width_} - zoom * offset_x_ / kUnitZoom - 1;
}

std::int64_t TVornControl::AnchorY() const {
  const std::int64_t zoom = GetZoomY();
  if (!GetFlipV()) return zoom != kUnitZoom ? offset_y_ * zoom / kUnitZoom : offset_y_;
  if (zoom == kUnitZoom) return std::int64_t{height_} - offset_y_ - 1;
  return std::int64_t{height_} - zoom * offset_y_ / kUnitZoom - 1;
}

std::int64_t TVornControl::PositionX() const {
  if (HasMotion()) return motion_left_;
  if (pos_zoomed_ != 0) return left_ * std::int64_t{GetZoomX()} / kUnitZoom;
  return left_;
}

std::int64_t TVornControl::PositionY() const {
  if (HasMotion()) return motion_top_;
  if (pos_zoomed_ != 0) return top_ * std::int64_t{GetZoomY()} / kUnitZoom;
  return top_;
}

bool TVornControl::UsesParentSurfaceScale(bool vertical) const {
  if (pos_zoomed_ == 0 || parent_ == nullptr || parent_->IsLayer() || HasMotion()) return false;
  if (parent_->GetOwnSurface() == nullptr || GetOwnSurface() == nullptr) return false;
  if (vertical ? GetZoomY() != parent_->GetZoomY() : GetZoomX() != parent_->GetZoomX()) return false;
  // A parent of width 0 has no scale: the plain position applies.
  return (vertical ? parent_->GetHeight() : parent_->GetWidth()) != 0;
}

std::int64_t TVornControl::ScaledScreenOffset(bool vertical) const {
  TCustomDIBX& parent_surface = *parent_->GetOwnSurface();
  TCustomDIBX& own_surface = *GetOwnSurface();
  const std::int64_t parent_surface_size = vertical ? parent_surface.GetHeight() : parent_surface.GetWidth();
  const std::int64_t parent_size = vertical ? parent_->GetHeight() : parent_->GetWidth();
  const std::int64_t own_surface_size = vertical ? own_surface.GetHeight() : own_surface.GetWidth();
  const std::int64_t position = vertical ? top_ : left_;
  const std::int64_t offset = vertical ? offset_y_ : offset_x_;
  const bool flipped = vertical ? GetFlipV() : GetFlipH();

  const std::int64_t step = std::max<std::int64_t>(1, RoundDivHalfEven(65536 * parent_surface_size, parent_size));
  const std::int64_t distance =
      flipped ? parent_surface_size + offset - position - own_surface_size : position - offset;
  const std::int64_t scaled = distance * 65536;
  std::int64_t result = scaled / step;
  if (scaled % step > 0x7FFF) result += 1;
  return result;
}

std::int64_t TVornControl::LocalScreenLeft() const {
  std::int64_t left;
  if (parent_ != nullptr && UsesParentSurfaceScale(false)) {
    left = ScaledScreenOffset(false);
  } else {
    left = PositionX() - AnchorX();
  }
  if (parent_ != nullptr) left -= parent_->GetScrollX();
  return left + plus_x_;
}

std::int64_t TVornControl::LocalScreenTop() const {
  std::int64_t top;
  if (parent_ != nullptr && UsesParentSurfaceScale(true)) {
    top = ScaledScreenOffset(true);
  } else {
    top = PositionY() - AnchorY();
  }
  if (parent_ != nullptr) top -= parent_->GetScrollY();
  return top + plus_y_;
}

// Each level adds its own part to its parent's screen position, so a deep tree is summed bottom
// up without recursion; 32-bit wraparound commutes with the sum.
std::int32_t TVornControl::GetScreenLeft() const {
  std::int64_t left = 0;
  const TVornControl* control = this;
  for (; control->parent_ != nullptr; control = control->parent_) left = Wrap32(left + control->LocalScreenLeft());
  const std::int64_t root = control == this ? LocalScreenLeft() : control->GetScreenLeft();
  return Wrap32(left + root);
}

std::int32_t TVornControl::GetScreenTop() const {
  std::int64_t top = 0;
  const TVornControl* control = this;
  for (; control->parent_ != nullptr; control = control->parent_) top = Wrap32(top + control->LocalScreenTop());
  const std::int64_t root = control == this ? LocalScreenTop() : control->GetScreenTop();
  return Wrap32(top + root);
}

std::int32_t TVornControl::GetDrawLeft() const {
  const std::int64_t zoom = GetZoomX();
  std::int64_t anchor;
  if (!GetFlipH()) {
    anchor = zoom != kUnitZoom ? offset_x_ * zoom / kUnitZoom : offset_x_;
  } else {
    anchor = zoom == kUnitZoom ? std::int64_t{width_} - offset_x_ : width_ - zoom * offset_x_ / kUnitZoom;
  }
  return Wrap32(plus_x_ + PositionX() - anchor);
}

std::int32_t TVornControl::GetDrawTop() const {
  const std::int64_t zoom = GetZoomY();
  std::int64_t anchor;
  if (!GetFlipV()) {
    anchor = zoom != kUnitZoom ? offset_y_ * zoom / kUnitZoom : offset_y_;
  } else {
    anchor = zoom == kUnitZoom ? std::int64_t{height_} - offset_y_ : height_ - zoom * offset_y_ / kUnitZoom;
  }
  return Wrap32(plus_y_ + PositionY() - anchor);
}

TPoint TVornControl::GetScreenAnchor() const {
  std::int64_t x = PositionX() + plus_x_;
  std::int64_t y = PositionY() + plus_y_;
  if (parent_ != nullptr) {
    x += std::int64_t{parent_->GetScreenLeft()} - parent_->GetScrollX();
    y += std::int64_t{parent_->GetScreenTop()} - parent_->GetScrollY();
  }
  return {Wrap32(x), Wrap32(y)};
}

TRect TVornControl::GetClipRect() const {
  if (clip_width_ < 1 || clip_height_ < 1) return {};
  const std::int64_t left = std::int64_t{GetScreenLeft()} + clip_left_;
  const std::int64_t top = std::int64_t{GetScreenTop()} + clip_top_;
  return {Wrap32(left), Wrap32(top), Wrap32(left + clip_width_), Wrap32(top + clip_height_)};
}

TPoint TVornControl::ClientToScreen(TPoint point) const {
  return {Wrap32(std::int64_t{point.x} + GetScreenLeft()), Wrap32(std::int64_t{point.y} + GetScreenTop())};
}

TPoint TVornControl::ScreenToClient(TPoint point) const {
  return {Wrap32(std::int64_t{point.x} - GetScreenLeft()), Wrap32(std::int64_t{point.y} - GetScreenTop())};
}

// ---- visibility, invalidation, painting ----

bool TVornControl::GetVisible() const {
  for (const TVornControl* control = this; control != nullptr; control = control->parent_) {
    switch (control->OwnVisibility()) {
      case TOwnVisibility::kHidden:
        return false;
      case TOwnVisibility::kShownAsRoot:
        return true;
      case TOwnVisibility::kNeedsParent:
        break;
    }
  }
  return false;
}

bool TVornControl::IsShowing() const {
  TVornBaseList* scene = GetOwner();
  return scene != nullptr && GetBase() == scene->ActiveLayer() && GetVisible();
}

void TVornControl::Invalidate() {
  if (!GetVisible()) return;
  TVornBase* layer = GetBase();
  if (layer == nullptr) return;
  TRect rect = GetScreenRect();
  if (parent_ != nullptr && !parent_->ClipToClient(rect)) return;
  if (const TRect clip = GetClipRect(); !RectIsEmpty(clip) && !IntersectRects(rect, clip)) return;
  AdjustInvalidRect(rect);
  layer->InvalidateRect(rect);
}

// One control whose children are being painted.
struct TPaintFrame {
  TVornControl* control = nullptr;
  TCustomDIBX* surface = nullptr;
  TRect saved{};  // the drawing rectangle the control was painted with
  TRect area{};   // its screen rectangle within that
  bool meets = false;
  std::vector<TVornControl*> children;  // a copy: a child's paint must not disturb the walk
  std::size_t next = 0;
  // Reset the drawing rectangle once this frame is done (its caller left that to it).
  bool reset_after = false;
};

namespace {

// Paints nest through the controls' own Paint overrides. Beyond this many levels a paint does not
// recurse: it hands its subtree to the walk that called it, so a chain of any depth paints in
// constant stack. Shallower scenes keep the plain nesting, where an override may still draw after
// its children.
constexpr int kMaxPaintNesting = 64;

thread_local int g_paint_nesting = 0;
// The walk that takes the subtrees of paints beyond the nesting limit.
thread_local std::vector<TPaintFrame>* g_paint_walk = nullptr;

}  // namespace

TPaintFrame TVornControl::StartPaintFrame() {
  TPaintFrame frame;
  frame.control = this;
  frame.surface = GetSurface();
  if (frame.surface == nullptr) return frame;
  frame.saved = frame.surface->GetDirtyRect();
  frame.area = GetScreenRect();
  frame.meets = IntersectRects(frame.area, frame.saved);
  if (frame.meets) frame.children = children_;
  return frame;
}

void TVornControl::FinishPaintFrame(const TPaintFrame& frame) {
  TCustomDIBX& surface = *frame.surface;
  surface.ResetDirtyRect();
  surface.SetDirtyRect(frame.saved);
  if (highlight_ && !IsVideo()) {
    if (TVornBaseList* scene = GetOwner(); scene != nullptr && scene->SelRectDIB() != nullptr) {
      surface.DrawBorder(GetScreenRect(), kHighlightFrameWidth, *scene->SelRectDIB(), 0, 0);
    }
  }
}

void TVornControl::Paint() {
  if (g_paint_walk != nullptr && g_paint_nesting >= kMaxPaintNesting) {
    TPaintFrame frame = StartPaintFrame();
    if (frame.surface != nullptr) g_paint_walk->push_back(std::move(frame));
    return;
  }
  TPaintFrame first = StartPaintFrame();
  if (first.surface == nullptr) return;
  std::vector<TPaintFrame> walk;
  walk.push_back(std::move(first));
  std::vector<TPaintFrame>* const outer = std::exchange(g_paint_walk, &walk);
  ++g_paint_nesting;
  while (!walk.empty()) {
    TPaintFrame& frame = walk.back();
    if (frame.meets && frame.next < frame.children.size()) {
      TVornControl* child = frame.children[frame.next++];
      if (!child->GetVisible()) continue;
      TRect drawing = frame.area;
      if (const TRect clip = child->GetClipRect(); !RectIsEmpty(clip) && !IntersectRects(drawing, clip)) continue;
      TCustomDIBX& surface = *frame.surface;
      surface.ResetDirtyRect();
      surface.SetDirtyRect(drawing);
      const std::size_t before = walk.size();
      child->Paint();  // may push the child's own frame (and invalidate `frame`)
      if (walk.size() == before) {
        surface.ResetDirtyRect();
      } else {
        walk[before].reset_after = true;
      }
      continue;
    }
    const TPaintFrame done = std::move(frame);
    walk.pop_back();
    done.control->FinishPaintFrame(done);
    if (done.reset_after) done.surface->ResetDirtyRect();
  }
  --g_paint_nesting;
  g_paint_walk = outer;
}

void TVornControl::SetHighlight(bool flag) {
  if (flag == highlight_) return;
  Invalidate();
  highlight_ = flag;
  Invalidate();
}

void TVornControl::PositionChanged() {
  std::vector<TVornControl*> pending{this};
  while (!pending.empty()) {
    TVornControl* control = pending.back();
    pending.pop_back();
    control->OnPositionChanged();
    pending.insert(pending.end(), control->children_.rbegin(), control->children_.rend());
  }
}

void TVornControl::ClipChanged() {
  std::vector<TVornControl*> pending{this};
  while (!pending.empty()) {
    TVornControl* control = pending.back();
    pending.pop_back();
    control->OnClipChanged();
    pending.insert(pending.end(), control->children_.rbegin(), control->children_.rend());
  }
}

TVornControl* TVornControl::FindFocusable() {
  // Depth first over the visible children, last to first; a control answers for itself only after
  // its subtree had no answer.
  struct Frame {
    TVornControl* control;
    int next_child;
  };
  std::vector<Frame> stack{{this, GetChildCount() - 1}};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next_child >= 0) {
      TVornControl* child = frame.control->children_[static_cast<std::size_t>(frame.next_child--)];
      if (child->GetVisible()) stack.push_back({child, child->GetChildCount() - 1});
      continue;
    }
    TVornControl* control = frame.control;
    stack.pop_back();
    if (control->GetHandleKey() && !control->GetPaused()) return control;
  }
  return nullptr;
}

// ---- property setters ----

template <typename Field, typename Value>
bool TVornControl::ChangeVisual(Field& field, Value value) {
  if (field == static_cast<Field>(value)) return false;
  Invalidate();
  field = static_cast<Field>(value);
  Invalidate();
  return true;
}

void TVornControl::SetLeft(std::int32_t value) {
  if (ChangeVisual(left_, value)) motion_left_ = 0;
  PositionChanged();
}

void TVornControl::SetTop(std::int32_t value) {
  if (ChangeVisual(top_, value)) motion_top_ = 0;
  PositionChanged();
}

void TVornControl::SetWidth(std::int32_t value) { ChangeVisual(width_, value); }

void TVornControl::SetHeight(std::int32_t value) { ChangeVisual(height_, value); }

void TVornControl::SetOffsetX(std::int32_t value) {
  ChangeVisual(offset_x_, value);
  PositionChanged();
}

void TVornControl::SetOffsetY(std::int32_t value) {
  ChangeVisual(offset_y_, value);
  PositionChanged();
}

void TVornControl::SetColor(std::int32_t value) {
  if (value == color_) return;
  color_ = value;
  Invalidate();
}

void TVornControl::SetPosZoomed(bool value) { ChangeVisual(pos_zoomed_, value ? 1 : 0); }

void TVornControl::SetPlusX(std::int32_t value) { ChangeVisual(plus_x_, value); }

void TVornControl::SetPlusY(std::int32_t value) { ChangeVisual(plus_y_, value); }

void TVornControl::SetClipLeft(std::int32_t value) {
  if (ChangeVisual(clip_left_, value)) ClipChanged();
}

void TVornControl::SetClipTop(std::int32_t value) {
  if (ChangeVisual(clip_top_, value)) ClipChanged();
}

void TVornControl::SetClipWidth(std::int32_t value) {
  if (ChangeVisual(clip_width_, value)) ClipChanged();
}

void TVornControl::SetClipHeight(std::int32_t value) {
  if (ChangeVisual(clip_height_, value)) ClipChanged();
}

void TVornControl::SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  Invalidate();
  if (left != left_) motion_left_ = 0;
  if (top != top_) motion_top_ = 0;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
  PositionChanged();
}

void TVornControl::SetVisible(bool value) {
  TVornBaseList* scene = GetOwner();
  if (!value) {
    Invalidate();
    visible_ = 0;
    if (scene == nullptr) return;
    TVornControl* focused = scene->GetFocusedControl();
    if (focused != nullptr && (focused == this || IsAncestorOf(focused))) {
      scene->SetFocusedControl(nullptr);
      scene->RequestFocusChoice();
    }
    return;
  }
  if (visible_ == 0) {
    visible_ = 1;
    Invalidate();
  }
  if (scene != nullptr && scene->GetFocusedControl() == nullptr) scene->RequestFocusChoice();
}

bool TVornControl::GetAniPaused() const {
  // Objects a film makes for itself pause with their host.
  const TVornControl* control = this;
  while (IsSystemName(control->GetName()) && control->parent_ != nullptr) control = control->parent_;
  return control->ani_paused_ != 0;
}

void TVornControl::LoadMotion(const std::string& file_name) {
  FreeMotion();
  std::unique_ptr<TControlFilm> motion = GetFilmMaker().CreateFilm(*this);
  motion->LoadMotion(file_name);
  motion_ = std::move(motion);
}

void TVornControl::RestartMotion() {
  if (motion_ != nullptr) motion_->RestartMotion();
}

void TVornControl::FreeMotion() { motion_.reset(); }

bool TVornControl::Tick() {
  TControlFilm* motion = GetMotion();
  if (motion == nullptr || !motion->Tick()) return false;
  return MotionEnded();
}

bool TVornControl::MotionEnded() {
  if (GetAutoScrap()) return true;
  PostPlayEnd();
  return false;
}

void TVornControl::PostPlayEnd() {
  TVornBaseList* scene = GetOwner();
  const std::string label = GetOnPlayEnd();
  if (scene == nullptr || !CanPostEvent(scene->Events(), *this, label, PR_ONPLAYEND, TPostKind::kPlain)) return;
  scene->Events().PostEvent(this, label, nullptr, PR_ONPLAYEND);
}

bool TVornControl::GetPlaying() const { return IsMotionRunning() && !GetPaused() && !GetAniPaused(); }

void TVornControl::SetHandleKey(bool value) {
  handle_key_ = value ? 1 : 0;
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr) return;
  TVornControl* focused = scene->GetFocusedControl();
  if ((value && focused == nullptr) || (!value && focused == this)) scene->RequestFocusChoice();
}

}  // namespace vorn
