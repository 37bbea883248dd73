#include "text/wd_glyph.h"

#include <algorithm>

#include "text/text_values.h"
#include "text/zk_word.h"

namespace vorn {

TWdGlyph::~TWdGlyph() {
  if (parent_ != nullptr) static_cast<TWdComposite*>(parent_)->ForgetChild(this);
}

TWdPage* TWdGlyph::GetPage() { return parent_ != nullptr ? parent_->GetPage() : nullptr; }

std::int32_t TWdGlyph::GetScreenX() const {
  return SaturateToInt32(static_cast<std::int64_t>(parent_ != nullptr ? parent_->GetScreenX() : 0) + x);
}

std::int32_t TWdGlyph::GetScreenY() const {
  return SaturateToInt32(static_cast<std::int64_t>(parent_ != nullptr ? parent_->GetScreenY() : 0) + y);
}

std::int32_t TWdGlyph::GetSurfaceX() const {
  return SaturateToInt32(static_cast<std::int64_t>(parent_ != nullptr ? parent_->GetSurfaceX() : 0) + x);
}

std::int32_t TWdGlyph::GetSurfaceY() const {
  return SaturateToInt32(static_cast<std::int64_t>(parent_ != nullptr ? parent_->GetSurfaceY() : 0) + y);
}

std::string TWdGlyph::GetText() const {
  std::uint16_t code = GetCode();
  if (code > 255) return std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
  return std::string(1, static_cast<char>(code));
}

void TWdGlyph::SetBounds(std::int32_t left, std::int32_t top, std::int32_t w, std::int32_t h) {
  x = left;
  y = top;
  width = w;
  height = h;
}

void TWdGlyph::Invalidate() {
  std::int32_t left = GetScreenX();
  std::int32_t top = GetScreenY();
  TRect rect{left, top, SaturateToInt32(static_cast<std::int64_t>(left) + GetWidth()),
             SaturateToInt32(static_cast<std::int64_t>(top) + GetHeight())};
  if (!RectIsEmpty(rect) && document_ != nullptr) document_->DirtyRects.push_back(rect);
}

TWdGlyph* TWdGlyph::FirstUnitGlyph() { return GetUnits() == 1 ? this : nullptr; }
TWdGlyph* TWdGlyph::LastUnitGlyph() { return GetUnits() == 1 ? this : nullptr; }

void TWdGlyph::Assign(const TWdGlyph& source) {
  x = source.x;
  y = source.y;
  width = source.width;
  height = source.height;
}

TWdComposite::~TWdComposite() {
  for (TWdGlyph* child : children_) {
    if (child->parent_ == this) child->parent_ = nullptr;
  }
  children_.clear();
  for (auto& object : owned_) object->parent_ = nullptr;
  owned_.clear();
}

TWdGlyph* TWdComposite::GetChild(int index) const {
  if (index < 0 || index >= GetChildCount()) return nullptr;
  return children_[static_cast<std::size_t>(index)];
}

std::string TWdComposite::GetText() const {
  std::string text;
  for (const TWdGlyph* child : children_) text += child->GetText();
  return text;
}

std::string TWdComposite::GetShownText() const {
  std::string text;
  for (const TWdGlyph* child : children_) {
    if (child->GetOpacity() <= 0) break;
    text += child->GetShownText();
  }
  return text;
}

int TWdComposite::IndexOfChild(const TWdGlyph* child) const {
  auto found = std::find(children_.begin(), children_.end(), child);
  return found == children_.end() ? -1 : static_cast<int>(found - children_.begin());
}

void TWdComposite::AddChild(TWdGlyph* child) {
  if (child->parent_ != nullptr && child->parent_ != this) static_cast<TWdComposite*>(child->parent_)->ForgetChild(child);
  children_.push_back(child);
  child->parent_ = this;
}

void TWdComposite::DeleteChild(int index) {
  if (index < 0 || index >= GetChildCount()) return;
  TWdGlyph* child = children_[static_cast<std::size_t>(index)];
  children_.erase(children_.begin() + index);
  if (child->parent_ == this) child->parent_ = nullptr;
}

void TWdComposite::ClearChildren() {
  for (TWdGlyph* child : children_) {
    if (child->parent_ == this) child->parent_ = nullptr;
  }
  children_.clear();
}

bool TWdComposite::HasVisibleChild() const {
  return std::any_of(children_.begin(), children_.end(), [](const TWdGlyph* c) { return c->IsVisibleGlyph(); });
}

void TWdComposite::Render(bool reset) {
  for (TWdGlyph* child : children_) child->Render(reset);
}

void TWdComposite::Draw() {
  for (TWdGlyph* child : children_) child->Draw();
}

void TWdComposite::SetOpacityAll(std::int32_t value) {
  for (TWdGlyph* child : children_) child->SetOpacityAll(value);
}

void TWdComposite::Hide() {
  for (TWdGlyph* child : children_) child->Hide();
}

void TWdComposite::ReleaseSurfaces() {
  for (TWdGlyph* child : children_) child->ReleaseSurfaces();
}

void TWdComposite::RestoreSurfaces() {
  for (TWdGlyph* child : children_) child->RestoreSurfaces();
}

TWdGlyph* TWdComposite::FirstUnitGlyph() {
  for (TWdGlyph* child : children_) {
    if (TWdGlyph* found = child->FirstUnitGlyph()) return found;
  }
  return nullptr;
}

TWdGlyph* TWdComposite::LastUnitGlyph() {
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    if (TWdGlyph* found = (*it)->LastUnitGlyph()) return found;
  }
  return nullptr;
}

TWdGlyph* TWdComposite::Own(std::unique_ptr<TWdGlyph> object) {
  owned_.push_back(std::move(object));
  return owned_.back().get();
}

void TWdComposite::FreeOwned(TWdGlyph* object) {
  auto found = std::find_if(owned_.begin(), owned_.end(), [object](const auto& o) { return o.get() == object; });
  if (found != owned_.end()) owned_.erase(found);
}

void TWdComposite::ForgetChild(TWdGlyph* child) {
  // Children are usually forgotten from the end (the last glyph of a row goes first).
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    if (*it == child) {
      children_.erase(std::next(it).base());
      break;
    }
  }
  if (child->parent_ == this) child->parent_ = nullptr;
}

}  // namespace vorn
