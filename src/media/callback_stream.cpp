#include "media/frame_source.h"

#include <algorithm>
#include <limits>

namespace vorn {

std::size_t CallbackStream::Read(void* buffer, std::size_t count) {
  if (count == 0) return 0;
  const std::int64_t wanted = static_cast<std::int64_t>(std::min<std::size_t>(count, std::numeric_limits<std::int32_t>::max()));
  const std::int64_t got = callbacks_.read(stream_, buffer, wanted);
  return got > 0 ? static_cast<std::size_t>(std::min(got, wanted)) : 0;
}

bool CallbackStream::SeekTo(std::int64_t position) { return callbacks_.set_pos(stream_, position) == position; }

std::int64_t CallbackStream::Tell() { return callbacks_.get_pos(stream_); }

std::int64_t CallbackStream::Size() { return callbacks_.get_size(stream_); }

}  // namespace vorn
