#include "engine/commands/object_commands.h"

#include <algorithm>

#include "engine/command_eval.h"
#include "engine/commands/scene_command_support.h"
#include "engine/param_collection.h"
#include "engine/property_bridge.h"
#include "engine/scene_services.h"
#include "engine/script_error.h"
#include "engine/script_page.h"
#include "engine/script_scene.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {

namespace {

constexpr std::uint8_t kPropMotionKind = 26;
constexpr std::uint8_t kCabinetKind = 27;

// The object a property command names: an empty name means the current layer.
TScriptObject* PropertyObject(TVornParser* name_expression) {
  const std::string name = ReadName(name_expression);
  TScriptScene* scene = GetScriptScene();
  return scene != nullptr ? scene->FindComponent(name) : nullptr;
}

std::int32_t PropertyNumber(TVornParser* index_expression) {
  const TCustomParam* result = Evaluate(index_expression);
  if (result == nullptr) throw EScriptError(std::string(texts::kPropertySpecInvalid));
  return result->GetAsInt();
}

}  // namespace

void TComGetProp::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  TScriptObject* object = PropertyObject(ExpressionAt(*this, 0));
  if (object == nullptr) return;
  const std::int32_t property = PropertyNumber(ExpressionAt(*this, 1));
  const std::string& variable = Strings().empty() ? std::string() : Strings()[0];
  TParamCollection* params = CurrentParams();
  if (variable.empty() || params == nullptr) return;
  if (TParamCollectionItem* target = params->FindParam(variable)) GetObjectProp(*target, *object, property);
}

void TComSetProp::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  TScriptObject* object = PropertyObject(ExpressionAt(*this, 0));
  if (object == nullptr) return;
  const std::int32_t property = PropertyNumber(ExpressionAt(*this, 1));
  if (const TCustomParam* value = Evaluate(ExpressionAt(*this, 2))) SetObjectProp(*object, property, *value);
}

void TComObjDel::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  const std::string name = ReadName(ExpressionAt(*this, 0));
  TScriptScene* scene = GetScriptScene();
  TScriptSceneServices* services = GetSceneServices();
  if (name.empty() || scene == nullptr || services == nullptr) return;
  TScriptObject* object = scene->FindComponent(name);
  // The layer names find layers, and a layer is never deleted.
  if (object != nullptr && !object->IsLayer()) services->MarkDeleted(*object);
}

void TComPropMotion::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  TScriptScene* scene = GetScriptScene();
  if (scene == nullptr) return;
  TScriptObject* motion = scene->CreateComponent(kPropMotionKind);
  if (motion == nullptr) return;
  auto* fields = dynamic_cast<TScriptPropMotion*>(motion);
  const std::string name = ReadName(ExpressionAt(*this, 0));
  if (!name.empty()) motion->SetName(name);
  const std::string target = ReadName(ExpressionAt(*this, 1));
  if (!target.empty() && fields != nullptr) fields->SetTargetName(target);
  // Without a property the motion already made stays in the scene, doing nothing.
  const std::int32_t property = PropertyNumber(ExpressionAt(*this, 2));
  if (fields != nullptr) fields->SetPropertyIndex(static_cast<std::uint8_t>(property & 0xFF));
  if (const TCustomParam* value = Evaluate(ExpressionAt(*this, 3)); value != nullptr && fields != nullptr) {
    fields->SetTargetValue(value->GetAsFloat());
  }
  if (const TCustomParam* duration = Evaluate(ExpressionAt(*this, 4)); duration != nullptr && fields != nullptr) {
    fields->SetMotionDuration(duration->GetAsInt());
  }
  if (const TCustomParam* easing = Evaluate(ExpressionAt(*this, 5)); easing != nullptr && fields != nullptr) {
    fields->SetEasingMode(static_cast<std::uint8_t>(easing->GetAsInt() & 0xFF));
  }
  if (const TCustomParam* paused = Evaluate(ExpressionAt(*this, 6))) motion->SetPaused(paused->GetAsBool());
}

// --- cabinets ---

void TComCabinet::LoadFromStream(TStream& stream) {
  TComComponent::LoadFromStream(stream);
  invert_expression_ = std::make_unique<TVornParser>();
  invert_expression_->LoadFromStream(stream);
  const std::int32_t count = ReadIntFromStream(stream);
  // Every stored expression takes at least its four-byte operation count.
  if (count < 0 || count > stream.Remaining() / 4) throw EPageError("Stream read error");
  name_expressions_.clear();
  for (std::int32_t i = 0; i < count; ++i) {
    auto expression = std::make_unique<TVornParser>();
    expression->LoadFromStream(stream);
    name_expressions_.push_back(std::move(expression));
  }
}

std::string TComCabinet::CabinetName() const { return HasSlot(PR_NAME) ? ReadName(Slot(PR_NAME)) : std::string(); }

void TComCabinet::ReadSelection() {
  invert_ = BoolOr(invert_expression_.get(), false);
  names_.clear();
  for (const auto& expression : name_expressions_) names_.push_back(StrOr(expression.get()));
}

bool TComCabinet::Selected(const std::string& name) const {
  const bool listed = std::find(names_.begin(), names_.end(), name) != names_.end();
  return listed != invert_;
}

void TComCabinetSave::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  TScriptScene* scene = GetScriptScene();
  TScriptSceneServices* services = GetSceneServices();
  if (scene == nullptr || services == nullptr) return;
  const std::string name = CabinetName();
  TScriptObject* cabinet = nullptr;
  if (!name.empty()) {
    TScriptObject* found = scene->FindComponent(name);
    if (found != nullptr && services->IsCabinet(*found)) cabinet = found;
  }
  ReadSelection();
  if (cabinet == nullptr) {
    cabinet = scene->CreateComponent(kCabinetKind);
    if (cabinet == nullptr) return;
    if (!name.empty()) cabinet->SetName(name);
    cabinet->SetParentObject(GetScriptScene()->GetLayer(0));
  }
  // With layer 0 inactive the new cabinet is one of its children; making it its own parent is
  // refused by the object model, so it stays where it is.
  if (TScriptObject* inactive = GetScriptScene()->GetLayer(GetScriptScene()->GetActiveLayerIndex() ^ 1)) {
    for (int i = services->GetChildCount(*inactive) - 1; i >= 0; --i) {
      TScriptObject* child = services->GetChild(*inactive, i);
      if (child != nullptr && Selected(child->GetName())) child->SetParentObject(cabinet);
    }
  }
  if (services->GetChildCount(*cabinet) == 0) services->MarkDeleted(*cabinet);
}

void TComCabinetLoad::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  TScriptScene* scene = GetScriptScene();
  TScriptSceneServices* services = GetSceneServices();
  if (scene == nullptr || services == nullptr) return;
  const std::string name = CabinetName();
  if (name.empty()) return;
  TScriptObject* cabinet = scene->FindComponent(name);
  if (cabinet == nullptr || !services->IsCabinet(*cabinet)) return;
  ReadSelection();
  TScriptObject* inactive = GetScriptScene()->GetLayer(GetScriptScene()->GetActiveLayerIndex() ^ 1);
  for (int i = services->GetChildCount(*cabinet) - 1; i >= 0; --i) {
    TScriptObject* child = services->GetChild(*cabinet, i);
    if (child != nullptr && Selected(child->GetName())) child->SetParentObject(inactive);
  }
  if (services->GetChildCount(*cabinet) == 0) services->MarkDeleted(*cabinet);
}

}  // namespace vorn
