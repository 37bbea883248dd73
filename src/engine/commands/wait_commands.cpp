#include "engine/commands/wait_commands.h"

#include "engine/call_man.h"
#include "engine/command_eval.h"
#include "engine/commands/scene_command_support.h"
#include "engine/engine_values.h"
#include "engine/scene_services.h"
#include "engine/script_files.h"
#include "engine/script_page.h"
#include "engine/script_scene.h"
#include "engine/script_text.h"
#include "foundation/stream_encoding.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {

namespace {

// Flip's carry modes: move the named children, or every child not named.
constexpr std::int32_t kCarryUnnamed = 0;
constexpr std::int32_t kCarryNamed = 1;
constexpr int kLastTransitionKind = 38;
// The name of the picture a flip freezes.
constexpr char kFrozenImageName[] = "\x01\x01";
// Sources of CD audio tracks are no files of the data.
constexpr std::string_view kCdTrackPrefix = "CD_";

// Milliseconds from `since` to `now` on the wrapping 32-bit game clock.
std::int32_t ClockDifference(std::int32_t now, std::int32_t since) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(since));
}

}  // namespace

// --- Wait ---

void TComWait::Enter(TCallMan& /*callman*/) {
  time_left_ = IntOr(ExpressionAt(*this, 1), 0);
  start_delay_ = 1;
  event_block_ = BoolOr(ExpressionAt(*this, 2), false);
}

void TComWait::Execute(TCallMan& callman, TPage*& /*page*/, std::int32_t& index) {
  const TCustomParam* hold = Evaluate(ExpressionAt(*this, 0));
  if (hold != nullptr && !hold->GetAsBool()) {
    ++index;
    return;
  }
  if (time_left_ != 0) {
    if (start_delay_ > 0) {
      --start_delay_;
    } else {
      const std::int64_t left = static_cast<std::int64_t>(time_left_) - FrameDelta;
      if (left <= 0) {
        time_left_ = 0;
        ++index;
        return;
      }
      time_left_ = static_cast<std::int32_t>(left);
    }
  }
  // One step a frame: the frame time is counted once, however often the script step comes round.
  callman.SetRunFlag(false);
}

void TComWait::SaveState(std::unique_ptr<TMemoryStream>& stream) {
  TMemoryStream& out = BeginState(stream);
  WriteIntToStream(out, time_left_);
  WriteIntToStream(out, start_delay_);
  WriteBoolToStream(out, event_block_);
}

void TComWait::LoadState(TStream& stream) {
  const std::int32_t version = ReadStateHeader(stream);
  const std::int32_t time_left = ReadIntFromStream(stream);
  const std::int32_t start_delay = ReadIntFromStream(stream);
  bool event_block = event_block_;
  if (version >= 100) event_block = ReadBoolFromStream(stream);
  time_left_ = time_left;
  start_delay_ = start_delay;
  event_block_ = event_block;
}

// --- Flip ---

TVornParser* TComFlip::CarryName(std::int32_t i) const { return ExpressionAt(*this, 4 + static_cast<std::size_t>(i)); }

TVornParser* TComFlip::After(std::int32_t offset) const {
  const std::int32_t names = Ints().empty() ? 0 : Ints()[0];
  return ExpressionAt(*this, 4 + static_cast<std::size_t>(names) + static_cast<std::size_t>(offset));
}

bool TComFlip::IsWaiting() const {
  const TVornParser* duration = ExpressionAt(*this, 1);
  const TCustomParam* result = duration != nullptr ? duration->Result() : nullptr;
  return result != nullptr && result->GetAsInt() > 0;
}

