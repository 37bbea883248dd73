#include "engine/engine_values.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/clock.h"

namespace vorn {

bool StopFlag = false;
std::int32_t GameClock = 0;
std::int32_t FrameDelta = 0;
std::int32_t FrameCount = 0;
bool DirectSoundOption = true;
std::int32_t DelayTimeOption = 500;
TDeleteAtExitList* DeleteAtExit = nullptr;

namespace {

platform::Clock* engine_clock = nullptr;
std::int64_t date_time_clock = -1;  // the game clock of the last computation
double date_time_value = 0.0;

// Days from 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

constexpr std::int64_t kDaysFrom1899To1970 = 25569;

}  // namespace

void ResetEngineValues() {
  StopFlag = false;
  GameClock = 0;
  FrameDelta = 0;
  FrameCount = 0;
  DirectSoundOption = true;
  DelayTimeOption = 500;
  date_time_clock = -1;
  date_time_value = 0.0;
}

void AdvanceGameClock(std::uint32_t gap_ms) {
  GameClock = static_cast<std::int32_t>(static_cast<std::uint32_t>(GameClock) + gap_ms);
}

void IncrementFrameCount() { FrameCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(FrameCount) + 1u); }

void SetEngineClock(platform::Clock* clock) {
  engine_clock = clock;
  date_time_clock = -1;
}

platform::Clock* GetEngineClock() { return engine_clock; }

double CurrentDateTime() {
  if (date_time_clock == GameClock) return date_time_value;
  platform::LocalTime now;
  if (engine_clock != nullptr) now = engine_clock->Now();
  const std::int64_t days = DaysFromCivil(now.year, now.month, now.day) + kDaysFrom1899To1970;
  const double seconds = now.hour * 3600.0 + now.minute * 60.0 + now.second + now.millisecond / 1000.0;
  date_time_value = static_cast<double>(days) + seconds / 86400.0;
  date_time_clock = GameClock;
  return date_time_value;
}

void TDeleteAtExitList::Add(const std::string& path) {
  if (std::find(paths_.begin(), paths_.end(), path) == paths_.end()) paths_.push_back(path);
}

void TDeleteAtExitList::DeleteAll() {
  for (const std::string& path : paths_) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  paths_.clear();
}

}  // namespace vorn
