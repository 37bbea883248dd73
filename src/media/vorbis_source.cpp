#include <algorithm>

#include "media/frame_source.h"

namespace vorn {
namespace {

constexpr long kMaxRate = 384000;

class VorbisSource final : public FrameSource {
 public:
  VorbisSource(std::unique_ptr<platform::VorbisFile> file, FrameLayout layout, std::int64_t frames)
      : file_(std::move(file)), layout_(layout), frames_(frames) {}

  FrameLayout Layout() const override { return layout_; }
  std::int64_t Frames() const override { return frames_; }

  std::size_t Read(std::uint8_t* out, std::size_t frames) override {
    const std::size_t frame_bytes = static_cast<std::size_t>(layout_.FrameBytes());
    std::size_t done = 0;
    while (done < frames && frame_ < frames_) {
      const std::size_t wanted =
          static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(frames - done), frames_ - frame_));
      int link = 0;
      const long got = file_->Read(reinterpret_cast<std::int16_t*>(out + done * frame_bytes),
                                   wanted * static_cast<std::size_t>(layout_.channels), link);
      // The end, a broken stream, or a link in another format: what came before is all there is.
      if (got <= 0 || file_->Format(link) != first_) {
        frames_ = frame_;
        break;
      }
      done += static_cast<std::size_t>(got);
      frame_ += got;
    }
    return done;
  }

  void Seek(std::int64_t frame) override {
    frame_ = std::clamp<std::int64_t>(frame, 0, frames_);
    if (!file_->SeekFrame(frame_)) frames_ = frame_;
  }

  void set_first(platform::VorbisLinkFormat first) { first_ = first; }

 private:
  std::unique_ptr<platform::VorbisFile> file_;
  FrameLayout layout_;
  platform::VorbisLinkFormat first_;
  std::int64_t frames_;
  std::int64_t frame_ = 0;
};

}  // namespace

std::unique_ptr<FrameSource> OpenVorbisSource(CallbackStream& stream) {
  if (!stream.SeekTo(0)) return nullptr;
  auto file = platform::VorbisFile::Open(stream);
  if (!file || file->Links() < 1) return nullptr;
  const platform::VorbisLinkFormat first = file->Format(0);
  if (first.channels < 1 || first.rate < 1 || first.rate > kMaxRate) return nullptr;
  // Only the leading links in the first link's format are played.
  std::int64_t frames = 0;
  for (int link = 0; link < file->Links() && file->Format(link) == first; ++link) {
    const std::int64_t link_frames = file->LinkFrames(link);
    if (link_frames < 0) break;
    frames += link_frames;
  }
  auto source = std::make_unique<VorbisSource>(std::move(file), FrameLayout{first.channels, static_cast<int>(first.rate), 16}, frames);
  source->set_first(first);
  return source;
}

}  // namespace vorn
