#pragma once

// The sample work of the software wave mixer: the conversion of one source block to 44100 Hz
// 16-bit stereo, the volume and the saturating add into the output block.

#include <cstddef>
#include <cstdint>

namespace vorn {

// The eight source formats the mixer converts; anything else contributes nothing.
enum class WaveConversion {
  kNone,           // 2 ch, 44100 Hz, 16 bits
  kMono16,         // 1, 44100, 16
  kStereo16Half,   // 2, 22050, 16
  kStereo8,        // 2, 44100, 8
  kMono8,          // 1, 44100, 8
  kStereo8Half,    // 2, 22050, 8
  kMono16Half,     // 1, 22050, 16
  kMono8Half,      // 1, 22050, 8
  kUnsupported,
};

WaveConversion ConversionFor(int channels, int rate, int bits);
// Bytes to read from the source for an output block of block_bytes.
std::size_t SourceBytesFor(WaveConversion conversion, std::size_t block_bytes);
// Converts n source bytes at the start of buffer in place, writing from the end backwards so the
// output never overtakes the input; answers the output samples. The buffer holds the whole output.
std::size_t ConvertInPlace(WaveConversion conversion, std::uint8_t* buffer, std::size_t n);
// Below 255: (s × volume) >> 8 with sign, kept to 16 bits; 255 and above leave samples as they are.
void ApplyVolume(std::int16_t* samples, std::size_t count, int volume);
void ApplyVolumeScalar(std::int16_t* samples, std::size_t count, int volume);
void ApplyVolumeVector(std::int16_t* samples, std::size_t count, int volume);
// out[i] = clamp(out[i] + add[i]).
void AddSaturatingScalar(std::int16_t* out, const std::int16_t* add, std::size_t count);
void AddSaturatingVector(std::int16_t* out, const std::int16_t* add, std::size_t count);
// The process-wide switch between the scalar and the vector forms of the volume and the add; on
// from the start. Both give identical samples.
void SetVectorMixing(bool on);
bool VectorMixing();
void AddSaturating(std::int16_t* out, const std::int16_t* add, std::size_t count);
// The volume and the add of one source in one step: out[i] = clamp(out[i] + scaled(samples[i]));
// samples may be scaled in place.
void MixScaled(std::int16_t* out, std::int16_t* samples, std::size_t count, int volume);

}  // namespace vorn