void TComFlip::Enter(TCallMan& /*callman*/) {
  phase_ = kEntered;
  std::int32_t kind = IntOr(ExpressionAt(*this, 0), 0) & 0xFF;
  if (kind > kLastTransitionKind) kind = 0;
  TVornParser* duration_expression = ExpressionAt(*this, 1);
  std::int32_t duration = IntOr(duration_expression, 1);
  if (duration < 1) duration = 1;
  const TCustomParam* duration_result = duration_expression != nullptr ? duration_expression->Result() : nullptr;
  const bool duration_given = duration_result != nullptr && duration_result->GetAsInt() > 0;

  const bool reverse = BoolOr(ExpressionAt(*this, 2), false);
  event_block_ = BoolOr(After(4), false);
  clear_old_ = BoolOr(After(0), false);
  const TCustomParam* carry = Evaluate(ExpressionAt(*this, 3));
  const std::int32_t carry_mode = carry != nullptr ? carry->GetAsInt() : 0;
  carry_names_.clear();
  const std::int32_t names = Ints().empty() ? 0 : Ints()[0];
  for (std::int32_t i = 0; i < names; ++i) {
    for (std::string& line : script_text::SplitLines(StrOr(CarryName(i)))) carry_names_.push_back(std::move(line));
  }

  TScriptSceneServices* services = GetSceneServices();
  if (services == nullptr) {
    phase_ = kNoTransition;
    return;
  }
  const int current = GetScriptScene()->GetActiveLayerIndex();
  if (carry != nullptr) {
    if (!duration_given) {
      phase_ = kNoTransition;
    } else {
      services->Paint();
      const TScreenCopy copy = services->CreateScreenCopy();
      if (copy.image != nullptr) {
        copy.image->SetWidth(copy.width);
        copy.image->SetHeight(copy.height);
        copy.image->SetParentObject(GetScriptScene()->GetLayer(current));
        copy.image->SetIgnoreMouse(1);
        frozen_ = copy.image->Handle();
      }
    }
    CarryChildren(carry_mode);
  }
  carry_names_.clear();
  if (phase_ == kNoTransition) return;
  TScriptTransition* transition = services->SwitchLayer(current, kind, reverse ? 1 : 0, true, 0, duration);
  if (transition == nullptr) return;
  if (const TCustomParam* p = Evaluate(After(1))) transition->SetParam(0, p->GetAsInt());
  if (const TCustomParam* p = Evaluate(After(2))) transition->SetParam(1, p->GetAsInt());
  if (const TCustomParam* text = Evaluate(After(3))) transition->SetText(text->GetAsString());
  transition->Start();
}

void TComFlip::CarryChildren(std::int32_t mode) {
  if (mode != kCarryNamed && mode != kCarryUnnamed) return;
  TScriptSceneServices* services = GetSceneServices();
  const int current = GetScriptScene()->GetActiveLayerIndex();
  TScriptObject* layer = GetScriptScene()->GetLayer(current);
  TScriptObject* other = GetScriptScene()->GetLayer(current ^ 1);
  if (layer == nullptr || other == nullptr) return;
  const TScriptObject* frozen = frozen_.Get();
  for (int i = services->GetChildCount(*layer) - 1; i >= 0; --i) {
    TScriptObject* child = services->GetChild(*layer, i);
    if (child == nullptr || child == frozen) continue;
    bool named = false;
    for (const std::string& name : carry_names_) named = named || name == child->GetName();
    if (named == (mode == kCarryNamed)) child->SetParentObject(other);
  }
}

void TComFlip::SwitchBack() {
  TScriptSceneServices* services = GetSceneServices();
  if (services == nullptr) return;
  services->SwitchLayer(GetScriptScene()->GetActiveLayerIndex() ^ 1, 0, 0, true, 0, 0);
  if (TScriptScene* scene = GetScriptScene()) {
    if (TScriptObject* frozen = scene->FindControl(kFrozenImageName)) services->MarkDeleted(*frozen);
  }
  frozen_.Reset();
}

void TComFlip::ClearInactiveLayer(bool keep_cabinets) {
  TScriptSceneServices* services = GetSceneServices();
  if (services == nullptr) return;
  TScriptObject* inactive = GetScriptScene()->GetLayer(GetScriptScene()->GetActiveLayerIndex() ^ 1);
  if (inactive == nullptr) return;
  for (int i = services->GetChildCount(*inactive) - 1; i >= 0; --i) {
    TScriptObject* child = services->GetChild(*inactive, i);
    if (child == nullptr || (keep_cabinets && services->IsCabinet(*child))) continue;
    services->MarkDeleted(*child);
  }
}

void TComFlip::Execute(TCallMan& callman, TPage*& /*page*/, std::int32_t& index) {
  // A step that stays ends the frame's script step: the game clock moves only between frames, so
  // going round again within the frame could never end.
  switch (phase_) {
    case kEntered:
      phase_ = kArmed;
      callman.SetRunFlag(false);
      return;
    case kArmed:
      start_time_ = GameClock;
      phase_ = kRunning;
      callman.SetRunFlag(false);
      return;
    default:
      break;
  }
  if (phase_ == kRunning) {
    TScriptSceneServices* services = GetSceneServices();
    const std::int32_t elapsed = ClockDifference(GameClock, start_time_);
    if (services != nullptr && elapsed < services->GetTransitionParam()) {
      services->SetTransitionParam(elapsed);
      callman.SetRunFlag(false);
      return;
    }
  }
  SwitchBack();
  if (clear_old_) ClearInactiveLayer(true);
  ++index;
}

