// The sound decoder over arbitrary bytes: the first byte picks Ogg (odd) or WAV (even); the rest
// is the file. Opens, reads everything in odd-sized pieces, seeks to positions taken from the
// input and reads again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/stream.h"
#include "media/sound_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool is_ogg = (data[0] & 1) != 0;
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data + 1, data + size));
  auto decoder = vorn::SoundDecoder::Open(vorn::PlayerStreamCallbacks(), &stream, is_ogg);
  if (!decoder) return 0;
  const vorn::PcmFormat format = decoder->Format();
  if (format.block_align == 0 || format.samples_per_second == 0) __builtin_trap();
  (void)decoder->LengthMs();
  std::vector<std::uint8_t> buffer(4099);
  // Bounded, so a stream that claims hours of sound stays quick.
  std::size_t total = 0;
  while (total < (1u << 22)) {
    const std::size_t got = decoder->Read(buffer.data(), buffer.size());
    if (got == 0) break;
    if (got > buffer.size()) __builtin_trap();
    total += got;
  }
  for (std::size_t i = 1; i + 1 < size && i < 9; i += 2) {
    const std::int64_t target = static_cast<std::int64_t>(data[i] | (data[i + 1] << 8)) * 97;
    const std::int64_t taken = decoder->SetPosition(target);
    if (taken < 0 || taken > decoder->Size() || taken % format.block_align != 0) __builtin_trap();
    (void)decoder->Read(buffer.data(), 1 + data[i] % 64);
  }
  return 0;
}
