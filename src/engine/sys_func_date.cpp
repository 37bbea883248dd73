// The date and time functions on script date-times (days since 1899-12-30 plus the fraction of the
// day).

#include <string_view>

#include "engine/date_time.h"
#include "engine/param_collection.h"
#include "engine/script_error.h"
#include "engine/sys_func_families.h"
#include "foundation/system_texts.h"

namespace vorn {
namespace {

using Call = const TSysFuncCall&;

constexpr std::string_view kWeekNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};

TDateTimeParts Decode(TExtended value) {
  TDateTimeParts parts;
  if (!TryDecodeDateTime(value, parts)) throw EScriptError("Invalid argument to date decode");
  return parts;
}

void EncodeDate(Call call) {
  TExtended value = 0;
  if (!TryEncodeDate(call.Int(0), call.Int(1), call.Int(2), value)) {
    throw EScriptError("Invalid argument to date encode");
  }
  call.Result().SetAsFloat(value);
}

void EncodeTime(Call call) {
  TExtended value = 0;
  if (!TryEncodeTime(call.Int(0), call.Int(1), call.Int(2), 0, value)) {
    throw EScriptError("Invalid argument to time encode");
  }
  call.Result().SetAsFloat(value);
}

void DecodeDate(Call call) {
  const TDateTimeParts parts = Decode(call.Float(0));
  call.Arg(1).SetAsInt(parts.year);
  call.Arg(2).SetAsInt(parts.month);
  call.Arg(3).SetAsInt(parts.day);
}

void DecodeTime(Call call) {
  const TDateTimeParts parts = Decode(call.Float(0));
  call.Arg(1).SetAsInt(parts.hour);
  call.Arg(2).SetAsInt(parts.minute);
  call.Arg(3).SetAsInt(parts.second);
}

void GetYear(Call call) { call.Result().SetAsInt(Decode(call.Float(0)).year); }
void GetMonth(Call call) { call.Result().SetAsInt(Decode(call.Float(0)).month); }
void GetDay(Call call) { call.Result().SetAsInt(Decode(call.Float(0)).day); }
void GetHour(Call call) { call.Result().SetAsInt(Decode(call.Float(0)).hour); }
void GetMin(Call call) { call.Result().SetAsInt(Decode(call.Float(0)).minute); }
void GetSec(Call call) { call.Result().SetAsInt(Decode(call.Float(0)).second); }
void GetWeek(Call call) { call.Result().SetAsInt(Decode(call.Float(0)).week); }

void GetWeekStr(Call call) {
  call.Result().SetAsString(kWeekNames[static_cast<std::size_t>(Decode(call.Float(0)).week - 1)]);
}

void GetWeekJStr(Call call) {
  // Seven double-byte names, Sunday first.
  const auto at = static_cast<std::size_t>(Decode(call.Float(0)).week - 1) * 2;
  call.Result().SetAsString(texts::kWeekdayJapaneseNames.substr(at, 2));
}

constexpr TSysFuncSlot kSlots[] = {
    {TSysFunc::EncodeDate, EncodeDate}, {TSysFunc::EncodeTime, EncodeTime},
    {TSysFunc::DecodeDate, DecodeDate}, {TSysFunc::DecodeTime, DecodeTime},
    {TSysFunc::GetYear, GetYear},       {TSysFunc::GetMonth, GetMonth},
    {TSysFunc::GetDay, GetDay},         {TSysFunc::GetHour, GetHour},
    {TSysFunc::GetMin, GetMin},         {TSysFunc::GetSec, GetSec},
    {TSysFunc::GetWeek, GetWeek},       {TSysFunc::GetWeekStr, GetWeekStr},
    {TSysFunc::GetWeekJStr, GetWeekJStr},
};

}  // namespace

std::span<const TSysFuncSlot> DateFunctions() { return kSlots; }

}  // namespace vorn
