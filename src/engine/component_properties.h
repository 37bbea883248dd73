#pragma once

// The property expressions of a component-creating command: one compiled expression for each
// property the page's mask selects, evaluated only when the command runs so initial values can
// depend on variables, then handed to the new component's setters in the fixed apply order.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "engine/property_bridge.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"

namespace vorn {

class TScriptObject;
class TScriptScene;

// Bytes of one command code's row in a page's property masks: bit i is bit i mod 8 of byte i div 8.
inline constexpr int kPropertyMaskBytes = 21;

// The kind code (LT_) the creating command of that command code makes; 0 for other codes.
std::uint8_t CreatedKindOfCommand(int code);

class TComponentProperties {
 public:
  // An empty expression for every index 0..161 whose bit is set; bits 162..167 mean nothing.
  void CreateSlots(std::span<const std::uint8_t, kPropertyMaskBytes> mask_row);
  void CreateSlot(int index);
  bool HasSlot(int index) const { return slots_[index] != nullptr; }
  TVornParser* Slot(int index) const { return slots_[index].get(); }

  // The expressions of the stored slots in ascending index order. A record cut short raises the
  // expression reader's error.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;

  // Evaluate slot `index` (which must exist); the default stands in when it yields no result.
  std::int32_t EvalInt(int index, std::int32_t fallback) const;
  TExtended EvalFloat(int index, TExtended fallback) const;
  bool EvalBool(int index, bool fallback) const;
  std::string EvalStr(int index, const std::string& fallback) const;

  // Hands every stored property to the object in the apply order, the parent from the scene, then
  // invalidates the object. Properties without a slot keep the object's own value.
  void ApplyProperties(TScriptObject& object, TScriptScene& scene) const;

  // Creates the component of the kind through the scene (which owns it), runs the kind's steps
  // before application, applies the properties, then the steps after. Answers the new component,
  // or nullptr when the scene cannot make the kind.
  TScriptObject* CreateComponent(std::uint8_t kind, TScriptScene& scene) const;

 private:
  // Copies slot `index` as the object's own expression (an empty one when not stored).
  void CopyExpression(TScriptObject& object, int which, int index) const;

  std::array<std::unique_ptr<TVornParser>, kPropertyCount> slots_;
};

}  // namespace vorn
