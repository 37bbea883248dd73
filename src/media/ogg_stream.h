#pragma once

// A sound file as a read-only stream of PCM: the media library's decoder behind the player's own
// mixer. Positions are bytes of PCM; the decoder aligns a seek down to a whole frame.

#include <cstdint>

#include "foundation/errors.h"
#include "foundation/stream.h"
#include "media/pcm_format.h"
#include "media/vorn_library.h"

namespace vorn {

// The bytes are no sound this player plays.
class ESoundDataError : public Exception {
 public:
  using Exception::Exception;
};

class TOggStream final : public TStream {
 public:
  // Raises ESoundDataError "サウンドデータが不正です" when the decoder reports no format.
  TOggStream(TVornLibrary& library, TStream& source, bool is_ogg);
  ~TOggStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void*, std::size_t) override { return 0; }
  // The target is clamped to 0..size; answers the position the decoder took.
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() const override;
  void SetSize(std::int64_t) override {}

  // Milliseconds.
  std::int32_t GetLength() const;
  bool GetFormat(PcmFormat& format) const;
  const PcmFormat& format() const { return format_; }
  VornHandle handle() const { return handle_; }

 private:
  TVornLibrary& library_;
  VornHandle handle_;
  PcmFormat format_;
};

}  // namespace vorn
