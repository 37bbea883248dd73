#include "foundation/vr_cache.h"

#include <algorithm>
#include <cstdio>

#include "foundation/path_utils.h"
#include "foundation/sjis.h"

namespace vorn {

TVrCache& TVrCacheList::Find(std::string_view name) {
  const std::string key = Cp932UpperCase(name);
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->name == key) {
      entries_.splice(entries_.begin(), entries_, it);
      return entries_.front();
    }
  }
  entries_.emplace_front();
  entries_.front().name = key;
  while (entries_.size() > 1 && TotalSize() > kCapacityBytes) entries_.pop_back();
  return entries_.front();
}

void TVrCacheList::Drop(TVrCache& entry) {
  entries_.remove_if([&entry](const TVrCache& candidate) { return &candidate == &entry; });
}

void TVrCacheList::Remove(std::string_view name) {
  const std::string key = Cp932UpperCase(name);
  entries_.remove_if([&key](const TVrCache& candidate) { return candidate.name == key; });
}

std::int64_t TVrCacheList::TotalSize() const {
  std::int64_t total = 0;
  for (const auto& entry : entries_) total += entry.data.Size();
  return total;
}

std::string TVrLockData::TempFileName() const {
  char digits[16];
  std::snprintf(digits, sizeof digits, "~vo%08X", static_cast<unsigned>(id));
  const std::size_t delimiter = LastPathDelimiter(name);
  const std::size_t start = delimiter == std::string::npos ? 0 : delimiter + 1;
  const std::size_t dot = name.rfind('.');
  const std::string extension = (dot == std::string::npos || dot < start) ? std::string() : name.substr(dot);
  return temp_dir + digits + extension;
}

TVrLockData& TVrLockList::NewLock(std::string_view name) {
  auto lock = std::make_unique<TVrLockData>();
  lock->name = std::string(name);
  lock->id = next_id_;
  lock->lock_count = 1;
  lock->temp_dir = temp_dir_;
  auto in_use = [this](int id) {
    return std::any_of(active_.begin(), active_.end(), [id](const auto& other) { return other->id == id; });
  };
  do {
    next_id_ = next_id_ == INT32_MAX ? 0 : next_id_ + 1;
  } while (in_use(next_id_) || next_id_ == lock->id);
  active_.push_back(std::move(lock));
  return *active_.back();
}

int TVrLockList::IndexOfName(std::string_view name) const {
  for (std::size_t i = 0; i < active_.size(); ++i) {
    if (active_[i]->name == name) return static_cast<int>(i);
  }
  return -1;
}

TVrLockData* TVrLockList::GetLock(int index) const {
  if (index < 0 || index >= static_cast<int>(active_.size())) return nullptr;
  return active_[static_cast<std::size_t>(index)].get();
}

void TVrLockList::Release(int index, int hold_ms) {
  if (!GetLock(index)) return;
  auto lock = std::move(active_[static_cast<std::size_t>(index)]);
  active_.erase(active_.begin() + index);
  lock->hold_time = hold_ms;
  released_.push_back(std::move(lock));
}

void TVrLockList::Abandon(int index) {
  if (!GetLock(index)) return;
  active_.erase(active_.begin() + index);
}

void TVrLockList::Tick(int frame_ms) {
  for (std::size_t i = released_.size(); i-- > 0;) {
    auto& lock = *released_[i];
    lock.hold_time = static_cast<int>(std::max<std::int64_t>(static_cast<std::int64_t>(lock.hold_time) - frame_ms, INT32_MIN));
    if (lock.hold_time <= 0) {
      auto freed = std::move(released_[i]);
      released_.erase(released_.begin() + static_cast<std::ptrdiff_t>(i));
      Free(std::move(freed));
    }
  }
}

void TVrLockList::Clear() {
  auto active = std::move(active_);
  auto released = std::move(released_);
  active_.clear();
  released_.clear();
  for (auto& lock : active) Free(std::move(lock));
  for (auto& lock : released) Free(std::move(lock));
}

void TVrLockList::Free(std::unique_ptr<TVrLockData> lock) {
  if (on_freed_) on_freed_(lock->TempFileName());
}

}  // namespace vorn
