#pragma once

#include <cstdint>

namespace vorn {

// num / den taken to the nearest integer, halves to even; den must not be 0.
inline std::int64_t RoundDivHalfEven(std::int64_t num, std::int64_t den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  std::int64_t quotient = num / den;
  std::int64_t remainder = num % den;
  if (remainder < 0) {  // floor division, remainder in [0, den)
    quotient -= 1;
    remainder += den;
  }
  const std::int64_t twice = remainder * 2;
  if (twice > den || (twice == den && (quotient & 1) != 0)) quotient += 1;
  return quotient;
}

}  // namespace vorn
