#pragma once

// Recording doubles of the scene and its objects for tests of what the engine asks of them. Every
// setter the engine calls on an object is logged as (property index, kind, value) in call order;
// getters answer what was set or configured, else the object seam's neutral values. The scene
// logs its operations and hands out recording transitions.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/call_man.h"
#include "engine/scene_services.h"
#include "engine/script_object.h"
#include "engine/script_scene.h"
#include "engine/vorn_parser.h"

namespace vorn::testing {

// kind: 'S' string, 'I' integer (font styles log their bits), 'B' byte, 'L' boolean, 'F' float,
// 'X' an operation that is no property (value = its name). cell: the extra argument, else -1.
struct TPropCall {
  int index = -1;
  char kind = 'X';
  std::string value;
  int cell = -1;

  friend bool operator==(const TPropCall&, const TPropCall&) = default;
};

inline std::string FloatText(long double x) { return std::to_string(static_cast<double>(x)); }

class TRecordingObject : public TScriptObject {
 public:
  std::vector<TPropCall> calls;
  bool is_layer = false;
  bool is_message_window = false;
  bool text_origin_mark = true;
  bool sizes_from_picture = false;
  std::uint8_t kind = 0;
  TCaretPoint caret{};
  std::int32_t caret_height = 0;
  bool playing = false;
  std::int32_t play_state = -1;
  std::map<TObjectExpression, std::unique_ptr<TVornParser>> expressions;

  // Configured or stored values by property index (bytes and styles under ints).
  std::map<int, std::int32_t> ints;
  std::map<int, std::string> strings;
  std::map<int, bool> bools;
  std::map<int, long double> floats;
  std::map<int, std::string> cell_strings;  // by cell
  std::map<int, std::uint8_t> halign, valign;
  std::map<int, long double> params;

  // Per-item state by item index (unset items answer the seam's neutral values), the item strings
  // IndexOfItem searches, and every item query and write in call order ("check? 2", "enabled 3 0").
  std::map<int, bool> item_checked, item_enabled, item_visible;
  std::vector<std::string> item_strings;
  mutable std::vector<std::string> item_log;
  // A drawn object's client origin on the screen; objects that are not drawn convert nothing.
  bool drawn = false;
  TPoint screen_origin{};

  explicit TRecordingObject(std::string name = {}) : name_(std::move(name)) {}

  const std::string& GetName() const override { return name_; }
  void SetName(const std::string& name) override {
    Log(0, 'S', name);
    name_ = name;
  }
  const std::string& GetTag() const override { return tag_; }
  void SetTag(const std::string& tag) override {
    Log(151, 'S', tag);
    tag_ = tag;
  }
  std::int32_t GetPriority() const override { return priority_; }
  void SetPriority(std::int32_t value) override {
    Log(12, 'I', std::to_string(value));
    priority_ = value;
  }
  TScriptObject* GetParentObject() const override { return parent_; }
  // Refuses itself and its descendants as parent, as the object model does.
  void SetParentObject(TScriptObject* parent) override {
    Log(1, 'S', parent != nullptr ? parent->GetName() : std::string());
    for (TScriptObject* p = parent; p != nullptr; p = p->GetParentObject()) {
      if (p == this) return;
    }
    parent_ = parent;
  }
  bool IsLayer() const override { return is_layer; }
  std::uint8_t GetCompoType() const override { return kind; }
  void Invalidate() override { Op("Invalidate"); }
  std::int32_t GetPlayState() const override { return play_state; }
  void SetPlayState(std::int32_t state) override {
    Op("PlayState " + std::to_string(state));
    play_state = state;
  }
  bool IsMessageWindow() const override { return is_message_window; }
  void ClearTextOrigin() override {
    Op("ClearTextOrigin");
    text_origin_mark = false;
  }
  bool SizesFromPicture() const override { return sizes_from_picture; }
  void UpdateAutoWidth() override { Op("UpdateAutoWidth"); }
  void UpdateAutoHeight() override { Op("UpdateAutoHeight"); }
  void AssignExpression(TObjectExpression which, const TVornParser& source) override {
    Op("Expression " + std::to_string(static_cast<int>(which)) + " ops " +
       std::to_string(source.Operations().size()));
    auto copy = std::make_unique<TVornParser>();
    copy->Assign(source);
    expressions[which] = std::move(copy);
  }

#define VORN_REC_STRING(i, Name, fallback)                                           \
  std::string Get##Name() const override {                                          \
    auto it = strings.find(i);                                                      \
    return it != strings.end() ? it->second : TScriptObject::Get##Name();           \
  }                                                                                 \
  void Set##Name(const std::string& value) override {                               \
    Log(i, 'S', value);                                                             \
    strings[i] = value;                                                             \
  }
