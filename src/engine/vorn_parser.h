#pragma once

// Compiled expressions: a flat list of three-address operations, each computing one target
// variable from its operands, run against the current variable set.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/custom_param.h"
#include "engine/param_var.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {

class TParamCollection;
class TParamCollectionItem;

// Prefixes of the compiler's temporaries: "____N" values, "____d_N" element references and
// "____arg", the value of an expression that is not an assignment.
inline constexpr std::string_view kTempPrefix = "____";
inline constexpr std::string_view kElementTempPrefix = "____d_";
inline constexpr std::string_view kArgTempName = "____arg";

struct TOpeData {
  std::uint8_t op = ocNone;
  std::string target;
  std::uint8_t func_index = 0;  // ocFunc only
  std::vector<std::unique_ptr<TCustomParam>> operands;

  // Filled by the parser when the operation is added: the reference operands and the target in
  // the case fold, so a run does not search, cast or fold them again.
  std::vector<TParamVar*> references;
  TFoldedName folded_target;
};

// Runs system function `index` with its arguments and writes the result into target. The real
// dispatcher installs itself; the stand-in raises, which ends the run.
class TSysFuncDispatcher {
 public:
  virtual ~TSysFuncDispatcher() = default;
  virtual void CallFunction(TParamCollectionItem& target, int index, std::span<TCustomParam* const> args) = 0;
};
// Installs the dispatcher (null restores the stand-in); returns the previous one.
TSysFuncDispatcher* SetSysFuncDispatcher(TSysFuncDispatcher* dispatcher);

class TVornParser {
 public:
  TVornParser() = default;
  TVornParser(const TVornParser&) = delete;
  TVornParser& operator=(const TVornParser&) = delete;
  ~TVornParser();

  void Clear();
  // Reads a stored list. Counts and lengths are checked against the bytes left; unknown operand
  // type codes read as variable names.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void Assign(const TVornParser& other);

  // Runs the list against the current variable set. Any error inside ends the run silently (later
  // operations skipped, earlier assignments kept); only a "____arg" of a type that cannot be a
  // result reaches the caller, as "%s:不正な変数です".
  void Execute();
  // The expression's value after the last Execute, or null.
  TCustomParam* Result() const { return result_.get(); }
  // Why the last run ended early (the swallowed error's text), or empty when it ran to the end.
  const std::string& LastError() const { return last_error_; }

  const std::vector<std::unique_ptr<TOpeData>>& Operations() const { return operations_; }
  void AddOperation(std::unique_ptr<TOpeData> operation);
  bool Empty() const { return operations_.empty(); }

 private:
  void RunOperation(TParamCollection& params, TOpeData& operation, std::vector<std::shared_ptr<TValueAnchor>>& temps);
  TParamCollectionItem& CreateTemp(TParamCollection& params, std::uint8_t type, const std::string& name);
  void ReleaseTemps(TParamCollection& params, std::vector<std::shared_ptr<TValueAnchor>>& temps);

  // Temporaries of earlier runs, taken out of the variable set instead of freed, so a run that
  // is repeated makes no new items.
  static constexpr std::size_t kMaxPooledTemps = 64;
  std::vector<std::unique_ptr<TParamCollectionItem>> pool_;

  std::vector<std::unique_ptr<TOpeData>> operations_;
  std::unique_ptr<TCustomParam> result_;
  std::string last_error_;
};

}  // namespace vorn