void TComFlip::Finish() {
  SwitchBack();
  if (clear_old_) ClearInactiveLayer(false);
}

void TComFlip::SaveState(std::unique_ptr<TMemoryStream>& stream) {
  TMemoryStream& out = BeginState(stream);
  WriteBoolToStream(out, event_block_);
  WriteBoolToStream(out, clear_old_);
}

void TComFlip::LoadState(TStream& stream) {
  if (ReadStateHeader(stream) < 100) return;
  const bool event_block = ReadBoolFromStream(stream);
  const bool clear_old = ReadBoolFromStream(stream);
  event_block_ = event_block;
  clear_old_ = clear_old;
}

// --- MovieStop ---

TScriptObject* TComMovieStop::Target() const {
  TScriptObject* target = target_.Get();
  const TScriptScene* scene = GetScriptScene();
  if (target == nullptr || scene == nullptr || scene->IndexOfObject(target) < 0) return nullptr;
  return target;
}

void TComMovieStop::Enter(TCallMan& /*callman*/) {
  event_block_ = BoolOr(ExpressionAt(*this, 3), false);
  waiting_ = false;
  target_.Reset();
  const std::string name = StrOr(ExpressionAt(*this, 0));
  TScriptScene* scene = GetScriptScene();
  if (name.empty() || scene == nullptr) return;
  TScriptObject* object = scene->FindComponent(name);
  if (object == nullptr) return;
  const std::int32_t fade = IntOr(ExpressionAt(*this, 1), 0);
  if (fade > 0) {
    const std::string source = object->GetSource();
    const bool playable = source.starts_with(kCdTrackPrefix) || GetScriptFiles().FileExists(source);
    const std::int32_t state = object->GetPlayState();
    if (playable && (state == LP_PLAY || state == LP_PLAYFADE)) {
      object->SetDelay(fade);
      object->SetPlayState(LP_STOPFADE);
      target_ = object->Handle();
    }
  } else {
    object->SetPlayState(LP_STOP);
    if (TScriptSceneServices* services = GetSceneServices()) services->MarkDeleted(*object);
  }
  waiting_ = BoolOr(ExpressionAt(*this, 2), waiting_);
}

void TComMovieStop::Execute(TCallMan& callman, TPage*& /*page*/, std::int32_t& index) {
  // The faded object removes itself once its fade has run out, which takes frames.
  if (waiting_ && Target() != nullptr) {
    callman.SetRunFlag(false);
    return;
  }
  ++index;
}

void TComMovieStop::SaveState(std::unique_ptr<TMemoryStream>& stream) {
  SaveTargetWaitState(stream, Target(), waiting_, event_block_);
}

void TComMovieStop::LoadState(TStream& stream) {
  const auto [name, waiting, event_block] = LoadTargetWaitState(stream, waiting_, event_block_);
  TScriptScene* scene = GetScriptScene();
  TScriptObject* target = !name.empty() && scene != nullptr ? scene->FindComponent(name) : nullptr;
  target_ = target != nullptr ? target->Handle() : TObjectHandle();
  waiting_ = waiting;
  event_block_ = event_block;
}

// --- MediaPlay, MenuClose ---

void TComMediaPlay::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  const std::string name = StrOr(ExpressionAt(*this, 0));
  TScriptScene* scene = GetScriptScene();
  TScriptSceneServices* services = GetSceneServices();
  if (name.empty() || scene == nullptr || services == nullptr) return;
  if (TScriptObject* object = scene->FindComponent(name)) services->Replay(*object);
}

void TComMenuClose::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  const std::string name = StrOr(ExpressionAt(*this, 0));
  TScriptScene* scene = GetScriptScene();
  if (scene == nullptr) return;
  // An empty name finds the current layer, which then closes like any menu.
  if (TScriptObject* object = scene->FindComponent(name)) object->SetPlayState(LP_STOPFADE);
}

}  // namespace vorn
