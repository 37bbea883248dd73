#pragma once

// Decoded sound as whole sample frames, read in order from a position.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "media/stream_callbacks.h"
#include "platform/vorbis_file.h"

namespace vorn {

struct FrameLayout {
  int channels = 0;
  int rate = 0;
  int bits = 0;  // 8 (unsigned), 16, 24 or 32 (signed), little-endian
  int FrameBytes() const { return channels * (bits / 8); }
  bool operator==(const FrameLayout&) const = default;
};

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  virtual FrameLayout Layout() const = 0;
  // Frames in the whole sound. Shrinks to the frames actually delivered once a read fails, so a
  // stream that breaks underneath ends the sound instead of stalling it.
  virtual std::int64_t Frames() const = 0;
  // Reads up to `frames` frames from the current frame on; fewer only at the end.
  virtual std::size_t Read(std::uint8_t* out, std::size_t frames) = 0;
  virtual void Seek(std::int64_t frame) = 0;
};

// A player's stream seen through the stream callbacks.
class CallbackStream final : public platform::VorbisByteSource {
 public:
  CallbackStream(const StreamCallbacks& callbacks, void* stream) : callbacks_(callbacks), stream_(stream) {}
  std::size_t Read(void* buffer, std::size_t count) override;
  bool SeekTo(std::int64_t position) override;
  std::int64_t Tell() override;
  std::int64_t Size() override;

 private:
  StreamCallbacks callbacks_;
  void* stream_;
};

// Null when the bytes are not a WAV file this player plays.
std::unique_ptr<FrameSource> OpenWavSource(CallbackStream& stream);
// Null when the bytes are not Ogg Vorbis. A later link of another rate or channel count ends it.
std::unique_ptr<FrameSource> OpenVorbisSource(CallbackStream& stream);
// 44100 Hz 16-bit of the source, down-mixed to stereo when it has more than two channels.
std::unique_ptr<FrameSource> ConvertTo44k16(std::unique_ptr<FrameSource> source);

}  // namespace vorn
