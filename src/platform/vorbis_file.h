#pragma once

// Ogg Vorbis decoding through libvorbisfile, over bytes the caller supplies.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vorn::platform {

// Where the encoded bytes come from. Every call must return normally: a failure is a short read,
// a false seek or a negative position.
class VorbisByteSource {
 public:
  virtual ~VorbisByteSource() = default;
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  virtual bool SeekTo(std::int64_t position) = 0;
  virtual std::int64_t Tell() = 0;
  virtual std::int64_t Size() = 0;
};

struct VorbisLinkFormat {
  int channels = 0;
  long rate = 0;
  bool operator==(const VorbisLinkFormat&) const = default;
};

class VorbisFile {
 public:
  // Null when the bytes are not an Ogg Vorbis stream.
  static std::unique_ptr<VorbisFile> Open(VorbisByteSource& source);
  ~VorbisFile();
  VorbisFile(const VorbisFile&) = delete;
  VorbisFile& operator=(const VorbisFile&) = delete;

  int Links() const;
  VorbisLinkFormat Format(int link) const;
  // Sample frames of one link; negative when unknown.
  std::int64_t LinkFrames(int link) const;
  // Interleaved signed 16-bit samples of the link being decoded, at most `samples` of them (whole
  // frames). Returns the frames decoded (0 at the end, negative on a decoding failure) and the link
  // they belong to, whose channel count says how many samples each frame has.
  long Read(std::int16_t* out, std::size_t samples, int& link);
  bool SeekFrame(std::int64_t frame);

 private:
  struct State;
  explicit VorbisFile(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace vorn::platform
