#pragma once

// Every playing sound, piece of music or movie: one set of operations whatever plays it. The base
// answers 0 or false and does nothing; each kind overrides what it plays.

#include <cstdint>

namespace vorn {

class TMediaManager;

class TDMediaItem {
 public:
  explicit TDMediaItem(TMediaManager* manager) : manager_(manager) {}
  virtual ~TDMediaItem() = default;
  TDMediaItem(const TDMediaItem&) = delete;
  TDMediaItem& operator=(const TDMediaItem&) = delete;

  virtual bool GetAutoRepeat() { return false; }
  virtual void SetAutoRepeat(bool) {}
  virtual std::int32_t GetPan() { return 0; }
  virtual std::int32_t GetVolume() { return 0; }
  virtual void SetPan(std::int32_t) {}
  virtual void SetVolume(std::int32_t) {}
  // Milliseconds.
  virtual std::int32_t GetPosition() { return 0; }
  virtual void SetPosition(std::int32_t) {}
  virtual std::int32_t GetLength() { return 0; }
  virtual bool IsEnd() { return false; }
  virtual void Reserved() {}
  virtual bool IsPlaying() { return false; }
  virtual bool IsPaused() { return false; }
  virtual void Play() {}
  virtual void Pause() {}

  TMediaManager* manager() const { return manager_; }
  // Set when the manager paused the item (or a Play waited for the manager to come on).
  bool resume_mark = false;

 private:
  TMediaManager* manager_;
};

}  // namespace vorn
