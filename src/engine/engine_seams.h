#pragma once

// What the engine reads and changes in subsystems built above it: the scene's input state and
// switches, the window's pointer and full screen, the MIDI devices and the loaded project's
// facts. Each owner installs its implementation at start-up; with none installed the engine sees
// the neutral answers documented per operation (headless runs, tests).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

class TScriptObject;

// The scene state behind the system variables. Mouse, click latches, held flags and wheel latches
// are those of the active layer; key codes are 0..255.
class TSceneSystemState {
 public:
  virtual ~TSceneSystemState() = default;

  virtual bool GetLeftClick() const = 0;
  virtual void SetLeftClick(bool on) = 0;
  virtual bool GetRightClick() const = 0;
  virtual void SetRightClick(bool on) = 0;
  // Button held with no pending release and no capture of that button.
  virtual bool IsLeftHeldFree() const = 0;
  virtual bool IsRightHeldFree() const = 0;
  // Client coordinates of the drawing panel.
  virtual std::int32_t GetMouseX() const = 0;
  virtual std::int32_t GetMouseY() const = 0;
  virtual bool GetWheelDown() const = 0;
  virtual bool GetWheelUp() const = 0;

  // Held down; clicked in the last input step; went down or repeated in the last input step.
  virtual bool GetKeyDown(int code) const = 0;
  virtual bool GetKeyClick(int code) const = 0;
  virtual bool GetKeyPush(int code) const = 0;

  // Setting the image-cache mode redraws both layers.
  virtual std::uint8_t GetImageCacheMode() const = 0;
  virtual void SetImageCacheMode(std::uint8_t mode) = 0;
  // Setting the sound switch passes it to every audio manager.
  virtual bool GetSoundOn() const = 0;
  virtual void SetSoundOn(bool on) = 0;

  // The control with the key focus, or null.
  virtual TScriptObject* GetFocusedControl() const = 0;
  // Moves the key focus, posting the focus-out and focus-in events.
  virtual void SetFocusedControl(TScriptObject* control) = 0;
  // The three tests a control passes, in this order, before a script may focus it: a test that
  // must answer false, the shown test (own flag and every parent's), and a flag that must be set.
  virtual bool FocusRefused(const TScriptObject& control) const = 0;
  virtual bool IsShown(const TScriptObject& control) const = 0;
  virtual bool FocusFlag(const TScriptObject& control) const = 0;
};

// None installed: every flag false, every number 0, focus none, writes ignored.
TSceneSystemState* GetSceneSystemState();
TSceneSystemState* SetSceneSystemState(TSceneSystemState* state);

// One display mode as scripts read it.
struct TDisplayModeInfo {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bits_per_pixel = 0;
  std::int32_t refresh_rate = 0;
  bool operator==(const TDisplayModeInfo&) const = default;
};

// The main window's full screen, display modes and pointer.
class TScreenControl {
 public:
  virtual ~TScreenControl() = default;

  virtual bool IsFullScreen() const = 0;
  // Switches between window and full screen; nothing when already in that state.
  virtual void SetFullScreen(bool on) = 0;
  virtual std::int32_t GetDisplayModeCount() const = 0;
  // Mode `index` of the list (0 .. count - 1); false and `mode` untouched outside it.
  virtual bool GetDisplayMode(std::int32_t index, TDisplayModeInfo& mode) const = 0;
  // The mode full screen uses (-1 none) and the mode the screen is in (-1 windowed).
  virtual std::int32_t GetChosenMode() const = 0;
  virtual void SetChosenMode(std::int32_t index) = 0;
  virtual std::int32_t GetCurrentMode() const = 0;
  // In full screen with a chosen mode other than the current one: sets the chosen mode again.
  virtual void ReapplyFullScreen() = 0;
  // Moves the system pointer to that x (or y) in panel coordinates, keeping the other coordinate.
  virtual void SetCursorX(std::int32_t x) = 0;
  virtual void SetCursorY(std::int32_t y) = 0;
};

// None installed (no screen manager): not full screen, no modes, chosen mode -1, writes ignored.
TScreenControl* GetScreenControl();
TScreenControl* SetScreenControl(TScreenControl* control);

// A window that remembers what it was asked to do (headless runs and tests).
class TRecordingScreenControl final : public TScreenControl {
 public:
  bool IsFullScreen() const override { return full_screen; }
  void SetFullScreen(bool on) override {
    ++full_screen_calls;
    full_screen = on;
    current_mode = on ? chosen_mode : -1;
  }
  std::int32_t GetDisplayModeCount() const override { return static_cast<std::int32_t>(modes.size()); }
  bool GetDisplayMode(std::int32_t index, TDisplayModeInfo& mode) const override {
    if (index < 0 || index >= GetDisplayModeCount()) return false;
    mode = modes[static_cast<std::size_t>(index)];
    return true;
  }
  std::int32_t GetChosenMode() const override { return chosen_mode; }
  void SetChosenMode(std::int32_t index) override { chosen_mode = index; }
  std::int32_t GetCurrentMode() const override { return current_mode; }
  void ReapplyFullScreen() override {
    ++reapply_calls;
    if (full_screen) current_mode = chosen_mode;
  }
  void SetCursorX(std::int32_t x) override {
    cursor_x = x;
    ++warp_calls;
  }
  void SetCursorY(std::int32_t y) override {
    cursor_y = y;
    ++warp_calls;
  }

  bool full_screen = false;
  std::vector<TDisplayModeInfo> modes;
  std::int32_t chosen_mode = -1;
  std::int32_t current_mode = -1;
  std::int32_t cursor_x = 0;
  std::int32_t cursor_y = 0;
  int full_screen_calls = 0;
  int reapply_calls = 0;
  int warp_calls = 0;
};

// The MIDI output devices.
class TMidiControl {
 public:
  virtual ~TMidiControl() = default;
  // Device names, the MIDI mapper first.
  virtual std::int32_t GetDeviceCount() const = 0;
  virtual std::string GetDeviceNames(std::int32_t index) const = 0;
  virtual std::string GetDeviceName() const = 0;
  virtual void SetDeviceName(std::string_view name) = 0;
};

// None installed (no MIDI): no devices, no selected name, selections ignored.
TMidiControl* GetMidiControl();
TMidiControl* SetMidiControl(TMidiControl* control);

// What the loaded project tells the engine's variables.
class TProjectFacts {
 public:
  virtual ~TProjectFacts() = default;
  virtual std::int32_t GetScreenWidth() const = 0;
  virtual std::int32_t GetScreenHeight() const = 0;
  // CP932.
  virtual std::string GetTitle() const = 0;
};

// None installed (no project): size 0 x 0, empty title.
TProjectFacts* GetProjectFacts();
TProjectFacts* SetProjectFacts(TProjectFacts* facts);

}  // namespace vorn
