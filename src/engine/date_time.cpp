#include "engine/date_time.h"

#include <cmath>

namespace vorn {
namespace {

// Days from 1970-01-01 to 1899-12-30.
constexpr std::int64_t kEpochShift = -25569;
constexpr std::int64_t kFirstDay = -693593;  // 0001-01-01
constexpr std::int64_t kLastDay = 2958465;   // 9999-12-31

bool IsLeapYear(std::int64_t y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

std::int32_t DaysInMonth(std::int32_t year, std::int32_t month) {
  static constexpr std::int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Day count from 1970-01-01 of a proleptic Gregorian date, and back (eras of 400 years).
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, TDateTimeParts& parts) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  parts.day = static_cast<std::int32_t>(doy - (153 * mp + 2) / 5 + 1);
  parts.month = static_cast<std::int32_t>(month);
  parts.year = static_cast<std::int32_t>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

bool TryEncodeDate(std::int32_t year, std::int32_t month, std::int32_t day, TExtended& value) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  value = static_cast<TExtended>(DaysFromCivil(year, month, day) - kEpochShift);
  return true;
}

bool TryEncodeTime(std::int32_t hour, std::int32_t minute, std::int32_t second, std::int32_t millisecond,
                   TExtended& value) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
  if (millisecond < 0 || millisecond > 999) return false;
  const std::int64_t ms = ((std::int64_t{hour} * 60 + minute) * 60 + second) * 1000 + millisecond;
  value = static_cast<TExtended>(ms) / static_cast<TExtended>(kMsPerDay);
  return true;
}

bool TryDecodeDateTime(TExtended value, TDateTimeParts& parts) {
  // A margin of a day on either side keeps the millisecond count far inside 64 bits; the day
  // check below decides.
  if (!(value > static_cast<TExtended>(kFirstDay - 2) && value < static_cast<TExtended>(kLastDay + 2))) return false;
  const std::int64_t ms = std::llroundl(value * static_cast<TExtended>(kMsPerDay));
  const std::int64_t day = ms / kMsPerDay;
  if (day < kFirstDay || day > kLastDay) return false;
  std::int64_t time = ms % kMsPerDay;
  if (time < 0) time = -time;
  CivilFromDays(day + kEpochShift, parts);
  parts.hour = static_cast<std::int32_t>(time / 3600000);
  parts.minute = static_cast<std::int32_t>(time / 60000 % 60);
  parts.second = static_cast<std::int32_t>(time / 1000 % 60);
  parts.millisecond = static_cast<std::int32_t>(time % 1000);
  // Day 0 was a Saturday.
  parts.week = static_cast<std::int32_t>(((day % 7 + 7) % 7 + 6) % 7 + 1);
  return true;
}

}  // namespace vorn
