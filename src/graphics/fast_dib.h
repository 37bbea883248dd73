#pragma once

// The working bitmap of colour-depth conversion: top-down pixel memory with a table of row
// addresses, bound to a memory DC of the drawing layer so that pictures can be copied in and out
// with BitBlt. 16- and 32-bit layouts are named by a format code of red, green and blue bit counts
// (555, 565, 888).

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/gdi.h"

namespace vorn {

// BITMAPINFO with room for 256 colour entries (0x00RRGGBB words; the three masks at 16 and
// 32 bits).
struct TFastDIBInfo {
  std::uint32_t biSize = 40;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;
  std::uint16_t biPlanes = 1;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = 0;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
  std::array<std::uint32_t, 256> colors{};
};

inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiBitfields = 3;

class TFastDIB {
 public:
  TFastDIB();
  ~TFastDIB();
  TFastDIB(const TFastDIB&) = delete;
  TFastDIB& operator=(const TFastDIB&) = delete;

  // Nothing happens when bits, width, height and format equal the current ones.
  void SetSize(int width, int height, int format, int bits);
  // bits 0 = the screen's depth; format 0 = the display's 16-bit layout at 16 bits, 888 at 32.
  // With memory given the rows are a view onto it (owned elsewhere).
  void Describe(std::uint8_t* memory, int width, int height, int format, int bits);

  int GetPixelIndex(int row, int x) const;
  void SetPixelIndex(int row, int x, int index);
  int CountColors() const;

  // 565 or 555: the 16-bit layout of the display.
  static int ProbeDisplay16();

  int Width() const { return Info.biWidth; }
  int Height() const { return AbsHeight; }
  int BitCount() const { return Info.biBitCount; }
  // The memory DC over the pixels (null before SetSize).
  gdi::HDC DC() { return dc_.get(); }
  // The colour table entry i as red, green, blue.
  std::uint8_t ColorR(int i) const { return static_cast<std::uint8_t>(Colors[i] >> 16); }
  std::uint8_t ColorG(int i) const { return static_cast<std::uint8_t>(Colors[i] >> 8); }
  std::uint8_t ColorB(int i) const { return static_cast<std::uint8_t>(Colors[i]); }
  void SetColor(int i, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Colors[i] = (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | b;
  }

  std::int32_t RowBytes = 0;
  std::int32_t AbsHeight = 0;
  std::int32_t Gap = 0;
  std::int32_t Format = 0;
  std::uint8_t* Bits = nullptr;
  std::uint32_t* Colors = nullptr;
  TFastDIBInfo Info;
  std::vector<std::uint8_t*> Rows;
  // Packing shifts: blue loss, green loss, green shift, red loss, red shift.
  std::uint8_t BShr = 0;
  std::uint8_t GShr = 0;
  std::uint8_t GShl = 0;
  std::uint8_t RShr = 0;
  std::uint8_t RShl = 0;

 private:
  void BindDC();

  std::vector<std::uint8_t> memory_;  // the section's pixels
  std::unique_ptr<gdi::MemoryDC> dc_;
};

}  // namespace vorn
