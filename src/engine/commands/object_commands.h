#pragma once

// Commands that read and write one property of an object by its number, delete objects, start a
// property motion, and move groups of objects between the inactive layer and cabinets.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/command.h"
#include "engine/commands/component_command.h"

namespace vorn {

class TScriptObject;

class TComGetProp : public TComRecord {
 public:
  explicit TComGetProp(TPage* page) : TComRecord(page, 17) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComSetProp : public TComRecord {
 public:
  explicit TComSetProp(TPage* page) : TComRecord(page, 18) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComObjDel : public TComRecord {
 public:
  explicit TComObjDel(TPage* page) : TComRecord(page, 19) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComPropMotion : public TComRecord {
 public:
  explicit TComPropMotion(TPage* page) : TComRecord(page, 57) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

// Base of SaveCabinet and LoadCabinet: the cabinet's NAME among the property expressions, the
// invert flag and the names of the objects to move.
class TComCabinet : public TComComponent {
 public:
  TComCabinet(TPage* page, int code) : TComComponent(page, code) {}
  // The property expressions, then the invert flag and the counted names.
  void LoadFromStream(TStream& stream) override;

  std::size_t NameCount() const { return name_expressions_.size(); }

 protected:
  // The cabinet's name, read as a name expression; empty when the record stores no NAME.
  std::string CabinetName() const;
  // Evaluates the invert flag and every name, once each.
  void ReadSelection();
  bool Selected(const std::string& name) const;

 private:
  std::unique_ptr<TVornParser> invert_expression_;
  std::vector<std::unique_ptr<TVornParser>> name_expressions_;
  bool invert_ = false;
  std::vector<std::string> names_;
};

class TComCabinetSave : public TComCabinet {
 public:
  explicit TComCabinetSave(TPage* page) : TComCabinet(page, 59) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComCabinetLoad : public TComCabinet {
 public:
  explicit TComCabinetLoad(TPage* page) : TComCabinet(page, 60) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

}  // namespace vorn
