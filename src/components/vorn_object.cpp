#include "components/vorn_object.h"

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"

namespace vorn {

TVornObject::~TVornObject() = default;

void TVornObject::Create(std::unique_ptr<TVornObject> self) {
  if (owner_ == nullptr) return;
  if (WantsAutoName()) StoreName(owner_->MakeUniqueName(kAutoNamePrefix));
  owner_->AddObject(std::move(self));
}

void TVornObject::StoreName(std::string name) {
  if (TVornControl* parent = GetParent()) parent->ChildRenamed();
  if (listed_ && owner_ != nullptr) {
    owner_->UnindexName(this);
    name_ = std::move(name);
    owner_->IndexName(this);
  } else {
    name_ = std::move(name);
  }
}

void TVornObject::SetName(const std::string& name) {
  if (name == name_) return;
  // Scrapped objects all carry the empty name: an empty name clashes with nothing.
  if (owner_ != nullptr && !name.empty()) {
    if (TVornObject* other = owner_->FirstBearer(name, this)) other->MarkDeleted();
  }
  StoreName(name);
}

void TVornObject::SetPriority(std::int32_t value) {
  if (value == priority_) return;
  priority_ = value;
  sub_priority_ = 0;
  OrderChanged();
}

void TVornObject::SetSubPriority(std::int32_t value) {
  if (value == sub_priority_) return;
  sub_priority_ = value;
  OrderChanged();
}

void TVornObject::OrderChanged() {
  if (TVornControl* parent = GetParent()) {
    parent->SortChildren();
    Invalidate();
  }
}

bool TVornObject::IsDeleted() const { return owner_ != nullptr && owner_->IsPendingDelete(this); }

void TVornObject::MarkDeleted() {
  if (owner_ != nullptr) owner_->MarkPendingDelete(this);
  StoreName({});
}

void TVornObject::DeleteObject() {
  if (owner_ != nullptr) owner_->DeleteObject(this);
}

TScriptObject* TVornObject::GetParentObject() const { return GetParent(); }

TScriptObject* TVornObject::GetLayerObject() const { return GetBase(); }

void TVornObject::SetParentObject(TScriptObject* parent) {
  if (parent == nullptr) {
    SetParent(nullptr);
    return;
  }
  auto* object = dynamic_cast<TVornObject*>(parent);
  if (TVornControl* control = object != nullptr ? object->AsControl() : nullptr) SetParent(control);
}

TRect TVornObject::GetBoundsRect() const {
  return {GetLeft(), GetTop(), Wrap32(std::int64_t{GetLeft()} + GetWidth()),
          Wrap32(std::int64_t{GetTop()} + GetHeight())};
}

std::int32_t TVornObject::GetScreenLeft() const {
  return Wrap32(std::int64_t{GetLeft()} - GetOffsetX());
}

std::int32_t TVornObject::GetScreenTop() const {
  return Wrap32(std::int64_t{GetTop()} - GetOffsetY());
}

TRect TVornObject::GetScreenRect() const {
  const std::int32_t left = GetScreenLeft();
  const std::int32_t top = GetScreenTop();
  return {left, top, Wrap32(std::int64_t{left} + GetWidth()), Wrap32(std::int64_t{top} + GetHeight())};
}

bool TVornObject::ClipToClient(TRect& rect) const {
  const TRect own = GetScreenRect();
  if (RectIsEmpty(rect) || RectIsEmpty(own) || !RectsOverlap(rect, own)) return false;
  rect = ClipRectTo(rect, own);
  return true;
}

void TVornObject::AdjustInvalidRect(TRect& rect) const {
  for (const TVornObject* object = this; object != nullptr; object = object->GetParent()) {
    object->WidenInvalidRect(rect);
  }
}

TCustomDIBX* TVornObject::GetSurface() const {
  for (const TVornControl* parent = GetParent(); parent != nullptr; parent = parent->GetParent()) {
    if (TCustomDIBX* surface = parent->ChildSurface()) return surface;
  }
  return nullptr;
}

void TVornComponent::Destroying() {
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr) return;
  scene->Events().RemovePendingOf(this);
  scene->Events().ForgetTarget(this);
}

}  // namespace vorn
