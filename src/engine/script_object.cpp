#include "engine/script_object.h"

#include <unordered_map>

namespace vorn {

namespace {

// Every living script object by id. Script objects live on the main thread only.
std::unordered_map<TObjectId, TScriptObject*>& LiveObjects() {
  static std::unordered_map<TObjectId, TScriptObject*> objects;
  return objects;
}

TObjectId NextObjectId() {
  static TObjectId last = 0;
  return ++last;
}

}  // namespace

TObjectHandle::TObjectHandle(const TScriptObject* object) : id_(object != nullptr ? object->GetId() : 0) {}

TScriptObject* TObjectHandle::Get() const {
  if (id_ == 0) return nullptr;
  const auto& objects = LiveObjects();
  const auto found = objects.find(id_);
  return found != objects.end() ? found->second : nullptr;
}

TScriptObject::TScriptObject() : id_(NextObjectId()) { LiveObjects().emplace(id_, this); }

TScriptObject::~TScriptObject() { LiveObjects().erase(id_); }

}  // namespace vorn
