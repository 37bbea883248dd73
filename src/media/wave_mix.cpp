#include "media/wave_mix.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vorn {
namespace {

std::atomic<bool> vector_mixing{true};

std::int16_t FromUnsigned8(std::uint8_t b) { return static_cast<std::int16_t>((b - 128) * 256); }

std::int16_t Load16(const std::uint8_t* p) {
  std::int16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

WaveConversion ConversionFor(int channels, int rate, int bits) {
  struct Row {
    int channels, rate, bits;
    WaveConversion conversion;
  };
  static constexpr Row kRows[] = {
      {2, 44100, 16, WaveConversion::kNone},        {1, 44100, 16, WaveConversion::kMono16},
      {2, 22050, 16, WaveConversion::kStereo16Half}, {2, 44100, 8, WaveConversion::kStereo8},
      {1, 44100, 8, WaveConversion::kMono8},         {2, 22050, 8, WaveConversion::kStereo8Half},
      {1, 22050, 16, WaveConversion::kMono16Half},   {1, 22050, 8, WaveConversion::kMono8Half},
  };
  for (const Row& row : kRows) {
    if (row.channels == channels && row.rate == rate && row.bits == bits) return row.conversion;
  }
  return WaveConversion::kUnsupported;
}

std::size_t SourceBytesFor(WaveConversion conversion, std::size_t block_bytes) {
  switch (conversion) {
    case WaveConversion::kNone: return block_bytes;
    case WaveConversion::kMono16:
    case WaveConversion::kStereo16Half:
    case WaveConversion::kStereo8: return block_bytes / 2;
    case WaveConversion::kMono8:
    case WaveConversion::kStereo8Half:
    case WaveConversion::kMono16Half: return block_bytes / 4;
    case WaveConversion::kMono8Half: return block_bytes / 8;
    case WaveConversion::kUnsupported: return 0;
  }
  return 0;
}

std::size_t ConvertInPlace(WaveConversion conversion, std::uint8_t* buffer, std::size_t n) {
  auto put = [buffer](std::size_t index, std::int16_t value) {
    std::memcpy(buffer + 2 * index, &value, sizeof value);
  };
  switch (conversion) {
    case WaveConversion::kNone: return n / 2;
    case WaveConversion::kMono16: {
      const std::size_t samples = n / 2;
      for (std::size_t i = samples; i-- > 0;) {
        const std::int16_t s = Load16(buffer + 2 * i);
        put(2 * i + 1, s);
        put(2 * i, s);
      }
      return 2 * samples;
    }
    case WaveConversion::kStereo16Half: {
      const std::size_t frames = n / 4;
      for (std::size_t i = frames; i-- > 0;) {
        const std::int16_t l = Load16(buffer + 4 * i);
        const std::int16_t r = Load16(buffer + 4 * i + 2);
        put(4 * i + 3, r);
        put(4 * i + 2, l);
        put(4 * i + 1, r);
        put(4 * i, l);
      }
      return 4 * frames;
    }
    case WaveConversion::kStereo8: {
      for (std::size_t i = n; i-- > 0;) put(i, FromUnsigned8(buffer[i]));
      return n;
    }
    case WaveConversion::kMono8: {
      for (std::size_t i = n; i-- > 0;) {
        const std::int16_t s = FromUnsigned8(buffer[i]);
        put(2 * i + 1, s);
        put(2 * i, s);
      }
      return 2 * n;
    }
    case WaveConversion::kStereo8Half: {
      const std::size_t frames = n / 2;
      for (std::size_t i = frames; i-- > 0;) {
        const std::int16_t l = FromUnsigned8(buffer[2 * i]);
        const std::int16_t r = FromUnsigned8(buffer[2 * i + 1]);
        put(4 * i + 3, r);
        put(4 * i + 2, l);
        put(4 * i + 1, r);
        put(4 * i, l);
      }
      return 4 * frames;
    }
    case WaveConversion::kMono16Half: {
      const std::size_t samples = n / 2;
      for (std::size_t i = samples; i-- > 0;) {
        const std::int16_t s = Load16(buffer + 2 * i);
        for (std::size_t k = 4; k-- > 0;) put(4 * i + k, s);
      }
      return 4 * samples;
    }
    case WaveConversion::kMono8Half: {
      for (std::size_t i = n; i-- > 0;) {
        const std::int16_t s = FromUnsigned8(buffer[i]);
        for (std::size_t k = 4; k-- > 0;) put(4 * i + k, s);
      }
      return 4 * n;
    }
    case WaveConversion::kUnsupported: return 0;
  }
  return 0;
}

void ApplyVolumeScalar(std::int16_t* samples, std::size_t count, int volume) {
  if (volume >= 255) return;
  for (std::size_t i = 0; i < count; ++i) {
    samples[i] = static_cast<std::int16_t>((static_cast<std::int64_t>(samples[i]) * volume) >> 8);
  }
}

void ApplyVolumeVector(std::int16_t* samples, std::size_t count, int volume) {
  if (volume >= 255) return;
  std::size_t i = 0;
#if defined(__SSE2__)
  // The 32-bit product of two 16-bit lanes is hi:lo; its bits 8..23 are (lo >> 8) | (hi << 8).
  if (volume >= -32768) {
    const __m128i factor = _mm_set1_epi16(static_cast<std::int16_t>(volume));
    for (; i + 8 <= count; i += 8) {
      const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + i));
      const __m128i lo = _mm_mullo_epi16(s, factor);
      const __m128i hi = _mm_mulhi_epi16(s, factor);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(samples + i), _mm_or_si128(_mm_srli_epi16(lo, 8), _mm_slli_epi16(hi, 8)));
    }
  }
