#include "engine/commands/flow_commands.h"

#include "engine/call_man.h"
#include "engine/command_eval.h"
#include "engine/command_families.h"
#include "engine/param_collection.h"
#include "engine/project.h"
#include "engine/script_error.h"
#include "engine/script_page.h"
#include "foundation/system_texts.h"

namespace vorn {

namespace {

constexpr int kElseifCode = 1;
constexpr int kElseCode = 2;
constexpr std::uint8_t kLocalScope = 2;

// Moves past the command's own block: every following command of a deeper level.
void PassOverBlock(const TCommand& command, const TPage* page, std::int32_t& index) {
  do {
    ++index;
  } while (page && page->Contains(index) && page->GetCommand(index)->Indent() > command.Indent());
}

// Fetches a page to the front of the interpreter's cache without letting the fetch move the
// interpreter's own index (the command reports its new position through its arguments).
TPage* FetchPage(TCallMan& callman, const std::string& name) {
  const std::int32_t index = callman.Index();
  TPage* page = callman.GetPage(name, true);
  callman.SetIndex(index);
  return page;
}

void RunForEffect(TVornParser* expression) {
  if (expression) expression->Execute();
}

}  // namespace

TVornParser* TComFlowBase::Expr(std::size_t index) const {
  return index < Expressions().size() ? Expressions()[index].get() : nullptr;
}

const std::string& TComFlowBase::Str(std::size_t index) const {
  static const std::string empty;
  return index < Strings().size() ? Strings()[index] : empty;
}

std::int32_t TComFlowBase::Int(std::size_t index, std::int32_t fallback) const {
  return index < Ints().size() ? Ints()[index] : fallback;
}

std::uint8_t TComFlowBase::Byte(std::size_t index) const { return index < Bytes().size() ? Bytes()[index] : 0; }

void TComIf::Execute(TCallMan& /*callman*/, TPage*& page, std::int32_t& index) {
  ++index;
  if (YieldsTrue(Condition())) return;
  while (page && page->Contains(index)) {
    const TCommand* next = page->GetCommand(index);
    if (next->Indent() > Indent()) {
      ++index;
      continue;
    }
    if (next->Indent() < Indent()) return;
    if (next->GetCode() == kElseifCode) {
      const auto* elseif = dynamic_cast<const TComIf*>(next);
      const bool taken = elseif && YieldsTrue(elseif->Condition());
      ++index;
      if (taken) return;
      continue;
    }
    if (next->GetCode() == kElseCode) ++index;
    // Any other command of the If's level (a Comment too) ends the chain.
    return;
  }
}

void TComElseif::Execute(TCallMan& /*callman*/, TPage*& page, std::int32_t& index) { PassOverBlock(*this, page, index); }

void TComElse::Execute(TCallMan& /*callman*/, TPage*& page, std::int32_t& index) { PassOverBlock(*this, page, index); }

void TComJump::Execute(TCallMan& callman, TPage*& page, std::int32_t& index) {
  ++index;
  if (!YieldsTrue(Expr(0))) return;
  if (!ProjectCheckFile(PageName())) return;
  page = FetchPage(callman, PageName());
  index = Target();
}

void TComCall::Execute(TCallMan& callman, TPage*& page, std::int32_t& index) {
  ++index;
  if (!YieldsTrue(Expr(0))) return;
  if (!ProjectCheckFile(PageName())) return;
  TArrayString arguments;
  for (std::size_t i = 1; i < Expressions().size(); ++i) {
    TVornParser* argument = Expressions()[i].get();
    argument->Execute();
    // An argument without a value is left out: the later ones move up.
    if (const TCustomParam* value = argument->Result()) arguments.Add(value->GetAsString());
  }
  // The page is fetched before anything else changes: a page that cannot be loaded leaves no
  // frame behind, and the Call is tried again like any command that failed.
  const std::string caller = callman.CurrentPage() ? callman.CurrentPage()->GetName() : (page ? page->GetName() : "");
  TPage* target = FetchPage(callman, PageName());
  TStack& frame = callman.Stack().Push();
  frame.page_name = caller;
  frame.index = index;
  frame.return_name = ReturnName();
  frame.run_flag = callman.RunFlag();
  frame.sender = callman.Sender();
  frame.arguments.Assign(callman.Arguments());
  callman.Arguments().Assign(arguments);
  // A result type that names no plain value gives the frame no return value.
  std::unique_ptr<TCustomParam> slot = CreateParamByType(target->ResultType());
  if (slot && slot->AsReference() == nullptr) frame.return_value = std::move(slot);
  page = target;
  index = Target();
}

void TComExit::Execute(TCallMan& /*callman*/, TPage*& page, std::int32_t& index) {
  if (YieldsTrue(Expr(0))) {
    page = nullptr;
    return;
  }
  ++index;
}

void TComBreak::Execute(TCallMan& /*callman*/, TPage*& page, std::int32_t& index) {
  if (!YieldsTrue(Expr(0))) {
    ++index;
    return;
  }
  const std::int32_t target = Int(0);
  if (target < 0) {
    page = nullptr;
  } else {
    index = target;
  }
}

void TComContinue::Execute(TCallMan& /*callman*/, TPage*& page, std::int32_t& index) {
  ++index;
  if (!YieldsTrue(Expr(0))) return;
  const std::int32_t target = Int(0);
  if (target < 0) {
    page = nullptr;
  } else {
    index = target;
  }
}

void TComWhile::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  if (!YieldsTrue(Expr(0))) index = Int(0);
}

