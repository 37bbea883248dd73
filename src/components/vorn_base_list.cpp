#include "components/vorn_base_list.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "components/component_factory.h"
#include "components/pelk_collection.h"
#include "foundation/vocabulary_codes.h"
#include "graphics/dibx.h"
#include "media/media_managers.h"
#include "platform/text_field.h"

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

std::unique_ptr<TVornBase> MakePlainLayer(TVornBaseList& scene) { return std::make_unique<TVornBase>(&scene); }

// ---- TVornBaseList ----

TVornBaseList::TVornBaseList(int bit_count) : TVornBaseList(bit_count, &MakePlainLayer) {}

TVornBaseList::TVornBaseList(int bit_count, TLayerMaker make_layer)
    : TVornComponent(nullptr), bit_count_(bit_count), composite_(std::make_unique<TDIBX>()), events_(this) {
  MakeLayers(make_layer);
}

void TVornBaseList::MakeLayers(TLayerMaker make_layer) {
  layers_[0] = make_layer(*this);
  layers_[1] = make_layer(*this);
  layers_[0]->StoreName(kLayer0Name);
  layers_[1]->StoreName(kLayer1Name);
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
  transition_.reset();
  composite_.reset();
  layers_[0].reset();
  layers_[1].reset();
  std::vector<std::unique_ptr<TVornObject>> objects = std::move(objects_);
  objects_.clear();
  names_.clear();
  for (auto& object : objects) object->listed_ = false;
  for (auto& object : objects) object.reset();
}

TCustomDIBX* TVornBaseList::GetSceneSurface() const {
  return screen_ != nullptr ? screen_->GetSurface() : composite_.get();
}

int TVornBaseList::GetScreenBitCount() const { return screen_ != nullptr ? screen_->GetBitCount() : bit_count_; }

bool TVornBaseList::UsesDisplayMemory() const { return screen_ != nullptr && screen_->IsFullScreen(); }

void TVornBaseList::SizeComposite() {
  if (!composite_) composite_ = std::make_unique<TDIBX>();
  if (width_ > 0 && height_ > 0) composite_->SetSize(width_, height_, GetScreenBitCount());
}

bool TVornBaseList::IsInScene(const TVornObject* object) const {
  if (object == nullptr) return false;
  if (object == layers_[0].get() || object == layers_[1].get()) return true;
  return object->GetOwner() == this && object->listed_;
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
  // A name another object still bears stays taken.
  if (!found->second.empty()) return;
  names_.erase(found);
  LowerNameHint(object->name_);
}

