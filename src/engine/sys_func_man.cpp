#include "engine/sys_func_man.h"

#include <array>
#include <string_view>

#include "engine/custom_param.h"
#include "engine/number_text.h"
#include "engine/param_collection.h"
#include "engine/script_error.h"
#include "engine/sys_func_families.h"
#include "foundation/system_texts.h"
#include "foundation/vocabulary.h"

namespace vorn {
namespace {

// Family of each index, twenty to a row: T text/number/date, A array/variable, D script tables,
// S scene/file/screen/system.
constexpr std::string_view kRoute =
    "TTSSATTTTTTTTTTTTTTS"   //   0
    "TAAASSTSAAAASSSSSTTT"   //  20
    "TTTTTTTSTTATTTTTTTTT"   //  40
    "TTTTTSAAASASSTTTTTTT"   //  60
    "TTTTATTDDDDDDDDDDDDD"   //  80
    "DDDDDDDDDDDDDDDDDDDD"   // 100
    "DDDDDSTTTTASSTSSSSTT"   // 120
    "SSA";                   // 140
static_assert(kRoute.size() == vocabulary::kSysFuncCount);

using TFunctionTable = std::array<TSysFunction, vocabulary::kSysFuncCount>;

// Every index's function, gathered once from the family tables. A slot a family lists for an index
// routed elsewhere is not taken (the routing test reports it).
const TFunctionTable& Functions() {
  static const TFunctionTable table = [] {
    TFunctionTable result{};
    for (int f = 0; f < kSysFuncFamilyCount; ++f) {
      const auto family = static_cast<TSysFuncFamily>(f);
      for (const TSysFuncSlot& slot : SysFuncFamilyTable(family)) {
        const int index = static_cast<int>(slot.index);
        if (index >= 0 && index < vocabulary::kSysFuncCount && SysFuncFamilyOf(index) == family) {
          result[static_cast<std::size_t>(index)] = slot.function;
        }
      }
    }
    return result;
  }();
  return table;
}

}  // namespace

TCustomParam& TSysFuncCall::Arg(std::size_t i) const {
  if (!Has(i)) {
    std::string text =
        index_ < vocabulary::kSysFuncCount ? std::string(vocabulary::kSysFuncNames[index_]) : IntToText(index_);
    text += texts::kArgumentCountInvalidSuffix;
    throw EScriptError(text);
  }
  return *args_[i];
}

std::int32_t TSysFuncCall::Int(std::size_t i) const { return Arg(i).GetAsInt(); }
TExtended TSysFuncCall::Float(std::size_t i) const { return Arg(i).GetAsFloat(); }
bool TSysFuncCall::Bool(std::size_t i) const { return Arg(i).GetAsBool(); }
std::string TSysFuncCall::Str(std::size_t i) const { return Arg(i).GetAsString(); }

TSysFuncFamily SysFuncFamilyOf(int index) {
  switch (kRoute[static_cast<std::size_t>(index)]) {
    case 'A':
      return TSysFuncFamily::kArrayVariable;
    case 'D':
      return TSysFuncFamily::kTable;
    case 'S':
      return TSysFuncFamily::kSceneSystem;
    default:
      return TSysFuncFamily::kTextNumberDate;
  }
}

std::span<const TSysFuncSlot> SysFuncFamilyTable(TSysFuncFamily family) {
  switch (family) {
    case TSysFuncFamily::kArrayVariable:
      return ArrayVariableFunctions();
    case TSysFuncFamily::kTable:
      return TableFunctions();
    case TSysFuncFamily::kSceneSystem:
      return SceneSystemFunctions();
    case TSysFuncFamily::kTextNumberDate:
      break;
  }
  return TextNumberDateFunctions();
}

TSysFuncMan::TSysFuncMan() { previous_ = SetSysFuncDispatcher(this); }

TSysFuncMan::~TSysFuncMan() { SetSysFuncDispatcher(previous_); }

void TSysFuncMan::Execute(TParamCollectionItem& result, std::uint8_t index, std::span<TCustomParam* const> args) {
  if (index >= vocabulary::kSysFuncCount) return;
  const TSysFunction function = Functions()[index];
  if (function == nullptr) {
    throw EScriptError(std::string(vocabulary::kSysFuncNames[index]) + ": not available yet");
  }
  function(TSysFuncCall(result, index, args));
}

void TSysFuncMan::CallFunction(TParamCollectionItem& target, int index, std::span<TCustomParam* const> args) {
  if (index < 0 || index > 255) return;
  Execute(target, static_cast<std::uint8_t>(index), args);
}

}  // namespace vorn
