#pragma once

// The bases of the commands that carry a block of property expressions: the component-creating
// commands and the cabinet commands. Which properties a command stores is not fixed by its class:
// the page's mask row of the command's code selects them when the command is made, and the record
// holds one expression for each selected property in ascending index order.

#include <cstdint>
#include <string>

#include "engine/command.h"
#include "engine/component_properties.h"

namespace vorn {

class TScriptObject;
class TScriptScene;

class TComComponent : public TCommand {
 public:
  // Creates an empty slot for every property the page's mask row of `code` selects (none when
  // there is no page).
  TComComponent(TPage* page, int code);

  int GetCode() const override { return code_; }
  // The common header, then the expression of every slot in ascending index order.
  void LoadFromStream(TStream& stream) override;

  bool HasSlot(int index) const { return properties_.HasSlot(index); }
  TVornParser* Slot(int index) const { return properties_.Slot(index); }
  const TComponentProperties& Properties() const { return properties_; }

  // Evaluate the stored slot `index`; the default stands in when it yields no result.
  std::int32_t EvalInt(int index, std::int32_t fallback) const { return properties_.EvalInt(index, fallback); }
  TExtended EvalFloat(int index, TExtended fallback) const { return properties_.EvalFloat(index, fallback); }
  bool EvalBool(int index, bool fallback) const { return properties_.EvalBool(index, fallback); }
  std::string EvalStr(int index, const std::string& fallback = {}) const {
    return properties_.EvalStr(index, fallback);
  }

  // Hands the stored properties to a freshly created component in the apply order, then
  // invalidates it.
  void ApplyProperties(TScriptObject& component, TScriptScene& scene) const {
    properties_.ApplyProperties(component, scene);
  }

 protected:
  TComponentProperties properties_;

 private:
  int code_;
};

// The base of the commands that create visual components; it adds nothing of its own.
class TComControl : public TComComponent {
 public:
  using TComComponent::TComComponent;
};

}  // namespace vorn