void TVornBaseList::LowerNameHint(const std::string& freed) {
  // Only a name of the form prefix + number below that prefix's hint makes the hint wrong. Clearing
  // every hint instead would make each later automatic name search again from 0 (quadratic when
  // a saved game renames object after object).
  for (auto& [prefix, hint] : free_name_hints_) {
    if (freed.size() <= prefix.size() || freed.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string_view digits = std::string_view(freed).substr(prefix.size());
    if (digits.size() > 18 || (digits.size() > 1 && digits[0] == '0')) continue;
    std::int64_t number = 0;
    bool decimal = true;
    for (const char c : digits) {
      if (c < '0' || c > '9') {
        decimal = false;
        break;
      }
      number = number * 10 + (c - '0');
    }
    if (decimal && number < hint) hint = number;
  }
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
  std::unordered_set<std::string> names;
  for (auto& object : objects_) {
    if (doomed.contains(object.get())) {
      if (!object->name_.empty()) names.insert(object->name_);
      object->listed_ = false;
      pending_ids_.erase(object->GetId());
      freed.push_back(std::move(object));
    }
  }
  std::erase_if(objects_, [](const auto& object) { return object == nullptr; });
  // One pass over each name's bearers: many objects of one name (a damaged save) would otherwise
  // cost a walk of that name's list per object.
  for (const std::string& name : names) {
    const auto found = names_.find(name);
    if (found == names_.end()) continue;
    std::erase_if(found->second, [&doomed](const TVornObject* bearer) { return doomed.contains(bearer); });
    if (!found->second.empty()) continue;
    names_.erase(found);
    LowerNameHint(name);
  }
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

platform::TextFieldHost& TVornBaseList::TextFields() {
  if (text_fields_ != nullptr) return *text_fields_;
  if (own_text_fields_ == nullptr) own_text_fields_ = std::make_unique<platform::TextFieldHost>();
  return *own_text_fields_;
}

void TVornBaseList::SetWidth(std::int32_t value) {
  width_ = value;
  SizeComposite();
  layers_[0]->SetWidth(value);
  layers_[1]->SetWidth(value);
}

void TVornBaseList::SetHeight(std::int32_t value) {
  height_ = value;
  SizeComposite();
  layers_[0]->SetHeight(value);
  layers_[1]->SetHeight(value);
}

void TVornBaseList::SetColor(std::int32_t value) {
  layers_[0]->SetColor(value);
  layers_[1]->SetColor(value);
}

std::uint8_t TVornBaseList::GetImageCacheMode() const { return PelkMan != nullptr && PelkMan->GetCGDither() ? 1 : 0; }

void TVornBaseList::SetImageCacheMode(std::uint8_t mode) {
  if (PelkMan != nullptr) PelkMan->SetCGDither(mode != 0);
  // The cached pictures change depth: everything on both layers is drawn again.
  layers_[0]->InvalidateAll();
  layers_[1]->InvalidateAll();
}

void TVornBaseList::SetSoundOn(bool on) {
  if (on == GetSoundOn()) return;
  sound_on_ = on ? 1 : 0;
  // The wave list comes first in this order but is never made.
  for (TMediaManager* manager : {static_cast<TMediaManager*>(WmpManager), static_cast<TMediaManager*>(OggManager),
                                 static_cast<TMediaManager*>(CddaManager), static_cast<TMediaManager*>(MidiManager)}) {
    if (manager != nullptr) manager->SetActive(on);
  }
}

void TVornBaseList::ReleaseSurfaces() {
  FreeTransition();
  composite_.reset();
  layers_[0]->ReleaseSurfaces();
  layers_[1]->ReleaseSurfaces();
  for (const auto& object : objects_) object->ReleaseSurfaces();
  if (PelkMan != nullptr && PelkMan->Scene() == this) PelkMan->ReleaseSurfaces();
}

void TVornBaseList::RestoreSurfaces() {
  SizeComposite();
  layers_[0]->RestoreSurfaces();
  layers_[1]->RestoreSurfaces();
  // The cached frames first: the pictures take their frames' new surfaces again.
  if (PelkMan != nullptr && PelkMan->Scene() == this) PelkMan->RestoreSurfaces();
  for (const auto& object : objects_) object->RestoreSurfaces();
  layers_[0]->InvalidateAll();
  layers_[1]->InvalidateAll();
}

void TVornBaseList::FreeTransition() {
  transition_.reset();
}

void TVornBaseList::ResetScene() {
  const std::int32_t width = width_;
  const std::int32_t height = height_;
  const TLayerMouse mouse = layers_[active_layer_]->Mouse();
  FreeTransition();
  // A reset during a flip must not leave the layers drawing apart with nothing shown.
  transition_drawing_ = false;
  transition_rect_ = {};
  focused_.Reset();
  focus_choice_requested_ = false;
  events_.Clear();
  std::vector<TVornObject*> everything;
  everything.reserve(objects_.size());
  for (const auto& object : objects_) everything.push_back(object.get());
  FreeObjects(std::move(everything));
  pending_deletes_.clear();
  pending_ids_.clear();
  for (auto& layer : layers_) layer->children_.clear();
  layers_[0].reset();
  layers_[1].reset();
  MakeLayers(&MakePlainLayer);
  SetWidth(8);
  SetHeight(8);
  SetWidth(width);
  SetHeight(height);
  for (auto& layer : layers_) layer->SetMousePos(mouse.x, mouse.y);
}

// ---- factory ----

TVornObject* TVornBaseList::CreateComponentByType(std::uint8_t kind) { return vorn::CreateComponentByType(*this, kind); }

TScriptObject* TVornBaseList::CreateComponent(std::uint8_t kind) { return CreateComponentByType(kind); }

// ---- what the commands ask ----

namespace {

const TVornObject* AsVorn(const TScriptObject& object) { return dynamic_cast<const TVornObject*>(&object); }

}  // namespace

int TVornBaseList::GetChildCount(const TScriptObject& parent) const {
  const TVornObject* object = AsVorn(parent);
  return object != nullptr ? object->GetChildCount() : 0;
}

TScriptObject* TVornBaseList::GetChild(const TScriptObject& parent, int index) const {
  const TVornObject* object = AsVorn(parent);
  return object != nullptr ? object->GetChild(index) : nullptr;
}

void TVornBaseList::MarkDeleted(TScriptObject& object) {
  if (auto* vorn = dynamic_cast<TVornObject*>(&object); vorn != nullptr && !vorn->IsLayer()) vorn->MarkDeleted();
}

bool TVornBaseList::IsCabinet(const TScriptObject& object) const {
  return dynamic_cast<const TVornCabinet*>(&object) != nullptr;
}

void TVornBaseList::Replay(TScriptObject& object) {
  if (auto* vorn = dynamic_cast<TVornObject*>(&object)) vorn->Replay();
}

}  // namespace vorn
