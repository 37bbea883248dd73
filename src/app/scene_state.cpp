#include "app/scene_state.h"

#include "components/scene_standin.h"
#include "components/vorn_base_list.h"
#include "foundation/system_texts.h"
#include "media/media_standin.h"

namespace vorn {
namespace {

TVornBaseStandIn* ActiveInput() { return Bases != nullptr ? &Bases->ActiveLayer() : nullptr; }

TVornBaseList* Scene() { return Bases != nullptr ? Bases->scene() : nullptr; }

const TVornControl* AsControl(const TScriptObject& object) {
  const auto* vorn = dynamic_cast<const TVornObject*>(&object);
  return vorn != nullptr ? vorn->AsControl() : nullptr;
}

}  // namespace

bool TAppSceneState::GetLeftClick() const {
  const TVornBaseStandIn* layer = ActiveInput();
  return layer != nullptr && layer->left_pressed;
}

void TAppSceneState::SetLeftClick(bool on) {
  if (TVornBaseStandIn* layer = ActiveInput()) layer->left_pressed = on;
}

bool TAppSceneState::GetRightClick() const {
  const TVornBaseStandIn* layer = ActiveInput();
  return layer != nullptr && layer->right_pressed;
}

void TAppSceneState::SetRightClick(bool on) {
  if (TVornBaseStandIn* layer = ActiveInput()) layer->right_pressed = on;
}

// Nothing captures a button yet (no control takes the mouse), so held is held free.
bool TAppSceneState::IsLeftHeldFree() const {
  const TVornBaseStandIn* layer = ActiveInput();
  return layer != nullptr && layer->left_held;
}

bool TAppSceneState::IsRightHeldFree() const {
  const TVornBaseStandIn* layer = ActiveInput();
  return layer != nullptr && layer->right_held;
}

std::int32_t TAppSceneState::GetMouseX() const {
  const TVornBaseStandIn* layer = ActiveInput();
  return layer != nullptr ? layer->mouse_x : 0;
}

std::int32_t TAppSceneState::GetMouseY() const {
  const TVornBaseStandIn* layer = ActiveInput();
  return layer != nullptr ? layer->mouse_y : 0;
}

bool TAppSceneState::GetWheelDown() const {
  const TVornBaseStandIn* layer = ActiveInput();
  return layer != nullptr && layer->wheel_down_latched;
}

bool TAppSceneState::GetWheelUp() const {
  const TVornBaseStandIn* layer = ActiveInput();
  return layer != nullptr && layer->wheel_up_latched;
}

bool TAppSceneState::GetKeyDown(int code) const { return Bases != nullptr && Bases->KeyDown(code); }

bool TAppSceneState::GetKeyClick(int code) const { return Bases != nullptr && Bases->KeyClicked(code); }

bool TAppSceneState::GetKeyPush(int code) const { return Bases != nullptr && Bases->KeyPushed(code); }

void TAppSceneState::SetImageCacheMode(std::uint8_t mode) {
  // The mode lives here until the layered-image cache exists; its pictures would change, so
  // both layers are drawn again.
  if (mode == image_cache_mode_) return;
  image_cache_mode_ = mode;
  if (TVornBaseList* scene = Scene()) {
    for (int i = 0; i < 2; ++i) {
      TVornBase* layer = scene->GetBase(i);
      layer->InvalidateRect(TRect{0, 0, layer->GetWidth(), layer->GetHeight()});
    }
  }
}

void TAppSceneState::SetSoundOn(bool on) {
  if (on == sound_on_) return;
  sound_on_ = on;
  if (media_ == nullptr) return;
  const std::string_view call = on ? "SoundOn" : "SoundOff";
  for (MediaManagerStandIn* manager : {&media_->wave_list, &media_->wmp, &media_->ogg, &media_->cdda, &media_->midi}) {
    if (manager->exists) manager->Call(call);
  }
}

TScriptObject* TAppSceneState::GetFocusedControl() const {
  TVornBaseList* scene = Scene();
  return scene != nullptr ? scene->GetFocusedControl() : nullptr;
}

void TAppSceneState::SetFocusedControl(TScriptObject* control) {
  TVornBaseList* scene = Scene();
  if (scene == nullptr) return;
  auto* object = dynamic_cast<TVornObject*>(control);
  TVornControl* target = object != nullptr ? object->AsControl() : nullptr;
  if (control != nullptr && target == nullptr) return;
  scene->SetFocusedControl(target);
}

// Only controls take the key focus; no kind of control refuses it yet.
bool TAppSceneState::FocusRefused(const TScriptObject& control) const { return AsControl(control) == nullptr; }

bool TAppSceneState::IsShown(const TScriptObject& control) const {
  const TVornControl* c = AsControl(control);
  return c != nullptr && c->GetVisible();
}

bool TAppSceneState::FocusFlag(const TScriptObject& control) const {
  const TVornControl* c = AsControl(control);
  return c != nullptr && c->GetHandleKey();
}

std::string TAppMidiControl::GetDeviceNames(std::int32_t) const { return std::string(texts::kMidiMapperName); }

std::string TAppMidiControl::GetDeviceName() const { return std::string(texts::kMidiMapperName); }

}  // namespace vorn
