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

// a * b / den taken to the nearest integer, halves to even, without overflow for any 64-bit factors
// whose product fits 127 bits; the result is limited to the 64-bit range. den must not be 0.
inline std::int64_t MulDivHalfEven(std::int64_t a, std::int64_t b, std::int64_t den) {
  __extension__ using Wide = __int128;
  Wide num = static_cast<Wide>(a) * b;
  Wide d = den;
  if (d < 0) {
    num = -num;
    d = -d;
  }
  Wide quotient = num / d;
  Wide remainder = num % d;
  if (remainder < 0) {
    quotient -= 1;
    remainder += d;
  }
  const Wide twice = remainder * 2;
  if (twice > d || (twice == d && (quotient & 1) != 0)) quotient += 1;
  const Wide high = INT64_MAX;
  const Wide low = INT64_MIN;
  return static_cast<std::int64_t>(quotient > high ? high : quotient < low ? low : quotient);
}

}  // namespace vorn
