#include "media/stream_callbacks.h"

#include "foundation/stream.h"

namespace vorn {
namespace {

// A decoder never sees an exception: a stream that throws has simply failed.
template <typename Operation>
std::int64_t Guarded(void* stream, Operation operation) {
  if (stream == nullptr) return 0;
  std::lock_guard lock(StreamCallbackLock());
  try {
    return operation(*static_cast<TStream*>(stream));
  } catch (...) {
    return 0;
  }
}

std::int64_t GetSize(void* stream) {
  return Guarded(stream, [](TStream& s) { return s.Size(); });
}

std::int64_t Read(void* stream, void* buffer, std::int64_t count) {
  if (buffer == nullptr || count <= 0) return 0;
  return Guarded(stream, [&](TStream& s) { return static_cast<std::int64_t>(s.Read(buffer, static_cast<std::size_t>(count))); });
}

std::int64_t GetPos(void* stream) {
  return Guarded(stream, [](TStream& s) { return s.Position(); });
}

std::int64_t SetPos(void* stream, std::int64_t position) {
  return Guarded(stream, [&](TStream& s) {
    s.Seek(position, SeekOrigin::kBegin);
    return s.Position();
  });
}

}  // namespace

StreamCallbacks PlayerStreamCallbacks() { return StreamCallbacks{&GetSize, &Read, &GetPos, &SetPos}; }

std::mutex& StreamCallbackLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace vorn
