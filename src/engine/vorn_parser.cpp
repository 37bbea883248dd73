#include "engine/vorn_parser.h"

#include <cmath>

#include "engine/number_text.h"
#include "engine/param_collection.h"
#include "engine/script_error.h"
#include "engine/typed_params.h"
#include "foundation/errors.h"
#include "foundation/sjis.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "foundation/vocabulary.h"

namespace vorn {
namespace {

class TMissingDispatcher final : public TSysFuncDispatcher {
 public:
  void CallFunction(TParamCollectionItem&, int index, std::span<TCustomParam* const>) override {
    throw EScriptError("system function " + std::to_string(index) + " is not available");
  }
};

TMissingDispatcher g_missing_dispatcher;
TSysFuncDispatcher* g_dispatcher = &g_missing_dispatcher;

constexpr std::uint8_t kOperandInt = 1;
constexpr std::uint8_t kOperandFloat = 2;
constexpr std::uint8_t kOperandFlag = 3;
constexpr std::uint8_t kOperandStr = 4;
// op byte, target length, operand count
constexpr std::int64_t kMinOperationBytes = 1 + 4 + 4;
// type byte + the shortest value (a flag byte)
constexpr std::int64_t kMinOperandBytes = 2;
constexpr int kGetPropIndex = 2;

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

[[noreturn]] void Fail(const char* what) { throw EScriptError(what); }

TCustomParam& Operand(const TOpeData& operation, std::size_t i) {
  if (i >= operation.operands.size()) Fail("operation lacks an operand");
  return *operation.operands[i];
}

std::string OpName(std::uint8_t op) {
  if (op < vocabulary::kOperationCount) return std::string(vocabulary::kOperationNames[op]);
  return IntToText(op);
}

// The type a new temporary gets from the operation that first writes it.
std::uint8_t TempType(const TOpeData& operation) {
  const std::uint8_t op = operation.op;
  switch (op) {
    case ocTo:
      return Operand(operation, 0).ParamType();
    case ocPlus: {
      const std::uint8_t a = Operand(operation, 0).ParamType();
      return a == PT_STR ? PT_STR : a == PT_FLOAT ? PT_FLOAT : PT_INT;
    }
    case ocMinus:
    case ocMul:
    case ocDiv:
      return Operand(operation, 0).ParamType() == PT_FLOAT ? PT_FLOAT : PT_INT;
    case ocMod:
    case ocOr:
    case ocAnd:
    case ocXor:
    case ocShiftL:
    case ocShiftR:
      return PT_INT;
    case ocEqual:
    case ocBig:
    case ocSmall:
    case ocEBig:
    case ocESmall:
    case ocNEqual:
      return PT_BOOL;
    case ocComboStr:
      return PT_STR;
    case ocFunc: {
      if (operation.func_index >= vocabulary::kSysFuncCount) Fail("unknown system function");
      if (operation.func_index == kGetPropIndex) {
        const std::int32_t property = Operand(operation, 1).GetAsInt() & 0xFF;
        if (property >= vocabulary::kPropertyCount) throw EScriptError(std::string(texts::kGetPropArgumentInvalid));
        return vocabulary::kProperties[static_cast<std::size_t>(property)].type;
      }
      return vocabulary::kSysFuncResultTypes[operation.func_index];
    }
    default: {
      std::string text(texts::kExpressionInvalidHead);
      text += operation.target;
      text += texts::kExpressionInvalidOperation;
      text += OpName(op);
      for (const auto& operand : operation.operands) {
        text += "\r\n";
        text += operand->GetAsString();
      }
      throw EScriptError(text);
    }
  }
}

// Points a fresh element-reference temporary at element [i1, i2, ...] of the array operand 0 names.
void LinkElement(const TOpeData& operation, TParamCollectionItem& temp) {
  TParamVar* array = Operand(operation, 0).AsReference();
  if (array == nullptr || array->Target() == nullptr) {
    throw EScriptError(FormatText(texts::kVariableMissingFormat, Operand(operation, 0).GetAsString()));
  }
  TParamVar* reference = temp.Value().AsReference();
  reference->SetName(array->Name());
  reference->Link(array->Target());
  const std::size_t index_count = operation.operands.size() - 1;
  std::vector<std::int32_t> indices(index_count);
  for (std::size_t k = 0; k < index_count; ++k) indices[k] = operation.operands[k + 1]->GetAsInt();
  const auto prefix = [&] {
    std::string text = array->Name() + "[";
    for (std::size_t k = 0; k < indices.size(); ++k) {
      if (k > 0) text += ',';
      text += IntToText(indices[k]);
    }
    return text + "]\r\n";
  };
  const TCustomParam& target = *reference;
  if (static_cast<std::int64_t>(index_count) != target.DimCount()) {
    throw EScriptError(prefix() + std::string(texts::kElementSubscriptInvalidSuffix));
  }
  // Row-major, the last index varying fastest; 64-bit so hostile indices cannot overflow.
  std::int64_t flat = 0;
  for (std::size_t k = 0; k < index_count; ++k) {
    flat = flat * target.DimSize(static_cast<std::int32_t>(k)) + indices[k];
    if (flat > INT32_MAX) flat = INT32_MAX;
    if (flat < INT32_MIN) flat = -1;
  }
  if (flat >= target.Count()) throw EScriptError(prefix() + std::string(texts::kElementIndexOverflowSuffix));
  reference->SetElementIndex(static_cast<std::int32_t>(flat));
}

std::int32_t Wrap(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

std::int32_t IntegerArithmetic(std::uint8_t op, std::int32_t a, std::int32_t b) {
  switch (op) {
    case ocPlus:
      return Wrap(std::int64_t{a} + b);
    case ocMinus:
      return Wrap(std::int64_t{a} - b);
    case ocMul:
      return Wrap(std::int64_t{a} * b);
    case ocDiv:
      if (b == 0) Fail("Division by zero");
      return Wrap(std::int64_t{a} / b);  // INT_MIN / -1 wraps to INT_MIN
    default:  // ocMod
      if (b == 0) Fail("Division by zero");
      return static_cast<std::int32_t>(std::int64_t{a} % b);
  }
}

TExtended FloatArithmetic(std::uint8_t op, TExtended a, TExtended b) {
  TExtended result = 0;
  switch (op) {
    case ocPlus:
      result = a + b;
      break;
    case ocMinus:
      result = a - b;
      break;
    case ocMul:
      result = a * b;
      break;
    default:  // ocDiv
      if (b == 0) Fail("Floating point division by zero");
      result = a / b;
      break;
  }
  // No infinity or NaN is ever stored by arithmetic: overflow and invalid operations end the run.
  if (!std::isfinite(result)) Fail("Invalid floating point operation");
  return result;
}

bool Compare(std::uint8_t op, const TCustomParam& a, const TCustomParam& b) {
  int order = 0;  // <0, 0, >0
  switch (a.ParamType()) {
    case PT_STR: {
      const int c = a.GetAsString().compare(b.GetAsString());
      order = c < 0 ? -1 : c > 0 ? 1 : 0;
      break;
    }
    case PT_FLOAT: {
      const TExtended x = a.GetAsFloat();
      const TExtended y = b.GetAsFloat();
      if (std::isnan(x) || std::isnan(y)) return op == ocEqual || op == ocSmall || op == ocESmall;
      order = x < y ? -1 : x > y ? 1 : 0;
      break;
    }
    case PT_BOOL: {
      const int x = a.GetAsBool() ? 1 : 0;
      const int y = b.GetAsBool() ? 1 : 0;
      order = x - y;
      break;
    }
    default: {
      const std::int32_t x = a.GetAsInt();
      const std::int32_t y = b.GetAsInt();
      order = x < y ? -1 : x > y ? 1 : 0;
      break;
    }
  }
  switch (op) {
    case ocEqual:
      return order == 0;
    case ocBig:
      return order > 0;
    case ocSmall:
      return order < 0;
    case ocEBig:
      return order >= 0;
    case ocESmall:
      return order <= 0;
    default:  // ocNEqual
      return order != 0;
  }
}

void Evaluate(const TOpeData& operation, TParamCollectionItem& item) {
  TCustomParam& target = item.Value();
  switch (operation.op) {
    case ocTo: {
      const TCustomParam& a = Operand(operation, 0);
      switch (target.ParamType()) {
        case PT_INT:
          target.SetAsInt(a.GetAsInt());
          break;
        case PT_FLOAT:
          target.SetAsFloat(a.GetAsFloat());
          break;
        case PT_BOOL:
          target.SetAsBool(a.GetAsBool());
          break;
        case PT_STR:
          target.SetAsString(a.GetAsString());
          break;
        default:
          break;
      }
      return;
    }
    case ocPlus:
    case ocMinus:
    case ocMul:
    case ocDiv: {
      const TCustomParam& a = Operand(operation, 0);
      const TCustomParam& b = Operand(operation, 1);
      if (target.ParamType() == PT_FLOAT) {
        target.SetAsFloat(FloatArithmetic(operation.op, a.GetAsFloat(), b.GetAsFloat()));
      } else {
        target.SetAsInt(IntegerArithmetic(operation.op, a.GetAsInt(), b.GetAsInt()));
      }
      return;
    }
    case ocMod:
      target.SetAsInt(IntegerArithmetic(ocMod, Operand(operation, 0).GetAsInt(), Operand(operation, 1).GetAsInt()));
      return;
    case ocOr:
    case ocAnd:
    case ocXor: {
      const std::int32_t a = Operand(operation, 0).GetAsInt();
      const std::int32_t b = Operand(operation, 1).GetAsInt();
      target.SetAsInt(operation.op == ocOr ? (a | b) : operation.op == ocAnd ? (a & b) : (a ^ b));
      return;
    }
    case ocShiftL:
    case ocShiftR: {
      const auto a = static_cast<std::uint32_t>(Operand(operation, 0).GetAsInt());
      const auto shift = static_cast<std::uint32_t>(Operand(operation, 1).GetAsInt()) & 31u;
      target.SetAsInt(static_cast<std::int32_t>(operation.op == ocShiftL ? a << shift : a >> shift));
      return;
    }
    case ocComboStr:
      target.SetAsString(Operand(operation, 0).GetAsString() + Operand(operation, 1).GetAsString());
      return;
    case ocEqual:
    case ocBig:
    case ocSmall:
    case ocEBig:
    case ocESmall:
    case ocNEqual:
      target.SetAsBool(Compare(operation.op, Operand(operation, 0), Operand(operation, 1)));
      return;
    case ocFunc: {
      if (operation.func_index >= vocabulary::kSysFuncCount) return;
      std::vector<TCustomParam*> args;
      args.reserve(operation.operands.size());
      for (const auto& operand : operation.operands) args.push_back(operand.get());
      g_dispatcher->CallFunction(item, operation.func_index, args);
      return;
    }
    default:  // ocNone, ocDimTo and unknown codes
      return;
  }
}

// Unlinks the reference operands of one operation on every way out, so the list keeps only
// names and can be saved or run again.
struct UnlinkOperands {
  explicit UnlinkOperands(TOpeData& operation) : operation(operation) {}
  ~UnlinkOperands() {
    for (TParamVar* reference : operation.references) reference->Unlink();
  }
  TOpeData& operation;
};


std::unique_ptr<TCustomParam> ReadOperand(TStream& stream) {
  const std::uint8_t type = ReadByteFromStream(stream);
  switch (type) {
    case kOperandInt: {
      auto value = std::make_unique<TParamInt>();
      value->SetAsInt(ReadIntFromStream(stream));
      return value;
    }
    case kOperandFloat: {
      auto value = std::make_unique<TParamFloat>();
      value->SetAsFloat(ReadExtendedFromStream(stream));
      return value;
    }
    case kOperandFlag: {
      auto value = std::make_unique<TParamFlag>();
      value->SetAsBool(ReadByteFromStream(stream) != 0);
      return value;
    }
    case kOperandStr: {
      auto value = std::make_unique<TParamStr>();
      value->SetAsString(ReadStrFromStream(stream));
      return value;
    }
    default:
      return std::make_unique<TParamVar>(ReadStrFromStream(stream));
  }
}

void WriteOperand(TStream& stream, const TCustomParam& operand) {
  if (const TParamVar* reference = operand.AsReference()) {
    WriteByteToStream(stream, PT_NONE);
    WriteStrToStream(stream, reference->Name());
    return;
  }
  const std::uint8_t type = operand.ParamType();
  WriteByteToStream(stream, type);
  switch (type) {
    case kOperandInt:
      WriteIntToStream(stream, operand.GetAsInt());
      break;
    case kOperandFloat:
      WriteExtendedToStream(stream, operand.GetAsFloat());
      break;
    case kOperandFlag:
      WriteByteToStream(stream, operand.GetAsBool() ? 1 : 0);
      break;
    default:
      WriteStrToStream(stream, operand.GetAsString());
      break;
  }
}

void Prepare(TOpeData& operation) {
  operation.references.clear();
  for (auto& operand : operation.operands) {
    if (TParamVar* reference = operand->AsReference()) operation.references.push_back(reference);
  }
  operation.folded_target = MakeFoldedName(operation.target);
}

std::unique_ptr<TCustomParam> CopyOperand(const TCustomParam& operand) {
  if (const TParamVar* reference = operand.AsReference()) {
    return std::make_unique<TParamVar>(reference->Name());
  }
  auto copy = CreateParamByType(operand.ParamType());
  copy->Assign(operand);
  return copy;
}

}  // namespace

TSysFuncDispatcher* SetSysFuncDispatcher(TSysFuncDispatcher* dispatcher) {
  TSysFuncDispatcher* previous = g_dispatcher == &g_missing_dispatcher ? nullptr : g_dispatcher;
  g_dispatcher = dispatcher != nullptr ? dispatcher : &g_missing_dispatcher;
  return previous;
}

TVornParser::~TVornParser() = default;

void TVornParser::Clear() { operations_.clear(); }

void TVornParser::AddOperation(std::unique_ptr<TOpeData> operation) {
  Prepare(*operation);
  operations_.push_back(std::move(operation));
}

void TVornParser::LoadFromStream(TStream& stream) {
  Clear();
  const std::int32_t count = ReadIntFromStream(stream);
  if (count < 0 || count * kMinOperationBytes > stream.Remaining()) {
    throw EReadError("bad operation count " + std::to_string(count));
  }
  std::vector<std::unique_ptr<TOpeData>> operations;
  operations.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    auto operation = std::make_unique<TOpeData>();
    operation->op = ReadByteFromStream(stream);
    operation->target = ReadStrFromStream(stream);
    const std::int32_t operand_count = ReadIntFromStream(stream);
    if (operation->op == ocFunc) operation->func_index = ReadByteFromStream(stream);
    if (operand_count < 0 || operand_count * kMinOperandBytes > stream.Remaining()) {
      throw EReadError("bad operand count " + std::to_string(operand_count));
    }
    operation->operands.reserve(static_cast<std::size_t>(operand_count));
    for (std::int32_t k = 0; k < operand_count; ++k) operation->operands.push_back(ReadOperand(stream));
    Prepare(*operation);
    operations.push_back(std::move(operation));
  }
  operations_ = std::move(operations);
}

void TVornParser::SaveToStream(TStream& stream) const {
  WriteIntToStream(stream, static_cast<std::int32_t>(operations_.size()));
  for (const auto& operation : operations_) {
    WriteByteToStream(stream, operation->op);
    WriteStrToStream(stream, operation->target);
    WriteIntToStream(stream, static_cast<std::int32_t>(operation->operands.size()));
    if (operation->op == ocFunc) WriteByteToStream(stream, operation->func_index);
    for (const auto& operand : operation->operands) WriteOperand(stream, *operand);
  }
}

void TVornParser::Assign(const TVornParser& other) {
  if (&other == this) return;
  Clear();
  for (const auto& source : other.operations_) {
    auto operation = std::make_unique<TOpeData>();
    operation->op = source->op;
    operation->target = source->target;
    operation->func_index = source->func_index;
    for (const auto& operand : source->operands) operation->operands.push_back(CopyOperand(*operand));
    Prepare(*operation);
    operations_.push_back(std::move(operation));
  }
}

void TVornParser::RunOperation(TParamCollection& params, TOpeData& operation,
                               std::vector<std::shared_ptr<TValueAnchor>>& temps) {
  UnlinkOperands unlink(operation);
  for (TParamVar* reference : operation.references) {
    TParamCollectionItem* item = params.FindParamFolded(reference->FoldedName());
    if (item == nullptr) throw EScriptError(FormatText(texts::kVariableMissingFormat, reference->Name()));
    reference->LinkResolved(item);
  }
  TParamCollectionItem* target = params.FindParamFolded(operation.folded_target);
  if (target == nullptr && StartsWith(operation.target, kTempPrefix)) {
    // Typed before it exists, so a failure here leaves no half-made temporary behind. Nothing
    // of that name was visible, so the new item is what a lookup would now find.
    const std::uint8_t type = operation.op == ocDimTo ? std::uint8_t{PT_NONE} : TempType(operation);
    TParamCollectionItem& temp = CreateTemp(params, type, operation.target);
    temps.push_back(temp.Anchor());
    if (operation.op == ocDimTo) LinkElement(operation, temp);
    target = &temp;
  }
  if (target == nullptr) throw EScriptError(FormatText(texts::kVariableMissingFormat, operation.target));
  Evaluate(operation, *target);
}

TParamCollectionItem& TVornParser::CreateTemp(TParamCollection& params, std::uint8_t type, const std::string& name) {
  for (std::size_t k = pool_.size(); k-- > 0;) {
    if (!pool_[k]->ResetForReuse(type)) continue;
    auto item = std::move(pool_[k]);
    pool_.erase(pool_.begin() + static_cast<std::ptrdiff_t>(k));
    TParamCollectionItem& temp = params.AdoptItem(std::move(item));
    temp.SetName(name);
    return temp;
  }
  TParamCollectionItem& temp = params.AddParam(type);
  temp.SetName(name);
  return temp;
}

// Removes the run's temporaries from the variable set, keeping the items for the next run. A
// temporary freed meanwhile (by a function the run called) is simply gone.
void TVornParser::ReleaseTemps(TParamCollection& params, std::vector<std::shared_ptr<TValueAnchor>>& temps) {
  for (auto it = temps.rbegin(); it != temps.rend(); ++it) {
    TValueHolder* holder = (*it)->holder;
    it->reset();
    if (holder == nullptr) continue;
    auto* item = static_cast<TParamCollectionItem*>(holder);
    if (!params.Holds(*item)) continue;
    if (pool_.size() < kMaxPooledTemps) {
      pool_.push_back(params.ExtractItem(*item));
    } else {
      params.FreeItem(*item);
    }
  }
  temps.clear();
}

void TVornParser::Execute() {
  result_.reset();
  last_error_.clear();
  TParamCollection* params = CurrentParams();
  if (params == nullptr) return;
  // Removes the temporaries on every way out, the "____arg" type error included.
  struct TempsGuard {
    TVornParser& parser;
    TParamCollection& params;
    std::vector<std::shared_ptr<TValueAnchor>> temps;
    ~TempsGuard() { parser.ReleaseTemps(params, temps); }
  } guard{*this, *params, {}};
  guard.temps.reserve(operations_.size());
  for (auto& operation : operations_) {
    try {
      RunOperation(*params, *operation, guard.temps);
    } catch (const std::exception& e) {
      // An expression that fails simply has no value; what it assigned so far stays.
      last_error_ = e.what();
      break;
    }
  }
  if (operations_.empty()) return;
  const TOpeData& last = *operations_.back();
  if (last.op != ocTo || last.target != kArgTempName) return;
  if (params->FindParam(kArgTempName) == nullptr) return;
  result_ = params->CopyParam(kArgTempName);
}

}  // namespace vorn
