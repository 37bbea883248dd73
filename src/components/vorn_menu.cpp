#include "components/vorn_menu.h"

#include "components/vorn_base_list.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "foundation/vocabulary_codes.h"
#include "platform/key_codes.h"

namespace vorn {

TVornMenu::TVornMenu(TVornBaseList* owner) : TVornCustomListBox(owner), play_state_(LP_STOP) {}

TVornMenu::~TVornMenu() = default;

void TVornMenu::Create(std::unique_ptr<TVornObject> self) {
  TVornCustomListBox::Create(std::move(self));
  if (TVornBaseList* scene = GetOwner()) scene->Menus().AddUnique(this);
}

void TVornMenu::Destroying() {
  if (TVornBaseList* scene = GetOwner()) scene->Menus().Remove(this);
  TVornCustomListBox::Destroying();
}

// ---- properties ----

void TVornMenu::SetFontHoverColor(std::int32_t value) {
  hover_.text_color = value;
  hover_.Invalidate();
  Invalidate();
}

void TVornMenu::SetFontHoverStyle(TFontStyleSet value) {
  hover_.flags = static_cast<std::uint8_t>(value.ToBits());
  hover_.Invalidate();
  MarkSizeDirty();
  Invalidate();
}

void TVornMenu::SetHoverColor(std::int32_t value) {
  hover_color_ = value;
  Invalidate();
}

std::int32_t TVornMenu::GetOrigHeight() const {
  return play_state_ == LP_PLAYFADE || play_state_ == LP_STOPFADE ? full_height_ : GetHeight();
}

// ---- play state ----

void TVornMenu::PostStage(const std::string& label, std::uint8_t code) {
  TVornBaseList* scene = GetOwner();
  if (scene != nullptr && !label.empty()) scene->Events().PostEvent(this, label, nullptr, code);
}

void TVornMenu::FocusIfOpenable() {
  TVornBaseList* scene = GetOwner();
  if (scene != nullptr && GetVisible() && !GetPaused() && GetHandleKey()) scene->SetFocusedControl(this);
}

void TVornMenu::ChooseOtherFocus() {
  TVornBaseList* scene = GetOwner();
  if (scene != nullptr && scene->GetFocusedControl() == this) scene->RequestFocusChoice();
}

void TVornMenu::SetPlayState(std::int32_t state) {
  if (state < LP_PLAY || state > LP_STOPFADE) return;
  const std::int32_t end_state = state == LP_PLAY || state == LP_PLAYFADE ? LP_PLAY : LP_STOP;
  if (end_state == play_state_) return;
  play_state_ = static_cast<std::uint8_t>(state);
  switch (state) {
    case LP_PLAY:
      // An opening request lifts the block a close left behind.
      closing_ = false;
      UpdateSize();
      SetOpenState(kRest);
      PostStage(on_opening_, PR_ONOPENING);
      PostStage(on_opened_, PR_ONOPENED);
      FocusIfOpenable();
      break;
    case LP_PLAYFADE:
      closing_ = false;
      SetOpenState(kOpenStart);
      FocusIfOpenable();
      break;
    case LP_STOP:
      SetHeight(0);
      SetOpenState(kRest);
      ChooseOtherFocus();
      PostStage(on_closing_, PR_ONCLOSING);
      PostStage(on_closed_, PR_ONCLOSED);
      break;
    default:
      SetOpenState(kCloseStart);
      ChooseOtherFocus();
      break;
  }
}

// ---- tick ----

std::int32_t TVornMenu::Elapsed() const {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(GameClock) - static_cast<std::uint32_t>(start_time_));
}

