// Vector loops of the blits weighted per pixel by an 8-bit mask or alpha plane. Mask bytes are
// looked at a group at a time before any pixel is loaded, so the long transparent runs around a
// sprite cost one compare per group and the opaque runs of a copy one move.
#include <cstring>

#include "graphics/blit_common.h"
#include "graphics/blit_vector.h"

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

namespace {

inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// Four pixels of a masked row. m16 holds the four mask values in its low 16-bit lanes.
inline __m128i MaskStep4(__m128i dv, __m128i sv, __m128i m16, const MaskRow& r, __m128i full16,
                         __m128i keep) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i all = _mm_set1_epi16(255);
  __m128i w16 = m16;
  if (r.rule != MaskRule::Copy) {
    // full x m is at most 256 x 255: it fits unsigned 16-bit lanes.
    const __m128i scaled = _mm_srli_epi16(_mm_mullo_epi16(m16, full16), 8);
    w16 = Select(_mm_cmpeq_epi16(m16, all), full16, scaled);
  }
  const __m128i pairs = _mm_unpacklo_epi16(w16, w16);
  const __m128i wlo = _mm_unpacklo_epi32(pairs, pairs);
  const __m128i whi = _mm_unpackhi_epi32(pairs, pairs);
  const __m128i slo = _mm_unpacklo_epi8(sv, zero);
  const __m128i shi = _mm_unpackhi_epi8(sv, zero);
  __m128i out;
  if (r.rule == MaskRule::Add) {
    const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(slo, wlo), 8);
    const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(shi, whi), 8);
    out = _mm_and_si128(_mm_adds_epu8(_mm_and_si128(dv, keep), _mm_packus_epi16(lo, hi)), keep);
  } else {
    // (255 - w) x d + w x s is at most 255 x 255.
    const __m128i lo = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), _mm_sub_epi16(all, wlo)),
                      _mm_mullo_epi16(slo, wlo)),
        8);
    const __m128i hi = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), _mm_sub_epi16(all, whi)),
                      _mm_mullo_epi16(shi, whi)),
        8);
    out = _mm_and_si128(_mm_packus_epi16(lo, hi), keep);
  }
  const __m128i m32 = _mm_unpacklo_epi16(m16, zero);
  if (r.rule == MaskRule::Copy) out = Select(_mm_cmpeq_epi32(m32, _mm_set1_epi32(255)), sv, out);
  __m128i stay = _mm_cmpeq_epi32(m32, zero);
  if (r.rule != MaskRule::Add && r.skipEqual) stay = _mm_or_si128(stay, _mm_cmpeq_epi32(dv, sv));
  return Select(stay, dv, out);
}

int MaskRow32Narrow(std::uint32_t* d, const std::uint32_t* s, const std::uint8_t* m, int n,
                    const MaskRow& r) {
  const __m128i full16 = _mm_set1_epi16(static_cast<short>(r.full));
  const __m128i keep = _mm_set1_epi32(static_cast<int>(r.keep));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint32_t bits;
    std::memcpy(&bits, m + i, 4);
    if (bits == 0) continue;
    if (r.rule == MaskRule::Copy && bits == 0xFFFFFFFFu) {
      std::memcpy(d + i, s + i, 16);
      continue;
    }
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i m16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(bits)), _mm_setzero_si128());
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), MaskStep4(dv, sv, m16, r, full16, keep));
  }
  return i;
}

}  // namespace

