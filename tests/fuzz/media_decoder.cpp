// The media library's decoder over arbitrary bytes: the first byte picks Ogg (odd) or WAV (even);
// the rest is the file. Opened through the library as the player's mixer opens it, read to the end
// in odd-sized pieces, sought to positions taken from the input and read again, then closed.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/stream.h"
#include "media/pcm_format.h"
#include "media/vorn_media_library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool is_ogg = (data[0] & 1) != 0;
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data + 1, data + size));
  vorn::TVornMediaLibrary library;
  vorn::VornInitArgs args;
  args.callbacks = vorn::PlayerStreamCallbacks();
  library.vornInit(args);
  const vorn::VornHandle handle = library.vornOggStrmanAdd(&stream, is_ogg);
  std::array<std::uint8_t, vorn::PcmFormat::kRecordBytes> record{};
  if (!library.vornOggStrGetFormat(handle, record.data())) {
    library.vornOggStrmanDel(handle);
    return 0;
  }
  const vorn::PcmFormat format = vorn::PcmFormat::FromRecord(record.data());
  if (format.block_align == 0 || format.samples_per_second == 0) __builtin_trap();
  (void)library.vornOggStrGetLen(handle);
  const std::int32_t decoded = library.vornOggStrGetSize(handle);
  std::vector<std::uint8_t> buffer(4099);
  // Bounded, so a stream that claims hours of sound stays quick.
  std::size_t total = 0;
  while (total < (1u << 22)) {
    const std::int32_t got = library.vornOggStrRead(handle, buffer.data(), static_cast<std::int32_t>(buffer.size()));
    if (got == 0) break;
    if (got < 0 || static_cast<std::size_t>(got) > buffer.size()) __builtin_trap();
    total += static_cast<std::size_t>(got);
  }
  for (std::size_t i = 1; i + 1 < size && i < 9; i += 2) {
    const std::int32_t target = static_cast<std::int32_t>(data[i] | (data[i + 1] << 8)) * 97;
    const std::int32_t taken = library.vornOggStrSetPos(handle, target);
    if (taken < 0 || taken > library.vornOggStrGetSize(handle) || taken % format.block_align != 0) __builtin_trap();
    (void)library.vornOggStrRead(handle, buffer.data(), 1 + data[i] % 64);
  }
  (void)decoded;
  library.vornOggStrmanDel(handle);
  library.vornFinal();
  return 0;
}