#endif
  ApplyVolumeScalar(samples + i, count - i, volume);
}

void ApplyVolume(std::int16_t* samples, std::size_t count, int volume) {
  if (VectorMixing()) {
    ApplyVolumeVector(samples, count, volume);
  } else {
    ApplyVolumeScalar(samples, count, volume);
  }
}

void AddSaturatingScalar(std::int16_t* out, const std::int16_t* add, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = static_cast<std::int16_t>(std::clamp(static_cast<std::int32_t>(out[i]) + add[i], -32768, 32767));
  }
}

void AddSaturatingVector(std::int16_t* out, const std::int16_t* add, std::size_t count) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 8 <= count; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_adds_epi16(a, b));
  }
#endif
  AddSaturatingScalar(out + i, add + i, count - i);
}

void MixScaled(std::int16_t* out, std::int16_t* samples, std::size_t count, int volume) {
  if (!VectorMixing()) {
    ApplyVolumeScalar(samples, count, volume);
    AddSaturatingScalar(out, samples, count);
    return;
  }
  std::size_t i = 0;
#if defined(__SSE2__)
  // One pass: scaled as ApplyVolumeVector scales, then added with saturation.
  if (volume >= 255) {
    AddSaturatingVector(out, samples, count);
    return;
  }
  if (volume >= -32768) {
    const __m128i factor = _mm_set1_epi16(static_cast<std::int16_t>(volume));
    for (; i + 8 <= count; i += 8) {
      const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + i));
      const __m128i lo = _mm_mullo_epi16(s, factor);
      const __m128i hi = _mm_mulhi_epi16(s, factor);
      const __m128i scaled = _mm_or_si128(_mm_srli_epi16(lo, 8), _mm_slli_epi16(hi, 8));
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_adds_epi16(a, scaled));
    }
  }
#endif
  ApplyVolumeScalar(samples + i, count - i, volume);
  AddSaturatingScalar(out + i, samples + i, count - i);
}

void SetVectorMixing(bool on) { vector_mixing.store(on); }
bool VectorMixing() { return vector_mixing.load(); }

void AddSaturating(std::int16_t* out, const std::int16_t* add, std::size_t count) {
  if (VectorMixing()) {
    AddSaturatingVector(out, add, count);
  } else {
    AddSaturatingScalar(out, add, count);
  }
}

}  // namespace vorn
