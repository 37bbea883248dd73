#include "components/vorn_button.h"

#include <vector>

#include "components/film_seam.h"
#include "components/vorn_base_list.h"
#include "components/vorn_image_list.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {

namespace {

constexpr int kEnterKey = 13;
constexpr int kSpaceKey = 32;
constexpr std::uint8_t kIgnoreNone = 0;
constexpr std::uint8_t kIgnoreRightClick = 4;

}  // namespace

TVornButton::TVornButton(TVornBaseList* owner) : TVornImages(owner) {}

TVornButton::~TVornButton() = default;

void TVornButton::Destroying() {
  TVornImages::Destroying();
  for (auto& film : motions_) film.reset();
}

TControlFilm* TVornButton::MotionOf(int state) const {
  if (state == 0) return TVornImages::MotionOf(0);
  if (state < 1 || state >= kStates) return nullptr;
  return motions_[static_cast<std::size_t>(state)].get();
}

void TVornButton::SetState(int state) {
  if (state_ == kClicked) {
    return_state_ = state;
    return;
  }
  if (state == state_) return;
  const TVornImageList* list = ListOf(state);
  if (!(state <= 0 || MotionOf(state) != nullptr || (list != nullptr && list->Count() > 0))) return;
  // The old state's picture goes: the index steps below test the new state's list, which may not
  // reach the old index (or, for state -1, not exist), and would leave it on the screen.
  Invalidate();
  state_ = state;
  if (state == kClicked) return_state_ = 0;
  SetIndex(-1);
  SetIndex(0);
  if (TControlFilm* film = MotionOf(state)) film->RestartMotion();
}

void TVornButton::SetStateSource(int state, const std::string& value) {
  std::string& stored = sources_[static_cast<std::size_t>(state)];
  if (value == stored) return;
  stored = value;
  if (state_ == state) {
    SetIndex(-1);
    SetExternalSurface(nullptr);
    SetExternalMask(nullptr);
  }
  ListOf(state)->Clear();
  motions_[static_cast<std::size_t>(state)].reset();
  LoadStateSource(state, value, motions_[static_cast<std::size_t>(state)], false);
  if (state_ == state && ListOf(state)->Count() > 0) SetIndex(0);
}

// ---- groups ----

void TVornButton::ApplyGroupRule() {
  TVornControl* parent = GetParent();
  if (parent == nullptr || group_index_ == 0) return;
  std::vector<TVornButton*> members;
  for (TVornControl* child : parent->Children()) {
    auto* button = dynamic_cast<TVornButton*>(child);
    if (button != nullptr && button->group_index_ == group_index_) members.push_back(button);
  }
  TVornButton* chosen = nullptr;
  for (TVornButton* member : members) {
    if (member->selected_ && (member == this || chosen == nullptr)) chosen = member;
  }
  if (chosen == nullptr && !allow_all_up_ && !members.empty()) chosen = members.front();
  for (TVornButton* member : members) {
    if (member->selected_ != (member == chosen)) member->SetSelectedQuiet(member == chosen);
  }
}

void TVornButton::SetSelectedQuiet(bool value) {
  selected_ = value;
  SetState(value ? kPressed : 0);
}

void TVornButton::SetGroupIndex(std::int32_t value) {
  if (value == group_index_) return;
  group_index_ = value;
  ApplyGroupRule();
}

void TVornButton::SetSelected(bool value) {
  if (value == selected_ || (value && group_index_ == 0)) return;
  selected_ = value;
  SetState(value ? kPressed : 0);
  ApplyGroupRule();
}

void TVornButton::SetAllowAllUp(bool value) {
  TVornControl* parent = GetParent();
  if (parent == nullptr || group_index_ == 0) return;
  for (TVornControl* child : parent->Children()) {
    auto* button = dynamic_cast<TVornButton*>(child);
    if (button != nullptr && button->group_index_ == group_index_) button->SetAllowAllUpQuiet(value);
  }
  ApplyGroupRule();
}

void TVornButton::SetPaused(bool value) {
  TVornImages::SetPaused(value);
  if (!GetPaused()) SetState(0);
}

// ---- frames ----

bool TVornButton::Tick() {
  if (tracking_ == -1) return true;
  // A state's film is stepped by the control's tick, which reports its end through MotionEnded.
  const bool filmed = CurrentMotion() != nullptr;
  const bool scrap = TVornCustomImage::Tick();
  if (filmed || !(StepFrames(GetRepeat()) && state_ == kClicked)) return scrap;
  return MotionEnded() || scrap;
}

