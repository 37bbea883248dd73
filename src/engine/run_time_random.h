#pragma once

#include <cstdint>

namespace vorn {

// The process-wide random generator of scripts and components (not the shuffle bag).
void Randomize(std::uint64_t seed);
// Uniform integer 0..n-1; 0 when n <= 0.
std::int32_t Random(std::int32_t n);
// Uniform real in [0, 1).
double RandomReal();

}  // namespace vorn
