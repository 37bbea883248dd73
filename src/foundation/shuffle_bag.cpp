#include "foundation/shuffle_bag.h"

#include "foundation/list_error.h"

namespace vorn {

void TZkRandom::Reset(int n) {
  bag_.clear();
  bag_size_ = n > 0 ? n : 0;
  bag_.reserve(static_cast<std::size_t>(bag_size_));
  for (int i = 0; i < bag_size_; ++i) bag_.push_back(i);
}

int TZkRandom::Next() {
  if (bag_.empty()) throw EListError("Shuffle bag is empty");
  const std::size_t i = Advance() % bag_.size();
  const int value = bag_[i];
  bag_.erase(bag_.begin() + static_cast<std::ptrdiff_t>(i));
  return value;
}

std::int32_t TZkRandom::NextRaw() { return static_cast<std::int32_t>(Advance()); }

}  // namespace vorn
