#include "media/sound_decoder.h"

#include <algorithm>
#include <cstring>

namespace vorn {
namespace {

bool PassesUnchanged(const FrameLayout& layout) {
  return (layout.channels == 1 || layout.channels == 2) && (layout.rate == 44100 || layout.rate == 22050) &&
         (layout.bits == 8 || layout.bits == 16);
}

}  // namespace

std::unique_ptr<SoundDecoder> SoundDecoder::Open(const StreamCallbacks& callbacks, void* stream, bool is_ogg) {
  if (stream == nullptr) return nullptr;
  auto reader = std::make_unique<CallbackStream>(callbacks, stream);
  std::unique_ptr<FrameSource> source = is_ogg ? OpenVorbisSource(*reader) : OpenWavSource(*reader);
  if (!source) return nullptr;
  if (!PassesUnchanged(source->Layout())) source = ConvertTo44k16(std::move(source));
  return std::unique_ptr<SoundDecoder>(new SoundDecoder(std::move(reader), std::move(source)));
}

SoundDecoder::SoundDecoder(std::unique_ptr<CallbackStream> stream, std::unique_ptr<FrameSource> source)
    : stream_(std::move(stream)), source_(std::move(source)) {
  const FrameLayout layout = source_->Layout();
  format_ = PcmFormat::Pcm(layout.rate, layout.bits, layout.channels);
  frame_.resize(format_.block_align);
}

std::int64_t SoundDecoder::Size() const { return source_->Frames() * format_.block_align; }

std::int64_t SoundDecoder::LengthMs() const { return source_->Frames() * 1000 / format_.samples_per_second; }

std::int64_t SoundDecoder::SetPosition(std::int64_t position) {
  const std::int64_t align = format_.block_align;
  position_ = std::clamp<std::int64_t>(position, 0, Size()) / align * align;
  return position_;
}

std::size_t SoundDecoder::Read(std::uint8_t* buffer, std::size_t count) {
  const std::size_t align = format_.block_align;
  std::size_t done = 0;
  while (done < count && position_ < Size()) {
    const std::int64_t frame = position_ / static_cast<std::int64_t>(align);
    const std::size_t offset = static_cast<std::size_t>(position_ % static_cast<std::int64_t>(align));
    if (frame != source_frame_) {
      source_->Seek(frame);
      source_frame_ = frame;
    }
    if (offset == 0 && count - done >= align) {
      const std::size_t got = source_->Read(buffer + done, (count - done) / align);
      source_frame_ += static_cast<std::int64_t>(got);
      done += got * align;
      position_ += static_cast<std::int64_t>(got * align);
      if (got == 0) break;
      continue;
    }
    // A partial frame at either end of the request goes through a one-frame buffer.
    if (source_->Read(frame_.data(), 1) != 1) break;
    ++source_frame_;
    const std::size_t take = std::min(align - offset, count - done);
    std::memcpy(buffer + done, frame_.data() + offset, take);
    done += take;
    position_ += static_cast<std::int64_t>(take);
  }
  return done;
}

}  // namespace vorn
