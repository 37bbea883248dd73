#pragma once

// The system functions scripts call by index from expressions. One dispatcher routes every index
// through a single table to the family that implements it; each family keeps its own table of
// functions in its own file, so the families can grow independently.

#include <cstdint>
#include <span>
#include <string>

#include "engine/extended_float.h"
#include "engine/vorn_parser.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {

class TCustomParam;
class TParamCollectionItem;

// One call: the target the result goes to and the arguments a0, a1, ... An argument written as a
// bare variable name is a reference, so writing into it writes the caller's variable.
class TSysFuncCall {
 public:
  TSysFuncCall(TParamCollectionItem& result, std::uint8_t index, std::span<TCustomParam* const> args)
      : result_(result), index_(index), args_(args) {}

  TParamCollectionItem& Result() const { return result_; }
  std::uint8_t Index() const { return index_; }
  std::size_t ArgCount() const { return args_.size(); }
  // Optional arguments are recognised by the number present.
  bool Has(std::size_t i) const { return i < args_.size() && args_[i] != nullptr; }
  // Argument i. Compiled expressions always pass what a function reads; a damaged operation list
  // may not, and then this raises the argument-count error instead of reading past the list.
  TCustomParam& Arg(std::size_t i) const;

  std::int32_t Int(std::size_t i) const;
  TExtended Float(std::size_t i) const;
  bool Bool(std::size_t i) const;
  std::string Str(std::size_t i) const;

 private:
  TParamCollectionItem& result_;
  std::uint8_t index_;
  std::span<TCustomParam* const> args_;
};

using TSysFunction = void (*)(const TSysFuncCall& call);

struct TSysFuncSlot {
  TSysFunc index;
  TSysFunction function;
};

// The four families. Each index 0..142 belongs to exactly one.
enum class TSysFuncFamily : std::uint8_t {
  kTextNumberDate,  // text, number and date functions
  kArrayVariable,   // array and variable functions
  kTable,           // script-table functions
  kSceneSystem,     // scene, file, screen and system functions
};
inline constexpr int kSysFuncFamilyCount = 4;

TSysFuncFamily SysFuncFamilyOf(int index);
// The functions a family implements so far (filled in its own file).
std::span<const TSysFuncSlot> SysFuncFamilyTable(TSysFuncFamily family);

// The dispatcher. It keeps no state: the "@Temp" binding lives in the variable collection and the
// random generator is process-wide, so re-entry from Calc or a component's expression is harmless.
// Creating it installs it as the expression evaluator's dispatcher; destroying it restores the one
// installed before.
class TSysFuncMan final : public TSysFuncDispatcher {
 public:
  TSysFuncMan();
  ~TSysFuncMan() override;
  TSysFuncMan(const TSysFuncMan&) = delete;
  TSysFuncMan& operator=(const TSysFuncMan&) = delete;

  // Runs function `index`; 143..255 do nothing. Catches nothing: a raise leaves the target as the
  // function had stored it so far. A function not built yet raises.
  void Execute(TParamCollectionItem& result, std::uint8_t index, std::span<TCustomParam* const> args);

  void CallFunction(TParamCollectionItem& target, int index, std::span<TCustomParam* const> args) override;

 private:
  TSysFuncDispatcher* previous_ = nullptr;
};

}  // namespace vorn
