// Mouse and keys: the object operations the input step calls, hit testing, the layers' mouse
// dispatch and the scene's key tables and input step.

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "components/vorn_base_list.h"
#include "engine/engine_values.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {
namespace {

constexpr std::int32_t kFirstRepeatMs = 300;
constexpr std::int32_t kRepeatMs = 50;
constexpr int kKeyCount = 256;

bool IsKeyCode(int code) { return code >= 0 && code < kKeyCount; }

// Mouse-ignore modes that take a left (right) press and its capture.
bool TakesLeft(std::uint8_t mode) { return mode == 0 || mode == 4; }
bool TakesRight(std::uint8_t mode) { return mode == 0 || mode == 3; }

// The layer whose mouse state the object answers to.
TVornBase* MouseLayerOf(const TVornObject& object) {
  if (TVornBase* layer = object.GetBase()) return layer;
  TVornBaseList* scene = object.GetOwner();
  return scene != nullptr ? scene->ActiveLayer() : nullptr;
}

// The mouse position relative to the object's screen corner, as the two decimal arguments.
TArrayString MouseArguments(const TVornObject& object) {
  TArrayString arguments;
  const TVornBase* layer = MouseLayerOf(object);
  const std::int64_t x = layer != nullptr ? layer->Mouse().x : 0;
  const std::int64_t y = layer != nullptr ? layer->Mouse().y : 0;
  arguments.Add(std::to_string(Wrap32(x - object.GetScreenLeft())));
  arguments.Add(std::to_string(Wrap32(y - object.GetScreenTop())));
  return arguments;
}

// The tests of a button-down event other than its label.
bool PassesInputTests(const TTimerList& queue, const TVornObject& object, std::uint8_t code) {
  return !object.GetPaused() && !queue.HasEvent(&object, code) && !object.IsLayer() && !object.IsEventBlocked();
}

void Post(TVornObject& object, const std::string& label, std::uint8_t code, TPostKind kind, bool with_position) {
  TVornBaseList* scene = object.GetOwner();
  if (scene == nullptr || !CanPostEvent(scene->Events(), object, label, code, kind)) return;
  if (with_position) {
    const TArrayString arguments = MouseArguments(object);
    scene->Events().PostEvent(&object, label, &arguments, code);
  } else {
    scene->Events().PostEvent(&object, label, nullptr, code);
  }
}

// Button down: post (when the label is set), take the capture and consume the press; a control
// in a taking mode that fails the tests only consumes the press.
void ButtonDown(TVornObject& object, bool left) {
  TVornBaseList* scene = object.GetOwner();
  TVornBase* layer = MouseLayerOf(object);
  if (scene == nullptr || layer == nullptr) return;
  const std::uint8_t mode = object.GetIgnoreMouse();
  const std::uint8_t code = left ? PR_ONLBTNDOWN : PR_ONRBTNDOWN;
  if (!(left ? TakesLeft(mode) : TakesRight(mode))) return;
  std::uint8_t& pressed = left ? layer->Mouse().left_pressed : layer->Mouse().right_pressed;
  if (PassesInputTests(scene->Events(), object, code)) {
    const std::string label = left ? object.GetOnLBtnDown() : object.GetOnRBtnDown();
    if (!label.empty()) {
      const TArrayString arguments = MouseArguments(object);
      scene->Events().PostEvent(&object, label, &arguments, code);
    }
    layer->Mouse().capture |= left ? kLeftCapture : kRightCapture;
    pressed = 0;
  } else if (!object.IsLayer()) {
    pressed = 0;
  }
}

void ButtonUp(TVornObject& object, bool left) {
  if (object.IsEventBlocked()) return;
  Post(object, left ? object.GetOnLBtnUp() : object.GetOnRBtnUp(), left ? PR_ONLBTNUP : PR_ONRBTNUP,
       TPostKind::kPlain, true);
  if (TVornBase* layer = MouseLayerOf(object)) layer->Mouse().capture &= ~(left ? kLeftCapture : kRightCapture);
}

// Key events go only to a control that is neither paused nor a layer, once per queued code.
void PostKey(TVornObject& object, const std::string& label, std::uint8_t code) {
  Post(object, label, code, TPostKind::kInput, false);
}

}  // namespace

// ---- object operations ----