bool TVornButton::MotionEnded() {
  if (GetAutoScrap()) return true;
  PostPlayEnd();
  // Straight out of the clicked state (a request in state 3 would only be remembered).
  state_ = -1;
  SetState(return_state_);
  return false;
}

void TVornButton::ReleaseSurfaces() { TVornImages::ReleaseSurfaces(); }

void TVornButton::RestoreSurfaces() { TVornImages::RestoreSurfaces(); }

// ---- mouse and keys ----

bool TVornButton::UnderLeftMouse() const {
  TVornBase* layer = GetBase();
  if (layer == nullptr) return false;
  return layer->HitTest(TPoint{layer->Mouse().x, layer->Mouse().y}, kLeftPressMask) == this;
}

void TVornButton::MouseMove() {
  if (tracking_ != 1) {
    if (GetPaused() || selected_) {
      SetState(selected_ ? kPressed : 0);
    } else {
      SetState(kHover);
    }
    TVornImages::MouseMove();
    return;
  }
  if (!selected_ && !UnderLeftMouse()) {
    SetState(0);
  } else {
    SetState(kPressed);
  }
}

void TVornButton::MouseOut(TVornObject* next) {
  if (state_ != kClicked) SetState(selected_ ? kPressed : 0);
  TVornImages::MouseOut(next);
}

void TVornButton::LBtnDown() {
  const std::uint8_t mode = GetIgnoreMouse();
  if (mode != kIgnoreNone && mode != kIgnoreRightClick) {
    TVornImages::LBtnDown();
    return;
  }
  TVornBase* layer = GetBase();
  if (layer == nullptr) return;
  if (!GetPaused() && state_ != kClicked) {
    layer->Mouse().capture |= kLeftCapture;
    SetState(kPressed);
    tracking_ = 1;
  }
  layer->Mouse().left_pressed = 0;
}

void TVornButton::LBtnUp() {
  if (tracking_ == 1 && UnderLeftMouse()) {
    Click();
    if (tracking_ == -1) return;
  }
  tracking_ = 0;
  if (group_index_ == 0 && state_ != kClicked) SetState(0);
}

void TVornButton::KeyRepeat() {
  if (TVornBaseList* scene = GetOwner(); scene != nullptr && (scene->GetKeyPush(kEnterKey) || scene->GetKeyPush(kSpaceKey))) {
    const TObjectHandle self(this);
    Click();
    if (self.Get() == nullptr) return;
  }
  TVornImages::KeyRepeat();
}

void TVornButton::Click() {
  if (TVornBaseList* scene = GetOwner();
      scene != nullptr && CanPostEvent(scene->Events(), *this, on_notify_, PR_ONNOTIFY, TPostKind::kPlain)) {
    scene->Events().PostEvent(this, on_notify_, nullptr, PR_ONNOTIFY);
  }
  if (group_index_ == 0) {
    SetState(kClicked);
    if (state_ != kClicked && GetAutoScrap()) tracking_ = -1;
  } else if (allow_all_up_ || !selected_) {
    SetSelected(!selected_);
  }
}

// ---- record ----

void TVornButton::SaveClassFields(TStream& stream) const {
  TVornImages::SaveClassFields(stream);
  WriteStrToStream(stream, sources_[kHover]);
  WriteStrToStream(stream, sources_[kPressed]);
  WriteIntToStream(stream, group_index_);
  WriteBoolToStream(stream, selected_);
  WriteBoolToStream(stream, allow_all_up_);
  WriteStrToStream(stream, on_notify_);
  WriteStrToStream(stream, on_idle_);
  WriteStrToStream(stream, sources_[kClicked]);
}

void TVornButton::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornImages::LoadClassFields(stream, version);
  const std::int32_t kept = GetIndex();
  SetHoverSource(ReadStrFromStream(stream));
  SetPressedSource(ReadStrFromStream(stream));
  group_index_ = ReadIntFromStream(stream);
  const bool selected = ReadBoolFromStream(stream);
  allow_all_up_ = ReadBoolFromStream(stream);
  on_notify_ = ReadStrFromStream(stream);
  if (version > 103) {
    on_idle_ = ReadStrFromStream(stream);
    SetClickedSource(ReadStrFromStream(stream));
  }
  SetSelected(selected);
  tracking_ = 0;
  SetIndex(kept);
}

}  // namespace vorn
