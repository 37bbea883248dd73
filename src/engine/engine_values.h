#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorn::platform {
class Clock;
}

namespace vorn {

// Process-wide values of the frame loop. Clock values are 32-bit and wrap modulo 2^32 (the game
// clock after 24.8 days of play); code adds to them only through the helpers below, because
// signed overflow is undefined.
extern bool StopFlag;             // set to end the program
extern std::int32_t GameClock;    // ms of game time; grows only while frames run
extern std::int32_t FrameDelta;   // ms between the last two idle calls that ran a frame
extern std::int32_t FrameCount;   // frames run
inline constexpr std::int32_t FrameWait = 16;  // ms of one frame under the fixed wait

// The sound options read from game.ini at start.
extern bool DirectSoundOption;
extern std::int32_t DelayTimeOption;

// Back to the start values (a test or headless run may start the player more than once).
void ResetEngineValues();
void AdvanceGameClock(std::uint32_t gap_ms);
void IncrementFrameCount();

// The clock the date functions read the local time from (the platform's; none: a fixed date).
void SetEngineClock(platform::Clock* clock);
// The clock set last, or null.
platform::Clock* GetEngineClock();
// Local time as days since 1899-12-30 with the time of day as fraction, computed once per game
// clock value, so every read within one frame gives the same moment.
double CurrentDateTime();

// Files that system functions ask to delete when the program ends; the program body owns it.
class TDeleteAtExitList {
 public:
  // A path listed already is not added again.
  void Add(const std::string& path);
  const std::vector<std::string>& paths() const { return paths_; }
  // Deletes every file, ignoring errors, and empties the list.
  void DeleteAll();

 private:
  std::vector<std::string> paths_;
};

// The program body's list while it runs; null otherwise.
extern TDeleteAtExitList* DeleteAtExit;

}  // namespace vorn