void TVornObject::LBtnDown() { ButtonDown(*this, true); }
void TVornObject::RBtnDown() { ButtonDown(*this, false); }
void TVornObject::LBtnUp() { ButtonUp(*this, true); }
void TVornObject::RBtnUp() { ButtonUp(*this, false); }
void TVornObject::MouseMove() { Post(*this, GetOnMouseMove(), PR_ONMOUSEMOVE, TPostKind::kDeduplicated, true); }
void TVornObject::MouseIn(TVornObject* /*previous*/) { Post(*this, GetOnMouseIn(), PR_ONMOUSEIN, TPostKind::kPlain, false); }
void TVornObject::MouseOut(TVornObject* /*next*/) { Post(*this, GetOnMouseOut(), PR_ONMOUSEOUT, TPostKind::kPlain, false); }
void TVornObject::KeyDown() { PostKey(*this, GetOnKeyDown(), PR_ONKEYDOWN); }
void TVornObject::KeyUp() { PostKey(*this, GetOnKeyUp(), PR_ONKEYUP); }
void TVornObject::KeyRepeat() { PostKey(*this, GetOnKeyRepeat(), PR_ONKEYREPEAT); }

// ---- hit testing ----

bool TVornControl::HitsSelf(TPoint /*point*/, std::uint32_t mask) const {
  const std::uint8_t mode = GetIgnoreMouse();
  return mode < 8 && (mask & (1u << mode)) != 0;
}

bool TVornControl::HitBoundsContain(TPoint point, std::int32_t screen_left, std::int32_t screen_top) const {
  const std::int64_t right = std::int64_t{screen_left} + GetWidth();
  const std::int64_t bottom = std::int64_t{screen_top} + GetHeight();
  return point.x >= screen_left && point.x < right && point.y >= screen_top && point.y < bottom;
}

TVornControl* TVornControl::HitTest(TPoint point, std::uint32_t mask) {
  if (!GetVisible()) return nullptr;
  // Each frame carries its control's screen corner, summed top down as GetScreenLeft sums it.
  struct Frame {
    TVornControl* control;
    std::int32_t left;
    std::int32_t top;
    int next_child;
  };
  const std::int32_t root_left = GetScreenLeft();
  const std::int32_t root_top = GetScreenTop();
  if (!HitBoundsContain(point, root_left, root_top)) return nullptr;
  std::vector<Frame> stack{{this, root_left, root_top, GetChildCount() - 1}};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next_child >= 0) {
      TVornControl* child = frame.control->children_[static_cast<std::size_t>(frame.next_child--)];
      if (child->OwnVisibility() == TOwnVisibility::kHidden) continue;
      const std::int32_t left = Wrap32(std::int64_t{frame.left} + child->LocalScreenLeft());
      const std::int32_t top = Wrap32(std::int64_t{frame.top} + child->LocalScreenTop());
      if (child->HitBoundsContain(point, left, top)) stack.push_back({child, left, top, child->GetChildCount() - 1});
      continue;
    }
    TVornControl* control = frame.control;
    stack.pop_back();
    if (control->HitsSelf(point, mask)) return control;
  }
  return nullptr;
}

// ---- mouse dispatch of a layer ----

void TVornBase::DispatchMouse() {
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr) return;
  TLayerMouse& m = mouse_;
  m.left_pressed = m.left_press_request;
  m.right_pressed = m.right_press_request;
  m.wheel_down = m.wheel_down_request;
  m.wheel_up = m.wheel_up_request;
  m.left_press_request = m.right_press_request = m.wheel_down_request = m.wheel_up_request = 0;

  // Open menus and image maps hear a right press first.
  if (m.right_pressed != 0) {
    TVornList& menus = scene->Menus();
    for (int i = 0; i < menus.Count(); ++i) {
      TVornControl* member = menus.Get(i);
      if (member == nullptr || !member->GetRClickScrap() || !member->GetVisible() || member->GetBase() != this ||
          member->GetPaused() || !TakesRight(member->GetIgnoreMouse())) {
        continue;
      }
      if (member->RightClickCancel()) {
        m.right_pressed = 0;
        break;
      }
    }
  }

  TVornObject* hover = GetHoverObject();
  if (m.capture != 0 && scene->IsInScene(hover)) {
    const TObjectHandle held(hover);
    if ((m.capture & kLeftCapture) != 0 && m.left_held == 0) {
      hover->LBtnUp();
      m.capture &= ~kLeftCapture;
    } else if ((m.capture & kRightCapture) != 0 && m.right_held == 0) {
      hover->RBtnUp();
      m.capture &= ~kRightCapture;
    }
    auto* still = dynamic_cast<TVornObject*>(held.Get());
    if (still != nullptr && m.moved != 0) still->MouseMove();
    still = dynamic_cast<TVornObject*>(held.Get());
    if (still != nullptr) still->MouseStepEnd();
    m.moved = 0;
    return;
  }
  m.capture = 0;
  const std::uint32_t mask = m.left_pressed != 0 ? kLeftPressMask : m.right_pressed != 0 ? kRightPressMask : kHoverMask;
  TObjectHandle target_handle(HitTest(TPoint{m.x, m.y}, mask));
  // A target that left the scene during a call counts as none from then on.
  auto target = [&]() -> TVornObject* {
    auto* object = dynamic_cast<TVornObject*>(target_handle.Get());
    return scene->IsInScene(object) ? object : nullptr;
  };

  if (TVornObject* t = target()) {
    UpdateCursor(*t);
    if (m.left_pressed != 0) {
      t->LBtnDown();
      if (TVornObject* after = target(); after != nullptr && !after->GetPaused() && after->GetHandleKey()) {
        scene->SetFocusedControl(after->AsControl());
      }
    } else if (m.right_pressed != 0) {
      t->RBtnDown();
    } else if (m.wheel_down != 0) {
      Post(*t, t->GetOnWheelDown(), PR_ONWHEELDOWN, TPostKind::kDeduplicated, false);
    } else if (m.wheel_up != 0) {
      Post(*t, t->GetOnWheelUp(), PR_ONWHEELUP, TPostKind::kDeduplicated, false);
    }
  }

  TVornObject* now = target();
  hover = GetHoverObject();
  if (hover != nullptr && hover != now && scene->IsInScene(hover)) {
    hover->MouseOut(now);
    now = target();
  }
  if (now != nullptr && (m.moved != 0 || hover != now)) {
    if (hover != now) {
      now->MouseIn(scene->IsInScene(hover) ? hover : nullptr);
      now = target();
    }
    if (now != nullptr) now->MouseMove();
  }
  hover_ = TObjectHandle(target());
  m.moved = 0;
}

