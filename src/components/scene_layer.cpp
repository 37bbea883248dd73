#include <vector>

#include "components/vorn_base_list.h"
#include "graphics/dibx.h"
#include "graphics/dx_dibx.h"

namespace vorn {

TVornBase::TVornBase(TVornBaseList* owner) : TVornControl(owner) {}

TVornBase::~TVornBase() = default;

void TVornBase::InvalidateRect(const TRect& rect) {
  const TRect bounds{0, 0, GetWidth(), GetHeight()};
  if (RectIsEmpty(rect) || RectIsEmpty(bounds) || !RectsOverlap(rect, bounds)) return;
  dirty_rects_.AddRect(ClipRectTo(rect, bounds));
}

TCustomDIBX* TVornBase::GetSurface() const {
  const TVornBaseList* scene = GetOwner();
  if (scene != nullptr && scene->ActiveLayer() == this && !scene->IsTransitionDrawing()) {
    return scene->GetSceneSurface();
  }
  return own_.get();
}

void TVornBase::SetWidth(std::int32_t value) {
  TVornControl::SetWidth(value);
  SizeSurfaces();
}

void TVornBase::SetHeight(std::int32_t value) {
  TVornControl::SetHeight(value);
  SizeSurfaces();
}

void TVornBase::SizeSurfaces() {
  own_.reset();
  second_.reset();
  const std::int32_t width = GetWidth();
  const std::int32_t height = GetHeight();
  const TVornBaseList* scene = GetOwner();
  if (width <= 0 || height <= 0 || scene == nullptr) return;
  const int bits = scene->GetScreenBitCount();
  if (scene->UsesDisplayMemory()) {
    own_ = std::make_unique<TDxDIBX>();
  } else {
    own_ = std::make_unique<TDIBX>();
  }
  own_->SetSize(width, height, bits);
  second_ = std::make_unique<TDIBX>();
  second_->SetSize(width, height, bits);
  second_->ColorKey = second_->ColorToPixel(kLayerSecondSurfaceKeyColor);
}

void TVornBase::ReleaseSurfaces() { own_.reset(); }

void TVornBase::RestoreSurfaces() { SizeSurfaces(); }

void TVornBase::Paint() {
  if (!GetVisibleFlag()) return;
  TCustomDIBX* surface = GetSurface();
  if (surface == nullptr || surface->IsEmpty()) return;
  TRect bounds = GetScreenRect();
  if (const TRect clip = GetClipRect(); !RectIsEmpty(clip)) bounds = ClipRectTo(bounds, clip);
  const bool fills = GetColor() >= 0 && !RectIsEmpty(bounds);
  const std::uint32_t pixel = fills ? static_cast<std::uint32_t>(surface->ColorToPixel(GetColor())) : 0;
  // A copy: painting may add rectangles for the next frame.
  const std::vector<TRect> rects = dirty_rects_.Rects();
  const TRect whole = surface->GetBoundsRect();
  for (const TRect& rect : rects) {
    // An unset drawing rectangle means the whole surface: a rectangle off it draws nothing.
    if (RectIsEmpty(ClipRectTo(rect, whole))) continue;
    surface->ResetDirtyRect();
    surface->AddDirtyRect(rect);
    if (fills) surface->FillRect(bounds, pixel);
    TVornControl::Paint();
  }
  surface->ResetDirtyRect();
}

void TVornBase::SetMousePos(std::int32_t x, std::int32_t y) {
  if (mouse_.x == x && mouse_.y == y) return;
  mouse_.x = x;
  mouse_.y = y;
  mouse_.moved = 1;
}

TVornObject* TVornBase::GetHoverObject() const { return dynamic_cast<TVornObject*>(hover_.Get()); }

bool TVornBase::IsLeftHeldFree() const {
  const TVornObject* hover = GetHoverObject();
  return mouse_.left_held != 0 && (hover == nullptr || (mouse_.capture & kLeftCapture) == 0);
}

bool TVornBase::IsRightHeldFree() const {
  const TVornObject* hover = GetHoverObject();
  return mouse_.right_held != 0 && (hover == nullptr || (mouse_.capture & kRightCapture) == 0);
}

// ---- TVornList ----

void TVornList::AddUnique(TVornControl* control) {
  if (control == nullptr) return;
  for (const TObjectHandle& member : members_) {
    if (member.Get() == control) return;
  }
  members_.push_back(TObjectHandle(control));
}

void TVornList::Remove(TVornControl* control) {
  std::erase_if(members_, [control](const TObjectHandle& member) { return control != nullptr && member.Id() == control->GetId(); });
}

TVornControl* TVornList::Get(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  auto* object = dynamic_cast<TVornObject*>(members_[static_cast<std::size_t>(index)].Get());
  return object != nullptr ? object->AsControl() : nullptr;
}

}  // namespace vorn