#define VORN_REC_INT(i, Name, fallback)                                              \
  std::int32_t Get##Name() const override {                                         \
    auto it = ints.find(i);                                                         \
    return it != ints.end() ? it->second : TScriptObject::Get##Name();              \
  }                                                                                 \
  void Set##Name(std::int32_t value) override {                                     \
    Log(i, 'I', std::to_string(value));                                             \
    ints[i] = value;                                                                \
  }
#define VORN_REC_STYLE(i, Name, fallback)                                            \
  TFontStyleSet Get##Name() const override {                                        \
    auto it = ints.find(i);                                                         \
    return it != ints.end() ? TFontStyleSet::FromBits(it->second)                   \
                            : TScriptObject::Get##Name();                           \
  }                                                                                 \
  void Set##Name(TFontStyleSet value) override {                                    \
    Log(i, 'I', std::to_string(value.ToBits()));                                    \
    ints[i] = value.ToBits();                                                       \
  }
#define VORN_REC_BYTE(i, Name, fallback)                                             \
  std::uint8_t Get##Name() const override {                                         \
    auto it = ints.find(i);                                                         \
    return it != ints.end() ? static_cast<std::uint8_t>(it->second)                 \
                            : TScriptObject::Get##Name();                           \
  }                                                                                 \
  void Set##Name(std::uint8_t value) override {                                     \
    Log(i, 'B', std::to_string(value));                                             \
    ints[i] = value;                                                                \
  }
#define VORN_REC_BOOL(i, Name, fallback)                                             \
  bool Get##Name() const override {                                                 \
    auto it = bools.find(i);                                                        \
    return it != bools.end() ? it->second : TScriptObject::Get##Name();             \
  }                                                                                 \
  void Set##Name(bool value) override {                                             \
    Log(i, 'L', value ? "true" : "false");                                          \
    bools[i] = value;                                                               \
  }
  VORN_STRING_PROPERTIES(VORN_REC_STRING)
  VORN_EVENT_PROPERTIES(VORN_REC_STRING)
  VORN_INT_PROPERTIES(VORN_REC_INT)
  VORN_STYLE_PROPERTIES(VORN_REC_STYLE)
  VORN_BYTE_PROPERTIES(VORN_REC_BYTE)
  VORN_BOOL_PROPERTIES(VORN_REC_BOOL)
