#pragma once

// The expression compiler: turns infix text (CP932) into an operation list. It works by rewriting
// the text: string literals, calls, element accesses and parenthesised groups are hoisted into
// temporaries (each compiled by a recursive Build), then the flat token list left over is reduced
// by operator precedence. Operands stay text until the output step classifies them.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/stream.h"

namespace vorn {

struct TBuildOpeData {
  std::uint8_t op = 0;
  std::string target;
  // For ocFunc the function name first, then one operand per argument.
  std::vector<std::string> operands;
};

class TBuildVornParser {
 public:
  // Deeper nesting than this (groups, calls and arguments inside each other) is a syntax error,
  // so hostile text cannot exhaust the stack.
  static constexpr int kMaxNesting = 200;

  void Clear() { operations_.clear(); }
  // Build, then copy elimination. Appends to the operations already held. Raises "構文エラー"
  // and "配列の添え字が不正です"; what was built before the error stays.
  void Compile(std::string_view text);
  // Writes the operation list, classifying each operand text; raises "\"%s\" 関数名がありません"
  // and "<function> 引数の数が不正です".
  void SaveToStream(TStream& stream) const;

  const std::vector<std::unique_ptr<TBuildOpeData>>& Operations() const { return operations_; }

 private:
  void Build(std::string text);
  std::string NewTempName();
  std::string NewElementTempName();
  void HoistStrings(std::string& text);
  void HoistCalls(std::string& text);
  void HoistElements(std::string& text);
  void HoistGroups(std::string& text);
  // An argument or index: the operand text it compiles to (a new temporary when it is an expression).
  std::string OperandFor(std::string argument);
  void Reduce(std::vector<std::string> tokens);
  void EliminateCopies(std::size_t from);
  TBuildOpeData& Append(std::uint8_t op, std::string target, std::vector<std::string> operands);

  std::vector<std::unique_ptr<TBuildOpeData>> operations_;
  std::int32_t counter_ = 0;
  int depth_ = 0;
};

}  // namespace vorn
