#include "graphics/tga_packets.h"

namespace vorn {

namespace {
constexpr int kMaxPacketPixels = 128;
constexpr std::uint8_t kRunPacketFlag = 0x80;
}  // namespace

void TPxList::Add(std::int32_t value) {
  Counts.push_back(1);
  LastValue = value;
  Closed = false;
}

void TPxList::Extend() {
  if (Counts.empty()) return;
  if (++Counts.back() >= kMaxPacketPixels) Closed = true;
}

bool TPxList::CanExtend(std::int32_t value) const { return !Counts.empty() && !Closed && value == LastValue; }

bool TPxList::NextPacket(bool& isRun, std::int32_t& count) {
  const auto size = static_cast<std::int32_t>(Counts.size());
  if (ReadPos >= size) return false;
  if (Counts[ReadPos] >= 2) {
    isRun = true;
    count = Counts[ReadPos++];
    return true;
  }
  isRun = false;
  count = 0;
  while (ReadPos < size && Counts[ReadPos] == 1 && count < kMaxPacketPixels) {
    ++count;
    ++ReadPos;
  }
  return true;
}

std::uint32_t TPickPx::Next() { return *Cur++; }

std::uint32_t TPickPx16::Next() {
  const std::uint32_t v = Cur[0] | (Cur[1] << 8);
  Cur += 2;
  return v;
}

std::uint32_t TPickPx24::Next() {
  const std::uint32_t v = static_cast<std::uint32_t>(Cur[0]) | (static_cast<std::uint32_t>(Cur[1]) << 8) |
                          (static_cast<std::uint32_t>(Cur[2]) << 16) | (static_cast<std::uint32_t>(Cur[3]) << 24);
  Cur += 3;
  return v & 0xFFFFFF;
}

std::uint32_t TPickPx32::Next() {
  const std::uint32_t v = static_cast<std::uint32_t>(Cur[0]) | (static_cast<std::uint32_t>(Cur[1]) << 8) |
                          (static_cast<std::uint32_t>(Cur[2]) << 16) | (static_cast<std::uint32_t>(Cur[3]) << 24);
  Cur += 4;
  return v;
}

std::unique_ptr<TPickPx> MakePixelPicker(int bytesPerPixel) {
  switch (bytesPerPixel) {
    case 2:
      return std::make_unique<TPickPx16>();
    case 3:
      return std::make_unique<TPickPx24>();
    case 4:
      return std::make_unique<TPickPx32>();
    default:
      return std::make_unique<TPickPx>();
  }
}

std::vector<std::uint8_t> EncodeTGAPackets(const std::uint8_t* pixels, std::int64_t pixelCount, int bytesPerPixel) {
  std::vector<std::uint8_t> out;
  auto picker = MakePixelPicker(bytesPerPixel);
  picker->Base = pixels;
  picker->Reset();
  TPxList list;
  for (std::int64_t i = 0; i < pixelCount; ++i) {
    // Pixel values are compared as the signed field holds them; equal bits stay equal.
    const auto v = static_cast<std::int32_t>(picker->Next());
    if (list.CanExtend(v))
      list.Extend();
    else
      list.Add(v);
  }
  list.Rewind();
  picker->Reset();
  bool isRun = false;
  std::int32_t n = 0;
  while (list.NextPacket(isRun, n)) {
    if (isRun) {
      out.push_back(static_cast<std::uint8_t>(kRunPacketFlag + n - 1));
      const std::uint32_t v = picker->Next();
      picker->Skip(n - 1);
      for (int b = 0; b < bytesPerPixel; ++b) out.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
    } else {
      out.push_back(static_cast<std::uint8_t>(n - 1));
      const std::uint8_t* p = picker->Current();
      out.insert(out.end(), p, p + static_cast<std::ptrdiff_t>(n) * bytesPerPixel);
      picker->Skip(n);
    }
  }
  return out;
}

}  // namespace vorn