// ---- keys ----

bool TVornBaseList::GetKeyDown(int code) const { return IsKeyCode(code) && key_down_[code] != 0; }
bool TVornBaseList::GetKeyClick(int code) const { return IsKeyCode(code) && key_click_[code] != 0; }
bool TVornBaseList::GetKeyPush(int code) const { return IsKeyCode(code) && key_push_[code] != 0; }

void TVornBaseList::SetKeyDown(int code, bool down) {
  if (!IsKeyCode(code) || (key_down_[code] != 0) == down) return;
  key_down_[code] = down ? 1 : 0;
  key_push_request_[code] = down ? 1 : 0;
  if (down) {
    key_timer_[code] = kFirstRepeatMs;
    key_down_flag_ = true;
    key_repeat_flag_ = true;
  } else {
    key_up_flag_ = true;
  }
}

void TVornBaseList::SetKeyClick(int code, bool click) {
  if (IsKeyCode(code)) key_click_request_[code] = click ? 1 : 0;
}

void TVornBaseList::ClearKeys() {
  key_down_.fill(0);
  key_click_request_.fill(0);
  key_push_request_.fill(0);
  key_timer_.fill(0);
  key_down_flag_ = key_up_flag_ = key_repeat_flag_ = false;
}

void TVornBaseList::LatchKeys() {
  key_click_ = key_click_request_;
  key_click_request_.fill(0);
  key_push_ = key_push_request_;
}

void TVornBaseList::SendKeyEvents() {
  TVornControl* focused = GetFocusedControl();
  if (focused == nullptr || !focused->GetHandleKey()) return;
  const TObjectHandle handle(focused);
  // Each event may run code that frees the control: look it up again before the next.
  auto still = [&handle]() { return dynamic_cast<TVornObject*>(handle.Get()); };
  if (key_down_flag_) focused->KeyDown();
  if (TVornObject* object = still(); object != nullptr && key_repeat_flag_) object->KeyRepeat();
  if (TVornObject* object = still(); object != nullptr && key_up_flag_) object->KeyUp();
}

void TVornBaseList::AdvanceKeyRepeat(std::int64_t elapsed_ms) {
  for (int code = 0; code < kKeyCount; ++code) {
    if (key_down_[code] == 0) continue;
    // 64 bits and a floor: a huge elapsed time must not wrap the timer to a large positive value.
    std::int64_t timer = std::int64_t{key_timer_[code]} - elapsed_ms;
    key_push_request_[code] = timer <= 0 ? 1 : 0;
    if (timer <= 0) {
      timer += kRepeatMs;
      key_repeat_flag_ = true;
    }
    key_timer_[code] = static_cast<std::int32_t>(
        std::max<std::int64_t>(timer, std::int64_t{std::numeric_limits<std::int32_t>::min()} + kRepeatMs));
  }
}

void TVornBaseList::ProcessInput() {
  if (focus_choice_requested_) {
    SetFocusedControl(ActiveLayer()->FindFocusable());
    focus_choice_requested_ = false;
  }
  LatchKeys();
  ActiveLayer()->DispatchMouse();
  SendKeyEvents();
  key_down_flag_ = key_up_flag_ = key_repeat_flag_ = false;
  AdvanceKeyRepeat(FrameDelta);
}

}  // namespace vorn
