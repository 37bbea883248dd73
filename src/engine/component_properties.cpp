#include "engine/component_properties.h"

#include "engine/param_collection.h"
#include "engine/script_object.h"
#include "engine/script_scene.h"
#include "foundation/vocabulary.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {

namespace {

constexpr int kName = 0;
constexpr int kParent = 1;
constexpr int kLeft = 3;
constexpr int kDelay = 26;
constexpr int kText = 50;
constexpr int kAppearX = 92;
constexpr int kAppearY = 93;
constexpr int kVisible = 47;
constexpr int kOverlay = 150;

struct TCreatingCommand {
  int code;
  std::uint8_t kind;
};

constexpr TCreatingCommand kCreatingCommands[] = {
    {8, LT_BOX},        {9, LT_IMAGES},   {10, LT_MES},       {11, LT_TIMER},     {12, LT_VIDEO},
    {23, LT_CINEMA},    {24, LT_LABEL},   {25, LT_MENU},      {30, LT_BUTTON},    {36, LT_PARTICLE},
    {37, LT_FIRE},      {42, LT_SOUND},   {43, LT_EDIT},      {44, LT_MEMO},      {48, LT_MAPIMG},
    {49, LT_WAVE},      {50, LT_TILE},    {51, LT_SLIDER},    {52, LT_SCROLLBAR}, {53, LT_GAUGE},
    {54, LT_CGLABEL},   {56, LT_PREVMENU}};

// Stored but never handed to a setter: read-only values and the particle's own expressions.
bool IsNotApplied(int index) {
  switch (index) {
    case 78:   // CARETX
    case 79:   // CARETY
    case 92:   // APPEARX
    case 93:   // APPEARY
    case 138:  // PLAYING
    case 140:  // COMPOTYPE
    case 159:  // PLUSX
    case 160:  // PLUSY
    case 161:  // CARETHEIGHT
      return true;
    default:
      return false;
  }
}

// What an integer expression that yields no result stands for. Integer and byte properties alike.
std::int32_t IntDefault(int index) {
  switch (index) {
    case 7:    // ZOOMX
    case 132:  // ZOOMY
    case 82:   // TEXTDELAY
      return 256;
    case 11:  // ALPHA
      return 255;
    case 28:  // VOLUME
      return 1000;
    case 108:  // WAVELEN
      return 100;
    case 16:  // FONTHEIGHT
      return 16;
    case 48:   // COLCOUNT
    case 49:   // ROWCOUNT
    case 107:  // AMP
    case 127:  // SMALLCHANGE
    case 128:  // LARGECHANGE
    case 130:  // GLYPHWIDTH
    case 131:  // GLYPHHEIGHT
      return 1;
    case 8:   // COLOR
    case 10:  // BORDERCOLOR
    case 24:  // HOVERCOLOR
      return -1;
    default:
      return 0;
  }
}

}  // namespace

std::uint8_t CreatedKindOfCommand(int code) {
  for (const TCreatingCommand& c : kCreatingCommands) {
    if (c.code == code) return c.kind;
  }
  return 0;
}

void TComponentProperties::CreateSlots(std::span<const std::uint8_t, kPropertyMaskBytes> mask_row) {
  for (int i = 0; i < kPropertyCount; ++i) {
    if ((mask_row[i / 8] >> (i % 8)) & 1) CreateSlot(i);
  }
}

void TComponentProperties::CreateSlot(int index) {
  if (!slots_[index]) slots_[index] = std::make_unique<TVornParser>();
}

void TComponentProperties::LoadFromStream(TStream& stream) {
  for (auto& slot : slots_) {
    if (slot) slot->LoadFromStream(stream);
  }
}

void TComponentProperties::SaveToStream(TStream& stream) const {
  for (const auto& slot : slots_) {
    if (slot) slot->SaveToStream(stream);
  }
}

std::int32_t TComponentProperties::EvalInt(int index, std::int32_t fallback) const {
  TVornParser& parser = *slots_[index];
  parser.Execute();
  return parser.Result() != nullptr ? parser.Result()->GetAsInt() : fallback;
}

TExtended TComponentProperties::EvalFloat(int index, TExtended fallback) const {
  TVornParser& parser = *slots_[index];
  parser.Execute();
  return parser.Result() != nullptr ? parser.Result()->GetAsFloat() : fallback;
}

