#pragma once

// A sound file turned into PCM for the player's own mixer: the decoder behind the library's
// vornOggStr... calls. Formats the mixer plays directly (one or two channels, 44100 or 22050 Hz,
// 8 or 16 bits) pass unchanged; every other one is converted to 44100 Hz 16-bit.

#include <cstdint>
#include <memory>
#include <vector>

#include "media/frame_source.h"
#include "media/pcm_format.h"

namespace vorn {

class SoundDecoder {
 public:
  // Null when the stream holds no sound this player plays.
  static std::unique_ptr<SoundDecoder> Open(const StreamCallbacks& callbacks, void* stream, bool is_ogg);

  const PcmFormat& Format() const { return format_; }
  // Bytes read (0 at the end). Byte positions need not fall on whole frames.
  std::size_t Read(std::uint8_t* buffer, std::size_t count);
  std::int64_t Size() const;
  std::int64_t Position() const { return position_; }
  // Clamps to 0..Size, aligns down to a whole frame and answers the position taken.
  std::int64_t SetPosition(std::int64_t position);
  // Milliseconds, rounded down.
  std::int64_t LengthMs() const;

 private:
  SoundDecoder(std::unique_ptr<CallbackStream> stream, std::unique_ptr<FrameSource> source);

  std::unique_ptr<CallbackStream> stream_;
  std::unique_ptr<FrameSource> source_;
  PcmFormat format_;
  std::int64_t position_ = 0;
  // The frame the source reads next; a read elsewhere seeks it first.
  std::int64_t source_frame_ = 0;
  std::vector<std::uint8_t> frame_;
};

}  // namespace vorn