void TComWhileInit::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  RunForEffect(Expr(0));
}

void TComWhileLoop::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  index = Int(0);
  RunForEffect(Expr(0));
}

void TComCalc::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  RunForEffect(Expr(0));
}

void TComVarNew::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  const std::string& name = Str(0);
  if (name.empty()) throw EScriptError(std::string(texts::kVariableNameMissing));
  TParamCollection* params = CurrentParams();
  if (!params) return;
  const std::uint8_t type = Byte(0);
  const std::uint8_t scope = Byte(1);
  TParamCollectionItem* item = params->FindScoped(name, scope == kLocalScope);
  if (!item) {
    item = &params->AddParam(type);
    try {
      item->SetName(name);
    } catch (...) {
      params->FreeItem(*item);
      throw;
    }
    item->ApplyScope(static_cast<TVarScope>(scope), params->CurrentFrameId());
  } else if (item->IsStatus()) {
    return;
  }
  TVornParser* initial = Expr(0);
  if (!initial) return;
  initial->Execute();
  const TCustomParam* value = initial->Result();
  if (!value) return;
  // Converted to the declared type first, then into the variable (which may be of another type
  // when it existed before).
  std::unique_ptr<TCustomParam> converted = CreateParamByType(type);
  if (converted && converted->AsReference() == nullptr) {
    converted->ConvertFrom(*value);
    item->ConvertFrom(*converted);
  } else {
    item->ConvertFrom(*value);
  }
}

void TComVarDel::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  const std::string& name = Str(0);
  if (name.empty()) return;
  TParamCollection* params = CurrentParams();
  if (!params) return;
  // The system variables stay: every later call and event reads them.
  if (TParamCollectionItem* item = params->FindParam(name); item && !item->IsSystem()) params->FreeItem(*item);
}

std::unique_ptr<TCommand> CreateFlowCommand(TPage* page, int code) {
  switch (code) {
    case 0:
      return std::make_unique<TComIf>(page);
    case 1:
      return std::make_unique<TComElseif>(page);
    case 2:
      return std::make_unique<TComElse>(page);
    case 3:
      return std::make_unique<TComLabel>(page);
    case 4:
      return std::make_unique<TComJump>(page);
    case 5:
      return std::make_unique<TComCall>(page);
    case 6:
      return std::make_unique<TComExit>(page);
    case 14:
      return std::make_unique<TComCalc>(page);
    case 15:
      return std::make_unique<TComVarNew>(page);
    case 16:
      return std::make_unique<TComVarDel>(page);
    case 27:
      return std::make_unique<TComComment>(page);
    case 31:
      return std::make_unique<TComWhile>(page);
    case 32:
      return std::make_unique<TComWhileInit>(page);
    case 33:
      return std::make_unique<TComWhileLoop>(page);
    case 34:
      return std::make_unique<TComBreak>(page);
    case 35:
      return std::make_unique<TComContinue>(page);
    default:
      return nullptr;
  }
}

}  // namespace vorn
