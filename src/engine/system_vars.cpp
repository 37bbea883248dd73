#include "engine/system_vars.h"

#include <array>
#include <chrono>
#include <numbers>
#include <vector>

#include "engine/call_man.h"
#include "engine/engine_seams.h"
#include "engine/engine_values.h"
#include "engine/number_text.h"
#include "engine/param_collection.h"
#include "engine/scene_services.h"
#include "engine/script_error.h"
#include "engine/script_scene.h"
#include "foundation/font_list.h"
#include "foundation/system_texts.h"
#include "foundation/vocabulary.h"
#include "platform/clock.h"

namespace vorn {
namespace {

// Native type of every number; 0 for the two that take the type of what they stand for.
constexpr std::array<std::uint8_t, vocabulary::kSysVarCount> kNativeType = {
    PT_NONE,  PT_BOOL, PT_BOOL,  PT_BOOL,  PT_BOOL,  PT_INT,   PT_INT,  PT_INT,  PT_INT,  PT_INT,
    PT_STR,   PT_STR,  PT_INT,   PT_INT,   PT_INT,   PT_INT,   PT_INT,  PT_INT,  PT_INT,  PT_INT,
    PT_INT,   PT_INT,  PT_INT,   PT_INT,   PT_STR,   PT_STR,   PT_BOOL, PT_STR,  PT_STR,  PT_INT,
    PT_FLOAT, PT_BOOL, PT_FLOAT, PT_FLOAT, PT_FLOAT, PT_BOOL,  PT_BOOL, PT_INT,  PT_INT,  PT_STR,
    PT_BOOL,  PT_STR,  PT_BOOL,  PT_INT,   PT_NONE,  PT_STR,   PT_STR,  PT_BOOL, PT_BOOL, PT_INT,
};

std::int32_t g_text_delay = kDefaultTextDelay;
std::string g_cursor_text;
// Set while "@Temp" forwards: arriving at "@Temp" again (a name or a reference chain leading back
// to it) finds no variable instead of recursing without end.
bool g_temp_forwarding = false;

[[noreturn]] void ThrowInternalError() { throw EScriptError(std::string(texts::kInternalError)); }

bool IsKeyVariable(int number) { return number == svKeyPush || number == svKeyClick || number == svKeyRepeat; }

platform::LocalTime Now() {
  platform::Clock* clock = GetEngineClock();
  return clock != nullptr ? clock->Now() : platform::LocalTime{};
}

std::int32_t WeekOf(const platform::LocalTime& t) {
  using namespace std::chrono;
  const year_month_day date{year{t.year}, month{static_cast<unsigned>(t.month)}, day{static_cast<unsigned>(t.day)}};
  return static_cast<std::int32_t>(weekday{sys_days{date}}.c_encoding()) + 1;
}

std::string TrimControl(std::string text) {
  std::size_t first = 0;
  while (first < text.size() && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  std::size_t last = text.size();
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

TParamCollection* Params() { return CurrentParams(); }

class TempForwarding {
 public:
  TempForwarding() { g_temp_forwarding = true; }
  ~TempForwarding() { g_temp_forwarding = false; }
  TempForwarding(const TempForwarding&) = delete;
  TempForwarding& operator=(const TempForwarding&) = delete;
};

}  // namespace

std::int32_t TextDelayValue() { return g_text_delay; }
void SetTextDelayValue(std::int32_t value) { g_text_delay = value; }
const std::string& CursorText() { return g_cursor_text; }
void SetCursorText(std::string text) { g_cursor_text = std::move(text); }

std::string FontListText(bool fixed_only) {
  std::vector<std::string> faces;
  GetFontList(faces, true, false, fixed_only);
  std::string text;
  for (const std::string& face : faces) {
    if (!face.empty() && face[0] == '@') continue;  // vertical faces
    text += face;
    text += "\r\n";
  }
  return TrimControl(std::move(text));
}

std::unique_ptr<TCustomParam> CreateSystemParam(int number) { return std::make_unique<TParamSystem>(number); }

// --- native values ---

struct TParamSystem::Native {
  std::uint8_t type = PT_INT;
  std::int32_t i = 0;
  TExtended f = 0;
  bool b = false;
  std::string s;

  static Native Int(std::int32_t v) { return {PT_INT, v, 0, false, {}}; }
  static Native Float(TExtended x) { return {PT_FLOAT, 0, x, false, {}}; }
  static Native Bool(bool v) { return {PT_BOOL, 0, 0, v, {}}; }
  static Native Str(std::string v) { return {PT_STR, 0, 0, false, std::move(v)}; }

  std::int32_t AsInt() const {
    switch (type) {
      case PT_FLOAT:
        return FloatToInt(f);
      case PT_BOOL:
        return b ? 1 : 0;
      case PT_STR:
        return TextToIntOrZero(s);
      default:
        return i;
    }
  }
  // A text read as a float takes its integer value, as when read as an integer.
  TExtended AsFloat() const {
    switch (type) {
      case PT_FLOAT:
        return f;
      case PT_BOOL:
        return b ? 1 : 0;
      case PT_STR:
        return TextToIntOrZero(s);
      default:
        return i;
    }
  }
  bool AsBool() const {
    switch (type) {
      case PT_FLOAT:
        return f != 0;
      case PT_BOOL:
        return b;
      case PT_STR:
        return s == "TRUE";
      default:
        return i != 0;
    }
  }
  std::string AsString() const {
    switch (type) {
      case PT_FLOAT:
        return FloatToText(f);
      case PT_BOOL:
        return b ? "TRUE" : "FALSE";
      case PT_STR:
        return s;
      default:
        return IntToText(i);
    }
  }
};

TParamSystem::TParamSystem(int number) : number_(number) {
  if (number < 0 || number >= vocabulary::kSysVarCount) ThrowInternalError();
}

template <typename R, typename F>
R TParamSystem::Forward(R none, F&& f) const {
  if (number_ == svResult) {
    TCallMan* call_man = CurrentCallMan();
    TCustomParam* slot = call_man != nullptr ? call_man->GetReturnSlot() : nullptr;
    if (slot == nullptr) return none;
    return f(*slot);
  }
  TParamCollection* params = Params();
  if (params == nullptr || g_temp_forwarding) return none;
  TParamCollectionItem* item = params->FindParam(params->TempName());
  if (item == nullptr) return none;
  TempForwarding busy;
  return f(item->Value());
}

TParamSystem::Native TParamSystem::Read(std::int32_t index) const {
  TSceneSystemState* scene = GetSceneSystemState();
  TScreenControl* screen = GetScreenControl();
  TProjectFacts* project = GetProjectFacts();
  TMidiControl* midi = GetMidiControl();
  TCallMan* call_man = CurrentCallMan();
  switch (number_) {
    case svLClick:
      return Native::Bool(scene != nullptr && scene->GetLeftClick());
    case svRClick:
      return Native::Bool(scene != nullptr && scene->GetRightClick());
    case svLPush:
      return Native::Bool(scene != nullptr && scene->IsLeftHeldFree());
    case svRPush:
      return Native::Bool(scene != nullptr && scene->IsRightHeldFree());
    case svMouseX:
      return Native::Int(scene != nullptr ? scene->GetMouseX() : 0);
    case svMouseY:
      return Native::Int(scene != nullptr ? scene->GetMouseY() : 0);
    case svTextDelay:
      return Native::Int(g_text_delay);
    case svHistoryCount:
      return Native::Int(GetScriptBacklog() != nullptr ? GetScriptBacklog()->TotalSize() : 0);
    case svParamCount:
      return Native::Int(call_man != nullptr ? call_man->ArgCount() : 0);
    case svParamStr:
      return Native::Str(call_man != nullptr && index >= 0 ? call_man->GetArg(index) : std::string());
    case svSender:
      return Native::Str(call_man != nullptr ? call_man->GetSenderName() : std::string());
    case svScrWidth:
      return Native::Int(project != nullptr ? project->GetScreenWidth() : 0);
    case svScrHeight:
      return Native::Int(project != nullptr ? project->GetScreenHeight() : 0);
    case svTickCount:
      return Native::Int(GameClock);
    case svPCTickCount: {
      platform::Clock* clock = GetEngineClock();
      return Native::Int(clock != nullptr ? static_cast<std::int32_t>(clock->TimeGetTime()) : 0);
    }
    case svUpdateCount:
      return Native::Int(FrameCount);
    case svYear:
      return Native::Int(Now().year);
    case svMonth:
      return Native::Int(Now().month);
    case svDay:
      return Native::Int(Now().day);
    case svWeek:
      return Native::Int(WeekOf(Now()));
    case svHour:
      return Native::Int(Now().hour);
    case svMin:
      return Native::Int(Now().minute);
    case svSec:
      return Native::Int(Now().second);
    case svFonts:
      return Native::Str(FontListText(false));
    case svFixedFonts:
      return Native::Str(FontListText(true));
    case svFullScr:
      return Native::Bool(screen != nullptr && screen->IsFullScreen());
    case svCursor:
      return Native::Str(g_cursor_text);
    case svSelStr:
      return Native::Str(Params() != nullptr ? Params()->SelectedText() : std::string());
    case svSelIndex:
      return Native::Int(Params() != nullptr ? Params()->SelectedIndex() : 0);
    case svPi:
      return Native::Float(std::numbers::pi_v<TExtended>);
    case svCGDither:
      return Native::Bool(scene != nullptr && scene->GetImageCacheMode() != 0);
    case sv1Hour:
      return Native::Float(TExtended{1} / 24);
    case sv1Min:
      return Native::Float(TExtended{1} / 1440);
    case sv1Sec:
      return Native::Float(TExtended{1} / 86400);
    case svKeyPush:
    case svKeyClick:
    case svKeyRepeat: {
      if (scene == nullptr || index < 0 || index >= kKeyElementCount) return Native::Bool(false);
      if (index == 256) return Native::Bool(scene->GetWheelDown());
      if (index == 257) return Native::Bool(scene->GetWheelUp());
      if (number_ == svKeyPush) return Native::Bool(scene->GetKeyDown(index));
      if (number_ == svKeyClick) return Native::Bool(scene->GetKeyClick(index));
      return Native::Bool(scene->GetKeyPush(index));
    }
    case svDisplayModeCount:
      return Native::Int(screen != nullptr ? screen->GetDisplayModeCount() : 0);
    case svDisplayModeIndex:
      return Native::Int(screen != nullptr ? screen->GetChosenMode() : -1);
    case svTitle:
      return Native::Str(project != nullptr ? project->GetTitle() : std::string());
    case svSoundON:
      return Native::Bool(scene != nullptr && scene->GetSoundOn());
    case svActiveCompo: {
      TScriptObject* focused = scene != nullptr ? scene->GetFocusedControl() : nullptr;
      return Native::Str(focused != nullptr ? focused->GetName() : std::string());
    }
    case svHistoryMaxCount:
      return Native::Int(GetScriptBacklog() != nullptr ? GetScriptBacklog()->GetMaxCount() : 0);
    case svMidiPort:
      return Native::Str(midi != nullptr ? midi->GetDeviceName() : std::string());
    case svMidiPorts:
      return Native::Str(midi != nullptr ? midi->GetDeviceNames(index < 0 ? 0 : index) : std::string());
    case svWheelDown:
      return Native::Bool(scene != nullptr && scene->GetWheelDown());
    case svWheelUp:
      return Native::Bool(scene != nullptr && scene->GetWheelUp());
    case svStackCount:
      return Native::Int(call_man != nullptr ? call_man->Stack().Count() : 0);
    default:
      ThrowInternalError();
  }
}

void TParamSystem::Write(const Native& value) const {
  TSceneSystemState* scene = GetSceneSystemState();
  TScreenControl* screen = GetScreenControl();
  switch (number_) {
    case svLClick:
      if (scene != nullptr) scene->SetLeftClick(value.b);
      return;
    case svRClick:
      if (scene != nullptr) scene->SetRightClick(value.b);
      return;
    case svMouseX:
      if (screen != nullptr) screen->SetCursorX(value.i);
      return;
    case svMouseY:
      if (screen != nullptr) screen->SetCursorY(value.i);
      return;
    case svTextDelay:
      g_text_delay = value.i;
      return;
    case svFullScr:
      if (screen != nullptr && screen->IsFullScreen() != value.b) screen->SetFullScreen(value.b);
      return;
    case svCursor:
      g_cursor_text = value.s;
      return;
    case svSelStr:
      if (Params() != nullptr) Params()->SetSelectedText(value.s);
      return;
    case svSelIndex:
      if (Params() != nullptr) Params()->SetSelectedIndex(value.i);
      return;
    case svCGDither:
      if (scene != nullptr) scene->SetImageCacheMode(value.b ? 1 : 0);
      return;
    case svDisplayModeIndex:
      if (screen == nullptr) return;
      screen->SetChosenMode(value.i);
      if (screen->IsFullScreen() && value.i >= 0 && value.i != screen->GetCurrentMode()) screen->ReapplyFullScreen();
      return;
    case svSoundON:
      if (scene != nullptr) scene->SetSoundOn(value.b);
      return;
    case svActiveCompo: {
      // An empty name would find the active layer: it never takes the focus this way.
      if (scene == nullptr || value.s.empty()) return;
      TScriptScene* objects = GetScriptScene();
      TScriptObject* control = objects != nullptr ? objects->FindControl(value.s) : nullptr;
      if (control == nullptr || scene->FocusRefused(*control) || !scene->IsShown(*control) ||
          !scene->FocusFlag(*control)) {
        return;
      }
      scene->SetFocusedControl(control);
      return;
    }
    case svHistoryMaxCount:
      if (TScriptBacklog* backlog = GetScriptBacklog()) backlog->SetMaxCount(value.i);
      return;
    case svMidiPort:
      if (TMidiControl* midi = GetMidiControl()) midi->SetDeviceName(value.s);
      return;
    default:
      if (number_ < 0 || number_ >= vocabulary::kSysVarCount) ThrowInternalError();
      return;  // read-only
  }
}

// --- the operations ---

std::int32_t TParamSystem::Count() const {
  if (Forwards()) return Forward<std::int32_t>(1, [](TCustomParam& t) { return t.Count(); });
  switch (number_) {
    case svParamStr: {
      TCallMan* call_man = CurrentCallMan();
      return call_man != nullptr ? call_man->ArgCount() : 0;
    }
    case svMidiPorts: {
      TMidiControl* midi = GetMidiControl();
      return midi != nullptr ? midi->GetDeviceCount() : 0;
    }
    case svKeyPush:
    case svKeyClick:
    case svKeyRepeat:
      return kKeyElementCount;
    default:
      return 1;
  }
}

void TParamSystem::SetCount(std::int32_t n) {
  if (Forwards()) Forward<int>(0, [n](TCustomParam& t) { return t.SetCount(n), 0; });
}

std::uint8_t TParamSystem::ParamType() const {
  if (number_ == svResult) {
    TCallMan* call_man = CurrentCallMan();
    TPage* page = call_man != nullptr ? call_man->CurrentPage() : nullptr;
    return page != nullptr ? page->ResultType() : std::uint8_t{PT_NONE};
  }
  if (number_ == svTemp) return Forward<std::uint8_t>(PT_NONE, [](TCustomParam& t) { return t.ParamType(); });
  return kNativeType[static_cast<std::size_t>(number_)];
}

bool TParamSystem::GetAsBool() const {
  if (Forwards()) return Forward(false, [](TCustomParam& t) { return t.GetAsBool(); });
  return Read(-1).AsBool();
}

TExtended TParamSystem::GetAsFloat() const {
  if (Forwards()) return Forward(TExtended{0}, [](TCustomParam& t) { return t.GetAsFloat(); });
  return Read(-1).AsFloat();
}

std::int32_t TParamSystem::GetAsInt() const {
  if (Forwards()) return Forward(std::int32_t{0}, [](TCustomParam& t) { return t.GetAsInt(); });
  return Read(-1).AsInt();
}

std::string TParamSystem::GetAsString() const {
  if (Forwards()) return Forward(std::string(), [](TCustomParam& t) { return t.GetAsString(); });
  return Read(-1).AsString();
}

void TParamSystem::SetAsBool(bool b) {
  if (Forwards()) {
    Forward<int>(0, [b](TCustomParam& t) { return t.SetAsBool(b), 0; });
    return;
  }
  switch (kNativeType[static_cast<std::size_t>(number_)]) {
    case PT_INT:
      return Write(Native::Int(b ? 1 : 0));
    case PT_FLOAT:
      return Write(Native::Float(b ? 1 : 0));
    case PT_STR:
      return Write(Native::Str(b ? "TRUE" : "FALSE"));
    default:
      return Write(Native::Bool(b));
  }
}

void TParamSystem::SetAsFloat(TExtended x) {
  if (Forwards()) {
    Forward<int>(0, [x](TCustomParam& t) { return t.SetAsFloat(x), 0; });
    return;
  }
  switch (kNativeType[static_cast<std::size_t>(number_)]) {
    case PT_INT:
      return Write(Native::Int(FloatToInt(x)));
    case PT_BOOL:
      return Write(Native::Bool(x != 0));
    case PT_STR:
      return Write(Native::Str(FloatToText(x)));
    default:
      return Write(Native::Float(x));
  }
}

void TParamSystem::SetAsInt(std::int32_t v) {
  if (Forwards()) {
    Forward<int>(0, [v](TCustomParam& t) { return t.SetAsInt(v), 0; });
    return;
  }
  switch (kNativeType[static_cast<std::size_t>(number_)]) {
    case PT_FLOAT:
      return Write(Native::Float(v));
    case PT_BOOL:
      return Write(Native::Bool(v != 0));
    case PT_STR:
      return Write(Native::Str(IntToText(v)));
    default:
      return Write(Native::Int(v));
  }
}

void TParamSystem::SetAsString(std::string_view s) {
  if (Forwards()) {
    Forward<int>(0, [s](TCustomParam& t) { return t.SetAsString(s), 0; });
    return;
  }
  switch (kNativeType[static_cast<std::size_t>(number_)]) {
    case PT_INT: {
      std::int32_t v = 0;
      if (TryTextToInt(s, v)) Write(Native::Int(v));
      return;
    }
    case PT_FLOAT: {
      TExtended x = 0;
      if (TryTextToFloat(s, x)) Write(Native::Float(x));
      return;
    }
    case PT_BOOL:
      // Through the text's integer value: "TRUE" is not a number and so gives false.
      return Write(Native::Bool(TextToIntOrZero(s) != 0));
    default:
      return Write(Native::Str(std::string(s)));
  }
}

namespace {

// The five variables whose elements differ; every other one reads its scalar at any index.
bool HasElements(int number) {
  return number == svParamStr || number == svMidiPorts || IsKeyVariable(number);
}

}  // namespace

std::int32_t TParamSystem::GetIntAt(std::int32_t i) const {
  if (Forwards()) return Forward(std::int32_t{0}, [i](TCustomParam& t) { return t.GetIntAt(i); });
  return Read(HasElements(number_) ? i : -1).AsInt();
}

void TParamSystem::SetIntAt(std::int32_t i, std::int32_t v) {
  if (Forwards()) {
    Forward<int>(0, [i, v](TCustomParam& t) { return t.SetIntAt(i, v), 0; });
    return;
  }
  if (!HasElements(number_)) SetAsInt(v);
}

TExtended TParamSystem::GetFloatAt(std::int32_t i) const {
  if (Forwards()) return Forward(TExtended{0}, [i](TCustomParam& t) { return t.GetFloatAt(i); });
  return Read(HasElements(number_) ? i : -1).AsFloat();
}

void TParamSystem::SetFloatAt(std::int32_t i, TExtended x) {
  if (Forwards()) {
    Forward<int>(0, [i, x](TCustomParam& t) { return t.SetFloatAt(i, x), 0; });
    return;
  }
  if (!HasElements(number_)) SetAsFloat(x);
}

bool TParamSystem::GetBoolAt(std::int32_t i) const {
  if (Forwards()) return Forward(false, [i](TCustomParam& t) { return t.GetBoolAt(i); });
  return Read(HasElements(number_) ? i : -1).AsBool();
}

void TParamSystem::SetBoolAt(std::int32_t i, bool b) {
  if (Forwards()) {
    Forward<int>(0, [i, b](TCustomParam& t) { return t.SetBoolAt(i, b), 0; });
    return;
  }
  if (!HasElements(number_)) SetAsBool(b);
}

std::string TParamSystem::GetStrAt(std::int32_t i) const {
  if (Forwards()) return Forward(std::string(), [i](TCustomParam& t) { return t.GetStrAt(i); });
  return Read(HasElements(number_) ? i : -1).AsString();
}

void TParamSystem::SetStrAt(std::int32_t i, std::string_view s) {
  if (Forwards()) {
    Forward<int>(0, [i, s](TCustomParam& t) { return t.SetStrAt(i, s), 0; });
    return;
  }
  if (!HasElements(number_)) SetAsString(s);
}

std::int32_t TParamSystem::DimCount() const {
  if (Forwards()) return Forward(std::int32_t{1}, [](TCustomParam& t) { return t.DimCount(); });
  return 1;
}

std::int32_t TParamSystem::DimSize(std::int32_t d) const {
  if (Forwards()) return Forward(std::int32_t{1}, [d](TCustomParam& t) { return t.DimSize(d); });
  return d == 0 ? Count() : 1;
}

void TParamSystem::SetDims(std::span<const std::int32_t> extents) {
  if (Forwards()) {
    Forward<int>(0, [extents](TCustomParam& t) { return t.SetDims(extents), 0; });
    return;
  }
  dims_.assign(extents.begin(), extents.end());
}

void TParamSystem::FillInt(std::int32_t v) {
  if (Forwards()) Forward<int>(0, [v](TCustomParam& t) { return t.FillInt(v), 0; });
}

void TParamSystem::FillFloat(TExtended x) {
  if (Forwards()) Forward<int>(0, [x](TCustomParam& t) { return t.FillFloat(x), 0; });
}

void TParamSystem::FillBool(bool b) {
  if (Forwards()) Forward<int>(0, [b](TCustomParam& t) { return t.FillBool(b), 0; });
}

void TParamSystem::FillStr(std::string_view s) {
  if (Forwards()) Forward<int>(0, [s](TCustomParam& t) { return t.FillStr(s), 0; });
}

void TParamSystem::CopyMem(const TCustomParam& other) {
  if (Forwards()) {
    Forward<int>(0, [&other](TCustomParam& t) { return t.CopyMem(other), 0; });
    return;
  }
  dims_.resize(static_cast<std::size_t>(other.DimCount()));
  for (std::size_t d = 0; d < dims_.size(); ++d) dims_[d] = other.DimSize(static_cast<std::int32_t>(d));
}

void TParamSystem::DropDims() {
  if (Forwards()) Forward<int>(0, [](TCustomParam& t) { return t.DropDims(), 0; });
}

std::int32_t TParamSystem::IndexOf(std::string_view text, bool case_sensitive, bool partial) const {
  if (Forwards()) {
    return Forward(std::int32_t{-1},
                   [&](TCustomParam& t) { return t.IndexOf(text, case_sensitive, partial); });
  }
  return TCustomParam::IndexOf(text, case_sensitive, partial);
}

}  // namespace vorn