#undef VORN_REC_STRING
#undef VORN_REC_INT
#undef VORN_REC_STYLE
#undef VORN_REC_BYTE
#undef VORN_REC_BOOL

  // Extra-argument accessors log index -1 and the cell; the test checks the cell.
  std::string GetBorderSource(int cell) const override {
    auto it = cell_strings.find(cell);
    return it != cell_strings.end() ? it->second : std::string();
  }
  void SetBorderSource(int cell, const std::string& value) override {
    calls.push_back({-1, 'S', value, cell});
    cell_strings[cell] = value;
  }
  std::uint8_t GetBorderHAlign(int cell) const override {
    auto it = halign.find(cell);
    return it != halign.end() ? it->second : 0;
  }
  void SetBorderHAlign(int cell, std::uint8_t value) override {
    calls.push_back({-1, 'B', std::to_string(value), cell});
    halign[cell] = value;
  }
  std::uint8_t GetBorderVAlign(int cell) const override {
    auto it = valign.find(cell);
    return it != valign.end() ? it->second : 0;
  }
  void SetBorderVAlign(int cell, std::uint8_t value) override {
    calls.push_back({-1, 'B', std::to_string(value), 100 + cell});
    valign[cell] = value;
  }
  long double GetParticleParam(int number) const override {
    auto it = params.find(number);
    return it != params.end() ? it->second : 0.0L;
  }
  void SetParticleParam(int number, long double value) override {
    calls.push_back({-1, 'F', FloatText(value), number});
    params[number] = value;
  }

  bool GetItemChecked(int item) const override { return Item(item_checked, "check? ", item, false); }
  void SetItemChecked(int item, bool flag) override { SetItem(item_checked, "check ", item, flag); }
  bool GetItemEnabled(int item) const override { return Item(item_enabled, "enabled? ", item, true); }
  void SetItemEnabled(int item, bool flag) override { SetItem(item_enabled, "enabled ", item, flag); }
  bool GetItemVisible(int item) const override { return Item(item_visible, "visible? ", item, true); }
  void SetItemVisible(int item, bool flag) override { SetItem(item_visible, "visible ", item, flag); }
  int IndexOfItem(const std::string& text) const override {
    item_log.push_back("index of " + text);
    for (std::size_t i = 0; i < item_strings.size(); ++i) {
      if (item_strings[i] == text) return static_cast<int>(i);
    }
    return -1;
  }

  TPoint ClientToScreen(TPoint point) const override {
    return drawn ? TPoint{point.x + screen_origin.x, point.y + screen_origin.y} : point;
  }
  TPoint ScreenToClient(TPoint point) const override {
    return drawn ? TPoint{point.x - screen_origin.x, point.y - screen_origin.y} : point;
  }
  // The first layer among the object itself and its ancestors.
  TScriptObject* GetLayerObject() const override {
    for (const TScriptObject* o = this; o != nullptr; o = o->GetParentObject()) {
      if (o->IsLayer()) return const_cast<TScriptObject*>(o);
    }
    return nullptr;
  }
  bool InCabinet() const override {
    for (const TScriptObject* o = parent_; o != nullptr; o = o->GetParentObject()) {
      if (o->GetCompoType() == 27) return true;
    }
    return false;
  }

  TCaretPoint GetCaretPoint() const override { return caret; }
  std::int32_t GetCaretHeight() const override { return caret_height; }
  bool GetPlaying() const override { return playing; }

  // The property calls only (operations dropped).
  std::vector<TPropCall> PropertyCalls() const {
    std::vector<TPropCall> out;
    for (const TPropCall& c : calls) {
      if (c.kind != 'X') out.push_back(c);
    }
    return out;
  }
  // The names of the logged calls in order: "3" for property 3, "cell 4" for an extra-argument
  // accessor, the operation's name for the rest.
  std::vector<std::string> Sequence() const {
    std::vector<std::string> out;
    for (const TPropCall& c : calls) {
      if (c.kind == 'X') out.push_back(c.value);
      else if (c.index < 0) out.push_back("cell " + std::to_string(c.cell));
      else out.push_back(std::to_string(c.index));
    }
    return out;
  }

 private:
  void Log(int index, char kind, std::string value) { calls.push_back({index, kind, std::move(value), -1}); }
  void Op(std::string name) { calls.push_back({-1, 'X', std::move(name), -1}); }
  bool Item(const std::map<int, bool>& items, const char* what, int item, bool fallback) const {
    item_log.push_back(what + std::to_string(item));
    auto it = items.find(item);
    return it != items.end() ? it->second : fallback;
  }
  void SetItem(std::map<int, bool>& items, const char* what, int item, bool flag) {
    item_log.push_back(what + std::to_string(item) + (flag ? " 1" : " 0"));
    items[item] = flag;
  }

  std::string name_;
  std::string tag_;
  std::int32_t priority_ = 0;
  TScriptObject* parent_ = nullptr;
};

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

// A scene of recording objects with two layers. Objects are kept in creation order; a control's
// children are the objects whose parent it is, in that order. Installs itself as the script scene
// while it lives and records what the scene-side commands ask of it.
class TRecordingScene : public TScriptScene, public TScriptSceneServices {
 public:
  static constexpr std::uint8_t kCabinet = 27;

  TRecordingScene() {
    layers[0].SetName("\x01" "BASE0");
    layers[1].SetName("\x01" "BASE1");
    for (auto& layer : layers) {
      layer.is_layer = true;
      layer.calls.clear();
    }
    previous_ = GetScriptScene();
    SetScriptScene(this);
  }
  ~TRecordingScene() override { SetScriptScene(previous_); }
  TRecordingScene(const TRecordingScene&) = delete;
  TRecordingScene& operator=(const TRecordingScene&) = delete;

