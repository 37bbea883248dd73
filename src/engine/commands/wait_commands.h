#pragma once

// Commands that hold the script for time, a condition or events, switch the screen layers through
// a transition, and stop, restart or close media and menus.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/command.h"
#include "engine/script_object.h"

namespace vorn {

class TComWait : public TComRecord {
 public:
  explicit TComWait(TPage* page) : TComRecord(page, 7) {}
  bool BlocksEvents() const override { return event_block_; }
  bool IsWaiting() const override { return true; }
  void Enter(TCallMan& callman) override;
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
  void SaveState(std::unique_ptr<TMemoryStream>& stream) override;
  void LoadState(TStream& stream) override;

  std::int32_t TimeLeft() const { return time_left_; }
  std::int32_t StartDelay() const { return start_delay_; }

 private:
  std::int32_t time_left_ = 0;
  std::int32_t start_delay_ = 0;
  bool event_block_ = false;
};

class TComDoEvent : public TComRecord {
 public:
  explicit TComDoEvent(TPage* page) : TComRecord(page, 46) {}
  bool GetRunFlag() const override { return false; }
  bool IsWaiting() const override { return true; }
};

class TComFlip : public TComRecord {
 public:
  // Phases of a flip: entered, first step done, transition running, no transition.
  enum : std::uint8_t { kEntered = 0, kArmed = 1, kRunning = 2, kNoTransition = 3 };

  explicit TComFlip(TPage* page) : TComRecord(page, 13) {}
  bool BlocksEvents() const override { return event_block_; }
  bool IsWaiting() const override;
  void Enter(TCallMan& callman) override;
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
  void Finish() override;
  void SaveState(std::unique_ptr<TMemoryStream>& stream) override;
  void LoadState(TStream& stream) override;

  std::uint8_t Phase() const { return phase_; }
  bool ClearOld() const { return clear_old_; }

 private:
  TVornParser* CarryName(std::int32_t i) const;
  // The stored fields after the carry names, by position in the record.
  TVornParser* After(std::int32_t offset) const;
  void CarryChildren(std::int32_t mode);
  // Back to the other layer without a transition; the frozen picture goes.
  void SwitchBack();
  void ClearInactiveLayer(bool keep_cabinets);

  std::uint8_t phase_ = kEntered;
  std::int32_t start_time_ = 0;
  // Only while Enter runs: the lines of the carry-name strings.
  std::vector<std::string> carry_names_;
  TObjectHandle frozen_;
  bool event_block_ = false;
  bool clear_old_ = false;
};

class TComMovieStop : public TComRecord {
 public:
  explicit TComMovieStop(TPage* page) : TComRecord(page, 21) {}
  bool BlocksEvents() const override { return event_block_; }
  bool IsWaiting() const override { return waiting_; }
  void Enter(TCallMan& callman) override;
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
  void SaveState(std::unique_ptr<TMemoryStream>& stream) override;
  void LoadState(TStream& stream) override;

  // The object being faded out, or null.
  TScriptObject* Target() const;

 private:
  TObjectHandle target_;
  bool waiting_ = false;
  bool event_block_ = false;
};

class TComMediaPlay : public TComRecord {
 public:
  explicit TComMediaPlay(TPage* page) : TComRecord(page, 55) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComMenuClose : public TComRecord {
 public:
  explicit TComMenuClose(TPage* page) : TComRecord(page, 26) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

}  // namespace vorn
