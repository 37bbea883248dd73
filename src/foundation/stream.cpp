#include "foundation/stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "foundation/errors.h"

namespace vorn {

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  const std::int64_t size = Size();
  if (position_ >= size || count == 0) return 0;
  const auto n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), size - position_));
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  const std::int64_t end = position_ + static_cast<std::int64_t>(count);
  if (count > static_cast<std::size_t>(kMaxMemoryStreamSize) || end > kMaxMemoryStreamSize) {
    throw EWriteError("Out of memory while expanding memory stream");
  }
  // Appending copies once into the grown vector instead of zero-filling first.
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  const auto at = static_cast<std::size_t>(position_);
  if (at > bytes_.size()) bytes_.resize(at);
  const std::size_t overwritten = std::min(count, bytes_.size() - at);
  if (overwritten > 0) std::memcpy(bytes_.data() + at, bytes, overwritten);
  bytes_.insert(bytes_.end(), bytes + overwritten, bytes + count);
  position_ = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
  std::int64_t base = 0;
  switch (origin) {
    case SeekOrigin::kBegin: base = 0; break;
    case SeekOrigin::kCurrent: base = position_; break;
    case SeekOrigin::kEnd: base = Size(); break;
  }
  const std::int64_t target = base + offset;
  position_ = target < 0 ? 0 : target;
  return position_;
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0 || size > kMaxMemoryStreamSize) throw EWriteError("Out of memory while expanding memory stream");
  bytes_.resize(static_cast<std::size_t>(size));
  if (position_ > size) position_ = size;
}

std::vector<std::uint8_t> TMemoryStream::TakeBytes() {
  std::vector<std::uint8_t> taken = std::move(bytes_);
  bytes_.clear();
  position_ = 0;
  return taken;
}

void TMemoryStream::SetBytes(std::vector<std::uint8_t> bytes) {
  if (static_cast<std::int64_t>(bytes.size()) > kMaxMemoryStreamSize) {
    throw EWriteError("Out of memory while expanding memory stream");
  }
  bytes_ = std::move(bytes);
  position_ = 0;
}

void TMemoryStream::Clear() {
  bytes_.clear();
  bytes_.shrink_to_fit();
  position_ = 0;
}

}  // namespace vorn
