#include "media/media_manager.h"

#include <algorithm>

namespace vorn {

TMediaManager::~TMediaManager() { FreeItems(); }

void TMediaManager::FreeItems() {
  // Freed one at a time from the end, so an item's destructor still finds its manager whole.
  while (!items_.empty()) items_.pop_back();
}

TDMediaItem* TMediaManager::Append(std::unique_ptr<TDMediaItem> item) {
  items_.push_back(std::move(item));
  return items_.back().get();
}

bool TMediaManager::Contains(const TDMediaItem* item) const {
  return std::any_of(items_.begin(), items_.end(), [item](const auto& owned) { return owned.get() == item; });
}

void TMediaManager::Remove(TDMediaItem* item) {
  std::erase_if(items_, [item](const auto& owned) { return owned.get() == item; });
}

void TMediaManager::PauseAll() {
  if (!Switched() || paused_all_) return;
  paused_all_ = true;
  for (auto& item : items_) {
    if (item->IsPlaying() && !item->IsPaused() && !item->IsEnd()) {
      item->Pause();
      item->resume_mark = true;
    } else {
      item->resume_mark = false;
    }
  }
}

void TMediaManager::ResumeAll() {
  if (!Switched() || !paused_all_) return;
  paused_all_ = false;
  for (auto& item : items_) {
    if (!item->resume_mark) continue;
    item->Play();
    item->resume_mark = false;
  }
}

void TMediaManager::SetActive(bool active) {
  if (active == active_) return;
  if (!active) {
    PauseAll();
    active_ = false;
  } else {
    active_ = true;
    ResumeAll();
  }
}

}  // namespace vorn
