#include "graphics/blit_vector.h"

#include <algorithm>
#include <cstring>

#include "graphics/blit_common.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#define VORN_HAVE_AVX2_LOOPS 1
#endif

#include "graphics/vector_unit.h"

namespace vorn::blit::vec {

#if defined(__SSE2__)

bool Compiled() { return true; }

namespace {

inline __m128i Load(const std::uint32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store(std::uint32_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
// mask ? a : b
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

}  // namespace

#if defined(VORN_HAVE_AVX2_LOOPS)
namespace {

// Wide twins of the SSE2 loops below: eight pixels a step.
__attribute__((target("avx2"))) int AddRow32Wide(std::uint32_t* d, const std::uint32_t* s, int n,
                                                 std::uint32_t w, bool keyed, std::uint32_t key) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i wv = _mm256_set1_epi16(static_cast<short>(w));
  const __m256i k = _mm256_set1_epi32(static_cast<int>(key));
  const __m256i channels = _mm256_set1_epi32(0x00FFFFFF);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(sv, zero), wv), 8);
    const __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(sv, zero), wv), 8);
    const __m256i sum = _mm256_and_si256(
        _mm256_adds_epu8(_mm256_and_si256(dv, channels), _mm256_packus_epi16(lo, hi)), channels);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                        keyed ? _mm256_blendv_epi8(sum, dv, _mm256_cmpeq_epi32(sv, k)) : sum);
  }
  return i;
}

__attribute__((target("avx2"))) int CopyKeyedRow32Wide(std::uint32_t* d, const std::uint32_t* s,
                                                       int n, std::uint32_t key) {
  const __m256i k = _mm256_set1_epi32(static_cast<int>(key));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                        _mm256_blendv_epi8(sv, dv, _mm256_cmpeq_epi32(sv, k)));
  }
  return i;
}

}  // namespace
#endif

void CopyKeyedRow32(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t key) {
#if defined(VORN_HAVE_AVX2_LOOPS)
  if (VectorUnitWideAvailable()) {
    const int done = CopyKeyedRow32Wide(d, s, n, key);
    d += done;
    s += done;
    n -= done;
  }
#endif
  const __m128i k = _mm_set1_epi32(static_cast<int>(key));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = Load(s + i);
    const __m128i skip = _mm_cmpeq_epi32(sv, k);
    Store(d + i, Select(skip, Load(d + i), sv));
  }
  for (; i < n; ++i)
    if (s[i] != key) d[i] = s[i];
}

#if defined(VORN_HAVE_AVX2_LOOPS)
namespace {

// The wide twin of the SSE2 loop below: eight pixels a step.
__attribute__((target("avx2"))) int BlendRow32Wide(std::uint32_t* d, const std::uint32_t* s, int n,
                                                   std::uint32_t w, bool keyed, std::uint32_t key,
                                                   std::uint32_t keepBytes, bool skipEqual) {
  const __m256i kept = _mm256_set1_epi32(static_cast<int>(keepBytes));
  const __m256i zero = _mm256_setzero_si256();
  const __m256i ws = _mm256_set1_epi16(static_cast<short>(w));
  const __m256i wd = _mm256_set1_epi16(static_cast<short>(255 - w));
  const __m256i k = _mm256_set1_epi32(static_cast<int>(key));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i lo = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(dv, zero), wd),
                         _mm256_mullo_epi16(_mm256_unpacklo_epi8(sv, zero), ws)),
        8);
    const __m256i hi = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(dv, zero), wd),
                         _mm256_mullo_epi16(_mm256_unpackhi_epi8(sv, zero), ws)),
        8);
    __m256i keep = skipEqual ? _mm256_cmpeq_epi32(sv, dv) : _mm256_setzero_si256();
    if (keyed) keep = _mm256_or_si256(keep, _mm256_cmpeq_epi32(sv, k));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                        _mm256_blendv_epi8(_mm256_and_si256(_mm256_packus_epi16(lo, hi), kept), dv, keep));
  }
  return i;
}

}  // namespace
#endif

