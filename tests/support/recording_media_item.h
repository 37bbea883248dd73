#pragma once

#include <string>
#include <vector>

#include "media/media_item.h"

namespace vorn::testing {

// A media item that plays until paused and writes "<name>.Pause" and "<name>.Play" to a log, so
// a test sees which managers paused and resumed their items, and in which order.
class RecordingMediaItem final : public TDMediaItem {
 public:
  RecordingMediaItem(TMediaManager* manager, std::string name, std::vector<std::string>& log)
      : TDMediaItem(manager), name_(std::move(name)), log_(log) {}
  bool IsPlaying() override { return playing_; }
  void Play() override {
    playing_ = true;
    log_.push_back(name_ + ".Play");
  }
  void Pause() override {
    playing_ = false;
    log_.push_back(name_ + ".Pause");
  }

 private:
  bool playing_ = true;
  std::string name_;
  std::vector<std::string>& log_;
};

}  // namespace vorn::testing
