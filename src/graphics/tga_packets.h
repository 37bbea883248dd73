#pragma once

// The run-length planner and pixel cursors of the TGA writer: one pass over the pixel buffer plans
// the packets, a second one writes them.

#include <cstdint>
#include <memory>
#include <vector>

namespace vorn {

// One entry per stretch of equal consecutive pixels, at most 128 long.
class TPxList {
 public:
  void Add(std::int32_t value);
  void Extend();
  bool CanExtend(std::int32_t value) const;
  void Rewind() { ReadPos = 0; }
  // A count of 2 or more is a run; consecutive counts of 1 (up to 128) form one literal packet.
  bool NextPacket(bool& isRun, std::int32_t& count);

  std::int32_t LastValue = 0;
  bool Closed = false;
  std::vector<std::uint8_t> Counts;
  std::int32_t ReadPos = 0;
};

// A cursor over pixels of 1 byte; the descendants differ only in the pixel size.
class TPickPx {
 public:
  virtual ~TPickPx() = default;
  virtual std::uint32_t Next();
  virtual void Skip(std::int32_t count) { Cur += count; }
  void Reset() { Cur = Base; }
  const std::uint8_t* Current() const { return Cur; }

  const std::uint8_t* Cur = nullptr;
  const std::uint8_t* Base = nullptr;
};

class TPickPx16 : public TPickPx {
 public:
  std::uint32_t Next() override;
  void Skip(std::int32_t count) override { Cur += 2 * static_cast<std::ptrdiff_t>(count); }
};

// Reads four bytes for a three-byte pixel: the buffer needs one spare byte after the last pixel.
class TPickPx24 : public TPickPx {
 public:
  std::uint32_t Next() override;
  void Skip(std::int32_t count) override { Cur += 3 * static_cast<std::ptrdiff_t>(count); }
};

class TPickPx32 : public TPickPx {
 public:
  std::uint32_t Next() override;
  void Skip(std::int32_t count) override { Cur += 4 * static_cast<std::ptrdiff_t>(count); }
};

// The picker for pixels of bytesPerPixel (1 to 4) bytes.
std::unique_ptr<TPickPx> MakePixelPicker(int bytesPerPixel);

// Run-length packets of pixelCount pixels of bytesPerPixel bytes (the buffer holds one spare byte).
std::vector<std::uint8_t> EncodeTGAPackets(const std::uint8_t* pixels, std::int64_t pixelCount, int bytesPerPixel);

}  // namespace vorn