  TRecordingObject layers[2];
  int current_layer = 0;
  std::vector<std::unique_ptr<TRecordingObject>> objects;
  // Scene operations in call order ("create 8", "delete box", "switch 1 kind 3 ...").
  std::vector<std::string> log;
  std::vector<std::string> find_control_calls;
  std::vector<int> created_kinds;
  // Configures each new component before the command sees it.
  std::function<void(TRecordingObject&)> on_create;
  std::vector<std::unique_ptr<TRecordingTransition>> transitions;
  TRecordingTransition* running = nullptr;
  std::int32_t width = 640;
  std::int32_t height = 480;
  TPlainEventQueue queue;

  // A control under the parent (the active layer when none is given), of that kind; what setting
  // it up logged is cleared.
  template <class T = TRecordingObject>
  T& Add(std::string name, TScriptObject* parent = nullptr, std::uint8_t kind = 0) {
    auto object = std::make_unique<T>(std::move(name));
    object->kind = kind;
    T& added = *object;
    objects.push_back(std::move(object));
    added.SetParentObject(parent != nullptr ? parent : &layers[current_layer]);
    added.calls.clear();
    return added;
  }
  // A component that is no control (a timer, a sound): no parent, never found as a control.
  TRecordingObject& AddComponent(std::string name, std::uint8_t kind = 0) {
    objects.push_back(std::make_unique<TRecordingObject>(std::move(name)));
    objects.back()->kind = kind;
    non_controls_.push_back(objects.back().get());
    return *objects.back();
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
    if (name.empty() || name == "\x01" "BASE0") return &layers[current_layer];
    if (name == "\x01" || name == "\x01" "BASE1") return &layers[current_layer ^ 1];
    for (auto& o : objects) {
      if (o->GetName() == name && !IsDeleted(o.get())) return o.get();
    }
    return nullptr;
  }
  TScriptObject* FindControl(std::string_view name) override {
    find_control_calls.emplace_back(name);
    if (name.empty()) return &layers[current_layer];
    if (name == "\x01") return &layers[current_layer ^ 1];
    if (name == "\x01" "BASE0") return &layers[0];
    if (name == "\x01" "BASE1") return &layers[1];
    TScriptObject* found = FindComponent(name);
    for (const TRecordingObject* component : non_controls_) {
      if (found == component) return nullptr;
    }
    return found;
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
    created_kinds.push_back(kind);
    const std::string name = "auto" + std::to_string(objects.size());
    if (kind == 26) {
      objects.push_back(std::make_unique<TRecordingPropMotion>(name));
    } else {
      objects.push_back(std::make_unique<TRecordingObject>(name));
    }
    TRecordingObject& object = *objects.back();
    object.kind = kind;
    if (on_create) on_create(object);
    return &object;
  }
  TScriptObject* GetCurrentLayer() override { return &layers[current_layer]; }
  // Objects in creation order; layers are not listed.
  int ListNames(std::vector<std::string>& names, std::uint8_t kind, const TScriptObject* parent) override {
    int added = 0;
    for (const auto& o : objects) {
      if (kind != 0 && o->GetCompoType() != kind) continue;
      if (parent != nullptr && o->GetParentObject() != parent) continue;
      names.push_back(o->GetName());
      ++added;
    }
    return added;
  }
  int GetActiveLayerIndex() const override { return current_layer; }
  TScriptObject* GetLayer(int index) override { return &layers[index & 1]; }
  std::int32_t GetSceneWidth() const override { return width; }
  std::int32_t GetSceneHeight() const override { return height; }

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
    return {objects.back().get(), width, height};
  }
  TScriptTransition* SwitchLayer(int layer, int kind, std::uint8_t direction, bool forced, std::int32_t elapsed,
                                 std::int32_t duration) override {
    log.push_back("switch " + std::to_string(layer) + " kind " + std::to_string(kind) + (direction != 0 ? " reverse" : "") +
                  (forced ? " forced" : "") + " at " + std::to_string(elapsed) + " for " + std::to_string(duration));
    current_layer = layer & 1;
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
    non_controls_.clear();
  }

 private:
  std::vector<const TRecordingObject*> non_controls_;
  std::vector<TObjectId> deleted_;
  TScriptScene* previous_ = nullptr;
};

}  // namespace vorn::testing
