#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/script_object.h"

namespace vorn {

class TArrayString;

// One queued script event as the interpreter sees it: the handler label ("page:label"), the object
// that posted it, its arguments, and the done value: 0 while it waits, else the handler level that
// runs it.
class TScriptEvent {
 public:
  virtual ~TScriptEvent() = default;
  virtual const std::string& GetLabel() const = 0;
  // Resolves to nothing once the sender has been freed.
  virtual TObjectHandle GetSender() const = 0;
  virtual std::uint8_t GetCode() const = 0;
  virtual std::int32_t GetDone() const = 0;
  virtual void SetDone(std::int32_t level) = 0;
  virtual const TArrayString& GetArguments() const = 0;
};

// The scene's event queue, in posting order.
class TScriptEventQueue {
 public:
  virtual ~TScriptEventQueue() = default;
  // The first event that waits (done 0), or nullptr. It is the first even when it cannot be run.
  virtual TScriptEvent* NextEvent() = 0;
  // Frees every event whose done equals level (levels start at 1).
  virtual void RemoveByFlag(std::int32_t level) = 0;
  // Frees every event whose done is not 0.
  virtual void RemoveDone() = 0;
  // Frees that one event when it is still queued.
  virtual void RemoveEvent(const TScriptEvent* event) = 0;
  virtual void Clear() = 0;
};

// What the engine asks of the scene: name lookups and its event queue.
class TScriptScene {
 public:
  virtual ~TScriptScene() = default;
  // Empty name or 0x01 "BASE0": the active layer; 0x01 or 0x01 "BASE1": the other layer; else the
  // first component of exactly that name not waiting for deletion, or nullptr.
  virtual TScriptObject* FindComponent(std::string_view name) = 0;
  // Controls only. Empty name: active layer; 0x01: the other layer; 0x01 "BASE0"/"BASE1": layer
  // 0/1.
  virtual TScriptObject* FindControl(std::string_view name) = 0;
  // The object's index in the scene's object list, -1 once it has left it.
  virtual int IndexOfObject(const TScriptObject* object) const = 0;
  virtual TScriptEventQueue& GetEventQueue() = 0;
  // Creates a component of the kind code (LT_ code) with an automatic name; the scene owns it from
  // then on. nullptr for a kind the scene cannot make.
  virtual TScriptObject* CreateComponent(std::uint8_t /*kind*/) { return nullptr; }
  // The layer new components go on when no parent is named.
  virtual TScriptObject* GetCurrentLayer() { return FindControl({}); }

  // Appends the names of the scene's objects, in the scene's object order, of that kind code (0:
  // every kind) and answers how many were added. A null parent takes every object of the scene;
  // otherwise only the objects whose direct parent is `parent` count. Layers are not listed.
  virtual int ListNames(std::vector<std::string>& /*names*/, std::uint8_t /*kind*/,
                        const TScriptObject* /*parent*/) {
    return 0;
  }
  // The active layer's number (0 or 1) and the layers by number (the low bit counts).
  virtual int GetActiveLayerIndex() const { return 0; }
  virtual TScriptObject* GetLayer(int index) { return FindControl((index & 1) != 0 ? "\x01" "BASE1" : "\x01" "BASE0"); }
  // The scene's size in pixels (its WIDTH and HEIGHT).
  virtual std::int32_t GetSceneWidth() const { return 0; }
  virtual std::int32_t GetSceneHeight() const { return 0; }
};

// The scene the engine works on; the application hands it over at start-up.
TScriptScene* GetScriptScene();
void SetScriptScene(TScriptScene* scene);

}  // namespace vorn
