#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/script_scene.h"
#include "foundation/array_string.h"

namespace vorn {

class TStream;
class TTimerList;
class TVornBaseList;
class TVornObject;

// One queued script event. The target is held by handle: once the object is freed the event still
// runs its handler but has no sender.
class TTimerData : public TScriptEvent {
 public:
  TTimerData(TTimerList* queue, std::string label, TObjectHandle target, std::uint8_t code)
      : queue_(queue), label_(std::move(label)), target_(target), code_(code) {}

  const std::string& GetLabel() const override { return label_; }
  TObjectHandle GetSender() const override { return target_; }
  std::uint8_t GetCode() const override { return code_; }
  std::int32_t GetDone() const override { return done_; }
  void SetDone(std::int32_t level) override { done_ = level; }
  const TArrayString& GetArguments() const override { return arguments_; }

  TTimerList* GetQueue() const { return queue_; }
  TArrayString& Arguments() { return arguments_; }
  void ForgetTarget() { target_.Reset(); }

 private:
  TTimerList* queue_;
  std::string label_;
  TObjectHandle target_;
  std::uint8_t code_;
  std::int32_t done_ = 0;
  TArrayString arguments_;
};

// The scene's queue of script events, in posting order. It stores what it is given: posters apply
// the post rule (CanPostEvent) themselves, since some of them skip it on purpose.
class TTimerList : public TScriptEventQueue {
 public:
  explicit TTimerList(TVornBaseList* scene = nullptr) : scene_(scene) {}

  // Appends an event with done 0 and a copy of the arguments (when given); checks nothing.
  TTimerData* PostEvent(const TVornObject* object, const std::string& label,
                        const TArrayString* arguments, std::uint8_t code);
  // Index of the first event (waiting or running) of that object and code, -1 when none.
  int FindEvent(const TVornObject* object, std::uint8_t code) const;
  // Whether such an event is queued, without a walk: every object with a waiting continuous
  // event asks this each frame.
  bool HasEvent(const TVornObject* object, std::uint8_t code) const;
  TTimerData* NextEvent() override;
  void RemoveByFlag(std::int32_t level) override;
  void RemoveDone() override;
  void RemoveEvent(const TScriptEvent* event) override;
  // Removes that object's waiting events; its running ones stay.
  void RemovePendingOf(const TVornObject* object);
  // A freed object's running events stay until their handler ends, without a target.
  void ForgetTarget(const TVornObject* object);
  void Clear() override;

  int Count() const { return static_cast<int>(events_.size()); }
  TTimerData* Item(int index) const { return events_[static_cast<std::size_t>(index)].get(); }

  // Queue record: int32 count, then per event label, target name, code, done and arguments.
  void SaveToStream(TStream& stream) const;
  // Replaces the queue by the record. Targets are looked up by name in the scene's object list.
  void LoadFromStream(TStream& stream, std::int32_t version);

 private:
  // Keeps the per-(object, code) counts with every addition and removal.
  void Counted(const TTimerData& event, int change);
  template <typename Predicate>
  void EraseIf(Predicate doomed);

  TVornBaseList* scene_;
  std::vector<std::unique_ptr<TTimerData>> events_;
  // Queued events per (sender id, code); senders that are gone are not counted.
  std::unordered_map<std::uint64_t, int> counts_;
};

// The post rule every poster applies before PostEvent: a label to run, an object that is not
// blocked, for de-duplicated events none of the same object and code queued (running ones count
// too), and for button-down and key events an object that is neither paused nor a layer.
enum class TPostKind {
  kPlain,         // posted whenever the label is set and the object is not blocked
  kDeduplicated,  // continuous and repeatable events: at most one queued per object and code
  kInput,         // button-down and key events: de-duplicated, and never from paused objects or layers
};
bool CanPostEvent(const TTimerList& queue, const TVornObject& object, const std::string& label,
                  std::uint8_t code, TPostKind kind);

}  // namespace vorn
