#pragma once

// The one conversion between numbers and text used by script values, the expression compiler's
// literal classification and the text-to-number functions. Locale-independent on purpose: a game
// must read "1.5" the same way on every machine.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/extended_float.h"

namespace vorn {

// Integer text: an optional sign and decimal digits, nothing else, within the 32-bit range.
bool TryTextToInt(std::string_view text, std::int32_t& value);
// Decimal text: an optional sign, digits with an optional decimal point (at least one digit), and
// an optional exponent "E"/"e" with optional sign and digits. No spaces, no "inf" or "nan".
bool TryTextToFloat(std::string_view text, TExtended& value);

std::int32_t TextToIntOrZero(std::string_view text);
TExtended TextToFloatOrZero(std::string_view text);

std::string IntToText(std::int32_t value);
// General format with 15 significant digits: fixed notation for 1E-5 <= |x| < 1E15, otherwise
// mantissa + "E" + exponent ("-" only when negative, no leading zeros); trailing zeros dropped.
std::string FloatToText(TExtended value);

// Truncation toward zero, keeping the low 32 bits of the 64-bit result. NaN, infinities and values
// outside the 64-bit range give 0, as the original's out-of-range truncation does.
std::int32_t FloatToInt(TExtended value);

}  // namespace vorn
