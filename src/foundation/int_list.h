#pragma once

#include <cstdint>
#include <vector>

#include "foundation/list_error.h"

namespace vorn {

// A list of 32-bit integers. SetItem grows the list with zeros up to the index.
class TIntList {
 public:
  int Add(std::int32_t value) {
    items_.push_back(value);
    return Count() - 1;
  }
  std::int32_t GetItem(int index) const {
    if (index < 0 || index >= Count()) ThrowListIndexError(index);
    return items_[static_cast<std::size_t>(index)];
  }
  void SetItem(int index, std::int32_t value) {
    if (index < 0) ThrowListIndexError(index);
    if (index >= Count()) items_.resize(static_cast<std::size_t>(index) + 1, 0);
    items_[static_cast<std::size_t>(index)] = value;
  }
  void Delete(int index) {
    if (index < 0 || index >= Count()) ThrowListIndexError(index);
    items_.erase(items_.begin() + index);
  }
  int IndexOf(std::int32_t value) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (items_[i] == value) return static_cast<int>(i);
    }
    return -1;
  }
  int Count() const { return static_cast<int>(items_.size()); }
  void Clear() { items_.clear(); }
  const std::vector<std::int32_t>& Items() const { return items_; }

 private:
  std::vector<std::int32_t> items_;
};

// A growable array of 32-bit integers.
class TIntArray {
 public:
  void Add(std::int32_t value) { items_.push_back(value); }
  int GetCount() const { return static_cast<int>(items_.size()); }
  int Count() const { return GetCount(); }
  std::int32_t GetItem(int index) const {
    if (index < 0 || index >= GetCount()) ThrowListIndexError(index);
    return items_[static_cast<std::size_t>(index)];
  }
  void SetItem(int index, std::int32_t value) {
    if (index < 0 || index >= GetCount()) ThrowListIndexError(index);
    items_[static_cast<std::size_t>(index)] = value;
  }
  void Clear() { items_.clear(); }
  const std::vector<std::int32_t>& Items() const { return items_; }

 private:
  std::vector<std::int32_t> items_;
};

}  // namespace vorn
