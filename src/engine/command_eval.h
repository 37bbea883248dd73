#pragma once

// The conventions every command uses to read its expressions: a condition without a result is
// false, a value without a result takes the caller's default, and a name is read twice.

#include <cstdint>
#include <string>

#include "engine/extended_float.h"

namespace vorn {

class TVornParser;

// Runs the expression; true only when it gave a result that converts to true.
bool YieldsTrue(TVornParser* expression);
// Runs the expression and converts its result, or gives `fallback` when there is none.
std::int32_t IntOr(TVornParser* expression, std::int32_t fallback);
TExtended FloatOr(TVornParser* expression, TExtended fallback);
bool BoolOr(TVornParser* expression, bool fallback);
std::string StrOr(TVornParser* expression, const std::string& fallback = {});
// A name expression: evaluated once, and when that gives a non-empty text, evaluated again and
// the second text used (an expression with side effects runs twice; stored scripts rely on it).
std::string ReadName(TVornParser* expression);

}  // namespace vorn
