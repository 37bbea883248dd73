// The functions that find components of the scene by name and read or change them. A name that
// finds nothing is no error: the function does nothing and leaves its target as it was, except
// where a function first stores its own default.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/custom_param.h"
#include "engine/param_collection.h"
#include "engine/param_var.h"
#include "engine/property_bridge.h"
#include "engine/script_scene.h"
#include "engine/script_text.h"
#include "engine/sys_func_families.h"
#include "foundation/sjis.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {
namespace {

using Call = const TSysFuncCall&;

// The highest component kind code; ListCompo reads any higher kind as "every kind".
constexpr std::int32_t kHighestKind = LT_CABINET;

TScriptObject* FindComponent(std::string_view name) {
  TScriptScene* scene = GetScriptScene();
  return scene != nullptr ? scene->FindComponent(name) : nullptr;
}

// The component argument 0 names, or null.
TScriptObject* NamedComponent(Call call) { return FindComponent(call.Str(0)); }

// The item argument 1 addresses: a preview menu also finds an item by its item string where the
// text is no number.
int ItemOf(Call call, const TScriptObject& object) {
  const TCustomParam& item = call.Arg(1);
  if (item.ParamType() == PT_STR && object.GetCompoType() == LT_PREVMENU) {
    const std::string text = item.GetAsString();
    std::int32_t index = 0;
    if (script_text::TryStrToInt(text, index)) return index;
    return object.IndexOfItem(text);
  }
  return item.GetAsInt();
}

// The variable a bare-name argument refers to, so its shape can change; a literal argument is a
// temporary and changes nothing the script sees.
TCustomParam& WholeValue(Call call, std::size_t i) {
  TCustomParam& arg = call.Arg(i);
  if (TParamVar* reference = arg.AsReference()) {
    if (TValueHolder* target = reference->Target()) {
      if (TCustomParam* value = target->HeldValue()) return *value;
    }
  }
  return arg;
}

void GetProp(Call call) {
  if (const TScriptObject* object = NamedComponent(call)) GetObjectProp(call.Result(), *object, call.Int(1));
}

void SetProp(Call call) {
  if (TScriptObject* object = NamedComponent(call)) SetObjectProp(*object, call.Int(1), call.Arg(2));
}

void Exists(Call call) {
  const std::string name = call.Str(0);
  call.Result().SetAsBool(!name.empty() && FindComponent(name) != nullptr);
}

void GetCheck(Call call) {
  if (const TScriptObject* object = NamedComponent(call)) call.Result().SetAsBool(object->GetItemChecked(call.Int(1)));
}

void SetCheck(Call call) {
  if (TScriptObject* object = NamedComponent(call)) object->SetItemChecked(call.Int(1), call.Bool(2));
}

void GetEnabled(Call call) {
  if (const TScriptObject* object = NamedComponent(call)) {
    call.Result().SetAsBool(object->GetItemEnabled(ItemOf(call, *object)));
  }
}

void SetEnabled(Call call) {
  if (TScriptObject* object = NamedComponent(call)) object->SetItemEnabled(ItemOf(call, *object), call.Bool(2));
}

void GetVisible(Call call) {
  if (const TScriptObject* object = NamedComponent(call)) {
    call.Result().SetAsBool(object->GetItemVisible(ItemOf(call, *object)));
  }
}

void SetVisible(Call call) {
  if (TScriptObject* object = NamedComponent(call)) object->SetItemVisible(ItemOf(call, *object), call.Bool(2));
}

// The four conversions answer the coordinate itself when the component is missing.
enum class TAxis : std::uint8_t { kX, kY };
enum class TDirection : std::uint8_t { kToClient, kToScreen };

template <TAxis axis, TDirection direction>
void Convert(Call call) {
  const std::int32_t value = call.Int(1);
  const TScriptObject* object = NamedComponent(call);
  if (object == nullptr) return call.Result().SetAsInt(value);
  const TPoint point = axis == TAxis::kX ? TPoint{value, 0} : TPoint{0, value};
  const TPoint converted =
      direction == TDirection::kToClient ? object->ScreenToClient(point) : object->ClientToScreen(point);
  call.Result().SetAsInt(axis == TAxis::kX ? converted.x : converted.y);
}

void ListCompo(Call call) {
  TCustomParam& names = WholeValue(call, 0);
  std::int32_t kind = call.Has(1) ? static_cast<std::int32_t>(static_cast<std::uint32_t>(call.Int(1)) & 0xFFu) : 0;
  if (kind > kHighestKind) kind = 0;
  std::vector<std::string> found;
  if (TScriptScene* scene = GetScriptScene()) {
    // Without a parent argument the whole scene counts; a parent name that finds nothing lists none.
    const TScriptObject* parent = nullptr;
    bool listable = true;
    if (call.Has(2)) {
      parent = scene->FindComponent(call.Str(2));
      listable = parent != nullptr;
    }
    if (listable) scene->ListNames(found, static_cast<std::uint8_t>(kind), parent);
  }
  if (found.empty()) {
    names.SetAsString("");
  } else {
    const std::int32_t extents[] = {static_cast<std::int32_t>(found.size())};
    names.SetDims(extents);
    for (std::size_t i = 0; i < found.size(); ++i) names.SetStrAt(static_cast<std::int32_t>(i), found[i]);
  }
  call.Result().SetAsInt(static_cast<std::int32_t>(found.size()));
}

void IndexOfMenu(Call call) {
  call.Result().SetAsInt(-1);
  const TScriptObject* object = NamedComponent(call);
  if (object == nullptr) return;
  const std::vector<std::string> lines = script_text::SplitLines(script_text::Trim(object->GetText()));
  const std::string wanted = call.Str(1);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (Cp932SameText(lines[i], wanted)) return call.Result().SetAsInt(static_cast<std::int32_t>(i));
  }
}

void InPrimary(Call call) {
  call.Result().SetAsBool(false);
  const std::string name = call.Str(0);
  TScriptScene* scene = GetScriptScene();
  if (name.empty() || scene == nullptr) return;
  const TScriptObject* control = scene->FindControl(name);
  if (control == nullptr) return;
  const TScriptObject* layer = control->GetLayerObject();
  const bool on_active_layer = layer != nullptr && layer == scene->GetLayer(scene->GetActiveLayerIndex());
  call.Result().SetAsBool(on_active_layer && !control->InCabinet());
}

constexpr TSysFuncSlot kSlots[] = {
    {TSysFunc::GetProp, GetProp},
    {TSysFunc::SetProp, SetProp},
    {TSysFunc::Exists, Exists},
    {TSysFunc::GetCheck, GetCheck},
    {TSysFunc::SetCheck, SetCheck},
    {TSysFunc::GetEnabled, GetEnabled},
    {TSysFunc::SetEnabled, SetEnabled},
    {TSysFunc::GetVisible, GetVisible},
    {TSysFunc::SetVisible, SetVisible},
    {TSysFunc::ToClientX, Convert<TAxis::kX, TDirection::kToClient>},
    {TSysFunc::ToClientY, Convert<TAxis::kY, TDirection::kToClient>},
    {TSysFunc::ToScreenX, Convert<TAxis::kX, TDirection::kToScreen>},
    {TSysFunc::ToScreenY, Convert<TAxis::kY, TDirection::kToScreen>},
    {TSysFunc::ListCompo, ListCompo},
    {TSysFunc::IndexOfMenu, IndexOfMenu},
    {TSysFunc::InPrimary, InPrimary},
};

}  // namespace

std::span<const TSysFuncSlot> ComponentFunctions() { return kSlots; }

}  // namespace vorn
