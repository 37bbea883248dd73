#include "text/decorate.h"

#include <functional>

namespace vorn {

std::size_t TDecorateValuesHash::operator()(const TDecorateValues& v) const {
  std::size_t h = std::hash<std::string>{}(v.face);
  auto mix = [&h](std::size_t x) { h ^= x + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2); };
  mix(std::hash<std::string>{}(v.ruby));
  mix(static_cast<std::uint32_t>(v.color));
  mix(static_cast<std::uint32_t>(v.border_color));
  mix(static_cast<std::uint32_t>(v.shadow_color));
  mix(static_cast<std::uint32_t>(v.size));
  mix(v.style | (static_cast<std::size_t>(v.no_break) << 8));
  mix(static_cast<std::uint32_t>(v.border));
  mix(static_cast<std::uint32_t>(v.shadow));
  return h;
}

TDecorate* TDecorateList::NewRecord(const TDecorateValues& values, std::int32_t count) {
  records_.emplace_back();
  TDecorate& record = records_.back();
  record.count = count;
  record.values = values;
  record.self_ = std::prev(records_.end());
  if (!index_.try_emplace(values, &record).second) ++duplicates_;
  return &record;
}

TDecorate* TDecorateList::Acquire(const TDecorateValues& values) {
  auto found = index_.find(values);
  if (found != index_.end()) {
    ++found->second->count;
    return found->second;
  }
  return NewRecord(values, 1);
}

TDecorate* TDecorateList::Append(const TDecorateValues& values, std::int32_t count) {
  return NewRecord(values, count);
}

void TDecorateList::Unindex(TDecorate* record) {
  auto found = index_.find(record->values);
  if (found == index_.end() || found->second != record) {
    if (duplicates_ > 0) --duplicates_;
    return;
  }
  index_.erase(found);
  if (duplicates_ == 0) return;
  // A later record with the same values now answers for them.
  for (auto it = std::next(record->self_); it != records_.end(); ++it) {
    if (it->values == record->values) {
      index_.emplace(record->values, &*it);
      --duplicates_;
      return;
    }
  }
}

void TDecorateList::Erase(TDecorate* record) {
  Unindex(record);
  records_.erase(record->self_);
}

void TDecorateList::Release(TDecorate* record) {
  if (record == nullptr) return;
  if (--record->count <= 0) Erase(record);
}

void TDecorateList::Change(TDecorate*& holder, const TDecorateValues& values) {
  if (holder == nullptr) {
    holder = Acquire(values);
    return;
  }
  if (holder->values == values) return;
  auto found = index_.find(values);
  if (found != index_.end()) {
    TDecorate* other = found->second;
    ++other->count;
    Release(holder);
    holder = other;
  } else if (holder->count > 1) {
    --holder->count;
    holder = NewRecord(values, 1);
  } else {
    Unindex(holder);
    holder->values = values;
    if (!index_.try_emplace(values, holder).second) ++duplicates_;
  }
}

int TDecorateList::IndexOf(const TDecorate* record) const {
  int index = 0;
  for (const TDecorate& r : records_) {
    if (&r == record) return index;
    ++index;
  }
  return -1;
}

void TDecorateList::Clear() {
  index_.clear();
  records_.clear();
  duplicates_ = 0;
}

}  // namespace vorn
