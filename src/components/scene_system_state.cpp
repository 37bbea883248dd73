#include "components/scene_system_state.h"

#include "components/vorn_base_list.h"

namespace vorn {
namespace {

const TVornControl* AsControl(const TScriptObject& object) {
  const auto* vorn = dynamic_cast<const TVornObject*>(&object);
  return vorn != nullptr ? vorn->AsControl() : nullptr;
}

}  // namespace

bool TVornSceneState::GetLeftClick() const { return scene_.ActiveLayer()->Mouse().left_pressed != 0; }

void TVornSceneState::SetLeftClick(bool on) { scene_.ActiveLayer()->Mouse().left_pressed = on ? 1 : 0; }

bool TVornSceneState::GetRightClick() const { return scene_.ActiveLayer()->Mouse().right_pressed != 0; }

void TVornSceneState::SetRightClick(bool on) { scene_.ActiveLayer()->Mouse().right_pressed = on ? 1 : 0; }

bool TVornSceneState::IsLeftHeldFree() const { return scene_.ActiveLayer()->IsLeftHeldFree(); }

bool TVornSceneState::IsRightHeldFree() const { return scene_.ActiveLayer()->IsRightHeldFree(); }

std::int32_t TVornSceneState::GetMouseX() const { return scene_.ActiveLayer()->Mouse().x; }

std::int32_t TVornSceneState::GetMouseY() const { return scene_.ActiveLayer()->Mouse().y; }

bool TVornSceneState::GetWheelDown() const { return scene_.ActiveLayer()->Mouse().wheel_down != 0; }

bool TVornSceneState::GetWheelUp() const { return scene_.ActiveLayer()->Mouse().wheel_up != 0; }

bool TVornSceneState::GetKeyDown(int code) const { return scene_.GetKeyDown(code); }

bool TVornSceneState::GetKeyClick(int code) const { return scene_.GetKeyClick(code); }

bool TVornSceneState::GetKeyPush(int code) const { return scene_.GetKeyPush(code); }

std::uint8_t TVornSceneState::GetImageCacheMode() const { return scene_.GetImageCacheMode(); }

void TVornSceneState::SetImageCacheMode(std::uint8_t mode) { scene_.SetImageCacheMode(mode); }

bool TVornSceneState::GetSoundOn() const { return scene_.GetSoundOn(); }

void TVornSceneState::SetSoundOn(bool on) { scene_.SetSoundOn(on); }

TScriptObject* TVornSceneState::GetFocusedControl() const { return scene_.GetFocusedControl(); }

void TVornSceneState::SetFocusedControl(TScriptObject* control) {
  auto* object = dynamic_cast<TVornObject*>(control);
  TVornControl* target = object != nullptr ? object->AsControl() : nullptr;
  if (control != nullptr && target == nullptr) return;
  scene_.SetFocusedControl(target);
}

// Only controls take the key focus; no kind of control refuses it yet.
bool TVornSceneState::FocusRefused(const TScriptObject& control) const { return AsControl(control) == nullptr; }

bool TVornSceneState::IsShown(const TScriptObject& control) const {
  const TVornControl* c = AsControl(control);
  return c != nullptr && c->GetVisible();
}

bool TVornSceneState::FocusFlag(const TScriptObject& control) const {
  const TVornControl* c = AsControl(control);
  return c != nullptr && c->GetHandleKey();
}

}  // namespace vorn
