// The array and variable functions: shape, fill, copy, join, split, search and sort the typed
// array values, add, insert and delete elements, test and bind variables, and drop a call frame.
// An argument written as a bare variable name arrives as a reference; the functions that reshape
// work on the referenced variable's whole value, not on the one element a reference addresses.

#include <algorithm>
#include <limits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/call_man.h"
#include "engine/custom_param.h"
#include "engine/param_collection.h"
#include "engine/param_var.h"
#include "engine/script_error.h"
#include "engine/script_text.h"
#include "engine/sys_func_families.h"
#include "foundation/sjis.h"
#include "foundation/system_texts.h"

namespace vorn {
namespace {

using Call = const TSysFuncCall&;

// The variable a reference argument resolved to, or null for anything else.
TCustomParam* ReferencedValue(TCustomParam& arg) {
  TParamVar* reference = arg.AsReference();
  if (reference == nullptr) return nullptr;
  TValueHolder* target = reference->Target();
  return target != nullptr ? target->HeldValue() : nullptr;
}

// Argument i as a variable that must exist; raises "<function>:変数が見つかりません" otherwise.
TCustomParam& CheckedVariable(Call call, std::size_t i, std::string_view function) {
  TCustomParam* value = ReferencedValue(call.Arg(i));
  if (value == nullptr) throw EScriptError(FormatText(texts::kFunctionVariableMissingFormat, function));
  return *value;
}

// Argument i's whole value: the referenced variable's, or the argument itself (a literal array is a
// temporary whose changes are lost).
TCustomParam& WholeValue(Call call, std::size_t i) {
  TCustomParam& arg = call.Arg(i);
  TCustomParam* value = ReferencedValue(arg);
  return value != nullptr ? *value : arg;
}

// One dimension of `count` elements; too many raise the extent error, as SetArray would.
void SetOneDim(TCustomParam& value, std::int64_t count) {
  const std::int32_t extents[] = {static_cast<std::int32_t>(std::clamp<std::int64_t>(count, -1, std::numeric_limits<std::int32_t>::max()))};
  value.SetDims(extents);
}

// Element `to` of dst := element `from` of src, read and written with dst's type.
void CopyElement(TCustomParam& dst, std::int32_t to, const TCustomParam& src, std::int32_t from) {
  switch (dst.ParamType()) {
    case PT_INT:
      dst.SetIntAt(to, src.GetIntAt(from));
      break;
    case PT_FLOAT:
      dst.SetFloatAt(to, src.GetFloatAt(from));
      break;
    case PT_BOOL:
      dst.SetBoolAt(to, src.GetBoolAt(from));
      break;
    default:
      dst.SetStrAt(to, src.GetStrAt(from));
      break;
  }
}

void GetArraySize(Call call) {
  const TCustomParam& v = CheckedVariable(call, 0, "GetArraySize");
  if (!call.Has(1)) {
    call.Result().SetAsInt(v.Count());
    return;
  }
  const std::int64_t k = call.Int(1);
  const std::int64_t dims = v.DimCount();
  // DimSize answers 1 for a dimension outside the list.
  const std::int64_t d = dims - 1 - k;
  call.Result().SetAsInt(d >= 0 && d < dims ? v.DimSize(static_cast<std::int32_t>(d)) : 1);
}

void SetArray(Call call) {
  TCustomParam& v = CheckedVariable(call, 0, "SetArray");
  std::vector<std::int32_t> extents;
  for (std::size_t i = 1; call.Has(i); ++i) extents.push_back(call.Int(i));
  v.SetDims(extents);
}

void FillMem(Call call) {
  TCustomParam& v = CheckedVariable(call, 0, "FillMem");
  switch (v.ParamType()) {
    case PT_INT:
      v.FillInt(call.Int(1));
      break;
    case PT_FLOAT:
      v.FillFloat(call.Float(1));
      break;
    case PT_BOOL:
      v.FillBool(call.Bool(1));
      break;
    default:
      v.FillStr(call.Str(1));
      break;
  }
}

void CopyMemFunc(Call call) {
  TCustomParam& dst = CheckedVariable(call, 0, "CopyMem");
  const TCustomParam& src = CheckedVariable(call, 1, "CopyMem");
  dst.CopyMem(src);
}

void ArrayToString(Call call) {
  const TCustomParam& v = call.Arg(0);
  const std::string separator = call.Has(1) ? call.Str(1) : std::string("\r\n");
  std::string text;
  const std::int32_t count = v.Count();
  for (std::int32_t i = 0; i < count; ++i) {
    if (i > 0) text += separator;
    text += v.GetStrAt(i);
    script_text::CheckTextSize(static_cast<std::int64_t>(text.size()));
  }
  call.Result().SetAsString(text);
}

std::vector<std::string> SplitAtDelimiters(std::string text, std::string_view delimiters) {
  std::vector<std::string> pieces;
  while (!text.empty()) pieces.push_back(JFetchToken(text, delimiters));
  return pieces;
}

void StringToArray(Call call) {
  const std::string text = call.Str(0);
  TCustomParam& v = WholeValue(call, 1);
  const std::string separator = call.Has(2) ? call.Str(2) : std::string("\r\n");
  const std::vector<std::string> pieces =
      separator == "\r\n" ? script_text::SplitLines(text) : SplitAtDelimiters(text, separator);
  if (pieces.empty()) {
    v.SetAsString("");
    return;
  }
  SetOneDim(v, static_cast<std::int64_t>(pieces.size()));
  for (std::size_t i = 0; i < pieces.size(); ++i) v.SetStrAt(static_cast<std::int32_t>(i), pieces[i]);
}

void IndexOfStr(Call call) {
  const bool case_sensitive = call.Has(2) ? call.Bool(2) : true;
  const bool partial = call.Has(3) ? call.Bool(3) : false;
  call.Result().SetAsInt(call.Arg(0).IndexOf(call.Str(1), case_sensitive, partial));
}

void SortStr(Call call) {
  TCustomParam& v = WholeValue(call, 0);
  const std::int32_t count = v.Count();
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) texts.push_back(v.GetStrAt(i));
  // Case-folded byte order stands in for the system's linguistic collation.
  std::stable_sort(texts.begin(), texts.end(),
                   [](const std::string& a, const std::string& b) { return Cp932CompareText(a, b) < 0; });
  for (std::int32_t i = 0; i < count; ++i) v.SetStrAt(i, texts[static_cast<std::size_t>(i)]);
}

void VarExists(Call call) {
  TParamCollection* params = CurrentParams();
  call.Result().SetAsBool(params != nullptr && params->FindParam(call.Str(0)) != nullptr);
}

// The elements of src as dst will store them, taken before dst changes shape (src may be dst).
std::unique_ptr<TCustomParam> Snapshot(const TCustomParam& dst, const TCustomParam& src) {
  const std::uint8_t type = dst.ParamType();
  auto copy = CreateParamByType(type >= PT_INT && type <= PT_STR ? type : std::uint8_t{PT_STR});
  copy->SetCount(src.Count());
  for (std::int32_t i = 0; i < src.Count(); ++i) CopyElement(*copy, i, src, i);
  return copy;
}

void AddArray(Call call) {
  TCustomParam& dst = WholeValue(call, 0);
  const TCustomParam& src = call.Arg(1);
  const std::int32_t na = dst.Count();
  const std::int32_t nb = src.Count();
  if (dst.DimCount() > 1 || src.DimCount() > 1) {
    call.Result().SetAsInt(na);
    return;
  }
  const auto added = Snapshot(dst, src);
  SetOneDim(dst, std::int64_t{na} + nb);
  for (std::int32_t j = 0; j < nb; ++j) CopyElement(dst, na + j, *added, j);
  call.Result().SetAsInt(na + nb);
}

void InsertArray(Call call) {
  TCustomParam& dst = WholeValue(call, 0);
  const TCustomParam& src = call.Arg(2);
  const std::int32_t na = dst.Count();
  const std::int32_t nb = src.Count();
  if (dst.DimCount() > 1 || src.DimCount() > 1) {
    call.Result().SetAsInt(na);
    return;
  }
  const std::int32_t pos = std::clamp(call.Int(1), 0, na);
  const auto inserted = Snapshot(dst, src);
  SetOneDim(dst, std::int64_t{na} + nb);
  for (std::int32_t i = na + nb - 1; i >= pos + nb; --i) CopyElement(dst, i, dst, i - nb);
  for (std::int32_t j = 0; j < nb; ++j) CopyElement(dst, pos + j, *inserted, j);
  call.Result().SetAsInt(na + nb);
}

void DeleteArray(Call call) {
  TCustomParam& v = WholeValue(call, 0);
  const std::int32_t n = v.Count();
  if (v.DimCount() > 1) {
    call.Result().SetAsInt(n);
    return;
  }
  std::int64_t pos = call.Int(1);
  if (pos < 0) pos = 0;
  if (pos >= n) pos = std::int64_t{n} - 1;
  std::int64_t count = call.Int(2);
  if (pos + count > n) count = n - pos;
  // A negative count reaches past the end while moving and raises the index error there.
  for (std::int64_t i = pos; i <= std::int64_t{n} - count - 1; ++i) {
    if (i + count < 0 || i + count >= n || i >= n) {
      throw EScriptError(std::string(texts::kArrayIndexInvalid));
    }
    CopyElement(v, static_cast<std::int32_t>(i), v, static_cast<std::int32_t>(i + count));
  }
  const std::int64_t left = std::int64_t{n} - count;
  SetOneDim(v, left);
  call.Result().SetAsInt(static_cast<std::int32_t>(left));
}

void CopyArray(Call call) {
  TCustomParam& dst = WholeValue(call, 0);
  const TCustomParam& src = call.Arg(1);
  dst.ConvertFrom(src);
  call.Result().SetAsBool(true);
}

void AssignTemp(Call call) {
  const std::string name = call.Str(0);
  TParamCollection* params = CurrentParams();
  const bool found = !name.empty() && params != nullptr && params->FindParam(name) != nullptr;
  if (found) params->SetTempName(name);
  call.Result().SetAsBool(found);
}

void GetVarType(Call call) { call.Result().SetAsInt(call.Arg(0).ParamType()); }

void DeleteStack(Call call) {
  const std::int32_t n = call.Int(0);
  TCallMan* call_man = CurrentCallMan();
  TParamCollection* params = CurrentParams();
  const bool valid = call_man != nullptr && n >= 0 && n < call_man->Stack().Count();
  if (valid) {
    if (params != nullptr) {
      params->FreeFrame(n);
      for (int i = 0; i < params->Count(); ++i) {
        TParamCollectionItem& item = params->GetItem(i);
        if (item.FrameId() > n) item.SetFrameId(item.FrameId() - 1);
      }
    }
    // Removing the frame tells the variables the new depth, so the running page keeps sight of its
    // own locals under their lowered frame id.
    call_man->Stack().Remove(n);
  }
  call.Result().SetAsBool(valid);
}

constexpr TSysFuncSlot kSlots[] = {
    {TSysFunc::GetArraySize, GetArraySize},   {TSysFunc::SetArray, SetArray},
    {TSysFunc::FillMem, FillMem},             {TSysFunc::CopyMem, CopyMemFunc},
    {TSysFunc::ArrayToString, ArrayToString}, {TSysFunc::StringToArray, StringToArray},
    {TSysFunc::IndexOfStr, IndexOfStr},       {TSysFunc::SortStr, SortStr},
    {TSysFunc::VarExists, VarExists},         {TSysFunc::AddArray, AddArray},
    {TSysFunc::InsertArray, InsertArray},     {TSysFunc::DeleteArray, DeleteArray},
    {TSysFunc::CopyArray, CopyArray},         {TSysFunc::AssignTemp, AssignTemp},
    {TSysFunc::GetVarType, GetVarType},       {TSysFunc::DeleteStack, DeleteStack},
};

}  // namespace

std::span<const TSysFuncSlot> ArrayVariableFunctions() { return kSlots; }

}  // namespace vorn
