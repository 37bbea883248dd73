#pragma once

#include <array>
#include <cstdint>

namespace vorn {

// The decoder's PCM format as the library hands it over: a 16-byte little-endian record.
struct PcmFormat {
  std::uint16_t format_tag = 1;
  std::uint16_t channels = 0;
  std::uint32_t samples_per_second = 0;
  std::uint32_t bytes_per_second = 0;
  std::uint16_t block_align = 0;
  std::uint16_t bits_per_sample = 0;

  static constexpr std::size_t kRecordBytes = 16;
  static PcmFormat Pcm(int rate, int bits, int channels);
  std::array<std::uint8_t, kRecordBytes> ToRecord() const;
  static PcmFormat FromRecord(const std::uint8_t* record);
  bool operator==(const PcmFormat&) const = default;
};

}  // namespace vorn
