#include <algorithm>
#include <array>
#include <cstring>

#include "foundation/little_endian.h"
#include "media/frame_source.h"

namespace vorn {
namespace {

constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kPcmFormatBytes = 16;
constexpr std::size_t kExtensibleFormatBytes = 40;
constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// The PCM sub-format of an extensible header: tag 1 followed by the fixed tail of the GUID.
constexpr std::array<std::uint8_t, 16> kPcmSubFormat{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                     0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr int kMaxChannels = 8;
// Far beyond any real file; keeps the resampler's windows small.
constexpr std::uint32_t kMaxRate = 384000;

class WavSource final : public FrameSource {
 public:
  WavSource(CallbackStream& stream, FrameLayout layout, std::int64_t data_start, std::int64_t frames)
      : stream_(stream), layout_(layout), data_start_(data_start), frames_(frames) {}

  FrameLayout Layout() const override { return layout_; }
  std::int64_t Frames() const override { return frames_; }

  std::size_t Read(std::uint8_t* out, std::size_t frames) override {
    if (frame_ >= frames_) return 0;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(frames), frames_ - frame_));
    const std::size_t frame_bytes = static_cast<std::size_t>(layout_.FrameBytes());
    if (!positioned_ && !stream_.SeekTo(data_start_ + frame_ * static_cast<std::int64_t>(frame_bytes))) {
      frames_ = frame_;
      return 0;
    }
    positioned_ = true;
    const std::size_t got_bytes = stream_.Read(out, wanted * frame_bytes);
    const std::size_t got = got_bytes / frame_bytes;
    frame_ += static_cast<std::int64_t>(got);
    if (got < wanted) {
      frames_ = frame_;
      positioned_ = false;
    }
    return got;
  }

  void Seek(std::int64_t frame) override {
    frame_ = std::clamp<std::int64_t>(frame, 0, frames_);
    positioned_ = false;
  }

 private:
  CallbackStream& stream_;
  FrameLayout layout_;
  std::int64_t data_start_;
  std::int64_t frames_;
  std::int64_t frame_ = 0;
  bool positioned_ = false;
};

bool ReadExactly(CallbackStream& stream, void* buffer, std::size_t count) { return stream.Read(buffer, count) == count; }

// Checks an fmt chunk body; fills the layout when it is one this player plays.
bool ParseFormat(const std::uint8_t* body, std::size_t size, FrameLayout& layout) {
  if (size < kPcmFormatBytes) return false;
  const std::uint16_t tag = GetLE16(body + 0);
  const int channels = GetLE16(body + 2);
  const std::uint32_t rate = GetLE32(body + 4);
  const int block_align = GetLE16(body + 12);
  const int bits = GetLE16(body + 14);
  if (tag == kFormatExtensible) {
    if (size < kExtensibleFormatBytes) return false;
    if (std::memcmp(body + 24, kPcmSubFormat.data(), kPcmSubFormat.size()) != 0) return false;
  } else if (tag != kFormatPcm) {
    return false;
  }
  if (channels < 1 || channels > kMaxChannels || rate == 0 || rate > kMaxRate) return false;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (block_align != channels * bits / 8) return false;
  layout = FrameLayout{channels, static_cast<int>(rate), bits};
  return true;
}

}  // namespace

std::unique_ptr<FrameSource> OpenWavSource(CallbackStream& stream) {
  const std::int64_t size = stream.Size();
  std::uint8_t header[12];
  if (size < 12 || !stream.SeekTo(0) || !ReadExactly(stream, header, sizeof header)) return nullptr;
  if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) return nullptr;

  FrameLayout layout;
  bool have_format = false;
  std::int64_t data_start = -1;
  std::int64_t data_bytes = 0;
  std::int64_t position = 12;
  // The RIFF size is not trusted: chunks are walked up to the stream's end.
  while (position + static_cast<std::int64_t>(kChunkHeaderBytes) <= size && !(have_format && data_start >= 0)) {
    std::uint8_t chunk[kChunkHeaderBytes];
    if (!stream.SeekTo(position) || !ReadExactly(stream, chunk, sizeof chunk)) return nullptr;
    const std::int64_t body = position + static_cast<std::int64_t>(kChunkHeaderBytes);
    const std::int64_t chunk_bytes = GetLE32(chunk + 4);
    const std::int64_t available = std::min(chunk_bytes, size - body);
    if (std::memcmp(chunk, "fmt ", 4) == 0 && !have_format) {
      std::uint8_t format[kExtensibleFormatBytes] = {};
      const std::size_t take = static_cast<std::size_t>(std::min<std::int64_t>(available, kExtensibleFormatBytes));
      if (chunk_bytes > available || !ReadExactly(stream, format, take)) return nullptr;
      if (!ParseFormat(format, static_cast<std::size_t>(std::min<std::int64_t>(chunk_bytes, kExtensibleFormatBytes)), layout)) return nullptr;
      have_format = true;
    } else if (std::memcmp(chunk, "data", 4) == 0 && data_start < 0) {
      data_start = body;
      data_bytes = available;
    }
    position = body + chunk_bytes + (chunk_bytes & 1);
  }
  if (!have_format || data_start < 0) return nullptr;
  const std::int64_t frames = data_bytes / layout.FrameBytes();
  return std::make_unique<WavSource>(stream, layout, data_start, frames);
}

}  // namespace vorn
