#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/engine_seams.h"

namespace vorn {

struct MediaManagersStandIn;

// What scripts read and change of the running scene through the system variables: the input
// state the window and the input step keep, the key focus of the scene's controls, the sound
// switch and the image-cache mode. The message backlog has no owner yet: its counts answer 0
// and a new maximum is ignored.
class TAppSceneState final : public TSceneSystemState {
 public:
  // media may be null (no audio managers to tell of the sound switch).
  explicit TAppSceneState(MediaManagersStandIn* media) : media_(media) {}

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

  std::uint8_t GetImageCacheMode() const override { return image_cache_mode_; }
  void SetImageCacheMode(std::uint8_t mode) override;
  bool GetSoundOn() const override { return sound_on_; }
  void SetSoundOn(bool on) override;

  TScriptObject* GetFocusedControl() const override;
  void SetFocusedControl(TScriptObject* control) override;
  bool FocusRefused(const TScriptObject& control) const override;
  bool IsShown(const TScriptObject& control) const override;
  bool FocusFlag(const TScriptObject& control) const override;

  std::int32_t GetHistoryCount() const override { return 0; }
  std::int32_t GetHistoryMaxCount() const override { return 0; }
  void SetHistoryMaxCount(std::int32_t) override {}

 private:
  MediaManagersStandIn* media_;
  std::uint8_t image_cache_mode_ = 0;
  bool sound_on_ = true;
};

// The MIDI output devices of a host without any: the mapper alone, always selected.
class TAppMidiControl final : public TMidiControl {
 public:
  std::int32_t GetDeviceCount() const override { return 1; }
  std::string GetDeviceNames(std::int32_t index) const override;
  std::string GetDeviceName() const override;
  void SetDeviceName(std::string_view) override {}
};

}  // namespace vorn
