#include <algorithm>
#include <vector>

#include "foundation/little_endian.h"
#include "media/frame_source.h"

namespace vorn {
namespace {

constexpr int kOutputRate = 44100;
// Output frames converted per step; bounds the source window the resampler holds.
constexpr std::size_t kStepFrames = 2048;

// One source sample as 16 bits: 8-bit samples are unsigned, wider ones keep their top 16 bits.
std::int32_t Sample16(const std::uint8_t* p, int bits) {
  switch (bits) {
    case 8: return (static_cast<std::int32_t>(p[0]) - 128) * 256;
    case 16: return static_cast<std::int16_t>(GetLE16(p));
    case 24: return static_cast<std::int16_t>(GetLE16(p + 1));
    default: return static_cast<std::int16_t>(GetLE16(p + 2));
  }
}

// Linear interpolation at rate × i / 44100, so output frame i depends only on i and a seek is
// exact. More than two channels are folded onto left (even) and right (odd) and averaged.
class ConvertingSource final : public FrameSource {
 public:
  explicit ConvertingSource(std::unique_ptr<FrameSource> source)
      : source_(std::move(source)), in_(source_->Layout()),
        out_{std::min(in_.channels, 2), kOutputRate, 16} {}

  FrameLayout Layout() const override { return out_; }
  std::int64_t Frames() const override {
    return source_->Frames() * kOutputRate / in_.rate;
  }

  std::size_t Read(std::uint8_t* out, std::size_t frames) override {
    std::size_t done = 0;
    while (done < frames) {
      const std::int64_t total = Frames();
      if (frame_ >= total) break;
      const std::size_t step = static_cast<std::size_t>(
          std::min<std::int64_t>({static_cast<std::int64_t>(frames - done), static_cast<std::int64_t>(kStepFrames), total - frame_}));
      const std::int64_t first = SourceIndex(frame_);
      const std::int64_t last = SourceIndex(frame_ + static_cast<std::int64_t>(step) - 1) + 1;
      Fill(first, last);
      const std::int64_t available = cache_first_ + CachedFrames();
      std::size_t made = 0;
      for (; made < step; ++made) {
        const std::int64_t i = frame_ + static_cast<std::int64_t>(made);
        const std::int64_t position = i * in_.rate;
        const std::int64_t index = position / kOutputRate;
        if (index >= available) break;
        const std::int64_t fraction = position % kOutputRate;
        const std::int64_t next = std::min(index + 1, available - 1);
        for (int c = 0; c < out_.channels; ++c) {
          const std::int64_t a = cache_[static_cast<std::size_t>((index - cache_first_) * out_.channels + c)];
          const std::int64_t b = cache_[static_cast<std::size_t>((next - cache_first_) * out_.channels + c)];
          const std::int64_t value = a + (b - a) * fraction / kOutputRate;
          PutLE16(out + (done + made) * static_cast<std::size_t>(out_.FrameBytes()) + static_cast<std::size_t>(c) * 2,
                  static_cast<std::uint32_t>(static_cast<std::int32_t>(value)));
        }
      }
      done += made;
      frame_ += static_cast<std::int64_t>(made);
      if (made < step) break;
    }
    return done;
  }

  void Seek(std::int64_t frame) override { frame_ = std::clamp<std::int64_t>(frame, 0, Frames()); }

 private:
  std::int64_t SourceIndex(std::int64_t out_frame) const { return out_frame * in_.rate / kOutputRate; }
  std::int64_t CachedFrames() const { return static_cast<std::int64_t>(cache_.size()) / out_.channels; }

  // Makes the cache hold source frames first..last-1 (fewer at the source's end).
  void Fill(std::int64_t first, std::int64_t last) {
    if (first < cache_first_ || first > cache_first_ + CachedFrames()) {
      cache_.clear();
      cache_first_ = first;
      source_->Seek(first);
    } else {
      const std::int64_t drop = first - cache_first_;
      cache_.erase(cache_.begin(), cache_.begin() + static_cast<std::ptrdiff_t>(drop * out_.channels));
      cache_first_ = first;
    }
    const std::int64_t missing = last - (cache_first_ + CachedFrames());
    if (missing <= 0) return;
    const std::size_t frame_bytes = static_cast<std::size_t>(in_.FrameBytes());
    raw_.resize(static_cast<std::size_t>(missing) * frame_bytes);
    const std::size_t got = source_->Read(raw_.data(), static_cast<std::size_t>(missing));
    const int bytes = in_.bits / 8;
    for (std::size_t f = 0; f < got; ++f) {
      const std::uint8_t* frame = raw_.data() + f * frame_bytes;
      if (in_.channels <= 2) {
        for (int c = 0; c < in_.channels; ++c) cache_.push_back(Sample16(frame + c * bytes, in_.bits));
        continue;
      }
      std::int64_t sums[2] = {0, 0};
      int counts[2] = {0, 0};
      for (int c = 0; c < in_.channels; ++c) {
        sums[c & 1] += Sample16(frame + c * bytes, in_.bits);
        ++counts[c & 1];
      }
      cache_.push_back(static_cast<std::int32_t>(sums[0] / counts[0]));
      cache_.push_back(static_cast<std::int32_t>(sums[1] / counts[1]));
    }
  }

  std::unique_ptr<FrameSource> source_;
  FrameLayout in_;
  FrameLayout out_;
  std::int64_t frame_ = 0;
  std::int64_t cache_first_ = 0;
  std::vector<std::int32_t> cache_;
  std::vector<std::uint8_t> raw_;
};

}  // namespace

std::unique_ptr<FrameSource> ConvertTo44k16(std::unique_ptr<FrameSource> source) {
  return std::make_unique<ConvertingSource>(std::move(source));
}

}  // namespace vorn