#if defined(VORN_HAVE_AVX2_LOOPS)
namespace {

__attribute__((target("avx2"))) inline __m256i Select256(__m256i mask, __m256i a, __m256i b) {
  return _mm256_blendv_epi8(b, a, mask);
}

// The wide twin of MaskStep4: eight pixels, the mask values in the 16-bit lanes of m16.
__attribute__((target("avx2"))) inline __m256i MaskStep8(__m256i dv, __m256i sv, __m128i m16,
                                                         const MaskRow& r, __m128i full16,
                                                         __m256i keep) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i all = _mm256_set1_epi16(255);
  __m128i w16 = m16;
  if (r.rule != MaskRule::Copy) {
    const __m128i scaled = _mm_srli_epi16(_mm_mullo_epi16(m16, full16), 8);
    w16 = _mm_blendv_epi8(scaled, full16, _mm_cmpeq_epi16(m16, _mm_set1_epi16(255)));
  }
  // The byte unpacks work within each 128-bit half: pixels 0, 1 | 4, 5 low, 2, 3 | 6, 7 high.
  const __m256i pairs = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_unpacklo_epi16(w16, w16)), _mm_unpackhi_epi16(w16, w16), 1);
  const __m256i wlo = _mm256_unpacklo_epi32(pairs, pairs);
  const __m256i whi = _mm256_unpackhi_epi32(pairs, pairs);
  const __m256i slo = _mm256_unpacklo_epi8(sv, zero);
  const __m256i shi = _mm256_unpackhi_epi8(sv, zero);
  __m256i out;
  if (r.rule == MaskRule::Add) {
    const __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(slo, wlo), 8);
    const __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(shi, whi), 8);
    out = _mm256_and_si256(
        _mm256_adds_epu8(_mm256_and_si256(dv, keep), _mm256_packus_epi16(lo, hi)), keep);
  } else {
    const __m256i lo = _mm256_srli_epi16(
        _mm256_add_epi16(
            _mm256_mullo_epi16(_mm256_unpacklo_epi8(dv, zero), _mm256_sub_epi16(all, wlo)),
            _mm256_mullo_epi16(slo, wlo)),
        8);
    const __m256i hi = _mm256_srli_epi16(
        _mm256_add_epi16(
            _mm256_mullo_epi16(_mm256_unpackhi_epi8(dv, zero), _mm256_sub_epi16(all, whi)),
            _mm256_mullo_epi16(shi, whi)),
        8);
    out = _mm256_and_si256(_mm256_packus_epi16(lo, hi), keep);
  }
  const __m256i m32 = _mm256_cvtepu16_epi32(m16);
  if (r.rule == MaskRule::Copy)
    out = Select256(_mm256_cmpeq_epi32(m32, _mm256_set1_epi32(255)), sv, out);
  __m256i stay = _mm256_cmpeq_epi32(m32, zero);
  if (r.rule != MaskRule::Add && r.skipEqual)
    stay = _mm256_or_si256(stay, _mm256_cmpeq_epi32(dv, sv));
  return Select256(stay, dv, out);
}

__attribute__((target("avx2"))) int MaskRow32Wide(std::uint32_t* d, const std::uint32_t* s,
                                                  const std::uint8_t* m, int n, const MaskRow& r) {
  const __m128i full16 = _mm_set1_epi16(static_cast<short>(r.full));
  const __m256i keep = _mm256_set1_epi32(static_cast<int>(r.keep));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t bits;
    std::memcpy(&bits, m + i, 8);
    if (bits == 0) continue;
    if (r.rule == MaskRule::Copy && bits == ~std::uint64_t{0}) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i)));
      continue;
    }
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m128i m16 = _mm_cvtepu8_epi16(_mm_cvtsi64_si128(static_cast<long long>(bits)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), MaskStep8(dv, sv, m16, r, full16, keep));
  }
  return i;
}

}  // namespace
#endif

void MaskRow32(std::uint32_t* d, const std::uint32_t* s, const std::uint8_t* m, int n,
               const MaskRow& r) {
  int done = 0;
#if defined(VORN_HAVE_AVX2_LOOPS)
  if (VectorUnitWideAvailable()) done = MaskRow32Wide(d, s, m, n, r);
#endif
  done += MaskRow32Narrow(d + done, s + done, m + done, n - done, r);
  MaskRow32Plain(d + done, s + done, m + done, n - done, r);
}

#else

void MaskRow32(std::uint32_t* d, const std::uint32_t* s, const std::uint8_t* m, int n,
               const MaskRow& r) {
  MaskRow32Plain(d, s, m, n, r);
}

#endif

}  // namespace vorn::blit::vec
