// The text functions. Names without the J prefix count bytes; the J variants count CP932
// characters. Functions with "var" arguments write back through the argument, which for a bare
// variable name is a reference to the caller's variable.

#include <limits>

#include "engine/custom_param.h"
#include "engine/number_text.h"
#include "engine/param_collection.h"
#include "engine/script_text.h"
#include "engine/sys_func_families.h"
#include "foundation/sjis.h"

namespace vorn {
namespace {

namespace st = script_text;
using Call = const TSysFuncCall&;

constexpr std::int64_t kToTheEnd = std::numeric_limits<std::int32_t>::max();

void SetStr(Call call, std::string_view text) { call.Result().SetAsString(text); }
void SetInt(Call call, std::int64_t value) { call.Result().SetAsInt(static_cast<std::int32_t>(value)); }
void SetBool(Call call, bool value) { call.Result().SetAsBool(value); }

void IntToStr(Call call) {
  SetStr(call, call.Has(1) ? st::IntToStrDigits(call.Int(0), call.Str(1)) : IntToText(call.Int(0)));
}
void IntToHex(Call call) { SetStr(call, st::IntToHex(call.Int(0), call.Int(1))); }
void Length(Call call) { SetInt(call, static_cast<std::int64_t>(call.Str(0).size())); }
void JLengthFunc(Call call) { SetInt(call, JLength(call.Str(0))); }

void Copy(Call call) {
  const std::string s = call.Str(0);
  SetStr(call, st::Copy(s, call.Int(1), call.Has(2) ? call.Int(2) : kToTheEnd));
}

void JCopyFunc(Call call) {
  const std::string s = call.Str(0);
  const std::int32_t index = call.Int(1);
  const std::int32_t count = call.Has(2) ? call.Int(2) : static_cast<std::int32_t>(s.size());
  SetStr(call, JCopy(s, index, count));
}

void Delete(Call call) {
  const std::string s = call.Str(0);
  const std::int32_t index = call.Int(1);
  const std::int64_t count = call.Has(2) ? call.Int(2) : kToTheEnd;
  call.Arg(0).SetAsString(st::Delete(s, index, count));
}

void JDeleteFunc(Call call) {
  std::string s = call.Str(0);
  const std::int32_t index = call.Int(1);
  const std::int32_t count = call.Has(2) ? call.Int(2) : JLength(s);
  JDelete(s, index, count);
  call.Arg(0).SetAsString(s);
}

void Insert(Call call) {
  const std::string source = call.Str(0);
  const std::string s = call.Str(1);
  call.Arg(1).SetAsString(st::Insert(source, s, call.Int(2)));
}

void JInsertFunc(Call call) {
  const std::string source = call.Str(0);
  std::string s = call.Str(1);
  JInsert(source, s, call.Int(2));
  call.Arg(1).SetAsString(s);
}

void CompareStr(Call call) { SetInt(call, st::CompareStr(call.Str(0), call.Str(1))); }
void CompareText(Call call) { SetInt(call, Cp932CompareText(call.Str(0), call.Str(1))); }
void Pos(Call call) { SetInt(call, st::Pos(call.Str(0), call.Str(1))); }
void JPosFunc(Call call) { SetInt(call, JPos(call.Str(0), call.Str(1))); }
void Trim(Call call) { SetStr(call, st::Trim(call.Str(0))); }
void JTrimFunc(Call call) { SetStr(call, JTrim(call.Str(0))); }
void FixStr(Call call) { SetStr(call, st::FixStr(call.Str(0))); }
void LowerCase(Call call) { SetStr(call, Cp932LowerCase(call.Str(0))); }
void UpperCase(Call call) { SetStr(call, Cp932UpperCase(call.Str(0))); }
void ExtractFilePath(Call call) { SetStr(call, st::ExtractFilePath(call.Str(0))); }
void ExtractFileName(Call call) { SetStr(call, st::ExtractFileName(call.Str(0))); }
void ExtractFileExt(Call call) { SetStr(call, st::ExtractFileExt(call.Str(0))); }
void IsPathDelimiter(Call call) { SetBool(call, st::IsPathDelimiter(call.Str(0), call.Int(1))); }
void AddBackSlash(Call call) { SetStr(call, st::AddBackSlash(call.Str(0))); }
void ChangeFileExt(Call call) { SetStr(call, st::ChangeFileExt(call.Str(0), call.Str(1))); }
void IsDelimiter(Call call) { SetBool(call, st::IsDelimiter(call.Str(0), call.Str(1), call.Int(2))); }
void StringOfChar(Call call) { SetStr(call, st::StringOfChar(call.Str(0), call.Int(1))); }

void StringReplace(Call call) {
  const bool all = call.Has(3) && call.Bool(3);
  const bool ignore_case = call.Has(4) && call.Bool(4);
  SetStr(call, st::StringReplace(call.Str(0), call.Str(1), call.Str(2), all, ignore_case));
}

void HanToZenFunc(Call call) { SetStr(call, HanToZen(call.Str(0))); }
void ZenToHanFunc(Call call) { SetStr(call, ZenToHan(call.Str(0))); }

void AddDelimiter(Call call) {
  const std::string s = call.Str(1);
  SetStr(call, s.empty() ? std::string() : s + call.Str(0));
}

void StrToIntDef(Call call) {
  std::int32_t value = 0;
  if (!st::TryStrToInt(call.Str(0), value)) value = call.Int(1);
  SetInt(call, value);
}

void StrToFloatDef(Call call) {
  TExtended value = 0;
  if (!st::TryStrToFloat(call.Str(0), value)) value = call.Float(1);
  call.Result().SetAsFloat(value);
}

constexpr TSysFuncSlot kSlots[] = {
    {TSysFunc::IntToStr, IntToStr},
    {TSysFunc::IntToHex, IntToHex},
    {TSysFunc::Length, Length},
    {TSysFunc::JLength, JLengthFunc},
    {TSysFunc::Copy, Copy},
    {TSysFunc::JCopy, JCopyFunc},
    {TSysFunc::Delete, Delete},
    {TSysFunc::JDelete, JDeleteFunc},
    {TSysFunc::Insert, Insert},
    {TSysFunc::JInsert, JInsertFunc},
    {TSysFunc::CompareStr, CompareStr},
    {TSysFunc::CompareText, CompareText},
    {TSysFunc::Pos, Pos},
    {TSysFunc::JPos, JPosFunc},
    {TSysFunc::Trim, Trim},
    {TSysFunc::JTrim, JTrimFunc},
    {TSysFunc::FixStr, FixStr},
    {TSysFunc::LowerCase, LowerCase},
    {TSysFunc::UpperCase, UpperCase},
    {TSysFunc::ExtractFilePath, ExtractFilePath},
    {TSysFunc::ExtractFileName, ExtractFileName},
    {TSysFunc::ExtractFileExt, ExtractFileExt},
    {TSysFunc::IsPathDelimiter, IsPathDelimiter},
    {TSysFunc::AddBackSlash, AddBackSlash},
    {TSysFunc::ChangeFileExt, ChangeFileExt},
    {TSysFunc::IsDelimiter, IsDelimiter},
    {TSysFunc::StringOfChar, StringOfChar},
    {TSysFunc::StringReplace, StringReplace},
    {TSysFunc::HanToZen, HanToZenFunc},
    {TSysFunc::ZenToHan, ZenToHanFunc},
    {TSysFunc::AddDelimiter, AddDelimiter},
    {TSysFunc::StrToIntDef, StrToIntDef},
    {TSysFunc::StrToFloatDef, StrToFloatDef},
};

}  // namespace

std::span<const TSysFuncSlot> TextFunctions() { return kSlots; }

}  // namespace vorn
