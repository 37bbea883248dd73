#pragma once

#include <cstdint>

#include "engine/engine_seams.h"

namespace vorn {

class TVornBaseList;

// What scripts read and change of a scene through the system variables: the active layer's mouse
// latches, the key tables, the key focus, the sound switch and the image-cache mode.
class TVornSceneState final : public TSceneSystemState {
 public:
  explicit TVornSceneState(TVornBaseList& scene) : scene_(scene) {}

  bool GetLeftClick() const override;
  void SetLeftClick(bool on) override;
  bool GetRightClick() const override;
  void SetRightClick(bool on) override;
  bool IsLeftHeldFree() const override;
  bool IsRightHeldFree() const override;
  std::int32_t GetMouseX() const override;
  std::int32_t GetMouseY() const override;
  bool GetWheelDown() const override;
  bool GetWheelUp() const override;

  bool GetKeyDown(int code) const override;
  bool GetKeyClick(int code) const override;
  bool GetKeyPush(int code) const override;

  std::uint8_t GetImageCacheMode() const override;
  void SetImageCacheMode(std::uint8_t mode) override;
  bool GetSoundOn() const override;
  void SetSoundOn(bool on) override;

  TScriptObject* GetFocusedControl() const override;
  void SetFocusedControl(TScriptObject* control) override;
  bool FocusRefused(const TScriptObject& control) const override;
  bool IsShown(const TScriptObject& control) const override;
  bool FocusFlag(const TScriptObject& control) const override;

 private:
  TVornBaseList& scene_;
};

}  // namespace vorn
