#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "components/vorn_images.h"

namespace vorn {

// The button (kind 3): images with four picture states (0 normal, 1 hover, 2 pressed, 3 clicked,
// -1 between the end of the clicked pictures and the return state), mouse and key handling,
// radio groups and a notify event.
class TVornButton : public TVornImages {
 public:
  static constexpr int kStates = 4;
  static constexpr int kHover = 1;
  static constexpr int kPressed = 2;
  static constexpr int kClicked = 3;

  explicit TVornButton(TVornBaseList* owner);
  ~TVornButton() override;
  void Destroying() override;

  std::uint8_t GetCompoType() const override { return 3; }

  int CurrentState() const override { return state_; }
  // In state 3 a request only becomes the return state; otherwise a different state is taken
  // when it is 0 or below or has pictures (frames or a film), restarting at its first frame.
  void SetState(int state) override;
  int StateCount() const override { return kStates; }
  TControlFilm* MotionOf(int state) const override;
  // The end of a state's play: auto scrap, or the play-end event and back to the return state.
  bool MotionEnded() override;
  int GetReturnState() const { return return_state_; }
  // 0 idle, 1 pressed on the button, -1 clicked and to be scrapped at the next tick.
  std::int32_t GetTracking() const { return tracking_; }

  std::string GetHoverSource() const override { return sources_[kHover]; }
  void SetHoverSource(const std::string& value) override { SetStateSource(kHover, value); }
  std::string GetPressedSource() const override { return sources_[kPressed]; }
  void SetPressedSource(const std::string& value) override { SetStateSource(kPressed, value); }
  std::string GetClickedSource() const override { return sources_[kClicked]; }
  void SetClickedSource(const std::string& value) override { SetStateSource(kClicked, value); }
  std::int32_t GetGroupIndex() const override { return group_index_; }
  void SetGroupIndex(std::int32_t value) override;
  bool GetSelected() const override { return selected_; }
  void SetSelected(bool value) override;
  // A group change without the group rule.
  void SetSelectedQuiet(bool value);
  bool GetAllowAllUp() const override { return allow_all_up_; }
  void SetAllowAllUp(bool value) override;
  void SetAllowAllUpQuiet(bool value) { allow_all_up_ = value; }
  // The clicked pictures play once; the other states loop.
  bool GetRepeat() const override { return state_ != kClicked; }
  void SetPaused(bool value) override;
  std::string GetOnNotify() const override { return on_notify_; }
  void SetOnNotify(const std::string& value) override { on_notify_ = value; }
  std::string GetOnIdle() const override { return on_idle_; }
  void SetOnIdle(const std::string& value) override { on_idle_ = value; }

  bool Tick() override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;

  void MouseMove() override;
  void MouseOut(TVornObject* next) override;
  void LBtnDown() override;
  void LBtnUp() override;
  void KeyRepeat() override;
  // ONNOTIFY, then the clicked state (ungrouped) or the selection toggle (grouped).
  void Click();

 protected:
  std::string SavedImagesIdle() const override { return {}; }
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  void SetStateSource(int state, const std::string& value);
  // The control under the mouse for a left press is this button.
  bool UnderLeftMouse() const;
  void ApplyGroupRule();

  std::int32_t tracking_ = 0;
  std::int32_t state_ = 0;
  std::int32_t return_state_ = 0;
  std::array<std::string, kStates> sources_;
  std::int32_t group_index_ = 0;
  bool selected_ = false;
  bool allow_all_up_ = false;
  std::string on_notify_;
  std::string on_idle_;
  // Films of states 1..3 (state 0 uses the images' own).
  std::array<std::unique_ptr<TControlFilm>, kStates> motions_;
};

}  // namespace vorn
