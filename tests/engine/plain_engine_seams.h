#pragma once

// Plain doubles of the engine's seams to the scene, the MIDI devices and the project: fields the
// tests set and read, and a log of the calls that change something.

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine_seams.h"
#include "engine/script_object.h"

namespace vorn::testing {

class TPlainSceneState : public TSceneSystemState {
 public:
  TPlainSceneState() { previous_ = SetSceneSystemState(this); }
  ~TPlainSceneState() override { SetSceneSystemState(previous_); }

  bool GetLeftClick() const override { return left_click; }
  void SetLeftClick(bool on) override { left_click = on; }
  bool GetRightClick() const override { return right_click; }
  void SetRightClick(bool on) override { right_click = on; }
  bool IsLeftHeldFree() const override { return left_held_free; }
  bool IsRightHeldFree() const override { return right_held_free; }
  std::int32_t GetMouseX() const override { return mouse_x; }
  std::int32_t GetMouseY() const override { return mouse_y; }
  bool GetWheelDown() const override { return wheel_down; }
  bool GetWheelUp() const override { return wheel_up; }
  bool GetKeyDown(int code) const override { return key_down.at(static_cast<std::size_t>(code)); }
  bool GetKeyClick(int code) const override { return key_click.at(static_cast<std::size_t>(code)); }
  bool GetKeyPush(int code) const override { return key_push.at(static_cast<std::size_t>(code)); }
  std::uint8_t GetImageCacheMode() const override { return image_cache_mode; }
  void SetImageCacheMode(std::uint8_t mode) override {
    image_cache_mode = mode;
    calls.push_back("cache " + std::to_string(mode));
  }
  bool GetSoundOn() const override { return sound_on; }
  void SetSoundOn(bool on) override {
    sound_on = on;
    calls.push_back(on ? "sound on" : "sound off");
  }
  TScriptObject* GetFocusedControl() const override { return focused; }
  void SetFocusedControl(TScriptObject* control) override {
    focused = control;
    calls.push_back("focus " + (control != nullptr ? control->GetName() : std::string("none")));
  }
  bool FocusRefused(const TScriptObject& control) const override {
    calls.push_back("refused? " + control.GetName());
    return refused;
  }
  bool IsShown(const TScriptObject& control) const override {
    calls.push_back("shown? " + control.GetName());
    return shown;
  }
  bool FocusFlag(const TScriptObject& control) const override {
    calls.push_back("flag? " + control.GetName());
    return focus_flag;
  }

  bool left_click = false;
  bool right_click = false;
  bool left_held_free = false;
  bool right_held_free = false;
  std::int32_t mouse_x = 0;
  std::int32_t mouse_y = 0;
  bool wheel_down = false;
  bool wheel_up = false;
  std::array<bool, 256> key_down{};
  std::array<bool, 256> key_click{};
  std::array<bool, 256> key_push{};
  std::uint8_t image_cache_mode = 0;
  bool sound_on = true;
  TScriptObject* focused = nullptr;
  bool refused = false;
  bool shown = true;
  bool focus_flag = true;
  mutable std::vector<std::string> calls;

 private:
  TSceneSystemState* previous_ = nullptr;
};

class TPlainMidi : public TMidiControl {
 public:
  TPlainMidi() { previous_ = SetMidiControl(this); }
  ~TPlainMidi() override { SetMidiControl(previous_); }

  std::int32_t GetDeviceCount() const override { return static_cast<std::int32_t>(devices.size()); }
  std::string GetDeviceNames(std::int32_t index) const override {
    if (index < 0 || index >= GetDeviceCount()) return "MIDI mapper";
    return devices[static_cast<std::size_t>(index)];
  }
  std::string GetDeviceName() const override { return selected; }
  void SetDeviceName(std::string_view name) override { selected = std::string(name); }

  std::vector<std::string> devices;
  std::string selected;

 private:
  TMidiControl* previous_ = nullptr;
};

class TPlainProject : public TProjectFacts {
 public:
  TPlainProject() { previous_ = SetProjectFacts(this); }
  ~TPlainProject() override { SetProjectFacts(previous_); }

  std::int32_t GetScreenWidth() const override { return width; }
  std::int32_t GetScreenHeight() const override { return height; }
  std::string GetTitle() const override { return title; }

  std::int32_t width = 640;
  std::int32_t height = 480;
  std::string title = "Game";

 private:
  TProjectFacts* previous_ = nullptr;
};

// Installs a recording window for the life of the object.
class TInstalledScreen {
 public:
  TInstalledScreen() { previous_ = SetScreenControl(&screen); }
  ~TInstalledScreen() { SetScreenControl(previous_); }
  TInstalledScreen(const TInstalledScreen&) = delete;
  TInstalledScreen& operator=(const TInstalledScreen&) = delete;

  TRecordingScreenControl screen;

 private:
  TScreenControl* previous_ = nullptr;
};

}  // namespace vorn::testing