namespace {

void BlendRowWith(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t w, bool keyed,
                  std::uint32_t key, std::uint32_t keepBytes, bool skipEqual) {
#if defined(VORN_HAVE_AVX2_LOOPS)
  if (VectorUnitWideAvailable()) {
    const int done = BlendRow32Wide(d, s, n, w, keyed, key, keepBytes, skipEqual);
    d += done;
    s += done;
    n -= done;
  }
#endif
  const __m128i zero = _mm_setzero_si128();
  const __m128i ws = _mm_set1_epi16(static_cast<short>(w));
  const __m128i wd = _mm_set1_epi16(static_cast<short>(255 - w));
  const __m128i k = _mm_set1_epi32(static_cast<int>(key));
  const __m128i kept = _mm_set1_epi32(static_cast<int>(keepBytes));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = Load(s + i);
    const __m128i dv = Load(d + i);
    // (255 - w) x d + w x s is at most 255 x 255: it fits unsigned 16-bit lanes.
    const __m128i lo = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), wd),
                      _mm_mullo_epi16(_mm_unpacklo_epi8(sv, zero), ws)),
        8);
    const __m128i hi = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), wd),
                      _mm_mullo_epi16(_mm_unpackhi_epi8(sv, zero), ws)),
        8);
    __m128i keep = skipEqual ? _mm_cmpeq_epi32(sv, dv) : _mm_setzero_si128();
    if (keyed) keep = _mm_or_si128(keep, _mm_cmpeq_epi32(sv, k));
    Store(d + i, Select(keep, dv, _mm_and_si128(_mm_packus_epi16(lo, hi), kept)));
  }
  for (; i < n; ++i) {
    if ((keyed && s[i] == key) || (skipEqual && s[i] == d[i])) continue;
    d[i] = Blend4(d[i], s[i], w) & keepBytes;
  }
}

}  // namespace

void BlendRow32(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t w, bool keyed,
                std::uint32_t key) {
  BlendRowWith(d, s, n, w, keyed, key, 0xFFFFFFFFu, true);
}

void BlendRowChannels32(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t w,
                        bool keyed, std::uint32_t key) {
  BlendRowWith(d, s, n, w, keyed, key, 0x00FFFFFFu, false);
}

void AddRow32(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t w, bool keyed,
              std::uint32_t key) {
#if defined(VORN_HAVE_AVX2_LOOPS)
  if (VectorUnitWideAvailable()) {
    const int done = AddRow32Wide(d, s, n, w, keyed, key);
    d += done;
    s += done;
    n -= done;
  }
#endif
  const __m128i zero = _mm_setzero_si128();
  const __m128i wv = _mm_set1_epi16(static_cast<short>(w));
  const __m128i k = _mm_set1_epi32(static_cast<int>(key));
  const __m128i channels = _mm_set1_epi32(0x00FFFFFF);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = Load(s + i);
    const __m128i dv = Load(d + i);
    // w x s is at most 256 x 255: it fits unsigned 16-bit lanes.
    const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(sv, zero), wv), 8);
    const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(sv, zero), wv), 8);
    const __m128i sum =
        _mm_and_si128(_mm_adds_epu8(_mm_and_si128(dv, channels), _mm_packus_epi16(lo, hi)), channels);
    Store(d + i, keyed ? Select(_mm_cmpeq_epi32(sv, k), dv, sum) : sum);
  }
  const Channels c{0xFF0000u, 0xFF00u, 0xFFu};
  for (; i < n; ++i) {
    if (keyed && s[i] == key) continue;
    d[i] = WeightedAdd(d[i], s[i], w, c);
  }
}

#else

bool Compiled() { return false; }
void CopyKeyedRow32(std::uint32_t*, const std::uint32_t*, int, std::uint32_t) {}
void BlendRow32(std::uint32_t*, const std::uint32_t*, int, std::uint32_t, bool, std::uint32_t) {}
void BlendRowChannels32(std::uint32_t*, const std::uint32_t*, int, std::uint32_t, bool, std::uint32_t) {}
void AddRow32(std::uint32_t*, const std::uint32_t*, int, std::uint32_t, bool, std::uint32_t) {}

#endif

}  // namespace vorn::blit::vec
