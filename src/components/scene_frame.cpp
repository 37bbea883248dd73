// The scene's per-frame steps after the input step: the tick, the paint and the layer switch.

#include "components/vorn_base_list.h"
#include "foundation/vocabulary_codes.h"
#include "graphics/custom_dibx.h"

namespace vorn {

bool TVornBaseList::Tick() {
  // Layers carry no film of their own yet; whatever they answer changes nothing here.
  layers_[0]->Tick();
  layers_[1]->Tick();
  // Every object listed when the walk starts is stepped once, and so are objects made during it.
  // A self-deleting object may take earlier objects with it (a re-parented older control), so
  // after a deletion the walk goes back to the start and skips the objects already stepped.
  const std::uint64_t stamp = ++tick_stamp_;
  std::size_t index = 0;
  while (index < objects_.size()) {
    TVornObject* object = objects_[index].get();
    if (object->tick_stamp_ == stamp) {
      ++index;
      continue;
    }
    object->tick_stamp_ = stamp;
    const std::string idle = object->GetOnIdle();
    if (!idle.empty() && !object->InCabinet() && !object->IsEventBlocked() &&
        !events_.HasEvent(object, PR_ONIDLE)) {
      events_.PostEvent(object, idle, nullptr, PR_ONIDLE);
    }
    if (object->GetPaused() || IsPendingDelete(object) || object->InCabinet() || !object->Tick()) {
      ++index;
      continue;
    }
    DeleteObject(object);
    index = 0;
  }
  FreePendingDeletes();
  // Fields of paused objects and of objects in a cabinet must still hide when their page goes.
  for (int i = 0; i < text_field_controls_.Count(); ++i) {
    if (TVornControl* control = text_field_controls_.Get(i)) control->AfterSceneTick();
  }
  return false;
}

void TVornBaseList::Paint() {
  transition_rect_ = {};
  layers_[0]->Paint();
  layers_[1]->Paint();
  if (transition_) {
    // Taken before the step draws: the rectangle of the previous step.
    transition_rect_ = transition_->DrawnRect();
    transition_->Draw();
  }
}

TSceneTransition* TVornBaseList::SwitchLayer(int index, int kind, std::uint8_t direction, bool force,
                                             std::int32_t current, std::int32_t total) {
  if (index < 0 || index > 1) return nullptr;
  active_layer_ = index;
  TSceneTransition* created = nullptr;
  if (force || (kind != 0 && !transition_)) {
    FreeTransition();
    layers_[0]->InvalidateAll();
    layers_[1]->InvalidateAll();
    if (kind != 0) {
      TVornBase& from = *layers_[index];
      TVornBase& to = *layers_[index ^ 1];
      TCustomDIBX* scene_surface = GetSceneSurface();
      if (scene_surface != nullptr && from.LayerSurface() != nullptr && to.LayerSurface() != nullptr) {
        // The new active layer was drawing on the scene's surface: its own picture starts as that.
        if (from.GetSurface() != from.LayerSurface()) from.LayerSurface()->Draw(*scene_surface);
        transition_ = MakeSceneTransition(kind, *scene_surface, *from.LayerSurface(), *to.LayerSurface(), total,
                                          direction);
        created = transition_.get();
      }
    }
    TVornControl* focused = GetFocusedControl();
    if (focused == nullptr || focused->GetBase() != layers_[index].get()) {
      DropFocusSilently();
      RequestFocusChoice();
    }
  }
  // A kind without an effect draws nothing: the layers must keep reaching the screen.
  transition_drawing_ = kind != 0 && transition_ != nullptr;
  if (transition_) transition_->SetCurrent(current);
  return created;
}

std::int32_t TVornBaseList::GetTransitionParam() const { return transition_ ? transition_->GetTotal() : 0; }

void TVornBaseList::SetTransitionParam(std::int32_t value) {
  if (transition_) transition_->SetCurrent(value);
}

}  // namespace vorn
