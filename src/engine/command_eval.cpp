#include "engine/command_eval.h"

#include "engine/custom_param.h"
#include "engine/vorn_parser.h"

namespace vorn {

namespace {

TCustomParam* Run(TVornParser* expression) {
  if (expression == nullptr) return nullptr;
  expression->Execute();
  return expression->Result();
}

}  // namespace

bool YieldsTrue(TVornParser* expression) {
  const TCustomParam* result = Run(expression);
  return result != nullptr && result->GetAsBool();
}

std::int32_t IntOr(TVornParser* expression, std::int32_t fallback) {
  const TCustomParam* result = Run(expression);
  return result != nullptr ? result->GetAsInt() : fallback;
}

TExtended FloatOr(TVornParser* expression, TExtended fallback) {
  const TCustomParam* result = Run(expression);
  return result != nullptr ? result->GetAsFloat() : fallback;
}

bool BoolOr(TVornParser* expression, bool fallback) {
  const TCustomParam* result = Run(expression);
  return result != nullptr ? result->GetAsBool() : fallback;
}

std::string StrOr(TVornParser* expression, const std::string& fallback) {
  const TCustomParam* result = Run(expression);
  return result != nullptr ? result->GetAsString() : fallback;
}

std::string ReadName(TVornParser* expression) {
  std::string name = StrOr(expression);
  if (!name.empty()) name = StrOr(expression);
  return name;
}

}  // namespace vorn
