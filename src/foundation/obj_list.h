#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "foundation/list_error.h"

namespace vorn {

// An ordered list that owns its objects: Delete and Clear free them.
template <class T>
class TObjList {
 public:
  TObjList() = default;
  virtual ~TObjList() = default;
  TObjList(const TObjList&) = delete;
  TObjList& operator=(const TObjList&) = delete;
  TObjList(TObjList&&) noexcept = default;
  TObjList& operator=(TObjList&&) noexcept = default;

  T& Add(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return *items_.back();
  }
  T& Insert(int index, std::unique_ptr<T> item) {
    if (index < 0 || index > Count()) ThrowListIndexError(index);
    return **items_.insert(items_.begin() + index, std::move(item));
  }
  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  T& operator[](int index) const { return *items_[Checked(index)]; }
  T* Get(int index) const { return items_[Checked(index)].get(); }
  T& Last() const { return *items_[Checked(Count() - 1)]; }
  int IndexOf(const T* item) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (items_[i].get() == item) return static_cast<int>(i);
    }
    return -1;
  }
  // Frees the index-th object and removes it.
  void Delete(int index) { items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(Checked(index))); }
  // Removes the index-th object without freeing it.
  std::unique_ptr<T> Extract(int index) {
    const std::size_t i = Checked(index);
    std::unique_ptr<T> item = std::move(items_[i]);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    return item;
  }
  // Frees the object when it is in the list; returns its former index or -1.
  int Remove(const T* item) {
    const int index = IndexOf(item);
    if (index >= 0) Delete(index);
    return index;
  }
  // Frees every object, then empties the list. An object's destructor may still look at the
  // list while it runs, so the objects are taken out first.
  void Clear() {
    std::vector<std::unique_ptr<T>> old = std::move(items_);
    items_.clear();
    old.clear();
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::size_t Checked(int index) const {
    if (index < 0 || index >= Count()) ThrowListIndexError(index);
    return static_cast<std::size_t>(index);
  }
  std::vector<std::unique_ptr<T>> items_;
};

}  // namespace vorn
