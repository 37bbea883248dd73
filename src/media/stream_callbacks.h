#pragma once

// The four calls through which the media library reads a sound's stream. The stream is the
// player's own object, opaque to the library; every call takes the one process-wide callback
// lock, does one operation and answers 0 when the stream is null or the operation fails.

#include <cstdint>
#include <mutex>

namespace vorn {

struct StreamCallbacks {
  std::int64_t (*get_size)(void* stream) = nullptr;
  std::int64_t (*read)(void* stream, void* buffer, std::int64_t count) = nullptr;
  std::int64_t (*get_pos)(void* stream) = nullptr;
  // Answers the position read back after the seek.
  std::int64_t (*set_pos)(void* stream, std::int64_t position) = nullptr;
};

// The player's callbacks over TStream objects.
StreamCallbacks PlayerStreamCallbacks();

// The callback lock. Taken after the wave output's lock and before a range stream's own lock,
// never the other way round.
std::mutex& StreamCallbackLock();

}  // namespace vorn
