#include "components/vorn_base_list.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "foundation/vocabulary_codes.h"
#include "graphics/memory_dibx.h"

namespace vorn {

namespace {

// The number of a rename suffix: all ASCII digits, fitting int32 and above 1; 0 otherwise.
std::int64_t SuffixNumber(std::string_view text) {
  if (text.empty() || text.size() > 10) return 0;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  if (value > std::numeric_limits<std::int32_t>::max() || value <= 1) return 0;
  return value;
}

}  // namespace

// ---- TVornBase ----

TVornBase::TVornBase(TVornBaseList* owner) : TVornControl(owner) {}

void TVornBase::InvalidateRect(const TRect& rect) {
  const TRect bounds{0, 0, GetWidth(), GetHeight()};
  if (RectIsEmpty(rect) || RectIsEmpty(bounds) || !RectsOverlap(rect, bounds)) return;
  dirty_rects_.AddRect(ClipRectTo(rect, bounds));
}

TVornControl* TVornBase::GetHoverObject() const {
  auto* object = dynamic_cast<TVornObject*>(hover_.Get());
  return object != nullptr ? object->AsControl() : nullptr;
}

// ---- TVornBaseList ----

TVornBaseList::TVornBaseList() : TVornComponent(nullptr), events_(this) {
  layers_[0] = std::make_unique<TVornBase>(this);
  layers_[1] = std::make_unique<TVornBase>(this);
  layers_[0]->StoreName(kLayer0Name);
  layers_[1]->StoreName(kLayer1Name);
  auto pattern = std::make_unique<TMemoryDIBX>(2, 2, 32);
  const auto white = static_cast<std::uint32_t>(pattern->ColorToPixel(0xFFFFFF));
  const auto black = static_cast<std::uint32_t>(pattern->ColorToPixel(0x000000));
  pattern->SetPixel(0, 0, white);
  pattern->SetPixel(1, 1, white);
  pattern->SetPixel(1, 0, black);
  pattern->SetPixel(0, 1, black);
  sel_rect_dib_ = pattern.get();
  own_sel_rect_dib_ = std::move(pattern);
}

TVornBaseList::~TVornBaseList() {
  // Nothing may post or search while the scene comes apart.
  focused_.Reset();
  events_.Clear();
  for (auto& object : objects_) {
    if (TVornControl* control = object->AsControl()) {
      control->parent_ = nullptr;
      control->children_.clear();
    }
  }
  for (auto& layer : layers_) layer->children_.clear();
  std::vector<std::unique_ptr<TVornObject>> objects = std::move(objects_);
  objects_.clear();
  names_.clear();
  for (auto& object : objects) object->listed_ = false;
  objects.clear();
  layers_[0].reset();
  layers_[1].reset();
}

TVornObject* TVornBaseList::GetObject(int index) const {
  if (index < 0 || index >= GetObjectCount()) return nullptr;
  return objects_[static_cast<std::size_t>(index)].get();
}

void TVornBaseList::AddObject(std::unique_ptr<TVornObject> object) {
  TVornObject* added = object.get();
  objects_.push_back(std::move(object));
  added->listed_ = true;
  IndexName(added);
}

std::unique_ptr<TVornObject> TVornBaseList::RemoveObject(TVornObject* object) {
  const int index = IndexOfObject(object);
  if (index < 0) return nullptr;
  UnindexName(object);
  object->listed_ = false;
  auto removed = std::move(objects_[static_cast<std::size_t>(index)]);
  objects_.erase(objects_.begin() + index);
  return removed;
}

int TVornBaseList::IndexOfObject(const TScriptObject* object) const {
  if (object == nullptr) return -1;
  // Recently created objects are the ones scripts touch most: search from the end.
  for (std::size_t i = objects_.size(); i-- > 0;) {
    if (objects_[i].get() == object) return static_cast<int>(i);
  }
  return -1;
}

void TVornBaseList::IndexName(TVornObject* object) {
  if (object->name_.empty()) return;
  names_[object->name_].push_back(object);
}

void TVornBaseList::UnindexName(TVornObject* object) {
  if (object->name_.empty()) return;
  const auto found = names_.find(object->name_);
  if (found == names_.end()) return;
  std::erase(found->second, object);
  if (found->second.empty()) names_.erase(found);
  // A freed name may lie below a prefix's hint.
  free_name_hints_.clear();
}

bool TVornBaseList::IsNameTaken(std::string_view name) const {
  return names_.find(std::string(name)) != names_.end();
}

TVornObject* TVornBaseList::FirstBearer(std::string_view name, const TVornObject* except) const {
  const auto found = names_.find(std::string(name));
  if (found == names_.end()) return nullptr;
  TVornObject* first = nullptr;
  int first_index = -1;
  for (TVornObject* bearer : found->second) {
    if (bearer == except) continue;
    if (first == nullptr) {
      first = bearer;
      continue;
    }
    // Several bearers are rare (saved games, direct loads): list order decides.
    if (first_index < 0) first_index = IndexOfObject(first);
    if (const int index = IndexOfObject(bearer); index < first_index) {
      first = bearer;
      first_index = index;
    }
  }
  return first;
}

int TVornBaseList::IndexOfName(std::string_view name) const {
  if (name.empty()) {
    for (std::size_t i = 0; i < objects_.size(); ++i) {
      if (objects_[i]->name_.empty()) return static_cast<int>(i);
    }
    return -1;
  }
  return IndexOfObject(FirstBearer(name, nullptr));
}

std::string TVornBaseList::MakeUniqueName(std::string_view prefix) {
  const std::string key(prefix);
  std::int64_t number = 0;
  if (const auto hint = free_name_hints_.find(key); hint != free_name_hints_.end()) number = hint->second;
  std::string candidate;
  for (;; ++number) {
    candidate = key + std::to_string(number);
    if (!IsNameTaken(candidate)) break;
  }
  free_name_hints_[key] = number;
  return candidate;
}

void TVornBaseList::RenameClashingBearer(const std::string& name, const TVornObject* except) {
  TVornObject* other = FirstBearer(name, except);
  if (other == nullptr) return;
  const std::string& old = other->GetName();
  std::string base = old;
  std::int64_t number = 2;
  // Scan back to the second character: the last "_" followed by a number above 1 ends the base.
  for (std::size_t i = old.size(); i-- > 1;) {
    if (old[i] != '_') continue;
    if (const std::int64_t suffix = SuffixNumber(std::string_view(old).substr(i + 1)); suffix != 0) {
      base = old.substr(0, i);
      number = suffix;
      break;
    }
  }
  std::string candidate;
  for (;; ++number) {
    candidate = base + "_" + std::to_string(number);
    if (!IsNameTaken(candidate)) break;
  }
  other->StoreName(std::move(candidate));
}

int TVornBaseList::ListNames(std::vector<std::string>& names, std::uint8_t kind, const TScriptObject* parent) {
  const bool whole_scene = parent == nullptr || parent == static_cast<const TScriptObject*>(this);
  int added = 0;
  for (const auto& object : objects_) {
    if (kind != 0 && object->GetCompoType() != kind) continue;
    if (!whole_scene && object->GetParentObject() != parent) continue;
    names.push_back(object->GetName());
    ++added;
  }
  return added;
}

TScriptObject* TVornBaseList::GetLayer(int index) { return GetBase(index); }

TVornObject* TVornBaseList::FindComponent(std::string_view name) {
  if (name.empty() || name == kLayer0Name) return ActiveLayer();
  if (name == kOtherLayerName || name == kLayer1Name) return OtherLayer();
  const auto found = names_.find(std::string(name));
  if (found == names_.end()) return nullptr;
  TVornObject* first = nullptr;
  int first_index = -1;
  for (TVornObject* bearer : found->second) {
    if (dynamic_cast<TVornComponent*>(bearer) == nullptr || IsPendingDelete(bearer)) continue;
    const int index = found->second.size() == 1 ? 0 : IndexOfObject(bearer);
    if (first == nullptr || index < first_index) {
      first = bearer;
      first_index = index;
    }
  }
  return first;
}

TVornControl* TVornBaseList::FindControl(std::string_view name) {
  if (name.empty()) return ActiveLayer();
  if (name == kOtherLayerName) return OtherLayer();
  if (name == kLayer0Name) return GetBase(0);
  if (name == kLayer1Name) return GetBase(1);
  const auto found = names_.find(std::string(name));
  if (found == names_.end()) return nullptr;
  TVornControl* first = nullptr;
  int first_index = -1;
  for (TVornObject* bearer : found->second) {
    TVornControl* control = bearer->AsControl();
    if (control == nullptr || IsPendingDelete(bearer)) continue;
    const int index = found->second.size() == 1 ? 0 : IndexOfObject(bearer);
    if (first == nullptr || index < first_index) {
      first = control;
      first_index = index;
    }
  }
  return first;
}

bool TVornBaseList::IsPendingDelete(const TVornObject* object) const {
  return object != nullptr && pending_ids_.contains(object->GetId());
}

void TVornBaseList::MarkPendingDelete(TVornObject* object) {
  if (object == nullptr || !pending_ids_.insert(object->GetId()).second) return;
  pending_deletes_.push_back(TObjectHandle(object));
}

void TVornBaseList::FreePendingDeletes() {
  std::vector<TObjectHandle> pending = std::move(pending_deletes_);
  pending_deletes_.clear();
  pending_ids_.clear();
  std::vector<TVornObject*> doomed;
  for (const TObjectHandle& handle : pending) {
    auto* object = dynamic_cast<TVornObject*>(handle.Get());
    if (object != nullptr && object->listed_ && object->GetOwner() == this) doomed.push_back(object);
  }
  FreeObjects(std::move(doomed));
}

void TVornBaseList::DeleteObject(TVornObject* object) {
  if (object == nullptr) return;
  FreeObjects({object});
}

void TVornBaseList::FreeObjects(std::vector<TVornObject*> roots) {
  // Every subtree, children before their parents, each object once.
  std::vector<TVornObject*> order;
  std::unordered_set<const TVornObject*> seen;
  for (TVornObject* root : roots) {
    if (seen.contains(root)) continue;
    std::vector<std::pair<TVornObject*, bool>> stack{{root, false}};
    while (!stack.empty()) {
      auto [object, expanded] = stack.back();
      stack.pop_back();
      if (expanded) {
        order.push_back(object);
        continue;
      }
      if (!seen.insert(object).second) continue;
      stack.push_back({object, true});
      for (int i = object->GetChildCount(); i-- > 0;) stack.push_back({object->GetChild(i), false});
    }
  }
  for (TVornObject* object : order) object->Destroying();
  // Cut the links, one pass over each parent's children.
  std::unordered_set<const TVornObject*> doomed(order.begin(), order.end());
  std::unordered_set<TVornControl*> parents;
  for (TVornObject* object : order) {
    if (TVornControl* control = object->AsControl(); control != nullptr && control->parent_ != nullptr) {
      parents.insert(control->parent_);
      control->parent_ = nullptr;
    }
  }
  for (TVornControl* parent : parents) {
    std::erase_if(parent->children_, [&doomed](const TVornControl* child) { return doomed.contains(child); });
  }
  // Take every doomed object out of the list in one pass, then free them.
  std::vector<std::unique_ptr<TVornObject>> freed;
  for (auto& object : objects_) {
    if (doomed.contains(object.get())) {
      UnindexName(object.get());
      object->listed_ = false;
      pending_ids_.erase(object->GetId());
      freed.push_back(std::move(object));
    }
  }
  std::erase_if(objects_, [](const auto& object) { return object == nullptr; });
  freed.clear();
}

TVornControl* TVornBaseList::GetFocusedControl() const {
  auto* object = dynamic_cast<TVornObject*>(focused_.Get());
  return object != nullptr ? object->AsControl() : nullptr;
}

void TVornBaseList::SetFocusedControl(TVornControl* control) {
  TVornControl* old = GetFocusedControl();
  if (old == control) return;
  if (old != nullptr && IndexOfObject(old) >= 0 && !old->GetOnFocusOut().empty() &&
      !old->GetName().empty() && !old->IsEventBlocked()) {
    events_.PostEvent(old, old->GetOnFocusOut(), nullptr, PR_ONFOCUSOUT);
  }
  focused_ = TObjectHandle(control);
  if (control != nullptr && !control->GetOnFocusIn().empty() && !control->IsEventBlocked()) {
    events_.PostEvent(control, control->GetOnFocusIn(), nullptr, PR_ONFOCUSIN);
  }
  focus_choice_requested_ = false;
  if (control != nullptr) control->FocusGained();
}

void TVornBaseList::DropFocusSilently() { focused_.Reset(); }

void TVornBaseList::SetWidth(std::int32_t value) {
  width_ = value;
  layers_[0]->SetWidth(value);
  layers_[1]->SetWidth(value);
}

void TVornBaseList::SetHeight(std::int32_t value) {
  height_ = value;
  layers_[0]->SetHeight(value);
  layers_[1]->SetHeight(value);
}

}  // namespace vorn
