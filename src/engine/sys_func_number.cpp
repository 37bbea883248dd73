// The number functions. Floats are 80-bit extended; a result that is no finite number (ArcSin(2),
// an overflowing Hypot) raises, as a division by zero ends an expression, so the target keeps its
// value instead of receiving a NaN that every later comparison would get wrong.

#include <cmath>
#include <limits>

#include "engine/number_text.h"
#include "engine/param_collection.h"
#include "engine/run_time_random.h"
#include "engine/script_error.h"
#include "engine/sys_func_families.h"

namespace vorn {
namespace {

using Call = const TSysFuncCall&;

void SetFloat(Call call, TExtended value) {
  if (std::isnan(value)) throw EScriptError("Invalid floating point operation");
  if (std::isinf(value)) throw EScriptError("Floating point overflow");
  call.Result().SetAsFloat(value);
}

void Not(Call call) { call.Result().SetAsBool(!call.Bool(0)); }
void RandomFunc(Call call) { call.Result().SetAsInt(Random(call.Int(0))); }
void Int(Call call) { call.Result().SetAsInt(FloatToInt(call.Float(0))); }
void Float(Call call) { call.Result().SetAsFloat(call.Float(0)); }
void Sin(Call call) { SetFloat(call, std::sin(call.Float(0))); }
void Cos(Call call) { SetFloat(call, std::cos(call.Float(0))); }
void Tan(Call call) { SetFloat(call, std::tan(call.Float(0))); }
void ArcSin(Call call) { SetFloat(call, std::asin(call.Float(0))); }
void ArcCos(Call call) { SetFloat(call, std::acos(call.Float(0))); }
void ArcTan(Call call) { SetFloat(call, std::atan(call.Float(0))); }
void ArcTan2(Call call) { SetFloat(call, std::atan2(call.Float(0), call.Float(1))); }
void Hypot(Call call) { SetFloat(call, std::hypot(call.Float(0), call.Float(1))); }

void Abs(Call call) {
  const std::int32_t n = call.Int(0);
  // The most negative value has no positive counterpart and stays itself.
  call.Result().SetAsInt(n >= 0 || n == std::numeric_limits<std::int32_t>::min() ? n : -n);
}

void Fabs(Call call) { SetFloat(call, std::fabs(call.Float(0))); }

void Min(Call call) {
  const std::int32_t a = call.Int(0);
  const std::int32_t b = call.Int(1);
  call.Result().SetAsInt(a < b ? a : b);
}

void Max(Call call) {
  const std::int32_t a = call.Int(0);
  const std::int32_t b = call.Int(1);
  call.Result().SetAsInt(a > b ? a : b);
}

void Fmin(Call call) {
  const TExtended a = call.Float(0);
  const TExtended b = call.Float(1);
  call.Result().SetAsFloat(a < b ? a : b);
}

void Fmax(Call call) {
  const TExtended a = call.Float(0);
  const TExtended b = call.Float(1);
  call.Result().SetAsFloat(a > b ? a : b);
}

constexpr TSysFuncSlot kSlots[] = {
    {TSysFunc::Not, Not},         {TSysFunc::Random, RandomFunc}, {TSysFunc::Int, Int},
    {TSysFunc::Float, Float},     {TSysFunc::Sin, Sin},           {TSysFunc::Cos, Cos},
    {TSysFunc::Tan, Tan},         {TSysFunc::ArcSin, ArcSin},     {TSysFunc::ArcCos, ArcCos},
    {TSysFunc::ArcTan, ArcTan},   {TSysFunc::ArcTan2, ArcTan2},   {TSysFunc::Hypot, Hypot},
    {TSysFunc::Abs, Abs},         {TSysFunc::Fabs, Fabs},         {TSysFunc::Min, Min},
    {TSysFunc::Max, Max},         {TSysFunc::Fmin, Fmin},         {TSysFunc::Fmax, Fmax},
};

}  // namespace

std::span<const TSysFuncSlot> NumberFunctions() { return kSlots; }

}  // namespace vorn