bool TComponentProperties::EvalBool(int index, bool fallback) const {
  TVornParser& parser = *slots_[index];
  parser.Execute();
  return parser.Result() != nullptr ? parser.Result()->GetAsBool() : fallback;
}

std::string TComponentProperties::EvalStr(int index, const std::string& fallback) const {
  TVornParser& parser = *slots_[index];
  parser.Execute();
  return parser.Result() != nullptr ? parser.Result()->GetAsString() : fallback;
}

void TComponentProperties::ApplyProperties(TScriptObject& object, TScriptScene& scene) const {
  for (const std::uint8_t index : vocabulary::kPropertyApplyOrder) {
    if (index == kParent) {
      // A new component always gets a parent: the named control, else the current layer.
      const std::string name = HasSlot(kParent) ? EvalStr(kParent, {}) : std::string();
      TScriptObject* parent = name.empty() ? nullptr : scene.FindControl(name);
      if (parent == nullptr) parent = scene.GetCurrentLayer();
      if (parent != nullptr) object.SetParentObject(parent);
      continue;
    }
    if (!HasSlot(index) || IsNotApplied(index)) continue;
    switch (index) {
      case kName: {
        // An empty name keeps the automatic one the component got when it was made.
        const std::string name = EvalStr(index, {});
        if (!name.empty()) object.SetName(name);
        continue;
      }
      case kText:
        // Plain setter: a fresh message window has no text origin to clear.
        object.SetText(EvalStr(index, {}));
        continue;
      case kLeft: {
        const std::int32_t left = EvalInt(index, 0);
        if (object.SizesFromPicture()) {
          object.UpdateAutoWidth();
          object.UpdateAutoHeight();
        }
        object.SetLeft(left);
        continue;
      }
      default:
        break;
    }
    // Everything else converts by its kind and reaches its setter as a property write would.
    std::unique_ptr<TCustomParam> value;
    switch (PropertyKind(index)) {
      case TPropertyKind::kString:
        value = CreateParamByType(PT_STR);
        value->SetAsString(EvalStr(index, {}));
        break;
      case TPropertyKind::kBoolean:
        value = CreateParamByType(PT_BOOL);
        value->SetAsBool(EvalBool(index, index == kVisible || index == kOverlay));
        break;
      case TPropertyKind::kFloat:
        value = CreateParamByType(PT_FLOAT);
        value->SetAsFloat(EvalFloat(index, 0));
        break;
      case TPropertyKind::kInteger:
      case TPropertyKind::kByte:
        value = CreateParamByType(PT_INT);
        value->SetAsInt(EvalInt(index, IntDefault(index)));
        break;
      case TPropertyKind::kNone:
        continue;
    }
    SetObjectProp(object, index, *value);
  }
  object.Invalidate();
}

void TComponentProperties::CopyExpression(TScriptObject& object, int which, int index) const {
  static const TVornParser kEmpty;
  object.AssignExpression(static_cast<TObjectExpression>(which), HasSlot(index) ? *slots_[index] : kEmpty);
}

TScriptObject* TComponentProperties::CreateComponent(std::uint8_t kind, TScriptScene& scene) const {
  TScriptObject* object = scene.CreateComponent(kind);
  if (object == nullptr) return nullptr;
  if (kind == LT_IMAGES) {
    CopyExpression(*object, static_cast<int>(TObjectExpression::kImageDelay), kDelay);
  } else if (kind == LT_PARTICLE) {
    CopyExpression(*object, static_cast<int>(TObjectExpression::kParticleAppearX), kAppearX);
    CopyExpression(*object, static_cast<int>(TObjectExpression::kParticleAppearY), kAppearY);
    CopyExpression(*object, static_cast<int>(TObjectExpression::kParticleDelay), kDelay);
  }
  ApplyProperties(*object, scene);
  if (kind == LT_VIDEO || kind == LT_SOUND) {
    object->SetPlayState(object->GetDelay() != 0 ? LP_PLAYFADE : LP_PLAY);
  } else if (kind == LT_MENU) {
    object->SetPlayState(LP_PLAYFADE);
  }
  return object;
}

}  // namespace vorn
