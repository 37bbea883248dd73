#include "engine/property_bridge.h"

#include <string>

#include "engine/param_collection.h"
#include "engine/script_error.h"
#include "engine/script_object.h"
#include "engine/script_scene.h"
#include "foundation/system_texts.h"

namespace vorn {

namespace {

constexpr std::uint8_t kName = 0;
constexpr std::uint8_t kParent = 1;
constexpr std::uint8_t kPriority = 12;
constexpr std::uint8_t kText = 50;
constexpr std::uint8_t kBorderSourceFirst = 54;
constexpr std::uint8_t kBorderSourceLast = 62;
constexpr std::uint8_t kBorderHAlignFirst = 63;
constexpr std::uint8_t kBorderHAlignLast = 65;
constexpr std::uint8_t kBorderVAlignFirst = 66;
constexpr std::uint8_t kBorderVAlignLast = 68;
constexpr std::uint8_t kCaretX = 78;
constexpr std::uint8_t kCaretY = 79;
constexpr std::uint8_t kAppearX = 92;
constexpr std::uint8_t kAppearY = 93;
constexpr std::uint8_t kParam1 = 95;
constexpr std::uint8_t kParam2 = 96;
constexpr std::uint8_t kParam3 = 102;
constexpr std::uint8_t kPlaying = 138;
constexpr std::uint8_t kCompoType = 140;
constexpr std::uint8_t kTag = 151;
constexpr std::uint8_t kCaretHeight = 161;

int ParticleNumber(std::uint8_t index) { return index == kParam1 ? 0 : index == kParam2 ? 1 : 2; }

[[noreturn]] void GetPropError() { throw EScriptError(std::string(texts::kGetPropError)); }
[[noreturn]] void SetPropError() { throw EScriptError(std::string(texts::kSetPropError)); }

}  // namespace

TPropertyKind PropertyKind(std::uint8_t index) {
  switch (index) {
#define VORN_KIND_CASE(i, Name, fallback) case i:
    VORN_STRING_PROPERTIES(VORN_KIND_CASE)
    VORN_EVENT_PROPERTIES(VORN_KIND_CASE)
    case kName:
    case kParent:
    case kTag:
    case kBorderSourceFirst ... kBorderSourceLast:
      return TPropertyKind::kString;
    VORN_INT_PROPERTIES(VORN_KIND_CASE)
    VORN_STYLE_PROPERTIES(VORN_KIND_CASE)
    case kPriority:
    case kCaretX:
    case kCaretY:
    case kCaretHeight:
      return TPropertyKind::kInteger;
    VORN_BYTE_PROPERTIES(VORN_KIND_CASE)
    case kBorderHAlignFirst ... kBorderVAlignLast:
    case kCompoType:
      return TPropertyKind::kByte;
    VORN_BOOL_PROPERTIES(VORN_KIND_CASE)
    case kPlaying:
      return TPropertyKind::kBoolean;
    case kParam1:
    case kParam2:
    case kParam3:
      return TPropertyKind::kFloat;
#undef VORN_KIND_CASE
    default:
      return TPropertyKind::kNone;
  }
}

bool IsReadOnlyProperty(std::uint8_t index) {
  return index == kCaretX || index == kCaretY || index == kPlaying || index == kCompoType ||
         index == kCaretHeight;
}

void GetObjectProp(TParamCollectionItem& target, const TScriptObject& object, std::int32_t prop) {
  const std::uint8_t index = PropertyIndexOf(prop);
  switch (index) {
    case kName:
      target.SetAsString(object.GetName());
      return;
    case kParent: {
      const TScriptObject* parent = object.GetParentObject();
      target.SetAsString(parent != nullptr ? parent->GetName() : std::string());
      return;
    }
    case kPriority:
      target.SetAsInt(object.GetPriority());
      return;
    case kTag:
      target.SetAsString(object.GetTag());
      return;
    case kBorderSourceFirst ... kBorderSourceLast:
      target.SetAsString(object.GetBorderSource(index - kBorderSourceFirst));
      return;
    case kBorderHAlignFirst ... kBorderHAlignLast:
      target.SetAsInt(object.GetBorderHAlign(3 * (index - kBorderHAlignFirst) + 1));
      return;
    case kBorderVAlignFirst ... kBorderVAlignLast:
      target.SetAsInt(object.GetBorderVAlign(index - kBorderHAlignFirst));
      return;
    case kCaretX:
      target.SetAsInt(object.GetCaretPoint().x);
      return;
    case kCaretY:
      target.SetAsInt(object.GetCaretPoint().y);
      return;
    case kCaretHeight:
      target.SetAsInt(object.GetCaretHeight());
      return;
    case kAppearX:
    case kAppearY:
      target.SetAsInt(0);
      return;
    case kParam1:
    case kParam2:
    case kParam3:
      target.SetAsFloat(object.GetParticleParam(ParticleNumber(index)));
      return;
    case kPlaying:
      target.SetAsBool(object.GetPlaying());
      return;
    case kCompoType:
      target.SetAsInt(object.GetCompoType());
      return;
#define VORN_GET_STRING(i, Name, fallback) \
  case i:                                  \
    target.SetAsString(object.Get##Name()); \
    return;
#define VORN_GET_INT(i, Name, fallback) \
  case i:                               \
    target.SetAsInt(object.Get##Name()); \
    return;
#define VORN_GET_STYLE(i, Name, fallback)         \
  case i:                                         \
    target.SetAsInt(object.Get##Name().ToBits()); \
    return;
#define VORN_GET_BOOL(i, Name, fallback) \
  case i:                                \
    target.SetAsBool(object.Get##Name()); \
    return;
      VORN_STRING_PROPERTIES(VORN_GET_STRING)
      VORN_EVENT_PROPERTIES(VORN_GET_STRING)
      VORN_INT_PROPERTIES(VORN_GET_INT)
      VORN_BYTE_PROPERTIES(VORN_GET_INT)
      VORN_STYLE_PROPERTIES(VORN_GET_STYLE)
      VORN_BOOL_PROPERTIES(VORN_GET_BOOL)
#undef VORN_GET_STRING
#undef VORN_GET_INT
#undef VORN_GET_STYLE
#undef VORN_GET_BOOL
    default:
      GetPropError();
  }
}

namespace {

void SetParentByName(TScriptObject& object, const std::string& name) {
  if (object.IsLayer()) return;
  TScriptScene* scene = GetScriptScene();
  if (scene == nullptr) return;
  // The object model refuses a parent that would close a cycle (the object itself or one of its
  // descendants), so no check is needed here.
  if (TScriptObject* parent = scene->FindControl(name)) object.SetParentObject(parent);
}

std::uint8_t LowByte(const TCustomParam& value) {
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value.GetAsInt()) & 0xFFu);
}

}  // namespace

void SetObjectProp(TScriptObject& object, std::int32_t prop, const TCustomParam& value) {
  const std::uint8_t index = PropertyIndexOf(prop);
  switch (index) {
    case kName:
      object.SetName(value.GetAsString());
      return;
    case kParent:
      SetParentByName(object, value.GetAsString());
      return;
    case kPriority:
      object.SetPriority(value.GetAsInt());
      return;
    case kTag:
      object.SetTag(value.GetAsString());
      return;
    case kBorderSourceFirst ... kBorderSourceLast:
      object.SetBorderSource(index - kBorderSourceFirst, value.GetAsString());
      return;
    case kBorderHAlignFirst ... kBorderHAlignLast:
      object.SetBorderHAlign(3 * (index - kBorderHAlignFirst) + 1, LowByte(value));
      return;
    case kBorderVAlignFirst ... kBorderVAlignLast:
      object.SetBorderVAlign(index - kBorderHAlignFirst, LowByte(value));
      return;
    case kParam1:
    case kParam2:
    case kParam3:
      object.SetParticleParam(ParticleNumber(index), value.GetAsFloat());
      return;
    case kCaretX:
    case kCaretY:
    case kPlaying:
    case kCompoType:
    case kCaretHeight:
      return;
// TEXT written through the property never counts as read text in a message window.
#define VORN_SET_STRING(i, Name, fallback)                                        \
  case i: {                                                                       \
    std::string text = value.GetAsString();                                       \
    if (i == kText && object.IsMessageWindow()) object.ClearTextOrigin();         \
    object.Set##Name(text);                                                       \
    return;                                                                       \
  }
#define VORN_SET_INT(i, Name, fallback) \
  case i:                               \
    object.Set##Name(value.GetAsInt()); \
    return;
#define VORN_SET_BYTE(i, Name, fallback) \
  case i:                                \
    object.Set##Name(LowByte(value));    \
    return;
#define VORN_SET_STYLE(i, Name, fallback)                         \
  case i:                                                         \
    object.Set##Name(TFontStyleSet::FromBits(value.GetAsInt())); \
    return;
#define VORN_SET_BOOL(i, Name, fallback) \
  case i:                                \
    object.Set##Name(value.GetAsBool()); \
    return;
      VORN_STRING_PROPERTIES(VORN_SET_STRING)
      VORN_EVENT_PROPERTIES(VORN_SET_STRING)
      VORN_INT_PROPERTIES(VORN_SET_INT)
      VORN_BYTE_PROPERTIES(VORN_SET_BYTE)
      VORN_STYLE_PROPERTIES(VORN_SET_STYLE)
      VORN_BOOL_PROPERTIES(VORN_SET_BOOL)
#undef VORN_SET_STRING
#undef VORN_SET_INT
#undef VORN_SET_BYTE
#undef VORN_SET_STYLE
#undef VORN_SET_BOOL
    default:
      SetPropError();
  }
}

}  // namespace vorn
