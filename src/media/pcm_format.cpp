#include "media/pcm_format.h"

#include "foundation/little_endian.h"

namespace vorn {

PcmFormat PcmFormat::Pcm(int rate, int bits, int channels) {
  PcmFormat format;
  format.channels = static_cast<std::uint16_t>(channels);
  format.samples_per_second = static_cast<std::uint32_t>(rate);
  format.block_align = static_cast<std::uint16_t>(channels * (bits / 8));
  format.bytes_per_second = format.samples_per_second * format.block_align;
  format.bits_per_sample = static_cast<std::uint16_t>(bits);
  return format;
}

std::array<std::uint8_t, PcmFormat::kRecordBytes> PcmFormat::ToRecord() const {
  std::array<std::uint8_t, kRecordBytes> record{};
  PutLE16(record.data() + 0, format_tag);
  PutLE16(record.data() + 2, channels);
  PutLE32(record.data() + 4, samples_per_second);
  PutLE32(record.data() + 8, bytes_per_second);
  PutLE16(record.data() + 12, block_align);
  PutLE16(record.data() + 14, bits_per_sample);
  return record;
}

PcmFormat PcmFormat::FromRecord(const std::uint8_t* record) {
  PcmFormat format;
  format.format_tag = GetLE16(record + 0);
  format.channels = GetLE16(record + 2);
  format.samples_per_second = GetLE32(record + 4);
  format.bytes_per_second = GetLE32(record + 8);
  format.block_align = GetLE16(record + 12);
  format.bits_per_sample = GetLE16(record + 14);
  return format;
}

}  // namespace vorn
