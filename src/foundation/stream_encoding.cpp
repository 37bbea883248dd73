#include "foundation/stream_encoding.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <new>
#include <vector>

#include "foundation/errors.h"

namespace vorn {
namespace {

constexpr std::int64_t kCopyBufferBytes = 10 * 1024 * 1024;
constexpr std::int64_t kCopyBufferRetryStep = 1024 * 1024;

std::int32_t DecodeInt32(const std::uint8_t* b) {
  const std::uint32_t u = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                          (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  return static_cast<std::int32_t>(u);
}

// Reads count bytes; on a short read moves to the end and answers false.
bool TryReadExact(TStream& stream, void* buffer, std::size_t count) {
  if (count == 0) return true;
  if (stream.Read(buffer, count) == count) return true;
  stream.Seek(0, SeekOrigin::kEnd);
  return false;
}

[[noreturn]] void ThrowShortRead() { throw EReadError("Stream read error"); }

}  // namespace

void WriteStrToStream(TStream& stream, std::string_view text) {
  if (text.size() > 0x7FFFFFFF) throw EWriteError("Stream write error");
  WriteIntToStream(stream, static_cast<std::int32_t>(text.size()));
  stream.WriteBuffer(text.data(), text.size());
}

void ReadStrFromStream(TStream& stream, std::string& text) {
  const std::int32_t length = ReadIntFromStream(stream);
  if (length <= 0) {
    text.clear();
    return;
  }
  if (length > stream.Remaining()) ThrowShortRead();
  std::string value(static_cast<std::size_t>(length), '\0');
  stream.ReadBuffer(value.data(), value.size());
  text = std::move(value);
}

std::string ReadStrFromStream(TStream& stream) {
  std::string text;
  ReadStrFromStream(stream, text);
  return text;
}

bool TryReadStrFromStream(TStream& stream, std::string& text) {
  std::int32_t length = 0;
  if (!TryReadIntFromStream(stream, length)) return false;
  if (length <= 0) {
    text.clear();
    return true;
  }
  if (length > stream.Remaining()) {
    stream.Seek(0, SeekOrigin::kEnd);
    return false;
  }
  std::string value(static_cast<std::size_t>(length), '\0');
  if (!TryReadExact(stream, value.data(), value.size())) return false;
  text = std::move(value);
  return true;
}

void WriteIntToStream(TStream& stream, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  const std::uint8_t b[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                             static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
  stream.WriteBuffer(b, 4);
}

std::int32_t ReadIntFromStream(TStream& stream) {
  std::uint8_t b[4];
  stream.ReadBuffer(b, 4);
  return DecodeInt32(b);
}

bool TryReadIntFromStream(TStream& stream, std::int32_t& value) {
  std::uint8_t b[4];
  if (!TryReadExact(stream, b, 4)) return false;
  value = DecodeInt32(b);
  return true;
}

void WriteByteToStream(TStream& stream, std::uint8_t value) { stream.WriteBuffer(&value, 1); }

std::uint8_t ReadByteFromStream(TStream& stream) {
  std::uint8_t b = 0;
  stream.ReadBuffer(&b, 1);
  return b;
}

bool TryReadByteFromStream(TStream& stream, std::uint8_t& value) {
  std::uint8_t b = 0;
  if (!TryReadExact(stream, &b, 1)) return false;
  value = b;
  return true;
}

void WriteBoolToStream(TStream& stream, bool value) { WriteByteToStream(stream, value ? 1 : 0); }

bool ReadBoolFromStream(TStream& stream) { return ReadByteFromStream(stream) != 0; }

bool TryReadBoolFromStream(TStream& stream, bool& value) {
  std::uint8_t b = 0;
  if (!TryReadByteFromStream(stream, b)) return false;
  value = b != 0;
  return true;
}

void WriteUInt64ToStream(TStream& stream, std::uint64_t value) {
  std::uint8_t b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>(value >> (8 * i));
  stream.WriteBuffer(b, 8);
}

std::uint64_t ReadUInt64FromStream(TStream& stream) {
  std::uint8_t b[8];
  stream.ReadBuffer(b, 8);
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | b[i];
  return value;
}

void WriteDoubleToStream(TStream& stream, double value) { WriteUInt64ToStream(stream, std::bit_cast<std::uint64_t>(value)); }

double ReadDoubleFromStream(TStream& stream) { return std::bit_cast<double>(ReadUInt64FromStream(stream)); }

bool TryReadDoubleFromStream(TStream& stream, double& value) {
  std::uint8_t b[8];
  if (!TryReadExact(stream, b, 8)) return false;
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | b[i];
  value = std::bit_cast<double>(bits);
  return true;
}

std::int64_t CopyStream(TStream& dst, TStream& src, std::int64_t size) {
  if (size == 0) {
    src.SetPosition(0);
    size = src.Size();
  }
  if (size <= 0) return 0;

  if (auto* memory = dynamic_cast<TMemoryStream*>(&src)) {
    const std::int64_t position = memory->Position();
    if (size > memory->Size() - position) ThrowShortRead();
    dst.WriteBuffer(memory->Memory() + position, static_cast<std::size_t>(size));
    memory->Seek(size, SeekOrigin::kCurrent);
    return size;
  }

  // One buffer for the whole copy; when memory is tight, settle for a smaller one.
  std::int64_t buffer_size = std::min(size, kCopyBufferBytes);
  std::unique_ptr<std::uint8_t[]> buffer;
  for (;;) {
    try {
      buffer.reset(new std::uint8_t[static_cast<std::size_t>(buffer_size)]);
      break;
    } catch (const std::bad_alloc&) {
      buffer_size -= kCopyBufferRetryStep;
      if (buffer_size <= 0) throw;
    }
  }

  std::int64_t left = size;
  while (left > 0) {
    const auto chunk = static_cast<std::size_t>(std::min(left, buffer_size));
    const std::size_t got = src.Read(buffer.get(), chunk);
    if (got == 0) ThrowShortRead();
    dst.WriteBuffer(buffer.get(), got);
    left -= static_cast<std::int64_t>(got);
  }
  return size;
}

}  // namespace vorn
