#pragma once

// Script date-times: a float counting days since 1899-12-30, with the time of day as its fraction.
// Negative values count back from that day while their fraction still runs forward from midnight
// (-1.25 is 1899-12-29 06:00). Dates run from 0001-01-01 to 9999-12-31 in the proleptic Gregorian
// calendar.

#include <cstdint>

#include "engine/extended_float.h"

namespace vorn {

inline constexpr std::int64_t kMsPerDay = 86400000;

struct TDateTimeParts {
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
  std::int32_t hour = 0;
  std::int32_t minute = 0;
  std::int32_t second = 0;
  std::int32_t millisecond = 0;
  std::int32_t week = 0;  // 1 Sunday .. 7 Saturday
};

// False for an impossible date (year outside 1..9999, month outside 1..12, no such day).
bool TryEncodeDate(std::int32_t year, std::int32_t month, std::int32_t day, TExtended& value);
// False for an hour outside 0..23, minute or second outside 0..59, millisecond outside 0..999.
bool TryEncodeTime(std::int32_t hour, std::int32_t minute, std::int32_t second, std::int32_t millisecond,
                   TExtended& value);
// Rounds to whole milliseconds once and splits that count, so date and time always agree
// (0.9999999999 is the next day at 00:00:00). False for NaN, infinities and values whose date lies
// outside 0001-01-01..9999-12-31.
bool TryDecodeDateTime(TExtended value, TDateTimeParts& parts);

}  // namespace vorn
