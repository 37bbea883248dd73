#pragma once

// Stand-ins for what the scene-side commands drive: a scene with two layers, parent-linked
// objects, deletion marks, a layer switch with a transition, message windows, property motions,
// a backlog, an already-read registry and the project's game requests. Each records its calls.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/call_man.h"
#include "engine/game_requests.h"
#include "engine/scene_services.h"
#include "engine/script_scene.h"
#include "recording_objects.h"

namespace vorn::testing {

class TRecordingTransition : public TScriptTransition {
 public:
  std::vector<std::string> log;
  std::int32_t duration = 0;
  std::int32_t elapsed = 0;
  void SetParam(int number, std::int32_t value) override {
    log.push_back("param" + std::to_string(number) + "=" + std::to_string(value));
  }
  void SetText(const std::string& text) override { log.push_back("text=" + text); }
  void Start() override { log.push_back("start"); }
};

class TRecordingMessageWindow : public TRecordingObject, public TScriptMessageWindow {
 public:
  using TRecordingObject::TRecordingObject;
  std::vector<std::string> log;
  bool read_tracking = true;
  std::int32_t count_after_next_page = 0;

  void SetReadTracking(bool flag) override {
    read_tracking = flag;
    log.push_back(flag ? "tracking on" : "tracking off");
  }
  void SetReadSource(const std::string& page, std::int32_t index) override {
    log.push_back("source " + page + ":" + std::to_string(index));
  }
  void SetPageMode(std::uint8_t mode) override { log.push_back("mode " + std::to_string(mode)); }
  void SetPageStart(std::int32_t start) override { log.push_back("start " + std::to_string(start)); }
  void ClearHistData() override { log.push_back("clear"); }
  void AddHistEntry(const std::string& page, std::int32_t index) override {
    log.push_back("entry " + page + ":" + std::to_string(index));
  }
  void NextPage() override {
    log.push_back("next page");
    ints[45] = count_after_next_page;
  }
};

class TRecordingPropMotion : public TRecordingObject, public TScriptPropMotion {
 public:
  using TRecordingObject::TRecordingObject;
  std::vector<std::string> log;
  void SetTargetName(const std::string& name) override { log.push_back("target " + name); }
  void SetPropertyIndex(std::uint8_t index) override { log.push_back("property " + std::to_string(index)); }
  void SetTargetValue(long double value) override { log.push_back("value " + FloatText(value)); }
  void SetMotionDuration(std::int32_t ms) override { log.push_back("duration " + std::to_string(ms)); }
  void SetEasingMode(std::uint8_t mode) override { log.push_back("easing " + std::to_string(mode)); }
};

// Objects are children of their parent in the order they were made; layers hold the top ones.
class TCommandScene : public TScriptScene, public TScriptSceneServices {
 public:
  static constexpr std::uint8_t kCabinet = 27;

  TCommandScene() {
    layers[0].SetName("\x01" "BASE0");
    layers[1].SetName("\x01" "BASE1");
    for (auto& layer : layers) {
      layer.is_layer = true;
      layer.calls.clear();
    }
    previous_ = GetScriptScene();
    SetScriptScene(this);
  }
  ~TCommandScene() override { SetScriptScene(previous_); }

  TRecordingObject layers[2];
  int current = 0;
  std::vector<std::unique_ptr<TRecordingObject>> objects;
  std::vector<std::string> log;
  std::vector<std::unique_ptr<TRecordingTransition>> transitions;
  TRecordingTransition* running = nullptr;
  std::int32_t transition_duration = 500;

  template <class T = TRecordingObject>
  T& Add(std::string name, TScriptObject* parent = nullptr, std::uint8_t kind = 0) {
    auto object = std::make_unique<T>(std::move(name));
    object->kind = kind;
    T& added = *object;
    objects.push_back(std::move(object));
    added.SetParentObject(parent != nullptr ? parent : &layers[current]);
    added.calls.clear();
    return added;
  }
  bool IsDeleted(const TScriptObject* object) const {
    for (TObjectId id : deleted_) {
      if (object->GetId() == id) return true;
    }
    return false;
  }
  // The names of the children of the parent, in order.
  std::vector<std::string> ChildNames(const TScriptObject& parent) const {
    std::vector<std::string> names;
    for (int i = 0; i < GetChildCount(parent); ++i) names.push_back(GetChild(parent, i)->GetName());
    return names;
  }
  void Remove(const TScriptObject* object) {
    std::erase_if(objects, [object](const auto& o) { return o.get() == object; });
  }