bool TVornMenu::Tick() {
  AnimateBorders();
  switch (OpenState()) {
    case kRest:
      if (IsSizeDirty()) UpdateSize();
      break;
    case kCancel:
      if (IsSizeDirty()) UpdateSize();
      SetPlayState(LP_STOPFADE);
      SetOpenState(kCloseStart);
      break;
    case kOpenStart:
      UpdateSize();
      PostStage(on_opening_, PR_ONOPENING);
      full_height_ = GetHeight();
      SetHeight(0);
      SetOpenState(kOpenClock);
      break;
    case kOpenClock:
      start_time_ = GameClock;
      SetOpenState(kOpening);
      break;
    case kOpening: {
      const std::int64_t t = Elapsed();
      if (t < delay_) {
        SetHeight(Wrap32(t * full_height_ / delay_));
      } else {
        SetHeight(full_height_);
        PostStage(on_opened_, PR_ONOPENED);
        // Open now: a further opening request is one for the state it is already in.
        play_state_ = LP_PLAY;
        SetOpenState(kRest);
      }
      break;
    }
    case kCloseStart:
      closing_ = true;
      start_time_ = GameClock;
      PostStage(on_closing_, PR_ONCLOSING);
      SetOpenState(kClosing);
      break;
    case kClosing: {
      closing_ = true;
      const std::int64_t t = Elapsed();
      if (t < delay_) {
        SetHeight(Wrap32(full_height_ - t * full_height_ / delay_));
      } else {
        PostStage(on_closed_, PR_ONCLOSED);
        SetOpenState(kDeleting);
      }
      break;
    }
    case kScrapStart:
      closing_ = true;
      PostStage(on_closing_, PR_ONCLOSING);
      PostStage(on_closed_, PR_ONCLOSED);
      SetOpenState(kScrapWait);
      break;
    case kScrapWait:
      SetOpenState(kDeleting);
      break;
    case kDeleting: {
      TVornBaseList* scene = GetOwner();
      return scene == nullptr ||
             (scene->Events().FindEvent(this, PR_ONCLOSING) < 0 && scene->Events().FindEvent(this, PR_ONCLOSED) < 0);
    }
    default:
      break;
  }
  return false;
}

// ---- selection, cancelling and keys ----

void TVornMenu::AfterSelect() {
  if (auto_scrap_ == 0) return;
  closing_ = true;
  SetOpenState(kScrapStart);
}

void TVornMenu::RBtnDown() {
  if (!GetPaused() && rclick_scrap_ != 0) {
    // While it closes already a right press changes nothing but is still taken.
    if (!closing_) {
      if (TParamCollection* params = CurrentParams()) {
        params->SetSelectedText({});
        params->SetSelectedIndex(-1);
      }
      SetPlayState(LP_STOPFADE);
    }
    if (TVornBase* layer = GetBase()) layer->Mouse().right_pressed = 0;
  }
  TVornCustomListBox::RBtnDown();
}

bool TVornMenu::RightClickCancel() {
  if (IsEventBlocked()) return false;
  closing_ = true;
  SetOpenState(kCancel);
  return true;
}

void TVornMenu::KeyRepeat() {
  if (play_state_ == LP_STOP || play_state_ == LP_STOPFADE) return;
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr) return;
  if ((scene->GetKeyClick(platform::kVkReturn) || scene->GetKeyClick(platform::kVkSpace)) && Hover() >= 0 &&
      !closing_) {
    const TObjectHandle self(this);
    Select(Hover());
    if (self.Get() == nullptr) return;
  } else if (rclick_scrap_ != 0 && scene->GetKeyClick(platform::kVkEscape) && play_state_ != LP_STOP && !closing_) {
    SetOpenState(kCancel);
  }
  TVornCustomListBox::KeyRepeat();
}

// ---- record ----

void TVornMenu::SaveClassFields(TStream& stream) const {
  TVornCustomListBox::SaveClassFields(stream);
  WriteIntToStream(stream, delay_);
  WriteIntToStream(stream, hover_color_);
  WriteByteToStream(stream, auto_scrap_);
  WriteByteToStream(stream, rclick_scrap_);
  WriteByteToStream(stream, play_state_);
  WriteStrToStream(stream, on_opening_);
  WriteStrToStream(stream, on_opened_);
  WriteStrToStream(stream, on_closing_);
  WriteStrToStream(stream, on_closed_);
}

void TVornMenu::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornCustomListBox::LoadClassFields(stream, version);
  delay_ = ReadIntFromStream(stream);
  hover_color_ = ReadIntFromStream(stream);
  auto_scrap_ = ReadByteFromStream(stream);
  rclick_scrap_ = ReadByteFromStream(stream);
  play_state_ = ReadByteFromStream(stream);
  ReadStrFromStream(stream, on_opening_);
  ReadStrFromStream(stream, on_opened_);
  ReadStrFromStream(stream, on_closing_);
  ReadStrFromStream(stream, on_closed_);
  UpdateSize();
  full_height_ = GetHeight();
  start_time_ = GameClock;
}

}  // namespace vorn
