#include "engine/run_time_random.h"

namespace vorn {
namespace {

std::uint64_t state = 0x853C49E6748FEA9Bull;

// splitmix64: small, fast and good enough for game randomness.
std::uint64_t Next() {
  state += 0x9E3779B97F4A7C15ull;
  std::uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

void Randomize(std::uint64_t seed) { state = seed; }

std::int32_t Random(std::int32_t n) {
  if (n <= 0) return 0;
  return static_cast<std::int32_t>(((Next() >> 32) * static_cast<std::uint64_t>(n)) >> 32);
}

double RandomReal() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

}  // namespace vorn