  // --- TScriptScene ---
  TScriptObject* FindComponent(std::string_view name) override {
    if (name.empty() || name == "\x01" "BASE0") return &layers[current];
    if (name == "\x01" || name == "\x01" "BASE1") return &layers[current ^ 1];
    for (auto& o : objects) {
      if (o->GetName() == name && !IsDeleted(o.get())) return o.get();
    }
    return nullptr;
  }
  TScriptObject* FindControl(std::string_view name) override {
    if (name.empty()) return &layers[current];
    if (name == "\x01") return &layers[current ^ 1];
    if (name == "\x01" "BASE0") return &layers[0];
    if (name == "\x01" "BASE1") return &layers[1];
    return FindComponent(name);
  }
  int IndexOfObject(const TScriptObject* object) const override {
    for (std::size_t i = 0; i < objects.size(); ++i) {
      if (objects[i].get() == object) return static_cast<int>(i);
    }
    return -1;
  }
  TScriptEventQueue& GetEventQueue() override { return queue; }
  TScriptObject* CreateComponent(std::uint8_t kind) override {
    log.push_back("create " + std::to_string(kind));
    std::unique_ptr<TRecordingObject> object;
    if (kind == 26) {
      object = std::make_unique<TRecordingPropMotion>("auto" + std::to_string(objects.size()));
    } else {
      object = std::make_unique<TRecordingObject>("auto" + std::to_string(objects.size()));
    }
    object->kind = kind;
    objects.push_back(std::move(object));
    return objects.back().get();
  }

  int GetActiveLayerIndex() const override { return current; }
  TScriptObject* GetLayer(int index) override { return &layers[index & 1]; }

  // --- TScriptSceneServices ---
  int GetChildCount(const TScriptObject& parent) const override {
    int count = 0;
    for (const auto& o : objects) count += o->GetParentObject() == &parent ? 1 : 0;
    return count;
  }
  TScriptObject* GetChild(const TScriptObject& parent, int index) const override {
    for (const auto& o : objects) {
      if (o->GetParentObject() == &parent && index-- == 0) return o.get();
    }
    return nullptr;
  }
  void MarkDeleted(TScriptObject& object) override {
    log.push_back("delete " + object.GetName());
    deleted_.push_back(object.GetId());
  }
  bool IsCabinet(const TScriptObject& object) const override { return object.GetCompoType() == kCabinet; }
  void Replay(TScriptObject& object) override { log.push_back("replay " + object.GetName()); }
  void Paint() override { log.push_back("paint"); }
  TScreenCopy CreateScreenCopy() override {
    log.push_back("copy");
    objects.push_back(std::make_unique<TRecordingObject>("\x01\x01"));
    return {objects.back().get(), 640, 480};
  }
  TScriptTransition* SwitchLayer(int layer, int kind, std::uint8_t direction, bool forced, std::int32_t elapsed,
                                 std::int32_t duration) override {
    log.push_back("switch " + std::to_string(layer) + " kind " + std::to_string(kind) + (direction != 0 ? " reverse" : "") +
                  (forced ? " forced" : "") + " at " + std::to_string(elapsed) + " for " + std::to_string(duration));
    current = layer & 1;
    if (forced || kind != 0) running = nullptr;
    if (kind == 0) return nullptr;
    transitions.push_back(std::make_unique<TRecordingTransition>());
    running = transitions.back().get();
    running->duration = duration;
    return running;
  }
  std::int32_t GetTransitionParam() const override { return running != nullptr ? running->duration : 0; }
  void SetTransitionParam(std::int32_t elapsed) override {
    log.push_back("elapsed " + std::to_string(elapsed));
    if (running != nullptr) running->elapsed = elapsed;
  }
  void ResetScene() override {
    log.push_back("reset scene");
    objects.clear();
  }

  TPlainEventQueue queue;

 private:
  std::vector<TObjectId> deleted_;
  TScriptScene* previous_ = nullptr;
};

class TRecordingBacklog : public TScriptBacklog {
 public:
  TRecordingBacklog() { previous_ = SetScriptBacklog(this); }
  ~TRecordingBacklog() override { SetScriptBacklog(previous_); }
  std::vector<std::string> log;
  std::int32_t size = 0;
  std::int32_t max_count = 100;
  void Clear() override { log.push_back("clear"); }
  std::int32_t TotalSize() const override { return size; }
  void ShowInWindow(std::int32_t first, std::int32_t count, TScriptObject& window) override {
    log.push_back("show " + std::to_string(first) + "+" + std::to_string(count) + " in " + window.GetName());
  }
  std::int32_t GetMaxCount() const override { return max_count; }
  void SetMaxCount(std::int32_t count) override {
    log.push_back("max " + std::to_string(count));
    max_count = count;
  }

 private:
  TScriptBacklog* previous_ = nullptr;
};

class TRecordingReadList : public TScriptReadList {
 public:
  TRecordingReadList() { previous_ = SetScriptReadList(this); }
  ~TRecordingReadList() override { SetScriptReadList(previous_); }
  int clears = 0;
  void Clear() override { ++clears; }

 private:
  TScriptReadList* previous_ = nullptr;
};

class TRecordingGame : public TScriptGame {
 public:
  TRecordingGame() { previous_ = SetScriptGame(this); }
  ~TRecordingGame() override { SetScriptGame(previous_); }
  std::vector<std::string> log;
  void RequestSave(std::int32_t slot, const std::string& caption, const std::string& page,
                   std::int32_t index) override {
    log.push_back("save " + std::to_string(slot) + " '" + caption + "' " + page + ":" + std::to_string(index));
  }
  void RequestLoad(std::int32_t slot) override { log.push_back("load " + std::to_string(slot)); }
  void ClearGameTables() override { log.push_back("clear tables"); }

 private:
  TScriptGame* previous_ = nullptr;
};

}  // namespace vorn::testing
