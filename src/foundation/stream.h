#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorn {

enum class SeekOrigin { kBegin, kCurrent, kEnd };

// The byte stream every stored format is read from and written to. Positions and sizes are
// 64-bit; forms that cannot hold that much refuse it with an error.
class TStream {
 public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Reads up to count bytes; returns how many were read (fewer only at the end).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes up to count bytes; returns how many were written.
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Moves the position; returns the new position. A position past the end is allowed.
  virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;
  virtual std::int64_t Size() const = 0;
  virtual void SetSize(std::int64_t size) = 0;

  std::int64_t Position() { return Seek(0, SeekOrigin::kCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::kBegin); }
  // Bytes between the position and the end (0 when the position is past the end).
  std::int64_t Remaining() {
    const std::int64_t left = Size() - Position();
    return left > 0 ? left : 0;
  }

  // Read exactly count bytes or raise EReadError; write all bytes or raise EWriteError.
  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);
};

// A stream over a growable byte buffer in memory. Like the original's 32-bit memory stream it
// holds at most kMaxMemoryStreamSize bytes.
class TMemoryStream : public TStream {
 public:
  static constexpr std::int64_t kMaxMemoryStreamSize = 0x7FFFFFFF;

  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
  void SetSize(std::int64_t size) override;

  std::uint8_t* Memory() { return bytes_.data(); }
  const std::uint8_t* Memory() const { return bytes_.data(); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::vector<std::uint8_t> TakeBytes();
  // Replaces the content without copying; the position goes to 0.
  void SetBytes(std::vector<std::uint8_t> bytes);
  void Clear();

 private:
  std::vector<std::uint8_t> bytes_;
  std::int64_t position_ = 0;
};

}  // namespace vorn
