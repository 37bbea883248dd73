#pragma once

#include <cstdint>
#include <vector>

namespace vorn {

// A deterministic shuffle bag: the same increment gives the same sequence on every machine, which
// the archive directory scrambling, scrambled images and transitions rely on. Not a source of
// chance.
class TZkRandom {
 public:
  explicit TZkRandom(std::uint32_t increment) : increment_(increment) {}

  // Fills the bag with 0 .. n-1 in order; the state stays as it is.
  void Reset(int n);
  // Advances the state and takes bag[state mod left] out of the bag. Raises EListError when the
  // bag is empty.
  int Next();
  // Advances the state and returns it, signed. Shares the state with Next.
  std::int32_t NextRaw();

  std::uint32_t Seed() const { return state_; }
  void SetSeed(std::uint32_t seed) { state_ = seed; }
  std::uint32_t Increment() const { return increment_; }
  int Left() const { return static_cast<int>(bag_.size()); }
  int BagSize() const { return bag_size_; }

 private:
  std::uint32_t Advance() { return state_ = state_ * 5u + increment_; }

  std::uint32_t increment_;
  std::uint32_t state_ = 0;
  std::vector<int> bag_;
  int bag_size_ = 0;
};

}  // namespace vorn
