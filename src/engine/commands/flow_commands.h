#pragma once

// The commands that give a page its structure: conditional blocks, loops, jumps, calls, the early
// end of a page, and the variable commands that need no scene (Calc, VarNew, VarDel). Blocks are
// carried by each command's indent level; jump and loop targets are stored command indices.

#include <cstdint>
#include <string>

#include "engine/command.h"

namespace vorn {

// Typed views of the fields a flow command read by its record layout.
class TComFlowBase : public TComRecord {
 public:
  using TComRecord::TComRecord;

 protected:
  TVornParser* Expr(std::size_t index) const;
  const std::string& Str(std::size_t index) const;
  std::int32_t Int(std::size_t index, std::int32_t fallback = -1) const;
  std::uint8_t Byte(std::size_t index) const;
};

class TComIf : public TComFlowBase {
 public:
  explicit TComIf(TPage* page, int code = 0) : TComFlowBase(page, code) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
  TVornParser* Condition() const { return Expr(0); }
};

// Reached only by falling out of the block before it: passes over its own block. Its condition
// is tested only by the If's scan.
class TComElseif : public TComIf {
 public:
  explicit TComElseif(TPage* page) : TComIf(page, 1) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComElse : public TComFlowBase {
 public:
  explicit TComElse(TPage* page) : TComFlowBase(page, 2) {}
  bool GetRunFlag() const override { return true; }
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComJump : public TComFlowBase {
 public:
  explicit TComJump(TPage* page) : TComFlowBase(page, 4) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
  const std::string& PageName() const { return Str(0); }
  std::int32_t Target() const { return Int(0, 0); }
};

class TComCall : public TComFlowBase {
 public:
  explicit TComCall(TPage* page) : TComFlowBase(page, 5) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
  const std::string& PageName() const { return Str(0); }
  std::int32_t Target() const { return Int(0, 0); }
  const std::string& ReturnName() const { return Str(1); }
};

class TComExit : public TComFlowBase {
 public:
  explicit TComExit(TPage* page, int code = 6) : TComFlowBase(page, code) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComBreak : public TComExit {
 public:
  explicit TComBreak(TPage* page) : TComExit(page, 34) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComContinue : public TComExit {
 public:
  explicit TComContinue(TPage* page) : TComExit(page, 35) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComWhile : public TComFlowBase {
 public:
  explicit TComWhile(TPage* page) : TComFlowBase(page, 31) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

// Base of the loop commands that run an expression for its effect.
class TComRuntime : public TComFlowBase {
 public:
  using TComFlowBase::TComFlowBase;
};

class TComWhileInit : public TComRuntime {
 public:
  explicit TComWhileInit(TPage* page, int code = 32) : TComRuntime(page, code) {}
  bool GetRunFlag() const override { return true; }
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComWhileLoop : public TComWhileInit {
 public:
  explicit TComWhileLoop(TPage* page) : TComWhileInit(page, 33) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComCalc : public TComFlowBase {
 public:
  explicit TComCalc(TPage* page) : TComFlowBase(page, 14) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComVarNew : public TComFlowBase {
 public:
  explicit TComVarNew(TPage* page) : TComFlowBase(page, 15) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComVarDel : public TComFlowBase {
 public:
  explicit TComVarDel(TPage* page) : TComFlowBase(page, 16) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

}  // namespace vorn
