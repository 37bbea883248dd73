#pragma once

#include <cstdint>
#include <vector>

#include "graphics/custom_dibx.h"

namespace vorn {

// A drawing surface over plain top-down memory (rows a positive pitch apart, 4-byte aligned), at
// 1, 4, 8, 15, 16, 24 or 32 bits per pixel with the same formats as TDIBX. It has no canvas. It
// serves where a surface is needed without a bitmap behind it: tests of the drawing operations
// (the top-down counterpart of TDIBX), and component tests that only look at pixels.
class TMemoryDIBX : public TCustomDIBX {
 public:
  TMemoryDIBX() = default;
  TMemoryDIBX(int width, int height, int bitCount) { SetSize(width, height, bitCount); }

  int GetBitCount() override { return bitCount_; }
  void SetBitCount(int count) override;
  std::uint32_t GetRedMask() override;
  std::uint32_t GetGreenMask() override;
  std::uint32_t GetBlueMask() override;
  int GetPitch() override { return pitch_; }
  std::uint32_t GetPixel(int x, int y) override;
  void SetPixel(int x, int y, std::uint32_t value) override;
  int GetBlueShift() override;
  int GetGreenShift() override;
  int GetRedShift() override;
  int GetRawBitCount() override { return bitCount_ == 15 ? 16 : bitCount_; }
  // A width or height of 0 or less empties the memory; other bit counts than the seven formats
  // raise std::invalid_argument.
  void SetSize(int width, int height, int bitCount) override;
  std::uint8_t* Lock(int x, int y) override;
  std::int32_t ColorToPixel(std::int32_t color) override;
  void Clear() override;

  std::vector<std::uint8_t>& Bits() { return bits_; }

 private:
  int bitCount_ = 32;
  int pitch_ = 0;
  std::vector<std::uint8_t> bits_;
};

}  // namespace vorn
