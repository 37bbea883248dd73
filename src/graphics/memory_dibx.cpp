#include "graphics/memory_dibx.h"

#include <cstring>
#include <stdexcept>

#include "graphics/blit_common.h"

namespace vorn {
namespace {

bool IsSupportedBitCount(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 15 || bits == 16 || bits == 24 ||
         bits == 32;
}

}  // namespace

void TMemoryDIBX::SetSize(int width, int height, int bitCount) {
  if (width <= 0 || height <= 0) {
    bits_.clear();
    pitch_ = 0;
    TCustomDIBX::SetSize(width, height, bitCount);
    return;
  }
  if (!IsSupportedBitCount(bitCount)) throw std::invalid_argument("bit count");
  const int raw = bitCount == 15 ? 16 : bitCount;
  const std::int64_t pitch = ((static_cast<std::int64_t>(width) * raw + 31) / 32) * 4;
  if (pitch > 0x7FFFFFFF / height) throw std::length_error("surface size");
  const std::int64_t size = pitch * height;
  bits_.assign(static_cast<std::size_t>(size), 0);
  pitch_ = static_cast<int>(pitch);
  bitCount_ = bitCount;
  TCustomDIBX::SetSize(width, height, bitCount);
}

void TMemoryDIBX::SetBitCount(int count) {
  if (count == bitCount_) return;
  const int w = GetWidth(), h = GetHeight();
  if (w <= 0 || h <= 0) {
    if (IsSupportedBitCount(count)) bitCount_ = count;
    return;
  }
  SetSize(w, h, count);  // the pixels are not converted; this surface only serves tests
}

void TMemoryDIBX::Clear() {
  TCustomDIBX::Clear();
  bits_.clear();
  pitch_ = 0;
}

std::uint32_t TMemoryDIBX::GetRedMask() {
  return bitCount_ == 15 ? 0x7C00u : bitCount_ == 16 ? 0xF800u : 0xFF0000u;
}
std::uint32_t TMemoryDIBX::GetGreenMask() {
  return bitCount_ == 15 ? 0x03E0u : bitCount_ == 16 ? 0x07E0u : 0xFF00u;
}
std::uint32_t TMemoryDIBX::GetBlueMask() {
  return bitCount_ == 15 || bitCount_ == 16 ? 0x001Fu : 0xFFu;
}
int TMemoryDIBX::GetBlueShift() { return 0; }
int TMemoryDIBX::GetGreenShift() { return bitCount_ == 15 || bitCount_ == 16 ? 5 : 8; }
int TMemoryDIBX::GetRedShift() {
  return bitCount_ == 15 ? 10 : bitCount_ == 16 ? 11 : 16;
}

std::uint8_t* TMemoryDIBX::Lock(int x, int y) {
  if (x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight() || bits_.empty()) return nullptr;
  std::uint8_t* row = bits_.data() + static_cast<std::ptrdiff_t>(pitch_) * y;
  switch (bitCount_) {
    case 1:
      return row + x / 8;
    case 4:
      return row + x / 2;
    default:
      return row + static_cast<std::ptrdiff_t>(x) * GetBytesPerPixel();
  }
}

std::uint32_t TMemoryDIBX::GetPixel(int x, int y) {
  const std::uint8_t* p = Lock(x, y);
  if (p == nullptr) return 0;
  if (bitCount_ == 1) return (*p >> (7 - x % 8)) & 1u;
  if (bitCount_ == 4) return x % 2 == 0 ? (*p >> 4) : (*p & 0x0Fu);
  return blit::ReadPixel(p, GetBytesPerPixel());
}

void TMemoryDIBX::SetPixel(int x, int y, std::uint32_t value) {
  std::uint8_t* p = Lock(x, y);
  if (p == nullptr) return;
  if (bitCount_ == 1) {
    const auto bit = static_cast<std::uint8_t>(0x80u >> (x % 8));
    *p = static_cast<std::uint8_t>((value & 1u) ? (*p | bit) : (*p & ~bit));
    return;
  }
  if (bitCount_ == 4) {
    const std::uint32_t v = value & 0x0Fu;
    *p = static_cast<std::uint8_t>(x % 2 == 0 ? ((*p & 0x0Fu) | (v << 4)) : ((*p & 0xF0u) | v));
    return;
  }
  blit::WritePixel(p, GetBytesPerPixel(), value);
}

std::int32_t TMemoryDIBX::ColorToPixel(std::int32_t color) {
  if (color < 0) return -1;
  const auto c = static_cast<std::uint32_t>(color);
  const std::uint32_t r = c & 0xFFu, g = (c >> 8) & 0xFFu, b = (c >> 16) & 0xFFu;
  switch (bitCount_) {
    case 15:
      return static_cast<std::int32_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    case 16:
      return static_cast<std::int32_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    case 24:
    case 32:
      return static_cast<std::int32_t>((r << 16) | (g << 8) | b);
    default:
      return color;
  }
}

}  // namespace vorn
